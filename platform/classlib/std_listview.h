#pragma once
// TListView: items (TListItem: caption, sub-items, image, state image, check box, data)
// shown in columns (TListColumn) under a header, one row per item. Every view style
// is drawn as the report: the other styles are kept for form files only.
//
// Row layout, client pixels, row r counted from TopItem, H = ItemHeight:
//   top        HeaderHeight + r x H (the header is FontLine + 7 high when shown)
//   state      [0, S) with S = 16 when Checkboxes (the box 13 x 13 at (2, top + (H-13)/2)),
//              else the width of StateImages when the item has a state image, else 0
//   icon       [S, S + SmallImages.Width)
//   label      from there to the label text's width + 4, inside the first column
//   sub-items  column i from its left edge, the text 6 pixels in
// all of it, header too, moved ScrollX pixels left. The items' width is the columns' (or,
// without columns, the widest caption's); Left and Right scroll sideways.
// Changes of an item's caption (ctText), image (ctImage), selection or check (ctState)
// ask OnChanging (which may refuse) and then fire OnChange, from code too; a selection
// change also fires OnSelectItem for the item left and the item chosen.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/collection.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/std_inplace_edit.h"
#include "platform/classlib/std_treeview.h"
#include "platform/classlib/std_item_view.h"
#include "platform/classlib/strings.h"

class TCustomListView;
class TListItems;
class TCustomEdit;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange { ctText, ctImage, ctState };
const TEnumInfo& ViewStyleInfo();

class TListItem;
class TListColumn;

using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
using TLVDeletedEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;

class TListColumn : public TCollectionItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TListColumn(TCollection* collection);

  void Assign(TPersistent* source) override;
  std::string DisplayName() const override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  // Kept between MinWidth and MaxWidth (0: no limit).
  Integer Width() const { return width_; }
  void SetWidth(Integer value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  Integer MinWidth() const { return minWidth_; }
  void SetMinWidth(Integer value);
  Integer MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(Integer value);
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value);

 private:
  std::string caption_;
  Integer width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = false;
  Integer minWidth_ = 0;
  Integer maxWidth_ = 0;
  Integer imageIndex_ = -1;
};

class TListColumns : public TCollection {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TListColumns(TCustomListView* owner);

  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }
  TCustomListView* Owner() const { return owner_; }
  TPersistent* GetOwner() override;

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TCustomListView* owner_;
};

class TListItem : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TListItem(TListItems* owner);
  ~TListItem() override;

  void Assign(TPersistent* source) override;

  TListItems* Owner() const { return owner_; }
  TCustomListView* ListView() const;
  Integer Index() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  TStrings* SubItems() const { return subItems_.get(); }
  void SetSubItems(TStrings* value) { subItems_->Assign(value); }
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value);
  Integer StateIndex() const { return stateIndex_; }
  void SetStateIndex(Integer value);
  void* Data() const { return data_; }
  void SetData(void* value) { data_ = value; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;
  void SetFocused(bool value);

  void Delete();
  // Starts in-place editing of the caption (OnEditing may refuse).
  bool EditCaption();
  void CancelEdit();
  void MakeVisible(bool partialOK = false);
  // The row, or with labelOnly the caption's label, in client coordinates (empty when
  // the item is scrolled out of view).
  TRect DisplayRect(bool labelOnly) const;

 private:
  friend class TListItems;
  friend class TCustomListView;

  template <class T>
  void ChangeField(T& field, const T& value, TItemChange change);

  TListItems* owner_;
  std::string caption_;
  std::unique_ptr<TStringList> subItems_;
  Integer imageIndex_ = -1;
  Integer stateIndex_ = -1;
  void* data_ = nullptr;
  bool checked_ = false;
  bool marked_ = false;  // among the selection of a MultiSelect view
};

class TListItems : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TListItems(TCustomListView* owner);
  ~TListItems() override;

  TCustomListView* Owner() const { return owner_; }
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  // Raises EListError for a bad index.
  TListItem* Item(Integer index) const;
  TListItem* Add();
  TListItem* Insert(Integer index);
  void Delete(Integer index);
  void Clear();
  Integer IndexOf(const TListItem* value) const;
  void BeginUpdate();
  void EndUpdate();

  void Assign(TPersistent* source) override;

  // The stored form of the items ("Data"): i32 count, then each item as i32 ImageIndex,
  // i32 StateIndex, a byte (1: checked), a length byte and the caption, i32 sub-item
  // count, and each sub-item as a length byte and its text. Reading checks every count
  // against the bytes left and replaces the items only when it was all good.
  void WriteData(TStream& stream) const;
  void ReadData(TStream& stream);

 protected:
  void DefineProperties(TFiler* filer) override;

 private:
  friend class TListItem;
  friend class TCustomListView;

  TCustomListView* owner_;
  std::vector<TListItem*> items_;
  Integer updateCount_ = 0;
};

