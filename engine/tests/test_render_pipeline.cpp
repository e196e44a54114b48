// A whole render with its sprites transformed on worker threads gives the render on one
// thread bit for bit: a busy queue of overlapping sprites of many sizes, flips and modes,
// with and without the dithered depth test, interrupted part-way, meeting an image that
// cannot be read, and drawing an image with a combine of its own; and the workers are
// gone with the renderer.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

#include <unistd.h>

#include "bitmaps/bitmap32.h"
#include "engine/default_image.h"
#include "engine/editor_state.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "engine/particle_renderer.h"
#include "engine/particle_system.h"
#include "engine/projection.h"
#include "engine/render_queue.h"
#include "engine/tests/engine_test_support.h"
#include "engine/tests/render_test_support.h"
#include "platform/classlib/exceptions.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Threads of this process.
std::size_t ThreadCount() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// The kernel takes a joined thread off the process's list a moment after the join
// returns; a busy machine makes that moment long. Waits (up to two seconds) for the
// count to reach Expected and answers the count then.
std::size_t SettledThreadCount(std::size_t expected) {
  std::size_t n = ThreadCount();
  for (int i = 0; i < 2000 && n != expected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    n = ThreadCount();
  }
  return n;
}

struct Outcome {
  std::vector<float> region;
  std::vector<Integer> progress;
  bool threw = false;
  Integer lastCount = 0;
  Integer workers = 0;
  std::size_t heldAfter = 0;
  std::size_t threadsWithRenderer = 0;
  std::size_t threadsAfter = 0;
};

class RenderPipeline : public engine_test::CleanImageCache {
 protected:
  void SetUp() override {
    CleanImageCache::SetUp();
    // Threads of earlier tests in this process may still be leaving.
    baseThreads_ = ThreadCount();
    for (int i = 0; i < 200; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      const std::size_t n = ThreadCount();
      if (n == baseThreads_) break;
      baseThreads_ = n;
    }
    broken_ = (fs::temp_directory_path() / ("qmpipeline" + std::to_string(::getpid()) + ".bmp")).string();
    std::ofstream(broken_, std::ios::binary) << "BM this is not a bitmap";
    std::mt19937 gen(2718);
    std::uniform_real_distribution<float> across(-2.4f, 2.4f), down(-1.7f, 1.7f), deep(-3, 3), turn(0, 360);
    const Single sizes[] = {0.02f, 0.05f, 0.11f, 0.23f, 0.47f, 0.9f};
    const Single alphas[] = {5, 2.5f, 0.6f};
    // One system a mode, each flipping its image its own way.
    for (Integer mode = 0; mode < 4; ++mode) {
      auto system = std::make_unique<TParticleSystem>();
      system->RenderMode = mode;
      system->MapSource->OptionsAt(0)->Flip = static_cast<Byte>(mode);
      for (int i = 0; i < 150; ++i) {
        const CtsxVec3f at{across(gen), down(gen), deep(gen)};
        TParticle p = engine_test::LivingParticle(*system, at, sizes[(i * 7 + mode) % 6], alphas[i % 3]);
        p.Color = {0.3f + 0.1f * mode, 1 - 0.2f * mode, 0.5f, 1};
        p.Rotation = turn(gen);
        system->Particles.push_back(p);
      }
      // A turn that is no number: the transform is degenerate, not a failure.
      system->Particles[17].Rotation = std::numeric_limits<Single>::quiet_NaN();
      // Larger than the system draws.
      system->Particles[18].Size = 40;
      systems_.push_back(std::move(system));
    }
    // A system whose only image exists but cannot be read, one particle in the middle.
    auto unreadable = std::make_unique<TParticleSystem>();
    const Integer map = unreadable->MapSource->AddMap(broken_);
    TParticle p = engine_test::LivingParticle(*unreadable, {0.3f, 0.2f, 0}, 0.2f, 5);
    p.ImageIndex = map;
    unreadable->Particles.push_back(p);
    unreadable_ = std::move(unreadable);
  }
  void TearDown() override {
    DepthDithering = false;
    OnRenderProgress = nullptr;
    std::error_code ec;
    fs::remove(broken_, ec);
    CleanImageCache::TearDown();
  }

