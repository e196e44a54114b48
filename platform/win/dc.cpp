#include "platform/win/dc.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/win/gdi.h"
#include "platform/win/gdi_objects.h"
#include "platform/win/raster.h"
#include "platform/win/rop.h"
#include "platform/win/immortal.h"

namespace win {

// ---- surface ------------------------------------------------------------------------

namespace {

// Bits in a channel mask shifted down to bit 0. Masks are contiguous in practice: those are
// counted with one bit scan, as without the popcount instruction the library's count is a
// call per channel.
int MaskBits(DWORD shifted) {
  if ((shifted & (shifted + 1)) == 0) return std::countr_one(shifted);
  return std::popcount(shifted);
}

// Packs an 8-bit channel into the bits of `mask`, and back.
DWORD PackChannel(BYTE v, DWORD mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = MaskBits(mask >> shift);
  DWORD x = bits >= 8 ? (DWORD{v} << (bits - 8)) : (DWORD{v} >> (8 - bits));
  return (x << shift) & mask;
}

BYTE UnpackChannel(DWORD native, DWORD mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = MaskBits(mask >> shift);
  const DWORD v = (native & mask) >> shift;
  if (bits >= 8) return static_cast<BYTE>(v >> (bits - 8));
  // Replicate the top bits into the low ones so that full scale maps to 255.
  DWORD out = v << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) out |= v << (8 - bits) >> filled;
  return static_cast<BYTE>(out);
}

int ColorDistance(const RGBQUAD& q, COLORREF c) {
  const int dr = int{q.rgbRed} - GetRValue(c);
  const int dg = int{q.rgbGreen} - GetGValue(c);
  const int db = int{q.rgbBlue} - GetBValue(c);
  return dr * dr + dg * dg + db * db;
}

}  // namespace

DWORD Surface::NativeMask() const {
  switch (bitsPerPixel) {
    case 1: return 0x1;
    case 4: return 0xF;
    case 8: return 0xFF;
    case 16: return 0xFFFF;
    case 24: return 0xFFFFFF;
    default: return 0xFFFFFFFF;
  }
}

DWORD Surface::Get(int x, int y) const {
  const BYTE* row = Row(y);
  switch (bitsPerPixel) {
    case 32: {
      DWORD v;
      std::memcpy(&v, row + std::ptrdiff_t{x} * 4, 4);
      return v;
    }
    case 24: {
      const BYTE* p = row + std::ptrdiff_t{x} * 3;
      return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16);
    }
    case 16: {
      const BYTE* p = row + std::ptrdiff_t{x} * 2;
      return DWORD{p[0]} | (DWORD{p[1]} << 8);
    }
    case 8: return row[x];
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default: return 0;
  }
}

void Surface::Put(int x, int y, DWORD v) {
  BYTE* row = Row(y);
  switch (bitsPerPixel) {
    case 32: std::memcpy(row + std::ptrdiff_t{x} * 4, &v, 4); break;
    case 24: {
      BYTE* p = row + std::ptrdiff_t{x} * 3;
      p[0] = static_cast<BYTE>(v);
      p[1] = static_cast<BYTE>(v >> 8);
      p[2] = static_cast<BYTE>(v >> 16);
      break;
    }
    case 16: {
      BYTE* p = row + std::ptrdiff_t{x} * 2;
      p[0] = static_cast<BYTE>(v);
      p[1] = static_cast<BYTE>(v >> 8);
      break;
    }
    case 8: row[x] = static_cast<BYTE>(v); break;
    case 4: {
      BYTE& b = row[x >> 1];
      b = (x & 1) ? static_cast<BYTE>((b & 0xF0) | (v & 0x0F)) : static_cast<BYTE>((b & 0x0F) | ((v & 0x0F) << 4));
      break;
    }
    case 1: {
      BYTE& b = row[x >> 3];
      const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
      b = (v & 1) ? static_cast<BYTE>(b | bit) : static_cast<BYTE>(b & ~bit);
      break;
    }
    default: break;
  }
}

