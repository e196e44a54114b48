#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/menu_tracking.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

namespace win {
namespace {

struct Bar {
  std::vector<MenuBarItem> items;
  int open = -1;
};

// By window; destroyed windows' addresses are never handed out again, and a lookup checks
// that the window lives.
std::unordered_map<HWND, Bar>& Bars() {
  static auto* bars = new std::unordered_map<HWND, Bar>();
  return *bars;
}

Bar* BarOf(HWND hwnd) {
  if (!CheckWindow(hwnd)) return nullptr;
  auto it = Bars().find(hwnd);
  return it == Bars().end() || it->second.items.empty() ? nullptr : &it->second;
}

constexpr int kEntryPad = 7;

// The bar's rectangle in window coordinates.
RECT BarRect(const WindowObject& w) {
  const int b = BorderThickness(w.style, w.exStyle);
  int top = b;
  if ((w.style & WS_CAPTION) == WS_CAPTION)
    top += GetSystemMetrics((w.exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  return RECT{b, top, (w.rect.right - w.rect.left) - b, top + GetSystemMetrics(SM_CYMENU)};
}

// Each entry's rectangle in window coordinates.
std::vector<RECT> EntryRects(HWND hwnd, const Bar& bar) {
  const RECT r = BarRect(*CheckWindow(hwnd));
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  std::vector<RECT> out;
  int x = r.left + 2;
  for (const MenuBarItem& item : bar.items) {
    RECT t{0, 0, 0, 0};
    DrawText(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &t, DT_SINGLELINE | DT_CALCRECT);
    const int w = (t.right - t.left) + 2 * kEntryPad;
    out.push_back(RECT{x, r.top + 1, x + w, r.bottom - 1});
    x += w;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return out;
}

void RedrawFrame(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

bool OnBar(HWND hwnd, POINT screen) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !BarOf(hwnd)) return false;
  const POINT o = WindowOriginOnScreen(*w);
  const RECT r = BarRect(*w);
  return PtInRect(&r, POINT{screen.x - o.x, screen.y - o.y}) != 0;
}

int EntryAt(HWND hwnd, POINT screen) {
  Bar* bar = BarOf(hwnd);
  if (!bar) return -1;
  const POINT o = WindowOriginOnScreen(*CheckWindow(hwnd));
  const std::vector<RECT> rects = EntryRects(hwnd, *bar);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const RECT& r = rects[i];
    if (screen.x - o.x >= r.left && screen.x - o.x < r.right) return static_cast<int>(i);
  }
  return -1;
}

HWND RootOf(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  return root ? root : hwnd;
}

}  // namespace

BOOL SetMenuBar(HWND hwnd, std::vector<MenuBarItem> items) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || (w->style & WS_CHILD)) return 0;
  const bool had = BarOf(hwnd) != nullptr;
  Bar& bar = Bars()[hwnd];
  bar.items = std::move(items);
  bar.open = -1;
  if (had != (BarOf(hwnd) != nullptr))
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  else
    RedrawFrame(hwnd);
  return 1;
}

int MenuBarHeight(HWND hwnd) { return BarOf(hwnd) ? GetSystemMetrics(SM_CYMENU) : 0; }

const std::vector<MenuBarItem>* MenuBarItems(HWND hwnd) {
  Bar* bar = BarOf(hwnd);
  return bar ? &bar->items : nullptr;
}

void SetMenuBarOpenIndex(HWND hwnd, int index) {
  Bar* bar = BarOf(hwnd);
  if (!bar || bar->open == index) return;
  bar->open = index;
  RedrawFrame(hwnd);
  UpdateWindow(hwnd);
}

BOOL GetMenuBarItemRect(HWND hwnd, int index, RECT* out) {
  Bar* bar = BarOf(hwnd);
  if (!bar || !out || index < 0 || index >= static_cast<int>(bar->items.size())) return 0;
  const POINT o = WindowOriginOnScreen(*CheckWindow(hwnd));
  RECT r = EntryRects(hwnd, *bar)[static_cast<std::size_t>(index)];
  *out = RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
  return 1;
}

int MenuBarHotkeyIndex(HWND hwnd, char ch) {
  Bar* bar = BarOf(hwnd);
  if (!bar || ch == '\0') return -1;
  const char want = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  for (std::size_t i = 0; i < bar->items.size(); ++i)
    if (MenuHotkey(bar->items[i].caption) == want) return static_cast<int>(i);
  return -1;
}

void PaintMenuBar(HWND hwnd, HDC dc, const RECT& area) {
  Bar* bar = BarOf(hwnd);
  if (!bar) return;
  FillRect(dc, &area, GetSysColorBrush(COLOR_MENU));
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  const std::vector<RECT> rects = EntryRects(hwnd, *bar);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    RECT r = rects[i];
    const MenuBarItem& item = bar->items[i];
    const bool open = static_cast<int>(i) == bar->open;
    if (open) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (!item.enabled) {
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      RECT s{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
      DrawText(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &s,
               DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    SetTextColor(dc, GetSysColor(!item.enabled ? COLOR_GRAYTEXT : open ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    DrawText(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  SelectObject(dc, old);
}

bool DefMenuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (msg) {
    case WM_NCHITTEST: {
      if (!OnBar(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return false;
      *result = HTMENU;
      return true;
    }
    case WM_NCLBUTTONDOWN: {
      if (static_cast<LRESULT>(wParam) != HTMENU) return false;
      const int entry = EntryAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (entry >= 0) TrackMenuBar(hwnd, entry, false);
      return true;
    }
    case WM_SYSKEYDOWN:
      if (wParam != VK_F10) return false;
      SendMessage(RootOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
      return true;
    case WM_SYSKEYUP:
      // Alt pressed and let go with no other key between opens the bar.
      if ((wParam != VK_MENU && wParam != VK_LMENU) || LastKeyDown() != static_cast<int>(wParam)) return false;
      SendMessage(RootOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
      return true;
    case WM_SYSCHAR:
      if (MenuBarHotkeyIndex(RootOf(hwnd), static_cast<char>(wParam)) < 0) return false;
      SendMessage(RootOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      return true;
    case WM_SYSCOMMAND: {
      if ((wParam & 0xFFF0) != SC_KEYMENU || !BarOf(hwnd)) return false;
      const int entry = lParam ? MenuBarHotkeyIndex(hwnd, static_cast<char>(lParam)) : 0;
      if (entry >= 0) TrackMenuBar(hwnd, entry, true);
      return true;
    }
    default: return false;
  }
}

}  // namespace win
