#pragma once
// The module's list of defined object types: the component of type id t sits at index
// t - the first type id defined, with empty entries where ids were skipped.
#include <vector>

#include "platform/classlib/types.h"

class TTsxExtObj;

class TExtObjTypeList {
 public:
  // The first id stored becomes the base. An id below the base moves the base down, with
  // empty entries in between, rather than landing at a negative index. False (nothing
  // stored) when the list would grow beyond kMaxEntries: host type ids are small.
  bool Store(Integer typeId, TTsxExtObj* component);
  static constexpr Int64 kMaxEntries = 1 << 16;
  // Null for an id outside the list or an empty entry.
  TTsxExtObj* Find(Integer typeId) const;
  // Empties the entries of a component that goes away.
  void Remove(const TTsxExtObj* component);
  void Clear();

  bool HasBase() const { return hasBase_; }
  Integer FirstTypeId() const { return firstTypeId_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  TTsxExtObj* At(int index) const;

 private:
  bool hasBase_ = false;
  Integer firstTypeId_ = 0;
  std::vector<TTsxExtObj*> entries_;
};

// The module's one list.
TExtObjTypeList& ExtObjTypes();
