#include "hostbridge/global_shader.h"

#include "hostbridge/c_boundary.h"
#include "hostbridge/host_functions.h"

namespace {

struct ShaderModuleState {
  TTsxGlobalShader* postProcess = nullptr;
  TTsxGlobalShader* foreground = nullptr;
  TTsxGlobalShader* background = nullptr;
  bridge::TRegisterExternalShaderProc registerShader = nullptr;
};

// Plain pointers, set before any code runs and never torn down.
ShaderModuleState g_shaderModule;

ShaderModuleState& ShaderModule() { return g_shaderModule; }

TTsxGlobalShader*& BoundComponent(int kind) {
  ShaderModuleState& s = ShaderModule();
  if (kind == e_tssSHADER_FOREGROUND) return s.foreground;
  if (kind == e_tssSHADER_BACKGROUND) return s.background;
  return s.postProcess;
}

tssSHADER_CALLBACK CallbackOf(int kind) {
  if (kind == e_tssSHADER_FOREGROUND) return reinterpret_cast<tssSHADER_CALLBACK>(&ForegroundShaderCallback);
  if (kind == e_tssSHADER_BACKGROUND) return reinterpret_cast<tssSHADER_CALLBACK>(&BackgroundShaderCallback);
  return reinterpret_cast<tssSHADER_CALLBACK>(&PostProcessShaderCallback);
}

}  // namespace

const TClass& TTsxGlobalShader::StaticClass() {
  static const TClass cls =
      TClass::Of<TTsxGlobalShader>("TTsxGlobalShader", TComponent::StaticClass(), &TTsxGlobalShader::Publish);
  return cls;
}

void TTsxGlobalShader::Publish(TPublished& published) {
  auto p = published.For<TTsxGlobalShader>();
  p.Event("OnForegroundInit", &TTsxGlobalShader::OnForegroundInit);
  p.Event("OnForegroundLoad", &TTsxGlobalShader::OnForegroundLoad);
  p.Event("OnForegroundUnload", &TTsxGlobalShader::OnForegroundUnload);
  p.Event("OnForegroundRender", &TTsxGlobalShader::OnForegroundRender);
  p.Event("OnBackground", &TTsxGlobalShader::OnBackground);
  p.Event("OnPostProcess", &TTsxGlobalShader::OnPostProcess);
  p.Event("OnScanlinesStart", &TTsxGlobalShader::OnScanlinesStart);
  p.Event("OnRenderScanline", &TTsxGlobalShader::OnRenderScanline);
  p.Event("OnScanlinesEnd", &TTsxGlobalShader::OnScanlinesEnd);
  p.Boolean("RenderScanlines", &TTsxGlobalShader::RenderScanlines, &TTsxGlobalShader::SetRenderScanlines)
      .Default(false);
  p.Boolean("DisplayOff", &TTsxGlobalShader::DisplayOff, &TTsxGlobalShader::SetDisplayOff).Default(false);
  p.Boolean("PostProcessActive", &TTsxGlobalShader::PostProcessActive, &TTsxGlobalShader::SetPostProcessActive)
      .Default(false);
  p.Boolean("ForegroundActive", &TTsxGlobalShader::ForegroundActive, &TTsxGlobalShader::SetForegroundActive)
      .Default(false);
  p.Boolean("BackgroundActive", &TTsxGlobalShader::BackgroundActive, &TTsxGlobalShader::SetBackgroundActive)
      .Default(false);
}

TTsxGlobalShader::TTsxGlobalShader(TComponent* AOwner) : TComponent(AOwner) {
  ShaderModule().registerShader =
      reinterpret_cast<bridge::TRegisterExternalShaderProc>(bridge::FindHostFunction("tsxRegisterExternalShader"));
}

TTsxGlobalShader::~TTsxGlobalShader() {
  for (int kind : {e_tssSHADER_FOREGROUND, e_tssSHADER_BACKGROUND, e_tssSHADER_POSTPROCESS}) {
    TTsxGlobalShader*& bound = BoundComponent(kind);
    if (bound == this) bound = nullptr;
  }
}

void TTsxGlobalShader::SetPostProcessActive(bool value) {
  SetKindActive(e_tssSHADER_POSTPROCESS, postProcessActive_, value);
}

