#pragma once
// Captured call stacks and exception-handler frames, the critical section that guards
// capturing them, and the process-wide list that keeps the latest capture per thread.
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/classlib/lists.h"

class TDbgCriticalSection : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  void Enter() { mutex_.lock(); }
  bool TryEnter() { return mutex_.try_lock(); }
  void Leave() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

// Base of a captured list: it belongs to the thread that captured it.
class TDbgStackBaseList : public TObjectList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Records the calling thread.
  TDbgStackBaseList();
  explicit TDbgStackBaseList(Cardinal threadId) : TObjectList(true), threadId_(threadId) {}

  Cardinal ThreadID() const { return threadId_; }

 private:
  Cardinal threadId_;
};

class TDbgStackInfoItem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgStackInfoItem(std::uintptr_t callerAddr, Integer level) : callerAddr_(callerAddr), level_(level) {}

  std::uintptr_t CallerAddr() const { return callerAddr_; }  // a return address
  Integer Level() const { return level_; }                   // 0 for the innermost

 private:
  std::uintptr_t callerAddr_;
  Integer level_;
};

class TDbgStackInfoList : public TDbgStackBaseList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  using TDbgStackBaseList::TDbgStackBaseList;

  // Appends a return address at the next level.
  TDbgStackInfoItem* AddCaller(std::uintptr_t callerAddr);
  TDbgStackInfoItem* Items(Integer index) const { return static_cast<TDbgStackInfoItem*>(Get(index)); }
};

enum TDbgExceptFrameKind { efkUnknown, efkFinally, efkAnyException, efkOnException, efkAutoException };

// The kind of an exception frame from the symbol of its handler: the runtime's
// handlers of unit "system" (any case) name the kinds; anything else is unknown.
TDbgExceptFrameKind DbgExceptFrameKindOf(const std::string& unitName, const std::string& procName);

class TDbgExceptFrame : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgExceptFrame(std::uintptr_t frameLocation, std::uintptr_t handlerAddr, TDbgExceptFrameKind kind)
      : frameLocation_(frameLocation), handlerAddr_(handlerAddr), kind_(kind) {}

  std::uintptr_t FrameLocation() const { return frameLocation_; }
  std::uintptr_t HandlerAddr() const { return handlerAddr_; }
  TDbgExceptFrameKind FrameKind() const { return kind_; }

 private:
  std::uintptr_t frameLocation_;
  std::uintptr_t handlerAddr_;
  TDbgExceptFrameKind kind_;
};

class TDbgExceptFrameList : public TDbgStackBaseList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  using TDbgStackBaseList::TDbgStackBaseList;

  TDbgExceptFrame* AddFrame(std::uintptr_t frameLocation, std::uintptr_t handlerAddr, TDbgExceptFrameKind kind);
  TDbgExceptFrame* Items(Integer index) const { return static_cast<TDbgExceptFrame*>(Get(index)); }
};

// The latest captured lists, one of each kind per thread. Every operation locks.
class TDbgGlobalStackList : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgGlobalStackList() = default;
  ~TDbgGlobalStackList() override;

  // Takes `list` and frees the list of the same kind and thread it replaces.
  void AddObject(TDbgStackBaseList* list);
  TDbgStackInfoList* FindStackInfo(Cardinal threadId);
  TDbgExceptFrameList* FindExceptFrames(Cardinal threadId);
  Integer Count();
  void Clear();

  // Holds the lock while a caller reads what a Find returned.
  TObjectList& LockList();
  void UnlockList();

 private:
  TDbgStackBaseList* Find(const TClass& kind, Cardinal threadId);

  std::recursive_mutex mutex_;
  TObjectList lists_{true};
};
