#include "controlkit/kit_bevel.h"

#include "platform/classlib/properties.h"
#include "platform/win/gdi.h"

namespace {

using S = TKitBevelStyle;

const TEnumInfo& BevelStyleInfo() {
  static const TEnumInfo info("TKitBevelStyle", {"bvNone", "bvLowered", "bvRaised", "bvFrameLowered", "bvFrameRaised",
                                                 "bvNormal", "bvShadow"});
  return info;
}
const TEnumInfo& FrameSideInfo() {
  static const TEnumInfo info("TKitFrameSide", {"fsBottom", "fsLeft", "fsRight", "fsTop"});
  return info;
}
const TEnumInfo& EdgeStyleInfo() {
  static const TEnumInfo info("TKitEdgeStyle", {"etRaisedInner", "etRaisedOuter", "etSunkenInner", "etSunkenOuter",
                                                "etBump", "etEtched", "etRaised", "etSunken"});
  return info;
}
const TEnumInfo& BevelModeInfo() {
  static const TEnumInfo info("TKitBevelMode", {"bmCustom", "bmStandard", "bmEdge", "bmWindows"});
  return info;
}
const TEnumInfo& BorderStyleInfo() {
  static const TEnumInfo info("TKitBorderStyle",
                              {"lsNone", "lsSingle", "lsLowered", "lsRaised", "lsRaisedspb", "lsLoweredspb",
                               "lsRaisedExt", "lsLoweredExt", "lsFrameInset", "lsFrameOffset", "lsWindowBorder",
                               "lsSingleRaised", "lsSingleLowered", "lsDoubleRaised", "lsDoubleLowered"});
  return info;
}

// A bevel's own width counts one more pixel for the framed styles.
Integer StyleWidth(TKitBevelStyle style, Integer width) {
  if (style == S::bvNone) return 0;
  if (style == S::bvFrameLowered || style == S::bvFrameRaised) return width + 1;
  return width;
}

// n rings of the border colour, or (see-through) n pixels stepped over.
void Rings(TCanvas* canvas, TRect& r, Integer n, TColor color, bool seeThrough) {
  if (n <= 0) return;
  if (seeThrough) {
    r = Rect(r.left + n, r.top + n, r.right - n, r.bottom - n);
    return;
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
  for (Integer i = 0; i < n; ++i) {
    canvas->FrameRect(r);
    r = Rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
  }
}

}  // namespace

win::UINT KitEdgeKind(TKitEdgeStyle Style) {
  switch (Style) {
    case etRaisedInner: return win::BDR_RAISEDINNER;
    case etRaisedOuter: return win::BDR_RAISEDOUTER;
    case etSunkenInner: return win::BDR_SUNKENINNER;
    case etSunkenOuter: return win::BDR_SUNKENOUTER;
    case etBump: return win::EDGE_BUMP;
    case etEtched: return win::EDGE_ETCHED;
    case etRaised: return win::EDGE_RAISED;
    case etSunken: return win::EDGE_SUNKEN;
  }
  return win::EDGE_ETCHED;
}

win::UINT KitEdgeSides(TKitFrameSides Sides) {
  win::UINT flags = 0;
  if (Sides.Contains(fsBottom)) flags |= win::BF_BOTTOM;
  if (Sides.Contains(fsTop)) flags |= win::BF_TOP;
  if (Sides.Contains(fsRight)) flags |= win::BF_RIGHT;
  if (Sides.Contains(fsLeft)) flags |= win::BF_LEFT;
  return flags;
}

const TClass& TKitBevel::StaticClass() {
  static const TClass cls = TClass::Of<TKitBevel>("TKitBevel", TKitObject::StaticClass(), &TKitBevel::Publish);
  return cls;
}

void TKitBevel::Publish(TPublished& published) {
  using B = TKitBevel;
  auto p = published.For<B>();
  p.Enum("StyleInner", BevelStyleInfo(), &B::StyleInner, &B::SetStyleInner).Default(S::bvNone);
  p.Enum("StyleOuter", BevelStyleInfo(), &B::StyleOuter, &B::SetStyleOuter).Default(S::bvNone);
  p.Integer("WidthInner", &B::WidthInner, &B::SetWidthInner).Default(1);
  p.Integer("WidthOuter", &B::WidthOuter, &B::SetWidthOuter).Default(1);
  p.Integer("BorderColor", &B::BorderColor, &B::SetBorderColor).Idents(ColorIdents()).Default(clBtnFace);
  p.Integer("BorderInnerWidth", &B::BorderInnerWidth, &B::SetBorderInnerWidth).Default(0);
  p.Integer("BorderWidth", &B::BorderWidth, &B::SetBorderWidth).Default(0);
  p.Set("BorderSides", FrameSideInfo(), &B::BorderSides, &B::SetBorderSides)
      .Default(TKitFrameSides{fsBottom, fsLeft, fsRight, fsTop});
  p.Enum("EdgeStyle", EdgeStyleInfo(), &B::EdgeStyle, &B::SetEdgeStyle).Default(etEtched);
  p.Integer("LightColor", &B::LightColor, &B::SetLightColor).Idents(ColorIdents()).Default(clBtnHighlight);
  p.Enum("Mode", BevelModeInfo(), &B::Mode, &B::SetMode).Default(bmCustom);
  p.Integer("ShadowColor", &B::ShadowColor, &B::SetShadowColor).Idents(ColorIdents()).Default(clBtnShadow);
  p.Enum("StandardStyle", BorderStyleInfo(), &B::StandardStyle, &B::SetStandardStyle).Default(lsSingleLowered);
}

void TKitBevel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TKitBevel*>(Source);
  if (!src) return TKitObject::Assign(Source);
  styleInner_ = src->styleInner_;
  styleOuter_ = src->styleOuter_;
  widthInner_ = src->widthInner_;
  widthOuter_ = src->widthOuter_;
  borderColor_ = src->borderColor_;
  borderInnerWidth_ = src->borderInnerWidth_;
  borderWidth_ = src->borderWidth_;
  borderSides_ = src->borderSides_;
  edgeStyle_ = src->edgeStyle_;
  lightColor_ = src->lightColor_;
  SetModeField(src->mode_);
  shadowColor_ = src->shadowColor_;
  standardStyle_ = src->standardStyle_;
  Change();
}

