#include "apps/hostsim/module_path.h"

#include <filesystem>
#include <system_error>

std::string DefaultModulePath() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const fs::path folder = ec ? fs::current_path() : exe.parent_path();
  return (folder / ".." / ".." / "plugin" / "Quillmoth.tsx").lexically_normal().string();
}
