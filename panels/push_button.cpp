#include "panels/push_button.h"

#include "platform/classlib/class_registry.h"

namespace {

const bool kPushButtonRegistered = [] {
  RegisterClass(TFpPushButton::StaticClass());
  return true;
}();

constexpr TColor kDefaultColor = static_cast<TColor>(0xA56934);
constexpr TColor kDefaultRaiseColor = static_cast<TColor>(0xD7A28A);

}  // namespace

const TClass& TFpPushButton::StaticClass() {
  static const TClass cls =
      TClass::Of<TFpPushButton>("TFpPushButton", TGraphicControl::StaticClass(), &TFpPushButton::Publish);
  return cls;
}

void TFpPushButton::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Anchors", "ShowHint", "ParentShowHint", "OnMouseMove", "Font", "OnMouseDown",
                                          "OnMouseUp", "OnClick"});
  auto p = published.For<TFpPushButton>();
  p.String("Caption", &TFpPushButton::Caption, &TFpPushButton::SetCaption);
  p.Integer("Color", &TFpPushButton::Color, &TFpPushButton::SetColor).Idents(ColorIdents()).Default(kDefaultColor);
  p.Integer("RaiseColor", &TFpPushButton::RaiseColor, &TFpPushButton::SetRaiseColor)
      .Idents(ColorIdents())
      .Default(kDefaultRaiseColor);
  p.Boolean("Enabled", &TFpPushButton::Enabled, &TFpPushButton::SetEnabled).Default(true);
  p.Event("OnMouseLeave", &TFpPushButton::OnMouseLeave);
  published.Redefault("ParentShowHint", Int64{0});
}

TFpPushButton::TFpPushButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_.Include(csClickEvents);
  controlStyle_.Include(csCaptureMouse);
  controlStyle_.Include(csOpaque);
  SetBounds(Left(), Top(), 89, 23);
  SetParentColor(false);
  TControl::SetColor(kDefaultColor);
  SetParentFont(false);
  Font()->SetName("Arial");
  Font()->SetSize(8);
  Font()->SetStyle(TFontStyles{fsBold});
  Font()->SetColor(clWhite);
  SetParentShowHint(false);
  SetShowHint(true);
}

void TFpPushButton::SetParent(TWinControl* value) {
  TGraphicControl::SetParent(value);
  if (value) SetCaption(Name());
}

void TFpPushButton::SetCaption(const std::string& value) {
  SetText(value);
  Repaint();
}

void TFpPushButton::SetColor(TColor value) {
  TControl::SetColor(value);
  Repaint();
}

void TFpPushButton::SetRaiseColor(TColor value) {
  raiseColor_ = value;
  Repaint();
}

void TFpPushButton::SetEnabled(bool value) { buttonEnabled_ = value; }

// ---- looks ----------------------------------------------------------------------------------------------

TPoint TFpPushButton::CaptionOrigin(TCanvas* canvas) {
  const std::string caption = Caption();
  const TSize size = canvas->TextExtent(caption);
  return TPoint{Width() / 2 - size.cx / 2, Height() / 2 - size.cy / 2};
}

void TFpPushButton::DrawCaption(TCanvas* canvas, Integer dx, Integer dy) {
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  const TPoint at = CaptionOrigin(canvas);
  canvas->TextOut(at.x + dx, at.y + dy, Caption());
}

void TFpPushButton::DrawRaised() {
  TCanvas* canvas = Canvas();
  const Integer w = Width(), h = Height();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(TRect{1, 1, w - 1, h - 1});
  canvas->Brush()->SetColor(raiseColor_);
  canvas->FillRect(TRect{1, 1, 3, h - 1});
  canvas->FillRect(TRect{1, 1, w - 1, 3});
  canvas->Brush()->SetColor(clBlack);
  canvas->FillRect(TRect{w - 3, 1, w - 1, h - 1});
  canvas->FillRect(TRect{1, h - 3, w - 1, h - 1});
  DrawCaption(canvas, 0, 0);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBlack);
  canvas->FrameRect(TRect{0, 0, w, h});
}

void TFpPushButton::DrawSunk() {
  TCanvas* canvas = Canvas();
  const Integer w = Width(), h = Height();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(TRect{1, 1, w - 1, h - 1});
  canvas->Brush()->SetColor(clBlack);
  canvas->FillRect(TRect{1, 1, w - 1, 3});
  DrawCaption(canvas, 2, 2);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBlack);
  canvas->FrameRect(TRect{0, 0, w, h});
}

void TFpPushButton::Paint() { DrawRaised(); }

// ---- mouse ----------------------------------------------------------------------------------------------

void TFpPushButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button != mbLeft || !buttonEnabled_) return;
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  DrawSunk();
}

void TFpPushButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button != mbLeft || !buttonEnabled_) return;
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
  // A release off the button leaves it sunk until the mouse leaves or it repaints.
  if (X >= 1 && X <= Width() && Y >= 1 && Y <= Height()) Repaint();
}

void TFpPushButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::CMMouseLeave(Message);
  Repaint();
  if (OnMouseLeave) OnMouseLeave(this);
}

void TFpPushButton::Click() {
  Repaint();
  // The button's own OnClick (or its action) only while enabled.
  if (buttonEnabled_) TGraphicControl::Click();
}
