// The shared timer pool and the application's timer clients, driven by the window
// system's manual clock and message pump.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_timer_pool.h"
#include "platform/classlib/lists.h"
#include "platform/win/clock.h"
#include "platform/win/message_queue.h"
#include "platform/win/window.h"
#include "kit_form_test.h"

namespace {

class TimerPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(0, 0);
  }
  void TearDown() override {
    kit_test::ReleaseKitTimers();
    win::UseRealClock();
  }

  // Moves the clock on by `ms` and delivers what fell due.
  static void Run(win::DWORD ms) {
    win::AdvanceClock(ms);
    win::PumpPendingMessages();
  }
  // `n` ticks of a pool with a 50 ms minimum interval.
  static void Ticks(int n) {
    for (int i = 0; i < n; ++i) Run(50);
  }
};

TEST_F(TimerPoolTest, ItemFiresOnEveryIntervalOverMinIntervalTick) {
  TKitTimerPool pool(nullptr, 50);
  std::vector<Integer> fired;
  pool.Add(7, 150, [&](TObject* sender) {
    EXPECT_EQ(sender, &pool);
    fired.push_back(pool.Tick());
  });
  EXPECT_TRUE(pool.Active());
  EXPECT_EQ(pool.ItemById(7)->Ticks(), 3);
  Ticks(9);
  EXPECT_EQ(fired, (std::vector<Integer>{3, 6, 9}));
  // Nothing fires between the due times.
  Run(25);
  EXPECT_EQ(fired.size(), 3u);
}

TEST_F(TimerPoolTest, TwoItemsKeepTheirOwnSchedules) {
  TKitTimerPool pool(nullptr, 50);
  std::vector<std::pair<Word, Integer>> fired;
  pool.OnTimer = [&](TObject*, Word id, Integer count) { fired.emplace_back(id, count); };
  pool.Add(1, 50, nullptr);
  pool.Add(2, 100, nullptr);
  Ticks(4);
  const std::vector<std::pair<Word, Integer>> expected = {{1, 1}, {1, 2}, {2, 1}, {1, 3}, {1, 4}, {2, 2}};
  EXPECT_EQ(fired, expected);
}

TEST_F(TimerPoolTest, RepeatCountStopsTheItemAndReportsTheLastFiring) {
  TKitTimerPool pool(nullptr, 50);
  std::vector<Integer> counts;
  pool.OnTimer = [&](TObject*, Word, Integer count) { counts.push_back(count); };
  pool.Add(3, 50, nullptr);
  TKitTimerItem* item = pool.ItemById(3);
  item->SetRepeatCount(2);
  Ticks(5);
  // The pool's event sees the second firing as 2, not as the count reset by disabling.
  EXPECT_EQ(counts, (std::vector<Integer>{1, 2}));
  EXPECT_FALSE(item->Enabled());
  EXPECT_EQ(item->Count(), 2);
  // The pool keeps running; enabling again starts the count anew.
  EXPECT_TRUE(pool.Active());
  item->SetEnabled(true);
  EXPECT_EQ(item->Count(), 0);
  Ticks(3);
  EXPECT_EQ(counts, (std::vector<Integer>{1, 2, 1, 2}));

  // RepeatCount 0 refuses to enable.
  item->SetRepeatCount(0);
  item->SetEnabled(true);
  EXPECT_FALSE(item->Enabled());
}

TEST_F(TimerPoolTest, IntervalChanges) {
  TKitTimerPool pool(nullptr, 50);
  pool.Add(1, 100, nullptr);
  TKitTimerItem* item = pool.ItemById(1);
  Ticks(2);
  EXPECT_EQ(item->Count(), 1);
  item->SetInterval(120);  // not a multiple: ignored, count kept
  EXPECT_EQ(item->Interval(), 100);
  EXPECT_EQ(item->Count(), 1);
  item->SetInterval(0);
  EXPECT_EQ(item->Interval(), 50);
  EXPECT_EQ(item->Ticks(), 1);
  EXPECT_EQ(item->Count(), 0);
  item->SetInterval(250);
  EXPECT_EQ(item->Ticks(), 5);
}

TEST_F(TimerPoolTest, AddRefusesDuplicatesAndBadIntervalsKeepingItsItems) {
  TKitTimerPool pool(nullptr, 50);
  pool.Add(1, 50, nullptr);
  try {
    pool.Add(1, 100, nullptr);
    FAIL() << "duplicate id accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (%d)");
  }
  for (Word bad : {Word{0}, Word{25}, Word{75}}) {
    try {
      pool.Add(2, bad, nullptr);
      FAIL() << "interval " << bad << " accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Interval not compatible with MinInterval property!");
    }
  }
  EXPECT_EQ(pool.Count(), 1);
  EXPECT_EQ(pool.IndexOfId(1), 0);
  EXPECT_EQ(pool.IndexOfId(2), -1);
  EXPECT_EQ(pool.ItemById(2), nullptr);
}

TEST_F(TimerPoolTest, ItemNeedsPoolAndList) {
  TKitTimerPool pool(nullptr, 50);
  TList list;
  try {
    TKitTimerItem item(nullptr, 1, &list);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "TKitTimerItem: Invalid Owner or List");
  }
  EXPECT_THROW(TKitTimerItem(&pool, 1, nullptr), EInvalidOperation);
}

