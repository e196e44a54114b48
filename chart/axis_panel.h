#pragma once
// TCustomAxisPanel: the chart without titles, legend and walls. It holds the series, the
// five standard axes and the custom axes, the tools, paging by a number of points per
// page, and the drawing pass that puts background, axes, series and tools on the canvas
// in a fixed order. TCustomChart (chart_control.h) fills in the hooks of that pass.
//
// Series are not owned: they belong to their owner components (forms, or the engine's
// variable systems) and only leave the chart when it goes. Tools are freed with the chart.
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_axis.h"
#include "chart/chart_panel.h"
#include "chart/chart_tools_base.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/lists.h"

class TChartSeries;

// The series of a chart, in the order they joined; not owned.
class TChartSeriesList : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartSeries* Series(Integer Index) const { return static_cast<TChartSeries*>(Get(Index)); }
};

// Every axis of a chart: the standard ones in creation order, then custom axes. Not
// owned: the chart frees its standard axes, the custom axes collection its items.
class TChartAxes : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartAxis* Axis(Integer Index) const { return static_cast<TChartAxis*>(Get(Index)); }
};

// The user's own axes (items of class TChartAxis), owned by the chart.
class TChartCustomAxes : public TOwnedCollection {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartCustomAxes(TPersistent* Owner) : TOwnedCollection(Owner, TChartAxis::StaticClass()) {}

  TChartAxis* Axis(int Index) const { return static_cast<TChartAxis*>(Items(Index)); }
};

// What happened to a series, told to the listeners (and to tools that listen).
enum TChartSeriesEventKind : Byte {
  seAdd = 0,
  seRemove = 1,
  seChangeTitle = 2,
  seChangeColor = 3,
  seChangeActive = 5,
  seDataChanged = 6,
};

class TChartSeriesEvent : public TChartEvent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartSeriesEventKind Kind = seAdd;
  TChartSeries* Series = nullptr;
};

// The page or the page size changed.
class TChartChangePage : public TChartEvent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
};

namespace msg {
inline constexpr const char* MaxPointsPerPage = "MaxPointsPerPage must be >= 0";
}  // namespace msg

class TCustomAxisPanel : public TCustomChartPanelExtended {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Creates the lists and the standard axes: 0 bottom, 1 top (other side), 2 left
  // (labels and title at 90 degrees), 3 right (270 degrees, other side), 4 depth (other
  // side, hidden).
  explicit TCustomAxisPanel(TComponent* AOwner);
  // Series leave the chart (they are freed only when the chart owns them); the tools
  // are freed.
  ~TCustomAxisPanel() override;

  // AxisBehind, AxisVisible, the five axes, ClipPoints, CustomAxes, MaxPointsPerPage,
  // Page, ScaleLastPage, View3DWalls, then the panel's settings.
  void Assign(TPersistent* source) override;

  // ---- series ----
  TChartSeriesList* SeriesList() const { return seriesList_.get(); }
  Integer SeriesCount() const { return seriesList_->Count(); }
  TChartSeries* GetSeries(Integer Index) const { return seriesList_->Series(Index); }
  Integer CountActiveSeries() const;
  // The active series in the order they are drawn: list order, and in 3D the furthest
  // from the viewer first. The last one is the one on top wherever series overlap.
  std::vector<TChartSeries*> SeriesInDrawOrder();
  // Joins Series to the chart: its ParentChart becomes this chart, its joined hook runs,
  // it is listed last, seAdd goes to the listeners, and the chart repaints. Nothing for
  // a series already listed.
  void AddSeries(TChartSeries* Series);
  // Takes Series out: its leaving hook runs, it leaves the list, seRemove goes to the
  // listeners, the chart repaints and its ParentChart becomes nullptr. The series is not
  // freed.
  void RemoveSeries(TChartSeries* Series);
  // Series stopped taking its points from Source (its DataSource was cleared).
  virtual void RemovedDataSource(TChartSeries* Series, TComponent* Source);
  // Every series (of Class or a descendant, when given) leaves the chart; those the chart
  // owns are then freed. A series owned by another component, or by none, stays alive
  // for whoever holds it.
  void FreeAllSeries(const TClass* Class = nullptr);
  // The first active series associated with Axis (any associated one when none is
  // active); nullptr when none.
  TChartSeries* GetAxisSeries(TChartAxis* Axis) const;
  // The first palette colour IsFreeSeriesColor accepts; the first entry when none is.
  TColor GetFreeSeriesColor(bool CheckBackground);
  // No series has Color as its SeriesColor and, with CheckBackground, Color is not the
  // background.
  virtual bool IsFreeSeriesColor(TColor Color, bool CheckBackground);
  // Refills Series from its DataSource when that is a series (not while loading).
  virtual void CheckDatasource(TChartSeries* Series);
  // Component is another series that Series accepts as its source.
  bool IsValidDataSource(TChartSeries* Series, TComponent* Component);
  // Raises ChartException "Circular Series dependences are not allowed" when Source
  // (following every source of every series on the way) leads back to Dest.
  void CheckOtherSeries(TChartSeries* Dest, TChartSeries* Source);
  // Title, else the component name, else "Series <index>".
  std::string SeriesTitleOrName(TChartSeries* Series) const;
  // The series event to every listener and every tool that listens.
  void BroadcastSeriesEvent(TChartSeries* Series, TChartSeriesEventKind Kind);
  // ChartEvent of every active tool in list order.
  void BroadcastToolEvent(TChartToolEvent Event);
  // ChartMouseEvent of every active tool in list order until one sets CancelMouse.
  void BroadcastMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  // ---- tools ----
  TChartTools* Tools() const { return tools_.get(); }

