#include "platform/win/caption.h"

#include <algorithm>
#include <optional>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"

namespace win {
namespace {

// The rectangle a window dragged by the frame part `hit` gets when the mouse moved by
// (dx, dy): the dragged edges move, the opposite ones stay, and the size keeps within the
// track sizes.
RECT SizedRect(const RECT& start, LRESULT hit, int dx, int dy, const MINMAXINFO& mm) {
  const bool left = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
  const bool right = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
  const bool top = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
  const bool bottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
  const auto fit = [](int size, LONG lo, LONG hi) { return std::max<int>(lo, std::min<int>(hi, size)); };
  const int minW = mm.ptMinTrackSize.x, maxW = std::max(mm.ptMaxTrackSize.x, mm.ptMinTrackSize.x);
  const int minH = mm.ptMinTrackSize.y, maxH = std::max(mm.ptMaxTrackSize.y, mm.ptMinTrackSize.y);
  RECT r = start;
  if (left) r.left = r.right - fit(start.right - start.left - dx, minW, maxW);
  if (right) r.right = r.left + fit(start.right - start.left + dx, minW, maxW);
  if (top) r.top = r.bottom - fit(start.bottom - start.top - dy, minH, maxH);
  if (bottom) r.bottom = r.top + fit(start.bottom - start.top + dy, minH, maxH);
  return r;
}

// The window's track sizes: the window system's defaults, then WM_GETMINMAXINFO.
MINMAXINFO QueryMinMaxInfo(HWND hwnd) {
  MINMAXINFO mm;
  mm.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  mm.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mm.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  Deliver(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
  return mm;
}

bool IsSizingHit(LRESULT hit) { return hit >= HTLEFT && hit <= HTBOTTOMRIGHT; }

// Sizes the window by its border while the button is held; Esc puts it back.
void SizeByBorder(HWND hwnd, LRESULT hit, POINT at) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return;
  const RECT start = w->rect;
  const MINMAXINFO mm = QueryMinMaxInfo(hwnd);
  if (!CheckWindow(hwnd)) return;
  Deliver(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  const auto place = [hwnd](const RECT& r) {
    if (CheckWindow(hwnd))
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const std::optional<POINT> end =
      FollowMouse(hwnd, at, [&](POINT p) { place(SizedRect(start, hit, p.x - at.x, p.y - at.y, mm)); });
  if (!end) place(start);
  if (CheckWindow(hwnd)) Deliver(hwnd, WM_EXITSIZEMOVE, 0, 0);
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
  // The cross, two pixels thick: two diagonals of k pixels at 45 degrees, centred, so that
  // the small box of a tool window gets a smaller cross, not a flattened one.
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  const int k = (r.bottom - r.top) - 6;
  const int x0 = r.left + ((r.right - r.left) - (k + 1)) / 2, y0 = r.top + ((r.bottom - r.top) - k) / 2;
  for (int d = 0; d < 2; ++d) {
    MoveToEx(dc, x0 + d, y0, nullptr);
    LineTo(dc, x0 + k + d, y0 + k);
    MoveToEx(dc, x0 + k - 1 + d, y0, nullptr);
    LineTo(dc, x0 - 1 + d, y0 + k);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

bool DefCaptionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT hit = static_cast<LRESULT>(wParam);
  // A quick second press on the close box or the border is a double click; it presses as well.
  if (msg != WM_NCLBUTTONDOWN && !(msg == WM_NCLBUTTONDBLCLK && (hit == HTCLOSE || IsSizingHit(hit)))) return false;
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return false;
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (IsSizingHit(hit)) {
    if (!(w->style & WS_THICKFRAME) || (w->style & (WS_MAXIMIZE | WS_MINIMIZE))) return false;
    SizeByBorder(hwnd, hit, at);
    return true;
  }
  if (w->style & WS_CHILD) return false;
  if (hit == HTCLOSE) {
    const std::optional<POINT> end = FollowMouse(hwnd, at, [](POINT) {});
    WindowObject* now = CheckWindow(hwnd);
    if (!now || !end) return true;
    const POINT o = WindowOriginOnScreen(*now);
    if (const RECT box = CloseBoxRect(*now); PtInRect(&box, POINT{end->x - o.x, end->y - o.y})) SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (hit != HTCAPTION || (w->style & WS_MAXIMIZE)) return false;
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
