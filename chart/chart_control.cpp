#include "chart/chart_control.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "chart/chart_blend.h"
#include "chart/chart_canvas.h"
#include "chart/chart_series.h"
#include "chart/chart_utils.h"
#include "platform/classlib/class_registry.h"

bool ChartUseMouseWheel = true;

namespace {

// Form files name the chart by its class.
const bool kChartRegistered = [] {
  RegisterClass(TChart::StaticClass());
  return true;
}();

}  // namespace

// ---- registries --------------------------------------------------------------------------

void TChartSeriesTypes::Add(const TClass* SeriesClass, const std::string& Description) {
  if (!SeriesClass) return;
  for (const TChartSeriesType& t : entries_)
    if (t.SeriesClass == SeriesClass) return;
  entries_.push_back(TChartSeriesType{SeriesClass, Description});
}

TChartSeriesTypes& ChartSeriesTypes() {
  static TChartSeriesTypes types;
  return types;
}

// ---- TCustomChart: construction --------------------------------------------------------

const TClass& TCustomChart::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomChart>("TCustomChart", TCustomAxisPanel::StaticClass(), &TCustomChart::Publish);
  return cls;
}

const TClass& TChart::StaticClass() {
  static const TClass cls = TClass::Of<TChart>("TChart", TCustomChart::StaticClass());
  return cls;
}

TChart::TChart(TComponent* AOwner) : TCustomChart(AOwner) {
  // A chart placed at design time starts with its class name as title.
  if (ComponentState().Contains(csDesigning)) Title()->Text()->Add(ClassName());
}

void TCustomChart::Publish(TPublished& published) {
  auto p = published.For<TCustomChart>();
  p.Object("BackWall", &TCustomChart::BackWall, &TCustomChart::SetBackWall);
  p.Object("BottomWall", &TCustomChart::BottomWall, &TCustomChart::SetBottomWall);
  p.Object("Foot", &TCustomChart::Foot, &TCustomChart::SetFoot);
  p.Object("LeftWall", &TCustomChart::LeftWall, &TCustomChart::SetLeftWall);
  p.Object("Legend", &TCustomChart::Legend, &TCustomChart::SetLegend);
  p.Object("RightWall", &TCustomChart::RightWall, &TCustomChart::SetRightWall);
  p.Enum("ScrollMouseButton", MouseButtonInfo(), &TCustomChart::ScrollMouseButton, &TCustomChart::SetScrollMouseButton)
      .Default(mbRight);
  p.Object("SubFoot", &TCustomChart::SubFoot, &TCustomChart::SetSubFoot);
  p.Object("SubTitle", &TCustomChart::SubTitle, &TCustomChart::SetSubTitle);
  p.Object("Title", &TCustomChart::Title, &TCustomChart::SetTitle);
  p.Event("OnAllowScroll", &TCustomChart::OnAllowScroll);
  p.Event("OnClickAxis", &TCustomChart::OnClickAxis);
  p.Event("OnClickBackground", &TCustomChart::OnClickBackground);
  p.Event("OnClickLegend", &TCustomChart::OnClickLegend);
  p.Event("OnClickSeries", &TCustomChart::OnClickSeries);
  p.Event("OnClickTitle", &TCustomChart::OnClickTitle);
  p.Event("OnGetLegendPos", &TCustomChart::OnGetLegendPos);
  p.Event("OnGetLegendRect", &TCustomChart::OnGetLegendRect);
  p.Event("OnGetLegendText", &TCustomChart::OnGetLegendText);
}

TCustomChart::TCustomChart(TComponent* AOwner) : TCustomAxisPanel(AOwner) {
  const bool repaint = AutoRepaint();
  SetAutoRepaint(false);
  title_ = std::make_unique<TChartTitle>(this);
  scrollMouseButton_ = mbRight;
  subTitle_ = std::make_unique<TChartTitle>(this);
  foot_ = std::make_unique<TChartFootTitle>(this);
  subFoot_ = std::make_unique<TChartFootTitle>(this);
  backWall_ = std::make_unique<TChartBackWall>(this);
  leftWall_ = std::make_unique<TChartWall>(this, 0x80FFFF);
  legend_ = std::make_unique<TChartLegend>(this);
  bottomWall_ = std::make_unique<TChartWall>(this, clWhite);
  rightWall_ = std::make_unique<TChartRightWall>(this);
  SetAutoRepaint(repaint);
}

