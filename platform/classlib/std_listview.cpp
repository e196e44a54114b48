#include "platform/classlib/std_listview.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_imagelist_link.h"
#include "platform/classlib/std_item_blob.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/rect.h"
#include "platform/win/text/text.h"
#include "platform/win/timers.h"

namespace {

const bool kListViewRegistered = [] {
  RegisterClass(TListView::StaticClass());
  return true;
}();

constexpr Integer kCheckArea = 16;
constexpr Integer kCheckBox = 13;

// How a header or cell text of a column is drawn: one line, centred upright, aligned as
// the column says.
win::UINT CellFlags(const TListColumn* col) {
  return win::DT_SINGLELINE | win::DT_VCENTER | win::DT_NOPREFIX | AlignmentTextFlags(col->Alignment());
}

}  // namespace

// What the in-place editor of a caption reports as its class.
const TClass& ListEditorClass() {
  static const TClass cls("TListEditor", &TCustomEdit::StaticClass(), nullptr, nullptr);
  return cls;
}

const TEnumInfo& ViewStyleInfo() {
  static const TEnumInfo info("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  return info;
}

// ---- TListColumn ------------------------------------------------------------------------------------

const TClass& TListColumn::StaticClass() {
  static const TClass cls = TClass::Of<TListColumn>("TListColumn", TCollectionItem::StaticClass(), &TListColumn::Publish);
  return cls;
}

TListColumn::TListColumn(TCollection* collection) : TCollectionItem(collection) {}

void TListColumn::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TListColumn*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  caption_ = other->caption_;
  width_ = other->width_;
  alignment_ = other->alignment_;
  autoSize_ = other->autoSize_;
  minWidth_ = other->minWidth_;
  maxWidth_ = other->maxWidth_;
  imageIndex_ = other->imageIndex_;
  Changed(false);
}

std::string TListColumn::DisplayName() const { return caption_.empty() ? TCollectionItem::DisplayName() : caption_; }

void TListColumn::SetCaption(const std::string& value) {
  if (caption_ == value) return;
  caption_ = value;
  Changed(false);
}

void TListColumn::SetWidth(Integer value) {
  if (value < 0) value = 0;
  if (minWidth_ > 0 && value < minWidth_) value = minWidth_;
  if (maxWidth_ > 0 && value > maxWidth_) value = maxWidth_;
  if (width_ == value) return;
  width_ = value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Changed(false);
}

void TListColumn::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  Changed(false);
}

void TListColumn::SetMinWidth(Integer value) {
  minWidth_ = std::max<Integer>(value, 0);
  SetWidth(width_);
}

void TListColumn::SetMaxWidth(Integer value) {
  maxWidth_ = std::max<Integer>(value, 0);
  SetWidth(width_);
}

void TListColumn::SetImageIndex(Integer value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  Changed(false);
}

