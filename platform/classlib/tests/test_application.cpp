// The application, the screen and the mouse: hints on the window system's clock, help,
// exceptions, the message queue, minimising, cursors and forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/application.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/hint_window.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/screen.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/services.h"
#include "platform/win/system_tables.h"

namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(0, 1);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    panel_ = new TPanel(form_.get());
    panel_->SetParent(form_.get());
    panel_->SetBounds(20, 30, 200, 100);
  }
  void TearDown() override {
    Application->CancelHint();
    Application->OnHint = nullptr;
    Application->OnException = nullptr;
    Application->OnHelp = nullptr;
    Application->SetHelpFile("");
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  void MoveTo(win::POINT p) {
    win::InjectMouseMove(p.x, p.y);
    win::PumpPendingMessages();
  }
  void Wait(win::DWORD ms) {
    win::AdvanceClock(ms);
    win::PumpPendingMessages();
  }
  bool HintShowing() { return Application->HintWindow() && Application->HintWindow()->IsShowing(); }

  std::unique_ptr<TForm> form_;
  TPanel* panel_ = nullptr;
};

TEST_F(ApplicationTest, AHintAppearsAfterThePauseAndGoesAgain) {
  panel_->SetHint("Short|Long hint");
  panel_->SetShowHint(true);
  std::vector<std::string> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };
  form_->Show();
  win::PumpPendingMessages();

  win::POINT p = win::ScreenPointOf(panel_->Handle(), 10, 10);
  MoveTo(p);
  EXPECT_EQ(hints, (std::vector<std::string>{"Long hint"}));
  Wait(Application->HintPause() - 10);
  EXPECT_FALSE(HintShowing());
  Wait(20);
  ASSERT_TRUE(HintShowing());
  THintWindow* hint = Application->HintWindow();
  EXPECT_EQ(hint->Caption(), "Short");
  // Below the cursor, as wide as the text needs.
  EXPECT_EQ(hint->Left(), p.x);
  EXPECT_GT(hint->Top(), p.y);
  EXPECT_EQ(hint->Width(), hint->CalcHintRect(1000, "Short").right);

  // It goes after HintHidePause and does not come back while the mouse stays.
  Wait(Application->HintHidePause() + 10);
  EXPECT_FALSE(HintShowing());
  Wait(Application->HintPause() + 10);
  EXPECT_FALSE(HintShowing());

  // Off the panel: the hint is cancelled and the status hint cleared.
  MoveTo(win::ScreenPointOf(form_->Handle(), 250, 180));
  EXPECT_EQ(hints, (std::vector<std::string>{"Long hint", ""}));
  Wait(Application->HintPause() + 10);
  EXPECT_FALSE(HintShowing());
}

TEST_F(ApplicationTest, AClickEndsAHintAndCmHintShowMayChangeIt) {
  panel_->SetHint("Plain");
  panel_->SetShowHint(true);
  panel_->WindowProc = [this](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) reinterpret_cast<THintInfo*>(m.LParam)->HintStr = "Changed";
    panel_->WndProc(m);
  };
  form_->Show();
  win::PumpPendingMessages();
  win::POINT p = win::ScreenPointOf(panel_->Handle(), 10, 10);
  // Shown at once, where the caller asks.
  Application->ActivateHint(p);
  ASSERT_TRUE(HintShowing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "Changed");
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_FALSE(HintShowing());

  // A control that refuses (answers non-zero) shows nothing.
  panel_->WindowProc = [this](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) {
      m.Result = 1;
      return;
    }
    panel_->WndProc(m);
  };
  Application->ActivateHint(p);
  EXPECT_FALSE(HintShowing());
  panel_->WindowProc = nullptr;
}

