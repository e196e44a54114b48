#include <ostream>

#include "apps/hostsim/cli_options.h"
#include "apps/hostsim/commands.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_setup.h"
#include "platform/host/host.h"

int RunSceneCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] != "save") {
    err << "hostsim scene: wants \"save FILE\"\n";
    return 2;
  }
  SceneSaveOptions o;
  try {
    o = ParseSceneSaveOptions(std::vector<std::string>(args.begin() + 1, args.end()));
  } catch (const UsageError& e) {
    err << "hostsim scene save: " << e.what() << "\n";
    return 2;
  }
  try {
    const SceneDescription scene = ResolveScene(o.scene);
    ModuleSession module(ModulePathOf(o.scene.module), err);
    module.ClickIcon();
    BuildScene(module, o.scene, scene, 320, 240);
    host::SaveScene(o.file);
    out << "saved " << o.file << "\n";
    return 0;
  } catch (const std::exception& e) {
    err << "hostsim scene save: " << e.what() << "\n";
    return 1;
  }
}