DWORD Surface::NativeOf(COLORREF c) const {
  c &= 0x00FFFFFF;
  if (bitsPerPixel <= 8) {
    if (!colors || numColors <= 0) {
      // No table: plain black and white by brightness.
      return (int{GetRValue(c)} + GetGValue(c) + GetBValue(c)) >= 3 * 128 ? NativeMask() : 0;
    }
    int best = 0;
    int bestD = ColorDistance(colors[0], c);
    for (int i = 1; i < numColors && bestD; ++i) {
      const int d = ColorDistance(colors[i], c);
      if (d < bestD) {
        bestD = d;
        best = i;
      }
    }
    return static_cast<DWORD>(best);
  }
  const bool bytes = bitsPerPixel == 24 || (redMask == 0x00FF0000 && greenMask == 0x0000FF00 && blueMask == 0x000000FF);
  if (bytes) return (DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c);
  return PackChannel(GetRValue(c), redMask) | PackChannel(GetGValue(c), greenMask) | PackChannel(GetBValue(c), blueMask);
}

COLORREF Surface::ColorOf(DWORD v) const {
  if (bitsPerPixel <= 8) {
    v &= NativeMask();
    if (!colors || numColors <= 0) return v ? 0xFFFFFF : 0;
    if (static_cast<int>(v) >= numColors) return 0;
    const RGBQUAD& q = colors[v];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  if (bitsPerPixel == 24) return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v));
  return RGB(UnpackChannel(v, redMask), UnpackChannel(v, greenMask), UnpackChannel(v, blueMask));
}

// ---- device context -------------------------------------------------------------------

namespace {
PathSink g_pathSink = nullptr;
}  // namespace

void SetPathSink(PathSink sink) { g_pathSink = sink; }
PathSink GetPathSink() { return g_pathSink; }

DeviceContext::DeviceContext(GdiKind k) : GdiObject(k) {}

DeviceContext::~DeviceContext() = default;

DeviceContext* CheckDC(HDC h) {
  if (IsLiveObject(h) && (h->kind == GdiKind::MemDC || h->kind == GdiKind::DC)) return h;
  return nullptr;
}

bool DeviceContext::InClip(int x, int y) const {
  if (x < effBox_.left || x >= effBox_.right || y < effBox_.top || y >= effBox_.bottom) return false;
  return effClip_.Contains(x, y);
}