TEST_F(ApplicationTest, HelpGoesToTheHelpFileThroughWinHelp) {
  std::size_t before = win::RecordedHelpCalls().size();
  EXPECT_FALSE(Application->HelpCommand(HELP_FINDER, 0));  // no help file yet
  EXPECT_EQ(win::RecordedHelpCalls().size(), before);
  Application->SetHelpFile("/data/Quillmoth/ZOVK.hlp");
  EXPECT_TRUE(Application->HelpCommand(HELP_FINDER, 0));
  ASSERT_EQ(win::RecordedHelpCalls().size(), before + 1);
  EXPECT_EQ(win::RecordedHelpCalls().back().file, "/data/Quillmoth/ZOVK.hlp");
  EXPECT_EQ(win::RecordedHelpCalls().back().command, 11u);
  EXPECT_TRUE(Application->HelpContext(42));
  EXPECT_EQ(win::RecordedHelpCalls().back().command, win::HELP_CONTEXT);
  EXPECT_EQ(win::RecordedHelpCalls().back().data, 42u);
  // OnHelp may take the request over.
  Application->OnHelp = [](win::UINT, Integer, bool& callHelp) {
    callHelp = false;
    return true;
  };
  EXPECT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
  EXPECT_EQ(win::RecordedHelpCalls().size(), before + 2);
}

TEST_F(ApplicationTest, ExceptionsInHandlersReachOnExceptionOrAMessageBox) {
  panel_->OnClick = [](TObject*) { throw EInvalidOperation("Cannot do that"); };
  form_->Show();
  win::PumpPendingMessages();
  std::vector<std::string> caught;
  TObject* sender = nullptr;
  Application->OnException = [&](TObject* s, Exception& e) {
    sender = s;
    caught.push_back(e.Message());
  };
  win::POINT p = win::ScreenPointOf(panel_->Handle(), 5, 5);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(caught, (std::vector<std::string>{"Cannot do that"}));
  EXPECT_EQ(sender, panel_);

  // Without a handler the user is told, with a full stop added.
  Application->OnException = nullptr;
  win::ClearModalAnswers();
  win::AnswerMessageBox(win::IDOK);
  win::AdvanceClock(1000);  // not a double click
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  ASSERT_EQ(win::ModalPrompts().size(), 1u);
  EXPECT_EQ(win::ModalPrompts()[0].text, "Cannot do that.");
  EXPECT_EQ(win::ModalPrompts()[0].caption, Application->Title());
  EXPECT_TRUE(win::ModalPrompts()[0].type & win::MB_ICONERROR);
}

TEST_F(ApplicationTest, ProcessMessagesDeliversWhatIsWaiting) {
  std::vector<win::UINT> seen;
  panel_->WindowProc = [&](TMessage& m) {
    if (m.Msg >= win::WM_USER && m.Msg < win::WM_USER + 10) seen.push_back(m.Msg);
    panel_->WndProc(m);
  };
  form_->Show();
  win::PostMessage(panel_->Handle(), win::WM_USER + 1, 0, 0);
  win::PostMessage(panel_->Handle(), win::WM_USER + 2, 0, 0);
  EXPECT_TRUE(seen.empty());
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<win::UINT>{win::WM_USER + 1, win::WM_USER + 2}));
  EXPECT_EQ(win::PendingMessageCount(), 0u);
  EXPECT_FALSE(Application->HandleMessage());
  panel_->WindowProc = nullptr;
}

TEST_F(ApplicationTest, MinimizeAndRestoreTakeEveryShownForm) {
  TForm second(nullptr);
  second.SetBounds(0, 0, 100, 100);
  form_->Show();
  second.Show();
  Integer minimized = 0, restored = 0;
  Application->OnMinimize = [&](TObject*) { ++minimized; };
  Application->OnRestore = [&](TObject*) { ++restored; };
  Application->Minimize();
  EXPECT_TRUE(win::IsIconic(form_->Handle()));
  EXPECT_TRUE(win::IsIconic(second.Handle()));
  EXPECT_EQ(form_->WindowState(), wsMinimized);
  Application->Restore();
  EXPECT_FALSE(win::IsIconic(form_->Handle()));
  EXPECT_FALSE(win::IsIconic(second.Handle()));
  EXPECT_EQ(form_->WindowState(), wsNormal);
  EXPECT_EQ(form_->Width(), 300);
  EXPECT_EQ(minimized, 1);
  EXPECT_EQ(restored, 1);
  Application->OnMinimize = nullptr;
  Application->OnRestore = nullptr;
  EXPECT_FALSE(Application->ExeName().empty());
  EXPECT_TRUE(std::filesystem::exists(Application->ExeName()));
  EXPECT_EQ(Application->Handle(), nullptr);
}

