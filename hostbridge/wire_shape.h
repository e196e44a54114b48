#pragma once
// The wireframe a plug-in object type shows in the host's views: vertices in the object's
// space and an index list in which -2 starts a new polyline and -1 ends the list.
#include <vector>

#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

struct TWireShape {
  std::vector<CtsxVec3f> Vertices;
  std::vector<Integer> Indices;
};

// The cube from (-1, -1, -1) to (1, 1, 1): two squares and the four edges between them.
TWireShape UnitCubeShape();

// The index list ends with -1; one is added when it is missing, so that the host never
// reads past the list.
void TerminateIndices(TWireShape& shape);
