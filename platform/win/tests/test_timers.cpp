// Timers and the clock: firing times on the manual clock, no piling up, killing, timer
// procedures, and busy-waits that end because every read moves the manual clock on.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win/clock.h"
#include "platform/win/message_queue.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "platform/win/tests/test_window_class.h"

using namespace win;

namespace {

constexpr const char* kClass = "QmTimersTest";

class TimersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    UseManualClock(0);
    EnsureTestClass(kClass);
    window_ = CreateWindowEx(0, kClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetMessageObserver([this](HWND h, UINT m, WPARAM w, LPARAM) {
      if (m == WM_TIMER) fired_.push_back({h, w});
    });
  }
  void TearDown() override {
    SetMessageObserver(nullptr);
    ResetWindowSystem();
    UseRealClock();
  }
  // Pumps and returns the timer ids delivered.
  std::vector<WPARAM> Pump() {
    fired_.clear();
    PumpPendingMessages();
    std::vector<WPARAM> ids;
    for (const auto& f : fired_) ids.push_back(f.second);
    return ids;
  }
  HWND window_ = nullptr;
  std::vector<std::pair<HWND, WPARAM>> fired_;
};

TEST_F(TimersTest, A150MsTimerFiresAfter150MsAndNotBefore) {
  ASSERT_NE(SetTimer(window_, 7, 150, nullptr), 0u);
  AdvanceClock(149);
  EXPECT_TRUE(Pump().empty());
  AdvanceClock(1);
  EXPECT_EQ(Pump(), (std::vector<WPARAM>{7}));
  EXPECT_TRUE(Pump().empty());
  AdvanceClock(149);
  EXPECT_TRUE(Pump().empty());
  AdvanceClock(1);
  EXPECT_EQ(Pump(), (std::vector<WPARAM>{7}));
  // A long wait gives one message, not one per period missed.
  AdvanceClock(1000);
  EXPECT_EQ(Pump(), (std::vector<WPARAM>{7}));
  AdvanceClock(150);
  EXPECT_EQ(Pump(), (std::vector<WPARAM>{7}));
}

TEST_F(TimersTest, APoolTimerOf50MsTicksEvery50Ms) {
  SetTimer(window_, 1, 50, nullptr);
  int ticks = 0;
  for (int step = 0; step < 30; ++step) {
    AdvanceClock(10);
    ticks += static_cast<int>(Pump().size());
  }
  EXPECT_EQ(ticks, 6);
  // Two timers of one window keep their own periods.
  SetTimer(window_, 2, 100, nullptr);
  int ones = 0, twos = 0;
  for (int step = 0; step < 20; ++step) {
    AdvanceClock(10);
    for (WPARAM id : Pump()) (id == 1 ? ones : twos) += 1;
  }
  EXPECT_EQ(ones, 4);
  EXPECT_EQ(twos, 2);
}

TEST_F(TimersTest, SettingAgainRestartsAndKillingStops) {
  SetTimer(window_, 4, 100, nullptr);
  AdvanceClock(90);
  SetTimer(window_, 4, 100, nullptr);  // restarts from now
  AdvanceClock(20);
  EXPECT_TRUE(Pump().empty());
  AdvanceClock(80);
  EXPECT_EQ(Pump(), (std::vector<WPARAM>{4}));
  EXPECT_TRUE(KillTimer(window_, 4));
  EXPECT_FALSE(KillTimer(window_, 4));
  AdvanceClock(500);
  EXPECT_TRUE(Pump().empty());

  // The shortest period is raised to the minimum.
  SetTimer(window_, 5, 0, nullptr);
  AdvanceClock(USER_TIMER_MINIMUM - 1);
  EXPECT_TRUE(Pump().empty());
  AdvanceClock(1);
  EXPECT_EQ(Pump().size(), 1u);

  // A window's timers go with it; dead windows get none.
  DestroyWindow(window_);
  AdvanceClock(100);
  EXPECT_TRUE(Pump().empty());
  EXPECT_EQ(SetTimer(window_, 1, 100, nullptr), 0u);
  EXPECT_FALSE(KillTimer(window_, 5));
}

std::vector<ULONG_PTR> g_procIds;
void Proc(HWND hwnd, UINT msg, ULONG_PTR id, DWORD) {
  if (hwnd == nullptr && msg == WM_TIMER) g_procIds.push_back(id);
}

TEST_F(TimersTest, TimersWithoutAWindowGetTheirOwnIdAndCallTheirProcedure) {
  g_procIds.clear();
  const ULONG_PTR a = SetTimer(nullptr, 0, 20, &Proc);
  const ULONG_PTR b = SetTimer(nullptr, 0, 30, &Proc);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  AdvanceClock(30);
  PumpPendingMessages();
  EXPECT_EQ(g_procIds, (std::vector<ULONG_PTR>{a, b}));
  EXPECT_TRUE(KillTimer(nullptr, a));
  EXPECT_EQ(SetTimer(nullptr, b, 50, &Proc), b);  // an existing id is set again
  g_procIds.clear();
  AdvanceClock(50);
  PumpPendingMessages();
  EXPECT_EQ(g_procIds, (std::vector<ULONG_PTR>{b}));
}

TEST_F(TimersTest, AFrameCapBusyWaitEndsOnTheManualClock) {
  // The preview's cap: wait while frames x 1000 / elapsed is at least 30.25.
  const DWORD start = GetTickCount();
  const int frames = 1;
  double rate = 0;
  int spins = 0;
  DWORD elapsed = 0;
  do {
    elapsed = GetTickCount() - start;
    rate = elapsed ? frames * 1000.0 / elapsed : 0;
    if (elapsed == 0) rate = 1e9;
    ++spins;
    ASSERT_LT(spins, 1000) << "the wait did not end";
  } while (rate >= 30.25);
  EXPECT_GE(elapsed, 34u);
  EXPECT_LE(elapsed, 40u);

  // Plain: wait until 33 ms have passed.
  const DWORD t0 = GetTickCount();
  spins = 0;
  while (GetTickCount() - t0 < 33) ASSERT_LT(++spins, 1000);
  EXPECT_LE(spins, 34);
}

TEST_F(TimersTest, TheClocksAgree) {
  UseManualClock(100, 2);
  EXPECT_EQ(GetTickCount(), 100u);
  EXPECT_EQ(timeGetTime(), 102u);
  LARGE_INTEGER f, c;
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  EXPECT_EQ(f.QuadPart, 1000000);
  ASSERT_TRUE(QueryPerformanceCounter(&c));
  EXPECT_EQ(c.QuadPart, 104000);
  Sleep(50);
  EXPECT_EQ(GetTickCount(), 156u);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
  // The window system's own reads do not move the clock.
  EXPECT_EQ(ClockMillis(), 158u);
  EXPECT_EQ(ClockMillis(), 158u);

  UseRealClock();
  EXPECT_FALSE(IsManualClock());
  const DWORD a = GetTickCount();
  const DWORD b = GetTickCount();
  EXPECT_GE(b, a);
  AdvanceClock(100000);  // ignored on the real clock
  EXPECT_LT(GetTickCount() - b, 100000u);
}

}  // namespace
