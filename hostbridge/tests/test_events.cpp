// TTsEvents: what is registered with the host, and which event a host call raises.
#include <stdexcept>
#include <string>
#include <vector>

#include "bridge_test_support.h"
#include "hostbridge/ts_events.h"

namespace {

std::vector<int> RegisteredClasses() {
  std::vector<int> classes;
  for (const host::EventRegistration& r : host::State().eventCallbacks) {
    EXPECT_EQ(r.callback, &HostEventCallback);
    classes.push_back(r.eventClass);
  }
  return classes;
}

// Every event of the component logs its name.
void LogAll(TTsEvents& e, std::vector<std::string>& log) {
  auto render = [&log](const char* name) { return [&log, name](tsxEventRenderData*) { log.push_back(name); }; };
  auto mouse = [&log](const char* name) { return [&log, name](tsxEventMouseData*) { log.push_back(name); }; };
  auto plain = [&log](const char* name) { return [&log, name] { log.push_back(name); }; };
  e.OnRenderInit = render("RenderInit");
  e.OnRenderBegin = render("RenderBegin");
  e.OnRenderEnd = render("RenderEnd");
  e.OnRenderFrameStart = render("RenderFrameStart");
  e.OnRenderFrameEnd = render("RenderFrameEnd");
  e.OnRenderAbort = render("RenderAbort");
  e.OnRenderError = render("RenderError");
  e.OnMouseMessage = mouse("MouseMessage");
  e.OnMouseEvent = mouse("MouseEvent");
  e.OnMouseDrag = mouse("MouseDrag");
  e.OnViewEvent = [&log](tsxEventViewMsgData*) { log.push_back("ViewEvent"); };
  e.OnAppStart = plain("AppStart");
  e.OnAppClose = plain("AppClose");
  e.OnSceneClose = plain("SceneClose");
  e.OnSceneNew = plain("SceneNew");
  e.OnSceneLoad = plain("SceneLoad");
}

class EventsTest : public BridgeTest {};

}  // namespace

TEST_F(EventsTest, RegistersTheSelectedClassesGeneralRenderMouseViewAndUnregistersAll) {
  auto* e = new TTsEvents(&root_);
  e->SetEvents({peViewMsg, peRender, peGeneral, peMouse});
  EXPECT_TRUE(RegisteredClasses().empty()) << "changing Events while inactive registers nothing";
  e->SetActive(true);
  EXPECT_TRUE(e->Active());
  EXPECT_EQ(RegisteredClasses(),
            (std::vector<int>{e_tsxEVENT_GENERAL, e_tsxEVENT_RENDER, e_tsxEVENT_MOUSE, e_tsxEVENT_VIEWMSG}));
  EXPECT_EQ(BoundEventDispatch(), e);

  e->SetEvents({peRender});
  EXPECT_EQ(RegisteredClasses(), std::vector<int>{e_tsxEVENT_RENDER}) << "a new selection is registered anew";
  e->SetActive(false);
  EXPECT_FALSE(e->Active());
  EXPECT_TRUE(RegisteredClasses().empty());
}

TEST_F(EventsTest, DesignTimeIgnoresActive) {
  TComponent designer(nullptr);
  designer.SetDesigning(true);
  auto* e = new TTsEvents(&designer);
  e->SetEvents({peRender});
  e->SetActive(true);
  EXPECT_FALSE(e->Active());
  EXPECT_TRUE(RegisteredClasses().empty());
}

