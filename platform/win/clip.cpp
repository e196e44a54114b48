// Clipping, saved DC states and the coordinate origins.
#include <algorithm>
#include <climits>

#include "platform/win/gdi.h"
#include "platform/win/region_api.h"

namespace win {
namespace {

LONG ClampLong(std::int64_t v) {
  return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

void RetainObj(GdiObject* o) {
  if (o && !o->stock) ++o->selectedCount;
}
void ReleaseObj(GdiObject* o) {
  if (o && !o->stock && o->selectedCount > 0) --o->selectedCount;
}

// Every state (current and saved) holds one reference to each object it names, so that
// an object a saved state will bring back cannot be deleted meanwhile.
void RetainState(DcState& s) {
  RetainObj(s.pen);
  RetainObj(s.brush);
  RetainObj(FontAsObject(s.font));
  RetainObj(s.palette);
  RetainObj(s.bitmap);
}

// A logical rectangle in device coordinates, put in order and clamped to 32 bits.
RECT DeviceRect(const DeviceContext& dc, int l, int t, int r, int b) {
  std::int64_t x0 = dc.ToDeviceX(l), x1 = dc.ToDeviceX(r), y0 = dc.ToDeviceY(t), y1 = dc.ToDeviceY(b);
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  return RECT{ClampLong(x0), ClampLong(y0), ClampLong(x1), ClampLong(y1)};
}

// What "no clip" means when combining: everything the DC can draw on.
Region Everything(const DeviceContext& dc) {
  Region r(0, 0, dc.surface.width, dc.surface.height);
  if (dc.visible) r = r & *dc.visible;
  return r;
}

int SetClip(DeviceContext& dc, std::shared_ptr<const Region> clip) {
  dc.st.clip = std::move(clip);
  dc.UpdateClip();
  return dc.EffectiveClip().Kind();
}

}  // namespace

// Counterpart of RetainState, also used by DeleteDC.
void ReleaseState(DcState& s) {
  ReleaseObj(s.pen);
  ReleaseObj(s.brush);
  ReleaseObj(FontAsObject(s.font));
  ReleaseObj(s.palette);
  if (BitmapObject* b = s.bitmap; b && !b->stock) {
    ReleaseObj(b);
    if (b->selectedCount == 0) b->selectedIn = nullptr;
  }
}

// ---- saved states -------------------------------------------------------------------------

int SaveDC(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->st);
  RetainState(dc->saved.back());
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int level) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  const int depth = static_cast<int>(dc->saved.size());
  const int target = level < 0 ? depth + level + 1 : level;
  if (target < 1 || target > depth) return 0;
  for (int i = depth - 1; i >= target; --i) ReleaseState(dc->saved[static_cast<std::size_t>(i)]);
  ReleaseState(dc->st);
  // The saved state's references become the current state's.
  dc->st = std::move(dc->saved[static_cast<std::size_t>(target - 1)]);
  dc->saved.resize(static_cast<std::size_t>(target - 1));
  dc->SyncSurface();
  return 1;
}

// ---- clipping ---------------------------------------------------------------------------------

int SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

int SelectClipRgnForSelectObject(HDC hdc, HGDIOBJ rgn) {
  return SelectClipRgn(hdc, static_cast<HRGN>(static_cast<RegionObject*>(rgn)));
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return ERROR;
  if (!rgn) {
    if (mode != RGN_COPY) return ERROR;
    return SetClip(*dc, nullptr);
  }
  RegionObject* r = CheckRgn(rgn);
  if (!r || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) return SetClip(*dc, std::make_shared<const Region>(r->region));
  const Region current = dc->st.clip ? *dc->st.clip : Everything(*dc);
  try {
    return SetClip(*dc, std::make_shared<const Region>(current.Combine(r->region, mode)));
  } catch (const std::length_error&) {
    return ERROR;
  }
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return ERROR;
  const Region box(DeviceRect(*dc, left, top, right, bottom));
  const Region current = dc->st.clip ? *dc->st.clip : Everything(*dc);
  return SetClip(*dc, std::make_shared<const Region>(current & box));
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return ERROR;
  const Region box(DeviceRect(*dc, left, top, right, bottom));
  const Region current = dc->st.clip ? *dc->st.clip : Everything(*dc);
  return SetClip(*dc, std::make_shared<const Region>(current - box));
}

