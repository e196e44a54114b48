#include "platform/win/scroll_bar.h"

#include <algorithm>
#include <cstdint>

#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"

namespace win {
namespace {

constexpr int kMinThumb = 8;
constexpr ULONG_PTR kRepeatTimer = 0x5CB0;
// A held arrow or track waits, then repeats.
constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 50;

std::int64_t Count(const SCROLLINFO& si) { return std::int64_t{si.nMax} - si.nMin + 1; }
std::int64_t MaxPos(const SCROLLINFO& si) {
  return std::int64_t{si.nMax} - std::max<std::int64_t>(si.nPage, 1) + 1;
}

RECT Span(const ScrollBarLayout& l, int a, int b) {
  return l.vertical ? RECT{l.bar.left, a, l.bar.right, b} : RECT{a, l.bar.top, b, l.bar.bottom};
}
int Along(const ScrollBarLayout& l, POINT p) { return l.vertical ? p.y : p.x; }

void Fill(HDC dc, const RECT& r, int colour) {
  if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, GetSysColorBrush(colour));
}

void Button(HDC dc, const RECT& r, bool pressed) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  Fill(dc, r, COLOR_BTNFACE);
  RECT e = r;
  DrawEdge(dc, &e, pressed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
}

// A solid triangle four rows deep pointing toward `dir` (-1: up or left, +1: down or right),
// moved a pixel when pressed.
void Arrow(HDC dc, const RECT& r, bool vertical, int dir, bool pressed, bool enabled) {
  if (std::min(r.right - r.left, r.bottom - r.top) < 8) return;
  const int cx = (r.left + r.right) / 2 + pressed, cy = (r.top + r.bottom) / 2 + pressed;
  const int colour = enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
  for (int i = 0; i < 4; ++i) {
    if (vertical) {
      const int y = cy + dir * (i - 2);
      Fill(dc, RECT{cx - 3 + i, y, cx + 4 - i, y + 1}, colour);
    } else {
      const int x = cx + dir * (i - 2);
      Fill(dc, RECT{x, cy - 3 + i, x + 1, cy + 4 - i}, colour);
    }
  }
}

WPARAM CodeOf(ScrollPart part) {
  switch (part) {
    case ScrollPart::LineUp: return SB_LINEUP;
    case ScrollPart::PageUp: return SB_PAGEUP;
    case ScrollPart::PageDown: return SB_PAGEDOWN;
    default: return SB_LINEDOWN;
  }
}

UINT BarStyle(int bar) { return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL; }

// The frame bar in window coordinates, beside the client area.
RECT FrameBarRect(const WindowObject& w, int bar) {
  const RECT& c = w.client;
  if (bar == SB_VERT) return RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
  return RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
}

SCROLLINFO InfoOf(const WindowObject::ScrollBarState& s) {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = s.min;
  si.nMax = s.max;
  si.nPage = s.page;
  si.nPos = s.pos;
  si.nTrackPos = s.tracking ? s.trackPos : s.pos;
  return si;
}

void RedrawFrame(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

}  // namespace

// ---- state -----------------------------------------------------------------------------------------

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !si || (bar != SB_HORZ && bar != SB_VERT)) return 0;
  WindowObject::ScrollBarState& s = w->scrollBars[bar];
  if (si->fMask & SIF_RANGE) {
    s.min = si->nMin;
    s.max = std::max(si->nMin, si->nMax);
  }
  if (si->fMask & SIF_PAGE) s.page = si->nPage;
  if (si->fMask & SIF_POS) s.pos = si->nPos;
  const SCROLLINFO now = InfoOf(s);
  s.page = static_cast<UINT>(std::min<std::int64_t>(s.page, Count(now)));
  s.pos = static_cast<int>(std::clamp<std::int64_t>(s.pos, s.min, std::max<std::int64_t>(s.min, MaxPos(InfoOf(s)))));
  if (redraw && (w->style & BarStyle(bar))) RedrawFrame(hwnd);
  return s.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !si || (bar != SB_HORZ && bar != SB_VERT)) return 0;
  const SCROLLINFO all = InfoOf(w->scrollBars[bar]);
  if (si->fMask & SIF_RANGE) {
    si->nMin = all.nMin;
    si->nMax = all.nMax;
  }
  if (si->fMask & SIF_PAGE) si->nPage = all.nPage;
  if (si->fMask & SIF_POS) si->nPos = all.nPos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = all.nTrackPos;
  return 1;
}

