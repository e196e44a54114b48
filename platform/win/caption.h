#pragma once
// The caption bar's part of the default window procedure: the close box, and moving the
// window by dragging its caption. For the window system's own files.
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

// The close box in window coordinates; empty when the window has none (no caption or no
// WS_SYSMENU).
RECT CloseBoxRect(const WindowObject& w);
void PaintCloseBox(HDC dc, const WindowObject& w);
// WM_NCLBUTTONDOWN on the caption (a move) or on the close box (a press that closes when
// let go on it). True when handled.
bool DefCaptionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace win
