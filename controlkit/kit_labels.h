#pragma once
// The kit's labels: TKitBaseLabel (windowless: accelerator, blinking, alignment, options),
// the simple label (3D caption, hyperlink through the shell), the custom label (bevel and
// angled caption), the glyph label and the information label (a system information item).
#include <functional>
#include <memory>
#include <string>

#include "controlkit/kit_control_base.h"
#include "controlkit/kit_properties.h"
#include "controlkit/kit_sysinfo.h"
#include "controlkit/kit_text_effects.h"

// A one-shot countdown on the kit application's timer pool. The pool fires its items on
// multiples of their interval counted from the pool's own start, so an item whose interval
// changes (or that is re-enabled) would fire early; the countdown instead takes a
// MinInterval item and counts the milliseconds itself, so that each Start runs exactly
// `ms` (rounded up to the pool's MinInterval) on the clock.
class TKitCountdown {
 public:
  TKitCountdown() = default;
  TKitCountdown(const TKitCountdown&) = delete;
  TKitCountdown& operator=(const TKitCountdown&) = delete;
  ~TKitCountdown() { Stop(); }

  // (Re)starts the countdown; `OnDone` runs once when it ends (it may call Start again).
  void Start(Integer ms, std::function<void()> OnDone);
  // Stops it and gives the pool item back.
  void Stop();
  bool Running() const { return id_ != 0; }
  Word Id() const { return id_; }

 private:
  void Tick();
  Word id_ = 0;
  Integer left_ = 0;
  std::function<void()> done_;
};

enum TKitLabelOption : Byte { loPathEllipsis, loEndEllipsis, loEditControl };
using TKitLabelOptions = TSet<TKitLabelOption>;

enum TKitJumpMode : Byte { jmInternet, jmApplication, jmNone, jmCustom };

const TEnumInfo& KitLabelOptionInfo();
const TEnumInfo& KitJumpModeInfo();
const TEnumInfo& KitInfoTypeInfo();
// Registers the published label classes with the class registry (for form files).
void RegisterKitLabelClasses();

// The DT_ flags that place text by a nine-way alignment.
Cardinal KitAlignmentTextFlags(TKitAlignment Alignment);
// The DT_ flags of the label options.
Cardinal KitLabelOptionFlags(const TKitLabelOptions& Options);

class TKitBaseLabel : public TKitBaseGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitBaseLabel(TComponent* AOwner);
  ~TKitBaseLabel() override;

  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  bool Twinkle() const { return twinkle_; }
  void SetTwinkle(bool value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);
  TKitAlignment Alignment() const { return alignment_; }
  void SetAlignment(TKitAlignment value);
  TKitLabelOptions Options() const { return options_; }
  void SetOptions(TKitLabelOptions value);
  Integer TwinkleVisible() const { return twinkleVisible_; }
  void SetTwinkleVisible(Integer value) { twinkleVisible_ = value; }
  Integer TwinkleInVisible() const { return twinkleInVisible_; }
  void SetTwinkleInVisible(Integer value) { twinkleInVisible_ = value; }
  TColor TwinkleColor() const { return twinkleColor_; }
  void SetTwinkleColor(TColor value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) override;
  // The twinkle phase: true while the text shows.
  bool TwinkleShown() const { return twinkleShown_; }
  bool TwinkleRunning() const { return twinkleTimer_.Running(); }

  virtual bool IsEmptyTransparent();
  virtual std::string GetLabelText();
  virtual void FontChanged(TObject* Sender);
  virtual void AdjustBounds() {}

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  // The flags shared by painting and measuring: options, DT_NOPREFIX.
  Cardinal BaseTextFlags() const;
  // The twinkle phases: draws the text (shown) or the hidden phase's colour.
  void DrawPhasedText(const std::string& Text, TKit3DCaption* Caption, const TRect& R, Cardinal Flags);
  // Paints through PaintLabel, never while loading nor from inside another Paint.
  void Paint() final;
  virtual void PaintLabel() {}
  Byte suppressFontChange_ = 0;

 private:
  void TwinkleTick();

  bool painting_ = false;
  bool showAccelChar_ = true;
  bool twinkle_ = false;
  bool multiLine_ = false;
  TKitAlignment alignment_ = agTopLeft;
  TKitLabelOptions options_;
  Integer twinkleVisible_ = 700;
  Integer twinkleInVisible_ = 700;
  TColor twinkleColor_ = clNone;
  TWinControl* focusControl_ = nullptr;
  bool autoSize_ = true;
  bool twinkleShown_ = true;
  TKitCountdown twinkleTimer_;
};

class TKitCustomSimpleLabel : public TKitBaseLabel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomSimpleLabel(TComponent* AOwner);
  ~TKitCustomSimpleLabel() override;

  TKit3DCaption* Font3D() const { return font3D_.get(); }
  void SetFont3D(TKit3DCaption* value) { font3D_->Assign(value); }
  void AdjustBounds() override;

 protected:
  void PaintLabel() override;

 private:
  std::unique_ptr<TKit3DCaption> font3D_;
};

