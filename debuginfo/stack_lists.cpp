#include "debuginfo/stack_lists.h"

#include "platform/classlib/sysutils.h"
#include "platform/win/system_info.h"

const TClass& TDbgCriticalSection::StaticClass() {
  static const TClass cls = TClass::Of<TDbgCriticalSection>("TDbgCriticalSection", TObject::StaticClass());
  return cls;
}

const TClass& TDbgStackBaseList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgStackBaseList>("TDbgStackBaseList", TObjectList::StaticClass());
  return cls;
}

TDbgStackBaseList::TDbgStackBaseList() : TObjectList(true), threadId_(win::GetCurrentThreadId()) {}

const TClass& TDbgStackInfoItem::StaticClass() {
  static const TClass cls = TClass::Of<TDbgStackInfoItem>("TDbgStackInfoItem", TObject::StaticClass());
  return cls;
}

const TClass& TDbgStackInfoList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgStackInfoList>("TDbgStackInfoList", TDbgStackBaseList::StaticClass());
  return cls;
}

TDbgStackInfoItem* TDbgStackInfoList::AddCaller(std::uintptr_t callerAddr) {
  auto* item = new TDbgStackInfoItem(callerAddr, Count());
  Add(item);
  return item;
}

TDbgExceptFrameKind DbgExceptFrameKindOf(const std::string& unitName, const std::string& procName) {
  if (!SameText(unitName, "system")) return efkUnknown;
  if (procName == "@HandleAnyException") return efkAnyException;
  if (procName == "@HandleOnException") return efkOnException;
  if (procName == "@HandleAutoException") return efkAutoException;
  if (procName == "@HandleFinally") return efkFinally;
  return efkUnknown;
}

const TClass& TDbgExceptFrame::StaticClass() {
  static const TClass cls = TClass::Of<TDbgExceptFrame>("TDbgExceptFrame", TObject::StaticClass());
  return cls;
}

const TClass& TDbgExceptFrameList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgExceptFrameList>("TDbgExceptFrameList", TDbgStackBaseList::StaticClass());
  return cls;
}

TDbgExceptFrame* TDbgExceptFrameList::AddFrame(std::uintptr_t frameLocation, std::uintptr_t handlerAddr,
                                               TDbgExceptFrameKind kind) {
  auto* frame = new TDbgExceptFrame(frameLocation, handlerAddr, kind);
  Add(frame);
  return frame;
}

const TClass& TDbgGlobalStackList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgGlobalStackList>("TDbgGlobalStackList", TObject::StaticClass());
  return cls;
}

TDbgGlobalStackList::~TDbgGlobalStackList() { Clear(); }

TDbgStackBaseList* TDbgGlobalStackList::Find(const TClass& kind, Cardinal threadId) {
  for (Integer i = 0; i < lists_.Count(); ++i) {
    auto* list = static_cast<TDbgStackBaseList*>(lists_.Items(i));
    if (&list->ClassType() == &kind && list->ThreadID() == threadId) return list;
  }
  return nullptr;
}

void TDbgGlobalStackList::AddObject(TDbgStackBaseList* list) {
  if (!list) return;
  std::lock_guard lock(mutex_);
  if (TDbgStackBaseList* old = Find(list->ClassType(), list->ThreadID())) lists_.Remove(old);
  lists_.Add(list);
}

TDbgStackInfoList* TDbgGlobalStackList::FindStackInfo(Cardinal threadId) {
  std::lock_guard lock(mutex_);
  return static_cast<TDbgStackInfoList*>(Find(TDbgStackInfoList::StaticClass(), threadId));
}

TDbgExceptFrameList* TDbgGlobalStackList::FindExceptFrames(Cardinal threadId) {
  std::lock_guard lock(mutex_);
  return static_cast<TDbgExceptFrameList*>(Find(TDbgExceptFrameList::StaticClass(), threadId));
}

Integer TDbgGlobalStackList::Count() {
  std::lock_guard lock(mutex_);
  return lists_.Count();
}

void TDbgGlobalStackList::Clear() {
  std::lock_guard lock(mutex_);
  lists_.Clear();
}

TObjectList& TDbgGlobalStackList::LockList() {
  mutex_.lock();
  return lists_;
}

void TDbgGlobalStackList::UnlockList() { mutex_.unlock(); }