  // ---- axes ----
  TChartAxes* Axes() const { return axes_.get(); }
  TChartAxis* BottomAxis() const { return bottomAxis_; }
  TChartAxis* TopAxis() const { return topAxis_; }
  TChartAxis* LeftAxis() const { return leftAxis_; }
  TChartAxis* RightAxis() const { return rightAxis_; }
  TChartAxis* DepthAxis() const { return depthAxis_; }
  void SetBottomAxis(TChartAxis* value) { bottomAxis_->Assign(value); }
  void SetTopAxis(TChartAxis* value) { topAxis_->Assign(value); }
  void SetLeftAxis(TChartAxis* value) { leftAxis_->Assign(value); }
  void SetRightAxis(TChartAxis* value) { rightAxis_->Assign(value); }
  void SetDepthAxis(TChartAxis* value) { depthAxis_->Assign(value); }
  TChartCustomAxes* CustomAxes() const { return customAxes_.get(); }
  void SetCustomAxes(TChartCustomAxes* value) { customAxes_->Assign(value); }
  bool IsCustomAxesStored() const { return customAxes_->Count() > 0; }
  // Whether Axis is drawn: AxisVisible and its Visible; the depth axis in 3D only; any
  // other when no active series is there or an active series is associated with it.
  bool IsAxisVisible(TChartAxis* Axis);

  // Extremes over the active series associated with Axis; 0 when there is none. With
  // paging, the axis along the first series' secondary list takes the current page's
  // values of that series.
  Double MinXValue(TChartAxis* Axis);
  Double MaxXValue(TChartAxis* Axis);
  Double MinYValue(TChartAxis* Axis);
  Double MaxYValue(TChartAxis* Axis);
  Double MinZValue(TChartAxis* Axis) const;
  Double MaxZValue(TChartAxis* Axis) const;
  // False when no active series is associated with Axis (the extremes are then 0).
  bool HasAxisSeries(TChartAxis* Axis) const;

  // ---- paging ----
  Integer Page() const { return page_; }
  // Clamped to 1..NumPages; a change repaints, tells the listeners and fires
  // OnPageChange.
  void SetPage(Integer value);
  Integer MaxPointsPerPage() const { return maxPointsPerPage_; }
  // Negative raises ChartException "MaxPointsPerPage must be >= 0".
  void SetMaxPointsPerPage(Integer value);
  bool ScaleLastPage() const { return scaleLastPage_; }
  void SetScaleLastPage(bool value) { ChangeBoolean(scaleLastPage_, value); }
  Integer NumPages();
  void NextPage() { SetPage(page_ + 1); }
  void PreviousPage() { SetPage(page_ - 1); }

