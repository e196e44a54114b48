#pragma once
// TThreadPersistent: the base of the library's pixel containers. It reports changes
// through OnChange (held back while updates are nested) and carries a lock of its own,
// so that another thread can keep an object to itself for a while.
#include <mutex>

#include "platform/classlib/persistent.h"
#include "platform/classlib/types.h"

class TThreadPersistent : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TThreadPersistent() = default;
  ~TThreadPersistent() override = default;

  void BeginUpdate();
  // Raises EAssertionFailed "Unpaired TThreadPersistent.EndUpdate" without a matching
  // BeginUpdate. Fires nothing: callers that grouped changes call Changed afterwards.
  void EndUpdate();
  // OnChange(this), unless updates are nested.
  virtual void Changed();

  // Recursive. The lock counts are kept under one process-wide lock, which is never
  // held while the object's own lock is taken.
  void Lock();
  void Unlock();

  Integer LockCount() const;
  Integer UpdateCount() const { return updateCount_; }

  TNotifyEvent OnChange;

 protected:
  // The object's own lock itself, without the count: what owned tools lock on.
  std::recursive_mutex* OwnLock() { return &lock_; }

 private:
  std::recursive_mutex lock_;
  Integer lockCount_ = 0;
  Integer updateCount_ = 0;
};
