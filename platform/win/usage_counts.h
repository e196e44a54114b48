#pragma once
// How much of the window system's tables is in use: a module that is unloaded must leave
// each count where it found it.
#include <ostream>

namespace win {

struct UsageCounts {
  int windows = 0;         // live windows, the desktop not counted
  int classes = 0;         // registered window classes
  int timers = 0;          // window and thread timers
  int hooks = 0;           // installed hooks
  int procInstances = 0;   // procedure instances in use
  int gdiObjects = 0;      // live GDI objects, stock objects not counted
  int cursors = 0;         // cursors loaded from modules
  bool operator==(const UsageCounts&) const = default;
};

UsageCounts CurrentUsageCounts();
std::ostream& operator<<(std::ostream& out, const UsageCounts& c);

// The parts, each kept by its own table.
int LiveWindowCount();
int RegisteredClassCount();
int ActiveTimerCount();
int InstalledHookCount();
int ProcInstanceCount();
int LoadedCursorCount();

}  // namespace win
