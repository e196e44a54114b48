#pragma once
// TMarksTipTool: the mark text of the point under the mouse shown as the chart's hint.
#include <functional>
#include <string>

#include "chart/chart_tools_base.h"
#include "chart/series_marks.h"

class TMarksTipTool;

enum TMarkToolMouseAction : Byte { mtmMove, mtmClick };
const TEnumInfo& MarkToolMouseActionInfo();

using TMarksTipGetText = std::function<void(TMarksTipTool* Sender, std::string& Text)>;

class TMarksTipTool : public TChartCustomToolSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TMarksTipTool(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TMarksTipToolEdit"; }
  std::string Description() const override { return "Mark Tips"; }
  // Leaving the active state clears the hint of the series' chart.
  void SetActive(bool value) override;
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;
  // Then the series' chart shows hints.
  void SetSeries(TChartSeries* Value) override;

  TMarkToolMouseAction MouseAction() const { return mouseAction_; }
  // Stores, then clears the hint of the series' chart.
  void SetMouseAction(TMarkToolMouseAction value);
  TSeriesMarksStyle Style() const { return style_; }
  void SetStyle(TSeriesMarksStyle value) { style_ = value; }

  TMarksTipGetText OnGetText;

 private:
  // The chart of the tool's series (nullptr without one).
  TCustomAxisPanel* SeriesChart() const;

  TMarkToolMouseAction mouseAction_ = mtmMove;
  TSeriesMarksStyle style_ = smsLabel;
};
