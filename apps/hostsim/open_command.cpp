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
#include "platform/win/system_tables.h"

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
    // The scene is built before the screen opens, as render builds it: what the plug-in
    // refuses (a bad settings file) ends the job with its message before any window shows.
    win::SetScreenSize(o.width, o.height);
    ModuleSession module(ModulePathOf(o.scene.module), err);
    display::SdlDisplay* shown = nullptr;
    hostui::HostWindow* self = nullptr;
    hostui::HostWindow host(module, o.width, o.height, [&shown, &self](const std::string& title, const std::string& name) {
      return shown ? hostui::AskFileName(*shown, self->Main(), title, name) : std::string();
    });
    self = &host;
    host::SetMainViewWindow(host.View());
    host::SetViewWindow(host.View());
    win::RECT view;
    win::GetClientRect(host.View(), &view);
    BuildScene(module, o.scene, scene, view.right, view.bottom);
    display::SdlDisplay screen(o.width, o.height, "hostsim");
    shown = &screen;
    host.Layout();
    host.ShowEditorHint();
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
    err << "hostsim shot: needs a DIR\n";
    return 2;
  }
  std::vector<std::string> run(args.begin() + 1, args.end());
  run.insert(run.end(), {"--shots", args[0]});
  return RunScript(run, out, err);
}
