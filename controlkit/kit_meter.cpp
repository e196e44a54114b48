#include "controlkit/kit_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "controlkit/kit_draw.h"
#include "controlkit/kit_text_effects.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/format_args.h"
#include "platform/win/text/text.h"

namespace {

const bool kProgressRegistered = [] {
  RegisterClass(TKitProgress::StaticClass());
  return true;
}();

bool Loading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }

// Halves to even (the default rounding mode).
Integer RoundEven(double v) { return static_cast<Integer>(std::nearbyint(v)); }

const TEnumInfo& MeterAlignmentInfo() { return AlignmentInfo(); }

const TEnumInfo& KitBorderStyleInfo() {
  static const TEnumInfo info("TKitBorderStyle",
                              {"lsNone", "lsSingle", "lsLowered", "lsRaised", "lsRaisedspb", "lsLoweredspb",
                               "lsRaisedExt", "lsLoweredExt", "lsFrameInset", "lsFrameOffset", "lsWindowBorder",
                               "lsSingleRaised", "lsSingleLowered", "lsDoubleRaised", "lsDoubleLowered"});
  return info;
}

bool Horizontal(TKitMeterDirection d) { return d == mdHorizontal || d == mdHorizontalReverse; }

}  // namespace

const TEnumInfo& KitMeterDirectionInfo() {
  static const TEnumInfo info("TKitMeterDirection",
                              {"mdHorizontal", "mdVertical", "mdHorizontalReverse", "mdVerticalReverse"});
  return info;
}

const TEnumInfo& KitMeterTextOptionsInfo() {
  static const TEnumInfo info("TKitMeterTextOptions", {"toNoText", "toCaption", "toPercent"});
  return info;
}

const TEnumInfo& KitProgressStyleInfo() {
  static const TEnumInfo info("TKitProgressStyle", {"pgBar", "pgSmallBar", "pgSmallBarColor", "pgOwnerDraw"});
  return info;
}

TRect KitMeterFilledPart(TKitMeterDirection Direction, Integer Width, Integer Height, Integer P) {
  // Integer arithmetic: p x 0.01 x n in floating point loses a pixel at 29 % of 100.
  auto fill = [P](Integer n) { return std::min<Integer>(n, static_cast<Integer>(Int64{P} * n / 100)); };
  switch (Direction) {
    case mdVertical: return Rect(0, 0, Width, fill(Height));
    case mdHorizontalReverse: return Rect(Width - fill(Width), 0, Width, Height);
    case mdVerticalReverse: return Rect(0, Height - fill(Height), Width, Height);
    default: return Rect(0, 0, fill(Width), Height);
  }
}

TRect KitMeterEmptyPart(TKitMeterDirection Direction, Integer Width, Integer Height, const TRect& Filled) {
  switch (Direction) {
    case mdVertical: return Rect(0, Filled.bottom, Width, Height);
    case mdHorizontalReverse: return Rect(0, 0, Filled.left, Height);
    case mdVerticalReverse: return Rect(0, 0, Width, Filled.top);
    default: return Rect(Filled.right, 0, Width, Height);
  }
}

Integer KitSmallBarBlockSize(Integer Length, Integer Space, Integer Count) {
  if (Count <= 0) return 0;
  const Integer bs = (Length - Space * Count) / Count;
  return bs < 0 ? 0 : bs;
}

// ---- TKitBaseMeter --------------------------------------------------------------------------

const TClass& TKitBaseMeter::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitBaseMeter>("TKitBaseMeter", TKitGraphicControl::StaticClass(), &TKitBaseMeter::Publish);
  return cls;
}

