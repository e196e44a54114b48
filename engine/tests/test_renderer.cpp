// The renderer inside the host's post-process stage: skip rules, the blend of one sprite
// checked by hand, depth against the host's own render, interruption and wide images.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "bitmaps/bitmap32.h"
#include "engine/editor_state.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "engine/particle_renderer.h"
#include "engine/particle_system.h"
#include "engine/projection.h"
#include "engine/random_table.h"
#include "engine/render_queue.h"
#include "engine/tests/engine_test_support.h"
#include "engine/tests/render_test_support.h"
#include "platform/host/host.h"

using render_test::FillRegion;
using render_test::ReadPixel;
using render_test::ReadRegion;
using render_test::RenderWith;
using render_test::RewindRandomTable;

namespace {

// Default camera: eye 10 units from the origin, 45 degrees across 320 pixels, so one
// world unit at the origin spans 159.5 / (10 tan 22.5 deg) pixels.
const double kPixelsPerUnit = 159.5 / (10 * std::tan(22.5 * M_PI / 180));

// Texel of the uniform test sprite: alpha 128, red 200, green 100, blue 50.
constexpr TColor32 kTexel = 0x80C86432;

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    InvalidateProjections();
    RewindRandomTable();
    DepthDithering = false;
    OnRenderProgress = nullptr;
    sprite_.SetSize(16, 16);
    sprite_.Clear(kTexel);
  }
  void TearDown() override {
    DepthDithering = false;
    OnRenderProgress = nullptr;
  }

  // A particle at a world point, projected as queueing does, white, alpha 1.
  static TParticle ParticleAt(CtsxVec3f position) {
    TParticle p;
    p.Alive = 1;
    p.RenderPosition = position;
    p.Color = {1, 1, 1, 1};
    ProjectToRender(position, p.Screen.x, p.Screen.y, p.Screen.z, true);
    return p;
  }
  // Render parameters giving a sprite about Pixels wide at the origin's depth.
  TParticleRenderParams ParamsFor(double pixels, Single alpha = 1) {
    TParticleRenderParams params;
    params.Alpha = alpha;
    params.Color = {1, 1, 1, 1};
    params.Size = static_cast<Single>(pixels / kPixelsPerUnit);
    params.Options = &options_;
    return params;
  }
  void Prepare(TParticleRenderer& renderer, const tssPostProcessData& data, Integer mode) {
    renderer.BeginRender(data);
    renderer.Image = &sprite_;
    renderer.Mode = mode;
  }
  // Renders frame 0 of a fresh host, Body drawing in Mode over the 320 x 240 region filled
  // with the background colour at depth 1e6.
  void DrawOver(Integer mode, const std::function<void(TParticleRenderer&, tssSCREENBUFFER*)>& body,
                std::array<float, 3> background = {0, 0, 0}) {
    host::Reset();
    InvalidateProjections();
    ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
      TParticleRenderer renderer;
      Prepare(renderer, data, mode);
      FillRegion(data.screenBuffer, 320, 240, background[0], background[1], background[2], 1e6f);
      body(renderer, data.screenBuffer);
    }));
  }

  TBitmap32 sprite_;
  TParticleMapOptions options_;
};

bool Changed(const std::vector<float>& before, const std::vector<float>& after) { return before != after; }

TEST_F(RendererTest, SkipsParticlesTooSmallTooLargeOrTooFaint) {
  struct Case {
    double pixels;
    Single alpha;
    bool drawn;
  };
  const Case cases[] = {
      {0.9, 1.0f, false},    // under one pixel
      {1.5, 1.0f, true},     // just over
      {300, 1.0f, false},    // above the maximum of 256 set below
      {200, 1.0f, true},     //
      {16, 0.002f, false},   // too faint
      {16, 0.003f, true},    // faint but drawn
  };
  for (const Case& c : cases) {
    bool changed = false;
    DrawOver(rmPureAlpha, [&](TParticleRenderer& renderer, tssSCREENBUFFER* buffer) {
      renderer.MaxPixelSize = 256;
      const auto before = ReadRegion(buffer, 320, 240);
      TParticle p = ParticleAt({0, 0, 0});
      renderer.DrawParticle(p, ParamsFor(c.pixels, c.alpha));
      changed = Changed(before, ReadRegion(buffer, 320, 240));
    });
    EXPECT_EQ(changed, c.drawn) << c.pixels << " px, alpha " << c.alpha;
  }
}

