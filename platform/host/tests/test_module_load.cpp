// The plug-in module as built: loaded with dlopen, the handshake by hand and through the
// host's loader, and the 100 descriptor bytes it writes.
#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "host_test_support.h"

#ifdef QM_QUILLMOTH_MODULE

namespace {

using Descriptor = std::array<unsigned char, 100>;

Descriptor ExpectedDescriptor() {
  Descriptor d{};
  std::memcpy(d.data(), "Quillmoth", 9);  // title, NUL-padded to 32 bytes
  // author: empty, all 64 bytes zero
  d[96] = 100;  // bitmap resource id, u16 little-endian
  d[97] = 0;
  d[98] = 0;  // string resource id 0
  d[99] = 0;
  return d;
}

class ModuleLoadTest : public HostTest {};

}  // namespace

TEST_F(ModuleLoadTest, HandshakeThroughDlopenWritesTheExactDescriptor) {
  void* lib = dlopen(QM_QUILLMOTH_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto getVersion = reinterpret_cast<tsxGetVersion_fn>(dlsym(lib, "tsxGetVersion"));
  auto getData = reinterpret_cast<tsxGetData_fn>(dlsym(lib, "tsxGetData"));
  ASSERT_NE(getVersion, nullptr);
  ASSERT_NE(getData, nullptr);
  EXPECT_NE(dlsym(lib, "tsxOnLeftClick"), nullptr);
  EXPECT_NE(dlsym(lib, "tsxOnRightClick"), nullptr);
  EXPECT_NE(dlsym(lib, "tsxDeactivate"), nullptr);
  EXPECT_EQ(dlsym(lib, "TsxGetVersion"), nullptr) << "only the five exports leave the module";

  EXPECT_EQ(getVersion(), 430);
  Descriptor d;
  d.fill(0xCC);  // every byte of the record must be the module's
  getData(reinterpret_cast<tsxPluginDescriptor*>(d.data()), 17);
  EXPECT_EQ(d, ExpectedDescriptor());
  EXPECT_EQ(dlclose(lib), 0);
}

TEST(ModuleSymbolsTest, TheDynamicSymbolTableHoldsTheEntryPointsAndNothingElse) {
  // The list as the system's own tool reads it from the file.
  FILE* pipe = popen((std::string("nm -D --defined-only ") + QM_QUILLMOTH_MODULE).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> defined;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    std::istringstream fields(line);
    std::string address, kind, name;
    if (fields >> address >> kind >> name) defined.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(defined, (std::set<std::string>{"QuillmothCommandList", "QuillmothRunCommand", "QuillmothStatusText", "tsxDeactivate",
                                            "tsxGetData", "tsxGetVersion", "tsxOnLeftClick", "tsxOnRightClick"}));
}

TEST_F(ModuleLoadTest, TheHostLoadsClicksDeactivatesAndUnloadsIt) {
  const int id = host::LoadModule(QM_QUILLMOTH_MODULE);
  const host::PluginInfo& info = host::LoadedPlugin(id);
  EXPECT_EQ(info.apiVersion, 430);
  Descriptor d;
  std::memcpy(d.data(), &info.descriptor, d.size());
  EXPECT_EQ(d, ExpectedDescriptor());
  EXPECT_EQ(host::ClickIcon(id), 0) << "no left-click handler yet";
  host::RightClickIcon(id);
  host::DeactivatePlugin(id);
  host::UnloadPlugin(id);

  // Loaded again, the module starts afresh.
  const int again = host::LoadModule(QM_QUILLMOTH_MODULE);
  EXPECT_NE(again, id);
  std::memcpy(d.data(), &host::LoadedPlugin(again).descriptor, d.size());
  EXPECT_EQ(d, ExpectedDescriptor());
}

#else

TEST(ModuleLoadTest, NeedsTheBuiltModule) { GTEST_SKIP() << "the plug-in module is not part of this build"; }

#endif
