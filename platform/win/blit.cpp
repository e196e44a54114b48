#include "platform/win/blit.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/raster.h"

namespace win {
namespace {

using i64 = std::int64_t;

bool SameFormat(const Surface& a, const Surface& b) {
  if (a.bitsPerPixel != b.bitsPerPixel) return false;
  if (a.bitsPerPixel == 24) return true;
  if (a.bitsPerPixel > 8) return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask;
  if (a.bitsPerPixel == 1) return true;  // monochrome pixels go as bits
  if (a.numColors != b.numColors) return false;
  return a.colors == b.colors ||
         (a.colors && b.colors && std::memcmp(a.colors, b.colors, sizeof(RGBQUAD) * a.numColors) == 0);
}

// Turns source pixels into destination pixels: monochrome to colour through the
// source's colour table when it is a DIB, else the destination's text (0) and
// background (1) colours; colour to monochrome by comparing with the source's
// background colour (equal -> 1).
class Converter {
 public:
  Converter(const DeviceContext& dst, const BlitSource& src) : s_(src.surface), d_(dst.surface) {
    sMono_ = s_.bitsPerPixel == 1;
    dMono_ = d_.bitsPerPixel == 1;
    same_ = SameFormat(s_, d_);
    text_ = dst.NativeColor(dst.st.textColor);
    bk_ = dst.NativeColor(dst.st.bkColor);
    srcBk_ = s_.NativeOf(src.bkColor);
    const bool monoTable = sMono_ && !dMono_ && src.colorTable && s_.colors && s_.numColors > 0;
    if ((monoTable || (!sMono_ && !dMono_ && !same_)) && s_.bitsPerPixel <= 8) {
      table_.resize(std::size_t{1} << s_.bitsPerPixel);
      for (std::size_t i = 0; i < table_.size(); ++i) table_[i] = d_.NativeOf(s_.ColorOf(static_cast<DWORD>(i)));
    }
  }
  DWORD operator()(DWORD v) {
    if (sMono_ && dMono_) return v;
    if (sMono_ && !table_.empty()) return table_[v & 1];
    if (sMono_) return v ? bk_ : text_;
    if (dMono_) return v == srcBk_ ? 1 : 0;
    if (same_) return v;
    if (!table_.empty()) return table_[v];
    if (d_.bitsPerPixel > 8) return d_.NativeOf(s_.ColorOf(v));
    auto it = cache_.find(v);
    if (it != cache_.end()) return it->second;
    const DWORD r = d_.NativeOf(s_.ColorOf(v));
    cache_.emplace(v, r);
    return r;
  }