TEST_F(RendererTest, SkipsParticlesBehindTheCameraAndOutsideTheRegion) {
  DrawOver(rmPureAlpha, [&](TParticleRenderer& renderer, tssSCREENBUFFER* buffer) {
    const auto before = ReadRegion(buffer, 320, 240);
    TParticle behind = ParticleAt({0, 0, 12});
    EXPECT_LT(behind.Screen.z, 0);
    renderer.DrawParticle(behind, ParamsFor(16));
    TParticle outside = ParticleAt({6, 0, 0});
    EXPECT_GT(outside.Screen.x, 340);
    renderer.DrawParticle(outside, ParamsFor(16));
    EXPECT_FALSE(Changed(before, ReadRegion(buffer, 320, 240)));
  });
}

// The rules of each mode are pinned in the blend-mode tests; here the renderer's part: the
// particle colour (1, 0.5, 0.25) times the parameter colour (0.8, 1, 0.5) is (0.8, 0.5,
// 0.125), parameter alpha 0.5 makes a texel with alpha byte 128 weigh 128 x 0.5 / 255,
// over the background (0.2, 0.4, 0.6).
TEST_F(RendererTest, ColourAndAlphaReachTheBlendAndUnknownModesBlendAsPureAlpha) {
  const double a = 128 * 0.5 / 255;
  const double bg[3] = {0.2, 0.4, 0.6};
  const double c[3] = {0.8, 0.5, 0.125};
  const double t[3] = {200 / 255.0, 100 / 255.0, 50 / 255.0};
  struct Expected {
    Integer mode;
    double rgb[3];
    float depth;
  };
  const Expected expected[] = {
      {rmColorAlpha,
       {(1 - a) * bg[0] + a * c[0] * t[0], (1 - a) * bg[1] + a * c[1] * t[1], (1 - a) * bg[2] + a * c[2] * t[2]},
       1e6f},
      // Unknown modes blend as Pure Alpha.
      {7, {(1 - a) * bg[0] + a * c[0], (1 - a) * bg[1] + a * c[1], (1 - a) * bg[2] + a * c[2]}, 1e6f},
  };
  for (const Expected& e : expected) {
    float pixel[4] = {};
    DrawOver(e.mode, [&](TParticleRenderer& renderer, tssSCREENBUFFER* buffer) {
      TParticle p = ParticleAt({0, 0, 0});
      p.Color = {1, 0.5f, 0.25f, 1};
      TParticleRenderParams params = ParamsFor(16, 0.5f);
      params.Color = {0.8f, 1, 0.5f, 1};
      renderer.DrawParticle(p, params);
      // The origin lands on (159.5, 119.5): the middle of a 16-pixel sprite.
      ReadPixel(buffer, 320, 159, 119, pixel);
    }, {0.2f, 0.4f, 0.6f});
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(pixel[k], e.rgb[k], 1e-5) << "mode " << e.mode << " channel " << k;
    EXPECT_FLOAT_EQ(pixel[3], e.depth) << "mode " << e.mode;
  }
}

