#include "chart/series_marks.h"

#include <cmath>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_blend.h"
#include "chart/chart_canvas.h"
#include "chart/chart_series.h"
#include "chart/chart_utils.h"

const TEnumInfo& SeriesMarksStyleInfo() {
  static const TEnumInfo info("TSeriesMarksStyle",
                              {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue", "smsLegend",
                               "smsPercentTotal", "smsLabelPercentTotal", "smsXValue", "smsXY"});
  return info;
}

// ---- TSeriesMarksPositions -------------------------------------------------------------

const TClass& TSeriesMarksPositions::StaticClass() {
  static const TClass cls = TClass::Of<TSeriesMarksPositions>("TSeriesMarksPositions", TList::StaticClass());
  return cls;
}

TSeriesMarksPositions::~TSeriesMarksPositions() { Clear(); }

void TSeriesMarksPositions::Clear() {
  for (Integer i = 0; i < Count(); ++i) delete static_cast<TSeriesMarkPosition*>(Get(i));
  TList::Clear();
}

void TSeriesMarksPositions::DeleteEntry(Integer Index) {
  delete static_cast<TSeriesMarkPosition*>(Get(Index));
  Delete(Index);
}

TSeriesMarkPosition* TSeriesMarksPositions::Position(Integer Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return static_cast<TSeriesMarkPosition*>(Get(Index));
}

void TSeriesMarksPositions::SetPosition(Integer Index, std::unique_ptr<TSeriesMarkPosition> Value) {
  if (Index < 0) Error(msg::ListIndexError, Index);
  if (Index >= Count()) SetCount(Index + 1);
  delete static_cast<TSeriesMarkPosition*>(Get(Index));
  Put(Index, Value.release());
}

// ---- TSeriesMarksGradient --------------------------------------------------------------

const TClass& TSeriesMarksGradient::StaticClass() {
  static const TClass cls = TClass::Of<TSeriesMarksGradient>("TSeriesMarksGradient", TChartGradient::StaticClass());
  return cls;
}

TSeriesMarksGradient::TSeriesMarksGradient(TNotifyEvent OnChangeEvent) : TChartGradient(std::move(OnChangeEvent)) {
  direction_ = gdRightLeft;
  endColor_ = clWhite;
  startColor_ = clSilver;
  KeepDefaults();
}

// ---- TSeriesMarks ----------------------------------------------------------------------

const TClass& TSeriesMarks::StaticClass() {
  static const TClass cls =
      TClass::Of<TSeriesMarks>("TSeriesMarks", TChartCustomShape::StaticClass(), &TSeriesMarks::Publish);
  return cls;
}

void TSeriesMarks::Publish(TPublished& published) {
  auto p = published.For<TSeriesMarks>();
  p.Integer("Angle", &TSeriesMarks::Angle, &TSeriesMarks::SetAngle).Default(0);
  p.Object("Arrow", &TSeriesMarks::Arrow, &TSeriesMarks::SetArrow);
  p.Integer("ArrowLength", &TSeriesMarks::ArrowLength, &TSeriesMarks::SetArrowLength).Default(8);
  // Another name of Color: read from forms, written as Color.
  p.Integer("BackColor", &TSeriesMarks::BackColor, &TSeriesMarks::SetBackColor).Idents(ColorIdents()).Stored(false);
  p.Boolean("Clip", &TSeriesMarks::Clip, &TSeriesMarks::SetClip).Default(false);
  p.Integer("DrawEvery", &TSeriesMarks::DrawEvery, &TSeriesMarks::SetDrawEvery).Default(1);
  p.Boolean("MultiLine", &TSeriesMarks::MultiLine, &TSeriesMarks::SetMultiLine).Default(false);
  p.Enum("Style", SeriesMarksStyleInfo(), &TSeriesMarks::Style, &TSeriesMarks::SetStyle).Default(smsLabel);
  // Defaults that differ from the shape's.
  p.Integer("Color", &TSeriesMarks::Color, &TSeriesMarks::SetColor).Idents(ColorIdents()).Default(clInfoBk);
  p.Integer("ShadowColor", &TSeriesMarks::ShadowColor, &TSeriesMarks::SetShadowColor)
      .Idents(ColorIdents())
      .Default(TColor{0x808080});
  p.Integer("ShadowSize", &TSeriesMarks::ShadowSize, &TSeriesMarks::SetShadowSize).Default(1);
  p.Boolean("Visible", &TSeriesMarks::Visible, &TSeriesMarks::SetVisible).Default(false);
}

