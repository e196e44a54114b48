#include "debuginfo/pe_map_img_hooks.h"

const TClass& TDbgPeMapImgHookItem::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeMapImgHookItem>("TDbgPeMapImgHookItem", TObject::StaticClass());
  return cls;
}

const TClass& TDbgPeMapImgHooks::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeMapImgHooks>("TDbgPeMapImgHooks", TObjectList::StaticClass());
  return cls;
}

TDbgPeMapImgHookItem* TDbgPeMapImgHooks::AddHook(const std::string& moduleName, const std::string& functionName,
                                                 const void* originalAddress, const void* newAddress) {
  RemoveHook(originalAddress);
  auto* item = new TDbgPeMapImgHookItem(moduleName, functionName, originalAddress, newAddress);
  Add(item);
  return item;
}

TDbgPeMapImgHookItem* TDbgPeMapImgHooks::ItemFromOriginalAddress(const void* originalAddress) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->OriginalAddress() == originalAddress) return Items(i);
  return nullptr;
}

TDbgPeMapImgHookItem* TDbgPeMapImgHooks::ItemFromNewAddress(const void* newAddress) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->NewAddress() == newAddress) return Items(i);
  return nullptr;
}

bool TDbgPeMapImgHooks::RemoveHook(const void* originalAddress) {
  TDbgPeMapImgHookItem* item = ItemFromOriginalAddress(originalAddress);
  if (!item) return false;
  Remove(item);
  return true;
}

bool DbgIsLanguageExceptionRaise(Cardinal exceptionCode, Cardinal exceptionFlags, Cardinal argumentCount) {
  constexpr Cardinal kNonContinuable = 1;
  constexpr Cardinal kLanguageExceptionArguments = 7;
  return exceptionCode == DbgLanguageExceptionCode && exceptionFlags == kNonContinuable &&
         argumentCount == kLanguageExceptionArguments;
}
