// The tree's nodes: TTreeNode (text, images, place in the tree, state) and TTreeNodes (the
// collection, its updates and its stored form).
#include <algorithm>
#include <cstring>

#include "platform/classlib/std_item_blob.h"
#include "platform/classlib/std_treeview.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/strings.h"
#include "platform/classlib/sysutils.h"

namespace {

constexpr int kMaxStoredDepth = 256;

}  // namespace

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
                   [tree](TTreeNode* a, TTreeNode* b) { return TCustomTreeView::NodeBefore(tree, a, b); });
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
  if (!owner_) return;
  // Within an update the layout is redone at its end, but the width must not be stale before.
  owner_->ContentChanged();
  if (updateCount_ == 0) owner_->NodesChanged();
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
