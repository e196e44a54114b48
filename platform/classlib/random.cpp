#include "platform/classlib/random.h"

#include <chrono>

Cardinal RandSeed = 0;

namespace {
Cardinal NextSeed() {
  RandSeed = RandSeed * 134775813u + 1u;  // unsigned arithmetic wraps modulo 2^32
  return RandSeed;
}
}  // namespace

double Random() {
  return static_cast<double>(NextSeed()) * (1.0 / 4294967296.0);
}

Integer Random(Integer n) {
  std::uint64_t product = static_cast<std::uint64_t>(static_cast<Cardinal>(n)) * NextSeed();
  return static_cast<Integer>(static_cast<Cardinal>(product >> 32));
}

void Randomize() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  RandSeed = static_cast<Cardinal>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
