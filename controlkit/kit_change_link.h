#pragma once
// Change links: how a control hears that a container (an image list, a string list ...) it
// uses has changed. The container keeps a list of links; its Change calls every link's
// OnChange, then its own OnChange.
//
// Either side may go first: destroying the container detaches its links, destroying a
// link detaches it from its container.
#include <exception>
#include <vector>

#include "controlkit/kit_object.h"

class TKitBaseContainer;

class TKitChangeLink : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TKitChangeLink() = default;
  // Leaves its container.
  ~TKitChangeLink() override;

  TKitBaseContainer* Container() const { return container_; }
  // Leaves the old container and joins the new one (none: just leaves).
  void SetContainer(TKitBaseContainer* Value);
  // Calls OnChange with the container as sender.
  void Change();

  TNotifyEvent OnChange;

 private:
  friend class TKitBaseContainer;
  TKitBaseContainer* container_ = nullptr;
};

class TKitBaseContainer : public TKitCustomComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitBaseContainer(TComponent* AOwner);
  // Detaches every link.
  ~TKitBaseContainer() override;

  void RegisterLink(TKitChangeLink* Link);
  void UnregisterLink(TKitChangeLink* Link);
  Integer LinkCount() const { return static_cast<Integer>(links_.size()); }

  // Every link's OnChange in list order, then OnChange (both held back by the update lock).
  void Change() override;

 private:
  std::vector<TKitChangeLink*> links_;
};

// Holds a kit object's (or component's) change back while it is rebuilt and reports one
// change at the end, unless the caller had it locked already: the update lock has one
// level, so an inner EndUpdate would end the caller's lock early. Nothing is reported when
// the rebuild fails.
template <class T>
class TKitOneChange {
 public:
  explicit TKitOneChange(T& object) : object_(object), wasLocked_(object.IsUpdating()) { object_.BeginUpdate(); }
  ~TKitOneChange() {
    if (!wasLocked_) object_.EndUpdate(std::uncaught_exceptions() == exceptions_);
  }
  TKitOneChange(const TKitOneChange&) = delete;
  TKitOneChange& operator=(const TKitOneChange&) = delete;

 private:
  T& object_;
  bool wasLocked_;
  int exceptions_ = std::uncaught_exceptions();
};
