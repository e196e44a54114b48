#pragma once
// A reference kernel measured in the same run as the real code, so that each real
// benchmark reports its speed as a ratio that holds on a busy machine: the user counter
// "of_reference" is the real code's items a second over the reference's (0.5 = half).
// The two are timed alternately, iteration by iteration, in CPU seconds of this thread,
// so that both see the same load; the reference runs while the benchmark's timer is
// paused.
#include <benchmark/benchmark.h>

#include <ctime>

namespace bench_ref {

inline double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class RatioMeter {
 public:
  // Run returns the items it did.
  template <typename TRun>
  void Real(TRun&& run) {
    const double start = ThreadSeconds();
    realItems_ += static_cast<double>(run());
    realSeconds_ += ThreadSeconds() - start;
  }
  template <typename TRun>
  void Reference(benchmark::State& state, TRun&& run) {
    state.PauseTiming();
    const double start = ThreadSeconds();
    referenceItems_ += static_cast<double>(run());
    referenceSeconds_ += ThreadSeconds() - start;
    state.ResumeTiming();
  }
  void Report(benchmark::State& state) const {
    if (realSeconds_ > 0 && referenceSeconds_ > 0 && referenceItems_ > 0)
      state.counters["of_reference"] = (realItems_ / realSeconds_) / (referenceItems_ / referenceSeconds_);
  }

 private:
  double realItems_ = 0, realSeconds_ = 0, referenceItems_ = 0, referenceSeconds_ = 0;
};

}  // namespace bench_ref
