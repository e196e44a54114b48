#include "chart/chart_axis.h"

#include <cmath>
#include <limits>

#include "chart/axis_panel.h"
#include "chart/chart_series.h"
#include "platform/classlib/math_utils.h"

// ---- enumerations ----------------------------------------------------------------------

const TEnumInfo& AxisLabelStyleInfo() {
  static const TEnumInfo info("TAxisLabelStyle", {"talAuto", "talNone", "talValue", "talMark", "talText"});
  return info;
}

const TEnumInfo& AxisLabelAlignInfo() {
  static const TEnumInfo info("TAxisLabelAlign", {"alDefault", "alOpposite"});
  return info;
}

const TEnumInfo& HorizAxisInfo() {
  static const TEnumInfo info("THorizAxis", {"aTopAxis", "aBottomAxis", "aBothHorizAxis", "aCustomHorizAxis"});
  return info;
}

const TEnumInfo& VertAxisInfo() {
  static const TEnumInfo info("TVertAxis", {"aLeftAxis", "aRightAxis", "aBothVertAxis", "aCustomVertAxis"});
  return info;
}

namespace {

// An offset along an axis in whole pixels, halves to even.
Double PixelOffset(Double Offset) {
  // Values a few units in the last place apart (a flat curve evaluated at many points)
  // must land on one pixel: the offset is first snapped to a 1/65536 pixel grid, so one
  // lying on a half rounds the same way whichever side the noise put it.
  constexpr Double grid = 65536.0;
  if (std::fabs(Offset) < AxisPixelLimit) Offset = std::nearbyint(Offset * grid) / grid;
  return std::nearbyint(Offset);
}

}  // namespace

Integer AxisPixel(Double Value) {
  if (std::isnan(Value)) return 0;
  if (Value >= AxisPixelLimit) return AxisPixelLimit;
  if (Value <= -AxisPixelLimit) return -AxisPixelLimit;
  return static_cast<Integer>(Round(Value));
}

namespace {

Integer Modulo360(Integer value) {
  Integer a = value % 360;
  return a < 0 ? a + 360 : a;
}

}  // namespace

// ---- TChartAxisTitle ------------------------------------------------------------------

const TClass& TChartAxisTitle::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartAxisTitle>("TChartAxisTitle", TChartCustomShape::StaticClass(), &TChartAxisTitle::Publish);
  return cls;
}

void TChartAxisTitle::Publish(TPublished& published) {
  auto p = published.For<TChartAxisTitle>();
  p.Integer("Angle", &TChartAxisTitle::Angle, &TChartAxisTitle::SetAngle).StoredIf(&TChartAxisTitle::IsAngleStored);
  p.String("Caption", &TChartAxisTitle::Caption, &TChartAxisTitle::SetCaption).Default("");
}

TChartAxisTitle::TChartAxisTitle(TCustomChartPanel* ParentChart) : TChartCustomShape(ParentChart) {}

void TChartAxisTitle::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartAxisTitle*>(source)) {
    angle_ = src->angle_;
    caption_ = src->caption_;
  }
  TChartCustomShape::Assign(source);
}

void TChartAxisTitle::SetAngle(Integer value) {
  value = Modulo360(value);
  if (value == angle_) return;
  angle_ = value;
  Repaint();
}

void TChartAxisTitle::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  Repaint();
}

void TChartAxisTitle::SetDefaultAngle(Integer value) {
  defaultAngle_ = Modulo360(value);
  angle_ = defaultAngle_;
}

// ---- TChartAxis: construction ------------------------------------------------------------

const TClass& TChartAxis::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartAxis>("TChartAxis", TCollectionItem::StaticClass(), &TChartAxis::Publish);
  return cls;
}

