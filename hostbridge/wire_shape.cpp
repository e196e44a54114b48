#include "hostbridge/wire_shape.h"

TWireShape UnitCubeShape() {
  TWireShape s;
  s.Vertices = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  s.Indices = {0, 1, 2, 3, 0, -2, 4, 5, 6, 7, 4, -2, 0, 4, -2, 1, 5, -2, 2, 6, -2, 3, 7, -1};
  return s;
}

void TerminateIndices(TWireShape& shape) {
  if (shape.Indices.empty() || shape.Indices.back() != e_tsxLINELIST_END) shape.Indices.push_back(e_tsxLINELIST_END);
}
