#pragma once
// Window timers on the window system's clock. A due timer makes the queue hand out one
// WM_TIMER (wParam: the id, lParam: the timer procedure) when nothing else is waiting; the
// next one falls due `elapse` after that. Timers do not pile up: a timer that was due
// several times over while nobody read the queue fires once.
#include <cstddef>
#include <cstdint>

#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

using TIMERPROC = void (*)(HWND, UINT, ULONG_PTR, DWORD);

// Shortest period; shorter ones are raised to it.
inline constexpr UINT USER_TIMER_MINIMUM = 10;
// Most timers alive at once.
inline constexpr std::size_t kMaxTimers = 10000;

// With a window: (window, id) names the timer, setting it again restarts it, the answer is
// non-zero on success. Without a window: a new timer whose id is the answer. 0 on
// failure (dead window, too many timers).
ULONG_PTR SetTimer(HWND hwnd, ULONG_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, ULONG_PTR id);

// ---- for the window system's own files ----------------------------------------------------------
// The first timer due by `dueBy` (clock microseconds) whose window passes the filter (a
// window and its children, or everything when `filter` is null), as a WM_TIMER; when
// removed, its next due time is set from now. False when none is due.
bool TakeDueTimer(HWND filter, std::int64_t dueBy, bool remove, MSG* out);
// Whether (window, id) is a live timer with procedure `proc`.
bool IsTimerProc(HWND hwnd, ULONG_PTR id, TIMERPROC proc);
// Microseconds until the next timer is due (0 when one is due; -1 when there is none).
std::int64_t MicrosToNextTimer();
void KillWindowTimers(HWND hwnd);
void ResetTimers();

}  // namespace win
