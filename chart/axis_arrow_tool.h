#pragma once
// TAxisArrowTool: arrows at the ends of an axis; a click on one scrolls the axis by a
// part of its range.
#include <string>

#include "chart/chart_tools_base.h"

enum TAxisArrowToolPosition : Byte { aaStart, aaEnd, aaBoth };
const TEnumInfo& AxisArrowToolPositionInfo();

class TAxisArrowTool : public TChartCustomToolAxis {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TAxisArrowTool(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TAxisArrowToolEditor"; }
  std::string Description() const override { return "Axis Arrows"; }
  void ChartEvent(TChartToolEvent Event) override;
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;

  // 0 the start arrow, 1 the end arrow, -1 none (always for an axis the chart does not draw).
  Integer ArrowAt(Integer X, Integer Y) const;
  // The screen point at position B along the axis line as drawn.
  TPoint OnAxisLine(Integer B) const;

  Integer Length() const { return length_; }
  void SetLength(Integer value) { ChangeInteger(length_, value); }
  TAxisArrowToolPosition Position() const { return position_; }
  void SetPosition(TAxisArrowToolPosition value);
  // One click scrolls the axis range divided by this; 0 switches scrolling off.
  Integer ScrollPercent() const { return scrollPercent_; }
  void SetScrollPercent(Integer value) { scrollPercent_ = value; }

 private:
  Integer length_ = 16;
  TAxisArrowToolPosition position_ = aaBoth;
  Integer scrollPercent_ = 10;
};
