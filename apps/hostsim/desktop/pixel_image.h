#pragma once
// An image a host window shows (the view's pixels, a rendered frame): 32-bit
// pixels 0x00RRGGBB, top row first, drawn at the client's top-left corner.
#include <cstdint>
#include <vector>

#include "platform/win/window.h"

namespace hostui {

struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  friend bool operator==(const PixelImage&, const PixelImage&) = default;
};

// Paints `image` into `dc` with its top-left corner at (x, y).
void DrawPixelImage(win::HDC dc, int x, int y, const PixelImage& image);

}  // namespace hostui