TEST_F(EventsTest, EachClassAndSubCodeRaisesItsEvent) {
  auto* e = new TTsEvents(&root_);
  std::vector<std::string> log;
  LogAll(*e, log);
  e->SetEvents({peRender, peMouse, peViewMsg, peGeneral});
  e->SetActive(true);

  for (std::uint32_t code = 0; code <= 7; ++code) host::RaiseEvent(e_tsxEVENT_RENDER, code);
  EXPECT_EQ(log, (std::vector<std::string>{"RenderInit", "RenderBegin", "RenderEnd", "RenderFrameStart",
                                           "RenderFrameEnd", "RenderAbort", "RenderError"}))
      << "render sub-code 7 raises nothing";
  log.clear();
  for (std::uint32_t code = 0; code <= 4; ++code) host::RaiseEvent(e_tsxEVENT_MOUSE, code);
  EXPECT_EQ(log, (std::vector<std::string>{"MouseMessage", "MouseEvent", "MouseDrag"}));
  log.clear();
  host::RaiseEvent(e_tsxEVENT_VIEWMSG, 0x200);
  host::RaiseEvent(e_tsxEVENT_VIEWMSG, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"ViewEvent", "ViewEvent"}));
  log.clear();
  for (std::uint32_t code = 0; code <= 5; ++code) host::RaiseEvent(e_tsxEVENT_GENERAL, code);
  EXPECT_EQ(log, (std::vector<std::string>{"AppStart", "AppClose", "SceneClose", "SceneNew", "SceneLoad"}))
      << "general sub-code 2 is OnSceneClose, 3 OnSceneNew";
  log.clear();
  e->Dispatch(9, nullptr);
  int unknown = 0;
  e->Dispatch(9, &unknown);
  EXPECT_TRUE(log.empty());
}

TEST_F(EventsTest, TheHandlerGetsTheHostsRecordUnchanged) {
  auto* e = new TTsEvents(&root_);
  float frame = -1;
  tsxEventRenderData* seen = nullptr;
  e->OnRenderBegin = [&](tsxEventRenderData* d) {
    seen = d;
    frame = d->frame;
  };
  e->SetEvents({peRender});
  e->SetActive(true);
  tsxEventRenderData d{e_tsxRENDER_BEGIN, 12.5f};
  HostEventCallback(e_tsxEVENT_RENDER, &d);
  EXPECT_EQ(seen, &d);
  EXPECT_EQ(frame, 12.5f);

  ASSERT_TRUE(host::Render(3));
  EXPECT_EQ(frame, 3.0f) << "a real render raises render-begin with its frame";
}

TEST_F(EventsTest, OnlyTheLastRegisteredComponentReceivesEvents) {
  auto* first = new TTsEvents(&root_);
  auto* second = new TTsEvents(&root_);
  int a = 0, b = 0;
  first->OnSceneNew = [&] { ++a; };
  second->OnSceneNew = [&] { ++b; };
  first->SetEvents({peGeneral});
  second->SetEvents({peGeneral});
  first->SetActive(true);
  second->SetActive(true);
  host::RaiseEvent(e_tsxEVENT_GENERAL, e_tsxGENERAL_SCENE_NEW);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
}

TEST_F(EventsTest, AFreedComponentIsNeitherRegisteredNorCalled) {
  auto* e = new TTsEvents(&root_);
  int calls = 0;
  e->OnAppClose = [&] { ++calls; };
  e->SetEvents({peGeneral});
  e->SetActive(true);
  delete e;
  EXPECT_TRUE(RegisteredClasses().empty());
  EXPECT_EQ(BoundEventDispatch(), nullptr);
  tsxEventGeneralData d{e_tsxGENERAL_APP_CLOSE};
  EXPECT_NO_THROW(HostEventCallback(e_tsxEVENT_GENERAL, &d));
  EXPECT_EQ(calls, 0);
}

TEST_F(EventsTest, AnExceptionInAHandlerDoesNotReachTheHost) {
  auto* e = new TTsEvents(&root_);
  int later = 0;
  e->OnRenderBegin = [](tsxEventRenderData*) { throw std::runtime_error("begin"); };
  e->OnRenderEnd = [&](tsxEventRenderData*) { ++later; };
  e->SetEvents({peRender});
  e->SetActive(true);
  bool completed = false;
  EXPECT_NO_THROW(completed = host::Render(1));
  EXPECT_TRUE(completed);
  EXPECT_EQ(later, 1);
}

TEST_F(EventsTest, FreeingAnEarlierComponentKeepsTheLaterOnesRegistrations) {
  auto* first = new TTsEvents(&root_);
  auto* second = new TTsEvents(&root_);
  int calls = 0;
  second->OnSceneLoad = [&] { ++calls; };
  first->SetEvents({peGeneral});
  second->SetEvents({peGeneral});
  first->SetActive(true);
  second->SetActive(true);
  delete first;
  EXPECT_EQ(RegisteredClasses(), std::vector<int>{e_tsxEVENT_GENERAL});
  host::RaiseEvent(e_tsxEVENT_GENERAL, e_tsxGENERAL_SCENE_LOAD);
  EXPECT_EQ(calls, 1);
}
