// The answer queue of modal UI, and the services that only record or answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/services.h"
#include "platform/win/window.h"

using namespace win;

namespace {

class ModalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    SetModalFailureHandler([this](const std::string& why) { failures_.push_back(why); });
  }
  void TearDown() override {
    SetModalFailureHandler(nullptr);
    ResetWindowSystem();
  }
  std::vector<std::string> failures_;
};

TEST_F(ModalTest, AMessageBoxTakesItsAnswerAndItsPromptIsRecorded) {
  AnswerMessageBox(IDNO);
  AnswerMessageBox(IDOK);
  const UINT confirm = MB_YESNO | MB_ICONQUESTION;
  EXPECT_EQ(MessageBox(nullptr, "Would you like to locate it manually?", "Confirm", confirm), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Done.", nullptr, MB_OK), IDOK);
  ASSERT_EQ(ModalPrompts().size(), 2u);
  const ModalPrompt& p = ModalPrompts()[0];
  EXPECT_EQ(p.kind, ModalKind::MessageBox);
  EXPECT_EQ(p.text, "Would you like to locate it manually?");
  EXPECT_EQ(p.caption, "Confirm");
  EXPECT_EQ(p.type, confirm);
  EXPECT_EQ(ModalPrompts()[1].caption, "Error");  // the default title
  EXPECT_EQ(PendingModalAnswers(), 0u);
  EXPECT_TRUE(failures_.empty());
}

TEST_F(ModalTest, AModalWithoutAFittingAnswerFails) {
  // Nothing queued.
  EXPECT_THROW(MessageBox(nullptr, "Delete all keyframes?", "Clear", MB_YESNO), NoModalAnswer);
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_NE(failures_[0].find("Delete all keyframes?"), std::string::npos);
  EXPECT_EQ(ModalFailures().size(), 1u);
  EXPECT_EQ(ModalPrompts().size(), 1u);  // the question was still asked

  // An answer of another kind stays queued for its own modal.
  AnswerColorDialog(RGB(1, 2, 3));
  EXPECT_THROW(MessageBox(nullptr, "x", "y", MB_OK), NoModalAnswer);
  EXPECT_EQ(PendingModalAnswers(), 1u);
  EXPECT_EQ(AskColorDialog(nullptr, RGB(9, 9, 9)), std::optional<COLORREF>(RGB(1, 2, 3)));
  EXPECT_EQ(ModalPrompts().back().color, RGB(9, 9, 9));

  // A button the box does not have.
  AnswerMessageBox(IDYES);
  EXPECT_THROW(MessageBox(nullptr, "x", "y", MB_OKCANCEL), NoModalAnswer);
  // A file dialog of one file answered with two.
  ModalPrompt open;
  open.kind = ModalKind::OpenFile;
  open.title = "Load Emitter";
  AnswerFileDialog(ModalKind::OpenFile, {"/a.zke", "/b.zke"});
  EXPECT_THROW(AskFileDialog(open), NoModalAnswer);
  EXPECT_EQ(failures_.size(), 4u);
  EXPECT_THROW(AnswerFileDialog(ModalKind::Color, {}), std::invalid_argument);
}

TEST_F(ModalTest, FileDialogsAnswerFilesOrCancel) {
  ModalPrompt p;
  p.kind = ModalKind::OpenPicture;
  p.title = "Add Maps";
  p.multiSelect = true;
  p.initialDir = "/data";
  AnswerFileDialog(ModalKind::OpenPicture, {"/data/a.png", "/data/b.tif"});
  AnswerFileDialog(ModalKind::OpenPicture, {});
  const auto first = AskFileDialog(p);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, (std::vector<std::string>{"/data/a.png", "/data/b.tif"}));
  EXPECT_FALSE(AskFileDialog(p).has_value());
  EXPECT_EQ(ModalPrompts()[0].initialDir, "/data");
  // A save answer does not fit an open dialog.
  AnswerFileDialog(ModalKind::SaveFile, {"/x.zks"});
  EXPECT_THROW(AskFileDialog(p), NoModalAnswer);
}

