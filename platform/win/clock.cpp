#include "platform/win/clock.h"

#include <chrono>
#include <thread>

namespace win {
namespace {

struct ClockState {
  bool manual = false;
  std::int64_t manualMicros = 0;
  std::int64_t stepMicros = 1000;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

ClockState& C() {
  static ClockState s;
  return s;
}

// A read by the system's code: the manual clock steps on afterwards.
std::int64_t ReadAndStep() {
  const std::int64_t v = ClockMicros();
  ClockState& c = C();
  if (c.manual) c.manualMicros += c.stepMicros;
  return v;
}

}  // namespace

std::int64_t ClockMicros() {
  const ClockState& c = C();
  if (c.manual) return c.manualMicros;
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - c.start).count();
}

DWORD GetTickCount() { return static_cast<DWORD>(ReadAndStep() / 1000); }

DWORD timeGetTime() { return GetTickCount(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return 0;
  count->QuadPart = ReadAndStep();
  return 1;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return 0;
  frequency->QuadPart = 1000000;
  return 1;
}

void Sleep(DWORD ms) {
  if (C().manual) C().manualMicros += std::int64_t{ms} * 1000;
  else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void UseManualClock(DWORD startMs, DWORD stepMs) {
  ClockState& c = C();
  c.manual = true;
  c.manualMicros = std::int64_t{startMs} * 1000;
  c.stepMicros = std::int64_t{stepMs} * 1000;
}

void UseRealClock() { C().manual = false; }

bool IsManualClock() { return C().manual; }

void AdvanceClock(DWORD ms) {
  if (C().manual) C().manualMicros += std::int64_t{ms} * 1000;
}

}  // namespace win
