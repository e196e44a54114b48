// Labels: blinking phases on the manual clock, what the hidden phase draws, the hyperlink
// target rule through the shell, the jump look, the accelerator, and the information
// label's text from a fake system provider, the glyph label's size and the editor's form
// settings.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controlkit/kit_application.h"
#include "controlkit/kit_combo_box.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_labels.h"
#include "controlkit/tests/kit_form_test.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/control_messages.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_edit.h"
#include "platform/win/clock.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/services.h"
#include "platform/win/window.h"

namespace {

class FakeInfo : public TKitSystemInfoProvider {
 public:
  bool caps = false;
  std::string UserName() override { return "ada"; }
  std::string ComputerName() override { return "lab-7"; }
  std::string WindowsDir() override { return "C:\\WINDOWS"; }
  std::string SystemDir() override { return "C:\\WINDOWS\\SYSTEM"; }
  std::string CurrentDir() override { return "C:\\Work"; }
  std::string TempPath() override { return "C:\\Temp\\"; }
  bool DiskSpace(const std::string&, Int64& f, Int64& t) override {
    f = 1234567;
    t = 9999999;
    return true;
  }
  std::string RegisteredValue(const std::string&) override { return ""; }
  TKitVersionFacts Version() override { return {5, 1, 2600, 2}; }
  std::string SystemName() override { return "Linux"; }
  Integer ColorDepth() override { return 32; }
  Integer ScreenSaverSeconds() override { return 600; }
  TKitMemoryStatus Memory() override { return {}; }
  Integer FreeResources(int) override { return 0; }
  Cardinal ProcessorCount() override { return 4; }
  Cardinal ProcessorType() override { return 586; }
  bool KeyToggled(int vk) override { return vk == win::VK_CAPITAL && caps; }
  std::tm LocalTime() override { return std::tm{}; }
  std::string ProgramVersionString(const std::string&) override { return ""; }
  std::uint64_t ReadTimeStampCounter() override { return 0; }
  void Wait(Cardinal) override {}
};

class OpenLabel : public TKitSimpleLabel {
 public:
  using TKitSimpleLabel::TKitSimpleLabel;
  void Down() { MouseDown(mbLeft, TShiftState{ssLeft}, 1, 1); }
  void Up() { MouseUp(mbLeft, TShiftState{}, 1, 1); }
};

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(0, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 200, 100);
    form_->SetColor(clWhite);
    label_ = new OpenLabel(form_.get());
    label_->SetParent(form_.get());
    label_->SetAutoSize(false);
    label_->SetBounds(10, 10, 120, 24);
    label_->SetTransparent(false);
    label_->SetColor(clWhite);
    label_->Font()->SetColor(clBlack);
    label_->SetCaption("MMMM");
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    kit_test::ReleaseKitTimers();
    SetKitSystemInfoProvider(nullptr);
    win::SetShellExecuteResult(42);
    win::UseRealClock();
  }
  static void Run(win::DWORD ms) {
    for (win::DWORD t = 0; t < ms; t += 50) {
      win::AdvanceClock(50);
      win::PumpPendingMessages();
    }
  }
  // Dark pixels inside the label after a full repaint.
  int DarkPixels() {
    form_->Repaint();
    win::HDC dc = win::GetDC(form_->Handle());
    int dark = 0;
    for (int y = 10; y < 34; ++y)
      for (int x = 10; x < 130; ++x)
        if ((win::GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF) ++dark;
    win::ReleaseDC(form_->Handle(), dc);
    return dark;
  }
  std::string LastShellFile() const {
    const auto& calls = win::RecordedShellCalls();
    return calls.empty() ? std::string("<none>") : calls.back().file;
  }

  std::unique_ptr<TForm> form_;
  OpenLabel* label_ = nullptr;
};

}  // namespace

TEST_F(LabelTest, TwinkleShowsAndHidesForItsTwoIntervals) {
  label_->SetTwinkleVisible(700);
  label_->SetTwinkleInVisible(300);
  label_->SetTwinkle(true);
  Run(650);
  EXPECT_TRUE(label_->TwinkleShown());
  Run(50);
  EXPECT_FALSE(label_->TwinkleShown()) << "hidden after 700 ms";
  Run(250);
  EXPECT_FALSE(label_->TwinkleShown());
  Run(50);
  EXPECT_TRUE(label_->TwinkleShown()) << "shown again after 300 ms";
  Run(650);
  EXPECT_TRUE(label_->TwinkleShown());
  Run(50);
  EXPECT_FALSE(label_->TwinkleShown());

  label_->SetTwinkle(false);
  EXPECT_TRUE(label_->TwinkleShown());
  EXPECT_FALSE(label_->TwinkleRunning());
  Run(2000);
  EXPECT_TRUE(label_->TwinkleShown());
}