void TChartAxis::Publish(TPublished& published) {
  auto p = published.For<TChartAxis>();
  p.Boolean("Automatic", &TChartAxis::Automatic, &TChartAxis::SetAutomatic).Default(true);
  p.Boolean("AutomaticMaximum", &TChartAxis::AutomaticMaximum, &TChartAxis::SetAutomaticMaximum).Default(true);
  p.Boolean("AutomaticMinimum", &TChartAxis::AutomaticMinimum, &TChartAxis::SetAutomaticMinimum).Default(true);
  p.Float("Increment", &TChartAxis::Increment, &TChartAxis::SetIncrement).Default(0.0);
  p.Float("Maximum", &TChartAxis::Maximum, &TChartAxis::SetMaximum)
      .StoredIf([](TChartAxis* a) { return !a->Automatic() && !a->AutomaticMaximum(); });
  p.Float("Minimum", &TChartAxis::Minimum, &TChartAxis::SetMinimum)
      .StoredIf([](TChartAxis* a) { return !a->Automatic() && !a->AutomaticMinimum(); });
  p.Boolean("Logarithmic", &TChartAxis::Logarithmic, &TChartAxis::SetLogarithmic).Default(false);
  p.Integer("LogarithmicBase", &TChartAxis::LogarithmicBase, &TChartAxis::SetLogarithmicBase).Default(10);
  p.Object("Axis", &TChartAxis::Axis, &TChartAxis::SetAxis);
  p.Object("Title", &TChartAxis::Title, &TChartAxis::SetTitle);
  p.Integer("TitleSize", &TChartAxis::TitleSize, &TChartAxis::SetTitleSize).Default(0);
  p.Object("Grid", &TChartAxis::Grid, &TChartAxis::SetGrid);
  p.Boolean("GridCentered", &TChartAxis::GridCentered, &TChartAxis::SetGridCentered).Default(false);
  p.Boolean("Labels", &TChartAxis::Labels, &TChartAxis::SetLabels).Default(true);
  p.Enum("LabelsAlign", AxisLabelAlignInfo(), &TChartAxis::LabelsAlign, &TChartAxis::SetLabelsAlign)
      .Default(alDefault);
  p.Integer("LabelsAngle", &TChartAxis::LabelsAngle, &TChartAxis::SetLabelsAngle).Default(0);
  p.Object("LabelsFont", &TChartAxis::LabelsFont, &TChartAxis::SetLabelsFont);
  p.Boolean("LabelsOnAxis", &TChartAxis::LabelsOnAxis, &TChartAxis::SetLabelsOnAxis).Default(true);
  p.Integer("LabelsSeparation", &TChartAxis::LabelsSeparation, &TChartAxis::SetLabelsSeparation).Default(10);
  p.Integer("LabelsSize", &TChartAxis::LabelsSize, &TChartAxis::SetLabelsSize).Default(0);
  p.Enum("LabelStyle", AxisLabelStyleInfo(), &TChartAxis::LabelStyle, &TChartAxis::SetLabelStyle)
      .Default(talAuto);
  p.Boolean("LabelsExponent", &TChartAxis::LabelsExponent, &TChartAxis::SetLabelsExponent).Default(false);
  p.Boolean("LabelsMultiLine", &TChartAxis::LabelsMultiLine, &TChartAxis::SetLabelsMultiLine).Default(false);
  p.String("AxisValuesFormat", &TChartAxis::AxisValuesFormat, &TChartAxis::SetAxisValuesFormat)
      .Default("#,##0.###");
  p.String("DateTimeFormat", &TChartAxis::DateTimeFormat, &TChartAxis::SetDateTimeFormat).Default("");
  p.Boolean("ExactDateTime", &TChartAxis::ExactDateTime, &TChartAxis::SetExactDateTime).Default(true);
  p.Boolean("RoundFirstLabel", &TChartAxis::RoundFirstLabel, &TChartAxis::SetRoundFirstLabel).Default(true);
  p.Object("MinorGrid", &TChartAxis::MinorGrid, &TChartAxis::SetMinorGrid);
  p.Integer("MinorTickCount", &TChartAxis::MinorTickCount, &TChartAxis::SetMinorTickCount).Default(3);
  p.Integer("MinorTickLength", &TChartAxis::MinorTickLength, &TChartAxis::SetMinorTickLength).Default(2);
  p.Object("MinorTicks", &TChartAxis::MinorTicks, &TChartAxis::SetMinorTicks);
  p.Object("Ticks", &TChartAxis::Ticks, &TChartAxis::SetTicks);
  p.Object("TicksInner", &TChartAxis::TicksInner, &TChartAxis::SetTicksInner);
  p.Integer("TickInnerLength", &TChartAxis::TickInnerLength, &TChartAxis::SetTickInnerLength).Default(0);
  p.Integer("TickLength", &TChartAxis::TickLength, &TChartAxis::SetTickLength).Default(4);
  p.Boolean("TickOnLabelsOnly", &TChartAxis::TickOnLabelsOnly, &TChartAxis::SetTickOnLabelsOnly).Default(true);
  p.Boolean("Inverted", &TChartAxis::Inverted, &TChartAxis::SetInverted).Default(false);
  p.Boolean("Horizontal", &TChartAxis::Horizontal, &TChartAxis::SetHorizontal).StoredIf(&TChartAxis::IsCustom);
  p.Boolean("OtherSide", &TChartAxis::OtherSide, &TChartAxis::SetOtherSide).StoredIf(&TChartAxis::IsCustom);
  p.Boolean("Visible", &TChartAxis::Visible, &TChartAxis::SetVisible).Default(true);
  p.Float("StartPosition", &TChartAxis::StartPosition, &TChartAxis::SetStartPosition).Default(0.0);
  p.Float("EndPosition", &TChartAxis::EndPosition, &TChartAxis::SetEndPosition).Default(100.0);
  p.Float("PositionPercent", &TChartAxis::PositionPercent, &TChartAxis::SetPositionPercent).Default(0.0);
}

