// Glyph-and-text and button layouts, 3D and rotated captions.
#include <algorithm>

#include "controlkit/kit_properties.h"

// ---- TKitGlyphTextLayout -------------------------------------------------------------------------

const TClass& TKitGlyphTextLayout::StaticClass() {
  static const TClass cls = TClass::Of<TKitGlyphTextLayout>("TKitGlyphTextLayout", TKitObject::StaticClass(),
                                                            &TKitGlyphTextLayout::Publish);
  return cls;
}

void TKitGlyphTextLayout::Publish(TPublished& published) {
  using L = TKitGlyphTextLayout;
  auto p = published.For<L>();
  p.Enum("AlignText2Glyph", KitTextArrangeInfo(), &L::AlignText2Glyph, &L::SetAlignText2Glyph).Default(taRight);
  p.Integer("OffsetX", &L::OffsetX, &L::SetOffsetX).Default(0);
  p.Integer("OffsetY", &L::OffsetY, &L::SetOffsetY).Default(0);
  p.Integer("Spacing", &L::Spacing, &L::SetSpacing).Default(2);
  p.Enum("Alignment", KitAlignmentInfo(), &L::Alignment, &L::SetAlignment).Default(agTopLeft);
}

void TKitGlyphTextLayout::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitGlyphTextLayout*>(Source);
  if (!source) return TKitObject::Assign(Source);
  TKitOneChange<TKitGlyphTextLayout> once(*this);
  alignText2Glyph_ = source->alignText2Glyph_;
  offsetX_ = source->offsetX_;
  offsetY_ = source->offsetY_;
  spacing_ = source->spacing_;
  alignment_ = source->alignment_;
}

void TKitGlyphTextLayout::SetAlignText2Glyph(TKitTextArrange Value) { KitPut(*this, alignText2Glyph_, Value); }

void TKitGlyphTextLayout::SetOffset(Integer Which, Integer Value) {
  KitPut(*this, Which == 0 ? offsetX_ : offsetY_, Value);
}

void TKitGlyphTextLayout::SetSpacing(Integer Value) { KitPut(*this, spacing_, Value); }

void TKitGlyphTextLayout::SetAlignment(TKitAlignment Value) { KitPut(*this, alignment_, Value); }

// ---- TKitButtonLayout ----------------------------------------------------------------------------

const TClass& TKitButtonLayout::StaticClass() {
  static const TClass cls = TClass::Of<TKitButtonLayout>("TKitButtonLayout", TKitGlyphTextLayout::StaticClass(),
                                                         &TKitButtonLayout::Publish);
  return cls;
}

void TKitButtonLayout::Publish(TPublished& published) {
  using L = TKitButtonLayout;
  auto p = published.For<L>();
  p.Enum("Alignment", KitAlignmentInfo(), &L::Alignment, &L::SetAlignment).Default(agCenter);
  p.Boolean("Arrow", &L::Arrow, &L::SetArrow).Default(false);
  p.Integer("ArrowColor", &L::ArrowColor, &L::SetArrowColor).Idents(ColorIdents()).Default(clBlack);
  p.Integer("ArrowIndent", &L::ArrowIndent, &L::SetArrowIndent).Default(3);
  p.Enum("ArrowPosition", KitArrowPositionInfo(), &L::ArrowPosition, &L::SetArrowPosition).Default(apRightText);
  p.Integer("ArrowSize", &L::ArrowSize, &L::SetArrowSize).Default(3);
}

TKitButtonLayout::TKitButtonLayout() { alignment_ = agCenter; }

void TKitButtonLayout::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitButtonLayout*>(Source);
  if (!source) return TKitGlyphTextLayout::Assign(Source);
  TKitOneChange<TKitButtonLayout> once(*this);
  TKitGlyphTextLayout::Assign(Source);
  arrow_ = source->arrow_;
  arrowColor_ = source->arrowColor_;
  arrowIndent_ = source->arrowIndent_;
  arrowPosition_ = source->arrowPosition_;
  arrowSize_ = source->arrowSize_;
}

void TKitButtonLayout::SetArrow(bool Value) { KitPut(*this, arrow_, Value); }
void TKitButtonLayout::SetArrowColor(TColor Value) { KitPut(*this, arrowColor_, Value); }
void TKitButtonLayout::SetArrowIndent(Integer Value) { KitPut(*this, arrowIndent_, Value); }
void TKitButtonLayout::SetArrowPosition(TKitArrowPosition Value) { KitPut(*this, arrowPosition_, Value); }

void TKitButtonLayout::SetArrowSize(Integer Value) {
  KitPut(*this, arrowSize_, std::clamp(Value, kKitMinArrowSize, kKitMaxArrowSize));
}

// ---- TKit3DCaption -------------------------------------------------------------------------------

