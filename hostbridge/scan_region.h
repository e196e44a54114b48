#pragma once
// The part of the image the post-process scanline loop walks.
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

struct TScanRegion {
  Integer X0 = 0;
  Integer FirstLine = 0;  // always 0: the host numbers lines from the region's first row
  Integer X1 = 0;         // taken as the end after the last pixel
  Integer LineCount = 0;
};

// With the render data's region flag set: the region's x0 and x1, y1 - y0 + 1 lines.
// Otherwise (or without render data): 0, the width, and the height.
TScanRegion ScanRegionOf(Integer width, Integer height, const tsxRenderData* renderData);

// Pixels a line buffer must hold so that the host can fill it: the widest of the image
// and the region (never negative).
Integer ScanLinePixels(Integer width, const TScanRegion& region, const tsxRenderData* renderData);
