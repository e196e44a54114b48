#pragma once
// TKitWndProcComponent: a component that sees every message of its owner form's window
// (the MDI client window for an MDI frame form) before the form does.
//
// Hooks on one window form a chain kept by the kit: the window procedure is replaced
// once, by a dispatcher that hands a message to the newest hook, which passes it on to
// the next older one, down to the window's original procedure. A hook leaves the chain
// wherever it sits, so hooks may be removed in any order without cutting off the ones
// installed after them. The original procedure goes back when the last hook leaves and
// nobody has replaced the dispatcher since.
#include "controlkit/kit_object.h"
#include "platform/classlib/control_messages.h"
#include "platform/win/window.h"

class TCustomForm;

class TKitWndProcComponent : public TKitCustomComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitWndProcComponent(TComponent* AOwner);
  ~TKitWndProcComponent() override;

  // Whether Hook may install the hook (the base: always).
  virtual bool CanHook() { return true; }
  // Installs the hook when active, not yet hooked, not designing (unless DesignActive)
  // and the form has a window.
  virtual void Hook();
  // Leaves the chain (the window's procedure is restored when this was the last hook).
  virtual void Unhook();
  // Sees one message; the base passes it to the previous procedure (CallPrevious).
  virtual void WndProc(TMessage& Message);
  virtual void DesignUnhook() { Unhook(); }

  bool Hooked() const { return hookedWindow_ != nullptr; }
  win::HWND HookedWindow() const { return hookedWindow_; }
  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  bool DesignActive() const { return designActive_; }
  void SetDesignActive(bool value) { designActive_ = value; }
  // Also hook the application's main window (when it is not the own one): its messages
  // reach WndProc too, MessageWindow telling them apart. Takes effect at the next Hook.
  bool HookMainWindow() const { return hookMainWindow_; }
  void SetHookMainWindow(bool value) { hookMainWindow_ = value; }
  bool MainWindowHooked() const { return mainWindow_ != nullptr; }
  // 0 normal, 1 MDI child, 2 MDI frame; taken from the owner form at creation.
  Byte FormKind() const { return formKind_; }

 protected:
  // Hands the message to the next older hook or the original procedure; the result goes
  // into Message.Result.
  void CallPrevious(TMessage& Message);
  void Loaded() override;
  TCustomForm* OwnerForm() const;
  // The window the hook goes on; null when there is none yet.
  virtual win::HWND TargetWindow() const;
  bool Destroyed() const { return destroyed_; }
  // The window whose message WndProc is handling now.
  win::HWND MessageWindow() const { return callWindow_; }

 private:
  friend struct TKitHookChainAccess;
  win::LRESULT Deliver(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam, int level);

  bool active_ = true;
  bool designActive_ = false;
  Byte formKind_ = 0;
  bool destroyed_ = false;  // WM_DESTROY was seen: nothing more is handled
  win::HWND hookedWindow_ = nullptr;
  bool hookMainWindow_ = false;
  win::HWND mainWindow_ = nullptr;
  int callLevel_ = -1;  // chain position while a message is being handled
  win::HWND callWindow_ = nullptr;
};

// The number of hooks on a window (0 when none); for tests and diagnostics.
int KitHookCount(win::HWND hwnd);
