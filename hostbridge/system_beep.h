#pragma once
// The system beep (MessageBeep) the bridge gives when the host refuses to create an
// object. The window layer installs the real one with SetBeepProc; until then the
// terminal's bell on stderr stands in.
#include "platform/classlib/types.h"

using TBeepProc = void (*)(Cardinal type);

// Returns the procedure installed before; null restores the stand-in.
TBeepProc SetBeepProc(TBeepProc proc);
void SystemBeep(Cardinal type);
