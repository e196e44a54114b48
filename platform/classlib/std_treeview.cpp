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

constexpr int kMaxStoredDepth = 256;

bool IsDoomed(const TTreeNode* node) {
  for (const TTreeNode* n = node; n; n = n->Parent())
    if (n->Deleting()) return true;
  return false;
}

// The order AlphaSort gives: OnCompare's when the tree has one, else the texts ignoring case.
bool NodeBefore(TCustomTreeView* tree, TTreeNode* a, TTreeNode* b) {
  if (tree && tree->OnCompare) {
    Integer c = 0;
    tree->OnCompare(tree, a, b, 0, c);
    return c < 0;
  }
  return AnsiCompareText(a->Text(), b->Text()) < 0;
}

}  // namespace

// What the in-place editor of a tree reports as its class.
const TClass& TreeEditorClass() {
  static const TClass cls("TTreeEditor", &TCustomEdit::StaticClass(), nullptr, nullptr);
  return cls;
}

const TEnumInfo& SortTypeInfo() {
  static const TEnumInfo info("TSortType", {"stNone", "stData", "stText", "stBoth"});
  return info;
}

// ---- TTreeNode ---------------------------------------------------------------------------------------

const TClass& TTreeNode::StaticClass() {
  static const TClass cls = TClass::Of<TTreeNode>("TTreeNode", TPersistent::StaticClass());
  return cls;
}

TTreeNode::TTreeNode(TTreeNodes* owner) : owner_(owner) {}

TTreeNode::~TTreeNode() {
  deleting_ = true;
  if (TCustomTreeView* tree = TreeView()) tree->NodeDeleting(this);
  while (!children_.empty()) delete children_.back();
  std::vector<TTreeNode*>& list = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) list.erase(it);
  if (owner_) owner_->Changed();
}

TCustomTreeView* TTreeNode::TreeView() const { return owner_ ? owner_->owner_ : nullptr; }

void TTreeNode::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TTreeNode*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  text_ = other->text_;
  data_ = other->data_;
  imageIndex_ = other->imageIndex_;
  selectedIndex_ = other->selectedIndex_;
  stateIndex_ = other->stateIndex_;
  overlayIndex_ = other->overlayIndex_;
  expanded_ = other->expanded_;
  hasChildren_ = other->hasChildren_;
  Changed();
}

void TTreeNode::Changed() {
  if (owner_) owner_->Changed();
}

void TTreeNode::SetText(const std::string& value) {
  if (text_ == value) return;
  text_ = value;
  if (TCustomTreeView* tree = TreeView()) tree->SortAfterTextChange(parent_);
  Changed();
}

void TTreeNode::SetImageIndex(Integer value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  Changed();
}

void TTreeNode::SetSelectedIndex(Integer value) {
  if (selectedIndex_ == value) return;
  selectedIndex_ = value;
  Changed();
}

void TTreeNode::SetStateIndex(Integer value) {
  if (value < -1) value = -1;
  if (stateIndex_ == value) return;
  stateIndex_ = value;
  Changed();
}

void TTreeNode::SetOverlayIndex(Integer value) {
  if (overlayIndex_ == value) return;
  overlayIndex_ = value;
  Changed();
}

