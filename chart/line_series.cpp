#include "chart/line_series.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "chart/chart_control.h"
#include "chart/chart_utils.h"
#include "chart/series_sources.h"
#include "platform/classlib/class_registry.h"

namespace {

const char* const kSampleLabels[] = {"Cars", "Phones", "Tables", "Monitors", "Lamps", "Keyboards", "Bikes", "Chairs"};

// Sample points of line and point series: the random walk, each point labelled.
void AddLabelledSamples(TChartSeries* Series, Integer NumValues) {
  AddRandomWalk(Series, NumValues);
  for (Integer i = 0; i < Series->Count(); ++i) Series->SetValueLabel(i, SampleLabel(i));
}

// Form files name the series by class; galleries list them; sample values are labelled.
const bool kSeriesRegistered = [] {
  RegisterClasses({&TLineSeries::StaticClass(), &TPointSeries::StaticClass()});
  ChartSeriesTypes().Add(&TLineSeries::StaticClass(), "Line");
  ChartSeriesTypes().Add(&TPointSeries::StaticClass(), "Point");
  RegisterSampleValues(TCustomSeries::StaticClass(), {&AddLabelledSamples, 25});
  return true;
}();

}  // namespace

std::string SampleLabel(Integer Index) {
  constexpr Integer n = static_cast<Integer>(std::size(kSampleLabels));
  return kSampleLabels[((Index % n) + n) % n];
}

const TEnumInfo& CustomSeriesStackInfo() {
  static const TEnumInfo info("TCustomSeriesStack", {"cssNone", "cssOverlap", "cssStack", "cssStack100"});
  return info;
}

// ---- TCustomLineSeries -----------------------------------------------------------------

const TClass& TCustomLineSeries::StaticClass() {
  static const TClass cls = TClass::Of<TCustomLineSeries>("TCustomLineSeries", TChartSeries::StaticClass());
  return cls;
}

// ---- TCustomSeries ---------------------------------------------------------------------

const TClass& TCustomSeries::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomSeries>("TCustomSeries", TCustomLineSeries::StaticClass(), &TCustomSeries::Publish);
  return cls;
}

void TCustomSeries::Publish(TPublished& published) {
  auto p = published.For<TCustomSeries>();
  p.Boolean("ClickableLine", &TCustomSeries::ClickableLine, &TCustomSeries::SetClickableLine).Default(true);
  p.Boolean("Dark3D", &TCustomSeries::Dark3D, &TCustomSeries::SetDark3D).Default(true);
  p.Boolean("InvertedStairs", &TCustomSeries::InvertedStairs, &TCustomSeries::SetInvertedStairs).Default(false);
  p.Integer("LineHeight", &TCustomSeries::LineHeight, &TCustomSeries::SetLineHeight).Default(0);
  p.Object("Pointer", &TCustomSeries::Pointer, &TCustomSeries::SetPointer);
  p.Enum("Stacked", CustomSeriesStackInfo(), &TCustomSeries::Stacked, &TCustomSeries::SetStacked).Default(cssNone);
  p.Boolean("Stairs", &TCustomSeries::Stairs, &TCustomSeries::SetStairs).Default(false);
  p.Event("OnClickPointer", &TCustomSeries::OnClickPointer);
  p.Event("OnGetPointerStyle", &TCustomSeries::OnGetPointerStyle);
}

TCustomSeries::TCustomSeries(TComponent* AOwner) : TCustomLineSeries(AOwner) {
  auto changed = [this](TObject*) { Repaint(); };
  areaBrush_ = std::make_unique<TChartBrush>(changed);
  areaLinesPen_ = std::make_unique<TChartPen>(changed);
  pointer_ = std::make_unique<TSeriesPointer>(this);
  // The segment to the first point past the visible range is drawn too.
  DrawBetweenPoints = true;
}

TCustomSeries::~TCustomSeries() = default;

