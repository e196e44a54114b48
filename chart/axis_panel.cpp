#include "chart/axis_panel.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "chart/chart_series.h"
#include "chart/chart_utils.h"
#include "platform/classlib/class_registry.h"

namespace {

// Form files name the axes, their titles and the marks inside a chart.
const bool kAxisClassesRegistered = [] {
  RegisterClasses({&TChartAxisTitle::StaticClass(), &TChartAxis::StaticClass(), &TChartDepthAxis::StaticClass(),
                   &TSeriesMarks::StaticClass()});
  return true;
}();

}  // namespace

const TClass& TChartSeriesList::StaticClass() {
  static const TClass cls = TClass::Of<TChartSeriesList>("TChartSeriesList", TList::StaticClass());
  return cls;
}

const TClass& TChartAxes::StaticClass() {
  static const TClass cls = TClass::Of<TChartAxes>("TChartAxes", TList::StaticClass());
  return cls;
}

const TClass& TChartCustomAxes::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomAxes>("TChartCustomAxes", TOwnedCollection::StaticClass());
  return cls;
}

const TClass& TChartSeriesEvent::StaticClass() {
  static const TClass cls = TClass::Of<TChartSeriesEvent>("TChartSeriesEvent", TChartEvent::StaticClass());
  return cls;
}

const TClass& TChartChangePage::StaticClass() {
  static const TClass cls = TClass::Of<TChartChangePage>("TChartChangePage", TChartEvent::StaticClass());
  return cls;
}

const TClass& TCustomAxisPanel::StaticClass() {
  static const TClass cls = TClass::Of<TCustomAxisPanel>("TCustomAxisPanel", TCustomChartPanelExtended::StaticClass(),
                                                         &TCustomAxisPanel::Publish);
  return cls;
}

void TCustomAxisPanel::Publish(TPublished& published) {
  auto p = published.For<TCustomAxisPanel>();
  p.Boolean("AxisBehind", &TCustomAxisPanel::AxisBehind, &TCustomAxisPanel::SetAxisBehind).Default(true);
  p.Boolean("AxisVisible", &TCustomAxisPanel::AxisVisible, &TCustomAxisPanel::SetAxisVisible).Default(true);
  p.Object("BottomAxis", &TCustomAxisPanel::BottomAxis, &TCustomAxisPanel::SetBottomAxis);
  p.Boolean("ClipPoints", &TCustomAxisPanel::ClipPoints, &TCustomAxisPanel::SetClipPoints).Default(true);
  p.Collection("CustomAxes", &TCustomAxisPanel::CustomAxes, &TCustomAxisPanel::SetCustomAxes)
      .StoredIf(&TCustomAxisPanel::IsCustomAxesStored);
  p.Object("DepthAxis", &TCustomAxisPanel::DepthAxis, &TCustomAxisPanel::SetDepthAxis);
  p.Object("LeftAxis", &TCustomAxisPanel::LeftAxis, &TCustomAxisPanel::SetLeftAxis);
  p.Integer("MaxPointsPerPage", &TCustomAxisPanel::MaxPointsPerPage, &TCustomAxisPanel::SetMaxPointsPerPage).Default(0);
  p.Integer("Page", &TCustomAxisPanel::Page, &TCustomAxisPanel::SetPage).Default(1);
  p.Object("RightAxis", &TCustomAxisPanel::RightAxis, &TCustomAxisPanel::SetRightAxis);
  p.Boolean("ScaleLastPage", &TCustomAxisPanel::ScaleLastPage, &TCustomAxisPanel::SetScaleLastPage).Default(true);
  p.Object("TopAxis", &TCustomAxisPanel::TopAxis, &TCustomAxisPanel::SetTopAxis);
  p.Boolean("View3DWalls", &TCustomAxisPanel::View3DWalls, &TCustomAxisPanel::SetView3DWalls).Default(true);
  p.Event("OnBeforeDrawAxes", &TCustomAxisPanel::OnBeforeDrawAxes);
  p.Event("OnBeforeDrawChart", &TCustomAxisPanel::OnBeforeDrawChart);
  p.Event("OnBeforeDrawSeries", &TCustomAxisPanel::OnBeforeDrawSeries);
  p.Event("OnGetAxisLabel", &TCustomAxisPanel::OnGetAxisLabel);
  p.Event("OnGetNextAxisLabel", &TCustomAxisPanel::OnGetNextAxisLabel);
  p.Event("OnPageChange", &TCustomAxisPanel::OnPageChange);
}