std::optional<int> RequestedScrollPos(WPARAM request, int pos, int line, int page, int last) {
  switch (LOWORD(request)) {
    case SB_LINEUP: return pos - line;
    case SB_LINEDOWN: return pos + line;
    case SB_PAGEUP: return pos - page;
    case SB_PAGEDOWN: return pos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return static_cast<int>(HIWORD(request));
    case SB_TOP: return 0;
    case SB_BOTTOM: return last;
    default: return std::nullopt;
  }
}

// ---- geometry and picture ------------------------------------------------------------------------------

ScrollBarLayout LayOutScrollBar(const RECT& bar, bool vertical, const SCROLLINFO& si, int pos) {
  ScrollBarLayout l;
  l.bar = bar;
  l.vertical = vertical;
  const int start = vertical ? bar.top : bar.left, end = std::max(start, vertical ? bar.bottom : bar.right);
  const int thick = std::max(0, vertical ? bar.right - bar.left : bar.bottom - bar.top);
  const int arrow = std::min(thick, (end - start) / 2);
  l.lineUp = Span(l, start, start + arrow);
  l.lineDown = Span(l, end - arrow, end);
  l.trackStart = start + arrow;
  l.trackEnd = end - arrow;
  const std::int64_t track = l.trackEnd - l.trackStart, count = Count(si), maxPos = MaxPos(si);
  if (count <= 0 || si.nPage >= count || maxPos <= si.nMin) return l;
  l.scrollable = true;
  const std::int64_t size =
      std::max<std::int64_t>(kMinThumb, si.nPage == 0 ? thick : track * std::int64_t{si.nPage} / count);
  if (size > track) return l;
  const std::int64_t p = std::clamp<std::int64_t>(pos, si.nMin, maxPos);
  const int at = static_cast<int>(l.trackStart + (track - size) * (p - si.nMin) / (maxPos - si.nMin));
  l.thumb = Span(l, at, at + static_cast<int>(size));
  return l;
}

ScrollPart ScrollPartAt(const ScrollBarLayout& l, POINT p) {
  if (!PtInRect(&l.bar, p)) return ScrollPart::None;
  const int a = Along(l, p);
  if (a < l.trackStart) return ScrollPart::LineUp;
  if (a >= l.trackEnd) return ScrollPart::LineDown;
  if (IsRectEmpty(&l.thumb)) return ScrollPart::None;
  const int t0 = l.vertical ? l.thumb.top : l.thumb.left, t1 = l.vertical ? l.thumb.bottom : l.thumb.right;
  if (a < t0) return ScrollPart::PageUp;
  if (a >= t1) return ScrollPart::PageDown;
  return ScrollPart::Thumb;
}

int ScrollPosAtThumb(const ScrollBarLayout& l, const SCROLLINFO& si, int thumbStart) {
  const int size = l.vertical ? l.thumb.bottom - l.thumb.top : l.thumb.right - l.thumb.left;
  const std::int64_t span = (l.trackEnd - l.trackStart) - size, range = MaxPos(si) - si.nMin;
  if (span <= 0 || range <= 0) return si.nMin;
  const std::int64_t d = std::clamp<std::int64_t>(thumbStart - l.trackStart, 0, span);
  return static_cast<int>(si.nMin + (d * range + span / 2) / span);
}

void PaintScrollBar(HDC dc, const ScrollBarLayout& l, ScrollPart pressed) {
  const RECT track = Span(l, l.trackStart, l.trackEnd);
  Fill(dc, track, COLOR_SCROLLBAR);
  if (!IsRectEmpty(&l.thumb) && (pressed == ScrollPart::PageUp || pressed == ScrollPart::PageDown)) {
    const int t0 = l.vertical ? l.thumb.top : l.thumb.left, t1 = l.vertical ? l.thumb.bottom : l.thumb.right;
    Fill(dc, pressed == ScrollPart::PageUp ? Span(l, l.trackStart, t0) : Span(l, t1, l.trackEnd), COLOR_3DDKSHADOW);
  }
  const bool up = pressed == ScrollPart::LineUp, down = pressed == ScrollPart::LineDown;
  Button(dc, l.lineUp, up);
  Arrow(dc, l.lineUp, l.vertical, -1, up, l.scrollable);
  Button(dc, l.lineDown, down);
  Arrow(dc, l.lineDown, l.vertical, +1, down, l.scrollable);
  Button(dc, l.thumb, false);
}

// ---- the mouse ------------------------------------------------------------------------------------------

