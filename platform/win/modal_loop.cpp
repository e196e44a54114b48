#include "platform/win/modal_loop.h"

#include "platform/win/display_hooks.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

namespace win {

bool WaitForDisplayInput(unsigned waitMs) {
  DisplayHooks* d = GetDisplayHooks();
  if (!d || d->QuitRequested()) return false;
  d->Present();
  d->PumpEvents(waitMs);
  return !d->QuitRequested();
}

bool NextModalMessage(MSG* m, unsigned waitMs) {
  for (;;) {
    if (DisplayHooks* d = GetDisplayHooks(); d && d->QuitRequested()) return false;
    if (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) return true;
    if (!WaitForDisplayInput(waitMs)) return false;
  }
}

bool ModalRunsOnScreen() { return HasInteractiveDisplay() && PendingModalAnswers() == 0; }

std::optional<POINT> FollowMouse(HWND hwnd, POINT start, const std::function<void(POINT)>& move,
                                 const std::function<bool(const MSG&)>& take) {
  SetCapture(hwnd);
  std::optional<POINT> last = start;
  MSG m;
  while (NextModalMessage(&m)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (take && take(m)) continue;
    if (!IsMouseMessage(m.message)) {
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
        last.reset();
        break;
      }
      TranslateMessage(&m);
      DispatchMessage(&m);
      if (!IsWindow(hwnd)) return last;
      continue;
    }
    last = m.pt;
    move(m.pt);
    const bool up = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP;
    if (up || !IsWindow(hwnd) || GetCapture() != hwnd) break;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  return last;
}

}  // namespace win