TCustomAxisPanel::TCustomAxisPanel(TComponent* AOwner) : TCustomChartPanelExtended(AOwner) {
  const bool repaint = AutoRepaint();
  SetAutoRepaint(false);
  tools_ = std::make_unique<TChartTools>();
  seriesList_ = std::make_unique<TChartSeriesList>();
  axes_ = std::make_unique<TChartAxes>();
  customAxes_ = std::make_unique<TChartCustomAxes>(this);

  bottomAxis_ = new TChartAxis(this);
  bottomAxis_->SetHorizontal(true);

  topAxis_ = new TChartAxis(this);
  topAxis_->SetHorizontal(true);
  topAxis_->SetOtherSide(true);

  leftAxis_ = new TChartAxis(this);
  leftAxis_->Title()->SetDefaultAngle(90);

  rightAxis_ = new TChartAxis(this);
  rightAxis_->Title()->SetDefaultAngle(270);
  rightAxis_->SetOtherSide(true);

  depthAxis_ = new TChartDepthAxis(this);
  depthAxis_->SetOtherSide(true);
  depthAxis_->SetVisible(false);
  depthAxis_->KeepDefaults();
  SetAutoRepaint(repaint);
}

TCustomAxisPanel::~TCustomAxisPanel() {
  // Nobody is told of series leaving a chart that is going.
  Destroying();
  SetAutoRepaint(false);
  // Series belong to their owners (forms, or the curves' variable systems); they only
  // leave the chart here. Those the chart owns go with its components.
  while (seriesList_->Count() > 0) {
    TChartSeries* s = seriesList_->Series(seriesList_->Count() - 1);
    s->SetParentChart(nullptr);
    // A series that did not take itself out must not be visited again.
    seriesList_->Remove(s);
  }
  tools_->Clear();
  // Custom axes go first, while the chart's lists still exist.
  customAxes_->Clear();
  delete depthAxis_;
  delete rightAxis_;
  delete leftAxis_;
  delete topAxis_;
  delete bottomAxis_;
  while (axes_->Count() > 0) {
    TChartAxis* axis = axes_->Axis(axes_->Count() - 1);
    axes_->Delete(axes_->Count() - 1);
    axis->DetachChart();
  }
}

void TCustomAxisPanel::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomAxisPanel*>(source)) {
    axisBehind_ = src->axisBehind_;
    axisVisible_ = src->axisVisible_;
    bottomAxis_->Assign(src->bottomAxis_);
    leftAxis_->Assign(src->leftAxis_);
    rightAxis_->Assign(src->rightAxis_);
    topAxis_->Assign(src->topAxis_);
    depthAxis_->Assign(src->depthAxis_);
    clipPoints_ = src->clipPoints_;
    customAxes_->Assign(src->customAxes_.get());
    maxPointsPerPage_ = src->maxPointsPerPage_;
    page_ = src->page_;
    scaleLastPage_ = src->scaleLastPage_;
    view3DWalls_ = src->view3DWalls_;
  }
  TCustomChartPanelExtended::Assign(source);
}

// ---- series ----------------------------------------------------------------------------

Integer TCustomAxisPanel::CountActiveSeries() const {
  Integer n = 0;
  for (Integer i = 0; i < seriesList_->Count(); ++i)
    if (seriesList_->Series(i)->Active()) ++n;
  return n;
}

