// hostsim: the command-line host. Commands:
//   hostsim info [--module PATH]   load the module, print its version and descriptor
#include <iostream>
#include <string>
#include <vector>

#include "apps/hostsim/info_command.h"
#include "apps/hostsim/module_path.h"
#include "platform/host/host.h"
#include "platform/win/message_queue.h"

namespace {

int Usage() {
  std::cerr << "usage: hostsim info [--module PATH]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Clicks and keys reach the plug-in's windows while it runs a blocking loop.
  host::SetPump([] { win::PumpPendingMessages(); });
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] != "info") return Usage();
  std::string module = DefaultModulePath();
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--module" && i + 1 < args.size())
      module = args[++i];
    else
      return Usage();
  }
  return RunInfo(module, std::cout, std::cerr);
}
