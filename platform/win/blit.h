#pragma once
// The block-transfer engine under BitBlt, StretchBlt, PatBlt and the DIB calls.
#include <cstdint>

#include "platform/win/dc.h"

namespace win {

// Where source pixels come from, and the colour that marks "background" when colour
// pixels turn monochrome (the source DC's background colour).
struct BlitSource {
  Surface surface;
  COLORREF bkColor = 0xFFFFFF;
  // A DIB (section) gives its 1-bit pixels the colours of its table; a monochrome
  // device bitmap has none, and takes the destination's text and background colours.
  bool colorTable = false;
};

// Transfers the source rectangle (surface coordinates) onto the destination rectangle
// (device coordinates) through the ternary operation `rop`, stretching with
// `stretchMode` when the sizes differ; negative sizes mirror. `src` may be null when
// the operation does not read the source. False when it needs a source and has none.
bool BlitDevice(DeviceContext& dst, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                const BlitSource* src, std::int64_t sx, std::int64_t sy, std::int64_t sw, std::int64_t sh, DWORD rop,
                int stretchMode);

}  // namespace win
