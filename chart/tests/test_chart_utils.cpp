// The chart library's shared helpers: palette, callback quicksort, hit-test geometry,
// fields, pixel rounding and the date-time steps of date axes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "chart/chart_utils.h"
#include "platform/classlib/bitmap.h"

TEST(ChartPalette, TwentyColoursInTurn) {
  EXPECT_EQ(PaletteColor(0), 0x0000FF);
  EXPECT_EQ(PaletteColor(3), 0xFF0000);
  EXPECT_EQ(PaletteColor(15), 0x000000);
  EXPECT_EQ(PaletteColor(19), 0xA4A0A0);
  EXPECT_EQ(PaletteColor(20), PaletteColor(0));
  EXPECT_EQ(PaletteColor(41), PaletteColor(1));
  EXPECT_EQ(PaletteColor(-5), PaletteColor(0));
}

TEST(ChartSort, CallbackQuicksortMovesWholeItemsThroughSwaps) {
  // Keys with a payload: only Swap moves anything, so the payloads must follow.
  std::vector<int> keys = {5, 3, 9, 1, 5, 7, 2, 8, 6, 4, 0, 5};
  std::vector<int> tags(keys.size());
  for (std::size_t i = 0; i < tags.size(); ++i) tags[i] = keys[i] * 100 + static_cast<int>(i);
  int swaps = 0;
  SortByCallbacks(
      0, static_cast<Integer>(keys.size()) - 1,
      [&](Integer a, Integer b) { return keys[a] < keys[b] ? -1 : keys[a] > keys[b] ? 1 : 0; },
      [&](Integer a, Integer b) {
        ++swaps;
        std::swap(keys[a], keys[b]);
        std::swap(tags[a], tags[b]);
      });
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(tags[i] / 100, keys[i]);
  EXPECT_GT(swaps, 0);

  // A sub-range leaves the rest alone; an empty or one-item range calls nothing.
  std::vector<int> v = {9, 8, 3, 1, 2, 0};
  auto cmp = [&](Integer a, Integer b) { return v[a] - v[b]; };
  auto swp = [&](Integer a, Integer b) { std::swap(v[a], v[b]); };
  SortByCallbacks(2, 4, cmp, swp);
  EXPECT_EQ(v, (std::vector<int>{9, 8, 1, 2, 3, 0}));
  int calls = 0;
  SortByCallbacks(3, 2, [&](Integer, Integer) { return ++calls; }, [&](Integer, Integer) { ++calls; });
  SortByCallbacks(4, 4, [&](Integer, Integer) { return ++calls; }, [&](Integer, Integer) { ++calls; });
  EXPECT_EQ(calls, 0);
}

TEST(ChartSort, LargeRandomAndOrderedInputs) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3; ++round) {
    std::vector<double> v(20000);
    // Many equal keys; all distinct; strictly descending.
    for (double& d : v) d = round == 0 ? static_cast<double>(rng() % 50) : rng() * 1e-3;
    if (round == 2) {
      std::iota(v.begin(), v.end(), 0.0);
      std::reverse(v.begin(), v.end());
    }
    SortByCallbacks(
        0, static_cast<Integer>(v.size()) - 1, [&](Integer a, Integer b) { return v[a] < v[b] ? -1 : v[a] > v[b]; },
        [&](Integer a, Integer b) { std::swap(v[a], v[b]); });
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end())) << round;
  }
}

TEST(ChartGeometry, NearLineWithinAPixelAndNotPastTheEnds) {
  const TPoint on{5, 5};
  EXPECT_TRUE(NearLine(on, 0, 0, 10, 10));
  EXPECT_FALSE(NearLine(TPoint{5, 7}, 0, 0, 10, 10));  // two pixels off
  EXPECT_TRUE(NearLine(TPoint{4, 2}, 0, 0, 10, 5));    // on the slope
  EXPECT_FALSE(NearLine(TPoint{12, 12}, 0, 0, 10, 10));
  EXPECT_TRUE(NearLineWithin(TPoint{12, 12}, 0, 0, 10, 10, 2));
  EXPECT_FALSE(NearLineWithin(TPoint{13, 13}, 0, 0, 10, 10, 2));
  // Horizontal and vertical segments.
  EXPECT_TRUE(NearLine(TPoint{7, 3}, 0, 3, 20, 3));
  EXPECT_FALSE(NearLine(TPoint{7, 4}, 0, 3, 20, 3));
  EXPECT_TRUE(NearLine(TPoint{3, 7}, 3, 20, 3, 0));
  // Coordinates near the 32-bit limits do not overflow the cross product.
  EXPECT_TRUE(NearLine(TPoint{0, 0}, -2000000000, -2000000000, 2000000000, 2000000000));
}