TEST_F(RendererTest, PaintWritesTheReferenceDepthSoAnEqualParticleLeavesItAlone) {
  DrawOver(rmPaint, [&](TParticleRenderer& renderer, tssSCREENBUFFER* buffer) {
    TParticle p = ParticleAt({0, 0, 0});
    renderer.DrawParticle(p, ParamsFor(16));
    float first[4];
    ReadPixel(buffer, 320, 159, 119, first);
    EXPECT_FLOAT_EQ(first[3], p.Screen.z * p.Screen.z);
    EXPECT_GT(first[0], 0);

    // Same depth, another colour: the depth test refuses every pixel.
    const auto before = ReadRegion(buffer, 320, 240);
    TParticle q = p;
    q.Color = {0, 1, 0, 1};
    renderer.DrawParticle(q, ParamsFor(16));
    EXPECT_FALSE(Changed(before, ReadRegion(buffer, 320, 240)));

    // Nearer, it paints over.
    TParticle nearer = ParticleAt({0, 0, 1});
    nearer.Color = {0, 1, 0, 1};
    renderer.DrawParticle(nearer, ParamsFor(16));
    float after[4];
    ReadPixel(buffer, 320, 159, 119, after);
    EXPECT_FLOAT_EQ(after[3], nearer.Screen.z * nearer.Screen.z);
    EXPECT_FLOAT_EQ(after[0], 0);
  });
}

TEST_F(RendererTest, DepthDitheringJittersByHalfTheSizeOnlyWhenOn) {
  DrawOver(rmPureAlpha, [&](TParticleRenderer& renderer, tssSCREENBUFFER*) {
    TParticle p = ParticleAt({0, 0, 0});

    // How the jittered test draws from the table is pinned in the blend-mode tests.
    const Integer start = RandomTablePosition();
    renderer.DrawParticle(p, ParamsFor(16));
    EXPECT_EQ(RandomTablePosition(), start);

    DepthDithering = true;
    const TParticleRenderParams params = ParamsFor(16);
    renderer.DrawParticle(p, params);
    EXPECT_FLOAT_EQ(renderer.DepthJitter, params.Size * 0.5f);
    EXPECT_NE(RandomTablePosition(), start);
  });
}

TEST_F(RendererTest, FlipMirrorsTheSprite) {
  // Left half opaque, right half transparent; flipped horizontally it swaps sides.
  sprite_.Clear(0);
  sprite_.FillRect(0, 0, 8, 16, 0xFFFFFFFF);
  for (Byte flip : {Byte(0), Byte(1)}) {
    float left[4], right[4];
    DrawOver(rmPureAlpha, [&](TParticleRenderer& renderer, tssSCREENBUFFER* buffer) {
      TParticle p = ParticleAt({0, 0, 0});
      options_.Flip = flip;
      renderer.DrawParticle(p, ParamsFor(16));
      ReadPixel(buffer, 320, 154, 119, left);
      ReadPixel(buffer, 320, 165, 119, right);
    });
    EXPECT_EQ(left[0] > 0, flip == 0) << "flip " << int(flip);
    EXPECT_EQ(right[0] > 0, flip == 1) << "flip " << int(flip);
  }
}

TEST_F(RendererTest, ATurnedSpriteIsWholeAndTurnsAboutItsCentre) {
  // An opaque square 32 pixels wide over black: red is its cover.
  sprite_.Clear(0xFFFFFFFF);
  auto draw = [&](Single angle, Byte flip) {
    std::vector<float> red;
    DrawOver(rmPureAlpha, [&](TParticleRenderer& renderer, tssSCREENBUFFER* buffer) {
      TParticle p = ParticleAt({0, 0, 0});
      p.Rotation = angle;
      options_.Flip = flip;
      renderer.DrawParticle(p, ParamsFor(32));
      const std::vector<float> region = ReadRegion(buffer, 320, 240);
      for (std::size_t i = 0; i < region.size(); i += 4) red.push_back(region[i]);
    });
    return red;
  };
  auto centre = [](const std::vector<float>& red) {
    double x = 0, y = 0, sum = 0;
    for (std::size_t i = 0; i < red.size(); ++i) sum += red[i], x += red[i] * (i % 320), y += red[i] * (i / 320);
    return std::pair{x / sum, y / sum};
  };
  const std::pair<Single, Byte> cases[] = {{0, 3}, {30, 0}, {45, 1}, {90, 2}, {180, 0}, {-30, 3}};
  for (const auto& [angle, flip] : cases) {
    SCOPED_TRACE(testing::Message() << angle << " degrees, flip " << int(flip));
    const auto [cx, cy] = centre(draw(0, flip));
    const std::vector<float> turned = draw(angle, flip);
    // Centred where the unturned sprite is, within the pixel over which sampling fades an edge.
    const auto [tx, ty] = centre(turned);
    EXPECT_NEAR(tx, cx, 1);
    EXPECT_NEAR(ty, cy, 1);
    // Turned back (counter-clockwise on the screen), a pixel's offset from the centre lies
    // well inside the upright square (covered) or well outside it (untouched).
    const double a = angle * M_PI / 180;
    int wrong = 0;
    for (std::size_t i = 0; i < turned.size(); ++i) {
      const double dx = double(i % 320) - cx, dy = double(i / 320) - cy;
      const double u = std::abs(std::cos(a) * dx - std::sin(a) * dy), v = std::abs(std::sin(a) * dx + std::cos(a) * dy);
      wrong += (u < 13 && v < 13 && turned[i] < 0.99f) || ((u > 18 || v > 18) && turned[i] != 0);
    }
    EXPECT_EQ(wrong, 0);
  }
}

