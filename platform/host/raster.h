#pragma once
// Flat-shaded, z-buffered raster of the scene's polyhedra into a screen buffer, seen
// through a view's camera and its eye-to-render map, so that a point projected the way a
// plug-in projects it lands on the pixel that shows it.
#include "platform/host/host_state.h"

namespace host {

// Each face gets its node's colour times 0.2 + 0.8 |cos| of the angle between its normal
// and the view direction (a light at the eye); depth is the square of the view depth.
void RasterScene(HostState& s, const View& view, int fitMode, ScreenBuffer& buffer);

}  // namespace host