TEST_F(ModalTest, PopupMenusReturnOrPostTheChosenItem) {
  WNDCLASS wc;
  wc.lpfnWndProc = &DefWindowProc;
  wc.lpszClassName = "QmModalOwner";
  WNDCLASS existing;
  if (!GetClassInfo(nullptr, wc.lpszClassName, &existing)) RegisterClass(&wc);
  HWND owner = CreateWindowEx(0, "QmModalOwner", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const std::vector<PopupMenuItem> items{
      {10, "Rename", true, false, false, 0}, {0, "", true, false, true, 0}, {11, "Delete", false, false, false, 0},
      {12, "Clone", true, true, false, 0}};
  AnswerPopupMenu(12);
  EXPECT_EQ(TrackPopupMenu(items, TPM_RETURNCMD, 5, 6, owner), 12u);
  EXPECT_EQ(ModalPrompts()[0].items.size(), 4u);
  EXPECT_EQ(ModalPrompts()[0].pt, (POINT{5, 6}));
  EXPECT_EQ(PendingMessageCount(), 0u);

  AnswerPopupMenu(10);
  EXPECT_EQ(TrackPopupMenu(items, TPM_LEFTALIGN, 0, 0, owner), 1u);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, owner, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_COMMAND);
  EXPECT_EQ(LOWORD(m.wParam), 10);

  AnswerPopupMenu(0);  // dismissed
  EXPECT_EQ(TrackPopupMenu(items, 0, 0, 0, owner), 0u);
  EXPECT_FALSE(PeekMessage(&m, owner, 0, 0, PM_REMOVE));

  // Disabled items and separators cannot be chosen.
  AnswerPopupMenu(11);
  EXPECT_THROW(TrackPopupMenu(items, TPM_RETURNCMD, 0, 0, owner), NoModalAnswer);
}

TEST_F(ModalTest, ModalFormsRunTheirActionWithTheFormsWindow) {
  HWND seen = nullptr;
  AnswerModalForm(0, [&](HWND form) {
    seen = form;
    return IDOK;
  });
  auto* form = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
  EXPECT_EQ(RunModalForm(form, "TEditKeyframeForm", "Edit Keyframe"), IDOK);
  EXPECT_EQ(seen, form);
  EXPECT_EQ(ModalPrompts()[0].formClass, "TEditKeyframeForm");
  AnswerModalForm(0);  // a form that never ends
  EXPECT_THROW(RunModalForm(form, "TEditKeyframeForm", ""), NoModalAnswer);
}

TEST_F(ModalTest, SafeDefaultsAnswerNoOrCancel) {
  SetModalSafeDefaults(true);
  EXPECT_EQ(MessageBox(nullptr, "?", "", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "?", "", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, "?", "", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, "!", "", MB_OK), IDOK);
  ModalPrompt save;
  save.kind = ModalKind::SaveFile;
  EXPECT_FALSE(AskFileDialog(save).has_value());
  EXPECT_FALSE(AskColorDialog(nullptr, 0).has_value());
  const PopupMenuItem one{1, "One"};
  EXPECT_EQ(TrackPopupMenu(std::span<const PopupMenuItem>(&one, 1), TPM_RETURNCMD, 0, 0, nullptr), 0u);
  EXPECT_EQ(RunModalForm(nullptr, "TForm", ""), IDCANCEL);
  EXPECT_TRUE(failures_.empty());
  EXPECT_EQ(ModalPrompts().size(), 8u);
  // Queued answers still come first.
  AnswerMessageBox(IDYES);
  EXPECT_EQ(MessageBox(nullptr, "?", "", MB_YESNO), IDYES);
}

TEST_F(ModalTest, ACancelAnswersAnyKindAsEscAndStandingAnswersComeAfterTheQueue) {
  ModalPrompt open;
  open.kind = ModalKind::OpenFile;
  const PopupMenuItem one{1, "One"};
  for (int i = 0; i < 7; ++i) AnswerCancel();
  EXPECT_FALSE(AskFileDialog(open).has_value());
  EXPECT_FALSE(AskColorDialog(nullptr, 0).has_value());
  EXPECT_EQ(TrackPopupMenu(std::span<const PopupMenuItem>(&one, 1), TPM_RETURNCMD, 0, 0, nullptr), 0u);
  EXPECT_EQ(RunModalForm(nullptr, "TForm", ""), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, "?", "", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, "!", "", MB_OK), IDOK);
  EXPECT_TRUE(failures_.empty());
  EXPECT_THROW(MessageBox(nullptr, "?", "", MB_YESNO), NoModalAnswer) << "Yes/No has no way out";
  EXPECT_EQ(failures_.size(), 1u);

  // The standing answer takes what it knows once the queue is empty; the rest still fails.
  SetModalStandingAnswer([](const ModalPrompt& p) -> std::optional<ModalAnswer> {
    if (p.text != "Known?") return std::nullopt;
    ModalAnswer a;
    a.result = IDNO;
    return a;
  });
  AnswerMessageBox(IDYES);
  EXPECT_EQ(MessageBox(nullptr, "Known?", "", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBox(nullptr, "Known?", "", MB_YESNO), IDNO);
  EXPECT_THROW(MessageBox(nullptr, "Other?", "", MB_YESNO), NoModalAnswer);
  EXPECT_EQ(failures_.size(), 2u);
  SetModalSafeDefaults(true);
  EXPECT_EQ(MessageBox(nullptr, "Else?", "", MB_YESNO), IDNO);
  // Only the prompts no answer fitted are marked.
  std::vector<bool> marked;
  for (const ModalPrompt& p : ModalPrompts()) marked.push_back(p.unanswered);
  EXPECT_EQ(marked, (std::vector<bool>{false, false, false, false, false, false, true, false, false, true, true}));
  SetModalStandingAnswer(nullptr);
}

