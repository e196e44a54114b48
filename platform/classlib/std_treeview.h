#pragma once
// TTreeView: an outline of nodes (TTreeNode) held by TTreeNodes, each with a text, an
// image (ImageIndex, SelectedIndex while selected), a state image (StateIndex, image
// StateIndex of StateImages; 0 or less shows none) and a data pointer.
//
// Row layout, in client pixels, for a node at Level L on row r (TopItem on row 0), before
// the items are moved ScrollX pixels left:
//   row top     r x ItemHeight
//   indent      [0, x0) with x0 = (L + (ShowRoot ? 1 : 0)) x Indent; the column just
//               left of x0 holds the expand button of a node with children
//   state icon  [x0, x1), x1 = x0 + StateImages.Width when the node has a state image
//   icon        [x1, x2), x2 = x1 + Images.Width when there are Images
//   label       [x2, x2 + text width + 4), the text 2 pixels in
// GetHitTestInfoAt names these parts (htOnIndent, htOnButton, htOnStateIcon, htOnIcon,
// htOnLabel, htOnRight; htOnItem with any of the three item parts).
// Left and Right collapse, expand and walk the tree; where there is nothing to walk to (a
// top-level node that is not expanded, a node without children) and with Ctrl they
// scroll sideways instead.
//
// Selection runs OnChanging (which may refuse) and then OnChange. A click on the label
// of the selected node starts in-place editing after the double-click time (or
// TTreeNode::EditText at once): OnEditing may refuse; Enter or leaving the editor ends
// it through OnEdited, which may change the text; Escape drops it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/std_inplace_edit.h"
#include "platform/classlib/std_item_view.h"

class TTreeNode;
class TTreeNodes;
class TCustomTreeView;
class TCustomEdit;

enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
enum TSortType { stNone, stData, stText, stBoth };
const TEnumInfo& SortTypeInfo();

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, Integer Data,
                                           Integer& Compare)>;

class TTreeNode : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Nodes are made by TTreeNodes (Add, AddChild ...).
  explicit TTreeNode(TTreeNodes* owner);
  // Frees the children and leaves the parent.
  ~TTreeNode() override;

  // Text, images, data and expansion (not the place in the tree).
  void Assign(TPersistent* source) override;

  TTreeNodes* Owner() const { return owner_; }
  TCustomTreeView* TreeView() const;
  TTreeNode* Parent() const { return parent_; }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& value);
  void* Data() const { return data_; }
  void SetData(void* value) { data_ = value; }
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value);
  Integer SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(Integer value);
  Integer StateIndex() const { return stateIndex_; }
  void SetStateIndex(Integer value);
  Integer OverlayIndex() const { return overlayIndex_; }
  void SetOverlayIndex(Integer value);

  // ---- tree ----
  Integer Count() const { return static_cast<Integer>(children_.size()); }
  // Raises EListError for a bad index.
  TTreeNode* Item(Integer index) const;
  Integer Index() const;
  Integer Level() const;
  // Place in the whole tree, depth first.
  Integer AbsoluteIndex() const;
  bool HasAsParent(const TTreeNode* value) const;
  // True when the node has children, or was told it has (a button without children).
  bool HasChildren() const { return hasChildren_ || !children_.empty(); }
  void SetHasChildren(bool value);
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
  TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // Depth first, through collapsed nodes too.
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  // Through expanded nodes only.
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  TTreeNode* GetNextChild(const TTreeNode* value) const { return value ? value->GetNextSibling() : nullptr; }
  TTreeNode* GetPrevChild(const TTreeNode* value) const { return value ? value->GetPrevSibling() : nullptr; }
  // Every parent expanded.
  bool IsVisible() const;

  // ---- state ----
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool value);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const { return Selected(); }
  void SetFocused(bool value) { SetSelected(value); }
  bool Deleting() const { return deleting_; }

  // ---- actions ----
  void Delete();
  void DeleteChildren();
  // Expands the parents and scrolls the node into view.
  void MakeVisible();
  // Starts in-place editing (OnEditing may refuse); false when it did not start.
  bool EditText();
  void EndEdit(bool cancel);
  // The row (or, with textOnly, the label) in client coordinates; empty when the node
  // is not visible.
  TRect DisplayRect(bool textOnly) const;
  // Moves the node (with its children) as `mode` says relative to `destination`
  // (naAdd/naAddFirst: among its siblings, naAddChild/naAddChildFirst: under it,
  // naInsert: before it). A move into its own subtree is refused.
  void MoveTo(TTreeNode* destination, TNodeAttachMode mode);
  // Sorts the children by text (OnCompare when set).
  bool AlphaSort();

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;

  void Changed();

  TTreeNodes* owner_;
  TTreeNode* parent_ = nullptr;
  std::vector<TTreeNode*> children_;
  std::string text_;
  void* data_ = nullptr;
  Integer imageIndex_ = 0;
  Integer selectedIndex_ = 0;
  Integer stateIndex_ = -1;
  Integer overlayIndex_ = -1;
  bool expanded_ = false;
  bool hasChildren_ = false;
  bool deleting_ = false;
};

