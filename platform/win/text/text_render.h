#pragma once
// Placing and drawing one run of text on a DC: reference point and alignment, glyph
// masks (turned with the font's escapement), background cell, underline and strike-out.
// While the DC records a path the run adds its outlines to the path instead.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/win/dc.h"
#include "platform/win/text/font_object.h"

namespace win::text {

struct DPoint {
  double x = 0;
  double y = 0;
};

// Calls `span(y, x0, x1)` for the pixels whose centres lie inside the polygon (even-odd),
// only for rows and columns inside `box`; x1 is exclusive.
void FillPolygonSpans(const std::vector<DPoint>& poly, const RECT& box,
                      const std::function<void(int y, int x0, int x1)>& span);

// Where a run lies on the device: the baseline start of its first glyph and the
// directions along and down the baseline (device axes, y down).
struct RunFrame {
  DPoint origin;
  DPoint along;
  DPoint down;
  DPoint At(double a, double d) const {
    return {origin.x + a * along.x + d * down.x, origin.y + a * along.y + d * down.y};
  }
};

// The advance of each character: `dx` when given, else the font's advance plus `extra`.
std::vector<int> RunAdvances(FontObject& font, std::string_view text, const int* dx, int extra);

// The frame of a run of width `total` whose reference point is the device point `ref`,
// placed by the TA_ flags in `align`.
RunFrame PlaceRun(const FontObject& font, DPoint ref, int total, UINT align);

struct RunOptions {
  std::optional<RECT> clip;    // device rectangle the run is clipped to (ETO_CLIPPED)
  bool opaqueCell = false;     // fill the cell behind the text with the background colour
};

// Draws the run (or records it into the DC's open path).
void RenderRun(DeviceContext& dc, FontObject& font, const RunFrame& frame, std::string_view text,
               const std::vector<int>& advances, const RunOptions& opt);

// A line under the text from `along0` for `length` pixels at the font's underline place
// (accelerator marks of DrawText).
void RenderUnderline(DeviceContext& dc, FontObject& font, const RunFrame& frame, int along0, int length,
                     const std::optional<RECT>& clip);

// Fills a device rectangle with a colour through the DC's clip, ignoring ROP2.
void FillDeviceRect(DeviceContext& dc, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                    COLORREF c, const std::optional<RECT>& clip);

}  // namespace win::text