COLORREF DeviceContext::ResolveColor(COLORREF c) const {
  const DWORD kind = c >> 24;
  if (kind == 0x01) {
    // An index into the selected logical palette.
    const PaletteObject* pal = CheckPalette(st.palette);
    const DWORD i = c & 0xFFFF;
    if (pal && i < pal->entries.size()) {
      const PALETTEENTRY& e = pal->entries[i];
      return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return 0;
  }
  return c & 0x00FFFFFF;
}

COLORREF DeviceContext::BrushColor(const BrushObject& b) const { return b.dcColour ? st.dcBrushColor : b.color; }
COLORREF DeviceContext::PenColor(const PenObject& p) const { return p.dcColour ? st.dcPenColor : p.color; }

void DeviceContext::FillSpanNative(int x0, int x1, int y, DWORD native, int rop2) {
  FillBoxNative(x0, y, x1, y + 1, native, rop2);
}

void DeviceContext::FillBoxNative(int x0, int y0, int x1, int y1, DWORD native, int rop2) {
  y0 = std::max<int>(y0, effBox_.top);
  y1 = std::min<int>(y1, effBox_.bottom);
  if (x0 >= x1 || y0 >= y1 || rop2 == R2_NOP) return;
  const std::span<const RECT> rects = effClip_.Rects();
  if (rects.size() == 1) {
    // The clip is its box: one rectangle, no bands to walk.
    FillClippedBox(std::max<int>(x0, effBox_.left), y0, std::min<int>(x1, effBox_.right), y1, native, rop2);
    return;
  }
  // Clip rectangles never overlap, so each pixel is written once whatever the order.
  auto it = std::partition_point(rects.begin(), rects.end(), [y0](const RECT& r) { return r.bottom <= y0; });
  for (; it != rects.end() && it->top < y1; ++it) {
    FillClippedBox(std::max<int>(x0, it->left), std::max<int>(y0, it->top), std::min<int>(x1, it->right),
                   std::min<int>(y1, it->bottom), native, rop2);
  }
}

void DeviceContext::FillClippedBox(int x0, int y0, int x1, int y1, DWORD native, int rop2) {
  if (x0 >= x1 || y0 >= y1) return;
  if (rop2 == R2_COPYPEN && surface.bitsPerPixel == 32) {
    BYTE* row = surface.Row(y0) + std::ptrdiff_t{x0} * 4;
    const std::ptrdiff_t pitch = surface.pitch;
    if (x1 - x0 == 1) {
      // A column (the sides of frames): one store a row.
      for (int y = y0; y < y1; ++y, row += pitch) std::memcpy(row, &native, 4);
      return;
    }
    for (int y = y0; y < y1; ++y, row += pitch) {
      DWORD* p = reinterpret_cast<DWORD*>(row);
      std::fill(p, p + (x1 - x0), native);
    }
    return;
  }
  const DWORD mask = surface.NativeMask();
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) surface.Put(x, y, ApplyRop2(rop2, native, surface.Get(x, y)) & mask);
}

void DeviceContext::FillSpanRop(int x0, int x1, int y, COLORREF c, int rop2) {
  if (surface.Empty()) return;
  FillSpanNative(x0, x1, y, NativeColor(c), rop2);
}

void DeviceContext::PlotPixelRop(int x, int y, COLORREF c, int rop2) {
  if (surface.Empty() || !InClip(x, y)) return;
  surface.Put(x, y, ApplyRop2(rop2, NativeColor(c), surface.Get(x, y)) & surface.NativeMask());
}

COLORREF DeviceContext::ReadPixel(int x, int y) const {
  if (surface.Empty() || x < 0 || y < 0 || x >= surface.width || y >= surface.height) return CLR_INVALID;
  return surface.ColorOf(surface.Get(x, y));
}

void DeviceContext::UpdateClip() {
  Region r(0, 0, surface.width, surface.height);
  if (surface.Empty()) r = Region();
  if (visible) r = r & *visible;
  if (st.clip) r = r & *st.clip;
  effClip_ = std::move(r);
  effBox_ = effClip_.Bounds();
}

void DeviceContext::SyncSurface() {
  if (kind == GdiKind::MemDC) {
    BitmapObject* bm = CheckBitmap(st.bitmap);
    surface = bm ? bm->MakeSurface() : Surface{};
  }
  UpdateClip();
}

// ---- creation -----------------------------------------------------------------------------

namespace {

void Retain(GdiObject* o) {
  if (o) ++o->selectedCount;
}

// Default objects of a new DC.
void InitState(DeviceContext& dc) {
  dc.st.pen = CheckPen(GetStockObject(BLACK_PEN));
  dc.st.brush = CheckBrush(GetStockObject(WHITE_BRUSH));
  dc.st.palette = CheckPalette(GetStockObject(DEFAULT_PALETTE));
  HGDIOBJ font = GetStockObject(SYSTEM_FONT);
  dc.st.font = IsLiveObject(font, GdiKind::Font) ? ObjectAsFont(font) : nullptr;
  Retain(dc.st.pen);
  Retain(dc.st.brush);
  Retain(dc.st.palette);
  Retain(FontAsObject(dc.st.font));
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !CheckDC(hdc)) return nullptr;
  auto* dc = new DeviceContext(GdiKind::MemDC);
  InitState(*dc);
  BitmapObject* bm = CheckBitmap(StockBitmap());
  dc->st.bitmap = bm;
  // The stock bitmap may sit in any number of DCs; it is never marked as held.
  dc->SyncSurface();
  return dc;
}

