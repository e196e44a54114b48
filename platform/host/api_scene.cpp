// The C calls of nodes, polyhedra, time and scene objects.
#include <cmath>
#include <cstring>

#include "platform/host/c_guard.h"
#include "platform/host/host_state.h"
#include "platform/host/math3d.h"
#include "platform/host/tsxapi.h"

using namespace host;

namespace {

Node* NodeOf(const void* handle) { return State().scene.Find(handle); }

Polyhedron* PolyOf(const void* handle) {
  Node* n = NodeOf(handle);
  return n && n->polyhedron ? n->polyhedron.get() : nullptr;
}

}  // namespace

extern "C" {

/* ---- nodes ---- */

int tsxGNodeGetTransform(tsxGNODE* node, CtsxTxmx3f* out) {
  return Guarded(0, [&] {
    Node* n = NodeOf(node);
    if (!n || !out) return 0;
    *out = State().scene.World(*n);
    return 1;
  });
}

int tsxGNodeGetSize(tsxGNODE* node, CtsxVec3f* out) {
  return Guarded(0, [&] {
    HostState& s = State();
    Node* n = NodeOf(node);
    if (!n || !out) return 0;
    const NodeId id = n->id;
    CtsxVec3f lo{0, 0, 0}, hi{0, 0, 0};
    if (!LocalBounds(s, *n, lo, hi)) lo = hi = {0, 0, 0};
    n = s.scene.FindId(id);  // a bounds callback may have removed it
    if (!n) return 0;
    const CtsxVec3f sc = n->scale.At(s.scene.TimeOf(*n));
    *out = {(hi.x - lo.x) * std::fabs(sc.x), (hi.y - lo.y) * std::fabs(sc.y), (hi.z - lo.z) * std::fabs(sc.z)};
    return 1;
  });
}

tsxGNODE* tsxGNodeGetRoot(tsxGNODE* node) {
  return Guarded<tsxGNODE*>(nullptr, [&]() -> tsxGNODE* {
    Node* n = NodeOf(node);
    if (!n) return nullptr;
    while (n->parent != 0) {
      Node* p = State().scene.FindId(n->parent);
      if (!p) break;
      n = p;
    }
    return Scene::Handle(*n);
  });
}

tsxGNODE* tsxGNodeGetParent(tsxGNODE* node) {
  return Guarded<tsxGNODE*>(nullptr, [&]() -> tsxGNODE* {
    Node* n = NodeOf(node);
    return n && n->parent ? Scene::Handle(n->parent) : nullptr;
  });
}

tsxGNODE* tsxGNodeGetFirstChild(tsxGNODE* node) {
  return Guarded<tsxGNODE*>(nullptr, [&]() -> tsxGNODE* {
    Node* n = NodeOf(node);
    return n && !n->children.empty() ? Scene::Handle(n->children.front()) : nullptr;
  });
}

tsxGNODE* tsxGNodeGetNext(tsxGNODE* node) {
  return Guarded<tsxGNODE*>(nullptr, [&]() -> tsxGNODE* {
    Node* n = NodeOf(node);
    if (!n) return nullptr;
    const NodeId next = State().scene.NextSibling(*n);
    return next ? Scene::Handle(next) : nullptr;
  });
}

int tsxGNodeSetName(tsxGNODE* node, const char* name) {
  return Guarded(0, [&] {
    Node* n = NodeOf(node);
    if (!n || !name) return 0;
    n->name = name;
    return 1;
  });
}

int tsxMNodeSetAxesPosition(tsxMNODE* node, const CtsxVec3f* point) {
  return Guarded(0, [&] {
    HostState& s = State();
    Node* n = NodeOf(node);
    if (!n || !point) return 0;
    // The point in the parent's space is where the node's origin goes.
    CtsxVec3f target = *point;
    if (Node* p = n->parent ? s.scene.FindId(n->parent) : nullptr) {
      CtsxTxmx3f inv;
      if (!Invert(s.scene.World(*p), inv)) return 0;
      target = Transform(inv, *point);
    }
    const CtsxTxmx3f before = s.scene.Local(*n);
    const CtsxVec3f now = n->position.At(s.scene.TimeOf(*n));
    n->position.Offset(Sub(target, now));
    if (n->polyhedron) {
      // Vertices move the other way, so the shape stays where it was in the world.
      CtsxTxmx3f inv;
      if (Invert(s.scene.Local(*n), inv)) {
        const CtsxTxmx3f fix = Multiply(inv, before);
        for (CtsxVec3f& v : n->polyhedron->Vertices()) v = Transform(fix, v);
      }
    }
    return 1;
  });
}

/* ---- polyhedra ---- */

int tsxPolyhGetNbrVxs(tsxPOLYHEDRON* p) {
  return Guarded(0, [&] {
    Polyhedron* ph = PolyOf(p);
    return ph ? static_cast<int>(ph->Vertices().size()) : 0;
  });
}

CtsxVec3f* tsxPolyhGetVxArray(tsxPOLYHEDRON* p) {
  return Guarded<CtsxVec3f*>(nullptr, [&]() -> CtsxVec3f* {
    Polyhedron* ph = PolyOf(p);
    return ph && !ph->Vertices().empty() ? ph->Vertices().data() : nullptr;
  });
}

int tsxPolyhGetVxTxmx(tsxPOLYHEDRON* p, CtsxTxmx3f* out) {
  return Guarded(0, [&] {
    Node* n = NodeOf(p);
    if (!n || !n->polyhedron || !out) return 0;
    *out = State().scene.World(*n);
    return 1;
  });
}

int tsxPolyhGetNbrUV(tsxPOLYHEDRON* p) {
  return Guarded(0, [&] {
    Polyhedron* ph = PolyOf(p);
    return ph ? static_cast<int>(ph->UVs().size()) : 0;
  });
}

CtsxUV* tsxPolyhGetUVArray(tsxPOLYHEDRON* p) {
  return Guarded<CtsxUV*>(nullptr, [&]() -> CtsxUV* {
    Polyhedron* ph = PolyOf(p);
    return ph && !ph->UVs().empty() ? ph->UVs().data() : nullptr;
  });
}

int tsxPolyhGetNbrFaces(tsxPOLYHEDRON* p) {
  return Guarded(0, [&] {
    Polyhedron* ph = PolyOf(p);
    return ph ? ph->FaceCount() : 0;
  });
}

tsxFACE** tsxPolyhGetFaceptrArray(tsxPOLYHEDRON* p) {
  return Guarded<tsxFACE**>(nullptr, [&]() -> tsxFACE** {
    Polyhedron* ph = PolyOf(p);
    return ph ? ph->FacePointers() : nullptr;
  });
}

int tsxPolyhGetFaceNormal(tsxPOLYHEDRON* p, tsxFACE* face, CtsxVec3f* out) {
  return Guarded(0, [&] {
    Polyhedron* ph = PolyOf(p);
    if (!ph || !out) return 0;
    const int i = ph->IndexOf(face);
    if (i < 0) return 0;
    *out = ph->Normal(i);
    return 1;
  });
}

/* ---- time ---- */

float tsxAnimGetActiveTime(void) {
  return Guarded(0.0f, [] { return State().activeTime; });
}

void tsxAnimSetActiveTime(float frame) {
  GuardedVoid([&] {
    if (!std::isfinite(frame)) return;
    HostState& s = State();
    s.activeTime = frame;
    s.scene.SetTime(frame);
  });
}

void tsxAnimSetActiveTimeScene(float frame) {
  GuardedVoid([&] {
    if (std::isfinite(frame)) State().scene.SetTime(frame);
  });
}

int tsxAnimSetActiveTimeObject(tsxSOBJ* obj, float frame) {
  return Guarded(0, [&] {
    Node* n = NodeOf(obj);
    if (!n || !std::isfinite(frame)) return 0;
    n->time = frame;
    return 1;
  });
}

int tsxSobjGetMinMaxTime(tsxSOBJ* obj, float* first, float* last) {
  return Guarded(0, [&] {
    Node* n = NodeOf(obj);
    float lo = 0.0f, hi = 0.0f;
    bool any = false;
    if (n) {
      for (const Track* t : {&n->position, &n->rotation, &n->scale}) {
        if (t->Keys().empty()) continue;
        lo = any ? std::min(lo, t->Keys().front().frame) : t->Keys().front().frame;
        hi = any ? std::max(hi, t->Keys().back().frame) : t->Keys().back().frame;
        any = true;
      }
    }
    if (first) *first = lo;
    if (last) *last = hi;
    return any ? 1 : 0;
  });
}

/* ---- objects ---- */

int tsxObjectDefine(int pluginId, const char* name, const tsxOBJTYPE_CALLBACKS* callbacks, int) {
  return Guarded(0, [&] {
    HostState& s = State();
    if (!name || !*name || name[0] == '#' || !callbacks) return 0;
    if (callbacks->version != e_tsxOBJTYPE_CALLBACKS_VERSION) return 0;
    if (ObjectType* t = FindTypeByName(s, name)) {
      // Defined again (a module loaded anew): the type keeps its id and takes the new callbacks.
      t->pluginId = pluginId;
      t->callbacks = *callbacks;
      t->owner = s.callingPlugin;
      return t->id;
    }
    int id = e_tsxFIRST_PLUGIN_TYPE;
    for (const ObjectType& t : s.types) id = std::max(id, t.id + 1);
    if (id > e_tsxLAST_PLUGIN_TYPE) return 0;
    s.types.push_back(ObjectType{id, name, pluginId, *callbacks, s.callingPlugin});
    return id;
  });
}

tsxSOBJ* tsxObjectCreate(int type) {
  return Guarded<tsxSOBJ*>(nullptr, [&]() -> tsxSOBJ* {
    HostState& s = State();
    if (s.createFails) return nullptr;
    ObjectType* t = FindType(s, type);
    if (!t) return nullptr;
    return Scene::Handle(s.scene.Create(t->id, t->name));
  });
}

int tsxSceneAddObject(tsxSOBJ* obj, int) {
  return Guarded(0, [&] {
    HostState& s = State();
    Node* n = NodeOf(obj);
    if (!n || n->attached) return 0;
    s.scene.AttachTopLevel(*n);
    return 1;
  });
}

int tsxSobjGetType(tsxSOBJ* obj) {
  return Guarded(0, [&] {
    Node* n = NodeOf(obj);
    return n ? n->type : 0;
  });
}

int tsxSelectSobj(tsxSOBJ* obj) {
  return Guarded(0, [&] {
    Node* n = NodeOf(obj);
    if (!n || !n->attached) return 0;
    State().scene.selected = n->id;
    return 1;
  });
}

int tsxSelectUp(void) {
  return Guarded(0, [&] {
    Scene& sc = State().scene;
    Node* n = sc.FindId(sc.selected);
    sc.selected = n ? n->parent : 0;
    return 1;
  });
}

int tsxSobjDelete(tsxSOBJ* obj) {
  return Guarded(0, [&] {
    Node* n = NodeOf(obj);
    return n && DeleteObject(State(), n->id) ? 1 : 0;
  });
}

}  // extern "C"