void TrackScrollBar(const HeldScrollBar& held, POINT press) {
  if (!IsWindow(held.hwnd)) return;
  const SCROLLINFO si0 = held.info();
  const ScrollBarLayout l = LayOutScrollBar(held.bar, held.vertical, si0, si0.nPos);
  const ScrollPart part = ScrollPartAt(l, press);
  if (part == ScrollPart::None) return;
  if (part == ScrollPart::Thumb) {
    const int pressedAt = Along(l, press);
    const int offset = pressedAt - (held.vertical ? l.thumb.top : l.thumb.left);
    int pos = si0.nPos;
    held.show(part, pos);
    const std::optional<POINT> end = FollowMouse(held.hwnd, press, [&](POINT p) {
      // Back where it was pressed, the thumb stands for the position it had: a range
      // longer than the track has no pixel of its own for every position.
      const int along = Along(l, p);
      const int now = along == pressedAt ? si0.nPos : ScrollPosAtThumb(l, si0, along - offset);
      if (now == pos || !IsWindow(held.hwnd)) return;
      pos = now;
      held.show(part, pos);
      held.scroll(MAKEWPARAM(SB_THUMBTRACK, pos));
    });
    if (!IsWindow(held.hwnd)) return;
    held.scroll(MAKEWPARAM(SB_THUMBPOSITION, end ? pos : si0.nPos));
  } else {
    // The part still under the mouse with the bar as it is now: a page press stops where
    // the thumb reaches the mouse.
    POINT at = press;
    const auto stillOver = [&] {
      const SCROLLINFO si = held.info();
      return ScrollPartAt(LayOutScrollBar(held.bar, held.vertical, si, si.nPos), at) == part;
    };
    held.show(part, std::nullopt);
    held.scroll(CodeOf(part));
    if (!IsWindow(held.hwnd)) return;
    SetTimer(held.hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
    FollowMouse(held.hwnd, press, [&](POINT p) { at = p; }, [&](const MSG& m) {
      if (m.message != WM_TIMER || m.hwnd != held.hwnd || m.wParam != kRepeatTimer) return false;
      if (!IsWindow(held.hwnd)) return true;
      SetTimer(held.hwnd, kRepeatTimer, kRepeatMs, nullptr);
      if (stillOver()) held.scroll(CodeOf(part));
      return true;
    });
    if (!IsWindow(held.hwnd)) return;
    KillTimer(held.hwnd, kRepeatTimer);
  }
  held.scroll(SB_ENDSCROLL);
  if (IsWindow(held.hwnd)) held.show(ScrollPart::None, std::nullopt);
}

// ---- the frame's bars --------------------------------------------------------------------------------

bool DefScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_NCLBUTTONDOWN && msg != WM_NCLBUTTONDBLCLK) return false;
  const LRESULT hit = static_cast<LRESULT>(wParam);
  WindowObject* w = CheckWindow(hwnd);
  if (!w || (hit != HTVSCROLL && hit != HTHSCROLL)) return false;
  const int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
  if (!(w->style & BarStyle(bar))) return false;
  HeldScrollBar held;
  held.hwnd = hwnd;
  held.bar = FrameBarRect(*w, bar);
  const POINT o = WindowOriginOnScreen(*w);
  OffsetRect(&held.bar, o.x, o.y);
  held.vertical = bar == SB_VERT;
  held.info = [hwnd, bar] {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd, bar, &si);
    return si;
  };
  held.scroll = [hwnd, bar](WPARAM code) { SendMessage(hwnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, code, 0); };
  held.show = [hwnd, bar](ScrollPart part, std::optional<int> thumb) {
    WindowObject* now = CheckWindow(hwnd);
    if (!now) return;
    WindowObject::ScrollBarState& s = now->scrollBars[bar];
    s.pressed = static_cast<int>(part);
    s.tracking = thumb.has_value();
    if (thumb) s.trackPos = *thumb;
    RedrawFrame(hwnd);
  };
  TrackScrollBar(held, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  return true;
}

void PaintFrameScrollBars(HWND hwnd, HDC dc) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return;
  for (int bar : {SB_HORZ, SB_VERT}) {
    if (!(w->style & BarStyle(bar))) continue;
    const WindowObject::ScrollBarState& s = w->scrollBars[bar];
    const SCROLLINFO si = InfoOf(s);
    PaintScrollBar(dc, LayOutScrollBar(FrameBarRect(*w, bar), bar == SB_VERT, si, si.nTrackPos),
                   static_cast<ScrollPart>(s.pressed));
  }
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
    const RECT& c = w->client;
    Fill(dc, RECT{c.right, c.bottom, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom + GetSystemMetrics(SM_CYHSCROLL)},
         COLOR_BTNFACE);
  }
}

}  // namespace win
