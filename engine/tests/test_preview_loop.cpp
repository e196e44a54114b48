// The preview loop: its pre-roll, its stop conditions, the frame cap on the manual
// clock, the status line, and a whole run against the host's view.
#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/preview_draw.h"
#include "engine/preview_loop.h"
#include "platform/classlib/canvas.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

class PreviewLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    win::UseManualClock(1000, 1);
    Running = false;
    Rewind = false;
    AnimateObjects = false;
    EmitterObjects.clear();
    OnMainStatusText = [this](const std::string& t) { main.push_back(t); };
    OnControlStatusText = [this](const std::string& t) { control.push_back(t); };
    OnPreviewFrame = nullptr;
  }
  void TearDown() override {
    win::SetTestKeyState(win::VK_ESCAPE, false);
    win::UseRealClock();
    host::SetPump(nullptr);
    EmitterObjects.clear();
    OnMainStatusText = nullptr;
    OnControlStatusText = nullptr;
    OnPreviewFrame = nullptr;
    Running = false;
  }

  // An object with one system under a moving node.
  TEmitter& Object(Integer startOffset) {
    node = host::AddGroup("E");
    host::SetKey(node, host::Channel::Position, 0, {0, 0, 0});
    host::SetKey(node, host::Channel::Position, 100, {100, 0, 0});
    object.SetNode(node);
    object.StartOffset = startOffset;
    EmitterObjects.push_back(&object);
    return *object.AddSystem();
  }

  win::HWND ViewWindowFor(int view, win::DWORD style) {
    win::WNDCLASS existing;
    if (!win::GetClassInfo(nullptr, "QmPreviewView", &existing)) {
      win::WNDCLASS wc;
      wc.lpfnWndProc = &win::DefWindowProc;
      wc.lpszClassName = "QmPreviewView";
      win::RegisterClass(&wc);
    }
    win::HWND w = win::CreateWindow("QmPreviewView", "view", style, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    host::SetViewWindow(w, view);
    return w;
  }

  host::NodeHandle node = nullptr;
  TEmitterObject object;
  std::vector<std::string> main, control;
};

}  // namespace

TEST_F(PreviewLoop, PreRollStepsLocalFramesUpToTheHostFrame) {
  TEmitter& e = Object(10);
  tsxAnimSetActiveTime(40);
  AnimateObjects = true;
  std::vector<float> polled;
  host::SetPump([&] { polled.push_back(host::SceneTime()); });
  PrepareAnimation();
  std::vector<float> expected;
  for (int host = 10; host < 40; ++host) expected.push_back(static_cast<float>(host));
  EXPECT_EQ(polled, expected) << "local frames 0 to 29, each set on the host before it is stepped";
  EXPECT_EQ(e.System->CurrentTime, 29);
  EXPECT_EQ(PreviewTime, 40);
  EXPECT_TRUE(Running);
  EXPECT_EQ(main, (std::vector<std::string>{"Preparing animation...", ""}));

  // Without Animate Objects the host stays where it is; the same frames are stepped.
  AnimateObjects = false;
  polled.clear();
  tsxAnimSetActiveTime(40);
  PrepareAnimation();
  EXPECT_EQ(polled, std::vector<float>(30, 40.0f));
  EXPECT_EQ(e.System->CurrentTime, 29);
}

TEST_F(PreviewLoop, EscDuringThePreRollStopsItAndTheLoop) {
  TEmitter& e = Object(0);
  tsxAnimSetActiveTime(40);
  int calls = 0;
  host::SetPump([&] {
    if (++calls == 5) win::SetTestKeyState(win::VK_ESCAPE, true);
  });
  PrepareAnimation();
  EXPECT_EQ(e.System->CurrentTime, 4) << "frames 0 to 4 stepped, then Esc was seen";

  const int before = calls;
  Running = true;
  StartAnimation();
  EXPECT_EQ(calls, before) << "Esc is seen before the host is asked";
  EXPECT_FALSE(Running);
  EXPECT_EQ(PreviewTime, 40) << "no frame was ticked";
  EXPECT_EQ(ViewCanvas, nullptr) << "the view is released";
  EXPECT_TRUE(control.empty());

  // Rewind stops the same way.
  win::SetTestKeyState(win::VK_ESCAPE, false);
  Rewind = true;
  EXPECT_TRUE(ShouldStopAnimation());
  Rewind = false;
  host::ScriptAbort(0);
  EXPECT_TRUE(ShouldStopAnimation()) << "the host's abort";
}

TEST_F(PreviewLoop, FrameRateIsCappedOnTheManualClock) {
  std::vector<Integer> markers;
  OnPreviewFrame = [&](Integer f) { markers.push_back(f); };
  PreviewTime = 0;
  FrameCount = 0;
  StartTicks = win::GetTickCount();
  const win::DWORD start = StartTicks;
  for (int i = 0; i < 30; ++i) AnimationFrameTick();
  const win::DWORD elapsed = win::GetTickCount() - start;
  // 30 frames at under 30.25 per second take at least 992 ms (30000 / 30.25 = 991.7).
  EXPECT_GE(elapsed, 992u);
  EXPECT_LE(elapsed, 996u) << "and the wait ends as soon as the rate allows";
  EXPECT_EQ(PreviewTime, 30);
  ASSERT_EQ(markers.size(), 30u);
  EXPECT_EQ(markers.front(), 0);
  EXPECT_EQ(markers.back(), 29);
  EXPECT_TRUE(main.empty()) << "no status line before the 31st frame";
}

