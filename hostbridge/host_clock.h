#pragma once
// The host's clock, called with the floating-point state cleared on both sides, as every
// call into the host is.
#include "platform/classlib/types.h"

// The host's current frame.
Single HostTime();
// Moves the scene (the objects' evaluation time) to Frame.
void SetHostSceneTime(Single Frame);