TTreeNode* TTreeNode::Item(Integer index) const {
  if (index < 0 || index >= Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return children_[static_cast<std::size_t>(index)];
}

Integer TTreeNode::Index() const {
  const std::vector<TTreeNode*>& list = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

Integer TTreeNode::Level() const {
  Integer level = 0;
  for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

Integer TTreeNode::AbsoluteIndex() const {
  Integer index = 0;
  for (const TTreeNode* n = owner_->GetFirstNode(); n; n = n->GetNext()) {
    if (n == this) return index;
    ++index;
  }
  return -1;
}

bool TTreeNode::HasAsParent(const TTreeNode* value) const {
  if (!value) return false;
  for (const TTreeNode* p = parent_; p; p = p->parent_)
    if (p == value) return true;
  return false;
}

void TTreeNode::SetHasChildren(bool value) {
  if (hasChildren_ == value) return;
  hasChildren_ = value;
  Changed();
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const std::vector<TTreeNode*>& list = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end() || it + 1 == list.end()) return nullptr;
  return *(it + 1);
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const std::vector<TTreeNode*>& list = parent_ ? parent_->children_ : owner_->roots_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end() || it == list.begin()) return nullptr;
  return *(it - 1);
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front();
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* p = GetPrevSibling();
  if (!p) return parent_;
  while (!p->children_.empty()) p = p->children_.back();
  return p;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  if (expanded_ && !children_.empty()) return children_.front();
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  TTreeNode* p = GetPrevSibling();
  if (!p) return parent_;
  while (p->expanded_ && !p->children_.empty()) p = p->children_.back();
  return p;
}

bool TTreeNode::IsVisible() const {
  for (const TTreeNode* p = parent_; p; p = p->parent_)
    if (!p->expanded_) return false;
  return true;
}

void TTreeNode::SetExpanded(bool value) {
  if (expanded_ == value) return;
  TCustomTreeView* tree = TreeView();
  if (tree) {
    if (value ? !tree->CanExpand(this) : !tree->CanCollapse(this)) return;
  }
  expanded_ = value;
  // A selection hidden by the collapse moves up to this node.
  if (!value && tree && tree->selected_ && tree->selected_->HasAsParent(this)) tree->SetSelected(this);
  if (tree) {
    tree->NodesChanged();
    if (value)
      tree->Expand(this);
    else
      tree->Collapse(this);
  }
}

void TTreeNode::Expand(bool recurse) {
  SetExpanded(true);
  if (recurse)
    for (TTreeNode* c : std::vector<TTreeNode*>(children_)) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    for (TTreeNode* c : std::vector<TTreeNode*>(children_)) c->Collapse(true);
  SetExpanded(false);
}

bool TTreeNode::Selected() const {
  TCustomTreeView* tree = TreeView();
  return tree && tree->selected_ == this;
}

void TTreeNode::SetSelected(bool value) {
  TCustomTreeView* tree = TreeView();
  if (!tree) return;
  if (value)
    tree->SetSelected(this);
  else if (tree->selected_ == this)
    tree->SetSelected(nullptr);
}

void TTreeNode::Delete() { delete this; }

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) delete children_.back();
  hasChildren_ = false;
  Changed();
}

void TTreeNode::MakeVisible() {
  for (TTreeNode* p = parent_; p; p = p->parent_) p->SetExpanded(true);
  if (TCustomTreeView* tree = TreeView()) tree->ScrollIntoView(this);
}

bool TTreeNode::EditText() {
  TCustomTreeView* tree = TreeView();
  return tree && tree->BeginEdit(this);
}

void TTreeNode::EndEdit(bool cancel) {
  TCustomTreeView* tree = TreeView();
  if (tree && tree->edit_.Item() == this) tree->edit_.Finish(cancel);
}

TRect TTreeNode::DisplayRect(bool textOnly) const {
  TCustomTreeView* tree = TreeView();
  if (!tree) return TRect{};
  Integer row = tree->RowOf(this);
  if (row < 0) return TRect{};
  auto parts = tree->PartsOf(this, row);
  Integer h = tree->ItemHeight();
  if (textOnly) return TRect{parts.x2, parts.top, parts.labelRight, parts.top + h};
  return TRect{0, parts.top, tree->ClientWidth(), parts.top + h};
}

void TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
  if (destination == this || (destination && destination->HasAsParent(this))) return;
  if (destination && destination->owner_ != owner_) return;
  std::vector<TTreeNode*>& from = parent_ ? parent_->children_ : owner_->roots_;
  from.erase(std::find(from.begin(), from.end(), this));
  TTreeNode* newParent = nullptr;
  std::vector<TTreeNode*>* list = &owner_->roots_;
  std::size_t at = list->size();
  if (destination) {
    switch (mode) {
      case naAdd:
      case naAddFirst:
      case naInsert:
        newParent = destination->parent_;
        list = &owner_->ListOf(newParent);
        at = mode == naAdd ? list->size()
             : mode == naAddFirst
                 ? 0
                 : static_cast<std::size_t>(std::find(list->begin(), list->end(), destination) - list->begin());
        break;
      case naAddChild:
      case naAddChildFirst:
        newParent = destination;
        list = &destination->children_;
        at = mode == naAddChild ? list->size() : 0;
        break;
    }
  } else if (mode == naAddFirst || mode == naAddChildFirst) {
    at = 0;
  }
  parent_ = newParent;
  list->insert(list->begin() + static_cast<std::ptrdiff_t>(at), this);
  Changed();
}

