#include <memory>
#include <ostream>

#include "apps/hostsim/cli_options.h"
#include "apps/hostsim/commands.h"
#include "apps/hostsim/desktop/file_prompt.h"
#include "apps/hostsim/desktop/host_window.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_setup.h"
#include "platform/display/sdl_display.h"
#include "platform/host/host.h"
#include "platform/win/message_queue.h"

namespace {

// The pump the host runs while the plug-in loops (its preview, a render): the person's
// input, the picture of the frame the plug-in has finished, the window system's queue,
// then the view's newly drawn scene for the plug-in to draw over. Presenting before the
// view's pixels change keeps a half-drawn frame off the screen. Once the host is closing
// (its close box, the screen's, a signal) every abort check says so, which ends the
// plug-in's loop and lets the host's own loop see the quit.
class ScreenPump {
 public:
  ScreenPump(display::SdlDisplay& screen, hostui::HostWindow& host) {
    host::SetPump([&screen, &host] {
      screen.PumpEvents(0);
      screen.Present();
      host.SetPluginBusy(true);
      win::PumpPendingMessages();
      host.SetPluginBusy(false);
      host.ShowViewPixels();
      if (screen.QuitRequested() || win::QuitRequested()) host::ScriptAbort(0);
    });
  }
  ~ScreenPump() {
    host::SetPump([] { win::PumpPendingMessages(); });
  }
  ScreenPump(const ScreenPump&) = delete;
  ScreenPump& operator=(const ScreenPump&) = delete;
};

}  // namespace

int RunOpen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  OpenOptions o;
  try {
    o = ParseOpenOptions(args);
  } catch (const UsageError& e) {
    err << "hostsim open: " << e.what() << "\n";
    return 2;
  }
  try {
    const SceneDescription scene = ResolveScene(o.scene);
    display::SdlDisplay screen(o.width, o.height, "hostsim");
    ModuleSession module(ModulePathOf(o.scene.module));
    hostui::HostWindow* self = nullptr;
    hostui::HostWindow host(module, o.width, o.height, [&screen, &self](const std::string& title, const std::string& name) {
      return hostui::AskFileName(screen, self->Main(), title, name);
    });
    self = &host;
    host::SetMainViewWindow(host.View());
    host::SetViewWindow(host.View());
    win::RECT view;
    win::GetClientRect(host.View(), &view);
    BuildScene(module, o.scene, scene, view.right, view.bottom);
    host.Layout();
    host.SetStatus("Click the plug-in's button to show its editor");
    ScreenPump pump(screen, host);
    display::RunMessageLoop(screen, [&host] { host.Idle(); });
    out << "closed\n";
    return 0;
  } catch (const std::exception& e) {
    err << "hostsim open: " << e.what() << "\n";
    return 1;
  }
}

int RunShot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0].empty() || args[0][0] == '-') {
    err << "hostsim shot: shot needs a DIR\n";
    return 2;
  }
  std::vector<std::string> run(args.begin() + 1, args.end());
  run.insert(run.end(), {"--shots", args[0]});
  return RunScript(run, out, err);
}
