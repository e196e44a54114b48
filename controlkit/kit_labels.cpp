#include "controlkit/kit_labels.h"

#include <algorithm>
#include <cctype>

#include "controlkit/kit_application.h"
#include "controlkit/kit_glyph_layout.h"
#include "controlkit/kit_image_list.h"
#include "platform/classlib/application.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/control_messages.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/services.h"
#include "platform/win/text/text.h"
#include "platform/win/window.h"

// ---- TKitCountdown -----------------------------------------------------------------------------

void TKitCountdown::Start(Integer ms, std::function<void()> OnDone) {
  Stop();
  if (!KitApplication) return;
  done_ = std::move(OnDone);
  left_ = ms;
  const Word step = KitApplication->TimerPool()->MinInterval();
  id_ = KitApplication->AddTimer(step, [this](TObject*) { Tick(); });
}

void TKitCountdown::Stop() {
  if (id_ == 0) return;
  const Word id = id_;
  id_ = 0;
  if (KitApplication) KitApplication->RemoveTimer(id);
}

void TKitCountdown::Tick() {
  left_ -= KitApplication->TimerPool()->MinInterval();
  if (left_ > 0) return;
  std::function<void()> done = std::move(done_);
  Stop();
  if (done) done();
}

// ---- text flags ------------------------------------------------------------------------------------

Cardinal KitAlignmentTextFlags(TKitAlignment Alignment) {
  Cardinal flags = 0;
  switch (Alignment) {
    case agTopCenter: case agCenter: case agBottomCenter: flags |= win::DT_CENTER; break;
    case agTopRight: case agCenterRight: case agBottomRight: flags |= win::DT_RIGHT; break;
    default: break;
  }
  switch (Alignment) {
    case agCenterLeft: case agCenter: case agCenterRight: flags |= win::DT_VCENTER; break;
    case agBottomLeft: case agBottomCenter: case agBottomRight: flags |= win::DT_BOTTOM; break;
    default: break;
  }
  return flags;
}

Cardinal KitLabelOptionFlags(const TKitLabelOptions& Options) {
  Cardinal flags = 0;
  if (Options.Contains(loPathEllipsis)) flags |= win::DT_PATH_ELLIPSIS;
  if (Options.Contains(loEndEllipsis)) flags |= win::DT_END_ELLIPSIS;
  if (Options.Contains(loEditControl)) flags |= win::DT_EDITCONTROL;
  return flags;
}

// ---- TKitBaseLabel -------------------------------------------------------------------------------------

const TClass& TKitBaseLabel::StaticClass() {
  static const TClass cls = TClass::Of<TKitBaseLabel>("TKitBaseLabel", TKitBaseGraphicControl::StaticClass());
  return cls;
}

TKitBaseLabel::TKitBaseLabel(TComponent* AOwner) : TKitBaseGraphicControl(AOwner) {
  SetColor(clWindow);
}

TKitBaseLabel::~TKitBaseLabel() { twinkleTimer_.Stop(); }

void TKitBaseLabel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  Invalidate();
}

void TKitBaseLabel::SetMultiLine(bool value) {
  if (multiLine_ == value) return;
  multiLine_ = value;
  AdjustBounds();
  Invalidate();
}

void TKitBaseLabel::SetAlignment(TKitAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TKitBaseLabel::SetOptions(TKitLabelOptions value) {
  if (options_ == value) return;
  options_ = value;
  Invalidate();
}

void TKitBaseLabel::SetTwinkleColor(TColor value) {
  if (twinkleColor_ == value) return;
  twinkleColor_ = value;
  if (!twinkleShown_) Invalidate();
}

void TKitBaseLabel::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  AdjustBounds();
}

void TKitBaseLabel::SetTwinkle(bool value) {
  if (twinkle_ == value) return;
  twinkle_ = value;
  twinkleShown_ = true;
  if (value) {
    twinkleTimer_.Start(twinkleVisible_, [this] { TwinkleTick(); });
  } else {
    twinkleTimer_.Stop();
    Invalidate();
  }
}

