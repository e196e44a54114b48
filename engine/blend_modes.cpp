#include "engine/blend_modes.h"

#include "engine/random_table.h"

namespace {

// The channel bytes of a texel (ARGB, blue in the low byte).
inline Single TexelA(TColor32 t) { return static_cast<Single>(t >> 24); }
inline Single TexelR(TColor32 t) { return static_cast<Single>((t >> 16) & 0xFF); }
inline Single TexelG(TColor32 t) { return static_cast<Single>((t >> 8) & 0xFF); }
inline Single TexelB(TColor32 t) { return static_cast<Single>(t & 0xFF); }

// One pixel of each mode; a is the blend weight, never 0 here.
template <Integer Mode>
inline void BlendPixel(TColor32 t, Single a, Single* p, const TBlendState& s) {
  if constexpr (Mode == rmIlluminate) {
    p[0] += a * s.Red * TexelR(t);
    p[1] += a * s.Green * TexelG(t);
    p[2] += a * s.Blue * TexelB(t);
  } else if constexpr (Mode == rmPaint) {
    p[0] = a * s.Red * TexelR(t);
    p[1] = a * s.Green * TexelG(t);
    p[2] = a * s.Blue * TexelB(t);
    p[3] = s.Depth;
  } else if constexpr (Mode == rmColorAlpha) {
    const Single keep = 1 - a;
    p[0] = keep * p[0] + a * s.Red * TexelR(t);
    p[1] = keep * p[1] + a * s.Green * TexelG(t);
    p[2] = keep * p[2] + a * s.Blue * TexelB(t);
  } else {
    // Pure Alpha: the texel gives only its alpha.
    const Single keep = 1 - a;
    p[0] = keep * p[0] + a * s.Red;
    p[1] = keep * p[1] + a * s.Green;
    p[2] = keep * p[2] + a * s.Blue;
  }
}

template <Integer Mode>
void BlendRow(const TColor32* texels, Single* pixels, Integer count, const TBlendState& s) {
  for (Integer i = 0; i < count; ++i, pixels += 4) {
    if (!(s.Depth < pixels[3])) continue;
    const TColor32 t = texels[i];
    const Single a = TexelA(t) * s.Alpha;
    if (a == 0) continue;
    BlendPixel<Mode>(t, a, pixels, s);
  }
}

template <Integer Mode>
void BlendRowJittered(const TColor32* texels, Single* pixels, Integer count, const TBlendState& s) {
  for (Integer i = 0; i < count; ++i, pixels += 4) {
    // Drawn for every pixel, so the table advances the same whatever the scene holds.
    const Single u = NextTableRandom();
    if (!(u * s.DepthJitter + s.Depth < pixels[3])) continue;
    const TColor32 t = texels[i];
    const Single a = TexelA(t) * s.Alpha;
    if (a == 0) continue;
    BlendPixel<Mode>(t, a, pixels, s);
  }
}

}  // namespace

TBlendRowProc BlendRowFor(Integer Mode, bool Jittered) {
  switch (Mode) {
    case rmIlluminate:
      return Jittered ? &BlendRowJittered<rmIlluminate> : &BlendRow<rmIlluminate>;
    case rmPaint:
      return Jittered ? &BlendRowJittered<rmPaint> : &BlendRow<rmPaint>;
    case rmColorAlpha:
      return Jittered ? &BlendRowJittered<rmColorAlpha> : &BlendRow<rmColorAlpha>;
    default:
      return Jittered ? &BlendRowJittered<rmPureAlpha> : &BlendRow<rmPureAlpha>;
  }
}
