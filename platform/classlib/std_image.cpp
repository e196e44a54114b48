#include "platform/classlib/std_image.h"

#include "platform/classlib/bitmap.h"
#include "platform/classlib/class_registry.h"
#include "platform/win/gdi.h"

namespace {

const bool kImageRegistered = [] {
  RegisterClass(TImage::StaticClass());
  return true;
}();

}  // namespace

const TClass& TImage::StaticClass() {
  static const TClass cls = TClass::Of<TImage>("TImage", TGraphicControl::StaticClass(), &TImage::Publish);
  return cls;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  controlStyle_ = controlStyle_ + TControlStyle{csReplicatable};
  picture_->OnChange = [this](TObject* s) { PictureChanged(s); };
  picture_->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                                const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    if (incrementalDisplay_ && redraw) Repaint();
  };
  SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() {
  picture_->OnChange = nullptr;
  picture_->OnProgress = nullptr;
}

TCanvas* TImage::Canvas() {
  if (!picture_->Graphic()) {
    // A blank bitmap of the control's size to draw on.
    TBitmap bmp;
    bmp.SetSize(Width(), Height());
    picture_->SetGraphic(&bmp);
  }
  auto* bitmap = dynamic_cast<TBitmap*>(picture_->Graphic());
  if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return bitmap->Canvas();
}

TRect TImage::DestRect() const {
  Integer w = picture_->Width(), h = picture_->Height();
  if (stretch_) return TRect{0, 0, Width(), Height()};
  if (center_) {
    Integer x = (Width() - w) / 2, y = (Height() - h) / 2;
    return TRect{x, y, x + w, y + h};
  }
  return TRect{0, 0, w, h};
}

void TImage::PictureChanged(TObject*) {
  if (drawing_) return;
  TGraphic* g = picture_->Graphic();
  if (g) {
    // Drawing on the bitmap fires changes; the flag keeps them from recursing here.
    drawing_ = true;
    if (g->Transparent() != transparent_) g->SetTransparent(transparent_);
    drawing_ = false;
    if (AutoSize() && g->Width() > 0 && g->Height() > 0) SetBounds(Left(), Top(), g->Width(), g->Height());
  }
  // An opaque picture covering the control spares the parent's background.
  if (g && !g->Transparent() && g->Width() >= Width() && g->Height() >= Height())
    controlStyle_.Include(csOpaque);
  else
    controlStyle_.Exclude(csOpaque);
  Invalidate();
}

void TImage::SetAutoSize(bool value) {
  TGraphicControl::SetAutoSize(value);
  if (value) PictureChanged(this);
}

void TImage::SetCenter(bool value) {
  if (center_ == value) return;
  center_ = value;
  PictureChanged(this);
}

void TImage::SetStretch(bool value) {
  if (stretch_ == value) return;
  stretch_ = value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  PictureChanged(this);
}

void TImage::Paint() {
  TCanvas* c = TGraphicControl::Canvas();
  if (ComponentState().Contains(csDesigning)) {
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, Width(), Height());
  }
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  drawing_ = true;
  try {
    c->StretchDraw(DestRect(), g);
  } catch (...) {
    drawing_ = false;
    throw;
  }
  drawing_ = false;
}

void TImage::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Align", "Anchors", "AutoSize", "Constraints", "DragCursor", "DragMode",
                                          "Enabled", "ParentShowHint", "PopupMenu", "ShowHint", "Visible",
                                          "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TImage>();
  p.Boolean("Center", &TImage::Center, &TImage::SetCenter).Default(false);
  p.Boolean("IncrementalDisplay", &TImage::IncrementalDisplay, &TImage::SetIncrementalDisplay).Default(false);
  p.Object("Picture", &TImage::Picture, &TImage::SetPicture);
  p.Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
  p.Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
  p.Event("OnProgress", &TImage::OnProgress);
}
