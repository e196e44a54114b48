#include "bitmaps/thread_persistent.h"

#include "platform/classlib/exceptions.h"

namespace {

// Guards every object's lock count.
std::mutex& CounterLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

const TClass& TThreadPersistent::StaticClass() {
  static const TClass cls = TClass::Of<TThreadPersistent>("TThreadPersistent", TPersistent::StaticClass());
  return cls;
}

void TThreadPersistent::BeginUpdate() { ++updateCount_; }

void TThreadPersistent::EndUpdate() {
  if (updateCount_ < 1) throw EAssertionFailed("Unpaired TThreadPersistent.EndUpdate");
  --updateCount_;
}

void TThreadPersistent::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TThreadPersistent::Lock() {
  {
    std::lock_guard<std::mutex> guard(CounterLock());
    ++lockCount_;
  }
  lock_.lock();
}

void TThreadPersistent::Unlock() {
  lock_.unlock();
  std::lock_guard<std::mutex> guard(CounterLock());
  --lockCount_;
}

Integer TThreadPersistent::LockCount() const {
  std::lock_guard<std::mutex> guard(CounterLock());
  return lockCount_;
}