void TKitBaseMeter::Publish(TPublished& published) {
  using M = TKitBaseMeter;
  auto p = published.For<M>();
  p.Object("Bevel", &M::Bevel, &M::SetBevel);
  p.Object("Font3D", &M::Font3D, &M::SetFont3D);
  p.Enum("Alignment", MeterAlignmentInfo(), &M::Alignment, &M::SetAlignment).Default(taCenter);
  p.Enum("Direction", KitMeterDirectionInfo(), &M::Direction, &M::SetDirection).Default(mdHorizontal);
  p.Integer("MinValue", &M::MinValue, &M::SetMinValue).Default(0);
  p.Integer("MaxValue", &M::MaxValue, &M::SetMaxValue).Default(100);
  p.Integer("Position", &M::Position, [](M* m, TKitPercent v) { m->SetPosition(v); }).Default(0);
  p.Integer("Step", &M::Step, &M::SetStep).Default(10);
  p.Enum("OptionsText", KitMeterTextOptionsInfo(), &M::OptionsText, &M::SetOptionsText).Default(toNoText);
  p.Boolean("UseFontColor", &M::UseFontColor, &M::SetUseFontColor).Default(false);
}

TKitBaseMeter::TKitBaseMeter(TComponent* AOwner)
    : TKitGraphicControl(AOwner), font3D_(std::make_unique<TKit3DCaption>()) {
  font3D_->OnChange = [this](TObject* sender) { GetChange(sender); };
  SetTransparent(false);
  TControlStyle style = ControlStyle();
  style.Exclude(csSetCaption);
  style.Include(csReplicatable);
  SetControlStyle(style);
  Bevel()->BeginUpdate();
  Bevel()->SetStyleOuter(TKitBevelStyle::bvLowered);
  Bevel()->EndUpdate(false);
  Bevel()->UpdateExtent();
  SetBounds(Left(), Top(), 80, 20);
}

TKitBaseMeter::~TKitBaseMeter() { font3D_->OnChange = nullptr; }

void TKitBaseMeter::DefineProperties(TFiler* filer) {
  TKitGraphicControl::DefineProperties(filer);
  filer->DefineProperty(
      "BevelOuterNone",
      [this](TReader& r) {
        if (r.ReadBoolean()) Bevel()->SetStyleOuter(TKitBevelStyle::bvNone);
      },
      [](TWriter& w) { w.WriteBoolean(true); }, Bevel()->StyleOuter() == TKitBevelStyle::bvNone);
}

void TKitBaseMeter::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  GetChange(this);
}

void TKitBaseMeter::SetDirection(TKitMeterDirection Value) {
  if (direction_ == Value) return;
  direction_ = Value;
  GetChange(this);
}

void TKitBaseMeter::SetOptionsText(TKitMeterTextOptions Value) {
  if (optionsText_ == Value) return;
  optionsText_ = Value;
  GetChange(this);
}

void TKitBaseMeter::SetUseFontColor(bool Value) {
  if (useFontColor_ == Value) return;
  useFontColor_ = Value;
  GetChange(this);
}

void TKitBaseMeter::SetPosition(Integer Value) {
  if (Value == position_) return;
  position_ = static_cast<TKitPercent>(std::clamp<Integer>(Value, 0, 100));
  UserValueFromPosition();
  UpdateBar();
}

void TKitBaseMeter::UserValueFromPosition() {
  userValue_ = minValue_ + RoundEven(position_ * static_cast<double>(maxValue_ - minValue_) / 100.0);
}

void TKitBaseMeter::PositionFromUserValue() {
  const Integer range = maxValue_ - minValue_;
  const Integer p = range == 0 ? 0 : RoundEven((userValue_ - minValue_) * 100.0 / range);
  position_ = static_cast<TKitPercent>(std::clamp<Integer>(p, 0, 100));
}

void TKitBaseMeter::SetUserValue(Integer Value) {
  if (Value < minValue_ || Value > maxValue_ || Value == userValue_) return;
  userValue_ = Value;
  PositionFromUserValue();
  UpdateBar();
}

void TKitBaseMeter::SetMaxValue(Integer Value) {
  if (ComponentState().Contains(csLoading)) {
    maxValue_ = Value;
    return;
  }
  if (Value == minValue_ || Value == maxValue_) return;
  const Integer other = minValue_;
  minValue_ = std::min(Value, other);
  maxValue_ = std::max(Value, other);
  if (userValue_ < minValue_ || userValue_ > maxValue_) userValue_ = maxValue_;
  PositionFromUserValue();
  GetChange(this);
}