void TListColumn::Publish(TPublished& published) {
  auto p = published.For<TListColumn>();
  p.Enum("Alignment", AlignmentInfo(), &TListColumn::Alignment, &TListColumn::SetAlignment).Default(taLeftJustify);
  p.Boolean("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize).Default(false);
  p.String("Caption", &TListColumn::Caption, &TListColumn::SetCaption).Default("");
  p.Integer("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex).Default(-1);
  p.Integer("MaxWidth", &TListColumn::MaxWidth, &TListColumn::SetMaxWidth).Default(0);
  p.Integer("MinWidth", &TListColumn::MinWidth, &TListColumn::SetMinWidth).Default(0);
  p.Integer("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50);
}

// ---- TListColumns ----------------------------------------------------------------------------------

const TClass& TListColumns::StaticClass() {
  static const TClass cls = TClass::Of<TListColumns>("TListColumns", TCollection::StaticClass());
  return cls;
}

TListColumns::TListColumns(TCustomListView* owner) : TCollection(TListColumn::StaticClass()), owner_(owner) {}

TPersistent* TListColumns::GetOwner() { return owner_; }

void TListColumns::Update(TCollectionItem* item) {
  TCollection::Update(item);
  // A column's width changes the items' width, so the horizontal bar.
  if (owner_) owner_->ItemsChanged();
}

// ---- TListItem -----------------------------------------------------------------------------------------

const TClass& TListItem::StaticClass() {
  static const TClass cls = TClass::Of<TListItem>("TListItem", TPersistent::StaticClass());
  return cls;
}

TListItem::TListItem(TListItems* owner) : owner_(owner), subItems_(std::make_unique<TStringList>()) {
  subItems_->OnChange = [this](TObject*) {
    if (TCustomListView* view = ListView()) view->ItemsChanged();
  };
}

TListItem::~TListItem() {
  subItems_->OnChange = nullptr;
  if (TCustomListView* view = ListView()) view->ItemDeleting(this);
  auto& items = owner_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  if (it != items.end()) items.erase(it);
  if (TCustomListView* view = ListView()) view->ItemsChanged();
}

TCustomListView* TListItem::ListView() const { return owner_ ? owner_->owner_ : nullptr; }

Integer TListItem::Index() const { return owner_->IndexOf(this); }

void TListItem::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TListItem*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  SetCaption(other->caption_);
  subItems_->Assign(other->subItems_.get());
  SetImageIndex(other->imageIndex_);
  SetStateIndex(other->stateIndex_);
  data_ = other->data_;
  SetChecked(other->checked_);
}

// OnChanging may refuse the change; a made change fires OnChange and repaints.
template <class T>
void TListItem::ChangeField(T& field, const T& value, TItemChange change) {
  if (field == value) return;
  TCustomListView* view = ListView();
  if (view && !view->CanChange(this, change)) return;
  field = value;
  if (view) {
    view->Change(this, change);
    view->ItemsChanged();
  }
}

void TListItem::SetCaption(const std::string& value) { ChangeField(caption_, value, ctText); }

void TListItem::SetImageIndex(Integer value) { ChangeField(imageIndex_, value, ctImage); }

void TListItem::SetStateIndex(Integer value) { ChangeField(stateIndex_, std::max<Integer>(value, -1), ctState); }

void TListItem::SetChecked(bool value) { ChangeField(checked_, value, ctState); }

bool TListItem::Selected() const {
  TCustomListView* view = ListView();
  return view && (view->selected_ == this || (view->multiSelect_ && marked_));
}

void TListItem::SetSelected(bool value) {
  TCustomListView* view = ListView();
  if (!view) return;
  if (value) {
    view->SetSelected(this);
  } else if (view->selected_ == this) {
    view->SetSelected(nullptr);
  } else if (marked_) {
    marked_ = false;
    view->Invalidate();
  }
}

bool TListItem::Focused() const { return Selected(); }
void TListItem::SetFocused(bool value) { SetSelected(value); }

void TListItem::Delete() { delete this; }

bool TListItem::EditCaption() {
  TCustomListView* view = ListView();
  return view && view->BeginEdit(this);
}

void TListItem::CancelEdit() {
  TCustomListView* view = ListView();
  if (view && view->edit_.Item() == this) view->edit_.Finish(true);
}

void TListItem::MakeVisible(bool) {
  if (TCustomListView* view = ListView()) view->ScrollIntoView(this, true);
}

TRect TListItem::DisplayRect(bool labelOnly) const {
  TCustomListView* view = ListView();
  if (!view) return TRect{};
  Integer row = view->RowOf(this);
  if (row < 0) return TRect{};
  auto parts = view->PartsOf(this, row);
  Integer h = view->ItemHeight();
  if (labelOnly) return TRect{parts.x2, parts.top, parts.labelRight, parts.top + h};
  return TRect{0, parts.top, view->ClientWidth(), parts.top + h};
}

// ---- TListItems ---------------------------------------------------------------------------------------

const TClass& TListItems::StaticClass() {
  static const TClass cls = TClass::Of<TListItems>("TListItems", TPersistent::StaticClass());
  return cls;
}

TListItems::TListItems(TCustomListView* owner) : owner_(owner) {}

TListItems::~TListItems() {
  owner_ = nullptr;  // the view is going: items reach it no more
  while (!items_.empty()) delete items_.back();
}

TListItem* TListItems::Item(Integer index) const {
  if (index < 0 || index >= Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return items_[static_cast<std::size_t>(index)];
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(Integer index) {
  if (index < 0 || index > Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  auto* item = new TListItem(this);
  items_.insert(items_.begin() + index, item);
  if (owner_) {
    owner_->InsertItem(item);
    owner_->ItemsChanged();
  }
  return item;
}

void TListItems::Delete(Integer index) { delete Item(index); }

void TListItems::Clear() {
  WithinUpdate(*this, [&] {
    while (!items_.empty()) delete items_.back();
  });
}

Integer TListItems::IndexOf(const TListItem* value) const {
  auto it = std::find(items_.begin(), items_.end(), value);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

void TListItems::BeginUpdate() { ++updateCount_; }

void TListItems::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && owner_) owner_->ItemsChanged();
}

void TListItems::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TListItems*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  WithinUpdate(*this, [&] {
    Clear();
    for (TListItem* from : other->items_) Add()->Assign(from);
  });
}

namespace {

struct StoredItem {
  std::int32_t image = -1, state = -1;
  bool checked = false;
  std::string caption;
  std::vector<std::string> subItems;
};

// The smallest item record: two indexes, the check byte, an empty caption, no sub-items.
constexpr std::size_t kMinItemBytes = 4 + 4 + 1 + 1 + 4;

}  // namespace

void TListItems::WriteData(TStream& stream) const {
  PutBlobI32(stream, Count());
  for (const TListItem* item : items_) {
    PutBlobI32(stream, item->imageIndex_);
    PutBlobI32(stream, item->stateIndex_);
    std::uint8_t checked = item->checked_ ? 1 : 0;
    stream.WriteBuffer(&checked, 1);
    PutBlobString(stream, item->caption_);
    PutBlobI32(stream, item->subItems_->Count());
    for (Integer i = 0; i < item->subItems_->Count(); ++i) PutBlobString(stream, item->subItems_->Strings(i));
  }
}

void TListItems::ReadData(TStream& stream) {
  TItemBlob r(stream, "Invalid list item data", "List item data is cut short");
  std::int32_t count = r.I32();
  if (count < 0 || static_cast<std::size_t>(count) > r.Left() / kMinItemBytes)
    throw EReadError("Invalid list item count");
  std::vector<StoredItem> stored(static_cast<std::size_t>(count));
  for (StoredItem& s : stored) {
    s.image = r.I32();
    s.state = r.I32();
    s.checked = r.Byte() != 0;
    s.caption = r.Str();
    std::int32_t subs = r.I32();
    if (subs < 0 || static_cast<std::size_t>(subs) > r.Left()) throw EReadError("Invalid list item count");
    for (std::int32_t i = 0; i < subs; ++i) s.subItems.push_back(r.Str());
  }
  WithinUpdate(*this, [&] {
    Clear();
    for (const StoredItem& s : stored) {
      TListItem* item = Add();
      item->caption_ = s.caption;
      item->imageIndex_ = s.image;
      item->stateIndex_ = s.state < -1 ? -1 : s.state;
      item->checked_ = s.checked;
      for (const std::string& sub : s.subItems) item->subItems_->Add(sub);
    }
  });
}

void TListItems::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !items_.empty());
}

// ---- TCustomListView -----------------------------------------------------------------------------------

const TClass& TCustomListView::StaticClass() {
  static const TClass cls = TClass::Of<TCustomListView>("TCustomListView", TCustomControl::StaticClass());
  return cls;
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TCustomItemView(AOwner, 250, 150),
      columns_(std::make_unique<TListColumns>(this)),
      items_(std::make_unique<TListItems>(this)),
      edit_(this, ListEditorClass(), [this](TListItem* item, std::string& text) { Edit(item, text); },
            [](TListItem* item, const std::string& text) { item->SetCaption(text); }),
      imageLink_(std::make_unique<TChangeLink>()) {
  imageLink_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListView::~TCustomListView() {
  Destroying();
  selected_ = nullptr;
  edit_.DestroyEditor();
  items_.reset();
}

TCustomEdit* TCustomListView::EditControl() const { return edit_.Item() ? edit_.Editor() : nullptr; }

// ---- events ----

bool TCustomListView::CanChange(TListItem* Item, TItemChange Change) {
  if (ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading)) return true;
  bool allow = true;
  if (OnChanging) OnChanging(this, Item, Change, allow);
  return allow;
}

void TCustomListView::Change(TListItem* Item, TItemChange Change) {
  if (ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading)) return;
  if (OnChange) OnChange(this, Item, Change);
}

void TCustomListView::DoSelectItem(TListItem* Item, bool Selected) {
  if (OnSelectItem) OnSelectItem(this, Item, Selected);
}

bool TCustomListView::CanEdit(TListItem* Item) {
  bool allow = true;
  if (OnEditing) OnEditing(this, Item, allow);
  return allow;
}

void TCustomListView::Edit(TListItem* Item, std::string& S) {
  if (OnEdited) OnEdited(this, Item, S);
}

void TCustomListView::Delete(TListItem* Item) {
  if (OnDeletion) OnDeletion(this, Item);
}

void TCustomListView::InsertItem(TListItem* Item) {
  if (OnInsert) OnInsert(this, Item);
}

void TCustomListView::ColClick(TListColumn* Column) {
  if (OnColumnClick) OnColumnClick(this, Column);
}

// ---- selection and items ----

void TCustomListView::SetSelected(TListItem* value) {
  if (value && value->owner_ != items_.get()) return;
  if (ClearMarks()) Invalidate();
  FocusItem(value);
  if (value && selected_ == value) value->marked_ = true;
}

void TCustomListView::FocusItem(TListItem* value) {
  if (value == selected_) return;
  if (value && value->owner_ != items_.get()) return;
  if (edit_.Item()) edit_.Finish(false);
  TListItem* old = selected_;
  if (old && !CanChange(old, ctState)) return;
  if (value && !CanChange(value, ctState)) return;
  selected_ = nullptr;
  if (old) {
    Change(old, ctState);
    DoSelectItem(old, old->Selected());
  }
  selected_ = value;
  if (value) {
    ScrollIntoView(value);
    Change(value, ctState);
    DoSelectItem(value, true);
  }
  Invalidate();
}

bool TCustomListView::ClearMarks() {
  bool any = false;
  for (Integer i = 0; items_ && i < items_->Count(); ++i) {
    TListItem* item = items_->Item(i);
    any = any || (item->marked_ && item != selected_);
    item->marked_ = false;
  }
  return any;
}

Integer TCustomListView::SelCount() const {
  if (!multiSelect_) return selected_ ? 1 : 0;
  Integer n = 0;
  for (Integer i = 0; i < items_->Count(); ++i) n += items_->Item(i)->Selected() ? 1 : 0;
  return n;
}

void TCustomListView::SetMultiSelect(bool value) {
  if (multiSelect_ == value) return;
  ClearMarks();
  if (selected_) selected_->marked_ = true;
  multiSelect_ = value;
  Invalidate();
}

void TCustomListView::ClickSelect(TListItem* item, TShiftState Shift) {
  const bool ctrl = multiSelect_ && Shift.Contains(ssCtrl), shift = multiSelect_ && Shift.Contains(ssShift);
  if (!ctrl && !shift) {
    SetSelected(item);
    anchor_ = item;
    return;
  }
  if (shift) {
    TListItem* from = anchor_ ? anchor_ : selected_ ? selected_ : item;
    const Integer a = std::min(from->Index(), item->Index()), b = std::max(from->Index(), item->Index());
    if (!ctrl) ClearMarks();
    for (Integer i = a; i <= b; ++i) items_->Item(i)->marked_ = true;
    FocusItem(item);
    Invalidate();
    return;
  }
  // Ctrl alone: this item in or out; the focus goes to it, or off it to another selected one.
  anchor_ = item;
  item->marked_ = !item->Selected();
  if (item->marked_) {
    FocusItem(item);
  } else if (item == selected_) {
    TListItem* next = nullptr;
    for (Integer i = 0; i < items_->Count() && !next; ++i)
      if (items_->Item(i)->marked_) next = items_->Item(i);
    FocusItem(next);
  } else {
    DoSelectItem(item, false);
  }
  Invalidate();
}

void TCustomListView::ItemDeleting(TListItem* item) {
  if (ComponentState().Contains(csDestroying)) return;
  if (item == edit_.Item()) edit_.Finish(true);
  if (item == edit_.Finishing()) edit_.ForgetFinishing();
  if (item == clickItem_) clickItem_ = nullptr;
  if (item == anchor_) anchor_ = nullptr;
  Delete(item);
  // A deleted item leaves nothing selected.
  if (item == selected_) selected_ = nullptr;
}

void TCustomListView::ItemsChanged() {
  ContentChanged();
  if (!items_ || items_->updateCount_ > 0) return;
  ClampTop();
  Invalidate();
}

void TCustomListView::ToggleCheck(TListItem* item) {
  if (item) item->SetChecked(!item->Checked());
}

// ---- geometry ----

Integer TCustomListView::ItemHeight() {
  Integer h = FontLineHeight(Font()) + 3;
  if (smallImages_) h = std::max(h, smallImages_->Height());
  if (stateImages_) h = std::max(h, stateImages_->Height());
  if (checkboxes_) h = std::max(h, kCheckArea);
  return h;
}

Integer TCustomListView::HeaderHeight() {
  return viewStyle_ == vsReport && showColumnHeaders_ ? FontLineHeight(Font()) + 7 : 0;
}

Integer TCustomListView::ColumnWidth(Integer index) {
  if (columns_->Count() == 0) return index == 0 ? std::max(RowsWidth(), ContentWidth()) : 0;
  return columns_->Items(index)->Width();
}

Integer TCustomListView::WidestCaption() {
  Integer widest = 0;
  for (Integer i = 0; items_ && i < items_->Count(); ++i)
    widest = std::max(widest, UnscrolledPartsOf(items_->Item(i), 0).labelRight);
  return widest;
}

Integer TCustomListView::MeasureContentWidth() {
  if (!columns_ || columns_->Count() == 0) return WidestCaption();
  return ColumnLeft(columns_->Count());
}

Integer TCustomListView::ColumnLeft(Integer index) const {
  Integer x = 0;
  for (Integer i = 0; i < index && i < columns_->Count(); ++i) x += columns_->Items(i)->Width();
  return x;
}

Integer TCustomListView::ColumnAt(Integer X) const {
  X += scrollX_;
  Integer x = 0;
  for (Integer i = 0; i < columns_->Count(); ++i) {
    Integer w = columns_->Items(i)->Width();
    if (X >= x && X < x + w) return i;
    x += w;
  }
  return -1;
}

Integer TCustomListView::RowOf(const TListItem* item) const {
  Integer index = items_->IndexOf(item);
  return index < 0 ? -1 : index - topRow_;
}

void TCustomListView::ScrollIntoView(const TListItem* item, bool sideways, bool labelStart) {
  Integer index = items_->IndexOf(item);
  if (index < 0) return;
  if (index < topRow_) topRow_ = index;
  if (index >= topRow_ + PageRows()) topRow_ = index - PageRows() + 1;
  ClampTop();
  if (sideways) {
    RowParts p = PartsOf(item, RowOf(item));
    ScrollLabelIntoView(p.x0, p.x2, p.labelRight, labelStart);
  }
  Invalidate();
}

TListItem* TCustomListView::TopItem() const {
  return topRow_ < items_->Count() ? items_->Item(topRow_) : nullptr;
}

TCustomListView::RowParts TCustomListView::UnscrolledPartsOf(const TListItem* item, Integer row) {
  RowParts p;
  p.top = HeaderHeight() + row * ItemHeight();
  Integer x = 0;
  if (checkboxes_)
    x += kCheckArea;
  else if (stateImages_ && item->StateIndex() >= 0)
    x += stateImages_->Width();
  p.x1 = x;
  if (smallImages_) x += smallImages_->Width();
  p.x2 = x;
  p.labelRight = x + MeasureText(Font(), item->Caption()).cx + 4;
  return p;
}

TCustomListView::RowParts TCustomListView::PartsOf(const TListItem* item, Integer row) {
  RowParts p = UnscrolledPartsOf(item, row);
  p.labelRight = std::min<Integer>(p.labelRight, std::max<Integer>(ColumnWidth(0), p.x2));
  p.x0 -= scrollX_;
  p.x1 -= scrollX_;
  p.x2 -= scrollX_;
  p.labelRight -= scrollX_;
  return p;
}

TListItem* TCustomListView::GetItemAt(Integer X, Integer Y) {
  THitTests hit = GetHitTestInfoAt(X, Y);
  if (!hit.Contains(htOnItem)) return nullptr;
  Integer index = (Y - HeaderHeight()) / ItemHeight() + topRow_;
  return items_->Item(index);
}

THitTests TCustomListView::GetHitTestInfoAt(Integer X, Integer Y) {
  THitTests result = HitsOutside(X, Y);
  if (!result.Empty()) return result;
  Integer y = Y - HeaderHeight();
  if (y < 0) return THitTests{htNowhere};
  Integer index = y / ItemHeight() + topRow_;
  if (index >= items_->Count()) return THitTests{htNowhere};
  TListItem* item = items_->Item(index);
  RowParts p = PartsOf(item, index - topRow_);
  if (X < p.x1) return THitTests{htOnItem, htOnStateIcon};
  if (X < p.x2) return THitTests{htOnItem, htOnIcon};
  if (X < p.labelRight) return THitTests{htOnItem, htOnLabel};
  // Beside the caption only a whole-row selection counts as the item.
  if (rowSelect_) return THitTests{htOnItem};
  return THitTests{htNowhere};
}

// ---- editing ----

bool TCustomListView::BeginEdit(TListItem* item) {
  if (!item || item->owner_ != items_.get() || readOnly_ || edit_.Item()) return false;
  edit_.StopTimer();
  if (!CanEdit(item)) return false;
  ScrollIntoView(item, true, true);
  edit_.Start(item, item->Caption(), [&] {
    RowParts p = PartsOf(item, RowOf(item));
    return TInplaceEdit<TListItem>::Bounds{p.x2, p.top, std::max<Integer>(ColumnWidth(0) - scrollX_ - p.x2, 40),
                                           ItemHeight()};
  });
  return true;
}

// ---- properties ----

void TCustomListView::SetViewStyle(TViewStyle value) {
  if (viewStyle_ == value) return;
  viewStyle_ = value;
  ItemsChanged();
}

void TCustomListView::SetCheckboxes(bool value) {
  if (checkboxes_ == value) return;
  checkboxes_ = value;
  ItemsChanged();
}

void TCustomListView::SetShowColumnHeaders(bool value) {
  if (showColumnHeaders_ == value) return;
  showColumnHeaders_ = value;
  ItemsChanged();
}

void TCustomListView::SetSmallImages(TCustomImageList* value) {
  if (ReplaceImageList(this, smallImages_, value, imageLink_.get())) ItemsChanged();
}

void TCustomListView::SetLargeImages(TCustomImageList* value) {
  // Large images are kept for the icon style, which is drawn as the report here.
  ReplaceImageList(this, largeImages_, value, nullptr);
}

void TCustomListView::SetStateImages(TCustomImageList* value) {
  // One change link serves the small images; the state list is watched through paints.
  if (ReplaceImageList(this, stateImages_, value, nullptr)) ItemsChanged();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomItemView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == smallImages_) smallImages_ = nullptr;
  if (AComponent == largeImages_) largeImages_ = nullptr;
  if (AComponent == stateImages_) stateImages_ = nullptr;
  ItemsChanged();
}