HDC CreateSurfaceDC(const Surface& s, HWND w, std::shared_ptr<const Region> visible) {
  auto* dc = new DeviceContext(GdiKind::DC);
  InitState(*dc);
  dc->surface = s;
  dc->window = w;
  dc->visible = std::move(visible);
  dc->UpdateClip();
  return dc;
}

HDC ScreenDC() {
  static DeviceContext* screen = [] {
    auto* dc = Immortal(new DeviceContext(GdiKind::DC));
    dc->stock = true;
    InitState(*dc);
    dc->UpdateClip();
    return dc;
  }();
  return screen;
}

void ReleaseState(DcState& s);  // clip.cpp

BOOL DeleteDC(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || dc->stock) return 0;
  for (DcState& s : dc->saved) ReleaseState(s);
  ReleaseState(dc->st);
  delete dc;
  return 1;
}

// ---- simple state -------------------------------------------------------------------------

namespace {

// The one pattern of every plain DC setting: check the handle, refuse an invalid value,
// store the new value and answer the old one (`failure` for a bad handle or value).
template <class T, class Valid>
T ExchangeState(HDC hdc, T DcState::*field, T value, T failure, Valid valid) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !valid(value)) return failure;
  const T old = dc->st.*field;
  dc->st.*field = value;
  return old;
}

template <class T>
T ReadState(HDC hdc, T DcState::*field, T failure) {
  DeviceContext* dc = CheckDC(hdc);
  return dc ? dc->st.*field : failure;
}

constexpr auto kAnyColour = [](COLORREF) { return true; };

}  // namespace

COLORREF SetBkColor(HDC hdc, COLORREF c) { return ExchangeState(hdc, &DcState::bkColor, c, CLR_INVALID, kAnyColour); }
COLORREF GetBkColor(HDC hdc) { return ReadState(hdc, &DcState::bkColor, CLR_INVALID); }
COLORREF SetDCBrushColor(HDC hdc, COLORREF c) {
  return ExchangeState(hdc, &DcState::dcBrushColor, c, CLR_INVALID, kAnyColour);
}
COLORREF GetDCBrushColor(HDC hdc) { return ReadState(hdc, &DcState::dcBrushColor, CLR_INVALID); }
COLORREF SetDCPenColor(HDC hdc, COLORREF c) { return ExchangeState(hdc, &DcState::dcPenColor, c, CLR_INVALID, kAnyColour); }
COLORREF GetDCPenColor(HDC hdc) { return ReadState(hdc, &DcState::dcPenColor, CLR_INVALID); }
int SetBkMode(HDC hdc, int mode) {
  return ExchangeState(hdc, &DcState::bkMode, mode, 0, [](int m) { return m == TRANSPARENT || m == OPAQUE; });
}
int GetBkMode(HDC hdc) { return ReadState(hdc, &DcState::bkMode, 0); }
COLORREF SetTextColor(HDC hdc, COLORREF c) {
  return ExchangeState(hdc, &DcState::textColor, c, CLR_INVALID, kAnyColour);
}
COLORREF GetTextColor(HDC hdc) { return ReadState(hdc, &DcState::textColor, CLR_INVALID); }
int SetROP2(HDC hdc, int rop2) {
  return ExchangeState(hdc, &DcState::rop2, rop2, 0, [](int r) { return r >= R2_BLACK && r <= R2_WHITE; });
}
int GetROP2(HDC hdc) { return ReadState(hdc, &DcState::rop2, 0); }
int SetStretchBltMode(HDC hdc, int mode) {
  return ExchangeState(hdc, &DcState::stretchMode, mode, 0,
                       [](int m) { return m >= BLACKONWHITE && m <= HALFTONE; });
}
int GetStretchBltMode(HDC hdc) { return ReadState(hdc, &DcState::stretchMode, 0); }
int SetPolyFillMode(HDC hdc, int mode) {
  return ExchangeState(hdc, &DcState::polyFillMode, mode, 0, [](int m) { return m == ALTERNATE || m == WINDING; });
}
int GetPolyFillMode(HDC hdc) { return ReadState(hdc, &DcState::polyFillMode, 0); }
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (old) *old = dc->st.brushOrg;
  dc->st.brushOrg = POINT{x, y};
  return 1;
}
BOOL GetBrushOrgEx(HDC hdc, POINT* p) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !p) return 0;
  *p = dc->st.brushOrg;
  return 1;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: case OBJ_EXTPEN: return dc->st.pen;
    case OBJ_BRUSH: return dc->st.brush;
    case OBJ_PAL: return dc->st.palette;
    case OBJ_FONT: return FontAsObject(dc->st.font);
    case OBJ_BITMAP: return dc->st.bitmap;
    default: return nullptr;
  }
}

