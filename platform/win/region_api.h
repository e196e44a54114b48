#pragma once
// The region calls over handles. A region handle is a RegionObject, deleted through
// DeleteObject; every call checks its handles against the live object table and fails
// (NULL, 0 or ERROR) on a stale or foreign one. Region coordinates are logical.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/win/gdi_object.h"
#include "platform/win/handles.h"
#include "platform/win/region.h"
#include "platform/win/types.h"

namespace win {

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(GdiKind::Region) {}
  explicit RegionObject(Region r) : GdiObject(GdiKind::Region), region(std::move(r)) {}
  Region region;
};

// Checked lookup: nullptr unless `h` is a live region.
RegionObject* CheckRgn(HRGN h);

// Region data: a 32-byte header, then nCount rectangles of 16 bytes each, all fields
// little-endian 32-bit.
inline constexpr DWORD RDH_RECTANGLES = 1;

struct RGNDATAHEADER {
  DWORD dwSize = 32;
  DWORD iType = RDH_RECTANGLES;
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECT rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32);

struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};
static_assert(offsetof(RGNDATA, Buffer) == 32);

struct XFORM {
  float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

// Creation. Swapped corners are put in order. Shapes other than rectangles end one pixel
// short of right and bottom (see Region). NULL when the shape is too large to hold.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rc);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rc);
// fillMode is ALTERNATE (1) or WINDING (2); anything else fails.
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* points, const int* polyCounts, int polyCount, int fillMode);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);

// dst := src1 op src2 (src2 is not used by RGN_COPY). dst may be src1 or src2. Returns the
// kind of the result, or ERROR with dst unchanged.
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
// Returns the kind of the moved region, or ERROR.
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rc);
// The bounding box ((0, 0, 0, 0) for an empty region) and the region's kind, or ERROR.
int GetRgnBox(HRGN rgn, RECT* rc);
BOOL EqualRgn(HRGN a, HRGN b);

// With data == nullptr: the byte size the data needs. Otherwise writes the data when
// `size` is large enough and returns `size`; returns 0 when it is too small.
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data);
// Builds a region from region data of `size` bytes. The header must say 32 bytes and
// RDH_RECTANGLES, and its rectangle count must fit in `size`; a rectangle with right <
// left or bottom < top makes the data bad. nRgnSize and rcBound are not trusted (the
// bounds are recomputed). `xform` may be null or a pure translation (rounded to whole
// pixels). Returns NULL for bad data.
HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data);

// Drawing (logical coordinates, through the DC's clip). FillRgn and PaintRgn mix the brush
// with the DC's ROP2 as the other filled shapes do; FrameRgn fills the region's inner
// border, `width` pixels wide on the left and right and `height` pixels on top and bottom.
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
BOOL PaintRgn(HDC dc, HRGN rgn);
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height);
BOOL InvertRgn(HDC dc, HRGN rgn);

}  // namespace win
