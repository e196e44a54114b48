#include "hostbridge/scan_region.h"

#include <algorithm>

TScanRegion ScanRegionOf(Integer width, Integer height, const tsxRenderData* renderData) {
  TScanRegion r;
  if (renderData && renderData->regionFlag != 0) {
    r.X0 = renderData->regionX0;
    r.X1 = renderData->regionX1;
    r.LineCount = renderData->regionY1 - renderData->regionY0 + 1;
  } else {
    r.X0 = 0;
    r.X1 = width;
    r.LineCount = height;
  }
  return r;
}

Integer ScanLinePixels(Integer width, const TScanRegion& region, const tsxRenderData* renderData) {
  Int64 pixels = std::max<Int64>(0, width);
  pixels = std::max<Int64>(pixels, static_cast<Int64>(region.X1) - region.X0 + 1);
  if (renderData) pixels = std::max<Int64>(pixels, renderData->imageWidth);
  // Render data holds 16-bit region coordinates and an image width the host allocated.
  return static_cast<Integer>(std::min<Int64>(pixels, 1 << 24));
}
