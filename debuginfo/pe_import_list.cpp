#include "debuginfo/pe_import_list.h"

#include "platform/classlib/sysutils.h"

const TClass& TDbgPeImportLibItem::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeImportLibItem>("TDbgPeImportLibItem", TObject::StaticClass());
  return cls;
}

const TClass& TDbgPeImportList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeImportList>("TDbgPeImportList", TDbgPeImageBaseList::StaticClass());
  return cls;
}

void TDbgPeImportList::Fill(std::vector<TDbgPeImportedLibrary> libs) {
  Clear();
  for (auto& lib : libs) Add(new TDbgPeImportLibItem(std::move(lib)));
}

TDbgPeImportLibItem* TDbgPeImportList::ItemFromName(const std::string& name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), name)) return Items(i);
  return nullptr;
}
