#pragma once
// Priority classes of the process and priorities of threads. The host has neither: each
// class and priority maps to a nice value of the calling thread (the class gives the base,
// the thread priority moves it), the lowest the host takes being -20. Where the host refuses
// a value (lowering nice needs a privilege), the call fails with the host's error and
// nothing changes, so the getters always tell what is in force.
#include "platform/win/types.h"

namespace win {

// Pseudo handles of the calling process and thread; the only ones these calls accept.
struct PriorityTarget;
using HANDLE = PriorityTarget*;
HANDLE GetCurrentProcess();
HANDLE GetCurrentThread();

inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
inline constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
inline constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
inline constexpr DWORD REALTIME_PRIORITY_CLASS = 0x100;
inline constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x4000;
inline constexpr DWORD ABOVE_NORMAL_PRIORITY_CLASS = 0x8000;

inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

// 0 for a handle other than GetCurrentProcess().
DWORD GetPriorityClass(HANDLE process);
// FALSE for an unknown class or handle (EINVAL), or when the host refuses the nice value
// the class gives together with the calling thread's priority (its error).
BOOL SetPriorityClass(HANDLE process, DWORD priorityClass);
// THREAD_PRIORITY_NORMAL until set; the calling thread's only.
int GetThreadPriority(HANDLE thread);
BOOL SetThreadPriority(HANDLE thread, int priority);

// The nice value a class and a thread priority map to (-20 .. 19); 20 for an unknown pair.
int NiceOfPriority(DWORD priorityClass, int threadPriority);

}  // namespace win
