#include "hostbridge/tsx_ext_obj.h"

#include <algorithm>

#include "hostbridge/c_boundary.h"
#include "hostbridge/ext_obj_types.h"
#include "hostbridge/fpu_state.h"
#include "hostbridge/system_beep.h"
#include "hostbridge/tsx_module.h"
#include "hostbridge/vector_utils.h"

namespace {

// ---- the host's callbacks: find the component, then raise its event ----

int DeleteCallback(tsxSOBJ* obj) {
  return bridge::Guarded(0, [&] {
    TTsxExtObj* ext = FindExtObj(obj);
    // While the host closes, its scene goes away object by object: nothing to mirror.
    if (ext && MainViewHwnd()) {
      const TObjectDeleteEvent handler = ext->OnObjectDelete;
      if (handler) handler(ext, obj);
    }
    return 0;
  });
}

int CloneCallback(tsxSOBJ* obj, tsxSOBJ* clone) {
  return bridge::Guarded(0, [&] {
    TTsxExtObj* ext = FindExtObj(obj);
    if (!ext) return 0;
    Integer result = 0;
    const TObjectCloneEvent handler = ext->OnObjectClone;
    if (handler) handler(ext, obj, clone, result);
    return static_cast<int>(result);
  });
}

int FileCallback(tsxSOBJ* obj, tsxFILE* fd, int direction, int format) {
  return bridge::Guarded(0, [&] {
    TTsxExtObj* ext = FindExtObj(obj);
    if (!ext) return 0;
    const TFileIOEvent* event = nullptr;
    if (direction == e_tsxFILE_READ && format == e_tsxFILE_BINARY) event = &ext->OnReadBinary;
    if (direction == e_tsxFILE_READ && format == e_tsxFILE_ASCII) event = &ext->OnReadAscii;
    if (direction == e_tsxFILE_WRITE && format == e_tsxFILE_BINARY) event = &ext->OnWriteBinary;
    if (direction == e_tsxFILE_WRITE && format == e_tsxFILE_ASCII) event = &ext->OnWriteAscii;
    if (!event) return 0;
    const TFileIOEvent handler = *event;
    return handler ? static_cast<int>(handler(obj, fd)) : 0;
  });
}

int DrawCallback(tsxSOBJ* obj, int mode, int arg) {
  return bridge::Guarded(0, [&] {
    TTsxExtObj* ext = FindExtObj(obj);
    return ext ? static_cast<int>(ext->Draw(obj, mode, arg)) : 0;
  });
}

int TransformCallback(tsxSOBJ* obj, CtsxTxmx3f* trans, int flags) {
  return bridge::Guarded(0, [&] {
    if (TTsxExtObj* ext = FindExtObj(obj)) {
      const TApplyObmoveEvent handler = ext->OnTransform;
      if (handler) handler(ext, obj, trans, static_cast<Word>(flags));
    }
    return 0;
  });
}

int BoundsCallback(tsxSOBJ* obj, CtsxVec3f* box, CtsxTxmx3f* matrix) {
  return bridge::Guarded(0, [&] {
    TTsxExtObj* ext = FindExtObj(obj);
    if (ext && MainViewHwnd()) ext->GetBounds(obj, box, matrix);
    return 0;
  });
}

int GeometryChangedCallback(tsxSOBJ* obj, tsxOBJECT_CHANGE aType) {
  return bridge::Guarded(0, [&] {
    if (TTsxExtObj* ext = FindExtObj(obj)) {
      const TObjectHasChangedEvent handler = ext->OnGeometryChanged;
      if (handler) handler(ext, obj, aType);
    }
    return 0;
  });
}

int AnswerZero(tsxSOBJ*) { return 0; }

}  // namespace

const tsxOBJTYPE_CALLBACKS& ExtObjCallbacks() {
  static const tsxOBJTYPE_CALLBACKS record = [] {
    tsxOBJTYPE_CALLBACKS r{};
    r.version = e_tsxOBJTYPE_CALLBACKS_VERSION;
    r.deleteObj = &DeleteCallback;
    r.cloneObj = &CloneCallback;
    r.fileIO = &FileCallback;
    r.draw = &DrawCallback;
    r.transform = &TransformCallback;
    r.bounds = &BoundsCallback;
    r.reserved7 = nullptr;
    r.query8 = &AnswerZero;
    r.changed = &GeometryChangedCallback;
    r.query10 = &AnswerZero;
    return r;
  }();
  return record;
}

TTsxExtObj* FindExtObj(tsxSOBJ* obj) {
  try {
    return ExtObjTypes().Find(tsxSobjGetType(obj));
  } catch (...) {
    return nullptr;
  }
}