void TKitBaseMeter::SetMinValue(Integer Value) {
  if (ComponentState().Contains(csLoading)) {
    minValue_ = Value;
    return;
  }
  if (Value == minValue_ || Value == maxValue_) return;
  const Integer other = maxValue_;
  minValue_ = std::min(Value, other);
  maxValue_ = std::max(Value, other);
  if (userValue_ < minValue_ || userValue_ > maxValue_) userValue_ = minValue_;
  PositionFromUserValue();
  GetChange(this);
}

void TKitBaseMeter::Loaded() {
  TKitGraphicControl::Loaded();
  if (minValue_ > maxValue_) std::swap(minValue_, maxValue_);
  // Position is what a form stores; the value follows from it and the range.
  UserValueFromPosition();
}

TRect TKitBaseMeter::CurrentBarRect() {
  if (barRect_.right <= barRect_.left || barRect_.bottom <= barRect_.top)
    barRect_ = Bevel()->ClientRect(Rect(0, 0, Width(), Height()));
  return barRect_;
}

void TKitBaseMeter::Paint() {
  if (Loading(this)) return;
  if (!resizing_) {
    lastDrawn_ = -1;
    TCanvas* canvas = Canvas();
    const TRect client = Rect(0, 0, Width(), Height());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    barRect_ = Bevel()->Paint(canvas, client, false);
    UpdateBar();
  }
  resizing_ = false;
}

void TKitBaseMeter::UpdateBar() {
  if (Loading(this) || drawing_) return;
  if (!Visible() || !Parent() || !Parent()->HandleAllocated()) return;
  const Integer p = position_;
  if (p != 0 && lastDrawn_ >= 0 && std::abs(p - lastDrawn_) < minRedrawStep_) {
    if (!(optionsText_ == toPercent && p != lastDrawn_)) return;
  }
  const TRect bar = CurrentBarRect();
  const Integer w = bar.right - bar.left, h = bar.bottom - bar.top;
  if (w <= 0 || h <= 0) return;
  drawing_ = true;
  try {
    TBitmap bmp;
    FillBitmap(&bmp, Rect(0, 0, w, h), Color());
    const TRect filled = KitMeterFilledPart(direction_, w, h, p);
    const TRect empty = KitMeterEmptyPart(direction_, w, h, filled);
    DrawBar(bmp.Canvas(), Rect(0, 0, w, h), empty, filled, p);
    Canvas()->Draw(bar.left, bar.top, &bmp);
    lastDrawn_ = p;
  } catch (...) {
    drawing_ = false;
    throw;
  }
  drawing_ = false;
}

void TKitBaseMeter::DrawMeterText(TCanvas* Canvas, const TRect& Bar, const TRect& Empty, const TRect& Filled,
                                  Integer P, TColor Second) {
  std::string text;
  if (optionsText_ == toPercent)
    text = Format("%d%%", P);
  else if (optionsText_ == toCaption)
    text = Caption();
  else
    return;
  Canvas->SetFont(Font());
  Canvas->Brush()->SetStyle(bsClear);
  Cardinal flags = win::DT_SINGLELINE | win::DT_VCENTER;
  switch (alignment_) {
    case taLeftJustify: flags |= win::DT_LEFT; break;
    case taRightJustify: flags |= win::DT_RIGHT; break;
    default: flags |= win::DT_CENTER; break;
  }
  const Word state = Enabled() ? kKitTextEnabled : 0;
  if (useFontColor_) {
    DrawTextEffect(Canvas, text, font3D_.get(), Bar, flags, state, nullptr);
    return;
  }
  // Inverted where the bar has passed: background colour over the filled part.
  Canvas->Font()->SetColor(Color());
  DrawTextEffect(Canvas, text, nullptr, Bar, flags, state | kKitTextClip, &Filled);
  Canvas->Font()->SetColor(Second);
  DrawTextEffect(Canvas, text, nullptr, Bar, flags, state | kKitTextClip, &Empty);
}

// ---- TKitSmallBar ---------------------------------------------------------------------------

const TClass& TKitSmallBar::StaticClass() {
  static const TClass cls = TClass::Of<TKitSmallBar>("TKitSmallBar", TKitObject::StaticClass(), &TKitSmallBar::Publish);
  return cls;
}

