// Buttons: clicks by mouse and keyboard (a release outside is none), Default and Cancel
// through the form's dialog keys, ModalResult, accelerators; check boxes and radio
// buttons firing OnClick on every change unless clicks are disabled (as while an
// action is mirrored); speed buttons in a group, and their glyphs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_edit.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

using Log = std::vector<std::string>;

// Something with the published properties an action has.
class TFakeAction : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFakeAction>("TFakeAction", TComponent::StaticClass(), &TFakeAction::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TFakeAction>();
    p.Boolean("Checked", &TFakeAction::checked);
    p.String("Caption", &TFakeAction::caption);
  }
  explicit TFakeAction(TComponent* owner) : TComponent(owner) {}
  bool checked = false;
  std::string caption = "From action";
};

// Opens the protected hook that an action link calls.
class TLinkedCheckBox : public TCheckBox {
 public:
  using TCheckBox::TCheckBox;
  void Mirror(TObject* action) { ActionChange(action, false); }
};

class ButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }
  template <class T>
  T* Add(Integer x, Integer y, Integer w, Integer h) {
    auto* c = new T(form_.get());
    c->SetParent(form_.get());
    c->SetBounds(x, y, w, h);
    return c;
  }
  void Show() {
    form_->Show();
    win::PumpPendingMessages();
  }
  win::POINT At(Integer x, Integer y) { return win::ScreenPointOf(form_->Handle(), x, y); }
  void ClickAt(Integer x, Integer y) {
    win::AdvanceClock(2000);
    win::POINT p = At(x, y);
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }
  void Key(int vk, unsigned mods = 0) {
    win::InjectKey(vk, mods);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  Log log_;
};

TEST_F(ButtonsTest, AButtonClicksOnAReleaseInsideAndOnSpace) {
  auto* b = Add<TButton>(10, 10, 75, 25);
  b->SetCaption("&Go");
  b->OnClick = [this](TObject*) { log_.push_back("click"); };
  Show();
  ClickAt(20, 20);
  EXPECT_EQ(log_.size(), 1u);

  // Pressed inside, released outside: no click.
  win::AdvanceClock(2000);
  win::POINT in = At(20, 20), out = At(200, 150);
  win::InjectMouseDown(win::MouseButton::Left, in.x, in.y);
  win::InjectMouseMove(out.x, out.y);
  win::InjectMouseUp(win::MouseButton::Left, out.x, out.y);
  win::PumpPendingMessages();
  EXPECT_EQ(log_.size(), 1u);

  ASSERT_TRUE(b->Focused());
  Key(win::VK_SPACE);
  EXPECT_EQ(log_.size(), 2u);
  // The accelerator: Alt+G.
  Key('G', win::kAlt);
  EXPECT_EQ(log_.size(), 3u);
}

