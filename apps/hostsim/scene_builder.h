#pragma once
// Puts a scene description into the host: the camera, the geometry, and the emitters and
// tools made through the editor's own menu commands, each moved by its keys.
#include "apps/hostsim/scene_description.h"

class ModuleSession;

// The camera on the active view, the render image and the drawport at width x height.
void SetUpView(const host::Camera& camera, int width, int height);
// Cubes, planes and spheres with their colours and keys.
void AddGeometry(const std::vector<SceneObject>& objects);
void ApplyMotion(host::NodeHandle node, const Motion& motion);
// Emitters and tools through the module's commands; throws HostsimError.
void AddPluginObjects(ModuleSession& module, const SceneDescription& scene);
// The node a command just made: the one top-level node that was not there before, else the
// host's selection. Throws when the command made none.
host::NodeHandle NewNode(const std::vector<host::NodeHandle>& before, const std::string& command);
