#include "editor/editor_helpers.h"

#include <filesystem>

#include "platform/classlib/dialogs.h"
#include "platform/classlib/forms.h"

namespace {

std::string& DataFolderStore() {
  static std::string folder;
  return folder;
}

}  // namespace

void EmbedForm(TCustomForm* Form, TWinControl* AParent, TAlign Align) {
  Form->SetParent(AParent);
  Form->SetTop(0);
  Form->SetLeft(0);
  Form->SetAlign(Align);
  Form->SetBorderStyle(bsNone);
  Form->SetBorderIcons(TBorderIcons{});
  Form->Show();
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
