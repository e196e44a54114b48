#pragma once
// TTsEvents: registers the module's one event callback with the host for the classes
// selected in Events and turns each host event into a published event. The host's data
// record reaches the handler unchanged.
#include <functional>

#include "hostbridge/tsx_module.h"
#include "platform/classlib/component.h"
#include "platform/host/tsxapi.h"

enum TPlugEventKind { peRender, peMouse, peViewMsg, peGeneral };
using TPlugEvents = TSet<TPlugEventKind>;
const TEnumInfo& PlugEventKindInfo();

using TPlugRenderEvent = std::function<void(tsxEventRenderData* inData)>;
using TPlugMouseEvent = std::function<void(tsxEventMouseData* inData)>;
using TPlugViewEvent = std::function<void(tsxEventViewMsgData* inData)>;

class TTsEvents : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTsEvents(TComponent* AOwner);
  // The component the host's events lead to unregisters them, so that the host never
  // calls into a freed component.
  ~TTsEvents() override;

  // True while registered. Setting it is ignored at design time.
  bool Active() const { return active_; }
  void SetActive(bool value);
  // While registered, a new selection is registered anew.
  TPlugEvents Events() const { return events_; }
  void SetEvents(TPlugEvents value);

  // The host's event of a class, by its sub-code (the first u32 of data). Unknown classes
  // and sub-codes, and events without a handler, are ignored.
  void Dispatch(int eventClass, void* data);

  TPlugRenderEvent OnRenderInit, OnRenderBegin, OnRenderEnd, OnRenderFrameStart, OnRenderFrameEnd, OnRenderAbort,
      OnRenderError;
  TPlugMouseEvent OnMouseMessage, OnMouseEvent, OnMouseDrag;
  TPlugViewEvent OnViewEvent;
  TPlugEvent OnAppStart, OnAppClose, OnSceneNew, OnSceneLoad, OnSceneClose;

 private:
  void Register();
  void Unregister();

  bool active_ = false;
  TPlugEvents events_;
};

// The callback the host is given for every class: forwards to the component that
// registered last, when there is one. Lets no exception out.
void HostEventCallback(int eventClass, void* data);

// The component HostEventCallback forwards to (module state).
TTsEvents* BoundEventDispatch();
