// The label step of an axis: how many labels fit along it, and the step of the 1-2-5
// series or of the date step table that lets them fit.
#include <algorithm>
#include <cmath>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_utils.h"
#include "platform/classlib/math_utils.h"

namespace {

constexpr Double kSmallestStep = 1e-12;
constexpr Double kMaxLabelRatio = 2147483647.0;

Integer LineCount(const std::string& Text) {
  Integer n = 1;
  for (char c : Text)
    if (c == ChartLineSeparator) ++n;
  return n;
}

}  // namespace

Double NextStep125(Double Step) {
  if (!(Step > 0) || !std::isfinite(Step)) return Step;
  if (Step >= 10) return 10 * NextStep125(Step * 0.1);
  if (Step < 1) return 0.1 * NextStep125(Step * 10);
  if (Step < 2) return 2;
  if (Step < 5) return 5;
  return 10;
}

Double AxisNumberStep(Double Span, Double Increment, Integer LabelsThatFit) {
  if (LabelsThatFit < 1) return kSmallestStep;
  Double step = Increment > 0 ? Increment : (std::fabs(Span) >= 1 ? 1.0 : kSmallestStep);
  // A range that is not a number has no step that fits; the search would never end.
  if (!std::isfinite(Span) || !std::isfinite(step)) return std::fmax(step, kSmallestStep);
  for (;;) {
    const Double n = Span / step;
    if (std::fabs(n) < kMaxLabelRatio && Round(n) <= LabelsThatFit) break;
    const Double next = NextStep125(step);
    if (!(next > step)) break;
    step = next;
  }
  return std::fmax(step, kSmallestStep);
}

Double AxisDateTimeStep(Double Span, Double Increment, Integer LabelsThatFit) {
  const Double smallest = DateTimeStep[0];
  if (LabelsThatFit < 1) return smallest;
  Double step = std::fmax(Increment, smallest);
  if (!std::isfinite(Span) || !std::isfinite(step)) return step;
  if (Span / step > 1000000) step = Span / 1000000;
  while (Round(Span / step) > LabelsThatFit) {
    const Double next = step >= DateTimeStep[dtOneYear] ? step * 2 : StepAfter(step);
    if (!(next > step)) break;
    step = next;
  }
  return std::fmax(step, smallest);
}

// ---- measuring ---------------------------------------------------------------------------

Integer TChartAxis::TextWidth(const std::string& Text) {
  TChartCanvas3D* canvas = parentChart_ ? parentChart_->Canvas() : nullptr;
  if (!canvas || !canvas->ReferenceCanvas()) return 0;
  canvas->ApplyFont(labelsFont_.get());
  Integer widest = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = Text.find(ChartLineSeparator, start);
    const std::string line = Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    widest = std::max(widest, canvas->MeasureTextWidth(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return widest;
}

Integer TChartAxis::TextHeight(const std::string& Text) {
  TChartCanvas3D* canvas = parentChart_ ? parentChart_->Canvas() : nullptr;
  if (!canvas || !canvas->ReferenceCanvas()) return 0;
  canvas->ApplyFont(labelsFont_.get());
  return canvas->LineHeight() * LineCount(Text);
}

Integer TChartAxis::LabelSizeAlong(const std::string& Text) {
  const bool upright = labelsAngle_ == 90 || labelsAngle_ == 270;
  const bool flat = labelsAngle_ == 0 || labelsAngle_ == 180;
  if (horizontal_) return upright ? TextHeight(Text) : TextWidth(Text);
  return flat ? TextHeight(Text) : TextWidth(Text);
}

Integer TChartAxis::LabelsThatFit() {
  Integer size = std::max(LabelSizeAlong(LabelText(RangeMax)), LabelSizeAlong(LabelText(RangeMin)));
  if (labelsSeparation_ > 0) size += static_cast<Integer>(Round(labelsSeparation_ * 0.01 * size));
  if (size < 1) return 1;
  const Int64 n = Round(static_cast<Double>(LengthPixels) / size);
  return n > kMaxLabelRatio ? static_cast<Integer>(kMaxLabelRatio) : static_cast<Integer>(n);
}

Double TChartAxis::LabelStep() {
  // The date format of the measured texts follows the range until a step is known.
  const bool dates = IsDateTime();
  if (dates && currentStep_ <= 0) currentStep_ = RangeSpan;
  const Integer fit = LabelsThatFit();
  const Double step = dates ? AxisDateTimeStep(RangeSpan, increment_, fit) : AxisNumberStep(RangeSpan, increment_, fit);
  currentStep_ = step;
  return step;
}

Integer TChartAxis::DateStepIndex() {
  const Double step = currentStep_;
  if (exactDateTime_ && increment_ != 0) {
    Integer index = StepIndexOf(increment_);
    // An increment outside the table has no calendar unit: the computed step is used
    // as it stands.
    if (index == NoDateTimeStep) return NoDateTimeStep;
    while (index < dtOneYear && DateTimeStep[index] < step) ++index;
    return index;
  }
  return StepIndexOf(step);
}
