#include "platform/win/caption.h"

#include <algorithm>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"

namespace win {
namespace {

bool IsLeftUp(UINT m) { return m == WM_LBUTTONUP || m == WM_NCLBUTTONUP; }

// Holds the mouse until the left button is let go, calling `move` with each screen point;
// other messages are delivered meanwhile. The point where it was let go (or the last seen).
template <class Move>
POINT FollowMouse(HWND hwnd, POINT start, Move&& move) {
  SetCapture(hwnd);
  POINT last = start;
  MSG m;
  while (NextModalMessage(&m)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (!IsMouseMessage(m.message)) {
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
      TranslateMessage(&m);
      DispatchMessage(&m);
      if (!CheckWindow(hwnd)) return last;
      continue;
    }
    last = m.pt;
    move(m.pt);
    if (IsLeftUp(m.message) || !CheckWindow(hwnd) || GetCapture() != hwnd) break;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  return last;
}

}  // namespace

RECT CloseBoxRect(const WindowObject& w) {
  if ((w.style & WS_CAPTION) != WS_CAPTION || !(w.style & WS_SYSMENU)) return RECT{};
  const int b = BorderThickness(w.style, w.exStyle);
  const int ch = GetSystemMetrics((w.exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  const int width = w.rect.right - w.rect.left;
  const int side = ch - 4;
  return RECT{width - b - 2 - side - 2, b + 2, width - b - 2, b + 2 + side};
}

void PaintCloseBox(HDC dc, const WindowObject& w) {
  RECT r = CloseBoxRect(w);
  if (r.right <= r.left) return;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  RECT e = r;
  DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
  // The cross, two pixels thick.
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  const int inset = 4, x0 = r.left + inset, y0 = r.top + inset - 1, x1 = r.right - inset, y1 = r.bottom - inset - 1;
  for (int d = 0; d < 2; ++d) {
    MoveToEx(dc, x0 + d, y0, nullptr);
    LineTo(dc, x1 + d, y1);
    MoveToEx(dc, x1 - 1 + d, y0, nullptr);
    LineTo(dc, x0 - 1 + d, y1);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

bool DefCaptionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A quick second press on the close box is a double click; it presses the box as well.
  if (msg != WM_NCLBUTTONDOWN && !(msg == WM_NCLBUTTONDBLCLK && static_cast<LRESULT>(wParam) == HTCLOSE)) return false;
  WindowObject* w = CheckWindow(hwnd);
  if (!w || (w->style & WS_CHILD)) return false;
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (static_cast<LRESULT>(wParam) == HTCLOSE) {
    const POINT end = FollowMouse(hwnd, at, [](POINT) {});
    WindowObject* now = CheckWindow(hwnd);
    if (!now) return true;
    const POINT o = WindowOriginOnScreen(*now);
    if (const RECT box = CloseBoxRect(*now); PtInRect(&box, POINT{end.x - o.x, end.y - o.y})) SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (static_cast<LRESULT>(wParam) != HTCAPTION || (w->style & WS_MAXIMIZE)) return false;
  const RECT start = w->rect;
  FollowMouse(hwnd, at, [&](POINT p) {
    if (!CheckWindow(hwnd)) return;
    // Keep a piece of the caption on the screen.
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    const int y = std::clamp<int>(start.top + (p.y - at.y), 0, std::max(0, sh - 8));
    SetWindowPos(hwnd, nullptr, start.left + (p.x - at.x), y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  });
  return true;
}

}  // namespace win
