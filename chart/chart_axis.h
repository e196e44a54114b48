#pragma once
// TChartAxis: maps values to pixels along one side of a chart's plotting rectangle and
// back, keeps the limits (from the series or fixed), chooses the label step, and draws
// the axis line, ticks, grid, labels and title.
//
// Conversions are computed in double and held far outside the drawing area instead of
// wrapping, so a deep zoom never folds points back onto the chart.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_shape.h"
#include "chart/chart_tools.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/types.h"

class TCustomChartPanel;
class TCustomAxisPanel;
class TChartSeries;
class TChartAxis;

QM_DECLARE_EXCEPTION(AxisException, Exception);

namespace msg {
inline constexpr const char* AxisIncrementNegative = "Axis increment must be >= 0";
inline constexpr const char* AxisIncrementNotFinite = "Axis increment must be a finite number";
inline constexpr const char* AxisLimitNotFinite = "Axis Minimum and Maximum must be finite numbers";
inline constexpr const char* AxisMinMax = "Axis Minimum Value must be <= Maximum";
inline constexpr const char* AxisMaxMin = "Axis Maximum Value must be >= Minimum";
inline constexpr const char* AxisLogBase = "Axis Logarithmic Base should be >= 2";
inline constexpr const char* AxisLogDateTime = "DateTime Axis cannot be Logarithmic";
inline constexpr const char* AxisLogNotPositive = "Logarithmic Axis Min and Max values should be >= 0";
inline constexpr const char* AxisLabelSep = "Labels Separation % must be greater than 0";
}  // namespace msg

enum TAxisLabelStyle : Byte { talAuto, talNone, talValue, talMark, talText };
enum TAxisLabelAlign : Byte { alDefault, alOpposite };
enum THorizAxis : Byte { aTopAxis, aBottomAxis, aBothHorizAxis, aCustomHorizAxis };
enum TVertAxis : Byte { aLeftAxis, aRightAxis, aBothVertAxis, aCustomVertAxis };
const TEnumInfo& AxisLabelStyleInfo();
const TEnumInfo& AxisLabelAlignInfo();
const TEnumInfo& HorizAxisInfo();
const TEnumInfo& VertAxisInfo();

// The chart's label hooks: a text for a value (Series is null and ValueIndex -1 for value
// labels), and the values of the labels one by one (Stop ends the list).
using TAxisOnGetLabel =
    std::function<void(TChartAxis* Sender, TChartSeries* Series, Integer ValueIndex, std::string& LabelText)>;
using TAxisOnGetNextLabel =
    std::function<void(TChartAxis* Sender, Integer LabelIndex, Double& LabelValue, bool& Stop)>;

// Labels and ticks drawn per pass are capped here; further positions are dropped.
inline constexpr Integer MaxAxisTicks = 2000;

// Pixel positions of values far outside the chart end here instead of wrapping; the
// margin to the 32-bit limits leaves room for the sizes callers add.
inline constexpr Integer AxisPixelLimit = 1000000000;
// Rounds (halves to even) and holds the result within +-AxisPixelLimit; NaN gives 0.
Integer AxisPixel(Double Value);

// ---- label steps ----
// The next step of the 1-2-5 series: [1, 2) -> 2, [2, 5) -> 5, [5, 10) -> 10, scaled by
// powers of ten.
Double NextStep125(Double Step);
// The label step of a numeric range: from Increment (or 1, or 1e-12 for spans under 1)
// up the 1-2-5 series until round(Span / step) labels fit; 1e-12 with no room.
Double AxisNumberStep(Double Span, Double Increment, Integer LabelsThatFit);
// The label step of a date-time range (days): from the larger of Increment and one
// millisecond up the date step table (doubling from a year on) until the labels fit.
Double AxisDateTimeStep(Double Span, Double Increment, Integer LabelsThatFit);
// A date-time as text: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz am/pm
// a/p, '/' and ':' as separators, text in quotes kept as it stands.
std::string FormatAxisDateTime(const std::string& Format, Double Value);

