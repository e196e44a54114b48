#pragma once
// TCustomAxisPanel: the chart that holds series and axes. This is the part the axes and
// series need of their chart: the series list, the axis list with the five standard
// axes, the extremes of the series on an axis, and the axis label hooks. The drawing
// pass (DrawContents) is left to the descendants.
//
// What it needs of TChartSeries (chart_series.h): Active(), AssociatedToAxis(Axis),
// MinXValue() .. MaxZValue(), XValues()/YValues(), YIsMandatory(), Count(),
// GetValueLabel(i), GetMarkText(i), GetXValue(i)/GetYValue(i), CustomHorizAxis()/
// CustomVertAxis() with their setters (nullptr goes back to the bottom/left axis), and
// SetParentChart(nullptr).
#include <string>

#include "chart/chart_axis.h"
#include "chart/chart_panel.h"
#include "platform/classlib/lists.h"

class TChartSeries;

// The series of a chart, in the order they joined; not owned (forms own series).
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

class TCustomAxisPanel : public TCustomChartPanelExtended {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Creates the lists and the standard axes: 0 bottom, 1 top (other side), 2 left
  // (labels and title at 90 degrees), 3 right (270 degrees, other side), 4 depth (other
  // side, hidden).
  explicit TCustomAxisPanel(TComponent* AOwner);
  // Series leave the chart first (they are not freed: their owners do that).
  ~TCustomAxisPanel() override;

  // ---- series ----
  TChartSeriesList* SeriesList() const { return seriesList_.get(); }
  Integer SeriesCount() const { return seriesList_->Count(); }
  TChartSeries* GetSeries(Integer Index) const { return seriesList_->Series(Index); }
  Integer CountActiveSeries() const;
  // List membership only; a series' SetParentChart calls these and runs its own hooks.
  void AddSeries(TChartSeries* Series);
  void RemoveSeries(TChartSeries* Series);
  // The first active series associated with Axis (any associated one when none is
  // active); nullptr when none.
  TChartSeries* GetAxisSeries(TChartAxis* Axis) const;

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

  // Extremes over the active series associated with Axis; 0 when there is none.
  Double MinXValue(TChartAxis* Axis) const;
  Double MaxXValue(TChartAxis* Axis) const;
  Double MinYValue(TChartAxis* Axis) const;
  Double MaxYValue(TChartAxis* Axis) const;
  Double MinZValue(TChartAxis* Axis) const;
  Double MaxZValue(TChartAxis* Axis) const;
  // False when no active series is associated with Axis (the extremes are then 0).
  bool HasAxisSeries(TChartAxis* Axis) const;

  // Splits Text at the line separator: the widest line's width on the canvas (in its
  // current font) and the number of lines.
  Integer MultiLineTextWidth(const std::string& Text, Integer& NumLines) const;

  // ---- label hooks ----
  TAxisOnGetLabel OnGetAxisLabel;
  TAxisOnGetNextLabel OnGetNextAxisLabel;

 private:
  friend class TChartAxis;
  void AddAxis(TChartAxis* Axis);
  void RemoveAxis(TChartAxis* Axis);
  template <class F>
  Double Extreme(TChartAxis* Axis, bool Largest, F Value) const;

  std::unique_ptr<TChartSeriesList> seriesList_;
  std::unique_ptr<TChartAxes> axes_;
  TChartAxis* bottomAxis_ = nullptr;
  TChartAxis* topAxis_ = nullptr;
  TChartAxis* leftAxis_ = nullptr;
  TChartAxis* rightAxis_ = nullptr;
  TChartAxis* depthAxis_ = nullptr;
};
