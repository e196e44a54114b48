#pragma once
// The scene of render and scene save: read and checked whole before the module loads, then
// put into the host.
#include "apps/hostsim/cli_options.h"
#include "apps/hostsim/scene_description.h"

class ModuleSession;

// The description the options name (the demo scene without --scene, an empty scene with
// the demo camera for --load), with the --emitter files added. Throws HostsimError.
SceneDescription ResolveScene(const SceneOptions& options);
// The module path the options name, else the one built next to hostsim.
std::string ModulePathOf(const std::string& option);
// View, geometry, loaded scene file, emitters and tools, in that order.
void BuildScene(ModuleSession& module, const SceneOptions& options, const SceneDescription& scene, int width,
                int height);
