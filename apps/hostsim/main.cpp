// hostsim: the command-line host. Commands:
//   hostsim info [--module PATH]   load the module, print its version and descriptor
//   hostsim render ...             render a scene to PNG frames
//   hostsim scene save FILE ...    build a scene and save the host's scene file
//   hostsim run ...                run editor commands with scripted dialog answers
//   hostsim shot DIR ...           a run, then every visible window as PNG
//   hostsim open ...               the host and the plug-in on a screen
// (apps/hostsim/README.md has the options and the scene description.)
#include <iostream>
#include <string>
#include <vector>

#include "apps/hostsim/commands.h"
#include "apps/hostsim/info_command.h"
#include "apps/hostsim/module_path.h"
#include "platform/host/host.h"
#include "platform/win/message_queue.h"

namespace {

int Usage() {
  std::cerr << "usage: hostsim info [--module PATH]\n"
               "       hostsim render [--scene FILE | --load SCENE] [--frames A:B] [--size WxH] [--out DIR]\n"
               "                      [--emitter FILE.zke ...] [--module PATH]\n"
               "       hostsim scene save FILE [--scene FILE | --load SCENE] [--emitter FILE.zke ...] [--module PATH]\n"
               "       hostsim run [--load SCENE] [--command \"Menu/Item\" [--answer A]...]... [--save SCENE]\n"
               "                   [--shots DIR] [--module PATH]\n"
               "       hostsim shot DIR [run options]\n"
               "       hostsim open [--scene FILE | --load SCENE] [--emitter FILE.zke ...] [--size WxH] [--module PATH]\n";
  return 2;
}

int Info(const std::vector<std::string>& args) {
  std::string module = DefaultModulePath();
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--module" && i + 1 < args.size()) {
      module = args[++i];
    } else {
      std::cerr << "hostsim info: " << (args[i] == "--module" ? "--module needs a value" : "unknown option \"" + args[i] + "\"") << "\n";
      return 2;
    }
  }
  return RunInfo(module, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  // Clicks and keys reach the plug-in's windows while it runs a blocking loop.
  host::SetPump([] { win::PumpPendingMessages(); });
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) return Usage();
  const std::vector<std::string> args(words.begin() + 1, words.end());
  int code = 2;
  if (words[0] == "info")
    code = Info(args);
  else if (words[0] == "render")
    code = RunRender(args, std::cout, std::cerr);
  else if (words[0] == "run")
    code = RunScript(args, std::cout, std::cerr);
  else if (words[0] == "shot")
    code = RunShot(args, std::cout, std::cerr);
  else if (words[0] == "open")
    code = RunOpen(args, std::cout, std::cerr);
  else if (words[0] == "scene")
    code = RunSceneCommand(args, std::cout, std::cerr);
  else
    std::cerr << "hostsim: \"" << words[0] << "\" is no command\n";
  if (code == 2) Usage();
  return code;
}
