// The five entry points the host looks up by name. Each forwards to the bridge, which
// lets no exception out. The host's first call starts the editor.
#include "hostbridge/tsx_exports.h"
#include "plugin/module_root.h"

#define QM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void Start() {
  try {
    EnsureModuleStarted();
  } catch (...) {
    // No exception crosses into the host; the bridge answers without the editor.
  }
}

}  // namespace

QM_EXPORT int tsxGetVersion(void) {
  Start();
  return TsxGetVersion();
}

QM_EXPORT void tsxGetData(tsxPluginDescriptor* descriptor, int pluginId) {
  Start();
  TsxGetData(descriptor, pluginId);
}

QM_EXPORT int tsxOnLeftClick(void) {
  Start();
  return TsxOnLeftClick();
}

QM_EXPORT void tsxOnRightClick(void) { TsxOnRightClick(); }

QM_EXPORT void tsxDeactivate(void) { TsxDeactivate(); }