TChartAxis::TChartAxis(TCollection* Collection) : TCollectionItem(Collection) {
  if (Collection) parentChart_ = dynamic_cast<TCustomAxisPanel*>(Collection->GetOwner());
  Init();
}

TChartAxis::TChartAxis(TCustomAxisPanel* Chart) : TCollectionItem(nullptr), parentChart_(Chart) { Init(); }

void TChartAxis::Init() {
  auto changed = [this](TObject* Sender) { ChartChanged(Sender); };
  axis_ = std::make_unique<TChartAxisPen>(changed);
  title_ = std::make_unique<TChartAxisTitle>(parentChart_);
  grid_ = std::make_unique<TDottedGrayPen>(changed);
  labelsFont_ = std::make_unique<TChartFont>(changed);
  minorGrid_ = std::make_unique<TChartHiddenPen>(changed);
  minorTicks_ = std::make_unique<TDarkGrayPen>(changed);
  ticksPen_ = std::make_unique<TDarkGrayPen>(changed);
  ticksInner_ = std::make_unique<TDarkGrayPen>(changed);
  ticks_.reserve(MaxAxisTicks);
  if (parentChart_) parentChart_->AddAxis(this);
}

TChartAxis::~TChartAxis() {
  // Every series using the axis lets go of it, whichever chart it is in by now.
  while (!customUsers_.empty()) {
    TChartSeries* s = customUsers_.back();
    if (s->CustomHorizAxis() == this)
      s->SetCustomHorizAxis(nullptr);
    else if (s->CustomVertAxis() == this)
      s->SetCustomVertAxis(nullptr);
    else
      customUsers_.pop_back();
  }
  if (parentChart_) parentChart_->RemoveAxis(this);
}

void TChartAxis::DetachChart() {
  parentChart_ = nullptr;
  title_->SetParentChart(nullptr);
}

void TChartAxis::ChartChanged(TObject* Sender) {
  (void)Sender;
  Invalidate();
}

void TChartAxis::Invalidate() {
  if (parentChart_) parentChart_->Invalidate();
}

bool TChartAxis::ChartReading() const {
  return parentChart_ && parentChart_->ComponentState().Contains(csReading);
}

bool TChartAxis::ChartLoading() const {
  return parentChart_ && parentChart_->ComponentState().Contains(csLoading);
}

