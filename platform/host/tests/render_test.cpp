// Rendering: events in order, the raster of a cube with squared depth, the post-process
// shader and its scanlines in formats 4, 5 and 6, displayed lines, scripted answers.
#include <vector>

#include "host_test_support.h"

namespace {

using host::Channel;

std::vector<uint32_t> g_codes;
tssPostProcessData g_post{};
std::vector<float> g_line;
int g_getResult = -1;

void LogRender(int, void* data) { g_codes.push_back(*static_cast<uint32_t*>(data)); }

class HostRender : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    g_codes.clear();
    g_post = {};
    g_line.clear();
    g_getResult = -1;
  }
  static int Register(tssPOSTPROCESS_CALLBACK cb) {
    return tsxRegisterExternalShader(e_tssSHADER_POSTPROCESS, reinterpret_cast<tssSHADER_CALLBACK>(cb), 1);
  }
  // Where the plug-in would put a world point in the render image.
  static void ProjectToRender(const CtsxVec3f& p, float& x, float& y) {
    CtsxTxmx3f m;
    tsxAViewGetWorld2VportTxmx(&m);
    CtsxVec3f q;
    tsxTransformVect3f(&p, &q, &m);
    int w, h;
    tsxAViewGetDrawportSize(&w, &h);
    const float hw = (w - 1) / 2.0f, hh = (h - 1) / 2.0f;
    const float vx = q.x / q.z * hw + hw, vy = q.y / q.z * hh + hh;
    const tsxRenderData* d = tsxRenderGetData();
    float a[6];
    tsxAviewGetEyeToRenderTxmx(w, h, d->imageWidth, d->imageHeight, d->fitMode, a);
    x = a[0] * vx + a[1] * vy + a[2];
    y = a[3] * vx + a[4] * vy + a[5];
  }
};

TEST_F(HostRender, CubeFacingTheCameraHasItsColourAndSquaredDepth) {
  void* cube = host::AddCube("cube", 2);
  host::SetColor(cube, 0.5f, 0.25f, 1.0f);
  ASSERT_TRUE(host::Render(0));
  const host::RenderPixel centre = host::ReadPixel(160, 120);
  EXPECT_FLOAT_EQ(centre.r, 0.5f);  // lit head-on: the full colour
  EXPECT_FLOAT_EQ(centre.g, 0.25f);
  EXPECT_FLOAT_EQ(centre.b, 1.0f);
  EXPECT_FLOAT_EQ(centre.a, 1.0f);
  EXPECT_NEAR(centre.depth, 81.0f, 1e-3f);  // the front face lies 9 units from the eye
  const host::RenderPixel corner = host::ReadPixel(0, 0);
  EXPECT_EQ(corner.r, 0.0f);
  EXPECT_EQ(corner.a, 0.0f);
  EXPECT_EQ(corner.depth, 1e30f);
}

TEST_F(HostRender, RasterAgreesWithTheProjectionPlugInsUse) {
  void* cube = host::AddCube("cube", 2);
  host::SetKey(cube, Channel::Rotation, 0, {0, 30, 0});
  host::SetRenderSize(500, 200);  // another shape than the drawport
  for (int fit : {0, 1}) {
    host::SetRenderFit(fit);
    ASSERT_TRUE(host::Render(0));
    float x, y;
    // Just inside the front face's right edge, and just outside it.
    CtsxTxmx3f m;
    tsxGNodeGetTransform(cube, &m);
    const CtsxVec3f inLocal{0.9f, 0.5f, 1}, outLocal{1.15f, 0.5f, 1};
    CtsxVec3f in, out;
    tsxTransformVect3f(&inLocal, &in, &m);
    tsxTransformVect3f(&outLocal, &out, &m);
    ProjectToRender(in, x, y);
    const host::RenderPixel pin = host::ReadPixel(static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y)));
    EXPECT_EQ(pin.a, 1.0f) << "fit " << fit;
    // The depth stored is the square of the point's view depth.
    CtsxTxmx3f w2v;
    tsxAViewGetWorld2VportTxmx(&w2v);
    CtsxVec3f q;
    tsxTransformVect3f(&in, &q, &w2v);
    EXPECT_NEAR(pin.depth, q.z * q.z, 0.05f * q.z) << "fit " << fit;
    // The front face turned 30 degrees away: 0.2 + 0.8 cos 30 of the colour.
    EXPECT_NEAR(pin.r, 0.8f * (0.2f + 0.8f * std::cos(30 * 3.14159265f / 180)), 1e-4f);
    ProjectToRender(out, x, y);
    const host::RenderPixel pout = host::ReadPixel(static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y)));
    EXPECT_EQ(pout.depth, 1e30f) << "fit " << fit;
  }
}

