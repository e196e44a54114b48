// TTsxGlobalShader: registration with the host and the post-process scanline loop.
#include <stdexcept>
#include <vector>

#include "bridge_test_support.h"
#include "hostbridge/global_shader.h"

namespace {

class GlobalShaderTest : public BridgeTest {};

struct LineCall {
  Integer x0, x1, line;
  float inRed, inDepth;
};

}  // namespace

TEST_F(GlobalShaderTest, SettingTrueTwiceRegistersOnce) {
  auto* a = new TTsxGlobalShader(&root_);
  auto* b = new TTsxGlobalShader(&root_);
  int aCalls = 0, bCalls = 0;
  a->OnPostProcess = [&](tssPostProcessData*) { ++aCalls; };
  b->OnPostProcess = [&](tssPostProcessData*) { ++bCalls; };
  a->SetPostProcessActive(true);
  EXPECT_TRUE(a->PostProcessActive());
  EXPECT_TRUE(host::PostProcessRegistered());
  b->SetPostProcessActive(true);
  // Unchanged: no binding and no registration, so b keeps the post-process stage.
  a->SetPostProcessActive(true);
  ASSERT_TRUE(host::Render(0));
  EXPECT_EQ(aCalls, 0);
  EXPECT_EQ(bCalls, 1);

  b->SetPostProcessActive(false);
  EXPECT_FALSE(b->PostProcessActive());
  EXPECT_FALSE(host::PostProcessRegistered());
}

TEST_F(GlobalShaderTest, ARefusalLeavesThePropertyAsItWas) {
  auto* s = new TTsxGlobalShader(&root_);
  host::ScriptShaderRefusal(true);
  s->SetPostProcessActive(true);
  EXPECT_FALSE(s->PostProcessActive());
  EXPECT_FALSE(host::PostProcessRegistered());

  host::ScriptShaderRefusal(false);
  s->SetPostProcessActive(true);
  EXPECT_TRUE(s->PostProcessActive());
  host::ScriptShaderRefusal(true);
  s->SetPostProcessActive(false);
  EXPECT_TRUE(s->PostProcessActive()) << "a refused unregistration keeps it on";

  // This host has no foreground or background stage: it refuses both.
  host::ScriptShaderRefusal(false);
  s->SetForegroundActive(true);
  s->SetBackgroundActive(true);
  EXPECT_FALSE(s->ForegroundActive());
  EXPECT_FALSE(s->BackgroundActive());
}

TEST_F(GlobalShaderTest, ThePostProcessEventGetsTheHostsRecord) {
  auto* s = new TTsxGlobalShader(&root_);
  host::SetRenderSize(64, 48);
  int width = 0, height = 0;
  s->OnPostProcess = [&](tssPostProcessData* d) {
    width = d->width;
    height = d->height;
  };
  int lineCalls = 0;
  s->OnRenderScanline = [&](TObject*, Integer, Integer, Integer, Single*, Single*) { ++lineCalls; };
  s->SetPostProcessActive(true);
  ASSERT_TRUE(host::Render(0));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  EXPECT_EQ(lineCalls, 0) << "no scanline loop unless RenderScanlines is set";
  EXPECT_TRUE(host::DisplayedLines().empty());
  EXPECT_EQ(s->ImageWidth(), 64);
  EXPECT_EQ(s->Region().LineCount, 48);
}

