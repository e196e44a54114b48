#include "platform/classlib/random.h"

#include <chrono>

Cardinal RandSeed = 0;

double Random() { return DrawFrom(RandSeed); }

Integer Random(Integer n) {
  DrawFrom(RandSeed);
  std::uint64_t product = static_cast<std::uint64_t>(static_cast<Cardinal>(n)) * RandSeed;
  return static_cast<Integer>(static_cast<Cardinal>(product >> 32));
}

Cardinal SeedAfter(Cardinal Seed, std::uint64_t Draws) {
  // x -> a x + c applied 2^k times is x -> a' x + c'; applying the step twice gives
  // (a^2, (a + 1) c). Powers of one map commute, so the bits may be taken in any order.
  Cardinal a = kRandomMultiplier, c = kRandomIncrement;
  Cardinal jumpA = 1u, jumpC = 0u;
  for (; Draws != 0; Draws >>= 1) {
    if (Draws & 1u) {
      jumpA *= a;
      jumpC = jumpC * a + c;
    }
    c = (a + 1u) * c;
    a *= a;
  }
  return jumpA * Seed + jumpC;
}

void Randomize() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  RandSeed = static_cast<Cardinal>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