TEST(ChartGeometry, InsidePolygonByTheEvenOddRule) {
  const std::vector<TPoint> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(InsidePolygon(TPoint{5, 5}, square));
  EXPECT_TRUE(InsidePolygon(TPoint{0, 5}, square));    // left edge: inside
  EXPECT_FALSE(InsidePolygon(TPoint{10, 5}, square));  // right edge: outside
  EXPECT_FALSE(InsidePolygon(TPoint{-1, 5}, square));
  // A "U": the notch is outside.
  const std::vector<TPoint> u = {{0, 0}, {3, 0}, {3, 6}, {6, 6}, {6, 0}, {9, 0}, {9, 9}, {0, 9}};
  EXPECT_FALSE(InsidePolygon(TPoint{4, 3}, u));
  EXPECT_TRUE(InsidePolygon(TPoint{1, 3}, u));
  EXPECT_TRUE(InsidePolygon(TPoint{4, 7}, u));
  EXPECT_FALSE(InsidePolygon(TPoint{1, 1}, std::vector<TPoint>{}));
}

TEST(ChartGeometry, RectanglesAndRounding) {
  TRect r{10, 20, 2, 5};
  NormalizeRect(r);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.right, 10);
  EXPECT_EQ(r.bottom, 20);
  EXPECT_EQ(RectSize(r).cx, 8);
  EXPECT_EQ(RectSize(r).cy, 15);
  // (a + b) div 2, toward zero.
  EXPECT_EQ(RectCenter(TRect{-3, -3, 0, 0}).x, -1);
  EXPECT_EQ(RectCenter(TRect{2, 5, 10, 20}).y, 12);
  EXPECT_EQ(RectCenter(TRect{2147483600, 0, 2147483640, 0}).x, 2147483620);

  EXPECT_EQ(RoundToPixel(2.5), 2);
  EXPECT_EQ(RoundToPixel(3.5), 4);
  EXPECT_EQ(RoundToPixel(-2.5), -2);
  EXPECT_EQ(RoundToPixel(1e20), std::numeric_limits<Integer>::max());
  EXPECT_EQ(RoundToPixel(-1e20), -std::numeric_limits<Integer>::max());
  EXPECT_EQ(RoundToPixel(std::numeric_limits<double>::infinity()), std::numeric_limits<Integer>::max());
  EXPECT_EQ(RoundToPixel(std::nan("")), 0);
}

TEST(ChartTexts, FieldsNumbersAndMissingBitmaps) {
  EXPECT_EQ(NthField("a;b;c", 1), "a");
  EXPECT_EQ(NthField("a;b;c", 2), "b");
  EXPECT_EQ(NthField("a;b;c", 5), "c");
  EXPECT_EQ(NthField("a;;c", 2), "");
  EXPECT_EQ(NthField("abc", 3), "abc");
  EXPECT_EQ(NthField("a;b", 0), "");
  EXPECT_EQ(NumberText(-42), "-42");
  TBitmap bitmap;
  EXPECT_FALSE(LoadNamedBitmap("NoSuchChartGlyph", &bitmap));
  EXPECT_TRUE(bitmap.Empty());
}

// ---- dates -------------------------------------------------------------------------------------

namespace {
constexpr double kMs = 1.0 / 86400000.0;
double At(int y, int m, int d, int hh = 0, int nn = 0, int ss = 0, int ms = 0) {
  return EncodeChartDate(y, m, d) + (((hh * 60.0 + nn) * 60.0 + ss) * 1000.0 + ms) * kMs;
}
}  // namespace

TEST(ChartDates, CalendarDaysFromTheEpoch) {
  EXPECT_EQ(EncodeChartDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeChartDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeChartDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeChartDate(1899, 12, 29), -1.0);
  Integer y, m, d;
  DecodeChartDate(At(2024, 2, 29, 23, 59), y, m, d);
  EXPECT_EQ(y, 2024);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(d, 29);
  DecodeChartDate(std::numeric_limits<double>::infinity(), y, m, d);  // ends somewhere, no overflow
}