  Outcome Render(Integer workers, int interruptAfter, bool dithering, bool unreadable) {
    host::Reset();
    host::SetRenderSize(kWidth, kHeight);
    InvalidateProjections();
    render_test::RewindRandomTable();
    host::ScriptInterrupt(interruptAfter);
    DepthDithering = dithering;
    Outcome out;
    OnRenderProgress = [&](Integer percent) { out.progress.push_back(percent); };
    const std::size_t threadsBefore = baseThreads_;
    EXPECT_TRUE(render_test::RenderWith([&](tssPostProcessData& data) {
      render_test::FillRegion(data.screenBuffer, kWidth, kHeight, 0.1f, 0.2f, 0.3f, 1e6f);
      {
        TParticleRenderer renderer;
        renderer.RenderWorkers = workers;
        // A second frame by the same renderer: its pool, parked after the first (however
        // that ended), serves again. Only the first frame's progress is kept.
        for (int frame = 0; frame < 2; ++frame) {
          renderer.BeginRender(data);
          for (const auto& system : systems_) QueueForRender(*system, renderer);
          if (unreadable) QueueForRender(*unreadable_, renderer);
          // Queued, then dead before its turn.
          systems_[1]->Particles[3].Alive = 0;
          try {
            renderer.RenderAll();
          } catch (const Exception&) {
            out.threw = true;
          }
          systems_[1]->Particles[3].Alive = 1;
          if (frame == 0) {
            out.lastCount = renderer.LastCount;
            out.workers = renderer.LastWorkers;
            OnRenderProgress = nullptr;
          }
        }
        out.heldAfter = renderer.HeldBytes();
        out.threadsWithRenderer = SettledThreadCount(threadsBefore + static_cast<std::size_t>(workers)) - threadsBefore;
      }
      out.threadsAfter = SettledThreadCount(threadsBefore) - threadsBefore;
      out.region = render_test::ReadRegion(data.screenBuffer, kWidth, kHeight);
    }));
    OnRenderProgress = nullptr;
    return out;
  }

  std::vector<std::unique_ptr<TParticleSystem>> systems_;
  std::unique_ptr<TParticleSystem> unreadable_;
  std::string broken_;
  std::size_t baseThreads_ = 0;
};

TEST_F(RenderPipeline, WorkersGiveTheSingleThreadedRenderBitForBit) {
  struct Case {
    const char* name;
    int interruptAfter;  // -1: never
    bool dithering;
    bool unreadable;
    bool customCombine;
  };
  const Case cases[] = {
      {"busy queue", -1, false, false, false},
      {"dithered depth", -1, true, false, false},
      {"interrupted part-way", 230, false, false, false},
      {"interrupted part-way, dithered", 377, true, false, false},
      {"an image that cannot be read", -1, false, true, false},
      {"an image with its own combine", -1, true, false, true},
  };
  TBitmap32* image = DefaultParticleImage();
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> combinedElsewhere{false};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.customCombine) {
      image->OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32) {
        B = F ^ 0x00FF00FF;
        if (std::this_thread::get_id() != caller) combinedElsewhere = true;
      };
      image->SetDrawMode(dmCustom);
    }
    const Outcome single = Render(0, c.interruptAfter, c.dithering, c.unreadable);
    EXPECT_EQ(single.workers, 0);
    EXPECT_EQ(single.threadsWithRenderer, 0u);
    // Each case does what it says: the queue holds 600 sprites (601 with the unreadable
    // one), the interrupt stops the loop at its call, the unreadable image throws.
    EXPECT_EQ(single.lastCount, c.unreadable ? 601 : 600);
    if (c.interruptAfter >= 0) {
      EXPECT_EQ(single.progress.size(), static_cast<std::size_t>(c.interruptAfter) + 1);
    }
    EXPECT_EQ(single.threw, c.unreadable);
    if (c.unreadable) {
      EXPECT_GT(single.progress.size(), 100u);
      EXPECT_LT(single.progress.size(), 500u);
    }
    for (Integer workers : {1, 3, 6}) {
      SCOPED_TRACE(std::to_string(workers) + " workers");
      const Outcome threaded = Render(workers, c.interruptAfter, c.dithering, c.unreadable);
      EXPECT_EQ(threaded.workers, workers);
      EXPECT_EQ(threaded.threadsWithRenderer, static_cast<std::size_t>(workers)) << "the pool waits for the next render";
      EXPECT_EQ(threaded.threadsAfter, 0u) << "the renderer's end joins its workers";
      EXPECT_EQ(threaded.heldAfter, single.heldAfter) << "the ring is freed with the render";
      EXPECT_EQ(threaded.threw, single.threw);
      EXPECT_EQ(threaded.lastCount, single.lastCount);
      EXPECT_EQ(threaded.progress, single.progress);
      ASSERT_EQ(threaded.region.size(), single.region.size());
      std::size_t differing = 0;
      for (std::size_t i = 0; i < single.region.size(); ++i)
        if (std::memcmp(&threaded.region[i], &single.region[i], sizeof(float)) != 0) ++differing;
      EXPECT_EQ(differing, 0u);
    }
    if (c.customCombine) {
      image->SetDrawMode(dmOpaque);
      image->OnPixelCombine = nullptr;
    }
  }
  EXPECT_FALSE(combinedElsewhere) << "an image's own combine runs on the calling thread only";
}

}  // namespace
