// Rounding and scaled integer arithmetic: geometry everywhere depends on these giving
// exactly the class library's answers at the halves and at the edges of range.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>

#include "platform/classlib/math_utils.h"

namespace {

constexpr Int64 kIndefinite = std::numeric_limits<Int64>::min();

TEST(RoundTest, HalvesGoToEvenIncludingNegatives) {
  const double in[] = {0.5, 1.5, 2.5, 3.5, -0.5, -1.5, -2.5, -3.5, 2.4999999999, -2.5000000001,
                       0.49999999999999994, 4503599627370495.5, 4503599627370494.5};
  const Int64 out[] = {0, 2, 2, 4, 0, -2, -2, -4, 2, -3, 0, 4503599627370496, 4503599627370494};
  for (std::size_t i = 0; i < std::size(in); ++i) EXPECT_EQ(Round(in[i]), out[i]) << in[i];
}

TEST(RoundTest, OutOfRangeGivesIndefinite) {
  EXPECT_EQ(Round(std::nan("")), kIndefinite);
  EXPECT_EQ(Round(1e19), kIndefinite);
  EXPECT_EQ(Round(-std::numeric_limits<double>::infinity()), kIndefinite);
  EXPECT_EQ(Round(-9.0e18), -9000000000000000000);
  EXPECT_EQ(Trunc(std::nan("")), kIndefinite);
  EXPECT_EQ(Trunc(9.3e18), kIndefinite);
}

TEST(TruncIntFracTest, TowardZeroWithSign) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Int(-2.75), -2.0);
  EXPECT_EQ(Frac(-2.75), -0.75);
  EXPECT_EQ(Frac(1e300), 0.0);
}

TEST(MulDivTest, HalvesRoundAwayFromZero) {
  EXPECT_EQ(MulDiv(10, 3, 4), 8);  // 7.5
  EXPECT_EQ(MulDiv(-10, 3, 4), -8);
  EXPECT_EQ(MulDiv(10, 3, -4), -8);
  EXPECT_EQ(MulDiv(-10, -3, -4), -8);
  EXPECT_EQ(MulDiv(-10, -3, 4), 8);
  EXPECT_EQ(MulDiv(1, 1, -2), -1);
  EXPECT_EQ(MulDiv(7, 1, 3), 2);  // 2.33
  EXPECT_EQ(MulDiv(5, 1, 3), 2);  // 1.67
  EXPECT_EQ(MulDiv(-5, 1, 3), -2);
}

TEST(MulDivTest, SixtyFourBitIntermediateAndOverflow) {
  const Integer max = std::numeric_limits<Integer>::max();
  const Integer min = std::numeric_limits<Integer>::min();
  EXPECT_EQ(MulDiv(max, max, max), max);
  EXPECT_EQ(MulDiv(65536, 65536, 4), 1073741824);
  EXPECT_EQ(MulDiv(min, 1, 1), min);
  EXPECT_EQ(MulDiv(min, -1, 1), -1);  // 2^31 does not fit
  EXPECT_EQ(MulDiv(65536, 65536, 2), -1);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0, 0, 0), -1);
  EXPECT_EQ(Sqr(65536), 0);  // integer squares wrap in 32 bits
}

}  // namespace
