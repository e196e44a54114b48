// File, picture and colour dialogs and message dialogs, answered by the window system's
// answer queue: what the user is asked, what the dialog checks before it closes, and
// what it hands back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

namespace fs = std::filesystem;

namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::SetModalFailureHandler([this](const std::string& why) { failures_.push_back(why); });
    dir_ = fs::temp_directory_path() / ("qm_dialogs_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    win::SetModalFailureHandler(nullptr);
    win::ResetWindowSystem();
    fs::remove_all(dir_);
  }
  std::string Existing(const std::string& name) {
    const fs::path p = dir_ / name;
    std::ofstream(p) << "x";
    return p.string();
  }
  std::string Folder() const { return dir_.string() + "/"; }

  std::vector<win::ModalKind> Kinds() const {
    std::vector<win::ModalKind> kinds;
    for (const win::ModalPrompt& p : win::ModalPrompts()) kinds.push_back(p.kind);
    return kinds;
  }

  fs::path dir_;
  std::vector<std::string> failures_;
};

using K = win::ModalKind;

}  // namespace

TEST_F(DialogsTest, OpenDialogAsksWithItsSettingsAndCompletesTheChosenName) {
  TOpenDialog dialog(nullptr);
  dialog.SetFilter("Quillmoth Systems (*.zks)|*.zks");
  dialog.SetDefaultExt("zks");
  dialog.SetInitialDir(dir_.string());
  dialog.SetFileName("old.zks");

  win::AnswerFileDialog(K::OpenFile, {"Smoke"});
  ASSERT_TRUE(dialog.Execute());
  const win::ModalPrompt& p = win::ModalPrompts().at(0);
  EXPECT_EQ(p.kind, K::OpenFile);
  EXPECT_EQ(p.title, "Open");
  EXPECT_EQ(p.filter, "Quillmoth Systems (*.zks)|*.zks");
  EXPECT_EQ(p.initialDir, dir_.string());
  EXPECT_EQ(p.fileName, "old.zks");
  EXPECT_EQ(p.defaultExt, "zks");
  EXPECT_FALSE(p.multiSelect);
  EXPECT_EQ(dialog.FileName(), Folder() + "Smoke.zks") << "inside the initial folder, with the default extension";
  ASSERT_EQ(dialog.Files()->Count(), 1);
  EXPECT_EQ(dialog.Files()->Strings(0), dialog.FileName());

  // An absolute name with an extension is taken as it is; cancelling changes nothing.
  win::AnswerFileDialog(K::OpenFile, {"/elsewhere/fire.dat"});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/elsewhere/fire.dat");
  win::AnswerFileDialog(K::OpenFile, {});
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/elsewhere/fire.dat");
  EXPECT_EQ(dialog.Files()->Count(), 1);
  EXPECT_TRUE(failures_.empty());
}

TEST_F(DialogsTest, MultiSelectHandsBackEveryFileAndASingleDialogRefusesSeveral) {
  TOpenDialog dialog(nullptr);
  dialog.SetOptions(dialog.Options() + TOpenOptions{ofAllowMultiSelect});
  win::AnswerFileDialog(K::OpenFile, {"/maps/a.bmp", "/maps/b.bmp", "/maps/c.bmp"});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_TRUE(win::ModalPrompts().at(0).multiSelect);
  ASSERT_EQ(dialog.Files()->Count(), 3);
  EXPECT_EQ(dialog.Files()->Strings(2), "/maps/c.bmp");
  EXPECT_EQ(dialog.FileName(), "/maps/a.bmp");

  TOpenDialog single(nullptr);
  win::AnswerFileDialog(K::OpenFile, {"/maps/a.bmp", "/maps/b.bmp"});
  EXPECT_THROW(single.Execute(), win::NoModalAnswer);
  EXPECT_EQ(failures_.size(), 1u);
}

TEST_F(DialogsTest, FileMustExistReportsAMissingFileAndAsksAgain) {
  TOpenDialog dialog(nullptr);
  dialog.SetOptions(TOpenOptions{ofFileMustExist, ofHideReadOnly});
  dialog.SetTitle("Load Emitter Settings");
  const std::string real = Existing("real.zke");
  win::AnswerFileDialog(K::OpenFile, {Folder() + "missing.zke"});
  win::AnswerMessageBox(win::IDOK);
  win::AnswerFileDialog(K::OpenFile, {real});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), real);
  EXPECT_EQ(Kinds(), (std::vector<K>{K::OpenFile, K::MessageBox, K::OpenFile}));
  const win::ModalPrompt& box = win::ModalPrompts()[1];
  EXPECT_EQ(box.caption, "Load Emitter Settings");
  EXPECT_EQ(box.text, Folder() + "missing.zke\r\nFile not found.\r\nCheck the file name and try again.");
  EXPECT_EQ(box.type, win::MB_OK | win::MB_ICONWARNING);
  EXPECT_EQ(win::ModalPrompts()[2].fileName, Folder() + "missing.zke") << "the dialog keeps the typed name";
}

