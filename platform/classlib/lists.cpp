#include "platform/classlib/lists.h"

#include <utility>

#include "platform/classlib/exceptions.h"

namespace {
// The largest count a list may hold, as the class library limits it.
constexpr Integer kMaxListSize = 0x7FFFFFFF / 16;
}  // namespace

// ---------------------------------------------------------------- TList

const TClass& TList::StaticClass() {
  static const TClass cls = TClass::Of<TList>("TList", TObject::StaticClass());
  return cls;
}

TList::~TList() { TList::Clear(); }

void TList::Error(const char* message, Integer data) { throw CreateFmt<EListError>(message, data); }

void TList::CheckIndex(Integer index) const {
  if (index < 0 || index >= Count()) Error(msg::ListIndexError, index);
}

void* TList::Get(Integer index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

void TList::Put(Integer index, void* item) {
  CheckIndex(index);
  void* old = items_[static_cast<std::size_t>(index)];
  if (item == old) return;
  items_[static_cast<std::size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::Grow() {
  Integer delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
  SetCapacity(capacity_ + delta);
}

TList* TList::Expand() {
  if (Count() == capacity_) Grow();
  return this;
}

Integer TList::Add(void* item) {
  Integer index = Count();
  if (index == capacity_) Grow();
  items_.push_back(item);
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(Integer index, void* item) {
  if (index < 0 || index > Count()) Error(msg::ListIndexError, index);
  if (Count() == capacity_) Grow();
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(Integer index) {
  CheckIndex(index);
  void* item = items_[static_cast<std::size_t>(index)];
  // Out of the list before anyone hears of it: a freed object must not find itself here.
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

Integer TList::Remove(void* item) {
  Integer index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  Integer index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

Integer TList::IndexOf(void* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == item) return static_cast<Integer>(i);
  return -1;
}

void TList::Exchange(Integer index1, Integer index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TList::Move(Integer curIndex, Integer newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= Count()) Error(msg::ListIndexError, newIndex);
  void* item = Get(curIndex);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

namespace {
void QuickSort(void** list, Integer lo, Integer hi, TListSortCompare compare) {
  Integer i;
  do {
    i = lo;
    Integer j = hi;
    void* pivot = list[(lo + hi) / 2];
    do {
      while (compare(list[i], pivot) < 0) ++i;
      while (compare(list[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(list[i], list[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (lo < j) QuickSort(list, lo, j, compare);
    lo = i;
  } while (i < hi);
}
}  // namespace

void TList::Sort(TListSortCompare compare) {
  if (compare && Count() > 1) QuickSort(items_.data(), 0, Count() - 1, compare);
}

void TList::Pack() {
  for (Integer i = Count() - 1; i >= 0; --i)
    if (!items_[static_cast<std::size_t>(i)]) items_.erase(items_.begin() + i);
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::Assign(const TList& source) {
  if (&source == this) return;
  Clear();
  SetCapacity(source.Capacity());
  for (void* item : source.items_) Add(item);
}

void TList::SetCount(Integer newCount) {
  if (newCount < 0 || newCount > kMaxListSize) Error(msg::ListCountError, newCount);
  if (newCount > capacity_) SetCapacity(newCount);
  if (newCount > Count()) {
    items_.resize(static_cast<std::size_t>(newCount), nullptr);
  } else {
    for (Integer i = Count() - 1; i >= newCount; --i) Delete(i);
  }
}

void TList::SetCapacity(Integer newCapacity) {
  if (newCapacity < Count() || newCapacity > kMaxListSize) Error(msg::ListCapacityError, newCapacity);
  if (newCapacity == capacity_) return;
  if (newCapacity > capacity_) {
    items_.reserve(static_cast<std::size_t>(newCapacity));
  } else if (newCapacity == 0) {
    items_.shrink_to_fit();
  }
  capacity_ = newCapacity;
}

void TList::Notify(void*, TListNotification) {}

// ---------------------------------------------------------------- TObjectList

const TClass& TObjectList::StaticClass() {
  static const TClass cls = TClass::Of<TObjectList>("TObjectList", TList::StaticClass());
  return cls;
}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* ptr, TListNotification action) {
  if (ownsObjects_ && action == lnDeleted) delete static_cast<TObject*>(ptr);
  TList::Notify(ptr, action);
}
