#pragma once
// Floating-point state helpers for work the host called into: the host may leave
// exception flags pending, and our own float work must not trip over them.
#include "platform/classlib/types.h"

// Clears every pending floating-point exception flag.
void ClearFpuState();
// The two halves of ClearFpuState: the x87 flags, which an unmasked exception turns into
// a trap at the next x87 instruction, and the SSE flags, which only a read of them sees.
void ClearX87State();
void ClearSseState();

// Clears the flags, then truncates toward zero. NaN and values outside the 64-bit range
// give the processor's "integer indefinite" (the lowest Int64) instead of undefined
// behaviour.
Int64 SafeTrunc(Single value);
