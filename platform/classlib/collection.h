#pragma once
// TCollection: an owned list of items of one item class, stored in forms as a
// property ("Items = <item ... end>"). Items know their collection; freeing an item
// takes it out, and setting an item's Collection moves it.
#include <string>
#include <vector>

#include "platform/classlib/persistent.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
 public:
  using OwnerType = TCollection;  // virtual construction passes the collection
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to the end of another collection (nullptr: out of any).
  virtual void SetCollection(TCollection* value);
  // Unique within its collection, increasing, never reused.
  Integer ID() const { return id_; }
  // Place in the collection, -1 outside one. Setting it moves the item; an index
  // outside the list raises EListError "List index out of bounds (%d)".
  int Index() const;
  virtual void SetIndex(int value);
  virtual std::string DisplayName() const { return ClassName(); }
  virtual void SetDisplayName(const std::string& value);

  TPersistent* GetOwner() override;
  // "<collection path>[<index>]".
  std::string GetNamePath() override;

 protected:
  // Reports a change to the collection: this item, or all of them.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  Integer id_ = 0;
  bool announced_ = false;  // cnAdded sent
};

class TCollection : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCollection(const TClass& itemClass);
  ~TCollection() override;

  const TClass& ItemClass() const { return *itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TCollectionItem* Items(int index) const;
  // Assigns `value` to the item at `index`.
  void SetItem(int index, TCollectionItem* value);

  // A new item of the item class at the end.
  TCollectionItem* Add();
  // A new item at `index` (0..Count); a bad index raises EListError before anything
  // is added.
  TCollectionItem* Insert(int index);
  // Frees the item at `index`.
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(Integer id) const;

  // Changes between BeginUpdate and the outer EndUpdate are reported once, as
  // Update(nullptr), at that EndUpdate.
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Replaces the items by copies of the source collection's items.
  void Assign(TPersistent* source) override;
  // "<owner path>.<property name>", or the class name without an owner.
  std::string GetNamePath() override;

 protected:
  friend class TCollectionItem;

  // An item changed (nullptr: the whole collection).
  virtual void Update(TCollectionItem* item);
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  // Update(nullptr) unless an update is open.
  void Changed();

 private:
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  std::string PropName();

  const TClass* itemClass_;
  std::vector<TCollectionItem*> items_;
  Integer nextID_ = 0;
  int updateCount_ = 0;
  int constructing_ = 0;  // Add is building an item
};

// A collection whose owner is given at creation (a component's property).
class TOwnedCollection : public TCollection {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TOwnedCollection(TPersistent* owner, const TClass& itemClass) : TCollection(itemClass), owner_(owner) {}

  TPersistent* GetOwner() override { return owner_; }

 private:
  TPersistent* owner_;
};