void TCustomSeries::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomSeries*>(source)) {
    areaBrush_->Assign(src->areaBrush_.get());
    areaColor_ = src->areaColor_;
    areaLinesPen_->Assign(src->areaLinesPen_.get());
    clickableLine_ = src->clickableLine_;
    dark3D_ = src->dark3D_;
    drawArea_ = src->drawArea_;
    drawLine_ = src->drawLine_;
    invertedStairs_ = src->invertedStairs_;
    lineHeight_ = src->lineHeight_;
    pointer_->Assign(src->pointer_.get());
    stacked_ = src->stacked_;
    stairs_ = src->stairs_;
    ColorLines = src->ColorLines;
  }
  TCustomLineSeries::Assign(source);
}

void TCustomSeries::SetParentChart(TCustomAxisPanel* value) {
  TCustomLineSeries::SetParentChart(value);
  pointer_->SetParentChart(value);
}

TBrushStyle TCustomSeries::LineBrush() const { return Brush()->Style(); }

void TCustomSeries::SetLineBrush(TBrushStyle value) { Brush()->SetStyle(value); }

void TCustomSeries::SetStacked(TCustomSeriesStack value) {
  if (stacked_ == value) return;
  stacked_ = value;
  if (TCustomAxisPanel* chart = ParentChart()) {
    for (Integer i = 0; i < chart->SeriesCount(); ++i) {
      auto* s = dynamic_cast<TCustomSeries*>(chart->GetSeries(i));
      if (s && s != this && InheritsFrom(s->ClassType())) s->stacked_ = value;
    }
  }
  Repaint();
}

// ---- margins ---------------------------------------------------------------------------

void TCustomSeries::HorizPixelMargins(Integer& Left, Integer& Right) {
  pointer_->CalcHorizMargins(Left, Right);
  if (stairs_ && drawLine_) {
    const Integer w = LinePen()->Width();
    Left = std::max(Left, w);
    Right = std::max(Right, w);
  }
}

void TCustomSeries::VertPixelMargins(Integer& Top, Integer& Bottom) {
  pointer_->CalcVertMargins(Top, Bottom);
  if (stairs_ && drawLine_) {
    const Integer w = LinePen()->Width();
    Top = std::max(Top, w);
    Bottom = std::max(Bottom, w + 1);
  }
  if (lineHeight_ >= 1 && !drawArea_) Bottom = std::max(Bottom, lineHeight_);
  if (Marks()->Visible()) Top = std::max(Top, Marks()->ArrowLength());
}

// ---- stacking --------------------------------------------------------------------------

namespace {

// The series stacked with S at ValueIndex: active series of the chart that stack the
// same way on the same axes and hold that index; `before` stops at S.
template <class F>
void ForStackMates(TCustomSeries* S, Integer ValueIndex, bool Before, F Visit) {
  TCustomAxisPanel* chart = S->ParentChart();
  if (!chart) return;
  for (Integer i = 0; i < chart->SeriesCount(); ++i) {
    auto* s = dynamic_cast<TCustomSeries*>(chart->GetSeries(i));
    if (Before && s == S) return;
    if (!s || !s->Active() || s->Stacked() != S->Stacked()) continue;
    if (s->GetHorizAxis() != S->GetHorizAxis() || s->GetVertAxis() != S->GetVertAxis()) continue;
    if (ValueIndex < s->Count()) Visit(s);
  }
}

}  // namespace

Double TCustomSeries::StackedBelow(Integer ValueIndex, bool IncludeSelf) {
  Double sum = 0;
  ForStackMates(this, ValueIndex, true, [&](TCustomSeries* s) { sum += s->MandatoryList()->GetValue(ValueIndex); });
  if (IncludeSelf) sum += MandatoryList()->GetValue(ValueIndex);
  return sum;
}

Double TCustomSeries::ColumnTotal(Integer ValueIndex) {
  Double sum = 0;
  ForStackMates(this, ValueIndex, false, [&](TCustomSeries* s) { sum += s->MandatoryList()->GetValue(ValueIndex); });
  return sum;
}

