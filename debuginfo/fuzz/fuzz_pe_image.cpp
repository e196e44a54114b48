// PE32 and PE32+ images from arbitrary bytes: a refused image raises a library exception;
// a loaded one has its imports, exports, resources (every data entry), version
// resource and package information read without a crash or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "debuginfo/file_version_info.h"
#include "debuginfo/pe_bor_image.h"
#include "debuginfo/pe_export_list.h"
#include "debuginfo/pe_import_list.h"
#include "debuginfo/pe_resource_list.h"
#include "debuginfo/version_format.h"
#include "platform/classlib/exceptions.h"

namespace {

template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const Exception&) {
  }
}

void WalkResources(TDbgPeResourceList& list, int depth) {
  for (Integer i = 0; i < list.Count(); ++i) {
    TDbgPeResourceItem* item = list.Items(i);
    item->ResourceName();
    if (item->IsDirectory()) {
      if (depth < 3) WalkResources(item->List(), depth + 1);
    } else {
      Guarded([&] { item->RawData(); });
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TDbgPeBorImage image;
  try {
    image.LoadFromBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.dll");
  } catch (const Exception&) {
    return 0;
  }
  for (Integer i = 0; i < image.ImageSectionCount(); ++i)
    Guarded([&] { image.SectionData(image.ImageSectionHeaders(i).Name); });
  Guarded([&] {
    TDbgPeImportList& imports = image.ImportList();
    for (Integer i = 0; i < imports.Count(); ++i) imports.ItemFromName(imports.Items(i)->Name());
  });
  Guarded([&] {
    TDbgPeExportFuncList& exports = image.ExportList();
    for (Integer i = 0; i < exports.Count(); ++i) {
      const TDbgPeExportFuncItem* e = exports.Items(i);
      exports.ItemFromOrdinal(e->Ordinal());
      exports.ItemAtOrBelow(e->Address());
    }
  });
  Guarded([&] {
    TDbgPeRootResourceList& resources = image.ResourceList();
    WalkResources(resources, 0);
    if (TDbgPeResourceItem* version = resources.FindFirstResource(DbgResTypeVersion)) {
      TDbgFileVersionInfo info(TDbgFileVersionInfo::FromData{}, version->RawData());
      info.BinFileVersion();
    }
  });
  Guarded([&] {
    image.IsPackage();
    image.PackageInfo();
  });
  return 0;
}
