// List view (report): check boxes toggled by a click on the box, the order of the
// selection events, OnChanging refusing, in-place editing of a caption, column
// clicks, and the columns and items through a form file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_listview.h"
#include "platform/classlib/streams.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

using Log = std::vector<std::string>;

const char* ChangeName(TItemChange c) { return c == ctText ? "text" : c == ctImage ? "image" : "state"; }

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetName("Holder");
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    images_ = new TImageList(form_.get());
    images_->SetName("Images");
    TBitmap strip;
    strip.SetSize(32, 16);
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(Rect(0, 0, 32, 16));
    images_->AddMasked(&strip, clNone);
    view_ = new TListView(form_.get());
    view_->SetName("Tools");
    view_->SetParent(form_.get());
    view_->SetBorderStyle(bsNone);
    view_->SetBounds(10, 10, 250, 150);
    view_->SetViewStyle(vsReport);
    view_->SetCheckboxes(true);
    view_->SetSmallImages(images_);
    TListColumn* c = view_->Columns()->Add();
    c->SetCaption("Tool");
    c->SetWidth(100);
    c = view_->Columns()->Add();
    c->SetCaption("Kind");
    c->SetWidth(80);
    for (auto [name, kind] : {std::pair{"Deflector", "Plane"}, std::pair{"Fan", "Fan"}}) {
      TListItem* item = view_->Items()->Add();
      item->SetCaption(name);
      item->SubItems()->Add(kind);
      item->SetImageIndex(1);
    }
    view_->OnChanging = [this](TObject*, TListItem* item, TItemChange c, bool& allow) {
      log_.push_back("changing " + item->Caption() + " " + ChangeName(c));
      allow = allow_;
    };
    view_->OnChange = [this](TObject*, TListItem* item, TItemChange c) {
      log_.push_back("change " + item->Caption() + " " + ChangeName(c));
    };
    view_->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
      log_.push_back(std::string(selected ? "select " : "unselect ") + item->Caption());
    };
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  Integer RowY(Integer row) { return view_->HeaderHeight() + row * view_->ItemHeight() + 3; }
  void Click(Integer x, Integer y) {
    win::AdvanceClock(2000);
    win::POINT p = win::ScreenPointOf(view_->Handle(), x, y);
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  TImageList* images_ = nullptr;
  TListView* view_ = nullptr;
  Log log_;
  bool allow_ = true;
};

TEST_F(ListViewTest, RowsHaveACheckBoxAnIconAndALabelAtFixedColumns) {
  EXPECT_EQ(view_->HeaderHeight(), FontLineHeight(view_->Font()) + 7);
  EXPECT_EQ(view_->ItemHeight(), 16);
  EXPECT_EQ(view_->GetHitTestInfoAt(0, RowY(0)), (THitTests{htOnItem, htOnStateIcon}));
  EXPECT_EQ(view_->GetHitTestInfoAt(15, RowY(0)), (THitTests{htOnItem, htOnStateIcon}));
  EXPECT_EQ(view_->GetHitTestInfoAt(16, RowY(0)), (THitTests{htOnItem, htOnIcon}));
  EXPECT_EQ(view_->GetHitTestInfoAt(32, RowY(1)), (THitTests{htOnItem, htOnLabel}));
  Integer labelEnd = 32 + MeasureText(view_->Font(), "Fan").cx + 4;
  EXPECT_EQ(view_->GetHitTestInfoAt(labelEnd, RowY(1)), THitTests{htNowhere});
  EXPECT_EQ(view_->GetItemAt(labelEnd, RowY(1)), nullptr);
  view_->SetRowSelect(true);
  EXPECT_EQ(view_->GetItemAt(labelEnd, RowY(1)), view_->Items()->Item(1));
  EXPECT_EQ(view_->GetHitTestInfoAt(40, RowY(2)), THitTests{htNowhere});
  EXPECT_EQ(view_->GetHitTestInfoAt(40, 3), THitTests{htNowhere});  // the header
  EXPECT_EQ(view_->ColumnAt(120), 1);
}

