#pragma once
// The scene `hostsim render` shows without --scene: a camera, a ground plane, a turning
// cube, one emitter with its default system plus an example system, and one attractor.
#include "apps/hostsim/scene_description.h"

// The example system the demo adds; throws HostsimError when examples/ lacks it.
SceneDescription DemoScene();
// The demo's camera, also used for scenes loaded from a host scene file.
host::Camera DemoCamera();
