#include "platform/classlib/math_utils.h"

#include <cmath>
#include <limits>

namespace {
constexpr Int64 kIndefinite = std::numeric_limits<Int64>::min();
// 2^63 as a double: the first value that no longer fits.
constexpr double kTwo63 = 9223372036854775808.0;

bool FitsInt64(double x) { return x >= -kTwo63 && x < kTwo63; }
}  // namespace

Int64 Round(double x) {
  if (std::isnan(x)) return kIndefinite;
  // Under the default rounding mode, which nothing here changes: nearest, halves to even.
  const double r = std::nearbyint(x);
  if (!FitsInt64(r)) return kIndefinite;
  return static_cast<Int64>(r);
}

Int64 Trunc(double x) {
  if (std::isnan(x)) return kIndefinite;
  double t = std::trunc(x);
  if (!FitsInt64(t)) return kIndefinite;
  return static_cast<Int64>(t);
}

double Int(double x) { return std::trunc(x); }

double Frac(double x) {
  if (std::isinf(x)) return std::numeric_limits<double>::quiet_NaN();
  return x - std::trunc(x);
}

Integer MulDiv(Integer a, Integer b, Integer c) {
  if (c == 0) return -1;
  Int64 p = static_cast<Int64>(a) * static_cast<Int64>(b);  // cannot overflow 64 bits
  Int64 q = p / c;
  Int64 r = p % c;
  Int64 absR = r < 0 ? -r : r;
  Int64 absC = c < 0 ? -static_cast<Int64>(c) : static_cast<Int64>(c);
  if (2 * absR >= absC) q += ((p < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<Integer>::max() || q < std::numeric_limits<Integer>::min()) return -1;
  return static_cast<Integer>(q);
}
