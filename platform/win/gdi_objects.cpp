#include "platform/win/gdi_objects.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <map>

#include "platform/win/gdi.h"
#include "platform/win/immortal.h"

namespace win {

PenObject* CheckPen(HGDIOBJ h) {
  if (IsLiveObject(h, GdiKind::Pen) || IsLiveObject(h, GdiKind::ExtPen)) return static_cast<PenObject*>(h);
  return nullptr;
}
BrushObject* CheckBrush(HGDIOBJ h) {
  return IsLiveObject(h, GdiKind::Brush) ? static_cast<BrushObject*>(h) : nullptr;
}
BitmapObject* CheckBitmap(HGDIOBJ h) {
  return IsLiveObject(h, GdiKind::Bitmap) ? static_cast<BitmapObject*>(h) : nullptr;
}
PaletteObject* CheckPalette(HGDIOBJ h) {
  return IsLiveObject(h, GdiKind::Palette) ? static_cast<PaletteObject*>(h) : nullptr;
}

std::int64_t DibStride(std::int64_t width, int bpp) {
  if (width < 0) return -1;
  const std::int64_t bytes = ((width * bpp + 31) / 32) * 4;
  return bytes > 0x7FFFFFFF ? -1 : bytes;
}

namespace {

// Largest pixel block a bitmap may have: keeps sizes inside 32-bit arithmetic.
constexpr std::int64_t kMaxBitmapBytes = std::int64_t{1} << 31;

constexpr RGBQUAD Q(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }

// The twenty static colours: ten at each end of the system palette.
constexpr std::array<RGBQUAD, 20> kStatic = {
    Q(0, 0, 0),       Q(128, 0, 0),     Q(0, 128, 0),     Q(128, 128, 0),   Q(0, 0, 128),
    Q(128, 0, 128),   Q(0, 128, 128),   Q(192, 192, 192), Q(192, 220, 192), Q(166, 202, 240),
    Q(255, 251, 240), Q(160, 160, 164), Q(128, 128, 128), Q(255, 0, 0),     Q(0, 255, 0),
    Q(255, 255, 0),   Q(0, 0, 255),     Q(255, 0, 255),   Q(0, 255, 255),   Q(255, 255, 255)};

constexpr std::array<RGBQUAD, 16> kVga = {
    Q(0, 0, 0),     Q(128, 0, 0),   Q(0, 128, 0),   Q(128, 128, 0), Q(0, 0, 128),   Q(128, 0, 128),
    Q(0, 128, 128), Q(192, 192, 192), Q(128, 128, 128), Q(255, 0, 0), Q(0, 255, 0), Q(255, 255, 0),
    Q(0, 0, 255),   Q(255, 0, 255), Q(0, 255, 255), Q(255, 255, 255)};

constexpr std::array<RGBQUAD, 2> kMono = {Q(0, 0, 0), Q(255, 255, 255)};

std::array<RGBQUAD, 256>& SystemPalette() {
  static std::array<RGBQUAD, 256> pal = [] {
    std::array<RGBQUAD, 256> p{};
    for (int i = 0; i < 10; ++i) {
      p[static_cast<std::size_t>(i)] = kStatic[static_cast<std::size_t>(i)];
      p[static_cast<std::size_t>(246 + i)] = kStatic[static_cast<std::size_t>(10 + i)];
    }
    return p;
  }();
  return pal;
}

StockFontFactory& FontFactory() {
  static StockFontFactory f;
  return f;
}
FontObjectInfo& FontInfo() {
  static FontObjectInfo f;
  return f;
}

BrushObject* MakeStockBrush(UINT style, COLORREF c) {
  auto* b = new BrushObject();
  b->stock = true;
  b->style = style;
  b->color = c;
  return b;
}

PenObject* MakeStockPen(UINT style, COLORREF c) {
  auto* p = new PenObject(GdiKind::Pen);
  p->stock = true;
  p->style = style;
  p->color = c;
  return p;
}

}  // namespace

const RGBQUAD* SystemPaletteColors() { return SystemPalette().data(); }
const RGBQUAD* VgaColors() { return kVga.data(); }

void SetStockFontFactory(StockFontFactory f) { FontFactory() = std::move(f); }
void SetFontObjectInfo(FontObjectInfo f) { FontInfo() = std::move(f); }

// ---- stock objects ------------------------------------------------------------------------

HGDIOBJ GetStockObject(int id) {
  // Stock objects live for the whole process: the table is never destroyed.
  static auto* cache = Immortal(new std::map<int, GdiObject*>());
  auto it = cache->find(id);
  if (it != cache->end()) return it->second;
  GdiObject* o = nullptr;
  switch (id) {
    case WHITE_BRUSH: o = MakeStockBrush(BS_SOLID, 0xFFFFFF); break;
    case LTGRAY_BRUSH: o = MakeStockBrush(BS_SOLID, 0xC0C0C0); break;
    case GRAY_BRUSH: o = MakeStockBrush(BS_SOLID, 0x808080); break;
    case DKGRAY_BRUSH: o = MakeStockBrush(BS_SOLID, 0x404040); break;
    case BLACK_BRUSH: o = MakeStockBrush(BS_SOLID, 0x000000); break;
    case NULL_BRUSH: o = MakeStockBrush(BS_NULL, 0); break;
    case WHITE_PEN: o = MakeStockPen(PS_SOLID, 0xFFFFFF); break;
    case BLACK_PEN: o = MakeStockPen(PS_SOLID, 0x000000); break;
    case NULL_PEN: o = MakeStockPen(PS_NULL, 0); break;
    case DC_BRUSH: {
      BrushObject* b = MakeStockBrush(BS_SOLID, 0xFFFFFF);
      b->dcColour = true;
      o = b;
      break;
    }
    case DC_PEN: {
      PenObject* p = MakeStockPen(PS_SOLID, 0x000000);
      p->dcColour = true;
      o = p;
      break;
    }
    case DEFAULT_PALETTE: {
      auto* p = new PaletteObject();
      p->stock = true;
      for (const RGBQUAD& q : kStatic) p->entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
      o = p;
      break;
    }
    case OEM_FIXED_FONT: case ANSI_FIXED_FONT: case ANSI_VAR_FONT: case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: case SYSTEM_FIXED_FONT: case DEFAULT_GUI_FONT: {
      // The text layer makes the fonts; without it there are none yet (not cached).
      if (!FontFactory()) return nullptr;
      HFONT f = FontFactory()(id);
      o = FontAsObject(f);
      if (!IsLiveObject(o, GdiKind::Font)) return nullptr;
      o->stock = true;
      break;
    }
    default: return nullptr;
  }
  (*cache)[id] = o;
  return o;
}

HBITMAP StockBitmap() {
  static BitmapObject* bm = [] {
    auto* b = Immortal(new BitmapObject());
    b->stock = true;
    b->width = 1;
    b->height = 1;
    b->bitsPerPixel = 1;
    b->stride = 4;
    b->storage.assign(4, 0);
    b->colors.assign(kMono.begin(), kMono.end());
    return b;
  }();
  return bm;
}

// ---- bitmaps ---------------------------------------------------------------------------------

Surface BitmapObject::MakeSurface() {
  Surface s;
  if (storage.empty()) return s;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = bitsPerPixel;
  if (topDown) {
    s.bits = storage.data();
    s.pitch = stride;
  } else {
    s.bits = storage.data() + stride * (height - 1);
    s.pitch = -stride;
  }
  if (bitsPerPixel <= 8) {
    if (usesSystemPalette) {
      s.colors = SystemPaletteColors();
      s.numColors = 256;
    } else {
      s.colors = colors.data();
      s.numColors = static_cast<int>(colors.size());
    }
  } else if (bitsPerPixel == 16) {
    s.redMask = masks[0];
    s.greenMask = masks[1];
    s.blueMask = masks[2];
  } else if (bitsPerPixel == 32 && compression == BI_BITFIELDS) {
    s.redMask = masks[0];
    s.greenMask = masks[1];
    s.blueMask = masks[2];
  }
  return s;
}

namespace {

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// A device-dependent bitmap of the given depth, zero filled; null when too large.
BitmapObject* NewDeviceBitmap(int width, int height, int bpp) {
  if (width <= 0 || height <= 0 || !ValidDepth(bpp)) return nullptr;
  const std::int64_t stride = DibStride(width, bpp);
  if (stride < 0 || stride * height > kMaxBitmapBytes) return nullptr;
  auto* b = new BitmapObject();
  b->width = width;
  b->height = height;
  b->bitsPerPixel = bpp;
  b->stride = static_cast<std::ptrdiff_t>(stride);
  b->storage.assign(static_cast<std::size_t>(stride * height), 0);
  switch (bpp) {
    case 1: b->colors.assign(kMono.begin(), kMono.end()); break;
    case 4: b->colors.assign(kVga.begin(), kVga.end()); break;
    case 8: b->usesSystemPalette = true; break;
    case 16:
      b->masks[0] = 0xF800;
      b->masks[1] = 0x07E0;
      b->masks[2] = 0x001F;
      break;
    default: break;
  }
  return b;
}

// Row size of the device-dependent bitmap bits the bitmap-bits calls exchange.
std::int64_t WordStride(std::int64_t width, int bpp) { return ((width * bpp + 15) / 16) * 2; }

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes == 0 || planes > 32 || bitsPerPixel > 32) return nullptr;
  const int bpp = static_cast<int>(planes * bitsPerPixel);
  if (width == 0 || height == 0) {
    // A zero size gives the stock bitmap, as the system does.
    return (width >= 0 && height >= 0) ? StockBitmap() : nullptr;
  }
  BitmapObject* b = NewDeviceBitmap(width, height, bpp);
  if (!b) return nullptr;
  if (bits) SetBitmapBits(b, static_cast<DWORD>(WordStride(width, bpp) * height), bits);
  return b;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) return nullptr;
  return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || width < 0 || height < 0) return nullptr;
  int bpp = ScreenBitsPerPixel();
  if (dc->kind == GdiKind::MemDC) {
    // Compatible with what the DC holds: a fresh memory DC holds a monochrome bitmap.
    if (BitmapObject* cur = CheckBitmap(dc->st.bitmap)) {
      if (cur->bitsPerPixel == 1 && !cur->isDib) bpp = 1;
      else if (cur->isDib) bpp = cur->bitsPerPixel <= 8 ? ScreenBitsPerPixel() : cur->bitsPerPixel;
    }
  }
  if (width == 0 || height == 0) return StockBitmap();
  return NewDeviceBitmap(width, height, bpp);
}

