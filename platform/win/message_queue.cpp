#include "platform/win/message_queue.h"

#include <deque>
#include <set>
#include <thread>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/hooks.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"

namespace win {
namespace {

struct Entry {
  bool raw = false;  // injected input not yet turned into messages
  MSG msg;
  InputEvent event;
};

struct QueueState {
  std::deque<Entry> q;
  MSG last;
  bool quit = false;
  int quitCode = 0;
};

QueueState& Q() {
  static QueueState s;
  return s;
}

bool MatchWindow(HWND filter, HWND target) {
  if (!filter) return true;
  if (filter == HWND_THREAD) return target == nullptr;
  if (!target) return false;
  return target == filter || IsChild(filter, target);
}

bool MatchRange(UINT first, UINT last, UINT msg) {
  if (first == 0 && last == 0) return true;
  return msg >= first && msg <= last;
}

bool IsKeyMessage(UINT m) { return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP; }

// Takes the first matching queued message. Raw input met on the way becomes messages
// first. Callbacks (hit tests, hooks) may change the queue, so scanning starts over
// after each.
bool TakeQueued(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  auto& q = Q().q;
  std::size_t i = 0;
  while (i < q.size()) {
    if (q[i].raw) {
      const InputEvent ev = q[i].event;
      q.erase(q.begin() + static_cast<std::ptrdiff_t>(i));
      std::vector<MSG> msgs;
      ConvertInput(ev, &msgs);
      const std::size_t at = std::min(i, q.size());
      for (std::size_t k = 0; k < msgs.size(); ++k) {
        Entry e;
        e.msg = msgs[k];
        q.insert(q.begin() + static_cast<std::ptrdiff_t>(at + k), e);
      }
      i = 0;
      continue;
    }
    if (!MatchWindow(filter, q[i].msg.hwnd) || !MatchRange(first, last, q[i].msg.message)) {
      ++i;
      continue;
    }
    const MSG m = q[i].msg;
    if (!remove) {
      *out = m;
      return true;
    }
    q.erase(q.begin() + static_cast<std::ptrdiff_t>(i));
    if (IsMouseMessage(m.message)) {
      MOUSEHOOKSTRUCT mh;
      mh.pt = m.pt;
      mh.hwnd = m.hwnd;
      mh.wHitTestCode = static_cast<UINT>((m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK) ? m.wParam : HTCLIENT);
      const bool swallowed = RunHooks(WH_MOUSE, m.message, reinterpret_cast<LPARAM>(&mh));
      if (swallowed || !OnInputMessageRemoved(m)) {
        i = 0;
        continue;
      }
    } else if (IsKeyMessage(m.message)) {
      const bool swallowed = RunHooks(WH_KEYBOARD, m.wParam, m.lParam);
      if (swallowed || !OnInputMessageRemoved(m)) {
        i = 0;
        continue;
      }
    }
    *out = m;
    return true;
  }
  return false;
}

bool FindPaint(WindowObject* w, HWND filter, const std::set<HWND>* skip, HWND* out) {
  if (!(w->style & WS_VISIBLE)) return false;
  if (NeedsPaint(*w) && MatchWindow(filter, w) && !(skip && skip->count(w))) {
    *out = w;
    return true;
  }
  for (WindowObject* c : w->children)
    if (FindPaint(c, filter, skip, out)) return true;
  return false;
}

// The first window to paint, parents before children. A window whose frame alone needs
// painting gets WM_NCPAINT here and no WM_PAINT.
bool TakePaint(HWND filter, const std::set<HWND>* skip, HWND* out) {
  for (int guard = 0; guard < 100000; ++guard) {
    HWND found = nullptr;
    for (WindowObject* t : TopLevelWindows())
      if (FindPaint(t, filter, skip, &found)) break;
    WindowObject* w = CheckWindow(found);
    if (!w) return false;
    if (!w->update.IsEmpty() || w->internalPaint) {
      *out = found;
      return true;
    }
    w->framePending = false;
    SendMessage(found, WM_NCPAINT, 1, 0);
  }
  return false;
}

bool PeekImpl(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags, const std::set<HWND>* paintedSkip,
              std::int64_t timersDueBy) {
  if (hwnd && hwnd != HWND_THREAD && !CheckWindow(hwnd)) return false;
  const bool remove = (flags & PM_REMOVE) != 0;
  MSG m;
  bool found = TakeQueued(&m, hwnd, first, last, remove);
  if (!found && MatchRange(first, last, WM_PAINT) && hwnd != HWND_THREAD) {
    HWND target = nullptr;
    if (TakePaint(hwnd, paintedSkip, &target)) {
      m = MSG{};
      m.hwnd = target;
      m.message = WM_PAINT;
      found = true;
    }
  }
  if (!found && MatchRange(first, last, WM_TIMER) && hwnd != HWND_THREAD)
    found = TakeDueTimer(hwnd, timersDueBy, remove, &m);
  if (!found) return false;
  if (m.message == WM_PAINT || m.message == WM_TIMER) {
    m.time = ClockMillis();
    GetCursorPos(&m.pt);
  }
  Q().last = m;
  if (msg) *msg = m;
  return true;
}

}  // namespace

// ---- sending and posting ---------------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return Deliver(hwnd, msg, wParam, lParam); }

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !CheckWindow(hwnd)) return 0;
  Entry e;
  e.msg.hwnd = hwnd;
  e.msg.message = msg;
  e.msg.wParam = wParam;
  e.msg.lParam = lParam;
  e.msg.time = ClockMillis();
  GetCursorPos(&e.msg.pt);
  Q().q.push_back(e);
  return 1;
}