Double TCustomSeries::MaxYValue() {
  if (stacked_ == cssStack100) return 100;
  if (stacked_ != cssStack) return TCustomLineSeries::MaxYValue();
  Double result = 0;
  for (Integer i = 0; i < Count(); ++i) {
    const Double v = StackedBelow(i, true);
    result = i == 0 ? v : std::max(result, v);
  }
  return result;
}

Double TCustomSeries::MinYValue() {
  if (stacked_ == cssStack100) return 0;
  if (stacked_ != cssStack) return TCustomLineSeries::MinYValue();
  Double result = 0;
  for (Integer i = 0; i < Count(); ++i) {
    const Double v = StackedBelow(i, true);
    result = i == 0 ? v : std::min(result, v);
  }
  return result;
}

Integer TCustomSeries::CalcYPos(Integer ValueIndex) {
  if (stacked_ == cssStack) return CalcYPosValue(StackedBelow(ValueIndex, true));
  if (stacked_ == cssStack100) {
    const Double total = ColumnTotal(ValueIndex);
    return CalcYPosValue(total == 0 ? 0 : 100.0 * StackedBelow(ValueIndex, true) / total);
  }
  return TCustomLineSeries::CalcYPos(ValueIndex);
}

Integer TCustomSeries::GetOriginPos(Integer ValueIndex) {
  if (stacked_ == cssStack) return CalcYPosValue(StackedBelow(ValueIndex, false));
  if (stacked_ == cssStack100) {
    const Double total = ColumnTotal(ValueIndex);
    return CalcYPosValue(total == 0 ? 0 : 100.0 * StackedBelow(ValueIndex, false) / total);
  }
  return GetVertAxis() ? GetVertAxis()->EndPixel : 0;
}

// ---- drawing ---------------------------------------------------------------------------

Integer TCustomSeries::LeftEdgeX() {
  if (!ParentChart()) return 0;
  const TRect& r = ParentChart()->ChartRect();
  return GetHorizAxis() && GetHorizAxis()->Inverted() ? r.right : r.left;
}

Integer TCustomSeries::EdgeY(Integer ValueIndex, Integer EdgeX, Integer X, Integer Y) {
  if (stairs_) return Y;
  const Integer x0 = CalcXPos(ValueIndex - 1);
  const Integer y0 = CalcYPos(ValueIndex - 1);
  if (x0 == X) return Y;
  const Double t = static_cast<Double>(EdgeX - x0) / static_cast<Double>(X - x0);
  return RoundToPixel(y0 + (static_cast<Double>(Y) - y0) * t);
}

namespace {

// The legs of a segment: one straight leg, or the two legs of a stair.
struct TLegs {
  std::array<TPoint, 3> Points;
  Integer Count;
};

TLegs SegmentLegs(Integer X0, Integer Y0, Integer X, Integer Y, bool Stairs, bool Inverted) {
  if (!Stairs) return TLegs{{TPoint{X0, Y0}, TPoint{X, Y}, TPoint{X, Y}}, 2};
  return TLegs{{TPoint{X0, Y0}, Inverted ? TPoint{X0, Y} : TPoint{X, Y0}, TPoint{X, Y}}, 3};
}

}  // namespace

std::array<TPoint, 4> TCustomSeries::Ribbon(const TPoint& A, const TPoint& B) {
  TCanvas3D* canvas = ParentCanvas();
  return {canvas->SpaceToScreen(A.x, A.y, StartZ), canvas->SpaceToScreen(B.x, B.y, StartZ),
          canvas->SpaceToScreen(B.x, B.y, EndZ), canvas->SpaceToScreen(A.x, A.y, EndZ)};
}

void TCustomSeries::CalcDarkSlope() {
  // The screen direction of the depth: a ribbon whose leg climbs more steeply than it
  // shows its underside.
  TCanvas3D* canvas = ParentCanvas();
  const TRect r = ParentChart() ? ParentChart()->ChartRect() : TRect{0, 0, 0, 0};
  const TPoint c = RectCenter(r);
  const TPoint front = canvas->SpaceToScreen(c.x, c.y, StartZ);
  const TPoint back = canvas->SpaceToScreen(c.x, c.y, EndZ);
  const Double run = back.x - front.x;
  const Double rise = front.y - back.y;
  depthLeft_ = run < 0;
  DarkSlope = run != 0 ? rise / run : (rise >= 0 ? 1e300 : -1e300);
}

