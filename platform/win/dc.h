#pragma once
// Device contexts: the drawing state and the surface it draws into.
//
// For the text calls (ExtTextOut, DrawText, paths ...), these members are theirs to use:
//   read:  surface (size only), textColor, bkColor, bkMode, textAlign, charExtra,
//          font, currentPos, viewportOrg/windowOrg (through ToDeviceX/Y, ToLogicalX/Y),
//          ClipBox(), InClip(), ReadPixel()
//   write: textAlign, charExtra, currentPos (TA_UPDATECP), font (through SelectObject),
//          path (their own state; SaveDC/RestoreDC copy the pointer)
//   draw:  FillSpan, FillSpanRop, PlotPixel, PlotPixelRop (device coordinates, clipped).
// Text itself is drawn with FillSpanRop(..., R2_COPYPEN): glyphs ignore the DC's ROP2.
// Nothing else is part of the stable interface.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/win/gdi_object.h"
#include "platform/win/handles.h"
#include "platform/win/region.h"
#include "platform/win/types.h"

namespace win {

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Binary raster operations (SetROP2): the code minus one is the truth table over
// (pen, destination) in the low four bits.
inline constexpr int R2_BLACK = 1;
inline constexpr int R2_NOTMERGEPEN = 2;
inline constexpr int R2_MASKNOTPEN = 3;
inline constexpr int R2_NOTCOPYPEN = 4;
inline constexpr int R2_MASKPENNOT = 5;
inline constexpr int R2_NOT = 6;
inline constexpr int R2_XORPEN = 7;
inline constexpr int R2_NOTMASKPEN = 8;
inline constexpr int R2_MASKPEN = 9;
inline constexpr int R2_NOTXORPEN = 10;
inline constexpr int R2_NOP = 11;
inline constexpr int R2_MERGENOTPEN = 12;
inline constexpr int R2_COPYPEN = 13;
inline constexpr int R2_MERGEPENNOT = 14;
inline constexpr int R2_MERGEPEN = 15;
inline constexpr int R2_WHITE = 16;

// Stretch modes.
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

// Polygon fill modes.
inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

// A block of pixels: 1, 4, 8, 16, 24 or 32 bits per pixel. `bits` points at the top row;
// `pitch` is the byte step from a row to the one below it (negative when the memory is
// stored bottom-up). Pixels are handled as "native" values (palette index, or the packed
// value): raster operations combine native values, as the system does.
struct Surface {
  BYTE* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t pitch = 0;
  int bitsPerPixel = 32;
  const RGBQUAD* colors = nullptr;  // colour table for <= 8 bits
  int numColors = 0;
  DWORD redMask = 0x00FF0000, greenMask = 0x0000FF00, blueMask = 0x000000FF;  // 16/32 bits

  bool Empty() const { return bits == nullptr || width <= 0 || height <= 0; }
  BYTE* Row(int y) const { return bits + pitch * y; }
  DWORD NativeMask() const;
  DWORD Get(int x, int y) const;         // unchecked
  void Put(int x, int y, DWORD native);  // unchecked
  DWORD NativeOf(COLORREF c) const;      // nearest representable value
  COLORREF ColorOf(DWORD native) const;
};

struct PathState;  // the text helper's path recording
struct BrushObject;
struct PenObject;

// Everything SaveDC saves.
struct DcState {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  COLORREF dcBrushColor = 0xFFFFFF;
  COLORREF dcPenColor = 0x000000;
  int bkMode = OPAQUE;
  UINT textAlign = 0;
  int charExtra = 0;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  POINT viewportOrg;
  POINT windowOrg;
  POINT brushOrg;
  POINT currentPos;
  // The clip set by the clip calls, in device coordinates; null = no clip.
  std::shared_ptr<const Region> clip;
  std::shared_ptr<PathState> path;
};

struct DeviceContext : GdiObject {
  explicit DeviceContext(GdiKind k = GdiKind::MemDC);
  ~DeviceContext() override;

