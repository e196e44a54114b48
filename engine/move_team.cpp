#include "engine/move_team.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "platform/classlib/module_life.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
// How long a worker spins for a job after a rouse and after a job (the births between a
// step's kill and move take up to about a millisecond at 100,000 particles), unless told
// to rest; how long the calling thread spins for the workers before it sleeps.
constexpr auto kSpinAfterRouse = std::chrono::milliseconds(3);
constexpr auto kSpinAfterJob = std::chrono::milliseconds(1);
constexpr auto kSpinForWorkers = std::chrono::microseconds(500);
constexpr unsigned kMostWorkers = 3;
constexpr std::uint64_t kClosed = std::uint64_t{1} << 31;
constexpr std::uint64_t kJoinedMask = kClosed - 1;

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

// Spins until Ready() or Limit has passed; reads the clock only every 64 turns.
template <typename TReady>
bool SpinFor(Clock::duration Limit, TReady Ready) {
  const Clock::time_point until = Clock::now() + Limit;
  for (unsigned turn = 1;; ++turn) {
    if (Ready()) return true;
    if (turn % 64 == 0 && Clock::now() >= until) return false;
    Pause();
  }
}

}  // namespace

TMoveTeam::TMoveTeam(unsigned Workers) {
  Workers = std::min(Workers, kMostWorkers);
  threads_.reserve(Workers);
  failures_.resize(std::size_t{Workers} + 1);
  for (unsigned k = 1; k <= Workers; ++k) {
    try {
      threads_.emplace_back([this, k] { WorkerLoop(k); });
    } catch (const std::system_error&) {
      // Fewer workers, or none: the moves share out only what there are threads for.
      break;
    }
  }
}

TMoveTeam::~TMoveTeam() {
  quit_.store(true);
  signal_.fetch_add(1);
  signal_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void TMoveTeam::Rest() { rest_.fetch_add(1, std::memory_order_relaxed); }

void TMoveTeam::Rouse(unsigned Count) {
  wanted_.store(Count, std::memory_order_relaxed);
  signal_.fetch_add(1);
  signal_.notify_all();
}

bool TMoveTeam::Run(unsigned Count, const std::function<void()>& Job) {
  if (busy_.test_and_set(std::memory_order_acquire)) return false;
  struct Release {
    std::atomic_flag& flag;
    ~Release() { flag.clear(std::memory_order_release); }
  } release{busy_};

  task_ = &Job;
  count_.store(std::min(Count, Workers()), std::memory_order_relaxed);
  wanted_.store(Count, std::memory_order_relaxed);
  std::fegetenv(&environment_);
  done_.store(0, std::memory_order_relaxed);
  const std::uint64_t number = (state_.load(std::memory_order_relaxed) >> 32) + 1;
  state_.store(number << 32, std::memory_order_release);
  signal_.fetch_add(1);
  signal_.notify_all();

  try {
    Job();
  } catch (...) {
    failures_[0] = std::current_exception();
  }
  // Closed: a worker that has not joined by now finds nothing left to take.
  const auto joined = static_cast<unsigned>(state_.fetch_or(kClosed, std::memory_order_acq_rel) & kJoinedMask);
  const auto finished = [&] { return done_.load(std::memory_order_acquire) == joined; };
  if (!SpinFor(kSpinForWorkers, finished)) {
    for (unsigned done = done_.load(std::memory_order_acquire); done != joined;
         done = done_.load(std::memory_order_acquire))
      done_.wait(done, std::memory_order_acquire);
  }
  task_ = nullptr;
  // Every failure is taken, so that none is left over to be thrown by the next job.
  std::exception_ptr first;
  for (std::exception_ptr& failure : failures_) {
    if (failure && !first) first = failure;
    failure = nullptr;
  }
  if (first) std::rethrow_exception(first);
  return true;
}

bool TMoveTeam::Join(std::uint64_t State, unsigned K) {
  const std::uint64_t number = State >> 32;
  while ((State >> 32) == number && !(State & kClosed)) {
    const unsigned count = count_.load(std::memory_order_relaxed);
    if ((State & kJoinedMask) >= count || K > count) return false;
    if (state_.compare_exchange_weak(State, State + 1, std::memory_order_acquire)) return true;
  }
  return false;
}

void TMoveTeam::WorkerLoop(unsigned K) {
  std::uint64_t served = 0;
  Clock::duration spin = Clock::duration::zero();
  for (;;) {
    const std::uint64_t signal = signal_.load();
    if (quit_.load()) return;
    const std::uint64_t state = state_.load(std::memory_order_acquire);
    if (state >> 32 != served) {
      served = state >> 32;
      if (Join(state, K)) {
        std::fesetenv(&environment_);
        try {
          (*task_)();
        } catch (...) {
          failures_[K] = std::current_exception();
        }
        done_.fetch_add(1, std::memory_order_release);
        done_.notify_one();
      }
      spin = kSpinAfterJob;
      continue;
    }
    const std::uint64_t rest = rest_.load(std::memory_order_relaxed);
    // A worker beyond those last asked for parks at once: nothing will be left for it.
    const bool woken = K <= wanted_.load(std::memory_order_relaxed) && SpinFor(spin, [&] {
      return signal_.load(std::memory_order_relaxed) != signal ||
             state_.load(std::memory_order_relaxed) >> 32 != served || rest_.load(std::memory_order_relaxed) != rest;
    });
    // Roused again or a job came: spin on; nothing or told to rest: park (a rouse or a
    // job that came meanwhile has changed the signal, and the wait returns at once).
    if (woken && rest_.load(std::memory_order_relaxed) == rest) {
      spin = kSpinAfterRouse;
      continue;
    }
    signal_.wait(signal);
    spin = kSpinAfterRouse;
  }
}

TMoveTeam& MoveTeam() {
  // The threads run module code: they are joined when the module ends.
  static TMoveTeam* team = nullptr;
  return *ModuleLazy(team, [] {
    const unsigned processors = std::thread::hardware_concurrency();
    return new TMoveTeam(processors > 1 ? processors - 1 : 0u);
  });
}