TSeriesMarks::TSeriesMarks(TChartSeries* Series) : TChartCustomShape(nullptr), series_(Series) {
  arrow_ = std::make_unique<TChartArrowPen>([this](TObject* Sender) { ArrowChanged(Sender); });
  positions_ = std::make_unique<TSeriesMarksPositions>();
  ReplaceGradient(std::make_unique<TSeriesMarksGradient>([this](TObject*) { Repaint(); }));
  SetColor(clInfoBk);
  SetShadowSize(1);
  SetShadowColor(TColor{0x808080});
  SetVisible(false);
}

TSeriesMarks::~TSeriesMarks() {
  arrow_.reset();
  positions_.reset();
}

void TSeriesMarks::ArrowChanged(TObject* Sender) {
  (void)Sender;
  Repaint();
}

void TSeriesMarks::Repaint() {
  if (series_)
    series_->Repaint();
  else
    TChartCustomShape::Repaint();
}

void TSeriesMarks::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TSeriesMarks*>(source)) {
    angle_ = src->angle_;
    arrow_->Assign(src->arrow_.get());
    arrowLength_ = src->arrowLength_;
    clip_ = src->clip_;
    drawEvery_ = src->drawEvery_;
    style_ = src->style_;
    multiLine_ = src->multiLine_;
  }
  TChartCustomShape::Assign(source);
}

void TSeriesMarks::SetAngle(Integer value) { ChangeValue(angle_, value); }
void TSeriesMarks::SetArrowLength(Integer value) { ChangeValue(arrowLength_, value); }
void TSeriesMarks::SetClip(bool value) { ChangeValue(clip_, value); }
void TSeriesMarks::SetDrawEvery(Integer value) { ChangeValue(drawEvery_, value < 1 ? 1 : value); }
void TSeriesMarks::SetStyle(TSeriesMarksStyle value) { ChangeValue(style_, value); }
void TSeriesMarks::SetMultiLine(bool value) { ChangeValue(multiLine_, value); }

TPoint TSeriesMarks::ScreenShift(const TSeriesMarkPosition& Position) {
  TCanvas3D* canvas = series_ ? series_->ParentCanvas() : nullptr;
  TCustomAxisPanel* chart = series_ ? series_->ParentChart() : nullptr;
  if (!canvas || !chart || !chart->View3D() || canvas->CanRotateFully()) return TPoint{0, 0};
  const TPoint projected = canvas->SpaceToScreen(Position.ArrowEnd.x, Position.ArrowEnd.y, Depth);
  return TPoint{projected.x - Position.ArrowEnd.x, projected.y - Position.ArrowEnd.y};
}

Integer TSeriesMarks::HitTest(Integer X, Integer Y) {
  TCanvas3D* canvas = series_ ? series_->ParentCanvas() : nullptr;
  TCustomAxisPanel* chart = series_ ? series_->ParentChart() : nullptr;
  // A canvas that turns the box with the view: back into the box's own plane.
  if (canvas && chart && chart->View3D() && canvas->CanRotateFully()) canvas->ScreenToSpace(X, Y, Depth);
  for (Integer i = 0; i < positions_->Count(); ++i) {
    if (i % drawEvery_ != 0) continue;
    const TSeriesMarkPosition* pos = positions_->Position(i);
    if (!pos) continue;
    const TPoint shift = ScreenShift(*pos);
    const TRect r = pos->Bounds();
    const Integer x = X - shift.x, y = Y - shift.y;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
  }
  return -1;
}

void TSeriesMarks::RememberPosition(Integer Index, TSeriesMarkPosition& Position) {
  TSeriesMarkPosition* stored = positions_->Position(Index);
  if (!stored) {
    auto entry = std::make_unique<TSeriesMarkPosition>();
    stored = entry.get();
    positions_->SetPosition(Index, std::move(entry));
  }
  if (stored->UserPlaced) {
    const TPoint ownStart = Position.ArrowStart;
    Position = *stored;
    if (stored->KeepArrowStart) Position.ArrowStart = ownStart;
  } else {
    *stored = Position;
  }
}

