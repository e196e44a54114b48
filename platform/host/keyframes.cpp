#include "platform/host/keyframes.h"

#include <algorithm>

namespace host {

void Track::Set(float frame, const CtsxVec3f& value) {
  auto it = std::lower_bound(keys_.begin(), keys_.end(), frame,
                             [](const Key& k, float f) { return k.frame < f; });
  if (it != keys_.end() && it->frame == frame) {
    it->value = value;
    return;
  }
  keys_.insert(it, Key{frame, value});
}

CtsxVec3f Track::At(float frame) const {
  if (keys_.empty()) return default_;
  if (!(frame > keys_.front().frame)) return keys_.front().value;  // NaN takes the first key
  if (frame >= keys_.back().frame) return keys_.back().value;
  auto hi = std::upper_bound(keys_.begin(), keys_.end(), frame,
                             [](float f, const Key& k) { return f < k.frame; });
  auto lo = hi - 1;
  const double t = (double(frame) - lo->frame) / (double(hi->frame) - lo->frame);
  auto lerp = [t](float a, float b) { return static_cast<float>(a + (double(b) - a) * t); };
  return {lerp(lo->value.x, hi->value.x), lerp(lo->value.y, hi->value.y),
          lerp(lo->value.z, hi->value.z)};
}

void Track::Offset(const CtsxVec3f& d) {
  default_ = {default_.x + d.x, default_.y + d.y, default_.z + d.z};
  for (Key& k : keys_) k.value = {k.value.x + d.x, k.value.y + d.y, k.value.z + d.z};
}

}  // namespace host