TEST_F(GlobalShaderTest, The640By480LoopReadsHandsOnWritesBackAndShowsEveryLineInOrder) {
  host::SetRenderSize(640, 480);
  host::AddCube("cube", 4);
  auto* s = new TTsxGlobalShader(&root_);
  s->SetRenderScanlines(true);
  std::vector<std::string> order;
  std::vector<LineCall> calls;
  s->OnScanlinesStart = [&](TObject* sender, Integer w, Integer h) {
    EXPECT_EQ(sender, s);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    order.push_back("start");
  };
  s->OnRenderScanline = [&](TObject*, Integer x0, Integer x1, Integer line, Single* in, Single* out) {
    calls.push_back({x0, x1, line, in[320 * 5 + 0], in[320 * 5 + 4]});
    for (int x = x0; x < x1; ++x) {
      out[x * 4 + 0] = static_cast<float>(line);
      out[x * 4 + 1] = static_cast<float>(x);
      out[x * 4 + 2] = in[x * 5 + 4] > 1e29f ? 0.0f : 1.0f;  // was geometry drawn here?
      out[x * 4 + 3] = 1.0f;
    }
  };
  s->OnScanlinesEnd = [&](TObject*) { order.push_back("end"); };
  s->SetPostProcessActive(true);
  ASSERT_TRUE(host::Render(0));

  EXPECT_EQ(order, (std::vector<std::string>{"start", "end"}));
  ASSERT_EQ(calls.size(), 480u);
  for (int y = 0; y < 480; ++y) {
    EXPECT_EQ(calls[y].line, y);
    EXPECT_EQ(calls[y].x0, 0);
    EXPECT_EQ(calls[y].x1, 640);
  }
  // The centre of the image sees the cube, the top row only background.
  EXPECT_LT(calls[240].inDepth, 1e29f);
  EXPECT_GT(calls[240].inRed, 0.0f);
  EXPECT_EQ(calls[0].inDepth, 1e30f);

  const auto& shown = host::DisplayedLines();
  ASSERT_EQ(shown.size(), 480u);
  for (int y = 0; y < 480; ++y) {
    EXPECT_EQ(shown[y].y, y);
    EXPECT_EQ(shown[y].x0, 0);
    EXPECT_EQ(shown[y].x1, 639);
    EXPECT_EQ(shown[y].lines, 480);
  }
  EXPECT_EQ(shown[7].rgba[5 * 4 + 0], 7.0f);
  EXPECT_EQ(shown[7].rgba[5 * 4 + 1], 5.0f);

  const host::RenderPixel p = host::ReadPixel(639, 479);
  EXPECT_EQ(p.r, 479.0f);
  EXPECT_EQ(p.g, 639.0f);
  EXPECT_EQ(host::ReadPixel(320, 240).b, 1.0f);
  EXPECT_EQ(host::ReadPixel(0, 0).b, 0.0f);
  EXPECT_LT(host::ReadPixel(320, 240).depth, 1e29f) << "format 4 leaves the depth alone";
}

TEST_F(GlobalShaderTest, ARegionNumbersLinesFromItsFirstRowAndEndsBeforeX1) {
  host::SetRenderSize(200, 100);
  host::SetRenderRegion(10, 20, 109, 69);
  auto* s = new TTsxGlobalShader(&root_);
  s->SetRenderScanlines(true);
  std::vector<LineCall> calls;
  s->OnRenderScanline = [&](TObject*, Integer x0, Integer x1, Integer line, Single*, Single* out) {
    calls.push_back({x0, x1, line, 0, 0});
    for (int i = 0; i < x1 - x0 + 1; ++i) out[i * 4] = 0.25f;
  };
  s->SetPostProcessActive(true);
  ASSERT_TRUE(host::Render(0));
  ASSERT_EQ(calls.size(), 50u);
  EXPECT_EQ(calls.front().line, 0);
  EXPECT_EQ(calls.back().line, 49);
  EXPECT_EQ(calls.front().x0, 10);
  EXPECT_EQ(calls.front().x1, 109);
  const auto& shown = host::DisplayedLines();
  ASSERT_EQ(shown.size(), 50u);
  EXPECT_EQ(shown[0].x0, 10);
  EXPECT_EQ(shown[0].x1, 108);
  EXPECT_EQ(shown[49].y, 49);
  EXPECT_EQ(shown[49].lines, 50);
  // Line 0 is the region's row 20, pixel 0 its column 10.
  EXPECT_EQ(host::ReadPixel(10, 20).r, 0.25f);
  EXPECT_EQ(host::ReadPixel(109, 69).r, 0.25f);
  EXPECT_NE(host::ReadPixel(9, 20).r, 0.25f);
  EXPECT_NE(host::ReadPixel(10, 19).r, 0.25f);
}

