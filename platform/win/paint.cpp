#include "platform/win/paint.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "platform/win/caption.h"
#include "platform/win/gdi.h"
#include "platform/win/menu_tracking.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/region_api.h"
#include "platform/win/scroll_bar.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

namespace win {
namespace {

// Buffers are kept to a sane size whatever size a window is given: pixels beyond are
// not drawable (and not composited).
constexpr int kMaxBufferSide = 8192;
constexpr std::int64_t kMaxBufferPixels = std::int64_t{1} << 24;
constexpr DWORD kFreshPixel = 0x00FFFFFF;  // white until painted

struct DcInfo {
  WindowObject* window = nullptr;
  bool client = true;
  std::optional<Region> paintClip;  // BeginPaint's update region
};

std::unordered_map<HDC, DcInfo>& DcTable() {
  static std::unordered_map<HDC, DcInfo> t;
  return t;
}

int Width(const RECT& r) { return std::max<LONG>(0, r.right - r.left); }
int Height(const RECT& r) { return std::max<LONG>(0, r.bottom - r.top); }

Region ClientArea(const WindowObject& w) { return Region(0, 0, Width(w.client), Height(w.client)); }

// The visible children of `w` in its client coordinates, through their regions. A child
// shows only inside its parent's client area, so a child larger than that area never
// takes the frame, scroll bars or their corner out of the parent's window DC.
Region ChildrenArea(const WindowObject& w) {
  Region all;
  for (const WindowObject* c : w.children) {
    if (!(c->style & WS_VISIBLE)) continue;
    Region r(c->rect);
    if (c->windowRegion) r = r & c->windowRegion->Offsetted(c->rect.left, c->rect.top);
    all = all | r;
  }
  return all & ClientArea(w);
}

Region ClientVisible(const WindowObject& w) {
  Region r = ClientArea(w);
  if (w.windowRegion) r = r & w.windowRegion->Offsetted(-w.client.left, -w.client.top);
  if (w.style & WS_CLIPCHILDREN) r = r - ChildrenArea(w);
  return r;
}

Region WindowVisible(const WindowObject& w) {
  Region r(0, 0, Width(w.rect), Height(w.rect));
  if (w.windowRegion) r = r & *w.windowRegion;
  if (w.style & WS_CLIPCHILDREN) r = r - ChildrenArea(w).Offsetted(w.client.left, w.client.top);
  return r;
}

bool BufferMatches(const WindowObject& w) {
  const int bw = std::min(Width(w.rect), kMaxBufferSide);
  int bh = std::min(Height(w.rect), kMaxBufferSide);
  if (bw > 0 && std::int64_t{bw} * bh > kMaxBufferPixels) bh = static_cast<int>(kMaxBufferPixels / bw);
  return bw == w.bufferWidth && bh == w.bufferHeight;
}

// Makes or resizes the buffer, keeping the pixels that overlap. True when the memory moved.
bool EnsureBuffer(WindowObject& w) {
  if (w.dead) return false;
  const int bw = std::min(Width(w.rect), kMaxBufferSide);
  int bh = std::min(Height(w.rect), kMaxBufferSide);
  if (bw > 0 && std::int64_t{bw} * bh > kMaxBufferPixels) bh = static_cast<int>(kMaxBufferPixels / bw);
  if (!w.pixels.empty() && bw == w.bufferWidth && bh == w.bufferHeight) return false;
  if (w.pixels.empty() && std::int64_t{bw} * bh == 0) {
    w.bufferWidth = bw;
    w.bufferHeight = bh;
    return false;
  }
  std::vector<DWORD> fresh(static_cast<std::size_t>(bw) * static_cast<std::size_t>(bh), kFreshPixel);
  const int cw = std::min(bw, w.bufferWidth), ch = std::min(bh, w.bufferHeight);
  if (!w.pixels.empty() && cw > 0)  // a window shrunk to nothing has no rows to keep
    for (int y = 0; y < ch; ++y)
      std::memcpy(fresh.data() + static_cast<std::size_t>(y) * bw, w.pixels.data() + static_cast<std::size_t>(y) * w.bufferWidth,
                  static_cast<std::size_t>(cw) * 4);
  w.pixels = std::move(fresh);
  w.bufferWidth = bw;
  w.bufferHeight = bh;
  return true;
}

std::shared_ptr<const Region> VisibleFor(const WindowObject& w, const DcInfo& info) {
  Region v = info.client ? ClientVisible(w) : WindowVisible(w);
  if (info.paintClip) v = v & *info.paintClip;
  return std::make_shared<const Region>(std::move(v));
}

HDC MakeWindowDC(WindowObject& w, bool client, std::optional<Region> paintClip) {
  DcInfo info{&w, client, std::move(paintClip)};
  HDC dc = CreateSurfaceDC(WindowSurface(w, client), &w, VisibleFor(w, info));
  w.dcs.push_back(dc);
  DcTable()[dc] = std::move(info);
  return dc;
}

bool IncludeChildren(const WindowObject& w, UINT flags) {
  if (flags & RDW_ALLCHILDREN) return true;
  if (flags & RDW_NOCHILDREN) return false;
  return !(w.style & WS_CLIPCHILDREN);
}

// `area` in client coordinates of `w`.
void InvalidateArea(WindowObject& w, const Region& area, UINT flags, bool throughParent) {
  if (w.dead || w.isDesktop) return;
  const Region inClient = area & ClientArea(w);
  w.update = w.update | inClient;
  if (flags & RDW_ERASE) w.erasePending = true;
  if (flags & RDW_NOERASE) w.erasePending = false;
  // The frame is touched when the area reaches outside the client area.
  const Region whole = Region(0, 0, Width(w.rect), Height(w.rect)).Offsetted(-w.client.left, -w.client.top);
  const bool touchesFrame = !((area & whole) - ClientArea(w)).IsEmpty();
  if (touchesFrame && ((flags & RDW_FRAME) || throughParent)) w.framePending = true;
  if (!IncludeChildren(w, flags)) return;
  for (WindowObject* c : w.children) {
    if (!(c->style & WS_VISIBLE)) continue;
    const Region under = area & Region(c->rect);
    if (under.IsEmpty()) continue;
    InvalidateArea(*c, under.Offsetted(-(c->rect.left + c->client.left), -(c->rect.top + c->client.top)), flags, true);
  }
}

void ValidateArea(WindowObject& w, const Region& area, UINT flags, bool withChildren) {
  if (w.dead || w.isDesktop) return;
  w.update = w.update - area;
  if (w.update.IsEmpty()) w.erasePending = false;
  if (flags & RDW_NOFRAME) w.framePending = false;
  if (!withChildren) return;
  for (WindowObject* c : w.children) {
    const Region under = area & Region(c->rect);
    if (under.IsEmpty()) continue;
    ValidateArea(*c, under.Offsetted(-(c->rect.left + c->client.left), -(c->rect.top + c->client.top)), flags,
                 IncludeChildren(*c, flags));
  }
}

void EraseNow(HWND h, bool children) {
  WindowObject* w = CheckWindow(h);
  if (!w || !IsWindowVisible(h)) return;
  if (w->framePending) {
    w->framePending = false;
    SendMessage(h, WM_NCPAINT, 1, 0);
    if (!(w = CheckWindow(h))) return;
  }
  if (w->erasePending && !w->update.IsEmpty()) {
    w->erasePending = false;
    HDC dc = MakeWindowDC(*w, true, w->update);
    const LRESULT erased = SendMessage(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(h, dc);
    if (!(w = CheckWindow(h))) return;
    // Not erased: the paint bracket tries again and tells the painter.
    if (!erased && !w->update.IsEmpty()) w->erasePending = true;
  }
  if (!children) return;
  const std::vector<WindowObject*> kids = w->children;
  for (WindowObject* c : kids) EraseNow(c, true);
}

void PaintNow(HWND h, bool children) {
  WindowObject* w = CheckWindow(h);
  if (!w || !IsWindowVisible(h)) return;
  if (NeedsPaint(*w)) {
    SendMessage(h, WM_PAINT, 0, 0);
    if (!(w = CheckWindow(h))) return;
  }
  if (!children) return;
  const std::vector<WindowObject*> kids = w->children;
  for (WindowObject* c : kids) PaintNow(c, true);
}

bool IsActiveFrame(const WindowObject& w) {
  const WindowObject* t = &w;
  while (t->parent && !t->parent->isDesktop) t = t->parent;
  return GetActiveWindow() == t;
}

void FillColour(HDC dc, const RECT& r, int sysColor) {
  if (r.left < r.right && r.top < r.bottom) FillRect(dc, &r, GetSysColorBrush(sysColor));
}

}  // namespace

// ---- buffers and DCs -----------------------------------------------------------------------------

bool NeedsPaint(const WindowObject& w) {
  return !w.dead && !w.isDesktop && (!w.update.IsEmpty() || w.internalPaint || w.framePending);
}

void SyncBuffer(WindowObject& w) {
  if (w.pixels.empty() || BufferMatches(w)) return;
  if (EnsureBuffer(w)) RefreshWindowDCs(w);
}

Surface WindowSurface(WindowObject& w, bool clientOnly) {
  if (EnsureBuffer(w)) RefreshWindowDCs(w);
  Surface s;
  if (w.pixels.empty()) return s;
  int x0 = 0, y0 = 0, width = w.bufferWidth, height = w.bufferHeight;
  if (clientOnly) {
    x0 = w.client.left;
    y0 = w.client.top;
    width = std::min(Width(w.client), w.bufferWidth - x0);
    height = std::min(Height(w.client), w.bufferHeight - y0);
  }
  if (width <= 0 || height <= 0 || x0 < 0 || y0 < 0) return s;
  s.pitch = static_cast<std::ptrdiff_t>(w.bufferWidth) * 4;
  s.bits = reinterpret_cast<BYTE*>(w.pixels.data()) + s.pitch * y0 + std::ptrdiff_t{x0} * 4;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = 32;
  return s;
}

void RefreshWindowDCs(WindowObject& w) {
  auto& table = DcTable();
  for (HDC h : w.dcs) {
    DeviceContext* dc = CheckDC(h);
    auto it = table.find(h);
    if (!dc || it == table.end() || dc->window != &w) continue;
    dc->surface = WindowSurface(w, it->second.client);
    dc->visible = VisibleFor(w, it->second);
    dc->UpdateClip();
  }
}

void ReleaseWindowPaintState(WindowObject& w) {
  for (HDC h : w.dcs) {
    DeviceContext* dc = CheckDC(h);
    if (!dc || dc->window != &w) continue;
    dc->surface = Surface{};
    dc->visible = std::make_shared<const Region>();
    dc->UpdateClip();
  }
  // The DCs stay in the table: their holders still release them.
  w.dcs.clear();
  w.pixels.clear();
  w.pixels.shrink_to_fit();
  w.bufferWidth = w.bufferHeight = 0;
  w.update = Region();
  w.erasePending = w.framePending = w.internalPaint = false;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) return ScreenDC();
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return nullptr;
  if (w->isDesktop) return ScreenDC();
  return MakeWindowDC(*w, true, std::nullopt);
}

HDC GetWindowDC(HWND hwnd) {
  if (!hwnd) return ScreenDC();
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return nullptr;
  if (w->isDesktop) return ScreenDC();
  return MakeWindowDC(*w, false, std::nullopt);
}

int ReleaseDC(HWND, HDC hdc) {
  if (hdc == ScreenDC()) return 1;
  auto& table = DcTable();
  auto it = table.find(hdc);
  if (it == table.end()) return 0;
  WindowObject* w = it->second.window;
  table.erase(it);
  auto& v = w->dcs;
  v.erase(std::remove(v.begin(), v.end(), hdc), v.end());
  if (CheckDC(hdc)) DeleteDC(hdc);
  return 1;
}

HWND WindowFromDC(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  return dc ? CheckWindow(dc->window) : nullptr;
}

// ---- invalidation -----------------------------------------------------------------------------------

BOOL RedrawWindow(HWND hwnd, const RECT* rc, HRGN rgn, UINT flags) {
  WindowObject* w = hwnd ? CheckWindow(hwnd) : nullptr;
  if (!hwnd || (w && w->isDesktop)) {
    const std::vector<WindowObject*> top = TopLevelWindows();
    for (WindowObject* t : top) RedrawWindow(t, rc, rgn, flags | RDW_ALLCHILDREN);
    return 1;
  }
  if (!w) return 0;
  Region area;
  if (rgn) {
    RegionObject* r = CheckRgn(rgn);
    if (!r) return 0;
    area = r->region;
  } else if (rc) {
    area = Region(*rc);
  } else {
    // Everything: the whole window in client coordinates.
    area = Region(0, 0, Width(w->rect), Height(w->rect)).Offsetted(-w->client.left, -w->client.top);
    if (!(flags & RDW_FRAME)) area = ClientArea(*w);
  }
  if (flags & RDW_INVALIDATE) InvalidateArea(*w, area, flags, false);
  else if (flags & RDW_VALIDATE) ValidateArea(*w, area, flags, IncludeChildren(*w, flags));
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  const bool children = !(flags & RDW_NOCHILDREN);
  if (flags & RDW_UPDATENOW) PaintNow(hwnd, children);
  else if (flags & RDW_ERASENOW) EraseNow(hwnd, children);
  return 1;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase) {
  return RedrawWindow(hwnd, rc, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0u));
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (rgn && !CheckRgn(rgn)) return 0;
  return RedrawWindow(hwnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0u));
}

