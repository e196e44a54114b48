#include "engine/blend_modes.h"

#include "engine/random_table.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)

// Four pixels at a time: the same single-precision operations in the same order as
// BlendPixel, one lane per pixel, so every pixel gets the same bits.
struct TFourPixels {
  __m128 R, G, B, Z;
  void Load(const Single* p) {
    R = _mm_loadu_ps(p);
    G = _mm_loadu_ps(p + 4);
    B = _mm_loadu_ps(p + 8);
    Z = _mm_loadu_ps(p + 12);
    _MM_TRANSPOSE4_PS(R, G, B, Z);
  }
  void Store(Single* p) {
    _MM_TRANSPOSE4_PS(R, G, B, Z);
    _mm_storeu_ps(p, R);
    _mm_storeu_ps(p + 4, G);
    _mm_storeu_ps(p + 8, B);
    _mm_storeu_ps(p + 12, Z);
  }
};

inline __m128 Select(__m128 mask, __m128 yes, __m128 no) {
  return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}

inline __m128 Channel(__m128i texels, int shift) {
  return _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(texels, shift), _mm_set1_epi32(0xFF)));
}

template <Integer Mode>
inline void BlendFour(__m128i t, __m128 a, __m128 mask, TFourPixels& p, const TBlendState& s) {
  const __m128 red = _mm_set1_ps(s.Red), green = _mm_set1_ps(s.Green), blue = _mm_set1_ps(s.Blue);
  __m128 r, g, b;
  if constexpr (Mode == rmPureAlpha) {
    const __m128 keep = _mm_sub_ps(_mm_set1_ps(1.0f), a);
    r = _mm_add_ps(_mm_mul_ps(keep, p.R), _mm_mul_ps(a, red));
    g = _mm_add_ps(_mm_mul_ps(keep, p.G), _mm_mul_ps(a, green));
    b = _mm_add_ps(_mm_mul_ps(keep, p.B), _mm_mul_ps(a, blue));
  } else {
    const __m128 tr = _mm_mul_ps(_mm_mul_ps(a, red), Channel(t, 16));
    const __m128 tg = _mm_mul_ps(_mm_mul_ps(a, green), Channel(t, 8));
    const __m128 tb = _mm_mul_ps(_mm_mul_ps(a, blue), Channel(t, 0));
    if constexpr (Mode == rmIlluminate) {
      r = _mm_add_ps(p.R, tr);
      g = _mm_add_ps(p.G, tg);
      b = _mm_add_ps(p.B, tb);
    } else if constexpr (Mode == rmPaint) {
      r = tr;
      g = tg;
      b = tb;
      p.Z = Select(mask, _mm_set1_ps(s.Depth), p.Z);
    } else {
      const __m128 keep = _mm_sub_ps(_mm_set1_ps(1.0f), a);
      r = _mm_add_ps(_mm_mul_ps(keep, p.R), tr);
      g = _mm_add_ps(_mm_mul_ps(keep, p.G), tg);
      b = _mm_add_ps(_mm_mul_ps(keep, p.B), tb);
    }
  }
  p.R = Select(mask, r, p.R);
  p.G = Select(mask, g, p.G);
  p.B = Select(mask, b, p.B);
}

#endif

// The jittered routines draw one value of the random table per pixel, touched or not,
// so the table advances the same whatever the scene holds.
template <Integer Mode, bool Jittered>
void BlendRow(const TColor32* texels, Single* pixels, Integer count, const TBlendState& s) {
  const Single* table = nullptr;
  Integer at = 0;
  if constexpr (Jittered) {
    table = RandomTableEntries();
    at = RandomTablePosition();
    if (count > 0) AdvanceRandomTable(count);
  }
  Integer i = 0;
#if defined(__SSE2__)
  const __m128 depth = _mm_set1_ps(s.Depth), jitter = _mm_set1_ps(s.DepthJitter), alpha = _mm_set1_ps(s.Alpha);
  constexpr Integer kWrap = kRandomTableSize - 1;
  for (; i + 4 <= count; i += 4, pixels += 16) {
    __m128 reference = depth;
    if constexpr (Jittered) {
      const __m128 u = _mm_setr_ps(table[at], table[(at + 1) & kWrap], table[(at + 2) & kWrap], table[(at + 3) & kWrap]);
      at = (at + 4) & kWrap;
      reference = _mm_add_ps(_mm_mul_ps(u, jitter), depth);
    }
    // Transparent texels first: the corners of a turned sprite leave the rows unread.
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i));
    const __m128 a = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(t, 24)), alpha);
    const __m128 visible = _mm_cmpneq_ps(a, _mm_setzero_ps());
    if (_mm_movemask_ps(visible) == 0) continue;
    TFourPixels p;
    p.Load(pixels);
    const __m128 mask = _mm_and_ps(_mm_cmplt_ps(reference, p.Z), visible);
    if (_mm_movemask_ps(mask) == 0) continue;
    BlendFour<Mode>(t, a, mask, p, s);
    p.Store(pixels);
  }
#endif
  for (; i < count; ++i, pixels += 4) {
    Single reference = s.Depth;
    if constexpr (Jittered) {
      reference = table[at] * s.DepthJitter + s.Depth;
      if (++at == kRandomTableSize) at = 0;
    }
    if (!(reference < pixels[3])) continue;
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
      return Jittered ? &BlendRow<rmIlluminate, true> : &BlendRow<rmIlluminate, false>;
    case rmPaint:
      return Jittered ? &BlendRow<rmPaint, true> : &BlendRow<rmPaint, false>;
    case rmColorAlpha:
      return Jittered ? &BlendRow<rmColorAlpha, true> : &BlendRow<rmColorAlpha, false>;
    default:
      return Jittered ? &BlendRow<rmPureAlpha, true> : &BlendRow<rmPureAlpha, false>;
  }
}