TCustomChart::~TCustomChart() {
  // Nothing is told or repainted from here on.
  Destroying();
  SetAutoRepaint(false);
}

void TCustomChart::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChart*>(source)) {
    backWall_->Assign(src->backWall_.get());
    bottomWall_->Assign(src->bottomWall_.get());
    leftWall_->Assign(src->leftWall_.get());
    rightWall_->Assign(src->rightWall_.get());
    title_->Assign(src->title_.get());
    subTitle_->Assign(src->subTitle_.get());
    foot_->Assign(src->foot_.get());
    subFoot_->Assign(src->subFoot_.get());
    legend_->Assign(src->legend_.get());
    scrollMouseButton_ = src->scrollMouseButton_;
  }
  TCustomAxisPanel::Assign(source);
}

void TCustomChart::DefineProperties(TFiler* filer) {
  TCustomAxisPanel::DefineProperties(filer);
  filer->DefineProperty(
      "BackColor", [this](TReader& r) { ReadBackColor(r); }, [](TWriter&) {}, false);
}

void TCustomChart::ReadBackColor(TReader& Reader) {
  TColor colour = clSilver;
  try {
    colour = Reader.ReadInteger();
  } catch (const EReadError&) {
    // Not a number: a colour name.
    const std::string ident = Reader.ReadIdent();
    if (!IdentToColor(ident, colour)) throw EReadError(msg::InvalidPropertyValue);
  }
  backWall_->SetColor(colour);
  if (!ComponentState().Contains(csLoading)) backWall_->Brush()->SetStyle(bsSolid);
}

// ---- series ------------------------------------------------------------------------------

void TCustomChart::RemoveAllSeries() {
  while (SeriesCount() > 0) {
    TChartSeries* s = GetSeries(0);
    RemoveSeries(s);
    // Whatever happened, the loop must move on.
    if (SeriesCount() > 0 && GetSeries(0) == s) SeriesList()->Delete(0);
  }
}

TColor TCustomChart::GetBackColor() { return backWall_->Transparent() ? Color() : backWall_->Color(); }

std::string TCustomChart::FormattedValueLegend(TChartSeries* Series, Integer Index) {
  // Index -1 is an empty series' last point; past the end there is nothing to show.
  if (!Series || Index < 0 || Index >= Series->Count()) return std::string();
  std::string text = Series->LegendString(Index, legend_->TextStyle());
  std::replace(text.begin(), text.end(), ChartLineSeparator, ' ');
  return text;
}

bool TCustomChart::IsFreeSeriesColor(TColor Color, bool CheckBackground) {
  for (Integer i = 0; i < SeriesCount(); ++i)
    if (GetSeries(i)->SeriesColor() == Color) return false;
  return !CheckBackground || (Color != this->Color() && Color != backWall_->Color());
}

Integer TCustomChart::GetAxisWallSize(TChartAxis* Axis) {
  if (!View3D() || !View3DWalls()) return 0;
  if (Axis == LeftAxis()) return leftWall_->Size();
  if (Axis == BottomAxis()) return bottomWall_->Size();
  return 0;
}

void TCustomChart::WallsBlock(TRect& Rect, Integer& Back) {
  if (!View3D() || !View3DWalls() || !AxesInUse()) return;
  Rect.left -= leftWall_->Size();
  Rect.bottom += bottomWall_->Size();
  if (rightWall_->Visible()) Rect.right += rightWall_->Size();
  Back += backWall_->Size();
}

// ---- clicked parts -----------------------------------------------------------------------

