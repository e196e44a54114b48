// The C calls of rendering, callbacks, scene-file chunks and the host's version.
#include <algorithm>

#include "platform/host/c_guard.h"
#include "platform/host/host_state.h"
#include "platform/host/module_loader.h"
#include "platform/host/render.h"
#include "platform/host/scene_file.h"
#include "platform/host/tsxapi.h"

using namespace host;

namespace {

ScreenBuffer* BufferOf(const void* handle) {
  ScreenBuffer* b = State().buffer.get();
  return b && reinterpret_cast<std::uintptr_t>(handle) == b->Id() ? b : nullptr;
}

// A displayed row is copied only when its range is plausible for the image.
constexpr int kMaxDisplayedPixels = 1 << 16;

}  // namespace

extern "C" {

tsxRenderData* tsxRenderGetData(void) {
  return Guarded<tsxRenderData*>(nullptr, [] {
    HostState& s = State();
    // Outside a render: the data the next render will have.
    if (!s.rendering) s.renderData = MakeRenderData(s.renderSettings, s.activeTime);
    return &s.renderData;
  });
}

int tssScreenBufferGetScanLine(tssSCREENBUFFER* buffer, int line, int format, float* pixels) {
  return Guarded(0, [&] {
    ScreenBuffer* b = BufferOf(buffer);
    return b && b->GetScanLine(line, format, pixels) ? 1 : 0;
  });
}

int tssScreenBufferSetScanLine(tssSCREENBUFFER* buffer, int line, int format, const float* pixels) {
  return Guarded(0, [&] {
    ScreenBuffer* b = BufferOf(buffer);
    return b && b->SetScanLine(line, format, pixels) ? 1 : 0;
  });
}

void tsxRenderDisplayScanline(const float* rgba, int x0, int x1, int y, int lines) {
  GuardedVoid([&] {
    DisplayedLine d{x0, x1, y, lines, {}};
    if (rgba && x1 >= x0 && x1 - x0 < kMaxDisplayedPixels)
      d.rgba.assign(rgba, rgba + static_cast<size_t>(x1 - x0 + 1) * 4);
    State().displayed.push_back(std::move(d));
  });
}

int tsxRenderCheckInterrupt(void) {
  return Guarded(0, [] { return State().interrupt.Ask(); });
}

int tsxCheckAbort(void) {
  return Guarded(0, [] {
    HostState& s = State();
    RunPump(s);
    return s.abort.Ask();
  });
}

int tsxRegisterEventCallback(int eventClass, tsxEVENT_CALLBACK callback, int enable) {
  return Guarded(0, [&] {
    HostState& s = State();
    if (!callback || eventClass < e_tsxEVENT_RENDER || eventClass > e_tsxEVENT_GENERAL) return 0;
    auto same = [&](const EventRegistration& r) { return r.eventClass == eventClass && r.callback == callback; };
    const bool present = std::any_of(s.eventCallbacks.begin(), s.eventCallbacks.end(), same);
    if (enable && !present) s.eventCallbacks.push_back(EventRegistration{eventClass, callback, s.callingPlugin});
    if (!enable) std::erase_if(s.eventCallbacks, same);
    return 1;
  });
}

int tsxRegisterExternalShader(int kind, tssSHADER_CALLBACK callback, int enable) {
  return Guarded(0, [&] {
    HostState& s = State();
    if (kind != e_tssSHADER_POSTPROCESS || s.refuseShader) return 0;
    if (enable) {
      if (!callback) return 0;
      s.postProcess = reinterpret_cast<tssPOSTPROCESS_CALLBACK>(callback);
      s.postProcessOwner = s.callingPlugin;
    } else {
      s.postProcess = nullptr;
      s.postProcessOwner = 0;
    }
    return 1;
  });
}

size_t tsxFILEread(void* buffer, size_t size, size_t count, tsxFILE* fd) {
  return Guarded<size_t>(0, [&] { return ChunkRead(State(), buffer, size, count, fd); });
}

size_t tsxFILEwrite(const void* buffer, size_t size, size_t count, tsxFILE* fd) {
  return Guarded<size_t>(0, [&] { return ChunkWrite(State(), buffer, size, count, fd); });
}

void tsxForceLeftClick(int pluginId) {
  GuardedVoid([&] { LeftClick(State(), pluginId); });
}

void tsxGetTsVersionNbrs(int* major, int* minor) {
  if (major) *major = e_tsxAPI_VERSION / 100;
  if (minor) *minor = e_tsxAPI_VERSION % 100 / 10;
}

}  // extern "C"
