// Page control and tab control: a tab click runs OnChanging, the new sheet's OnShow,
// the old sheet's OnHide, then OnChange; TabVisible takes a sheet's tab away (and the
// active place with it); code changes fire no OnChange; sheets fill DisplayRect; form
// files keep the sheets, their order, the active page and TabVisible.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"

namespace {

using Log = std::vector<std::string>;

class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetName("Holder");
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    pages_ = new TPageControl(form_.get());
    pages_->SetName("Pages");
    pages_->SetParent(form_.get());
    pages_->SetBounds(10, 10, 250, 150);
    for (const char* name : {"A", "B", "C"}) {
      auto* sheet = new TTabSheet(form_.get());
      sheet->SetName(std::string("Sheet") + name);
      sheet->SetCaption(std::string("Page ") + name);
      sheet->SetPageControl(pages_);
      sheet->OnShow = [this, name](TObject*) { log_.push_back(std::string("show ") + name); };
      sheet->OnHide = [this, name](TObject*) { log_.push_back(std::string("hide ") + name); };
      sheets_.push_back(sheet);
    }
    pages_->SetActivePage(sheets_[0]);
    pages_->OnChanging = [this](TObject*, bool& allow) {
      log_.push_back("changing");
      allow = allow_;
    };
    pages_->OnChange = [this](TObject*) { log_.push_back("change"); };
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  void ClickTab(TCustomTabControl* control, Integer index) {
    win::AdvanceClock(2000);
    TRect r = control->TabRect(index);
    win::POINT p = win::ScreenPointOf(control->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  TPageControl* pages_ = nullptr;
  std::vector<TTabSheet*> sheets_;
  Log log_;
  bool allow_ = true;
};

TEST_F(PageControlTest, ATabClickShowsTheNewSheetBeforeHidingTheOldOneThenFiresOnChange) {
  EXPECT_EQ(log_, (Log{"show A"}));
  log_.clear();
  ClickTab(pages_, 1);
  EXPECT_EQ(pages_->ActivePage(), sheets_[1]);
  EXPECT_EQ(pages_->TabIndex(), 1);
  EXPECT_TRUE(sheets_[1]->Visible());
  EXPECT_FALSE(sheets_[0]->Visible());
  EXPECT_EQ(log_, (Log{"changing", "show B", "hide A", "change"}));

  // OnChanging refuses: nothing else happens.
  log_.clear();
  allow_ = false;
  ClickTab(pages_, 2);
  EXPECT_EQ(pages_->ActivePage(), sheets_[1]);
  EXPECT_EQ(log_, (Log{"changing"}));

  // Code: only the sheets hear of it.
  log_.clear();
  allow_ = true;
  pages_->SetActivePage(sheets_[2]);
  EXPECT_EQ(log_, (Log{"show C", "hide B"}));
  EXPECT_EQ(pages_->ActivePageIndex(), 2);
  // Clicking the active tab changes nothing.
  log_.clear();
  ClickTab(pages_, 2);
  EXPECT_TRUE(log_.empty());
}

TEST_F(PageControlTest, TabVisibleTakesTheTabAwayAndTheActivePlaceWithIt) {
  log_.clear();
  sheets_[1]->SetTabVisible(false);
  EXPECT_EQ(sheets_[1]->TabIndex(), -1);
  EXPECT_EQ(sheets_[2]->TabIndex(), 1);
  EXPECT_EQ(sheets_[2]->PageIndex(), 2);
  EXPECT_TRUE(log_.empty());
  // The second tab is now C's.
  ClickTab(pages_, 1);
  EXPECT_EQ(pages_->ActivePage(), sheets_[2]);
  EXPECT_EQ(log_, (Log{"changing", "show C", "hide A", "change"}));

  // Hiding the active sheet's tab moves to the next sheet that has one (wrapping to A).
  log_.clear();
  sheets_[2]->SetTabVisible(false);
  EXPECT_EQ(pages_->ActivePage(), sheets_[0]);
  EXPECT_EQ(pages_->TabIndex(), 0);
  EXPECT_EQ(log_, (Log{"show A", "hide C"}));
  EXPECT_EQ(pages_->FindNextPage(sheets_[0], true, true), sheets_[0]);
  EXPECT_EQ(pages_->FindNextPage(sheets_[0], true, false), sheets_[1]);

  // Back again, and the user's next page.
  sheets_[1]->SetTabVisible(true);
  log_.clear();
  pages_->SelectNextPage(true);
  EXPECT_EQ(pages_->ActivePage(), sheets_[1]);
  EXPECT_EQ(log_, (Log{"changing", "show B", "hide A", "change"}));
}

TEST_F(PageControlTest, SheetsFillTheDisplayRectAndTabsSitSideBySide) {
  Integer h = FontLineHeight(pages_->Font()) + 6;
  EXPECT_EQ(pages_->ItemHeight(), h);
  EXPECT_EQ(pages_->DisplayRect(), (TRect{4, h + 6, 246, 146}));
  EXPECT_EQ(sheets_[0]->BoundsRect(), (TRect{4, h + 6, 246, 146}));
  Integer w0 = MeasureText(pages_->Font(), "Page A").cx + 12;
  EXPECT_EQ(pages_->TabRect(0), (TRect{2, 2, 2 + w0, h + 2}));
  EXPECT_EQ(pages_->TabRect(1).left, 2 + w0);
  EXPECT_EQ(pages_->IndexOfTabAt(2 + w0 + 1, 5), 0);  // the selected tab stands 2 pixels wider
  EXPECT_EQ(pages_->IndexOfTabAt(2 + w0 + 2, 5), 1);
  EXPECT_EQ(pages_->IndexOfTabAt(200, 5), -1);
  pages_->SetTabWidth(40);
  EXPECT_EQ(pages_->TabRect(2), (TRect{82, 2, 122, h + 2}));

  // Deleting the active sheet activates the next one.
  log_.clear();
  delete sheets_[0];
  EXPECT_EQ(pages_->PageCount(), 2);
  EXPECT_EQ(pages_->ActivePage(), sheets_[1]);
  EXPECT_EQ(log_, (Log{"show B"}));
}

TEST_F(PageControlTest, AFormFileKeepsTheSheetsTheActivePageAndTabVisible) {
  sheets_[2]->SetTabVisible(false);
  pages_->SetActivePage(sheets_[1]);
  sheets_[0]->SetPageIndex(2);  // order B, C, A
  std::string text = WriteComponentText(form_.get());
  auto root = ReadComponentText(text);
  auto* pages = dynamic_cast<TPageControl*>(root->FindComponent("Pages"));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->Pages(0)->Name(), "SheetB");
  EXPECT_EQ(pages->Pages(2)->Name(), "SheetA");
  EXPECT_EQ(pages->ActivePage(), root->FindComponent("SheetB"));
  EXPECT_FALSE(pages->Pages(1)->TabVisible());
  EXPECT_EQ(pages->Pages(1)->Caption(), "Page C");
  EXPECT_FALSE(pages->Pages(2)->Visible());
}

TEST_F(PageControlTest, ATabControlSelectsItsFirstTabAndLaysChildrenInItsDisplayRect) {
  auto* tabs = new TTabControl(form_.get());
  tabs->SetParent(form_.get());
  tabs->SetBounds(10, 10, 200, 120);
  auto* inner = new TPanel(form_.get());
  inner->SetParent(tabs);
  inner->SetAlign(alClient);
  EXPECT_EQ(tabs->TabIndex(), -1);
  tabs->Tabs()->Add("Emitters");
  tabs->Tabs()->Add("Tools");
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(inner->BoundsRect(), tabs->DisplayRect());
  Log log;
  tabs->OnChanging = [&](TObject*, bool&) { log.push_back("changing " + std::to_string(tabs->TabIndex())); };
  tabs->OnChange = [&](TObject*) { log.push_back("change " + std::to_string(tabs->TabIndex())); };
  win::PumpPendingMessages();
  ClickTab(tabs, 1);
  EXPECT_EQ(log, (Log{"changing 0", "change 1"}));
  tabs->SetTabIndex(0);
  EXPECT_EQ(log.size(), 2u);
  tabs->Tabs()->Delete(1);
  tabs->Tabs()->Delete(0);
  EXPECT_EQ(tabs->TabIndex(), -1);
}

}  // namespace