void TSeriesMarks::LiftByArrow(TSeriesMarkPosition& Position) {
  Position.BoxTopLeft.y -= arrowLength_;
  Position.ArrowEnd.y -= arrowLength_;
}

namespace {

// Black on light backgrounds, white on dark ones.
TColor OppositeOf(TColor Back) {
  const Integer rgb = ColorToRGB(Back);
  const Integer r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return (r * 299 + g * 587 + b * 114) / 1000 >= 128 ? clBlack : clWhite;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto sep = Text.find(ChartLineSeparator, start);
    lines.push_back(Text.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  return lines;
}

}  // namespace

void TSeriesMarks::DrawMark(Integer Index, TColor Colour, TSeriesMarkPosition& Position, const std::string& Text) {
  RememberPosition(Index, Position);
  TCanvas3D* canvas = series_ ? series_->ParentCanvas() : nullptr;
  if (!canvas) return;
  TCustomAxisPanel* chart = series_->ParentChart();
  const bool is3D = chart && chart->View3D();

  if (arrow_->Visible()) {
    canvas->Brush()->SetStyle(bsClear);
    TColor arrowColour = arrow_->Color();
    if (ChartCheckMarkArrowColor && chart && (arrowColour == Colour || arrowColour == chart->Color()))
      arrowColour = OppositeOf(chart->Color());
    canvas->ApplyPen(arrow_.get(), arrowColour);
    canvas->DrawLineAtDepth(Position.ArrowStart.x, Position.ArrowStart.y, Position.ArrowEnd.x, Position.ArrowEnd.y,
                            Depth);
  }

  // The box moves by the projection of the arrow's end; its text then goes with it,
  // drawn flat, so it is not moved a second time.
  const bool boxMoved = is3D && !canvas->CanRotateFully();
  const TPoint shift = ScreenShift(Position);
  Position.BoxTopLeft.x += shift.x;
  Position.BoxTopLeft.y += shift.y;

  if (Transparent())
    canvas->Brush()->SetStyle(bsClear);
  else
    canvas->ApplyBrush(Brush(), Color());
  canvas->ApplyPen(Frame());

  const TRect box = Position.Bounds();
  // One blend over frame and text together: the frame takes no second one.
  std::unique_ptr<TChartBlend> blend;
  if (Transparency() > 0) {
    if (auto* c3d = dynamic_cast<TChartCanvas3D*>(canvas)) blend = std::make_unique<TChartBlend>(c3d, BlendArea(box));
  }

  const Integer angle = angle_ % 360;
  DrawRectRotatedUnblended(canvas, box, angle);

  canvas->Brush()->SetStyle(bsClear);
  canvas->WriteBackMode(cbmTransparent);
  canvas->ApplyFont(Font());
  const Integer lineHeight = canvas->LineHeight();
  const std::vector<std::string> lines = SplitLines(Text);
  const Integer top = box.top + 2;
  const Integer centreX = box.left + Position.BoxWidth / 2;
  const Integer centreY = box.top + Position.BoxHeight / 2;
  const bool textAtDepth = is3D && !boxMoved;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const Integer w = canvas->MeasureTextWidth(line);
    const Integer x = centreX - w / 2;
    const Integer y = top + static_cast<Integer>(i) * lineHeight;
    if (angle != 0) {
      // The line's start turned around the box centre.
      Double s = 0, c = 1;
      SinCos(angle * M_PI / 180.0, s, c);
      const Double dx = x - centreX, dy = y - centreY;
      const Integer rx = centreX + RoundToPixel(dx * c + dy * s);
      const Integer ry = centreY + RoundToPixel(-dx * s + dy * c);
      if (textAtDepth)
        canvas->AngledTextAtDepth(rx, ry, Depth, line, angle);
      else
        canvas->DrawAngledText(rx, ry, line, angle);
    } else if (textAtDepth) {
      canvas->TextOut3D(x, y, Depth, line);
    } else {
      canvas->DrawText(x, y, line);
    }
  }

  if (blend) blend->DoBlend(Transparency());
}