class TTreeNodes : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TTreeNodes(TCustomTreeView* owner);
  ~TTreeNodes() override;

  TCustomTreeView* Owner() const { return owner_; }
  // Every node of the tree.
  Integer Count() const;
  // By absolute index (depth first); raises EListError for a bad index.
  TTreeNode* Item(Integer index) const;
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
  Integer RootCount() const { return static_cast<Integer>(roots_.size()); }
  TTreeNode* Root(Integer index) const;

  // A node after the last sibling of `sibling` (top level when null).
  TTreeNode* Add(TTreeNode* sibling, const std::string& s) { return AddObject(sibling, s, nullptr); }
  TTreeNode* AddObject(TTreeNode* sibling, const std::string& s, void* data);
  TTreeNode* AddFirst(TTreeNode* sibling, const std::string& s) { return AddObjectFirst(sibling, s, nullptr); }
  TTreeNode* AddObjectFirst(TTreeNode* sibling, const std::string& s, void* data);
  // The last (first) child of `parent` (top level when null).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& s) { return AddChildObject(parent, s, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* parent, const std::string& s, void* data);
  TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& s) { return AddChildObjectFirst(parent, s, nullptr); }
  TTreeNode* AddChildObjectFirst(TTreeNode* parent, const std::string& s, void* data);
  // Before `sibling` (at the end of the top level when null).
  TTreeNode* Insert(TTreeNode* sibling, const std::string& s) { return InsertObject(sibling, s, nullptr); }
  TTreeNode* InsertObject(TTreeNode* sibling, const std::string& s, void* data);
  void Delete(TTreeNode* node);
  void Clear();

  // Changes between BeginUpdate and the outer EndUpdate repaint the tree once, at the end.
  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }

  // Copies the nodes (texts, images, data, expansion) of another TTreeNodes.
  void Assign(TPersistent* source) override;

  // The stored form of the nodes ("Data"): i32 count of top-level nodes, then each node
  // as i32 ImageIndex, SelectedIndex, StateIndex, OverlayIndex, i32 child count, a length
  // byte and the text, then its children. Reading checks every count against the bytes
  // left (and nesting to 256 levels) and replaces the nodes only when it was all good.
  void WriteData(TStream& stream) const;
  void ReadData(TStream& stream);

 protected:
  void DefineProperties(TFiler* filer) override;

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;

  // Puts a new node into `list` of `parent` at `index`.
  TTreeNode* Attach(TTreeNode* parent, std::vector<TTreeNode*>& list, std::size_t index, const std::string& s,
                    void* data);
  std::vector<TTreeNode*>& ListOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }
  void Changed();

  TCustomTreeView* owner_;
  std::vector<TTreeNode*> roots_;
  Integer updateCount_ = 0;
  bool clearing_ = false;
};

