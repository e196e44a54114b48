// The labels of an axis: which values get one, their texts, and the label style.
#include <cmath>
#include <cstdio>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_series.h"
#include "chart/chart_utils.h"
#include "platform/classlib/float_format.h"
#include "platform/classlib/math_utils.h"

namespace {

// Labels beyond this many steps of the range are not drawn at all.
constexpr Double kMaxLabelSteps = 10000;
constexpr Integer kMaxNextLabelCalls = 2000;

const char* const kShortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kShortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string Padded(Int64 value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
  return buf;
}

// How many times the character at `pos` repeats (case-insensitive).
std::size_t RunLength(const std::string& f, std::size_t pos) {
  const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[pos])));
  std::size_t n = 0;
  while (pos + n < f.size() && std::tolower(static_cast<unsigned char>(f[pos + n])) == c) ++n;
  return n;
}

bool StartsWithNoCase(const std::string& f, std::size_t pos, const char* word) {
  for (std::size_t i = 0; word[i]; ++i) {
    if (pos + i >= f.size()) return false;
    if (std::tolower(static_cast<unsigned char>(f[pos + i])) != word[i]) return false;
  }
  return true;
}

}  // namespace

std::string FormatAxisDateTime(const std::string& Format, Double Value) {
  if (!std::isfinite(Value) || std::fabs(Value) > 1e7) return {};
  // Whole milliseconds, so that 23:59:59.9996 becomes the next day rather than 24:00.
  const Int64 totalMs = static_cast<Int64>(std::llround(Value * 86400000.0));
  Int64 dayNumber = totalMs / 86400000;
  Int64 msOfDay = totalMs % 86400000;
  if (msOfDay < 0) {
    msOfDay += 86400000;
    --dayNumber;
  }
  Integer year = 0, month = 0, day = 0;
  DecodeChartDate(static_cast<Double>(dayNumber), year, month, day);
  const Int64 hour = msOfDay / 3600000;
  const Int64 minute = msOfDay / 60000 % 60;
  const Int64 second = msOfDay / 1000 % 60;
  const Int64 ms = msOfDay % 1000;
  // 30 December 1899 was a Saturday.
  const Int64 weekDay = ((dayNumber + 6) % 7 + 7) % 7;

  // Whether the format shows am/pm anywhere: hours are then on the 12-hour clock.
  bool twelveHour = false;
  for (std::size_t i = 0; i < Format.size(); ++i)
    if (StartsWithNoCase(Format, i, "am/pm") || StartsWithNoCase(Format, i, "a/p")) twelveHour = true;

  std::string out;
  bool lastWasHour = false;
  std::size_t i = 0;
  while (i < Format.size()) {
    const char c = Format[i];
    const char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '\'' || c == '"') {
      const std::size_t end = Format.find(c, i + 1);
      out += Format.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? Format.size() : end + 1;
      continue;
    }
    if (StartsWithNoCase(Format, i, "am/pm")) {
      out += hour < 12 ? "AM" : "PM";
      i += 5;
      continue;
    }
    if (StartsWithNoCase(Format, i, "a/p")) {
      out += hour < 12 ? "A" : "P";
      i += 3;
      continue;
    }
    const std::size_t n = RunLength(Format, i);
    switch (lc) {
      case 'y':
        out += n <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
        lastWasHour = false;
        break;
      case 'd':
        if (n == 1)
          out += Padded(day, 1);
        else if (n == 2)
          out += Padded(day, 2);
        else if (n == 3)
          out += kShortDays[weekDay];
        else
          out += kLongDays[weekDay];
        lastWasHour = false;
        break;
      case 'm':
        if (lastWasHour && n <= 2) {
          out += Padded(minute, n == 1 ? 1 : 2);
        } else if (n == 1) {
          out += Padded(month, 1);
        } else if (n == 2) {
          out += Padded(month, 2);
        } else if (n == 3) {
          out += kShortMonths[(month + 11) % 12];
        } else {
          out += kLongMonths[(month + 11) % 12];
        }
        lastWasHour = false;
        break;
      case 'h': {
        Int64 h = hour;
        if (twelveHour) {
          h = hour % 12;
          if (h == 0) h = 12;
        }
        out += Padded(h, n == 1 ? 1 : 2);
        lastWasHour = true;
        break;
      }
      case 'n':
        out += Padded(minute, n == 1 ? 1 : 2);
        lastWasHour = false;
        break;
      case 's':
        out += Padded(second, n == 1 ? 1 : 2);
        lastWasHour = false;
        break;
      case 'z':
        out += n >= 3 ? Padded(ms, 3) : Padded(ms, 1);
        lastWasHour = false;
        break;
      default:
        out.append(n, c);
        i += n;
        continue;
    }
    i += n;
  }
  return out;
}

