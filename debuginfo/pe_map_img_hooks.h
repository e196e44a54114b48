#pragma once
// Hooks of a module's import-address table, as records: which imported function of
// which library would be replaced by what. Nothing here patches a live import table;
// a module loaded on this system has none to patch.
#include <string>

#include "platform/classlib/lists.h"

class TDbgPeMapImgHookItem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgPeMapImgHookItem(std::string moduleName, std::string functionName, const void* originalAddress,
                       const void* newAddress)
      : moduleName_(std::move(moduleName)),
        functionName_(std::move(functionName)),
        originalAddress_(originalAddress),
        newAddress_(newAddress) {}

  const std::string& ModuleName() const { return moduleName_; }
  const std::string& FunctionName() const { return functionName_; }
  const void* OriginalAddress() const { return originalAddress_; }
  const void* NewAddress() const { return newAddress_; }

 private:
  std::string moduleName_;
  std::string functionName_;
  const void* originalAddress_;
  const void* newAddress_;
};

class TDbgPeMapImgHooks : public TObjectList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgPeMapImgHooks() : TObjectList(true) {}

  TDbgPeMapImgHookItem* Items(Integer index) const { return static_cast<TDbgPeMapImgHookItem*>(Get(index)); }
  // Records a hook; a second hook of the same original address replaces the first.
  TDbgPeMapImgHookItem* AddHook(const std::string& moduleName, const std::string& functionName,
                                const void* originalAddress, const void* newAddress);
  TDbgPeMapImgHookItem* ItemFromOriginalAddress(const void* originalAddress) const;
  TDbgPeMapImgHookItem* ItemFromNewAddress(const void* newAddress) const;
  // Drops the record of a hook; false when there was none.
  bool RemoveHook(const void* originalAddress);
};

// The raise that the exception hook captures a stack for: the compiler's language
// exception, non-continuable, with seven arguments.
inline constexpr Cardinal DbgLanguageExceptionCode = 0x0EEDFADE;
bool DbgIsLanguageExceptionRaise(Cardinal exceptionCode, Cardinal exceptionFlags, Cardinal argumentCount);
