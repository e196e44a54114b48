#include "platform/classlib/std_updown.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"
#include "platform/win/gdi.h"
#include "platform/win/rect.h"
#include "platform/win/timers.h"

namespace {

const bool kUpDownRegistered = [] {
  RegisterClass(TUpDown::StaticClass());
  return true;
}();

constexpr win::ULONG_PTR kRepeatTimer = 1;
constexpr win::UINT kFirstDelay = 400;
constexpr win::UINT kRepeatDelay = 100;

// A small filled triangle pointing up, down, left or right, centred in `r`.
void Arrow(TCanvas* c, const TRect& r, int direction, TColor color) {
  Integer cx = (r.left + r.right) / 2;
  Integer cy = (r.top + r.bottom) / 2;
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color);
  // Three rows (or columns) of 5, 3 and 1 pixels.
  for (int i = 0; i < 3; ++i) {
    int half = 2 - i;
    switch (direction) {
      case 0:  // up
        c->MoveTo(cx - half, cy + 1 - i);
        c->LineTo(cx + half + 1, cy + 1 - i);
        break;
      case 1:  // down
        c->MoveTo(cx - half, cy - 1 + i);
        c->LineTo(cx + half + 1, cy - 1 + i);
        break;
      case 2:  // left
        c->MoveTo(cx + 1 - i, cy - half);
        c->LineTo(cx + 1 - i, cy + half + 1);
        break;
      default:  // right
        c->MoveTo(cx - 1 + i, cy - half);
        c->LineTo(cx - 1 + i, cy + half + 1);
        break;
    }
  }
}

}  // namespace

const TEnumInfo& UDOrientationInfo() {
  static const TEnumInfo info("TUDOrientation", {"udHorizontal", "udVertical"});
  return info;
}

const TEnumInfo& UDAlignButtonInfo() {
  static const TEnumInfo info("TUDAlignButton", {"udLeft", "udRight"});
  return info;
}

const TClass& TCustomUpDown::StaticClass() {
  static const TClass cls = TClass::Of<TCustomUpDown>("TCustomUpDown", TCustomControl::StaticClass());
  return cls;
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
  SetBounds(Left(), Top(), 15, 25);
}

void TCustomUpDown::SetMin(Integer value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  position_ = std::clamp(position_, min_, max_);
  Invalidate();
}

void TCustomUpDown::SetMax(Integer value) {
  max_ = value;
  if (min_ > max_) min_ = max_;
  position_ = std::clamp(position_, min_, max_);
  Invalidate();
}

void TCustomUpDown::SetPosition(Integer value) {
  // A form may give the position before the range.
  if (ComponentState().Contains(csLoading)) {
    position_ = value;
    return;
  }
  position_ = std::clamp(value, min_, std::max(min_, max_));
}

void TCustomUpDown::Loaded() {
  TCustomControl::Loaded();
  position_ = std::clamp(position_, min_, std::max(min_, max_));
}

void TCustomUpDown::SetOrientation(TUDOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  Invalidate();
}

bool TCustomUpDown::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType Button) {
  if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Step(TUDBtnType button) {
  if (!CanChange()) return;
  Integer next = button == btNext ? position_ + increment_ : position_ - increment_;
  if (next > max_)
    next = wrap_ ? min_ : max_;
  else if (next < min_)
    next = wrap_ ? max_ : min_;
  position_ = next;
  Click(button);
}

TUDBtnType TCustomUpDown::ButtonAt(Integer X, Integer Y) {
  if (orientation_ == udVertical) return Y < ClientHeight() / 2 ? btNext : btPrev;
  return X >= ClientWidth() / 2 ? btNext : btPrev;
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  pressed_ = true;
  pressedButton_ = ButtonAt(X, Y);
  Invalidate();
  Step(pressedButton_);
  if (HandleAllocated() && pressed_) {
    win::SetTimer(WindowHandle(), kRepeatTimer, kFirstDelay, nullptr);
    repeating_ = true;
  }
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) StopRepeat();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::WMCancelMode(TMessage& Message) {
  StopRepeat();
  TCustomControl::WMCancelMode(Message);
}

void TCustomUpDown::StopRepeat() {
  if (repeating_ && HandleAllocated()) win::KillTimer(WindowHandle(), kRepeatTimer);
  repeating_ = false;
  if (pressed_) {
    pressed_ = false;
    Invalidate();
  }
}

void TCustomUpDown::Dispatch(TMessage& Message) {
  if (Message.Msg == win::WM_TIMER && Message.WParam == kRepeatTimer) {
    if (!pressed_) {
      StopRepeat();
      return;
    }
    win::SetTimer(WindowHandle(), kRepeatTimer, kRepeatDelay, nullptr);
    Step(pressedButton_);
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomUpDown::Paint() {
  TCanvas* c = Canvas();
  Integer w = ClientWidth(), h = ClientHeight();
  bool vertical = orientation_ == udVertical;
  TRect next = vertical ? TRect{0, 0, w, h / 2} : TRect{w / 2, 0, w, h};
  TRect prev = vertical ? TRect{0, h / 2, w, h} : TRect{0, 0, w / 2, h};
  auto button = [&](TRect r, bool down, int direction) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    TRect e = r;
    win::DrawEdge(c->Handle(), &e, down ? win::EDGE_SUNKEN : win::EDGE_RAISED, win::BF_RECT);
    if (down) win::OffsetRect(&r, 1, 1);
    Arrow(c, r, direction, Enabled() ? clBtnText : clGrayText);
  };
  button(next, pressed_ && pressedButton_ == btNext, vertical ? 0 : 3);
  button(prev, pressed_ && pressedButton_ == btPrev, vertical ? 1 : 2);
}

// ---- TUpDown -----------------------------------------------------------------------------------------

const TClass& TUpDown::StaticClass() {
  static const TClass cls = TClass::Of<TUpDown>("TUpDown", TCustomUpDown::StaticClass(), &TUpDown::Publish);
  return cls;
}

void TUpDown::Publish(TPublished& published) {
  TWinControl::PublishProperties(published, {"Anchors", "Constraints", "Enabled", "ParentShowHint",
                                             "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible",
                                             "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TCustomUpDown>();
  p.Enum("AlignButton", UDAlignButtonInfo(), &TCustomUpDown::AlignButton, &TCustomUpDown::SetAlignButton)
      .Default(udRight);
  p.Boolean("ArrowKeys", &TCustomUpDown::ArrowKeys, &TCustomUpDown::SetArrowKeys).Default(true);
  p.Integer("Increment", &TCustomUpDown::Increment, &TCustomUpDown::SetIncrement).Default(1);
  p.Integer("Max", &TCustomUpDown::Max, &TCustomUpDown::SetMax).Default(100);
  p.Integer("Min", &TCustomUpDown::Min, &TCustomUpDown::SetMin).Default(0);
  p.Enum("Orientation", UDOrientationInfo(), &TCustomUpDown::Orientation, &TCustomUpDown::SetOrientation)
      .Default(udVertical);
  p.Integer("Position", &TCustomUpDown::Position, &TCustomUpDown::SetPosition).Default(0);
  p.Boolean("Thousands", &TCustomUpDown::Thousands, &TCustomUpDown::SetThousands).Default(true);
  p.Boolean("Wrap", &TCustomUpDown::Wrap, &TCustomUpDown::SetWrap).Default(false);
  p.Event("OnChanging", &TCustomUpDown::OnChanging);
  p.Event("OnClick", &TCustomUpDown::OnClick);
}
