// Module initialisation and finalisation. For now a plain root component carries the
// bridge's TTsx with the plug-in's descriptor; the editor's main window replaces this
// file's content when it exists (its form resource then carries the TTsx).
#include "plugin/module_root.h"

#include <memory>

#include "hostbridge/tsx.h"
#include "hostbridge/system_beep.h"
#include "hostbridge/tsx_module.h"
#include "imageformats/file_format_list.h"
#include "platform/win/services.h"

namespace {

struct ModuleLifetime {
  std::unique_ptr<TComponent> root;
  TTsx* tsx = nullptr;

  ModuleLifetime() {
    SetBeepProc([](Cardinal type) { win::MessageBeep(type); });
    // The image formats join the picture registry before anything loads a particle image.
    ImageFormatsInitialize();
    root = std::make_unique<TComponent>(nullptr);
    tsx = new TTsx(root.get());
    tsx->SetName("Tsx");
    tsx->SetTitle("Quillmoth");
    tsx->SetResBmpId(100);
    tsx->SetResStringId(0);
    tsx->SetApiVersionNeeded(430);
    tsx->Loaded();
  }

  ~ModuleLifetime() {
    // Deactivation is ignored from the start of shut-down on.
    TsxModule().ShuttingDown = 1;
    tsx = nullptr;
    root.reset();
    ImageFormatsFinalize();
  }
};

ModuleLifetime g_module;

}  // namespace

TComponent* ModuleRoot() { return g_module.root.get(); }

TTsx* ModuleTsx() { return g_module.tsx; }