TEST_F(ListViewTest, AClickOnTheBoxChecksTheItemThroughOnChange) {
  Click(5, RowY(0));
  TListItem* first = view_->Items()->Item(0);
  EXPECT_TRUE(first->Checked());
  EXPECT_EQ(view_->Selected(), nullptr);  // the box does not select
  EXPECT_EQ(log_, (Log{"changing Deflector state", "change Deflector state"}));

  // Refused: stays checked.
  log_.clear();
  allow_ = false;
  Click(5, RowY(0));
  EXPECT_TRUE(first->Checked());
  allow_ = true;

  // Space toggles the selected item's box.
  view_->SetSelected(first);
  log_.clear();
  win::InjectKey(win::VK_SPACE);
  win::PumpPendingMessages();
  EXPECT_FALSE(first->Checked());
  EXPECT_EQ(log_, (Log{"changing Deflector state", "change Deflector state"}));

  // The tick is drawn in the box (13 x 13 at x 2, centred in the row).
  first->SetChecked(true);
  win::UpdateWindow(form_->Handle());
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  Integer boxTop = view_->HeaderHeight() + (16 - 13) / 2;
  EXPECT_EQ(img.At(10 + 2 + 3, 10 + boxTop + 5), 0x000000u);
  EXPECT_EQ(img.At(10 + 2 + 7, 10 + boxTop + 10), 0xFFFFFFu);
  EXPECT_EQ(img.At(10 + 20, 10 + boxTop + 5), 0x0000FFu);  // the red icon
}

TEST_F(ListViewTest, SelectionEventsLeaveTheOldItemBeforeChoosingTheNewOne) {
  Click(40, RowY(1));
  EXPECT_EQ(log_, (Log{"changing Fan state", "change Fan state", "select Fan"}));
  log_.clear();
  Click(40, RowY(0));
  EXPECT_EQ(log_, (Log{"changing Fan state", "changing Deflector state", "change Fan state", "unselect Fan",
                       "change Deflector state", "select Deflector"}));
  log_.clear();
  allow_ = false;
  Click(40, RowY(1));
  EXPECT_EQ(view_->Selected(), view_->Items()->Item(0));
  // A click on nothing clears the selection (when allowed).
  allow_ = true;
  log_.clear();
  Click(40, RowY(3));
  EXPECT_EQ(view_->Selected(), nullptr);
  EXPECT_EQ(log_, (Log{"changing Deflector state", "change Deflector state", "unselect Deflector"}));
  // A deleted selected item leaves nothing selected.
  view_->SetSelected(view_->Items()->Item(1));
  view_->Items()->Delete(1);
  EXPECT_EQ(view_->Selected(), nullptr);
}

TEST_F(ListViewTest, EditingACaptionInPlaceRenamesThroughOnEdited) {
  std::string edited;
  view_->OnEdited = [&](TObject*, TListItem*, std::string& s) { edited = s; };
  TListItem* fan = view_->Items()->Item(1);
  ASSERT_TRUE(fan->EditCaption());
  ASSERT_TRUE(view_->IsEditing());
  EXPECT_EQ(view_->EditControl()->Text(), "Fan");
  log_.clear();
  win::InjectText("Blower");
  win::InjectKey(win::VK_RETURN);
  win::PumpPendingMessages();
  EXPECT_FALSE(view_->IsEditing());
  EXPECT_EQ(edited, "Blower");
  EXPECT_EQ(fan->Caption(), "Blower");
  EXPECT_EQ(log_, (Log{"changing Fan text", "change Blower text"}));

  view_->SetReadOnly(true);
  EXPECT_FALSE(fan->EditCaption());
}

TEST_F(ListViewTest, ColumnClicksAndTheFormFile) {
  std::vector<std::string> clicked;
  view_->OnColumnClick = [&](TObject*, TListColumn* c) { clicked.push_back(c->Caption()); };
  Click(120, 5);
  Click(10, 5);
  EXPECT_EQ(clicked, (std::vector<std::string>{"Kind", "Tool"}));

  view_->Items()->Item(1)->SetChecked(true);
  std::string text = WriteComponentText(form_.get());
  EXPECT_NE(text.find("Columns = <"), std::string::npos);
  auto root = ReadComponentText(text);
  auto* view = dynamic_cast<TListView*>(root->FindComponent("Tools"));
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->Columns()->Count(), 2);
  EXPECT_EQ(view->Columns()->Items(1)->Caption(), "Kind");
  EXPECT_EQ(view->Columns()->Items(0)->Width(), 100);
  EXPECT_TRUE(view->Checkboxes());
  EXPECT_EQ(view->ViewStyle(), vsReport);
  EXPECT_EQ(view->SmallImages(), root->FindComponent("Images"));
  ASSERT_EQ(view->Items()->Count(), 2);
  EXPECT_EQ(view->Items()->Item(0)->SubItems()->Strings(0), "Plane");
  EXPECT_TRUE(view->Items()->Item(1)->Checked());
  EXPECT_EQ(view->Items()->Item(1)->ImageIndex(), 1);

  // Broken item data is refused and keeps the items.
  TMemoryStream s;
  view->Items()->WriteData(s);
  TMemoryStream cut;
  cut.WriteBuffer(s.Memory(), s.Size() - 2);
  cut.SetPosition(0);
  EXPECT_THROW(view->Items()->ReadData(cut), EReadError);
  EXPECT_EQ(view->Items()->Count(), 2);
}

}  // namespace
