// Tree and list views scrolling sideways: which bars a size of view needs, the bars' ranges,
// where a click lands at a scroll position, the keys, bringing a node into view, and the
// range following expansion, renaming and column widths.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/classlib/forms.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_listview.h"
#include "platform/classlib/std_treeview.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"

namespace {

TEST(ItemViewBars, EachBarTakesRoomFromTheOtherAndMayBringIt) {
  struct Case {
    const char* what;
    Integer width, height, rowHeight, rows, content;
    bool vertical, horizontal;
    Integer rowsWidth, rowsHeight;
  };
  const Case cases[] = {
      {"everything fits exactly", 200, 160, 16, 10, 200, false, false, 200, 160},
      {"one row too many", 200, 160, 16, 11, 100, true, false, 184, 160},
      {"one pixel too wide brings the vertical", 200, 160, 16, 10, 201, true, true, 184, 144},
      {"too wide, the rows still fit above the bar", 200, 160, 16, 9, 201, false, true, 200, 144},
      {"the vertical bar makes the items too wide", 200, 160, 16, 11, 190, true, true, 184, 144},
      {"the items fit beside the vertical bar", 200, 160, 16, 11, 184, true, false, 184, 160},
      {"no lower than the bar: no horizontal bar", 200, 16, 16, 5, 500, true, false, 184, 16},
      {"no narrower than the bar: no vertical bar", 16, 160, 16, 50, 500, false, true, 16, 144},
      {"short of two rows: both bars, part of a row left", 200, 30, 16, 2, 300, true, true, 184, 14},
      {"empty", 200, 160, 16, 0, 0, false, false, 200, 160},
      {"no row height counts as one pixel", 200, 160, 0, 161, 0, true, false, 184, 160},
  };
  for (const Case& c : cases) {
    const TItemViewBars b = FitItemViewBars(c.width, c.height, c.rowHeight, c.rows, c.content, 16, 16);
    EXPECT_EQ(b.vertical, c.vertical) << c.what;
    EXPECT_EQ(b.horizontal, c.horizontal) << c.what;
    EXPECT_EQ(b.rowsWidth, c.rowsWidth) << c.what;
    EXPECT_EQ(b.rowsHeight, c.rowsHeight) << c.what;
  }
}

// A borderless form on a manual clock holding one borderless view at (10, 10).
template <class View>
class ViewOnFormTest : public ::testing::Test {
 protected:
  void MakeView(Integer formWidth, Integer formHeight, Integer width, Integer height) {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, formWidth, formHeight);
    view_ = new View(form_.get());
    view_->SetParent(form_.get());
    view_->SetBorderStyle(bsNone);
    view_->SetBounds(10, 10, width, height);
  }
  void Show() {
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  std::unique_ptr<TForm> form_;
  View* view_ = nullptr;
};

// A borderless tree 200 x 100 without images: 16-pixel rows, a root's label from x 19.
class TreeScrollTest : public ViewOnFormTest<TTreeView> {
 protected:
  void SetUp() override {
    MakeView(240, 140, 200, 100);
    tree_ = view_;
    Show();
  }
  Integer TextWidth(const std::string& s) { return MeasureText(tree_->Font(), s).cx; }
  void Scroll(win::WPARAM request) {
    tree_->Perform(win::WM_HSCROLL, request, 0);
    win::PumpPendingMessages();
  }

