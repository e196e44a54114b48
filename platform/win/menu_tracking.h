#pragma once
// Menus on the screen: a top-level window's menu bar (drawn under its caption, in the
// non-client area) and the drop-down and popup menus a person tracks with the mouse and
// the keyboard, each level a window of its own.
//
// The default window procedure opens the bar: a click on it, Alt (or F10) alone, or Alt
// with an entry's hot key. Before the bar is tracked the window gets WM_INITMENU (the
// moment to set a fresh bar); the chosen item comes back posted as WM_COMMAND(id, 0).
//
// Tracking takes its messages through the modal loop (modal_loop.h): without a screen
// it ends when the queued input runs out, so a headless program never waits.
#include <span>
#include <string>
#include <vector>

#include "platform/win/modal_answers.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

struct MenuBarItem {
  std::string caption;  // '&' marks the hot key
  bool enabled = true;
  std::vector<PopupMenuItem> items;  // the drop-down; depth 0 for its own items
};

// Replaces a top-level window's bar (an empty list removes it). The client area gives
// up (or takes back) the bar's height; the window rectangle stays.
BOOL SetMenuBar(HWND hwnd, std::vector<MenuBarItem> items);
// The bar's height, 0 when the window has none.
int MenuBarHeight(HWND hwnd);
// An entry's rectangle in screen coordinates.
BOOL GetMenuBarItemRect(HWND hwnd, int index, RECT* out);
// Where the row of item `id` of entry `index`'s drop-down shows once the entry is opened
// (screen coordinates), for scripts that click through menus.
BOOL GetMenuBarDropDownItemRect(HWND hwnd, int index, UINT id, RECT* out);
// Opens entry `index` of the bar and tracks it until an item is chosen or the menu is
// dismissed. `byKeyboard` highlights the first item of the drop-down.
void TrackMenuBar(HWND hwnd, int index, bool byKeyboard);
// The entry whose hot key is `ch` (case-insensitive), -1 for none.
int MenuBarHotkeyIndex(HWND hwnd, char ch);

// Tracks a popup menu at a screen point (TPM_ alignment flags); the chosen item's id, 0
// when dismissed. The answer queue is not asked: see TrackPopupMenu for that.
UINT TrackPopupMenuOnScreen(std::span<const PopupMenuItem> items, UINT flags, int x, int y);

// ---- for the window system's own files ----------------------------------------------------------------
// Draws the bar into a window DC at the given rectangle (window coordinates).
void PaintMenuBar(HWND hwnd, HDC dc, const RECT& bar);
// The character a caption's '&' marks, in upper case ('\0' for none; "&&" is a plain '&').
char MenuHotkey(const std::string& caption);
// The bar's entries (null when the window has none), and the entry drawn open (-1: none).
const std::vector<MenuBarItem>* MenuBarItems(HWND hwnd);
void SetMenuBarOpenIndex(HWND hwnd, int index);
// The default window procedure's part: the bar's clicks and keys. True when handled.
bool DefMenuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

}  // namespace win