bool TCustomSeries::ShowsUnderside(const TPoint& A, const TPoint& B) const {
  Double run = B.x - A.x;
  Double rise = A.y - B.y;
  if (run < 0) {
    run = -run;
    rise = -rise;
  }
  if (run == 0) return rise != 0 && (rise > 0) != depthLeft_;
  return (rise / run > DarkSlope) != depthLeft_;
}

void TCustomSeries::DrawSegment(Integer X0, Integer Y0, Integer X, Integer Y, TColor Colour, Integer ValueIndex) {
  if ((X == X0 && Y == Y0) || Colour == clNone) return;
  TCanvas3D* canvas = ParentCanvas();
  TCustomAxisPanel* chart = ParentChart();
  const TColor lineColour = ColorLines ? Colour : SeriesColor();
  const TLegs legs = SegmentLegs(X0, Y0, X, Y, stairs_, invertedStairs_);
  const std::array<TPoint, 5> corners{legs.Points[0], legs.Points[1], legs.Points[2], TPoint{X, OriginPos},
                                      TPoint{X0, PrevOriginPos}};
  const TColor areaColour = areaColor_ == clDefault ? Colour : areaColor_;
  std::vector<std::pair<TPoint, TPoint>> pieces;
  for (Integer k = 0; k + 1 < legs.Count; ++k)
    pieces.emplace_back(legs.Points[static_cast<std::size_t>(k)], legs.Points[static_cast<std::size_t>(k + 1)]);
  std::vector<TPoint> area(corners.begin(), corners.end());
  TPoint lineA0{X0, Y0}, lineA1{X0, PrevOriginPos}, lineB0{X, Y}, lineB1{X, OriginPos};
  bool lineA = true, lineB = true;
  // Positions beyond what the canvas draws are cut, in floating point, to a box around the
  // chart that holds all it shows: a line through the view from far off stays drawn.
  if (chart && std::any_of(corners.begin(), corners.end(), BeyondScreenLimit)) {
    const TRect b = chart->ChartBounds();
    const Integer margin = std::max(b.right - b.left, b.bottom - b.top);
    const TRect box{b.left - margin, b.top - margin, b.right + margin, b.bottom + margin};
    std::erase_if(pieces, [&](auto& piece) { return !ClipSegmentToRect(piece.first, piece.second, box); });
    area = ClipPolygonToRect(corners, box);
    lineA = ClipSegmentToRect(lineA0, lineA1, box);
    lineB = ClipSegmentToRect(lineB0, lineB1, box);
  }

  if (chart && chart->View3D()) {
    // A point series has neither line nor area: only its pointers stand in the depth.
    if (!drawLine_ && !drawArea_) return;
    // The ribbon along each leg, from the series' front to its back, its underside
    // darker; then the front face (the area, or the line's LineHeight) before it.
    canvas->ApplyPen(LinePen(), lineColour);
    for (const auto& [a, b] : pieces) {
      const TColor face = drawArea_ ? areaColour : Colour;
      const bool dark =
          dark3D_ && ShowsUnderside(canvas->SpaceToScreen(a.x, a.y, StartZ), canvas->SpaceToScreen(b.x, b.y, StartZ));
      canvas->ApplyBrush(drawArea_ ? areaBrush_.get() : Brush(), dark ? DarkenColor(face, kDarkSideAmount) : face);
      canvas->DrawPolygon(Ribbon(a, b));
    }
    if (drawArea_) {
      canvas->ApplyBrush(areaBrush_.get(), areaColour);
      if (!area.empty()) canvas->PolygonWithZ(area, StartZ);
      if (areaLinesPen_->Visible()) {
        canvas->ApplyPen(areaLinesPen_.get());
        if (ValueIndex - 1 > firstValueIndex_ && lineA) canvas->VertLine3D(lineA0.x, lineA0.y, lineA1.y, StartZ);
        if (lineB) canvas->VertLine3D(lineB0.x, lineB0.y, lineB1.y, StartZ);
      }
    } else if (lineHeight_ > 0) {
      canvas->ApplyBrush(Brush(), Colour);
      for (const auto& [a, b] : pieces) {
        const std::array<TPoint, 4> front{a, b, TPoint{b.x, b.y + lineHeight_}, TPoint{a.x, a.y + lineHeight_}};
        canvas->PolygonWithZ(front, StartZ);
      }
    }
    return;
  }
  if (drawArea_) {
    canvas->ApplyPen(LinePen(), lineColour);
    canvas->ApplyBrush(areaBrush_.get(), areaColour);
    if (!area.empty()) canvas->DrawPolygon(std::span<const TPoint>(area.data(), area.size()));
    // The lines under the area at the points, down to the base line. The outline of
    // this segment's area covered the one at its start: it is drawn again on top.
    if (areaLinesPen_->Visible()) {
      canvas->ApplyPen(areaLinesPen_.get());
      if (ValueIndex - 1 > firstValueIndex_ && lineA) canvas->DrawLine(lineA0.x, lineA0.y, lineA1.x, lineA1.y);
      if (lineB) canvas->DrawLine(lineB0.x, lineB0.y, lineB1.x, lineB1.y);
    }
    return;
  }
  if (!drawLine_ || pieces.empty()) return;
  canvas->ApplyPen(LinePen(), lineColour);
  canvas->Brush()->SetStyle(bsClear);
  canvas->MoveToPoint(pieces.front().first.x, pieces.front().first.y);
  TPoint at = pieces.front().first;
  for (const auto& [a, b] : pieces) {
    if (a != at) canvas->MoveToPoint(a.x, a.y);
    canvas->LineToPoint(b.x, b.y);
    at = b;
  }
}