// The axis title: a framed text with an angle and a caption.
class TChartAxisTitle : public TChartCustomShape {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartAxisTitle(TCustomChartPanel* ParentChart);

  // Angle and Caption, then the shape.
  void Assign(TPersistent* source) override;

  Integer Angle() const { return angle_; }
  // Stored modulo 360.
  void SetAngle(Integer value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  Integer DefaultAngle() const { return defaultAngle_; }
  // Also the angle itself (the axis sets both when it takes its side).
  void SetDefaultAngle(Integer value);
  bool IsAngleStored() const { return angle_ != defaultAngle_; }

 private:
  Integer angle_ = 0;
  std::string caption_;
  Integer defaultAngle_ = 0;
};

class TChartAxis : public TCollectionItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // A custom axis, member of the chart's custom axes (a collection owned by the chart).
  // Either way the axis joins the chart's axis list.
  explicit TChartAxis(TCollection* Collection);
  // A standard axis of Chart, in no collection.
  explicit TChartAxis(TCustomAxisPanel* Chart);
  // Series that used it go back to the bottom or left axis; it leaves the chart's list.
  ~TChartAxis() override;

  void Assign(TPersistent* source) override;

  // ---- limits ----
  // Fixes the limits (in either order); a range under 1e-10 is widened to 1e-10. Limits
  // that are not finite raise AxisException and change nothing.
  void SetMinMax(Double AMin, Double AMax);
  // Limits from the series (automatic flags) into RangeMin/RangeMax.
  void RecalcLimits();
  // Whether Minimum .. Maximum is a range the chart shows: both ends fixed, or worked out
  // from the series at least once (the chart places its axes when it draws).
  bool LimitsKnown() const;
  // Widens RangeMin/RangeMax so that the data keeps Margins' pixels (Left and Right
  // for a horizontal axis, Top and Bottom for a vertical one).
  void WidenForMargins(const TRect& Margins);
  // Scrolls both limits by Offset; with CheckLimits only towards data beyond them.
  void ShiftRange(Double Offset, bool CheckLimits);

  // ---- pixels ----
  // StartPixel, EndPixel, LengthPixels, CenterPixel from the chart's plotting rectangle.
  void CalcScreenExtent();
  Integer CalcXPosValue(Double Value) const;
  Integer CalcYPosValue(Double Value) const;
  Integer ValueToPos(Double Value) const { return Horizontal() ? CalcXPosValue(Value) : CalcYPosValue(Value); }
  // Screen to value.
  Double CalcPosPoint(Integer Position) const;
  // The depth axis' position of a value (0..the chart's 3D width).
  Integer CalcDepthPosValue(Double Value) const;

  // ---- labels ----
  // The label step for the current range and room.
  Double LabelStep();
  // The label values drawn for the current range (value labels): the chart's
  // OnGetNextAxisLabel values, the powers of the base of a logarithmic axis, or the
  // steps down from the first label.
  std::vector<Double> LabelValues();
  // One label per point of the axis' series (talMark, talText): position along the
  // axis, value and text.
  struct TPointLabel {
    Integer Pos;
    Double Value;
    std::string Text;
  };
  std::vector<TPointLabel> PointLabels(TAxisLabelStyle Style);
  std::string LabelText(Double Value);
  // The label style in force: LabelStyle, or the automatic choice.
  TAxisLabelStyle CalcLabelStyle();
  virtual TAxisLabelStyle ResolveLabelStyle();
  // Whether the axis shows date-times (a date-time series on it).
  bool IsDateTime();

