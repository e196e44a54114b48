#include "platform/host/host.h"

#include <cmath>
#include <cstring>

#include "platform/host/module_loader.h"
#include "platform/host/render.h"
#include "platform/host/scene_file.h"

namespace host {

namespace {

Node& LiveNode(NodeHandle h) {
  Node* n = State().scene.Find(h);
  if (!n) throw HostError("No such node");
  return *n;
}

View& LiveView(int id) {
  View* v = FindView(State(), id);
  if (!v) throw HostError("No view " + std::to_string(id));
  return *v;
}

NodeHandle Place(Node& n, NodeHandle parent) {
  HostState& s = State();
  if (parent) {
    Node& p = LiveNode(parent);
    if (p.type < e_tsxGROUP) {
      s.scene.Destroy(n.id);
      throw HostError("Node \"" + p.name + "\" holds no children");
    }
    s.scene.AttachChild(p, n);
  } else {
    s.scene.AttachTopLevel(n);
  }
  return Scene::Handle(n);
}

NodeHandle AddGeometry(const std::string& name, std::vector<CtsxVec3f> vertices, std::vector<CtsxUV> uvs,
                       const std::vector<FaceSpec>& faces, NodeHandle parent) {
  if (parent) LiveNode(parent);
  auto poly = Polyhedron::Make(std::move(vertices), std::move(uvs), faces);
  Node& n = State().scene.Create(e_tsxPOLYHEDRON, name);
  n.polyhedron = std::move(poly);
  return Place(n, parent);
}

}  // namespace

void Reset() { ResetState(); }

NodeHandle AddGroup(const std::string& name, NodeHandle parent) {
  if (parent) LiveNode(parent);
  return Place(State().scene.Create(e_tsxGROUP, name), parent);
}

NodeHandle AddCube(const std::string& name, float edge, NodeHandle parent) {
  const float h = edge / 2;
  std::vector<CtsxVec3f> v = {{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h},
                              {-h, -h, h},  {h, -h, h},  {h, h, h},  {-h, h, h}};
  // Corners counter-clockwise seen from outside.
  const std::vector<FaceSpec> faces = {{{0, 3, 2, 1}, {}}, {{4, 5, 6, 7}, {}}, {{0, 1, 5, 4}, {}},
                                       {{2, 3, 7, 6}, {}}, {{1, 2, 6, 5}, {}}, {{0, 4, 7, 3}, {}}};
  return AddGeometry(name, std::move(v), {}, faces, parent);
}

NodeHandle AddPlane(const std::string& name, float width, float height, NodeHandle parent) {
  const float w = width / 2, h = height / 2;
  std::vector<CtsxVec3f> v = {{-w, -h, 0}, {w, -h, 0}, {w, h, 0}, {-w, h, 0}};
  std::vector<CtsxUV> uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  return AddGeometry(name, std::move(v), std::move(uv), {{{0, 1, 2, 3}, {0, 1, 2, 3}}}, parent);
}

NodeHandle AddPolyhedron(const std::string& name, const std::vector<CtsxVec3f>& vertices,
                         const std::vector<std::vector<int>>& faces, NodeHandle parent,
                         const std::vector<CtsxUV>& uvs, const std::vector<std::vector<int>>& faceUVs) {
  if (!faceUVs.empty() && faceUVs.size() != faces.size())
    throw HostError("Polyhedron \"" + name + "\" needs UV indices for every face or none");
  std::vector<FaceSpec> spec(faces.size());
  for (size_t i = 0; i < faces.size(); ++i) {
    spec[i].vertices = faces[i];
    if (!faceUVs.empty()) spec[i].uvs = faceUVs[i];
  }
  return AddGeometry(name, vertices, uvs, spec, parent);
}

void SetKey(NodeHandle node, Channel channel, float frame, const CtsxVec3f& value) {
  if (!std::isfinite(frame)) throw HostError("A key needs a finite frame");
  Scene::TrackOf(LiveNode(node), channel).Set(frame, value);
}

void SetColor(NodeHandle node, float r, float g, float b) { LiveNode(node).color = {r, g, b}; }

std::vector<NodeHandle> TopLevelNodes() {
  std::vector<NodeHandle> out;
  for (NodeId id : State().scene.TopLevel()) out.push_back(Scene::Handle(id));
  return out;
}

NodeHandle FindNode(const std::string& name) {
  Scene& sc = State().scene;
  for (NodeId id : sc.PreOrder())
    if (sc.FindId(id)->name == name) return Scene::Handle(id);
  return nullptr;
}

bool IsLive(NodeHandle node) { return State().scene.Find(node) != nullptr; }
std::string NodeName(NodeHandle node) { return LiveNode(node).name; }
bool IsInScene(NodeHandle node) { return LiveNode(node).attached; }

NodeHandle Selected() {
  const NodeId id = State().scene.selected;
  return id ? Scene::Handle(id) : nullptr;
}

NodeHandle CloneObject(NodeHandle node) {
  const NodeId id = host::CloneObject(State(), LiveNode(node).id);
  return id ? Scene::Handle(id) : nullptr;
}

bool DeleteObject(NodeHandle node) {
  Node* n = State().scene.Find(node);
  return n && host::DeleteObject(State(), n->id);
}

void SetCreateFails(bool fail) { State().createFails = fail; }
float SceneTime() { return State().scene.time; }

int AddView(const Camera& camera, int width, int height) {
  if (width < 2 || height < 2 || width > 8192 || height > 8192)
    throw HostError("A drawport must be 2 to 8192 pixels each way");
  HostState& s = State();
  int id = 1;
  for (const View& v : s.views) id = std::max(id, v.id + 1);
  View v;
  v.id = id;
  v.camera = camera;
  v.width = width;
  v.height = height;
  v.window = reinterpret_cast<tsxHWND>(static_cast<std::uintptr_t>(0x57000 + id * 16));
  ClearView(v);
  s.views.push_back(std::move(v));
  return id;
}

void SetActiveView(int view) { State().activeView = LiveView(view).id; }
int ActiveViewId() { return State().activeView; }
void SetCamera(const Camera& camera, int view) { LiveView(view).camera = camera; }

void SetDrawportSize(int width, int height, int view) {
  if (width < 2 || height < 2 || width > 8192 || height > 8192)
    throw HostError("A drawport must be 2 to 8192 pixels each way");
  View& v = LiveView(view);
  v.width = width;
  v.height = height;
  ClearView(v);
}

void SetViewWindow(tsxHWND window, int view) { LiveView(view).window = window; }
void SetMainViewWindow(tsxHWND window) { State().mainWindow = window; }
void SetMainViewClosed(bool closed) { State().mainViewClosed = closed; }

std::uint32_t ViewPixel(int x, int y, int view) {
  const View& v = LiveView(view);
  if (x < 0 || y < 0 || x >= v.width || y >= v.height) throw HostError("Pixel outside the drawport");
  std::uint32_t c;
  std::memcpy(&c, &v.pixels[(static_cast<size_t>(y) * v.width + x) * 4], 4);
  return c;
}

void SetRenderSize(int width, int height) {
  // Region fields are 16-bit; the pixel cap keeps the float image near 1 GiB at most.
  if (width < 1 || height < 1 || width > 32767 || height > 32767 || int64_t(width) * height > (int64_t(1) << 26))
    throw HostError("A render image must be 1 to 32767 pixels each way and at most 67108864 pixels");
  RenderSettings& r = State().renderSettings;
  r.width = width;
  r.height = height;
  r.region = false;  // an old region may not fit the new size
}

void SetRenderRegion(int x0, int y0, int x1, int y1) {
  RenderSettings& r = State().renderSettings;
  if (x0 < 0 || y0 < 0 || x1 >= r.width || y1 >= r.height || x0 > x1 || y0 > y1)
    throw HostError("Render region lies outside the image");
  r.region = true;
  r.rect = {x0, y0, x1, y1};
}

void ClearRenderRegion() { State().renderSettings.region = false; }
void SetRenderFit(int fitMode) { State().renderSettings.fitMode = fitMode; }

bool Render(float frame) { return RenderFrame(State(), frame); }
bool HasRenderedImage() { return State().buffer != nullptr; }

RenderPixel ReadPixel(int x, int y) {
  const ScreenBuffer* b = State().buffer.get();
  if (!b) throw HostError("Nothing has been rendered");
  if (x < 0 || y < 0 || x >= b->Width() || y >= b->Height()) throw HostError("Pixel outside the image");
  return b->At(x, y);
}

const std::vector<DisplayedLine>& DisplayedLines() { return State().displayed; }
const std::vector<RaisedEvent>& RaisedEvents() { return State().events; }
void ClearRaisedEvents() { State().events.clear(); }
void ScriptInterrupt(int afterCalls) { State().interrupt = ScriptedAnswer{afterCalls, 0}; }
void ScriptAbort(int afterCalls) { State().abort = ScriptedAnswer{afterCalls, 0}; }
int InterruptCalls() { return State().interrupt.calls; }
int AbortCalls() { return State().abort.calls; }
void ScriptShaderRefusal(bool refuse) { State().refuseShader = refuse; }
bool PostProcessRegistered() { return State().postProcess != nullptr; }
void ScriptRenderFailure(RenderFailure failure) { State().renderFailure = failure; }

void RaiseEvent(int eventClass, std::uint32_t code) {
  HostState& s = State();
  switch (eventClass) {
    case e_tsxEVENT_RENDER: {
      tsxEventRenderData d{code, s.activeTime};
      host::RaiseEvent(s, eventClass, &d, code);
      break;
    }
    case e_tsxEVENT_MOUSE: {
      tsxEventMouseData d{code, 0, 0, 0};
      host::RaiseEvent(s, eventClass, &d, code);
      break;
    }
    case e_tsxEVENT_VIEWMSG: {
      tsxEventViewMsgData d{code, 0, 0, 0};
      host::RaiseEvent(s, eventClass, &d, code);
      break;
    }
    default: {
      // Any other class goes out with the smallest record.
      tsxEventGeneralData d{code};
      host::RaiseEvent(s, eventClass, &d, code);
      break;
    }
  }
}

void SaveScene(const std::string& path) { SaveSceneFile(State(), path); }
void LoadScene(const std::string& path) { LoadSceneFile(State(), path); }

int LoadModule(const std::string& path) { return LoadPluginModule(State(), path); }
int RegisterPlugin(const PluginEntryPoints& entry) { return RegisterPluginEntryPoints(State(), entry); }

const PluginInfo& LoadedPlugin(int pluginId) {
  struct Plugin* p = FindPlugin(State(), pluginId);
  if (!p) throw HostError("No plug-in with id " + std::to_string(pluginId));
  return p->info;
}

int ClickIcon(int pluginId) { return LeftClick(State(), pluginId); }
void RightClickIcon(int pluginId) { RightClick(State(), pluginId); }
void DeactivatePlugin(int pluginId) { Deactivate(State(), pluginId); }
void UnloadPlugin(int pluginId) { host::UnloadPlugin(State(), pluginId); }

void SetPump(std::function<void()> pump) { State().pump = std::move(pump); }

}  // namespace host
