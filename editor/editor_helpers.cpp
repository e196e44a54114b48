#include "editor/editor_helpers.h"

#include <algorithm>
#include <filesystem>

#include "controlkit/kit_combo_box.h"
#include "controlkit/kit_container.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_speed_button.h"
#include "hostbridge/bridge_classes.h"
#include "panels/fold_panel.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/strings.h"

namespace {

std::string& DataFolderStore() {
  static std::string folder;
  return folder;
}

}  // namespace

void RegisterEditorKitClasses() {
  static const bool registered = [] {
    RegisterKitContainerClasses();
    RegisterKitPanelClasses();
    RegisterKitLabelClasses();
    RegisterKitComboClasses();
    RegisterKitSpeedButtonClasses();
    RegisterHostBridgeClasses();
    return true;
  }();
  (void)registered;
}

void MissingFormPart(const char* Name) {
  throw CreateFmt<EComponentError>("Form resource lacks %s", std::string(Name));
}

void EmbedForm(TCustomForm* Form, TWinControl* AParent, TAlign Align) {
  Form->SetParent(AParent);
  Form->SetTop(0);
  Form->SetLeft(0);
  Form->SetAlign(Align);
  Form->SetBorderStyle(bsNone);
  Form->SetBorderIcons(TBorderIcons{});
  Form->Show();
}

void FreeListItems(TList& List) {
  for (Integer i = 0; i < List.Count(); ++i) {
    delete static_cast<TObject*>(List.Items(i));
    // No entry points at a freed object, should freeing one reach the list.
    List.SetItems(i, nullptr);
  }
  List.Clear();
}

void FreeStringsObjects(TStrings& Strings) {
  for (Integer i = 0; i < Strings.Count(); ++i) {
    TObject* object = Strings.Objects(i);
    Strings.SetObjects(i, nullptr);
    delete object;
  }
  Strings.Clear();
}

void BeginUpdateCount(Integer& Counter) { ++Counter; }

void EndUpdateCount(Integer& Counter) {
  if (Counter > 0) --Counter;
}

bool IsUpdating(Integer Counter) { return Counter > 0; }

void BeginUpdateCount(TComponent* Component) { Component->SetTag(Component->Tag() + 1); }

void EndUpdateCount(TComponent* Component) {
  if (Component->Tag() > 0) Component->SetTag(Component->Tag() - 1);
}

bool IsUpdating(const TComponent* Component) { return Component->Tag() > 0; }

const std::string& DataFolder() { return DataFolderStore(); }

void SetDataFolder(const std::string& Folder) {
  std::string f = Folder;
  if (!f.empty() && f.back() != '/' && f.back() != '\\') f += '/';
  DataFolderStore() = f;
}

void StartInDataFolder(TOpenDialog* Dialog) { Dialog->SetInitialDir(DataFolder()); }

bool ExecuteRememberingFolder(TOpenDialog* Dialog) {
  if (!Dialog->Execute()) return false;
  const std::filesystem::path chosen(Dialog->FileName());
  if (chosen.has_parent_path()) {
    std::string folder = chosen.parent_path().string();
    if (folder.back() != '/') folder += '/';
    Dialog->SetInitialDir(folder);
  }
  return true;
}

namespace {

// The least height FitFoldBeside shrinks a fold to, and the room it keeps for the list
// above: at the window's least height only cue cards at the fold's bottom go out of sight.
constexpr Integer kLeastFoldHeight = 260;
constexpr Integer kMinListRoom = 36;

// The height the parent leaves its client-aligned control: its client height less every
// shown control aligned to the top or the bottom. Below 0 when they overlap.
Integer RoomLeftBy(TWinControl* Parent) {
  Integer room = Parent->ClientHeight();
  for (Integer i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (c->Visible() && (c->Align() == alTop || c->Align() == alBottom)) room -= c->Height();
  }
  return room;
}

}  // namespace

void FitFoldBeside(TFpFoldPanel* Fold) {
  TWinControl* parent = Fold->Parent();
  if (!parent || Fold->IsCollapsed()) return;
  const Integer lack = kMinListRoom - RoomLeftBy(parent);
  if (lack > 0 && Fold->Height() > kLeastFoldHeight)
    Fold->SetHeight(std::max(kLeastFoldHeight, Fold->Height() - lack));
}

void ShowItem(TCustomComboBox* Combo, Integer Value) {
  Combo->SetItemIndex(Value >= 0 && Value < Combo->Items()->Count() ? Value : -1);
}