void TCustomAxisPanel::AddSeries(TChartSeries* Series) {
  if (!Series || seriesList_->IndexOf(Series) >= 0) return;
  // A series joins through its ParentChart, which calls back here once it points to us.
  if (Series->ParentChart() != this) {
    Series->SetParentChart(this);
    return;
  }
  Series->SeriesJoined();
  seriesList_->Add(Series);
  BroadcastSeriesEvent(Series, seAdd);
  Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* Series) {
  if (!Series || seriesList_->IndexOf(Series) < 0) return;
  Series->SeriesLeaving();
  seriesList_->Remove(Series);
  BroadcastSeriesEvent(Series, seRemove);
  Invalidate();
  // Called directly rather than from the series' ParentChart: the series leaves too
  // (coming back here finds it no longer listed).
  if (Series->ParentChart() == this) Series->SetParentChart(nullptr);
}

void TCustomAxisPanel::RemovedDataSource(TChartSeries* Series, TComponent* Source) {
  (void)Source;
  // What the series showed came from the source: listeners look again.
  BroadcastSeriesEvent(Series, seDataChanged);
}

void TCustomAxisPanel::FreeAllSeries(const TClass* Class) {
  std::vector<TChartSeries*> chosen;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (!Class || s->InheritsFrom(*Class)) chosen.push_back(s);
  }
  for (TChartSeries* s : chosen) {
    s->SetParentChart(nullptr);
    seriesList_->Remove(s);
    // Only what the chart owns is freed: the engine's curves, for one, belong to their
    // variable systems and are merely shown here.
    if (s->Owner() == this) delete s;
  }
}

TChartSeries* TCustomAxisPanel::GetAxisSeries(TChartAxis* Axis) const {
  TChartSeries* any = nullptr;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (!s->AssociatedToAxis(Axis)) continue;
    if (s->Active()) return s;
    if (!any) any = s;
  }
  return any;
}

TColor TCustomAxisPanel::GetFreeSeriesColor(bool CheckBackground) {
  for (Integer i = 0; i < ChartPaletteSize; ++i) {
    const TColor c = PaletteColor(i);
    if (IsFreeSeriesColor(c, CheckBackground)) return c;
  }
  return PaletteColor(ChartPaletteSize);
}

bool TCustomAxisPanel::IsFreeSeriesColor(TColor Color, bool CheckBackground) {
  for (Integer i = 0; i < seriesList_->Count(); ++i)
    if (seriesList_->Series(i)->SeriesColor() == Color) return false;
  return !CheckBackground || Color != GetBackColor();
}

void TCustomAxisPanel::CheckDatasource(TChartSeries* Series) {
  if (!Series || ComponentState().Contains(csLoading)) return;
  if (auto* source = dynamic_cast<TChartSeries*>(Series->DataSource())) Series->AddValues(source);
}

bool TCustomAxisPanel::IsValidDataSource(TChartSeries* Series, TComponent* Component) {
  auto* source = dynamic_cast<TChartSeries*>(Component);
  return Series && source && source != Series && Series->IsValidSourceOf(Component);
}

void TCustomAxisPanel::CheckOtherSeries(TChartSeries* Dest, TChartSeries* Source) { CheckSeriesLoop(Dest, Source); }

std::string TCustomAxisPanel::SeriesTitleOrName(TChartSeries* Series) const {
  if (!Series->Title().empty()) return Series->Title();
  if (!Series->Name().empty()) return Series->Name();
  return "Series " + NumberText(seriesList_->IndexOf(Series));
}

void TCustomAxisPanel::BroadcastSeriesEvent(TChartSeries* Series, TChartSeriesEventKind Kind) {
  TChartSeriesEvent event;
  event.Series = Series;
  event.Kind = Kind;
  NotifyListeners(event);
  if (ComponentState().Contains(csDestroying)) return;
  // Tools that listen without having joined the listeners hear it as well.
  for (Integer i = 0; i < tools_->Count(); ++i) {
    auto* listener = dynamic_cast<TChartEventListener*>(tools_->Tool(i));
    if (listener && Listeners()->IndexOf(listener) < 0) listener->ChartEvent(event);
  }
}

void TCustomAxisPanel::BroadcastToolEvent(TChartToolEvent Event) {
  // A tool may leave the list while it draws: the count is read each time.
  for (Integer i = 0; i < tools_->Count(); ++i) {
    TChartCustomTool* tool = tools_->Tool(i);
    if (tool->Active()) tool->ChartEvent(Event);
  }
}