void TKitBaseLabel::TwinkleTick() {
  twinkleShown_ = !twinkleShown_;
  twinkleTimer_.Start(twinkleShown_ ? twinkleVisible_ : twinkleInVisible_, [this] { TwinkleTick(); });
  Invalidate();
}

void TKitBaseLabel::SetFocusControl(TWinControl* value) {
  if (focusControl_ == value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = value;
  if (value) value->FreeNotification(this);
}

void TKitBaseLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TKitBaseGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

bool TKitBaseLabel::IsEmptyTransparent() { return Transparent() && GetLabelText().empty(); }

std::string TKitBaseLabel::GetLabelText() { return Caption(); }

void TKitBaseLabel::FontChanged(TObject* Sender) {
  if (ComponentState().Contains(csLoading)) return;
  if (Sender == Font()) SetParentFont(false);
  if (!ComponentState().Contains(csReading)) Canvas()->Font()->Assign(Font());
  Invalidate();
}

void TKitBaseLabel::Loaded() {
  TKitBaseGraphicControl::Loaded();
  Canvas()->Font()->Assign(Font());
  AdjustBounds();
}

void TKitBaseLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (showAccelChar_ && focusControl_ && Enabled() &&
        IsAccel(static_cast<Word>(Message.WParam), Caption()) && focusControl_->CanFocus()) {
      focusControl_->SetFocus();
      Message.Result = 1;
      return;
    }
  }
  TKitBaseGraphicControl::Dispatch(Message);
}

void TKitBaseLabel::CMTextChanged(TMessage& Message) {
  TKitBaseGraphicControl::CMTextChanged(Message);
  AdjustBounds();
  Invalidate();
}

void TKitBaseLabel::CMFontChanged(TMessage& Message) {
  TKitBaseGraphicControl::CMFontChanged(Message);
  if (!suppressFontChange_) FontChanged(Font());
}

Cardinal TKitBaseLabel::BaseTextFlags() const {
  Cardinal flags = KitLabelOptionFlags(options_);
  if (!showAccelChar_) flags |= win::DT_NOPREFIX;
  return flags;
}

void TKitBaseLabel::Paint() {
  if (ComponentState().Contains(csLoading) || painting_) return;
  painting_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{painting_};
  PaintLabel();
}

void TKitBaseLabel::DrawPhasedText(const std::string& Text, TKit3DCaption* Caption, const TRect& R, Cardinal Flags) {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->Font()->Assign(Font());
  const Word state = Enabled() ? kKitTextEnabled : 0;
  if (twinkleShown_) {
    DrawTextEffect(canvas, Text, Caption, R, Flags, state, nullptr);
  } else if (twinkleColor_ != clNone) {
    canvas->Font()->SetColor(twinkleColor_);
    DrawTextEffect(canvas, Text, nullptr, R, Flags, state, nullptr);
  }
}

// ---- TKitCustomSimpleLabel ----------------------------------------------------------------------------

const TClass& TKitCustomSimpleLabel::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitCustomSimpleLabel>("TKitCustomSimpleLabel", TKitBaseLabel::StaticClass());
  return cls;
}

TKitCustomSimpleLabel::TKitCustomSimpleLabel(TComponent* AOwner)
    : TKitBaseLabel(AOwner), font3D_(std::make_unique<TKit3DCaption>()) {
  font3D_->OnChange = [this](TObject*) {
    AdjustBounds();
    Invalidate();
  };
}

TKitCustomSimpleLabel::~TKitCustomSimpleLabel() { font3D_->OnChange = nullptr; }

void TKitCustomSimpleLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csLoading)) return;
  TRect r = ClientRect();
  Cardinal flags = BaseTextFlags();
  MeasureTextEffect(GetLabelText(), font3D_.get(), r, Font(), MultiLine(), ShowAccelChar(), 0, flags);
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TKitCustomSimpleLabel::PaintLabel() {
  if (IsEmptyTransparent()) {
    if (ComponentState().Contains(csDesigning)) DrawDesignFrame();
    return;
  }
  const std::string text = GetLabelText();
  TRect r = ClientRect();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  if (!Transparent()) FillSolidRect(canvas, r, Color());
  Cardinal flags = BaseTextFlags();
  if (MultiLine() && Alignment() >= agCenterLeft) {
    TRect measured;
    AlignedTextRect(Alignment(), text, font3D_.get(), r, Font(), true, ShowAccelChar(), flags, measured);
    r = measured;
  }
  if (!MultiLine()) flags |= win::DT_SINGLELINE;
  flags |= KitAlignmentTextFlags(Alignment()) | win::DT_WORDBREAK | win::DT_EXPANDTABS;
  DrawPhasedText(text, font3D_.get(), r, flags);
}

// ---- TKitSimpleLabel -----------------------------------------------------------------------------------

const TClass& TKitSimpleLabel::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitSimpleLabel>("TKitSimpleLabel", TKitCustomSimpleLabel::StaticClass(), &TKitSimpleLabel::Publish);
  return cls;
}

const TEnumInfo& KitLabelOptionInfo() {
  static const TEnumInfo info("TKitLabelOption", {"loPathEllipsis", "loEndEllipsis", "loEditControl"});
  return info;
}

const TEnumInfo& KitJumpModeInfo() {
  static const TEnumInfo info("TKitJumpModes", {"jmInternet", "jmApplication", "jmNone", "jmCustom"});
  return info;
}

const TEnumInfo& KitInfoTypeInfo() {
  static const TEnumInfo info(
      "TKitInfoType",
      {"itUser",          "itWinDir",          "itCurrentDir32",    "itCurrentDiskFree32", "itCurrentDiskSize32",
       "itSystemDir",     "itReg_Owner32",     "itReg_Company32",   "itVersion",           "itColorDepth",
       "itScreenSaverDelay", "itMemSize",      "itFreeSysRes",      "itFreeGDIRes",        "itFreeUserRes",
       "itComputerName32", "itMajorVerNr32",   "itBuildNr32",       "itMemLoaded32",       "itMemFree32",
       "itMemPageFree32", "itMemPageTotal32",  "itMemVirtFree32",   "itMemVirtTotal32",    "itPlatformID32",
       "itPlatform32",    "itProcessorCont32", "itProcessor32",     "itTempPath32",        "itDOSVersion",
       "itNumLock",       "itCapsLock",        "itScroll",          "itCurrentDateTime",   "itProgCompany",
       "itProgName",      "itProgVersion",     "itProgCopyright",   "itProgTrademark",     "itProgDescription",
       "itProgComments",  "itCPUSpeed"});
  return info;
}

void RegisterKitLabelClasses() {
  RegisterClasses({&TKitSimpleLabel::StaticClass(), &TKitInformationLabel::StaticClass()});
}

