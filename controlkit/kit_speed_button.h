#pragma once
// The kit's speed button: a windowless push button with a state machine (Up, Disabled,
// Hot, Down, Held, DroppedDown, DisabledDown; kit_button_faces.h), exclusive groups,
// repeat clicks on the kit application's timer pool, an optional drop-down part and a
// glyph with per-state images.
#include <memory>
#include <string>

#include "controlkit/kit_button_faces.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_glyph.h"
#include "controlkit/kit_properties.h"
#include "platform/classlib/menus.h"

class TCustomAction;

class TKitBaseGraphicButton : public TKitBaseControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitBaseGraphicButton(TComponent* AOwner);
  ~TKitBaseGraphicButton() override;
  // What every button of the family publishes from here: the glyph, its image list and
  // indexes, the mouse enter and exit events.
  static void PublishFromBase(TPublished& published);

  Byte State() const { return state_; }
  Byte PreviousState() const { return previousState_; }
  // The one way the state changes.
  void SetState(Byte New);
  // Opens DropDownMenu (nothing without one or while dropped down).
  void DropDown();
  virtual bool IsInside(Integer X, Integer Y);

  bool Pressed() const { return pressed_; }
  void SetPressed(bool Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  bool RepeatedClick() const { return repeatedClick_; }
  void SetRepeatedClick(bool Value) { repeatedClick_ = Value; }
  Word RepeatingDelay() const { return repeatingDelay_; }
  void SetRepeatingDelay(Word Value) { repeatingDelay_ = Value; }
  Word RepeatingInterval() const { return repeatingInterval_; }
  void SetRepeatingInterval(Word Value) { repeatingInterval_ = Value; }
  bool DropDownCombo() const { return dropDownCombo_; }
  void SetDropDownCombo(bool Value);
  Integer DropDownComboWidth() const { return dropDownComboWidth_; }
  void SetDropDownComboWidth(Integer Value);
  TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(TPopupMenu* Value);
  Integer DropDownIndent() const { return dropDownIndent_; }
  void SetDropDownIndent(Integer Value) { dropDownIndent_ = Value; }
  bool DropDownRight() const { return dropDownRight_; }
  void SetDropDownRight(bool Value) { dropDownRight_ = Value; }
  bool HotTracking() const { return hotTracking_; }
  void SetHotTracking(bool Value) { hotTracking_ = Value; }
  bool UseCaption() const { return useCaption_; }
  void SetUseCaption(bool Value);
  TColor EnterColor() const { return enterColor_; }
  void SetEnterColor(TColor Value);
  bool EnterColorChange() const { return enterColorChange_; }
  void SetEnterColorChange(bool Value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool Value);
  TKitButtonLayout* ButtonLayout() const { return layout_.get(); }
  TKitFxCaption* FontFX() const { return fontFX_.get(); }
  TKitGlyph* GlyphObject() const { return glyph_.get(); }
  TBitmap* Glyph() const { return glyph_->Glyph(); }
  // Clears ImageList when not loading.
  void SetGlyph(TBitmap* Value);
  Byte NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(Byte Value) { glyph_->SetNumGlyphs(Value); }
  // The glyph Paint draws and its transparent colour: Glyph when it holds a bitmap, else
  // the image ListIndex/ImageIndex of ImageList; null when neither gives an image.
  TKitGlyph* PaintGlyph(TColor& Transparent);
  void SetImageIndex(Integer Value) override;
  void SetListIndex(Integer Value) override;
  void GetIMLChange(TObject* Sender) override;
  // Whether a drop-down menu and the combo part are both set.
  bool ComboActive() const { return dropDownMenu_ && dropDownCombo_; }

  void DblClick() override;

  TNotifyEvent OnDropDown;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMDialogChar(TMessage& Message);
  // Resets the caption effect when the font cannot turn (see FontChanged).
  void CMFontChanged(TMessage& Message) override;
  // An angled caption needs a TrueType face: a change of the own font to another face
  // sets the angle to 0; a change of the effect replaces the face by the kit's TrueType one.
  void FontChanged(TObject* Sender);
  // Mirrors the action's image (from its list's Images) into Glyph, else clears Glyph;
  // from then on a change of the action's ImageIndex mirrors the new image.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void MouseExit() override;
  // Whether the look differs between Up and Hot.
  virtual bool HotLookDiffers();
  void Repaint() override;
  // The family's caption routine: the glyph's image for state `st` (Glyph, else the image
  // list's) and the caption laid out in `content` by ButtonLayout, MultiLine and FontFX, in
  // EnterColor in the hot and down states.
  void DrawGlyphAndCaption(TCanvas* canvas, const TRect& content, Byte st);

  bool hotTracking_ = false;
  bool rectHitTest_ = true;
  bool transparentFlag_ = false;

 private:
  bool HitTest(Integer X, Integer Y);
  void BroadcastGroup();
  void StartRepeat();
  void StopRepeat();
  void StopWatch();
  void RepeatTick();
  void WatchTick();
  void ReevaluateAfterClick();
  void MirrorActionImage(TCustomAction* Action);
  // Called by the action link after any change of the action.
  void ActionLinkChanged(TObject* Link);

  bool repeatedClick_ = false;
  bool offsetTolerance_ = false;
  std::unique_ptr<TKitButtonLayout> layout_;
  std::unique_ptr<TKitFxCaption> fontFX_;
  Word repeatingDelay_ = 500;
  Word repeatingInterval_ = 100;
  bool dropDownCombo_ = false;
  Integer dropDownComboWidth_ = 12;
  bool hideHint_ = true;
  bool useCaption_ = true;
  TPopupMenu* dropDownMenu_ = nullptr;
  TColor enterColor_ = clCaptionText;
  Integer dropDownIndent_ = 0;
  Integer groupIndex_ = 0;
  bool dropDownRight_ = false;
  bool enterColorChange_ = false;
  bool multiLine_ = false;
  bool pressed_ = false;
  bool held_ = false;
  Word watchTimer_ = 0;
  Word repeatTimer_ = 0;
  // Milliseconds until the next repeat click.
  Integer repeatLeft_ = 0;
  Byte postClick_ = 0;
  Byte pressOffset_ = 0;
  Byte state_ = kKitBtnUp;
  Byte previousState_ = kKitBtnUp;
  bool allowAllUp_ = false;
  Integer fontGuard_ = 0;
  // The action's ImageIndex the glyph was last taken from.
  Integer mirroredImage_ = -1;
  std::unique_ptr<TKitGlyph> glyph_;
  // The image list's image, fetched again after a list or index change.
  std::unique_ptr<TKitGlyph> listGlyph_;
  TColor listTransparent_ = clNone;
  bool listStale_ = true;
};

class TKitCustomSpeedButton : public TKitBaseGraphicButton {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomSpeedButton(TComponent* AOwner);

  TKitUserButtonStyle Style() const { return style_; }
  void SetStyle(TKitUserButtonStyle Value);

 protected:
  void Paint() override;
  bool HotLookDiffers() override;

 private:
  TKitUserButtonStyle style_ = ubsAutoDetect;
};

// The button styles by name (form files).
const TEnumInfo& KitUserButtonStyleInfo();
// Registers TKitSpeedButton and TKitOfficeButton with the class registry (for form files).
void RegisterKitSpeedButtonClasses();

class TKitSpeedButton : public TKitCustomSpeedButton {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  using TKitCustomSpeedButton::TKitCustomSpeedButton;
};

// A speed button preset to the flat style, without csOpaque.
class TKitOfficeButton : public TKitSpeedButton {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  explicit TKitOfficeButton(TComponent* AOwner);
};
