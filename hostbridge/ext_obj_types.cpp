#include "hostbridge/ext_obj_types.h"

#include <algorithm>

bool TExtObjTypeList::Store(Integer typeId, TTsxExtObj* component) {
  if (!hasBase_) {
    hasBase_ = true;
    firstTypeId_ = typeId;
  }
  const Int64 lowest = std::min<Int64>(typeId, firstTypeId_);
  const Int64 highest = std::max<Int64>(typeId, firstTypeId_ + Count() - 1);
  if (highest - lowest + 1 > kMaxEntries) return false;
  if (typeId < firstTypeId_) {
    entries_.insert(entries_.begin(), static_cast<std::size_t>(firstTypeId_ - typeId), nullptr);
    firstTypeId_ = typeId;
  }
  const std::size_t index = static_cast<std::size_t>(typeId - firstTypeId_);
  if (index >= entries_.size()) entries_.resize(index + 1, nullptr);
  entries_[index] = component;
  return true;
}

TTsxExtObj* TExtObjTypeList::Find(Integer typeId) const {
  if (!hasBase_) return nullptr;
  const Int64 index = static_cast<Int64>(typeId) - firstTypeId_;
  if (index < 0 || index >= static_cast<Int64>(entries_.size())) return nullptr;
  return entries_[static_cast<std::size_t>(index)];
}

void TExtObjTypeList::Remove(const TTsxExtObj* component) {
  std::replace(entries_.begin(), entries_.end(), const_cast<TTsxExtObj*>(component), static_cast<TTsxExtObj*>(nullptr));
}

void TExtObjTypeList::Clear() {
  hasBase_ = false;
  firstTypeId_ = 0;
  entries_.clear();
}

TTsxExtObj* TExtObjTypeList::At(int index) const {
  return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)] : nullptr;
}

namespace {
// Outlives every ordinary static object: components freed at unload still leave it.
TExtObjTypeList g_types __attribute__((init_priority(200)));
}  // namespace

TExtObjTypeList& ExtObjTypes() { return g_types; }
