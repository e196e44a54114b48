#pragma once
// Plug-in modules: loading with dlopen, the handshake (tsxGetVersion, then tsxGetData with
// a 100-byte descriptor and the plug-in's id), the icon clicks, deactivation and unloading.
// Plug-ins linked into the caller register their entry points directly.
#include <string>

#include "platform/host/host_state.h"

namespace host {

// Throws HostError for a missing file or a module without the five exports; nothing of
// the module stays loaded then. Returns the plug-in id.
int LoadPluginModule(HostState& s, const std::string& path);
int RegisterPluginEntryPoints(HostState& s, const PluginEntryPoints& entry);
Plugin* FindPlugin(HostState& s, int pluginId);
int LeftClick(HostState& s, int pluginId);
void RightClick(HostState& s, int pluginId);
void Deactivate(HostState& s, int pluginId);
// Drops the plug-in's event and shader registrations and its types' callbacks (its
// objects stay, with their chunks kept), then closes the module.
void UnloadPlugin(HostState& s, int pluginId);

}  // namespace host