const TClass& TKit3DCaption::StaticClass() {
  static const TClass cls =
      TClass::Of<TKit3DCaption>("TKit3DCaption", TKitObject::StaticClass(), &TKit3DCaption::Publish);
  return cls;
}

void TKit3DCaption::Publish(TPublished& published) {
  using C = TKit3DCaption;
  auto p = published.For<C>();
  p.Enum("DisabledStyle", KitDisabledStyleInfo(), &C::DisabledStyle, &C::SetDisabledStyle).Default(dsAuto);
  p.Integer("LightDepth", &C::LightDepth, &C::SetLightDepth).Default(1);
  p.Integer("ShadowDepth", &C::ShadowDepth, &C::SetShadowDepth).Default(1);
  p.Integer("LightColor", &C::LightColor, &C::SetLightColor).Idents(ColorIdents()).Default(clBtnHighlight);
  p.Integer("ShadowColor", &C::ShadowColor, &C::SetShadowColor).Idents(ColorIdents()).Default(clBtnShadow);
  p.Enum("Style", KitThreeDStyleInfo(), &C::Style, &C::SetStyle).Default(tdNone);
  p.Enum("Orientation", KitThreeDOrientationInfo(), &C::Orientation, &C::SetOrientation).Default(toTopLeft);
  p.Integer("Tracing", &C::Tracing, &C::SetTracing).Default(0);
}

void TKit3DCaption::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKit3DCaption*>(Source);
  if (!source) return TKitObject::Assign(Source);
  TKitOneChange<TKit3DCaption> once(*this);
  disabledStyle_ = source->disabledStyle_;
  lightDepth_ = source->lightDepth_;
  shadowDepth_ = source->shadowDepth_;
  lightColor_ = source->lightColor_;
  shadowColor_ = source->shadowColor_;
  style_ = source->style_;
  orientation_ = source->orientation_;
  tracing_ = source->tracing_;
}

std::string TKit3DCaption::SettingsText() {
  static const char* const kWords[] = {"Disabled", "sunken", "raised", "sunken shadow", "raised shadow", "PColor sunken",
                                       "",         "shadow", "outline", "extrude",      "extrude enh"};
  const std::size_t i = static_cast<std::size_t>(style_);
  return "{" + std::string(i < std::size(kWords) ? kWords[i] : "") + "}";
}

void TKit3DCaption::SetDisabledStyle(TKitDisabledStyle Value) { KitPut(*this, disabledStyle_, Value); }
void TKit3DCaption::SetLightDepth(Byte Value) { KitPut(*this, lightDepth_, Value); }
void TKit3DCaption::SetShadowDepth(Byte Value) { KitPut(*this, shadowDepth_, Value); }
void TKit3DCaption::SetLightColor(TColor Value) { KitPut(*this, lightColor_, Value); }
void TKit3DCaption::SetShadowColor(TColor Value) { KitPut(*this, shadowColor_, Value); }
void TKit3DCaption::SetStyle(TKitThreeDStyle Value) { KitPut(*this, style_, Value); }
void TKit3DCaption::SetOrientation(TKitThreeDOrientation Value) { KitPut(*this, orientation_, Value); }
void TKit3DCaption::SetTracing(Integer Value) { KitPut(*this, tracing_, Value); }

// ---- TKitFxCaption -------------------------------------------------------------------------------

const TClass& TKitFxCaption::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitFxCaption>("TKitFxCaption", TKit3DCaption::StaticClass(), &TKitFxCaption::Publish);
  return cls;
}

void TKitFxCaption::Publish(TPublished& published) {
  using C = TKitFxCaption;
  auto p = published.For<C>();
  p.Integer("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Integer("PosX", &C::PosX, &C::SetPosX).Default(0);
  p.Integer("PosY", &C::PosY, &C::SetPosY).Default(0);
}

void TKitFxCaption::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitFxCaption*>(Source);
  if (!source) return TKit3DCaption::Assign(Source);
  TKitOneChange<TKitFxCaption> once(*this);
  TKit3DCaption::Assign(Source);
  angle_ = source->angle_;
  posX_ = source->posX_;
  posY_ = source->posY_;
}

std::string TKitFxCaption::SettingsText() {
  std::string text = TKit3DCaption::SettingsText();
  if (angle_ == 0) return text;
  if (text == "{Disabled}")
    text = "{";
  else
    text.back() = ',';
  return text + " rot: " + std::to_string(angle_) + "}";
}

void TKitFxCaption::SetAngle(Integer Value) { KitPut(*this, angle_, std::clamp(Value, kKitMinAngle, kKitMaxAngle)); }

void TKitFxCaption::SetPos(Integer Which, SmallInt Value) { KitPut(*this, Which == 0 ? posX_ : posY_, Value); }

void TKitFxCaption::SetPosXY(SmallInt X, SmallInt Y) {
  // Both at once, quietly: the measuring step places the caption this way.
  posX_ = X;
  posY_ = Y;
}
