#pragma once
// The one host of the process: scene, clock, views, renderer state, registrations of the
// plug-ins and the answers tests script. The C API and the C++ API both work on it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/scene.h"
#include "platform/host/screen_buffer.h"
#include "platform/host/tsxapi.h"
#include "platform/host/views.h"

namespace host {

struct ObjectType {
  int id = 0;
  std::string name;
  int pluginId = 0;
  tsxOBJTYPE_CALLBACKS callbacks{};  // zeroed when its module is unloaded
  int owner = 0;                     // plug-in that defined it (0: a direct caller)
};

struct EventRegistration {
  int eventClass;
  tsxEVENT_CALLBACK callback;
  int owner;
};

struct RenderSettings {
  int width = 320;
  int height = 240;
  bool region = false;
  PixelRegion rect{0, 0, 0, 0};
  int fitMode = 0;
};

// "1 after N calls": the first N answers are 0, every later one 1; N < 0 never stops.
struct ScriptedAnswer {
  int after = -1;
  int calls = 0;
  int Ask() {
    ++calls;
    return after >= 0 && calls > after ? 1 : 0;
  }
};

enum class RenderFailure { None, Abort, Error };

struct DisplayedLine {
  int x0, x1, y, lines;
  std::vector<float> rgba;  // pixels x0..x1, 4 floats each (empty for a bad range)
};

struct RaisedEvent {
  int eventClass;
  std::uint32_t code;
};

struct PluginEntryPoints {
  tsxGetVersion_fn getVersion = nullptr;
  tsxGetData_fn getData = nullptr;
  tsxOnLeftClick_fn onLeftClick = nullptr;
  tsxOnRightClick_fn onRightClick = nullptr;
  tsxDeactivate_fn deactivate = nullptr;
};

struct PluginInfo {
  int id = 0;
  std::string path;  // empty for callbacks registered directly
  int apiVersion = 0;
  tsxPluginDescriptor descriptor{};
};

struct Plugin {
  PluginInfo info;
  PluginEntryPoints entry;
  void* library = nullptr;  // dlopen handle
};

// A scene-file chunk while a file callback runs.
struct ChunkFile {
  std::uintptr_t id = 0;
  bool reading = false;
  const std::uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  std::vector<std::uint8_t>* out = nullptr;
};

struct HostState {
  Scene scene;
  float activeTime = 0.0f;
  std::vector<ObjectType> types;
  bool createFails = false;

  std::vector<View> views;
  int activeView = 1;
  tsxHWND mainWindow = nullptr;
  bool mainViewClosed = false;
  int pen = e_tsxPEN_SCENE;

  RenderSettings renderSettings;
  tsxRenderData renderData{};
  std::unique_ptr<ScreenBuffer> buffer;  // the last render's, kept
  bool rendering = false;
  std::vector<DisplayedLine> displayed;
  std::vector<RaisedEvent> events;
  ScriptedAnswer interrupt, abort;
  bool refuseShader = false;
  RenderFailure renderFailure = RenderFailure::None;

  tssPOSTPROCESS_CALLBACK postProcess = nullptr;
  int postProcessOwner = 0;
  std::vector<EventRegistration> eventCallbacks;

  ChunkFile* chunk = nullptr;

  std::vector<std::unique_ptr<Plugin>> plugins;
  int nextPluginId = 1;
  int callingPlugin = 0;  // the plug-in the host is calling into, for its registrations

  std::function<void()> pump;
  bool pumping = false;
};

HostState& State();
// Everything back to a fresh host: one 320 x 240 view, empty scene, time 0, no types,
// registrations, scripts or plug-ins (loaded modules are closed, no callbacks called).
void ResetState();

View* FindView(HostState& s, int id);  // 0: the active view
View& ActiveView(HostState& s);
ObjectType* FindType(HostState& s, int id);
ObjectType* FindTypeByName(HostState& s, const std::string& name);
ObjectType* TypeOf(HostState& s, const Node& n);  // null for built-in types

// Calls into a plug-in, so that what it registers meanwhile is known to be its own.
class CallingPlugin {
 public:
  CallingPlugin(HostState& s, int pluginId) : s_(s), saved_(s.callingPlugin) { s.callingPlugin = pluginId; }
  ~CallingPlugin() { s_.callingPlugin = saved_; }
  CallingPlugin(const CallingPlugin&) = delete;
  CallingPlugin& operator=(const CallingPlugin&) = delete;

 private:
  HostState& s_;
  int saved_;
};

void RunPump(HostState& s);
void RaiseEvent(HostState& s, int eventClass, void* data, std::uint32_t code);
void RaiseGeneralEvent(HostState& s, std::uint32_t code);

// Scene operations that involve the plug-in's callbacks.
bool DeleteObject(HostState& s, NodeId id);
NodeId CloneObject(HostState& s, NodeId id);
// Local bounds of a node: its geometry, a plug-in object's shape (bounds callback with the
// identity), and its children's bounds through their local transforms.
bool LocalBounds(HostState& s, const Node& n, CtsxVec3f& lo, CtsxVec3f& hi, int depth = 0);
void RefreshView(HostState& s, View& v);

}  // namespace host