TEST_F(LabelTest, HiddenPhaseDrawsNothingOrTheTwinkleColour) {
  EXPECT_GT(DarkPixels(), 0);
  label_->SetTwinkleVisible(100);
  label_->SetTwinkleInVisible(500);
  label_->SetTwinkle(true);
  Run(100);
  ASSERT_FALSE(label_->TwinkleShown());
  EXPECT_EQ(DarkPixels(), 0) << "clNone draws nothing in the hidden phase";
  label_->SetTwinkleColor(clRed);
  EXPECT_GT(DarkPixels(), 0);
}

TEST_F(LabelTest, TransparentEmptyLabelDrawsNothing) {
  label_->SetTransparent(true);
  label_->SetCaption("");
  EXPECT_TRUE(label_->IsEmptyTransparent());
  form_->SetColor(clWhite);
  EXPECT_EQ(DarkPixels(), 0);
}

TEST_F(LabelTest, InternetJumpTargets) {
  label_->SetJumpMode(jmInternet);
  label_->SetCaption("someone@example.org");
  label_->Click();
  EXPECT_EQ(LastShellFile(), "mailto:someone@example.org");
  ASSERT_FALSE(win::RecordedShellCalls().empty());
  EXPECT_EQ(win::RecordedShellCalls().back().verb, "");
  EXPECT_EQ(win::RecordedShellCalls().back().show, win::SW_SHOWNORMAL);

  label_->SetCaption("www.example.org");
  label_->Click();
  EXPECT_EQ(LastShellFile(), "www.example.org");

  label_->SetJump("http://example.org/a@b");
  label_->Click();
  EXPECT_EQ(LastShellFile(), "http://example.org/a@b") << "a Jump is opened unchanged";
  label_->SetJump("   ");
  label_->Click();
  EXPECT_EQ(LastShellFile(), "www.example.org") << "a blank Jump counts as empty";

  // A failed open disables the label and ends the jump mode.
  win::SetShellExecuteResult(2);
  label_->Click();
  EXPECT_EQ(label_->JumpMode(), jmNone);
  EXPECT_FALSE(label_->Enabled());
}

TEST_F(LabelTest, ApplicationJumpIgnoresFailuresAndNoneFiresOnClick) {
  int clicks = 0;
  label_->OnClick = [&](TObject*) { ++clicks; };
  label_->SetJumpMode(jmApplication);
  label_->SetCaption("notepad a@b");
  win::SetShellExecuteResult(0);
  label_->Click();
  EXPECT_EQ(LastShellFile(), "notepad a@b") << "no mailto: outside jmInternet";
  EXPECT_TRUE(label_->Enabled());
  EXPECT_EQ(clicks, 0);

  label_->SetJumpMode(jmNone);
  const auto before = win::RecordedShellCalls().size();
  label_->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(win::RecordedShellCalls().size(), before);
}

TEST_F(LabelTest, JumpLookComesAndGoes) {
  label_->SetJumpMode(jmInternet);
  EXPECT_EQ(label_->Font()->Color(), clBlue);
  EXPECT_TRUE(label_->Font()->Style().Contains(fsUnderline));
  EXPECT_EQ(label_->Cursor(), crHandPoint);
  label_->Down();
  EXPECT_EQ(label_->ClickCount(), 1);
  EXPECT_EQ(label_->Font()->Color(), clPurple);
  label_->Up();
  EXPECT_EQ(label_->Font()->Color(), clPurple) << "a followed link keeps ActiveColor";

  label_->SetJumpMode(jmNone);
  EXPECT_EQ(label_->Font()->Color(), clBlack);
  EXPECT_FALSE(label_->Font()->Style().Contains(fsUnderline));
  EXPECT_EQ(label_->Cursor(), crDefault);
  label_->SetJumpMode(jmCustom);
  EXPECT_EQ(label_->ClickCount(), 0);
}

