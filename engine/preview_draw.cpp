#include "engine/preview_draw.h"

#include <algorithm>
#include <cmath>

#include "engine/editor_state.h"
#include "engine/float_color.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "platform/classlib/canvas.h"
#include "platform/win/gdi.h"

Integer CaptionOffset = 0;

namespace {

// Halves to even; kept within a range every drawing call can take.
Integer RoundCoordinate(Single v) {
  const double clamped = std::clamp(static_cast<double>(v), -1.0e9, 1.0e9);
  return static_cast<Integer>(std::nearbyint(clamped));
}

}  // namespace

TPreviewPainter::TPreviewPainter(TCanvas* Canvas) : canvas_(Canvas) {
  if (!canvas_) return;
  // The canvas's change events come once around the frame, not around each particle.
  if (canvas_->OnChanging) canvas_->OnChanging(canvas_);
  dc_ = canvas_->Handle();
  // The canvas lets its own tools go, so that it selects them again when it next draws.
  canvas_->Refresh();
  brush_ = static_cast<win::HBRUSH>(win::GetStockObject(win::DC_BRUSH));
  oldPen_ = win::SelectObject(dc_, win::GetStockObject(win::DC_PEN));
  oldBrush_ = win::SelectObject(dc_, PreviewDrawMode == dmWireCircles ? win::GetStockObject(win::NULL_BRUSH) : brush_);
  oldRop2_ = win::SetROP2(dc_, PenModeToRop2(canvas_->Pen()->Mode()));
}

TPreviewPainter::~TPreviewPainter() {
  if (!canvas_) return;
  // The context as the painter found it, once the canvas had let its tools go.
  win::SelectObject(dc_, oldPen_);
  win::SelectObject(dc_, oldBrush_);
  win::SetROP2(dc_, oldRop2_);
  try {
    if (drawn_) {
      canvas_->Brush()->SetColor(last_);
      canvas_->Pen()->SetColor(last_);
      canvas_->Brush()->SetStyle(PreviewDrawMode == dmWireCircles ? bsClear : bsSolid);
    }
    if (canvas_->OnChange) canvas_->OnChange(canvas_);
  } catch (...) {
    // A change handler's failure cannot leave a destructor; the preview loop drops
    // failures of drawing all the same.
  }
}

void TPreviewPainter::PreviewDrawParticle(const TParticle& P, const TParticleRenderParams& Params, bool RefreshView) {
  if (!canvas_) return;
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
  last_ = RGBToColor(c);
  drawn_ = true;
  const auto rgb = static_cast<win::COLORREF>(ColorToRGB(last_));
  win::SetDCBrushColor(dc_, rgb);
  win::SetDCPenColor(dc_, rgb);

  switch (PreviewDrawMode) {
    case dmDots:
    case dmSolidBoxes:
      win::FillRect(dc_, &r, brush_);
      break;
    case dmWireBoxes:
      win::FrameRect(dc_, &r, brush_);
      break;
    case dmWireCircles:
    case dmSolidCircles:
      win::Ellipse(dc_, r.left, r.top, r.right, r.bottom);
      break;
    default:
      break;
  }
}
