#pragma once
// TCursorTool: a cross-hair (a horizontal line, a vertical line or both) inside the area
// of its axes. Its lines are dragged, or follow the mouse, and may snap to the points of
// its series. On mouse moves it redraws only its own lines, in an exclusive-or pen.
#include <functional>
#include <string>

#include "chart/chart_tools_base.h"

class TCursorTool;

enum TCursorToolStyle : Byte { cssHorizontal, cssVertical, cssBoth };
const TEnumInfo& CursorToolStyleInfo();

using TCursorToolChangeEvent = std::function<void(TCursorTool* Sender, Integer x, Integer y, Double XValue,
                                                  Double YValue, TChartSeries* Series, Integer ValueIndex)>;
// May change the area the cursor lives in before it is used.
using TCursorToolGetAxisRect = std::function<void(TCursorTool* Sender, TRect& Rect)>;

class TCursorTool : public TChartCustomToolSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCursorTool(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TCursorToolEditor"; }
  std::string Description() const override { return "Cursor"; }
  void ChartEvent(TChartToolEvent Event) override;
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;
  void SetSeries(TChartSeries* Value) override;

  // Fires OnChange with the current lines and values.
  virtual void DoChange(Integer ValueIndex);

  // From the horizontal axis' StartPixel to its EndPixel and the vertical axis' likewise,
  // through OnGetAxisRect.
  TRect CursorArea();
  // For the mouse at (X, Y): 0 outside the area or away from the lines, 1 on the
  // horizontal line, 2 on the vertical one, 3 on their crossing (cssBoth).
  Byte HitTest(Integer X, Integer Y);
  // Snaps the values to the nearest point of the series; the point's index, or -1.
  Integer SnapToPoint();

  bool FollowMouse() const { return followMouse_; }
  void SetFollowMouse(bool value) { followMouse_ = value; }
  bool Snap() const { return snap_; }
  void SetSnap(bool value) { snap_ = value; }
  TCursorToolStyle Style() const { return style_; }
  void SetStyle(TCursorToolStyle value);

  Double XValue() const { return xValue_; }
  Double YValue() const { return yValue_; }
  // Pixels of the lines' plane; -1 until the first drawing placed the cursor.
  Integer LineX() const { return lineX_; }
  Integer LineY() const { return lineY_; }
  Byte DragState() const { return dragState_; }

  TCursorToolChangeEvent OnChange;
  TCursorToolGetAxisRect OnGetAxisRect;

 private:
  // Line positions from the values (or, the first time, the middle of the area, which
  // fires OnChange).
  void Place();
  void PlaceFromValues();
  // Values from a point of the lines' plane (depth 0), by the drag state.
  void ValuesFrom(Integer X, Integer Y);
  // The lines in the exclusive-or pen (drawing them twice erases them).
  void DrawCursorLines();

  bool followMouse_ = false;
  bool snap_ = false;
  TCursorToolStyle style_ = cssBoth;
  Byte dragState_ = 0;
  Double xValue_ = 0;
  Double yValue_ = 0;
  Integer lineX_ = -1;
  Integer lineY_ = -1;
};