UINT GetObjectType(HGDIOBJ h) {
  if (!IsLiveObject(h)) return 0;
  switch (h->kind) {
    case GdiKind::Pen: return OBJ_PEN;
    case GdiKind::ExtPen: return OBJ_EXTPEN;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Font: return OBJ_FONT;
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Palette: return OBJ_PAL;
    case GdiKind::Region: return OBJ_REGION;
    case GdiKind::MemDC: return OBJ_MEMDC;
    case GdiKind::DC: return OBJ_DC;
  }
  return 0;
}

// ---- pixels and rectangles ------------------------------------------------------------------

namespace {

bool DevicePixel(const DeviceContext& dc, int x, int y, int* dx, int* dy) {
  const std::int64_t X = dc.ToDeviceX(x), Y = dc.ToDeviceY(y);
  if (X < INT32_MIN || X > INT32_MAX || Y < INT32_MIN || Y > INT32_MAX) return false;
  *dx = static_cast<int>(X);
  *dy = static_cast<int>(Y);
  return dc.InClip(*dx, *dy);
}

// Fills a device rectangle (right and bottom exclusive) with one native value, clipped.
void FillDeviceBox(DeviceContext& dc, std::int64_t L, std::int64_t T, std::int64_t R, std::int64_t B, DWORD native,
                   int rop2) {
  const RECT box = dc.ClipBox();
  const std::int64_t x0 = std::max<std::int64_t>(L, box.left), x1 = std::min<std::int64_t>(R, box.right);
  const std::int64_t y0 = std::max<std::int64_t>(T, box.top), y1 = std::min<std::int64_t>(B, box.bottom);
  if (x0 >= x1 || y0 >= y1) return;
  dc.FillBoxNative(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1), native,
                   rop2);
}

// Fills a logical rectangle (right and bottom exclusive, not reordered) with a brush.
void FillLogical(DeviceContext& dc, const BrushObject* b, std::int64_t l, std::int64_t t, std::int64_t r,
                 std::int64_t bt, int rop2) {
  if (!b || l >= r || t >= bt) return;
  const std::int64_t L = dc.ToDeviceX(l), T = dc.ToDeviceY(t), R = dc.ToDeviceX(r), B = dc.ToDeviceY(bt);
  if (b->style == BS_SOLID) {
    // One colour for the whole rectangle: converted once, not per row.
    if (!dc.surface.Empty()) FillDeviceBox(dc, L, T, R, B, dc.NativeColor(dc.BrushColor(*b)), rop2);
    return;
  }
  const RECT box = dc.ClipBox();
  for (std::int64_t y = std::max<std::int64_t>(T, box.top); y < std::min<std::int64_t>(B, box.bottom); ++y)
    FillSpanBrush(dc, b, L, R, y, rop2);
}