class TCustomTreeView : public TCustomItemView {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() const { return items_.get(); }
  void SetItems(TTreeNodes* value) { items_->Assign(value); }
  TTreeNode* Selected() const { return selected_; }
  // Runs OnChanging and OnChange; a refused change leaves the selection as it was.
  void SetSelected(TTreeNode* value);
  TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* value);

  // ---- geometry ----
  Integer ItemHeight();
  THitTests GetHitTestInfoAt(Integer X, Integer Y);
  TTreeNode* GetNodeAt(Integer X, Integer Y);
  // The visible nodes from the top of the tree, in row order.
  std::vector<TTreeNode*> VisibleNodes() const;

  void FullExpand();
  void FullCollapse();
  bool AlphaSort();
  bool IsEditing() const { return edit_.Item() != nullptr; }
  // The in-place editor while editing (null otherwise).
  TCustomEdit* EditControl() const;

  // ---- properties ----
  bool AutoExpand() const { return autoExpand_; }
  void SetAutoExpand(bool value) { autoExpand_ = value; }
  Integer ChangeDelay() const { return changeDelay_; }
  void SetChangeDelay(Integer value) { changeDelay_ = value; }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* value);
  Integer Indent() const { return indent_; }
  void SetIndent(Integer value);
  bool RightClickSelect() const { return rightClickSelect_; }
  void SetRightClickSelect(bool value) { rightClickSelect_ = value; }
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool value);
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool value);
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool value);
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType value);
  bool ToolTips() const { return toolTips_; }
  void SetToolTips(bool value) { toolTips_ = value; }

  // ---- events ----
  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;
  TTVCompareEvent OnCompare;

 protected:
  friend class TTreeNode;
  friend class TTreeNodes;

  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(TTreeNode* Node, std::string& S);
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual void Delete(TTreeNode* Node);

  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct RowParts {
    Integer top = 0;
    Integer buttonLeft = 0;  // the button column: [buttonLeft, x0)
    Integer x0 = 0;          // state icon
    Integer x1 = 0;          // icon
    Integer x2 = 0;          // label
    Integer labelRight = 0;
  };
  RowParts PartsOf(const TTreeNode* node, Integer row);
  // Row of a node among the visible ones, counted from TopItem; -1 when not visible.
  Integer RowOf(const TTreeNode* node) const;
  // Scrolls the node's row into view, and sideways when no part of its label shows (with
  // `labelStart`, when the label's start does not).
  void ScrollIntoView(const TTreeNode* node, bool labelStart = false);
  Integer RowCount() override { return static_cast<Integer>(VisibleNodes().size()); }
  Integer RowHeight() override { return ItemHeight(); }
  Integer MeasureContentWidth() override;
  void LayoutChanged() override { NodesChanged(); }
  void EditDelayElapsed() override;
  void BeforeScroll() override;
  void NodeDeleting(TTreeNode* node);
  void NodesChanged();
  bool SortsByText() const;
  // The order AlphaSort gives: OnCompare's when the tree has one, else the texts ignoring case.
  static bool NodeBefore(TCustomTreeView* tree, TTreeNode* a, TTreeNode* b);
  // A text changed among the children of `parent` (the top level when null): with a
  // SortType by text they are sorted again (the top level sorts the whole tree).
  void SortAfterTextChange(TTreeNode* parent);
  void ToggleExpand(TTreeNode* node);
  void SelectByUser(TTreeNode* node);
  bool BeginEdit(TTreeNode* node);
  void PaintRow(TTreeNode* node, Integer row);
  void ImagesChanged(TObject* Sender);

  std::unique_ptr<TTreeNodes> items_;
  TTreeNode* selected_ = nullptr;
  TInplaceEdit<TTreeNode> edit_;
  TTreeNode* clickNode_ = nullptr;  // pressed on the label of the selected node
  TTreeNode* rightClickNode_ = nullptr;
  std::unique_ptr<TChangeLink> imageLink_;
  std::unique_ptr<TChangeLink> stateLink_;

  bool autoExpand_ = false;
  Integer changeDelay_ = 0;
  bool hotTrack_ = false;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* stateImages_ = nullptr;
  Integer indent_ = 19;
  bool rightClickSelect_ = false;
  bool showButtons_ = true;
  bool showLines_ = true;
  bool showRoot_ = true;
  TSortType sortType_ = stNone;
  bool toolTips_ = true;
};

class TTreeView : public TCustomTreeView {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};
