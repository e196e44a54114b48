#pragma once
// The drawing calls of the window system: device contexts, objects, primitives, block
// transfers, device-independent bits, clipping and the system tables.
//
// Coordinates are logical (MM_TEXT: device = logical - window origin + viewport
// origin). Right and bottom edges are exclusive; the last pixel of a line is not drawn;
// filled shapes drawn with a null pen stop one pixel short on the right and bottom.
// Handles are checked: a stale or wrong handle makes the call fail, never crash.
#include <cstdint>
#include <string>

#include "platform/win/dc.h"
#include "platform/win/gdi_objects.h"
#include "platform/win/handles.h"
#include "platform/win/rop.h"
#include "platform/win/system_tables.h"
#include "platform/win/types.h"

namespace win {

// ---- device contexts ----------------------------------------------------------------
// A memory DC compatible with `hdc` (or the screen when null), with the stock 1 x 1
// monochrome bitmap selected.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// The screen's DC: screen depth, no pixels of its own (drawing on it does nothing).
// The window layer's GetDC(nullptr) answers it.
HDC ScreenDC();

int SaveDC(HDC hdc);                // the new depth, 0 on failure
BOOL RestoreDC(HDC hdc, int saved);  // saved > 0: that level; < 0: relative

HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
inline constexpr UINT OBJ_PEN = 1;
inline constexpr UINT OBJ_BRUSH = 2;
inline constexpr UINT OBJ_DC = 3;
inline constexpr UINT OBJ_PAL = 5;
inline constexpr UINT OBJ_FONT = 6;
inline constexpr UINT OBJ_BITMAP = 7;
inline constexpr UINT OBJ_REGION = 8;
inline constexpr UINT OBJ_MEMDC = 10;
inline constexpr UINT OBJ_EXTPEN = 11;
UINT GetObjectType(HGDIOBJ h);

COLORREF SetBkColor(HDC hdc, COLORREF c);
COLORREF GetBkColor(HDC hdc);
// The colours of the stock DC_BRUSH and DC_PEN while selected into this DC (white and
// black at first): one object draws in any colour without making one per colour.
COLORREF SetDCBrushColor(HDC hdc, COLORREF c);
COLORREF GetDCBrushColor(HDC hdc);
COLORREF SetDCPenColor(HDC hdc, COLORREF c);
COLORREF GetDCPenColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF c);
COLORREF GetTextColor(HDC hdc);
int SetROP2(HDC hdc, int rop2);
int GetROP2(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC hdc, POINT* p);

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC hdc, POINT* p);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC hdc, POINT* p);
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, POINT* old);
BOOL LPtoDP(HDC hdc, POINT* pts, int count);
BOOL DPtoLP(HDC hdc, POINT* pts, int count);

// ---- objects --------------------------------------------------------------------------
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
// Geometric pens take the brush's colour (solid brushes only); cosmetic pens must be
// 1 wide. `styleCount`/`styles` are the dash lengths of PS_USERSTYLE.
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// The pattern is the whole bitmap (copied; the bitmap may be deleted afterwards).
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);

// Device-dependent bitmap: rows of `bits` padded to 2 bytes, as the system's
// bitmap-bits calls expect. planes x bitsPerPixel must be 1, 4, 8, 16, 24 or 32.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bm);
// A bitmap of the format of the bitmap selected into `hdc` (the screen's format for a
// window or screen DC; monochrome for a fresh memory DC, as on the real system).
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr UINT DIB_PAL_COLORS = 1;
// `*bits` receives the pixel memory, shared with any DC the section is selected into.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* bmi, UINT usage, void** bits, void* section, DWORD offset);
LONG GetBitmapBits(HBITMAP bm, LONG count, void* bits);
LONG SetBitmapBits(HBITMAP bm, DWORD count, const void* bits);
UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors);
UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors);

HPALETTE CreatePalette(const LOGPALETTE* lp);
HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL forceBackground);
// Copies the selected palette into the system palette (between the static colours);
// returns the number of entries mapped.
UINT RealizePalette(HDC hdc);
UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF c);
UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out);
UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* in);
UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* out);
// The colour the DC would really draw for `c`.
COLORREF GetNearestColor(HDC hdc, COLORREF c);
constexpr COLORREF PALETTEINDEX(WORD i) { return 0x01000000u | i; }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }

// Stock objects.
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int DEFAULT_PALETTE = 15;
inline constexpr int SYSTEM_FIXED_FONT = 16;
inline constexpr int DEFAULT_GUI_FONT = 17;
inline constexpr int DC_BRUSH = 18;
inline constexpr int DC_PEN = 19;
HGDIOBJ GetStockObject(int id);
// The 1 x 1 monochrome bitmap every new memory DC holds.
HBITMAP StockBitmap();

