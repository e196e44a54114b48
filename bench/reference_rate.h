#pragma once
// A reference kernel measured in the same run as the real code, so that each real
// benchmark reports its speed as a ratio that holds on a busy machine: the user counter
// "of_reference" is the real code's items a second over the reference's (0.5 = half).
// The two are timed alternately, iteration by iteration, so that both see the same load;
// the reference runs while the benchmark's timer is paused. By default the time is CPU
// seconds of this thread. Code that hands work to other threads is timed in wall seconds
// instead (kWall), and then also in CPU seconds of the whole process: "of_reference_cpu"
// is the same ratio by what every thread spent, what the threads cost.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

namespace bench_ref {

inline double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
inline double ThreadSeconds() { return Seconds(CLOCK_THREAD_CPUTIME_ID); }

enum class Meter { kThreadCpu, kWall };

class RatioMeter {
 public:
  explicit RatioMeter(Meter meter = Meter::kThreadCpu)
      : clock_(meter == Meter::kWall ? CLOCK_MONOTONIC : CLOCK_THREAD_CPUTIME_ID), wall_(meter == Meter::kWall) {}

  // Run returns the items it did.
  template <typename TRun>
  void Real(TRun&& run) {
    Time(real_, run);
  }
  template <typename TRun>
  void Reference(benchmark::State& state, TRun&& run) {
    state.PauseTiming();
    Time(reference_, run);
    state.ResumeTiming();
  }
  // Under Name, and Name + "_cpu" for the CPU ratio.
  void Report(benchmark::State& state, const std::string& name = "of_reference") const {
    if (const double ratio = Ratio(real_.Seconds, reference_.Seconds); ratio > 0) state.counters[name] = ratio;
    if (const double ratio = Ratio(real_.CpuSeconds, reference_.CpuSeconds); wall_ && ratio > 0)
      state.counters[name + "_cpu"] = ratio;
  }

 private:
  struct Totals {
    double Items = 0, Seconds = 0, CpuSeconds = 0;
  };
  template <typename TRun>
  void Time(Totals& totals, TRun& run) {
    const double start = Seconds(clock_);
    const double cpuStart = wall_ ? Seconds(CLOCK_PROCESS_CPUTIME_ID) : 0;
    totals.Items += static_cast<double>(run());
    totals.Seconds += Seconds(clock_) - start;
    if (wall_) totals.CpuSeconds += Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
  }
  // Items a second of the real code over the reference's; 0 without both.
  double Ratio(double realSeconds, double referenceSeconds) const {
    if (!(realSeconds > 0 && referenceSeconds > 0 && reference_.Items > 0)) return 0;
    return (real_.Items / realSeconds) / (reference_.Items / referenceSeconds);
  }

  clockid_t clock_;
  bool wall_;
  Totals real_, reference_;
};

}  // namespace bench_ref
