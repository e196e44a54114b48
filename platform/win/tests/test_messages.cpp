// The queue: filters, priorities (posted and input, then paint, then timers), waiting,
// translation, dispatching of timer procedures, the pump and dead windows.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "platform/win/tests/test_window_class.h"

using namespace win;

namespace {

constexpr const char* kClass = "QmMessagesTest";

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    UseManualClock(5000);
    EnsureTestClass(kClass);
  }
  void TearDown() override {
    SetMessageObserver(nullptr);
    ResetWindowSystem();
    UseRealClock();
    for (WNDPROC p : instances_) FreeProcInstance(p);
  }
  HWND Make(DWORD style, HWND parent = nullptr) {
    return CreateWindowEx(0, kClass, "", style, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
  }
  void Subclass(HWND h, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, WNDPROC)> f) {
    auto prev = reinterpret_cast<WNDPROC>(GetWindowLong(h, GWL_WNDPROC));
    WNDPROC inst = MakeProcInstance([f, prev](HWND w, UINT m, WPARAM wp, LPARAM lp) { return f(w, m, wp, lp, prev); });
    instances_.push_back(inst);
    SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(inst));
  }
  // Takes every message there is (without dispatching) and returns their numbers.
  std::vector<UINT> Drain(HWND filter = nullptr, UINT first = 0, UINT last = 0) {
    std::vector<UINT> out;
    MSG m;
    for (int guard = 0; guard < 100 && PeekMessage(&m, filter, first, last, PM_REMOVE); ++guard) {
      out.push_back(m.message);
      if (m.message == WM_PAINT) ValidateRect(m.hwnd, nullptr);
    }
    return out;
  }
  std::vector<WNDPROC> instances_;
};

TEST_F(MessagesTest, PeekFiltersOnWindowsTheirChildrenAndRanges) {
  HWND top = Make(WS_OVERLAPPED);
  HWND child = Make(WS_CHILD, top);
  HWND other = Make(WS_OVERLAPPED);
  PostMessage(other, WM_USER, 1, 0);
  PostMessage(child, WM_USER + 1, 2, 0);
  PostMessage(top, WM_USER + 2, 3, 0);
  PostMessage(nullptr, WM_APP, 4, 0);
  EXPECT_EQ(PendingMessageCount(), 4u);

  MSG m;
  ASSERT_TRUE(PeekMessage(&m, top, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.hwnd, child);  // a window's filter takes its children's messages too
  EXPECT_EQ(PendingMessageCount(), 4u);
  ASSERT_TRUE(PeekMessage(&m, top, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  ASSERT_TRUE(PeekMessage(&m, HWND_THREAD, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_APP);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_FALSE(PeekMessage(&m, HWND_THREAD, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(m.hwnd, other);
  EXPECT_EQ(m.time, 5000u);
  EXPECT_EQ(GetMessageTime(), 5000u);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_USER + 1}));

  // Dead windows: nothing posted to them, nothing left for them, no filter on them.
  PostMessage(child, WM_USER, 0, 0);
  DestroyWindow(child);
  EXPECT_FALSE(PostMessage(child, WM_USER, 0, 0));
  EXPECT_EQ(PendingMessageCount(), 0u);
  EXPECT_FALSE(PeekMessage(&m, child, 0, 0, PM_REMOVE));
  EXPECT_EQ(SendMessage(child, WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST_F(MessagesTest, PostedMessagesComeBeforePaintWhichComesBeforeTimers) {
  HWND h = Make(WS_POPUP | WS_VISIBLE);
  Drain();
  SetTimer(h, 1, 10, nullptr);
  AdvanceClock(10);
  InvalidateRect(h, nullptr, 0);
  PostMessage(h, WM_USER, 0, 0);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_USER, WM_PAINT, WM_TIMER}));
  // A range that leaves paint out reaches the timer directly.
  AdvanceClock(10);
  InvalidateRect(h, nullptr, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
}

TEST_F(MessagesTest, GetMessageWaitsOnTheClockAndEndsWithQuit) {
  HWND h = Make(WS_OVERLAPPED);
  MSG m;
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), -1);  // nothing could ever come
  SetTimer(h, 3, 250, nullptr);
  ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(ClockMillis(), 5250u);  // the manual clock was moved to the timer
  KillTimer(h, 3);
  PostQuitMessage(9);
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.wParam, 9u);
}

TEST_F(MessagesTest, TranslatedCharactersComeRightAfterTheirKey) {
  HWND h = Make(WS_POPUP | WS_VISIBLE);
  SetFocus(h);
  Drain();
  InjectKeyDown('K');
  PostMessage(h, WM_USER, 0, 0);
  std::vector<UINT> order;
  SetMessageObserver([&](HWND, UINT m, WPARAM, LPARAM) {
    if (m == WM_KEYDOWN || m == WM_CHAR || m == WM_USER) order.push_back(m);
  });
  PumpPendingMessages();
  EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_USER}));
  MSG up{};
  up.message = WM_KEYUP;
  EXPECT_FALSE(TranslateMessage(&up));
  EXPECT_FALSE(TranslateMessage(nullptr));
}

