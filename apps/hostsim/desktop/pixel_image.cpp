#include "apps/hostsim/desktop/pixel_image.h"

#include "platform/win/gdi.h"

namespace hostui {

void DrawPixelImage(win::HDC dc, int x, int y, const PixelImage& image) {
  if (image.width < 1 || image.height < 1) return;
  win::BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = image.width;
  bmi.bmiHeader.biHeight = -image.height;  // top row first
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  win::SetDIBitsToDevice(dc, x, y, image.width, image.height, 0, 0, 0, image.height, image.pixels.data(), &bmi,
                         win::DIB_RGB_COLORS);
}

}  // namespace hostui