namespace {

// Reads the layout of a BITMAPINFO. Masks sit right after the 40-byte header for
// BI_BITFIELDS (also inside the larger headers); the colour table follows the header.
struct DibLayout {
  int width = 0;
  int height = 0;  // absolute
  bool topDown = false;
  int bpp = 0;
  DWORD compression = BI_RGB;
  DWORD masks[3] = {0, 0, 0};
  std::vector<RGBQUAD> colors;
  std::int64_t stride = 0;
};

bool ReadDibLayout(const BITMAPINFO* bmi, DibLayout* out) {
  if (!bmi) return false;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < 40 || h.biSize > 1024) return false;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biPlanes != 1) return false;
  if (!ValidDepth(h.biBitCount)) return false;
  DibLayout d;
  d.width = h.biWidth;
  d.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  d.topDown = h.biHeight < 0;
  d.bpp = h.biBitCount;
  d.compression = h.biCompression;
  const BYTE* base = reinterpret_cast<const BYTE*>(bmi);
  std::size_t tableOffset = h.biSize;
  if (d.compression == BI_BITFIELDS) {
    if (d.bpp != 16 && d.bpp != 32) return false;
    std::memcpy(d.masks, base + 40, sizeof d.masks);
    if (h.biSize == 40) tableOffset += 12;
    for (DWORD m : d.masks) {
      // Each mask one run of bits.
      if (!m || ((m >> std::countr_zero(m)) & ((m >> std::countr_zero(m)) + 1)) != 0) return false;
    }
  } else if (d.compression == BI_RGB) {
    if (d.bpp == 16) {
      d.masks[0] = 0x7C00;
      d.masks[1] = 0x03E0;
      d.masks[2] = 0x001F;
    } else if (d.bpp == 32) {
      d.masks[0] = 0xFF0000;
      d.masks[1] = 0x00FF00;
      d.masks[2] = 0x0000FF;
    }
  } else {
    return false;  // compressed DIBs are unpacked by their readers
  }
  if (d.bpp <= 8) {
    const DWORD maxColors = DWORD{1} << d.bpp;
    DWORD n = h.biClrUsed ? h.biClrUsed : maxColors;
    if (n > maxColors) n = maxColors;
    d.colors.resize(n);
    std::memcpy(d.colors.data(), base + tableOffset, n * sizeof(RGBQUAD));
  }
  d.stride = DibStride(d.width, d.bpp);
  if (d.stride < 0 || d.stride * d.height > kMaxBitmapBytes) return false;
  *out = std::move(d);
  return true;
}

}  // namespace