// A brush argument may be a system colour index + 1.
const BrushObject* BrushArg(HBRUSH brush) {
  const auto v = reinterpret_cast<std::uintptr_t>(brush);
  if (v >= 1 && v <= static_cast<std::uintptr_t>(kSysColorCount)) return GetSysColorBrush(static_cast<int>(v) - 1);
  return CheckBrush(brush);
}

void FillColour(DeviceContext& dc, std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, COLORREF c) {
  if (l >= r || t >= b) return;
  const DWORD native = dc.NativeColor(c);
  ForEachClippedSpan(dc, dc.ToDeviceX(l), dc.ToDeviceY(t), dc.ToDeviceX(r), dc.ToDeviceY(b),
                     [&](int y, int x0, int x1) { dc.FillSpanNative(x0, x1, y, native, R2_COPYPEN); });
}

}  // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
  DeviceContext* dc = CheckDC(hdc);
  int dx, dy;
  if (!dc || dc->surface.Empty() || !DevicePixel(*dc, x, y, &dx, &dy)) return CLR_INVALID;
  const DWORD v = dc->NativeColor(c);
  dc->surface.Put(dx, dy, v);
  return dc->surface.ColorOf(v);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF c) { return SetPixel(hdc, x, y, c) != CLR_INVALID ? 1 : 0; }

COLORREF GetPixel(HDC hdc, int x, int y) {
  DeviceContext* dc = CheckDC(hdc);
  int dx, dy;
  if (!dc || dc->surface.Empty() || !DevicePixel(*dc, x, y, &dx, &dy)) return CLR_INVALID;
  return dc->surface.ColorOf(dc->surface.Get(dx, dy));
}

int FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
  DeviceContext* dc = CheckDC(hdc);
  const BrushObject* b = BrushArg(brush);
  if (!dc || !r || !b) return 0;
  FillLogical(*dc, b, r->left, r->top, r->right, r->bottom, R2_COPYPEN);
  return 1;
}

int FrameRect(HDC hdc, const RECT* r, HBRUSH brush) {
  DeviceContext* dc = CheckDC(hdc);
  const BrushObject* b = BrushArg(brush);
  if (!dc || !r || !b) return 0;
  const std::int64_t l = r->left, t = r->top, rr = r->right, bb = r->bottom;
  if (l >= rr || t >= bb) return 1;
  if (b->style == BS_SOLID) {
    // The four sides in one colour, converted once.
    if (dc->surface.Empty()) return 1;
    const DWORD native = dc->NativeColor(dc->BrushColor(*b));
    const std::int64_t L = dc->ToDeviceX(l), T = dc->ToDeviceY(t), R = dc->ToDeviceX(rr), B = dc->ToDeviceY(bb);
    FillDeviceBox(*dc, L, T, R, T + 1, native, R2_COPYPEN);
    if (B - 1 > T) FillDeviceBox(*dc, L, B - 1, R, B, native, R2_COPYPEN);
    FillDeviceBox(*dc, L, T + 1, L + 1, B - 1, native, R2_COPYPEN);
    if (R - 1 > L) FillDeviceBox(*dc, R - 1, T + 1, R, B - 1, native, R2_COPYPEN);
    return 1;
  }
  FillLogical(*dc, b, l, t, rr, t + 1, R2_COPYPEN);
  if (bb - 1 > t) FillLogical(*dc, b, l, bb - 1, rr, bb, R2_COPYPEN);
  FillLogical(*dc, b, l, t + 1, l + 1, bb - 1, R2_COPYPEN);
  if (rr - 1 > l) FillLogical(*dc, b, rr - 1, t + 1, rr, bb - 1, R2_COPYPEN);
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* r) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !r) return 0;
  if (r->left >= r->right || r->top >= r->bottom) return 1;
  ForEachClippedSpan(*dc, dc->ToDeviceX(r->left), dc->ToDeviceY(r->top), dc->ToDeviceX(r->right),
                     dc->ToDeviceY(r->bottom), [&](int y, int x0, int x1) { dc->FillSpanNative(x0, x1, y, 0, R2_NOT); });
  return 1;
}