void TChartAxis::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TChartAxis*>(source);
  if (!src) {
    TCollectionItem::Assign(source);
    return;
  }
  automatic_ = src->automatic_;
  automaticMaximum_ = src->automaticMaximum_;
  automaticMinimum_ = src->automaticMinimum_;
  increment_ = src->increment_;
  maximum_ = src->maximum_;
  minimum_ = src->minimum_;
  logarithmic_ = src->logarithmic_;
  logarithmicBase_ = src->logarithmicBase_;
  axis_->Assign(src->axis_.get());
  title_->Assign(src->title_.get());
  titleSize_ = src->titleSize_;
  grid_->Assign(src->grid_.get());
  gridCentered_ = src->gridCentered_;
  labels_ = src->labels_;
  labelsAlign_ = src->labelsAlign_;
  labelsAngle_ = src->labelsAngle_;
  labelsFont_->Assign(src->labelsFont_.get());
  labelsOnAxis_ = src->labelsOnAxis_;
  labelsSeparation_ = src->labelsSeparation_;
  labelsSize_ = src->labelsSize_;
  labelStyle_ = src->labelStyle_;
  labelsExponent_ = src->labelsExponent_;
  labelsMultiLine_ = src->labelsMultiLine_;
  axisValuesFormat_ = src->axisValuesFormat_;
  dateTimeFormat_ = src->dateTimeFormat_;
  exactDateTime_ = src->exactDateTime_;
  roundFirstLabel_ = src->roundFirstLabel_;
  minorGrid_->Assign(src->minorGrid_.get());
  minorTickCount_ = src->minorTickCount_;
  minorTickLength_ = src->minorTickLength_;
  minorTicks_->Assign(src->minorTicks_.get());
  ticksPen_->Assign(src->ticksPen_.get());
  ticksInner_->Assign(src->ticksInner_.get());
  tickInnerLength_ = src->tickInnerLength_;
  tickLength_ = src->tickLength_;
  tickOnLabelsOnly_ = src->tickOnLabelsOnly_;
  inverted_ = src->inverted_;
  horizontal_ = src->horizontal_;
  otherSide_ = src->otherSide_;
  visible_ = src->visible_;
  startPosition_ = src->startPosition_;
  endPosition_ = src->endPosition_;
  positionPercent_ = src->positionPercent_;
  depthAxis_ = src->depthAxis_;
  Invalidate();
}

// ---- TChartAxis: property writers --------------------------------------------------------

void TChartAxis::SetAutomatic(bool value) {
  Change(automatic_, value);
  if (!ChartLoading()) {
    automaticMinimum_ = value;
    automaticMaximum_ = value;
  }
}

void TChartAxis::SetAutomaticMaximum(bool value) {
  Change(automaticMaximum_, value);
  if (!value)
    automatic_ = false;
  else if (automaticMinimum_)
    automatic_ = true;
}

void TChartAxis::SetAutomaticMinimum(bool value) {
  Change(automaticMinimum_, value);
  if (!value)
    automatic_ = false;
  else if (automaticMaximum_)
    automatic_ = true;
}

void TChartAxis::SetIncrement(Double value) {
  // What a form could not store back is refused, as are values the drawing cannot use.
  if (!std::isfinite(value)) throw AxisException(msg::AxisIncrementNotFinite);
  if (!(value >= 0)) throw AxisException(msg::AxisIncrementNegative);
  Change(increment_, value);
}

void TChartAxis::SetMinimum(Double value) {
  if (!std::isfinite(value)) throw AxisException(msg::AxisLimitNotFinite);
  if (!ChartReading() && value > maximum_) throw AxisException(msg::AxisMinMax);
  Change(minimum_, value);
}

void TChartAxis::SetMaximum(Double value) {
  if (!std::isfinite(value)) throw AxisException(msg::AxisLimitNotFinite);
  if (!ChartReading() && value < minimum_) throw AxisException(msg::AxisMaxMin);
  Change(maximum_, value);
}

void TChartAxis::SetLogarithmicBase(Integer value) {
  if (value < 2) throw AxisException(msg::AxisLogBase);
  Change(logarithmicBase_, value);
}

void TChartAxis::SetLogarithmic(bool value) {
  // A form gives the limits and the flag in its own order; the checks belong to a program's
  // changes, as the limits' own do, or a form the axis accepted would not read back.
  if (value && !logarithmic_ && !ChartReading()) {
    if (IsDateTime()) throw AxisException(msg::AxisLogDateTime);
    // The limits the axis would use now; nothing is stored when they are refused.
    Double lo = minimum_;
    Double hi = maximum_;
    if (parentChart_ && parentChart_->HasAxisSeries(this)) {
      if (automatic_ || automaticMinimum_) lo = SeriesMinimum();
      if (automatic_ || automaticMaximum_) hi = SeriesMaximum();
    }
    if (lo < 0 || hi < 0) throw AxisException(msg::AxisLogNotPositive);
  }
  Change(logarithmic_, value);
}