bool DescribeDib(const BITMAPINFO* bmi, Surface* s, std::vector<RGBQUAD>* colors, const void* bits) {
  DibLayout d;
  if (!ReadDibLayout(bmi, &d) || !bits) return false;
  *colors = std::move(d.colors);
  Surface out;
  out.width = d.width;
  out.height = d.height;
  out.bitsPerPixel = d.bpp;
  BYTE* b = static_cast<BYTE*>(const_cast<void*>(bits));
  if (d.topDown) {
    out.bits = b;
    out.pitch = static_cast<std::ptrdiff_t>(d.stride);
  } else {
    out.bits = b + d.stride * (d.height - 1);
    out.pitch = -static_cast<std::ptrdiff_t>(d.stride);
  }
  out.colors = colors->data();
  out.numColors = static_cast<int>(colors->size());
  if (d.bpp == 16 || d.bpp == 32) {
    out.redMask = d.masks[0];
    out.greenMask = d.masks[1];
    out.blueMask = d.masks[2];
  }
  *s = out;
  return true;
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* bmi, UINT usage, void** bits, void* section, DWORD offset) {
  if (bits) *bits = nullptr;
  if (hdc && !CheckDC(hdc)) return nullptr;
  if (usage != DIB_RGB_COLORS || section || offset) return nullptr;
  DibLayout d;
  if (!ReadDibLayout(bmi, &d)) return nullptr;
  auto* b = new BitmapObject();
  b->isDib = true;
  b->width = d.width;
  b->height = d.height;
  b->topDown = d.topDown;
  b->bitsPerPixel = d.bpp;
  b->compression = d.compression;
  b->stride = static_cast<std::ptrdiff_t>(d.stride);
  b->colors = std::move(d.colors);
  std::memcpy(b->masks, d.masks, sizeof b->masks);
  b->storage.assign(static_cast<std::size_t>(d.stride * d.height), 0);
  if (bits) *bits = b->storage.data();
  return b;
}

