#pragma once
// Points in flat polygons: the polygon's corners lie in a plane parallel to XY (only x
// and y are looked at).
#include <span>

#include "platform/host/tsxapi.h"

// Even-odd rule. An edge counts when exactly one of its ends lies at or right of p.x and
// the edge passes above p there; a corner whose x equals p.x is thus counted once. False
// for fewer than 3 points.
bool PointInPolygon(const CtsxVec3f& p, std::span<const CtsxVec3f> points);

// A point drawn uniformly from the polygon's 2-D bounding box, at most 11 tries, until one
// lies inside; it gets the z of points[0]. Draws nothing and fails when the box is 0.001
// or less wide or high (compared in double). On failure out = points[0] (or stays as it was for no points).
// Uses the process-wide random generator: x then y for each try.
bool RandomPointInPolygon(std::span<const CtsxVec3f> points, CtsxVec3f& out);
