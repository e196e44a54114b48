#pragma once
// The curve editor's toolbar glyphs (16 x 16, drawn in code): unzoom, then zoom out and
// in along Y, then along X.
class TKitImageList;

inline constexpr int kChartImageUnzoom = 0;
inline constexpr int kChartImageYOut = 1;
inline constexpr int kChartImageYIn = 2;
inline constexpr int kChartImageXOut = 3;
inline constexpr int kChartImageXIn = 4;

// Adds one masked item holding the five glyphs to `List`.
void FillChartToolImages(TKitImageList* List);