class TKitSimpleLabel : public TKitCustomSimpleLabel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitSimpleLabel(TComponent* AOwner);

  const std::string& Jump() const { return jump_; }
  void SetJump(const std::string& value) { jump_ = value; }
  TColor ActiveColor() const { return activeColor_; }
  void SetActiveColor(TColor value) { activeColor_ = value; }
  TColor InActiveColor() const { return inActiveColor_; }
  void SetInActiveColor(TColor value);
  bool JumpUnderline() const { return jumpUnderline_; }
  void SetJumpUnderline(bool value);
  TKitJumpMode JumpMode() const { return jumpMode_; }
  void SetJumpMode(TKitJumpMode value);
  Integer ClickCount() const { return clicks_; }
  // The target a click in jmInternet opens ("mailto:" for a caption with "@").
  std::string JumpTarget();

  void Click() override;
  void DefineProperties(TFiler* filer) override;

 protected:
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

 private:
  std::string jump_;
  TColor activeColor_ = clPurple;
  TColor inActiveColor_ = clBlue;
  Byte legacyJump_ = 0;  // the old "UseAsJump" form flag
  bool jumpUnderline_ = true;
  TKitJumpMode jumpMode_ = jmNone;
  Integer clicks_ = 0;
};

// A label with a bevel and an angled (Fx) caption.
class TKitCustomLabel : public TKitBaseLabel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomLabel(TComponent* AOwner);
  ~TKitCustomLabel() override;

  TKitBevel* Bevel() const { return bevel_.get(); }
  TKitFxCaption* FontFX() const { return fontFX_.get(); }
  bool IsEmptyTransparent() override;
  void AdjustBounds() override;
  void FontChanged(TObject* Sender) override;

 protected:
  void PaintLabel() override;

 private:
  std::unique_ptr<TKitBevel> bevel_;
  std::unique_ptr<TKitFxCaption> fontFX_;
};

// A label with a glyph (the control's image-list image) beside, above or below its text.
class TKitCustomGlyphLabel : public TKitBaseLabel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomGlyphLabel(TComponent* AOwner);
  ~TKitCustomGlyphLabel() override;

  TKitGlyphTextLayout* Layout() const { return layout_.get(); }
  TKit3DCaption* Font3D() const { return font3D_.get(); }
  TKitBevel* Bevel() const { return bevel_.get(); }
  void AdjustBounds() override;

 protected:
  void PaintLabel() override;

 private:
  // The glyph's size (0 x 0 without one).
  TPoint GlyphSize();

  std::unique_ptr<TKitGlyphTextLayout> layout_;
  std::unique_ptr<TKit3DCaption> font3D_;
  std::unique_ptr<TKitBevel> bevel_;
};

class TKitInformationLabel : public TKitBaseLabel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitInformationLabel(TComponent* AOwner);
  ~TKitInformationLabel() override;

  TKitInfoType Info() const { return info_; }
  void SetInfo(TKitInfoType value);
  bool UseStandardCaption() const { return useStandardCaption_; }
  void SetUseStandardCaption(bool value);
  // 0: ":" right after the caption; n > 0: after tab number n; else none.
  signed char InsertColon() const { return insertColon_; }
  void SetInsertColon(signed char value);
  signed char InsertTabs() const { return insertTabs_; }
  void SetInsertTabs(signed char value);
  Integer DividerValue() const { return dividerValue_; }
  void SetDividerValue(Integer value);
  const std::string& DateTimeFormat() const { return dateTimeFormat_; }
  void SetDateTimeFormat(const std::string& value);
  // Digits go right to left into the "0" positions; empty: the plain number.
  const std::string& NumberFormat() const { return numberFormat_; }
  void SetNumberFormat(const std::string& value);
  TKit3DCaption* Font3D() const { return font3D_.get(); }
  TKitBevel* Bevel() const { return bevel_.get(); }

  std::string GetLabelText() override;
  void AdjustBounds() override;
  bool RefreshRunning() const { return refreshTimer_.Running(); }

 protected:
  void PaintLabel() override;
  void Loaded() override;

 private:
  void InfoChanged();
  void RefreshTick();
  void StartRefresh();

  TKitInfoType info_ = itUser;
  bool useStandardCaption_ = true;
  signed char insertColon_ = -1;
  signed char insertTabs_ = 1;
  Integer dividerValue_ = 0;
  std::string dateTimeFormat_;
  std::string numberFormat_;
  std::string lastText_;
  std::unique_ptr<TKit3DCaption> font3D_;
  std::unique_ptr<TKitBevel> bevel_;
  TKitCountdown refreshTimer_;
};

// Places the digits of `Number` (a decimal integer text, sign kept in front) right to left
// into the "0" positions of `Format`; unfilled positions stay "0" and surplus digits go in
// front. An empty format answers the number.
std::string KitApplyNumberFormat(const std::string& Number, const std::string& Format);
