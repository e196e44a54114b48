// Priority classes and thread priorities: what each pair maps to on the host, that the
// host's value follows a change and a restore, and that unknown values and handles change
// nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include "platform/win/priority.h"

namespace {

int HostNice() { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())); }

TEST(Priority, PairsMapToNiceValuesAndTheHostFollows) {
  struct Row {
    win::DWORD cls;
    int thread;
    int nice;
  };
  const Row rows[] = {
      {win::NORMAL_PRIORITY_CLASS, win::THREAD_PRIORITY_NORMAL, 0},
      {win::NORMAL_PRIORITY_CLASS, win::THREAD_PRIORITY_HIGHEST, -4},
      {win::NORMAL_PRIORITY_CLASS, win::THREAD_PRIORITY_LOWEST, 4},
      {win::IDLE_PRIORITY_CLASS, win::THREAD_PRIORITY_NORMAL, 19},
      {win::IDLE_PRIORITY_CLASS, win::THREAD_PRIORITY_TIME_CRITICAL, -20},
      {win::BELOW_NORMAL_PRIORITY_CLASS, win::THREAD_PRIORITY_ABOVE_NORMAL, 3},
      {win::HIGH_PRIORITY_CLASS, win::THREAD_PRIORITY_IDLE, 19},
      {win::HIGH_PRIORITY_CLASS, win::THREAD_PRIORITY_BELOW_NORMAL, -8},
      {win::REALTIME_PRIORITY_CLASS, win::THREAD_PRIORITY_NORMAL, -15},
      {win::REALTIME_PRIORITY_CLASS, win::THREAD_PRIORITY_HIGHEST, -19},
      {win::REALTIME_PRIORITY_CLASS, win::THREAD_PRIORITY_TIME_CRITICAL, -20},
      {0x1234, win::THREAD_PRIORITY_NORMAL, 20},
      {win::NORMAL_PRIORITY_CLASS, 7, 20},
  };
  for (const Row& r : rows) EXPECT_EQ(win::NiceOfPriority(r.cls, r.thread), r.nice) << r.cls << " " << r.thread;

  // Raised and restored (lowering nice needs the privilege this test runs with).
  ASSERT_TRUE(win::SetPriorityClass(win::GetCurrentProcess(), win::REALTIME_PRIORITY_CLASS));
  EXPECT_EQ(HostNice(), -15);
  ASSERT_TRUE(win::SetThreadPriority(win::GetCurrentThread(), win::THREAD_PRIORITY_TIME_CRITICAL));
  EXPECT_EQ(HostNice(), -20);
  EXPECT_EQ(win::GetPriorityClass(win::GetCurrentProcess()), win::REALTIME_PRIORITY_CLASS);
  EXPECT_EQ(win::GetThreadPriority(win::GetCurrentThread()), win::THREAD_PRIORITY_TIME_CRITICAL);

  // Unknown values and handles fail and change nothing.
  EXPECT_FALSE(win::SetPriorityClass(win::GetCurrentProcess(), 0x1234));
  EXPECT_FALSE(win::SetThreadPriority(win::GetCurrentThread(), 7));
  EXPECT_FALSE(win::SetPriorityClass(win::GetCurrentThread(), win::IDLE_PRIORITY_CLASS));
  EXPECT_EQ(win::GetPriorityClass(win::GetCurrentThread()), 0u);
  EXPECT_EQ(HostNice(), -20);

  ASSERT_TRUE(win::SetThreadPriority(win::GetCurrentThread(), win::THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(win::SetPriorityClass(win::GetCurrentProcess(), win::NORMAL_PRIORITY_CLASS));
  EXPECT_EQ(HostNice(), 0);
}

}  // namespace