TEST(ChartDates, StepTableLookups) {
  EXPECT_EQ(StepIndexOf(1.0), dtOneDay);
  EXPECT_EQ(StepIndexOf(1.0 / 24), 11);
  EXPECT_EQ(StepIndexOf(365.0), dtOneYear);
  EXPECT_EQ(StepIndexOf(15.0), dtHalfMonth);
  EXPECT_EQ(StepIndexOf(kMs), 0);
  EXPECT_EQ(StepIndexOf(30.0 / 86400 + 0.4 * kMs), 5);  // within a millisecond
  EXPECT_EQ(StepIndexOf(0.3), NoDateTimeStep);
  EXPECT_EQ(StepAfter(1.0), 2.0);
  EXPECT_EQ(StepAfter(1.5), 2.0);
  EXPECT_EQ(StepAfter(0.0), DateTimeStep[0]);
  EXPECT_EQ(StepAfter(182.0), 365.0);
  EXPECT_EQ(StepAfter(365.0), 730.0);
  EXPECT_EQ(StepDateFormat(1.0 / 24), ChartShortTimeFormat);
  EXPECT_EQ(StepDateFormat(1.0), ChartShortDateFormat);
}

TEST(ChartDates, FloorToTheStartOfTheStepsUnit) {
  const double t = At(2024, 5, 17, 13, 47, 31, 500);  // a Friday
  EXPECT_NEAR(FloorDateToStep(t, 0), t, 1e-12);
  EXPECT_NEAR(FloorDateToStep(t, 1), At(2024, 5, 17, 13, 47, 31), kMs / 2);
  EXPECT_NEAR(FloorDateToStep(t, 9), At(2024, 5, 17, 13, 45), kMs / 2);  // 15 minutes
  EXPECT_NEAR(FloorDateToStep(t, 13), At(2024, 5, 17, 12, 0), kMs / 2);  // 6 hours
  EXPECT_EQ(FloorDateToStep(t, dtOneDay), At(2024, 5, 17));
  EXPECT_EQ(FloorDateToStep(t, 18), At(2024, 5, 12));  // the Sunday before
  EXPECT_EQ(FloorDateToStep(t, dtHalfMonth), At(2024, 5, 15));
  EXPECT_EQ(FloorDateToStep(At(2024, 5, 14, 8), dtHalfMonth), At(2024, 5, 1));
  EXPECT_EQ(FloorDateToStep(t, dtOneMonth), At(2024, 5, 1));
  EXPECT_EQ(FloorDateToStep(t, 22), At(2024, 4, 1));  // quarter
  EXPECT_EQ(FloorDateToStep(t, 24), At(2024, 1, 1));  // half year
  EXPECT_EQ(FloorDateToStep(t, dtOneYear), At(2024, 1, 1));
  EXPECT_EQ(FloorDateToStep(t, NoDateTimeStep), t);
}

TEST(ChartDates, StepByCalendarMonthsWhenExact) {
  double v = At(2024, 1, 31, 6);
  StepDate(true, v, 30, dtOneMonth, true);
  EXPECT_EQ(v, At(2024, 2, 29, 6));  // the day held to the month's length
  StepDate(false, v, 30, dtOneYear, true);
  EXPECT_EQ(v, At(2023, 2, 28, 6));
  v = At(2024, 12, 10);
  StepDate(true, v, 0, 22, true);  // a quarter across the year's end
  EXPECT_EQ(v, At(2025, 3, 10));
  v = At(2024, 5, 3);
  StepDate(true, v, 15, dtHalfMonth, true);
  EXPECT_EQ(v, At(2024, 5, 15));
  StepDate(true, v, 15, dtHalfMonth, true);
  EXPECT_EQ(v, At(2024, 6, 1));
  StepDate(false, v, 15, dtHalfMonth, true);
  EXPECT_EQ(v, At(2024, 5, 15));
  StepDate(false, v, 15, dtHalfMonth, true);
  EXPECT_EQ(v, At(2024, 5, 1));
  // Not exact, or not month-based: plain days.
  v = At(2024, 1, 31);
  StepDate(true, v, 30, dtOneMonth, false);
  EXPECT_EQ(v, At(2024, 3, 1));
  StepDate(false, v, 2.5, 16, true);
  EXPECT_EQ(v, At(2024, 2, 27, 12));
}
