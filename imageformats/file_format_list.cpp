#include "imageformats/file_format_list.h"

#include <algorithm>

#include "imageformats/autodesk_reader.h"
#include "imageformats/cut_reader.h"
#include "imageformats/eps_reader.h"
#include "imageformats/pcx_reader.h"
#include "imageformats/photocd_reader.h"
#include "imageformats/png_reader.h"
#include "imageformats/pnm_reader.h"
#include "imageformats/psd_reader.h"
#include "imageformats/psp_reader.h"
#include "imageformats/rla_reader.h"
#include "imageformats/sgi_reader.h"
#include "imageformats/targa_reader.h"
#include "imageformats/tiff_reader.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/icon_metafile.h"
#include "platform/classlib/jpeg_image.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/sysutils.h"

// ---- TFileFormatList ----------------------------------------------------------------

const TClass& TFileFormatList::StaticClass() {
  static const TClass cls = TClass::Of<TFileFormatList>("TFileFormatList", TObject::StaticClass());
  return cls;
}

TFileFormatList::TFileFormatList() = default;

TFileFormatList::~TFileFormatList() { Clear(); }

void TFileFormatList::Clear() {
  for (const auto& entry : FClassList) TPicture::UnregisterGraphicClass(entry->GraphicClass);
  FClassList.clear();
  FExtensionList.clear();
}

Integer TFileFormatList::FindExtension(const std::string& Extension) const {
  if (Extension.empty()) return -1;
  for (std::size_t i = 0; i < FExtensionList.size(); ++i)
    if (SameText(FExtensionList[i]->Extension, Extension)) return Integer(i);
  return -1;
}

Integer TFileFormatList::FindGraphicClass(TGraphicClass GraphicClass) const {
  for (std::size_t i = 0; i < FClassList.size(); ++i)
    if (FClassList[i]->GraphicClass == GraphicClass) return Integer(i);
  return -1;
}

TClassEntry* TFileFormatList::FindOrAddClass(TGraphicClass GraphicClass) {
  Integer index = FindGraphicClass(GraphicClass);
  if (index >= 0) return FClassList[std::size_t(index)].get();
  auto entry = std::make_unique<TClassEntry>();
  entry->GraphicClass = GraphicClass;
  FClassList.push_back(std::move(entry));
  return FClassList.back().get();
}

void TFileFormatList::RemoveClassEntry(TClassEntry* Entry) {
  FClassList.erase(std::find_if(FClassList.begin(), FClassList.end(),
                                [Entry](const std::unique_ptr<TClassEntry>& e) { return e.get() == Entry; }));
}

void TFileFormatList::RegisterFileFormat(const std::string& Extension, const std::string& Common,
                                         const std::string& Individual, TFormatTypes FileTypes, bool Replace,
                                         bool /*RegisterDefault*/, TGraphicClass GraphicClass) {
  if (Extension.empty()) return;
  Integer index = FindExtension(Extension);
  TClassEntry* classEntry = nullptr;
  if (index < 0) {
    auto ext = std::make_unique<TExtensionEntry>();
    ext->Extension = Extension;
    ext->Description = Individual;
    ext->FileTypes = FileTypes;
    classEntry = FindOrAddClass(GraphicClass);
    if (!Common.empty()) classEntry->Description = Common;
    classEntry->Count += 1;
    ext->ClassReference = classEntry;
    FExtensionList.push_back(std::move(ext));
  } else {
    if (!Replace) throw CreateFmt<EInvalidGraphic>(imgmsg::DuplicateFileFormat, Extension);
    TExtensionEntry& ext = *FExtensionList[std::size_t(index)];
    classEntry = ext.ClassReference;
    if (classEntry->GraphicClass != GraphicClass) {
      TClassEntry* old = classEntry;
      classEntry = FindOrAddClass(GraphicClass);
      if (!Common.empty()) classEntry->Description = Common;
      classEntry->Count += 1;
      ext.ClassReference = classEntry;
      old->Count -= 1;
      if (old->Count <= 0) RemoveClassEntry(old);
    }
  }
  bool (*const contentCheck)(TGraphicClass, TStream&) = &TImageFormatGraphic::CanLoad;
  TPicture::RegisterFileFormat(Extension, Individual.empty() ? classEntry->Description : Individual, GraphicClass,
                               GraphicClass->InheritsFrom(TImageFormatGraphic::StaticClass()) ? contentCheck : nullptr);
}

