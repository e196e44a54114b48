#include "platform/win/region_api.h"

#include "platform/win/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>
#include <vector>

namespace win {

namespace {

// Region building throws when a shape is too large to hold; the calls answer NULL/ERROR.
template <class F>
HRGN NewRegion(F&& build) {
  try {
    return new RegionObject(build());
  } catch (const std::length_error&) {
  } catch (const std::invalid_argument&) {
  } catch (const std::bad_alloc&) {
  }
  return nullptr;
}

bool FillRuleOf(int fillMode, FillRule& rule) {
  if (fillMode == 1) {
    rule = FillRule::Alternate;
  } else if (fillMode == 2) {
    rule = FillRule::Winding;
  } else {
    return false;
  }
  return true;
}

Region OrderedRect(int left, int top, int right, int bottom) {
  return Region(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
}

void PutDword(unsigned char* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void PutRect(unsigned char* p, const RECT& r) {
  PutDword(p, static_cast<DWORD>(r.left));
  PutDword(p + 4, static_cast<DWORD>(r.top));
  PutDword(p + 8, static_cast<DWORD>(r.right));
  PutDword(p + 12, static_cast<DWORD>(r.bottom));
}

DWORD GetDword(const unsigned char* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

LONG GetLong(const unsigned char* p) { return static_cast<LONG>(GetDword(p)); }

// The ternary table that mixes the pattern with the destination as ROP2 code `rop2` mixes
// a pen: bit (pen * 2 + dest) of rop2 - 1 is the result.
BYTE TableOfRop2(int rop2) {
  if (rop2 < 1 || rop2 > 16) rop2 = 13;  // R2_COPYPEN
  const unsigned truth = static_cast<unsigned>(rop2 - 1);
  BYTE table = 0;
  for (unsigned i = 0; i < 8; ++i) {
    const unsigned pattern = (i >> 2) & 1, dest = i & 1;
    if ((truth >> (pattern * 2 + dest)) & 1) table = static_cast<BYTE>(table | (1u << i));
  }
  return table;
}

// Paints the part of `region` (logical) inside the DC's clip box with the DC's brush
// through the ternary table. Cutting to the clip box first keeps far-flung regions cheap
// and their rectangle sizes within int.
BOOL PaintRegion(HDC dc, const Region& region, BYTE table) {
  RECT box;
  const int kind = GetClipBox(dc, &box);
  if (kind == ERROR) return 0;
  if (kind == NULLREGION || region.IsEmpty()) return 1;
  try {
    const Region visible = region & Region(box);
    for (const RECT& r : visible.Rects())
      PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, static_cast<DWORD>(table) << 16);
  } catch (const std::exception&) {
    return 0;
  }
  return 1;
}

BOOL PaintRegionWith(HDC dc, const Region& region, HBRUSH brush) {
  if (!IsLiveObject(brush, GdiKind::Brush)) return 0;
  const HGDIOBJ old = SelectObject(dc, brush);
  if (!old) return 0;
  const BOOL ok = PaintRegion(dc, region, TableOfRop2(GetROP2(dc)));
  SelectObject(dc, old);
  return ok;
}

constexpr DWORD kHeaderSize = 32;
constexpr DWORD kRectSize = 16;

}  // namespace

RegionObject* CheckRgn(HRGN h) { return IsLiveObject(h, GdiKind::Region) ? h : nullptr; }

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return NewRegion([&] { return OrderedRect(left, top, right, bottom); });
}

HRGN CreateRectRgnIndirect(const RECT* rc) {
  if (!rc) return nullptr;
  return CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  return NewRegion([&] { return Region::RoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight); });
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return NewRegion([&] { return Region::Ellipse(left, top, right, bottom); });
}

HRGN CreateEllipticRgnIndirect(const RECT* rc) {
  if (!rc) return nullptr;
  return CreateEllipticRgn(rc->left, rc->top, rc->right, rc->bottom);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  FillRule rule;
  if (!FillRuleOf(fillMode, rule) || count < 0 || (count > 0 && !points)) return nullptr;
  return NewRegion([&] { return Region::Polygon(std::span<const POINT>(points, static_cast<std::size_t>(count)), rule); });
}

HRGN CreatePolyPolygonRgn(const POINT* points, const int* polyCounts, int polyCount, int fillMode) {
  FillRule rule;
  if (!FillRuleOf(fillMode, rule) || polyCount < 0 || (polyCount > 0 && !polyCounts)) return nullptr;
  std::size_t total = 0;
  for (int i = 0; i < polyCount; ++i) {
    if (polyCounts[i] < 0) return nullptr;
    total += static_cast<std::size_t>(polyCounts[i]);
  }
  if (total > 0 && !points) return nullptr;
  return NewRegion([&] {
    return Region::PolyPolygon(std::span<const POINT>(points, total),
                               std::span<const int>(polyCounts, static_cast<std::size_t>(polyCount)), rule);
  });
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  RegionObject* r = CheckRgn(rgn);
  if (!r) return 0;
  r->region = OrderedRect(left, top, right, bottom);
  return 1;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  RegionObject* d = CheckRgn(dst);
  RegionObject* a = CheckRgn(src1);
  RegionObject* b = mode == RGN_COPY ? nullptr : CheckRgn(src2);
  if (!d || !a || mode < RGN_AND || mode > RGN_COPY || (mode != RGN_COPY && !b)) return ERROR;
  try {
    // Built aside first, so that dst may be a source and keeps its value on failure.
    Region result = mode == RGN_COPY ? a->region : a->region.Combine(b->region, mode);
    d->region = std::move(result);
  } catch (const std::length_error&) {
    return ERROR;
  } catch (const std::bad_alloc&) {
    return ERROR;
  }
  return d->region.Kind();
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionObject* r = CheckRgn(rgn);
  if (!r) return ERROR;
  try {
    r->region.Offset(dx, dy);
  } catch (const std::bad_alloc&) {
    return ERROR;
  }
  return r->region.Kind();
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  RegionObject* r = CheckRgn(rgn);
  return r && r->region.Contains(x, y) ? 1 : 0;
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  RegionObject* r = CheckRgn(rgn);
  return r && rc && r->region.Intersects(*rc) ? 1 : 0;
}

int GetRgnBox(HRGN rgn, RECT* rc) {
  RegionObject* r = CheckRgn(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->region.Bounds();
  return r->region.Kind();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObject* ra = CheckRgn(a);
  RegionObject* rb = CheckRgn(b);
  return ra && rb && ra->region == rb->region ? 1 : 0;
}

DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data) {
  RegionObject* r = CheckRgn(rgn);
  if (!r) return 0;
  const std::span<const RECT> rects = r->region.Rects();
  const auto count = static_cast<DWORD>(rects.size());
  const DWORD needed = kHeaderSize + count * kRectSize;
  if (!data) return needed;
  if (size < needed) return 0;
  auto* p = reinterpret_cast<unsigned char*>(data);
  PutDword(p, kHeaderSize);
  PutDword(p + 4, RDH_RECTANGLES);
  PutDword(p + 8, count);
  PutDword(p + 12, count * kRectSize);
  PutRect(p + 16, r->region.Bounds());
  for (DWORD i = 0; i < count; ++i) PutRect(p + kHeaderSize + i * kRectSize, rects[i]);
  return size;
}

HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
  if (!data || size < kHeaderSize) return nullptr;
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  if (GetDword(p) != kHeaderSize || GetDword(p + 4) != RDH_RECTANGLES) return nullptr;
  const DWORD count = GetDword(p + 8);
  if (count > (size - kHeaderSize) / kRectSize || count > Region::kMaxRects) return nullptr;

