// Views: the projection maps plug-ins read, line lists drawn into the view's pixels,
// refresh with the plug-in objects' draw callbacks, and the input pump.
#include <cstring>
#include <functional>

#include "host_test_support.h"
#include "platform/host/views.h"
#include "recording_type.h"

namespace {

class HostView : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    RecordingType::Clear();
  }
  // Perspective, 90 degrees, eye at (0, 0, 10) looking at the origin, 201 x 101 pixels.
  static void WideCamera(int mode = e_tsxVIEW_PERSPECTIVE) {
    host::Camera c;
    c.fovDegrees = 90;
    c.mode = mode;
    host::SetCamera(c);
    host::SetDrawportSize(201, 101);
  }
  static void Pixel(const CtsxVec3f& world, float& x, float& y, float& depth) {
    CtsxTxmx3f m;
    ASSERT_EQ(tsxAViewGetWorld2VportTxmx(&m), 1);
    CtsxVec3f q;
    tsxTransformVect3f(&world, &q, &m);
    int w, h;
    tsxAViewGetDrawportSize(&w, &h);
    const float hw = (w - 1) / 2.0f, hh = (h - 1) / 2.0f;
    const float z = (tsxAViewGetViewMode() == 0 || tsxAViewGetViewMode() == 4) ? q.z : 1.0f;
    x = q.x / z * hw + hw;
    y = q.y / z * hh + hh;
    depth = q.z;
  }
};

TEST_F(HostView, WorldToViewportPutsKnownPointsOnKnownPixels) {
  WideCamera();
  float x, y, d;
  Pixel({0, 0, 0}, x, y, d);
  EXPECT_FLOAT_EQ(x, 100);
  EXPECT_FLOAT_EQ(y, 50);
  EXPECT_FLOAT_EQ(d, 10);
  Pixel({5, 0, 0}, x, y, d);  // half way to the edge of a 90 degree view at depth 10
  EXPECT_NEAR(x, 150, 1e-4);
  Pixel({0, 2, 0}, x, y, d);  // up in the world is up on the screen: y falls
  EXPECT_NEAR(y, 30, 1e-4);
  Pixel({5, 0, 5}, x, y, d);  // nearer, so further out
  EXPECT_NEAR(x, 200, 1e-4);
  EXPECT_FLOAT_EQ(d, 5);

  WideCamera(1);  // orthographic: no division by depth
  Pixel({5, 0, 5}, x, y, d);
  EXPECT_NEAR(x, 150, 1e-4);
  EXPECT_FLOAT_EQ(d, 5);
}

TEST_F(HostView, EyeToWorldIsTheCameraFrame) {
  host::Camera c;
  c.eye = {3, 4, 10};
  c.target = {3, 4, 0};
  host::SetCamera(c);
  CtsxTxmx3f e2w;
  ASSERT_EQ(tsxAViewGetEye2WorldTxmx(&e2w), 1);
  CtsxVec3f out;
  const CtsxVec3f ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1}, o{0, 0, 0};
  tsxRotateVect3f(&ex, &out, &e2w);
  EXPECT_TRUE(VecNear(out, {1, 0, 0}));  // right
  tsxRotateVect3f(&ey, &out, &e2w);
  EXPECT_TRUE(VecNear(out, {0, -1, 0}));  // down
  tsxRotateVect3f(&ez, &out, &e2w);
  EXPECT_TRUE(VecNear(out, {0, 0, -1}));  // forward
  tsxTransformVect3f(&o, &out, &e2w);
  EXPECT_TRUE(VecNear(out, c.eye));
}

TEST_F(HostView, EyeToRenderScalesAboutTheCentres) {
  float m[6];
  ASSERT_EQ(tsxAviewGetEyeToRenderTxmx(201, 101, 401, 301, 0, m), 1);  // width spans width
  const float fitWidth[6] = {2, 0, 0, 0, 2, 50};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(m[i], fitWidth[i]) << i;
  ASSERT_EQ(tsxAviewGetEyeToRenderTxmx(201, 101, 401, 301, 1, m), 1);  // height spans height
  const float fitHeight[6] = {3, 0, -100, 0, 3, 0};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(m[i], fitHeight[i]) << i;
  ASSERT_EQ(tsxAviewGetEyeToRenderTxmx(320, 240, 320, 240, 0, m), 1);
  const float same[6] = {1, 0, 0, 0, 1, 0};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(m[i], same[i]) << i;
  EXPECT_EQ(tsxAviewGetEyeToRenderTxmx(1, 100, 100, 100, 0, m), 0);
  EXPECT_EQ(tsxAviewGetEyeToRenderTxmx(100, 100, 0, 100, 0, m), 0);
}