TChartClickedPart TCustomChart::CalcClickedPart(TPoint P, bool OnlyWithEvents) {
  TChartClickedPart part;
  if (legend_->Visible() && LegendShown()) {
    const Integer item = legend_->Clicked(P.x, P.y);
    if (item >= 0) {
      part.Part = cpLegend;
      part.PointIndex = item;
      return part;
    }
  }
  // The series on top first: the last drawn.
  const std::vector<TChartSeries*> order = SeriesInDrawOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    TChartSeries* s = *it;
    if (OnlyWithEvents && !s->OnClick && !s->OnDblClick && !OnClickSeries) continue;
    const Integer index = s->Clicked(P.x, P.y);
    if (index >= 0) {
      part.Part = cpSeries;
      part.ASeries = s;
      part.PointIndex = index;
      return part;
    }
    if (s->Marks()->Visible()) {
      const Integer mark = s->Marks()->HitTest(P.x, P.y);
      if (mark >= 0) {
        part.Part = cpSeriesMarks;
        part.ASeries = s;
        part.PointIndex = mark;
        return part;
      }
    }
  }
  for (Integer i = 0; i < Axes()->Count(); ++i) {
    TChartAxis* axis = Axes()->Axis(i);
    // An axis that is not drawn has no place to be hit at.
    if (IsAxisVisible(axis) && axis->HitTest(P.x, P.y)) {
      part.Part = cpAxis;
      part.AAxis = axis;
      return part;
    }
  }
  const std::pair<TChartTitle*, TChartClickedPartStyle> titles[] = {
      {title_.get(), cpTitle}, {subTitle_.get(), cpSubTitle}, {foot_.get(), cpFoot}, {subFoot_.get(), cpSubFoot}};
  for (const auto& [title, kind] : titles) {
    if (title->Visible() && title->Text()->Count() > 0 && title->Clicked(P.x, P.y)) {
      part.Part = kind;
      return part;
    }
  }
  const TRect& r = ChartRect();
  if (P.x >= r.left && P.x < r.right && P.y >= r.top && P.y < r.bottom && CountActiveSeries() > 0)
    part.Part = cpChartRect;
  return part;
}

// ---- titles, legend and walls ------------------------------------------------------------

bool TCustomChart::LegendShown() { return legend_->Visible() && (legend_->CheckBoxes() || CountActiveSeries() > 0); }

void TCustomChart::DrawTitlesAndLegend(bool BeforeSeries) {
  TChartCanvas3D* canvas = Canvas();
  canvas->Suspend3D();
  const bool shown = LegendShown();
  if (BeforeSeries) {
    const bool legendNow = shown && !legend_->CustomPosition();
    if (legendNow && legend_->IsVertical()) legend_->DrawLegend();
    title_->DrawTitle(this);
    subTitle_->DrawTitle(this);
    foot_->DrawTitle(this);
    subFoot_->DrawTitle(this);
    if (legendNow && !legend_->IsVertical()) legend_->DrawLegend();
  } else if (shown && legend_->CustomPosition()) {
    legend_->DrawLegend();
  }
  canvas->Resume3D();
  if (!BeforeSeries && rightWallPending_) {
    rightWallPending_ = false;
    DrawRightWallAfter();
  }
}

bool TCustomChart::AxesInUse() const {
  bool anyActive = false;
  for (Integer i = 0; i < SeriesCount(); ++i) {
    TChartSeries* s = GetSeries(i);
    if (!s->Active()) continue;
    if (s->UseAxis()) return true;
    anyActive = true;
  }
  return !anyActive;
}

void TCustomChart::CalcWallsRect() {
  rightWallPending_ = false;
  if (!View3D() || !View3DOptions()->Orthogonal()) return;
  const Integer b = AxesInUse() ? backWall_->Size() : 0;
  TRect r = ChartRect();
  r.right -= std::abs(Width3DPixels()) + b;
  r.top += std::abs(Height3DPixels()) + b;
  if (rightWall_->Visible()) r.right -= rightWall_->Size() + 1;
  SetChartRect(r);
}

void TCustomChart::DrawWall(TChartWall* Wall) {
  TChartCanvas3D* canvas = Canvas();
  canvas->ApplyPen(Wall->Pen());
  if (Wall->Transparent()) {
    canvas->Brush()->SetStyle(bsClear);
    return;
  }
  const TColor colour = Wall->Color() == clDefault ? Color() : Wall->Color();
  TChartBrush* brush = Wall->Brush();
  if (brush->Style() != bsSolid && brush->Color() == colour)
    canvas->ApplyBrush(brush, colour == clBlack ? clWhite : clBlack, colour);
  else
    canvas->ApplyBrush(brush, colour);
}

namespace {
// Dark sides for a wall that is filled without a picture.
bool DarkSides(TChartWall* Wall, TChartCanvas3D* Canvas) {
  TBitmap* image = Wall->Brush()->ImageBitmap();
  return Wall->Dark3D() && Canvas->Brush()->Style() != bsClear && (!image || image->Empty());
}
}  // namespace

