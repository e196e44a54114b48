#include "platform/classlib/drag_drop.h"

#include <cstdlib>
#include <memory>

#include "platform/classlib/screen.h"
#include "platform/classlib/win_control.h"
#include "platform/win/hooks.h"
#include "platform/win/input.h"

const TClass& TDragObject::StaticClass() {
  static const TClass cls = TClass::Of<TDragObject>("TDragObject", TObject::StaticClass());
  return cls;
}

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer) { return Accepted ? crDrag : crNoDrop; }

const TClass& TDragControlObject::StaticClass() {
  static const TClass cls = TClass::Of<TDragControlObject>("TDragControlObject", TDragObject::StaticClass());
  return cls;
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer, Integer) {
  return Accepted ? control_->DragCursor() : crNoDrop;
}

// ---- the running drag ---------------------------------------------------------------------

// Hears of the dragged control and the current target being freed.
class TDragWatcher : public TComponent {
 public:
  TDragWatcher() : TComponent(nullptr) {}
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

class TDragSession {
 public:
  static TControl* Source() { return S().source; }
  static void Begin(TControl* control, bool immediate, Integer threshold);
  static bool Filter(TControl* control, TMessage& message);
  static void Done(bool drop);
  static void Forget(TComponent* gone);

 private:
  struct State {
    TControl* source = nullptr;
    TDragObject* object = nullptr;
    std::unique_ptr<TDragObject> ownObject;  // made here, freed here
    TPoint start{0, 0};
    Integer threshold = kDragThreshold;
    bool moving = false;    // past the threshold: targets are asked
    bool accepted = false;  // the current target's last answer
    win::HCURSOR savedCursor = nullptr;
    win::HHOOK keyHook = nullptr;
    std::unique_ptr<TDragWatcher> watcher;
  };
  static State& S() {
    static State state;
    return state;
  }
  static TObject* SourceObject();
  static void MoveTo(TPoint screen);
  static void SetTarget(TControl* target);
  static TPoint TargetPoint(TControl* target, TPoint screen);
  static void Leave(TControl* target, TObject* sourceObject, TPoint screen);
  static void ShowCursor(TCursor cursor);
  // Ends the running state: no source, no hook, the cursor of before the drag.
  static void Stop();
  static win::LRESULT KeyHook(int code, win::WPARAM wParam, win::LPARAM lParam);
};

void TDragWatcher::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) TDragSession::Forget(AComponent);
}

TObject* TDragSession::SourceObject() {
  State& s = S();
  if (auto* controlObject = dynamic_cast<TDragControlObject*>(s.object)) return controlObject->Control();
  return s.object;
}

TPoint TDragSession::TargetPoint(TControl* target, TPoint screen) {
  return target ? target->ScreenToClient(screen) : TPoint{0, 0};
}

void TDragSession::Leave(TControl* target, TObject* sourceObject, TPoint screen) {
  bool ignored = false;
  const TPoint p = TargetPoint(target, screen);
  target->DragOver(sourceObject, p.x, p.y, dsDragLeave, ignored);
}

void TDragSession::ShowCursor(TCursor cursor) {
  if (Screen) win::SetCursor(Screen->Cursors(cursor));
}

void TDragSession::Stop() {
  State& s = S();
  if (s.keyHook) win::UnhookWindowsHookEx(s.keyHook);
  s.keyHook = nullptr;
  s.source = nullptr;
  s.object = nullptr;
  win::SetCursor(s.savedCursor);
}

void TDragSession::Begin(TControl* control, bool immediate, Integer threshold) {
  State& s = S();
  if (s.source) return;
  s.source = control;
  TDragObject* object = nullptr;
  try {
    control->DoStartDrag(object);
  } catch (...) {
    s.source = nullptr;
    throw;
  }
  if (!object) {
    s.ownObject = std::make_unique<TDragControlObject>(control);
    object = s.ownObject.get();
  }
  s.object = object;
  object->dragTarget_ = nullptr;
  object->dropped_ = false;
  s.threshold = threshold < 0 ? kDragThreshold : threshold;
  s.accepted = false;
  s.moving = false;
  win::POINT p{};
  win::GetCursorPos(&p);
  s.start = TPoint{p.x, p.y};
  object->dragPos_ = s.start;
  s.savedCursor = win::GetCursor();
  s.watcher = std::make_unique<TDragWatcher>();
  s.watcher->FreeNotification(control);
  control->SetMouseCapture(true);
  s.keyHook = win::SetWindowsHookEx(win::WH_KEYBOARD, &TDragSession::KeyHook, nullptr, 0);
  if (immediate) {
    s.moving = true;
    MoveTo(s.start);
  }
}

void TDragSession::SetTarget(TControl* target) {
  State& s = S();
  TControl* old = s.object->dragTarget_;
  if (old == target) return;
  if (old && old != s.source) s.watcher->RemoveFreeNotification(old);
  s.object->dragTarget_ = target;
  if (target && target != s.source) s.watcher->FreeNotification(target);
}

