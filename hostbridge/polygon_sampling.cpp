#include "hostbridge/polygon_sampling.h"

#include <algorithm>

#include "platform/classlib/random.h"

bool PointInPolygon(const CtsxVec3f& p, std::span<const CtsxVec3f> points) {
  if (points.size() < 3) return false;
  bool inside = false;
  const CtsxVec3f* previous = &points.back();
  for (const CtsxVec3f& current : points) {
    if ((current.x < p.x) == (p.x <= previous->x)) {
      const CtsxVec3f& left = current.x < previous->x ? current : *previous;
      const CtsxVec3f& right = current.x < previous->x ? *previous : current;
      if ((right.y - left.y) * (p.x - left.x) > (p.y - left.y) * (right.x - left.x)) inside = !inside;
    }
    previous = &current;
  }
  return inside;
}

bool RandomPointInPolygon(std::span<const CtsxVec3f> points, CtsxVec3f& out) {
  if (points.empty()) return false;
  out = points[0];
  CtsxVec3f lo = points[0], hi = points[0];
  for (const CtsxVec3f& q : points) {
    lo.x = std::min(lo.x, q.x);
    lo.y = std::min(lo.y, q.y);
    hi.x = std::max(hi.x, q.x);
    hi.y = std::max(hi.y, q.y);
  }
  const float w = hi.x - lo.x;
  const float h = hi.y - lo.y;
  // Compared in double: a box exactly 0.001f wide lies just above 0.001 and is sampled.
  if (!(double(w) > 0.001 && double(h) > 0.001)) return false;
  for (int attempt = 0; attempt < 11; ++attempt) {
    CtsxVec3f candidate;
    candidate.x = static_cast<float>(lo.x + Random() * w);
    candidate.y = static_cast<float>(lo.y + Random() * h);
    candidate.z = 0.0f;
    if (PointInPolygon(candidate, points)) {
      candidate.z = points[0].z;
      out = candidate;
      return true;
    }
  }
  return false;
}
