#pragma once
// The export table of a PE image.
#include <string>

#include "debuginfo/pe_directories.h"
#include "debuginfo/pe_image.h"

class TDbgPeExportFuncItem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgPeExportFuncItem(TDbgPeExportedFunction f) : f_(std::move(f)) {}

  const std::string& Name() const { return f_.Name; }
  Cardinal Ordinal() const { return f_.Ordinal; }
  Cardinal Address() const { return f_.Address; }  // RVA
  int Hint() const { return f_.Hint; }
  bool IsForwarded() const { return !f_.ForwardedName.empty(); }
  const std::string& ForwardedName() const { return f_.ForwardedName; }

 private:
  TDbgPeExportedFunction f_;
};

class TDbgPeExportFuncList : public TDbgPeImageBaseList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  using TDbgPeImageBaseList::TDbgPeImageBaseList;

  void Fill(TDbgPeExports exports);

  TDbgPeExportFuncItem* Items(Integer index) const { return static_cast<TDbgPeExportFuncItem*>(Get(index)); }
  const std::string& DllName() const { return dllName_; }
  Cardinal Base() const { return base_; }

  TDbgPeExportFuncItem* ItemFromName(const std::string& name) const;
  TDbgPeExportFuncItem* ItemFromOrdinal(Cardinal ordinal) const;
  TDbgPeExportFuncItem* ItemFromAddress(Cardinal rva) const;
  // The export (not forwarded) with the greatest address at or below `rva`.
  TDbgPeExportFuncItem* ItemAtOrBelow(Cardinal rva) const;

 private:
  std::string dllName_;
  Cardinal base_ = 0;
};
