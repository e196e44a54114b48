#include "engine/preview_draw.h"

#include <algorithm>
#include <cmath>

#include "engine/editor_state.h"
#include "engine/float_color.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "platform/classlib/canvas.h"

Integer CaptionOffset = 0;

namespace {

// Halves to even; kept within a range every drawing call can take.
Integer RoundCoordinate(Single v) {
  const double clamped = std::clamp(static_cast<double>(v), -1.0e9, 1.0e9);
  return static_cast<Integer>(std::nearbyint(clamped));
}

}  // namespace

void PreviewDrawParticle(const TParticle& P, const TParticleRenderParams& Params, TCanvas* Canvas, bool RefreshView) {
  if (!Canvas) return;
  Single x = 0, y = 0, depth = 0;
  ProjectToView(P.RenderPosition, x, y, depth, RefreshView);
  if (!(depth > 0.0001f)) return;
  Single size = ProjectedViewSize(P, Params, x) * 0.6f;
  if (!(size > 0 && size <= 1024)) return;
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (PreviewDrawMode == dmDots) size = 2;

  const Single originX = Params.Options ? Params.Options->OriginX : 0.5f;
  const Single originY = Params.Options ? Params.Options->OriginY : 0.5f;
  const Single x0 = x - size * originX;
  const Single y0 = y - size * originY;
  const TRect r{RoundCoordinate(x0), RoundCoordinate(y0) + CaptionOffset, RoundCoordinate(x0 + size),
                RoundCoordinate(y0 + size) + CaptionOffset};

  const Single k = WireframeAlphaHints ? Params.Alpha : 1.0f;
  TColorRGBA c;
  c.R = P.Color.R * k * Params.Color.R;
  c.G = P.Color.G * k * Params.Color.G;
  c.B = P.Color.B * k * Params.Color.B;
  const TColor colour = RGBToColor(c);
  Canvas->Brush()->SetColor(colour);
  Canvas->Pen()->SetColor(colour);
  Canvas->Brush()->SetStyle(PreviewDrawMode == dmWireCircles ? bsClear : bsSolid);

  switch (PreviewDrawMode) {
    case dmDots:
    case dmSolidBoxes:
      Canvas->FillRect(r);
      break;
    case dmWireBoxes:
      Canvas->FrameRect(r);
      break;
    case dmWireCircles:
    case dmSolidCircles:
      Canvas->Ellipse(r);
      break;
    default:
      break;
  }
}
