#pragma once
// TComponent: the owner/owned tree of the class library.
//
// An owner frees what it owns, last first. Owners and owned components are told of
// insertions and removals through Notification; components that refer to a component
// of another owner ask for a FreeNotification and are told with opRemove when it goes.
//
// C++ note: the owner inserts a component from TComponent's constructor and frees it
// from TComponent's destructor, so a Notification sent then sees only the TComponent
// part of the component being inserted or freed (compare pointers, not classes), and a
// derived owner's own Notification override is no longer reached once its destructor
// has run. An owner that must see its components go while it is whole calls
// DestroyComponents() from its own destructor.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"

class TComponent;

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

using TGetChildProc = std::function<void(TComponent* child)>;

// True for a Pascal identifier: a letter or '_', then letters, digits or '_'.
bool IsValidIdent(std::string_view ident);

class TComponent : public TPersistent {
 public:
  using OwnerType = TComponent;  // virtual construction passes the owner
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TComponent* Components(int index) const;
  // Place in the owner's list; -1 without an owner. Setting it clamps to the list.
  int ComponentIndex() const;
  void SetComponentIndex(int value);

  const std::string& Name() const { return name_; }
  // Raises EComponentError for an invalid identifier or a sibling of the same name.
  virtual void SetName(const std::string& newName);
  Integer Tag() const { return tag_; }
  void SetTag(Integer value) { tag_ = value; }

  TComponentState ComponentState() const { return state_; }
  // For the form reader and designers: csLoading, csReading, csUpdating ...
  void IncludeState(TComponentStateFlag flag) { state_.Include(flag); }
  void ExcludeState(TComponentStateFlag flag) { state_.Exclude(flag); }
  void SetDesigning(bool value, bool setChildren = true);
  void SetAncestor(bool value);

  // Owned component of that name, case-insensitive; nullptr for an empty name.
  TComponent* FindComponent(std::string_view name) const;

  // Takes ownership; a component owned elsewhere is removed from its old owner first.
  void InsertComponent(TComponent* AComponent);
  // Gives up ownership without freeing; the caller owns the component after this.
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last first.
  void DestroyComponents();
  // Marks this component and everything it owns csDestroying.
  void Destroying();

  // AComponent is told (opRemove) when this component is freed, and the other way
  // round when AComponent has another owner.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const std::string& curName, const std::string& newName);
  // Called once reading a form has finished; clears csLoading.
  virtual void Loaded();
  virtual void Updating() { state_.Include(csUpdating); }
  virtual void Updated() { state_.Exclude(csUpdating); }

  // Children stored with this component in a form (controls of a parent, ...).
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  virtual void SetParentComponent(TComponent* value);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }

  TPersistent* GetOwner() override { return owner_; }
  std::string GetNamePath() override { return name_; }

 protected:
  // Raised by an owner that refuses the component.
  virtual void ValidateInsert(TComponent* AComponent);
  virtual void ValidateContainer(TComponent* AComponent);
  virtual void ChangeName(const std::string& newName) { name_ = newName; }

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void RemoveFreeNotifications();

  TComponent* owner_ = nullptr;
  std::string name_;
  Integer tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};
