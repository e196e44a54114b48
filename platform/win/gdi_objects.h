#pragma once
// Pens, brushes, bitmaps and palettes: the objects a DC selects. The calls that create
// and select them are declared in gdi.h.
#include <functional>
#include <vector>

#include "platform/win/dc.h"
#include "platform/win/gdi_object.h"
#include "platform/win/types.h"

namespace win {

// Pen styles (low nibble), end caps, joins and type.
inline constexpr UINT PS_SOLID = 0;
inline constexpr UINT PS_DASH = 1;
inline constexpr UINT PS_DOT = 2;
inline constexpr UINT PS_DASHDOT = 3;
inline constexpr UINT PS_DASHDOTDOT = 4;
inline constexpr UINT PS_NULL = 5;
inline constexpr UINT PS_INSIDEFRAME = 6;
inline constexpr UINT PS_USERSTYLE = 7;
inline constexpr UINT PS_ALTERNATE = 8;
inline constexpr UINT PS_STYLE_MASK = 0x0000000F;
inline constexpr UINT PS_ENDCAP_ROUND = 0x00000000;
inline constexpr UINT PS_ENDCAP_SQUARE = 0x00000100;
inline constexpr UINT PS_ENDCAP_FLAT = 0x00000200;
inline constexpr UINT PS_ENDCAP_MASK = 0x00000F00;
inline constexpr UINT PS_JOIN_ROUND = 0x00000000;
inline constexpr UINT PS_JOIN_BEVEL = 0x00001000;
inline constexpr UINT PS_JOIN_MITER = 0x00002000;
inline constexpr UINT PS_JOIN_MASK = 0x0000F000;
inline constexpr UINT PS_COSMETIC = 0x00000000;
inline constexpr UINT PS_GEOMETRIC = 0x00010000;
inline constexpr UINT PS_TYPE_MASK = 0x000F0000;

// Brush styles and hatches.
inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HOLLOW = BS_NULL;
inline constexpr UINT BS_HATCHED = 2;
inline constexpr UINT BS_PATTERN = 3;
inline constexpr UINT HS_HORIZONTAL = 0;
inline constexpr UINT HS_VERTICAL = 1;
inline constexpr UINT HS_FDIAGONAL = 2;
inline constexpr UINT HS_BDIAGONAL = 3;
inline constexpr UINT HS_CROSS = 4;
inline constexpr UINT HS_DIAGCROSS = 5;

// Palette entry flags.
inline constexpr BYTE PC_RESERVED = 0x01;
inline constexpr BYTE PC_EXPLICIT = 0x02;
inline constexpr BYTE PC_NOCOLLAPSE = 0x04;

struct LOGPEN {
  UINT lopnStyle = 0;
  POINT lopnWidth;  // x is the width
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;  // hatch style, or the pattern bitmap for BS_PATTERN
};

struct EXTLOGPEN {
  DWORD elpPenStyle = 0;
  DWORD elpWidth = 0;
  UINT elpBrushStyle = 0;
  COLORREF elpColor = 0;
  std::uintptr_t elpHatch = 0;
  DWORD elpNumEntries = 0;
  DWORD elpStyleEntry[1] = {0};
};

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {0, 0, 0};
  void* dshSection = nullptr;
  DWORD dsOffset = 0;
};

struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

struct PenObject : GdiObject {
  explicit PenObject(GdiKind k) : GdiObject(k) {}
  UINT style = PS_SOLID;  // full style word: type, caps, joins, dash style
  int width = 1;
  COLORREF color = 0;
  UINT brushStyle = BS_SOLID;
  std::uintptr_t hatch = 0;
  bool dcColour = false;  // the stock DC_PEN: drawn in the DC's pen colour
  std::vector<DWORD> userStyle;  // PS_USERSTYLE dash lengths

  UINT DashStyle() const { return style & PS_STYLE_MASK; }
  bool Geometric() const { return (style & PS_TYPE_MASK) == PS_GEOMETRIC; }
  bool IsNull() const { return DashStyle() == PS_NULL; }
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(GdiKind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  UINT hatch = 0;
  bool dcColour = false;  // the stock DC_BRUSH: drawn in the DC's brush colour
  // Pattern brushes: a copy of the bitmap's pixels. A monochrome pattern keeps bits
  // (0 = text colour, 1 = background colour of the DC it is used in).
  int patWidth = 0;
  int patHeight = 0;
  bool patMono = false;
  std::vector<COLORREF> patColors;
  std::vector<BYTE> patBits;
  HBITMAP patBitmap = nullptr;  // for GetObject only; may be deleted by the caller
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(GdiKind::Bitmap) {}
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  bool isDib = false;    // a DIB section: `bits` is handed to the caller
  bool topDown = true;   // memory order of a DIB section
  DWORD compression = BI_RGB;
  std::ptrdiff_t stride = 0;  // bytes per row in memory
  std::vector<BYTE> storage;
  std::vector<RGBQUAD> colors;  // own colour table (DIB sections, monochrome, 4-bit)
  bool usesSystemPalette = false;  // 8-bit device bitmaps follow the realised palette
  DWORD masks[3] = {0, 0, 0};
  DeviceContext* selectedIn = nullptr;

  BYTE* Bits() { return storage.data(); }
  Surface MakeSurface();
};

struct PaletteObject : GdiObject {
  PaletteObject() : GdiObject(GdiKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

// The font type belongs to the text layer and is incomplete here; it derives from
// GdiObject alone, so the pointer converts as is.
inline GdiObject* FontAsObject(HFONT f) { return reinterpret_cast<GdiObject*>(f); }
inline HFONT ObjectAsFont(GdiObject* o) { return reinterpret_cast<HFONT>(o); }

// Object checks and helpers shared by the drawing code.
PenObject* CheckPen(HGDIOBJ h);
BrushObject* CheckBrush(HGDIOBJ h);
BitmapObject* CheckBitmap(HGDIOBJ h);
PaletteObject* CheckPalette(HGDIOBJ h);

// A surface over caller-owned DIB memory (no copy), with its colour table in `colors`.
// False for a header the drawing code does not take (see ReadDibLayout in the .cpp).
bool DescribeDib(const BITMAPINFO* bmi, Surface* s, std::vector<RGBQUAD>* colors, const void* bits);

// Row size in bytes of a DIB: padded to 4 bytes. -1 when it does not fit 32 bits.
std::int64_t DibStride(std::int64_t width, int bitsPerPixel);

// The process-wide system palette (256 entries) that 8-bit device bitmaps draw with:
// 10 static colours at each end, the realised logical palette between.
const RGBQUAD* SystemPaletteColors();
// The colour table of the 16-colour device bitmaps.
const RGBQUAD* VgaColors();

// Fonts come from the text layer: it installs a factory for the stock fonts
// (SYSTEM_FONT, DEFAULT_GUI_FONT, ANSI_VAR_FONT, ...) and a way to describe them to
// GetObject. Until then GetStockObject answers nullptr for the font ids.
using StockFontFactory = std::function<HFONT(int stockId)>;
void SetStockFontFactory(StockFontFactory f);
using FontObjectInfo = std::function<int(HFONT f, int size, void* out)>;
void SetFontObjectInfo(FontObjectInfo f);

}  // namespace win