TEST_F(PreviewLoop, StatusLineEveryThirtyFirstFrame) {
  EXPECT_EQ(PreviewStatusText(7, 30.04, 45), " 7 p - 30.0 fps - frame 045");
  EXPECT_EQ(PreviewStatusText(0, 29.96, 5), " 0 p - 30.0 fps - frame 005");
  EXPECT_EQ(PreviewStatusText(12345, 8.24, 1234), " 12345 p - 8.2 fps - frame 1234");

  PreviewTime = 44;
  ParticleCount = 7;
  FrameCount = 30;
  StartTicks = win::GetTickCount() - 2000;
  AnimationFrameTick();
  ASSERT_EQ(main.size(), 1u);
  EXPECT_TRUE(std::regex_match(main[0], std::regex(R"( 7 p - 15\.\d fps - frame 045)"))) << main[0];
  EXPECT_EQ(control, main) << "the control window shows the same text";
  EXPECT_EQ(FrameCount, 0);
  EXPECT_EQ(StartTicks + 1, win::GetTickCount()) << "the count starts again now";
}

TEST_F(PreviewLoop, AnObjectNotYetStartedIsNeitherAdvancedNorDrawn) {
  TEmitter& e = Object(10);
  PreviewTime = 5;
  AdvanceObjectPreview(object);
  EXPECT_EQ(e.System->CurrentTime, -1);
  e.System->Advance(3);  // particles that must not show before the start
  ASSERT_GT(e.System->AliveCount, 0);
  ParticleCount = 0;
  DrawObjectPreview(object);
  EXPECT_EQ(ParticleCount, 0);

  PreviewTime = 16;
  AdvanceObjectPreview(object);
  EXPECT_EQ(e.System->CurrentTime, 6);
  DrawObjectPreview(object);
  EXPECT_EQ(ParticleCount, e.System->AliveCount);
  ParticleCount = 0;
  e.Enabled = 0;
  DrawObjectPreview(object);
  EXPECT_EQ(ParticleCount, 0);
}

TEST_F(PreviewLoop, SurfacesAreRefreshedBeforeThePreRollAndEachAdvance) {
  host::NodeHandle root = host::AddGroup("Root");
  host::NodeHandle emitter = host::AddGroup("E", root);
  object.SetNode(emitter);
  TEmitter& e = *object.AddSystem();
  host::AddCube("Floor", 4, root);
  tsxAnimSetActiveTime(3);
  PreRollSystem(e);
  EXPECT_EQ(object.Surfaces.size(), 1u);
  host::AddCube("Wall", 4, root);  // added while the preview runs
  PreviewTime = 4;
  AdvanceObjectPreview(object);
  EXPECT_EQ(object.Surfaces.size(), 2u);
  EXPECT_EQ(e.System->CurrentTime, 4);
}

TEST_F(PreviewLoop, RunsFramesOnTheActiveViewUntilTheHostAborts) {
  Object(0);
  const win::HWND first = ViewWindowFor(0, win::WS_OVERLAPPED | win::WS_CAPTION);
  host::Camera camera;
  const int second = host::AddView(camera, 320, 240);
  const win::HWND other = ViewWindowFor(second, win::WS_OVERLAPPED | win::WS_CAPTION | win::WS_SYSMENU);
  int calls = 0;
  bool firstBound = false;
  host::SetPump([&] {
    ++calls;
    if (calls == 3) {
      firstBound = ViewWindow == first && ViewCanvas != nullptr;
      EXPECT_EQ(CaptionOffset, win::GetSystemMetrics(win::SM_CYCAPTION)) << "caption without a system menu";
      host::SetActiveView(second);
    }
  });
  host::ScriptAbort(12);
  Running = true;
  StartAnimation();
  EXPECT_TRUE(firstBound);
  EXPECT_EQ(ViewWindow, other) << "drawing moved to the new active view";
  EXPECT_EQ(CaptionOffset, 0);
  EXPECT_EQ(ViewCanvas, nullptr);
  EXPECT_FALSE(Running);
  EXPECT_GT(PreviewTime, 0);
  EXPECT_GT(object.Systems[0]->System->AliveCount, 0);
  win::DestroyWindow(first);
  win::DestroyWindow(other);
}

TEST_F(PreviewLoop, AStopDuringThePreRollThatFreesObjectsEndsItWithoutTouchingThem) {
  TEmitter& first = Object(0);
  auto second = std::make_unique<TEmitterObject>();
  second->SetNode(node);
  second->AddSystem();
  second->AddSystem();
  EmitterObjects.push_back(second.get());
  tsxAnimSetActiveTime(20);
  int calls = 0;
  host::SetPump([&] {
    // The editor's Stop, then a host delete of the object being pre-rolled.
    if (++calls == 25) {
      Running = false;
      EmitterObjects.pop_back();
      second.reset();
    }
  });
  Running = true;
  PrepareAnimation();
  EXPECT_FALSE(Running) << "a stopped pre-roll does not start the preview";
  EXPECT_EQ(calls, 25) << "no step after the stop";
  EXPECT_EQ(first.System->CurrentTime, 19);
  EXPECT_EQ(main, (std::vector<std::string>{"Preparing animation...", ""}));
}