TEST_F(HostRender, EventsInOrderAndScriptedFailures) {
  ASSERT_EQ(tsxRegisterEventCallback(e_tsxEVENT_RENDER, LogRender, 1), 1);
  ASSERT_TRUE(host::Render(12));
  EXPECT_EQ(g_codes, (std::vector<uint32_t>{0, 1, 3, 4, 2}));
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 12);
  g_codes.clear();
  host::ScriptRenderFailure(host::RenderFailure::Abort);
  EXPECT_FALSE(host::Render(13));
  EXPECT_EQ(g_codes, (std::vector<uint32_t>{0, 1, 3, 5, 2}));
  g_codes.clear();
  host::ScriptRenderFailure(host::RenderFailure::Error);
  EXPECT_FALSE(host::Render(13));
  EXPECT_EQ(g_codes, (std::vector<uint32_t>{0, 1, 3, 6, 2}));
  g_codes.clear();
  ASSERT_EQ(tsxRegisterEventCallback(e_tsxEVENT_RENDER, LogRender, 0), 1);
  host::ScriptRenderFailure(host::RenderFailure::None);
  EXPECT_TRUE(host::Render(1));
  EXPECT_TRUE(g_codes.empty());
}

TEST_F(HostRender, APreRollInRenderBeginDoesNotMoveTheRenderedFrame) {
  void* cube = host::AddCube("cube", 2);
  host::SetKey(cube, Channel::Position, 0, {-50, 0, 0});
  host::SetKey(cube, Channel::Position, 10, {0, 0, 0});
  tsxRegisterEventCallback(e_tsxEVENT_RENDER, [](int, void* d) {
    if (*static_cast<uint32_t*>(d) == e_tsxRENDER_BEGIN)
      for (int f = 0; f < 10; ++f) tsxAnimSetActiveTimeScene(static_cast<float>(f));
  }, 1);
  ASSERT_TRUE(host::Render(10));
  EXPECT_EQ(host::ReadPixel(160, 120).a, 1.0f);
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 10);
}

void ReadRegionLine(tssPostProcessData* d) {
  g_post = *d;
  g_line.assign(20 * 5, -1.0f);
  g_getResult = tssScreenBufferGetScanLine(d->screenBuffer, 0, e_tssSCANLINE_RGBAZ, g_line.data());
  // Line 2 is image row 22; pixel 3 is image column 13.
  std::vector<float> rgba(20 * 4, 0.0f), rgbz(20 * 4, 0.0f), rgbaz(20 * 5, 0.0f);
  rgba[3 * 4 + 0] = 0.1f, rgba[3 * 4 + 1] = 0.2f, rgba[3 * 4 + 2] = 0.3f, rgba[3 * 4 + 3] = 0.4f;
  tssScreenBufferSetScanLine(d->screenBuffer, 2, e_tssSCANLINE_RGBA, rgba.data());
  rgbz[5 * 4 + 0] = 0.5f, rgbz[5 * 4 + 3] = 7.0f;
  tssScreenBufferSetScanLine(d->screenBuffer, 3, e_tssSCANLINE_RGBZ, rgbz.data());
  rgbaz[19 * 5 + 1] = 0.9f, rgbaz[19 * 5 + 3] = 0.5f, rgbaz[19 * 5 + 4] = 3.0f;
  tssScreenBufferSetScanLine(d->screenBuffer, 4, e_tssSCANLINE_RGBAZ, rgbaz.data());
  tsxRenderDisplayScanline(rgba.data(), 10, 29, 22, 5);
}

TEST_F(HostRender, PostProcessScanlinesAreRelativeToTheRegion) {
  host::SetRenderSize(64, 48);
  host::SetRenderRegion(10, 20, 29, 24);
  ASSERT_EQ(Register(ReadRegionLine), 1);
  ASSERT_TRUE(host::PostProcessRegistered());
  ASSERT_TRUE(host::Render(0));
  EXPECT_EQ(g_post.width, 64);
  EXPECT_EQ(g_post.height, 48);
  EXPECT_EQ(g_getResult, 1);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(g_line[i * 5 + 3], 0.0f);
    EXPECT_EQ(g_line[i * 5 + 4], 1e30f);
  }
  // Format 4 writes colour and alpha, keeps depth.
  host::RenderPixel p = host::ReadPixel(13, 22);
  EXPECT_FLOAT_EQ(p.r, 0.1f);
  EXPECT_FLOAT_EQ(p.b, 0.3f);
  EXPECT_FLOAT_EQ(p.a, 0.4f);
  EXPECT_EQ(p.depth, 1e30f);
  EXPECT_EQ(host::ReadPixel(12, 22).r, 0.0f);
  // Format 5 writes colour and depth, keeps alpha.
  p = host::ReadPixel(15, 23);
  EXPECT_FLOAT_EQ(p.r, 0.5f);
  EXPECT_FLOAT_EQ(p.depth, 7.0f);
  EXPECT_EQ(p.a, 0.0f);
  // Format 6 writes everything; its last pixel is the region's right column.
  p = host::ReadPixel(29, 24);
  EXPECT_FLOAT_EQ(p.g, 0.9f);
  EXPECT_FLOAT_EQ(p.a, 0.5f);
  EXPECT_FLOAT_EQ(p.depth, 3.0f);
  EXPECT_EQ(host::ReadPixel(30, 24).depth, 1e30f);  // outside the region: untouched
  ASSERT_EQ(host::DisplayedLines().size(), 1u);
  const host::DisplayedLine& shown = host::DisplayedLines()[0];
  EXPECT_EQ(shown.x0, 10);
  EXPECT_EQ(shown.x1, 29);
  EXPECT_EQ(shown.y, 22);
  EXPECT_EQ(shown.lines, 5);
  ASSERT_EQ(shown.rgba.size(), 80u);
  EXPECT_FLOAT_EQ(shown.rgba[3 * 4 + 3], 0.4f);
}