TEST_F(TimerPoolTest, MinIntervalIsFixedAtRunTimeAndZeroCountsAsOne) {
  TKitTimerPool pool(nullptr, 50);
  pool.SetMinInterval(10);
  EXPECT_EQ(pool.MinInterval(), 50);
  pool.IncludeState(csLoading);
  pool.SetMinInterval(0);
  pool.ExcludeState(csLoading);
  EXPECT_EQ(pool.MinInterval(), 1);

  TKitTimerPool zero(nullptr, 0);
  EXPECT_EQ(zero.MinInterval(), 1);
  int fired = 0;
  zero.Add(1, 3, [&](TObject*) { ++fired; });
  EXPECT_EQ(zero.ItemById(1)->Ticks(), 3);
  // The window system raises periods below its minimum of 10 ms.
  for (int i = 0; i < 6; ++i) Run(10);
  EXPECT_EQ(fired, 2);

  // A form-made pool starts at 1000.
  TKitTimerPool formPool(nullptr);
  EXPECT_EQ(formPool.MinInterval(), 1000);
}

TEST_F(TimerPoolTest, RemovingTheLastItemStopsThePoolDisablingDoesNot) {
  TKitTimerPool pool(nullptr, 50);
  pool.Add(1, 50, nullptr);
  pool.Add(2, 50, nullptr);
  pool.ItemById(1)->SetEnabled(false);
  pool.ItemById(2)->SetEnabled(false);
  EXPECT_TRUE(pool.Active());
  EXPECT_EQ(pool.EnabledCount(), 0);
  pool.Remove(1);
  EXPECT_TRUE(pool.Active());
  pool.Remove(99);  // absent: nothing
  pool.Remove(2);
  EXPECT_FALSE(pool.Active());
  EXPECT_EQ(pool.Count(), 0);
}

TEST_F(TimerPoolTest, HandlersMayRemoveAndAddItemsDuringATick) {
  TKitTimerPool pool(nullptr, 50);
  std::vector<Word> fired;
  pool.Add(1, 50, [&](TObject*) {
    fired.push_back(1);
    pool.Remove(2);  // a later item of the same tick
    pool.Remove(1);  // itself
    pool.Add(4, 50, [&](TObject*) { fired.push_back(4); });
  });
  pool.Add(2, 50, [&](TObject*) { fired.push_back(2); });
  pool.Add(3, 50, [&](TObject*) { fired.push_back(3); });
  Run(50);
  // Item 2 went before its turn; item 4 joined after the snapshot was taken.
  EXPECT_EQ(fired, (std::vector<Word>{1, 3}));
  EXPECT_EQ(pool.Count(), 2);
  fired.clear();
  Run(50);
  EXPECT_EQ(fired, (std::vector<Word>{3, 4}));
}

TEST_F(TimerPoolTest, ATickDoesNotRunInsideItself) {
  TKitTimerPool pool(nullptr, 50);
  int depth = 0, maxDepth = 0, fired = 0;
  pool.Add(1, 50, [&](TObject*) {
    ++fired;
    maxDepth = std::max(maxDepth, ++depth);
    Run(50);  // the handler pumps while the next tick falls due
    --depth;
  });
  Run(50);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(fired, 1);
}

TEST_F(TimerPoolTest, PoolSurvivesAWindowSystemReset) {
  TKitTimerPool pool(nullptr, 50);
  pool.Add(1, 50, nullptr);
  win::ResetWindowSystem();
  win::UseManualClock(0, 0);
  int fired = 0;
  pool.Add(2, 50, [&](TObject*) { ++fired; });
  EXPECT_TRUE(win::IsWindow(pool.Handle()));
  Run(50);
  EXPECT_EQ(fired, 1);
}

TEST_F(TimerPoolTest, ApplicationClientsTakeAndFreeSlots) {
  TKitTimerPool* pool = KitApplication->TimerPool();
  EXPECT_EQ(pool->MinInterval(), 50);
  int fired = 0;
  const Word first = KitApplication->AddTimer(150, [&](TObject*) { ++fired; });
  EXPECT_EQ(first, 0xFD01);
  EXPECT_TRUE(KitApplication->TimerSlotTaken(1));
  const Word second = KitApplication->AddTimer(50, nullptr);
  EXPECT_EQ(second, 0xFD02);
  ASSERT_NE(KitApplication->GetTimerItem(first), nullptr);
  EXPECT_EQ(KitApplication->GetTimerItem(first)->Interval(), 150);
  Ticks(3);
  EXPECT_EQ(fired, 1);

  KitApplication->RemoveTimer(first);
  EXPECT_FALSE(KitApplication->TimerSlotTaken(1));
  EXPECT_EQ(KitApplication->GetTimerItem(first), nullptr);
  // The freed slot goes to the next client.
  EXPECT_EQ(KitApplication->AddTimer(100, nullptr), 0xFD01);

  // A refused interval leaves the slot free.
  EXPECT_THROW(KitApplication->AddTimer(70, nullptr), Exception);
  EXPECT_FALSE(KitApplication->TimerSlotTaken(3));
}

TEST_F(TimerPoolTest, The251stClientIsRefusedAndForeignIdsAreIgnored) {
  for (Integer i = 1; i <= kKitTimerSlots; ++i)
    ASSERT_EQ(KitApplication->AddTimer(50, nullptr), kKitTimerIdBase + i);
  EXPECT_EQ(KitApplication->AddTimer(50, nullptr), 0);
  EXPECT_EQ(KitApplication->TimerPool()->Count(), kKitTimerSlots);

  // Ids outside the client range touch neither the pool nor the slot table.
  for (Word id : {Word{0}, Word{kKitTimerIdBase}, Word{kKitTimerIdBase + kKitTimerSlots + 1}, Word{0xFFFF}})
    KitApplication->RemoveTimer(id);
  EXPECT_EQ(KitApplication->TimerPool()->Count(), kKitTimerSlots);

  KitApplication->RemoveTimer(kKitTimerIdBase + 100);
  EXPECT_EQ(KitApplication->AddTimer(50, nullptr), kKitTimerIdBase + 100);
}

}  // namespace
