// The module linked statically: its initialisation has run, and the exports answer from
// the descriptor it set up.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "hostbridge/tsx.h"
#include "hostbridge/tsx_module.h"
#include "platform/host/tsxapi.h"
#include "plugin/module_root.h"
#include "debuginfo/dbg_unit.h"
#include "platform/classlib/picture.h"

extern "C" {
int tsxGetVersion(void);
void tsxGetData(tsxPluginDescriptor* descriptor, int pluginId);
int tsxOnLeftClick(void);
void tsxOnRightClick(void);
void tsxDeactivate(void);
}

TEST(ModuleTest, InitialisationCarriesTheDescriptorAndTheExportsAnswer) {
  ASSERT_NE(ModuleRoot(), nullptr);
  ASSERT_NE(ModuleTsx(), nullptr);
  EXPECT_EQ(ModuleTsx()->Owner(), ModuleRoot());
  EXPECT_EQ(ModuleRoot()->FindComponent("Tsx"), ModuleTsx());

  EXPECT_EQ(tsxGetVersion(), 430);
  std::array<unsigned char, 100> d;
  d.fill(0xCC);
  tsxGetData(reinterpret_cast<tsxPluginDescriptor*>(d.data()), 6);
  std::array<unsigned char, 100> expected{};
  std::memcpy(expected.data(), "Quillmoth", 9);
  expected[96] = 100;
  EXPECT_EQ(d, expected);
  EXPECT_EQ(ModuleTsx()->PluginId(), 6);
  EXPECT_EQ(tsxOnLeftClick(), 0);
  tsxOnRightClick();
  tsxDeactivate();
}

TEST(ModuleTest, LoadingRegistersTheImageFormatsAndStartsTheDebugLibrary) {
  // Particle images load by file name through the picture registry.
  for (const char* ext : {"tif", "png", "tga", "pcx", "psd", "bmp", "jpg"})
    EXPECT_NE(TPicture::FindFileFormat(ext), nullptr) << ext;
  EXPECT_TRUE(DbgInitialized());
}
