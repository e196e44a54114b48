#include "chart/chart_tools_base.h"

#include <algorithm>

#include "chart/annotation_tool.h"
#include "chart/axis_arrow_tool.h"
#include "chart/axis_panel.h"
#include "chart/chart_series.h"
#include "chart/color_band_tool.h"
#include "chart/color_line_tool.h"
#include "chart/cursor_tool.h"
#include "chart/drag_marks_tool.h"
#include "chart/draw_line_tool.h"
#include "chart/image_tool.h"
#include "chart/mark_tips_tool.h"
#include "chart/nearest_point_tool.h"
#include "chart/rotate_tool.h"
#include "platform/classlib/class_registry.h"

// ---- TChartCustomTool --------------------------------------------------------------------

const TClass& TChartCustomTool::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomTool>("TChartCustomTool", TCustomChartElement::StaticClass());
  return cls;
}

TChartCustomTool::TChartCustomTool(TComponent* AOwner) : TCustomChartElement(AOwner) {}

TChartCustomTool::~TChartCustomTool() { SetParentChart(nullptr); }

void TChartCustomTool::SetParentChart(TCustomAxisPanel* Value) {
  TCustomAxisPanel* old = ParentChart();
  if (old == Value) return;
  if (old) {
    old->Tools()->Remove(this);
    if (!Value && !old->ComponentState().Contains(csDestroying)) old->Invalidate();
  }
  TCustomChartElement::SetParentChart(Value);
  if (Value && Value->Tools()->IndexOf(this) < 0) Value->Tools()->Add(this);
}

void TChartCustomTool::ChartEvent(TChartToolEvent Event) { (void)Event; }

void TChartCustomTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift,
                                       Integer X, Integer Y) {
  (void)Event;
  (void)Button;
  (void)Shift;
  (void)X;
  (void)Y;
}

void TChartCustomTool::SetChartCursor(TCursor Value) {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart) return;
  chart->SetCursor(Value);
  chart->SetSavedCursor(chart->Cursor());
}

void TChartCustomTool::CancelChartMouse() {
  if (ParentChart()) ParentChart()->SetCancelMouse(true);
}

TPoint TChartCustomTool::MouseAt(Integer X, Integer Y, Integer Z) const {
  return ParentChart() ? ParentChart()->InSpace(X, Y, Z) : TPoint{X, Y};
}

// ---- TChartTools -------------------------------------------------------------------------

const TClass& TChartTools::StaticClass() {
  static const TClass cls = TClass::Of<TChartTools>("TChartTools", TList::StaticClass());
  return cls;
}

void TChartTools::Clear() {
  while (Count() > 0) {
    TChartCustomTool* tool = Tool(0);
    // Out of the list first: a tool that failed to take itself out is not met again.
    TList::Delete(0);
    delete tool;
  }
  TList::Clear();
}

// ---- TChartCustomToolSeries --------------------------------------------------------------

const TClass& TChartCustomToolSeries::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomToolSeries>(
      "TChartCustomToolSeries", TChartCustomTool::StaticClass(), &TChartCustomToolSeries::Publish);
  return cls;
}

void TChartCustomToolSeries::Publish(TPublished& published) {
  published.For<TChartCustomToolSeries>().Component("Series", &TChartCustomToolSeries::Series,
                                                    &TChartCustomToolSeries::SetSeries);
}

TChartCustomToolSeries::TChartCustomToolSeries(TComponent* AOwner) : TChartCustomTool(AOwner) {}

void TChartCustomToolSeries::SetSeries(TChartSeries* Value) {
  if (series_ == Value) return;
  if (series_) series_->RemoveFreeNotification(this);
  series_ = Value;
  if (series_) series_->FreeNotification(this);
}

void TChartCustomToolSeries::Notification(TComponent* AComponent, TOperation Operation) {
  TChartCustomTool::Notification(AComponent, Operation);
  if (Operation == opRemove && series_ && AComponent == series_) SetSeries(nullptr);
}

TChartAxis* TChartCustomToolSeries::GetHorizAxis() const {
  if (series_ && series_->GetHorizAxis()) return series_->GetHorizAxis();
  return ParentChart() ? ParentChart()->BottomAxis() : nullptr;
}

TChartAxis* TChartCustomToolSeries::GetVertAxis() const {
  if (series_ && series_->GetVertAxis()) return series_->GetVertAxis();
  return ParentChart() ? ParentChart()->LeftAxis() : nullptr;
}

