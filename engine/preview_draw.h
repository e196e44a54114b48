#pragma once
// Drawing one particle of the preview on the view window's canvas, as a dot, a box or a
// circle.
#include "engine/editor_state.h"
#include "engine/projection.h"
#include "platform/classlib/types.h"
#include "platform/win/handles.h"

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

// Draws a frame's particles on a canvas. Each particle's colour goes to the context's
// stock DC brush and pen, selected once for the frame, instead of a new brush and pen
// made and selected per particle; the pixels are those of the canvas's own brush and
// (solid, one pixel, as the preview's canvases have) pen in that colour. At the end the
// canvas's brush and pen hold the last particle's colour and are selected again when the
// canvas next draws.
class TPreviewPainter {
 public:
  explicit TPreviewPainter(TCanvas* Canvas);
  ~TPreviewPainter();
  TPreviewPainter(const TPreviewPainter&) = delete;
  TPreviewPainter& operator=(const TPreviewPainter&) = delete;

  // RefreshView reads the view's projection from the host first; within one frame of the
  // preview the view does not change, so the loop asks for it with the first particle.
  void PreviewDrawParticle(const TParticle& P, const TParticleRenderParams& Params, bool RefreshView);

 private:
  TCanvas* canvas_;
  win::HDC dc_ = nullptr;
  win::HBRUSH brush_ = nullptr;  // the stock DC brush
  // What the painter's selections replaced, selected again at the end.
  win::HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr;
  int oldRop2_ = 0;
  bool drawn_ = false;
  TColor last_ = 0;
};
