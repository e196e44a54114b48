// The maps page's preview: the current image mirrored into its layer over a checker
// background, and the image's origin.
#include <cmath>

#include "bitmaps/affine_transformation.h"
#include "bitmaps/bitmap32.h"
#include "bitmaps/image32.h"
#include "bitmaps/layers.h"
#include "editor/particle_maps_form.h"
#include "engine/particle_map_options.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/std_trackbar.h"

namespace {

constexpr Integer kCheckerSquare = 8;
constexpr TColor32 kCheckerLight = 0xFFFFFFFF;
constexpr TColor32 kCheckerDark = 0xFFCCCCCC;
constexpr TColor32 kMarkerPen = 0xFF000000;
constexpr TColor32 kMarkerBrush = 0xFFFFFFFF;
constexpr Integer kMarkerSize = 4;

}  // namespace

void TParticleMapsForm::SetupPreview() {
  // Two squares each way, tiled by the control.
  TBitmap32 checker;
  checker.SetSize(2 * kCheckerSquare, 2 * kCheckerSquare);
  for (Integer y = 0; y < checker.Height(); ++y)
    for (Integer x = 0; x < checker.Width(); ++x)
      checker.SetPixel(x, y, ((x / kCheckerSquare + y / kCheckerSquare) % 2 == 0) ? kCheckerLight : kCheckerDark);
  Preview->SetBitmapAlign(baTile);
  Preview->SetBitmap(&checker);

  PreviewLayer = Preview->Layers()->Add<TBitmapLayer>();
  PreviewLayer->SetLocation(TFloatRect{0, 0, static_cast<Single>(Preview->Width()),
                                       static_cast<Single>(Preview->Height())});

  TPaintStage& marker = Preview->PaintStages()->Add();
  marker.DsgnTime = false;
  marker.RunTime = true;
  marker.Stage = kStageCustom;
  Preview->OnPaintStage = [this](TObject* s, TBitmap32* b, Cardinal n) { PreviewPaintStage(s, b, n); };
  Preview->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y, TCustomLayer*) {
    PreviewMouseDown(s, b, sh, x, y);
  };
}

void TParticleMapsForm::RenderPreview() {
  if (!PreviewLayer) return;
  TBitmap32* dst = PreviewLayer->Bitmap();
  if (!image_ || image_->Empty()) {
    dst->SetSize(0, 0);
    Repaint();
    return;
  }
  // A copy, so that the cached image's own drawing settings stay as they are.
  TBitmap32 src;
  src.Assign(image_);
  src.SetDrawMode(dmOpaque);
  src.SetMasterAlpha(255);
  // The transfer maps pixel to pixel: a mirror about the middle of the first and last
  // pixels sends each pixel exactly onto its mirror image. Nearest sampling, because the
  // bilinear transfer leaves out the last row and column and mixes in a 1/255 share of
  // the neighbours even where it lands on a whole pixel.
  src.SetStretchFilter(sfNearest);
  const Integer w = src.Width();
  const Integer h = src.Height();
  const Byte flip = options_ ? options_->Flip : 0;

  TAffineTransformation t;
  t.SetSrcRect(TFloatRect{0, 0, static_cast<Single>(w), static_cast<Single>(h)});
  if (flip == 1 || flip == 3) t.MirrorX(static_cast<Single>(w - 1) / 2);
  if (flip == 2 || flip == 3) t.MirrorY(static_cast<Single>(h - 1) / 2);
  // The mirrored image covers the image's own pixels (the rounded transformed bounds
  // would add an empty row or column).
  dst->SetSize(w, h);
  dst->Clear(0);
  TransformBitmap(dst, &src, &t);

  dst->SetDrawMode(ShowTransparencyItem->Checked() ? dmBlend : dmOpaque);
  dst->SetMasterAlpha(static_cast<TColor32>(AlphaTrackBar->Position()));
  PreviewLayer->SetLocation(TFloatRect{0, 0, static_cast<Single>(Preview->Width()),
                                       static_cast<Single>(Preview->Height())});
  Repaint();
}

void TParticleMapsForm::Repaint() {
  if (PreviewLayer) PreviewLayer->Changed();
  if (Preview) Preview->Invalidate();
}

void TParticleMapsForm::PreviewPaintStage(TObject*, TBitmap32* Buffer, Cardinal) {
  if (!ShowOriginItem->Checked() || !options_) return;
  const Integer cx = static_cast<Integer>(std::nearbyint(Preview->Width() * options_->OriginX));
  const Integer cy = static_cast<Integer>(std::nearbyint(Preview->Height() * options_->OriginY));
  const Integer left = cx - kMarkerSize / 2;
  const Integer top = cy - kMarkerSize / 2;
  Buffer->FillRectS(left, top, left + kMarkerSize, top + kMarkerSize, kMarkerPen);
  Buffer->FillRectS(left + 1, top + 1, left + kMarkerSize - 1, top + kMarkerSize - 1, kMarkerBrush);
}

void TParticleMapsForm::SetOrigin(const TPoint& P) {
  if (!system_ || !options_) return;
  options_->OriginX = static_cast<Single>(P.x) / static_cast<Single>(Preview->Width());
  options_->OriginY = static_cast<Single>(P.y) / static_cast<Single>(Preview->Height());
  Repaint();
}

void TParticleMapsForm::PreviewMouseDown(TObject*, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button != mbLeft) return;
  if (Shift.Contains(ssCtrl))
    SetOrigin(TPoint{X, Y});
  else if (!Shift.Contains(ssShift) && !Shift.Contains(ssAlt))
    ChooseImage();
}

void TParticleMapsForm::ShowTransparencyClick(TObject*) {
  ShowTransparencyItem->SetChecked(!ShowTransparencyItem->Checked());
  RenderPreview();
}

void TParticleMapsForm::ShowOriginClick(TObject*) {
  ShowOriginItem->SetChecked(!ShowOriginItem->Checked());
  Repaint();
}

namespace {

void MoveOrigin(TEmitter* System, TParticleMapOptions* Options, Single X, Single Y) {
  if (!System || !Options) return;
  if (X >= 0) Options->OriginX = X;
  if (Y >= 0) Options->OriginY = Y;
}

}  // namespace

void TParticleMapsForm::OriginCenterClick(TObject*) {
  MoveOrigin(system_, options_, 0.5f, 0.5f);
  Repaint();
}

void TParticleMapsForm::OriginTopClick(TObject*) {
  MoveOrigin(system_, options_, -1, 0);
  Repaint();
}

void TParticleMapsForm::OriginLeftClick(TObject*) {
  MoveOrigin(system_, options_, 0, -1);
  Repaint();
}

void TParticleMapsForm::OriginRightClick(TObject*) {
  MoveOrigin(system_, options_, 1, -1);
  Repaint();
}

void TParticleMapsForm::OriginBottomClick(TObject*) {
  MoveOrigin(system_, options_, -1, 1);
  Repaint();
}
