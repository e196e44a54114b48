#pragma once
// Runs test code inside the host's post-process stage, where a screen buffer exists.
#include <functional>
#include <vector>

#include "platform/host/tsxapi.h"

namespace render_test {

// Installs the callback (after host::Reset) and renders frame 0 with Body inside the
// post-process stage; false when the host did not finish the frame.
bool RenderWith(const std::function<void(tssPostProcessData&)>& Body);

// The random table as it is at load (drawn from seed 0), read position 0; the
// generator's seed is kept.
void RewindRandomTable();

// Every row of the buffer's region in format 5 (R, G, B, depth per pixel).
std::vector<float> ReadRegion(tssSCREENBUFFER* Buffer, int Width, int Rows);
// Sets every pixel of the region's rows to one value.
void FillRegion(tssSCREENBUFFER* Buffer, int Width, int Rows, float R, float G, float B, float Depth);
// One pixel (x, y relative to the region) of the buffer.
void ReadPixel(tssSCREENBUFFER* Buffer, int Width, int X, int Y, float Out[4]);

}  // namespace render_test
