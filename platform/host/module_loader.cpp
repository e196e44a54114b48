#include "platform/host/module_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "platform/host/host_error.h"

namespace host {

namespace {

template <class F>
F Export(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

int Handshake(HostState& s, std::unique_ptr<Plugin> plugin) {
  Plugin& p = *plugin;
  p.info.id = s.nextPluginId++;
  s.plugins.push_back(std::move(plugin));
  CallingPlugin calling(s, p.info.id);
  p.info.apiVersion = p.entry.getVersion();
  tsxPluginDescriptor descriptor{};
  p.entry.getData(&descriptor, p.info.id);
  p.info.descriptor = descriptor;
  return p.info.id;
}

}  // namespace

int LoadPluginModule(HostState& s, const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw HostError("Plug-in module \"" + path + "\" does not exist");
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* err = dlerror();
    throw HostError("Cannot load plug-in module \"" + path + "\": " + (err ? err : "unknown error"));
  }
  auto p = std::make_unique<Plugin>();
  p->library = lib;
  p->info.path = path;
  p->entry.getVersion = Export<tsxGetVersion_fn>(lib, "tsxGetVersion");
  p->entry.getData = Export<tsxGetData_fn>(lib, "tsxGetData");
  p->entry.onLeftClick = Export<tsxOnLeftClick_fn>(lib, "tsxOnLeftClick");
  p->entry.onRightClick = Export<tsxOnRightClick_fn>(lib, "tsxOnRightClick");
  p->entry.deactivate = Export<tsxDeactivate_fn>(lib, "tsxDeactivate");
  const char* missing = !p->entry.getVersion ? "tsxGetVersion"
                        : !p->entry.getData ? "tsxGetData"
                        : !p->entry.onLeftClick ? "tsxOnLeftClick"
                        : !p->entry.onRightClick ? "tsxOnRightClick"
                        : !p->entry.deactivate ? "tsxDeactivate"
                                               : nullptr;
  if (missing) {
    dlclose(lib);
    throw HostError("Plug-in module \"" + path + "\" lacks the export " + missing);
  }
  return Handshake(s, std::move(p));
}

int RegisterPluginEntryPoints(HostState& s, const PluginEntryPoints& entry) {
  if (!entry.getVersion || !entry.getData || !entry.onLeftClick || !entry.onRightClick || !entry.deactivate)
    throw HostError("A plug-in needs all five entry points");
  auto p = std::make_unique<Plugin>();
  p->entry = entry;
  return Handshake(s, std::move(p));
}

Plugin* FindPlugin(HostState& s, int pluginId) {
  for (auto& p : s.plugins)
    if (p->info.id == pluginId) return p.get();
  return nullptr;
}

int LeftClick(HostState& s, int pluginId) {
  Plugin* p = FindPlugin(s, pluginId);
  if (!p) throw HostError("No plug-in with id " + std::to_string(pluginId));
  CallingPlugin calling(s, pluginId);
  return p->entry.onLeftClick();
}

void RightClick(HostState& s, int pluginId) {
  Plugin* p = FindPlugin(s, pluginId);
  if (!p) throw HostError("No plug-in with id " + std::to_string(pluginId));
  CallingPlugin calling(s, pluginId);
  p->entry.onRightClick();
}

void Deactivate(HostState& s, int pluginId) {
  Plugin* p = FindPlugin(s, pluginId);
  if (!p) throw HostError("No plug-in with id " + std::to_string(pluginId));
  CallingPlugin calling(s, pluginId);
  p->entry.deactivate();
}

void UnloadPlugin(HostState& s, int pluginId) {
  auto it = std::find_if(s.plugins.begin(), s.plugins.end(),
                         [&](const auto& p) { return p->info.id == pluginId; });
  if (it == s.plugins.end()) throw HostError("No plug-in with id " + std::to_string(pluginId));
  std::erase_if(s.eventCallbacks, [&](const EventRegistration& r) { return r.owner == pluginId; });
  if (s.postProcessOwner == pluginId) {
    s.postProcess = nullptr;
    s.postProcessOwner = 0;
  }
  for (ObjectType& t : s.types)
    if (t.owner == pluginId) t.callbacks = tsxOBJTYPE_CALLBACKS{};
  void* lib = (*it)->library;
  s.plugins.erase(it);
  if (lib) dlclose(lib);
}

}  // namespace host