void TChartAxis::SetLabelsSeparation(Integer value) {
  if (value < 0) throw AxisException(msg::AxisLabelSep);
  Change(labelsSeparation_, value);
}

void TChartAxis::SetLabelsAngle(Integer value) { Change(labelsAngle_, Modulo360(value)); }
void TChartAxis::SetAxisValuesFormat(const std::string& value) { Change(axisValuesFormat_, value); }
void TChartAxis::SetDateTimeFormat(const std::string& value) { Change(dateTimeFormat_, value); }
void TChartAxis::SetEndPosition(Double value) { Change(endPosition_, value); }
void TChartAxis::SetExactDateTime(bool value) { Change(exactDateTime_, value); }
void TChartAxis::SetGridCentered(bool value) { Change(gridCentered_, value); }
void TChartAxis::SetHorizontal(bool value) { Change(horizontal_, value); }
void TChartAxis::SetInverted(bool value) { Change(inverted_, value); }
void TChartAxis::SetLabels(bool value) { Change(labels_, value); }
void TChartAxis::SetLabelsAlign(TAxisLabelAlign value) { Change(labelsAlign_, value); }
void TChartAxis::SetLabelsExponent(bool value) { Change(labelsExponent_, value); }
void TChartAxis::SetLabelsMultiLine(bool value) { Change(labelsMultiLine_, value); }
void TChartAxis::SetLabelsOnAxis(bool value) { Change(labelsOnAxis_, value); }
void TChartAxis::SetLabelsSize(Integer value) { Change(labelsSize_, value); }
void TChartAxis::SetLabelStyle(TAxisLabelStyle value) { Change(labelStyle_, value); }
void TChartAxis::SetMinorTickCount(Integer value) { Change(minorTickCount_, value); }
void TChartAxis::SetMinorTickLength(Integer value) { Change(minorTickLength_, value); }
void TChartAxis::SetOtherSide(bool value) { Change(otherSide_, value); }
void TChartAxis::SetPositionPercent(Double value) { Change(positionPercent_, value); }
void TChartAxis::SetRoundFirstLabel(bool value) { Change(roundFirstLabel_, value); }
void TChartAxis::SetStartPosition(Double value) { Change(startPosition_, value); }
void TChartAxis::SetTickInnerLength(Integer value) { Change(tickInnerLength_, value); }
void TChartAxis::SetTickLength(Integer value) { Change(tickLength_, value); }
void TChartAxis::SetTickOnLabelsOnly(bool value) { Change(tickOnLabelsOnly_, value); }
void TChartAxis::SetTitleSize(Integer value) { Change(titleSize_, value); }
void TChartAxis::SetVisible(bool value) { Change(visible_, value); }

// ---- TChartAxis: limits ----------------------------------------------------------------

void TChartAxis::SetMinMax(Double AMin, Double AMax) {
  if (!std::isfinite(AMin) || !std::isfinite(AMax)) throw AxisException(msg::AxisLimitNotFinite);
  automatic_ = false;
  automaticMinimum_ = false;
  automaticMaximum_ = false;
  if (AMin > AMax) std::swap(AMin, AMax);
  Change(minimum_, AMin);
  Change(maximum_, AMax);
  if (maximum_ - minimum_ < 1e-10) Change(maximum_, minimum_ + 1e-10);
}

std::vector<TChartSeries*> TChartAxis::AxisSeries(bool activeOnly) const {
  std::vector<TChartSeries*> result;
  if (!parentChart_) return result;
  TChartSeriesList* list = parentChart_->SeriesList();
  for (Integer i = 0; i < list->Count(); ++i) {
    TChartSeries* s = list->Series(i);
    if (activeOnly && !s->Active()) continue;
    if (s->AssociatedToAxis(const_cast<TChartAxis*>(this))) result.push_back(s);
  }
  return result;
}