  // ---- layout and drawing ----
  // Takes the room of title, labels and ticks off Rect (Inflate) or places the axis
  // line at Rect's side (not Inflate).
  void ReserveSpace(TRect& Rect, bool Inflate);
  // How far a label centred on an end of the axis reaches past that end, from the last
  // ReserveSpace (0 without labels).
  Integer LabelsOverhang() const { return labelsOverhang_; }
  void DrawAxis(bool CalcPosAxis);
  bool HitTest(Integer X, Integer Y);
  // Tick positions of the last DrawAxis.
  const std::vector<Integer>& TickPositions() const { return ticks_; }
  // Every minor tick position worked out for the ticks at Positions (of Values), in
  // the order found; the drawing keeps those strictly inside the axis, one a pixel.
  std::vector<Integer> MinorTickPositions(const std::vector<Integer>& Positions,
                                          const std::vector<Double>& Values) const;

  // ---- run-time state ----
  TCustomAxisPanel* ParentChart() const { return parentChart_; }
  Double RangeMin = 0;
  Double RangeMax = 0;
  Double RangeSpan = 0;
  bool ShowsDates = false;
  Integer CenterPixel = 0;
  Integer StartPixel = 0;
  Integer EndPixel = 0;
  Integer LengthPixels = 0;
  Integer LinePixel = 0;
  Integer TitlePixel = 0;
  Integer LabelsPixel = 0;
  bool IsDepthAxis() const { return depthAxis_; }
  void SetDepthAxisFlag(bool value) { depthAxis_ = value; }

  // ---- published ----
  bool Automatic() const { return automatic_; }
  void SetAutomatic(bool value);
  bool AutomaticMaximum() const { return automaticMaximum_; }
  void SetAutomaticMaximum(bool value);
  bool AutomaticMinimum() const { return automaticMinimum_; }
  void SetAutomaticMinimum(bool value);
  TChartAxisPen* Axis() const { return axis_.get(); }
  void SetAxis(TChartAxisPen* value) { axis_->Assign(value); }
  const std::string& AxisValuesFormat() const { return axisValuesFormat_; }
  void SetAxisValuesFormat(const std::string& value);
  const std::string& DateTimeFormat() const { return dateTimeFormat_; }
  void SetDateTimeFormat(const std::string& value);
  Double EndPosition() const { return endPosition_; }
  void SetEndPosition(Double value);
  bool ExactDateTime() const { return exactDateTime_; }
  void SetExactDateTime(bool value);
  TDottedGrayPen* Grid() const { return grid_.get(); }
  void SetGrid(TDottedGrayPen* value) { grid_->Assign(value); }
  bool GridCentered() const { return gridCentered_; }
  void SetGridCentered(bool value);
  bool Horizontal() const { return horizontal_; }
  void SetHorizontal(bool value);
  Double Increment() const { return increment_; }
  void SetIncrement(Double value);
  bool Inverted() const { return inverted_; }
  void SetInverted(bool value);
  bool Labels() const { return labels_; }
  void SetLabels(bool value);
  TAxisLabelAlign LabelsAlign() const { return labelsAlign_; }
  void SetLabelsAlign(TAxisLabelAlign value);
  Integer LabelsAngle() const { return labelsAngle_; }
  void SetLabelsAngle(Integer value);
  bool LabelsExponent() const { return labelsExponent_; }
  void SetLabelsExponent(bool value);
  TChartFont* LabelsFont() const { return labelsFont_.get(); }
  void SetLabelsFont(TChartFont* value) { labelsFont_->Assign(value); }
  bool LabelsMultiLine() const { return labelsMultiLine_; }
  void SetLabelsMultiLine(bool value);
  bool LabelsOnAxis() const { return labelsOnAxis_; }
  void SetLabelsOnAxis(bool value);
  Integer LabelsSeparation() const { return labelsSeparation_; }
  void SetLabelsSeparation(Integer value);
  Integer LabelsSize() const { return labelsSize_; }
  void SetLabelsSize(Integer value);
  TAxisLabelStyle LabelStyle() const { return labelStyle_; }
  void SetLabelStyle(TAxisLabelStyle value);
  bool Logarithmic() const { return logarithmic_; }
  void SetLogarithmic(bool value);
  Integer LogarithmicBase() const { return logarithmicBase_; }
  void SetLogarithmicBase(Integer value);
  Double Maximum() const { return maximum_; }
  void SetMaximum(Double value);
  Double Minimum() const { return minimum_; }
  void SetMinimum(Double value);
  TChartHiddenPen* MinorGrid() const { return minorGrid_.get(); }
  void SetMinorGrid(TChartHiddenPen* value) { minorGrid_->Assign(value); }
  Integer MinorTickCount() const { return minorTickCount_; }
  void SetMinorTickCount(Integer value);
  Integer MinorTickLength() const { return minorTickLength_; }
  void SetMinorTickLength(Integer value);
  TDarkGrayPen* MinorTicks() const { return minorTicks_.get(); }
  void SetMinorTicks(TDarkGrayPen* value) { minorTicks_->Assign(value); }
  bool OtherSide() const { return otherSide_; }
  void SetOtherSide(bool value);
  Double PositionPercent() const { return positionPercent_; }
  void SetPositionPercent(Double value);
  bool RoundFirstLabel() const { return roundFirstLabel_; }
  void SetRoundFirstLabel(bool value);
  Double StartPosition() const { return startPosition_; }
  void SetStartPosition(Double value);
  Integer TickInnerLength() const { return tickInnerLength_; }
  void SetTickInnerLength(Integer value);
  Integer TickLength() const { return tickLength_; }
  void SetTickLength(Integer value);
  bool TickOnLabelsOnly() const { return tickOnLabelsOnly_; }
  void SetTickOnLabelsOnly(bool value);
  TDarkGrayPen* Ticks() const { return ticksPen_.get(); }
  void SetTicks(TDarkGrayPen* value) { ticksPen_->Assign(value); }
  TDarkGrayPen* TicksInner() const { return ticksInner_.get(); }
  void SetTicksInner(TDarkGrayPen* value) { ticksInner_->Assign(value); }
  TChartAxisTitle* Title() const { return title_.get(); }
  void SetTitle(TChartAxisTitle* value) { title_->Assign(value); }
  Integer TitleSize() const { return titleSize_; }
  void SetTitleSize(Integer value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);

