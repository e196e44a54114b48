#pragma once
// TRotateTool: dragging with its button turns a chart into 3D and rotates and elevates
// it.
#include <string>

#include "chart/chart_tools_base.h"

class TRotateTool : public TChartCustomTool {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TRotateTool(TComponent* AOwner);

  std::string Description() const override { return "Rotate"; }
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;

  TMouseButton Button() const { return button_; }
  void SetButton(TMouseButton value) { button_ = value; }
  bool Dragging() const { return dragging_; }

 private:
  TMouseButton button_ = mbLeft;
  Integer lastX_ = 0;
  Integer lastY_ = 0;
  bool dragging_ = false;
};
