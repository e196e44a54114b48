#pragma once
// TUpDown: a pair of arrow buttons that step Position between Min and Max.
//
// Vertical: the upper half is the next button (Position + Increment), the lower half
// the previous one; horizontal: the right half is next, the left half previous. A press
// steps once at once and then repeats while held (after 400 ms, every 100 ms). Each
// step asks OnChanging first (which may refuse), then moves Position (wrapping past
// the ends with Wrap, else stopping at them) and fires OnClick with the button.
#include <functional>

#include "platform/classlib/win_control.h"

enum TUDBtnType { btNext, btPrev };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDAlignButton { udLeft, udRight };
const TEnumInfo& UDOrientationInfo();
const TEnumInfo& UDAlignButtonInfo();

using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomUpDown : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomUpDown(TComponent* AOwner);

  Integer Min() const { return min_; }
  void SetMin(Integer value);
  Integer Max() const { return max_; }
  void SetMax(Integer value);
  // Clamped to the range; setting it fires nothing.
  Integer Position() const { return position_; }
  void SetPosition(Integer value);
  Integer Increment() const { return increment_; }
  void SetIncrement(Integer value) { increment_ = value; }
  bool Wrap() const { return wrap_; }
  void SetWrap(bool value) { wrap_ = value; }
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool value) { arrowKeys_ = value; }
  bool Thousands() const { return thousands_; }
  void SetThousands(bool value) { thousands_ = value; }
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation value);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton value) { alignButton_ = value; }

  // One step as a press of the button does.
  void Step(TUDBtnType button);
  // The button under a client point.
  TUDBtnType ButtonAt(Integer X, Integer Y);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  using TControl::Click;
  virtual bool CanChange();
  virtual void Click(TUDBtnType Button);
  void Paint() override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WMCancelMode(TMessage& Message) override;

 private:
  void StopRepeat();

  Integer min_ = 0;
  Integer max_ = 100;
  Integer position_ = 0;
  Integer increment_ = 1;
  bool wrap_ = false;
  bool arrowKeys_ = true;
  bool thousands_ = true;
  TUDOrientation orientation_ = udVertical;
  TUDAlignButton alignButton_ = udRight;
  bool pressed_ = false;
  TUDBtnType pressedButton_ = btNext;
  bool repeating_ = false;
};

class TUpDown : public TCustomUpDown {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};
