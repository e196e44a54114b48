#pragma once
// One rendered frame: the render events, the raster of the scene through the active view,
// the post-process shader, and the final buffer kept for reading.
#include "platform/host/host_state.h"

namespace host {

// The render data record of the given settings.
tsxRenderData MakeRenderData(const RenderSettings& r, float frame);

// Events in order: init, begin, frame start, then (abort or error when scripted, and the
// render stops there) raster and post-process, frame end; end in every case.
// True when the frame was completed.
bool RenderFrame(HostState& s, float frame);

}  // namespace host