bool TTreeNode::AlphaSort() {
  TCustomTreeView* tree = TreeView();
  std::stable_sort(children_.begin(), children_.end(),
                   [tree](TTreeNode* a, TTreeNode* b) { return NodeBefore(tree, a, b); });
  Changed();
  return true;
}

// ---- TTreeNodes ---------------------------------------------------------------------------------------

const TClass& TTreeNodes::StaticClass() {
  static const TClass cls = TClass::Of<TTreeNodes>("TTreeNodes", TPersistent::StaticClass());
  return cls;
}

TTreeNodes::TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}

TTreeNodes::~TTreeNodes() {
  clearing_ = true;
  while (!roots_.empty()) delete roots_.back();
}

Integer TTreeNodes::Count() const {
  Integer n = 0;
  for (const TTreeNode* node = GetFirstNode(); node; node = node->GetNext()) ++n;
  return n;
}

TTreeNode* TTreeNodes::Item(Integer index) const {
  if (index >= 0) {
    Integer i = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext(), ++i)
      if (i == index) return node;
  }
  throw CreateFmt<EListError>(msg::ListIndexError, index);
}

TTreeNode* TTreeNodes::Root(Integer index) const {
  if (index < 0 || index >= RootCount()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return roots_[static_cast<std::size_t>(index)];
}

TTreeNode* TTreeNodes::Attach(TTreeNode* parent, std::vector<TTreeNode*>& list, std::size_t index,
                              const std::string& s, void* data) {
  auto* node = new TTreeNode(this);
  node->parent_ = parent;
  node->text_ = s;
  node->data_ = data;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), node);
  if (owner_) owner_->SortAfterTextChange(parent);
  Changed();
  return node;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& s, void* data) {
  TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
  std::vector<TTreeNode*>& list = ListOf(parent);
  return Attach(parent, list, list.size(), s, data);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* sibling, const std::string& s, void* data) {
  TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
  return Attach(parent, ListOf(parent), 0, s, data);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& s, void* data) {
  std::vector<TTreeNode*>& list = ListOf(parent);
  return Attach(parent, list, list.size(), s, data);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* parent, const std::string& s, void* data) {
  return Attach(parent, ListOf(parent), 0, s, data);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const std::string& s, void* data) {
  if (!sibling) return AddObject(nullptr, s, data);
  std::vector<TTreeNode*>& list = ListOf(sibling->parent_);
  auto at = static_cast<std::size_t>(std::find(list.begin(), list.end(), sibling) - list.begin());
  return Attach(sibling->parent_, list, at, s, data);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (node && node->owner_ == this) delete node;
}

void TTreeNodes::Clear() {
  clearing_ = true;
  WithinUpdate(*this, [&] {
    // Cleared before EndUpdate repaints, also when a deletion throws.
    struct Done {
      bool& flag;
      ~Done() { flag = false; }
    } done{clearing_};
    while (!roots_.empty()) delete roots_.back();
  });
}

void TTreeNodes::BeginUpdate() { ++updateCount_; }

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && owner_) owner_->NodesChanged();
}

void TTreeNodes::Changed() {
  if (owner_ && updateCount_ == 0) owner_->NodesChanged();
}

void TTreeNodes::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TTreeNodes*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  WithinUpdate(*this, [&] {
    Clear();
    // Copies level by level, keeping the order.
    std::function<void(const std::vector<TTreeNode*>&, TTreeNode*)> copy = [&](const std::vector<TTreeNode*>& from,
                                                                               TTreeNode* parent) {
      for (TTreeNode* n : from) {
        std::vector<TTreeNode*>& list = ListOf(parent);
        TTreeNode* node = Attach(parent, list, list.size(), n->text_, n->data_);
        node->Assign(n);
        copy(n->children_, node);
      }
    };
    copy(other->roots_, nullptr);
  });
}

