#pragma once
// The window system's one clock, behind GetTickCount, timeGetTime, the performance
// counter, Sleep and the timers: real (steady) time, or a manual clock for tests.
//
// The manual clock moves only when told to, plus a small step (1 ms unless set) after
// every read through GetTickCount, timeGetTime or QueryPerformanceCounter, so that a
// loop that waits for the time to pass (a frame cap) ends. The window system's own reads
// (timers, message times) do not step it.
#include <cstdint>

#include "platform/win/types.h"

namespace win {

struct LARGE_INTEGER {
  std::int64_t QuadPart = 0;
};

// Milliseconds since the clock started, wrapping at 2^32.
DWORD GetTickCount();
DWORD timeGetTime();
// Counts microseconds: the frequency is 1000000.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// The real clock sleeps; the manual clock moves on by `ms`.
void Sleep(DWORD ms);

// Switches to the manual clock, reading `startMs`, stepping `stepMs` after every read.
void UseManualClock(DWORD startMs = 0, DWORD stepMs = 1);
// Back to real time (the default).
void UseRealClock();
bool IsManualClock();
// Moves the manual clock on; ignored on the real clock.
void AdvanceClock(DWORD ms);

// ---- for the window system's own files ----------------------------------------------------------
// The clock in microseconds, without the read step.
std::int64_t ClockMicros();
inline DWORD ClockMillis() { return static_cast<DWORD>(ClockMicros() / 1000); }

}  // namespace win
