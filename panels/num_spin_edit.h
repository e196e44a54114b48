#pragma once
// TNumSpinEdit: the numeric entry field. An edit holding a floating-point value with an
// optional unit after it; at its right an up-down pair that steps the value and a small
// button that drops down a track bar over the whole range; under the text a gauge
// (TNumGauge) showing where the value lies, which can be clicked or dragged.
//
// Value reads the text and never changes it, since a person may be typing it: an empty
// text reads as 0, a text that is no number as the last text that parsed; reading never
// fires OnChange. Leaving the field writes the value back, formatted, clamped and with its
// unit. Writing clamps to MinValue .. MaxValue and fires OnChange once when the value
// written differs from the old one. Typing fires OnChange for every change of the text.
#include <memory>
#include <optional>
#include <string>

#include "panels/num_gauge.h"
#include "panels/num_popup.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_trackbar.h"
#include "platform/classlib/std_updown.h"

// Posted to the edit after a step: the up-down goes back to the middle of its range.
inline constexpr win::UINT NSM_STEPPED = win::WM_USER + 0x0210;

class TNumSpinEdit : public TCustomEdit {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TNumSpinEdit(TComponent* AOwner);
  ~TNumSpinEdit() override;

  // ---- the value ----
  double Value();
  void SetValue(double value);
  double MinValue() const { return minValue_; }
  void SetMinValue(double value);
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double value);
  // The gauge's own range; both 0 means MinValue .. MaxValue.
  double GaugeMinValue() const { return gaugeMinValue_; }
  void SetGaugeMinValue(double value);
  double GaugeMaxValue() const { return gaugeMaxValue_; }
  void SetGaugeMaxValue(double value);
  double Increment() const { return increment_; }
  void SetIncrement(double value) { increment_ = value; }
  const std::string& ValueUnit() const { return valueUnit_; }
  void SetValueUnit(const std::string& value);
  // -1 .. 6 decimals; -1 is the general format with four significant digits.
  Integer Precision() const { return precision_; }
  void SetPrecision(Integer value);
  std::string FormatValue(double value) const;
  // Raises EConvertError for text that is no number.
  double ParseValue(const std::string& text) const;
  // One step up (btNext) or down, as an up-down click or an arrow key does.
  void Step(TUDBtnType button);

  // ---- the gauge ----
  Integer GuageHeight() const { return guageHeight_; }
  void SetGuageHeight(Integer value);
  double IncrementGauge() const { return gauge_->IncrementGauge(); }
  void SetIncrementGauge(double value) { gauge_->SetIncrementGauge(value); }
  double GaugeAroundCenter() const { return gauge_->GaugeAroundCenter(); }
  void SetGaugeAroundCenter(double value) { gauge_->SetGaugeAroundCenter(value); }
  TColor GuageBeginColor() const { return gauge_->GuageBeginColor(); }
  void SetGuageBeginColor(TColor value) { gauge_->SetGuageBeginColor(value); }
  TColor GuageEndColor() const { return gauge_->GuageEndColor(); }
  void SetGuageEndColor(TColor value) { gauge_->SetGuageEndColor(value); }

  // ---- the drop-down track bar ----
  TTrackBarOrientation TrackBarOrientation() const { return trackBarOrientation_; }
  void SetTrackBarOrientation(TTrackBarOrientation value);
  // 50 .. 300: the pop-up's length along the track bar.
  Integer TrackBarWidth() const { return trackBarWidth_; }
  void SetTrackBarWidth(Integer value);
  bool TrackBarEnabled() const { return trackBarEnabled_; }
  void SetTrackBarEnabled(bool value);
  // Whether typing, cutting and pasting reach the text.
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool value) { editorEnabled_ = value; }

  // ---- layout ----
  // The lowest height the edit takes: room for the font, the frame and the gauge.
  Integer MinHeight();
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // ---- parts ----
  TNumGauge* Gauge() const { return gauge_; }
  TPanel* ButtonPanel() const { return buttonPanel_; }
  TUpDown* UpDown() const { return upDown_; }
  TSpeedButton* DropButton() const { return dropButton_; }
  TPopupForm* Popup() const { return popup_; }
  TTrackBar* TrackBar() const { return trackBar_; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Change() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void WMSize(TMessage& Message) override;
  void Loaded() override;
  // AutoSize sizes the edit to its font, not around the parts inside it.
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;

 private:
  bool Loading() const { return ComponentState().Contains(csLoading); }
  // Sets the text without OnChange.
  void SetTextQuietly(const std::string& text);
  void Layout();
  void SetEditRect();
  void ApplyTrackBarOrientation();
  // The track bar's position for the value (0 .. 1000, turned for a vertical bar).
  Integer TrackPosition(double value) const;
  void UpDownClick(TObject* Sender, TUDBtnType Button);
  void DropButtonDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void DropButtonMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void DropButtonUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void PopupShow(TObject* Sender);

  // The value a form gave while loading, formatted by Loaded once the range, unit and
  // precision read after it are known.
  std::optional<double> loadedValue_;
  double minValue_ = 0;
  double maxValue_ = 100;
  double gaugeMinValue_ = 0;
  double gaugeMaxValue_ = 0;
  double increment_ = 1;
  std::string valueUnit_;
  Integer precision_ = 2;
  Integer guageHeight_ = 5;
  TTrackBarOrientation trackBarOrientation_ = trHorizontal;
  Integer trackBarWidth_ = 150;
  bool trackBarEnabled_ = true;
  bool editorEnabled_ = true;
  Integer trackThickness_ = 0;
  TPoint pressPoint_{0, 0};  // screen point of the press on the drop-down button
  bool dropping_ = false;
  Integer quiet_ = 0;
  // The value of the last text that parsed.
  double typedValue_ = 0;

  TPanel* buttonPanel_ = nullptr;
  TUpDown* upDown_ = nullptr;
  TSpeedButton* dropButton_ = nullptr;
  TNumGauge* gauge_ = nullptr;
  TPopupForm* popup_ = nullptr;
  TPanel* popupPanel_ = nullptr;
  TTrackBar* trackBar_ = nullptr;
};
