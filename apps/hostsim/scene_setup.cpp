#include "apps/hostsim/scene_setup.h"

#include "apps/hostsim/demo_scene.h"
#include "apps/hostsim/module_path.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_builder.h"

SceneDescription ResolveScene(const SceneOptions& options) {
  SceneDescription d;
  if (!options.load.empty())
    d.camera = DemoCamera();
  else if (!options.scene.empty())
    d = ReadSceneDescription(options.scene);
  else
    d = DemoScene();
  for (const std::string& file : options.emitters) d.emitters.push_back(EmitterFromFile(file));
  return d;
}

std::string ModulePathOf(const std::string& option) { return option.empty() ? DefaultModulePath() : option; }

void BuildScene(ModuleSession& module, const SceneOptions& options, const SceneDescription& scene, int width,
                int height) {
  SetUpView(scene.camera, width, height);
  if (!options.load.empty()) module.LoadScene(options.load);
  AddGeometry(scene.objects);
  AddPluginObjects(module, scene);
}