// Three particles of one system at depths 12, 10 and 8, left to right.
class RenderAllTest : public RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    system_ = std::make_unique<TParticleSystem>();
    const CtsxVec3f positions[] = {{2, 0, 2}, {-2, 0, -2}, {0, 0, 0}};
    for (const CtsxVec3f& at : positions) system_->Particles.push_back(engine_test::LivingParticle(*system_, at, 0.4f, 1));
  }
  std::unique_ptr<TParticleSystem> system_;
};

TEST_F(RenderAllTest, DrawsFarToNearReportsProgressAndEmptiesTheQueue) {
  std::vector<Integer> progress;
  OnRenderProgress = [&](Integer percent) { progress.push_back(percent); };
  ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    renderer.BeginRender(data);
    QueueForRender(*system_, renderer);
    ASSERT_EQ(renderer.Queue.size(), 3u);
    EXPECT_EQ(system_->Particles[1].Owner, system_.get());
    EXPECT_EQ(system_->Particles[1].Slot, 1);
    TDepthSortScratch scratch;
    SortFarToNear(renderer.Queue, scratch);
    EXPECT_EQ(renderer.Queue[0], &system_->Particles[1]);
    EXPECT_EQ(renderer.Queue[2], &system_->Particles[0]);
    renderer.RenderAll();
    EXPECT_TRUE(renderer.Queue.empty());
    EXPECT_EQ(renderer.LastCount, 3);
    EXPECT_EQ(renderer.Work, nullptr);
  }));
  EXPECT_EQ(progress, (std::vector<Integer>{33, 66, 100}));
}

TEST_F(RenderAllTest, HoldsTheRegionCopyOnlyWhileItRenders) {
  host::SetRenderSize(1280, 720);
  InvalidateProjections();
  const std::size_t row = 1280 * 4 * sizeof(float);
  std::size_t during = 0;
  ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    OnRenderProgress = [&](Integer) { during = std::max(during, renderer.HeldBytes()); };
    renderer.BeginRender(data);
    QueueForRender(*system_, renderer);
    renderer.RenderAll();
    EXPECT_LE(renderer.HeldBytes(), row) << "idle: one scratch row at most";
  }));
  EXPECT_GE(during, 720 * row);
}

TEST_F(RenderAllTest, InvisibleAndDeadParticlesAreNotQueuedOrDrawn) {
  system_->Particles[0].Alive = 0;
  // Visibility is a step curve: 0 from 50 % of the life on.
  system_->Visibility->Clear();
  system_->Visibility->AddXY(0, 1);
  system_->Visibility->AddXY(50, 0);
  system_->Visibility->AddXY(100, 0);
  system_->Particles[1].Birth = system_->CurrentTime - 8;  // 80 % of its life
  ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    renderer.BeginRender(data);
    QueueForRender(*system_, renderer);
    ASSERT_EQ(renderer.Queue.size(), 1u);
    EXPECT_EQ(renderer.Queue[0], &system_->Particles[2]);
  }));
}

