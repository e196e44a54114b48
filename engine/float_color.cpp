#include "engine/float_color.h"

#include <cmath>

namespace {

Single Clamp01(Single v) {
  if (!(v > 0)) return 0;  // also NaN
  return v > 1 ? 1 : v;
}

// 0..1 to a byte; the product is exact in double, halves go to even.
Cardinal ToByte(Single v) { return static_cast<Cardinal>(std::nearbyint(static_cast<double>(Clamp01(v)) * 255.0)) & 0xFF; }

}  // namespace

void LerpRGB(const TColorRGBA& a, const TColorRGBA& b, TColorRGBA& out, Single t) {
  out.R = a.R + (b.R - a.R) * t;
  out.G = a.G + (b.G - a.G) * t;
  out.B = a.B + (b.B - a.B) * t;
}

void SetRGBA(TColorRGBA& out, Single r, Single g, Single b, Single a) {
  out.R = r;
  out.G = g;
  out.B = b;
  out.A = a;
}

void ClampRGB(TColorRGBA& c) {
  c.R = Clamp01(c.R);
  c.G = Clamp01(c.G);
  c.B = Clamp01(c.B);
}

void ColorToRGB(TColor colour, TColorRGBA& out) {
  const Cardinal v = static_cast<Cardinal>(colour);
  out.R = static_cast<Single>(v & 0xFF) / 255.0f;
  out.G = static_cast<Single>((v >> 8) & 0xFF) / 255.0f;
  out.B = static_cast<Single>((v >> 16) & 0xFF) / 255.0f;
}

TColor RGBToColor(const TColorRGBA& c) {
  return static_cast<TColor>(ToByte(c.R) | (ToByte(c.G) << 8) | (ToByte(c.B) << 16));
}

void MulRGB(TColorRGBA& a, const TColorRGBA& b) {
  a.R *= b.R;
  a.G *= b.G;
  a.B *= b.B;
}

void ScaleRGB(TColorRGBA& c, Single s) {
  c.R *= s;
  c.G *= s;
  c.B *= s;
}