void TCustomSeries::DrawPointer(Integer X, Integer Y, Integer ValueIndex, TColor Colour) {
  TCanvas3D* canvas = ParentCanvas();
  if (!canvas) return;
  pointer_->PrepareCanvas(canvas, Colour);
  pointer_->Draw(X, Y, Colour, PointerStyleAt(ValueIndex));
}

TSeriesPointerStyle TCustomSeries::PointerStyleAt(Integer ValueIndex) {
  return OnGetPointerStyle ? OnGetPointerStyle(this, ValueIndex) : pointer_->Style();
}

void TCustomSeries::DrawValue(Integer ValueIndex) {
  if (!ParentCanvas()) return;
  const TColor colour = GetValueColor(ValueIndex);
  const Integer x = CalcXPos(ValueIndex);
  const Integer y = CalcYPos(ValueIndex);
  // A point far off the screen has no pointer; its segments are cut to the view.
  const bool far = BeyondScreenLimit(TPoint{x, y});
  const bool prevFar = BeyondScreenLimit(TPoint{PrevX, PrevY});
  if (PrevColor == clNone) {
    PrevX = x;
    PrevY = y;
  }
  OriginPos = GetOriginPos(ValueIndex);
  const bool pointerVisible = pointer_->Visible();
  if (ValueIndex == firstValueIndex_) {
    CalcDarkSlope();
    if (ValueIndex > 0 && !drawArea_) {
      const Integer edgeX = LeftEdgeX();
      const Integer edgeY = EdgeY(ValueIndex, edgeX, x, y);
      DrawSegment(edgeX, edgeY, x, y, colour, ValueIndex);
    }
    if (ValueIndex == lastValueIndex_ && pointerVisible && colour != clNone && !far)
      DrawPointer(x, y, ValueIndex, colour);
  } else {
    DrawSegment(PrevX, PrevY, x, y, colour, ValueIndex);
    if (pointerVisible) {
      if (PrevColor != clNone && !prevFar) DrawPointer(PrevX, PrevY, ValueIndex - 1, PrevColor);
      if (ValueIndex == lastValueIndex_ && colour != clNone && !far) DrawPointer(x, y, ValueIndex, colour);
    }
  }
  PrevX = x;
  PrevY = y;
  PrevOriginPos = OriginPos;
  PrevColor = colour;
}

