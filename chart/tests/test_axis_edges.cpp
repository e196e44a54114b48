// Axes on pixel halves: values a few units in the last place apart land on one pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

// `Value` moved by `Ulps` units in the last place.
Double Ulps(Double Value, int Ulps) {
  for (; Ulps > 0; --Ulps) Value = std::nextafter(Value, INFINITY);
  for (; Ulps < 0; ++Ulps) Value = std::nextafter(Value, -INFINITY);
  return Value;
}

}  // namespace

TEST(AxisEdges, ValuesOnAPixelHalfDrawStraight) {
  // The rig's axes run 0..100 over 100 pixels; Place stretches them. Each row: the Y
  // limits, the curve's value and the one pixel every point of it must take, however
  // the last bits of each point's value fall.
  struct FlatCase {
    Double YLo, YHi, Value;
    Integer Pixel;
  };
  const FlatCase cases[] = {
      {0, 200, 61, 30},       // 30.5: halves go to the even pixel
      {0, 200, 63, 32},       // 31.5
      {0, 40, 30.125, 75},    // 75.3125: no half, noise or not
      {-0.1, 99.9, 30.4, 30}, // 30.5 reached through inexact sums
      {0, 1, 0.305, 30},      // the nearest double to 0.305 is no exact half either
      {0, 200, 61.004, 31},   // a real step past the half still counts
  };
  const int noise[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 0};
  for (const FlatCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.YLo) + ".." + std::to_string(c.YHi) + " at " + std::to_string(c.Value));
    RecordingRig rig;
    rig.Place(0, 100, c.YLo, c.YHi);
    TLineSeries s(nullptr);
    s.SetParentChart(&rig.chart);
    for (std::size_t i = 0; i < std::size(noise); ++i) s.AddXY(static_cast<Double>(10 * i), Ulps(c.Value, noise[i]));
    rig.canvas->ClearLog();
    s.CalcFirstLastVisibleIndex();
    s.DrawAllValues();
    int points = 0;
    for (const RecordingCanvas::Entry& e : rig.canvas->Log) {
      if (e.Op != "MoveTo" && e.Op != "LineTo") continue;
      ++points;
      EXPECT_EQ(e.Args[1], c.Pixel) << e.Str();
    }
    EXPECT_GT(points, 1);
  }
}