bool TCustomChart::RightWallBehind() {
  TChartCanvas3D* canvas = Canvas();
  const TRect& r = ChartRect();
  const TPoint a = canvas->SpaceToScreen(r.right, r.top, 0);
  const TPoint b = canvas->SpaceToScreen(r.right, r.bottom + bottomWall_->Size(), Width3D() + backWall_->Size());
  return a.x > b.x;
}

void TCustomChart::DrawRightWallAfter() {
  if (!View3D() || !View3DWalls() || !rightWall_->Visible()) return;
  TChartCanvas3D* canvas = Canvas();
  const TRect& r = ChartRect();
  DrawWall(rightWall_.get());
  const Integer bottom = r.bottom + bottomWall_->Size();
  if (rightWall_->Size() > 0)
    canvas->Cube(r.right, r.right + rightWall_->Size(), r.top, bottom, 0, Width3D() + backWall_->Size(),
                 DarkSides(rightWall_.get(), canvas));
  else
    canvas->RectangleZ(r.right, r.top, bottom, 0, Width3D() + 1);
}

void TCustomChart::DrawWalls() {
  if (!AxesInUse()) return;

  TChartCanvas3D* canvas = Canvas();
  const TRect r = ChartRect();
  const bool walls3D = View3D() && View3DWalls();
  const Integer w3d = Width3D();

  // 1. A right wall that lies behind goes first; one in front waits for the end.
  if (walls3D && rightWall_->Visible()) {
    if (RightWallBehind())
      DrawRightWallAfter();
    else
      rightWallPending_ = true;
  }

  // 2. The back wall.
  if (backWall_->Visible()) {
    const bool gradient = !backWall_->Transparent() && backWall_->Gradient()->Visible();
    if (!View3D()) {
      std::unique_ptr<TChartBlend> blend;
      if (backWall_->Transparency() > 0)
        blend = std::make_unique<TChartBlend>(canvas, TRect{r.left, r.top, r.right + 1, r.bottom + 1});
      if (gradient) backWall_->Gradient()->Draw(canvas, TRect{r.left, r.top, r.right + 1, r.bottom + 1});
      DrawWall(backWall_.get());
      if (gradient) canvas->Brush()->SetStyle(bsClear);
      canvas->DrawBoxRect(r);
      if (blend) blend->DoBlend(backWall_->Transparency());
    } else if (View3DWalls()) {
      const Integer size = backWall_->Size();
      if (gradient) {
        const TRect face =
            size > 0 ? TRect{r.left - leftWall_->Size(), r.top, r.right, r.bottom + bottomWall_->Size()} : r;
        if (canvas->IsOrthogonal()) {
          backWall_->Gradient()->Draw(canvas, canvas->ProjectRect(face, w3d));
        } else {
          // A rotated face is no rectangle: its bounding box is filled through a clip
          // to the face itself.
          const std::array<TPoint, 4> c{
              canvas->SpaceToScreen(face.left, face.top, w3d), canvas->SpaceToScreen(face.right, face.top, w3d),
              canvas->SpaceToScreen(face.right, face.bottom, w3d), canvas->SpaceToScreen(face.left, face.bottom, w3d)};
          canvas->ClipToPolygon(c);
          backWall_->Gradient()->Draw(canvas, canvas->ProjectedBounds(face, w3d, w3d));
          canvas->RemoveClip();
        }
      }
      DrawWall(backWall_.get());
      if (gradient) canvas->Brush()->SetStyle(bsClear);
      if (size > 0)
        canvas->Cube(r.left - leftWall_->Size(), r.right, r.top, r.bottom + bottomWall_->Size(), w3d, w3d + size,
                     DarkSides(backWall_.get(), canvas));
      else
        canvas->RectangleWithZ(r, w3d);
    }
    TGraphic* graphic = BackImage()->Graphic();
    if (graphic && !graphic->Empty() && BackImageInside()) {
      TRect inside = r;
      if (backWall_->Pen()->Visible()) {
        ++inside.top;
        --inside.bottom;
      }
      DrawBackImage(inside);
    }
  }

  if (!walls3D) return;
  // 3. The left wall.
  if (leftWall_->Visible()) {
    DrawWall(leftWall_.get());
    const Integer bottom = r.bottom + bottomWall_->Size();
    if (leftWall_->Size() > 0)
      canvas->Cube(r.left - leftWall_->Size(), r.left, r.top, bottom, 0, w3d, DarkSides(leftWall_.get(), canvas));
    else
      canvas->RectangleZ(r.left, r.top, bottom, 0, w3d);
  }
  // 4. The floor.
  if (bottomWall_->Visible()) {
    DrawWall(bottomWall_.get());
    if (bottomWall_->Size() > 0)
      canvas->Cube(r.left, r.right, r.bottom, r.bottom + bottomWall_->Size(), 0, w3d,
                   DarkSides(bottomWall_.get(), canvas));
    else
      canvas->RectangleY(r.left, r.bottom, r.right, 0, w3d);
  }
}

