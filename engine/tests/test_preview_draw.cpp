// Preview drawing on a 320 x 240 canvas under the host's default view: each draw mode's
// shape and extent, the colour with and without alpha hints, the caption offset, skips.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/editor_state.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "engine/preview_draw.h"
#include "engine/projection.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/host/host.h"

namespace {

const double kPixelsPerUnit = 159.5 / (10 * std::tan(22.5 * M_PI / 180));
constexpr TColor kBlack = 0x000000;

class PreviewDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    InvalidateProjections();
    PreviewDrawMode = dmWireBoxes;
    WireframeAlphaHints = false;
    CaptionOffset = 0;
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->SetPixelFormat(pf32bit);
    bitmap_->SetSize(320, 240);
    canvas_ = bitmap_->Canvas();
    canvas_->Brush()->SetColor(kBlack);
    canvas_->FillRect(Rect(0, 0, 320, 240));
    particle_.RenderPosition = {0, 0, 0};
    particle_.Color = {1, 0.5f, 0.25f, 1};
    // 21 drawn pixels (0.6 of the projected size): the box spans (149, 109)-(170, 130).
    params_.Size = static_cast<Single>(21 / 0.6 / kPixelsPerUnit);
    params_.Alpha = 0.5f;
    params_.Color = {1, 1, 1, 1};
    params_.Options = &options_;
  }
  void TearDown() override {
    PreviewDrawMode = dmWireBoxes;
    WireframeAlphaHints = false;
    CaptionOffset = 0;
  }
  // One particle, on its own: a painter for it alone.
  void Draw() { TPreviewPainter(canvas_).PreviewDrawParticle(particle_, params_, true); }
  TColor At(int x, int y) { return canvas_->Pixels(x, y); }

  std::unique_ptr<TBitmap> bitmap_;
  TCanvas* canvas_ = nullptr;
  TParticle particle_;
  TParticleRenderParams params_;
  TParticleMapOptions options_;
};

// Red 255, green 0.5 x 255 = 127.5 -> 128, blue 63.75 -> 64.
constexpr TColor kColour = 0x4080FF;

TEST_F(PreviewDrawTest, EachDrawModeDrawsItsShape) {
  struct Probe {
    int x, y;
    bool drawn;
  };
  struct Case {
    Integer mode;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {dmWireBoxes, {{149, 119, true}, {169, 119, true}, {159, 109, true}, {159, 119, false}, {170, 119, false}}},
      {dmSolidBoxes, {{159, 119, true}, {149, 109, true}, {169, 129, true}, {170, 129, false}, {148, 119, false}}},
      // Two pixels square around (159.5, 119.5): (158, 118)-(160, 120).
      {dmDots, {{158, 118, true}, {159, 119, true}, {160, 119, false}, {157, 119, false}}},
      {dmWireCircles, {{149, 119, true}, {159, 119, false}, {150, 110, false}}},
      {dmSolidCircles, {{159, 119, true}, {149, 119, true}, {150, 110, false}}},
  };
  for (const Case& c : cases) {
    SetUp();
    PreviewDrawMode = c.mode;
    Draw();
    for (const Probe& p : c.probes)
      EXPECT_EQ(At(p.x, p.y), p.drawn ? kColour : kBlack) << "mode " << c.mode << " at " << p.x << "," << p.y;
  }
}

TEST_F(PreviewDrawTest, AlphaHintsScaleTheColourAndCaptionOffsetMovesDown) {
  PreviewDrawMode = dmSolidBoxes;
  WireframeAlphaHints = true;
  CaptionOffset = 20;
  Draw();
  // 255 x 0.5 = 127.5 -> 128; 63.75 -> 64; 31.875 -> 32.
  EXPECT_EQ(At(159, 139), TColor(0x204080));
  EXPECT_EQ(At(159, 149), TColor(0x204080));
  EXPECT_EQ(At(159, 150), kBlack);
  EXPECT_EQ(At(159, 128), kBlack);
}

TEST_F(PreviewDrawTest, SkipsParticlesBehindTheEyeOrLargerThan1024Pixels) {
  PreviewDrawMode = dmSolidBoxes;
  particle_.RenderPosition = {0, 0, 15};
  Draw();
  params_.Size = static_cast<Single>(1100 / 0.6 / kPixelsPerUnit);
  particle_.RenderPosition = {0, 0, 0};
  Draw();
  for (int y = 0; y < 240; y += 4)
    for (int x = 0; x < 320; x += 4) ASSERT_EQ(At(x, y), kBlack) << x << "," << y;
}

}  // namespace
