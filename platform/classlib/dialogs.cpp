#include "platform/classlib/dialogs.h"

#include "platform/classlib/class_registry.h"
#include "platform/classlib/color_dialog_form.h"
#include "platform/classlib/file_dialog_form.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/graphic.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/screen.h"
#include "platform/win/modal_loop.h"

namespace {

// Form files name the classes.
const bool kDialogsRegistered = [] {
  RegisterClasses({&TOpenDialog::StaticClass(), &TSaveDialog::StaticClass(), &TOpenPictureDialog::StaticClass(),
                   &TColorDialog::StaticClass()});
  return true;
}();

bool IsAbsolute(const std::string& name) {
  if (name.empty()) return false;
  if (name[0] == '\\' || name[0] == '/') return true;
  return name.size() >= 2 && name[1] == ':';
}

}  // namespace

// ---- TCommonDialog ------------------------------------------------------------------------------------

const TClass& TCommonDialog::StaticClass() {
  static const TClass cls =
      TClass::Of<TCommonDialog>("TCommonDialog", TComponent::StaticClass(), &TCommonDialog::Publish);
  return cls;
}

void TCommonDialog::Publish(TPublished& published) {
  published.For<TCommonDialog>()
      .Integer("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext)
      .Default(0);
}

win::HWND TCommonDialog::OwnerWindow() {
  if (Screen && Screen->ActiveCustomForm()) return Screen->ActiveCustomForm()->WindowHandle();
  return nullptr;
}

// ---- TOpenDialog ----------------------------------------------------------------------------------------

const TEnumInfo& OpenOptionInfo() {
  static const TEnumInfo info(
      "TOpenOption",
      {"ofReadOnly",     "ofOverwritePrompt",  "ofHideReadOnly",       "ofNoChangeDir",         "ofShowHelp",
       "ofNoValidate",   "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",       "ofFileMustExist",
       "ofCreatePrompt", "ofShareAware",       "ofNoReadOnlyReturn",   "ofNoTestFileCreate",    "ofNoNetworkButton",
       "ofNoLongNames",  "ofOldStyleDialog",   "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"});
  return info;
}

const TClass& TOpenDialog::StaticClass() {
  static const TClass cls = TClass::Of<TOpenDialog>("TOpenDialog", TCommonDialog::StaticClass(), &TOpenDialog::Publish);
  return cls;
}

void TOpenDialog::Publish(TPublished& published) {
  auto p = published.For<TOpenDialog>();
  p.String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt).Default("");
  p.String("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName).Default("");
  p.String("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter).Default("");
  p.Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  p.String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir).Default("");
  p.Set("Options", OpenOptionInfo(), &TOpenDialog::Options, &TOpenDialog::SetOptions)
      .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  p.String("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle).Default("");
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), files_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

// A relative name lies in the folder the dialog showed; a name without an extension gets
// the default one.
std::string TOpenDialog::Complete(const std::string& file) const {
  std::string name = file;
  if (!IsAbsolute(name) && !initialDir_.empty()) name = IncludeTrailingBackslash(initialDir_) + name;
  if (!defaultExt_.empty() && ExtractFileExt(name).empty()) name += "." + defaultExt_;
  return name;
}

bool TOpenDialog::AcceptFiles(const std::vector<std::string>& files) {
  const std::string title = title_.empty() ? DefaultTitle() : title_;
  for (const std::string& file : files) {
    if (ExtractFileName(file).empty()) return false;
    if (options_.Contains(ofFileMustExist) && !FileExists(file)) {
      const std::string text = file + "\r\nFile not found.\r\nCheck the file name and try again.";
      win::MessageBox(OwnerWindow(), text.c_str(), title.c_str(), win::MB_OK | win::MB_ICONWARNING);
      return false;
    }
    const std::string folder = ExtractFilePath(file);
    if (options_.Contains(ofPathMustExist) && !folder.empty() && !DirectoryExists(folder)) {
      const std::string text = file + "\r\nPath does not exist.\r\nCheck the path and try again.";
      win::MessageBox(OwnerWindow(), text.c_str(), title.c_str(), win::MB_OK | win::MB_ICONWARNING);
      return false;
    }
  }
  return true;
}

bool TOpenDialog::Execute() {
  win::ModalPrompt prompt;
  prompt.kind = Kind();
  prompt.owner = OwnerWindow();
  prompt.title = title_.empty() ? DefaultTitle() : title_;
  prompt.filter = filter_;
  prompt.initialDir = initialDir_;
  prompt.fileName = fileName_;
  prompt.defaultExt = defaultExt_;
  prompt.filterIndex = filterIndex_;
  prompt.multiSelect = options_.Contains(ofAllowMultiSelect);
  prompt.overwritePrompt = options_.Contains(ofOverwritePrompt);
  // The dialog stays open until the user chooses acceptable files or cancels.
  for (;;) {
    std::optional<std::vector<std::string>> answer =
        win::ModalRunsOnScreen() ? RunFileDialogForm(prompt) : win::AskFileDialog(prompt);
    if (!answer || answer->empty()) return false;
    std::vector<std::string> files;
    files.reserve(answer->size());
    for (const std::string& f : *answer) files.push_back(Complete(f));
    if (!AcceptFiles(files)) {
      prompt.fileName = files.front();
      continue;
    }
    auto chosen = std::make_unique<TStringList>();
    for (const std::string& f : files) chosen->Add(f);
    files_->Assign(chosen.get());
    fileName_ = files.front();
    return true;
  }
}

// ---- TSaveDialog --------------------------------------------------------------------------------------

const TClass& TSaveDialog::StaticClass() {
  static const TClass cls = TClass::Of<TSaveDialog>("TSaveDialog", TOpenDialog::StaticClass());
  return cls;
}

bool TSaveDialog::AcceptFiles(const std::vector<std::string>& files) {
  if (!TOpenDialog::AcceptFiles(files)) return false;
  if (!Options().Contains(ofOverwritePrompt) || !FileExists(files.front())) return true;
  const std::string title = Title().empty() ? DefaultTitle() : Title();
  const std::string text = files.front() + " already exists.\r\nDo you want to replace it?";
  return win::MessageBox(OwnerWindow(), text.c_str(), title.c_str(), win::MB_YESNO | win::MB_ICONWARNING) == win::IDYES;
}

// ---- TOpenPictureDialog -------------------------------------------------------------------------------

const TClass& TOpenPictureDialog::StaticClass() {
  static const TClass cls =
      TClass::Of<TOpenPictureDialog>("TOpenPictureDialog", TOpenDialog::StaticClass(), &TOpenPictureDialog::Publish);
  return cls;
}

void TOpenPictureDialog::Publish(TPublished& published) {
  published.For<TOpenPictureDialog>()
      .String("Filter", &TOpenPictureDialog::Filter, &TOpenPictureDialog::SetFilter)
      .StoredIf([](TOpenPictureDialog* d) { return d->Filter() != GraphicFilter(&TGraphic::StaticClass()); });
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
  SetFilter(GraphicFilter(&TGraphic::StaticClass()));
}

// ---- TColorDialog -----------------------------------------------------------------------------------------

const TClass& TColorDialog::StaticClass() {
  static const TClass cls =
      TClass::Of<TColorDialog>("TColorDialog", TCommonDialog::StaticClass(), &TColorDialog::Publish);
  return cls;
}

void TColorDialog::Publish(TPublished& published) {
  published.For<TColorDialog>()
      .Integer("Color", &TColorDialog::Color, &TColorDialog::SetColor)
      .Idents(ColorIdents())
      .Default(clBlack);
}

bool TColorDialog::Execute() {
  const auto initial = static_cast<win::COLORREF>(ColorToRGB(color_));
  std::optional<win::COLORREF> chosen;
  if (win::ModalRunsOnScreen()) {
    if (std::optional<TColor> c = RunColorDialogForm(static_cast<TColor>(initial))) chosen = static_cast<win::COLORREF>(*c);
  } else {
    chosen = win::AskColorDialog(OwnerWindow(), initial);
  }
  if (!chosen) return false;
  color_ = static_cast<TColor>(*chosen & 0x00FFFFFF);
  return true;
}
