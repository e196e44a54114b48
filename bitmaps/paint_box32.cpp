#include "bitmaps/paint_box32.h"

#include <algorithm>

#include "platform/win/gdi.h"
#include "platform/win/window.h"

namespace {

// The new length of one side of the buffer, or `current` when it may stay.
Integer FitSide(Integer current, Integer needed, Integer oversize) {
  if (oversize < 0) return needed;
  if (needed > current) return needed + oversize;
  if (needed < current - oversize) return needed;
  return current;
}

}  // namespace

const TClass& TCustomPaintBox32::StaticClass() {
  static const TClass cls = TClass::Of<TCustomPaintBox32>("TCustomPaintBox32", TCustomControl::StaticClass());
  return cls;
}

TCustomPaintBox32::TCustomPaintBox32(TComponent* AOwner) : TCustomControl(AOwner) {
  buffer_ = std::make_unique<TBitmap32>();
  buffer_->BeginUpdate();
  SetBounds(Left(), Top(), 192, 192);
}

TCustomPaintBox32::~TCustomPaintBox32() = default;

void TCustomPaintBox32::Invalidate() {
  bufferValid_ = false;
  TCustomControl::Invalidate();
}

void TCustomPaintBox32::Loaded() {
  bufferValid_ = false;
  TCustomControl::Loaded();
}

void TCustomPaintBox32::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  bufferValid_ = false;
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomPaintBox32::Resize() {
  bufferValid_ = false;
  ResizeBuffer();
  TCustomControl::Resize();
}

void TCustomPaintBox32::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  // The buffer covers the whole client area: a size change needs no full repaint.
  Params.WindowClass.style &= ~(win::CS_HREDRAW | win::CS_VREDRAW);
}

TRect TCustomPaintBox32::GetViewportRect() { return TRect{0, 0, Width(), Height()}; }

void TCustomPaintBox32::ResizeBuffer() {
  const TRect viewport = GetViewportRect();
  const Integer needW = std::max<Integer>(viewport.right - viewport.left, 0);
  const Integer needH = std::max<Integer>(viewport.bottom - viewport.top, 0);
  const Integer w = FitSide(buffer_->Width(), needW, bufferOversize_);
  const Integer h = FitSide(buffer_->Height(), needH, bufferOversize_);
  if (w == buffer_->Width() && h == buffer_->Height()) return;
  buffer_->SetSize(w, h);
  bufferValid_ = false;
}

void TCustomPaintBox32::Paint() {
  ResizeBuffer();
  if (!bufferValid_) DoPaintBuffer();
  const TRect viewport = GetViewportRect();
  buffer_->Lock();
  try {
    if (buffer_->DC())
      win::BitBlt(Canvas()->Handle(), viewport.left, viewport.top, viewport.right - viewport.left,
                  viewport.bottom - viewport.top, buffer_->DC(), 0, 0, win::SRCCOPY);
  } catch (...) {
    buffer_->Unlock();
    throw;
  }
  buffer_->Unlock();
  DoPaintGDIOverlay();
}

void TCustomPaintBox32::DoPaintBuffer() { bufferValid_ = true; }

void TCustomPaintBox32::DoPaintGDIOverlay() {
  if (OnGDIOverlay) OnGDIOverlay(this);
}
