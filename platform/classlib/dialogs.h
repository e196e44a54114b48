#pragma once
// The common dialogs: open, save, open picture and colour.
//
// With a person at the screen and no scripted answer waiting, Execute shows the class
// library's own dialog window (file_dialog_form.h, color_dialog_form.h). Otherwise it asks
// the window system's answer queue (modal_answers.h) the way the dialog would ask the
// user: the prompt carries the title, filter, initial folder, file name, default extension
// and whether several files may be chosen. What the dialog itself checks before it closes
// is done here, through message boxes:
//   - ofFileMustExist / ofPathMustExist: a chosen file (folder) that does not exist is
//     reported and the dialog asks again;
//   - ofOverwritePrompt (save dialogs): choosing an existing file asks Yes / No; No asks
//     again.
// A chosen name without an extension gets DefaultExt; a relative name is taken inside
// InitialDir. Cancelling leaves FileName and Files as they were.
#include <memory>
#include <string>

#include "platform/classlib/component.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/strings.h"
#include "platform/win/modal_answers.h"

class TCommonDialog : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  // True when the user chose; false when cancelled.
  virtual bool Execute() = 0;

  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value) { helpContext_ = Value; }

 protected:
  // The window the dialog belongs to: the active form's, else none.
  static win::HWND OwnerWindow();

 private:
  Integer helpContext_ = 0;
};

enum TOpenOption {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;
const TEnumInfo& OpenOptionInfo();

class TOpenDialog : public TCommonDialog {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  bool Execute() override;

  // Without the dot ("zke").
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& Value) { defaultExt_ = Value; }
  // The first chosen file.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& Value) { fileName_ = Value; }
  // Every chosen file (several with ofAllowMultiSelect).
  TStrings* Files() const { return files_.get(); }
  // "Description (*.ext)|*.ext|..."
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& Value) { filter_ = Value; }
  // 1-based.
  Integer FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(Integer Value) { filterIndex_ = Value; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& Value) { initialDir_ = Value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions Value) { options_ = Value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& Value) { title_ = Value; }

 protected:
  // The kind of dialog the window system is asked for.
  virtual win::ModalKind Kind() const { return win::ModalKind::OpenFile; }
  // The title a prompt shows when Title is empty.
  virtual std::string DefaultTitle() const { return "Open"; }
  // Whether the chosen files may close the dialog; may ask through message boxes.
  virtual bool AcceptFiles(const std::vector<std::string>& files);

 private:
  std::string Complete(const std::string& file) const;

  std::string defaultExt_;
  std::string fileName_;
  std::unique_ptr<TStringList> files_;
  std::string filter_;
  Integer filterIndex_ = 1;
  std::string initialDir_;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
  std::string title_;
};

class TSaveDialog : public TOpenDialog {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

 protected:
  win::ModalKind Kind() const override { return win::ModalKind::SaveFile; }
  std::string DefaultTitle() const override { return "Save As"; }
  bool AcceptFiles(const std::vector<std::string>& files) override;
};

// An open dialog for pictures: its filter lists the picture kinds registered when it is
// made ("All (...)|...|Bitmaps (*.bmp)|*.bmp|...").
class TOpenPictureDialog : public TOpenDialog {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  // Filter is stored only when it is not the picture kinds' own.
  static void Publish(TPublished& published);

  explicit TOpenPictureDialog(TComponent* AOwner);

 protected:
  win::ModalKind Kind() const override { return win::ModalKind::OpenPicture; }
};

class TColorDialog : public TCommonDialog {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  // Starts at Color; on OK Color is the chosen colour.
  bool Execute() override;

  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }

 private:
  TColor color_ = clBlack;
};
