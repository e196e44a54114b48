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
#include "platform/classlib/menus.h"
#include "platform/win/modal_answers.h"
#include "platform/win/services.h"
#include "controlkit/kit_status_bar.h"
#include "editor/main_form.h"
#include "plugin/script_exports.h"

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
  EXPECT_EQ(ModuleRoot(), MainForm) << "the main window carries the bridge";
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

TEST(ModuleTest, ScriptedCommandsRunByCaptionPathAndExplainRefusals) {
  ASSERT_NE(ModuleRoot(), nullptr);
  char message[256];

  // The help command reaches the window system's help with the data folder's file.
  const std::size_t helpCalls = win::RecordedHelpCalls().size();
  EXPECT_EQ(QuillmothRunCommand("Help/Topics & Contents", message, sizeof message), 0) << message;
  ASSERT_EQ(win::RecordedHelpCalls().size(), helpCalls + 1);
  EXPECT_EQ(win::RecordedHelpCalls().back().command, 0x000Bu);
  const std::string file = win::RecordedHelpCalls().back().file;
  EXPECT_EQ(file.substr(file.size() - std::string("Quillmoth/ZOVK.hlp").size()), "Quillmoth/ZOVK.hlp");

  // A switch of the Preview menu is a command too.
  TMenuItem* animate = MainForm->FindMenuItem("Preview/Animate Objects");
  ASSERT_NE(animate, nullptr);
  const bool before = animate->Checked();
  EXPECT_EQ(QuillmothRunCommand("Preview/Animate Objects", message, sizeof message), 0) << message;
  EXPECT_NE(animate->Checked(), before);
  EXPECT_EQ(QuillmothRunCommand("Preview/Animate Objects", message, sizeof message), 0) << message;

  EXPECT_EQ(QuillmothRunCommand("File/No Such Thing", message, sizeof message), 1);
  EXPECT_STREQ(message, "\"File/No Such Thing\": there is no such command in the editor's menu");
  EXPECT_EQ(QuillmothRunCommand("File", message, sizeof message), 1) << "a menu is not a command";

  animate->SetEnabled(false);
  EXPECT_EQ(QuillmothRunCommand("Preview/Animate Objects", message, sizeof message), 1);
  EXPECT_STREQ(message, "\"Preview/Animate Objects\": the command is not available now");
  animate->SetEnabled(true);

  // A short buffer gets the message cut and zero-ended; none is written past it.
  char tiny[8];
  std::memset(tiny, 'x', sizeof tiny);
  EXPECT_EQ(QuillmothRunCommand("Nowhere", tiny, 5), 1);
  EXPECT_STREQ(tiny, "\"Now");
  EXPECT_EQ(tiny[5], 'x');
  EXPECT_EQ(QuillmothRunCommand(nullptr, nullptr, 0), 1);
}

TEST(ModuleTest, ACommandWhoseDialogFindsNoAnswerFailsAndNamesTheDialog) {
  ASSERT_NE(ModuleRoot(), nullptr);
  char message[256];
  win::ClearModalAnswers();
  // The commands need an emitter, which needs the handshake's object types.
  if (TsxModule().PluginId < 0) TsxModule().PluginId = 1;
  MainForm->TsxPlugInit();
  EXPECT_EQ(QuillmothRunCommand("File/New Emitter", message, sizeof message), 0) << message;
  // Tests fail a modal without an answer by an exception.
  EXPECT_EQ(QuillmothRunCommand("File/Load Emitter Settings", message, sizeof message), 1);
  EXPECT_NE(std::string(message).find("\"File/Load Emitter Settings\": no answer queued for the"), std::string::npos)
      << message;
  // The command-line host cancels instead; the command still reports the dialog.
  win::ClearModalAnswers();
  win::SetModalSafeDefaults(true);
  EXPECT_EQ(QuillmothRunCommand("File/Load Emitter Settings", message, sizeof message), 1);
  win::SetModalSafeDefaults(false);
  EXPECT_NE(std::string(message).find("found no answer"), std::string::npos) << message;
  EXPECT_NE(std::string(message).find("the open dialog \"Open\" found no answer"), std::string::npos) << message;
  win::ClearModalAnswers();
}

TEST(ModuleTest, StatusTextIsCopiedCutAndMeasured) {
  ASSERT_NE(ModuleRoot(), nullptr);
  MainForm->StatusBar->SetSimpleText(" Rendered 12 particles in 00:03");
  char text[64];
  EXPECT_EQ(QuillmothStatusText(text, sizeof text), 31);
  EXPECT_STREQ(text, " Rendered 12 particles in 00:03");
  char cut[6];
  EXPECT_EQ(QuillmothStatusText(cut, sizeof cut), 31);
  EXPECT_STREQ(cut, " Rend");
  EXPECT_EQ(QuillmothStatusText(nullptr, 0), 31);
}
