#pragma once
// TTsxExtObj: one plug-in object type of the host. It defines the type, creates objects
// of it, draws them as wireframes, reports their bounds and turns the host's per-object
// callbacks into published events. Every type of the module shares one callback record;
// a callback finds the component through the object's type id.
#include <functional>
#include <string>

#include "hostbridge/wire_shape.h"
#include "platform/classlib/component.h"
#include "platform/host/tsxapi.h"

const TEnumInfo& TsxPenInfo();

using TObjectHasChangedEvent = std::function<void(TObject* Sender, tsxSOBJ* pSobj, tsxOBJECT_CHANGE aType)>;
using TApplyObmoveEvent = std::function<void(TObject* Sender, tsxSOBJ* pSobj, CtsxTxmx3f* trans, Word flags)>;
using TObjectDeleteEvent = std::function<void(TObject* Sender, tsxSOBJ* pSobj)>;
using TObjectCloneEvent = std::function<void(TObject* Sender, tsxSOBJ* pSobj, tsxSOBJ* pClone, Integer& Result)>;
using TFileIOEvent = std::function<Integer(tsxSOBJ* pSobj, tsxFILE* fd)>;

class TTsxExtObj : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTsxExtObj(TComponent* AOwner);
  // Leaves the module's type list, so that callbacks for its objects find nothing
  // instead of a freed component.
  ~TTsxExtObj() override;

  const std::string& ObjectTypeName() const { return objectTypeName_; }
  void SetObjectTypeName(const std::string& value) { objectTypeName_ = value; }
  tsxPEN WirePen() const { return wirePen_; }
  void SetWirePen(tsxPEN value) { wirePen_ = value; }
  // The host's type id; 0 until defined.
  Integer SObjType() const { return sObjType_; }
  const TWireShape& Shape() const { return shape_; }
  void SetShape(TWireShape shape);

  // Defines the type with the host, once (nothing when already defined). A refusal
  // leaves SObjType at 0.
  void Define();
  // A new object of the type at the top level of the scene, axes at the origin, named
  // after the type; null (and a beep) when the host refuses.
  tsxSOBJ* CreateObject();
  // Draws the shape with the object's node transform; the pen goes by the draw mode.
  // 1 when the host drew the lines.
  Integer Draw(tsxSOBJ* obj, int mode, int arg);
  // box[0] = minimum, box[1] = maximum of the shape mapped by `matrix` (or the node
  // transform when null). With no vertices: (9999, 9999, 9999) to (-9999, -9999, -9999).
  void GetBounds(tsxSOBJ* obj, CtsxVec3f* box, const CtsxTxmx3f* matrix);

  TObjectHasChangedEvent OnGeometryChanged;
  TApplyObmoveEvent OnTransform;
  TObjectDeleteEvent OnObjectDelete;
  TObjectCloneEvent OnObjectClone;
  TFileIOEvent OnReadBinary, OnWriteBinary, OnReadAscii, OnWriteAscii;

 private:
  std::string objectTypeName_;
  tsxPEN wirePen_ = e_tsxPEN_RED;
  Integer sObjType_ = 0;
  TWireShape shape_;
};

// The component of the object's type; null when there is none or the lookup fails.
TTsxExtObj* FindExtObj(tsxSOBJ* obj);

// The callback record every type is defined with (11 entries, entry 0 = 3).
const tsxOBJTYPE_CALLBACKS& ExtObjCallbacks();