void TCustomAxisPanel::BroadcastMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift,
                                           Integer X, Integer Y) {
  for (Integer i = 0; i < tools_->Count() && !CancelMouse(); ++i) {
    TChartCustomTool* tool = tools_->Tool(i);
    if (tool->Active()) tool->ChartMouseEvent(Event, Button, Shift, X, Y);
  }
}

std::string TCustomAxisPanel::FormattedValueLegend(TChartSeries* Series, Integer Index) {
  (void)Series;
  (void)Index;
  return std::string();
}

void TCustomAxisPanel::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (s->Owner() == root) proc(s);
  }
  for (Integer i = 0; i < tools_->Count(); ++i) {
    TChartCustomTool* t = tools_->Tool(i);
    if (t->Owner() == root) proc(t);
  }
  TCustomChartPanelExtended::GetChildren(proc, root);
}

// ---- axes --------------------------------------------------------------------------------

void TCustomAxisPanel::AddAxis(TChartAxis* Axis) {
  if (axes_ && axes_->IndexOf(Axis) < 0) axes_->Add(Axis);
}

void TCustomAxisPanel::RemoveAxis(TChartAxis* Axis) {
  if (axes_) axes_->Remove(Axis);
}

bool TCustomAxisPanel::IsAxisVisible(TChartAxis* Axis) {
  if (!axisVisible_ || !Axis || !Axis->Visible()) return false;
  if (Axis->IsDepthAxis()) return View3D();
  bool anyActive = false;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (!s->Active()) continue;
    // A series drawn without axes ends the search with what was found so far.
    if (!s->UseAxis()) return !anyActive;
    anyActive = true;
    if (s->AssociatedToAxis(Axis)) return true;
  }
  return !anyActive;
}

bool TCustomAxisPanel::HasAxisSeries(TChartAxis* Axis) const {
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (s->Active() && (Axis->IsDepthAxis() || s->AssociatedToAxis(Axis))) return true;
  }
  return false;
}

template <class F>
Double TCustomAxisPanel::Extreme(TChartAxis* Axis, bool Largest, F Value) const {
  bool found = false;
  Double result = 0;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    // The depth axis is nobody's horizontal or vertical axis: every active series counts.
    if (!s->Active() || (!Axis->IsDepthAxis() && !s->AssociatedToAxis(Axis))) continue;
    const Double v = Value(s);
    if (!found || (Largest ? v > result : v < result)) result = v;
    found = true;
  }
  return result;
}

bool TCustomAxisPanel::PagedExtreme(TChartAxis* Axis, bool Largest, Double& Value) {
  const Integer m = maxPointsPerPage_;
  if (m < 1 || seriesList_->Count() < 1 || !Axis || Axis->IsDepthAxis()) return false;
  TChartSeries* first = seriesList_->Series(0);
  // The axis along the first series' secondary list (X for an ordinary series).
  if (Axis->Horizontal() != first->YIsMandatory() || !first->AssociatedToAxis(Axis)) return false;
  const Integer count = first->Count();
  // Nothing to page through: the axis takes the ordinary extremes.
  if (count < 1) return false;
  Integer firstIndex = (page_ - 1) * m;
  if (firstIndex < 0 || firstIndex >= count) firstIndex = std::max(0, count / m - 1) * m;
  Integer lastIndex = firstIndex + m - 1;
  if (lastIndex >= count) lastIndex = firstIndex + (count % m) - 1;
  lastIndex = std::clamp(lastIndex, firstIndex, count - 1);
  TChartValueList* list = first->SecondaryList();
  Double lo = list->GetValue(firstIndex);
  Double hi = list->GetValue(lastIndex);
  if (lo > hi) std::swap(lo, hi);
  const Integer n = lastIndex - firstIndex + 1;
  // A short last page keeps the scale of a full one.
  if (!scaleLastPage_ && n < m) hi = lo + (hi - lo) * m / n;
  Value = Largest ? hi : lo;
  return true;
}

Double TCustomAxisPanel::MinXValue(TChartAxis* Axis) {
  Double v = 0;
  if (PagedExtreme(Axis, false, v)) return v;
  return Extreme(Axis, false, [](TChartSeries* s) { return s->MinXValue(); });
}

