// The integer blend set: two channels per 32-bit lane, any processor.
#include "bitmaps/blend.h"

namespace blend_detail {
namespace {

// Every channel c to floor((c·W + 128) / 256). Blue and red share the low lane, green
// and alpha the high one; with c, W <= 255 a lane never carries into the next.
inline TColor32 Scale(TColor32 x, TColor32 w) {
  const TColor32 lo = ((((x & 0x00FF00FFu) * w) + 0x00800080u) & 0xFF00FF00u) >> 8;
  const TColor32 hi = ((((x >> 8) & 0x00FF00FFu) * w) + 0x00800080u) & 0xFF00FF00u;
  return lo | hi;
}

// The two scaled colours add without carries: their channels sum to at most 255.
inline TColor32 Mix(TColor32 x, TColor32 y, TColor32 w) { return Scale(x, w) + Scale(y, w ^ 0xFFu); }

inline void BlendInto(TColor32 f, TColor32& b) {
  const TColor32 a = f >> 24;
  if (a == 0) return;
  if (a == 0xFF) {
    b = f;
    return;
  }
  b = Mix(f, b, a);
}

inline void BlendMasterInto(TColor32 f, TColor32& b, TColor32 m) {
  const TColor32 a = f >> 24;
  if (a == 0) return;
  const TColor32 w = (a * m) >> 8;
  if (w == 0) return;
  b = Mix(f, b, w);
}

}  // namespace

TColor32 IntCombineColors(TColor32 X, TColor32 Y, TColor32 W) {
  if (W == 0) return Y;
  if (W == 0xFF) return X;
  return Mix(X, Y, W);
}

void IntCombineColorsInto(TColor32 X, TColor32& Y, TColor32 W) {
  if (W == 0) return;
  if (W == 0xFF) {
    Y = X;
    return;
  }
  Y = Mix(X, Y, W);
}

TColor32 IntBlendColors(TColor32 F, TColor32 B) {
  const TColor32 a = F >> 24;
  if (a == 0xFF) return F;
  if (a == 0) return B;
  return Mix(F, B, a);
}

void IntBlendColorsInto(TColor32 F, TColor32& B) { BlendInto(F, B); }

TColor32 IntBlendColorsMaster(TColor32 F, TColor32 B, TColor32 M) {
  BlendMasterInto(F, B, M);
  return B;
}

void IntBlendColorsMasterInto(TColor32 F, TColor32& B, TColor32 M) { BlendMasterInto(F, B, M); }

void IntBlendRow(const TColor32* Src, TColor32* Dst, Integer Count) {
  for (Integer i = 0; i < Count; ++i) BlendInto(Src[i], Dst[i]);
}

void IntBlendRowMaster(const TColor32* Src, TColor32* Dst, Integer Count, TColor32 M) {
  for (Integer i = 0; i < Count; ++i) BlendMasterInto(Src[i], Dst[i], M);
}

}  // namespace blend_detail