 private:
  const Surface& s_;
  const Surface& d_;
  bool sMono_ = false, dMono_ = false, same_ = false;
  DWORD text_ = 0, bk_ = 0, srcBk_ = 0;
  std::vector<DWORD> table_;
  std::unordered_map<DWORD, DWORD> cache_;
};

// Source index range [first, last) for destination step i of n, over m source pixels.
struct Span {
  i64 first, last;
};
Span Block(i64 i, i64 n, i64 m) {
  const i64 a = static_cast<i64>((__int128{i} * m) / n);
  i64 b = static_cast<i64>((__int128{i + 1} * m) / n);
  if (b <= a) b = a + 1;
  return Span{a, b};
}
// Nearest source pixel for destination step i (pixel-centre sampling).
i64 Nearest(i64 i, i64 n, i64 m) { return static_cast<i64>((__int128{2 * i + 1} * m) / (2 * n)); }

}  // namespace

bool BlitDevice(DeviceContext& dst, i64 x, i64 y, i64 w, i64 h, const BlitSource* src, i64 sx, i64 sy, i64 sw, i64 sh,
                DWORD rop, int stretchMode) {
  const BYTE table = Rop3Table(rop);
  const bool useS = Rop3UsesSource(table), useP = Rop3UsesPattern(table), useD = Rop3UsesDest(table);
  if (useS && (!src || src->surface.Empty())) return false;
  if (!useS) {
    sw = w;
    sh = h;
  }
  // A negative size runs from the given pixel leftwards (upwards): x + w + 1 .. x.
  bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
  auto flip = [](i64& at, i64& size) {
    if (size < 0) {
      at += size + 1;
      size = -size;
    }
  };
  flip(x, w);
  flip(y, h);
  flip(sx, sw);
  flip(sy, sh);
  if (w == 0 || h == 0 || dst.surface.Empty()) return true;
  if (useS && (sw == 0 || sh == 0)) return true;
  const RECT box = dst.ClipBox();
  const i64 cx0 = std::max<i64>(x, box.left), cx1 = std::min<i64>(x + w, box.right);
  const i64 cy0 = std::max<i64>(y, box.top), cy1 = std::min<i64>(y + h, box.bottom);
  if (cx0 >= cx1 || cy0 >= cy1) return true;

  // A transfer within one surface reads from a copy, so overlapping areas come out right.
  Surface srcSurf;
  std::vector<BYTE> copy;
  if (useS) {
    srcSurf = src->surface;
    if (srcSurf.bits == dst.surface.bits) {
      const std::size_t rowBytes = static_cast<std::size_t>(srcSurf.pitch < 0 ? -srcSurf.pitch : srcSurf.pitch);
      copy.resize(rowBytes * static_cast<std::size_t>(srcSurf.height));
      for (int r = 0; r < srcSurf.height; ++r) std::memcpy(copy.data() + rowBytes * r, srcSurf.Row(r), rowBytes);
      srcSurf.bits = copy.data();
      srcSurf.pitch = static_cast<std::ptrdiff_t>(rowBytes);
    }
  }
  BlitSource local{srcSurf, src ? src->bkColor : 0xFFFFFF, src && src->colorTable};
  Converter convert(dst, local);
  const bool shrinkX = useS && sw > w, shrinkY = useS && sh > h;
  const bool combine = (shrinkX || shrinkY) && stretchMode != COLORONCOLOR;
  const DWORD mask = dst.surface.NativeMask();
  const BrushObject* brush = useP ? CheckBrush(dst.st.brush) : nullptr;

  // Source column for each clipped destination column.
  std::vector<i64> colFirst, colLast;
  if (useS) {
    for (i64 dx = cx0; dx < cx1; ++dx) {
      i64 i = dx - x;
      if (mirrorX) i = w - 1 - i;
      if (combine) {
        const Span s = Block(i, w, sw);
        colFirst.push_back(sx + s.first);
        colLast.push_back(sx + s.last);
      } else {
        colFirst.push_back(sx + Nearest(i, w, sw));
        colLast.push_back(colFirst.back() + 1);
      }
    }
  }

  for (i64 dy = cy0; dy < cy1; ++dy) {
    i64 j = dy - y;
    if (mirrorY) j = h - 1 - j;
    i64 rowFirst = 0, rowLast = 0;
    if (useS) {
      if (combine) {
        const Span s = Block(j, h, sh);
        rowFirst = sy + s.first;
        rowLast = sy + s.last;
      } else {
        rowFirst = sy + Nearest(j, h, sh);
        rowLast = rowFirst + 1;
      }
      rowFirst = std::max<i64>(rowFirst, 0);
      rowLast = std::min<i64>(rowLast, srcSurf.height);
      if (rowFirst >= rowLast) continue;  // outside the source: left alone
    }
    const int yy = static_cast<int>(dy);
    for (const RECT& c : dst.EffectiveClip().BandAt(yy)) {
      const i64 a = std::max<i64>(cx0, c.left), e = std::min<i64>(cx1, c.right);
      for (i64 dx = a; dx < e; ++dx) {
        const int xx = static_cast<int>(dx);
        DWORD S = 0, P = 0, D = 0;
        if (useS) {
          const std::size_t k = static_cast<std::size_t>(dx - cx0);
          const i64 f = std::max<i64>(colFirst[k], 0), l = std::min<i64>(colLast[k], srcSurf.width);
          if (f >= l) continue;
          if (!combine) {
            S = convert(srcSurf.Get(static_cast<int>(f), static_cast<int>(rowFirst)));
          } else if (stretchMode == HALFTONE && dst.surface.bitsPerPixel > 1 && srcSurf.bitsPerPixel > 1) {
            i64 r = 0, g = 0, b = 0, n = 0;
            for (i64 sy2 = rowFirst; sy2 < rowLast; ++sy2)
              for (i64 sx2 = f; sx2 < l; ++sx2) {
                const COLORREF cc = srcSurf.ColorOf(srcSurf.Get(static_cast<int>(sx2), static_cast<int>(sy2)));
                r += GetRValue(cc);
                g += GetGValue(cc);
                b += GetBValue(cc);
                ++n;
              }
            S = dst.surface.NativeOf(RGB(static_cast<BYTE>((r + n / 2) / n), static_cast<BYTE>((g + n / 2) / n),
                                         static_cast<BYTE>((b + n / 2) / n)));
          } else {
            // Eliminated pixels are ANDed (keeps black) or ORed (keeps white).
            const bool andMode = stretchMode != WHITEONBLACK;
            S = andMode ? ~DWORD{0} : 0;
            for (i64 sy2 = rowFirst; sy2 < rowLast; ++sy2)
              for (i64 sx2 = f; sx2 < l; ++sx2) {
                const DWORD v = convert(srcSurf.Get(static_cast<int>(sx2), static_cast<int>(sy2)));
                S = andMode ? (S & v) : (S | v);
              }
          }
        }
        if (useP && brush) BrushPixel(dst, *brush, xx, yy, &P);
        if (useD) D = dst.surface.Get(xx, yy);
        dst.surface.Put(xx, yy, ApplyRop3(table, P, S, D) & mask);
      }
    }
  }
  return true;
}

// ---- the calls ------------------------------------------------------------------------------------

namespace {

bool SourceOf(HDC hdc, BlitSource* out) {
  DeviceContext* s = CheckDC(hdc);
  if (!s) return false;
  out->surface = s->surface;
  out->bkColor = s->ResolveColor(s->st.bkColor);
  const BitmapObject* b = s->kind == GdiKind::MemDC ? CheckBitmap(s->st.bitmap) : nullptr;
  out->colorTable = b && b->isDib;
  return true;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop) {
  return StretchBlt(dst, x, y, w, h, src, xs, ys, w, h, rop);
}

BOOL StretchBlt(HDC hdst, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs, DWORD rop) {
  DeviceContext* d = CheckDC(hdst);
  if (!d) return 0;
  const BYTE table = Rop3Table(rop);
  BlitSource src;
  const BlitSource* sp = nullptr;
  i64 sx = 0, sy = 0;
  if (Rop3UsesSource(table)) {
    if (!SourceOf(hsrc, &src)) return 0;
    DeviceContext* s = CheckDC(hsrc);
    sx = s->ToDeviceX(xs);
    sy = s->ToDeviceY(ys);
    sp = &src;
  }
  return BlitDevice(*d, d->ToDeviceX(x), d->ToDeviceY(y), w, h, sp, sx, sy, ws, hs, rop, d->st.stretchMode) ? 1 : 0;
}

BOOL PatBlt(HDC hdst, int x, int y, int w, int h, DWORD rop) {
  DeviceContext* d = CheckDC(hdst);
  if (!d || Rop3UsesSource(Rop3Table(rop))) return 0;
  // A pattern has no direction: a negative size just covers x + w .. x.
  i64 X = d->ToDeviceX(x), Y = d->ToDeviceY(y), W = w, H = h;
  if (W < 0) {
    X += W;
    W = -W;
  }
  if (H < 0) {
    Y += H;
    H = -H;
  }
  return BlitDevice(*d, X, Y, W, H, nullptr, 0, 0, W, H, rop, d->st.stretchMode) ? 1 : 0;
}

// ---- device-independent bits ---------------------------------------------------------------------

namespace {

// The colour table the system hands out for a depth it has no table of its own for.
std::vector<RGBQUAD> DefaultTable(int bpp) {
  std::vector<RGBQUAD> t;
  if (bpp == 1) {
    t = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  } else if (bpp == 4) {
    t.assign(VgaColors(), VgaColors() + 16);
  } else if (bpp == 8) {
    // The static colours at the ends, a 6 x 6 x 6 cube and a grey ramp between.
    const RGBQUAD* sys = SystemPaletteColors();
    for (int i = 0; i < 10; ++i) t.push_back(sys[i]);
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          t.push_back(RGBQUAD{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(r * 51), 0});
    for (int i = 0; i < 20; ++i) {
      const BYTE v = static_cast<BYTE>(8 + i * 12);
      t.push_back(RGBQUAD{v, v, v, 0});
    }
    for (int i = 246; i < 256; ++i) t.push_back(sys[i]);
  }
  return t;
}

// Where the colour table (or masks) of a BITMAPINFO start.
BYTE* TableOf(BITMAPINFO* bmi) { return reinterpret_cast<BYTE*>(bmi) + bmi->bmiHeader.biSize; }

bool ValidOutDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// A surface over `rows` buffered rows of a DIB described by `bmi`.
bool BufferSurface(const BITMAPINFO* bmi, const void* bits, i64 rows, Surface* s, std::vector<RGBQUAD>* colors) {
  if (!DescribeDib(bmi, s, colors, bits)) return false;
  if (rows < 0 || rows > s->height) return false;
  const i64 stride = s->pitch < 0 ? -s->pitch : s->pitch;
  BYTE* base = static_cast<BYTE*>(const_cast<void*>(bits));
  s->height = static_cast<int>(rows);
  if (s->pitch < 0) s->bits = base + stride * (rows - 1);
  return rows > 0;
}

}  // namespace

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage) {
  if (!CheckDC(hdc) || !bmi || usage != DIB_RGB_COLORS) return 0;
  BitmapObject* b = CheckBitmap(hbm);
  if (!b || b->storage.empty()) return 0;
  BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < 40) return 0;
  if (h.biBitCount == 0) {
    // Describe the bitmap.
    h.biWidth = b->width;
    h.biHeight = b->height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(b->bitsPerPixel);
    h.biCompression = (b->bitsPerPixel == 16) ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(b->width, b->bitsPerPixel) * b->height);
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    if (b->bitsPerPixel == 16 && h.biSize == 40) std::memcpy(TableOf(bmi), b->masks, 12);
    return 1;
  }
  if (!ValidOutDepth(h.biBitCount) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return 0;
  const int bpp = h.biBitCount;
  const bool topDown = h.biHeight < 0;
  const i64 H = topDown ? -i64{h.biHeight} : h.biHeight;
  const i64 stride = DibStride(h.biWidth, bpp);
  if (stride < 0 || stride * H > 0x7FFFFFFF) return 0;
  Surface src = b->MakeSurface();
  // The output format.
  Surface out;
  out.width = h.biWidth;
  out.bitsPerPixel = bpp;
  std::vector<RGBQUAD> table;
  if (bpp <= 8) {
    if (src.bitsPerPixel == bpp && src.colors) table.assign(src.colors, src.colors + src.numColors);
    else table = DefaultTable(bpp);
    table.resize(std::size_t{1} << bpp);
    out.colors = table.data();
    out.numColors = static_cast<int>(table.size());
  } else if (bpp == 16) {
    DWORD m[3] = {0x7C00, 0x03E0, 0x001F};
    if (h.biCompression == BI_BITFIELDS) {
      DWORD given[3];
      std::memcpy(given, reinterpret_cast<BYTE*>(bmi) + 40, 12);
      if (given[0] && given[1] && given[2]) {
        std::memcpy(m, given, 12);
      } else {
        // No masks given: the bitmap's own (5-6-5 for 16-bit device bitmaps).
        if (b->bitsPerPixel == 16) std::memcpy(m, b->masks, 12);
        std::memcpy(reinterpret_cast<BYTE*>(bmi) + 40, m, 12);
      }
    }
    out.redMask = m[0];
    out.greenMask = m[1];
    out.blueMask = m[2];
  } else if (bpp == 32 && h.biCompression == BI_BITFIELDS) {
    std::memcpy(&out.redMask, reinterpret_cast<BYTE*>(bmi) + 40, 4);
    std::memcpy(&out.greenMask, reinterpret_cast<BYTE*>(bmi) + 44, 4);
    std::memcpy(&out.blueMask, reinterpret_cast<BYTE*>(bmi) + 48, 4);
    if (!out.redMask || !out.greenMask || !out.blueMask) {
      out.redMask = 0xFF0000;
      out.greenMask = 0xFF00;
      out.blueMask = 0xFF;
    }
  }
  h.biSizeImage = static_cast<DWORD>(stride * H);
  if (bpp <= 8) {
    BYTE* t = TableOf(bmi) + ((h.biCompression == BI_BITFIELDS && h.biSize == 40) ? 12 : 0);
    std::memcpy(t, table.data(), table.size() * sizeof(RGBQUAD));
    h.biClrUsed = 0;
  }
  if (!bits) return 1;
  if (start >= H) return 0;
  const i64 n = std::min<i64>(lines, H - start);
  const bool same = SameFormat(src, out);
  BYTE* base = static_cast<BYTE*>(bits);
  const int w = static_cast<int>(std::min<i64>(h.biWidth, b->width));
  for (i64 i = 0; i < n; ++i) {
    const i64 scan = start + i;
    const i64 row = topDown ? scan : H - 1 - scan;  // row of the DIB, top first
    out.bits = base + stride * i;
    out.height = 1;
    std::memset(out.bits, 0, static_cast<std::size_t>(stride));
    if (row >= b->height) continue;
    for (int x = 0; x < w; ++x) {
      const DWORD v = src.Get(x, static_cast<int>(row));
      out.Put(x, 0, same ? v : out.NativeOf(src.ColorOf(v)));
    }
  }
  return static_cast<int>(n);
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage) {
  if ((hdc && !CheckDC(hdc)) || !bits || usage != DIB_RGB_COLORS) return 0;
  BitmapObject* b = CheckBitmap(hbm);
  if (!b || b->stock || b->storage.empty()) return 0;
  Surface whole;
  std::vector<RGBQUAD> colors;
  if (!DescribeDib(bmi, &whole, &colors, bits)) return 0;
  const i64 H = whole.height;
  const bool topDown = whole.pitch > 0;
  if (start >= H || lines == 0) return 0;
  const i64 n = std::min<i64>(lines, H - start);
  Surface in;
  if (!BufferSurface(bmi, bits, n, &in, &colors)) return 0;
  Surface dst = b->MakeSurface();
  const bool same = SameFormat(in, dst);
  const int w = std::min(in.width, dst.width);
  for (i64 i = 0; i < n; ++i) {
    const i64 scan = start + i;
    const i64 row = topDown ? scan : H - 1 - scan;  // bitmap row
    const int inRow = static_cast<int>(topDown ? i : n - 1 - i);
    if (row >= dst.height) continue;
    for (int x = 0; x < w; ++x) {
      const DWORD v = in.Get(x, inRow);
      dst.Put(x, static_cast<int>(row), same ? v : dst.NativeOf(in.ColorOf(v)));
    }
  }
  return static_cast<int>(n);
}

