#pragma once
// TEditKeyframeForm: the small "Edit Keyframe" dialog of the curve editor: the key's X
// (a frame or a percentage) and its value.
#include "platform/classlib/forms.h"

class TKitSimpleLabel;
class TButton;
class TNumSpinEdit;
class TVarSeries;

class TEditKeyframeForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TEditKeyframeForm(TComponent* AOwner);

  // Fills the boxes with key Index of Series: the ranges come from the curve (frames up
  // to 8192, percentages up to 100; values within the curve's bounds, widened to the
  // key's own value on a side the curve does not clamp), X disabled for the first key.
  void LoadKey(const TVarSeries& Series, Integer Index);
  // The entered values; a box left as it was filled gives the key's own value back
  // exactly, so that Ok on an untouched key changes nothing.
  Double KeyX();
  Double KeyY();
  bool KeyXChanged();
  bool KeyYChanged();

  TKitSimpleLabel* KeyframeLabel = nullptr;
  TNumSpinEdit* KeyframeSpin = nullptr;
  TKitSimpleLabel* PropertyLabel = nullptr;
  TNumSpinEdit* PropertySpin = nullptr;
  TButton* OkButton = nullptr;
  TButton* CancelButton = nullptr;

 private:
  Double origX_ = 0;
  Double origY_ = 0;
  Double shownX_ = 0;
  Double shownY_ = 0;
};
