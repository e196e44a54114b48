#pragma once
// TSplitter: a bar between two aligned controls; dragging it resizes the control it is
// aligned against (the one that touches its left side for alLeft, its top for alTop,
// its right for alRight, its bottom for alBottom).
//
// The new size is the neighbour's size plus the drag (minus for alRight and alBottom),
// kept between MinSize and the room the parent leaves (its client size less MinSize and
// the other controls aligned the same way). OnCanResize may change it or refuse it;
// with AutoSnap a size at or below MinSize snaps to 0. With rsPattern and rsLine an
// inverted bar follows the mouse and the size is applied on release; rsUpdate resizes
// while dragging. OnMoved fires once the size has changed.
#include <functional>

#include "platform/classlib/controls.h"
#include "platform/classlib/win_control.h"

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
const TEnumInfo& ResizeStyleInfo();

// The splitter's OnCanResize: the neighbour's proposed size, and whether to take it.
using TSplitterCanResizeEvent = std::function<void(TObject* Sender, Integer& NewSize, bool& Accept)>;

class TSplitter : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TSplitter(TComponent* AOwner);

  bool AutoSnap() const { return autoSnap_; }
  void SetAutoSnap(bool value) { autoSnap_ = value; }
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool value);
  Integer MinSize() const { return minSize_; }
  void SetMinSize(Integer value);
  TResizeStyle ResizeStyle() const { return resizeStyle_; }
  void SetResizeStyle(TResizeStyle value) { resizeStyle_ = value; }

  // The control the splitter resizes, as a press would find it now (null when none).
  TControl* FindResizeControl();
  bool Sizing() const { return control_ != nullptr; }

  TSplitterCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;
  TNotifyEvent OnPaint;

 protected:
  using TControl::CanResize;
  virtual bool CanResize(Integer& NewSize);
  bool DoCanResize(Integer& NewSize);
  void Paint() override;
  void RequestAlign() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WMCancelMode(TMessage& Message) override;

 private:
  void CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split);
  void UpdateControlSize();
  void DrawLine();
  void StopSizing();

  bool autoSnap_ = true;
  bool beveled_ = false;
  Integer minSize_ = 30;
  TResizeStyle resizeStyle_ = rsPattern;

  TControl* control_ = nullptr;  // being resized
  TPoint downPos_{0, 0};
  Integer maxSize_ = 0;
  Integer newSize_ = 0;
  Integer oldSize_ = 0;
  Integer split_ = 0;
  bool lineVisible_ = false;
};
