// The integer blend set: two channels per 32-bit lane, any processor.
#include "bitmaps/blend.h"
#include "bitmaps/blend_mix.h"

namespace blend_detail {
namespace {

inline void BlendInto(TColor32 f, TColor32& b) {
  const TColor32 a = f >> 24;
  if (a == 0) return;
  if (a == 0xFF) {
    b = f;
    return;
  }
  b = IntMix(f, b, a);
}

inline void BlendMasterInto(TColor32 f, TColor32& b, TColor32 m) {
  const TColor32 a = f >> 24;
  if (a == 0) return;
  const TColor32 w = (a * m) >> 8;
  if (w == 0) return;
  b = IntMix(f, b, w);
}

}  // namespace

TColor32 IntCombineColors(TColor32 X, TColor32 Y, TColor32 W) { return IntCombine(X, Y, W); }

void IntCombineColorsInto(TColor32 X, TColor32& Y, TColor32 W) {
  if (W == 0) return;
  if (W == 0xFF) {
    Y = X;
    return;
  }
  Y = IntMix(X, Y, W);
}

TColor32 IntBlendColors(TColor32 F, TColor32 B) {
  const TColor32 a = F >> 24;
  if (a == 0xFF) return F;
  if (a == 0) return B;
  return IntMix(F, B, a);
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
