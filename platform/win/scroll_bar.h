#pragma once
// Scroll bars. A window's own bars sit in its frame (WS_VSCROLL / WS_HSCROLL) and keep their
// state here (SetScrollInfo); the default window procedure draws them and follows the mouse
// on them, sending WM_VSCROLL / WM_HSCROLL. The geometry, the picture and the mouse handling
// are one piece shared with the bars controls draw in their own client area.
//
// A bar: an arrow button at each end (each half the bar when it is shorter than two),
// between them the track with the thumb, whose length is the page's share of the range
// (at least 8 pixels) and which is left out when there is nothing to scroll or no room.
// A press on an arrow scrolls a line, on the track a page (both repeat while held, after
// a pause); the thumb is dragged (SB_THUMBTRACK while moving, SB_THUMBPOSITION when let
// go); SB_ENDSCROLL ends every press.
#include <functional>
#include <optional>

#include "platform/win/handles.h"
#include "platform/win/messages.h"
#include "platform/win/types.h"

namespace win {

inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;

inline constexpr UINT SIF_RANGE = 0x0001;
inline constexpr UINT SIF_PAGE = 0x0002;
inline constexpr UINT SIF_POS = 0x0004;
inline constexpr UINT SIF_TRACKPOS = 0x0010;
inline constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;  // 0 .. nMax - nMin + 1
  int nPos = 0;    // nMin .. nMax - max(nPage, 1) + 1
  int nTrackPos = 0;
};

// The parts of the window's frame bar that fMask names; the page and the position are
// brought into range. Returns the position. Redraws the frame when asked.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw);
// Fills the parts fMask names (nTrackPos: the dragged thumb's position while it is held).
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si);

enum class ScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct ScrollBarLayout {
  RECT bar{};
  bool vertical = true;
  RECT lineUp{}, lineDown{};  // the arrow buttons
  RECT thumb{};               // empty when not shown
  bool scrollable = false;    // there is something to scroll
  int trackStart = 0, trackEnd = 0;  // along the bar's axis
};

// The position a WM_VSCROLL / WM_HSCROLL request asks for, from `pos`: a line or a page
// either way, the thumb's position, 0 for SB_TOP and `last` for SB_BOTTOM; none for a code
// that moves nothing (SB_ENDSCROLL). The receiver keeps it in range.
std::optional<int> RequestedScrollPos(WPARAM request, int pos, int line, int page, int last);

// The parts of a bar occupying `bar`, with the thumb at `pos`.
ScrollBarLayout LayOutScrollBar(const RECT& bar, bool vertical, const SCROLLINFO& si, int pos);
ScrollPart ScrollPartAt(const ScrollBarLayout& layout, POINT p);
// The position that puts the thumb's leading edge at `thumbStart` along the axis, in range.
int ScrollPosAtThumb(const ScrollBarLayout& layout, const SCROLLINFO& si, int thumbStart);
// Arrows and thumb as raised buttons on the track; the pressed part shows pressed.
void PaintScrollBar(HDC dc, const ScrollBarLayout& layout, ScrollPart pressed);

// A bar held down by the mouse.
struct HeldScrollBar {
  HWND hwnd = nullptr;  // holds the capture; the hold ends when it goes
  RECT bar{};           // screen coordinates
  bool vertical = true;
  std::function<SCROLLINFO()> info;          // the bar's state now
  std::function<void(WPARAM)> scroll;        // an SB_ code, the position in the high word
  std::function<void(ScrollPart, std::optional<int>)> show;  // the pressed part, the dragged thumb
};
// Follows the mouse from a press at `press` (screen) until the button is let go.
void TrackScrollBar(const HeldScrollBar& held, POINT press);

// WM_NCLBUTTONDOWN on a frame bar (HTVSCROLL / HTHSCROLL). True when handled.
bool DefScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Draws the window's frame bars into its window DC (the corner between them too).
void PaintFrameScrollBars(HWND hwnd, HDC dc);

}  // namespace win
