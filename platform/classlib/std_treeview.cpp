#include "platform/classlib/std_treeview.h"

#include <algorithm>
#include <cstring>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_imagelist_link.h"
#include "platform/classlib/std_item_blob.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/strings.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/rect.h"
#include "platform/win/timers.h"

namespace {

const bool kTreeViewRegistered = [] {
  RegisterClass(TTreeView::StaticClass());
  return true;
}();

bool IsDoomed(const TTreeNode* node) {
  for (const TTreeNode* n = node; n; n = n->Parent())
    if (n->Deleting()) return true;
  return false;
}

}  // namespace

bool TCustomTreeView::NodeBefore(TCustomTreeView* tree, TTreeNode* a, TTreeNode* b) {
  if (tree && tree->OnCompare) {
    Integer c = 0;
    tree->OnCompare(tree, a, b, 0, c);
    return c < 0;
  }
  return AnsiCompareText(a->Text(), b->Text()) < 0;
}

// What the in-place editor of a tree reports as its class.
const TClass& TreeEditorClass() {
  static const TClass cls("TTreeEditor", &TCustomEdit::StaticClass(), nullptr, nullptr);
  return cls;
}

const TEnumInfo& SortTypeInfo() {
  static const TEnumInfo info("TSortType", {"stNone", "stData", "stText", "stBoth"});
  return info;
}

// ---- TCustomTreeView ------------------------------------------------------------------------------------

const TClass& TCustomTreeView::StaticClass() {
  static const TClass cls = TClass::Of<TCustomTreeView>("TCustomTreeView", TCustomControl::StaticClass());
  return cls;
}

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TCustomItemView(AOwner, 121, 97),
      items_(std::make_unique<TTreeNodes>(this)),
      edit_(this, TreeEditorClass(), [this](TTreeNode* node, std::string& text) { Edit(node, text); },
            [](TTreeNode* node, const std::string& text) { node->SetText(text); }),
      imageLink_(std::make_unique<TChangeLink>()),
      stateLink_(std::make_unique<TChangeLink>()) {
  imageLink_->OnChange = [this](TObject* s) { ImagesChanged(s); };
  stateLink_->OnChange = [this](TObject* s) { ImagesChanged(s); };
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  selected_ = nullptr;
  // The editor goes while the tree is still whole: losing the focus reaches Finish.
  edit_.DestroyEditor();
  // The nodes go before the control's parts they might reach.
  items_.reset();
}

TCustomEdit* TCustomTreeView::EditControl() const { return edit_.Item() ? edit_.Editor() : nullptr; }

// ---- geometry ----

Integer TCustomTreeView::ItemHeight() {
  Integer h = FontLineHeight(Font()) + 3;
  if (images_) h = std::max(h, images_->Height());
  if (stateImages_) h = std::max(h, stateImages_->Height());
  return h;
}

std::vector<TTreeNode*> TCustomTreeView::VisibleNodes() const {
  std::vector<TTreeNode*> out;
  for (TTreeNode* n = items_ ? items_->GetFirstNode() : nullptr; n; n = n->GetNextVisible()) out.push_back(n);
  return out;
}

Integer TCustomTreeView::RowOf(const TTreeNode* node) const {
  if (!node || !node->IsVisible()) return -1;
  Integer i = 0;
  for (TTreeNode* n = items_->GetFirstNode(); n; n = n->GetNextVisible(), ++i)
    if (n == node) return i - topRow_;
  return -1;
}

Integer TCustomTreeView::MeasureContentWidth() {
  Integer widest = 0;
  for (TTreeNode* n : VisibleNodes()) widest = std::max(widest, PartsOf(n, 0).labelRight + scrollX_);
  return widest;
}

