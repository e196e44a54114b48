#include "chart/chart_utils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/screen.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/input.h"

bool ChartCheckMarkArrowColor = false;
bool ChartEraseBackground = false;

// ---- hand cursor --------------------------------------------------------------------------

namespace {
int handCursorUsers = 0;
}  // namespace

void AcquireChartHandCursor() {
  if (handCursorUsers++ > 0 || !Screen) return;
  Screen->SetCursors(crChartHand, win::LoadCursor(nullptr, win::IDC_HAND));
}

void ReleaseChartHandCursor() {
  if (handCursorUsers == 0) return;
  if (--handCursorUsers == 0 && Screen) Screen->SetCursors(crChartHand, nullptr);
}

// ---- palette --------------------------------------------------------------------------------

namespace {
constexpr TColor kPalette[ChartPaletteSize] = {
    0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFF00FF, 0x808000, 0x800000, 0x000080,
    0x00FF00, 0x008080, 0x800080, 0xC0C0C0, 0xFFFF00, 0x000000, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0,
};
}  // namespace

TColor PaletteColor(Integer Index) {
  if (Index < 0) Index = 0;
  return kPalette[Index % ChartPaletteSize];
}

// ---- sorting --------------------------------------------------------------------------------

void SortByCallbacks(Integer Lo, Integer Hi, const TChartCompareProc& Compare, const TChartSwapProc& Swap) {
  // The second recursion is a loop: same visiting order, half the stack.
  while (Hi > Lo) {
    Integer i = Lo;
    Integer j = Hi;
    Integer m = static_cast<Integer>((static_cast<Int64>(Lo) + Hi) >> 1);
    do {
      while (Compare(i, m) < 0) ++i;
      while (Compare(m, j) < 0) --j;
      if (i < j) {
        Swap(i, j);
        if (i == m)
          m = j;
        else if (j == m)
          m = i;
      }
      if (i <= j) {
        ++i;
        --j;
      }
    } while (j > i);
    if (j > Lo) SortByCallbacks(Lo, j, Compare, Swap);
    if (i >= Hi) return;
    Lo = i;
  }
}

// ---- geometry -------------------------------------------------------------------------------

bool NearLineWithin(const TPoint& P, Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Tolerance) {
  const Int64 dx = static_cast<Int64>(X1) - X0;
  const Int64 dy = static_cast<Int64>(Y1) - Y0;
  const Int64 cross = dy * (static_cast<Int64>(P.x) - X0) - (static_cast<Int64>(P.y) - Y0) * dx;
  const Int64 limit = std::max(std::llabs(dx), std::llabs(dy));
  if (std::llabs(cross) >= limit) return false;
  const Int64 tol = Tolerance;
  const auto within = [tol](Int64 v, Int64 a, Int64 b) { return v >= std::min(a, b) - tol && v <= std::max(a, b) + tol; };
  return within(P.x, X0, X1) && within(P.y, Y0, Y1);
}

bool NearLine(const TPoint& P, Integer X0, Integer Y0, Integer X1, Integer Y1) {
  return NearLineWithin(P, X0, Y0, X1, Y1, 0);
}

bool InsidePolygon(const TPoint& P, std::span<const TPoint> Points) {
  bool inside = false;
  const std::size_t n = Points.size();
  if (n == 0) return false;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const TPoint& a = Points[i];
    const TPoint& b = Points[j];
    if ((a.y <= P.y && P.y < b.y) || (b.y <= P.y && P.y < a.y)) {
      const double crossing =
          a.x + static_cast<double>(P.y - a.y) * static_cast<double>(b.x - a.x) / static_cast<double>(b.y - a.y);
      if (P.x < crossing) inside = !inside;
    }
  }
  return inside;
}

bool BeyondScreenLimit(const TPoint& P) {
  return P.x <= -kScreenCoordinateLimit || P.x >= kScreenCoordinateLimit || P.y <= -kScreenCoordinateLimit ||
         P.y >= kScreenCoordinateLimit;
}

bool ClipSegmentToRect(TPoint& A, TPoint& B, const TRect& Box) {
  const double x0 = A.x, y0 = A.y, dx = static_cast<double>(B.x) - x0, dy = static_cast<double>(B.y) - y0;
  double t0 = 0, t1 = 1;
  // One edge at a time: p * t <= q keeps the part on the box's side of it.
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - Box.left, Box.right - x0, y0 - Box.top, Box.bottom - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const TPoint a{RoundToPixel(x0 + t0 * dx), RoundToPixel(y0 + t0 * dy)};
  const TPoint b{RoundToPixel(x0 + t1 * dx), RoundToPixel(y0 + t1 * dy)};
  A = a;
  B = b;
  return true;
}