Double TCustomAxisPanel::MaxXValue(TChartAxis* Axis) {
  Double v = 0;
  if (PagedExtreme(Axis, true, v)) return v;
  return Extreme(Axis, true, [](TChartSeries* s) { return s->MaxXValue(); });
}

Double TCustomAxisPanel::MinYValue(TChartAxis* Axis) {
  Double v = 0;
  if (PagedExtreme(Axis, false, v)) return v;
  return Extreme(Axis, false, [](TChartSeries* s) { return s->MinYValue(); });
}

Double TCustomAxisPanel::MaxYValue(TChartAxis* Axis) {
  Double v = 0;
  if (PagedExtreme(Axis, true, v)) return v;
  return Extreme(Axis, true, [](TChartSeries* s) { return s->MaxYValue(); });
}

Double TCustomAxisPanel::MinZValue(TChartAxis* Axis) const {
  return Extreme(Axis, false, [](TChartSeries* s) { return s->MinZValue(); });
}

Double TCustomAxisPanel::MaxZValue(TChartAxis* Axis) const {
  return Extreme(Axis, true, [](TChartSeries* s) { return s->MaxZValue(); });
}

// ---- paging ------------------------------------------------------------------------------

Integer TCustomAxisPanel::AxisPageCount(TChartAxis* Axis) const {
  Integer n = 0;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (s->Active() && s->AssociatedToAxis(Axis)) n = std::max(n, s->Count());
  }
  if (n < 1) return 1;
  return n / maxPointsPerPage_ + (n % maxPointsPerPage_ != 0 ? 1 : 0);
}

Integer TCustomAxisPanel::NumPages() {
  if (maxPointsPerPage_ < 1 || seriesList_->Count() < 1) return 1;
  if (seriesList_->Series(0)->YIsMandatory()) return std::max(AxisPageCount(topAxis_), AxisPageCount(bottomAxis_));
  return std::max(AxisPageCount(leftAxis_), AxisPageCount(rightAxis_));
}

void TCustomAxisPanel::SetPage(Integer value) {
  // A form sets the page before its series exist: no clamping while loading.
  if (!ComponentState().Contains(csLoading)) value = std::clamp(value, 1, std::max(1, NumPages()));
  if (value == page_) return;
  page_ = value;
  Invalidate();
  TChartChangePage event;
  NotifyListeners(event);
  if (OnPageChange) OnPageChange(this);
}

void TCustomAxisPanel::SetMaxPointsPerPage(Integer value) {
  if (value < 0) throw ChartException(msg::MaxPointsPerPage);
  // Stored and announced even when unchanged: listeners follow every page setting.
  maxPointsPerPage_ = value;
  Invalidate();
  if (!ComponentState().Contains(csLoading)) {
    const Integer pages = NumPages();
    if (page_ > pages) page_ = pages;
  }
  TChartChangePage event;
  NotifyListeners(event);
}

// ---- texts -----------------------------------------------------------------------------

