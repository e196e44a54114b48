#pragma once
// Chart tools: elements that add behaviour to a chart without being series. The chart
// calls every active tool at two moments of its drawing pass and offers it each mouse
// event before handling the event itself; a tool that takes the event sets the chart's
// CancelMouse, which stops the offer and the chart's own handling.
//
// A tool joins its chart's tool list when its ParentChart is set and leaves it when it is
// moved or freed. TChartCustomToolSeries works on one series (or the chart's bottom and
// left axes without one), TChartCustomToolAxis on one axis, stored in forms as "AxisID",
// the index of the axis in the chart's axis list.
#include <initializer_list>
#include <string>
#include <vector>

#include "chart/chart_element.h"
#include "chart/chart_panel.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/lists.h"

class TChartAxis;
class TChartSeries;
class TCustomAxisPanel;

// The moments of the drawing pass at which tools draw.
enum TChartToolEvent : Byte {
  cteAfterDraw = 0,          // after the series, the axes in front and the zoom rectangle
  cteBeforeDrawSeries = 1,   // after the walls and the axes behind, before the series
};

// The mouse events offered to tools are TChartMouseEventKind: cmeDown 0, cmeMove 1,
// cmeUp 2; X and Y are client pixels of the chart.

class TChartCustomTool : public TCustomChartElement {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartCustomTool(TComponent* AOwner);
  // Leaves the chart's tool list.
  ~TChartCustomTool() override;

  // Leaves the old chart's tool list (repainting the old chart when Value is nullptr),
  // stores Value and joins its tool list.
  void SetParentChart(TCustomAxisPanel* Value) override;

  // Drawing at one of the two moments; nothing here.
  virtual void ChartEvent(TChartToolEvent Event);
  // A mouse event before the chart handles it; nothing here.
  virtual void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                               Integer Y);
  // The tool's gallery name; empty here.
  virtual std::string Description() const { return std::string(); }

 protected:
  // The chart's cursor becomes Value, and so does the cursor the chart restores.
  void SetChartCursor(TCursor Value);
  // Marks the current mouse event as taken (nothing without a chart).
  void CancelChartMouse();
  // The chart point at depth Z under the mouse at (X, Y) (the chart's InSpace; the
  // point itself without a chart).
  TPoint MouseAt(Integer X, Integer Y, Integer Z) const;
};

// The tools of a chart in the order they joined; the chart frees them.
class TChartTools : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartCustomTool* Tool(Integer Index) const { return static_cast<TChartCustomTool*>(Get(Index)); }
  // Frees the tools one at a time, always the first (each takes itself out).
  void Clear() override;
};

class TChartCustomToolSeries : public TChartCustomTool {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartCustomToolSeries(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TSeriesToolEditor"; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TChartSeries* Series() const { return series_; }
  // Stores the series and asks to be told when it is freed.
  virtual void SetSeries(TChartSeries* Value);

  // The series' axes, or the chart's bottom and left axes without a series (nullptr
  // without either).
  TChartAxis* GetHorizAxis() const;
  TChartAxis* GetVertAxis() const;

 private:
  TChartSeries* series_ = nullptr;
};

class TChartCustomToolAxis : public TChartCustomTool {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartCustomToolAxis(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TAxisToolEditor"; }
  // An "AxisID" read before the chart was known is looked up in the new chart.
  void SetParentChart(TCustomAxisPanel* Value) override;

  // nullptr once the axis has left the chart (a custom axis that was deleted).
  TChartAxis* Axis() const;
  // Stores and repaints.
  void SetAxis(TChartAxis* Value);

 protected:
  // "AxisID": the axis' index in the chart's axis list, written only with an axis.
  void DefineProperties(TFiler* filer) override;
  void Loaded() override;

 private:
  void ResolvePendingAxis();

  TChartAxis* axis_ = nullptr;
  Integer pendingAxisID_ = -1;  // read before the chart was known
};

// Whether tools may clip their drawing to the plotting area: when the chart clips its
// series (ClipPoints).
bool ChartAllowsClipping(TCustomAxisPanel* Chart);

// ---- registration ----

// The tool classes known to galleries and form loading, in the order they registered.
const std::vector<const TClass*>& ChartToolTypes();
// Each class not yet listed is registered for form loading and appended.
void RegisterChartTools(std::initializer_list<const TClass*> Tools);
// Each class is taken off the list.
void UnRegisterChartTools(std::initializer_list<const TClass*> Tools);
// The eleven standard tools, in gallery order; done once at load (again does nothing).
void RegisterStandardChartTools();
