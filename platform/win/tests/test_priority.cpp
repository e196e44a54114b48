// Priority classes and thread priorities: the host nice value of each pair; unknown ones change nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <tuple>

#include "platform/win/priority.h"

namespace {

int HostNice() { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())); }

TEST(Priority, PairsSetTheHostNiceValueAndUnknownOnesChangeNothing) {
  if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -20) != 0)
    GTEST_SKIP() << "lowering the nice value needs a privilege this run lacks";
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 0);
  const win::HANDLE process = win::GetCurrentProcess(), thread = win::GetCurrentThread();
  // A class for the process or a priority for the thread; taken; the nice value then in force.
  const std::tuple<win::HANDLE, int, bool, int> rows[] = {
      {process, win::REALTIME_PRIORITY_CLASS, true, -15}, {thread, win::THREAD_PRIORITY_HIGHEST, true, -19},
      {process, win::IDLE_PRIORITY_CLASS, true, 15},      {thread, win::THREAD_PRIORITY_LOWEST, true, 19},
      {process, 0x1234, false, 19},                       {thread, 7, false, 19},
      {thread, win::THREAD_PRIORITY_TIME_CRITICAL, true, -20}, {thread, win::THREAD_PRIORITY_IDLE, true, 19},
      {process, win::NORMAL_PRIORITY_CLASS, true, 19},    {thread, win::THREAD_PRIORITY_NORMAL, true, 0}};
  for (const auto& [handle, value, taken, nice] : rows) {
    EXPECT_EQ(handle == process ? win::SetPriorityClass(handle, value) : win::SetThreadPriority(handle, value), taken)
        << value;
    EXPECT_EQ(HostNice(), nice) << value;
  }
  EXPECT_FALSE(win::SetPriorityClass(thread, win::IDLE_PRIORITY_CLASS)) << "not the process's handle";
  EXPECT_EQ(win::GetPriorityClass(thread), 0u);
  EXPECT_EQ(HostNice(), 0);
}

}  // namespace
