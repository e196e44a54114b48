#include "platform/classlib/file_dialog_form.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "platform/classlib/forms.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_listview.h"
#include "platform/classlib/sysutils.h"

namespace fs = std::filesystem;

namespace {

struct FilterEntry {
  std::string description;
  std::vector<std::string> patterns;
};

std::vector<std::string> SplitOn(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) return out;
    start = p + 1;
  }
}

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The names of a field holding "one" "two" ...; text outside the quotes is passed over.
std::vector<std::string> QuotedNames(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t open = s.find('"'); open != std::string::npos; open = s.find('"', open)) {
    const std::size_t close = s.find('"', open + 1);
    if (close == std::string::npos) break;
    if (close > open + 1) out.push_back(s.substr(open + 1, close - open - 1));
    open = close + 1;
  }
  return out;
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

std::string SizeText(std::uintmax_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  return std::to_string((bytes + 1023) / 1024) + " KB";
}

// The dialog's window: the folder and its parents, the folder's sub-folders and the
// files the chosen filter lets through, the name field and the filter list.
class TFileDialogForm : public TForm {
 public:
  TFileDialogForm(const win::ModalPrompt& prompt) : TForm(nullptr), save_(prompt.kind == win::ModalKind::SaveFile ||
                                                                           prompt.kind == win::ModalKind::SavePicture) {
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetCaption(prompt.title);
    SetClientSize(TPoint{480, 330});
    MakeLabel("Look &in:", 10, 14);
    folderBox_ = Make<TComboBox>(90, 10, 290, 0);
    folderBox_->SetStyle(csDropDownList);
    folderBox_->OnChange = [this](TObject*) {
      const Integer i = folderBox_->ItemIndex();
      if (i >= 0) Browse(folderBox_->Items()->Strings(i));
    };
    upButton_ = Make<TButton>(390, 9, 80, 24);
    upButton_->SetCaption("&Up");
    upButton_->OnClick = [this](TObject*) { Browse(fs::path(folder_).parent_path().string()); };
    list_ = Make<TListView>(10, 42, 460, 200);
    list_->SetViewStyle(vsReport);
    list_->SetReadOnly(true);
    list_->SetHideSelection(false);
    list_->SetRowSelect(true);
    list_->Columns()->Add()->SetCaption("Name");
    list_->Columns()->Items(0)->SetWidth(300);
    list_->Columns()->Add()->SetCaption("Size");
    list_->Columns()->Items(1)->SetWidth(136);
    list_->SetMultiSelect(prompt.multiSelect);
    list_->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
      if (!list_->MultiSelect()) {
        if (selected && item && !IsFolderItem(item)) nameEdit_->SetText(item->Caption());
        return;
      }
      // Several files show each in double quotes.
      std::vector<std::string> names;
      for (Integer i = 0; i < list_->Items()->Count(); ++i)
        if (TListItem* it = list_->Items()->Item(i); it->Selected() && !IsFolderItem(it)) names.push_back(it->Caption());
      if (names.size() == 1) nameEdit_->SetText(names[0]);
      if (names.size() < 2) return;
      std::string text;
      for (const std::string& n : names) text += (text.empty() ? "\"" : " \"") + n + "\"";
      nameEdit_->SetText(text);
    };
    list_->OnDblClick = [this](TObject*) { Accept(); };
    MakeLabel("File &name:", 10, 258);
    nameEdit_ = Make<TEdit>(100, 254, 270, 23);
    okButton_ = Make<TButton>(390, 253, 80, 25);
    okButton_->SetCaption(save_ ? "&Save" : "&Open");
    okButton_->SetDefault(true);
    okButton_->OnClick = [this](TObject*) { Accept(); };
    MakeLabel("Files of &type:", 10, 293);
    filterBox_ = Make<TComboBox>(100, 289, 270, 0);
    filterBox_->SetStyle(csDropDownList);
    cancelButton_ = Make<TButton>(390, 288, 80, 25);
    cancelButton_->SetCaption("Cancel");
    cancelButton_->SetCancel(true);
    cancelButton_->SetModalResult(mrCancel);

    const std::vector<std::string> parts = SplitOn(prompt.filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
      FilterEntry f{parts[i], {}};
      for (const std::string& p : SplitOn(parts[i + 1], ';'))
        if (std::string t = Trim(p); !t.empty()) f.patterns.push_back(std::move(t));
      filters_.push_back(f);
      filterBox_->Items()->Add(f.description);
    }
    if (filters_.empty()) {
      filters_.push_back(FilterEntry{"All files (*)", {"*"}});
      filterBox_->Items()->Add(filters_[0].description);
    }
    filterBox_->SetItemIndex(
        std::clamp<Integer>(prompt.filterIndex - 1, 0, static_cast<Integer>(filters_.size()) - 1));
    filterBox_->OnChange = [this](TObject*) {
      pattern_.clear();
      Fill();
    };