Integer TCustomAxisPanel::MultiLineTextWidth(const std::string& Text, Integer& NumLines) const {
  NumLines = 0;
  Integer widest = 0;
  TChartCanvas3D* canvas = Canvas();
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = Text.find(ChartLineSeparator, start);
    const std::string line = Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    ++NumLines;
    if (canvas && canvas->ReferenceCanvas()) widest = std::max(widest, canvas->MeasureTextWidth(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return widest;
}

void TCustomAxisPanel::ReplaceLineSeparators(std::string& Text, const std::string& Sub) {
  if (Sub.empty()) return;
  std::string out;
  out.reserve(Text.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = Text.find(Sub, start);
    if (at == std::string::npos) break;
    out.append(Text, start, at - start);
    out.push_back(ChartLineSeparator);
    start = at + Sub.size();
  }
  out.append(Text, start, std::string::npos);
  Text = std::move(out);
}

// ---- the drawing pass --------------------------------------------------------------------

void TCustomAxisPanel::Calc3DSizes() {
  if (!View3D()) {
    SetWidth3D(0);
    width3DPixels_ = height3DPixels_ = 0;
    return;
  }
  // One slice of depth per z position, each a share of the smaller side.
  // Series without a z order of their own take the next one, as CalcZOrder counts.
  Integer z = -1, positions = 1;
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (!s->Active()) continue;
    Integer sz;
    if (s->ZOrder() != -1) {
      sz = s->ZOrder();
      z = std::max(z, sz);
    } else {
      sz = ++z;
    }
    positions = std::max(positions, sz + 1);
  }
  const Integer side = std::min(ChartWidth(), ChartHeight());
  Integer perSeries =
      std::max(1, static_cast<Integer>(static_cast<Int64>(side) * Chart3DPercent() / 100 / positions));
  const TView3DOptions* o = View3DOptions();
  const Double zoom = 0.01 * o->Zoom();
  Double slope = 1;
  if (o->Orthogonal()) {
    const Double a = o->OrthoAngle() * 3.14159265358979323846 / 180.0;
    slope = std::cos(a) >= 0.01 ? std::tan(a) : 1.0;
  }
  // The depth as the view shows it takes at most half the smaller side, or a deep chart
  // would leave its plot a few pixels (a turned view is fitted unzoomed).
  const Double reach = o->Orthogonal() ? zoom * std::max(1.0, std::fabs(slope)) : 1.0;
  if (reach > 0 && perSeries * static_cast<Double>(positions) * reach > side / 2.0)
    perSeries = std::max(1, static_cast<Integer>(side / 2.0 / reach) / positions);
  const Integer depth = perSeries * positions;
  SetWidth3D(depth);
  if (o->Orthogonal()) {
    width3DPixels_ = RoundToPixel(depth * zoom);
    height3DPixels_ = RoundToPixel(depth * slope * zoom);
  } else {
    width3DPixels_ = height3DPixels_ = RoundToPixel(depth * zoom);
  }
}

void TCustomAxisPanel::PlaceAxes() {
  // Limits first: the room for value labels is measured from them.
  for (Integer i = 0; i < axes_->Count(); ++i) {
    TChartAxis* axis = axes_->Axis(i);
    axis->CalcScreenExtent();
    axis->RecalcLimits();
  }
  TRect r = ChartRect();
  for (Integer i = 0; i < axes_->Count(); ++i) {
    TChartAxis* axis = axes_->Axis(i);
    if (!IsAxisVisible(axis)) continue;
    axis->ReserveSpace(r, true);
    const Integer wall = GetAxisWallSize(axis);
    if (axis->Horizontal())
      (axis->OtherSide() ? r.top : r.bottom) += axis->OtherSide() ? wall : -wall;
    else
      (axis->OtherSide() ? r.right : r.left) += axis->OtherSide() ? -wall : wall;
  }
  KeepEndLabelsInside(r);
  SetChartRect(r);
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (s->Active()) s->CalcZOrder();
  }
  for (Integer i = 0; i < axes_->Count(); ++i) {
    TChartAxis* axis = axes_->Axis(i);
    axis->CalcScreenExtent();
    axis->RecalcLimits();
    // Automatic axes keep the pixel room their series ask for around the data.
    if (axis->IsDepthAxis() || !axis->Automatic()) continue;
    TRect margins{0, 0, 0, 0};
    bool any = false;
    for (Integer k = 0; k < seriesList_->Count(); ++k) {
      TChartSeries* s = seriesList_->Series(k);
      if (!s->Active() || !s->AssociatedToAxis(axis)) continue;
      Integer a = 0, b = 0;
      if (axis->Horizontal()) {
        s->HorizPixelMargins(a, b);
        margins.left = std::max(margins.left, a);
        margins.right = std::max(margins.right, b);
      } else {
        s->VertPixelMargins(a, b);
        margins.top = std::max(margins.top, a);
        margins.bottom = std::max(margins.bottom, b);
      }
      any = true;
    }
    if (any && (margins.left || margins.right || margins.top || margins.bottom)) axis->WidenForMargins(margins);
  }
}

