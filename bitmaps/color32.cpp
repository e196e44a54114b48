#include "bitmaps/color32.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/classlib/math_utils.h"

TColor32 ColorToColor32(TColor color) {
  return SwapRedBlueOpaque(static_cast<std::uint32_t>(ColorToRGB(color)));
}

void FillLongwords(void* dest, Integer count, std::uint32_t value) {
  auto* p = static_cast<std::uint32_t*>(dest);
  for (Integer i = 0; i < count; ++i) p[i] = value;
}

Integer RoundedMulDiv(Integer a, Integer b, Integer c) {
  const std::uint64_t ua = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(a)));
  const std::uint64_t ub = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(b)));
  const std::uint64_t uc = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(c)));
  const std::uint64_t product = ua * ub;
  // The quotient must fit 31 bits so that rounding up cannot overflow; this also
  // catches c = 0.
  if (2 * (product >> 32) >= uc) return -1;
  std::uint64_t q = product / uc;
  const std::uint64_t r = product % uc;
  if (uc - r <= r) ++q;
  // With |c| = 1 the rule above lets quotients up to 2^32 through; they do not fit.
  if (q > 0x7FFFFFFFu) return -1;
  const bool negative = ((a < 0) != (b < 0)) != (c < 0);
  const Int64 result = negative ? -static_cast<Int64>(q) : static_cast<Int64>(q);
  return static_cast<Integer>(result);
}

namespace {

// Float to Integer without undefined behaviour for values out of range.
Integer ToInteger(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(std::numeric_limits<Integer>::min())) return std::numeric_limits<Integer>::min();
  if (v >= static_cast<double>(std::numeric_limits<Integer>::max())) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(v);
}

Integer RoundNearest(Single v) {
  if (std::isnan(v)) return 0;
  return ToInteger(static_cast<double>(Round(static_cast<double>(v))));
}

}  // namespace

TRect RoundFloatRect(const TFloatRect& r, TRectRounding rounding) {
  TRect out;
  switch (rounding) {
    case roNearest:
      out = TRect{RoundNearest(r.Left), RoundNearest(r.Top), RoundNearest(r.Right), RoundNearest(r.Bottom)};
      break;
    case roOutward:
      out = TRect{ToInteger(std::floor(r.Left)), ToInteger(std::floor(r.Top)), ToInteger(std::ceil(r.Right)),
                  ToInteger(std::ceil(r.Bottom))};
      break;
    case roInward:
      out = TRect{ToInteger(std::ceil(r.Left)), ToInteger(std::ceil(r.Top)), ToInteger(std::floor(r.Right)),
                  ToInteger(std::floor(r.Bottom))};
      if (out.left > out.right) out.right = out.left;
      if (out.top > out.bottom) out.bottom = out.top;
      break;
  }
  return out;
}

bool IntersectRects(TRect& dst, const TRect& r1, const TRect& r2) {
  TRect r{r1.left > r2.left ? r1.left : r2.left, r1.top > r2.top ? r1.top : r2.top,
          r1.right < r2.right ? r1.right : r2.right, r1.bottom < r2.bottom ? r1.bottom : r2.bottom};
  if (r.right < r.left || r.bottom < r.top) {
    dst = TRect{0, 0, 0, 0};
    return false;
  }
  dst = r;
  return true;
}

void OffsetRectBy(TRect& r, Integer dx, Integer dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
}