std::string TKitBevel::SettingsText() {
  static const char* const names[] = {"Custom style", "Standard style", "Etged style", "Windows style"};
  return std::string("{") + names[mode_] + "}";
}

void TKitBevel::Change() {
  UpdateExtent();
  TKitObject::Change();
}

void TKitBevel::UpdateExtent() {
  const Integer inner = borderInnerWidth_;
  switch (mode_) {
    case bmCustom:
      if (styleInner_ == S::bvShadow) {
        bevelExtent_ = widthInner_ + inner;
        shadowExtent_ = widthInner_ + widthOuter_ + inner;
        return;
      }
      bevelExtent_ = borderWidth_ + inner;
      if (!(styleOuter_ == S::bvNone && styleInner_ == S::bvNone))
        bevelExtent_ += StyleWidth(styleOuter_, widthOuter_) + StyleWidth(styleInner_, widthInner_);
      break;
    case bmStandard: bevelExtent_ = ::BorderWidth(standardStyle_) + inner; break;
    case bmEdge: bevelExtent_ = (borderSides_.Empty() ? 0 : 2) + inner; break;
    case bmWindows: bevelExtent_ = windowedOwner_ ? 0 : inner + 2; break;
  }
  shadowExtent_ = bevelExtent_;
}

void TKitBevel::SetStyleInner(TKitBevelStyle Value) {
  if (styleInner_ == Value) return;
  const bool wasShadow = styleInner_ == S::bvShadow;
  styleInner_ = Value;
  if (Value == S::bvShadow)
    styleOuter_ = S::bvShadow;
  else if (wasShadow)
    styleOuter_ = S::bvNone;
  Change();
}

