#pragma once
// The preview: plays the simulation in the host's active view, drawing every visible
// particle straight onto the view window, at most about 30 frames per second. It is a
// blocking loop inside the editor's Play handler; it ends when Esc is held, the editor
// clears Running or sets Rewind, or the host reports an abort.
#include <memory>
#include <string>

#include "engine/editor_state.h"
#include "platform/classlib/types.h"
#include "platform/win/handles.h"

class TCanvas;
class TEmitter;
class TEmitterObject;

// ---- the loop's own state ----
// The preview's host frame.
extern Double PreviewTime;
// Frames since the last status line, and the tick count (ms) at it.
extern Integer FrameCount;
extern Cardinal StartTicks;
// Particles drawn in the current frame.
extern Integer ParticleCount;
extern win::HWND ViewWindow;
// On the view window's device context, copy mode SRCPAINT; null when unbound.
extern std::unique_ptr<TCanvas> ViewCanvas;

// The average frame rate the loop holds below.
inline constexpr double kPreviewMaxRate = 30.25;
// A status line every this many frames plus one.
inline constexpr Integer kStatusFrames = 30;

void StartAnimation();
bool ShouldStopAnimation();
void BindAnimationView();
void ReleaseAnimationView();
void PrepareAnimation();
// Resets System and steps it from local frame 0 up to the host's current frame, unless
// a stop is asked for first.
void PreRollSystem(TEmitter& System);
void AdvanceObjectPreview(TEmitterObject& Object);
void DrawObjectPreview(TEmitterObject& Object);
void DrawSystemPreview(TEmitter& System);
void AnimationFrameTick();
// The preview's status line: particles, frame rate with one decimal, frame with at
// least three digits.
std::string PreviewStatusText(Integer Particles, double Rate, Integer Frame);
