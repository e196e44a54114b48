// The emitter page's commands: new and delete emitter, add, delete and duplicate a
// particle system, and the emitter and system files.
#include <string>

#include "editor/editor_helpers.h"
#include "editor/emitter_files.h"
#include "editor/emitter_man_form.h"
#include "editor/props_form.h"
#include "engine/emitter_object.h"
#include "hostbridge/tsx_ext_obj.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/std_treeview.h"
#include "platform/classlib/save_file.h"
#include "platform/classlib/streams.h"

void TEmitterManForm::NewEmitterActionExecute(TObject*) {
  tsxSelectUp();
  tsxSOBJ* handle = EmitterExtObj->CreateObject();
  // The host refused the object: nothing to mirror, and the selection stays as it was.
  if (!handle) return;
  StopPreview();
  SetCurrentSystem(nullptr);
  AddEmitter(handle);
  AttachTreeChange(false);
  EmittersTreeView->SetSelected(AddEmitterNode(CurrentEmitter));
  AttachTreeChange(true);
  UpdateUI();
}

void TEmitterManForm::DeleteEmitterActionExecute(TObject*) {
  if (!CurrentEmitter) return;
  StopPreview();
  tsxSOBJ* node = CurrentEmitter->Node;
  // The host's delete callback removes the emitter object.
  if (node) tsxSobjDelete(node);
}

void TEmitterManForm::AddSystemActionExecute(TObject*) {
  if (!CurrentEmitter) return;
  StopPreview();
  SetCurrentSystem(CurrentEmitter->AddSystem());
  RefreshEmitterNode(CurrentEmitter);
  UpdateUI();
}

void TEmitterManForm::DeleteSystemActionExecute(TObject*) {
  if (!CurrentEmitter || !CurrentSystem) return;
  // An emitter keeps at least one system.
  if (CurrentEmitter->SystemCount() < 2) return;
  StopPreview();
  TEmitter* doomed = CurrentSystem;
  SetCurrentSystem(nullptr);
  auto& systems = CurrentEmitter->Systems;
  for (auto it = systems.begin(); it != systems.end(); ++it)
    if (it->get() == doomed) {
      systems.erase(it);
      break;
    }
  RebuildTree();
}

void TEmitterManForm::DupSystemActionExecute(TObject*) {
  if (!CurrentEmitter || !CurrentSystem) return;
  StopPreview();
  TEmitter* source = CurrentSystem;
  TEmitter* copy = CurrentEmitter->AddSystem();
  try {
    CopySystem(*source, *copy);
  } catch (const Exception& e) {
    CurrentEmitter->Systems.pop_back();
    ReportError(std::string("The particle system could not be duplicated: ") + e.what());
    return;
  }
  SetCurrentSystem(copy);
  RefreshEmitterNode(CurrentEmitter);
  UpdateUI();
}

void TEmitterManForm::SaveSystemActionExecute(TObject*) {
  if (!CurrentEmitter || !CurrentSystem) return;
  if (!ExecuteRememberingFolder(SaveSystemDialog)) return;
  const std::string file = SaveSystemDialog->FileName();
  try {
    SaveFileWhole(file, [this](TStream& s) { WriteSystemFile(*CurrentSystem, s); });
  } catch (const Exception& e) {
    ReportError("Could not save the particle system settings to \"" + file + "\".\r\r" + e.what());
  }
}

void TEmitterManForm::LoadSystemActionExecute(TObject*) {
  if (!CurrentEmitter || !CurrentSystem) return;
  if (!ExecuteRememberingFolder(OpenSystemDialog)) return;
  const std::string file = OpenSystemDialog->FileName();
  StopPreview();
  try {
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    ReadSystemFile(*CurrentSystem, bytes);
  } catch (const Exception& e) {
    ReportError("Could not load the particle system settings from \"" + file + "\".\r\r" + e.what());
    return;
  }
  RefreshEmitterNode(CurrentEmitter);
  // The pages show the new values.
  PropsForm->SetSystem(CurrentSystem);
  UpdateUI();
}

void TEmitterManForm::SaveEmitterActionExecute(TObject*) {
  if (!CurrentEmitter) return;
  if (!ExecuteRememberingFolder(SaveEmitterDialog)) return;
  const std::string file = SaveEmitterDialog->FileName();
  try {
    SaveFileWhole(file, [this](TStream& s) { WriteEmitterFile(*CurrentEmitter, s); });
  } catch (const Exception& e) {
    ReportError("Could not save the emitter settings to \"" + file + "\".\r\r" + e.what());
  }
}

void TEmitterManForm::LoadEmitterActionExecute(TObject*) {
  if (!CurrentEmitter) return;
  if (!ExecuteRememberingFolder(OpenEmitterDialog)) return;
  const std::string file = OpenEmitterDialog->FileName();
  StopPreview();
  // The systems are replaced: nothing may still show one.
  SetCurrentSystem(nullptr);
  try {
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    ReadEmitterFile(*CurrentEmitter, bytes);
  } catch (const Exception& e) {
    ReportError("Could not load the emitter settings from \"" + file + "\".\r\r" + e.what());
    UpdateUI();
    return;
  }
  RefreshEmitterNode(CurrentEmitter);
  UpdateUI();
}
