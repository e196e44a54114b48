#include <cstdio>
#include <filesystem>
#include <ostream>

#include "apps/hostsim/cli_options.h"
#include "apps/hostsim/commands.h"
#include "apps/hostsim/frame_image.h"
#include "apps/hostsim/hostsim_error.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_setup.h"
#include "platform/win/modal_answers.h"

namespace {

std::string FrameFileName(int frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%04d.png", frame);
  return name;
}

}  // namespace

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  RenderOptions o;
  try {
    o = ParseRenderOptions(args);
  } catch (const UsageError& e) {
    err << "hostsim render: " << e.what() << "\n";
    return 2;
  }
  const std::filesystem::path folder(o.out);
  bool madeFolder = false;
  try {
    // Everything the scene names is checked before the module loads or a frame is written.
    const SceneDescription scene = ResolveScene(o.scene);
    madeFolder = std::filesystem::create_directories(folder);
    ModuleSession module(ModulePathOf(o.scene.module), err);
    module.ClickIcon();  // the first click turns rendering on
    BuildScene(module, o.scene, scene, o.width, o.height);
    // A question while rendering (a missing texture) gets No, as nobody is there to answer.
    win::SetModalSafeDefaults(true);
    for (int frame = o.frames.first; frame <= o.frames.last; ++frame) {
      if (!host::Render(static_cast<float>(frame))) throw HostsimError("frame " + std::to_string(frame) + " was not completed");
      WritePng((folder / FrameFileName(frame)).string(), CaptureRender(o.width, o.height));
      out << "frame " << frame << ":" << module.StatusText() << "\n" << std::flush;
    }
    win::SetModalSafeDefaults(false);
    out << "wrote " << (o.frames.last - o.frames.first + 1) << " frame(s) to "
        << std::filesystem::absolute(folder).lexically_normal().string() << "\n";
    return 0;
  } catch (const std::exception& e) {
    win::SetModalSafeDefaults(false);
    // A folder made for frames that never came goes again; one that holds frames stays.
    std::error_code ignored;
    if (madeFolder && std::filesystem::is_empty(folder, ignored)) std::filesystem::remove(folder, ignored);
    err << "hostsim render: " << e.what() << "\n";
    return 1;
  }
}