const TEnumInfo& TsxPenInfo() {
  static const TEnumInfo info(
      "tsxPEN", {"e_tsxPEN_BACKGROUND", "e_tsxPEN_GRID", "e_tsxPEN_ACTIVE", "e_tsxPEN_SCENE", "e_tsxPEN_ACTIVESUB",
                 "e_tsxPEN_INACTIVESUB", "e_tsxPEN_CONTROL", "e_tsxPEN_ACTIVECONTROL", "e_tsxPEN_RED",
                 "e_tsxPEN_GREEN", "e_tsxPEN_BLUE"});
  return info;
}

const TClass& TTsxExtObj::StaticClass() {
  static const TClass cls = TClass::Of<TTsxExtObj>("TTsxExtObj", TComponent::StaticClass(), &TTsxExtObj::Publish);
  return cls;
}

void TTsxExtObj::Publish(TPublished& published) {
  auto p = published.For<TTsxExtObj>();
  p.String("ObjectTypeName", &TTsxExtObj::ObjectTypeName, &TTsxExtObj::SetObjectTypeName);
  p.Enum("WirePen", TsxPenInfo(), &TTsxExtObj::WirePen, &TTsxExtObj::SetWirePen).Default(e_tsxPEN_RED);
  p.Integer("SObjType", &TTsxExtObj::SObjType).Stored(false);
  p.Event("OnGeometryChanged", &TTsxExtObj::OnGeometryChanged);
  p.Event("OnTransform", &TTsxExtObj::OnTransform);
  p.Event("OnObjectDelete", &TTsxExtObj::OnObjectDelete);
  p.Event("OnObjectClone", &TTsxExtObj::OnObjectClone);
  p.Event("OnReadBinary", &TTsxExtObj::OnReadBinary);
  p.Event("OnWriteBinary", &TTsxExtObj::OnWriteBinary);
  p.Event("OnReadAscii", &TTsxExtObj::OnReadAscii);
  p.Event("OnWriteAscii", &TTsxExtObj::OnWriteAscii);
}

TTsxExtObj::TTsxExtObj(TComponent* AOwner) : TComponent(AOwner), shape_(UnitCubeShape()) {}

TTsxExtObj::~TTsxExtObj() { ExtObjTypes().Remove(this); }

void TTsxExtObj::SetShape(TWireShape shape) {
  TerminateIndices(shape);
  shape_ = std::move(shape);
}

void TTsxExtObj::Define() {
  if (sObjType_ != 0) return;
  const Integer id = tsxObjectDefine(TsxModule().PluginId, objectTypeName_.c_str(), &ExtObjCallbacks(), 0);
  if (id == 0) return;
  sObjType_ = id;
  ExtObjTypes().Store(id, this);
}

tsxSOBJ* TTsxExtObj::CreateObject() {
  tsxSOBJ* obj = tsxObjectCreate(sObjType_);
  if (!obj) {
    SystemBeep(0);
    return nullptr;
  }
  const CtsxVec3f origin{0, 0, 0};
  tsxMNodeSetAxesPosition(obj, &origin);
  tsxSceneAddObject(obj, 0);
  tsxGNodeSetName(obj, objectTypeName_.c_str());
  return obj;
}

Integer TTsxExtObj::Draw(tsxSOBJ* obj, int mode, int arg) {
  switch (mode) {
    case 1: tsxAViewSetPen(wirePen_); break;
    case 2: tsxAViewSetPen(e_tsxPEN_ACTIVESUB); break;
    case 3: tsxAViewSetPen(e_tsxPEN_SCENE); break;
    case 4: tsxAViewSetPen(e_tsxPEN_INACTIVESUB); break;
    default: break;
  }
  CtsxTxmx3f m = IdentityTxmx();
  tsxGNodeGetTransform(obj, &m);
  const int drawn = tsxAViewDrawLinelist(&m, shape_.Vertices.data(), static_cast<int>(shape_.Vertices.size()),
                                         shape_.Indices.data(), arg);
  return drawn != 0 ? 1 : 0;
}

void TTsxExtObj::GetBounds(tsxSOBJ* obj, CtsxVec3f* box, const CtsxTxmx3f* matrix) {
  if (!box) return;
  CtsxTxmx3f m = IdentityTxmx();
  if (matrix)
    m = *matrix;
  else
    tsxGNodeGetTransform(obj, &m);
  SnapMatrixToZero(m);
  ClearFpuState();
  CtsxVec3f lo{9999, 9999, 9999};
  CtsxVec3f hi{-9999, -9999, -9999};
  for (const CtsxVec3f& v : shape_.Vertices) {
    CtsxVec3f t{};
    tsxTransformVect3f(&v, &t, &m);
    lo = {std::min(lo.x, t.x), std::min(lo.y, t.y), std::min(lo.z, t.z)};
    hi = {std::max(hi.x, t.x), std::max(hi.y, t.y), std::max(hi.z, t.z)};
  }
  box[0] = lo;
  box[1] = hi;
}