void TKitSmallBar::Publish(TPublished& published) {
  using S = TKitSmallBar;
  auto p = published.For<S>();
  p.Boolean("AutoSize", &S::AutoSize, &S::SetAutoSize).Default(true);
  p.Integer("BarCount", &S::BarCount, &S::SetBarCount).Default(10);
  p.Integer("BarColor", &S::BarColor, &S::SetBarColor).Idents(ColorIdents()).Default(clNavy);
  p.Integer("HSpace", &S::HSpace, &S::SetHSpace).Default(3);
  p.Integer("VSpace", &S::VSpace, &S::SetVSpace).Default(3);
}

void TKitSmallBar::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TKitSmallBar*>(Source)) {
    autoSize_ = other->autoSize_;
    barCount_ = other->barCount_;
    barColor_ = other->barColor_;
    hSpace_ = other->hSpace_;
    vSpace_ = other->vSpace_;
    Change();
    return;
  }
  TKitObject::Assign(Source);
}

void TKitSmallBar::SetAutoSize(bool Value) {
  autoSize_ = Value;
  Change();
}

void TKitSmallBar::SetBarCount(Byte Value) {
  barCount_ = Value == 0 ? 1 : Value;
  Change();
}

void TKitSmallBar::SetBarColor(TColor Value) {
  barColor_ = Value;
  Change();
}

void TKitSmallBar::SetHSpace(Byte Value) {
  hSpace_ = Value;
  Change();
}

void TKitSmallBar::SetVSpace(Byte Value) {
  vSpace_ = Value;
  Change();
}

// ---- TKitCustomProgress ---------------------------------------------------------------------

const TClass& TKitCustomProgress::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomProgress>("TKitCustomProgress", TKitBaseMeter::StaticClass());
  return cls;
}

TKitCustomProgress::TKitCustomProgress(TComponent* AOwner)
    : TKitBaseMeter(AOwner), smallBar_(std::make_unique<TKitSmallBar>()) {
  smallBar_->OnChange = [this](TObject*) { SmallBarChanged(); };
  SetColor(clWindow);
  SetMinRedrawStep(5);
}

TKitCustomProgress::~TKitCustomProgress() { smallBar_->OnChange = nullptr; }

void TKitCustomProgress::SetBarColor(TColor Value) {
  if (barColor_ == Value) return;
  barColor_ = Value;
  if (style_ == pgBar) GetChange(this);
}

void TKitCustomProgress::SetBar3D(TKitBorderStyle Value) {
  if (bar3D_ == Value) return;
  bar3D_ = Value;
  if (style_ == pgBar) GetChange(this);
}

void TKitCustomProgress::SetStyle(TKitProgressStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  SmallBarChanged();
}

void TKitCustomProgress::SmallBarChanged() {
  Byte step = 1;
  // Blocks change only every half block: smaller steps would redraw the same picture.
  if (SmallBarStyle() && OptionsText() != toPercent) step = static_cast<Byte>((100 / smallBar_->BarCount()) / 2);
  SetMinRedrawStep(step);
  GetChange(this);
}

bool TKitCustomProgress::AutoSizeSmallBar() {
  if (!SmallBarStyle() || Align() != alNone || !smallBar_->AutoSize() || resizing_) return false;
  const Integer e = 2 * Bevel()->BevelExtent();
  const Integer count = smallBar_->BarCount();
  Integer w = Width(), h = Height();
  if (Horizontal(Direction())) {
    const Integer bs = KitSmallBarBlockSize(w - e, smallBar_->HSpace(), count);
    w = (bs + smallBar_->HSpace()) * count + smallBar_->HSpace() + e;
  } else {
    const Integer bs = KitSmallBarBlockSize(h - e, smallBar_->VSpace(), count);
    h = (bs + smallBar_->VSpace()) * count + smallBar_->VSpace() + e;
  }
  if (w == Width() && h == Height()) return false;
  resizing_ = true;
  SetBounds(Left(), Top(), w, h);
  return true;
}

void TKitCustomProgress::Paint() {
  // A resize skips this paint (the base sees the flag); the resize repaints.
  if (!ComponentState().Contains(csLoading)) AutoSizeSmallBar();
  TKitBaseMeter::Paint();
}

