#pragma once
// The engine's table of 512 random Singles, drawn from the process-wide generator once
// at load. The renderer's depth dither reads it in turn; the tools' strength jitter
// reads it by frame, so that one frame gives every particle the same value.
#include "platform/classlib/types.h"

inline constexpr Integer kRandomTableSize = 512;

// Read position 0; entry 0 first, 512 successive float draws of the generator.
void BuildRandomTable();
// The entry at the read position, then the position moves on (wrapping at 512).
Single NextTableRandom();
// Entry round(Frame) mod 512, taken into the table for negative frames; entry 0 for a
// frame that is not finite.
Single TableRandomAtFrame(Single Frame);
// Entry Index mod 512, taken into the table for negative indices.
Single RandomTableEntry(Integer Index);
Integer RandomTablePosition();
// The 512 entries, and the read position moved on by Count: for a loop that reads Count
// entries in turn from RandomTablePosition() without a call per entry.
const Single* RandomTableEntries();
void AdvanceRandomTable(Integer Count);