// ---- input ----

void TCustomListView::BeforeScroll() {
  if (edit_.Item()) edit_.Finish(false);
}

void TCustomListView::EditDelayElapsed() {
  edit_.StopTimer();
  if (selected_ && !edit_.Item()) BeginEdit(selected_);
}

void TCustomListView::KeyDown(Word& Key, TShiftState Shift) {
  TCustomItemView::KeyDown(Key, Shift);
  Integer count = items_->Count();
  if (count == 0 || Key == 0) return;
  Integer cur = selected_ ? selected_->Index() : -1;
  auto go = [&](Integer i) { SetSelected(items_->Item(std::clamp<Integer>(i, 0, count - 1))); };
  switch (Key) {
    case win::VK_UP: go(cur < 0 ? 0 : cur - 1); break;
    case win::VK_DOWN: go(cur + 1); break;
    case win::VK_PRIOR: go(cur - PageRows() + 1); break;
    case win::VK_NEXT: go(std::max<Integer>(cur, 0) + PageRows() - 1); break;
    case win::VK_HOME: go(0); break;
    case win::VK_END: go(count - 1); break;
    case win::VK_LEFT: ScrollXTo(scrollX_ - HorzLine); break;
    case win::VK_RIGHT: ScrollXTo(scrollX_ + HorzLine); break;
    case win::VK_SPACE:
      if (checkboxes_ && selected_) ToggleCheck(selected_);
      break;
    default: break;
  }
}