int StretchDIBits(HDC hdc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  DeviceContext* d = CheckDC(hdc);
  if (!d || usage != DIB_RGB_COLORS) return 0;
  BlitSource src;
  std::vector<RGBQUAD> colors;
  const BlitSource* sp = nullptr;
  i64 top = ys;
  if (Rop3UsesSource(Rop3Table(rop))) {
    if (!DescribeDib(bmi, &src.surface, &colors, bits)) return 0;
    // Bottom-up DIBs count the source rectangle from their bottom row.
    if (src.surface.pitch < 0) top = i64{src.surface.height} - ys - hs;
    src.bkColor = 0xFFFFFF;
    src.colorTable = true;
    sp = &src;
  }
  if (!BlitDevice(*d, d->ToDeviceX(xd), d->ToDeviceY(yd), wd, hd, sp, xs, top, ws, hs, rop, d->st.stretchMode)) return 0;
  return hd < 0 ? -hd : hd;
}

int SetDIBitsToDevice(HDC hdc, int xd, int yd, DWORD w, DWORD h, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage) {
  DeviceContext* d = CheckDC(hdc);
  if (!d || usage != DIB_RGB_COLORS || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return 0;
  Surface whole;
  std::vector<RGBQUAD> colors;
  if (!DescribeDib(bmi, &whole, &colors, bits)) return 0;
  const bool topDown = whole.pitch > 0;
  const i64 n = std::min<i64>(lines, whole.height);
  BlitSource src;
  src.colorTable = true;
  if (!BufferSurface(bmi, bits, n, &src.surface, &colors)) return 0;
  // Buffer row k holds scan startScan + k (top-down) or startScan + n - 1 - k (bottom-up).
  const i64 top = topDown ? i64{ys} - startScan : i64{startScan} + n - ys - i64{h};
  BlitDevice(*d, d->ToDeviceX(xd), d->ToDeviceY(yd), w, h, &src, xs, top, w, h, SRCCOPY, COLORONCOLOR);
  return static_cast<int>(n);
}

}  // namespace win