void TCustomAxisPanel::KeepEndLabelsInside(TRect& Rect) {
  // The margins are a share of the chart's size, which on a narrow chart is less than
  // half a label: the end labels would be cut at the chart's edge.
  const Integer b = BorderWidth();
  const TRect& bounds = ChartBounds();
  // Narrowing one axis' span moves the ends of axes that stop short of the rectangle's
  // edges less than it moves the edges: a few rounds settle them.
  for (int round = 0; round < 4; ++round) {
    bool narrowed = false;
    for (Integer i = 0; i < axes_->Count(); ++i) {
      TChartAxis* axis = axes_->Axis(i);
      const Integer half = axis->LabelsOverhang();
      if (axis->IsDepthAxis() || half <= 0 || !IsAxisVisible(axis)) continue;
      SetChartRect(Rect);
      axis->CalcScreenExtent();
      const bool across = axis->Horizontal();
      Integer& low = across ? Rect.left : Rect.top;
      Integer& high = across ? Rect.right : Rect.bottom;
      const Integer lowest = (across ? bounds.left : bounds.top) + b;
      const Integer highest = (across ? bounds.right : bounds.bottom) - b;
      const Integer first = std::min(axis->StartPixel, axis->EndPixel);
      const Integer last = std::max(axis->StartPixel, axis->EndPixel);
      const Integer lowNeed = std::min(lowest + half - first, high - 1 - low);
      if (lowNeed > 0) {
        low += lowNeed;
        narrowed = true;
      }
      const Integer highNeed = std::min(last + half - highest, high - 1 - low);
      if (highNeed > 0) {
        high -= highNeed;
        narrowed = true;
      }
    }
    if (!narrowed) break;
  }
}

void TCustomAxisPanel::PlaceAxesInView() {
  TChartCanvas3D* canvas = Canvas();
  const TRect area = ChartRect();
  TRect room = area;
  // The turned block is fitted as the view shows it at zoom 100 without offsets; zoom and
  // offsets then enlarge and move the fitted view, as they do an orthogonal one.
  const bool turned = View3D() && !canvas->IsOrthogonal();
  canvas->SetPlainView(turned);
  struct Restore {
    TChartCanvas3D* c;
    ~Restore() { c->SetPlainView(false); }
  } restore{canvas};
  // A turned view is no rectangle: the plotting rectangle shrinks until the projected
  // block of walls fits the area less the axes' own room. Each round moves the block by
  // at least half its overshoot, so a few rounds settle it.
  for (int round = 0;; ++round) {
    SetChartRect(room);
    PlaceAxes();
    canvas->SetProjectionCentre(Width3D(), ChartRect());
    if (!turned || round == 12) return;
    const TRect plot = ChartRect();
    const TRect target{area.left + plot.left - room.left, area.top + plot.top - room.top,
                       area.right - (room.right - plot.right), area.bottom - (room.bottom - plot.bottom)};
    TRect block = plot;
    Integer back = Width3D();
    WallsBlock(block, back);
    const TRect b = canvas->ProjectedBounds(block, 0, back);
    const TRect over{std::max(0, target.left - b.left), std::max(0, target.top - b.top),
                     std::max(0, b.right - target.right), std::max(0, b.bottom - target.bottom)};
    if (over.left + over.top + over.right + over.bottom == 0) return;
    const TRect next{room.left + over.left, room.top + over.top, room.right - over.right, room.bottom - over.bottom};
    // Nothing left to shrink: keep what there is.
    if (next.right - next.left < 8 || next.bottom - next.top < 8) return;
    room = next;
  }
}

void TCustomAxisPanel::DrawAxes() {
  if (OnBeforeDrawAxes) OnBeforeDrawAxes(this);
  for (Integer i = 0; i < axes_->Count(); ++i) {
    TChartAxis* axis = axes_->Axis(i);
    if (IsAxisVisible(axis)) axis->DrawAxis(true);
  }
}

