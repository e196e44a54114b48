#pragma once
// The combine and blend routines every transfer calls, reached through eight
// process-wide routine variables filled once at start-up from one of two sets:
//
//   integer set: each channel c of X is scaled to floor((c·W + 128) / 256), Y by
//                255 − W the same way, and the two are added; W = 0 and W = 255 (and
//                alpha 0 and 255 in the blends) are exact shortcuts.
//   "MMX" set:   each channel is floor((X·W + Y·(256 − W) + 128) / 256), rounded once.
//
// Alpha takes part in every mix. The two sets round differently, so a program uses
// one set for its whole run; the start-up test picks the MMX set when the processor
// has MMX. The MMX set is written with SSE2 (scalar code elsewhere): it leaves no MMX
// state behind, so EndMmx has nothing to do.
#include <cstdint>

#include "bitmaps/color32.h"

// W, M: weights 0..255; F: foreground, its alpha byte the blend weight; B: background.
using TCombineColors = TColor32 (*)(TColor32 X, TColor32 Y, TColor32 W);
using TCombineColorsInto = void (*)(TColor32 X, TColor32& Y, TColor32 W);
using TBlendColors = TColor32 (*)(TColor32 F, TColor32 B);
using TBlendColorsInto = void (*)(TColor32 F, TColor32& B);
using TBlendColorsMaster = TColor32 (*)(TColor32 F, TColor32 B, TColor32 M);
using TBlendColorsMasterInto = void (*)(TColor32 F, TColor32& B, TColor32 M);
using TBlendRow = void (*)(const TColor32* Src, TColor32* Dst, Integer Count);
using TBlendRowMaster = void (*)(const TColor32* Src, TColor32* Dst, Integer Count, TColor32 M);

// Mix of X and Y, W the weight of X.
extern TCombineColors CombineColors;
// Y unchanged at W = 0, Y := X at W = 255, else the mix.
extern TCombineColorsInto CombineColorsInto;
// Mix of F and B with F's alpha as weight.
extern TBlendColors BlendColors;
// B unchanged at alpha 0, B := F at alpha 255, else the mix.
extern TBlendColorsInto BlendColorsInto;
// Weight (alpha · M) >> 8, so at most 254; B where the weight is 0.
extern TBlendColorsMaster BlendColorsMaster;
extern TBlendColorsMasterInto BlendColorsMasterInto;
// BlendColorsInto / BlendColorsMasterInto over Count pixel pairs; nothing for Count <= 0.
extern TBlendRow BlendRow;
extern TBlendRowMaster BlendRowMaster;

// True when the MMX set fills the routine variables.
extern bool MmxActive;

// Weight table of the MMX set: entry i holds i in each of four 16-bit lanes, 8-byte
// aligned; AlphaBias is entry 128. Both are null while the integer set is active.
extern const std::uint64_t* AlphaWeights;
extern const std::uint64_t* AlphaBias;

// The set never leaves MMX state in use, so floating-point code may always follow.
inline void EndMmx() {}

// Calls EndMmx when a blending loop ends, also when a callback throws.
struct EndMmxGuard {
  EndMmxGuard() = default;
  EndMmxGuard(const EndMmxGuard&) = delete;
  EndMmxGuard& operator=(const EndMmxGuard&) = delete;
  ~EndMmxGuard() { EndMmx(); }
};

// The start-up test: CPUID present, family 5 or above, feature bit 23 (MMX).
bool ProcessorHasMmx();

// Fills the routine variables from the MMX set (building its weight table) or from the
// integer set (freeing it). Start-up calls it with ProcessorHasMmx(); tests call it to
// run both sets. Not to be called while another thread blends.
void SelectBlendRoutines(bool useMmx);

// The integer set's routines; the routine variables hold them until start-up has run.
// Callers use the routine variables.
namespace blend_detail {
TColor32 IntCombineColors(TColor32 X, TColor32 Y, TColor32 W);
void IntCombineColorsInto(TColor32 X, TColor32& Y, TColor32 W);
TColor32 IntBlendColors(TColor32 F, TColor32 B);
void IntBlendColorsInto(TColor32 F, TColor32& B);
TColor32 IntBlendColorsMaster(TColor32 F, TColor32 B, TColor32 M);
void IntBlendColorsMasterInto(TColor32 F, TColor32& B, TColor32 M);
void IntBlendRow(const TColor32* Src, TColor32* Dst, Integer Count);
void IntBlendRowMaster(const TColor32* Src, TColor32* Dst, Integer Count, TColor32 M);
}  // namespace blend_detail
