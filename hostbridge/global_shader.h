#pragma once
// TTsxGlobalShader: joins the host's renderer as an external shader (foreground,
// background, post-process), turns the host's calls into published events, and can run a
// scanline loop over the rendered image that hands every line to a handler and writes
// the result back.
#include <functional>
#include <vector>

#include "hostbridge/scan_region.h"
#include "platform/classlib/component.h"
#include "platform/host/tsxapi.h"

using TPlugShaderEvent = std::function<void()>;
using TPlugForegroundRenderEvent = std::function<void(tssForegroundData* inForeData, tssACTION inAction)>;
using TPlugBackgroundEvent = std::function<void(tssBackgroundData* inBackData, tssACTION inAction)>;
using TPlugPostProcessEvent = std::function<void(tssPostProcessData* inPostData)>;
using TStartScanlinesEvent = std::function<void(TObject* Sender, Integer inWidth, Integer inHeight)>;
// inRGBAZ: R, G, B, A, depth per pixel; outRGBA: R, G, B, A per pixel. Pixel 0 is the
// region's left column; each holds at least the region's width.
using TPlugScanlineEvent =
    std::function<void(TObject* Sender, Integer inX0, Integer inX1, Integer line, Single* inRGBAZ, Single* outRGBA)>;
using TGlobalShaderEvent = std::function<void(TObject* Sender)>;

class TTsxGlobalShader : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTsxGlobalShader(TComponent* AOwner);
  // The host keeps its registrations; its calls then reach no component.
  ~TTsxGlobalShader() override;

  bool RenderScanlines() const { return renderScanlines_; }
  void SetRenderScanlines(bool value) { renderScanlines_ = value; }
  bool DisplayOff() const { return displayOff_; }
  void SetDisplayOff(bool value) { displayOff_ = value; }
  // Setting one registers (or unregisters) that kind with the host, and the property
  // takes the new value only when the host answers 1. Ignored at design time and when
  // the value does not change.
  bool PostProcessActive() const { return postProcessActive_; }
  void SetPostProcessActive(bool value);
  bool ForegroundActive() const { return foregroundActive_; }
  void SetForegroundActive(bool value);
  bool BackgroundActive() const { return backgroundActive_; }
  void SetBackgroundActive(bool value);

  // What the host's calls reach.
  void PostProcess(tssPostProcessData* data);
  void Foreground(tssForegroundData* data, tssACTION action);
  void Background(tssBackgroundData* data, tssACTION action);

  // Working state of the last post-process call.
  tssSCREENBUFFER* ScreenBuffer() const { return screenBuffer_; }
  Integer ImageWidth() const { return imageWidth_; }
  Integer ImageHeight() const { return imageHeight_; }
  const TScanRegion& Region() const { return region_; }

  TPlugShaderEvent OnForegroundInit, OnForegroundLoad, OnForegroundUnload;
  TPlugForegroundRenderEvent OnForegroundRender;
  TPlugBackgroundEvent OnBackground;
  TPlugPostProcessEvent OnPostProcess;
  TStartScanlinesEvent OnScanlinesStart;
  TPlugScanlineEvent OnRenderScanline;
  TGlobalShaderEvent OnScanlinesEnd;

 private:
  void SetKindActive(int kind, bool& active, bool value);
  void RunScanlines(const tsxRenderData* renderData);

  bool renderScanlines_ = false;
  bool displayOff_ = false;
  bool postProcessActive_ = false;
  bool foregroundActive_ = false;
  bool backgroundActive_ = false;
  tssSCREENBUFFER* screenBuffer_ = nullptr;
  Integer imageWidth_ = 0;
  Integer imageHeight_ = 0;
  TScanRegion region_;
  // Sized to the image on every post-process call (one spare Single at the end).
  std::vector<Single> outLine_;
  std::vector<Single> inLine_;
};

// The host callbacks of the three kinds; each forwards to the component that registered
// that kind last and lets no exception out.
void PostProcessShaderCallback(tssPostProcessData* data);
void ForegroundShaderCallback(tssForegroundData* data, tssACTION action);
void BackgroundShaderCallback(tssBackgroundData* data, tssACTION action);