int g_procCalls = 0;
void TimerProc(HWND, UINT msg, ULONG_PTR id, DWORD) {
  if (msg == WM_TIMER && id != 0) ++g_procCalls;
}
void NotATimerProc(HWND, UINT, ULONG_PTR, DWORD) { g_procCalls += 1000; }

TEST_F(MessagesTest, DispatchCallsOnlyATimersOwnProcedure) {
  HWND h = Make(WS_OVERLAPPED);
  g_procCalls = 0;
  SetTimer(h, 5, 20, &TimerProc);
  AdvanceClock(20);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(&TimerProc));
  DispatchMessage(&m);
  EXPECT_EQ(g_procCalls, 1);
  // A forged timer message does not make the system call an address it was handed.
  MSG forged = m;
  forged.lParam = reinterpret_cast<LPARAM>(&NotATimerProc);
  DispatchMessage(&forged);
  forged.wParam = 99;
  forged.lParam = reinterpret_cast<LPARAM>(&TimerProc);
  DispatchMessage(&forged);
  EXPECT_EQ(g_procCalls, 1);
  EXPECT_EQ(DispatchMessage(nullptr), 0);
}

TEST_F(MessagesTest, ThePumpPaintsEachWindowOnceAndStopsAtQuit) {
  HWND stubborn = Make(WS_POPUP | WS_VISIBLE);
  int paints = 0;
  Subclass(stubborn, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m == WM_PAINT) {
      ++paints;  // never validates
      return 0;
    }
    return CallWindowProc(prev, w, m, wp, lp);
  });
  InvalidateRect(stubborn, nullptr, 1);
  EXPECT_TRUE(PumpPendingMessages());
  EXPECT_EQ(paints, 1);
  EXPECT_TRUE(PumpPendingMessages());
  EXPECT_EQ(paints, 2);

  PostMessage(stubborn, WM_USER, 0, 0);
  PostQuitMessage(3);
  PostMessage(stubborn, WM_USER + 1, 0, 0);
  EXPECT_FALSE(PumpPendingMessages());
  int code = 0;
  EXPECT_TRUE(QuitRequested(&code));
  EXPECT_EQ(code, 3);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 1);  // left for the next pump
}

TEST_F(MessagesTest, PendingMouseMessagesCanBeRemovedByRange) {
  HWND h = Make(WS_POPUP | WS_VISIBLE);
  Drain();
  InjectClick(MouseButton::Left, 10, 10);
  PostMessage(h, WM_USER, 0, 0);
  MSG m;
  int removed = 0;
  while (PeekMessage(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) ++removed;
  EXPECT_EQ(removed, 3);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_USER}));
}

TEST_F(MessagesTest, SendMessageRunsAtOnceAndDefaultCloseDestroys) {
  HWND h = Make(WS_OVERLAPPED);
  EXPECT_EQ(SendMessage(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc")), 1);
  EXPECT_EQ(SendMessage(h, WM_GETTEXTLENGTH, 0, 0), 3);
  PostMessage(h, WM_CLOSE, 0, 0);
  PumpPendingMessages();
  EXPECT_FALSE(IsWindow(h));
  HWND g = Make(WS_OVERLAPPED);
  SendMessage(g, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(g));
}

}  // namespace