TEST_F(RenderAllTest, AnInterruptKeepsTheRowsAlreadyBlended) {
  std::vector<float> rendered;
  const auto centre = [](const TParticle& p) {
    return std::pair<int, int>(static_cast<int>(std::lround(p.Screen.x)), static_cast<int>(std::lround(p.Screen.y)));
  };
  host::ScriptInterrupt(2);
  ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
    FillRegion(data.screenBuffer, 320, 240, 0, 0, 0, 1e6f);
    TParticleRenderer renderer;
    renderer.BeginRender(data);
    QueueForRender(*system_, renderer);
    renderer.RenderAll();
    renderer.DisplayRegion();
  }));
  // Far (left) and middle particles were drawn, the near one was not reached.
  const auto [fx, fy] = centre(system_->Particles[1]);
  const auto [mx, my] = centre(system_->Particles[2]);
  const auto [nx, ny] = centre(system_->Particles[0]);
  EXPECT_GT(host::ReadPixel(fx, fy).r, 0);
  EXPECT_GT(host::ReadPixel(mx, my).r, 0);
  EXPECT_EQ(host::ReadPixel(nx, ny).r, 0);
  // The whole region is still shown.
  int shown = 0;
  for (const auto& line : host::DisplayedLines())
    if (line.x0 == 0 && line.x1 == 319 && line.lines == 239) ++shown;
  EXPECT_EQ(shown, 240);
}

// A cube in front of the left half of the particles hides them from the host's depth.
class HostSceneTest : public RendererTest {
 protected:
  // Renders the scene and returns the final R channel of every pixel.
  std::vector<float> RenderScene(bool withParticles) {
    host::Reset();
    InvalidateProjections();
    RewindRandomTable();
    host::NodeHandle cube = host::AddCube("Cube", 4);
    host::SetKey(cube, host::Channel::Position, 0, {-2.5f, 0, 4});
    host::SetColor(cube, 0.1f, 0.1f, 0.1f);
    TParticleSystem system;
    for (float x : {-1.5f, 1.5f}) {
      TParticle p;
      p.Alive = 1;
      p.Alpha = 5;  // the image options' alpha is 0.2
      p.Size = 0.4f;
      p.Lifespan = 10;
      p.Birth = system.CurrentTime;
      p.Color = {1, 1, 1, 1};
      p.RenderPosition = {x, 0, 0};
      system.Particles.push_back(p);
    }
    EXPECT_TRUE(RenderWith([&](tssPostProcessData& data) {
      TParticleRenderer renderer;
      renderer.BeginRender(data);
      if (withParticles) QueueForRender(system, renderer);
      renderer.RenderAll();
    }));
    hidden_ = system.Particles[0].Screen;
    shown_ = system.Particles[1].Screen;
    std::vector<float> red;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) red.push_back(host::ReadPixel(x, y).r);
    return red;
  }
  CtsxVec3f hidden_{}, shown_{};
};

TEST_F(HostSceneTest, TheHostsGeometryHidesParticlesBehindIt) {
  const std::vector<float> scene = RenderScene(false);
  const std::vector<float> withParticles = RenderScene(true);
  const auto at = [](const std::vector<float>& red, const CtsxVec3f& s) {
    return red[static_cast<size_t>(std::lround(s.y)) * 320 + static_cast<size_t>(std::lround(s.x))];
  };
  EXPECT_EQ(at(withParticles, hidden_), at(scene, hidden_));
  EXPECT_GT(at(withParticles, shown_), at(scene, shown_) + 0.1f);
  // Every pixel left of the screen centre (the cube's side) is as the host drew it.
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 150; ++x) ASSERT_EQ(withParticles[y * 320 + x], scene[y * 320 + x]) << x << "," << y;
}

TEST_F(HostSceneTest, TheSameRenderTwiceGivesIdenticalBuffers) {
  const std::vector<float> first = RenderScene(true);
  const std::vector<float> second = RenderScene(true);
  EXPECT_EQ(first, second);
  DepthDithering = true;
  const std::vector<float> third = RenderScene(true);
  const std::vector<float> fourth = RenderScene(true);
  EXPECT_EQ(third, fourth);
}