// ---- zoom --------------------------------------------------------------------------------

void TCustomChart::SaveAxes() {
  if (axesSaved_) return;
  TChartAxis* axes[4] = {TopAxis(), BottomAxis(), LeftAxis(), RightAxis()};
  for (std::size_t i = 0; i < 4; ++i) {
    TSavedAxisState& s = savedAxes_[i];
    s.Automatic = axes[i]->Automatic();
    s.AutomaticMinimum = axes[i]->AutomaticMinimum();
    s.AutomaticMaximum = axes[i]->AutomaticMaximum();
    s.Minimum = axes[i]->Minimum();
    s.Maximum = axes[i]->Maximum();
  }
  axesSaved_ = true;
}

void TCustomChart::ZoomRect(const TRect& Rect) {
  TChartAxis* top = TopAxis();
  TChartAxis* bottom = BottomAxis();
  TChartAxis* left = LeftAxis();
  TChartAxis* right = RightAxis();
  ZoomValues(top->CalcPosPoint(Rect.left), top->CalcPosPoint(Rect.right), bottom->CalcPosPoint(Rect.left),
             bottom->CalcPosPoint(Rect.right), left->CalcPosPoint(Rect.bottom), left->CalcPosPoint(Rect.top),
             right->CalcPosPoint(Rect.bottom), right->CalcPosPoint(Rect.top));
}

void TCustomChart::ZoomValues(Double TopMin, Double TopMax, Double BottomMin, Double BottomMax, Double LeftMin,
                              Double LeftMax, Double RightMin, Double RightMax) {
  SaveAxes();
  TChartAxis* axes[4] = {TopAxis(), BottomAxis(), LeftAxis(), RightAxis()};
  const Double target[4][2] = {{TopMin, TopMax}, {BottomMin, BottomMax}, {LeftMin, LeftMax}, {RightMin, RightMax}};
  // An axis whose pixels give no finite values (a degenerate range) keeps its limits.
  bool moves[4];
  for (std::size_t i = 0; i < 4; ++i) moves[i] = std::isfinite(target[i][0]) && std::isfinite(target[i][1]);
  if (Zoom()->Animated()) {
    Double current[4][2];
    for (std::size_t i = 0; i < 4; ++i) {
      current[i][0] = axes[i]->RangeMin;
      current[i][1] = axes[i]->RangeMax;
    }
    for (Integer step = 1; step < Zoom()->AnimatedSteps(); ++step) {
      for (std::size_t i = 0; i < 4; ++i) {
        if (!moves[i]) continue;
        for (std::size_t k = 0; k < 2; ++k) current[i][k] += (target[i][k] - current[i][k]) / 3.0;
        axes[i]->SetMinMax(current[i][0], current[i][1]);
      }
      Repaint();
    }
  }
  for (std::size_t i = 0; i < 4; ++i)
    if (moves[i]) axes[i]->SetMinMax(target[i][0], target[i][1]);
  SetZoomed(true);
  if (OnZoom) OnZoom(this);
  Invalidate();
}

void TCustomChart::UndoZoom() {
  if (axesSaved_) {
    TChartAxis* axes[4] = {TopAxis(), BottomAxis(), LeftAxis(), RightAxis()};
    for (std::size_t i = 0; i < 4; ++i) {
      const TSavedAxisState& s = savedAxes_[i];
      if (!s.Automatic) axes[i]->SetMinMax(s.Minimum, s.Maximum);
      axes[i]->SetAutomatic(s.Automatic);
      axes[i]->SetAutomaticMinimum(s.AutomaticMinimum);
      axes[i]->SetAutomaticMaximum(s.AutomaticMaximum);
    }
    axesSaved_ = false;
  }
  ResetZoom();
}
