#include "platform/classlib/collection.h"

#include <algorithm>

#include "platform/classlib/properties.h"

// ---- TCollectionItem ---------------------------------------------------------------

const TClass& TCollectionItem::StaticClass() {
  static const TClass cls = TClass::Of<TCollectionItem>("TCollectionItem", TPersistent::StaticClass());
  return cls;
}

TCollectionItem::TCollectionItem(TCollection* collection) {
  // Joined here so that a derived constructor already sees its collection; Add
  // announces the item once it is whole.
  if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (collection_ == value) return;
  if (value && !InheritsFrom(value->ItemClass()))
    throw CreateFmt<EListError>("Cannot add a %s to a collection of %s", ClassName(), value->ItemClass().ClassName());
  if (collection_) collection_->RemoveItem(this);
  if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int current = Index();
  if (current < 0 || current == value) return;
  auto& items = collection_->items_;
  if (value < 0 || value >= static_cast<int>(items.size())) throw CreateFmt<EListError>(msg::ListIndexError, value);
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
  Changed(true);
}

void TCollectionItem::SetDisplayName(const std::string&) { Changed(false); }

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return collection_; }

std::string TCollectionItem::GetNamePath() {
  if (!collection_) return ClassName();
  return Format("%s[%d]", collection_->GetNamePath(), Index());
}

// ---- TCollection -------------------------------------------------------------------

const TClass& TCollection::StaticClass() {
  static const TClass cls = TClass::Of<TCollection>("TCollection", TPersistent::StaticClass());
  return cls;
}

TCollection::TCollection(const TClass& itemClass) : itemClass_(&itemClass) {
  if (!itemClass.InheritsFrom(TCollectionItem::StaticClass()))
    throw CreateFmt<EInvalidOperation>("%s is not a collection item class", itemClass.ClassName());
}

TCollection::~TCollection() {
  // No change reports while going away.
  updateCount_ = 1;
  while (!items_.empty()) {
    TCollectionItem* item = items_.back();
    RemoveItem(item);
    delete item;
  }
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return items_[static_cast<std::size_t>(index)];
}

void TCollection::SetItem(int index, TCollectionItem* value) { Items(index)->Assign(value); }

TCollectionItem* TCollection::Add() {
  ++constructing_;
  TObject* obj = nullptr;
  try {
    obj = itemClass_->Create(this);
  } catch (...) {
    --constructing_;
    throw;
  }
  --constructing_;
  auto* item = static_cast<TCollectionItem*>(obj);
  if (item->collection_ != this) {
    // A class whose constructor ignores the collection: join it now.
    item->SetCollection(this);
  } else if (!item->announced_) {
    item->announced_ = true;
    Notify(item, cnAdded);
    Changed();
  }
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  // Taken out before it is freed, so that handlers see a whole item.
  RemoveItem(item);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    while (!items_.empty()) {
      TCollectionItem* item = items_.back();
      RemoveItem(item);
      delete item;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(Integer id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TCollection::GetNamePath() {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  std::string ownerPath = owner->GetNamePath();
  if (ownerPath.empty()) return ClassName();
  std::string prop = PropName();
  if (prop.empty()) return ClassName();
  return ownerPath + "." + prop;
}

std::string TCollection::PropName() {
  TPersistent* owner = GetOwner();
  if (!owner) return std::string();
  for (const TPropInfo* p : GetPropList(owner->ClassType()))
    if (p->Kind == pkCollection && p->GetObject(owner) == this) return p->Name;
  return std::string();
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextID_++;
  // While Add builds the item its derived part does not exist yet; Add announces it.
  item->announced_ = constructing_ == 0;
  if (item->announced_) {
    Notify(item, cnAdded);
    Changed();
  }
}

void TCollection::RemoveItem(TCollectionItem* item) {
  bool announced = item->announced_;
  if (announced) Notify(item, cnExtracting);
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
  item->collection_ = nullptr;
  item->announced_ = false;
  if (announced) Changed();
}

// ---- TOwnedCollection --------------------------------------------------------------

const TClass& TOwnedCollection::StaticClass() {
  static const TClass cls = TClass::Of<TOwnedCollection>("TOwnedCollection", TCollection::StaticClass());
  return cls;
}