namespace {

// The properties every published label shares.
template <class L>
void PublishLabelBase(TPublished& published) {
  TControl::PublishProperties(published, {"Align", "Anchors", "Caption", "Color", "Enabled", "Font", "ParentColor", "ParentFont",
                                          "ParentShowHint", "ShowHint", "Visible", "OnClick"});
  auto p = published.For<L>();
  p.Enum("Alignment", KitAlignmentInfo(), &L::Alignment, &L::SetAlignment).Default(agTopLeft);
  p.Boolean("AutoSize", &L::AutoSize, &L::SetAutoSize).Default(true);
  p.Boolean("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
  p.Boolean("ShowAccelChar", &L::ShowAccelChar, &L::SetShowAccelChar).Default(true);
  p.Boolean("MultiLine", &L::MultiLine, &L::SetMultiLine).Default(false);
  p.Set("Options", KitLabelOptionInfo(), &L::Options, &L::SetOptions);
  p.Boolean("Twinkle", &L::Twinkle, &L::SetTwinkle).Default(false);
  p.Integer("TwinkleVisible", &L::TwinkleVisible, &L::SetTwinkleVisible).Default(700);
  p.Integer("TwinkleInVisible", &L::TwinkleInVisible, &L::SetTwinkleInVisible).Default(700);
  p.Integer("TwinkleColor", &L::TwinkleColor, &L::SetTwinkleColor).Idents(ColorIdents()).Default(clNone);
  p.Component("ImageList", &L::ImageList, &L::SetImageList).StoredIf(&L::ImageListStored);
  p.Integer("ImageIndex", &L::ImageIndex, &L::SetImageIndex).Default(0);
  p.Integer("ListIndex", &L::ListIndex, &L::SetListIndex).Default(0);
  p.Event("OnMouseEnter", &L::OnMouseEnter);
  p.Event("OnMouseExit", &L::OnMouseExit);
}

}  // namespace

void TKitSimpleLabel::Publish(TPublished& published) {
  using L = TKitSimpleLabel;
  PublishLabelBase<L>(published);
  auto p = published.For<L>();
  p.Object("Font3D", &L::Font3D, &L::SetFont3D);
  p.String("Jump", &L::Jump, &L::SetJump).Default("");
  p.Enum("JumpMode", KitJumpModeInfo(), &L::JumpMode, &L::SetJumpMode).Default(jmNone);
  p.Integer("ActiveColor", &L::ActiveColor, &L::SetActiveColor).Idents(ColorIdents()).Default(clPurple);
  p.Integer("InActiveColor", &L::InActiveColor, &L::SetInActiveColor).Idents(ColorIdents()).Default(clBlue);
  p.Boolean("JumpUnderline", &L::JumpUnderline, &L::SetJumpUnderline).Default(true);
  p.Component("FocusControl", &L::FocusControl, &L::SetFocusControl);
}

TKitSimpleLabel::TKitSimpleLabel(TComponent* AOwner) : TKitCustomSimpleLabel(AOwner) {}

void TKitSimpleLabel::SetInActiveColor(TColor value) {
  inActiveColor_ = value;
  if (legacyJump_) Font()->SetColor(value);
}

void TKitSimpleLabel::SetJumpUnderline(bool value) {
  jumpUnderline_ = value;
  if (legacyJump_) {
    TFontStyles s = Font()->Style();
    s.Include(fsUnderline);
    Font()->SetStyle(s);
  }
}

void TKitSimpleLabel::SetJumpMode(TKitJumpMode value) {
  jumpMode_ = value;
  // A form stores the look (font, cursor) itself; reading the mode must not overwrite it.
  if (ComponentState().Contains(csLoading)) return;
  const bool designing = ComponentState().Contains(csDesigning);
  TFontStyles style = Font()->Style();
  if (value == jmNone) {
    if (!designing) SetCursor(crDefault);
    Font()->SetColor(clBlack);
    if (jumpUnderline_) style.Exclude(fsUnderline);
  } else {
    clicks_ = 0;
    Font()->SetColor(inActiveColor_);
    if (jumpUnderline_) style.Include(fsUnderline);
    if (!designing) SetCursor(crHandPoint);
  }
  Font()->SetStyle(style);
}

std::string TKitSimpleLabel::JumpTarget() {
  if (!Trim(jump_).empty()) return jump_;
  std::string caption = Caption();
  if (caption.find('@') != std::string::npos) return "mailto:" + caption;
  return caption;
}

void TKitSimpleLabel::Click() {
  switch (jumpMode_) {
    case jmInternet: {
      const std::string target = JumpTarget();
      auto result = reinterpret_cast<std::intptr_t>(
          win::ShellExecute(Application ? Application->Handle() : nullptr, nullptr, target.c_str(), nullptr, nullptr,
                            win::SW_SHOWNORMAL));
      if (result < 33) {
        jumpMode_ = jmNone;
        SetEnabled(false);
      }
      break;
    }
    case jmApplication: {
      const std::string target = jump_.empty() ? Caption() : jump_;
      win::ShellExecute(Application ? Application->Handle() : nullptr, nullptr, target.c_str(), nullptr, nullptr,
                        win::SW_SHOWNORMAL);
      break;
    }
    default:
      TKitCustomSimpleLabel::Click();
      break;
  }
}

void TKitSimpleLabel::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && jumpMode_ != jmNone) {
    ++clicks_;
    Font()->SetColor(activeColor_);
  }
  TKitCustomSimpleLabel::MouseDown(Button, Shift, X, Y);
}