BOOL ValidateRect(HWND hwnd, const RECT* rc) {
  if (!CheckWindow(hwnd)) return 0;
  return RedrawWindow(hwnd, rc, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) {
  if (!CheckWindow(hwnd) || (rgn && !CheckRgn(rgn))) return 0;
  return RedrawWindow(hwnd, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, RECT* rc, BOOL erase) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w) return 0;
  if (erase) EraseNow(hwnd, false);
  if (!(w = CheckWindow(hwnd))) return 0;
  if (rc) *rc = w->update.Bounds();
  return w->update.IsEmpty() ? 0 : 1;
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  WindowObject* w = CheckWindow(hwnd);
  RegionObject* r = CheckRgn(rgn);
  if (!w || !r) return ERROR;
  if (erase) EraseNow(hwnd, false);
  if (!(w = CheckWindow(hwnd))) return ERROR;
  r->region = w->update;
  return r->region.Kind();
}

BOOL UpdateWindow(HWND hwnd) {
  if (!CheckWindow(hwnd)) return 0;
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW);
}

void InvalidateWholeWindow(WindowObject& w) {
  if (w.dead || w.isDesktop) return;
  w.framePending = true;
  w.erasePending = true;
  w.update = ClientArea(w);
  for (WindowObject* c : w.children)
    if (c->style & WS_VISIBLE) InvalidateWholeWindow(*c);
}

