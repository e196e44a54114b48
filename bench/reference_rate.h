#pragma once
// A reference kernel's rate, measured in the same run as the real code, so that each
// real benchmark reports its speed as a ratio that holds on a busy machine: the user
// counter "of_reference" is the real items a second over the reference's (0.5 = half).
#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>
#include <map>
#include <string>

namespace bench_ref {

// CPU seconds of this thread: the clock Google Benchmark rates its counters by.
inline double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Items a CPU second of Run (one call returns the items it did): the best of five
// stretches of at least 40 ms each, measured once per key and kept for the run.
inline double RateOf(const std::string& key, const std::function<long long()>& run) {
  static std::map<std::string, double> rates;
  if (const auto it = rates.find(key); it != rates.end()) return it->second;
  double best = 0;
  for (int stretch = 0; stretch < 5; ++stretch) {
    long long items = 0;
    const double start = ThreadSeconds();
    double elapsed = 0;
    do {
      items += run();
      elapsed = ThreadSeconds() - start;
    } while (elapsed < 0.04);
    if (items / elapsed > best) best = static_cast<double>(items) / elapsed;
  }
  rates[key] = best;
  return best;
}

// The CPU seconds of a benchmark's timed loop: started before it, read after it.
class LoopClock {
 public:
  LoopClock() : start_(ThreadSeconds()) {}
  double Seconds() const { return ThreadSeconds() - start_; }

 private:
  double start_;
};

// Sets "of_reference" for Items done in the loop Clock timed.
inline void ReportOfReference(benchmark::State& state, long long items, const LoopClock& clock,
                              double referenceRate) {
  const double seconds = clock.Seconds();
  if (referenceRate > 0 && seconds > 0) state.counters["of_reference"] = items / seconds / referenceRate;
}

}  // namespace bench_ref
