// Module initialisation and finalisation: the editor's start-up and shut-down.
#include "plugin/module_root.h"

#include <cstdlib>

#include "controlkit/kit_combo_box.h"
#include "controlkit/kit_container.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_speed_button.h"
#include "editor/editor_helpers.h"
#include "editor/editor_startup.h"
#include "editor/main_form.h"
#include "editor/shuttle_form.h"
#include "hostbridge/system_beep.h"
#include "hostbridge/tsx.h"
#include "hostbridge/tsx_module.h"
#include "imageformats/file_format_list.h"
#include "platform/win/services.h"

namespace {

struct ModuleLifetime {
  bool started = false;
  bool shutDown = false;

  ModuleLifetime() {
    SetBeepProc([](Cardinal type) { win::MessageBeep(type); });
    // The image formats join the picture registry before anything loads a particle image.
    ImageFormatsInitialize();
  }

  ~ModuleLifetime() {
    ShutDown();
    // Deactivation is ignored from the start of shut-down on.
    TsxModule().ShuttingDown = 1;
    ImageFormatsFinalize();
  }

  void ShutDown() {
    if (!started || shutDown) return;
    shutDown = true;
    EditorShutdown();
  }
};

ModuleLifetime g_module;

// Registered once the editor runs, so that it goes before the libraries it uses do
// (at unload, or at exit when the module is linked into a program).
void ShutDownEditor() { g_module.ShutDown(); }

}  // namespace

void EnsureModuleStarted() {
  if (g_module.started) return;
  g_module.started = true;
  // Every kit class the editor's form resources name.
  RegisterKitContainerClasses();
  RegisterKitPanelClasses();
  RegisterKitLabelClasses();
  RegisterKitComboClasses();
  RegisterKitSpeedButtonClasses();
  RegisterEditorKitClasses();
  EditorStartup();
  // After the start, so that what the start made in the libraries is still there.
  std::atexit(&ShutDownEditor);
}

TComponent* ModuleRoot() {
  EnsureModuleStarted();
  return MainForm;
}

TTsx* ModuleTsx() {
  EnsureModuleStarted();
  return MainForm ? MainForm->Tsx : nullptr;
}
