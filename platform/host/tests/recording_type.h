#pragma once
// A plug-in object type defined straight from a test: every callback the host makes is
// logged, the bounds are a fixed box, and the file callback writes or reads a payload.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/tsxapi.h"

struct RecordingType {
  static inline std::vector<std::string> log;
  static inline std::vector<std::pair<void*, void*>> clones;
  static inline std::vector<void*> deleted;
  static inline std::vector<int> drawModes;
  static inline std::vector<int> drawArgs;
  static inline std::string payload = "chunk-bytes";    // written on save
  static inline std::string readBack;                   // what a load read
  static inline size_t readRequest = 0;                 // 0: read the chunk's size
  static inline size_t lastReadCount = 0;
  static inline int typeSeenInDelete = 0;
  static inline int deleteAgainResult = -1;

  static void Clear() {
    log.clear();
    clones.clear();
    deleted.clear();
    drawModes.clear();
    drawArgs.clear();
    payload = "chunk-bytes";
    readBack.clear();
    readRequest = 0;
    lastReadCount = 0;
    typeSeenInDelete = 0;
    deleteAgainResult = -1;
  }

  static int Delete(tsxSOBJ* obj) {
    log.push_back("delete");
    deleted.push_back(obj);
    typeSeenInDelete = tsxSobjGetType(obj);  // the object still exists during the call
    deleteAgainResult = tsxSobjDelete(obj);
    return 0;
  }
  static int Clone(tsxSOBJ* obj, tsxSOBJ* clone) {
    log.push_back("clone");
    clones.emplace_back(obj, clone);
    return 0;
  }
  static int File(tsxSOBJ*, tsxFILE* fd, int direction, int format) {
    log.push_back(direction == e_tsxFILE_WRITE ? "write" : "read");
    if (format != e_tsxFILE_BINARY) return 0;
    if (direction == e_tsxFILE_WRITE) {
      const uint32_t n = static_cast<uint32_t>(payload.size());
      tsxFILEwrite(&n, 4, 1, fd);
      tsxFILEwrite(payload.data(), 1, payload.size(), fd);
      return 0;
    }
    uint32_t n = 0;
    if (tsxFILEread(&n, 4, 1, fd) != 1) return 0;
    const size_t want = readRequest ? readRequest : n;
    std::string s(want, '\0');
    lastReadCount = tsxFILEread(s.data(), 1, want, fd);
    readBack = s.substr(0, lastReadCount);
    return 0;
  }
  static int Draw(tsxSOBJ*, int mode, int arg) {
    drawModes.push_back(mode);
    drawArgs.push_back(arg);
    static const CtsxVec3f v[2] = {{-1, 0, 0}, {1, 0, 0}};
    static const int32_t idx[] = {0, 1, -1};
    CtsxTxmx3f m{};
    m.rot[0][0] = m.rot[1][1] = m.rot[2][2] = 1;
    tsxAViewSetPen(e_tsxPEN_RED);
    return tsxAViewDrawLinelist(&m, v, 2, idx, arg);
  }
  static int Bounds(tsxSOBJ*, CtsxVec3f* box, CtsxTxmx3f*) {
    box[0] = {-1, -0.5f, -0.25f};
    box[1] = {1, 0.5f, 0.25f};
    return 0;
  }

  static tsxOBJTYPE_CALLBACKS Callbacks() {
    tsxOBJTYPE_CALLBACKS cb{};
    cb.version = 3;
    cb.deleteObj = Delete;
    cb.cloneObj = Clone;
    cb.fileIO = File;
    cb.draw = Draw;
    cb.bounds = Bounds;
    return cb;
  }
  static int Define(const char* name = "Test_Object") {
    const tsxOBJTYPE_CALLBACKS cb = Callbacks();
    return tsxObjectDefine(1, name, &cb, 0);
  }
  // An object of the type, added at the top level and named.
  static tsxSOBJ* Create(int type, const char* name) {
    tsxSOBJ* o = tsxObjectCreate(type);
    if (!o) return nullptr;
    tsxSceneAddObject(o, 0);
    tsxGNodeSetName(o, name);
    return o;
  }
};