void TKitSimpleLabel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // A followed link keeps ActiveColor; only the old jump flag restores the colour.
  if (Button == mbLeft && jumpMode_ != jmNone && legacyJump_) Font()->SetColor(inActiveColor_);
  TKitCustomSimpleLabel::MouseUp(Button, Shift, X, Y);
}

void TKitSimpleLabel::ActionChange(TObject* Sender, bool CheckDefaults) {
  if (jumpMode_ == jmCustom) TKitCustomSimpleLabel::ActionChange(Sender, CheckDefaults);
}

void TKitSimpleLabel::Loaded() {
  TKitCustomSimpleLabel::Loaded();
  if (legacyJump_) jumpMode_ = jmInternet;
}

void TKitSimpleLabel::DefineProperties(TFiler* filer) {
  TKitCustomSimpleLabel::DefineProperties(filer);
  filer->DefineProperty(
      "UseAsJump", [this](TReader& r) { legacyJump_ = r.ReadBoolean() ? 1 : 0; }, nullptr, false);
}

// ---- TKitCustomLabel -----------------------------------------------------------------------------------

namespace {

// The gap a kit status bar parent keeps before its label children (0 elsewhere).
Integer GapOfStatusBar(TControl* control) {
  auto* bar = dynamic_cast<TKitCustomStatusBar*>(control->Parent());
  return bar ? bar->GetControlGap() : 0;
}

}  // namespace

const TClass& TKitCustomLabel::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomLabel>("TKitCustomLabel", TKitBaseLabel::StaticClass());
  return cls;
}

TKitCustomLabel::TKitCustomLabel(TComponent* AOwner)
    : TKitBaseLabel(AOwner), bevel_(std::make_unique<TKitBevel>()), fontFX_(std::make_unique<TKitFxCaption>()) {
  bevel_->OnChange = [this](TObject*) {
    AdjustBounds();
    Invalidate();
  };
  fontFX_->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TKitCustomLabel::~TKitCustomLabel() {
  bevel_->OnChange = nullptr;
  fontFX_->OnChange = nullptr;
}

bool TKitCustomLabel::IsEmptyTransparent() {
  return TKitBaseLabel::IsEmptyTransparent() && bevel_->BevelExtent() == 0;
}

void TKitCustomLabel::FontChanged(TObject* Sender) {
  if (fontFX_->Angle() != 0 && !ComponentState().Contains(csLoading)) {
    Canvas()->Font()->Assign(Font());
    if (!IsTrueTypeFont(Canvas())) {
      // A turned caption needs a TrueType face.
      if (Sender == Font()) {
        fontFX_->OnChange = nullptr;
        fontFX_->SetAngle(0);
        fontFX_->OnChange = [this](TObject* s) { FontChanged(s); };
      } else {
        ++suppressFontChange_;
        Font()->SetName("Arial");
        --suppressFontChange_;
      }
    }
  }
  if (Sender == fontFX_.get()) {
    AdjustBounds();
    Invalidate();
    return;
  }
  TKitBaseLabel::FontChanged(Sender);
}

void TKitCustomLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csLoading)) return;
  TRect r = ClientRect();
  MeasureTextEffect(GetLabelText(), fontFX_.get(), r, Font(), MultiLine() && fontFX_->Angle() == 0, ShowAccelChar(),
                    0, BaseTextFlags());
  const Integer extent = bevel_->BevelExtent() + bevel_->ShadowExtent();
  SetBounds(Left(), Top(), r.right - r.left + extent + GapOfStatusBar(this), r.bottom - r.top + extent);
}