// Selecting returns the previous object (for regions: the region kind, cast). Selecting
// a bitmap that another DC holds, or a bitmap into a DC that is not a memory DC, fails.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
// Fails for stock objects (answers true, as the system does, and keeps them) and for
// objects still selected into a DC (answers false).
BOOL DeleteObject(HGDIOBJ obj);
// LOGPEN, EXTLOGPEN, LOGBRUSH, BITMAP or DIBSECTION, palette entry count (WORD), or the
// font's record (through the text layer). With `out` null: the size needed.
int GetObject(HGDIOBJ obj, int size, void* out);

// ---- primitives -----------------------------------------------------------------------
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL GetCurrentPositionEx(HDC hdc, POINT* p);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* pts, int count);
BOOL PolylineTo(HDC hdc, const POINT* pts, int count);
BOOL Polygon(HDC hdc, const POINT* pts, int count);
BOOL PolyPolygon(HDC hdc, const POINT* pts, const int* counts, int polygons);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int ew, int eh);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
// Counter-clockwise (as seen on the screen) from the radial through (xs, ys) to the
// radial through (xe, ye).
BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c);  // the colour set, or CLR_INVALID
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC hdc, int x, int y);

// `brush` may also be a system colour index + 1, as the system allows.
int FillRect(HDC hdc, const RECT* r, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* r, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* r);
BOOL DrawFocusRect(HDC hdc, const RECT* r);

inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_SUNKENOUTER = 0x0002;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT BDR_SUNKENINNER = 0x0008;
inline constexpr UINT BDR_OUTER = 0x0003;
inline constexpr UINT BDR_INNER = 0x000C;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr UINT BF_LEFT = 0x0001;
inline constexpr UINT BF_TOP = 0x0002;
inline constexpr UINT BF_RIGHT = 0x0004;
inline constexpr UINT BF_BOTTOM = 0x0008;
inline constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
inline constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
inline constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr UINT BF_MIDDLE = 0x0800;
inline constexpr UINT BF_SOFT = 0x1000;
inline constexpr UINT BF_ADJUST = 0x2000;
inline constexpr UINT BF_FLAT = 0x4000;
inline constexpr UINT BF_MONO = 0x8000;
// Draws up to two one-pixel rings (outer, then inner) on the flagged sides; with
// BF_ADJUST `r` shrinks by each ring drawn on each flagged side.
BOOL DrawEdge(HDC hdc, RECT* r, UINT edge, UINT flags);

// ---- block transfers ------------------------------------------------------------------
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop);
// Negative sizes mirror: the rectangle then runs from the given pixel leftwards or
// upwards (x + w + 1 .. x).
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop);
BOOL PatBlt(HDC dst, int x, int y, int w, int h, DWORD rop);

// Device-independent bits. Rows are padded to 4 bytes; a positive biHeight means
// bottom-up rows. 16-bit DIBs are 5-5-5 unless BI_BITFIELDS gives the masks in the
// colour table's place. Only DIB_RGB_COLORS is supported.
// GetDIBits with `bits` null and biBitCount 0 fills the header from the bitmap; with
// biBitCount set, fills biSizeImage (and the colour table). Returns the lines copied.
int GetDIBits(HDC hdc, HBITMAP bm, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bm, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage);
// The source rectangle is in DIB coordinates: ys counts from the bottom row for
// bottom-up DIBs. Returns the lines drawn (0 on failure).
int StretchDIBits(HDC hdc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xd, int yd, DWORD w, DWORD h, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage);

// ---- clipping -------------------------------------------------------------------------
// Regions are in device coordinates. Return the kind of the new clip (ERROR on failure).
int SelectClipRgn(HDC hdc, HRGN rgn);  // null removes the clip
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);  // logical
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);    // logical
int OffsetClipRgn(HDC hdc, int dx, int dy);
int GetClipBox(HDC hdc, RECT* r);  // logical; the drawable area when there is no clip
// 1 and the clip copied into `rgn`; 0 when there is no clip; -1 on failure.
int GetClipRgn(HDC hdc, HRGN rgn);
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const RECT* r);

// ---- pictures for people --------------------------------------------------------------
// Writes the DC's surface (or the bitmap's pixels) as an 8-bit RGB PNG. False with a
// reason in `error` when it cannot.
bool WriteDCToPng(HDC hdc, const std::string& path, std::string* error = nullptr);
bool WriteBitmapToPng(HBITMAP bm, const std::string& path, std::string* error = nullptr);

}  // namespace win