TCustomTreeView::RowParts TCustomTreeView::PartsOf(const TTreeNode* node, Integer row) {
  RowParts p;
  p.top = row * ItemHeight();
  Integer columns = node->Level() + (showRoot_ ? 1 : 0);
  p.x0 = columns * indent_ - scrollX_;
  p.buttonLeft = columns > 0 ? p.x0 - indent_ : p.x0;
  p.x1 = p.x0;
  if (stateImages_ && node->StateIndex() > 0) p.x1 += stateImages_->Width();
  p.x2 = p.x1 + (images_ ? images_->Width() : 0);
  p.labelRight = p.x2 + MeasureText(Font(), node->Text()).cx + 4;
  return p;
}

THitTests TCustomTreeView::GetHitTestInfoAt(Integer X, Integer Y) {
  THitTests result = HitsOutside(X, Y);
  if (!result.Empty()) return result;
  TTreeNode* node = GetNodeAt(X, Y);
  if (!node) return THitTests{htNowhere};
  RowParts p = PartsOf(node, Y / ItemHeight());
  if (X < p.buttonLeft) return THitTests{htOnIndent};
  if (X < p.x0) return THitTests{(showButtons_ && node->HasChildren()) ? htOnButton : htOnIndent};
  if (X < p.x1) return THitTests{htOnItem, htOnStateIcon};
  if (X < p.x2) return THitTests{htOnItem, htOnIcon};
  if (X < p.labelRight) return THitTests{htOnItem, htOnLabel};
  return THitTests{htOnRight};
}

TTreeNode* TCustomTreeView::GetNodeAt(Integer X, Integer Y) {
  (void)X;
  if (Y < 0) return nullptr;
  Integer row = Y / ItemHeight() + topRow_;
  std::vector<TTreeNode*> rows = VisibleNodes();
  if (row >= static_cast<Integer>(rows.size())) return nullptr;
  return rows[static_cast<std::size_t>(row)];
}

TTreeNode* TCustomTreeView::TopItem() const {
  std::vector<TTreeNode*> rows = VisibleNodes();
  if (topRow_ < 0 || topRow_ >= static_cast<Integer>(rows.size())) return nullptr;
  return rows[static_cast<std::size_t>(topRow_)];
}

void TCustomTreeView::SetTopItem(TTreeNode* value) {
  if (!value || !value->IsVisible()) return;
  Integer row = RowOf(value) + topRow_;
  if (row == topRow_) return;
  topRow_ = row;
  ClampTop();
  Invalidate();
}

void TCustomTreeView::ScrollIntoView(const TTreeNode* node, bool labelStart) {
  Integer row = RowOf(node);
  if (row == -1 && !node->IsVisible()) return;
  Integer abs = row + topRow_;
  Integer rows = PageRows();
  if (abs < topRow_)
    topRow_ = abs;
  else if (abs >= topRow_ + rows)
    topRow_ = abs - rows + 1;
  ClampTop();
  RowParts p = PartsOf(node, RowOf(node));
  ScrollLabelIntoView(p.buttonLeft, p.x2, p.labelRight, labelStart);
  Invalidate();
}