  // A custom axis (a member of the chart's custom axes): only its Horizontal and
  // OtherSide are stored.
  bool IsCustom() const { return Collection() != nullptr; }

 protected:
  // The series of the chart that draw on this axis (active ones only when asked).
  std::vector<TChartSeries*> AxisSeries(bool activeOnly) const;
  // Extremes of the active series on this axis (X for horizontal axes, Y otherwise).
  Double SeriesMinimum() const;
  Double SeriesMaximum() const;
  // True while the chart reads a form.
  bool ChartReading() const;
  bool ChartLoading() const;
  void Invalidate();

 private:
  friend class TCustomAxisPanel;
  // Series that name this axis as a custom axis, in or out of its chart; each is told
  // when the axis goes.
  friend class TChartSeries;
  std::vector<TChartSeries*> customUsers_;
  void Init();
  // The chart goes away first: the axis stays without one.
  void DetachChart();
  void ChartChanged(TObject* Sender);
  template <class T>
  void Change(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }

  // Value to pixel, linear and logarithmic.
  Integer LinearPos(Double Value, bool FromEnd) const;
  Integer LogPos(Double Value, bool IsX) const;
  // Steps (axis_increment.cpp).
  Integer LabelSizeAlong(const std::string& Text);
  Integer LabelsThatFit();
  // Text size measuring with the labels font on the chart's canvas.
  Integer TextWidth(const std::string& Text);
  Integer TextHeight(const std::string& Text);
  // Labels (axis_labels.cpp).
  std::string LabelTextNoEvent(Double Value);
  Double FirstLabelValue(Double Step, Integer StepIndex);
  void StepDown(Double& Value, Double Step, Integer StepIndex);
  std::vector<Double> LogLabelValues();
  Integer DateStepIndex();
  // Drawing (axis_draw.cpp).
  // Sets labelsRoom_ and labelsOverhang_ from the texts the labels would show.
  void MeasureLabels();
  Integer TitleRoom();
  // Draws Text (lines split at the line separator) rotated by Angle, its block centred
  // on Along and lying outward from Edge (or ending at Edge + Room with Opposite).
  void DrawTextBlock(Integer Along, Integer Edge, Integer Room, bool Opposite, const std::string& Text,
                     Integer Angle);
  void DrawMinorTicks(const std::vector<Integer>& Positions, const std::vector<Double>& Values);
  void DrawTickLine(Integer Pos, Integer From, Integer To);
  void DrawGridLine(Integer Pos);
  // The depth axis' grid, line, ticks and labels (depths with their texts).
  void DrawDepthParts(const std::vector<std::pair<Integer, std::string>>& Labels);
  // +1 when outward is towards larger coordinates (bottom and right sides), else -1.
  Integer Outward() const;

