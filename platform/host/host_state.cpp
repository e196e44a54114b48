#include "platform/host/host_state.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>

#include "platform/host/math3d.h"

namespace host {

namespace {

View DefaultView(int id) {
  View v;
  v.id = id;
  // A plain handle value until the window layer gives views real windows.
  v.window = reinterpret_cast<tsxHWND>(static_cast<std::uintptr_t>(0x57000 + id * 16));
  ClearView(v);
  return v;
}

void Extend(CtsxVec3f& lo, CtsxVec3f& hi, const CtsxVec3f& p) {
  lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
  hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}

}  // namespace

HostState& State() {
  static HostState* state = [] {
    auto* s = new HostState();  // lives as long as the process: plug-ins call it at unload
    s->views.push_back(DefaultView(1));
    s->mainWindow = reinterpret_cast<tsxHWND>(static_cast<std::uintptr_t>(0x56FF0));
    return s;
  }();
  return *state;
}

void ResetState() {
  HostState& s = State();
  for (auto& p : s.plugins)
    if (p->library) dlclose(p->library);
  s.plugins.clear();
  s.scene.Clear();
  s.activeTime = 0.0f;
  s.types.clear();
  s.createFails = false;
  s.views.clear();
  s.views.push_back(DefaultView(1));
  s.activeView = 1;
  s.mainViewClosed = false;
  s.pen = e_tsxPEN_SCENE;
  s.renderSettings = RenderSettings{};
  s.renderData = tsxRenderData{};
  s.buffer.reset();
  s.rendering = false;
  s.displayed.clear();
  s.events.clear();
  s.interrupt = ScriptedAnswer{};
  s.abort = ScriptedAnswer{};
  s.refuseShader = false;
  s.renderFailure = RenderFailure::None;
  s.postProcess = nullptr;
  s.postProcessOwner = 0;
  s.eventCallbacks.clear();
  s.chunk = nullptr;
  s.callingPlugin = 0;
  s.pump = nullptr;
  s.pumping = false;
}

View* FindView(HostState& s, int id) {
  if (id == 0) id = s.activeView;
  for (View& v : s.views)
    if (v.id == id) return &v;
  return nullptr;
}

View& ActiveView(HostState& s) {
  if (View* v = FindView(s, 0)) return *v;
  return s.views.front();
}

ObjectType* FindType(HostState& s, int id) {
  for (ObjectType& t : s.types)
    if (t.id == id) return &t;
  return nullptr;
}

ObjectType* FindTypeByName(HostState& s, const std::string& name) {
  for (ObjectType& t : s.types)
    if (t.name == name) return &t;
  return nullptr;
}

ObjectType* TypeOf(HostState& s, const Node& n) {
  if (n.type < e_tsxFIRST_PLUGIN_TYPE || n.type > e_tsxLAST_PLUGIN_TYPE) return nullptr;
  return FindType(s, n.type);
}

void RunPump(HostState& s) {
  // Input delivered by the pump may call back into the host; it must not pump again.
  if (!s.pump || s.pumping) return;
  s.pumping = true;
  try {
    s.pump();
  } catch (...) {
    s.pumping = false;
    throw;
  }
  s.pumping = false;
}

void RaiseEvent(HostState& s, int eventClass, void* data, std::uint32_t code) {
  s.events.push_back(RaisedEvent{eventClass, code});
  // A handler may register or unregister: walk a copy.
  const std::vector<EventRegistration> regs = s.eventCallbacks;
  for (const EventRegistration& r : regs) {
    if (r.eventClass != eventClass || !r.callback) continue;
    CallingPlugin scope(s, r.owner);
    r.callback(eventClass, data);
  }
}

void RaiseGeneralEvent(HostState& s, std::uint32_t code) {
  tsxEventGeneralData d{code};
  RaiseEvent(s, e_tsxEVENT_GENERAL, &d, code);
}

bool DeleteObject(HostState& s, NodeId id) {
  Node* n = s.scene.FindId(id);
  if (!n || n->deleting) return false;
  const std::vector<NodeId> ids = s.scene.Subtree(id);
  for (NodeId i : ids)
    if (Node* m = s.scene.FindId(i)) m->deleting = true;
  for (NodeId i : ids) {
    Node* m = s.scene.FindId(i);
    if (!m) continue;
    ObjectType* t = TypeOf(s, *m);
    if (t && t->callbacks.deleteObj) {
      CallingPlugin scope(s, t->owner);
      t->callbacks.deleteObj(Scene::Handle(i));
    }
  }
  s.scene.Destroy(id);
  return true;
}

NodeId CloneObject(HostState& s, NodeId id) {
  Node* src = s.scene.FindId(id);
  if (!src || src->deleting) return 0;
  Node& copy = s.scene.Create(src->type, src->name);
  copy.position = src->position;
  copy.rotation = src->rotation;
  copy.scale = src->scale;
  copy.time = src->time;
  copy.color = src->color;
  copy.storedChunk = src->storedChunk;
  if (src->polyhedron) copy.polyhedron = src->polyhedron->Copy();
  if (src->attached) s.scene.AttachAfter(*src, copy);
  const NodeId copyId = copy.id;
  ObjectType* t = TypeOf(s, copy);
  if (t && t->callbacks.cloneObj) {
    CallingPlugin scope(s, t->owner);
    t->callbacks.cloneObj(Scene::Handle(id), Scene::Handle(copyId));
  }
  return copyId;
}

bool LocalBounds(HostState& s, const Node& n, CtsxVec3f& lo, CtsxVec3f& hi, int depth) {
  if (depth > 256) return false;
  bool have = false;
  if (n.polyhedron) have = n.polyhedron->Bounds(lo, hi);
  if (ObjectType* t = TypeOf(s, n); t && t->callbacks.bounds) {
    CtsxVec3f box[2] = {{0, 0, 0}, {0, 0, 0}};
    CtsxTxmx3f identity = Identity();
    const NodeId id = n.id;
    {
      CallingPlugin scope(s, t->owner);
      t->callbacks.bounds(Scene::Handle(id), box, &identity);
    }
    // An empty shape answers a box whose minimum exceeds its maximum.
    if (box[0].x <= box[1].x && box[0].y <= box[1].y && box[0].z <= box[1].z) {
      if (!have) lo = box[0], hi = box[1];
      Extend(lo, hi, box[0]);
      Extend(lo, hi, box[1]);
      have = true;
    }
  }
  const Node* self = s.scene.Find(Scene::Handle(n.id));  // the callback may have deleted it
  if (!self) return have;
  const std::vector<NodeId> children = self->children;
  for (NodeId c : children) {
    const Node* child = s.scene.FindId(c);
    CtsxVec3f clo, chi;
    if (!child || !LocalBounds(s, *child, clo, chi, depth + 1)) continue;
    const CtsxTxmx3f m = s.scene.Local(*child);
    for (int k = 0; k < 8; ++k) {
      const CtsxVec3f corner{(k & 1) ? chi.x : clo.x, (k & 2) ? chi.y : clo.y, (k & 4) ? chi.z : clo.z};
      const CtsxVec3f p = Transform(m, corner);
      if (!have) lo = hi = p;
      Extend(lo, hi, p);
      have = true;
    }
  }
  return have;
}

void RefreshView(HostState& s, View& view) {
  const int viewId = view.id;
  ClearView(view);
  const NodeId selected = s.scene.selected;
  for (NodeId id : s.scene.PreOrder()) {
    Node* n = s.scene.FindId(id);
    View* v = FindView(s, viewId);
    if (!n || !v) continue;
    const bool isSelected = id == selected;
    const bool below = selected != 0 && s.scene.IsBelow(id, selected);
    if (n->polyhedron) {
      const Polyhedron& p = *n->polyhedron;
      std::vector<std::int32_t> idx;
      for (int f = 0; f < p.FaceCount(); ++f) {
        const tsxFACE& face = p.Face(f);
        for (int k = 0; k <= face.nbrCorners; ++k) idx.push_back(face.corners[k % face.nbrCorners].vertexIndex);
        idx.push_back(e_tsxLINELIST_BREAK);
      }
      idx.push_back(e_tsxLINELIST_END);
      const int pen = isSelected ? e_tsxPEN_ACTIVE : below ? e_tsxPEN_ACTIVESUB : e_tsxPEN_SCENE;
      DrawLinelist(*v, pen, s.scene.World(*n), p.Vertices().data(), static_cast<int>(p.Vertices().size()),
                   idx.data());
    }
    if (ObjectType* t = TypeOf(s, *n); t && t->callbacks.draw) {
      const int mode = isSelected ? e_tsxDRAW_SELECTED : below ? e_tsxDRAW_ACTIVESUB : e_tsxDRAW_SCENE;
      CallingPlugin scope(s, t->owner);
      t->callbacks.draw(Scene::Handle(id), mode, viewId);
    }
  }
}

}  // namespace host
