#include "controlkit/kit_wndproc_hook.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/forms.h"
#include "platform/win/messages.h"

// ---- the chains ------------------------------------------------------------------------------

struct TKitHookChainAccess {
  static win::LRESULT Deliver(TKitWndProcComponent* c, win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l,
                              int level) {
    return c->Deliver(h, m, w, l, level);
  }
  static void Forget(TKitWndProcComponent* c, win::HWND h) {
    if (c->hookedWindow_ == h) c->hookedWindow_ = nullptr;
    if (c->mainWindow_ == h) c->mainWindow_ = nullptr;
  }
};

namespace {

struct Chain {
  win::WNDPROC original = nullptr;
  win::WNDPROC dispatcher = nullptr;
  std::vector<TKitWndProcComponent*> hooks;  // oldest first
};

std::map<win::HWND, Chain>& Chains() {
  static std::map<win::HWND, Chain> chains;
  return chains;
}

win::LRESULT CallLevel(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam, int level) {
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return win::DefWindowProc(hwnd, msg, wParam, lParam);
  Chain& chain = it->second;
  level = std::min(level, static_cast<int>(chain.hooks.size()) - 1);
  if (level < 0) {
    win::WNDPROC original = chain.original;
    return original ? win::CallWindowProc(original, hwnd, msg, wParam, lParam)
                    : win::DefWindowProc(hwnd, msg, wParam, lParam);
  }
  return TKitHookChainAccess::Deliver(chain.hooks[static_cast<std::size_t>(level)], hwnd, msg, wParam, lParam, level);
}

// The window is gone: its chain and every hook on it are dropped.
void DropChain(win::HWND hwnd) {
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return;
  Chain chain = std::move(it->second);
  Chains().erase(it);
  for (TKitWndProcComponent* c : chain.hooks) TKitHookChainAccess::Forget(c, hwnd);
  win::FreeProcInstance(chain.dispatcher);
}

win::LRESULT Dispatch(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return win::DefWindowProc(hwnd, msg, wParam, lParam);
  int top = static_cast<int>(it->second.hooks.size()) - 1;
  win::LRESULT result = CallLevel(hwnd, msg, wParam, lParam, top);
  if (msg == win::WM_NCDESTROY) DropChain(hwnd);
  return result;
}

bool AddHook(win::HWND hwnd, TKitWndProcComponent* hook) {
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) {
    Chain chain;
    chain.dispatcher = win::MakeProcInstance(
        [hwnd](win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) { return Dispatch(h ? h : hwnd, m, w, l); });
    if (!chain.dispatcher) return false;
    chain.original = reinterpret_cast<win::WNDPROC>(win::GetWindowLong(hwnd, win::GWL_WNDPROC));
    win::SetWindowLong(hwnd, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(chain.dispatcher));
    it = Chains().emplace(hwnd, std::move(chain)).first;
  }
  it->second.hooks.push_back(hook);
  return true;
}

void RemoveHook(win::HWND hwnd, TKitWndProcComponent* hook) {
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return;
  Chain& chain = it->second;
  chain.hooks.erase(std::remove(chain.hooks.begin(), chain.hooks.end(), hook), chain.hooks.end());
  if (!chain.hooks.empty()) return;
  // Someone subclassed over the dispatcher: it stays in their chain, forwarding to the
  // original procedure (CallLevel with no hooks), so nothing below it is lost.
  if (!win::IsWindow(hwnd)) {
    DropChain(hwnd);
    return;
  }
  auto current = reinterpret_cast<win::WNDPROC>(win::GetWindowLong(hwnd, win::GWL_WNDPROC));
  if (current != chain.dispatcher) return;
  win::SetWindowLong(hwnd, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(chain.original));
  win::WNDPROC dispatcher = chain.dispatcher;
  Chains().erase(it);
  win::FreeProcInstance(dispatcher);
}