void TKitCustomLabel::PaintLabel() {
  if (IsEmptyTransparent()) {
    if (ComponentState().Contains(csDesigning)) DrawDesignFrame();
    return;
  }
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (!Transparent()) FillSolidRect(canvas, r, Color());
  r.left += GapOfStatusBar(this);
  if (bevel_->BevelExtent() > 0) r = bevel_->Paint(canvas, r, Transparent() || bevel_->BorderColor() == Color());
  const std::string text = GetLabelText();
  Cardinal flags = BaseTextFlags();
  const bool angled = fontFX_->Angle() != 0;
  if (!AutoSize() && (angled || !MultiLine())) flags |= win::DT_SINGLELINE;
  if ((angled && Alignment() != agTopLeft) || (MultiLine() && !angled && Alignment() >= agCenterLeft)) {
    TRect measured;
    AlignedTextRect(Alignment(), text, fontFX_.get(), r, Font(), MultiLine() && !angled, ShowAccelChar(), flags,
                    measured);
    r = measured;
  }
  flags |= KitAlignmentTextFlags(Alignment()) | win::DT_WORDBREAK | win::DT_EXPANDTABS;
  if (!MultiLine()) flags |= win::DT_SINGLELINE;
  DrawPhasedText(text, fontFX_.get(), r, flags);
}

// ---- TKitCustomGlyphLabel -----------------------------------------------------------------------------------

const TClass& TKitCustomGlyphLabel::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomGlyphLabel>("TKitCustomGlyphLabel", TKitBaseLabel::StaticClass());
  return cls;
}

TKitCustomGlyphLabel::TKitCustomGlyphLabel(TComponent* AOwner)
    : TKitBaseLabel(AOwner),
      layout_(std::make_unique<TKitGlyphTextLayout>()),
      font3D_(std::make_unique<TKit3DCaption>()),
      bevel_(std::make_unique<TKitBevel>()) {
  auto changed = [this](TObject*) {
    AdjustBounds();
    Invalidate();
  };
  layout_->OnChange = changed;
  font3D_->OnChange = changed;
  bevel_->OnChange = changed;
}

TKitCustomGlyphLabel::~TKitCustomGlyphLabel() {
  layout_->OnChange = nullptr;
  font3D_->OnChange = nullptr;
  bevel_->OnChange = nullptr;
}

TPoint TKitCustomGlyphLabel::GlyphSize() {
  TKitCustomImageList* list = ImageList();
  if (!list || !list->IsValidImage(ListIndex(), ImageIndex())) return TPoint{};
  return TPoint{list->GetSize(ListIndex(), 0), list->GetSize(ListIndex(), 1)};
}

void TKitCustomGlyphLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csLoading)) return;
  TRect r = ClientRect();
  MeasureTextEffect(GetLabelText(), font3D_.get(), r, Font(), MultiLine(), ShowAccelChar(), 0, BaseTextFlags());
  Integer w = r.right - r.left, h = r.bottom - r.top;
  const TPoint glyph = GlyphSize();
  if (glyph.x > 0) {
    if (layout_->AlignText2Glyph() <= taRightTop) {  // glyph beside the text
      w += glyph.x + layout_->Spacing();
      h = std::max<Integer>(h, glyph.y);
    } else {  // above or below
      h += glyph.y + layout_->Spacing();
      w = std::max<Integer>(w, glyph.x);
    }
  }
  w += layout_->OffsetX() + GapOfStatusBar(this);
  h += layout_->OffsetY();
  SetBounds(Left(), Top(), w, h);
}

void TKitCustomGlyphLabel::PaintLabel() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (!Transparent()) FillSolidRect(canvas, r, Color());
  r.left += GapOfStatusBar(this);
  if (bevel_->BevelExtent() > 0) r = bevel_->Paint(canvas, r, Transparent() || bevel_->BorderColor() == Color());
  TBitmap glyph;
  TKitCustomImageList* list = ImageList();
  const bool hasGlyph = list && list->GetBitmap(ListIndex(), ImageIndex(), &glyph);
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  Cardinal flags = BaseTextFlags() | win::DT_EXPANDTABS;
  if (!MultiLine()) flags |= win::DT_SINGLELINE;
  else flags |= win::DT_WORDBREAK;
  if (!TwinkleShown()) {
    if (TwinkleColor() == clNone) return;
    canvas->Font()->SetColor(TwinkleColor());
  }
  DrawGlyphBitmapAndText(canvas, GetLabelText(), TwinkleShown() ? font3D_.get() : nullptr, r,
                         hasGlyph ? &glyph : nullptr, nullptr, layout_.get(), MultiLine(), ShowAccelChar(), false,
                         Enabled() ? kKitTextEnabled : 0, flags);
}

