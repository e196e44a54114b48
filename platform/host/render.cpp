#include "platform/host/render.h"

#include "platform/host/host_error.h"
#include "platform/host/raster.h"

namespace host {

namespace {

void RaiseRender(HostState& s, std::uint32_t code, float frame) {
  tsxEventRenderData d{code, frame};
  RaiseEvent(s, e_tsxEVENT_RENDER, &d, code);
}

}  // namespace

tsxRenderData MakeRenderData(const RenderSettings& r, float frame) {
  tsxRenderData d{};
  d.size = sizeof(tsxRenderData);
  d.frame = frame;
  d.imageWidth = r.width;
  d.imageHeight = r.height;
  d.regionFlag = r.region ? 1 : 0;
  const PixelRegion rect = r.region ? r.rect : PixelRegion{0, 0, r.width - 1, r.height - 1};
  d.regionX0 = static_cast<int16_t>(rect.x0);
  d.regionY0 = static_cast<int16_t>(rect.y0);
  d.regionX1 = static_cast<int16_t>(rect.x1);
  d.regionY1 = static_cast<int16_t>(rect.y1);
  d.fitMode = r.fitMode;
  return d;
}

namespace {

// Ends the render even when a handler leaves by an exception of the host's own.
class RenderScope {
 public:
  explicit RenderScope(HostState& s) : s_(s) { s.rendering = true; }
  ~RenderScope() { s_.rendering = false; }
  RenderScope(const RenderScope&) = delete;
  RenderScope& operator=(const RenderScope&) = delete;

 private:
  HostState& s_;
};

}  // namespace

bool RenderFrame(HostState& s, float frame) {
  if (s.rendering) throw HostError("A render is already running");
  const RenderSettings settings = s.renderSettings;
  const PixelRegion rect =
      settings.region ? settings.rect : PixelRegion{0, 0, settings.width - 1, settings.height - 1};
  // A new buffer (and handle) per render; the previous one stays until this one exists.
  auto buffer = std::make_unique<ScreenBuffer>(settings.width, settings.height, rect);
  RenderScope scope(s);
  s.activeTime = frame;
  s.scene.SetTime(frame);
  s.renderData = MakeRenderData(settings, frame);
  s.buffer = std::move(buffer);
  s.displayed.clear();

  RaiseRender(s, e_tsxRENDER_INIT, frame);
  RaiseRender(s, e_tsxRENDER_BEGIN, frame);
  RaiseRender(s, e_tsxRENDER_FRAME_START, frame);
  if (s.renderFailure != RenderFailure::None) {
    RaiseRender(s, s.renderFailure == RenderFailure::Abort ? e_tsxRENDER_ABORT : e_tsxRENDER_ERROR, frame);
    RaiseRender(s, e_tsxRENDER_END, frame);
    return false;
  }
  // Handlers of begin may have walked the scene through other frames (a pre-roll).
  s.scene.SetTime(frame);
  RasterScene(s, ActiveView(s), settings.fitMode, *s.buffer);
  if (s.postProcess) {
    tssPostProcessData data{settings.width, settings.height, reinterpret_cast<tssSCREENBUFFER*>(s.buffer->Id())};
    const tssPOSTPROCESS_CALLBACK cb = s.postProcess;
    CallingPlugin calling(s, s.postProcessOwner);
    cb(&data);
  }
  RaiseRender(s, e_tsxRENDER_FRAME_END, frame);
  RaiseRender(s, e_tsxRENDER_END, frame);
  return true;
}

}  // namespace host