TEST_F(LabelTest, AcceleratorFocusesTheFocusControl) {
  auto* edit = new TEdit(form_.get());
  edit->SetParent(form_.get());
  edit->SetBounds(10, 50, 80, 20);
  label_->SetCaption("&Name");
  label_->SetFocusControl(edit);
  EXPECT_EQ(label_->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  EXPECT_FALSE(edit->Focused());
  EXPECT_EQ(label_->Perform(CM_DIALOGCHAR, 'n', 0), 1);
  EXPECT_TRUE(edit->Focused());

  label_->SetShowAccelChar(false);
  EXPECT_EQ(label_->Perform(CM_DIALOGCHAR, 'n', 0), 0);
  delete edit;
  EXPECT_EQ(label_->FocusControl(), nullptr);
}

TEST_F(LabelTest, InformationLabelBuildsItsTextFromTheProvider) {
  auto fake = std::make_unique<FakeInfo>();
  FakeInfo* info = fake.get();
  SetKitSystemInfoProvider(std::move(fake));
  auto* il = new TKitInformationLabel(form_.get());
  il->SetParent(form_.get());
  EXPECT_EQ(il->GetLabelText(), "Username\tada");
  il->SetInsertColon(0);
  il->SetInsertTabs(0);
  EXPECT_EQ(il->GetLabelText(), "Username: ada");
  il->SetInsertColon(2);
  il->SetInsertTabs(2);
  EXPECT_EQ(il->GetLabelText(), "Username\t\t:ada");
  il->SetUseStandardCaption(false);
  il->SetCaption("");
  il->SetInsertTabs(0);
  EXPECT_EQ(il->GetLabelText(), "ada");

  il->SetUseStandardCaption(true);
  il->SetInfo(itCurrentDiskFree32);
  il->SetDividerValue(1000);
  il->SetNumberFormat("0.000.000");
  EXPECT_EQ(il->GetLabelText(), "Free space on current disk 0.001.234");

  // Lock keys refresh on the pool every 250 ms.
  il->SetInfo(itCapsLock);
  EXPECT_TRUE(il->RefreshRunning());
  EXPECT_EQ(il->GetLabelText(), "CapsLock Off");
  info->caps = true;
  EXPECT_EQ(il->GetLabelText(), "CapsLock On");
  Run(250);
  EXPECT_TRUE(il->RefreshRunning());
  il->SetInfo(itUser);
  EXPECT_FALSE(il->RefreshRunning());
}

TEST(KitNumberFormat, DigitsFillTheZerosFromTheRight) {
  EXPECT_EQ(KitApplyNumberFormat("1234", ""), "1234");
  EXPECT_EQ(KitApplyNumberFormat("1234", "0,000"), "1,234");
  EXPECT_EQ(KitApplyNumberFormat("1234567", "0,000"), "1234,567");
  EXPECT_EQ(KitApplyNumberFormat("-42", "000"), "-042");
}

TEST_F(LabelTest, GlyphLabelSizesItselfAroundGlyphAndText) {
  auto* list = new TKitImageList(form_.get());
  auto* item = list->GetItemAt(list->Add());
  item->SetWidth(8);
  item->SetHeight(30);
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(8, 30);
  item->Add(&strip, nullptr);

  auto* gl = new TKitCustomGlyphLabel(form_.get());
  gl->SetParent(form_.get());
  gl->SetCaption("Text");
  const Integer textW = gl->Width(), textH = gl->Height();
  ASSERT_GT(textW, 0);
  ASSERT_LT(textH, 30);
  gl->SetImageList(list);
  gl->AdjustBounds();
  EXPECT_EQ(gl->Width(), textW + 8 + 2) << "beside: glyph width plus spacing";
  EXPECT_EQ(gl->Height(), 30) << "the larger height";
  gl->Layout()->SetAlignText2Glyph(taBottom);
  EXPECT_EQ(gl->Height(), textH + 30 + 2) << "above or below: glyph height plus spacing";
  EXPECT_EQ(gl->Width(), std::max<Integer>(textW, 8));
  gl->Layout()->SetOffsetX(5);
  EXPECT_EQ(gl->Width(), std::max<Integer>(textW, 8) + 5);
}

TEST_F(LabelTest, EditorFormSettingsLoadFromAFormFile) {
  RegisterKitLabelClasses();
  RegisterKitComboClasses();
  RegisterClass(TForm::StaticClass());
  auto root = ReadComponentText(R"(object F: TForm
  Left = 0
  Top = 0
  Width = 200
  Height = 100
  object L: TKitSimpleLabel
    Left = 4
    Top = 6
    Width = 80
    Height = 14
    Alignment = agCenter
    AutoSize = False
    Transparent = False
    ParentColor = False
    Color = 15925234
    Caption = 'Emitter'
    MultiLine = True
    Options = []
  end
  object C: TKitComboBox
    Left = 4
    Top = 30
    Width = 90
    Height = 20
    Flat = True
    ItemHeight = 12
  end
end
)");
  ASSERT_NE(root, nullptr);
  auto* l = dynamic_cast<TKitSimpleLabel*>(root->FindComponent("L"));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Alignment(), agCenter);
  EXPECT_FALSE(l->AutoSize());
  EXPECT_FALSE(l->Transparent());
  EXPECT_EQ(l->Color(), static_cast<TColor>(15925234));
  EXPECT_TRUE(l->MultiLine());
  EXPECT_EQ(l->Width(), 80) << "AutoSize False keeps the stored bounds";
  auto* c = dynamic_cast<TKitComboBox*>(root->FindComponent("C"));
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->Flat());
}