  TTreeView* tree_ = nullptr;
};

const std::string kLong = "An emitter whose name is far too long to read";

TEST_F(TreeScrollTest, TheWidestVisibleNodeDecidesTheBarsAndTheirRanges) {
  ASSERT_EQ(tree_->ItemHeight(), 16);
  const Integer longRight = 19 + TextWidth(kLong) + 4;
  ASSERT_GT(longRight, 200);
  struct Case {
    const char* what;
    int shortRows;      // roots "Node" besides the long one
    bool withLong;      // a root with the long name
    Integer indent;     // 0: the default
    std::optional<win::SCROLLINFO> horz, vert;
  };
  auto info = [](int max, unsigned page) {
    win::SCROLLINFO si;
    si.nMax = max;
    si.nPage = page;
    return si;
  };
  // "Node" at an indent that puts its right edge at 190: beyond 184, within 200.
  const Integer indent190 = 190 - 4 - TextWidth("Node");
  const Case cases[] = {
      {"short rows that fit", 3, false, 0, std::nullopt, std::nullopt},
      {"one long row", 0, true, 0, info(longRight - 1, 200), std::nullopt},
      {"a long row among five: the bar leaves room for five", 5, true, 0, info(longRight - 1, 184), info(5, 5)},
      {"six short rows fit in 100", 6, false, 0, std::nullopt, std::nullopt},
      {"seven rows bring the vertical bar, which makes 190 too wide", 7, false, indent190, info(189, 184),
       info(6, 5)},
      {"six rows of 190 fit beside no bar", 6, false, indent190, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    tree_->Items()->Clear();
    tree_->SetIndent(c.indent ? c.indent : 19);
    if (c.withLong) tree_->Items()->Add(nullptr, kLong);
    for (int i = 0; i < c.shortRows; ++i) tree_->Items()->Add(nullptr, "Node");
    for (const int bar : {win::SB_HORZ, win::SB_VERT}) {
      const auto got = tree_->ScrollBarInfo(bar);
      const auto& want = bar == win::SB_HORZ ? c.horz : c.vert;
      ASSERT_EQ(got.has_value(), want.has_value()) << c.what << " bar " << bar;
      if (!want) continue;
      EXPECT_EQ(got->nMin, 0) << c.what;
      EXPECT_EQ(got->nMax, want->nMax) << c.what << " bar " << bar;
      EXPECT_EQ(got->nPage, want->nPage) << c.what << " bar " << bar;
    }
  }
}

TEST_F(TreeScrollTest, RequestsMoveTheItemsAndClicksLandWhereTheyShow) {
  TTreeNode* root = tree_->Items()->Add(nullptr, kLong);
  tree_->Items()->AddChild(root, "Child");
  const Integer last = 19 + TextWidth(kLong) + 4 - 200;
  struct Case {
    win::WPARAM request;
    Integer scrollX;
    Integer x;       // a client x on the root's row
    THitTests hit;
  };
  const Case cases[] = {
      {win::SB_LINERIGHT, 8, 10, THitTests{htOnButton}},
      {win::SB_LINERIGHT, 16, 2, THitTests{htOnButton}},
      {win::SB_LINERIGHT, 24, 0, THitTests{htOnItem, htOnLabel}},
      {win::SB_LINELEFT, 16, 3, THitTests{htOnItem, htOnLabel}},
      {win::MAKEWPARAM(static_cast<int>(win::SB_THUMBTRACK), 30), 30, 0, THitTests{htOnItem, htOnLabel}},
      {win::SB_ENDSCROLL, 30, 0, THitTests{htOnItem, htOnLabel}},
      {win::SB_LEFT, 0, 18, THitTests{htOnButton}},
      {win::SB_PAGERIGHT, std::min<Integer>(200, last), 0, THitTests{htOnItem, htOnLabel}},
      {win::SB_RIGHT, last, 199, THitTests{htOnItem, htOnLabel}},
      {win::SB_PAGERIGHT, last, 199, THitTests{htOnItem, htOnLabel}},
      {win::SB_PAGELEFT, 0, 0, THitTests{htOnButton}},
  };
  for (const Case& c : cases) {
    Scroll(c.request);
    EXPECT_EQ(tree_->ScrollX(), c.scrollX) << "request " << c.request;
    EXPECT_EQ(tree_->ScrollBarInfo(win::SB_HORZ)->nPos, c.scrollX);
    EXPECT_EQ(tree_->GetHitTestInfoAt(c.x, 5), c.hit) << "request " << c.request << " x " << c.x;
    EXPECT_EQ(tree_->GetNodeAt(c.x, 5), root);
    EXPECT_EQ(tree_->Selected(), nullptr);
  }
  // A click on the part of the label still in view selects the root and leaves the items
  // where they are.
  Scroll(win::MAKEWPARAM(static_cast<int>(win::SB_THUMBPOSITION), 40));
  const win::POINT p = win::ScreenPointOf(tree_->Handle(), 1, 5);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(tree_->Selected(), root);
  EXPECT_EQ(tree_->ScrollX(), 40);
  EXPECT_EQ(root->DisplayRect(true).left, 19 - 40);
}

TEST_F(TreeScrollTest, LeftAndRightScrollWhereThereIsNothingToWalkTo) {
  TTreeNode* root = tree_->Items()->Add(nullptr, kLong);
  TTreeNode* child = tree_->Items()->AddChild(root, "Child");
  TTreeNode* leaf = tree_->Items()->Add(nullptr, "Leaf");
  tree_->SetFocus();
  win::PumpPendingMessages();
  struct Case {
    TTreeNode* select;  // selected before the key (null: keep)
    int key;
    unsigned mods;
    Integer scrollX;
    TTreeNode* selected;
    bool rootExpanded;
  };
  const Case cases[] = {
      {leaf, win::VK_RIGHT, 0, 8, leaf, false},       // no children: scrolls
      {nullptr, win::VK_RIGHT, 0, 16, leaf, false},
      {nullptr, win::VK_LEFT, 0, 8, leaf, false},     // a top-level node: scrolls back
      {root, win::VK_RIGHT, 0, 8, root, true},        // expands; its label was in view
      {nullptr, win::VK_RIGHT, win::kCtrl, 16, root, true},
      {nullptr, win::VK_RIGHT, 0, 16, child, true},   // walks into the child
      {nullptr, win::VK_LEFT, 0, 16, root, true},     // walks back up
      {nullptr, win::VK_LEFT, 0, 16, root, false},    // collapses
      {nullptr, win::VK_LEFT, 0, 8, root, false},     // nothing left to walk to: scrolls
      {nullptr, win::VK_LEFT, 0, 0, root, false},
      {nullptr, win::VK_LEFT, 0, 0, root, false},     // already at the left edge
  };

  for (const Case& c : cases) {
    if (c.select) tree_->SetSelected(c.select);
    win::InjectKey(c.key, c.mods);
    win::PumpPendingMessages();
    EXPECT_EQ(tree_->ScrollX(), c.scrollX) << "key " << c.key;
    EXPECT_EQ(tree_->Selected(), c.selected) << "key " << c.key;
    EXPECT_EQ(root->Expanded(), c.rootExpanded) << "key " << c.key;
  }
}

// Each change that moves or widens a label measures the widest node again, within an
// update of the nodes too.
TEST_F(TreeScrollTest, EveryChangeOfLayoutMeasuresTheWidestNodeAgain) {
  TTreeNode* wide = tree_->Items()->Add(nullptr, kLong);
  TTreeNode* other = tree_->Items()->Add(nullptr, "Node");
  other->Expand(false);
  struct Case {
    const char* what;
    std::function<void()> change;
    Integer labelLeft;     // the wide node's label; 0 with `text`: no bar
    std::string text;      // the wide node's text after the change
  };
  const Case cases[] = {
      {"as added", [] {}, 19, kLong},
      {"indent 30", [&] { tree_->SetIndent(30); }, 30, kLong},
      {"no root column", [&] { tree_->SetShowRoot(false); }, 0, kLong},
      {"root column again", [&] { tree_->SetShowRoot(true); }, 30, kLong},
      {"moved under the expanded node", [&] { wide->MoveTo(other, naAddChild); }, 60, kLong},
      {"renamed short within an update", [&] {
         tree_->Items()->BeginUpdate();
         wide->SetText("W");
       }, -1, "W"},
      {"renamed long, the update still open", [&] { wide->SetText(kLong); }, 60, kLong},
      {"the update ends", [&] { tree_->Items()->EndUpdate(); }, 60, kLong},
      {"collapsed away", [&] { other->Collapse(false); }, -1, kLong},
  };
  for (const Case& c : cases) {
    c.change();
    const auto horz = tree_->ScrollBarInfo(win::SB_HORZ);
    ASSERT_EQ(horz.has_value(), c.labelLeft >= 0) << c.what;
    if (horz) {
      EXPECT_EQ(horz->nMax, c.labelLeft + TextWidth(c.text) + 4 - 1) << c.what;
    }
  }
}

TEST_F(TreeScrollTest, MakeVisibleBringsALabelOutOfViewSidewaysAndTheRangeFollowsTheNodes) {
  // Columns of 70: labels from 70 (top level), 140 and 210 (two levels in).
  tree_->SetIndent(70);
  TTreeNode* root = tree_->Items()->Add(nullptr, "Root");
  TTreeNode* mid = tree_->Items()->AddChild(root, "Mid");
  TTreeNode* deep = tree_->Items()->AddChild(mid, "Deep");
  TTreeNode* wide = tree_->Items()->AddChild(mid, kLong);
  const Integer deepRight = 210 + TextWidth("Deep") + 4;
  const Integer wideRight = 210 + TextWidth(kLong) + 4;
  ASSERT_GT(wideRight - 200, 70 + TextWidth("Root") + 4);
  // Collapsed, nothing is wide: no bar.
  EXPECT_FALSE(tree_->ScrollBarInfo(win::SB_HORZ));
  // Beyond the right edge and narrower than the view: its right edge comes to the view's.
  deep->MakeVisible();
  ASSERT_TRUE(tree_->ScrollBarInfo(win::SB_HORZ));
  EXPECT_EQ(tree_->ScrollBarInfo(win::SB_HORZ)->nMax, wideRight - 1);
  EXPECT_EQ(tree_->ScrollX(), deepRight - 200);
  // A label partly in view stays.
  root->MakeVisible();
  EXPECT_EQ(tree_->ScrollX(), deepRight - 200);
  // Beyond the right edge and wider than the view: its left edge, the button column.
  tree_->Perform(win::WM_HSCROLL, win::SB_LEFT, 0);
  wide->MakeVisible();
  EXPECT_EQ(tree_->ScrollX(), 140);
  EXPECT_EQ(wide->DisplayRect(true).left, 70);
  // Beyond the left edge.
  tree_->Perform(win::WM_HSCROLL, win::SB_RIGHT, 0);
  EXPECT_EQ(tree_->ScrollX(), wideRight - 200);
  root->MakeVisible();
  EXPECT_EQ(tree_->ScrollX(), 0);
  // Renamed short, the widest is gone and the range shrinks, the items following it;
  // renamed long the range comes back.
  tree_->Perform(win::WM_HSCROLL, win::SB_RIGHT, 0);
  wide->SetText("W");
  const Integer shortRight = std::max(deepRight, 210 + TextWidth("W") + 4);
  EXPECT_EQ(tree_->ScrollBarInfo(win::SB_HORZ)->nMax, shortRight - 1);
  EXPECT_EQ(tree_->ScrollX(), shortRight - 200);
  wide->SetText(kLong);
  EXPECT_EQ(tree_->ScrollBarInfo(win::SB_HORZ)->nMax, wideRight - 1);
  // Collapsing hides the wide node: the bar goes and the items come back.
  tree_->Perform(win::WM_HSCROLL, win::SB_RIGHT, 0);
  mid->Collapse(false);
  EXPECT_FALSE(tree_->ScrollBarInfo(win::SB_HORZ));
  EXPECT_EQ(tree_->ScrollX(), 0);
}

TEST_F(TreeScrollTest, TheEditorOpensOverTheScrolledLabelAndAScrollEndsIt) {
  TTreeNode* root = tree_->Items()->Add(nullptr, kLong);
  TTreeNode* child = tree_->Items()->AddChild(root, "Child");
  root->Expand(false);
  std::string edited;
  tree_->OnEdited = [&](TObject*, TTreeNode*, std::string& s) { edited = s; };
  tree_->Perform(win::WM_HSCROLL, win::MAKEWPARAM(static_cast<int>(win::SB_THUMBPOSITION), 12), 0);
  ASSERT_EQ(tree_->ScrollX(), 12);
  ASSERT_TRUE(child->EditText());
  // The child's label starts at 38, 12 pixels left of that once scrolled.
  EXPECT_EQ(tree_->ScrollX(), 12);
  ASSERT_NE(tree_->EditControl(), nullptr);
  EXPECT_EQ(tree_->EditControl()->Left(), 38 - 12);
  EXPECT_EQ(tree_->EditControl()->Top(), 16);
  // Moving the items under the editor ends the edit, keeping the text.
  tree_->Perform(win::WM_HSCROLL, win::SB_LINERIGHT, 0);
  EXPECT_FALSE(tree_->IsEditing());
  EXPECT_EQ(edited, "Child");
  EXPECT_EQ(tree_->ScrollX(), 20);
  // With the label's start scrolled out, editing brings it in from the button column.
  tree_->Perform(win::WM_HSCROLL, win::MAKEWPARAM(static_cast<int>(win::SB_THUMBPOSITION), 45), 0);
  ASSERT_TRUE(child->EditText());
  EXPECT_EQ(tree_->ScrollX(), 19);
  EXPECT_EQ(tree_->EditControl()->Left(), 38 - 19);
}

TEST_F(TreeScrollTest, BothBarsPaintAndTheRowsMoveByTheScrolledPixels) {
  TTreeNode* root = tree_->Items()->Add(nullptr, kLong);
  for (const char* name : {"One", "Two", "Three", "Four", "Five"}) tree_->Items()->AddChild(root, name);
  root->Expand(false);
  // Six rows, too wide: both bars; the rows have 184 x 84.
  ASSERT_TRUE(tree_->ScrollBarInfo(win::SB_HORZ));
  ASSERT_TRUE(tree_->ScrollBarInfo(win::SB_VERT));
  auto capture = [&] {
    win::UpdateWindow(form_->Handle());
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    return img;
  };
  const int ox = 10, oy = 10;  // the tree's client origin in the form
  const win::WindowImage before = capture();
  // The corner square between the bars is button face, and the horizontal bar covers the
  // white of the last row's lower part.
  EXPECT_EQ(before.At(ox + 192, oy + 92), 0xC0C0C0u);
  EXPECT_EQ(before.At(ox + 199, oy + 99), 0xC0C0C0u);
  EXPECT_EQ(before.At(ox + 100, oy + 82), 0xFFFFFFu);
  EXPECT_NE(before.At(ox + 100, oy + 90), 0xFFFFFFu);
  tree_->Perform(win::WM_HSCROLL, win::SB_LINERIGHT, 0);
  ASSERT_EQ(tree_->ScrollX(), 8);
  const win::WindowImage after = capture();
  // Every pixel of the rows' area moved 8 to the left (the dotted lines keep their
  // parity, 8 being even).
  int differing = 0;
  for (int y = 0; y < 84; ++y)
    for (int x = 0; x < 184 - 8; ++x)
      if (after.At(ox + x, oy + y) != before.At(ox + x + 8, oy + y)) ++differing;
  EXPECT_EQ(differing, 0);
  // The bar's thumb moved off the left arrow: the track just right of the arrow shows.
  EXPECT_NE(after.At(ox + 17, oy + 92), before.At(ox + 17, oy + 92));
}

TEST_F(TreeScrollTest, PressesOnTheHorizontalBarScrollALineOrAPage) {
  TTreeNode* root = tree_->Items()->Add(nullptr, kLong + kLong + kLong);
  for (const char* name : {"One", "Two", "Three", "Four", "Five"}) tree_->Items()->AddChild(root, name);
  root->Expand(false);
  const Integer last = 19 + TextWidth(kLong + kLong + kLong) + 4 - 184;
  ASSERT_GT(last, 2 * 184);
  // The bar spans x 0 .. 184 at y 84 .. 100, its thumb about 40 long.
  struct Case {
    int x, y;
    Integer scrollX;
    Integer topRow;
    Integer selectedRow;  // -1: nothing selected
  };
  const Case cases[] = {
      {176, 92, 8, 0, -1},          // right arrow (168 .. 184)
      {168, 92, 16, 0, -1},
      {15, 92, 8, 0, -1},           // left arrow (0 .. 16)
      {150, 92, 8 + 184, 0, -1},    // track right of the thumb: a page
      {20, 92, 8, 0, -1},           // track left of the thumb: a page back
      {20, 92, 8, 0, -1},           // now the thumb: pressed and let go, it stays
      {192, 76, 8, 1, -1},          // the vertical bar's down arrow scrolls a row
      {45, 24, 8, 1, 2},            // the rows above the bar still take clicks: "Two"
  };
  for (const Case& c : cases) {
    win::AdvanceClock(2000);
    const win::POINT p = win::ScreenPointOf(tree_->Handle(), c.x, c.y);
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
    EXPECT_EQ(tree_->ScrollX(), c.scrollX) << c.x << "," << c.y;
    const auto rows = tree_->VisibleNodes();
    EXPECT_EQ(tree_->TopItem(), rows[static_cast<std::size_t>(c.topRow)]) << c.x << "," << c.y;
    TTreeNode* want = c.selectedRow < 0 ? nullptr : rows[static_cast<std::size_t>(c.selectedRow)];
    EXPECT_EQ(tree_->Selected(), want) << c.x << "," << c.y;
  }
}

// A borderless report 250 x 150 with the columns "Tool" and "Kind" and one item.
class ListScrollTest : public ViewOnFormTest<TListView> {
 protected:
  void SetUp() override {
    MakeView(300, 200, 250, 150);
    view_->SetViewStyle(vsReport);
    view_->Columns()->Add()->SetCaption("Tool");
    view_->Columns()->Add()->SetCaption("Kind");
    TListItem* item = view_->Items()->Add();
    item->SetCaption("Deflector");
    item->SubItems()->Add("Plane");
    Show();
  }
};

// Columns of 200 and 120 pixels.
TEST_F(ListScrollTest, TheColumnsDecideTheRangeAndHeaderAndRowsMoveTogether) {
  TListView* view = view_;
  {
    // Two columns of 50: nothing to scroll.
    EXPECT_FALSE(view->ScrollBarInfo(win::SB_HORZ));
    view->Columns()->Items(0)->SetWidth(200);
    view->Columns()->Items(1)->SetWidth(120);
    ASSERT_TRUE(view->ScrollBarInfo(win::SB_HORZ));
    EXPECT_EQ(view->ScrollBarInfo(win::SB_HORZ)->nMax, 319);
    EXPECT_EQ(view->ScrollBarInfo(win::SB_HORZ)->nPage, 250u);
    EXPECT_FALSE(view->ScrollBarInfo(win::SB_VERT));
    const Integer rowY = view->Items()->Item(0)->DisplayRect(false).top + 2;
    view->SetFocus();
    struct Case {
      int key;
      win::WPARAM request;  // when key is 0
      Integer scrollX;
      Integer column160;    // the column whose header is at client x 160
      THitTests hitAt2;     // at client x 2 on the item's row
    };
    const Case cases[] = {
        {win::VK_RIGHT, 0, 8, 0, THitTests{htOnItem, htOnLabel}},
        {0, win::SB_RIGHT, 70, 1, THitTests{htNowhere}},
        {win::VK_RIGHT, 0, 70, 1, THitTests{htNowhere}},
        {win::VK_LEFT, 0, 62, 1, THitTests{htNowhere}},
        {0, win::SB_LEFT, 0, 0, THitTests{htOnItem, htOnLabel}},
        {win::VK_LEFT, 0, 0, 0, THitTests{htOnItem, htOnLabel}},
    };
    for (const Case& c : cases) {
      if (c.key) {
        win::InjectKey(c.key);
        win::PumpPendingMessages();
      } else {
        view->Perform(win::WM_HSCROLL, c.request, 0);
      }
      EXPECT_EQ(view->ScrollX(), c.scrollX) << c.key << " " << c.request;
      EXPECT_EQ(view->ColumnAt(160), c.column160) << c.scrollX;
      EXPECT_EQ(view->GetHitTestInfoAt(2, rowY), c.hitAt2) << c.scrollX;
    }
    // Narrower columns take the bar away and bring the items back.
    view->Perform(win::WM_HSCROLL, win::SB_RIGHT, 0);
    view->Columns()->Items(1)->SetWidth(40);
    EXPECT_FALSE(view->ScrollBarInfo(win::SB_HORZ));
    EXPECT_EQ(view->ScrollX(), 0);
  }
}

// Rows hidden under the horizontal bar are not in view: the keys that bring the selection
// into view, and the first row's range, leave the selected row whole above the bar.
TEST_F(ListScrollTest, TheHorizontalBarTakesItsRowsOutOfThePage) {
  for (int i = 1; i < 30; ++i) view_->Items()->Add()->SetCaption("Item " + std::to_string(i));
  struct Case {
    Integer secondColumn;  // width: 50 fits beside the vertical bar, 300 brings the horizontal one
    int key;
    Integer selected;
  };
  const Case cases[] = {
      {50, win::VK_END, 29}, {300, win::VK_HOME, 0}, {300, win::VK_END, 29},
      {300, win::VK_HOME, 0}, {300, win::VK_NEXT, -1}, {300, win::VK_NEXT, -1},
  };
  view_->SetFocus();
  for (const Case& c : cases) {
    view_->Columns()->Items(1)->SetWidth(c.secondColumn);
    win::InjectKey(c.key);
    win::PumpPendingMessages();
    const bool horz = view_->ScrollBarInfo(win::SB_HORZ).has_value();
    ASSERT_EQ(horz, c.secondColumn == 300);
    ASSERT_NE(view_->Selected(), nullptr);
    if (c.selected >= 0) {
      EXPECT_EQ(view_->Selected()->Index(), c.selected) << c.key;
    }
    const Integer rowsBottom = view_->ClientHeight() - (horz ? win::GetSystemMetrics(win::SM_CYHSCROLL) : 0);
    const TRect r = view_->Selected()->DisplayRect(false);
    EXPECT_GT(r.top, 0) << c.key;
    EXPECT_LE(r.bottom, rowsBottom) << c.key << " row " << view_->Selected()->Index();
    // The vertical thumb ends where the page does.
    const auto vert = view_->ScrollBarInfo(win::SB_VERT);
    ASSERT_TRUE(vert);
    EXPECT_LE(vert->nPos + static_cast<Integer>(vert->nPage), vert->nMax + 1) << c.key;
    EXPECT_EQ(view_->TopItem()->Index(), vert->nPos) << c.key;
  }
}

}  // namespace
