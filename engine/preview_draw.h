#pragma once
// Drawing one particle of the preview on the view window's canvas, as a dot, a box or a
// circle.
#include "engine/editor_state.h"
#include "engine/projection.h"
#include "platform/classlib/types.h"

class TCanvas;
struct TParticle;

// Draw modes of the editor's combo.
inline constexpr Byte dmDots = 0;
inline constexpr Byte dmWireBoxes = 1;
inline constexpr Byte dmWireCircles = 2;
inline constexpr Byte dmSolidBoxes = 3;
inline constexpr Byte dmSolidCircles = 4;

// Added to every drawn y: the view window's caption height when it has a caption
// without a system menu. The preview sets it when it binds the view.
extern Integer CaptionOffset;

// RefreshView reads the view's projection from the host first; within one frame of the
// preview the view does not change, so the loop asks for it with the frame's first particle.
void PreviewDrawParticle(const TParticle& P, const TParticleRenderParams& Params, TCanvas* Canvas,
                         bool RefreshView = true);