void PostQuitMessage(int exitCode) {
  Entry e;
  e.msg.message = WM_QUIT;
  e.msg.wParam = static_cast<WPARAM>(exitCode);
  e.msg.time = ClockMillis();
  Q().q.push_back(e);
}

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

void QueueInput(const InputEvent& ev) {
  Entry e;
  e.raw = true;
  e.event = ev;
  Q().q.push_back(e);
}

void PushFront(const MSG& m) {
  Entry e;
  e.msg = m;
  Q().q.push_front(e);
}

void ForgetWindowMessages(HWND hwnd) {
  auto& q = Q().q;
  for (std::size_t i = 0; i < q.size();) {
    if (!q[i].raw && q[i].msg.hwnd == hwnd) q.erase(q.begin() + static_cast<std::ptrdiff_t>(i));
    else ++i;
  }
}

void ResetMessageQueue() {
  QueueState& s = Q();
  s.q.clear();
  s.last = MSG{};
  s.quit = false;
  s.quitCode = 0;
}

std::size_t PendingMessageCount() { return Q().q.size(); }

// ---- taking messages ----------------------------------------------------------------------------------

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags) {
  return PeekImpl(msg, hwnd, first, last, flags, nullptr, ClockMicros()) ? 1 : 0;
}

int GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last) {
  for (;;) {
    MSG m;
    if (PeekImpl(&m, hwnd, first, last, PM_REMOVE, nullptr, ClockMicros())) {
      if (msg) *msg = m;
      return m.message == WM_QUIT ? 0 : 1;
    }
    const std::int64_t wait = MicrosToNextTimer();
    if (wait < 0) return -1;
    if (IsManualClock()) AdvanceClock(static_cast<DWORD>((wait + 999) / 1000));
    else std::this_thread::sleep_for(std::chrono::microseconds(wait));
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return 0;
  const int c = CharForKey(static_cast<int>(msg->wParam), GetKeyState(VK_SHIFT) < 0,
                           msg->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0, (GetKeyState(VK_CAPITAL) & 1) != 0);
  if (c == 0) return 0;
  MSG ch = *msg;
  ch.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  ch.wParam = static_cast<WPARAM>(c);
  PushFront(ch);
  return 1;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    // Only a live timer's own procedure is called: lParam is not trusted.
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    if (IsTimerProc(msg->hwnd, msg->wParam, proc)) proc(msg->hwnd, WM_TIMER, msg->wParam, ClockMillis());
    return 0;
  }
  if (!msg->hwnd) return 0;
  return Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

DWORD GetMessageTime() { return Q().last.time; }

DWORD GetMessagePos() {
  const POINT p = Q().last.pt;
  return static_cast<DWORD>(MAKELPARAM(p.x, p.y));
}

bool PumpPendingMessages() {
  std::set<HWND> painted;
  const std::int64_t start = ClockMicros();
  MSG m;
  while (PeekImpl(&m, nullptr, 0, 0, PM_REMOVE, &painted, start)) {
    if (m.message == WM_QUIT) {
      Q().quit = true;
      Q().quitCode = static_cast<int>(m.wParam);
      return false;
    }
    if (m.message == WM_PAINT) painted.insert(m.hwnd);
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
  return true;
}

bool QuitRequested(int* exitCode) {
  if (exitCode) *exitCode = Q().quitCode;
  return Q().quit;
}

}  // namespace win
