// The emitter object's clock against the host: host time, auto-scale, the freeze frame
// and its motion, the render pre-roll and preparation, and the surfaces it samples.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/particle_renderer.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "engine/tests/engine_test_support.h"

namespace {

using host::Channel;

class EmitterObjects : public engine_test::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    OnMainStatusText = nullptr;
  }
  void TearDown() override { OnMainStatusText = nullptr; }
};

// An emitter node (a group) moving along X by one unit per frame.
host::NodeHandle MovingNode(const std::string& name, host::NodeHandle parent = nullptr) {
  host::NodeHandle n = host::AddGroup(name, parent);
  host::SetKey(n, Channel::Position, 0, {0, 0, 0});
  host::SetKey(n, Channel::Position, 100, {100, 0, 0});
  return n;
}

}  // namespace

TEST_F(EmitterObjects, HostTimeFollowsTheStartOffset) {
  TEmitterObject o;
  o.StartOffset = 5;
  o.SetHostTime(3);  // no node: nothing happens
  EXPECT_EQ(host::SceneTime(), 0);
  o.SetNode(MovingNode("E"));
  o.SetHostTime(3);
  EXPECT_EQ(host::SceneTime(), 8);
  EXPECT_EQ(CurrentSceneTime, 8);
  o.SetHostTime(-9);
  EXPECT_EQ(host::SceneTime(), 0) << "a negative host frame is taken as 0";
}

TEST_F(EmitterObjects, AutoScaleTakesTheNodeScale) {
  TEmitterObject o;
  host::NodeHandle n = host::AddGroup("E");
  host::SetKey(n, Channel::Scale, 0, {4, 9, 16});
  o.SetNode(n);
  TEmitter& e = *o.AddSystem();
  e.UpdateTransform();
  EXPECT_EQ(e.System->RateScale, 1.0f) << "all bits clear: exactly 1 whatever the scale";
  EXPECT_EQ(e.System->SizeScale, 1.0f);
  EXPECT_EQ(e.System->SpeedScale, 1.0f);
  EXPECT_EQ(e.System->LifespanScale, 1.0f);
  EXPECT_EQ(e.System->GravityScale, 1.0f);

  o.RateSizeScale = ssSize;
  o.SpeedLifeGravityScale = ssSpeed | ssGravity;
  e.UpdateTransform();
  EXPECT_EQ(e.System->RateScale, 1.0f);
  EXPECT_NEAR(e.System->SizeScale, std::sqrt(6.0), 1e-5);  // sqrt(sqrt(4 x 9))
  EXPECT_NEAR(e.System->SpeedScale, 4.0, 1e-5);            // sqrt(16)
  EXPECT_EQ(e.System->LifespanScale, 1.0f);
  EXPECT_NEAR(e.System->GravityScale, 4.0, 1e-5);

  // A reset takes no motion: previous = current at the next update.
  host::SetKey(n, Channel::Position, 10, {7, 0, 0});
  host::SetKey(n, Channel::Position, 0, {0, 0, 0});
  o.SetHostTime(0);
  e.UpdateTransform();
  o.SetHostTime(10);
  e.NeedsReset = 1;
  e.UpdateTransform();
  EXPECT_EQ(e.NeedsReset, 0);
  EXPECT_EQ(e.Emitter->PreviousMatrix.trans[0], e.Emitter->CurrentMatrix.trans[0]);
  EXPECT_NEAR(e.Emitter->CurrentMatrix.trans[0], 7, 1e-5);
}

TEST_F(EmitterObjects, AFrozenSystemStopsAndFollowsItsObject) {
  for (int offset : {0, 4}) {
    SCOPED_TRACE(offset);
    host::Reset();
    TEmitterObject o;
    o.SetNode(MovingNode("E"));
    o.StartOffset = offset;
    o.FreezeFrame = 10;  // a host frame
    TEmitter& e = *o.AddSystem();
    const int freezeLocal = 10 - offset;
    for (int i = 0; i < freezeLocal; ++i) {
      o.SetHostTime(static_cast<Single>(i));
      e.AdvanceTo(true, i);
    }
    ASSERT_EQ(e.System->CurrentTime, freezeLocal - 1);
    const std::vector<TParticle> before = e.System->Particles;
    ASSERT_GT(e.System->AliveCount, 0);

    // Without MoveWithObject nothing changes at all.
    e.AdvanceTo(false, freezeLocal + 3);
    EXPECT_EQ(e.System->CurrentTime, freezeLocal - 1);
    // With it the particles follow the node from host frame 10 to host frame 20.
    e.AdvanceTo(true, 20 - offset);
    EXPECT_EQ(e.System->CurrentTime, freezeLocal - 1) << "nothing is simulated";
    EXPECT_EQ(host::SceneTime(), 20) << "RelativeMotion leaves the host at the local frame";
    for (std::size_t i = 0; i < before.size(); ++i) {
      if (!before[i].Alive) continue;
      EXPECT_NEAR(e.System->Particles[i].RenderPosition.x, before[i].NewPosition.x + 10, 1e-3);
      EXPECT_NEAR(e.System->Particles[i].RenderPosition.y, before[i].NewPosition.y, 1e-3);
      EXPECT_EQ(e.System->Particles[i].NewPosition.x, before[i].NewPosition.x);
    }
  }

  // FreezeFrame 0 never freezes.
  TEmitterObject o;
  TEmitter& e = *o.AddSystem();
  e.AdvanceTo(true, 50);
  EXPECT_EQ(e.System->CurrentTime, 50);
}

