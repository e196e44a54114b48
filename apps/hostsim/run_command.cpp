#include <optional>
#include <ostream>

#include "apps/hostsim/cli_options.h"
#include "apps/hostsim/commands.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_setup.h"
#include "apps/hostsim/window_shots.h"
#include "platform/host/host.h"

namespace {

// `run --help`: the options, and the commands of the module at hand.
int RunHelp(const std::string& modulePath, std::ostream& out, std::ostream& err) {
  try {
    ModuleSession module(ModulePathOf(modulePath), err);
    out << "hostsim run [--load SCENE] [--command \"Menu/Item\" [--answer A]...]... [--save SCENE] [--shots DIR]\n"
           "            [--module PATH]\n"
           "The editor's commands (some only while an emitter or a particle system is selected):\n";
    for (const std::string& c : module.CommandList()) out << "  " << c << "\n";
    return 0;
  } catch (const std::exception& e) {
    err << "hostsim run: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace

int RunScript(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  RunOptions o;
  try {
    o = ParseRunOptions(args);
  } catch (const UsageError& e) {
    err << "hostsim run: " << e.what() << "\n";
    return 2;
  }
  if (o.help) return RunHelp(o.module, out, err);
  try {
    // Made before the module and gone after it: the plug-in's windows live under it.
    std::optional<ShotMainView> view;
    if (!o.shots.empty()) view.emplace();
    ModuleSession module(ModulePathOf(o.module), err);
    module.ClickIcon();
    if (!o.load.empty()) module.LoadScene(o.load);
    for (const ScriptCommand& c : o.commands) {
      module.RunCommand(c.path, c.answers);
      out << c.path << ":" << module.StatusText() << "\n";
    }
    if (!o.save.empty()) {
      host::SaveScene(o.save);
      out << "saved " << o.save << "\n";
    }
    if (!o.shots.empty()) WriteWindowShots(o.shots, out);
    return 0;
  } catch (const std::exception& e) {
    err << "hostsim run: " << e.what() << "\n";
    return 1;
  }
}