void TCustomSeries::DrawLegendShape(Integer ValueIndex, const TRect& Rect) {
  if (!pointer_->Visible()) {
    TChartSeries::DrawLegendShape(ValueIndex, Rect);
    return;
  }
  const TColor colour = ValueIndex < 0 ? SeriesColor() : GetValueColor(ValueIndex);
  pointer_->DrawInRect(colour, Rect, false);
}

// ---- hit testing -----------------------------------------------------------------------

bool TCustomSeries::ClickedPointer(Integer ValueIndex, Integer PX, Integer PY, Integer X, Integer Y) {
  (void)ValueIndex;
  return std::abs(X - PX) < pointer_->HorizSize() && std::abs(Y - PY) < pointer_->VertSize();
}

bool TCustomSeries::SegmentHit(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer X, Integer Y,
                               Integer ValueIndex) {
  const TPoint p{X, Y};
  const TLegs legs = SegmentLegs(X0, Y0, X1, Y1, stairs_, invertedStairs_);
  for (Integer k = 0; k + 1 < legs.Count; ++k) {
    const TPoint a = legs.Points[static_cast<std::size_t>(k)], b = legs.Points[static_cast<std::size_t>(k + 1)];
    if (NearLine(p, a.x, a.y, b.x, b.y)) return true;
  }
  if (!drawArea_) return false;
  const std::array<TPoint, 4> area{TPoint{X0, Y0}, TPoint{X1, Y1}, TPoint{X1, GetOriginPos(ValueIndex)},
                                   TPoint{X0, GetOriginPos(ValueIndex - 1)}};
  return InsidePolygon(p, area);
}

bool TCustomSeries::RibbonHit(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer X, Integer Y,
                              Integer ValueIndex) {
  // Screen position against the ribbons as drawn, and the area's front face.
  TCanvas3D* canvas = ParentCanvas();
  const TPoint p{X, Y};
  const TLegs legs = SegmentLegs(X0, Y0, X1, Y1, stairs_, invertedStairs_);
  for (Integer k = 0; k + 1 < legs.Count; ++k) {
    const std::array<TPoint, 4> ribbon =
        Ribbon(legs.Points[static_cast<std::size_t>(k)], legs.Points[static_cast<std::size_t>(k + 1)]);
    if (InsidePolygon(p, ribbon) || NearLine(p, ribbon[0].x, ribbon[0].y, ribbon[1].x, ribbon[1].y)) return true;
  }
  if (!drawArea_) return false;
  const std::array<TPoint, 4> area{canvas->SpaceToScreen(X0, Y0, StartZ), canvas->SpaceToScreen(X1, Y1, StartZ),
                                   canvas->SpaceToScreen(X1, GetOriginPos(ValueIndex), StartZ),
                                   canvas->SpaceToScreen(X0, GetOriginPos(ValueIndex - 1), StartZ)};
  return InsidePolygon(p, area);
}

