#include "editor/editor_startup.h"

#include "editor/editor_helpers.h"
#include "editor/main_form.h"
#include "hostbridge/tsx_module.h"
#include "platform/classlib/application.h"
#include "platform/classlib/file_paths.h"

namespace {

std::string g_hostFolder;

}  // namespace

const std::string& HostFolder() { return g_hostFolder; }

void EditorStartup() {
  g_hostFolder = Application ? ExtractFilePath(Application->ExeName()) : std::string();
  if (!g_hostFolder.empty()) g_hostFolder = IncludeTrailingBackslash(g_hostFolder);
  SetDataFolder(IncludeTrailingBackslash(g_hostFolder + "Quillmoth"));
  if (Application) Application->SetHelpFile(DataFolder() + kHelpFileName);
  if (!MainForm) new TMainForm(Application);
}

void EditorShutdown() {
  TsxModule().ShuttingDown = 1;
  FreeMainFormAfterPreview();
  // The form's destructor takes back the host's registrations and the engine's callbacks.
  delete MainForm;
  g_hostFolder.clear();
  SetDataFolder("");
}
