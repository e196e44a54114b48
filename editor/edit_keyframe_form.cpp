#include "editor/edit_keyframe_form.h"

#include <algorithm>
#include <cmath>

#include "controlkit/kit_labels.h"
#include "editor/editor_helpers.h"
#include "engine/var_series.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_label.h"

namespace {

constexpr Double kMaxFrame = 8192;

// Decimals enough to show every step of the quantum (two at least).
Integer DecimalsFor(Double quantum) {
  Integer d = 2;
  while (quantum > 0 && d < 6 && std::fabs(quantum * std::pow(10.0, d) - std::nearbyint(quantum * std::pow(10.0, d))) > 1e-9)
    ++d;
  return d;
}

}  // namespace

const TClass& TEditKeyframeForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TEditKeyframeForm>("TEditKeyframeForm", TForm::StaticClass(), &TEditKeyframeForm::Publish);
  return cls;
}

void TEditKeyframeForm::Publish(TPublished&) {}

TEditKeyframeForm::TEditKeyframeForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterEditorKitClasses();
  ReadFormResource();
  KeyframeLabel = dynamic_cast<TKitSimpleLabel*>(FindComponent("KeyframeLabel"));
  KeyframeSpin = dynamic_cast<TNumSpinEdit*>(FindComponent("KeyframeSpin"));
  PropertyLabel = dynamic_cast<TKitSimpleLabel*>(FindComponent("PropertyLabel"));
  PropertySpin = dynamic_cast<TNumSpinEdit*>(FindComponent("PropertySpin"));
  OkButton = dynamic_cast<TButton*>(FindComponent("OkButton"));
  CancelButton = dynamic_cast<TButton*>(FindComponent("CancelButton"));
}

void TEditKeyframeForm::LoadKey(const TVarSeries& Series, Integer Index) {
  origX_ = Series.XValues()->GetValue(Index);
  origY_ = Series.YValues()->GetValue(Index);

  const bool frames = Series.XMode == xmFrames;
  KeyframeSpin->SetPrecision(frames ? 0 : 2);
  KeyframeSpin->SetMinValue(0);
  KeyframeSpin->SetMaxValue(std::max(frames ? kMaxFrame : 100.0, origX_));
  KeyframeSpin->SetValue(origX_);
  // The first key keeps its place.
  KeyframeSpin->SetEnabled(Index > 0);

  const bool clampsLow = Series.ClampMode == cmLower || Series.ClampMode == cmBoth;
  const bool clampsHigh = Series.ClampMode == cmUpper || Series.ClampMode == cmBoth;
  const Double lo = clampsLow ? Series.Min : std::min(Series.Min, origY_);
  const Double hi = clampsHigh ? Series.Max : std::max(Series.Max, origY_);
  PropertySpin->SetPrecision(DecimalsFor(Series.Quantum));
  PropertySpin->SetMinValue(lo);
  PropertySpin->SetMaxValue(std::max(lo, hi));
  PropertySpin->SetValue(origY_);

  // What the boxes read back before anyone touches them.
  shownX_ = KeyframeSpin->Value();
  shownY_ = PropertySpin->Value();
}

bool TEditKeyframeForm::KeyXChanged() { return KeyframeSpin->Value() != shownX_; }
bool TEditKeyframeForm::KeyYChanged() { return PropertySpin->Value() != shownY_; }
Double TEditKeyframeForm::KeyX() { return KeyXChanged() ? KeyframeSpin->Value() : origX_; }
Double TEditKeyframeForm::KeyY() { return KeyYChanged() ? PropertySpin->Value() : origY_; }
