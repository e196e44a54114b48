// Priority classes and thread priorities: the nice value each pair gives the host; unknown
// values and handles fail and change nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <tuple>

#include "platform/win/priority.h"

namespace {

int HostNice() { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())); }

TEST(Priority, PairsSetTheHostNiceValueAndUnknownOnesChangeNothing) {
  const win::HANDLE process = win::GetCurrentProcess(), thread = win::GetCurrentThread();
  // A class for the process or a priority for the thread; taken; the nice value then in force.
  const std::tuple<win::HANDLE, int, bool, int> rows[] = {
      {process, win::REALTIME_PRIORITY_CLASS, true, -15},     {thread, win::THREAD_PRIORITY_HIGHEST, true, -19},
      {process, win::HIGH_PRIORITY_CLASS, true, -14},         {thread, win::THREAD_PRIORITY_LOWEST, true, -6},
      {process, win::IDLE_PRIORITY_CLASS, true, 19},          {thread, win::THREAD_PRIORITY_TIME_CRITICAL, true, -20},
      {process, 0x1234, false, -20},                          {thread, 7, false, -20},
      {process, win::BELOW_NORMAL_PRIORITY_CLASS, true, -20}, {thread, win::THREAD_PRIORITY_IDLE, true, 19},
      {process, win::NORMAL_PRIORITY_CLASS, true, 19},        {thread, win::THREAD_PRIORITY_ABOVE_NORMAL, true, -2},
      {thread, win::THREAD_PRIORITY_NORMAL, true, 0}};
  for (const auto& [handle, value, taken, nice] : rows) {
    EXPECT_EQ(handle == process ? win::SetPriorityClass(handle, value) : win::SetThreadPriority(handle, value), taken) << value;
    EXPECT_EQ(HostNice(), nice) << value;
  }
  EXPECT_FALSE(win::SetPriorityClass(thread, win::IDLE_PRIORITY_CLASS)) << "not the process's handle";
  EXPECT_EQ(win::GetPriorityClass(thread), 0u);
  EXPECT_EQ(HostNice(), 0);
}

}  // namespace