    std::string start = prompt.initialDir;
    const std::string given = prompt.fileName;
    if (start.empty() && !given.empty()) start = fs::path(given).parent_path().string();
    std::error_code ec;
    if (start.empty() || !fs::is_directory(start, ec)) start = fs::current_path(ec).string();
    nameEdit_->SetText(given.empty() ? std::string() : fs::path(given).filename().string());
    Browse(start);
    SetActiveControl(nameEdit_);
  }

  const std::vector<std::string>& Chosen() const { return chosen_; }

 private:
  template <class C>
  C* Make(Integer x, Integer y, Integer w, Integer h) {
    auto* c = new C(this);
    c->SetParent(this);
    c->SetBounds(x, y, w, h > 0 ? h : c->Height());
    return c;
  }

  void MakeLabel(const std::string& caption, Integer x, Integer y) {
    auto* l = Make<TLabel>(x, y, 0, 0);
    l->SetCaption(caption);
  }

  static bool IsFolderItem(const TListItem* item) { return item->Data() != nullptr; }

  bool Passes(const std::string& name) const {
    std::vector<std::string> patterns = {pattern_};
    if (pattern_.empty()) patterns = filters_[static_cast<std::size_t>(std::max(0, filterBox_->ItemIndex()))].patterns;
    for (const std::string& p : patterns)
      if (p == "*.*" || fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
    return false;
  }

  void Browse(const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::absolute(folder.empty() ? fs::path("/") : fs::path(folder), ec).lexically_normal();
    if (ec || !fs::is_directory(p, ec)) return;
    folder_ = p.string();
    if (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
    // The folder and each of its parents, the folder first.
    folderBox_->Items()->Clear();
    for (fs::path f = folder_;; f = f.parent_path()) {
      folderBox_->Items()->Add(f.string());
      if (f == f.parent_path()) break;
    }
    folderBox_->SetItemIndex(0);
    Fill();
  }

  void Fill() {
    struct Entry {
      std::string name;
      bool folder;
      std::uintmax_t size;
    };
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.empty() || name[0] == '.') continue;
      std::error_code e2;
      const bool folder = it->is_directory(e2);
      if (!folder && !Passes(name)) continue;
      entries.push_back(Entry{name, folder, folder ? 0 : it->file_size(e2)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      if (a.folder != b.folder) return a.folder;
      return LowerCase(a.name) < LowerCase(b.name);
    });
    WithinUpdate(*list_->Items(), [&] {
      list_->Items()->Clear();
      for (const Entry& e : entries) {
        TListItem* item = list_->Items()->Add();
        item->SetCaption(e.folder ? e.name + "/" : e.name);
        item->SubItems()->Add(e.folder ? "Folder" : SizeText(e.size));
        // Folders carry a mark; files none.
        item->SetData(e.folder ? this : nullptr);
      }
    });
  }

  // The Open / Save button, Enter, or a double click.
  void Accept() {
    TListItem* sel = list_->Selected();
    if (ActiveControl() == list_ && sel && IsFolderItem(sel)) {
      std::string name = sel->Caption();
      name.pop_back();
      Browse((fs::path(folder_) / name).string());
      return;
    }
    const std::string typed = Trim(nameEdit_->Text());
    if (typed.empty()) return;
    if (list_->MultiSelect() && typed.front() == '"') {
      chosen_.clear();
      for (const std::string& name : QuotedNames(typed)) {
        fs::path p(name);
        if (p.is_relative()) p = fs::path(folder_) / p;
        chosen_.push_back(p.lexically_normal().string());
      }
      if (!chosen_.empty()) SetModalResult(mrOk);
      return;
    }
    if (HasWildcard(typed)) {
      pattern_ = typed;
      Fill();
      return;
    }
    fs::path p(typed);
    if (p.is_relative()) p = fs::path(folder_) / p;
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
      nameEdit_->SetText("");
      Browse(p.string());
      return;
    }
    chosen_ = {p.lexically_normal().string()};
    SetModalResult(mrOk);
  }

  bool save_;
  TComboBox* folderBox_ = nullptr;
  TButton* upButton_ = nullptr;
  TListView* list_ = nullptr;
  TEdit* nameEdit_ = nullptr;
  TButton* okButton_ = nullptr;
  TComboBox* filterBox_ = nullptr;
  TButton* cancelButton_ = nullptr;
  std::vector<FilterEntry> filters_;
  std::string pattern_;  // a typed wildcard, over the filter
  std::string folder_;
  std::vector<std::string> chosen_;
};

}  // namespace

std::optional<std::vector<std::string>> RunFileDialogForm(const win::ModalPrompt& prompt) {
  auto form = std::make_unique<TFileDialogForm>(prompt);
  if (form->ShowModal() != mrOk || form->Chosen().empty()) return std::nullopt;
  return form->Chosen();
}