TEST_F(DialogsTest, SaveDialogAsksBeforeOverwritingThroughTheMessageBoxQueue) {
  TSaveDialog dialog(nullptr);
  dialog.SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing});
  dialog.SetDefaultExt("zke");
  const std::string existing = Existing("Smoke.zke");

  // No: the dialog asks again; a new name needs no question.
  win::AnswerFileDialog(K::SaveFile, {existing});
  win::AnswerMessageBox(win::IDNO);
  win::AnswerFileDialog(K::SaveFile, {Folder() + "Fresh"});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), Folder() + "Fresh.zke");
  EXPECT_EQ(Kinds(), (std::vector<K>{K::SaveFile, K::MessageBox, K::SaveFile}));
  const win::ModalPrompt& box = win::ModalPrompts()[1];
  EXPECT_EQ(box.text, existing + " already exists.\r\nDo you want to replace it?");
  EXPECT_EQ(box.caption, "Save As");
  EXPECT_EQ(box.type, win::MB_YESNO | win::MB_ICONWARNING);
  EXPECT_TRUE(win::ModalPrompts()[0].overwritePrompt);

  // Yes replaces; the default extension makes the name that is checked.
  win::ClearModalAnswers();
  win::AnswerFileDialog(K::SaveFile, {Folder() + "Smoke"});
  win::AnswerMessageBox(win::IDYES);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), existing);

  // Without the option nobody asks.
  win::ClearModalAnswers();
  dialog.SetOptions(TOpenOptions{ofHideReadOnly});
  win::AnswerFileDialog(K::SaveFile, {existing});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(Kinds(), (std::vector<K>{K::SaveFile}));
  EXPECT_TRUE(failures_.empty());
}

TEST_F(DialogsTest, PictureAndColourDialogs) {
  TOpenPictureDialog pictures(nullptr);
  EXPECT_NE(pictures.Filter().find("Bitmaps (*.bmp)|*.bmp"), std::string::npos) << pictures.Filter();
  EXPECT_EQ(pictures.Filter().rfind("All (", 0), 0u) << "several kinds are registered";
  win::AnswerFileDialog(K::OpenPicture, {"/maps/Smoke.bmp"});
  ASSERT_TRUE(pictures.Execute());
  EXPECT_EQ(win::ModalPrompts().back().kind, K::OpenPicture);
  EXPECT_EQ(pictures.FileName(), "/maps/Smoke.bmp");

  TColorDialog colours(nullptr);
  colours.SetColor(static_cast<TColor>(clBtnFace));
  win::AnswerColorDialog(0x00336699);
  ASSERT_TRUE(colours.Execute());
  EXPECT_EQ(win::ModalPrompts().back().color, static_cast<win::COLORREF>(ColorToRGB(clBtnFace)))
      << "a system colour starts as its RGB value";
  EXPECT_EQ(colours.Color(), 0x00336699);
  win::AnswerColorDialog(std::nullopt);
  EXPECT_FALSE(colours.Execute());
  EXPECT_EQ(colours.Color(), 0x00336699);
}

TEST_F(DialogsTest, MessageDlgRecordsTextCaptionAndButtonsAndReturnsTheAnswer) {
  const std::string text = "Could not find the texture file: \"Smoke.bmp\".\r\rWould you like to locate it manually?";
  win::AnswerMessageBox(win::IDNO);
  EXPECT_EQ(MessageDlg(text, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0), mrNo);
  const win::ModalPrompt& p = win::ModalPrompts().back();
  EXPECT_EQ(p.kind, K::MessageBox);
  EXPECT_EQ(p.text, text);
  EXPECT_EQ(p.caption, "Confirm");
  EXPECT_EQ(p.type, win::MB_YESNO | win::MB_ICONQUESTION);

  struct Case {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    int answer;
    const char* caption;
    win::UINT boxType;
    Integer result;
  };
  const Case cases[] = {
      {mtWarning, TMsgDlgButtons{mbOK}, win::IDOK, "Warning", win::MB_OK | win::MB_ICONWARNING, mrOk},
      {mtError, mbOKCancel, win::IDCANCEL, "Error", win::MB_OKCANCEL | win::MB_ICONERROR, mrCancel},
      {mtInformation, mbYesNoCancel + TMsgDlgButtons{mbHelp}, win::IDYES, "Information",
       win::MB_YESNOCANCEL | win::MB_ICONINFORMATION, mrYes},
      {mtConfirmation, mbAbortRetryIgnore, win::IDRETRY, "Confirm", win::MB_ABORTRETRYIGNORE | win::MB_ICONQUESTION,
       mrRetry},
  };
  for (const Case& c : cases) {
    win::AnswerMessageBox(c.answer);
    EXPECT_EQ(MessageDlg("m", c.type, c.buttons, 0), c.result) << c.caption;
    EXPECT_EQ(win::ModalPrompts().back().caption, c.caption);
    EXPECT_EQ(win::ModalPrompts().back().type, c.boxType) << c.caption;
  }

  // A set the box cannot show is refused before anybody is asked.
  const std::size_t asked = win::ModalPrompts().size();
  EXPECT_THROW(MessageDlg("m", mtWarning, TMsgDlgButtons{mbYes, mbYesToAll}, 0), EInvalidOperation);
  EXPECT_EQ(win::ModalPrompts().size(), asked);

  // An answer the box does not offer, and no answer at all, fail the test.
  win::AnswerMessageBox(win::IDCANCEL);
  EXPECT_THROW(MessageDlg("m", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0), win::NoModalAnswer);
  win::ClearModalAnswers();
  EXPECT_THROW(MessageDlg("Are you sure you want to delete keyframes?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0),
               win::NoModalAnswer);
  ASSERT_EQ(failures_.size(), 2u);
  EXPECT_NE(failures_[1].find("Are you sure you want to delete keyframes?"), std::string::npos) << failures_[1];

  // The application's message box passes straight through.
  win::AnswerMessageBox(win::IDRETRY);
  EXPECT_EQ(Application->MessageBox("Disk busy", "Quillmoth", win::MB_RETRYCANCEL), win::IDRETRY);
  EXPECT_EQ(win::ModalPrompts().back().caption, "Quillmoth");
  EXPECT_EQ(win::ModalPrompts().back().type, win::MB_RETRYCANCEL);
}
