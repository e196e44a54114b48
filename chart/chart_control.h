#pragma once
// TCustomChart and TChart: the chart control that forms place. It adds to the axis panel
// four titles, four walls and the legend, decides which part of the chart a button went
// down on, and starts zooming and panning with the mouse; the wheel scrolls the
// vertical axes.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_legend.h"
#include "chart/chart_title.h"
#include "chart/chart_walls.h"

class TCustomChart;

// The part of a chart under a point (CalcClickedPart).
enum TChartClickedPartStyle : Byte {
  cpNone = 0,
  cpLegend = 1,
  cpAxis = 2,
  cpSeries = 3,
  cpTitle = 4,
  cpFoot = 5,
  cpChartRect = 6,
  cpSeriesMarks = 7,
  cpSubTitle = 8,
  cpSubFoot = 9,
};

struct TChartClickedPart {
  TChartClickedPartStyle Part = cpNone;
  // The legend item or the series point.
  Integer PointIndex = -1;
  TChartSeries* ASeries = nullptr;
  TChartAxis* AAxis = nullptr;
};

using TChartClickAxis = std::function<void(TCustomChart* Sender, TChartAxis* Axis, TMouseButton Button,
                                           TShiftState Shift, Integer X, Integer Y)>;
using TChartClick =
    std::function<void(TCustomChart* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TChartClickSeries = std::function<void(TCustomChart* Sender, TChartSeries* Series, Integer ValueIndex,
                                             TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TChartClickTitle = std::function<void(TCustomChart* Sender, TChartTitle* Title, TMouseButton Button,
                                            TShiftState Shift, Integer X, Integer Y)>;
// False keeps the axis from scrolling to the new limits.
using TChartAllowScrollEvent = std::function<void(TChartAxis* Sender, Double& AMin, Double& AMax, bool& AllowScroll)>;

// Whether the mouse wheel scrolls the vertical axes of charts; on.
extern bool ChartUseMouseWheel;

// The limits of an axis before the first zoom or pan, for undoing.
struct TSavedAxisState {
  bool Automatic = true;
  bool AutomaticMinimum = true;
  bool AutomaticMaximum = true;
  Double Minimum = 0;
  Double Maximum = 0;
};

class TCustomChart : public TCustomAxisPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomChart(TComponent* AOwner);
  ~TCustomChart() override;

  // Titles, walls, legend, ScrollMouseButton and the axis panel's settings.
  void Assign(TPersistent* source) override;

  // Every series leaves the chart; none is freed.
  void RemoveAllSeries();
  // The part under P; with OnlyWithEvents only series that someone listens to count.
  TChartClickedPart CalcClickedPart(TPoint P, bool OnlyWithEvents);

  // ---- zoom and pan ----
  // The rectangle's corners (the axes' pixels) become the limits of the top, bottom, left
  // and right axes.
  void ZoomRect(const TRect& Rect);
  // Per axis: top, bottom, left, right limits (Min, Max); saves the axes first.
  void ZoomValues(Double TopMin, Double TopMax, Double BottomMin, Double BottomMax, Double LeftMin, Double LeftMax,
                  Double RightMin, Double RightMax);
  // Restores the axes saved by the first zoom or pan, then the panel's reset.
  void UndoZoom();
  bool HasSavedAxes() const { return axesSaved_; }
  // The state of the four axes saved by the first zoom or pan (top, bottom, left,
  // right); meaningful while HasSavedAxes.
  const std::array<TSavedAxisState, 4>& SavedAxes() const { return savedAxes_; }

  // ---- hooks ----
  TColor GetBackColor() override;
  std::string FormattedValueLegend(TChartSeries* Series, Integer Index) override;
  bool IsFreeSeriesColor(TColor Color, bool CheckBackground) override;

  // ---- published ----
  TChartWall* BackWall() const { return backWall_.get(); }
  void SetBackWall(TChartWall* value) { backWall_->Assign(value); }
  TChartWall* BottomWall() const { return bottomWall_.get(); }
  void SetBottomWall(TChartWall* value) { bottomWall_->Assign(value); }
  TChartWall* LeftWall() const { return leftWall_.get(); }
  void SetLeftWall(TChartWall* value) { leftWall_->Assign(value); }
  TChartWall* RightWall() const { return rightWall_.get(); }
  void SetRightWall(TChartWall* value) { rightWall_->Assign(value); }
  TChartTitle* Title() const { return title_.get(); }
  void SetTitle(TChartTitle* value) { title_->Assign(value); }
  TChartTitle* SubTitle() const { return subTitle_.get(); }
  void SetSubTitle(TChartTitle* value) { subTitle_->Assign(value); }
  TChartTitle* Foot() const { return foot_.get(); }
  void SetFoot(TChartTitle* value) { foot_->Assign(value); }
  TChartTitle* SubFoot() const { return subFoot_.get(); }
  void SetSubFoot(TChartTitle* value) { subFoot_->Assign(value); }
  TChartLegend* Legend() const { return legend_.get(); }
  void SetLegend(TChartLegend* value) { legend_->Assign(value); }
  TMouseButton ScrollMouseButton() const { return scrollMouseButton_; }
  void SetScrollMouseButton(TMouseButton value) { scrollMouseButton_ = value; }

  // ---- events ----
  TChartAllowScrollEvent OnAllowScroll;
  TChartClickAxis OnClickAxis;
  TChartClick OnClickBackground;
  TChartClick OnClickLegend;
  TChartClickSeries OnClickSeries;
  TChartClickTitle OnClickTitle;
  TLegendGetPosEvent OnGetLegendPos;
  TLegendGetRectEvent OnGetLegendRect;
  TLegendGetTextEvent OnGetLegendText;

  // ---- mouse (public so that tests and hosts can drive them) ----
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // One wheel step per 120 of WheelDelta (at least one): down +3 %, up -3 % of each
  // vertical axis' range, after the control's own wheel events.
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

 protected:
  // "BackColor" of older forms, read only.
  void DefineProperties(TFiler* filer) override;
  void CalcWallsRect() override;
  void DrawTitlesAndLegend(bool BeforeSeries) override;
  void DrawWalls() override;
  Integer GetAxisWallSize(TChartAxis* Axis) override;
  void WallsBlock(TRect& Rect, Integer& Back) override;

 private:
  void ReadBackColor(TReader& Reader);
  // Titles and legend (chart_title.cpp draws one title).
  bool LegendShown();
  void DrawRightWallAfter();
  // The right wall lies behind the series (drawn with the walls).
  bool RightWallBehind();
  void DrawWall(TChartWall* Wall);
  // No series is active, or an active one draws with axes: walls and zoom apply.
  bool AxesInUse() const;
  // Mouse (chart_mouse.cpp).
  void StartZoomOrPan(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void PanTo(Integer X, Integer Y);
  // The chart point under the mouse in the middle of the chart's depth, where a lone
  // series is drawn (the mouse point itself in 2D).
  TPoint MouseInSeriesPlane(Integer X, Integer Y) const;
  void SaveAxes();
  void ScrollVerticalAxes(bool Up);

  std::unique_ptr<TChartWall> backWall_;
  std::unique_ptr<TChartWall> bottomWall_;
  std::unique_ptr<TChartTitle> foot_;
  std::unique_ptr<TChartWall> leftWall_;
  std::unique_ptr<TChartLegend> legend_;
  std::unique_ptr<TChartWall> rightWall_;
  TMouseButton scrollMouseButton_ = mbRight;
  std::unique_ptr<TChartTitle> subFoot_;
  std::unique_ptr<TChartTitle> subTitle_;
  std::unique_ptr<TChartTitle> title_;

  bool axesSaved_ = false;
  std::array<TSavedAxisState, 4> savedAxes_{};
  bool rightWallPending_ = false;
  bool seriesCursorShown_ = false;
};

// The chart as forms place it.
class TChart : public TCustomChart {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChart(TComponent* AOwner);
};

// ---- registries ----

// Series classes known to galleries, with their gallery names.
struct TChartSeriesType {
  const TClass* SeriesClass = nullptr;
  std::string Description;
};
class TChartSeriesTypes {
 public:
  Integer Count() const { return static_cast<Integer>(entries_.size()); }
  const TChartSeriesType& Get(Integer Index) const { return entries_.at(static_cast<std::size_t>(Index)); }
  // Adds a class once.
  void Add(const TClass* SeriesClass, const std::string& Description);
  void Clear() { entries_.clear(); }

 private:
  std::vector<TChartSeriesType> entries_;
};
TChartSeriesTypes& ChartSeriesTypes();