LONG GetBitmapBits(HBITMAP hbm, LONG count, void* bits) {
  BitmapObject* b = CheckBitmap(hbm);
  if (!b || count < 0) return 0;
  const std::int64_t ws = WordStride(b->width, b->bitsPerPixel);
  if (!bits) return static_cast<LONG>(ws * b->height);
  Surface s = b->MakeSurface();
  LONG done = 0;
  BYTE* out = static_cast<BYTE*>(bits);
  for (int y = 0; y < b->height && done + ws <= count; ++y, done += static_cast<LONG>(ws))
    std::memcpy(out + done, s.Row(y), static_cast<std::size_t>(ws));
  return done;
}

LONG SetBitmapBits(HBITMAP hbm, DWORD count, const void* bits) {
  BitmapObject* b = CheckBitmap(hbm);
  if (!b || !bits || b->stock) return 0;
  const std::int64_t ws = WordStride(b->width, b->bitsPerPixel);
  Surface s = b->MakeSurface();
  LONG done = 0;
  const BYTE* in = static_cast<const BYTE*>(bits);
  for (int y = 0; y < b->height && done + ws <= static_cast<std::int64_t>(count); ++y, done += static_cast<LONG>(ws))
    std::memcpy(s.Row(y), in + done, static_cast<std::size_t>(ws));
  return done;
}

UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
  DeviceContext* dc = CheckDC(hdc);
  BitmapObject* b = dc ? CheckBitmap(dc->st.bitmap) : nullptr;
  if (!b || !b->isDib || b->bitsPerPixel > 8 || !colors || start >= b->colors.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(b->colors.size()) - start);
  std::copy_n(b->colors.begin() + start, n, colors);
  return n;
}

UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
  DeviceContext* dc = CheckDC(hdc);
  BitmapObject* b = dc ? CheckBitmap(dc->st.bitmap) : nullptr;
  if (!b || !b->isDib || b->bitsPerPixel > 8 || !colors || start >= b->colors.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(b->colors.size()) - start);
  std::copy_n(colors, n, b->colors.begin() + start);
  dc->SyncSurface();
  return n;
}

// ---- pens and brushes -------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
  const UINT st = static_cast<UINT>(style);
  if (st > PS_INSIDEFRAME) return nullptr;
  auto* p = new PenObject(GdiKind::Pen);
  p->width = std::max(width, 0);
  p->color = color;
  // Wide cosmetic dashes are not drawn: a styled pen wider than 1 draws solid.
  p->style = (p->width > 1 && st >= PS_DASH && st <= PS_DASHDOTDOT) ? PS_SOLID : st;
  return p;
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD styleCount, const DWORD* styles) {
  if (!lb) return nullptr;
  const UINT dash = style & PS_STYLE_MASK;
  const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
  if ((style & PS_TYPE_MASK) > PS_GEOMETRIC || dash > PS_ALTERNATE) return nullptr;
  if (!geometric && width != 1) return nullptr;
  if (geometric && dash == PS_ALTERNATE) return nullptr;
  if (!geometric && lb->lbStyle != BS_SOLID) return nullptr;
  if (lb->lbStyle != BS_SOLID && lb->lbStyle != BS_NULL && lb->lbStyle != BS_HATCHED) return nullptr;
  if (width > 0x7FFFFFFF) return nullptr;
  if (dash == PS_USERSTYLE) {
    if (styleCount == 0 || styleCount > 16 || !styles) return nullptr;
  } else if (styleCount != 0 || styles) {
    return nullptr;
  }
  auto* p = new PenObject(GdiKind::ExtPen);
  p->style = style;
  p->width = static_cast<int>(width);
  p->color = lb->lbColor;
  p->brushStyle = lb->lbStyle;
  p->hatch = lb->lbHatch;
  if (lb->lbStyle == BS_NULL) p->style = (style & ~PS_STYLE_MASK) | PS_NULL;
  if (dash == PS_USERSTYLE) p->userStyle.assign(styles, styles + styleCount);
  return p;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new BrushObject();
  b->style = BS_SOLID;
  b->color = color;
  return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < static_cast<int>(HS_HORIZONTAL) || hatch > static_cast<int>(HS_DIAGCROSS)) return nullptr;
  auto* b = new BrushObject();
  b->style = BS_HATCHED;
  b->color = color;
  b->hatch = static_cast<UINT>(hatch);
  return b;
}

HBRUSH CreatePatternBrush(HBITMAP hbm) {
  BitmapObject* bm = CheckBitmap(hbm);
  if (!bm || bm->storage.empty()) return nullptr;
  auto* b = new BrushObject();
  b->style = BS_PATTERN;
  b->patWidth = bm->width;
  b->patHeight = bm->height;
  b->patBitmap = bm;
  Surface s = bm->MakeSurface();
  const std::size_t n = static_cast<std::size_t>(bm->width) * static_cast<std::size_t>(bm->height);
  if (bm->bitsPerPixel == 1) {
    b->patMono = true;
    b->patBits.resize(n);
    for (int y = 0; y < bm->height; ++y)
      for (int x = 0; x < bm->width; ++x)
        b->patBits[static_cast<std::size_t>(y) * bm->width + x] = static_cast<BYTE>(s.Get(x, y));
  } else {
    b->patColors.resize(n);
    for (int y = 0; y < bm->height; ++y)
      for (int x = 0; x < bm->width; ++x)
        b->patColors[static_cast<std::size_t>(y) * bm->width + x] = s.ColorOf(s.Get(x, y));
  }
  return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: {
      auto* b = new BrushObject();
      b->style = BS_NULL;
      return b;
    }
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_PATTERN: return CreatePatternBrush(CheckBitmap(reinterpret_cast<HGDIOBJ>(lb->lbHatch)));
    default: return nullptr;
  }
}

