#pragma once
// The host's own few controls, drawn with the window system's system colours: a push
// button, a list of names and a one-line text field. Each tells its parent through
// WM_COMMAND: LOWORD(wParam) the control's id, HIWORD(wParam) one of the codes below,
// lParam the control.
#include <string>
#include <vector>

#include "platform/win/window.h"

namespace hostui {

inline constexpr win::WORD kClicked = 0;       // a button: left click
inline constexpr win::WORD kRightClicked = 1;  // a button: right click
inline constexpr win::WORD kSelected = 2;      // the list: the person picked an item
inline constexpr win::WORD kArrowKey = 3;      // the list: an arrow key (GetListArrow tells which)
inline constexpr win::WORD kEnter = 4;         // the field: Enter
inline constexpr win::WORD kEscape = 5;        // the field or the list: Esc

win::HWND CreateButton(win::HWND parent, int id, const std::string& text);
win::HWND CreateList(win::HWND parent, int id);
win::HWND CreateField(win::HWND parent, int id, const std::string& text);

void SetListItems(win::HWND list, const std::vector<std::string>& items);
int ListSelection(win::HWND list);  // -1 when none
void SetListSelection(win::HWND list, int index);
int ListArrow(win::HWND list);  // the virtual key of the last kArrowKey
std::string FieldText(win::HWND field);

// Registers a window class of the host once (the arrow cursor; `background` a system
// colour index, or -1 for none) and returns its name.
const char* RegisterHostClass(const char* name, win::WNDPROC proc, int background = -1);

// The one font of every host window: the GUI font.
win::HGDIOBJ HostFont();

}  // namespace hostui