// ---- selection, expansion, editing ----

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
  if (OnChange) OnChange(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  bool allow = true;
  if (OnEditing) OnEditing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Edit(TTreeNode* Node, std::string& S) {
  if (OnEdited) OnEdited(this, Node, S);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, Node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
  if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
  if (OnDeletion) OnDeletion(this, Node);
}

void TCustomTreeView::SetSelected(TTreeNode* value) {
  if (value == selected_) return;
  if (value && value->owner_ != items_.get()) return;
  if (edit_.Item()) edit_.Finish(false);
  if (!CanChange(value)) return;
  selected_ = value;
  if (value) {
    value->MakeVisible();
    if (autoExpand_) value->Expand(false);
  }
  Invalidate();
  Change(value);
}

void TCustomTreeView::SelectByUser(TTreeNode* node) {
  edit_.StopTimer();
  SetSelected(node);
}

void TCustomTreeView::NodeDeleting(TTreeNode* node) {
  if (ComponentState().Contains(csDestroying)) return;
  // Whether `n` goes with the node: the node itself or one of its descendants.
  auto goes = [node](const TTreeNode* n) { return n && (n == node || n->HasAsParent(node)); };
  if (goes(edit_.Item())) edit_.Finish(true);
  if (goes(edit_.Finishing())) edit_.ForgetFinishing();
  if (goes(clickNode_)) clickNode_ = nullptr;
  if (goes(rightClickNode_)) rightClickNode_ = nullptr;
  Delete(node);
  if (!goes(selected_)) return;
  if (items_->clearing_) {
    selected_ = nullptr;
    return;
  }
  // The selection moves to a neighbour that stays: the next sibling, the previous one,
  // else the parent.
  TTreeNode* next = node->GetNextSibling();
  if (!next || IsDoomed(next)) next = node->GetPrevSibling();
  if (!next || IsDoomed(next)) next = node->Parent();
  while (next && IsDoomed(next)) next = next->Parent();
  selected_ = next;
  Change(next);
}

void TCustomTreeView::NodesChanged() {
  ContentChanged();
  if (items_ && items_->updateCount_ > 0) return;
  ClampTop();
  Invalidate();
}

void TCustomTreeView::ToggleExpand(TTreeNode* node) {
  if (!node) return;
  node->SetExpanded(!node->Expanded());
}

void TCustomTreeView::FullExpand() {
  for (TTreeNode* n : std::vector<TTreeNode*>(items_->roots_)) n->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* n : std::vector<TTreeNode*>(items_->roots_)) n->Collapse(true);
}

bool TCustomTreeView::AlphaSort() {
  auto less = [this](TTreeNode* a, TTreeNode* b) { return NodeBefore(this, a, b); };
  std::function<void(std::vector<TTreeNode*>&)> sortAll = [&](std::vector<TTreeNode*>& list) {
    std::stable_sort(list.begin(), list.end(), less);
    for (TTreeNode* n : list) sortAll(n->children_);
  };
  sortAll(items_->roots_);
  NodesChanged();
  return true;
}

bool TCustomTreeView::BeginEdit(TTreeNode* node) {
  if (!node || node->owner_ != items_.get() || readOnly_ || edit_.Item()) return false;
  edit_.StopTimer();
  if (!CanEdit(node)) return false;
  node->MakeVisible();
  ScrollIntoView(node, true);
  edit_.Start(node, node->Text(), [&] {
    RowParts p = PartsOf(node, RowOf(node));
    Integer width = std::max<Integer>(p.labelRight - p.x2 + 16, 40);
    return TInplaceEdit<TTreeNode>::Bounds{p.x2, p.top,
                                           std::min<Integer>(width, std::max<Integer>(RowsWidth() - p.x2, 40)),
                                           ItemHeight()};
  });
  return true;
}

// ---- properties ----

void TCustomTreeView::SetImages(TCustomImageList* value) {
  if (ReplaceImageList(this, images_, value, imageLink_.get())) NodesChanged();
}

void TCustomTreeView::SetStateImages(TCustomImageList* value) {
  if (ReplaceImageList(this, stateImages_, value, stateLink_.get())) NodesChanged();
}

void TCustomTreeView::ImagesChanged(TObject*) { NodesChanged(); }

void TCustomTreeView::SetIndent(Integer value) {
  if (value < 0) value = 0;
  if (indent_ == value) return;
  indent_ = value;
  NodesChanged();
}

void TCustomTreeView::SetShowButtons(bool value) {
  if (showButtons_ == value) return;
  showButtons_ = value;
  Invalidate();
}

void TCustomTreeView::SetShowLines(bool value) {
  if (showLines_ == value) return;
  showLines_ = value;
  Invalidate();
}

void TCustomTreeView::SetShowRoot(bool value) {
  if (showRoot_ == value) return;
  showRoot_ = value;
  NodesChanged();
}

bool TCustomTreeView::SortsByText() const { return sortType_ == stText || sortType_ == stBoth; }

void TCustomTreeView::SortAfterTextChange(TTreeNode* parent) {
  if (!SortsByText()) return;
  if (parent)
    parent->AlphaSort();
  else
    AlphaSort();
}

