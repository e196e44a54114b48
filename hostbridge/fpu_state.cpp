#include "hostbridge/fpu_state.h"

#include <cfenv>
#include <cmath>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

// Both run once per particle. Saving and reloading the whole x87 environment is slow;
// each flag set is cleared in place instead, only when one of its flags is up.
void ClearX87State() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short x87 = 0;
  __asm__ volatile("fnstsw %0" : "=am"(x87));
  if (x87 & FE_ALL_EXCEPT) __asm__ volatile("fnclex");
#else
  std::feclearexcept(FE_ALL_EXCEPT);
#endif
}

void ClearSseState() {
#if defined(__x86_64__) || defined(__i386__)
  const unsigned sse = _mm_getcsr();
  if (sse & FE_ALL_EXCEPT) _mm_setcsr(sse & ~static_cast<unsigned>(FE_ALL_EXCEPT));
#endif
}

void ClearFpuState() {
  ClearX87State();
  ClearSseState();
}

Int64 SafeTrunc(Single value) {
  ClearFpuState();
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  constexpr Single kLimit = 9223372036854775808.0f;
  if (std::isnan(value) || value >= kLimit || value < -kLimit) return std::numeric_limits<Int64>::min();
  return static_cast<Int64>(value);
}