TEST_F(ModalTest, ServicesRecordWhatTheyWereAsked) {
  MessageBeep(0);
  MessageBeep(0x30);
  EXPECT_EQ(RecordedBeeps(), (std::vector<UINT>{0, 0x30}));

  static const char wave[] = "RIFF";
  sndPlaySound(wave, SND_MEMORY | SND_ASYNC);
  sndPlaySound(nullptr, SND_MEMORY);  // stop whatever plays
  PlaySound("chime.wav", nullptr, SND_FILENAME);
  ASSERT_EQ(RecordedSounds().size(), 3u);
  EXPECT_EQ(RecordedSounds()[0].data, wave);
  EXPECT_TRUE(RecordedSounds()[1].stop);
  EXPECT_EQ(RecordedSounds()[2].name, "chime.wav");

  EXPECT_GT(reinterpret_cast<std::intptr_t>(ShellExecute(nullptr, nullptr, "mailto:a@b", nullptr, nullptr, 1)), 32);
  SetShellExecuteResult(2);
  EXPECT_LE(reinterpret_cast<std::intptr_t>(ShellExecute(nullptr, "open", "http://x", "", "/", 1)), 32);
  ASSERT_EQ(RecordedShellCalls().size(), 2u);
  EXPECT_EQ(RecordedShellCalls()[0].file, "mailto:a@b");
  EXPECT_EQ(RecordedShellCalls()[0].verb, "");
  EXPECT_EQ(RecordedShellCalls()[1].verb, "open");

  EXPECT_TRUE(WinHelp(nullptr, "/data/ZOVK.hlp", HELP_FINDER, 0));
  WinHelp(nullptr, "/data/ZOVK.hlp", HELP_KEY, reinterpret_cast<ULONG_PTR>("Emitters"));
  ASSERT_EQ(RecordedHelpCalls().size(), 2u);
  EXPECT_EQ(RecordedHelpCalls()[0].command, 11u);
  EXPECT_EQ(RecordedHelpCalls()[0].file, "/data/ZOVK.hlp");
  EXPECT_EQ(RecordedHelpCalls()[1].text, "Emitters");
}

TEST_F(ModalTest, TheRegistryAnswersFromItsMap) {
  RegistrySetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product Line\\CurrentVersion", "RegisteredOwner", "Ann");
  RegistrySetDword(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Delay", 600);
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "\\software\\maker\\product line\\currentversion", 0, KEY_READ, &k),
            ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueEx(k, "registeredowner", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 4u);  // with the terminating zero
  char small[2];
  DWORD smallSize = sizeof small;
  EXPECT_EQ(RegQueryValueEx(k, "RegisteredOwner", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &smallSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(smallSize, 4u);
  char name[16];
  DWORD nameSize = sizeof name;
  ASSERT_EQ(RegQueryValueEx(k, "RegisteredOwner", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &nameSize),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "Ann");
  EXPECT_EQ(RegQueryValueEx(k, "RegisteredOrganization", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueEx(k, "RegisteredOwner", nullptr, nullptr, reinterpret_cast<BYTE*>(name), nullptr),
            ERROR_INVALID_PARAMETER);

  // A key on the way exists; a sub-key of an open key is found from it.
  HKEY maker = nullptr, sub = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker", 0, KEY_READ, &maker), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyEx(maker, "Product Line\\CurrentVersion", 0, KEY_READ, &sub), ERROR_SUCCESS);
  HKEY missing = reinterpret_cast<HKEY>(&type);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);

  DWORD delay = 0, dsize = sizeof delay;
  HKEY desk = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &desk), ERROR_SUCCESS);
  ASSERT_EQ(RegQueryValueEx(desk, "Delay", nullptr, &type, reinterpret_cast<BYTE*>(&delay), &dsize), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(delay, 600u);

  // Closed handles are refused.
  EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueEx(k, "RegisteredOwner", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyEx(k, "x", 0, KEY_READ, &missing), ERROR_INVALID_HANDLE);
  for (HKEY h : {maker, sub, desk}) RegCloseKey(h);
}

}  // namespace