void InvalidateParentArea(WindowObject& parent, const Region& area) {
  InvalidateArea(parent, area, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN, false);
}

// ---- the paint bracket ---------------------------------------------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !ps || w->isDesktop) return nullptr;
  if (w->framePending) {
    w->framePending = false;
    SendMessage(hwnd, WM_NCPAINT, 1, 0);
    if (!(w = CheckWindow(hwnd))) return nullptr;
  }
  const Region update = w->update & ClientArea(*w);
  const bool erase = w->erasePending;
  w->update = Region();
  w->erasePending = false;
  w->internalPaint = false;
  HDC dc = MakeWindowDC(*w, true, update);
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  ps->rcPaint = update.Bounds();
  if (erase) ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? 0 : 1;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return 0;
  ReleaseDC(hwnd, ps->hdc);
  return 1;
}

// ---- default painting ----------------------------------------------------------------------------

LRESULT DefaultEraseBackground(HWND hwnd, HDC hdc) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || !w->cls || !w->cls->background || !CheckDC(hdc)) return 0;
  RECT r{0, 0, Width(w->client), Height(w->client)};
  return FillRect(hdc, &r, w->cls->background) ? 1 : 0;
}

void DefaultPaintFrame(HWND hwnd) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop) return;
  const RECT t = FrameThickness(w->style, w->exStyle);
  if (t.left == 0 && t.top == 0 && t.right == 0 && t.bottom == 0) return;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  const int W = Width(w->rect), H = Height(w->rect);
  const int b = BorderThickness(w->style, w->exStyle);
  const bool active = IsActiveFrame(*w);
  if (b > 0) {
    const RECT whole{0, 0, W, H};
    FrameRect(dc, &whole, GetSysColorBrush(COLOR_WINDOWFRAME));
    for (int i = 1; i < b; ++i) {
      const RECT ring{i, i, W - i, H - i};
      FrameRect(dc, &ring, GetSysColorBrush(active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER));
    }
  }
  int y = b;
  if ((w->style & WS_CAPTION) == WS_CAPTION) {
    const int ch = GetSystemMetrics((w->exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    RECT cap{b, b, W - b, b + ch};
    FillColour(dc, cap, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    if (!w->text.empty()) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      RECT tr{cap.left + 2, cap.top, cap.right - 2, cap.bottom};
      DrawText(dc, w->text.c_str(), static_cast<int>(w->text.size()), &tr,
               DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
      if (old) SelectObject(dc, old);
    }
    PaintCloseBox(dc, *w);
    y += ch;
  }
  if (const int mh = MenuBarHeight(hwnd)) {
    PaintMenuBar(hwnd, dc, RECT{b, y, W - b, y + mh});
    y += mh;
  }
  // Edges around the client area (and its scroll bars).
  RECT inner{b, y, W - b, H - b};
  if (w->exStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  if (w->exStyle & WS_EX_STATICEDGE) DrawEdge(dc, &inner, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  PaintFrameScrollBars(hwnd, dc);
  ReleaseDC(hwnd, dc);
}

}  // namespace win