// ---- TChartCustomToolAxis ----------------------------------------------------------------

const TClass& TChartCustomToolAxis::StaticClass() {
  static const TClass cls = TClass::Of<TChartCustomToolAxis>("TChartCustomToolAxis", TChartCustomTool::StaticClass());
  return cls;
}

TChartCustomToolAxis::TChartCustomToolAxis(TComponent* AOwner) : TChartCustomTool(AOwner) {}

TChartAxis* TChartCustomToolAxis::Axis() const {
  // Only compared with the chart's axes: a deleted axis is never reached.
  TCustomAxisPanel* chart = ParentChart();
  if (axis_ && chart && chart->Axes()->IndexOf(axis_) < 0) return nullptr;
  return axis_;
}

void TChartCustomToolAxis::SetAxis(TChartAxis* Value) {
  if (axis_ == Value) return;
  axis_ = Value;
  pendingAxisID_ = -1;
  Repaint();
}

void TChartCustomToolAxis::SetParentChart(TCustomAxisPanel* Value) {
  TChartCustomTool::SetParentChart(Value);
  ResolvePendingAxis();
}

void TChartCustomToolAxis::ResolvePendingAxis() {
  TCustomAxisPanel* chart = ParentChart();
  if (pendingAxisID_ < 0 || !chart) return;
  // An index the chart does not have leaves the tool without an axis (it then draws
  // nothing and ignores the mouse).
  if (pendingAxisID_ < chart->Axes()->Count()) {
    axis_ = chart->Axes()->Axis(pendingAxisID_);
    pendingAxisID_ = -1;
    Repaint();
  }
}

void TChartCustomToolAxis::DefineProperties(TFiler* filer) {
  TChartCustomTool::DefineProperties(filer);
  filer->DefineProperty(
      "AxisID",
      [this](TReader& reader) {
        const Integer id = reader.ReadInteger();
        axis_ = nullptr;
        pendingAxisID_ = id < 0 ? -1 : id;
        ResolvePendingAxis();
      },
      [this](TWriter& writer) {
        TCustomAxisPanel* chart = ParentChart();
        writer.WriteInteger(chart ? chart->Axes()->IndexOf(Axis()) : -1);
      },
      Axis() != nullptr);
}

void TChartCustomToolAxis::Loaded() {
  TChartCustomTool::Loaded();
  // Custom axes come with the chart's own properties; one of them may be named here.
  ResolvePendingAxis();
  pendingAxisID_ = -1;
}

bool ChartAllowsClipping(TCustomAxisPanel* Chart) { return Chart && Chart->ClipPoints(); }

// ---- registration ------------------------------------------------------------------------

namespace {

std::vector<const TClass*>& ToolTypes() {
  static std::vector<const TClass*> types;
  return types;
}

}  // namespace

const std::vector<const TClass*>& ChartToolTypes() { return ToolTypes(); }

void RegisterChartTools(std::initializer_list<const TClass*> Tools) {
  for (const TClass* cls : Tools) {
    auto& types = ToolTypes();
    if (std::find(types.begin(), types.end(), cls) != types.end()) continue;
    RegisterClass(*cls);
    types.push_back(cls);
  }
}

void UnRegisterChartTools(std::initializer_list<const TClass*> Tools) {
  auto& types = ToolTypes();
  for (const TClass* cls : Tools) types.erase(std::remove(types.begin(), types.end(), cls), types.end());
}

namespace {

std::initializer_list<const TClass*> StandardChartTools() {
  // The list's array lives as long as this static list.
  static const std::initializer_list<const TClass*> tools = {
      &TCursorTool::StaticClass(),     &TDragMarksTool::StaticClass(), &TAxisArrowTool::StaticClass(),
      &TDrawLineTool::StaticClass(),   &TNearestTool::StaticClass(),   &TColorBandTool::StaticClass(),
      &TColorLineTool::StaticClass(),  &TRotateTool::StaticClass(),    &TChartImageTool::StaticClass(),
      &TMarksTipTool::StaticClass(),   &TAnnotationTool::StaticClass()};
  return tools;
}

}  // namespace

void RegisterStandardChartTools() { RegisterChartTools(StandardChartTools()); }

namespace {

// Form loading finds the tools by name from the start; the list lets them go at unload.
struct StandardToolsRegistration {
  StandardToolsRegistration() { RegisterStandardChartTools(); }
  ~StandardToolsRegistration() { UnRegisterChartTools(StandardChartTools()); }
} const standardToolsRegistered;

}  // namespace
