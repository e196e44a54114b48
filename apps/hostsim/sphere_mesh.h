#pragma once
// A sphere as a polyhedron for the host: rings of quads between two fans of triangles at
// the poles, every face wound counter-clockwise seen from outside.
#include <vector>

#include "platform/host/tsxapi.h"

struct SphereMesh {
  std::vector<CtsxVec3f> vertices;
  std::vector<std::vector<int>> faces;
};

// `rings` >= 2 bands from pole to pole, `segments` >= 3 around.
SphereMesh MakeSphere(float radius, int rings = 8, int segments = 16);