// ---- stored form ------------------------------------------------------------------------------------------

namespace {

// A node read from the blob, before it becomes a TTreeNode.
struct StoredNode {
  std::int32_t image = 0, selected = 0, state = -1, overlay = -1;
  std::string text;
  std::vector<StoredNode> children;
};

// The smallest node record: four indexes, a child count and an empty text.
constexpr std::size_t kMinNodeBytes = 4 * 4 + 4 + 1;

std::vector<StoredNode> ReadNodes(TItemBlob& r, std::int32_t count, int depth) {
  if (count < 0 || static_cast<std::size_t>(count) > r.Left() / kMinNodeBytes)
    throw EReadError("Invalid tree node count");
  if (depth > kMaxStoredDepth) throw EReadError("Tree nodes nest too deeply");
  std::vector<StoredNode> out(static_cast<std::size_t>(count));
  for (StoredNode& n : out) {
    n.image = r.I32();
    n.selected = r.I32();
    n.state = r.I32();
    n.overlay = r.I32();
    std::int32_t children = r.I32();
    n.text = r.Str();
    n.children = ReadNodes(r, children, depth + 1);
  }
  return out;
}

void WriteNode(TStream& s, const TTreeNode* n) {
  PutBlobI32(s, n->ImageIndex());
  PutBlobI32(s, n->SelectedIndex());
  PutBlobI32(s, n->StateIndex());
  PutBlobI32(s, n->OverlayIndex());
  PutBlobI32(s, n->Count());
  PutBlobString(s, n->Text());
  for (Integer i = 0; i < n->Count(); ++i) WriteNode(s, n->Item(i));
}

}  // namespace

void TTreeNodes::WriteData(TStream& stream) const {
  PutBlobI32(stream, RootCount());
  for (const TTreeNode* n : roots_) WriteNode(stream, n);
}

void TTreeNodes::ReadData(TStream& stream) {
  TItemBlob r(stream, "Invalid tree node data", "Tree node data is cut short");
  std::vector<StoredNode> nodes = ReadNodes(r, r.I32(), 0);
  WithinUpdate(*this, [&] {
    Clear();
    std::function<void(const std::vector<StoredNode>&, TTreeNode*)> build = [&](const std::vector<StoredNode>& from,
                                                                               TTreeNode* parent) {
      for (const StoredNode& sn : from) {
        std::vector<TTreeNode*>& list = ListOf(parent);
        TTreeNode* node = Attach(parent, list, list.size(), sn.text, nullptr);
        node->imageIndex_ = sn.image;
        node->selectedIndex_ = sn.selected;
        node->stateIndex_ = sn.state < -1 ? -1 : sn.state;
        node->overlayIndex_ = sn.overlay;
        build(sn.children, node);
      }
    };
    build(nodes, nullptr);
  });
}

void TTreeNodes::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !roots_.empty());
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

Integer TCustomTreeView::VisibleRows() { return PageRows(); }

Integer TCustomTreeView::ContentWidth() {
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

void TCustomTreeView::ClampTop() {
  Integer count = static_cast<Integer>(VisibleNodes().size());
  Integer maxTop = std::max<Integer>(0, count - VisibleRows());
  topRow_ = std::clamp<Integer>(topRow_, 0, maxTop);
  ClampLeft();
}

void TCustomTreeView::ScrollIntoView(const TTreeNode* node, bool labelStart) {
  Integer row = RowOf(node);
  if (row == -1 && !node->IsVisible()) return;
  Integer abs = row + topRow_;
  Integer rows = VisibleRows();
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
      selectRow(cur ? rowIndex(cur) - VisibleRows() + 1 : 0);
      break;
    case win::VK_NEXT:
      selectRow(cur ? rowIndex(cur) + VisibleRows() - 1 : 0);
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