// ---- palettes -----------------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palVersion != 0x300 || lp->palNumEntries == 0) return nullptr;
  auto* p = new PaletteObject();
  p->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return p;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL) {
  DeviceContext* dc = CheckDC(hdc);
  PaletteObject* p = CheckPalette(pal);
  if (!dc || !p) return nullptr;
  HPALETTE old = dc->st.palette;
  ++p->selectedCount;
  if (old) --old->selectedCount;
  dc->st.palette = p;
  return old;
}

UINT RealizePalette(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0xFFFFFFFF;
  PaletteObject* p = CheckPalette(dc->st.palette);
  if (!p || p->stock) return 0;
  // Only an 8-bit screen has a system palette to change.
  if (ScreenBitsPerPixel() != 8) return 0;
  auto& sys = SystemPalette();
  const std::size_t n = std::min<std::size_t>(p->entries.size(), 236);
  for (std::size_t i = 0; i < n; ++i) {
    const PALETTEENTRY& e = p->entries[i];
    sys[10 + i] = Q(e.peRed, e.peGreen, e.peBlue);
  }
  // DCs on 8-bit device bitmaps read the table through a pointer: nothing to refresh.
  return static_cast<UINT>(n);
}

UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF c) {
  PaletteObject* p = CheckPalette(pal);
  if (!p || p->entries.empty()) return 0xFFFFFFFF;
  c &= 0xFFFFFF;
  UINT best = 0;
  int bestD = 1 << 30;
  for (UINT i = 0; i < p->entries.size(); ++i) {
    const PALETTEENTRY& e = p->entries[i];
    const int dr = int{e.peRed} - GetRValue(c), dg = int{e.peGreen} - GetGValue(c), db = int{e.peBlue} - GetBValue(c);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out) {
  PaletteObject* p = CheckPalette(pal);
  if (!p) return 0;
  const UINT size = static_cast<UINT>(p->entries.size());
  if (!out) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(p->entries.begin() + start, n, out);
  return n;
}

UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* in) {
  PaletteObject* p = CheckPalette(pal);
  if (!p || p->stock || !in) return 0;
  const UINT size = static_cast<UINT>(p->entries.size());
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(in, n, p->entries.begin() + start);
  return n;
}

UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* out) {
  if (!CheckDC(hdc) || ScreenBitsPerPixel() != 8) return 0;
  if (!out) return 256;
  if (start >= 256) return 0;
  const UINT n = std::min<UINT>(count, 256 - start);
  for (UINT i = 0; i < n; ++i) {
    const RGBQUAD& q = SystemPalette()[start + i];
    out[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
  }
  return n;
}

COLORREF GetNearestColor(HDC hdc, COLORREF c) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF rgb = dc->ResolveColor(c);
  if (dc->surface.Empty()) {
    // The screen's format.
    if (ScreenBitsPerPixel() > 8) return rgb;
    Surface s;
    s.bitsPerPixel = 8;
    s.colors = SystemPaletteColors();
    s.numColors = 256;
    return s.ColorOf(s.NativeOf(rgb));
  }
  return dc->surface.ColorOf(dc->surface.NativeOf(rgb));
}

// ---- selection and deletion ---------------------------------------------------------------------

int SelectClipRgnForSelectObject(HDC hdc, HGDIOBJ rgn);  // clip.cpp

namespace {

template <class T>
T* Swap(T*& slot, T* obj) {
  T* old = slot;
  ++obj->selectedCount;
  if (old) --old->selectedCount;
  slot = obj;
  return old;
}

}  // namespace

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !IsLiveObject(obj)) return nullptr;
  switch (obj->kind) {
    case GdiKind::Pen:
    case GdiKind::ExtPen: {
      PenObject* p = static_cast<PenObject*>(obj);
      PenObject* old = dc->st.pen;
      ++p->selectedCount;
      if (old) --old->selectedCount;
      dc->st.pen = p;
      return old;
    }
    case GdiKind::Brush: return Swap(dc->st.brush, static_cast<BrushObject*>(obj));
    case GdiKind::Font: {
      GdiObject* old = FontAsObject(dc->st.font);
      ++obj->selectedCount;
      if (old) --old->selectedCount;
      dc->st.font = ObjectAsFont(obj);
      return old;
    }
    case GdiKind::Bitmap: {
      BitmapObject* b = static_cast<BitmapObject*>(obj);
      if (dc->kind != GdiKind::MemDC) return nullptr;
      BitmapObject* old = dc->st.bitmap;
      if (b == old) return old;
      if (!b->stock && b->selectedIn && b->selectedIn != dc) return nullptr;  // held by another DC
      if (!b->stock) {
        ++b->selectedCount;
        b->selectedIn = dc;
      }
      if (old && !old->stock && --old->selectedCount == 0) old->selectedIn = nullptr;
      dc->st.bitmap = b;
      dc->SyncSurface();
      return old;
    }
    case GdiKind::Region: {
      const int kind = SelectClipRgnForSelectObject(hdc, obj);
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(kind));
    }
    default: return nullptr;  // palettes go through SelectPalette; DCs are not selectable
  }
}