class TCustomListView : public TCustomItemView {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListColumns* Columns() const { return columns_.get(); }
  void SetColumns(TListColumns* value) { columns_->Assign(value); }
  TListItems* Items() const { return items_.get(); }
  void SetItems(TListItems* value) { items_->Assign(value); }
  // The focused item, which is selected; a MultiSelect view may have more (SelCount).
  TListItem* Selected() const { return selected_; }
  // As a click does: OnChanging for the old and new item, then the changes. The item
  // becomes the only one selected.
  void SetSelected(TListItem* value);
  Integer SelCount() const;
  TListItem* ItemFocused() const { return selected_; }
  void SetItemFocused(TListItem* value) { SetSelected(value); }
  TListItem* TopItem() const;
  bool IsEditing() const { return edit_.Item() != nullptr; }
  TCustomEdit* EditControl() const;

  // ---- geometry ----
  Integer ItemHeight();
  Integer HeaderHeight();
  TListItem* GetItemAt(Integer X, Integer Y);
  THitTests GetHitTestInfoAt(Integer X, Integer Y);
  // The column whose header is at a client x (-1 for none).
  Integer ColumnAt(Integer X) const;

  // ---- properties ----
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle value);
  bool Checkboxes() const { return checkboxes_; }
  void SetCheckboxes(bool value);
  bool ColumnClick() const { return columnClick_; }
  void SetColumnClick(bool value) { columnClick_ = value; }
  // Ctrl-click adds or takes away an item, Shift-click selects the rows from the last
  // clicked one.
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool value);
  TCustomImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TCustomImageList* value);
  TCustomImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* value);

  // ---- events ----
  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TLVSelectItemEvent OnSelectItem;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVDeletedEvent OnDeletion;
  TLVDeletedEvent OnInsert;
  TLVColumnClickEvent OnColumnClick;

 protected:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumns;

  virtual bool CanChange(TListItem* Item, TItemChange Change);
  virtual void Change(TListItem* Item, TItemChange Change);
  virtual void DoSelectItem(TListItem* Item, bool Selected);
  virtual bool CanEdit(TListItem* Item);
  virtual void Edit(TListItem* Item, std::string& S);
  virtual void Delete(TListItem* Item);
  virtual void InsertItem(TListItem* Item);
  virtual void ColClick(TListColumn* Column);

  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct RowParts {
    Integer top = 0;
    Integer x0 = 0;          // the item's left edge
    Integer x1 = 0;          // end of the state part
    Integer x2 = 0;          // end of the icon part
    Integer labelRight = 0;  // end of the caption's label
  };
  // The parts as laid out before scrolling, the label not cut at the first column.
  RowParts UnscrolledPartsOf(const TListItem* item, Integer row);
  RowParts PartsOf(const TListItem* item, Integer row);
  Integer RowOf(const TListItem* item) const;
  Integer ColumnLeft(Integer index) const;
  Integer ColumnWidth(Integer index);
  Integer WidestCaption();
  Integer RowCount() override { return items_ ? items_->Count() : 0; }
  Integer RowHeight() override { return ItemHeight(); }
  Integer MeasureContentWidth() override;
  Integer RowsTop() override { return HeaderHeight(); }
  void BeforeScroll() override;
  void LayoutChanged() override { ItemsChanged(); }
  void EditDelayElapsed() override;
  // Scrolls the item's row into view, and with `sideways` its caption too when no part of
  // it shows (with `labelStart`, when its start does not).
  void ScrollIntoView(const TListItem* item, bool sideways = false, bool labelStart = false);
  void ItemsChanged();
  void ItemDeleting(TListItem* item);
  void ToggleCheck(TListItem* item);
  // The focus moves to `value` (OnChanging, the changes) without touching the marks.
  void FocusItem(TListItem* value);
  bool ClearMarks();
  void ClickSelect(TListItem* item, TShiftState Shift);
  bool BeginEdit(TListItem* item);
  void PaintHeader(TCanvas* c);
  void PaintRow(TCanvas* c, TListItem* item, Integer row);

  std::unique_ptr<TListColumns> columns_;
  std::unique_ptr<TListItems> items_;
  TListItem* selected_ = nullptr;
  TListItem* clickItem_ = nullptr;
  TListItem* anchor_ = nullptr;  // where a Shift-click range starts
  TInplaceEdit<TListItem> edit_;
  std::unique_ptr<TChangeLink> imageLink_;

  TViewStyle viewStyle_ = vsIcon;
  bool checkboxes_ = false;
  bool columnClick_ = true;
  bool multiSelect_ = false;
  bool showColumnHeaders_ = true;
  TCustomImageList* smallImages_ = nullptr;
  TCustomImageList* largeImages_ = nullptr;
  TCustomImageList* stateImages_ = nullptr;
};

class TListView : public TCustomListView {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};
