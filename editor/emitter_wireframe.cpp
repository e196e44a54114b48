#include "editor/emitter_wireframe.h"

TWireShape EmitterWireShape() {
  TWireShape shape;
  shape.Vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {0, 0, 0}, {0, 0, 1}};
  shape.Indices = {0, 1, 2, 3, 0, -2, 4, 5, -1};
  return shape;
}