  // ---- settings ----
  bool AxisBehind() const { return axisBehind_; }
  void SetAxisBehind(bool value) { ChangeBoolean(axisBehind_, value); }
  bool AxisVisible() const { return axisVisible_; }
  void SetAxisVisible(bool value) { ChangeBoolean(axisVisible_, value); }
  bool ClipPoints() const { return clipPoints_; }
  void SetClipPoints(bool value) { ChangeBoolean(clipPoints_, value); }
  bool View3DWalls() const { return view3DWalls_; }
  void SetView3DWalls(bool value) { ChangeBoolean(view3DWalls_, value); }
  // The legend's colour, stored by every drawing of the legend; series compare their
  // symbol colours with it.
  TColor LegendColor() const { return legendColor_; }
  void SetLegendColor(TColor value) { legendColor_ = value; }
  // The cursor restored when the mouse leaves (tools move it with the cursor they set).
  TCursor SavedCursor() const { return savedCursor_; }
  void SetSavedCursor(TCursor value) { savedCursor_ = value; }
  // 3D extents of the chart's depth on the screen (0 in 2D), from the last pass.
  Integer Width3DPixels() const { return width3DPixels_; }
  Integer Height3DPixels() const { return height3DPixels_; }

  // ---- hooks the chart fills in ----
  // The colour behind the plotting area; Color here.
  virtual TColor GetBackColor() { return Color(); }
  // The text of point Index of Series in a legend; empty here.
  virtual std::string FormattedValueLegend(TChartSeries* Series, Integer Index);

  // ---- texts ----
  // Splits Text at the line separator: the widest line's width on the canvas (in its
  // current font) and the number of lines.
  Integer MultiLineTextWidth(const std::string& Text, Integer& NumLines) const;
  // Each occurrence of Sub becomes the line separator.
  static void ReplaceLineSeparators(std::string& Text, const std::string& Sub);

  // ---- events ----
  TAxisOnGetLabel OnGetAxisLabel;
  TAxisOnGetNextLabel OnGetNextAxisLabel;
  TNotifyEvent OnPageChange;
  TNotifyEvent OnBeforeDrawChart;
  TNotifyEvent OnBeforeDrawAxes;
  TNotifyEvent OnBeforeDrawSeries;

 protected:
  // The drawing pass.
  void DrawContents() override;
  // The pass's hooks, run in this order: titles and legend before the axes are placed,
  // room for the 3D walls (inside what they left), the walls, titles and legend after
  // the series; the wall size an axis keeps off the plotting rectangle. Nothing here.
  virtual void CalcWallsRect() {}
  virtual void DrawTitlesAndLegend(bool BeforeSeries) { (void)BeforeSeries; }
  virtual void DrawWalls() {}
  virtual Integer GetAxisWallSize(TChartAxis* Axis) {
    (void)Axis;
    return 0;
  }
  // Widens the plotting rectangle and its depth Back to the block the walls take.
  virtual void WallsBlock(TRect& Rect, Integer& Back) {
    (void)Rect;
    (void)Back;
  }
  // The series, then the tools, are the chart's children in forms.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 private:
  friend class TChartAxis;
  void AddAxis(TChartAxis* Axis);
  void RemoveAxis(TChartAxis* Axis);
  template <class F>
  Double Extreme(TChartAxis* Axis, bool Largest, F Value) const;
  // The paged extreme of Axis into Value; false when Axis does not page.
  bool PagedExtreme(TChartAxis* Axis, bool Largest, Double& Value);
  Integer AxisPageCount(TChartAxis* Axis) const;
  // Steps of the drawing pass.
  void Calc3DSizes();
  void PlaceAxes();
  // Narrows Rect so that labels centred on the axes' ends stay inside the chart.
  void KeepEndLabelsInside(TRect& Rect);
  // PlaceAxes and the projection, a turned 3D view kept inside the plotting area.
  void PlaceAxesInView();
  void DrawAxes();
  void DrawSeries(TChartSeries* Series);

  std::unique_ptr<TChartSeriesList> seriesList_;
  std::unique_ptr<TChartAxes> axes_;
  std::unique_ptr<TChartCustomAxes> customAxes_;
  std::unique_ptr<TChartTools> tools_;
  TChartAxis* bottomAxis_ = nullptr;
  TChartAxis* topAxis_ = nullptr;
  TChartAxis* leftAxis_ = nullptr;
  TChartAxis* rightAxis_ = nullptr;
  TChartAxis* depthAxis_ = nullptr;
  bool axisBehind_ = true;
  bool axisVisible_ = true;
  bool clipPoints_ = true;
  bool view3DWalls_ = true;
  Integer page_ = 1;
  Integer maxPointsPerPage_ = 0;
  bool scaleLastPage_ = true;
  TColor legendColor_ = clWhite;
  Integer width3DPixels_ = 0;
  Integer height3DPixels_ = 0;
};
