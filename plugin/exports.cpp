// The five entry points the host looks up by name. Each forwards to the bridge, which
// lets no exception out.
#include "hostbridge/tsx_exports.h"

#define QM_EXPORT extern "C" __attribute__((visibility("default")))

QM_EXPORT int tsxGetVersion(void) { return TsxGetVersion(); }

QM_EXPORT void tsxGetData(tsxPluginDescriptor* descriptor, int pluginId) { TsxGetData(descriptor, pluginId); }

QM_EXPORT int tsxOnLeftClick(void) { return TsxOnLeftClick(); }

QM_EXPORT void tsxOnRightClick(void) { TsxOnRightClick(); }

QM_EXPORT void tsxDeactivate(void) { TsxDeactivate(); }