void TKitCustomProgress::DrawBar(TCanvas* Canvas, const TRect& Bar, const TRect& Empty, const TRect& Filled,
                                 Integer P) {
  switch (style_) {
    case pgBar: {
      Canvas->Brush()->SetStyle(bsSolid);
      Canvas->Brush()->SetColor(barColor_);
      Canvas->FillRect(Filled);
      if (P > 0) {
        TRect r = Filled;
        DrawBorder(Canvas, r, bar3D_, 0);
      }
      DrawMeterText(Canvas, Bar, Empty, Filled, P, barColor_);
      break;
    }
    case pgSmallBar:
    case pgSmallBarColor:
      DrawBlocks(Canvas, Bar, Filled, P);
      DrawMeterText(Canvas, Bar, Empty, Filled, P, smallBar_->BarColor());
      break;
    case pgOwnerDraw:
      if (OnPaint) OnPaint(this, Canvas, Bar, Empty, Filled);
      break;
  }
}

void TKitCustomProgress::DrawBlocks(TCanvas* Canvas, const TRect& Bar, const TRect& Filled, Integer P) {
  const Integer w = Bar.right - Bar.left, h = Bar.bottom - Bar.top;
  const Integer hs = smallBar_->HSpace(), vs = smallBar_->VSpace();
  const Integer count = smallBar_->BarCount();
  const bool horizontal = Horizontal(Direction());
  const Integer bs = horizontal ? KitSmallBarBlockSize(w, hs, count) : KitSmallBarBlockSize(h, vs, count);
  const Integer n = RoundEven(P * static_cast<double>(count) / 100.0);
  Canvas->Brush()->SetStyle(bsSolid);
  if (bs == 0) {
    Canvas->Brush()->SetColor(smallBar_->BarColor());
    const TRect r = Rect(Filled.left + hs, Filled.top + vs, Filled.right - hs, Filled.bottom - vs);
    if (r.right > r.left && r.bottom > r.top) Canvas->FillRect(r);
    return;
  }
  for (Integer i = 0; i < n; ++i) {
    TColor color = smallBar_->BarColor();
    if (style_ == pgSmallBarColor && OnGetColor) OnGetColor(this, i, color);
    Canvas->Brush()->SetColor(color);
    const bool reverse = Direction() == mdHorizontalReverse || Direction() == mdVerticalReverse;
    // The reverse directions fill from the far end: slot j - 1 .. j with j = count - i.
    const Integer lo = reverse ? count - i - 1 : i;
    const Integer hi = lo + 1;
    const TRect r = horizontal ? Rect(hs + lo * (hs + bs), vs, hi * (hs + bs), h - vs)
                               : Rect(hs, vs + lo * (vs + bs), w - hs, hi * (vs + bs));
    Canvas->FillRect(r);
  }
}

// ---- TKitProgress ---------------------------------------------------------------------------

const TClass& TKitProgress::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitProgress>("TKitProgress", TKitCustomProgress::StaticClass(), &TKitProgress::Publish);
  return cls;
}

void TKitProgress::Publish(TPublished& published) {
  using P = TKitProgress;
  TControl::PublishProperties(published, {"Align", "Caption", "Color", "Enabled", "Font", "ParentFont", "Visible",
                                          "OnClick"});
  auto p = published.For<P>();
  p.Integer("BarColor", &P::BarColor, &P::SetBarColor).Idents(ColorIdents()).Default(clNavy);
  p.Enum("Bar3D", KitBorderStyleInfo(), &P::Bar3D, &P::SetBar3D).Default(lsNone);
  p.Object("SmallBar", &P::SmallBar, &P::SetSmallBar);
  p.Enum("Style", KitProgressStyleInfo(), &P::Style, &P::SetStyle).Default(pgSmallBar);
  p.Event("OnPaint", &P::OnPaint);
  p.Event("OnGetColor", &P::OnGetColor);
  p.Event("OnMouseEnter", &P::OnMouseEnter);
  p.Event("OnMouseExit", &P::OnMouseExit);
}