TEST_F(GlobalShaderTest, DisplayOffShowsNothingButStillWritesBack) {
  host::SetRenderSize(16, 4);
  auto* s = new TTsxGlobalShader(&root_);
  s->SetRenderScanlines(true);
  s->SetDisplayOff(true);
  s->OnRenderScanline = [&](TObject*, Integer, Integer, Integer, Single*, Single* out) { out[0] = 0.5f; };
  s->SetPostProcessActive(true);
  ASSERT_TRUE(host::Render(0));
  EXPECT_TRUE(host::DisplayedLines().empty());
  EXPECT_EQ(host::ReadPixel(0, 3).r, 0.5f);
}

TEST_F(GlobalShaderTest, LinesWiderThan8192PixelsFitTheBuffers) {
  host::SetRenderSize(9000, 2);
  auto* s = new TTsxGlobalShader(&root_);
  s->SetRenderScanlines(true);
  s->OnRenderScanline = [&](TObject*, Integer x0, Integer x1, Integer, Single* in, Single* out) {
    for (int x = x0; x < x1; ++x) out[x * 4] = in[x * 5 + 4] > 1e29f ? 0.75f : 0.0f;
  };
  s->SetPostProcessActive(true);
  ASSERT_TRUE(host::Render(0));
  EXPECT_EQ(host::ReadPixel(8999, 1).r, 0.75f);
  EXPECT_EQ(host::ReadPixel(8192, 0).r, 0.75f);
}

TEST_F(GlobalShaderTest, AnExceptionInAHandlerDoesNotReachTheHost) {
  host::SetRenderSize(8, 8);
  auto* s = new TTsxGlobalShader(&root_);
  s->SetRenderScanlines(true);
  s->OnRenderScanline = [&](TObject*, Integer, Integer, Integer line, Single*, Single*) {
    if (line == 3) throw std::runtime_error("line");
  };
  s->SetPostProcessActive(true);
  bool completed = false;
  EXPECT_NO_THROW(completed = host::Render(0));
  EXPECT_TRUE(completed);
  EXPECT_EQ(host::DisplayedLines().size(), 3u);
}

TEST_F(GlobalShaderTest, AFreedComponentIsNoLongerCalled) {
  auto* s = new TTsxGlobalShader(&root_);
  int calls = 0;
  s->OnPostProcess = [&](tssPostProcessData*) { ++calls; };
  s->SetPostProcessActive(true);
  delete s;
  EXPECT_TRUE(host::PostProcessRegistered()) << "the host keeps the registration";
  EXPECT_NO_THROW(host::Render(0));
  EXPECT_EQ(calls, 0);
}

TEST_F(GlobalShaderTest, ForegroundActionsAndBackgroundReachTheirEvents) {
  auto* s = new TTsxGlobalShader(&root_);
  std::vector<std::string> log;
  s->OnForegroundLoad = [&] { log.push_back("load"); };
  s->OnForegroundUnload = [&] { log.push_back("unload"); };
  s->OnForegroundInit = [&] { log.push_back("init"); };
  s->OnForegroundRender = [&](tssForegroundData*, tssACTION a) { log.push_back("render" + std::to_string(a)); };
  s->OnBackground = [&](tssBackgroundData*, tssACTION a) { log.push_back("background" + std::to_string(a)); };
  s->SetForegroundActive(true);  // refused by this host, but the component is bound
  s->SetBackgroundActive(true);
  for (tssACTION a = 0; a <= 5; ++a) ForegroundShaderCallback(nullptr, a);
  BackgroundShaderCallback(nullptr, 9);
  EXPECT_EQ(log, (std::vector<std::string>{"load", "unload", "init", "render3", "render4", "background9"}));
}
