// Tree view: hit testing of the row parts at exact positions, selection with
// OnChanging refusing, right-click select, in-place renaming with keys through the
// window system, deletion moving the selection, stored nodes and painting.
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
#include "platform/classlib/std_treeview.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

using Log = std::vector<std::string>;

// A 16 x 16 list of solid images in the given colours.
void FillImages(TImageList* list, std::initializer_list<TColor> colours) {
  TBitmap strip;
  strip.SetSize(16 * static_cast<Integer>(colours.size()), 16);
  Integer i = 0;
  for (TColor c : colours) {
    strip.Canvas()->Brush()->SetColor(c);
    strip.Canvas()->FillRect(Bounds(i * 16, 0, 16, 16));
    ++i;
  }
  list->AddMasked(&strip, clNone);
}

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 220);
    images_ = new TImageList(form_.get());
    FillImages(images_, {clRed, clLime, clBlue});
    tree_ = new TTreeView(form_.get());
    tree_->SetBorderStyle(bsNone);
    tree_->SetBounds(10, 10, 240, 180);
    tree_->SetParent(form_.get());
    tree_->SetImages(images_);
    tree_->SetStateImages(images_);
    root_ = tree_->Items()->Add(nullptr, "Emitter");
    root_->SetStateIndex(2);
    child_ = tree_->Items()->AddChild(root_, "System");
    child_->SetStateIndex(1);
    child2_ = tree_->Items()->AddChild(root_, "Second");
    child2_->SetStateIndex(-1);
    root_->Expand(false);
    other_ = tree_->Items()->Add(nullptr, "Other");
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  Integer RowY(Integer row) { return row * tree_->ItemHeight() + 2; }
  // Clicks apart in time: two clicks in one place are never taken for a double click.
  void Click(win::MouseButton b, Integer x, Integer y, unsigned mods = 0) {
    win::AdvanceClock(2000);
    win::PumpPendingMessages();
    win::POINT p = win::ScreenPointOf(tree_->Handle(), x, y);
    win::InjectClick(b, p.x, p.y, mods);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  TImageList* images_ = nullptr;
  TTreeView* tree_ = nullptr;
  TTreeNode* root_ = nullptr;
  TTreeNode* child_ = nullptr;
  TTreeNode* child2_ = nullptr;
  TTreeNode* other_ = nullptr;
};

// ---- hit testing ---------------------------------------------------------------------------------