std::vector<TChartSeries*> TCustomAxisPanel::SeriesInDrawOrder() {
  // Which end of the depth is nearer depends on the view.
  std::vector<std::pair<Double, TChartSeries*>> order;
  TChartCanvas3D* canvas = Canvas();
  const TPoint centre = RectCenter(ChartRect());
  for (Integer i = 0; i < seriesList_->Count(); ++i) {
    TChartSeries* s = seriesList_->Series(i);
    if (s->Active()) order.emplace_back(View3D() ? canvas->ViewDepth(centre.x, centre.y, s->MiddleZ) : 0.0, s);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<TChartSeries*> result;
  result.reserve(order.size());
  for (const auto& entry : order) result.push_back(entry.second);
  return result;
}

void TCustomAxisPanel::DrawSeries(TChartSeries* Series) {
  Series->CalcFirstLastVisibleIndex();
  if (Series->FirstValueIndex() == -1) return;
  Series->DoBeforeDrawValues();
  TChartCanvas3D* canvas = Canvas();
  const bool clip = Series->UseAxis() && clipPoints_;
  if (clip) {
    TRect r = ChartRect();
    if (TChartAxis* h = Series->GetHorizAxis()) {
      r.left = std::min(h->StartPixel, h->EndPixel);
      r.right = std::max(h->StartPixel, h->EndPixel);
    }
    if (TChartAxis* v = Series->GetVertAxis()) {
      r.top = std::min(v->StartPixel, v->EndPixel);
      r.bottom = std::max(v->StartPixel, v->EndPixel);
    }
    // The window system's right and bottom edges are exclusive: keep the last row and
    // column of the rectangle.
    ++r.right;
    ++r.bottom;
    // In 3D series stand at their depth: the clip is the projected block, front to back.
    canvas->ClipCube(r, 0, Width3D());
  }
  try {
    Series->DrawAllValues();
  } catch (...) {
    if (clip) canvas->RemoveClip();
    throw;
  }
  if (clip) canvas->RemoveClip();
  if (Series->Marks()->Visible()) Series->DrawMarks();
  Series->DoAfterDrawValues();
}

void TCustomAxisPanel::DrawContents() {
  const bool repaint = AutoRepaint();
  SetAutoRepaint(false);
  try {
    TChartCanvas3D* canvas = Canvas();
    // 2. The panel: bevels, background, 3D sizes and the room for walls.
    TRect back = ChartBounds();
    PaintBevels(back);
    PaintBackground(back);
    Calc3DSizes();
    if (OnBeforeDrawChart) OnBeforeDrawChart(this);
    // 3. Series find their axes.
    for (Integer i = 0; i < seriesList_->Count(); ++i) {
      TChartSeries* s = seriesList_->Series(i);
      if (s->Active()) s->RecalcGetAxis();
    }
    // 4. Titles and legend take their room before the axes are placed.
    const bool rotates = canvas->CanRotateFully();
    if (!rotates) DrawTitlesAndLegend(true);
    // The walls take their room inside what titles and legend left.
    CalcWallsRect();
    // 5, 6. Axes, plotting rectangle, z order, limits; the projection.
    PlaceAxesInView();
    if (rotates) {
      const TRect plotting = ChartRect();
      SetChartRect(ChartBounds());
      DrawTitlesAndLegend(true);
      SetChartRect(plotting);
    }
    // 7. Walls.
    DrawWalls();
    // 8. Axes behind the series.
    if (axisVisible_ && axisBehind_) DrawAxes();
    // 9, 10. Before the series.
    BroadcastToolEvent(cteBeforeDrawSeries);
    if (OnBeforeDrawSeries) OnBeforeDrawSeries(this);
    // 11. Series in list order; in 3D the furthest from the viewer first, so none paints
    // over one nearer to it: every part of a series (lines, areas, pointers, marks) is
    // drawn in its series' turn.
    for (TChartSeries* s : SeriesInDrawOrder()) DrawSeries(s);
    // 12. Axes in front.
    if (axisVisible_ && !axisBehind_) DrawAxes();
    // 13. Titles and legend after the series.
    DrawTitlesAndLegend(false);
    // 14. A zoom drag under way.
    if (Zoom()->Active) DrawZoomFrame();
    // 15. After everything.
    BroadcastToolEvent(cteAfterDraw);
    // 16.
    canvas->ResetDrawingState();
    if (OnAfterDraw) OnAfterDraw(this);
  } catch (...) {
    SetAutoRepaint(repaint);
    throw;
  }
  SetAutoRepaint(repaint);
}