void TDragSession::MoveTo(TPoint screen) {
  State& s = S();
  s.object->dragPos_ = screen;
  TControl* target = FindDragTarget(screen, false);
  TControl* old = s.object->dragTarget_;
  TDragState state = dsDragMove;
  if (target != old) {
    if (old) Leave(old, SourceObject(), screen);
    if (!S().source) return;  // a handler ended the drag
    SetTarget(target);
    state = dsDragEnter;
  }
  bool accept = false;
  if (target) {
    const TPoint p = TargetPoint(target, screen);
    target->DragOver(SourceObject(), p.x, p.y, state, accept);
  }
  if (!S().source) return;
  s.accepted = target && accept;
  ShowCursor(s.object->GetDragCursor(s.accepted, screen.x, screen.y));
}

void TDragSession::Done(bool drop) {
  State& s = S();
  if (!s.source) return;
  // Everything is taken down before a handler runs, so that one that raises or starts
  // another drag finds no half-ended drag.
  TControl* source = s.source;
  TDragObject* object = s.object;
  std::unique_ptr<TDragObject> own = std::move(s.ownObject);
  TObject* sourceObject = SourceObject();
  TControl* target = object->dragTarget_;
  const bool wasMoving = s.moving;
  const bool accepted = drop && wasMoving && s.accepted && target;
  const TPoint screen = object->dragPos_;
  Stop();
  s.watcher.reset();
  if (source->MouseCapture()) source->SetMouseCapture(false);
  // The press that started the drag was the drag's: no click follows it.
  source->controlState_.Exclude(csLButtonDown);
  source->controlState_.Exclude(csClicked);
  object->dropped_ = accepted;
  const TPoint at = accepted ? TargetPoint(target, screen) : TPoint{0, 0};
  if (target && !accepted && wasMoving) Leave(target, sourceObject, screen);
  if (accepted) target->DragDrop(sourceObject, at.x, at.y);
  source->DoEndDrag(accepted ? target : nullptr, at.x, at.y);
}

void TDragSession::Forget(TComponent* gone) {
  State& s = S();
  if (!s.source) return;
  if (gone == s.source) {
    // The dragged control is going: the drag ends without a word to anyone, and the
    // mouse it held (through its parent's window when windowless) is let go.
    Stop();
    s.ownObject.reset();
    win::ReleaseCapture();
    return;  // the watcher stays until the next drag replaces it
  }
  if (s.object && gone == s.object->dragTarget_) {
    s.object->dragTarget_ = nullptr;
    s.accepted = false;
  }
}

win::LRESULT TDragSession::KeyHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  const win::HHOOK hook = S().keyHook;
  const bool pressed = (static_cast<win::DWORD>(lParam) >> 31) == 0;
  if (code == win::HC_ACTION && wParam == win::VK_ESCAPE && pressed && S().source) {
    Done(false);
    return 1;
  }
  return win::CallNextHookEx(hook, code, wParam, lParam);
}

bool TDragSession::Filter(TControl* control, TMessage& message) {
  State& s = S();
  if (!s.source) return false;
  const bool mouse = message.Msg >= win::WM_MOUSEFIRST && message.Msg <= win::WM_MOUSELAST;
  if (control != s.source) {
    // Mouse input reaching anyone else means the dragged control lost the mouse.
    if (mouse && !s.source->MouseCapture()) Done(false);
    return false;
  }
  switch (message.Msg) {
    case win::WM_MOUSEMOVE: {
      const TPoint screen = control->ClientToScreen(TPoint{LoSmall(message.LParam), HiSmall(message.LParam)});
      if (!s.moving) {
        if (std::abs(screen.x - s.start.x) <= s.threshold && std::abs(screen.y - s.start.y) <= s.threshold)
          return true;
        s.moving = true;
      }
      MoveTo(screen);
      return true;
    }
    case win::WM_LBUTTONUP: {
      if (s.moving) s.object->dragPos_ = control->ClientToScreen(TPoint{LoSmall(message.LParam), HiSmall(message.LParam)});
      Done(true);
      return true;
    }
    case win::WM_RBUTTONDOWN:
    case win::WM_CANCELMODE:
      Done(false);
      return true;
    default:
      return mouse;
  }
}

// ---- TControl's side ------------------------------------------------------------------------

TControl* DragControl() { return TDragSession::Source(); }

bool DragFilterMessage(TControl* control, TMessage& Message) { return TDragSession::Filter(control, Message); }

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
  if (ComponentState().Contains(csDesigning)) return;
  TDragSession::Begin(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
  if (Dragging()) TDragSession::Done(Drop);
}

bool TControl::Dragging() const { return TDragSession::Source() == this; }

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}
