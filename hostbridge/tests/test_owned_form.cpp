// TTsOwnedForm: owned by the host's main view, and freeing itself exactly once when the
// window system destroys its window.
#include <string>
#include <vector>

#include "bridge_test_support.h"
#include "hostbridge/owned_form.h"
#include "hostbridge/tsx.h"
#include "platform/classlib/screen.h"
#include "platform/win/message_queue.h"
#include "platform/win/window.h"

namespace {

constexpr const char* kViewClass = "QmTestHostView";

// Counts the forms freed, and can send itself a second WM_DESTROY while it frees itself.
class TCountedForm : public TTsOwnedForm {
 public:
  explicit TCountedForm(int* freed) : TTsOwnedForm(nullptr), freed_(freed) {}
  ~TCountedForm() override { ++*freed_; }

 private:
  int* freed_;
};

class OwnedFormTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    win::ResetWindowSystem();
    view_ = TestWindow(kViewClass, 0, win::WS_OVERLAPPEDWINDOW, 800, 600);
    host::SetMainViewWindow(view_);
  }
  void TearDown() override {
    win::ResetWindowSystem();
    BridgeTest::TearDown();
  }

  win::HWND view_ = nullptr;
};

}  // namespace

TEST_F(OwnedFormTest, TopLevelFormsAreOwnedByTheHostsMainView) {
  auto* form = new TTsOwnedForm(nullptr);
  EXPECT_EQ(win::GetWindow(form->Handle(), win::GW_OWNER), view_);
  EXPECT_FALSE(win::GetWindowLong(form->Handle(), win::GWL_STYLE) & win::WS_CHILD);

  // A form placed inside another stays that one's child.
  auto* page = new TTsOwnedForm(form);
  page->SetParent(form);
  EXPECT_EQ(win::GetParent(page->Handle()), form->Handle());
  EXPECT_TRUE(win::GetWindowLong(page->Handle(), win::GWL_STYLE) & win::WS_CHILD);

  // Making the window again after a change of style keeps the form, and the owner.
  form->SetBorderStyle(bsToolWindow);
  ASSERT_FALSE(form->Freeing());
  EXPECT_TRUE(win::GetWindowLong(form->Handle(), win::GWL_EXSTYLE) & win::WS_EX_TOOLWINDOW);
  EXPECT_EQ(win::GetWindow(form->Handle(), win::GW_OWNER), view_);

  // While the host closes there is no main view to own it.
  host::SetMainViewClosed(true);
  auto* late = new TTsOwnedForm(nullptr);
  EXPECT_EQ(win::GetWindow(late->Handle(), win::GW_OWNER), nullptr);
  delete late;
  delete form;

  // The bridge knows its owner form now.
  auto* owner = new TTsOwnedForm(nullptr);
  auto* tsx = new TTsx(owner);
  EXPECT_EQ(tsx->OwnerForm(), owner);
  delete owner;
}

TEST_F(OwnedFormTest, ClosingTheMainViewFreesTheFormOnce) {
  int freed = 0;
  int destroyEvents = 0;
  auto* form = new TCountedForm(&freed);
  form->OnDestroy = [&](TObject*) { ++destroyEvents; };
  form->Show();
  win::HWND h = form->Handle();
  const Integer forms = Screen->CustomFormCount();

  win::DestroyWindow(view_);
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(destroyEvents, 1);
  EXPECT_FALSE(win::IsWindow(h));
  EXPECT_EQ(Screen->CustomFormCount(), forms - 1);
}

TEST_F(OwnedFormTest, ASecondDestroyWhileFreeingDoesNothing) {
  int freed = 0;
  auto* form = new TCountedForm(&freed);
  win::HWND h = form->Handle();
  std::vector<bool> freeingSeen;
  // OnDestroy runs while the form frees itself; the same message arriving again then must
  // not free it a second time.
  form->OnDestroy = [&](TObject* sender) {
    freeingSeen.push_back(static_cast<TTsOwnedForm*>(sender)->Freeing());
    win::SendMessage(h, win::WM_DESTROY, 0, 0);
  };

  // A WM_DESTROY not caused by the form: it frees itself, and its window goes with it.
  win::SendMessage(h, win::WM_DESTROY, 0, 0);
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(freeingSeen, std::vector<bool>{true});
  EXPECT_FALSE(win::IsWindow(h));
}

TEST_F(OwnedFormTest, FreeingTheFormItselfDestroysItsWindowWithoutFreeingAgain) {
  int freed = 0;
  auto* form = new TCountedForm(&freed);
  form->Show();
  win::HWND h = form->Handle();
  delete form;
  EXPECT_EQ(freed, 1);
  EXPECT_FALSE(win::IsWindow(h));
  // The host closing later finds nothing of the form.
  win::DestroyWindow(view_);
  EXPECT_EQ(freed, 1);
}
