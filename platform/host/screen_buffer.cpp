#include "platform/host/screen_buffer.h"

#include "platform/host/host_error.h"

namespace host {

namespace {
std::uintptr_t NextBufferId() {
  static std::uintptr_t next = 0x7B0000;
  next += 16;
  return next;
}
}  // namespace

ScreenBuffer::ScreenBuffer(int width, int height, PixelRegion region)
    : width_(width), height_(height), region_(region), id_(NextBufferId()) {
  if (width < 1 || height < 1 || region.x0 < 0 || region.y0 < 0 || region.x1 >= width ||
      region.y1 >= height || region.x0 > region.x1 || region.y0 > region.y1)
    throw HostError("Render region lies outside the image");
  pixels_.assign(static_cast<size_t>(width) * height, RenderPixel{0, 0, 0, 0, kBackgroundDepth});
}

bool ScreenBuffer::GetScanLine(int line, int format, float* out) const {
  if (!out || line < 0 || line >= region_.Height()) return false;
  const int y = region_.y0 + line;
  for (int i = 0, x = region_.x0; x <= region_.x1; ++x, ++i) {
    const RenderPixel& p = At(x, y);
    switch (format) {
      case e_tssSCANLINE_RGBA:
        out[i * 4 + 0] = p.r, out[i * 4 + 1] = p.g, out[i * 4 + 2] = p.b, out[i * 4 + 3] = p.a;
        break;
      case e_tssSCANLINE_RGBZ:
        out[i * 4 + 0] = p.r, out[i * 4 + 1] = p.g, out[i * 4 + 2] = p.b, out[i * 4 + 3] = p.depth;
        break;
      case e_tssSCANLINE_RGBAZ:
        out[i * 5 + 0] = p.r, out[i * 5 + 1] = p.g, out[i * 5 + 2] = p.b, out[i * 5 + 3] = p.a;
        out[i * 5 + 4] = p.depth;
        break;
      default: return false;
    }
  }
  return true;
}

bool ScreenBuffer::SetScanLine(int line, int format, const float* in) {
  if (!in || line < 0 || line >= region_.Height()) return false;
  if (format != e_tssSCANLINE_RGBA && format != e_tssSCANLINE_RGBZ && format != e_tssSCANLINE_RGBAZ)
    return false;
  const int y = region_.y0 + line;
  for (int i = 0, x = region_.x0; x <= region_.x1; ++x, ++i) {
    RenderPixel& p = At(x, y);
    // Each format writes only the channels it carries.
    if (format == e_tssSCANLINE_RGBAZ) {
      p = RenderPixel{in[i * 5], in[i * 5 + 1], in[i * 5 + 2], in[i * 5 + 3], in[i * 5 + 4]};
    } else {
      p.r = in[i * 4], p.g = in[i * 4 + 1], p.b = in[i * 4 + 2];
      (format == e_tssSCANLINE_RGBA ? p.a : p.depth) = in[i * 4 + 3];
    }
  }
  return true;
}

}  // namespace host
