// Loading plug-in modules with dlopen: the handshake, clicks, registrations made inside
// the module and dropped at unload, and clear errors for missing files and exports.
#include <dlfcn.h>

#include "host_test_support.h"

namespace {

class HostModule : public HostTest {};

TEST_F(HostModule, HandshakeGivesVersionDescriptorAndId) {
  const int id = host::LoadModule(QM_HOST_FIXTURE_MODULE);
  const host::PluginInfo& info = host::LoadedPlugin(id);
  EXPECT_EQ(info.apiVersion, 430);
  EXPECT_STREQ(info.descriptor.title, "Loader Fixture");
  EXPECT_STREQ(info.descriptor.author, "Quillmoth tests");
  EXPECT_EQ(info.descriptor.bitmapResourceId, 100);
  EXPECT_EQ(info.descriptor.stringResourceId, 0);
  EXPECT_EQ(host::ClickIcon(id), 1000 + id);  // the module saw its id in tsxGetData
  const int second = host::RegisterPlugin(host::PluginEntryPoints{
      [] { return 430; }, [](tsxPluginDescriptor*, int) {}, [] { return 0; }, [] {}, [] {}});
  EXPECT_NE(second, id);
}

TEST_F(HostModule, RegistrationsMadeByTheModuleGoWithIt) {
  const int id = host::LoadModule(QM_HOST_FIXTURE_MODULE);
  void* lib = dlopen(QM_HOST_FIXTURE_MODULE, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  auto events = reinterpret_cast<int (*)()>(dlsym(lib, "fixtureEvents"));
  auto deactivated = reinterpret_cast<int (*)()>(dlsym(lib, "fixtureDeactivated"));
  ASSERT_TRUE(events && deactivated);
  const int before = events();
  host::RaiseEvent(e_tsxEVENT_GENERAL, e_tsxGENERAL_SCENE_NEW);
  EXPECT_EQ(events(), before + 1);
  host::RightClickIcon(id);
  EXPECT_EQ(events(), before + 2);
  host::DeactivatePlugin(id);
  EXPECT_EQ(deactivated(), 1);
  dlclose(lib);
  host::UnloadPlugin(id);
  host::RaiseEvent(e_tsxEVENT_GENERAL, e_tsxGENERAL_SCENE_NEW);  // nothing left to call
  EXPECT_THROW(host::ClickIcon(id), host::HostError);
  EXPECT_THROW(host::LoadedPlugin(id), host::HostError);
}

TEST_F(HostModule, MissingFilesAndExportsAreClearErrors) {
  try {
    host::LoadModule("/nonexistent/Quillmoth.tsx");
    ADD_FAILURE();
  } catch (const host::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("does not exist"), std::string::npos) << e.what();
  }
  try {
    host::LoadModule(QM_HOST_PARTIAL_MODULE);
    ADD_FAILURE();
  } catch (const host::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("lacks the export tsxDeactivate"), std::string::npos) << e.what();
  }
  // Not a shared object at all.
  const std::string junk = ::testing::TempDir() + "/qm_host_junk.tsx";
  FILE* f = std::fopen(junk.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not a module", f);
  std::fclose(f);
  EXPECT_THROW(host::LoadModule(junk), host::HostError);
  EXPECT_THROW(host::RegisterPlugin(host::PluginEntryPoints{}), host::HostError);
}

TEST_F(HostModule, ForceLeftClickAndVersionNumbers) {
  static int clicks = 0;
  clicks = 0;
  const int id = host::RegisterPlugin(host::PluginEntryPoints{
      [] { return 430; }, [](tsxPluginDescriptor*, int) {}, [] { return ++clicks; }, [] {}, [] {}});
  tsxForceLeftClick(id);
  tsxForceLeftClick(id + 100);  // no such plug-in: nothing, and no exception escapes
  EXPECT_EQ(clicks, 1);
  int major = 0, minor = 0;
  tsxGetTsVersionNbrs(&major, &minor);
  EXPECT_EQ(major, 4);
  EXPECT_EQ(minor, 3);
}

}  // namespace
