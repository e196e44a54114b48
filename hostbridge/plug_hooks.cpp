#include "hostbridge/plug_hooks.h"

#include "hostbridge/c_boundary.h"
#include "hostbridge/tsx.h"
#include "hostbridge/tsx_module.h"
#include "platform/win/system_info.h"

namespace {

win::HHOOK AsHook(void* handle) { return static_cast<win::HHOOK>(handle); }

// Made after the window system's hook table, so it is destroyed before it: at unloading
// (or at exit) the hooks go while the window system still knows them.
struct HooksAtUnload {
  ~HooksAtUnload() {
    TTsxModuleState& s = TsxModule();
    if (s.KeyboardHook) win::UnhookWindowsHookEx(AsHook(s.KeyboardHook));
    if (s.MouseHook) win::UnhookWindowsHookEx(AsHook(s.MouseHook));
    s.KeyboardHook = nullptr;
    s.MouseHook = nullptr;
  }
};

}  // namespace

void InstallPlugHooks(bool keys, bool mouse) {
  TTsxModuleState& s = TsxModule();
  const win::DWORD thread = win::GetCurrentThreadId();
  if (keys && !s.KeyboardHook)
    s.KeyboardHook = win::SetWindowsHookExA(win::WH_KEYBOARD, &PlugKeyboardHook, nullptr, thread);
  if (mouse && !s.MouseHook) s.MouseHook = win::SetWindowsHookExA(win::WH_MOUSE, &PlugMouseHook, nullptr, thread);
  static HooksAtUnload atUnload;
}

win::LRESULT PlugKeyboardHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  if (code >= 0) {
    TTsx* tsx = TsxModule().TrapHandlers;
    if (tsx && tsx->OnTrapKey)
      bridge::GuardedVoid([&] { tsx->OnTrapKey(static_cast<TPlugParam>(wParam), static_cast<TPlugParam>(lParam)); });
  }
  return win::CallNextHookEx(AsHook(TsxModule().KeyboardHook), code, wParam, lParam);
}

win::LRESULT PlugMouseHook(int code, win::WPARAM wParam, win::LPARAM lParam) {
  if (code >= 0) {
    bool passOn = false;
    TTsx* tsx = TsxModule().TrapHandlers;
    if (tsx && tsx->OnTrapMouse)
      passOn = bridge::Guarded(
          true, [&] { return tsx->OnTrapMouse(static_cast<TPlugParam>(wParam), static_cast<TPlugParam>(lParam)); });
    if (!passOn) return 1;
  }
  return win::CallNextHookEx(AsHook(TsxModule().MouseHook), code, wParam, lParam);
}