void TFileFormatList::UnregisterFileFormat(const std::string& Extension, TGraphicClass GraphicClass) {
  if (!Extension.empty()) {
    Integer index = FindExtension(Extension);
    if (index < 0) return;
    TClassEntry* classEntry = FExtensionList[std::size_t(index)]->ClassReference;
    classEntry->Count -= 1;
    if (classEntry->Count <= 0) {
      TPicture::UnregisterGraphicClass(classEntry->GraphicClass);
      RemoveClassEntry(classEntry);
    }
    FExtensionList.erase(FExtensionList.begin() + index);
    return;
  }
  Integer classIndex = FindGraphicClass(GraphicClass);
  if (classIndex < 0) return;  // nothing of that class is registered
  TClassEntry* classEntry = FClassList[std::size_t(classIndex)].get();
  for (Integer i = ExtensionCount() - 1; i >= 0 && classEntry->Count > 0; --i) {
    if (FExtensionList[std::size_t(i)]->ClassReference != classEntry) continue;
    FExtensionList.erase(FExtensionList.begin() + i);
    classEntry->Count -= 1;
  }
  RemoveClassEntry(classEntry);
  TPicture::UnregisterGraphicClass(GraphicClass);
}

// ---- the unit's registration --------------------------------------------------------

namespace {

struct TFormatRow {
  const char* Extension;
  TGraphicClass (*GraphicClass)();
  const char* Common;
  const char* Individual;
  TFormatTypes FileTypes;
};

template <class T>
TGraphicClass ClassOf() {
  return &T::StaticClass();
}

// The library's extensions, registered in this order (the picture registry lists
// them so in its filter text). The first eight rows register no default.
const TFormatRow kFormats[] = {
    {"bmp", ClassOf<TBitmap>, "Windows bitmaps", "", ftRaster},
    {"ico", ClassOf<TIcon>, "Windows icons", "", ftRaster},
    {"wmf", ClassOf<TMetafile>, "Windows metafiles", "", ftVector},
    {"emf", ClassOf<TMetafile>, "Windows metafiles", "Windows enhanced meta files", ftVector},
    {"jfif", ClassOf<TJPEGImage>, "JPG images", "JFIF images", ftRaster},
    {"jpg", ClassOf<TJPEGImage>, "", "JPG images", ftRaster},
    {"jpe", ClassOf<TJPEGImage>, "", "JPE images", ftRaster},
    {"jpeg", ClassOf<TJPEGImage>, "", "JPEG images", ftRaster},
    {"rle", ClassOf<TBitmap>, "Windows bitmaps", "Run length encoded Windows bitmaps", ftRaster},
    {"dib", ClassOf<TBitmap>, "", "Device independant Windows bitmaps", ftRaster},
    {"win", ClassOf<TTargaGraphic>, "Truevision images", "", ftRaster},
    {"vst", ClassOf<TTargaGraphic>, "", "", ftRaster},
    {"vda", ClassOf<TTargaGraphic>, "", "", ftRaster},
    {"tga", ClassOf<TTargaGraphic>, "", "", ftRaster},
    {"icb", ClassOf<TTargaGraphic>, "", "", ftRaster},
    {"tiff", ClassOf<TTIFFGraphic>, "Tagged image file format images", "Macintosh TIFF images", ftRaster | ftMultiImage},
    {"tif", ClassOf<TTIFFGraphic>, "", "PC TIF images", ftRaster | ftMultiImage},
    {"fax", ClassOf<TTIFFGraphic>, "", "GFI fax images", ftRaster | ftMultiImage},
    {"eps", ClassOf<TEPSGraphic>, "Encapsulated Postscript images", "", ftRaster},
    {"pcx", ClassOf<TPCXGraphic>, "ZSoft Paintbrush images", "", ftRaster},
    {"pcc", ClassOf<TPCXGraphic>, "", "", ftRaster},
    {"scr", ClassOf<TPCXGraphic>, "", "Word 5.x screen capture images", ftRaster},
    {"rpf", ClassOf<TRLAGraphic>, "Alias/Wavefront images", "", ftRaster},
    {"rla", ClassOf<TRLAGraphic>, "", "", ftRaster},
    {"sgi", ClassOf<TSGIGraphic>, "SGI images", "SGI true color images", ftRaster},
    {"rgba", ClassOf<TSGIGraphic>, "", "SGI true color images with alpha", ftRaster},
    {"rgb", ClassOf<TSGIGraphic>, "", "SGI true color images", ftRaster},
    {"bw", ClassOf<TSGIGraphic>, "", "SGI black/white images", ftRaster},
    {"psd", ClassOf<TPSDGraphic>, "Photoshop images", "", ftRaster | ftLayered},
    {"pdd", ClassOf<TPSDGraphic>, "", "", ftRaster | ftLayered},
    {"ppm", ClassOf<TPPMGraphic>, "Portable map images", "Portable pixel map images", ftRaster},
    {"pgm", ClassOf<TPPMGraphic>, "", "Portable gray map images", ftRaster},
    {"pbm", ClassOf<TPPMGraphic>, "", "Portable bitmap images", ftRaster},
    {"cel", ClassOf<TAutodeskGraphic>, "Autodesk images", "", ftRaster},
    {"pic", ClassOf<TAutodeskGraphic>, "Autodesk images", "", ftRaster},
    {"pcd", ClassOf<TPCDGraphic>, "Kodak Photo-CD images", "", ftRaster},
    {"cut", ClassOf<TCUTGraphic>, "Dr. Halo images", "", ftRaster},
    {"psp", ClassOf<TPSPGraphic>, "Paintshop Pro images", "", ftVector | ftRaster},
    {"png", ClassOf<TPNGGraphic>, "Portable network graphic images", "", ftRaster},
};

// Classes unregistered whole at unload, in this order.
TGraphicClass (*const kUnloadOrder[])() = {
    ClassOf<TPSPGraphic>, ClassOf<TPSDGraphic>,      ClassOf<TTargaGraphic>, ClassOf<TTIFFGraphic>,
    ClassOf<TSGIGraphic>, ClassOf<TPCXGraphic>,      ClassOf<TAutodeskGraphic>, ClassOf<TPCDGraphic>,
    ClassOf<TPPMGraphic>, ClassOf<TCUTGraphic>,      ClassOf<TRLAGraphic>,
};

int gInitCount = 0;
TFileFormatList* gFileFormatList = nullptr;

}  // namespace

TFileFormatList* FileFormatList() { return gFileFormatList; }

void ImageFormatsInitialize() {
  if (gInitCount++ > 0) return;
  gFileFormatList = new TFileFormatList();
  int row = 0;
  for (const TFormatRow& f : kFormats) {
    gFileFormatList->RegisterFileFormat(f.Extension, f.Common, f.Individual, f.FileTypes, false, row >= 8,
                                        f.GraphicClass());
    ++row;
  }
}

void ImageFormatsFinalize() {
  if (gInitCount <= 0 || --gInitCount > 0) return;
  TFileFormatList* list = gFileFormatList;
  for (auto cls : kUnloadOrder) list->UnregisterFileFormat("", cls());
  list->UnregisterFileFormat("rle", &TBitmap::StaticClass());
  list->UnregisterFileFormat("dib", &TBitmap::StaticClass());
  list->UnregisterFileFormat("", &TPNGGraphic::StaticClass());
  gFileFormatList = nullptr;
  delete list;  // Clear unregisters the remaining classes from the picture registry
}
