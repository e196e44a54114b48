// The "MMX" blend set, the routine variables and the start-up choice between the sets.
//
// The MMX arithmetic works on four 16-bit lanes per pixel: ((X − Y)·W + Y·256 + 128)
// >> 8, modulo 65,536, packed back with unsigned saturation. The true value always lies
// in 0..65,535, so this is floor((X·W + Y·(256 − W) + 128) / 256) per channel. SSE2
// does the same lane arithmetic on two or four pixels at once; other processors get
// the scalar formula.
#include <cstdint>
#include <cstdlib>

#include "bitmaps/blend.h"
#include "bitmaps/blend_mix.h"
#include "platform/classlib/exceptions.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ---- the routine variables: the integer set until start-up has chosen -----------------

TCombineColors CombineColors = &blend_detail::IntCombineColors;
TCombineColorsInto CombineColorsInto = &blend_detail::IntCombineColorsInto;
TBlendColors BlendColors = &blend_detail::IntBlendColors;
TBlendColorsInto BlendColorsInto = &blend_detail::IntBlendColorsInto;
TBlendColorsMaster BlendColorsMaster = &blend_detail::IntBlendColorsMaster;
TBlendColorsMasterInto BlendColorsMasterInto = &blend_detail::IntBlendColorsMasterInto;
TBlendRow BlendRow = &blend_detail::IntBlendRow;
TBlendRowMaster BlendRowMaster = &blend_detail::IntBlendRowMaster;

bool MmxActive = false;
const std::uint64_t* AlphaWeights = nullptr;
const std::uint64_t* AlphaBias = nullptr;

namespace {

// The weight table's block: 256 entries of 8 bytes from the first 8-byte boundary.
constexpr std::size_t kWeightBlockSize = 2056;
Byte* weightBlock = nullptr;

void BuildWeightTable() {
  if (weightBlock) return;
  weightBlock = static_cast<Byte*>(std::malloc(kWeightBlockSize));
  if (!weightBlock) throw EOutOfMemory("Out of memory");
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(weightBlock) + 7) & ~std::uintptr_t{7};
  auto* table = reinterpret_cast<std::uint64_t*>(start);
  for (std::uint64_t i = 0; i < 256; ++i) table[i] = i | (i << 16) | (i << 32) | (i << 48);
  AlphaWeights = table;
  AlphaBias = table + 128;
}

void FreeWeightTable() {
  AlphaWeights = nullptr;
  AlphaBias = nullptr;
  std::free(weightBlock);
  weightBlock = nullptr;
}

#if defined(__SSE2__)

using blend_detail::MmxMixLanes;

inline __m128i Weight(TColor32 w) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(AlphaWeights + blend_detail::MmxWeight(w)));
}
inline __m128i Bias() { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(AlphaBias)); }

// Each pixel's alpha lane copied into its four lanes.
inline __m128i SpreadAlpha(__m128i lanes) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, 0xFF), 0xFF);
}

#endif

using blend_detail::MmxMix;

inline void BlendInto(TColor32 f, TColor32& b) {
  const TColor32 a = f >> 24;
  if (a == 0) return;
  if (a == 0xFF) {
    b = f;
    return;
  }
  b = MmxMix(f, b, a);
}

inline void BlendMasterInto(TColor32 f, TColor32& b, TColor32 m) {
  const TColor32 a = f >> 24;
  if (a == 0) return;
  const TColor32 w = (a * m) >> 8;
  if (w == 0) return;
  b = MmxMix(f, b, w);
}

TColor32 MmxCombineColors(TColor32 X, TColor32 Y, TColor32 W) { return MmxMix(X, Y, W); }

void MmxCombineColorsInto(TColor32 X, TColor32& Y, TColor32 W) {
  if (W == 0) return;
  if (W == 0xFF) {
    Y = X;
    return;
  }
  Y = MmxMix(X, Y, W);
}

TColor32 MmxBlendColors(TColor32 F, TColor32 B) { return MmxMix(F, B, F >> 24); }

void MmxBlendColorsInto(TColor32 F, TColor32& B) { BlendInto(F, B); }

TColor32 MmxBlendColorsMaster(TColor32 F, TColor32 B, TColor32 M) {
  BlendMasterInto(F, B, M);
  return B;
}

void MmxBlendColorsMasterInto(TColor32 F, TColor32& B, TColor32 M) { BlendMasterInto(F, B, M); }

// Rows that overlap without coinciding must go pixel by pixel, in order.
inline bool PartlyOverlap(const TColor32* src, const TColor32* dst, Integer count) {
  return src != dst && src < dst + count && dst < src + count;
}

