#include "platform/win/compositor.h"

#include <algorithm>

#include "platform/win/paint.h"
#include "platform/win/png_writer.h"
#include "platform/win/system_tables.h"

namespace win {
namespace {

constexpr int kMaxImageSide = 8192;

int Width(const RECT& r) { return std::max<LONG>(0, r.right - r.left); }
int Height(const RECT& r) { return std::max<LONG>(0, r.bottom - r.top); }

DWORD Native(COLORREF c) { return (DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c); }

// Draws `w` with its top-left corner at `origin` (image coordinates), inside `clip`.
void Compose(WindowObject& w, WindowImage& img, POINT origin, const Region& clip) {
  Region area = Region(origin.x, origin.y, origin.x + Width(w.rect), origin.y + Height(w.rect)) & clip;
  if (w.windowRegion) area = area & w.windowRegion->Offsetted(origin.x, origin.y);
  if (area.IsEmpty()) return;
  const Surface s = WindowSurface(w, false);
  area.ForEachSpan([&](LONG y, LONG x0, LONG x1) {
    const int sy = y - origin.y;
    if (sy < 0 || sy >= s.height || s.Empty()) return;
    DWORD* dst = img.pixels.data() + static_cast<std::size_t>(y) * img.width;
    const LONG from = std::max<LONG>(x0, origin.x), to = std::min<LONG>(x1, origin.x + s.width);
    // Window buffers are 32-bit 0x00RRGGBB: whole runs copy straight (the screen is redrawn
    // many times a second).
    if (s.bitsPerPixel == 32 && s.redMask == 0x00FF0000 && s.greenMask == 0x0000FF00 && s.blueMask == 0x000000FF) {
      const DWORD* src = reinterpret_cast<const DWORD*>(s.Row(sy)) - origin.x;
      for (LONG x = from; x < to; ++x) dst[x] = src[x] & 0x00FFFFFF;
      return;
    }
    for (LONG x = from; x < to; ++x) dst[x] = s.Get(x - origin.x, sy) & 0x00FFFFFF;
  });
  const POINT co{origin.x + w.client.left, origin.y + w.client.top};
  const Region childClip = area & Region(co.x, co.y, co.x + Width(w.client), co.y + Height(w.client));
  if (childClip.IsEmpty()) return;
  // Bottom of the z-order first, so that upper children cover lower ones.
  const std::vector<WindowObject*> kids(w.children.rbegin(), w.children.rend());
  for (WindowObject* c : kids)
    if (c->style & WS_VISIBLE) Compose(*c, img, POINT{co.x + c->rect.left, co.y + c->rect.top}, childClip);
}

}  // namespace

COLORREF WindowImage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const DWORD v = pixels[static_cast<std::size_t>(y) * width + x];
  return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v));
}

Surface WindowImage::AsSurface() {
  Surface s;
  if (pixels.empty()) return s;
  s.bits = reinterpret_cast<BYTE*>(pixels.data());
  s.width = width;
  s.height = height;
  s.pitch = static_cast<std::ptrdiff_t>(width) * 4;
  s.bitsPerPixel = 32;
  return s;
}

bool CaptureWindow(HWND hwnd, WindowImage* out) {
  WindowObject* w = CheckWindow(hwnd);
  if (!w || w->isDesktop || !out) return false;
  WindowImage img;
  img.width = std::min(Width(w->rect), kMaxImageSide);
  img.height = std::min(Height(w->rect), kMaxImageSide);
  img.pixels.assign(static_cast<std::size_t>(img.width) * img.height, Native(GetSysColor(COLOR_DESKTOP)));
  Compose(*w, img, POINT{0, 0}, Region(0, 0, img.width, img.height));
  *out = std::move(img);
  return true;
}

void CaptureDesktop(WindowImage* out) {
  WindowImage img;
  img.width = std::clamp(GetSystemMetrics(SM_CXSCREEN), 0, kMaxImageSide);
  img.height = std::clamp(GetSystemMetrics(SM_CYSCREEN), 0, kMaxImageSide);
  img.pixels.assign(static_cast<std::size_t>(img.width) * img.height, Native(GetSysColor(COLOR_DESKTOP)));
  const Region screen(0, 0, img.width, img.height);
  const std::vector<WindowObject*> windows = TopLevelWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (((*it)->style & WS_VISIBLE) && !((*it)->style & WS_MINIMIZE) && !(*it)->dead) Compose(**it, img, POINT{(*it)->rect.left, (*it)->rect.top}, screen);
  *out = std::move(img);
}

bool WriteDesktopToPng(const std::string& path, std::string* error) {
  WindowImage img;
  CaptureDesktop(&img);
  return WriteSurfaceToPng(img.AsSurface(), path, error);
}

bool WriteWindowToPng(HWND hwnd, const std::string& path, std::string* error) {
  WindowImage img;
  if (!CaptureWindow(hwnd, &img)) {
    if (error) *error = "not a window";
    return false;
  }
  return WriteSurfaceToPng(img.AsSurface(), path, error);
}

}  // namespace win