TEST_F(ButtonsTest, DefaultAndCancelTakeEnterAndEscapeAndModalResultEndsTheForm) {
  auto* edit = Add<TEdit>(10, 50, 100, 21);
  auto* ok = Add<TButton>(10, 10, 75, 25);
  auto* cancel = Add<TButton>(100, 10, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  ok->OnClick = [this](TObject*) { log_.push_back("ok"); };
  cancel->OnClick = [this](TObject*) { log_.push_back("cancel"); };
  Show();
  edit->SetFocus();
  win::PumpPendingMessages();
  Key(win::VK_RETURN);
  EXPECT_EQ(log_, (Log{"ok"}));
  EXPECT_EQ(form_->ModalResult(), mrOk);
  Key(win::VK_ESCAPE);
  EXPECT_EQ(log_, (Log{"ok", "cancel"}));
  EXPECT_EQ(form_->ModalResult(), mrCancel);

  // With the focus on another button, Enter presses that one.
  cancel->SetFocus();
  win::PumpPendingMessages();
  Key(win::VK_RETURN);
  EXPECT_EQ(log_, (Log{"ok", "cancel", "cancel"}));
}

TEST_F(ButtonsTest, ACheckBoxFiresOnClickOnEveryChangeUnlessClicksAreDisabled) {
  auto* box = Add<TLinkedCheckBox>(10, 10, 100, 17);
  box->SetCaption("Render");
  box->OnClick = [&](TObject*) { log_.push_back(box->Checked() ? "on" : "off"); };
  Show();
  ClickAt(15, 18);
  ClickAt(15, 18);
  EXPECT_EQ(log_, (Log{"on", "off"}));
  box->SetCheckedValue(true);  // from code too
  EXPECT_EQ(log_, (Log{"on", "off", "on"}));

  // Mirroring an action takes its Checked without a click.
  TFakeAction action(nullptr);
  action.checked = false;
  box->Mirror(&action);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(box->Caption(), "From action");
  EXPECT_EQ(log_.size(), 3u);
  EXPECT_FALSE(box->ClicksDisabled());

  // Grayed comes between unchecked and checked when allowed.
  box->SetAllowGrayed(true);
  box->Toggle();
  EXPECT_EQ(box->State(), cbGrayed);
  box->Toggle();
  EXPECT_EQ(box->State(), cbChecked);

  // Space toggles the focused box.
  box->SetFocus();
  win::PumpPendingMessages();
  Key(win::VK_SPACE);
  EXPECT_EQ(box->State(), cbUnchecked);
}

TEST_F(ButtonsTest, RadioButtonsOfAParentCheckOneAtATime) {
  auto* a = Add<TRadioButton>(10, 10, 100, 17);
  auto* b = Add<TRadioButton>(10, 30, 100, 17);
  a->OnClick = [this](TObject*) { log_.push_back("a"); };
  b->OnClick = [this](TObject*) { log_.push_back("b"); };
  Show();
  a->SetCheckedValue(true);
  ClickAt(15, 38);
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  ClickAt(15, 38);  // clicking the checked one changes nothing
  EXPECT_EQ(log_, (Log{"a", "b"}));
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(a->TabStop());
}

TEST_F(ButtonsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  auto* a = Add<TSpeedButton>(10, 10, 23, 22);
  auto* b = Add<TSpeedButton>(40, 10, 23, 22);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->OnClick = [this](TObject*) { log_.push_back("a"); };
  b->OnClick = [this](TObject*) { log_.push_back("b"); };
  Show();
  ClickAt(20, 20);
  EXPECT_TRUE(a->Down());
  ClickAt(50, 20);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  ClickAt(50, 20);  // without AllowAllUp the down button stays down
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(log_, (Log{"a", "b", "b"}));
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());  // the group shares the rule
  ClickAt(50, 20);
  EXPECT_FALSE(b->Down());

  // Down from code, up again (the group allows all up), then out of the group: a
  // button without a group never stays down.
  a->SetDown(true);
  EXPECT_TRUE(a->Down());
  a->SetDown(false);
  EXPECT_FALSE(a->Down());
  a->SetGroupIndex(0);
  a->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(log_.size(), 4u);  // code fires no OnClick
}

TEST_F(ButtonsTest, ASpeedButtonDrawsTheGlyphOfItsStateWithTheTransparentColour) {
  auto* sb = Add<TSpeedButton>(10, 10, 30, 30);
  sb->SetFlat(true);
  // Two 8 x 8 pictures: red (up) and blue (disabled), lime as the transparent colour.
  TBitmap glyph;
  glyph.SetSize(16, 8);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect(Rect(8, 0, 16, 8));
  glyph.Canvas()->SetPixels(0, 7, clLime);
  glyph.Canvas()->SetPixels(1, 1, clLime);
  sb->SetGlyph(&glyph);
  sb->SetNumGlyphs(2);
  form_->SetColor(clWhite);
  Show();
  win::UpdateWindow(form_->Handle());
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  // The glyph centred: (30 - 8) / 2 = 11.
  EXPECT_EQ(img.At(10 + 11 + 4, 10 + 11 + 4), 0x0000FFu);
  EXPECT_EQ(img.At(10 + 11 + 1, 10 + 11 + 1), 0xFFFFFFu);  // transparent: the form's white
  sb->SetEnabled(false);
  win::UpdateWindow(form_->Handle());
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(10 + 11 + 4, 10 + 11 + 4), 0xFF0000u);
}

}  // namespace