std::vector<TPoint> ClipPolygonToRect(std::span<const TPoint> Points, const TRect& Box) {
  struct P {
    double x, y;
  };
  std::vector<P> poly;
  for (const TPoint& t : Points) poly.push_back(P{static_cast<double>(t.x), static_cast<double>(t.y)});
  // Cut by each edge in turn (inside when Side(p) >= 0).
  auto cut = [&poly](auto side) {
    std::vector<P> out;
    for (std::size_t i = 0; i < poly.size(); ++i) {
      const P a = poly[i], b = poly[(i + 1) % poly.size()];
      const double sa = side(a), sb = side(b);
      if (sa >= 0) out.push_back(a);
      if ((sa >= 0) != (sb >= 0)) {
        const double t = sa / (sa - sb);
        out.push_back(P{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
      }
    }
    poly = std::move(out);
  };
  cut([&](const P& p) { return p.x - Box.left; });
  cut([&](const P& p) { return Box.right - p.x; });
  cut([&](const P& p) { return p.y - Box.top; });
  cut([&](const P& p) { return Box.bottom - p.y; });
  std::vector<TPoint> result;
  for (const P& p : poly) result.push_back(TPoint{RoundToPixel(p.x), RoundToPixel(p.y)});
  return result;
}

void NormalizeRect(TRect& R) {
  if (R.left > R.right) SwapInteger(R.left, R.right);
  if (R.top > R.bottom) SwapInteger(R.top, R.bottom);
}

TSize RectSize(const TRect& R) { return TSize{R.right - R.left, R.bottom - R.top}; }

TPoint RectCenter(const TRect& R) {
  return TPoint{static_cast<Integer>((static_cast<Int64>(R.left) + R.right) / 2),
                static_cast<Integer>((static_cast<Int64>(R.top) + R.bottom) / 2)};
}

TColor DarkenColor(TColor Color, Integer Amount) {
  const Integer rgb = ColorToRGB(Color) & 0xFFFFFF;
  auto ch = [&](int shift) { return std::max(0, ((rgb >> shift) & 0xFF) - Amount) << shift; };
  return ch(0) | ch(8) | ch(16);
}

void SinCos(Double Angle, Double& Sin, Double& Cos) {
  Sin = std::sin(Angle);
  Cos = std::cos(Angle);
}

void SwapDouble(Double& a, Double& b) {
  const Double t = a;
  a = b;
  b = t;
}

void SwapInteger(Integer& a, Integer& b) {
  const Integer t = a;
  a = b;
  b = t;
}

Integer RoundToPixel(Double Value) {
  if (std::isnan(Value)) return 0;
  constexpr Double kMax = std::numeric_limits<Integer>::max();
  if (Value >= kMax) return std::numeric_limits<Integer>::max();
  if (Value <= -kMax) return -std::numeric_limits<Integer>::max();
  return static_cast<Integer>(Round(Value));
}

// ---- texts ----------------------------------------------------------------------------------

std::string NthField(const std::string& Text, Integer Index) {
  if (Index < 1) return {};
  std::size_t start = 0;
  for (Integer field = 1;; ++field) {
    const std::size_t end = Text.find(ChartFieldSeparator, start);
    if (field == Index || end == std::string::npos)
      return Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end + 1;
  }
}

std::string NumberText(Integer Value) { return IntToStr(Value); }

bool LoadNamedBitmap(const std::string& Name, TBitmap* Bitmap) {
  const std::string upper = UpperCase(Name);
  if (!Bitmap || !FindResource(upper, RT_BITMAP)) return false;
  try {
    Bitmap->LoadFromResourceName(upper);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

// ---- dates ----------------------------------------------------------------------------------

namespace {

constexpr Double kSecond = 1.0 / 86400.0;
constexpr Double kMinute = 60 * kSecond;
constexpr Double kHour = 60 * kMinute;
constexpr Double kMillisecond = kSecond / 1000.0;

// Days from 1 March of year 0 style civil arithmetic, counted from 1970-01-01.
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
  z += 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<Int64>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

const Int64 kEpoch = DaysFromCivil(1899, 12, 30);

Integer DaysInMonth(Integer year, Integer month) {
  static constexpr Integer kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Months a month-based step moves by (0 for the half month).
Integer StepMonths(Integer stepIndex) {
  static constexpr Integer kMonths[] = {0, 1, 2, 3, 4, 6, 12};
  return kMonths[stepIndex - dtHalfMonth];
}

TDateTime AddMonths(TDateTime value, Integer months) {
  Integer y, m, d;
  DecodeChartDate(value, y, m, d);
  const Double time = value - std::floor(value);
  Int64 total = static_cast<Int64>(y) * 12 + (m - 1) + months;
  const Integer ny = static_cast<Integer>(total >= 0 ? total / 12 : (total - 11) / 12);
  const Integer nm = static_cast<Integer>(total - static_cast<Int64>(ny) * 12) + 1;
  return EncodeChartDate(ny, nm, std::min(d, DaysInMonth(ny, nm))) + time;
}

TDateTime StepHalfMonth(TDateTime value, bool increment) {
  Integer y, m, d;
  DecodeChartDate(value, y, m, d);
  const Double time = value - std::floor(value);
  if (increment) {
    if (d < 15) return EncodeChartDate(y, m, 15) + time;
    return AddMonths(EncodeChartDate(y, m, 1), 1) + time;
  }
  if (d > 15) return EncodeChartDate(y, m, 15) + time;
  if (d > 1) return EncodeChartDate(y, m, 1) + time;
  return AddMonths(EncodeChartDate(y, m, 15), -1) + time;
}

}  // namespace

const Double DateTimeStep[DateTimeStepCount] = {
    kMillisecond, kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond, kMinute, 5 * kMinute,
    10 * kMinute, 15 * kMinute, 30 * kMinute, kHour, 2 * kHour, 6 * kHour, 12 * kHour, 1, 2, 3, 7, 15, 30, 60,
    90, 120, 182, 365,
};

TDateTime EncodeChartDate(Integer Year, Integer Month, Integer Day) {
  return static_cast<Double>(DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) - kEpoch);
}

void DecodeChartDate(TDateTime Date, Integer& Year, Integer& Month, Integer& Day) {
  Int64 y = 0;
  unsigned m = 1, d = 1;
  // Far-off values end at a representable day instead of overflowing.
  Double days = std::floor(Date);
  if (!(days > -1e9)) days = -1e9;
  if (days > 1e9) days = 1e9;
  CivilFromDays(static_cast<Int64>(days) + kEpoch, y, m, d);
  Year = static_cast<Integer>(y);
  Month = static_cast<Integer>(m);
  Day = static_cast<Integer>(d);
}

Integer StepIndexOf(Double Value) {
  for (Integer i = DateTimeStepCount - 1; i >= 0; --i)
    if (std::fabs(DateTimeStep[i] - Value) < kMillisecond) return i;
  return NoDateTimeStep;
}

Double StepAfter(Double Value) {
  for (Double step : DateTimeStep)
    if (step - Value >= kMillisecond) return step;
  return Value * 2;
}

std::string StepDateFormat(Double Step) { return Step < 1 ? ChartShortTimeFormat : ChartShortDateFormat; }

TDateTime FloorDateToStep(TDateTime Date, Integer StepIndex) {
  if (!std::isfinite(Date) || StepIndex <= 0 || StepIndex >= DateTimeStepCount) return Date;
  const Double day = std::floor(Date);
  if (StepIndex < dtOneDay) {
    // Whole multiples of the step within the day, counted in milliseconds.
    const Int64 stepMs = std::llround(DateTimeStep[StepIndex] * 86400000.0);
    Int64 ms = std::llround((Date - day) * 86400000.0);
    ms -= ms % stepMs;
    return day + static_cast<Double>(ms) / 86400000.0;
  }
  if (StepIndex < dtHalfMonth) {
    if (DateTimeStep[StepIndex] == 7) {
      // Weeks start on Sunday; 30 December 1899 was a Saturday.
      const Int64 d = static_cast<Int64>(day);
      const Int64 dow = ((d + 6) % 7 + 7) % 7;
      return day - static_cast<Double>(dow);
    }
    return day;
  }
  Integer y, m, d;
  DecodeChartDate(Date, y, m, d);
  if (StepIndex == dtHalfMonth) return EncodeChartDate(y, m, d >= 15 ? 15 : 1);
  const Integer months = StepMonths(StepIndex);
  return EncodeChartDate(y, (m - 1) / months * months + 1, 1);
}

void StepDate(bool Increment, TDateTime& Value, Double Amount, Integer StepIndex, bool Exact) {
  if (Exact && StepIndex >= dtHalfMonth && StepIndex < DateTimeStepCount && std::isfinite(Value)) {
    if (StepIndex == dtHalfMonth)
      Value = StepHalfMonth(Value, Increment);
    else
      Value = AddMonths(Value, Increment ? StepMonths(StepIndex) : -StepMonths(StepIndex));
    return;
  }
  Value = Increment ? Value + Amount : Value - Amount;
}
