#pragma once
// TNearestTool: a marker on the point of its series nearest to the mouse.
#include <string>

#include "chart/chart_tools_base.h"

enum TNearestToolStyle : Byte { hsNone, hsCircle, hsRectangle, hsDiamond };
const TEnumInfo& NearestToolStyleInfo();

class TNearestTool : public TChartCustomToolSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Clear brush, dotted white pen.
  explicit TNearestTool(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TNearestToolEdit"; }
  std::string Description() const override { return "Nearest Point"; }
  void ChartEvent(TChartToolEvent Event) override;
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;

  // The visible point of the series nearest to (X, Y) inside the plotting rectangle, the
  // first of equal rounded distances; -1 when none.
  Integer GetNearestPoint(Integer X, Integer Y);

  bool DrawLine() const { return drawLine_; }
  void SetDrawLine(bool value) { drawLine_ = value; }
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool value) { fullRepaint_ = value; }
  Integer Size() const { return size_; }
  void SetSize(Integer value) { ChangeInteger(size_, value); }
  TNearestToolStyle Style() const { return style_; }
  void SetStyle(TNearestToolStyle value);

  // The nearest point at the last move, -1 for none.
  Integer Point() const { return point_; }

  TNotifyEvent OnChange;

 private:
  void DrawMarker();
  // Where the series' point at (X, Y) shows on the screen: in 3D in the series' middle
  // plane, where its marker is drawn.
  TPoint OnScreen(Integer X, Integer Y);

  bool drawLine_ = true;
  bool fullRepaint_ = true;
  Integer size_ = 20;
  TNearestToolStyle style_ = hsCircle;
  Integer mouseX_ = 0;
  Integer mouseY_ = 0;
  Integer point_ = -1;
};