  TCustomAxisPanel* parentChart_ = nullptr;
  bool depthAxis_ = false;
  std::vector<Integer> ticks_;

  bool automatic_ = true;
  bool limitsCalculated_ = false;  // RecalcLimits has run
  bool automaticMaximum_ = true;
  bool automaticMinimum_ = true;
  Double increment_ = 0;
  Double maximum_ = 0;
  Double minimum_ = 0;
  bool logarithmic_ = false;
  Integer logarithmicBase_ = 10;
  std::unique_ptr<TChartAxisPen> axis_;
  std::unique_ptr<TChartAxisTitle> title_;
  Integer titleSize_ = 0;
  std::unique_ptr<TDottedGrayPen> grid_;
  bool gridCentered_ = false;
  bool labels_ = true;
  TAxisLabelAlign labelsAlign_ = alDefault;
  Integer labelsAngle_ = 0;
  std::unique_ptr<TChartFont> labelsFont_;
  bool labelsOnAxis_ = true;
  Integer labelsSeparation_ = 10;
  Integer labelsSize_ = 0;
  TAxisLabelStyle labelStyle_ = talAuto;
  bool labelsExponent_ = false;
  bool labelsMultiLine_ = false;
  std::string axisValuesFormat_ = "#,##0.###";
  std::string dateTimeFormat_;
  bool exactDateTime_ = true;
  bool roundFirstLabel_ = true;
  std::unique_ptr<TChartHiddenPen> minorGrid_;
  Integer minorTickCount_ = 3;
  Integer minorTickLength_ = 2;
  std::unique_ptr<TDarkGrayPen> minorTicks_;
  std::unique_ptr<TDarkGrayPen> ticksPen_;
  std::unique_ptr<TDarkGrayPen> ticksInner_;
  Integer tickInnerLength_ = 0;
  Integer tickLength_ = 4;
  bool tickOnLabelsOnly_ = true;
  bool inverted_ = false;
  bool horizontal_ = false;
  bool otherSide_ = false;
  bool visible_ = true;
  Double startPosition_ = 0;
  Double endPosition_ = 100;
  Double positionPercent_ = 0;
  bool eventsOff_ = false;  // label hooks switched off while measuring
  Double currentStep_ = 0;  // the label step last computed (date formats follow it)
  Integer labelsRoom_ = 0;  // across the axis, from the last ReserveSpace
  Integer labelsOverhang_ = 0;  // along the axis, past either end
  Integer titleRoom_ = 0;
};

// The depth axis of 3D charts: its length is the chart's 3D width.
class TChartDepthAxis : public TChartAxis {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartDepthAxis(TCollection* Collection);
  explicit TChartDepthAxis(TCustomAxisPanel* Chart);

  // Values when an active series has a depth range of its own, else series titles.
  TAxisLabelStyle ResolveLabelStyle() override;
};