Integer TCustomSeries::Clicked(Integer X, Integer Y) {
  TCustomAxisPanel* chart = ParentChart();
  const Integer screenX = X, screenY = Y;
  const bool is3D = chart && chart->View3D() && ParentCanvas();
  // Pointers are found on the series' front plane.
  if (is3D) ParentCanvas()->ScreenToSpace(X, Y, StartZ);
  const Integer inherited = TCustomLineSeries::Clicked(X, Y);
  if (inherited != -1 || firstValueIndex_ < 0 || lastValueIndex_ < 0) return inherited;
  // In 3D a pointer is hit on the series' front plane and where it is drawn: the click
  // is taken into the planes it covers, from the series' front to its back for a solid
  // (a plane every pointer size), the middle plane for a flat shape or a sphere.
  std::vector<TPoint> solidPlanes, middlePlane{TPoint{X, Y}};
  if (is3D && pointer_->Visible()) {
    const Integer step = std::max<Integer>(1, std::min(pointer_->HorizSize(), pointer_->VertSize()));
    auto into = [&](std::vector<TPoint>& planes, Integer z) {
      TPoint p{screenX, screenY};
      ParentCanvas()->ScreenToSpace(p.x, p.y, z);
      planes.push_back(p);
    };
    for (Integer z = StartZ; z < EndZ; z += step) into(solidPlanes, z);
    into(solidPlanes, EndZ);
    into(middlePlane, MiddleZ);
  }
  auto pointerHit = [&](Integer t, Integer px, Integer py) -> std::optional<TPoint> {
    if (!is3D) return ClickedPointer(t, px, py, X, Y) ? std::optional<TPoint>(TPoint{X, Y}) : std::nullopt;
    for (const TPoint& p : pointer_->IsSolid(PointerStyleAt(t)) ? solidPlanes : middlePlane)
      if (ClickedPointer(t, px, py, p.x, p.y)) return p;
    return std::nullopt;
  };
  Integer prevX = 0, prevY = 0;
  for (Integer t = firstValueIndex_; t <= lastValueIndex_; ++t) {
    const Integer px = CalcXPos(t);
    const Integer py = CalcYPos(t);
    if (pointer_->Visible()) {
      if (const std::optional<TPoint> p = pointerHit(t, px, py)) {
        if (OnClickPointer) OnClickPointer(this, t, p->x, p->y);
        return t;
      }
    }
    if (px == X && py == Y) return t;
    if (t > firstValueIndex_ && clickableLine_) {
      const bool hit = is3D ? RibbonHit(prevX, prevY, px, py, screenX, screenY, t)
                            : SegmentHit(prevX, prevY, px, py, X, Y, t);
      if (hit) return t - 1;
    }
    prevX = px;
    prevY = py;
  }
  return -1;
}

// ---- TLineSeries -----------------------------------------------------------------------

const TClass& TLineSeries::StaticClass() {
  static const TClass cls = TClass::Of<TLineSeries>("TLineSeries", TCustomSeries::StaticClass(), &TLineSeries::Publish);
  return cls;
}

void TLineSeries::Publish(TPublished& published) {
  auto p = published.For<TLineSeries>();
  p.Enum("LineBrush", BrushStyleInfo(), &TLineSeries::LineBrush, &TLineSeries::SetLineBrush).Default(bsSolid);
  p.Object("LinePen", &TLineSeries::LinePen, &TLineSeries::SetLinePen);
}

TLineSeries::TLineSeries(TComponent* AOwner) : TCustomSeries(AOwner) {
  SetDrawLine(true);
  Pointer()->SetVisible(false);
  Pointer()->KeepDefaults();
}

void TLineSeries::Assign(TPersistent* source) {
  TCustomSeries::Assign(source);
  if (!source || !source->InheritsFrom(ClassType())) Pointer()->SetVisible(false);
  SetDrawArea(false);
  SetDrawLine(true);
}

void TLineSeries::CreateSubGallery(const TChartSubGalleryProc& AddSubChart) {
  for (const char* name : {"Normal", "Stairs", "Points", "Height", "Hollow", "Colors", "Marks", "No Border"})
    AddSubChart(name);
}

void TLineSeries::SetStylePreview(Integer Index) {
  switch (Index) {
    case 1: SetStairs(true); break;
    case 2: Pointer()->SetVisible(true); break;
    case 3: SetLineHeight(5); break;
    case 4: SetLineBrush(bsClear); break;
    case 5: SetColorEachPoint(true); break;
    case 6: Marks()->SetVisible(true); break;
    case 7: LinePen()->SetVisible(false); break;
    default: break;
  }
}

void TLineSeries::PrepareLegendCanvas(Integer ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle) {
  (void)ValueIndex;
  (void)BackColor;
  if (TCanvas3D* canvas = ParentCanvas()) canvas->ApplyPen(LinePen());
  BrushStyle = LineBrush();
}

