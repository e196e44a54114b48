#pragma once
// Buttons: TButton (a push button; Default takes Enter, Cancel takes Escape, ModalResult
// ends a modal form), TCheckBox and TRadioButton (a box that is checked; a change fires
// OnClick unless clicks are disabled, which an action link does while it mirrors the
// action's Checked), and TSpeedButton (a windowless button with a glyph that may stay
// down, alone or in a group of which one is down).
//
// A click is a press and a release inside the control with the left button, or Space
// while it has the focus.
#include <memory>
#include <string>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/win_control.h"

class TCustomImageList;

// The check mark of a 13 x 13 check box whose top left is that of `box`, in `color`.
void DrawCheckMark(TCanvas* c, const TRect& box, TColor color);

// A windowed button of the class library.
class TButtonControl : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TButtonControl(TComponent* AOwner);

  // While set, a change of Checked fires no OnClick.
  bool ClicksDisabled() const { return clicksDisabled_; }
  void SetClicksDisabled(bool value) { clicksDisabled_ = value; }

 protected:
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool value) { (void)value; }
  // Takes the action's Checked too (without a click).
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMCancelMode(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  // A completed click of the mouse or the keyboard.
  virtual void Pressed() { Click(); }

  bool pressed_ = false;   // drawn down
  bool tracking_ = false;  // the left button went down on the control
  bool focused_ = false;

 private:
  bool clicksDisabled_ = false;
};

class TButton : public TButtonControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TButton(TComponent* AOwner);

  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Default() const { return default_; }
  void SetDefault(bool value);
  Integer ModalResult() const { return modalResult_; }
  void SetModalResult(Integer value) { modalResult_ = value; }

  // Sets the form's ModalResult (when not mrNone), then OnClick or the action.
  void Click() override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  bool cancel_ = false;
  bool default_ = false;
  bool active_ = false;  // takes Enter: focused, or the default while no button is
  Integer modalResult_ = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TLeftRight { lrLeftJustify, lrRightJustify };
const TEnumInfo& CheckBoxStateInfo();

class TCustomCheckBox : public TButtonControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomCheckBox(TComponent* AOwner);

  // taRightJustify: the box left of the text (the default); taLeftJustify: right of it.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState value);
  bool Checked() const { return state_ == cbChecked; }
  void SetCheckedValue(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  // The next state a click gives: unchecked, checked, grayed (when allowed).
  void Toggle();
  // The box in client coordinates.
  TRect BoxRect();

 protected:
  bool GetChecked() const override { return Checked(); }
  void SetChecked(bool value) override { SetCheckedValue(value); }
  void Paint() override;
  void Pressed() override { Toggle(); }

 private:
  TAlignment alignment_ = taRightJustify;
  bool allowGrayed_ = false;
  TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TRadioButton(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool Checked() const { return checked_; }
  // Checking turns the other radio buttons of the parent off, then fires OnClick.
  void SetCheckedValue(bool value);

 protected:
  bool GetChecked() const override { return checked_; }
  void SetChecked(bool value) override { SetCheckedValue(value); }
  void Paint() override;
  void Pressed() override { SetCheckedValue(true); }

 private:
  TAlignment alignment_ = taRightJustify;
  bool checked_ = false;
};

// ---- speed buttons ----------------------------------------------------------------------------

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
const TEnumInfo& ButtonLayoutInfo();

class TSpeedButton : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  // Without a group the button never stays down.
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer value);
  bool Down() const { return down_; }
  // A down button of a group without AllowAllUp stays down until another one goes down.
  void SetDown(bool value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* value) { glyph_->Assign(value); }
  // Pictures side by side in the glyph: up, disabled, down, down and staying (1 .. 4).
  Integer NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(Integer value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  // Distance of the glyph from the edge it is at; -1 centres glyph and text together.
  Integer Margin() const { return margin_; }
  void SetMargin(Integer value);
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TButtonState State() const { return state_; }

  void Click() override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

 private:
  void UpdateExclusive();
  void GlyphChanged();

  std::unique_ptr<TBitmap> glyph_;
  std::unique_ptr<TCustomImageList> glyphs_;  // the glyph's pictures, masked
  Integer groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool flat_ = false;
  Integer numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1;
  Integer spacing_ = 4;
  bool transparent_ = true;
  TButtonState state_ = bsUp;
  bool dragging_ = false;
  bool mouseInside_ = false;
};