void TCustomTreeView::SetSortType(TSortType value) {
  if (sortType_ == value) return;
  sortType_ = value;
  if (SortsByText()) AlphaSort();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomItemView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) {
    images_ = nullptr;
    NodesChanged();
  }
  if (AComponent == stateImages_) {
    stateImages_ = nullptr;
    NodesChanged();
  }
}

// ---- input ----

void TCustomTreeView::BeforeScroll() {
  if (edit_.Item()) edit_.Finish(false);
}

void TCustomTreeView::EditDelayElapsed() {
  edit_.StopTimer();
  if (selected_ && !edit_.Item()) BeginEdit(selected_);
}

void TCustomTreeView::KeyDown(Word& Key, TShiftState Shift) {
  TCustomItemView::KeyDown(Key, Shift);
  if (Key == 0) return;
  std::vector<TTreeNode*> rows = VisibleNodes();
  if (rows.empty()) return;
  TTreeNode* cur = selected_;
  auto rowIndex = [&](TTreeNode* n) {
    auto it = std::find(rows.begin(), rows.end(), n);
    return it == rows.end() ? Integer{-1} : static_cast<Integer>(it - rows.begin());
  };
  auto selectRow = [&](Integer i) {
    i = std::clamp<Integer>(i, 0, static_cast<Integer>(rows.size()) - 1);
    SelectByUser(rows[static_cast<std::size_t>(i)]);
  };
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case win::VK_UP:
      selectRow(cur ? rowIndex(cur) - 1 : 0);
      break;
    case win::VK_DOWN:
      selectRow(cur ? rowIndex(cur) + 1 : 0);
      break;
    case win::VK_PRIOR:
      selectRow(cur ? rowIndex(cur) - PageRows() + 1 : 0);
      break;
    case win::VK_NEXT:
      selectRow(cur ? rowIndex(cur) + PageRows() - 1 : 0);
      break;
    case win::VK_HOME:
      selectRow(0);
      break;
    case win::VK_END:
      selectRow(static_cast<Integer>(rows.size()) - 1);
      break;
    case win::VK_LEFT:
      if (!cur || ctrl || (!(cur->Expanded() && cur->HasChildren()) && !cur->Parent()))
        ScrollXTo(scrollX_ - HorzLine);
      else if (cur->Expanded() && cur->HasChildren())
        cur->Collapse(false);
      else
        SelectByUser(cur->Parent());
      break;
    case win::VK_RIGHT:
      if (!cur || ctrl || !cur->HasChildren()) {
        ScrollXTo(scrollX_ + HorzLine);
        break;
      }
      if (!cur->Expanded())
        cur->Expand(false);
      else if (cur->GetFirstChild())
        SelectByUser(cur->GetFirstChild());
      break;
    case win::VK_ADD:
      if (cur) cur->Expand(false);
      break;
    case win::VK_SUBTRACT:
      if (cur) cur->Collapse(false);
      break;
    default:
      break;
  }
}

void TCustomTreeView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (CanFocus() && !Focused()) SetFocus();
  THitTests hit = GetHitTestInfoAt(X, Y);
  TTreeNode* node = GetNodeAt(X, Y);
  bool onItem = node && (hit.Contains(htOnItem) || (rowSelect_ && (hit.Contains(htOnRight) || hit.Contains(htOnIndent))));
  if (Button == mbLeft) {
    clickNode_ = nullptr;
    if (Shift.Contains(ssDouble)) {
      edit_.StopTimer();
      if (onItem) ToggleExpand(node);
    } else if (node && hit.Contains(htOnButton)) {
      ToggleExpand(node);
    } else if (onItem) {
      if (node == selected_ && hit.Contains(htOnLabel) && !readOnly_)
        clickNode_ = node;  // a second click on the label: edit once it is not a double click
      else
        SelectByUser(node);
    }
  } else if (Button == mbRight) {
    rightClickNode_ = (rightClickSelect_ && onItem) ? node : nullptr;
  }
  TCustomItemView::MouseDown(Button, Shift, X, Y);
}