TEST_F(TreeViewTest, HitTestNamesEachPartOfARowAtItsExactColumns) {
  ASSERT_EQ(tree_->ItemHeight(), 16);
  const Integer labelW = MeasureText(tree_->Font(), "Emitter").cx + 4;
  // Row 0, a root with children: button column [0, 19), state icon [19, 35), icon
  // [35, 51), label from 51.
  EXPECT_EQ(tree_->GetHitTestInfoAt(0, RowY(0)), THitTests{htOnButton});
  EXPECT_EQ(tree_->GetHitTestInfoAt(18, RowY(0)), THitTests{htOnButton});
  EXPECT_EQ(tree_->GetHitTestInfoAt(19, RowY(0)), (THitTests{htOnItem, htOnStateIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(34, RowY(0)), (THitTests{htOnItem, htOnStateIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(35, RowY(0)), (THitTests{htOnItem, htOnIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(50, RowY(0)), (THitTests{htOnItem, htOnIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(51, RowY(0)), (THitTests{htOnItem, htOnLabel}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(51 + labelW - 1, RowY(0)), (THitTests{htOnItem, htOnLabel}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(51 + labelW, RowY(0)), THitTests{htOnRight});

  // Row 1, a child without children one level in: indent up to 38, then its state icon.
  EXPECT_EQ(tree_->GetHitTestInfoAt(5, RowY(1)), THitTests{htOnIndent});
  EXPECT_EQ(tree_->GetHitTestInfoAt(25, RowY(1)), THitTests{htOnIndent});
  EXPECT_EQ(tree_->GetHitTestInfoAt(38, RowY(1)), (THitTests{htOnItem, htOnStateIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(54, RowY(1)), (THitTests{htOnItem, htOnIcon}));
  // Row 2 has no state image: the icon starts where the state icon would.
  EXPECT_EQ(tree_->GetHitTestInfoAt(38, RowY(2)), (THitTests{htOnItem, htOnIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(54, RowY(2)), (THitTests{htOnItem, htOnLabel}));

  // Outside the rows and outside the client area.
  EXPECT_EQ(tree_->GetHitTestInfoAt(40, RowY(4)), THitTests{htNowhere});
  EXPECT_EQ(tree_->GetHitTestInfoAt(40, -1), THitTests{htAbove});
  EXPECT_EQ(tree_->GetHitTestInfoAt(240, 5), THitTests{htToRight});
  EXPECT_EQ(tree_->GetHitTestInfoAt(-3, 200), (THitTests{htToLeft, htBelow}));
  EXPECT_EQ(tree_->GetNodeAt(100, RowY(3)), other_);

  // Without ShowRoot the roots have no button column.
  tree_->SetShowRoot(false);
  EXPECT_EQ(tree_->GetHitTestInfoAt(0, RowY(0)), (THitTests{htOnItem, htOnStateIcon}));
  EXPECT_EQ(tree_->GetHitTestInfoAt(0, RowY(1)), THitTests{htOnIndent});
  EXPECT_EQ(tree_->GetHitTestInfoAt(19, RowY(1)), (THitTests{htOnItem, htOnStateIcon}));
}

TEST_F(TreeViewTest, ClickingTheStateIconIsSeenByTheMouseUpHandler) {
  // The editor toggles a system on a click on its state icon: the hit test in
  // OnMouseUp must name the state icon at the click's coordinates.
  Log log;
  tree_->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    TTreeNode* n = tree_->GetNodeAt(x, y);
    if (n && tree_->GetHitTestInfoAt(x, y).Contains(htOnStateIcon)) {
      n->SetStateIndex(n->StateIndex() == 1 ? 2 : 1);
      log.push_back("state " + n->Text());
    } else {
      log.push_back("up");
    }
  };
  Click(win::MouseButton::Left, 40, RowY(1));
  EXPECT_EQ(child_->StateIndex(), 2);
  Click(win::MouseButton::Left, 60, RowY(1));  // the icon: no toggle
  Click(win::MouseButton::Left, 20, RowY(0));
  EXPECT_EQ(root_->StateIndex(), 1);
  EXPECT_EQ(log, (Log{"state System", "up", "state Emitter"}));
}

// ---- selection ------------------------------------------------------------------------------------

TEST_F(TreeViewTest, OnChangingCanRefuseASelectionAndOnChangeFollowsAnAcceptedOne) {
  Log log;
  bool allow = false;
  tree_->OnChanging = [&](TObject*, TTreeNode* n, bool& a) {
    log.push_back("changing " + (n ? n->Text() : std::string("nil")));
    a = allow;
  };
  tree_->OnChange = [&](TObject*, TTreeNode* n) { log.push_back("change " + (n ? n->Text() : std::string("nil"))); };

  Click(win::MouseButton::Left, 60, RowY(1));
  EXPECT_EQ(tree_->Selected(), nullptr);
  EXPECT_EQ(log, (Log{"changing System"}));

  log.clear();
  allow = true;
  Click(win::MouseButton::Left, 60, RowY(1));
  EXPECT_EQ(tree_->Selected(), child_);
  EXPECT_TRUE(child_->Selected());
  EXPECT_EQ(log, (Log{"changing System", "change System"}));

  // The keyboard goes the same way: Down to the next visible node, refused, then allowed.
  log.clear();
  allow = false;
  win::InjectKey(win::VK_DOWN);
  win::PumpPendingMessages();
  EXPECT_EQ(tree_->Selected(), child_);
  allow = true;
  win::InjectKey(win::VK_DOWN);
  win::PumpPendingMessages();
  EXPECT_EQ(tree_->Selected(), child2_);
  EXPECT_EQ(log, (Log{"changing Second", "changing Second", "change Second"}));

  // Left goes to the parent; Left again collapses it.
  log.clear();
  win::InjectKey(win::VK_LEFT);
  win::InjectKey(win::VK_LEFT);
  win::PumpPendingMessages();
  EXPECT_EQ(tree_->Selected(), root_);
  EXPECT_FALSE(root_->Expanded());
  EXPECT_EQ(log, (Log{"changing Emitter", "change Emitter"}));
}

TEST_F(TreeViewTest, TheButtonTogglesAndCollapsingMovesAHiddenSelectionUp) {
  tree_->SetSelected(child2_);
  Click(win::MouseButton::Left, 9, RowY(0));
  EXPECT_FALSE(root_->Expanded());
  EXPECT_EQ(tree_->Selected(), root_);
  EXPECT_EQ(tree_->GetNodeAt(60, RowY(1)), other_);
  Click(win::MouseButton::Left, 9, RowY(0));
  EXPECT_TRUE(root_->Expanded());
  // OnCollapsing may refuse.
  tree_->OnCollapsing = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
  root_->Collapse(false);
  EXPECT_TRUE(root_->Expanded());
}

TEST_F(TreeViewTest, RightClickSelectSelectsBeforeTheMouseUpHandlerRuns) {
  Log log;
  tree_->OnChange = [&](TObject*, TTreeNode* n) { log.push_back("change " + n->Text()); };
  tree_->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, Integer, Integer) {
    if (b == mbRight) log.push_back("up " + (tree_->Selected() ? tree_->Selected()->Text() : std::string("nil")));
  };
  Click(win::MouseButton::Right, 60, RowY(3));
  EXPECT_EQ(tree_->Selected(), nullptr);
  EXPECT_EQ(log, (Log{"up nil"}));

  log.clear();
  tree_->SetRightClickSelect(true);
  Click(win::MouseButton::Right, 60, RowY(3));
  EXPECT_EQ(tree_->Selected(), other_);
  EXPECT_EQ(log, (Log{"change Other", "up Other"}));
}

TEST_F(TreeViewTest, DeletingTheSelectedNodeMovesTheSelectionToANeighbour) {
  Log log;
  tree_->OnChange = [&](TObject*, TTreeNode* n) { log.push_back(n ? n->Text() : "nil"); };
  tree_->OnDeletion = [&](TObject*, TTreeNode* n) { log.push_back("delete " + n->Text()); };
  tree_->SetSelected(child_);
  log.clear();
  child_->Delete();  // next sibling
  EXPECT_EQ(tree_->Selected(), child2_);
  child2_->Delete();  // no sibling left: the parent
  EXPECT_EQ(tree_->Selected(), root_);
  EXPECT_EQ(log, (Log{"delete System", "Second", "delete Second", "Emitter"}));
  EXPECT_FALSE(root_->HasChildren());

  // Deleting a parent of the selection with its subtree; the previous sibling remains.
  TTreeNode* a = tree_->Items()->AddChild(other_, "A");
  tree_->SetSelected(a);
  log.clear();
  other_->Delete();
  EXPECT_EQ(tree_->Selected(), root_);
  EXPECT_EQ(log, (Log{"delete Other", "Emitter", "delete A"}));

  tree_->Items()->Clear();
  EXPECT_EQ(tree_->Selected(), nullptr);
  EXPECT_EQ(tree_->Items()->Count(), 0);
}

TEST_F(TreeViewTest, NodesWalkDepthFirstAndByVisibility) {
  EXPECT_EQ(tree_->Items()->Count(), 4);
  EXPECT_EQ(tree_->Items()->Item(2), child2_);
  EXPECT_EQ(child2_->AbsoluteIndex(), 2);
  EXPECT_EQ(child_->Level(), 1);
  EXPECT_EQ(child2_->Index(), 1);
  EXPECT_EQ(child2_->GetNext(), other_);
  EXPECT_EQ(other_->GetPrev(), child2_);
  root_->Collapse(false);
  EXPECT_EQ(root_->GetNextVisible(), other_);
  EXPECT_EQ(other_->GetPrevVisible(), root_);
  EXPECT_THROW(tree_->Items()->Item(4), EListError);
  // Moving a node under another keeps its subtree; a move into its own subtree is refused.
  TTreeNode* grand = tree_->Items()->AddChild(child_, "Grand");
  child_->MoveTo(other_, naAddChild);
  EXPECT_EQ(child_->Parent(), other_);
  EXPECT_EQ(grand->Level(), 2);
  other_->MoveTo(grand, naAddChild);
  EXPECT_EQ(other_->Parent(), nullptr);
  child_->MoveTo(root_, naInsert);
  EXPECT_EQ(tree_->Items()->GetFirstNode(), child_);
}

// ---- in-place editing -------------------------------------------------------------------------------

TEST_F(TreeViewTest, RenamingInPlaceWithTypedKeysGoesThroughOnEdited) {
  Log log;
  tree_->OnEditing = [&](TObject*, TTreeNode* n, bool&) { log.push_back("editing " + n->Text()); };
  tree_->OnEdited = [&](TObject*, TTreeNode* n, std::string& s) {
    log.push_back("edited " + n->Text() + " -> " + s);
    s = s.substr(0, 5);  // the handler may change what is stored
  };
  tree_->SetSelected(child_);
  ASSERT_TRUE(child_->EditText());
  ASSERT_TRUE(tree_->IsEditing());
  TCustomEdit* editor = tree_->EditControl();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Text(), "System");
  EXPECT_EQ(editor->SelLength(), 6);
  EXPECT_TRUE(editor->Focused());

  win::InjectText("Sparks");
  win::InjectKey(win::VK_RETURN);
  win::PumpPendingMessages();
  EXPECT_FALSE(tree_->IsEditing());
  EXPECT_EQ(child_->Text(), "Spark");
  EXPECT_EQ(log, (Log{"editing System", "edited System -> Sparks"}));
  EXPECT_TRUE(tree_->Focused());

  // Escape drops the edit without OnEdited.
  log.clear();
  ASSERT_TRUE(child_->EditText());
  win::InjectText("zzz");
  win::InjectKey(win::VK_ESCAPE);
  win::PumpPendingMessages();
  EXPECT_EQ(child_->Text(), "Spark");
  EXPECT_EQ(log, (Log{"editing Spark"}));

  // OnEditing refuses; ReadOnly refuses without asking.
  tree_->OnEditing = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
  EXPECT_FALSE(child_->EditText());
  tree_->OnEditing = nullptr;
  tree_->SetReadOnly(true);
  EXPECT_FALSE(child_->EditText());
}

TEST_F(TreeViewTest, ASecondClickOnTheSelectedLabelEditsAfterTheDoubleClickTime) {
  std::string edited;
  tree_->OnEdited = [&](TObject*, TTreeNode*, std::string& s) { edited = s; };
  Click(win::MouseButton::Left, 60, RowY(3));
  EXPECT_EQ(tree_->Selected(), other_);
  EXPECT_FALSE(tree_->IsEditing());
  win::AdvanceClock(1000);
  win::PumpPendingMessages();
  EXPECT_FALSE(tree_->IsEditing());  // the first click only selected

  Click(win::MouseButton::Left, 60, RowY(3));
  win::PumpPendingMessages();
  EXPECT_FALSE(tree_->IsEditing());
  win::AdvanceClock(win::GetDoubleClickTime() + 10);
  win::PumpPendingMessages();
  ASSERT_TRUE(tree_->IsEditing());

  // Clicking into the tree ends the edit and keeps the text.
  win::InjectText("New");
  win::PumpPendingMessages();
  Click(win::MouseButton::Left, 60, RowY(0));
  EXPECT_FALSE(tree_->IsEditing());
  EXPECT_EQ(edited, "New");
  EXPECT_EQ(other_->Text(), "New");
  EXPECT_EQ(tree_->Selected(), root_);

  // A double click on the selected label toggles and never edits.
  ASSERT_TRUE(root_->Expanded());
  win::AdvanceClock(2000);
  win::PumpPendingMessages();
  win::POINT p = win::ScreenPointOf(tree_->Handle(), 60, RowY(0));
  win::InjectDoubleClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  win::AdvanceClock(win::GetDoubleClickTime() + 10);
  win::PumpPendingMessages();
  EXPECT_FALSE(tree_->IsEditing());
  EXPECT_FALSE(root_->Expanded());
}

TEST_F(TreeViewTest, DeletingTheNodeBeingEditedEndsTheEdit) {
  ASSERT_TRUE(child_->EditText());
  bool edited = false;
  tree_->OnEdited = [&](TObject*, TTreeNode*, std::string&) { edited = true; };
  child_->Delete();
  EXPECT_FALSE(tree_->IsEditing());
  EXPECT_FALSE(edited);
  // An OnEdited handler that deletes the node it renames does no harm.
  tree_->OnEdited = [&](TObject*, TTreeNode* n, std::string&) { n->Delete(); };
  ASSERT_TRUE(child2_->EditText());
  win::InjectKey(win::VK_RETURN);
  win::PumpPendingMessages();
  EXPECT_EQ(root_->Count(), 0);
}

TEST_F(TreeViewTest, ChangesBetweenBeginUpdateAndEndUpdateRepaintOnceAtTheEnd) {
  win::UpdateWindow(form_->Handle());
  win::RECT r;
  ASSERT_FALSE(win::GetUpdateRect(tree_->Handle(), &r, 0));
  tree_->Items()->BeginUpdate();
  tree_->Items()->BeginUpdate();
  for (int i = 0; i < 5; ++i) tree_->Items()->AddChild(other_, "n" + std::to_string(i));
  child_->SetText("Renamed");
  tree_->Items()->EndUpdate();
  EXPECT_FALSE(win::GetUpdateRect(tree_->Handle(), &r, 0));
  tree_->Items()->EndUpdate();
  EXPECT_TRUE(win::GetUpdateRect(tree_->Handle(), &r, 0));
  EXPECT_EQ(tree_->Items()->Count(), 9);
  EXPECT_TRUE(other_->HasChildren());
}

TEST_F(TreeViewTest, AFormGoingWhileANodeIsEditedEndsCleanly) {
  bool edited = false;
  tree_->OnEdited = [&](TObject*, TTreeNode*, std::string&) { edited = true; };
  tree_->OnChange = [&](TObject*, TTreeNode*) { edited = true; };
  ASSERT_TRUE(child_->EditText());
  win::InjectText("half");
  win::PumpPendingMessages();
  form_.reset();
  EXPECT_FALSE(edited);
}

// ---- stored nodes ------------------------------------------------------------------------------------

TEST_F(TreeViewTest, NodesRoundTripThroughTheirStoredFormAndRefuseBrokenData) {
  TMemoryStream stream;
  tree_->Items()->WriteData(stream);
  // 4 (count) + per node 21 bytes + text.
  EXPECT_EQ(stream.Size(), 4 + 4 * 21 + 7 + 6 + 6 + 5);

  TTreeView copy(nullptr);
  stream.SetPosition(0);
  copy.Items()->ReadData(stream);
  ASSERT_EQ(copy.Items()->Count(), 4);
  EXPECT_EQ(copy.Items()->Item(1)->Text(), "System");
  EXPECT_EQ(copy.Items()->Item(1)->Parent(), copy.Items()->Item(0));
  EXPECT_EQ(copy.Items()->Item(1)->StateIndex(), 1);
  EXPECT_EQ(copy.Items()->Item(2)->StateIndex(), -1);

  // Every truncation is refused and leaves the nodes alone.
  for (Int64 cut = 0; cut < stream.Size(); cut += 3) {
    TMemoryStream part;
    part.WriteBuffer(stream.Memory(), cut);
    part.SetPosition(0);
    EXPECT_THROW(copy.Items()->ReadData(part), EReadError) << cut;
    EXPECT_EQ(copy.Items()->Count(), 4);
  }
  // A count far beyond the bytes there.
  TMemoryStream huge;
  std::int32_t many = 0x7FFFFFFF;
  huge.WriteBuffer(&many, 4);
  huge.SetPosition(0);
  EXPECT_THROW(copy.Items()->ReadData(huge), EReadError);
}

TEST_F(TreeViewTest, ATreeViewRoundTripsThroughAFormFile) {
  tree_->SetName("Tree");
  tree_->SetRightClickSelect(true);
  tree_->SetRowSelect(true);
  tree_->SetIndent(21);
  images_->SetName("Images");
  form_->SetName("Holder");
  std::string text = WriteComponentText(form_.get());
  EXPECT_NE(text.find("RightClickSelect = True"), std::string::npos);
  EXPECT_NE(text.find("Items.Data = {"), std::string::npos);

  auto read = ReadComponentText(text);
  auto* tree = dynamic_cast<TTreeView*>(read->FindComponent("Tree"));
  ASSERT_NE(tree, nullptr);
  EXPECT_TRUE(tree->RightClickSelect());
  EXPECT_TRUE(tree->RowSelect());
  EXPECT_EQ(tree->Indent(), 21);
  EXPECT_EQ(tree->Images(), read->FindComponent("Images"));
  ASSERT_EQ(tree->Items()->Count(), 4);
  EXPECT_EQ(tree->Items()->Item(3)->Text(), "Other");
}

// ---- painting -----------------------------------------------------------------------------------------

TEST_F(TreeViewTest, RowsPaintButtonsImagesAndTheSelection) {
  tree_->SetSelected(other_);
  tree_->SetFocus();
  win::UpdateWindow(form_->Handle());
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  const int ox = 10, oy = 10;  // the tree's client origin in the form
  // Root row: the button box at (5..13, 4..12) framed grey, minus sign, no plus.
  EXPECT_EQ(img.At(ox + 5, oy + 8), 0x808080u);
  EXPECT_EQ(img.At(ox + 7, oy + 8), 0x000000u);
  EXPECT_EQ(img.At(ox + 9, oy + 6), 0xFFFFFFu);
  // State image 2 (blue) at x 19, image 0 (red) at x 35 (unselected root).
  EXPECT_EQ(img.At(ox + 19, oy + 0), 0xFF0000u);
  EXPECT_EQ(img.At(ox + 34, oy + 15), 0xFF0000u);
  EXPECT_EQ(img.At(ox + 35, oy + 0), 0x0000FFu);
  // Collapsed "Other" has no button and is selected: its label is highlighted.
  Integer y3 = 3 * 16;
  EXPECT_EQ(img.At(ox + 9, oy + y3 + 8), 0xFFFFFFu);
  EXPECT_EQ(img.At(ox + 36, oy + y3 + 8), 0x800000u);  // label starts at 35 (no state image)
  // Lines: the child's branch at the root's column (x 28) on row 1.
  bool dotted = img.At(ox + 28, oy + 16 + 1) == 0x808080u || img.At(ox + 28, oy + 16 + 2) == 0x808080u;
  EXPECT_TRUE(dotted);
}

// ---- sorting ------------------------------------------------------------------------------------------

TEST(TreeViewSorting, SortByTextOrdersSiblingsAsTheyChangeAndOnCompareDecidesWhenSet) {
  TTreeView tree(nullptr);
  TTreeNodes* nodes = tree.Items();
  TTreeNode* beta = nodes->Add(nullptr, "beta");
  TTreeNode* alpha = nodes->Add(nullptr, "Alpha");
  TTreeNode* zeta = nodes->AddChild(beta, "zeta");
  TTreeNode* eta = nodes->AddChild(beta, "eta");
  EXPECT_EQ(nodes->Root(0), beta);  // no sorting yet

  // Choosing the text order sorts the whole tree, case ignored.
  tree.SetSortType(stText);
  EXPECT_EQ(nodes->Root(0), alpha);
  EXPECT_EQ(nodes->Root(1), beta);
  EXPECT_EQ(beta->Item(0), eta);
  EXPECT_EQ(beta->Item(1), zeta);

  // A renamed node moves among its siblings; a new one lands in its place.
  zeta->SetText("Delta");
  EXPECT_EQ(beta->Item(0), zeta);
  TTreeNode* epsilon = nodes->AddChild(beta, "epsilon");
  EXPECT_EQ(beta->Item(0), zeta);
  EXPECT_EQ(beta->Item(1), epsilon);
  EXPECT_EQ(beta->Item(2), eta);
  alpha->SetText("gamma");
  EXPECT_EQ(nodes->Root(0), beta);

  // OnCompare replaces the text order, for the tree and for one node's children.
  tree.OnCompare = [](TObject*, TTreeNode* a, TTreeNode* b, Integer, Integer& result) {
    result = AnsiCompareText(b->Text(), a->Text());
  };
  tree.AlphaSort();
  EXPECT_EQ(nodes->Root(0), alpha);
  EXPECT_EQ(beta->Item(0), eta);
  EXPECT_EQ(beta->Item(2), zeta);
  tree.OnCompare = nullptr;
  beta->AlphaSort();
  EXPECT_EQ(beta->Item(0), zeta);
  EXPECT_EQ(nodes->Root(0), alpha);  // only the node's children were sorted
}

}  // namespace
