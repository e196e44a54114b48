#pragma once
// The frame's part of the default window procedure: the close box, moving the window by
// dragging its caption, and sizing a window with a sizeable border (WS_THICKFRAME) by
// dragging an edge or a corner. For the window system's own files.
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

// The close box in window coordinates; empty when the window has none (no caption or no
// WS_SYSMENU).
RECT CloseBoxRect(const WindowObject& w);
void PaintCloseBox(HDC dc, const WindowObject& w);
// WM_NCLBUTTONDOWN on the caption (a move), on the close box (a press that closes when
// let go on it) or on a sizing edge or corner. True when handled.
bool DefCaptionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace win