void TTsxGlobalShader::SetForegroundActive(bool value) {
  SetKindActive(e_tssSHADER_FOREGROUND, foregroundActive_, value);
}

void TTsxGlobalShader::SetBackgroundActive(bool value) {
  SetKindActive(e_tssSHADER_BACKGROUND, backgroundActive_, value);
}

void TTsxGlobalShader::SetKindActive(int kind, bool& active, bool value) {
  if (ComponentState().Contains(csDesigning) || value == active) return;
  BoundComponent(kind) = this;
  // A host without the call refuses every registration.
  const bridge::TRegisterExternalShaderProc registerShader = ShaderModule().registerShader;
  const int answer = registerShader ? registerShader(kind, CallbackOf(kind), value ? 1 : 0) : 0;
  if (answer == 1) active = value;
}

void TTsxGlobalShader::PostProcess(tssPostProcessData* data) {
  if (!data) return;
  imageWidth_ = data->width;
  imageHeight_ = data->height;
  screenBuffer_ = data->screenBuffer;
  const tsxRenderData* renderData = tsxRenderGetData();
  region_ = ScanRegionOf(imageWidth_, imageHeight_, renderData);
  if (const TPlugPostProcessEvent handler = OnPostProcess) handler(data);
  if (renderScanlines_) RunScanlines(renderData);
}

void TTsxGlobalShader::RunScanlines(const tsxRenderData* renderData) {
  // Sized to the image rather than a fixed 8192 pixels, so that wide images cannot make
  // the host write past the buffers.
  const std::size_t pixels = static_cast<std::size_t>(ScanLinePixels(imageWidth_, region_, renderData));
  outLine_.assign(pixels * 4 + 1, 0.0f);
  inLine_.assign(pixels * 5 + 1, 0.0f);
  if (const TStartScanlinesEvent handler = OnScanlinesStart) handler(this, imageWidth_, imageHeight_);
  const TPlugScanlineEvent lineHandler = OnRenderScanline;
  for (Integer y = 0; y < region_.LineCount; ++y) {
    tssScreenBufferGetScanLine(screenBuffer_, y, e_tssSCANLINE_RGBAZ, inLine_.data());
    if (lineHandler) lineHandler(this, region_.X0, region_.X1, y, inLine_.data(), outLine_.data());
    tssScreenBufferSetScanLine(screenBuffer_, y, e_tssSCANLINE_RGBA, outLine_.data());
    if (!displayOff_) tsxRenderDisplayScanline(outLine_.data(), region_.X0, region_.X1 - 1, y, region_.LineCount);
  }
  if (const TGlobalShaderEvent handler = OnScanlinesEnd) handler(this);
}

void TTsxGlobalShader::Foreground(tssForegroundData* data, tssACTION action) {
  switch (action) {
    case e_tssACTION_LOAD:
      if (const TPlugShaderEvent handler = OnForegroundLoad) handler();
      break;
    case e_tssACTION_UNLOAD:
      if (const TPlugShaderEvent handler = OnForegroundUnload) handler();
      break;
    case e_tssACTION_INIT:
      if (const TPlugShaderEvent handler = OnForegroundInit) handler();
      break;
    case e_tssACTION_RENDER:
    case e_tssACTION_RENDER_NEXT:
      if (const TPlugForegroundRenderEvent handler = OnForegroundRender) handler(data, action);
      break;
    default:
      break;
  }
}

void TTsxGlobalShader::Background(tssBackgroundData* data, tssACTION action) {
  if (const TPlugBackgroundEvent handler = OnBackground) handler(data, action);
}

void PostProcessShaderCallback(tssPostProcessData* data) {
  bridge::GuardedVoid([&] {
    if (TTsxGlobalShader* target = BoundComponent(e_tssSHADER_POSTPROCESS)) target->PostProcess(data);
  });
}

void ForegroundShaderCallback(tssForegroundData* data, tssACTION action) {
  bridge::GuardedVoid([&] {
    if (TTsxGlobalShader* target = BoundComponent(e_tssSHADER_FOREGROUND)) target->Foreground(data, action);
  });
}

void BackgroundShaderCallback(tssBackgroundData* data, tssACTION action) {
  bridge::GuardedVoid([&] {
    if (TTsxGlobalShader* target = BoundComponent(e_tssSHADER_BACKGROUND)) target->Background(data, action);
  });
}
