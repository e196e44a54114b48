#include "apps/hostsim/info_command.h"

#include <cstring>
#include <ostream>

#include "platform/host/host.h"

namespace {

// A descriptor field up to its NUL (or its whole width when the module left none).
std::string FieldText(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, 0, size);
  return std::string(field, nul ? static_cast<const char*>(nul) - field : size);
}

}  // namespace

int RunInfo(const std::string& modulePath, std::ostream& out, std::ostream& err) {
  try {
    const int id = host::LoadModule(modulePath);
    const host::PluginInfo& info = host::LoadedPlugin(id);
    const tsxPluginDescriptor& d = info.descriptor;
    out << "module: " << info.path << "\n"
        << "plug-in id: " << info.id << "\n"
        << "API version: " << info.apiVersion << "\n"
        << "title: " << FieldText(d.title, sizeof d.title) << "\n"
        << "author: " << FieldText(d.author, sizeof d.author) << "\n"
        << "bitmap resource id: " << d.bitmapResourceId << "\n"
        << "string resource id: " << d.stringResourceId << "\n";
    host::UnloadPlugin(id);
    return 0;
  } catch (const std::exception& e) {
    err << "hostsim: " << e.what() << "\n";
    return 1;
  }
}
