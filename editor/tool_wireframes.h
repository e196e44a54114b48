#pragma once
// The wireframes the host draws for the tool objects, in each object's own space.
#include "hostbridge/wire_shape.h"
#include "platform/classlib/types.h"

TWireShape DeflectorShape();
TWireShape FanShape();
// Three axes; the attractor and the repulsor share it.
TWireShape AxesShape();
TWireShape LeaderShape();
TWireShape GravitronShape();
// The shape of a tool kind (1 to 6); an empty shape for any other.
TWireShape ToolShape(Integer Kind);
