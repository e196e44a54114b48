#include "panels/fp_paneles.h"

#include "platform/classlib/class_registry.h"
#include "platform/classlib/std_label.h"
#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace {

const bool kPanelesRegistered = [] {
  RegisterClass(TFpPaneles::StaticClass());
  return true;
}();

}  // namespace

const TClass& TFpPaneles::StaticClass() {
  static const TClass cls = TClass::Of<TFpPaneles>("TFpPaneles", TCustomPanel::StaticClass(), &TFpPaneles::Publish);
  return cls;
}

void TFpPaneles::Publish(TPublished& published) {
  TCustomPanel::PublishProperties(
      published, {"Align",       "Alignment",   "Anchors",     "BevelInner",  "BevelOuter",     "BevelWidth",
                  "BorderWidth", "BorderStyle", "Caption",     "Color",       "Constraints",    "Ctl3D",
                  "DragCursor",  "DragMode",    "Enabled",     "FullRepaint", "Font",           "Locked",
                  "ParentColor", "ParentCtl3D", "ParentFont",  "ParentShowHint", "PopupMenu",   "ShowHint",
                  "TabOrder",    "TabStop",     "Visible",     "OnClick",     "OnDblClick",     "OnEnter",
                  "OnExit",      "OnMouseDown", "OnMouseMove", "OnMouseUp",   "OnResize"});
  auto p = published.For<TFpPaneles>();
  p.Integer("Color", &TFpPaneles::Color, &TFpPaneles::SetColor)
      .Idents(ColorIdents())
      .Default(clBtnFace)
      .StoredIf([](TFpPaneles* c) { return !c->ParentColor(); });
  p.Boolean("ParentColor", &TFpPaneles::ParentColor, &TFpPaneles::SetParentColor).Default(false);
  p.Object("Bitmap", &TFpPaneles::Bitmap, &TFpPaneles::SetBitmap);
  p.Component("BitmapHolder", &TFpPaneles::BitmapHolder, &TFpPaneles::SetBitmapHolder);
}

TFpPaneles::TFpPaneles(TComponent* AOwner)
    : TCustomPanel(AOwner), bitmap_(std::make_unique<TBitmap>()), link_(std::make_unique<TFpLinkChange>()) {
  link_->OnChange = [this](TObject*) { Invalidate(); };
  bitmap_->OnChange = [this](TObject*) { Invalidate(); };
}

TFpPaneles::~TFpPaneles() {
  bitmap_->OnChange = nullptr;
  link_->OnChange = nullptr;
  if (holder_) {
    holder_->UnRegisterChanges(link_.get());
    holder_->RemoveFreeNotification(this);
  }
}

void TFpPaneles::SetBitmap(TBitmap* value) {
  bitmap_->Assign(value);
  if (holder_) {
    if (!bitmap_->Empty())
      holder_->UnRegisterChanges(link_.get());
    else
      holder_->RegisterChanges(link_.get());
  }
  Invalidate();
}

void TFpPaneles::SetBitmapHolder(TFpBitmapHolder* value) {
  if (holder_ == value) return;
  if (holder_) {
    holder_->UnRegisterChanges(link_.get());
    holder_->RemoveFreeNotification(this);
  }
  holder_ = value;
  if (holder_) {
    holder_->RegisterChanges(link_.get());
    holder_->FreeNotification(this);
  }
  Invalidate();
}

void TFpPaneles::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomPanel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == holder_) {
    // The holder unregisters its links as it goes; only the reference is left.
    holder_ = nullptr;
    Invalidate();
  }
}

void TFpPaneles::PaintBackground(TCanvas* canvas, const TRect& r) {
  if (!bitmap_->Empty()) {
    win::HDC dc = canvas->Handle();
    TClipRect clip(dc, r);
    TileBitmapOn(bitmap_.get(), r, dc);
  } else if (holder_ && !holder_->IsEmpty()) {
    holder_->TileBitmap(r, canvas->Handle());
  } else {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
  }
}

void TFpPaneles::WMEraseBkgnd(TMessage& Message) {
  auto dc = reinterpret_cast<win::HDC>(Message.WParam);
  TCanvas canvas;
  canvas.SetHandle(dc);
  PaintBackground(&canvas, ClientRect());
  canvas.SetHandle(nullptr);
  Message.Result = 1;
}

void TFpPaneles::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  PaintBackground(canvas, r);
  auto bevel = [&](TPanelBevel cut) {
    if (cut == bvNone) return;
    TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    Frame3D(canvas, r, top, bottom, BevelWidth());
  };
  bevel(BevelOuter());
  Frame3D(canvas, r, Color(), Color(), BorderWidth());
  bevel(BevelInner());

  std::string caption = Caption();
  if (caption.empty()) return;
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsClear);
  Integer fontHeight = canvas->TextHeight("W");
  r.top = ((r.bottom + r.top) - fontHeight) / 2;
  r.bottom = r.top + fontHeight;
  win::UINT flags = win::DT_SINGLELINE | win::DT_EXPANDTABS | win::DT_VCENTER;
  switch (Alignment()) {
    case taLeftJustify: flags |= win::DT_LEFT; break;
    case taRightJustify: flags |= win::DT_RIGHT; break;
    case taCenter: flags |= win::DT_CENTER; break;
  }
  DrawTextOn(canvas, caption, r, flags, Font()->Color());
}
