#pragma once
// The mix of two colours of each blend set, inline, for loops that sample and mix per
// pixel without calling through the routine variables. The routines of blend.h are
// built on these, so both give the same bytes.
#include "bitmaps/color32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace blend_detail {

// Integer set: every channel c to floor((c·W + 128) / 256). Blue and red share the low
// lane, green and alpha the high one; with c, W <= 255 a lane never carries into the next.
inline TColor32 IntScale(TColor32 x, TColor32 w) {
  const TColor32 lo = ((((x & 0x00FF00FFu) * w) + 0x00800080u) & 0xFF00FF00u) >> 8;
  const TColor32 hi = ((((x >> 8) & 0x00FF00FFu) * w) + 0x00800080u) & 0xFF00FF00u;
  return lo | hi;
}

// The two scaled colours add without carries: their channels sum to at most 255.
inline TColor32 IntMix(TColor32 x, TColor32 y, TColor32 w) { return IntScale(x, w) + IntScale(y, w ^ 0xFFu); }

// CombineColors of the integer set.
inline TColor32 IntCombine(TColor32 x, TColor32 y, TColor32 w) {
  if (w == 0) return y;
  if (w == 0xFF) return x;
  return IntMix(x, y, w);
}

// A weight outside 0..255 is a caller's error; the "MMX" set takes it as 255.
inline TColor32 MmxWeight(TColor32 w) { return w > 0xFF ? 0xFF : w; }

#if defined(__SSE2__)

// "MMX" set, on unpacked 16-bit lanes: ((x − y)·w + (y << 8) + 128) >> 8, modulo 65,536;
// the true value always lies in 0..65,535, so each lane ends in 0..255.
inline __m128i MmxMixLanes(__m128i x16, __m128i y16, __m128i w16, __m128i bias) {
  __m128i r = _mm_mullo_epi16(_mm_sub_epi16(x16, y16), w16);
  r = _mm_add_epi16(r, _mm_slli_epi16(y16, 8));
  r = _mm_add_epi16(r, bias);
  return _mm_srli_epi16(r, 8);
}

inline TColor32 MmxMix(TColor32 x, TColor32 y, TColor32 w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i x16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(x)), zero);
  const __m128i y16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(y)), zero);
  const __m128i lanes = MmxMixLanes(x16, y16, _mm_set1_epi16(static_cast<short>(MmxWeight(w))), _mm_set1_epi16(128));
  return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
}

#else

inline TColor32 MmxMix(TColor32 x, TColor32 y, TColor32 w) {
  w = MmxWeight(w);
  TColor32 out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const TColor32 cx = (x >> shift) & 0xFF, cy = (y >> shift) & 0xFF;
    const TColor32 lane = ((cx - cy) * w + (cy << 8) + 128) & 0xFFFF;
    out |= ((lane >> 8) & 0xFF) << shift;
  }
  return out;
}

#endif

}  // namespace blend_detail
