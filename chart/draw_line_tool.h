#pragma once
// TDrawLineTool: free lines the user draws on the chart with the mouse, kept in values of
// the tool's axes so they follow zooming and scrolling. Lines can be selected and dragged
// by an end or as a whole. While the mouse moves, the line being drawn or dragged is a
// rubber band in an exclusive-or pen; the chart repaints only when it ends.
#include <functional>
#include <string>

#include "chart/chart_tools_base.h"

class TDrawLineTool;

// A point in values of the tool's horizontal and vertical axes.
struct TFloatPoint {
  Double X = 0;
  Double Y = 0;
  bool operator==(const TFloatPoint&) const = default;
};

class TDrawLine : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDrawLineTool* Parent = nullptr;
  // Where the drawing began (the first handle) and ended (the second).
  TFloatPoint StartPos;
  TFloatPoint EndPos;
};

// The lines of a tool; owns them.
class TDrawLines : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDrawLines(TDrawLineTool* Tool) : tool_(Tool) {}
  ~TDrawLines() override;

  TDrawLine* Line(Integer Index) const { return static_cast<TDrawLine*>(Get(Index)); }
  // Takes the line (owned from now on) and makes the tool its parent.
  Integer Add(TDrawLine* Line);
  // Clears the tool's selection, frees every line, empties the list.
  void Clear() override;

 private:
  TDrawLineTool* tool_;
};

class TDrawLineTool : public TChartCustomToolSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TDrawLineTool(TComponent* AOwner);
  ~TDrawLineTool() override;

  std::string GetEditorClassName() const override { return "TDrawLineEdit"; }
  std::string Description() const override { return "Draw Line"; }
  void ChartEvent(TChartToolEvent Event) override;
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;

  // Clips the canvas to the series' axes (or the plotting rectangle) across the chart's
  // depth, when the chart allows clipping.
  void ClipDrawing();

  // Points at depth 0 (where the lines lie) <-> values through the tool's axes.
  TPoint AxisPoint(const TFloatPoint& P) const;
  TFloatPoint ScreenPoint(const TPoint& P) const;
  // Mode 0: within 4 pixels of the segment; 1: on the start handle; 2: on the end handle.
  bool LineHit(TDrawLine* Line, Integer X, Integer Y, Integer Mode);
  // The selected line when it passes, else the first that does; nullptr when none.
  TDrawLine* LineUnder(Integer X, Integer Y, Integer Mode);
  // Modes 0, 1, 2 in turn.
  TDrawLine* AnyLineUnder(Integer X, Integer Y);

  TMouseButton Button() const { return button_; }
  void SetButton(TMouseButton value) { button_ = value; }
  bool EnableDraw() const { return enableDraw_; }
  void SetEnableDraw(bool value) { enableDraw_ = value; }
  bool EnableSelect() const { return enableSelect_; }
  // Turning it off drops the selection (and repaints when there was one).
  void SetEnableSelect(bool value);

  TDrawLines* Lines() const { return lines_.get(); }
  TDrawLine* Selected() const { return selected_; }
  // Without repainting.
  void ClearSelection() { selected_ = nullptr; }
  bool Drawing() const { return drawing_; }
  Byte DragMode() const { return dragMode_; }
  // The ends of the line being drawn or dragged, at depth 0 (the screen's pixels in 2D).
  TPoint FromPoint() const { return from_; }
  TPoint ToPoint() const { return to_; }

  TNotifyEvent OnDraggedLine;
  TNotifyEvent OnDragLine;
  TNotifyEvent OnNewLine;
  TNotifyEvent OnSelect;

 private:
  void DrawSegment(const TPoint& P0, const TPoint& P1);
  void DrawHandles();
  void RubberBand();

  TMouseButton button_ = mbLeft;
  bool enableDraw_ = true;
  bool enableSelect_ = true;
  std::unique_ptr<TDrawLines> lines_;
  bool drawing_ = false;
  Byte dragMode_ = 0;
  TPoint last_{0, 0};  // the mouse at depth 0, for whole-line drags
  TDrawLine* selected_ = nullptr;
  TPoint from_{0, 0};
  TPoint to_{0, 0};
  bool clipped_ = false;
};