void TCustomListView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (CanFocus() && !Focused()) SetFocus();
  if (Button == mbLeft) {
    clickItem_ = nullptr;
    Integer header = HeaderHeight();
    if (Y >= 0 && Y < header) {
      Integer col = ColumnAt(X);
      if (col >= 0 && columnClick_) ColClick(columns_->Items(col));
    } else {
      THitTests hit = GetHitTestInfoAt(X, Y);
      TListItem* item = GetItemAt(X, Y);
      if (Shift.Contains(ssDouble)) {
        edit_.StopTimer();
      } else if (item && checkboxes_ && hit.Contains(htOnStateIcon)) {
        ToggleCheck(item);
      } else if (item) {
        if (item == selected_ && hit.Contains(htOnLabel) && !readOnly_ && SelCount() == 1 &&
            !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift))
          clickItem_ = item;
        else {
          edit_.StopTimer();
          ClickSelect(item, Shift);
        }
      } else {
        edit_.StopTimer();
        SetSelected(nullptr);
      }
    }
  } else if (Button == mbRight) {
    // The right button selects the item under it, as the window system's list does.
    if (TListItem* item = GetItemAt(X, Y)) SetSelected(item);
  }
  TCustomItemView::MouseDown(Button, Shift, X, Y);
}

void TCustomListView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && clickItem_) {
    if (GetItemAt(X, Y) == clickItem_ && GetHitTestInfoAt(X, Y).Contains(htOnLabel)) edit_.StartTimer();
    clickItem_ = nullptr;
  }
  TCustomItemView::MouseUp(Button, Shift, X, Y);
}