Double TChartAxis::SeriesMinimum() const {
  auto* self = const_cast<TChartAxis*>(this);
  if (!parentChart_) return 0;
  if (depthAxis_) return parentChart_->MinZValue(self);
  return horizontal_ ? parentChart_->MinXValue(self) : parentChart_->MinYValue(self);
}

Double TChartAxis::SeriesMaximum() const {
  auto* self = const_cast<TChartAxis*>(this);
  if (!parentChart_) return 0;
  if (depthAxis_) return parentChart_->MaxZValue(self);
  return horizontal_ ? parentChart_->MaxXValue(self) : parentChart_->MaxYValue(self);
}

void TChartAxis::RecalcLimits() {
  // Without series on the axis there is nothing to take limits from: the stored limits
  // stay.
  if (parentChart_ && parentChart_->HasAxisSeries(this)) {
    if (automatic_ || automaticMaximum_) maximum_ = SeriesMaximum();
    if (automatic_ || automaticMinimum_) minimum_ = SeriesMinimum();
  }
  RangeMax = maximum_;
  RangeMin = minimum_;
  RangeSpan = RangeMax - RangeMin;
  limitsCalculated_ = true;
}

bool TChartAxis::LimitsKnown() const {
  return limitsCalculated_ || !(automatic_ || automaticMaximum_ || automaticMinimum_);
}

void TChartAxis::ShiftRange(Double Offset, bool CheckLimits) {
  if (CheckLimits) {
    const bool more = (Offset > 0 && SeriesMaximum() > maximum_) || (Offset < 0 && SeriesMinimum() < minimum_);
    if (!more) return;
  }
  // A shift past the largest double would leave limits the form cannot store.
  if (!std::isfinite(minimum_ + Offset) || !std::isfinite(maximum_ + Offset)) return;
  automatic_ = false;
  automaticMinimum_ = false;
  automaticMaximum_ = false;
  maximum_ += Offset;
  minimum_ += Offset;
  Invalidate();
}

void TChartAxis::WidenForMargins(const TRect& Margins) {
  const Integer first = horizontal_ ? Margins.left : Margins.top;
  const Integer second = horizontal_ ? Margins.right : Margins.bottom;
  const Integer oldStart = StartPixel;
  const Integer oldEnd = EndPixel;
  const Integer oldLength = LengthPixels;
  StartPixel = oldStart + first;
  EndPixel = oldEnd - second;
  LengthPixels = EndPixel - StartPixel;
  // Margins that leave no length would collapse the range to nothing: keep it.
  const bool usable = LengthPixels >= 1;
  Double newMin = RangeMin;
  Double newMax = RangeMax;
  if (usable) {
    newMin = CalcPosPoint(oldStart);
    newMax = CalcPosPoint(oldEnd);
  }
  if (parentChart_) {
    CalcScreenExtent();
  } else {
    StartPixel = oldStart;
    EndPixel = oldEnd;
    LengthPixels = oldLength;
  }
  if (newMin > newMax) std::swap(newMin, newMax);
  RangeMin = newMin;
  RangeMax = newMax;
  RangeSpan = RangeMax - RangeMin;
}

// ---- TChartAxis: pixels ----------------------------------------------------------------

void TChartAxis::CalcScreenExtent() {
  if (!parentChart_) return;
  Integer length;
  Integer offset;
  if (depthAxis_) {
    length = parentChart_->Width3D();
    offset = 0;
  } else if (horizontal_) {
    length = parentChart_->ChartWidth();
    offset = parentChart_->ChartRect().left;
  } else {
    length = parentChart_->ChartHeight();
    offset = parentChart_->ChartRect().top;
  }
  StartPixel = AxisPixel(static_cast<Double>(offset) + static_cast<Double>(Round(length * 0.01 * startPosition_)));
  EndPixel = AxisPixel(static_cast<Double>(offset) + static_cast<Double>(Round(length * 0.01 * endPosition_)));
  LengthPixels = EndPixel - StartPixel;
  CenterPixel = static_cast<Integer>((static_cast<Int64>(StartPixel) + EndPixel) / 2);
}

Integer TChartAxis::CalcDepthPosValue(Double Value) const {
  const Integer width = parentChart_ ? parentChart_->Width3D() : 0;
  if (RangeSpan == 0) return width / 2;
  const Double d = inverted_ ? RangeMax - Value : Value - RangeMin;
  return AxisPixel(PixelOffset(width * d / RangeSpan));
}

