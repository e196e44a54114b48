#pragma once
// Thread hooks of the keyboard and the mouse. The newest hook runs first; it passes the
// message on with CallNextHookEx. A hook that answers non-zero for HC_ACTION swallows the
// message: it never reaches its window.
#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

struct HookObject;
using HHOOK = HookObject*;
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);

inline constexpr int WH_KEYBOARD = 2;
inline constexpr int WH_MOUSE = 7;
inline constexpr int HC_ACTION = 0;

// The keyboard hook gets wParam = the virtual key and lParam = the key message's lParam
// (repeat count, scan code, bit 29 Alt, bit 30 previous state, bit 31 release); the
// mouse hook gets wParam = the message number and lParam = a MOUSEHOOKSTRUCT*.
struct MOUSEHOOKSTRUCT {
  POINT pt;  // screen
  HWND hwnd = nullptr;
  UINT wHitTestCode = 0;
  ULONG_PTR dwExtraInfo = 0;
};

// Only WH_KEYBOARD and WH_MOUSE on the calling thread (threadId 0 or this thread's id);
// null otherwise.
HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
inline HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
  return SetWindowsHookExA(idHook, proc, module, threadId);
}
// Runs the hook after `hook` in its chain; 0 at the end of the chain.
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
BOOL UnhookWindowsHookEx(HHOOK hook);

// ---- for the window system's own files ----------------------------------------------------------
// Runs the chain of `idHook` with HC_ACTION; true when the message is swallowed.
bool RunHooks(int idHook, WPARAM wParam, LPARAM lParam);
void ResetHooks();

}  // namespace win
