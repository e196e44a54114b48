#include "hostbridge/fpu_state.h"

#include <cfenv>
#include <cmath>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

#if defined(__x86_64__) || defined(__i386__)
namespace {
// The six exception flags of the x87 status word and of MXCSR: invalid, denormal operand,
// divide by zero, overflow, underflow, precision. FE_ALL_EXCEPT leaves out the denormal
// flag, which a host that unmasks it turns into a trap at our next x87 instruction.
constexpr unsigned kExceptionFlags = 0x3F;
// The x87 stack fault and error summary bits, which go with a pending exception.
constexpr unsigned kX87Pending = kExceptionFlags | 0xC0;
}  // namespace
#endif

// Both run once per particle. Saving and reloading the whole x87 environment is slow;
// each flag set is cleared in place instead, only when one of its flags is up.
void ClearX87State() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short x87 = 0;
  __asm__ volatile("fnstsw %0" : "=am"(x87));
  if (x87 & kX87Pending) __asm__ volatile("fnclex");
#else
  std::feclearexcept(FE_ALL_EXCEPT);
#endif
}

void ClearSseState() {
#if defined(__x86_64__) || defined(__i386__)
  const unsigned sse = _mm_getcsr();
  if (sse & kExceptionFlags) _mm_setcsr(sse & ~kExceptionFlags);
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