Integer TChartAxis::LinearPos(Double Value, bool FromEnd) const {
  if (RangeSpan == 0) return CenterPixel;
  const Double t = (Value - RangeMin) * LengthPixels / RangeSpan;
  if (std::isnan(t)) return CenterPixel;
  // Far-off values end at the pixel limit instead of wrapping or jumping to the centre.
  const Double p = PixelOffset(t);
  return AxisPixel(FromEnd ? EndPixel - p : StartPixel + p);
}

Integer TChartAxis::LogPos(Double Value, bool IsX) const {
  const Double logHigh = RangeMax > 0 ? std::log(RangeMax) : 0;
  const Double logLow = RangeMin > 0 ? std::log(RangeMin) : 0;
  const Double logSpan = logHigh - logLow;
  if (logSpan == 0) return CenterPixel;
  if (Value <= 0) return (IsX != inverted_) ? StartPixel : EndPixel;
  const Double lv = std::log(Value);
  const Double t = LengthPixels * (inverted_ ? logHigh - lv : lv - logLow) / logSpan;
  if (std::isnan(t)) return CenterPixel;
  const Double p = PixelOffset(t);
  return AxisPixel(IsX ? StartPixel + p : EndPixel - p);
}

Integer TChartAxis::CalcXPosValue(Double Value) const {
  if (depthAxis_) return CalcDepthPosValue(Value);
  if (logarithmic_) return LogPos(Value, true);
  return LinearPos(Value, inverted_);
}

Integer TChartAxis::CalcYPosValue(Double Value) const {
  if (depthAxis_) return CalcDepthPosValue(Value);
  if (logarithmic_) return LogPos(Value, false);
  return LinearPos(Value, !inverted_);
}

Double TChartAxis::CalcPosPoint(Integer Position) const {
  if (logarithmic_) {
    const bool startIsMax = (horizontal_ && inverted_) || (!horizontal_ && !inverted_);
    if (Position == StartPixel) return startIsMax ? RangeMax : RangeMin;
    if (Position == EndPixel) return startIsMax ? RangeMin : RangeMax;
    const Double logHigh = RangeMax > 0 ? std::log(RangeMax) : 0;
    const Double logLow = RangeMin > 0 ? std::log(RangeMin) : 0;
    const Double logSpan = logHigh - logLow;
    if (logSpan == 0 || LengthPixels < 1) return RangeMin;
    const Double offset = inverted_ ? static_cast<Double>(EndPixel) - Position
                                    : static_cast<Double>(Position) - StartPixel;
    const Double d = offset * logSpan / LengthPixels;
    return horizontal_ ? std::exp(logLow + d) : std::exp(logHigh - d);
  }
  if (LengthPixels < 1) return 0;
  const Double offset =
      inverted_ ? static_cast<Double>(EndPixel) - Position : static_cast<Double>(Position) - StartPixel;
  const Double d = offset * RangeSpan / LengthPixels;
  return horizontal_ ? RangeMin + d : RangeMax - d;
}

// ---- TChartDepthAxis -------------------------------------------------------------------

const TClass& TChartDepthAxis::StaticClass() {
  static const TClass cls = TClass::Of<TChartDepthAxis>("TChartDepthAxis", TChartAxis::StaticClass());
  return cls;
}

TChartDepthAxis::TChartDepthAxis(TCollection* Collection) : TChartAxis(Collection) { SetDepthAxisFlag(true); }

TChartDepthAxis::TChartDepthAxis(TCustomAxisPanel* Chart) : TChartAxis(Chart) { SetDepthAxisFlag(true); }

TAxisLabelStyle TChartDepthAxis::ResolveLabelStyle() {
  // Any active series of the chart counts: series lie along the depth, not on it.
  if (TCustomAxisPanel* chart = ParentChart()) {
    for (Integer i = 0; i < chart->SeriesCount(); ++i) {
      TChartSeries* s = chart->GetSeries(i);
      if (s->Active() && s->MaxZValue() != s->MinZValue()) return talValue;
    }
  }
  return talText;
}