TEST_F(ApplicationTest, TheScreenKnowsItsFormsTheActiveOneAndItsCursors) {
  Integer count = Screen->FormCount();
  EXPECT_EQ(Screen->Forms(count - 1), form_.get());
  auto* extra = new TForm(nullptr);
  EXPECT_EQ(Screen->FormCount(), count + 1);
  delete extra;
  EXPECT_EQ(Screen->FormCount(), count);
  EXPECT_THROW(Screen->Forms(count), EListError);

  Integer formChanges = 0;
  Screen->OnActiveFormChange = [&](TObject*) { ++formChanges; };
  panel_->SetTabStop(true);
  form_->Show();
  EXPECT_EQ(Screen->ActiveForm(), form_.get());
  EXPECT_EQ(Screen->ActiveControl(), panel_);
  EXPECT_GE(formChanges, 1);
  Screen->OnActiveFormChange = nullptr;

  EXPECT_EQ(Screen->Width(), win::GetSystemMetrics(win::SM_CXSCREEN));
  EXPECT_EQ(Screen->Height(), win::GetSystemMetrics(win::SM_CYSCREEN));
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  EXPECT_GE(Screen->Fonts()->IndexOf("Arial"), 0);
  EXPECT_EQ(Screen->Fonts()->IndexOf("No Such Face"), -1);

  EXPECT_EQ(Screen->Cursors(crHandPoint), win::LoadCursor(nullptr, win::IDC_HAND));
  EXPECT_EQ(Screen->Cursors(crDefault), win::LoadCursor(nullptr, win::IDC_ARROW));
  EXPECT_EQ(Screen->Cursors(1234), win::LoadCursor(nullptr, win::IDC_ARROW));

  // The system's ids (crDefault down to crSizeAll) keep the system's cursor; any other id,
  // negative or positive, takes the program's.
  const win::HCURSOR own = win::LoadCursor(nullptr, win::IDC_CROSS);
  const struct {
    Integer id;
    win::HCURSOR after;  // what Cursors gives once SetCursors(id, own) was called
  } ids[] = {
      {crDefault, win::LoadCursor(nullptr, win::IDC_ARROW)},
      {crArrow, win::LoadCursor(nullptr, win::IDC_ARROW)},
      {crIBeam, win::LoadCursor(nullptr, win::IDC_IBEAM)},
      {crHandPoint, win::LoadCursor(nullptr, win::IDC_HAND)},
      {crSizeAll, win::LoadCursor(nullptr, win::IDC_SIZEALL)},
      {-23, own},
      {-255, own},
      {-32768, own},
      {1, own},
      {5, own},
  };
  for (const auto& row : ids) {
    SCOPED_TRACE(row.id);
    Screen->SetCursors(row.id, own);
    EXPECT_EQ(Screen->Cursors(row.id), row.after);
    // Null takes a program cursor out again: an unknown id shows the arrow.
    Screen->SetCursors(row.id, nullptr);
    EXPECT_EQ(Screen->Cursors(row.id), row.after == own ? win::LoadCursor(nullptr, win::IDC_ARROW) : row.after);
  }
  Screen->SetCursors(5, own);
  EXPECT_EQ(Screen->Cursors(5), own);

  // Over a control the cursor is the control's, unless the screen's says otherwise.
  panel_->SetCursor(crHandPoint);
  win::POINT p = win::ScreenPointOf(panel_->Handle(), 10, 10);
  win::InjectMouseMove(p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(win::GetCursor(), win::LoadCursor(nullptr, win::IDC_HAND));
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(win::GetCursor(), win::LoadCursor(nullptr, win::IDC_WAIT));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(win::GetCursor(), win::LoadCursor(nullptr, win::IDC_HAND));

  Mouse->SetCursorPos(TPoint{7, 9});
  EXPECT_EQ(Mouse->CursorPos(), (TPoint{7, 9}));
  Mouse->SetCapture(form_->Handle());
  EXPECT_EQ(Mouse->Capture(), form_->Handle());
  Mouse->SetCapture(nullptr);
  EXPECT_EQ(Mouse->Capture(), nullptr);
}

}  // namespace