// ---- painting ----

void TCustomListView::PaintHeader(TCanvas* c) {
  Integer h = HeaderHeight();
  if (h == 0) return;
  Integer x = -scrollX_;
  Integer count = std::max<Integer>(columns_->Count(), 0);
  for (Integer i = 0; i < count; ++i) {
    TListColumn* col = columns_->Items(i);
    TRect r{x, 0, x + col->Width(), h};
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    TRect e = r;
    win::DrawEdge(c->Handle(), &e, win::EDGE_RAISED, win::BF_RECT);
    TRect tr{r.left + 6, r.top, r.right - 6, r.bottom};
    std::string text = col->Caption();
    DrawTextOn(c, text, tr, CellFlags(col), clBtnText);
    x += col->Width();
  }
  if (x < ClientWidth()) {
    TRect rest{x, 0, ClientWidth(), h};
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(rest);
    TRect e = rest;
    win::DrawEdge(c->Handle(), &e, win::EDGE_RAISED, win::BF_RECT);
  }
}

void TCustomListView::PaintRow(TCanvas* c, TListItem* item, Integer row) {
  RowParts p = PartsOf(item, row);
  Integer h = ItemHeight();
  bool selected = item->Selected();
  bool showSel = ShowsSelection(selected);
  TColor selText = SelectionTextColor();
  Integer lineH = FontLineHeight(Font());

  if (showSel && rowSelect_) FillSelection(c, TRect{0, p.top, ClientWidth(), p.top + h});
  if (checkboxes_) {
    TRect box = Bounds(p.x0 + 2, p.top + (h - kCheckBox) / 2, kCheckBox, kCheckBox);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWindow);
    c->FillRect(box);
    TRect e = box;
    win::DrawEdge(c->Handle(), &e, win::EDGE_SUNKEN, win::BF_RECT);
    if (item->Checked()) DrawCheckMark(c, box, clWindowText);
  } else if (stateImages_ && item->StateIndex() >= 0) {
    stateImages_->Draw(c, p.x0, p.top + (h - stateImages_->Height()) / 2, item->StateIndex());
  }
  if (smallImages_ && item->ImageIndex() >= 0)
    smallImages_->Draw(c, p.x1, p.top + (h - smallImages_->Height()) / 2, item->ImageIndex(), Enabled());

  TRect label{p.x2, p.top, p.labelRight, p.top + h};
  if (showSel && !rowSelect_) FillSelection(c, label);
  c->Brush()->SetStyle(bsClear);
  TColor text = !Enabled() ? clGrayText : showSel ? selText : Font()->Color();
  c->Font()->SetColor(text);
  Integer ty = p.top + (h - lineH) / 2;
  {
    TClipRect clip(c->Handle(), TRect{p.x0, p.top, p.x0 + ColumnWidth(0), p.top + h});
    c->TextOut(p.x2 + 2, ty, item->Caption());
  }
  // Sub-items in the further columns.
  TColor subText = !Enabled() ? clGrayText : (showSel && rowSelect_) ? selText : Font()->Color();
  for (Integer i = 1; i < columns_->Count() && i - 1 < item->SubItems()->Count(); ++i) {
    Integer left = ColumnLeft(i) - scrollX_;
    TRect cell{left + 6, p.top, left + ColumnWidth(i) - 6, p.top + h};
    std::string s = item->SubItems()->Strings(i - 1);
    DrawTextOn(c, s, cell, CellFlags(columns_->Items(i)), subText);
  }
  if (selected && focused_) c->DrawFocusRect(rowSelect_ ? TRect{0, p.top, ClientWidth(), p.top + h} : label);
}