// ---- texts ------------------------------------------------------------------------------

bool TChartAxis::IsDateTime() {
  if (depthAxis_) return false;
  for (TChartSeries* s : AxisSeries(true)) {
    TChartValueList* list = horizontal_ ? s->XValues() : s->YValues();
    if (list && list->DateTime()) return true;
  }
  return false;
}

std::string TChartAxis::LabelTextNoEvent(Double Value) {
  if (IsDateTime()) {
    if (Value < 0) return {};
    const std::string format =
        dateTimeFormat_.empty() ? StepDateFormat(currentStep_ > 0 ? currentStep_ : RangeSpan) : dateTimeFormat_;
    return FormatAxisDateTime(format, Value);
  }
  return FormatFloat(axisValuesFormat_, Value);
}

std::string TChartAxis::LabelText(Double Value) {
  std::string text = LabelTextNoEvent(Value);
  if (!eventsOff_ && parentChart_ && parentChart_->OnGetAxisLabel)
    parentChart_->OnGetAxisLabel(this, nullptr, -1, text);
  if (labelsMultiLine_) {
    for (char& c : text)
      if (c == ' ') c = ChartLineSeparator;
  }
  return text;
}

// ---- label style ------------------------------------------------------------------------

TAxisLabelStyle TChartAxis::CalcLabelStyle() { return labelStyle_ == talAuto ? ResolveLabelStyle() : labelStyle_; }

TAxisLabelStyle TChartAxis::ResolveLabelStyle() {
  const std::vector<TChartSeries*> series = AxisSeries(true);
  if (series.empty()) return talNone;
  for (TChartSeries* s : series) {
    // The axis carries the series' ordering values: X on a horizontal axis when Y is
    // the mandatory list.
    const bool carriesSecondary = horizontal_ == s->YIsMandatory();
    if (!carriesSecondary) continue;
    for (const std::string& label : s->Labels())
      if (!label.empty()) return talText;
  }
  return talValue;
}

std::vector<TChartAxis::TPointLabel> TChartAxis::PointLabels(TAxisLabelStyle Style) {
  std::vector<TPointLabel> result;
  if (!parentChart_) return result;
  if (depthAxis_) {
    // Along the depth the active series stand one behind the other: their titles.
    for (Integer i = 0; i < parentChart_->SeriesCount(); ++i) {
      TChartSeries* s = parentChart_->GetSeries(i);
      if (!s->Active()) continue;
      std::string text = parentChart_->SeriesTitleOrName(s);
      if (!eventsOff_ && parentChart_->OnGetAxisLabel) parentChart_->OnGetAxisLabel(this, s, -1, text);
      result.push_back({s->MiddleZ, s->MaxZValue(), std::move(text)});
    }
    return result;
  }
  TChartSeries* s = parentChart_->GetAxisSeries(this);
  if (!s) return result;
  for (Integer i = 0; i < s->Count(); ++i) {
    const Double value = horizontal_ ? s->GetXValue(i) : s->GetYValue(i);
    const Integer pos = ValueToPos(value);
    // Points off the axis would put their labels outside the chart.
    if (pos < StartPixel || pos > EndPixel) continue;
    std::string text = Style == talMark ? s->GetMarkText(i) : s->GetValueLabel(i);
    if (!eventsOff_ && parentChart_->OnGetAxisLabel) parentChart_->OnGetAxisLabel(this, s, i, text);
    if (labelsMultiLine_) {
      for (char& c : text)
        if (c == ' ') c = ChartLineSeparator;
    }
    result.push_back({pos, value, std::move(text)});
  }
  return result;
}