void TLineSeries::DrawLegendShape(Integer ValueIndex, const TRect& Rect) {
  TCanvas3D* canvas = ParentCanvas();
  if (!canvas) return;
  const TColor colour = ValueIndex < 0 ? SeriesColor() : GetValueColor(ValueIndex);
  const Integer middle = (Rect.top + Rect.bottom) / 2;
  if (Pointer()->Visible()) {
    if (DrawLine()) {
      canvas->ApplyPen(LinePen(), colour);
      canvas->DrawLine(Rect.left, middle, Rect.right, middle);
    }
    if (LinePen()->Visible()) Pointer()->DrawInRect(colour, Rect, true);
  } else if (ParentChart() && ParentChart()->View3D()) {
    canvas->ApplyBrush(Brush(), colour);
    TChartSeries::DrawLegendShape(ValueIndex, Rect);
  } else {
    canvas->ApplyPen(LinePen(), colour);
    canvas->DrawLine(Rect.left, middle, Rect.right, middle);
  }
}

// ---- TPointSeries ----------------------------------------------------------------------

const TClass& TPointSeries::StaticClass() {
  static const TClass cls =
      TClass::Of<TPointSeries>("TPointSeries", TCustomSeries::StaticClass(), &TPointSeries::Publish);
  return cls;
}

void TPointSeries::Publish(TPublished& published) {
  auto p = published.For<TPointSeries>();
  p.Boolean("ClickableLine", &TPointSeries::ClickableLine, &TPointSeries::SetClickableLine).Default(false);
}

TPointSeries::TPointSeries(TComponent* AOwner) : TCustomSeries(AOwner) {
  Pointer()->SetVisible(true);
  SetDrawArea(false);
  SetDrawLine(false);
  SetClickableLine(false);
  Marks()->SetArrowLength(0);
  Marks()->KeepDefaults();
}

void TPointSeries::Assign(TPersistent* source) {
  TCustomSeries::Assign(source);
  Pointer()->SetVisible(true);
  SetDrawArea(false);
  SetDrawLine(false);
  SetClickableLine(false);
}

void TPointSeries::PrepareForGallery(bool Enabled) {
  TCustomSeries::PrepareForGallery(Enabled);
  Pointer()->SetHorizSize(6);
  Pointer()->SetVertSize(6);
  // A second point series in the same gallery chart is told apart by its shape.
  TCustomAxisPanel* chart = ParentChart();
  if (chart && chart->SeriesCount() > 1 && chart->GetSeries(1) == this) Pointer()->SetStyle(psTriangle);
}

void TPointSeries::CreateSubGallery(const TChartSubGalleryProc& AddSubChart) {
  for (const char* name : {"Normal", "Colors", "Marks", "Hollow", "No Border"}) AddSubChart(name);
  if (HasPointerStyles())
    for (const char* name : {"Point 2D", "Triangle", "Star", "Circle", "Down Tri.", "Cross", "Diamond"})
      AddSubChart(name);
}

void TPointSeries::SetColorEachPoint(bool value) {
  TCustomSeries::SetColorEachPoint(value);
  if (value) Pointer()->Brush()->SetColor(clDefault);
}

void TPointSeries::SetStylePreview(Integer Index) {
  switch (Index) {
    case 1: SetColorEachPoint(true); break;
    case 2: Marks()->SetVisible(true); break;
    case 3: Pointer()->Brush()->SetStyle(bsClear); break;
    case 4: Pointer()->Pen()->SetVisible(false); break;
    case 5: Pointer()->SetDraw3D(false); break;
    case 6: Pointer()->SetStyle(psTriangle); break;
    case 7: Pointer()->SetStyle(psStar); break;
    case 8: Pointer()->SetStyle(psCircle); break;
    case 9: Pointer()->SetStyle(psDownTriangle); break;
    case 10: Pointer()->SetStyle(psCross); break;
    case 11: Pointer()->SetStyle(psDiamond); break;
    default: break;
  }
}