void ProbeBadCalls(tssPostProcessData* d) {
  std::vector<float> line(64 * 5);
  g_codes.push_back(tssScreenBufferGetScanLine(d->screenBuffer, 48, e_tssSCANLINE_RGBA, line.data()));
  g_codes.push_back(tssScreenBufferGetScanLine(d->screenBuffer, -1, e_tssSCANLINE_RGBA, line.data()));
  g_codes.push_back(tssScreenBufferGetScanLine(d->screenBuffer, 0, 3, line.data()));
  g_codes.push_back(tssScreenBufferSetScanLine(d->screenBuffer, 0, 7, line.data()));
  g_codes.push_back(tssScreenBufferGetScanLine(reinterpret_cast<void*>(0x99), 0, 4, line.data()));
  g_codes.push_back(tssScreenBufferGetScanLine(d->screenBuffer, 47, e_tssSCANLINE_RGBA, line.data()));
}

TEST_F(HostRender, BadScanlineRequestsAreRefused) {
  host::SetRenderSize(64, 48);
  ASSERT_EQ(Register(ProbeBadCalls), 1);
  ASSERT_TRUE(host::Render(0));
  EXPECT_EQ(g_codes, (std::vector<uint32_t>{0, 0, 0, 0, 0, 1}));
}

TEST_F(HostRender, ShaderRegistrationAnswers) {
  EXPECT_EQ(tsxRegisterExternalShader(e_tssSHADER_FOREGROUND, reinterpret_cast<tssSHADER_CALLBACK>(ReadRegionLine), 1), 0);
  EXPECT_EQ(tsxRegisterExternalShader(e_tssSHADER_BACKGROUND, reinterpret_cast<tssSHADER_CALLBACK>(ReadRegionLine), 1), 0);
  host::ScriptShaderRefusal(true);
  EXPECT_EQ(Register(ReadRegionLine), 0);
  EXPECT_FALSE(host::PostProcessRegistered());
  host::ScriptShaderRefusal(false);
  EXPECT_EQ(Register(ReadRegionLine), 1);
  EXPECT_EQ(tsxRegisterExternalShader(e_tssSHADER_POSTPROCESS, nullptr, 0), 1);
  EXPECT_FALSE(host::PostProcessRegistered());
  ASSERT_TRUE(host::Render(0));
  EXPECT_EQ(g_getResult, -1);  // no post-process ran
}

TEST_F(HostRender, InterruptAndAbortAnswerFromTheirScripts) {
  EXPECT_EQ(tsxRenderCheckInterrupt(), 0);  // unscripted: never
  host::ScriptInterrupt(2);
  EXPECT_EQ(tsxRenderCheckInterrupt(), 0);
  EXPECT_EQ(tsxRenderCheckInterrupt(), 0);
  EXPECT_EQ(tsxRenderCheckInterrupt(), 1);
  EXPECT_EQ(tsxRenderCheckInterrupt(), 1);
  EXPECT_EQ(host::InterruptCalls(), 4);
  host::ScriptAbort(0);
  EXPECT_EQ(tsxCheckAbort(), 1);
  EXPECT_EQ(tsxRenderCheckInterrupt(), 1);  // separate scripts
  host::ScriptAbort(-1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(tsxCheckAbort(), 0);
  EXPECT_EQ(host::AbortCalls(), 5);
}

TEST_F(HostRender, TheLastImageIsKept) {
  EXPECT_FALSE(host::HasRenderedImage());
  EXPECT_THROW(host::ReadPixel(0, 0), host::HostError);
  host::SetRenderSize(8, 8);
  ASSERT_TRUE(host::Render(0));
  EXPECT_TRUE(host::HasRenderedImage());
  EXPECT_EQ(host::ReadPixel(7, 7).depth, 1e30f);
  EXPECT_THROW(host::ReadPixel(8, 0), host::HostError);
  EXPECT_THROW(host::SetRenderRegion(0, 0, 8, 7), host::HostError);
}

}  // namespace
