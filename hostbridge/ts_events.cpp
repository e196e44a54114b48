#include "hostbridge/ts_events.h"

#include <cstdint>
#include <cstring>

#include "hostbridge/c_boundary.h"

namespace {

TTsEvents* g_dispatch = nullptr;

// Registration and unregistration both go through the classes in this order.
constexpr struct {
  TPlugEventKind kind;
  int eventClass;
} kClassOrder[] = {
    {peGeneral, e_tsxEVENT_GENERAL},
    {peRender, e_tsxEVENT_RENDER},
    {peMouse, e_tsxEVENT_MOUSE},
    {peViewMsg, e_tsxEVENT_VIEWMSG},
};

// Called through a copy: a handler may replace itself while it runs.
template <class Record, class Handler>
void Raise(const Handler& handler, void* data) {
  const Handler h = handler;
  if (h) h(static_cast<Record*>(data));
}

}  // namespace

const TEnumInfo& PlugEventKindInfo() {
  static const TEnumInfo info("TPlugEventKind", {"peRender", "peMouse", "peViewMsg", "peGeneral"});
  return info;
}

const TClass& TTsEvents::StaticClass() {
  static const TClass cls = TClass::Of<TTsEvents>("TTsEvents", TComponent::StaticClass(), &TTsEvents::Publish);
  return cls;
}

void TTsEvents::Publish(TPublished& published) {
  auto p = published.For<TTsEvents>();
  p.Boolean("Active", &TTsEvents::Active, &TTsEvents::SetActive).Default(false);
  p.Set("Events", PlugEventKindInfo(), &TTsEvents::Events, &TTsEvents::SetEvents);
  p.Event("OnRenderInit", &TTsEvents::OnRenderInit);
  p.Event("OnRenderBegin", &TTsEvents::OnRenderBegin);
  p.Event("OnRenderEnd", &TTsEvents::OnRenderEnd);
  p.Event("OnRenderFrameStart", &TTsEvents::OnRenderFrameStart);
  p.Event("OnRenderFrameEnd", &TTsEvents::OnRenderFrameEnd);
  p.Event("OnRenderAbort", &TTsEvents::OnRenderAbort);
  p.Event("OnRenderError", &TTsEvents::OnRenderError);
  p.Event("OnMouseMessage", &TTsEvents::OnMouseMessage);
  p.Event("OnMouseEvent", &TTsEvents::OnMouseEvent);
  p.Event("OnMouseDrag", &TTsEvents::OnMouseDrag);
  p.Event("OnViewEvent", &TTsEvents::OnViewEvent);
  p.Event("OnAppStart", &TTsEvents::OnAppStart);
  p.Event("OnAppClose", &TTsEvents::OnAppClose);
  p.Event("OnSceneNew", &TTsEvents::OnSceneNew);
  p.Event("OnSceneLoad", &TTsEvents::OnSceneLoad);
  p.Event("OnSceneClose", &TTsEvents::OnSceneClose);
}

TTsEvents::TTsEvents(TComponent* AOwner) : TComponent(AOwner) {}

TTsEvents::~TTsEvents() {
  // The host's registrations are shared by the module: only the component they lead to
  // takes them back.
  if (g_dispatch == this) {
    Unregister();
    g_dispatch = nullptr;
  }
}

void TTsEvents::SetActive(bool value) {
  if (ComponentState().Contains(csDesigning)) return;
  if (value)
    Register();
  else
    Unregister();
}

void TTsEvents::SetEvents(TPlugEvents value) {
  events_ = value;
  if (active_) {
    Unregister();
    Register();
  }
}

void TTsEvents::Register() {
  if (active_) return;
  active_ = true;
  g_dispatch = this;
  for (const auto& c : kClassOrder)
    if (events_.Contains(c.kind)) tsxRegisterEventCallback(c.eventClass, HostEventCallback, 1);
}

void TTsEvents::Unregister() {
  if (!active_) return;
  active_ = false;
  for (const auto& c : kClassOrder) tsxRegisterEventCallback(c.eventClass, HostEventCallback, 0);
}

void TTsEvents::Dispatch(int eventClass, void* data) {
  if (!data) return;
  std::uint32_t code;
  std::memcpy(&code, data, sizeof code);
  switch (eventClass) {
    case e_tsxEVENT_RENDER: {
      const TPlugRenderEvent* handlers[] = {&OnRenderInit,       &OnRenderBegin,    &OnRenderEnd,  &OnRenderFrameStart,
                                            &OnRenderFrameEnd,   &OnRenderAbort,    &OnRenderError};
      if (code < std::size(handlers)) Raise<tsxEventRenderData>(*handlers[code], data);
      break;
    }
    case e_tsxEVENT_MOUSE:
      if (code == e_tsxMOUSE_MESSAGE) Raise<tsxEventMouseData>(OnMouseMessage, data);
      if (code == e_tsxMOUSE_EVENT) Raise<tsxEventMouseData>(OnMouseEvent, data);
      if (code == e_tsxMOUSE_DRAG) Raise<tsxEventMouseData>(OnMouseDrag, data);
      break;
    case e_tsxEVENT_VIEWMSG:
      Raise<tsxEventViewMsgData>(OnViewEvent, data);
      break;
    case e_tsxEVENT_GENERAL: {
      const TPlugEvent* handlers[] = {&OnAppStart, &OnAppClose, &OnSceneClose, &OnSceneNew, &OnSceneLoad};
      if (code < std::size(handlers)) {
        const TPlugEvent h = *handlers[code];
        if (h) h();
      }
      break;
    }
    default:
      break;
  }
}

void HostEventCallback(int eventClass, void* data) {
  bridge::GuardedVoid([&] {
    if (TTsEvents* target = g_dispatch) target->Dispatch(eventClass, data);
  });
}

TTsEvents* BoundEventDispatch() { return g_dispatch; }