void TKitBevel::SetStyleOuter(TKitBevelStyle Value) {
  if (styleOuter_ == Value) return;
  const bool wasShadow = styleOuter_ == S::bvShadow;
  styleOuter_ = Value;
  if (Value == S::bvShadow)
    styleInner_ = S::bvShadow;
  else if (wasShadow)
    styleInner_ = S::bvNone;
  Change();
}

void TKitBevel::SetWidthInner(TKitBevelWidth Value) { KitPut(*this, widthInner_, Value); }
void TKitBevel::SetWidthOuter(TKitBevelWidth Value) { KitPut(*this, widthOuter_, Value); }
void TKitBevel::SetBorderColor(TColor Value) { KitPut(*this, borderColor_, Value); }
void TKitBevel::SetBorderInnerWidth(TKitBorderWidth Value) { KitPut(*this, borderInnerWidth_, Value); }
void TKitBevel::SetBorderWidth(TKitBorderWidth Value) { KitPut(*this, borderWidth_, Value); }
void TKitBevel::SetBorderSides(TKitFrameSides Value) { KitPut(*this, borderSides_, Value); }
void TKitBevel::SetEdgeStyle(TKitEdgeStyle Value) { KitPut(*this, edgeStyle_, Value); }
void TKitBevel::SetLightColor(TColor Value) { KitPut(*this, lightColor_, Value); }
void TKitBevel::SetShadowColor(TColor Value) { KitPut(*this, shadowColor_, Value); }

void TKitBevel::SetModeField(TKitBevelMode Value) {
  if (windowedOwner_ && (mode_ == bmWindows) != (Value == bmWindows)) needsNewWindow_ = 1;
  mode_ = Value;
}

void TKitBevel::SetMode(TKitBevelMode Value) {
  if (mode_ == Value) return;
  SetModeField(Value);
  Change();
}

void TKitBevel::SetStandardStyle(TKitBorderStyle Value) {
  if (standardStyle_ == Value) return;
  standardStyle_ = Value;
  if (mode_ == bmStandard)
    Change();
  else
    UpdateExtent();
}

void TKitBevel::SetWindowedOwner(bool Value) {
  windowedOwner_ = Value ? 1 : 0;
  UpdateExtent();
}

bool TKitBevel::TakeNeedsNewWindow() {
  const bool v = needsNewWindow_ != 0;
  needsNewWindow_ = 0;
  return v;
}

TRect TKitBevel::ClientRect(const TRect& R) const {
  if (IsShadow()) {
    const Integer lt = widthInner_ + borderInnerWidth_;
    const Integer rb = widthInner_ + widthOuter_ + borderInnerWidth_;
    return Rect(R.left + lt, R.top + lt, R.right - rb, R.bottom - rb);
  }
  const Integer e = bevelExtent_;
  return Rect(R.left + e, R.top + e, R.right - e, R.bottom - e);
}

TRect TKitBevel::Paint(TCanvas* Canvas, const TRect& R, bool SeeThrough) {
  TRect r = R;
  if (bevelExtent_ == 0 || !Canvas) return r;
  switch (mode_) {
    case bmCustom:
      if (styleInner_ == S::bvShadow) {
        DrawShadowBevel(Canvas, r, lightColor_, SeeThrough, widthInner_, widthOuter_, borderColor_, shadowColor_);
      } else {
        DrawBevel(Canvas, r, styleOuter_, widthOuter_, shadowColor_, lightColor_);
        Rings(Canvas, r, borderWidth_, borderColor_, SeeThrough);
        DrawBevel(Canvas, r, styleInner_, widthInner_, shadowColor_, lightColor_);
      }
      break;
    case bmStandard: DrawBorder(Canvas, r, standardStyle_, 0); break;
    case bmEdge:
      if (!borderSides_.Empty()) {
        win::RECT wr{r.left, r.top, r.right, r.bottom};
        win::DrawEdge(Canvas->Handle(), &wr, KitEdgeKind(edgeStyle_), KitEdgeSides(borderSides_));
      }
      r = Rect(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
      break;
    case bmWindows: DrawBorder(Canvas, r, lsLoweredExt, 0); break;
  }
  Rings(Canvas, r, borderInnerWidth_, borderColor_, SeeThrough);
  return r;
}