void MmxBlendRow(const TColor32* Src, TColor32* Dst, Integer Count) {
  Integer i = 0;
#if defined(__SSE2__)
  if (!PartlyOverlap(Src, Dst, Count)) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_unpacklo_epi64(Bias(), Bias());
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= Count; i += 4) {
      const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i));
      const __m128i fa = _mm_and_si128(f, alphaMask);
      const __m128i opaque = _mm_cmpeq_epi32(fa, alphaMask);
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(fa, zero)) == 0xFFFF) continue;  // all clear
      __m128i* d = reinterpret_cast<__m128i*>(Dst + i);
      if (_mm_movemask_epi8(opaque) == 0xFFFF) {
        _mm_storeu_si128(d, f);
        continue;
      }
      const __m128i b = _mm_loadu_si128(d);
      const __m128i flo = _mm_unpacklo_epi8(f, zero), fhi = _mm_unpackhi_epi8(f, zero);
      const __m128i lo = MmxMixLanes(flo, _mm_unpacklo_epi8(b, zero), SpreadAlpha(flo), bias);
      const __m128i hi = MmxMixLanes(fhi, _mm_unpackhi_epi8(b, zero), SpreadAlpha(fhi), bias);
      // Alpha 0 mixes to B exactly; alpha 255 must give F itself.
      const __m128i mixed = _mm_packus_epi16(lo, hi);
      _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(opaque, f), _mm_andnot_si128(opaque, mixed)));
    }
  }
#endif
  for (; i < Count; ++i) BlendInto(Src[i], Dst[i]);
}

void MmxBlendRowMaster(const TColor32* Src, TColor32* Dst, Integer Count, TColor32 M) {
  Integer i = 0;
#if defined(__SSE2__)
  if (!PartlyOverlap(Src, Dst, Count) && M <= 0xFF) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_unpacklo_epi64(Bias(), Bias());
    const __m128i master = _mm_unpacklo_epi64(Weight(M), Weight(M));
    for (; i + 4 <= Count; i += 4) {
      const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i));
      __m128i* d = reinterpret_cast<__m128i*>(Dst + i);
      const __m128i b = _mm_loadu_si128(d);
      const __m128i flo = _mm_unpacklo_epi8(f, zero), fhi = _mm_unpackhi_epi8(f, zero);
      // Weight (alpha · M) >> 8 never reaches 255, and weight 0 mixes to B exactly,
      // so no pixel needs a shortcut.
      const __m128i wlo = _mm_srli_epi16(_mm_mullo_epi16(SpreadAlpha(flo), master), 8);
      const __m128i whi = _mm_srli_epi16(_mm_mullo_epi16(SpreadAlpha(fhi), master), 8);
      const __m128i lo = MmxMixLanes(flo, _mm_unpacklo_epi8(b, zero), wlo, bias);
      const __m128i hi = MmxMixLanes(fhi, _mm_unpackhi_epi8(b, zero), whi, bias);
      _mm_storeu_si128(d, _mm_packus_epi16(lo, hi));
    }
  }
#endif
  for (; i < Count; ++i) BlendMasterInto(Src[i], Dst[i], M);
}

struct Startup {
  Startup() { SelectBlendRoutines(ProcessorHasMmx()); }
  ~Startup() { FreeWeightTable(); }
};
const Startup startup;

}  // namespace

bool ProcessorHasMmx() {
#if defined(__i386__) || defined(__x86_64__)
  // On 32-bit processors this first checks that bit 21 of the flags can be toggled.
  if (__get_cpuid_max(0, nullptr) < 1) return false;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const unsigned family = (eax >> 8) & 0xF;
  return family >= 5 && (edx & (1u << 23)) != 0;
#else
  return false;
#endif
}

void SelectBlendRoutines(bool useMmx) {
  if (useMmx) {
    BuildWeightTable();
    CombineColors = &MmxCombineColors;
    CombineColorsInto = &MmxCombineColorsInto;
    BlendColors = &MmxBlendColors;
    BlendColorsInto = &MmxBlendColorsInto;
    BlendColorsMaster = &MmxBlendColorsMaster;
    BlendColorsMasterInto = &MmxBlendColorsMasterInto;
    BlendRow = &MmxBlendRow;
    BlendRowMaster = &MmxBlendRowMaster;
  } else {
    CombineColors = &blend_detail::IntCombineColors;
    CombineColorsInto = &blend_detail::IntCombineColorsInto;
    BlendColors = &blend_detail::IntBlendColors;
    BlendColorsInto = &blend_detail::IntBlendColorsInto;
    BlendColorsMaster = &blend_detail::IntBlendColorsMaster;
    BlendColorsMasterInto = &blend_detail::IntBlendColorsMasterInto;
    BlendRow = &blend_detail::IntBlendRow;
    BlendRowMaster = &blend_detail::IntBlendRowMaster;
    FreeWeightTable();
  }
  MmxActive = useMmx;
}