void TCustomListView::Paint() {
  TCanvas* c = PaintBackground();
  Integer rows = PageRows() + 1;
  for (Integer r = 0; r < rows && topRow_ + r < items_->Count(); ++r) PaintRow(c, items_->Item(topRow_ + r), r);
  PaintHeader(c);
}

// ---- TListView -----------------------------------------------------------------------------------------

const TClass& TListView::StaticClass() {
  static const TClass cls = TClass::Of<TListView>("TListView", TCustomListView::StaticClass(), &TListView::Publish);
  return cls;
}

void TListView::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Align",      "Anchors",     "Color",      "Constraints", "Ctl3D",      "DragCursor",
                  "DragMode",   "Enabled",     "Font",       "ParentColor", "ParentCtl3D", "ParentFont",
                  "ParentShowHint", "PopupMenu", "ShowHint",   "TabOrder",    "TabStop",    "Visible",
                  "OnClick",    "OnDblClick",  "OnEnter",    "OnExit",      "OnKeyDown",  "OnKeyPress",
                  "OnKeyUp",    "OnMouseDown", "OnMouseMove", "OnMouseUp",  "OnResize"});
  auto p = published.For<TCustomListView>();
  p.Enum("BorderStyle", BorderStyleInfo(), &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle)
      .Default(bsSingle);
  p.Boolean("Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes).Default(false);
  p.Collection("Columns", &TCustomListView::Columns, &TCustomListView::SetColumns);
  p.Boolean("ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick).Default(true);
  p.Boolean("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection).Default(true);
  p.Object("Items", &TCustomListView::Items, &TCustomListView::SetItems);
  p.Component("LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages);
  p.Boolean("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect).Default(false);
  p.Boolean("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly).Default(false);
  p.Boolean("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect).Default(false);
  p.Boolean("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders)
      .Default(true);
  p.Component("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages);
  p.Component("StateImages", &TCustomListView::StateImages, &TCustomListView::SetStateImages);
  p.Enum("ViewStyle", ViewStyleInfo(), &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle).Default(vsIcon);
  p.Event("OnChange", &TCustomListView::OnChange);
  p.Event("OnChanging", &TCustomListView::OnChanging);
  p.Event("OnColumnClick", &TCustomListView::OnColumnClick);
  p.Event("OnDeletion", &TCustomListView::OnDeletion);
  p.Event("OnEdited", &TCustomListView::OnEdited);
  p.Event("OnEditing", &TCustomListView::OnEditing);
  p.Event("OnInsert", &TCustomListView::OnInsert);
  p.Event("OnSelectItem", &TCustomListView::OnSelectItem);
  published.Redefault("TabStop", Int64{1});
  published.Redefault("ParentColor", Int64{0});
}
