#pragma once
// Drag and drop between controls.
//
// A drag starts with TControl::BeginDrag (dmAutomatic: at a left-button press). The
// dragged control asks OnStartDrag for a drag object, holds the mouse, and from then on
// its mouse input drives the drag instead of its own handlers: every move finds the
// control under the mouse (FindDragTarget), which hears OnDragOver with dsDragEnter on
// arrival, dsDragMove while the mouse moves over it and dsDragLeave when the mouse
// leaves or the drag is cancelled, and answers whether it accepts. The cursor shows the
// drag object's cursor (the control's DragCursor) over an accepting target and crNoDrop
// elsewhere. Releasing the left button over an accepting target fires its OnDragDrop;
// the dragged control then hears OnEndDrag with the target (null when nothing took the
// drop). Escape, the right button, a cancel-mode message or a lost capture cancel.
// One drag runs at a time.
#include "platform/classlib/controls.h"

// What is dragged. A handler of OnStartDrag may supply its own (it stays the handler's
// to free); otherwise the drag makes a TDragControlObject for the control and frees it.
class TDragObject : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // The cursor over a target that does or does not accept; X, Y in screen coordinates.
  virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);
  // The control under the mouse (null over none) and the mouse in screen coordinates.
  TControl* DragTarget() const { return dragTarget_; }
  TPoint DragPos() const { return dragPos_; }
  // Set when the drag ended with a drop.
  bool Dropped() const { return dropped_; }

 private:
  friend class TDragSession;
  TControl* dragTarget_ = nullptr;
  TPoint dragPos_{0, 0};
  bool dropped_ = false;
};

// A control being dragged; targets see the control itself as the source.
class TDragControlObject : public TDragObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDragControlObject(TControl* AControl) : control_(AControl) {}
  TControl* Control() const { return control_; }
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;

 private:
  TControl* control_;
};

// Pixels the mouse moves before a drag that was not immediate begins.
inline constexpr Integer kDragThreshold = 5;

// The control being dragged, or null.
TControl* DragControl();

// Called first by TControl::WndProc: takes the dragged control's mouse input while a
// drag runs (true: the message was the drag's).
bool DragFilterMessage(TControl* control, TMessage& Message);