// ---- label values -----------------------------------------------------------------------

Double TChartAxis::FirstLabelValue(Double Step, Integer StepIndex) {
  if (ShowsDates && exactDateTime_ && StepIndex != NoDateTimeStep && StepIndex >= dtOneDay)
    return FloorDateToStep(RangeMax, StepIndex);
  if (roundFirstLabel_ && LabelText(RangeMin) != LabelText(RangeMax)) return std::trunc(RangeMax / Step) * Step;
  return RangeMax;
}

void TChartAxis::StepDown(Double& Value, Double Step, Integer StepIndex) {
  if (ShowsDates)
    StepDate(false, Value, Step, StepIndex, exactDateTime_);
  else
    Value -= Step;
}

std::vector<Double> TChartAxis::LogLabelValues() {
  std::vector<Double> result;
  if (!std::isfinite(RangeMin) || !std::isfinite(RangeMax)) return result;
  const Double base = logarithmicBase_;
  Double low = RangeMin;
  Double value;
  if (low <= 0) {
    low = low < 0 ? 1e-10 : 0.1;
    value = low;
  } else {
    value = std::pow(base, std::nearbyint(std::log(low) / std::log(base)));
  }
  while (value <= RangeMax && std::isfinite(value) && value > 0) {
    if (value >= low) result.push_back(value);
    if (static_cast<Double>(result.size()) >= kMaxLabelSteps) break;
    value *= base;
  }
  return result;
}

std::vector<Double> TChartAxis::LabelValues() {
  std::vector<Double> result;
  ShowsDates = IsDateTime();

  if (parentChart_ && parentChart_->OnGetNextAxisLabel) {
    Double value = 0;
    bool supplied = false;
    for (Integer index = 0; index < kMaxNextLabelCalls; ++index) {
      bool stop = false;
      parentChart_->OnGetNextAxisLabel(this, index, value, stop);
      if (stop) break;
      supplied = true;
      if (value >= RangeMin - 1e-7 && value <= RangeMax + 1e-7) result.push_back(value);
    }
    // Stopping at the first call leaves the labels to the axis.
    if (supplied) return result;
  }

  if (logarithmic_ && increment_ == 0) return LogLabelValues();

  const Double step = LabelStep();
  if (!std::isfinite(RangeMin) || !std::isfinite(RangeMax) || !std::isfinite(step) || !(step > 0)) return result;
  if (std::fabs(RangeSpan / step) >= kMaxLabelSteps) return result;

  const Integer stepIndex = ShowsDates ? DateStepIndex() : NoDateTimeStep;
  Double value = FirstLabelValue(step, stepIndex);
  for (Integer guard = 0; value > RangeMax; ++guard) {
    const Double before = value;
    StepDown(value, step, stepIndex);
    if (!(value < before) || guard > kMaxLabelSteps) return result;
  }

  Double below = value;
  StepDown(below, step, stepIndex);
  if (RangeSpan == 0 || std::fabs(RangeMax - RangeMin) < 1e-10 || LabelText(below) == LabelText(value)) {
    result.push_back(value);
    return result;
  }
  // A hair below the minimum, so that a label on it survives rounding; scaling a negative
  // minimum by the same factor would lift it above itself and drop that label.
  const Double limit = RangeMin >= 0 ? (RangeMin - 1e-12) / (1 + 1e-12) : (RangeMin - 1e-12) * (1 + 1e-12);
  while (value >= limit) {
    result.push_back(value);
    if (static_cast<Double>(result.size()) > kMaxLabelSteps) break;
    const Double before = value;
    StepDown(value, step, stepIndex);
    // A step lost in the value's precision would never move it.
    if (!(value < before)) break;
  }
  return result;
}
