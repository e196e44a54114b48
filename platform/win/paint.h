#pragma once
// The paint cycle and window device contexts.
//
// A window's update region (client coordinates) grows with InvalidateRect/InvalidateRgn
// and RedrawWindow; while it is not empty (or an internal paint or a frame repaint is
// pending) and the window is visible, the queue hands out WM_PAINT for it. BeginPaint
// sends WM_NCPAINT when the frame is due and WM_ERASEBKGND when an erase is due, takes
// the update region and returns a DC clipped to it; EndPaint releases the DC.
//
// Every window draws into its own backing buffer (32 bits per pixel, the window's size):
// a window DC's surface is the whole buffer, a client DC's surface the client part of it,
// so device coordinates are window or client coordinates. A window with WS_CLIPCHILDREN
// has its visible children cut out of its DCs; a window region limits every DC.
#include <memory>

#include "platform/win/dc.h"
#include "platform/win/handles.h"
#include "platform/win/region.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = 0;  // true when WM_ERASEBKGND did not erase (answered 0)
  RECT rcPaint{};   // the update region's bounds, client coordinates
  BOOL fRestore = 0;
  BOOL fIncUpdate = 0;
  BYTE rgbReserved[32] = {};
};

// RedrawWindow flags (the window system's own values).
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_INTERNALPAINT = 0x0002;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_VALIDATE = 0x0008;
inline constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
inline constexpr UINT RDW_NOERASE = 0x0020;
inline constexpr UINT RDW_NOCHILDREN = 0x0040;
inline constexpr UINT RDW_ALLCHILDREN = 0x0080;
inline constexpr UINT RDW_UPDATENOW = 0x0100;
inline constexpr UINT RDW_ERASENOW = 0x0200;
inline constexpr UINT RDW_FRAME = 0x0400;
inline constexpr UINT RDW_NOFRAME = 0x0800;

// Rectangles and regions are in client coordinates; null means the whole client area.
// Invalidating a window also invalidates the children under the area unless the window
// has WS_CLIPCHILDREN (RDW_ALLCHILDREN and RDW_NOCHILDREN decide for RedrawWindow).
// A null window means every top-level window.
BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rc);
BOOL ValidateRgn(HWND hwnd, HRGN rgn);
// The update region's bounds (client coordinates) and whether it is not empty. With
// `erase`, a pending erase is carried out now.
BOOL GetUpdateRect(HWND hwnd, RECT* rc, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase);
// RDW_UPDATENOW: sends WM_PAINT at once to the window (and its children unless
// RDW_NOCHILDREN) when it needs painting; RDW_ERASENOW only the frame and background.
BOOL RedrawWindow(HWND hwnd, const RECT* rc, HRGN rgn, UINT flags);
// Paints the window and its children now when they need it.
BOOL UpdateWindow(HWND hwnd);

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// A DC on the client area (null window: the screen's DC), on the whole window, released
// (deleted) by ReleaseDC. A DC outlives neither its window nor a change of its window's
// size: it then draws nothing, or into the new buffer.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HWND WindowFromDC(HDC hdc);

// ---- for the window system's own files --------------------------------------------------------

// Whether the queue should hand out WM_PAINT for the window.
bool NeedsPaint(const WindowObject& w);
// The buffer, made or resized to the window's size (pixels kept where they overlap).
void SyncBuffer(WindowObject& w);
// A surface on the buffer: the whole window, or its client part.
Surface WindowSurface(WindowObject& w, bool clientOnly);
// Re-derives the surfaces and clips of every DC of the window after a change of its size,
// its children or its region.
void RefreshWindowDCs(WindowObject& w);
// Empties the window's DCs and buffer (the window is going away).
void ReleaseWindowPaintState(WindowObject& w);
// Marks the whole window (frame, client with erase) and its children for painting.
void InvalidateWholeWindow(WindowObject& w);
// Marks a part of the parent's client area (parent client coordinates) for repainting,
// with erase (a child moved away from it or was hidden).
void InvalidateParentArea(WindowObject& parent, const Region& area);
// The default handling of WM_NCPAINT and WM_ERASEBKGND.
void DefaultPaintFrame(HWND hwnd);
LRESULT DefaultEraseBackground(HWND hwnd, HDC hdc);

}  // namespace win
