#include "platform/win/timers.h"

#include <algorithm>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/usage_counts.h"

namespace win {
namespace {

struct Timer {
  HWND hwnd = nullptr;
  ULONG_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  std::int64_t due = 0;  // clock microseconds
};

struct TimerState {
  std::vector<Timer> timers;  // in the order they were set
  ULONG_PTR nextThreadId = 1;
};

TimerState& T() {
  static TimerState s;
  return s;
}

Timer* Find(HWND hwnd, ULONG_PTR id) {
  for (Timer& t : T().timers)
    if (t.hwnd == hwnd && t.id == id) return &t;
  return nullptr;
}

bool Matches(HWND filter, HWND target) {
  if (!filter) return true;
  return target && (target == filter || IsChild(filter, target));
}

}  // namespace

ULONG_PTR SetTimer(HWND hwnd, ULONG_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !CheckWindow(hwnd)) return 0;
  elapse = std::max(elapse, USER_TIMER_MINIMUM);
  const std::int64_t due = ClockMicros() + std::int64_t{elapse} * 1000;
  TimerState& s = T();
  if (!hwnd) {
    if (id == 0 || !Find(nullptr, id)) {
      do {
        id = s.nextThreadId++;
        if (s.nextThreadId == 0) s.nextThreadId = 1;
      } while (id == 0 || Find(nullptr, id));
    }
  }
  if (Timer* t = Find(hwnd, id)) {
    t->elapse = elapse;
    t->proc = proc;
    t->due = due;
    return hwnd ? 1 : id;
  }
  if (s.timers.size() >= kMaxTimers) return 0;
  s.timers.push_back(Timer{hwnd, id, elapse, proc, due});
  return hwnd ? 1 : id;
}

BOOL KillTimer(HWND hwnd, ULONG_PTR id) {
  if (hwnd && !CheckWindow(hwnd)) return 0;
  auto& v = T().timers;
  auto it = std::find_if(v.begin(), v.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == v.end()) return 0;
  v.erase(it);
  return 1;
}

bool TakeDueTimer(HWND filter, std::int64_t dueBy, bool remove, MSG* out) {
  Timer* best = nullptr;
  for (Timer& t : T().timers) {
    if (t.due > dueBy || !Matches(filter, t.hwnd)) continue;
    if (!best || t.due < best->due) best = &t;
  }
  if (!best) return false;
  if (out) {
    *out = MSG{};
    out->hwnd = best->hwnd;
    out->message = WM_TIMER;
    out->wParam = best->id;
    out->lParam = reinterpret_cast<LPARAM>(best->proc);
  }
  if (remove) best->due = ClockMicros() + std::int64_t{best->elapse} * 1000;
  return true;
}

bool IsTimerProc(HWND hwnd, ULONG_PTR id, TIMERPROC proc) {
  const Timer* t = Find(hwnd, id);
  return t && proc && t->proc == proc;
}

std::int64_t MicrosToNextTimer() {
  const auto& v = T().timers;
  if (v.empty()) return -1;
  std::int64_t next = v.front().due;
  for (const Timer& t : v) next = std::min(next, t.due);
  return std::max<std::int64_t>(0, next - ClockMicros());
}

void KillWindowTimers(HWND hwnd) {
  auto& v = T().timers;
  v.erase(std::remove_if(v.begin(), v.end(), [&](const Timer& t) { return t.hwnd == hwnd; }), v.end());
}

int ActiveTimerCount() { return static_cast<int>(T().timers.size()); }

void ResetTimers() {
  T().timers.clear();
  T().nextThreadId = 1;
}

}  // namespace win