BOOL DrawFocusRect(HDC hdc, const RECT* r) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !r) return 0;
  if (r->left >= r->right || r->top >= r->bottom) return 1;
  const std::int64_t l = dc->ToDeviceX(r->left), t = dc->ToDeviceY(r->top);
  const std::int64_t rr = dc->ToDeviceX(r->right), b = dc->ToDeviceY(r->bottom);
  // Every other pixel of a one-pixel frame is inverted (XOR), so drawing it twice
  // removes it. The dots sit on the device's checkerboard.
  auto dots = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    ForEachClippedSpan(*dc, x0, y0, x1, y1, [&](int y, int a, int e) {
      for (int x = a; x < e; ++x)
        if (((x + y) & 1) == 0) dc->surface.Put(x, y, ~dc->surface.Get(x, y) & dc->surface.NativeMask());
    });
  };
  dots(l, t, rr, t + 1);
  if (b - 1 > t) dots(l, b - 1, rr, b);
  dots(l, t + 1, l + 1, b - 1);
  if (rr - 1 > l) dots(rr - 1, t + 1, rr, b - 1);
  return 1;
}

BOOL DrawEdge(HDC hdc, RECT* rc, UINT edge, UINT flags) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !rc) return 0;
  std::int64_t l = rc->left, t = rc->top, r = rc->right, b = rc->bottom;
  const bool mono = (flags & BF_MONO) != 0;
  const bool flat = (flags & BF_FLAT) != 0 && !mono;
  const bool soft = (flags & BF_SOFT) != 0;
  // Top-left and bottom-right colours of the outer and the inner ring.
  struct Ring {
    bool present;
    COLORREF lt, rb;
  };
  Ring outer{false, 0, 0}, inner{false, 0, 0};
  if (edge & BDR_RAISEDOUTER) {
    outer = {true, GetSysColor(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW)};
  } else if (edge & BDR_SUNKENOUTER) {
    outer = {true, GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT)};
  }
  if (edge & BDR_RAISEDINNER) {
    inner = {true, GetSysColor(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
  } else if (edge & BDR_SUNKENINNER) {
    inner = {true, GetSysColor(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)};
  }
  if (mono) {
    outer.lt = outer.rb = GetSysColor(COLOR_WINDOWFRAME);
    inner.lt = inner.rb = GetSysColor(COLOR_WINDOW);
  } else if (flat) {
    outer.lt = outer.rb = GetSysColor(COLOR_BTNSHADOW);
    inner.lt = inner.rb = GetSysColor(COLOR_BTNFACE);
  }
  for (const Ring& ring : {outer, inner}) {
    if (!ring.present || l >= r || t >= b) continue;
    // The bottom-right lines run the full length; the top-left ones stop short of them.
    if (flags & BF_LEFT) FillColour(*dc, l, t, l + 1, (flags & BF_BOTTOM) ? b - 1 : b, ring.lt);
    if (flags & BF_TOP) FillColour(*dc, l, t, (flags & BF_RIGHT) ? r - 1 : r, t + 1, ring.lt);
    if (flags & BF_RIGHT) FillColour(*dc, r - 1, t, r, b, ring.rb);
    if (flags & BF_BOTTOM) FillColour(*dc, l, b - 1, r, b, ring.rb);
    if (flags & BF_LEFT) ++l;
    if (flags & BF_TOP) ++t;
    if (flags & BF_RIGHT) --r;
    if (flags & BF_BOTTOM) --b;
  }
  if (flags & BF_MIDDLE) FillColour(*dc, l, t, r, b, GetSysColor(mono ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) {
    auto clamp = [](std::int64_t v) { return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
    *rc = RECT{clamp(l), clamp(t), clamp(r), clamp(b)};
  }
  return 1;
}

}  // namespace win
