#include "hostbridge/fpu_state.h"

#include <cfenv>
#include <cmath>
#include <limits>

void ClearFpuState() { std::feclearexcept(FE_ALL_EXCEPT); }

Int64 SafeTrunc(Single value) {
  ClearFpuState();
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  constexpr Single kLimit = 9223372036854775808.0f;
  if (std::isnan(value) || value >= kLimit || value < -kLimit) return std::numeric_limits<Int64>::min();
  return static_cast<Int64>(value);
}
