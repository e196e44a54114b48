#include "platform/win/usage_counts.h"

#include "platform/win/gdi_object.h"

namespace win {

UsageCounts CurrentUsageCounts() {
  return UsageCounts{LiveWindowCount(), RegisteredClassCount(), ActiveTimerCount(),
                     InstalledHookCount(), ProcInstanceCount(), LiveObjectCount(), LoadedCursorCount()};
}

std::ostream& operator<<(std::ostream& out, const UsageCounts& c) {
  return out << "{windows " << c.windows << ", classes " << c.classes << ", timers " << c.timers << ", hooks "
             << c.hooks << ", procedure instances " << c.procInstances << ", GDI objects " << c.gdiObjects
             << ", cursors " << c.cursors << "}";
}

}  // namespace win
