#pragma once
// A keyframed vector channel of a node: keys sorted by frame, linear in between, held
// constant before the first and after the last key; the default value without keys.
#include <vector>

#include "platform/host/tsxapi.h"

namespace host {

struct Key {
  float frame;
  CtsxVec3f value;
};

class Track {
 public:
  explicit Track(CtsxVec3f defaultValue) : default_(defaultValue) {}

  // Replaces the key at the same frame, else inserts in frame order.
  void Set(float frame, const CtsxVec3f& value);
  CtsxVec3f At(float frame) const;
  void Offset(const CtsxVec3f& delta);  // moves the default and every key
  void Clear() { keys_.clear(); }

  const std::vector<Key>& Keys() const { return keys_; }
  CtsxVec3f Default() const { return default_; }
  void SetDefault(const CtsxVec3f& v) { default_ = v; }

 private:
  CtsxVec3f default_;
  std::vector<Key> keys_;
};

}  // namespace host