  DcState st;
  std::vector<DcState> saved;  // SaveDC stack
  Surface surface;             // from st.bitmap, or a window's buffer
  HWND window = nullptr;       // window DCs: set by the window layer
  // Window DCs: the window's visible part in device coordinates (null = whole surface).
  std::shared_ptr<const Region> visible;
  int penStylePos = 0;  // position in a styled pen's dash pattern, kept along a polyline

  // Mapping (MM_TEXT): device = logical - window origin + viewport origin. 64-bit so that
  // coordinates near +-2^31 do not wrap.
  std::int64_t ToDeviceX(std::int64_t x) const { return x - st.windowOrg.x + st.viewportOrg.x; }
  std::int64_t ToDeviceY(std::int64_t y) const { return y - st.windowOrg.y + st.viewportOrg.y; }
  std::int64_t ToLogicalX(std::int64_t x) const { return x - st.viewportOrg.x + st.windowOrg.x; }
  std::int64_t ToLogicalY(std::int64_t y) const { return y - st.viewportOrg.y + st.windowOrg.y; }

  // Effective clip in device coordinates: surface bounds, window visibility and the
  // clip calls together, banded.
  const Region& EffectiveClip() const { return effClip_; }
  RECT ClipBox() const { return effBox_; }  // device coordinates; empty when nothing is drawable
  bool InClip(int x, int y) const;

  // Drawing helpers in device coordinates, clipped. x1 is exclusive.
  void FillSpan(int x0, int x1, int y, COLORREF c) { FillSpanRop(x0, x1, y, c, st.rop2); }
  void FillSpanRop(int x0, int x1, int y, COLORREF c, int rop2);
  void FillSpanNative(int x0, int x1, int y, DWORD native, int rop2);
  // FillSpanNative for every row of [y0, y1), walking the clip's rectangles once.
  void FillBoxNative(int x0, int y0, int x1, int y1, DWORD native, int rop2);
  void PlotPixel(int x, int y, COLORREF c) { PlotPixelRop(x, y, c, st.rop2); }
  void PlotPixelRop(int x, int y, COLORREF c, int rop2);
  COLORREF ReadPixel(int x, int y) const;  // CLR_INVALID outside the surface
  // Palette-relative colours (PALETTEINDEX, PALETTERGB) to plain RGB.
  COLORREF ResolveColor(COLORREF c) const;
  DWORD NativeColor(COLORREF c) const { return surface.NativeOf(ResolveColor(c)); }
  // The colour a brush or pen draws in here (the DC's own for DC_BRUSH and DC_PEN).
  COLORREF BrushColor(const BrushObject& b) const;
  COLORREF PenColor(const PenObject& p) const;

  // Recomputes the effective clip after the surface, visibility or clip changed.
  void UpdateClip();
  // Takes the surface of the selected bitmap (or keeps a window's surface).
  void SyncSurface();

 private:
  // Fills a box already inside one clip rectangle.
  void FillClippedBox(int x0, int y0, int x1, int y1, DWORD native, int rop2);

  Region effClip_;
  RECT effBox_{};
};

// Paths: while a path is open on a DC, the line and polygon calls (MoveToEx, LineTo,
// Polyline, PolylineTo, Polygon, PolyPolygon, Rectangle) hand their points, in logical
// coordinates, to the path instead of drawing. The text layer installs the sink; it
// answers false when no path is open on `dc` (the call then draws).
enum class PathSegment { MoveTo, LineTo, Close };
using PathSink = bool (*)(DeviceContext& dc, PathSegment seg, POINT p);
void SetPathSink(PathSink sink);
PathSink GetPathSink();

// Checked handle lookup: nullptr unless `h` is a live DC.
DeviceContext* CheckDC(HDC h);

// For the window layer: a DC that draws into a window's buffer. `visible` limits it to
// the window's visible part (device coordinates); null means the whole surface. The
// caller keeps the buffer alive until DeleteDC.
HDC CreateSurfaceDC(const Surface& s, HWND w, std::shared_ptr<const Region> visible = nullptr);

}  // namespace win
