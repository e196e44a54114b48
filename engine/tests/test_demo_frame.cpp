// The demo frame, pinned byte for byte: the command-line host's demo scene (camera,
// ground, turning cube, one emitter with its default system and the example system, an
// attractor) rendered at frame 30, particles and all, in each render mode and with depth
// dithering. The hash covers every Single of the final image (R, G, B and depth).
//
// A hash changes only when what is drawn changes. Speed work must leave every one as it
// is; a meant change of the picture is said in the change and the printed hash copied.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/modifiers.h"
#include "engine/particle_renderer.h"
#include "engine/projection.h"
#include "engine/tests/render_test_support.h"
#include "platform/classlib/random.h"
#include "platform/classlib/streams.h"
#include "platform/host/host.h"

namespace {

using host::Channel;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Frame {
  std::uint64_t hash = 14695981039346656037ull;
  Integer queued = 0;
};

// Mode -1 keeps each system's own render mode.
Frame RenderDemoFrame(Integer mode, bool dithering) {
  host::Reset();
  InvalidateProjections();
  render_test::RewindRandomTable();
  RandSeed = 1513;
  DepthDithering = dithering;
  OnRenderProgress = nullptr;

  host::Camera camera;
  camera.eye = {0, 3, 12};
  camera.target = {0, 1.5f, 0};
  host::SetCamera(camera);
  host::SetRenderSize(kWidth, kHeight);
  host::NodeHandle ground = host::AddPlane("Ground", 16, 16);
  host::SetKey(ground, Channel::Rotation, 0, {-90, 0, 0});
  host::SetColor(ground, 0.35f, 0.42f, 0.35f);
  host::NodeHandle cube = host::AddCube("Cube", 1.5f);
  host::SetKey(cube, Channel::Position, 0, {2.5f, 0.75f, 1});
  host::SetKey(cube, Channel::Rotation, 0, {0, 0, 0});
  host::SetKey(cube, Channel::Rotation, 60, {0, 90, 0});
  host::SetColor(cube, 0.75f, 0.3f, 0.2f);
  host::NodeHandle node = host::AddGroup("Emitter");
  host::SetKey(node, Channel::Position, 0, {0, 0.5f, 0});

  TAttractModifier attractor;
  attractor.Node = host::AddCube("Attractor", 1);
  host::SetKey(attractor.Node, Channel::Position, 0, {0, 4, 0});
  ModifierList().Add(&attractor);

  TEmitterObject object;
  object.SetNode(node);
  object.AddSystem();
  TEmitter& example = *object.AddSystem();
  TMemoryStream file;
  file.LoadFromFile(std::string(QM_TEST_SOURCE_DIR) + "/../../examples/single_system.zks");
  Integer version = 0;
  file.ReadBuffer(&version, sizeof version);
  EXPECT_EQ(version, kRecordVersion101);
  example.LoadFromStream(file);
  if (mode >= 0)
    for (auto& entry : object.Systems) entry->System->RenderMode = mode;

  tsxAnimSetActiveTime(30);
  object.PreRoll();
  Frame frame;
  EXPECT_TRUE(render_test::RenderWith([&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    renderer.BeginRender(data);
    object.PrepareRender(renderer);
    frame.queued = static_cast<Integer>(renderer.Queue.size());
    renderer.RenderAll();
  }));
  ModifierList().Remove(&attractor);
  DepthDithering = false;

  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const host::RenderPixel p = host::ReadPixel(x, y);
      for (float f : {p.r, p.g, p.b, p.depth}) {
        unsigned char bytes[sizeof f];
        std::memcpy(bytes, &f, sizeof f);
        for (unsigned char b : bytes) frame.hash = (frame.hash ^ b) * 1099511628211ull;
      }
    }
  return frame;
}

}  // namespace

TEST(DemoFrame, EveryRenderModeGivesThePinnedImage) {
  struct Case {
    Integer mode;
    bool dithering;
    std::uint64_t hash;
  };
  const Case cases[] = {
      {rmPureAlpha, false, 0x03182f6787d7b738},   // both systems' own mode
      {rmIlluminate, false, 0x59e2f5fa3e05b0c3},  //
      {rmPaint, false, 0x03d8f88646a6954c},       //
      {rmColorAlpha, false, 0xde73c2ae2a36d68b},  //
      {-1, true, 0x440dc46b39a2ce2e},             // dithered depth test
  };
  for (const Case& c : cases) {
    const Frame frame = RenderDemoFrame(c.mode, c.dithering);
    SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.dithering ? ", dithered" : ""));
    EXPECT_GT(frame.queued, 100);
    std::printf("demo frame, mode %d%s: 0x%016llx\n", c.mode, c.dithering ? " dithered" : "",
                static_cast<unsigned long long>(frame.hash));
    EXPECT_EQ(frame.hash, c.hash);
  }
}
