#pragma once
// The render's float image: R, G, B, A and depth per pixel. Scanlines are addressed
// relative to the render region: line 0 is the region's first row, pixel 0 its left.
#include <cstdint>
#include <vector>

#include "platform/host/tsxapi.h"

namespace host {

inline constexpr float kBackgroundDepth = 1e30f;

struct RenderPixel {
  float r, g, b, a, depth;
};

struct PixelRegion {
  int x0, y0, x1, y1;  // inclusive
  int Width() const { return x1 - x0 + 1; }
  int Height() const { return y1 - y0 + 1; }
};

class ScreenBuffer {
 public:
  // The region must lie inside the image.
  ScreenBuffer(int width, int height, PixelRegion region);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const PixelRegion& Region() const { return region_; }
  std::uintptr_t Id() const { return id_; }

  RenderPixel& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const RenderPixel& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // False for a line outside the region or an unknown format; nothing is copied then.
  bool GetScanLine(int line, int format, float* out) const;
  bool SetScanLine(int line, int format, const float* in);

 private:
  int width_, height_;
  PixelRegion region_;
  std::uintptr_t id_;
  std::vector<RenderPixel> pixels_;
};

}  // namespace host
