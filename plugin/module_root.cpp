// Module initialisation and finalisation: the editor's start-up and shut-down.
#include "plugin/module_root.h"

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
#include "platform/classlib/module_life.h"
#include "platform/win/services.h"

namespace {

// Set when the module's static objects are being destroyed: the program is exiting with
// the module still loaded (an unload ends the module before any static goes). A plain
// global, since a store into a member of the object being destroyed may be dropped.
bool g_staticsGoing = false;

struct ModuleLifetime {
  bool started = false;
  bool ended = false;

  ModuleLifetime() {
    SetBeepProc([](Cardinal type) { win::MessageBeep(type); });
    // The image formats join the picture registry before anything loads a particle image.
    ImageFormatsInitialize();
  }

  ~ModuleLifetime() { g_staticsGoing = true; }

  // The module's end, in a fixed order: the editor, then everything the libraries made
  // for the module's life, then the registries.
  void End() {
    if (ended) return;
    ended = true;
    // Deactivation is ignored from the start of shut-down on.
    TsxModule().ShuttingDown = 1;
    if (started) EditorShutdown();
    EndModuleLife();
    ImageFormatsFinalize();
  }
};

ModuleLifetime g_module;

// Runs when the module is unloaded, before any of its static objects is destroyed. At
// exit with the module loaded it comes after them: the process is ending, and what the
// module made goes with it.
__attribute__((destructor)) void ModuleUnloading() {
  if (!g_staticsGoing) g_module.End();
}

}  // namespace

void EnsureModuleStarted() {
  if (g_module.started || g_module.ended) return;
  g_module.started = true;
  // Every kit class the editor's form resources name.
  RegisterKitContainerClasses();
  RegisterKitPanelClasses();
  RegisterKitLabelClasses();
  RegisterKitComboClasses();
  RegisterKitSpeedButtonClasses();
  RegisterEditorKitClasses();
  EditorStartup();
}

TComponent* ModuleRoot() {
  EnsureModuleStarted();
  return MainForm;
}

TTsx* ModuleTsx() {
  EnsureModuleStarted();
  return MainForm ? MainForm->Tsx : nullptr;
}