TEST_F(RendererTest, RendersIntoImagesWiderThan2560Pixels) {
  host::SetRenderSize(3000, 100);
  TParticle p;
  ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    Prepare(renderer, data, rmPureAlpha);
    FillRegion(data.screenBuffer, 3000, 100, 0, 0, 0, 1e6f);
    p = ParticleAt({3.87f, 0, 0});
    ASSERT_GT(p.Screen.x, 2800);
    renderer.DrawParticle(p, ParamsFor(2));
  }));
  EXPECT_GT(host::ReadPixel(static_cast<int>(std::lround(p.Screen.x)), static_cast<int>(p.Screen.y)).r, 0);
}

TEST_F(RendererTest, BlendsInRegionCoordinatesAndClipsToTheRegion) {
  host::SetRenderRegion(100, 50, 161, 189);
  ASSERT_TRUE(RenderWith([&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    Prepare(renderer, data, rmPureAlpha);
    EXPECT_EQ(renderer.Region.x1, 100);
    EXPECT_EQ(renderer.Region.y2, 189);
    FillRegion(data.screenBuffer, 62, 140, 0, 0, 0, 1e6f);
    TParticle p = ParticleAt({0, 0, 0});
    renderer.DrawParticle(p, ParamsFor(16));
    float inside[4], edge[4];
    // Image pixel (159, 119) is region pixel (59, 69); the sprite runs past the right edge.
    ReadPixel(data.screenBuffer, 62, 59, 69, inside);
    ReadPixel(data.screenBuffer, 62, 61, 69, edge);
    EXPECT_GT(inside[0], 0);
    EXPECT_GT(edge[0], 0);
  }));
}

TEST(RenderQueueSort, PutsLargerDepthsFirstForAnyMixOfValues) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> depth(-50, 5000);
  std::vector<TParticle> particles(5000);
  for (size_t i = 0; i < particles.size(); ++i) particles[i].Screen.z = i % 7 == 0 ? 10.0f : depth(gen);
  particles[3].Screen.z = -0.0f;
  particles[4].Screen.z = 0.0f;
  std::vector<TParticle*> queue;
  for (TParticle& p : particles) queue.push_back(&p);
  TDepthSortScratch scratch;
  SortFarToNear(queue, scratch);
  for (size_t i = 1; i < queue.size(); ++i) ASSERT_GE(queue[i - 1]->Screen.z, queue[i]->Screen.z) << i;
  std::vector<TParticle*> sorted = queue;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_EQ(sorted.size(), particles.size());
}

}  // namespace

// Keys taken at queueing give the order the depths give, to the reference; keys that do
// not go with the queue are passed over for the depths.
TEST(RenderQueueSort, KeysFromQueueingGiveTheSameOrder) {
  std::vector<TParticle> particles(3000);
  for (size_t i = 0; i < particles.size(); ++i) particles[i].Screen.z = static_cast<Single>((i * 7919) % 613) - 20.5f;
  std::vector<TParticle*> byDepth, byKeys, shortKeys;
  std::vector<std::uint32_t> keys;
  for (TParticle& p : particles) {
    byDepth.push_back(&p);
    keys.push_back(FarFirstKey(p.Screen.z));
  }
  byKeys = shortKeys = byDepth;
  TDepthSortScratch scratch;
  SortFarToNear(byDepth, scratch);
  SortFarToNear(byKeys, keys, scratch);
  // Far to near on its own account, not only the same as the other form.
  EXPECT_TRUE(std::is_sorted(byKeys.begin(), byKeys.end(),
                             [](const TParticle* a, const TParticle* b) { return a->Screen.z > b->Screen.z; }));
  EXPECT_EQ(byKeys, byDepth);
  keys.pop_back();
  SortFarToNear(shortKeys, keys, scratch);
  EXPECT_EQ(shortKeys, byDepth);
  EXPECT_EQ(byDepth.front()->Screen.z, 591.5f);
  EXPECT_EQ(byDepth.back()->Screen.z, -20.5f);
}
