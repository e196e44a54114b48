#include "platform/win/priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/win/system_info.h"

namespace win {

struct PriorityTarget {
  int kind;
};

namespace {

PriorityTarget processTarget{0};
PriorityTarget threadTarget{1};

DWORD processClass = NORMAL_PRIORITY_CLASS;
thread_local int threadPriority = THREAD_PRIORITY_NORMAL;

int BaseNice(DWORD priorityClass) {
  switch (priorityClass) {
    case IDLE_PRIORITY_CLASS: return 19;
    case BELOW_NORMAL_PRIORITY_CLASS: return 5;
    case NORMAL_PRIORITY_CLASS: return 0;
    case ABOVE_NORMAL_PRIORITY_CLASS: return -5;
    case HIGH_PRIORITY_CLASS: return -10;
    case REALTIME_PRIORITY_CLASS: return -15;
    default: return 20;
  }
}

bool KnownThreadPriority(int priority) {
  return priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL ||
         (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST);
}

// Applies the pair to the calling thread; false (errno set) when the host refuses.
bool Apply(DWORD priorityClass, int priority) {
  const int nice = NiceOfPriority(priorityClass, priority);
  if (nice > 19) {
    errno = EINVAL;
    return false;
  }
  return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0;
}

}  // namespace

HANDLE GetCurrentProcess() { return &processTarget; }
HANDLE GetCurrentThread() { return &threadTarget; }

int NiceOfPriority(DWORD priorityClass, int priority) {
  const int base = BaseNice(priorityClass);
  if (base > 19 || !KnownThreadPriority(priority)) return 20;
  // Idle and time-critical are the ends of every class; the others step by 2.
  if (priority == THREAD_PRIORITY_IDLE) return 19;
  if (priority == THREAD_PRIORITY_TIME_CRITICAL) return -20;
  return std::clamp(base - 2 * priority, -20, 19);
}

namespace {

// Takes the pair when `handle` is the one expected and the host takes its nice value.
BOOL SetPair(HANDLE handle, HANDLE expected, DWORD priorityClass, int priority) {
  if (handle != expected) {
    SetLastError(EINVAL);
    return 0;
  }
  if (!Apply(priorityClass, priority)) return 0;
  processClass = priorityClass;
  threadPriority = priority;
  return 1;
}

}  // namespace

DWORD GetPriorityClass(HANDLE process) { return process == &processTarget ? processClass : 0; }

BOOL SetPriorityClass(HANDLE process, DWORD priorityClass) {
  return SetPair(process, &processTarget, priorityClass, threadPriority);
}

int GetThreadPriority(HANDLE thread) { return thread == &threadTarget ? threadPriority : THREAD_PRIORITY_NORMAL; }

BOOL SetThreadPriority(HANDLE thread, int priority) {
  return SetPair(thread, &threadTarget, processClass, priority);
}

}  // namespace win
