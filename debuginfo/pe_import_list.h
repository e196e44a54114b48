#pragma once
// The import table of a PE image: one item per imported library.
#include <string>
#include <vector>

#include "debuginfo/pe_directories.h"
#include "debuginfo/pe_image.h"

class TDbgPeImportLibItem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgPeImportLibItem(TDbgPeImportedLibrary lib) : lib_(std::move(lib)) {}

  const std::string& Name() const { return lib_.Name; }
  const std::vector<TDbgPeImportedFunction>& Functions() const { return lib_.Functions; }

 private:
  TDbgPeImportedLibrary lib_;
};

class TDbgPeImportList : public TDbgPeImageBaseList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  using TDbgPeImageBaseList::TDbgPeImageBaseList;

  void Fill(std::vector<TDbgPeImportedLibrary> libs);

  TDbgPeImportLibItem* Items(Integer index) const { return static_cast<TDbgPeImportLibItem*>(Get(index)); }
  // The library imported under `name`, compared without regard to case.
  TDbgPeImportLibItem* ItemFromName(const std::string& name) const;
};
