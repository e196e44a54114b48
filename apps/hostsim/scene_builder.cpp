#include "apps/hostsim/scene_builder.h"

#include <algorithm>

#include "apps/hostsim/hostsim_error.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/sphere_mesh.h"

void SetUpView(const host::Camera& camera, int width, int height) {
  host::SetRenderSize(width, height);
  host::SetDrawportSize(width, height);
  host::SetCamera(camera);
}

void ApplyMotion(host::NodeHandle node, const Motion& motion) {
  for (const Key& k : motion.position) host::SetKey(node, host::Channel::Position, k.frame, k.value);
  for (const Key& k : motion.rotation) host::SetKey(node, host::Channel::Rotation, k.frame, k.value);
  for (const Key& k : motion.scale) host::SetKey(node, host::Channel::Scale, k.frame, k.value);
}

void AddGeometry(const std::vector<SceneObject>& objects) {
  for (const SceneObject& o : objects) {
    host::NodeHandle n = nullptr;
    switch (o.kind) {
      case ShapeKind::Cube: n = host::AddCube(o.name, o.width); break;
      case ShapeKind::Plane: n = host::AddPlane(o.name, o.width, o.height); break;
      case ShapeKind::Sphere: {
        const SphereMesh m = MakeSphere(o.width / 2);
        n = host::AddPolyhedron(o.name, m.vertices, m.faces);
        break;
      }
    }
    host::SetColor(n, o.colour.x, o.colour.y, o.colour.z);
    ApplyMotion(n, o.motion);
  }
}

host::NodeHandle NewNode(const std::vector<host::NodeHandle>& before, const std::string& command) {
  host::NodeHandle made = nullptr;
  for (host::NodeHandle n : host::TopLevelNodes())
    if (std::find(before.begin(), before.end(), n) == before.end()) made = n;
  if (!made) {
    host::NodeHandle sel = host::Selected();
    if (sel && std::find(before.begin(), before.end(), sel) == before.end()) made = sel;
  }
  if (!made) throw HostsimError("\"" + command + "\" made no object in the scene");
  return made;
}

void AddPluginObjects(ModuleSession& module, const SceneDescription& scene) {
  for (const SceneEmitter& e : scene.emitters) {
    const auto before = host::TopLevelNodes();
    module.RunCommand("File/New Emitter");
    const host::NodeHandle node = NewNode(before, "File/New Emitter");
    if (!e.settings.empty()) module.RunCommand("File/Load Emitter Settings", {{"open:" + e.settings}});
    if (!e.system.empty()) {
      module.RunCommand("File/Add Particle System");
      module.RunCommand("File/Load System Settings", {{"open:" + e.system}});
    }
    ApplyMotion(node, e.motion);
  }
  for (const SceneTool& t : scene.tools) {
    const std::string command = "Toolbox/New " + t.kind;
    const auto before = host::TopLevelNodes();
    module.RunCommand(command);
    ApplyMotion(NewNode(before, command), t.motion);
  }
}
