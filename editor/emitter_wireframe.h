#pragma once
// The emitter's wireframe in the host's views: a 2 x 2 square in the XY plane with a
// unit normal along +Z.
#include "hostbridge/wire_shape.h"

TWireShape EmitterWireShape();