void TCustomTreeView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TTreeNode* node = GetNodeAt(X, Y);
  if (Button == mbLeft && clickNode_) {
    if (node == clickNode_ && GetHitTestInfoAt(X, Y).Contains(htOnLabel)) edit_.StartTimer();
    clickNode_ = nullptr;
  }
  if (Button == mbRight && rightClickNode_) {
    // The node right-clicked becomes the selection before the mouse-up handlers and the
    // popup menu see it.
    TTreeNode* target = rightClickNode_;
    rightClickNode_ = nullptr;
    if (node == target) SelectByUser(target);
  }
  TCustomItemView::MouseUp(Button, Shift, X, Y);
}

// ---- painting ----

namespace {

void DottedHLine(TCanvas* c, Integer x1, Integer x2, Integer y, TColor color) {
  for (Integer x = x1; x < x2; ++x)
    if (((x + y) & 1) == 0) c->SetPixels(x, y, color);
}

void DottedVLine(TCanvas* c, Integer x, Integer y1, Integer y2, TColor color) {
  for (Integer y = y1; y < y2; ++y)
    if (((x + y) & 1) == 0) c->SetPixels(x, y, color);
}

}  // namespace

void TCustomTreeView::Paint() {
  PaintBackground();
  std::vector<TTreeNode*> rows = VisibleNodes();
  Integer count = static_cast<Integer>(rows.size());
  Integer h = ItemHeight();
  Integer shown = h > 0 ? ClientHeight() / h + 1 : 0;
  for (Integer r = 0; r < shown && topRow_ + r < count; ++r) PaintRow(rows[static_cast<std::size_t>(topRow_ + r)], r);
}

void TCustomTreeView::PaintRow(TTreeNode* node, Integer row) {
  TCanvas* c = Canvas();
  RowParts p = PartsOf(node, row);
  Integer h = ItemHeight();
  Integer cy = p.top + h / 2;
  bool selected = node == selected_;
  bool showSel = ShowsSelection(selected);
  TColor selText = SelectionTextColor();

  if (showSel && rowSelect_) FillSelection(c, TRect{0, p.top, ClientWidth(), p.top + h});

  if (showLines_) {
    // The node's own column: a branch to the item, and the trunk to its siblings.
    if (p.buttonLeft < p.x0) {
      Integer cx = p.buttonLeft + indent_ / 2;
      DottedHLine(c, cx, p.x0, cy, clGray);
      bool firstRoot = !node->Parent() && !node->GetPrevSibling();
      Integer top = firstRoot ? cy : p.top;
      Integer bottom = node->GetNextSibling() ? p.top + h : cy + 1;
      DottedVLine(c, cx, top, bottom, clGray);
    }
    // Ancestors with later siblings carry their trunks through this row.
    Integer col = p.buttonLeft;
    for (TTreeNode* a = node->Parent(); a; a = a->Parent()) {
      col -= indent_;
      if (col + indent_ <= 0) break;  // scrolled out on the left
      if (a->GetNextSibling()) DottedVLine(c, col + indent_ / 2, p.top, p.top + h, clGray);
    }
  }

  if (showButtons_ && node->HasChildren() && p.buttonLeft < p.x0) {
    Integer cx = p.buttonLeft + indent_ / 2;
    TRect box{cx - 4, cy - 4, cx + 5, cy + 5};
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWindow);
    c->FillRect(box);
    c->Brush()->SetColor(clGray);
    c->FrameRect(box);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clWindowText);
    c->MoveTo(cx - 2, cy);
    c->LineTo(cx + 3, cy);
    if (!node->Expanded()) {
      c->MoveTo(cx, cy - 2);
      c->LineTo(cx, cy + 3);
    }
  }

  if (stateImages_ && node->StateIndex() > 0)
    stateImages_->Draw(c, p.x0, p.top + (h - stateImages_->Height()) / 2, node->StateIndex());
  if (images_) {
    Integer index = selected && node->SelectedIndex() >= 0 ? node->SelectedIndex() : node->ImageIndex();
    if (index >= 0) images_->Draw(c, p.x1, p.top + (h - images_->Height()) / 2, index, Enabled());
  }

  TRect label{p.x2, p.top, p.labelRight, p.top + h};
  if (showSel && !rowSelect_) FillSelection(c, label);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(!Enabled() ? clGrayText : showSel ? selText : Font()->Color());
  c->TextOut(p.x2 + 2, p.top + (h - FontLineHeight(Font())) / 2, node->Text());
  if (selected && focused_) c->DrawFocusRect(label);
}

