#include "debuginfo/pe_export_list.h"

const TClass& TDbgPeExportFuncItem::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeExportFuncItem>("TDbgPeExportFuncItem", TObject::StaticClass());
  return cls;
}

const TClass& TDbgPeExportFuncList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeExportFuncList>("TDbgPeExportFuncList", TDbgPeImageBaseList::StaticClass());
  return cls;
}

void TDbgPeExportFuncList::Fill(TDbgPeExports exports) {
  Clear();
  dllName_ = std::move(exports.DllName);
  base_ = exports.Base;
  for (auto& f : exports.Functions) Add(new TDbgPeExportFuncItem(std::move(f)));
}

TDbgPeExportFuncItem* TDbgPeExportFuncList::ItemFromName(const std::string& name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Name() == name) return Items(i);
  return nullptr;
}

TDbgPeExportFuncItem* TDbgPeExportFuncList::ItemFromOrdinal(Cardinal ordinal) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Ordinal() == ordinal) return Items(i);
  return nullptr;
}

TDbgPeExportFuncItem* TDbgPeExportFuncList::ItemFromAddress(Cardinal rva) const {
  for (Integer i = 0; i < Count(); ++i)
    if (!Items(i)->IsForwarded() && Items(i)->Address() == rva) return Items(i);
  return nullptr;
}

TDbgPeExportFuncItem* TDbgPeExportFuncList::ItemAtOrBelow(Cardinal rva) const {
  TDbgPeExportFuncItem* best = nullptr;
  for (Integer i = 0; i < Count(); ++i) {
    TDbgPeExportFuncItem* item = Items(i);
    if (item->IsForwarded() || item->Address() > rva) continue;
    if (!best || item->Address() > best->Address()) best = item;
  }
  return best;
}
