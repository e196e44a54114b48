#pragma once
// The four ways a particle's texels are blended into a row of the host's float pixels
// (R, G, B, depth). Each mode has a routine with and without the jittered depth test;
// the renderer picks one per particle, so the per-pixel loop tests no mode.
#include "bitmaps/color32.h"
#include "platform/classlib/types.h"

// Render modes of a particle system.
inline constexpr Integer rmPureAlpha = 0;
inline constexpr Integer rmIlluminate = 1;
inline constexpr Integer rmPaint = 2;
inline constexpr Integer rmColorAlpha = 3;

// One particle's blend inputs.
struct TBlendState {
  // The particle's alpha / 255: times a texel's alpha byte gives the weight.
  Single Alpha = 0;
  // The particle's colour; in modes 1 to 3 already divided by 255, so that times a
  // texel byte it is on the 0..1 scale.
  Single Red = 0, Green = 0, Blue = 0;
  // Reference depth: the square of the view depth, less half the jitter.
  Single Depth = 0;
  // 0 for the plain depth test.
  Single DepthJitter = 0;
};

// Blends Count texels into Count pixels (four Singles each). The jittered routines draw
// one value of the random table per pixel, touched or not.
using TBlendRowProc = void (*)(const TColor32* Texels, Single* Pixels, Integer Count, const TBlendState& State);

// The routine for a render mode (any other value blends as Pure Alpha).
TBlendRowProc BlendRowFor(Integer Mode, bool Jittered);