// ---- TTreeView ------------------------------------------------------------------------------------------

const TClass& TTreeView::StaticClass() {
  static const TClass cls = TClass::Of<TTreeView>("TTreeView", TCustomTreeView::StaticClass(), &TTreeView::Publish);
  return cls;
}

void TTreeView::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Align",      "Anchors",     "Color",      "Constraints", "Ctl3D",      "DragCursor",
                  "DragMode",   "Enabled",     "Font",       "ParentColor", "ParentCtl3D", "ParentFont",
                  "ParentShowHint", "PopupMenu", "ShowHint",   "TabOrder",    "TabStop",    "Visible",
                  "OnClick",    "OnDblClick",  "OnEnter",    "OnExit",      "OnKeyDown",  "OnKeyPress",
                  "OnKeyUp",    "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TCustomTreeView>();
  p.Boolean("AutoExpand", &TCustomTreeView::AutoExpand, &TCustomTreeView::SetAutoExpand).Default(false);
  p.Enum("BorderStyle", BorderStyleInfo(), &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle)
      .Default(bsSingle);
  p.Integer("ChangeDelay", &TCustomTreeView::ChangeDelay, &TCustomTreeView::SetChangeDelay).Default(0);
  p.Boolean("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection).Default(true);
  p.Boolean("HotTrack", &TCustomTreeView::HotTrack, &TCustomTreeView::SetHotTrack).Default(false);
  p.Component("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
  p.Integer("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent).Default(19);
  p.Object("Items", &TCustomTreeView::Items, &TCustomTreeView::SetItems);
  p.Boolean("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly).Default(false);
  p.Boolean("RightClickSelect", &TCustomTreeView::RightClickSelect, &TCustomTreeView::SetRightClickSelect)
      .Default(false);
  p.Boolean("RowSelect", &TCustomTreeView::RowSelect, &TCustomTreeView::SetRowSelect).Default(false);
  p.Boolean("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons).Default(true);
  p.Boolean("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines).Default(true);
  p.Boolean("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot).Default(true);
  p.Enum("SortType", SortTypeInfo(), &TCustomTreeView::SortType, &TCustomTreeView::SetSortType).Default(stNone);
  p.Component("StateImages", &TCustomTreeView::StateImages, &TCustomTreeView::SetStateImages);
  p.Boolean("ToolTips", &TCustomTreeView::ToolTips, &TCustomTreeView::SetToolTips).Default(true);
  p.Event("OnChange", &TCustomTreeView::OnChange);
  p.Event("OnChanging", &TCustomTreeView::OnChanging);
  p.Event("OnCollapsed", &TCustomTreeView::OnCollapsed);
  p.Event("OnCollapsing", &TCustomTreeView::OnCollapsing);
  p.Event("OnCompare", &TCustomTreeView::OnCompare);
  p.Event("OnDeletion", &TCustomTreeView::OnDeletion);
  p.Event("OnEdited", &TCustomTreeView::OnEdited);
  p.Event("OnEditing", &TCustomTreeView::OnEditing);
  p.Event("OnExpanded", &TCustomTreeView::OnExpanded);
  p.Event("OnExpanding", &TCustomTreeView::OnExpanding);
  published.Redefault("TabStop", Int64{1});
  published.Redefault("ParentColor", Int64{0});
}
