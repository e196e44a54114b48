#pragma once
// Scrolling containers: TScrollingWinControl (the base of forms and scroll boxes) with its
// two TControlScrollBar objects, and TScrollBox.
//
// A scroll bar shows when it is Visible and its Range exceeds the client extent along its
// axis; Position runs from 0 to Range minus that extent and moving it moves every child
// the other way. With AutoScroll the ranges follow the children's extents. The window
// system draws the bars as part of the frame (WS_HSCROLL / WS_VSCROLL) from the state kept
// here, which each change hands it (SetScrollInfo), and sends WM_HSCROLL / WM_VSCROLL when
// the mouse works them.
#include "platform/classlib/win_control.h"

class TScrollingWinControl;

enum TScrollBarKind { sbHorizontal, sbVertical };
using TScrollBarInc = SmallInt;  // 1 .. 32767

class TControlScrollBar : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);

  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() override;

  TScrollBarKind Kind() const { return kind_; }
  TScrollBarInc Increment() const { return increment_; }
  void SetIncrement(TScrollBarInc value);
  Integer Margin() const { return margin_; }
  void SetMargin(Integer value);
  // 0 .. Range minus the client extent; setting it scrolls the children.
  Integer Position() const { return position_; }
  void SetPosition(Integer value);
  Integer Range() const { return range_; }
  void SetRange(Integer value);
  bool Tracking() const { return tracking_; }
  void SetTracking(bool value) { tracking_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);

  // Whether the bar shows now.
  bool IsScrollBarVisible() const { return shown_; }
  // Position's upper end.
  Integer ScrollRange() const { return calcRange_; }
  // Handles WM_HSCROLL / WM_VSCROLL (the low word of WParam is the SB_ code).
  void ScrollMessage(TMessage& Message);

 private:
  friend class TScrollingWinControl;
  bool RangeStored() const;
  // Hands range, page and position to the window's frame bar.
  void UpdateWindowBar();
  // Sets the range from AutoScroll without turning AutoScroll off.
  void DoSetRange(Integer value);

  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  TScrollBarInc increment_ = 8;
  Integer margin_ = 0;
  Integer position_ = 0;
  Integer range_ = 0;
  Integer calcRange_ = 0;
  bool tracking_ = false;
  bool visible_ = true;
  bool shown_ = false;
};

class TScrollingWinControl : public TWinControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;

  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value);
  TControlScrollBar* HorzScrollBar() const { return horzScrollBar_.get(); }
  void SetHorzScrollBar(TControlScrollBar* value) { horzScrollBar_->Assign(value); }
  TControlScrollBar* VertScrollBar() const { return vertScrollBar_.get(); }
  void SetVertScrollBar(TControlScrollBar* value) { vertScrollBar_->Assign(value); }

  // Moves every child by (DeltaX, DeltaY).
  void ScrollBy(Integer DeltaX, Integer DeltaY);
  // Scrolls so that the control (a child at any depth) is fully visible.
  void ScrollInView(TControl* AControl);
  // Recomputes the ranges (AutoScroll) and shows or hides the bars.
  void UpdateScrollBars();

 protected:
  friend class TControlScrollBar;
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  // Scrolls three lines a notch (the vertical bar, else the horizontal one); with nothing to
  // scroll the wheel goes on to the parent.
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Dispatch(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  virtual void WMHScroll(TMessage& Message);
  virtual void WMVScroll(TMessage& Message);
  void CalcAutoRange();
  // The client size with no scroll bar showing.
  TPoint ClientSizeWithoutBars();

 private:
  std::unique_ptr<TControlScrollBar> horzScrollBar_;
  std::unique_ptr<TControlScrollBar> vertScrollBar_;
  bool autoScroll_ = true;
  bool updatingBars_ = false;
  win::DWORD barStyle_ = 0;  // WS_HSCROLL / WS_VSCROLL the window has or will have
};

class TScrollBox : public TScrollingWinControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TScrollBox(TComponent* AOwner);

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CMCtl3DChanged(TMessage& Message) override;

 private:
  TBorderStyle borderStyle_ = bsSingle;
};