// The chain position below `hook`; hooks removed meanwhile have shifted the others, so
// the position is looked up again rather than trusted.
int LevelBelow(win::HWND hwnd, const TKitWndProcComponent* hook, int fallback) {
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return -1;
  const auto& hooks = it->second.hooks;
  auto pos = std::find(hooks.begin(), hooks.end(), hook);
  if (pos != hooks.end()) return static_cast<int>(pos - hooks.begin()) - 1;
  return fallback - 1;
}

}  // namespace

int KitHookCount(win::HWND hwnd) {
  auto it = Chains().find(hwnd);
  return it == Chains().end() ? 0 : static_cast<int>(it->second.hooks.size());
}

// ---- TKitWndProcComponent ------------------------------------------------------------------------

const TClass& TKitWndProcComponent::StaticClass() {
  static const TClass cls = TClass::Of<TKitWndProcComponent>("TKitWndProcComponent", TKitCustomComponent::StaticClass());
  return cls;
}

TKitWndProcComponent::TKitWndProcComponent(TComponent* AOwner) : TKitCustomComponent(AOwner) {
  if (TCustomForm* form = OwnerForm()) {
    if (form->FormStyle() == fsMDIChild) formKind_ = 1;
    else if (form->FormStyle() == fsMDIForm) formKind_ = 2;
  }
}

TKitWndProcComponent::~TKitWndProcComponent() { Unhook(); }

TCustomForm* TKitWndProcComponent::OwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

win::HWND TKitWndProcComponent::TargetWindow() const {
  TCustomForm* form = OwnerForm();
  if (!form || !form->HandleAllocated()) return nullptr;
  return form->Handle();
}

void TKitWndProcComponent::Hook() {
  if (!active_ || Hooked() || !CanHook()) return;
  if (ComponentState().Contains(csDesigning) && !designActive_) return;
  win::HWND target = TargetWindow();
  if (!target || !win::IsWindow(target)) return;
  destroyed_ = false;
  if (AddHook(target, this)) hookedWindow_ = target;
  if (hookMainWindow_ && Application && Application->MainForm() && Application->MainForm()->HandleAllocated()) {
    win::HWND main = Application->MainForm()->Handle();
    if (main != target && win::IsWindow(main) && AddHook(main, this)) mainWindow_ = main;
  }
}

void TKitWndProcComponent::Unhook() {
  if (mainWindow_) {
    win::HWND main = mainWindow_;
    mainWindow_ = nullptr;
    RemoveHook(main, this);
  }
  if (!hookedWindow_) return;
  win::HWND hwnd = hookedWindow_;
  hookedWindow_ = nullptr;
  RemoveHook(hwnd, this);
}

void TKitWndProcComponent::Loaded() {
  TKitCustomComponent::Loaded();
  if (ComponentState().Contains(csDesigning) && !designActive_) return;
  // A form read from a file has no window yet and nothing would hook later: make it now,
  // so that the hook sees the form's messages from the start.
  if (TCustomForm* form = OwnerForm(); form && active_ && CanHook() && !form->HandleAllocated()) form->HandleNeeded();
  Hook();
}

win::LRESULT TKitWndProcComponent::Deliver(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam,
                                           int level) {
  TMessage message{msg, wParam, lParam, 0};
  int savedLevel = callLevel_;
  win::HWND savedWindow = callWindow_;
  callLevel_ = level;
  callWindow_ = hwnd;
  if (hwnd != hookedWindow_) {
    // The main window: its end only ends that hook.
    if (msg == win::WM_DESTROY) CallPrevious(message);
    else WndProc(message);
  } else if (destroyed_) {
    CallPrevious(message);
  } else if (msg == win::WM_DESTROY) {
    destroyed_ = true;
    CallPrevious(message);
    if (formKind_ == 1) Unhook();
  } else {
    WndProc(message);
  }
  callLevel_ = savedLevel;
  callWindow_ = savedWindow;
  return message.Result;
}

void TKitWndProcComponent::WndProc(TMessage& Message) { CallPrevious(Message); }

void TKitWndProcComponent::CallPrevious(TMessage& Message) {
  if (!callWindow_) return;
  Message.Result = CallLevel(callWindow_, Message.Msg, Message.WParam, Message.LParam,
                             LevelBelow(callWindow_, this, callLevel_));
}