BOOL DeleteObject(HGDIOBJ obj) {
  if (!IsLiveObject(obj)) return 0;
  if (obj->kind == GdiKind::MemDC || obj->kind == GdiKind::DC) return 0;
  if (obj->stock) return 1;  // stock objects stay
  if (obj->selectedCount > 0) return 0;
  delete obj;
  return 1;
}

int GetObject(HGDIOBJ obj, int size, void* out) {
  if (!IsLiveObject(obj) || size < 0) return 0;
  auto give = [&](const auto& rec) -> int {
    const int need = static_cast<int>(sizeof rec);
    if (!out) return need;
    if (size < need) return 0;
    std::memcpy(out, &rec, sizeof rec);
    return need;
  };
  switch (obj->kind) {
    case GdiKind::Pen: {
      const auto* p = static_cast<const PenObject*>(obj);
      LOGPEN lp;
      lp.lopnStyle = p->style;
      lp.lopnWidth = POINT{p->width, 0};
      lp.lopnColor = p->color;
      return give(lp);
    }
    case GdiKind::ExtPen: {
      const auto* p = static_cast<const PenObject*>(obj);
      EXTLOGPEN e;
      e.elpPenStyle = p->style;
      e.elpWidth = static_cast<DWORD>(p->width);
      e.elpBrushStyle = p->brushStyle;
      e.elpColor = p->color;
      e.elpHatch = p->hatch;
      e.elpNumEntries = static_cast<DWORD>(p->userStyle.size());
      e.elpStyleEntry[0] = p->userStyle.empty() ? 0 : p->userStyle[0];
      return give(e);
    }
    case GdiKind::Brush: {
      const auto* b = static_cast<const BrushObject*>(obj);
      LOGBRUSH lb;
      lb.lbStyle = b->style;
      lb.lbColor = b->color;
      lb.lbHatch = b->style == BS_PATTERN ? reinterpret_cast<std::uintptr_t>(b->patBitmap) : b->hatch;
      return give(lb);
    }
    case GdiKind::Bitmap: {
      auto* b = static_cast<BitmapObject*>(obj);
      BITMAP bm;
      bm.bmWidth = b->width;
      bm.bmHeight = b->height;
      bm.bmBitsPixel = static_cast<WORD>(b->bitsPerPixel);
      bm.bmWidthBytes = static_cast<LONG>(b->isDib ? b->stride : WordStride(b->width, b->bitsPerPixel));
      bm.bmBits = b->isDib ? b->storage.data() : nullptr;
      if (b->isDib && out && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds;
        ds.dsBm = bm;
        ds.dsBmih.biWidth = b->width;
        ds.dsBmih.biHeight = b->topDown ? -b->height : b->height;
        ds.dsBmih.biBitCount = static_cast<WORD>(b->bitsPerPixel);
        ds.dsBmih.biCompression = b->compression;
        ds.dsBmih.biSizeImage = static_cast<DWORD>(b->storage.size());
        ds.dsBmih.biClrUsed = static_cast<DWORD>(b->colors.size());
        std::memcpy(ds.dsBitfields, b->masks, sizeof ds.dsBitfields);
        return give(ds);
      }
      return give(bm);
    }
    case GdiKind::Palette: {
      const auto* p = static_cast<const PaletteObject*>(obj);
      const WORD n = static_cast<WORD>(p->entries.size());
      return give(n);
    }
    case GdiKind::Font:
      return FontInfo() ? FontInfo()(ObjectAsFont(obj), size, out) : 0;
    default: return 0;
  }
}

}  // namespace win