  LONG dx = 0, dy = 0;
  if (xform) {
    // Only moves are supported; a move is rounded to whole pixels, halves to even.
    if (xform->eM11 != 1.0f || xform->eM22 != 1.0f || xform->eM12 != 0.0f || xform->eM21 != 0.0f) return nullptr;
    const double mx = std::nearbyint(static_cast<double>(xform->eDx));
    const double my = std::nearbyint(static_cast<double>(xform->eDy));
    if (!(std::fabs(mx) <= 2147483647.0 && std::fabs(my) <= 2147483647.0)) return nullptr;
    dx = static_cast<LONG>(mx);
    dy = static_cast<LONG>(my);
  }

  std::vector<RECT> rects;
  try {
    rects.reserve(count);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  for (DWORD i = 0; i < count; ++i) {
    const unsigned char* q = p + kHeaderSize + i * kRectSize;
    const RECT rc{GetLong(q), GetLong(q + 4), GetLong(q + 8), GetLong(q + 12)};
    if (rc.right < rc.left || rc.bottom < rc.top) return nullptr;
    rects.push_back(rc);
  }
  return NewRegion([&] {
    Region region = Region::FromRects(rects);
    region.Offset(dx, dy);
    return region;
  });
}

BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
  RegionObject* r = CheckRgn(rgn);
  if (!CheckDC(dc) || !r) return 0;
  return PaintRegionWith(dc, r->region, brush);
}

BOOL PaintRgn(HDC dc, HRGN rgn) {
  RegionObject* r = CheckRgn(rgn);
  if (!CheckDC(dc) || !r) return 0;
  return PaintRegion(dc, r->region, TableOfRop2(GetROP2(dc)));
}

BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height) {
  RegionObject* r = CheckRgn(rgn);
  if (!CheckDC(dc) || !r || width < 0 || height < 0) return 0;
  try {
    return PaintRegionWith(dc, r->region.Frame(width, height), brush);
  } catch (const std::exception&) {
    return 0;
  }
}

BOOL InvertRgn(HDC dc, HRGN rgn) {
  RegionObject* r = CheckRgn(rgn);
  if (!CheckDC(dc) || !r) return 0;
  return PaintRegion(dc, r->region, Rop3Table(DSTINVERT));
}

}  // namespace win
