#pragma once
// TList, a list of pointers, and TObjectList, which may own the objects it holds.
//
// Indices out of range raise EListError "List index out of bounds (%d)". Every pointer
// that joins or leaves the list is reported to the virtual Notify (nil pointers are
// not). A descendant that overrides Notify and must see the entries removed when it is
// destroyed calls Clear in its own destructor: TList's destructor no longer reaches it.
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Returns < 0, 0 or > 0 as item1 sorts before, with or after item2.
using TListSortCompare = Integer (*)(void* item1, void* item2);

class TList : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TList() = default;
  ~TList() override;

  Integer Add(void* item);
  void Insert(Integer index, void* item);
  void Delete(Integer index);
  // Deletes the first entry equal to `item`; returns its index, or -1.
  Integer Remove(void* item);
  // Takes the first entry equal to `item` out without deleting it (lnExtracted);
  // returns it, or nullptr when absent.
  void* Extract(void* item);
  Integer IndexOf(void* item) const;
  void Exchange(Integer index1, Integer index2);
  void Move(Integer curIndex, Integer newIndex);
  // Quicksort; entries that compare equal keep no fixed order.
  void Sort(TListSortCompare compare);
  // Removes the nil entries.
  void Pack();
  // Deletes every entry (last first) and frees the storage.
  virtual void Clear();
  // Grows the capacity when the list is full.
  TList* Expand();
  // Makes this list a copy of `source`.
  void Assign(const TList& source);

  Integer Count() const { return static_cast<Integer>(items_.size()); }
  // Growing adds nil entries; shrinking deletes entries from the end.
  void SetCount(Integer newCount);
  Integer Capacity() const { return capacity_; }
  void SetCapacity(Integer newCapacity);

  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void* Items(Integer index) const { return Get(index); }
  void SetItems(Integer index, void* item) { Put(index, item); }
  void* Get(Integer index) const;
  void Put(Integer index, void* item);
  // The entries as an array of Count pointers.
  void* const* List() const { return items_.data(); }

  [[noreturn]] static void Error(const char* message, Integer data);

 protected:
  virtual void Notify(void* ptr, TListNotification action);
  virtual void Grow();

 private:
  void CheckIndex(Integer index) const;

  std::vector<void*> items_;
  Integer capacity_ = 0;
};

class TObjectList : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override;

  Integer Add(TObject* object) { return TList::Add(object); }
  void Insert(Integer index, TObject* object) { TList::Insert(index, object); }
  Integer Remove(TObject* object) { return TList::Remove(object); }
  TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
  Integer IndexOf(TObject* object) const { return TList::IndexOf(object); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  TObject* Items(Integer index) const { return static_cast<TObject*>(Get(index)); }
  void SetItems(Integer index, TObject* object) { Put(index, object); }

  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

 protected:
  // Frees a deleted object when the list owns its objects.
  void Notify(void* ptr, TListNotification action) override;

 private:
  bool ownsObjects_;
};