// ---- number formats ----------------------------------------------------------------------------------------

std::string KitApplyNumberFormat(const std::string& Number, const std::string& Format) {
  if (Format.empty()) return Number;
  std::string sign, digits = Number;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    sign = digits.substr(0, 1);
    digits.erase(0, 1);
  }
  std::string out = Format;
  std::size_t d = digits.size();
  for (std::size_t i = out.size(); i-- > 0 && d > 0;)
    if (out[i] == '0') out[i] = digits[--d];
  return sign + digits.substr(0, d) + out;
}

// ---- TKitInformationLabel ------------------------------------------------------------------------------------

namespace {

bool IsNumericInfo(TKitInfoType t) {
  switch (t) {
    case itCurrentDiskFree32: case itCurrentDiskSize32: case itColorDepth: case itScreenSaverDelay:
    case itMemSize: case itFreeSysRes: case itFreeGDIRes: case itFreeUserRes: case itMajorVerNr32:
    case itBuildNr32: case itMemLoaded32: case itMemFree32: case itMemPageFree32: case itMemPageTotal32:
    case itMemVirtFree32: case itMemVirtTotal32: case itPlatformID32: case itProcessorCont32: case itCPUSpeed:
      return true;
    default:
      return false;
  }
}

Integer RefreshInterval(TKitInfoType t) {
  if (t == itNumLock || t == itCapsLock || t == itScroll) return 250;
  if (t == itCurrentDateTime) return 1000;
  return 0;
}

}  // namespace

const TClass& TKitInformationLabel::StaticClass() {
  static const TClass cls = TClass::Of<TKitInformationLabel>("TKitInformationLabel", TKitBaseLabel::StaticClass(),
                                                              &TKitInformationLabel::Publish);
  return cls;
}

void TKitInformationLabel::Publish(TPublished& published) {
  PublishLabelBase<TKitInformationLabel>(published);
  auto p = published.For<TKitInformationLabel>();
  p.String("NumberFormat", &TKitInformationLabel::NumberFormat, &TKitInformationLabel::SetNumberFormat).Default("");
  p.String("DateTimeFormat", &TKitInformationLabel::DateTimeFormat, &TKitInformationLabel::SetDateTimeFormat)
      .Default("");
  using I = TKitInformationLabel;
  p.Enum("Info", KitInfoTypeInfo(), &I::Info, &I::SetInfo).Default(itUser);
  p.Boolean("UseStandardCaption", &I::UseStandardCaption, &I::SetUseStandardCaption).Default(true);
  p.Integer("InsertColon", &I::InsertColon, &I::SetInsertColon).Default(-1);
  p.Integer("InsertTabs", &I::InsertTabs, &I::SetInsertTabs).Default(1);
  p.Integer("DividerValue", &I::DividerValue, &I::SetDividerValue).Default(0);
  p.Object("Font3D", &I::Font3D);
  p.Object("Bevel", &I::Bevel);
}

TKitInformationLabel::TKitInformationLabel(TComponent* AOwner)
    : TKitBaseLabel(AOwner), font3D_(std::make_unique<TKit3DCaption>()), bevel_(std::make_unique<TKitBevel>()) {
  font3D_->OnChange = [this](TObject*) { Invalidate(); };
  // The bevel's extent is part of the measured size.
  bevel_->OnChange = [this](TObject*) {
    AdjustBounds();
    Invalidate();
  };
  StartRefresh();
}

TKitInformationLabel::~TKitInformationLabel() {
  refreshTimer_.Stop();
  font3D_->OnChange = nullptr;
  bevel_->OnChange = nullptr;
}

void TKitInformationLabel::InfoChanged() {
  lastText_ = GetLabelText();
  AdjustBounds();
  Invalidate();
}