int OffsetClipRgn(HDC hdc, int dx, int dy) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return ERROR;
  if (!dc->st.clip) return dc->EffectiveClip().Kind();
  return SetClip(*dc, std::make_shared<const Region>(dc->st.clip->Offsetted(dx, dy)));
}

int GetClipBox(HDC hdc, RECT* r) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !r) return ERROR;
  const RECT b = dc->ClipBox();
  if (dc->EffectiveClip().IsEmpty()) {
    *r = RECT{};
    return NULLREGION;
  }
  *r = RECT{ClampLong(dc->ToLogicalX(b.left)), ClampLong(dc->ToLogicalY(b.top)), ClampLong(dc->ToLogicalX(b.right)),
            ClampLong(dc->ToLogicalY(b.bottom))};
  return dc->EffectiveClip().Kind();
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  DeviceContext* dc = CheckDC(hdc);
  RegionObject* r = CheckRgn(rgn);
  if (!dc || !r) return -1;
  if (!dc->st.clip) return 0;
  r->region = *dc->st.clip;
  return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return -1;
  const std::int64_t dx = dc->ToDeviceX(x), dy = dc->ToDeviceY(y);
  if (dx < INT32_MIN || dx > INT32_MAX || dy < INT32_MIN || dy > INT32_MAX) return 0;
  return dc->InClip(static_cast<int>(dx), static_cast<int>(dy)) ? 1 : 0;
}

BOOL RectVisible(HDC hdc, const RECT* r) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !r) return 0;
  return dc->EffectiveClip().Intersects(DeviceRect(*dc, r->left, r->top, r->right, r->bottom)) ? 1 : 0;
}

// ---- origins ------------------------------------------------------------------------------------

namespace {

BOOL SetOrigin(HDC hdc, POINT DcState::*which, std::int64_t x, std::int64_t y, POINT* old) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  if (old) *old = dc->st.*which;
  // Origins are 32-bit; offsets that would leave that range stop at its ends.
  dc->st.*which = POINT{ClampLong(x), ClampLong(y)};
  return 1;
}

BOOL GetOrigin(HDC hdc, POINT DcState::*which, POINT* p) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !p) return 0;
  *p = dc->st.*which;
  return 1;
}

BOOL OffsetOrigin(HDC hdc, POINT DcState::*which, int dx, int dy, POINT* old) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  const POINT o = dc->st.*which;
  return SetOrigin(hdc, which, std::int64_t{o.x} + dx, std::int64_t{o.y} + dy, old);
}

}  // namespace

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old) { return SetOrigin(hdc, &DcState::viewportOrg, x, y, old); }
BOOL GetViewportOrgEx(HDC hdc, POINT* p) { return GetOrigin(hdc, &DcState::viewportOrg, p); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old) {
  return OffsetOrigin(hdc, &DcState::viewportOrg, dx, dy, old);
}
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old) { return SetOrigin(hdc, &DcState::windowOrg, x, y, old); }
BOOL GetWindowOrgEx(HDC hdc, POINT* p) { return GetOrigin(hdc, &DcState::windowOrg, p); }
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, POINT* old) {
  return OffsetOrigin(hdc, &DcState::windowOrg, dx, dy, old);
}

BOOL LPtoDP(HDC hdc, POINT* pts, int count) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || (count > 0 && !pts) || count < 0) return 0;
  for (int i = 0; i < count; ++i) pts[i] = POINT{ClampLong(dc->ToDeviceX(pts[i].x)), ClampLong(dc->ToDeviceY(pts[i].y))};
  return 1;
}

BOOL DPtoLP(HDC hdc, POINT* pts, int count) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || (count > 0 && !pts) || count < 0) return 0;
  for (int i = 0; i < count; ++i)
    pts[i] = POINT{ClampLong(dc->ToLogicalX(pts[i].x)), ClampLong(dc->ToLogicalY(pts[i].y))};
  return 1;
}

}  // namespace win