TEST_F(EmitterObjects, SurfacesAreTheSiblingsPolyhedra) {
  host::NodeHandle root = host::AddGroup("Root");
  host::NodeHandle emitter = host::AddGroup("E", root);
  host::NodeHandle cube = host::AddCube("Cube", 2, root);
  host::NodeHandle sub = host::AddGroup("Sub", root);
  host::NodeHandle inner = host::AddCube("Inner", 1, sub);
  host::SetKey(cube, Channel::Position, 0, {10, 0, 0});
  host::AddCube("Elsewhere", 1);

  TEmitterObject o;
  o.SetNode(emitter);
  o.RefreshSurfaces();
  EXPECT_EQ(o.Surfaces, (std::vector<tsxGNODE*>{cube, inner}));

  // Points land on a face of one of them, in world space, with a unit normal.
  for (int k = 0; k < 50; ++k) {
    CtsxVec3f p, n;
    ASSERT_TRUE(o.RandomSurfacePoint(p, n));
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1, 1e-4);
    const bool onCube = std::fabs(p.x - 10) <= 1.0001f && std::fabs(p.y) <= 1.0001f && std::fabs(p.z) <= 1.0001f &&
                        (std::fabs(std::fabs(p.x - 10) - 1) < 1e-4 || std::fabs(std::fabs(p.y) - 1) < 1e-4 ||
                         std::fabs(std::fabs(p.z) - 1) < 1e-4);
    const bool onInner = std::fabs(p.x) <= 0.5001f && std::fabs(p.y) <= 0.5001f && std::fabs(p.z) <= 0.5001f;
    EXPECT_TRUE(onCube || onInner) << p.x << " " << p.y << " " << p.z;
  }

  // A top-level emitter has no parent: no surfaces, and the outputs stay as they were.
  TEmitterObject top;
  top.SetNode(host::AddGroup("Top"));
  top.Surfaces.push_back(cube);  // stale
  top.RefreshSurfaces();
  EXPECT_TRUE(top.Surfaces.empty());
  CtsxVec3f p{1, 2, 3}, n{4, 5, 6};
  EXPECT_FALSE(top.RandomSurfacePoint(p, n));
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(n.z, 6);
}

TEST_F(EmitterObjects, PreRollRefreshesSurfacesAndStepsToTheHostFrame) {
  host::NodeHandle root = host::AddGroup("Root");
  host::NodeHandle node = host::AddGroup("E", root);
  host::AddCube("Floor", 4, root);
  TEmitterObject o;
  o.SetNode(node);
  o.StartOffset = 2;
  TEmitter& a = *o.AddSystem();
  TEmitter& b = *o.AddSystem();
  a.Emitter->Shape = esSurface;
  b.Enabled = 0;
  a.System->Advance(100);  // stale state the pre-roll must reset
  b.System->Advance(100);
  tsxAnimSetActiveTime(12);
  o.PreRoll();
  EXPECT_EQ(o.Surfaces.size(), 1u) << "the surface list is filled before the steps";
  EXPECT_EQ(a.System->CurrentTime, 9) << "local frames 0 to 9";
  EXPECT_EQ(b.System->CurrentTime, -1) << "a disabled system is reset, not stepped";
  EXPECT_EQ(host::SceneTime(), 11) << "the host ends at the last frame stepped";
}

TEST_F(EmitterObjects, PrepareRenderQueuesActiveObjectsWithAStatus) {
  std::vector<std::string> status;
  OnMainStatusText = [&](const std::string& t) { status.push_back(t); };
  TEmitterObject o;
  o.SetNode(host::AddGroup("E"));
  o.StartOffset = 3;
  TEmitter& e = *o.AddSystem();
  TParticleRenderer renderer;

  tsxAnimSetActiveTime(2);  // local -1: not started
  o.PrepareRender(renderer);
  EXPECT_TRUE(status.empty());
  EXPECT_TRUE(renderer.Queue.empty());

  o.Activity->Clear();
  o.Activity->AddXY(0, 1);
  o.Activity->AddXY(5, 0);
  o.Activity->AddXY(8192, 0);
  tsxAnimSetActiveTime(9);  // local 6: inactive
  o.PrepareRender(renderer);
  EXPECT_TRUE(status.empty());

  tsxAnimSetActiveTime(6);  // local 3
  o.PrepareRender(renderer);
  EXPECT_EQ(status, (std::vector<std::string>{"Preparing animation...", ""}));
  EXPECT_EQ(e.System->CurrentTime, 3);
  EXPECT_EQ(static_cast<Integer>(renderer.Queue.size()), e.System->AliveCount);
  EXPECT_GT(e.System->AliveCount, 0);

  o.Enabled = 0;
  status.clear();
  o.PrepareRender(renderer);
  EXPECT_TRUE(status.empty());
}