void TKitInformationLabel::SetInfo(TKitInfoType value) {
  if (info_ == value) return;
  info_ = value;
  StartRefresh();
  InfoChanged();
}
void TKitInformationLabel::SetUseStandardCaption(bool value) {
  if (useStandardCaption_ == value) return;
  useStandardCaption_ = value;
  InfoChanged();
}
void TKitInformationLabel::SetInsertColon(signed char value) {
  if (insertColon_ == value) return;
  insertColon_ = value;
  InfoChanged();
}
void TKitInformationLabel::SetInsertTabs(signed char value) {
  if (insertTabs_ == value) return;
  insertTabs_ = value;
  InfoChanged();
}
void TKitInformationLabel::SetDividerValue(Integer value) {
  if (dividerValue_ == value) return;
  dividerValue_ = value;
  InfoChanged();
}
void TKitInformationLabel::SetDateTimeFormat(const std::string& value) {
  if (dateTimeFormat_ == value) return;
  dateTimeFormat_ = value;
  InfoChanged();
}
void TKitInformationLabel::SetNumberFormat(const std::string& value) {
  if (numberFormat_ == value) return;
  numberFormat_ = value;
  InfoChanged();
}

void TKitInformationLabel::StartRefresh() {
  const Integer interval = RefreshInterval(info_);
  if (interval == 0 || ComponentState().Contains(csDesigning)) {
    refreshTimer_.Stop();
    return;
  }
  refreshTimer_.Start(interval, [this] { RefreshTick(); });
}

void TKitInformationLabel::RefreshTick() {
  StartRefresh();
  const std::string text = GetLabelText();
  if (text == lastText_) return;
  lastText_ = text;
  AdjustBounds();
  Invalidate();
}

std::string TKitInformationLabel::GetLabelText() {
  const std::string caption = useStandardCaption_ ? GetInfoCaption(info_) : Caption();
  std::string text = caption;
  if (insertColon_ == 0) text += ':';
  if (insertTabs_ > 0) {
    for (int tab = 1; tab <= insertTabs_; ++tab) {
      text += '\t';
      if (tab == insertColon_) text += ':';
    }
  } else if (!caption.empty()) {
    text += ' ';
  }
  std::string value;
  if (info_ == itCurrentDateTime && !dateTimeFormat_.empty()) {
    std::tm now = KitSystemInfo().LocalTime();
    char buffer[256];
    std::size_t n = std::strftime(buffer, sizeof buffer, dateTimeFormat_.c_str(), &now);
    value.assign(buffer, n);
  } else {
    value = GetInfoText(info_, dividerValue_);
  }
  if (IsNumericInfo(info_) && !value.empty() &&
      value.find_first_not_of("+-0123456789") == std::string::npos)
    value = KitApplyNumberFormat(value, numberFormat_);
  return text + value;
}

void TKitInformationLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csLoading)) return;
  TRect r = ClientRect();
  MeasureTextEffect(GetLabelText(), font3D_.get(), r, Font(), MultiLine(), ShowAccelChar(), 0,
                    BaseTextFlags() | win::DT_EXPANDTABS);
  r.right += 2 * bevel_->BevelExtent();
  r.bottom += 2 * bevel_->BevelExtent();
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TKitInformationLabel::Loaded() {
  TKitBaseLabel::Loaded();
  StartRefresh();
  lastText_ = GetLabelText();
}

void TKitInformationLabel::PaintLabel() {
  TRect r = ClientRect();
  TCanvas* canvas = Canvas();
  if (!Transparent()) FillSolidRect(canvas, r, Color());
  if (bevel_->BevelExtent() > 0) r = bevel_->Paint(canvas, r, Transparent() || bevel_->BorderColor() == Color());
  Cardinal flags = BaseTextFlags() | KitAlignmentTextFlags(Alignment()) | win::DT_EXPANDTABS;
  if (!MultiLine()) flags |= win::DT_SINGLELINE;
  else flags |= win::DT_WORDBREAK;
  DrawPhasedText(GetLabelText(), font3D_.get(), r, flags);
}
