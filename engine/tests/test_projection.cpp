// Projection of known points through the host's default camera (eye at (0, 0, 10)
// looking at the origin, 45 degrees across a 320 x 240 drawport), in perspective and
// orthographic views, into the render image, and the caches' refresh rules.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/particle.h"
#include "engine/projection.h"
#include "platform/host/host.h"

namespace {

const double kTan = std::tan(22.5 * M_PI / 180);
// Square pixels: the vertical half extent is the horizontal one times 239 / 319.
const double kTanY = kTan * 239.0 / 319.0;

class ProjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    InvalidateProjections();
  }
  void TearDown() override { InvalidateProjections(); }
};

TEST_F(ProjectionTest, PerspectiveViewDividesByDepth) {
  struct Case {
    CtsxVec3f world;
    double x, y, depth;
  };
  const Case cases[] = {
      {{0, 0, 0}, 159.5, 119.5, 10},
      {{1, 0, 0}, 159.5 + 159.5 * (1 / (10 * kTan)), 119.5, 10},
      // y runs down the screen.
      {{0, 1, 0}, 159.5, 119.5 - 119.5 * (1 / (10 * kTanY)), 10},
      {{2, -1, 5}, 159.5 + 159.5 * (2 / (5 * kTan)), 119.5 + 119.5 * (1 / (5 * kTanY)), 5},
  };
  for (const Case& c : cases) {
    Single x, y, depth;
    ProjectToView(c.world, x, y, depth, true);
    EXPECT_NEAR(x, c.x, 1e-3);
    EXPECT_NEAR(y, c.y, 1e-3);
    EXPECT_NEAR(depth, c.depth, 1e-4);
  }
}

TEST_F(ProjectionTest, OrthographicViewIgnoresDepth) {
  host::Camera camera;
  camera.mode = 1;
  host::SetCamera(camera);
  // The view spans at every depth what the perspective view spans at the target.
  for (float z : {0.0f, 5.0f, -20.0f}) {
    Single x, y, depth;
    ProjectToView({1, -1, z}, x, y, depth, true);
    EXPECT_NEAR(x, 159.5 + 159.5 * (1 / (10 * kTan)), 1e-3) << z;
    EXPECT_NEAR(y, 119.5 + 119.5 * (1 / (10 * kTanY)), 1e-3) << z;
    EXPECT_EQ(depth, 1.0f);
  }
}

TEST_F(ProjectionTest, RenderImageScalesFromTheDrawport) {
  host::SetRenderSize(640, 480);
  const double s = 639.0 / 319.0;
  Single x, y, depth;
  ProjectToRender({1, 0, 0}, x, y, depth, true);
  EXPECT_NEAR(x, 319.5 + s * (159.5 * (1 / (10 * kTan))), 2e-3);
  EXPECT_NEAR(y, 239.5, 2e-3);
  EXPECT_NEAR(depth, 10, 1e-4);
}

TEST_F(ProjectionTest, CachesHoldUntilARefreshIsAsked) {
  Single x0, y0, d0, x1, y1, d1;
  ProjectToView({1, 0, 0}, x0, y0, d0, true);
  host::Camera moved;
  moved.eye = {0, 0, 20};
  host::SetCamera(moved);
  ProjectToView({1, 0, 0}, x1, y1, d1, false);
  EXPECT_EQ(x1, x0);
  EXPECT_EQ(d1, d0);
  ProjectToView({1, 0, 0}, x1, y1, d1, true);
  EXPECT_NEAR(d1, 20, 1e-4);
  EXPECT_LT(x1, x0);

  // The render map too: a new image size shows only after a refresh.
  ProjectToRender({0, 0, 0}, x0, y0, d0, true);
  host::SetRenderSize(640, 480);
  ProjectToRender({0, 0, 0}, x1, y1, d1, false);
  EXPECT_EQ(x1, x0);
  ProjectToRender({0, 0, 0}, x1, y1, d1, true);
  EXPECT_NEAR(x1, 319.5, 1e-3);
}

TEST_F(ProjectionTest, ProjectedSizeFollowsTheCameraRightVector) {
  TParticleRenderParams params;
  params.Size = 2;
  TParticle p;
  p.RenderPosition = {0, 0, 5};
  ProjectToRender(p.RenderPosition, p.Screen.x, p.Screen.y, p.Screen.z, true);
  EXPECT_NEAR(ProjectedRenderSize(p, params), 159.5 * 2 / (5 * kTan), 1e-3);
  EXPECT_NEAR(ProjectedViewSize(p, params), 159.5 * 2 / (5 * kTan), 1e-3);

  // Seen from the side (eye on +X), the right vector is world -Z: size is unchanged.
  host::Camera side;
  side.eye = {10, 0, 0};
  host::SetCamera(side);
  p.RenderPosition = {0, 0, 0};
  ProjectToRender(p.RenderPosition, p.Screen.x, p.Screen.y, p.Screen.z, true);
  EXPECT_NEAR(ProjectedRenderSize(p, params), 159.5 * 2 / (10 * kTan), 1e-3);
}

}  // namespace