class HostLinelist : public HostView {
 protected:
  void SetUp() override {
    HostView::SetUp();
    // Orthographic, 1 world unit per pixel: (x, y, 0) lands on pixel (x + 10, 10 - y).
    host::Camera c;
    c.fovDegrees = 90;
    c.mode = 1;
    host::SetCamera(c);
    host::SetDrawportSize(21, 21);
  }
  static bool Is(int x, int y, tsxPEN pen) { return host::ViewPixel(x, y) == host::PenColor(pen); }
};

TEST_F(HostLinelist, BreaksStartNewPolylinesAndMinusOneEnds) {
  const CtsxVec3f v[] = {{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {-5, 5, 0}, {-5, 0, 0}, {-9, -9, 0}};
  const int32_t idx[] = {0, 1, 2, -2, 3, 4, -1, 5, 0};  // nothing after -1 is read
  const CtsxTxmx3f m = IdentityMx();
  tsxAViewSetPen(e_tsxPEN_GREEN);
  ASSERT_NE(tsxAViewDrawLinelist(&m, v, 6, idx, 0), 0);
  EXPECT_TRUE(Is(10, 10, e_tsxPEN_GREEN));  // both ends drawn
  EXPECT_TRUE(Is(12, 10, e_tsxPEN_GREEN));
  EXPECT_TRUE(Is(15, 10, e_tsxPEN_GREEN));
  EXPECT_TRUE(Is(15, 7, e_tsxPEN_GREEN));
  EXPECT_TRUE(Is(15, 5, e_tsxPEN_GREEN));
  EXPECT_TRUE(Is(5, 5, e_tsxPEN_GREEN));
  EXPECT_TRUE(Is(5, 8, e_tsxPEN_GREEN));
  EXPECT_TRUE(Is(10, 5, e_tsxPEN_BACKGROUND));  // 2 and 3 are not joined
  EXPECT_TRUE(Is(1, 19, e_tsxPEN_BACKGROUND));  // vertex 5 lies after the end
  EXPECT_TRUE(Is(7, 12, e_tsxPEN_BACKGROUND));
}

TEST_F(HostLinelist, MatrixAndClippingAndBadIndices) {
  const CtsxVec3f v[] = {{-100, 0, 0}, {100, 0, 0}};
  const int32_t idx[] = {0, 1, -1};
  CtsxTxmx3f m = IdentityMx();
  m.trans[1] = 3;  // the object's transform moves the line up by 3
  tsxAViewSetPen(e_tsxPEN_BLUE);
  ASSERT_NE(tsxAViewDrawLinelist(&m, v, 2, idx, 0), 0);
  for (int x = 0; x < 21; ++x) EXPECT_TRUE(Is(x, 7, e_tsxPEN_BLUE)) << x;
  EXPECT_TRUE(Is(10, 10, e_tsxPEN_BACKGROUND));
  const int32_t bad[] = {0, 2, -1};
  EXPECT_EQ(tsxAViewDrawLinelist(&m, v, 2, bad, 0), 0);
  const int32_t negative[] = {0, -3, -1};
  EXPECT_EQ(tsxAViewDrawLinelist(&m, v, 2, negative, 0), 0);
  EXPECT_EQ(tsxAViewDrawLinelist(&m, v, 2, idx, 42), 0);  // no such view
  EXPECT_EQ(tsxAViewDrawLinelist(&m, nullptr, 2, idx, 0), 0);
}

TEST_F(HostView, LinesBehindTheEyeAreCutAtTheNearPlane) {
  WideCamera();
  // From in front of the camera to far behind it: only the visible part is drawn.
  const CtsxVec3f v[] = {{0, 0, 0}, {0, 0, 50}};
  const int32_t idx[] = {0, 1, -1};
  const CtsxTxmx3f m = IdentityMx();
  tsxAViewSetPen(e_tsxPEN_RED);
  ASSERT_NE(tsxAViewDrawLinelist(&m, v, 2, idx, 0), 0);
  EXPECT_EQ(host::ViewPixel(100, 50), host::PenColor(e_tsxPEN_RED));
  EXPECT_EQ(host::ViewPixel(0, 0), host::PenColor(e_tsxPEN_BACKGROUND));
}

TEST_F(HostView, RefreshDrawsPolyhedraAndCallsDrawCallbacksByMode) {
  WideCamera();
  const int type = RecordingType::Define();
  void* g = host::AddGroup("g");
  tsxSOBJ* o = RecordingType::Create(type, "o");
  host::AddCube("cube", 2);
  tsxAViewRefresh();
  ASSERT_EQ(RecordingType::drawModes, std::vector<int>{e_tsxDRAW_SCENE});
  EXPECT_EQ(RecordingType::drawArgs, std::vector<int>{1});
  // The object's line from (-1, 0, 0) to (1, 0, 0), red; the cube's front edge, black.
  EXPECT_EQ(host::ViewPixel(105, 50), host::PenColor(e_tsxPEN_RED));
  float edgeX = 100 + 100 * 1.0f / 9.0f;  // x = 1 at depth 9
  EXPECT_EQ(host::ViewPixel(static_cast<int>(std::nearbyint(edgeX)), 45), host::PenColor(e_tsxPEN_SCENE));
  tsxSelectSobj(o);
  tsxAViewRefresh();
  EXPECT_EQ(RecordingType::drawModes.back(), e_tsxDRAW_SELECTED);
  (void)g;

  const int second = host::AddView(host::Camera{}, 64, 48);
  RecordingType::drawArgs.clear();
  tsxAllViewsRefresh();
  EXPECT_EQ(RecordingType::drawArgs, (std::vector<int>{1, second}));
}

TEST_F(HostView, ActiveViewAndWindowHandles) {
  EXPECT_NE(tsxGetMainViewHwnd(), nullptr);
  host::SetMainViewClosed(true);
  EXPECT_EQ(tsxGetMainViewHwnd(), nullptr);
  host::SetMainViewClosed(false);
  const tsxHWND first = tsxAViewGetHwnd();
  host::Camera c;
  c.mode = 2;
  const int v2 = host::AddView(c, 64, 48);
  host::SetActiveView(v2);
  EXPECT_NE(tsxAViewGetHwnd(), first);
  EXPECT_EQ(tsxAViewGetViewMode(), 2);
  int w = 0, h = 0;
  tsxAViewGetDrawportSize(&w, &h);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  host::SetViewWindow(reinterpret_cast<tsxHWND>(0xABC0));
  EXPECT_EQ(tsxAViewGetHwnd(), reinterpret_cast<tsxHWND>(0xABC0));
  EXPECT_THROW(host::SetActiveView(99), host::HostError);
}

TEST_F(HostView, RefreshAndAbortChecksRunThePumpOnceEach) {
  static int pumped = 0;
  pumped = 0;
  host::SetPump([] {
    ++pumped;
    tsxCheckAbort();  // input handlers may call the host again: no second pump
    tsxAViewRefresh();
  });
  tsxAViewRefresh();
  EXPECT_EQ(pumped, 1);
  tsxCheckAbort();
  EXPECT_EQ(pumped, 2);
  tsxAllViewsRefresh();
  tsxRenderCheckInterrupt();
  EXPECT_EQ(pumped, 2);
}

// The host keeps the maps between calls; each kind of change must show in the next answer.
TEST_F(HostView, KeptMapsFollowEveryChangeOfCameraAndDrawport) {
  struct Change {
    const char* what;
    std::function<void(host::Camera&, int&, int&)> edit;
    bool otherView;  // the change comes with switching to a new view
  };
  const Change changes[] = {
      {"eye moved", [](host::Camera& c, int&, int&) { c.eye.x += 1.5f; }, false},
      {"target moved", [](host::Camera& c, int&, int&) { c.target.y -= 2.0f; }, false},
      {"up turned", [](host::Camera& c, int&, int&) { c.up = {1, 1, 0}; }, false},
      {"field of view", [](host::Camera& c, int&, int&) { c.fovDegrees = 30; }, false},
      {"orthographic", [](host::Camera& c, int&, int&) { c.mode = 1; }, false},
      {"wider", [](host::Camera&, int& w, int&) { w = 401; }, false},
      {"taller", [](host::Camera&, int&, int& h) { h = 301; }, false},
      {"other view", [](host::Camera& c, int& w, int&) { c.eye.z = 4; w = 64; }, true},
  };
  auto same = [](const CtsxTxmx3f& a, const CtsxTxmx3f& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  for (const Change& ch : changes) {
    SCOPED_TRACE(ch.what);
    host::Camera c;
    c.eye = {2, 3, 12};
    c.mode = e_tsxVIEW_PERSPECTIVE;
    int w = 201, h = 101;
    host::SetActiveView(1);
    host::SetCamera(c);
    host::SetDrawportSize(w, h);
    CtsxTxmx3f before, beforeEye, after, afterEye;
    ASSERT_EQ(tsxAViewGetWorld2VportTxmx(&before), 1);
    ASSERT_EQ(tsxAViewGetEye2WorldTxmx(&beforeEye), 1);
    ch.edit(c, w, h);
    if (ch.otherView) {
      host::SetActiveView(host::AddView(c, w, h));
    } else {
      host::SetCamera(c);
      host::SetDrawportSize(w, h);
    }
    ASSERT_EQ(tsxAViewGetWorld2VportTxmx(&after), 1);
    ASSERT_EQ(tsxAViewGetEye2WorldTxmx(&afterEye), 1);
    EXPECT_FALSE(same(after, before));
    EXPECT_TRUE(same(after, host::WorldToViewport(c, w, h)));
    EXPECT_TRUE(same(afterEye, host::EyeToWorld(c)));
  }
}

}  // namespace
