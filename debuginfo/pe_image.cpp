#include "debuginfo/pe_image.h"

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"
#include "debuginfo/file_mapping_stream.h"
#include "debuginfo/pe_export_list.h"
#include "debuginfo/pe_import_list.h"
#include "debuginfo/pe_resource_list.h"

const TClass& TDbgPeImageBaseList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeImageBaseList>("TDbgPeImageBaseList", TObjectList::StaticClass());
  return cls;
}

const TClass& TDbgPeImage::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeImage>("TDbgPeImage", TObject::StaticClass());
  return cls;
}

TDbgPeImage::TDbgPeImage() : map_(file_, layout_) {}

TDbgPeImage::TDbgPeImage(const std::string& fileName) : TDbgPeImage() { SetFileName(fileName); }

TDbgPeImage::~TDbgPeImage() = default;

void TDbgPeImage::SetFileName(const std::string& fileName) {
  auto stream = std::make_unique<TDbgFileMappingStream>(fileName);
  std::span<const std::uint8_t> file(static_cast<const std::uint8_t*>(stream->Memory()),
                                     static_cast<std::size_t>(stream->Size()));
  Adopt(std::move(stream), {}, file, fileName);
}

void TDbgPeImage::LoadFromBytes(std::vector<std::uint8_t> bytes, const std::string& fileName) {
  std::span<const std::uint8_t> file(bytes.data(), bytes.size());  // a vector's buffer survives the move
  Adopt(nullptr, std::move(bytes), file, fileName);
}

void TDbgPeImage::Adopt(std::unique_ptr<TStream> stream, std::vector<std::uint8_t> bytes,
                        std::span<const std::uint8_t> file, const std::string& fileName) {
  dbg::PeLayout layout = dbg::ReadPeLayout(file);  // raises before anything is replaced
  Clear();
  fileName_ = fileName;
  stream_ = std::move(stream);
  bytes_ = std::move(bytes);
  file_ = file;
  layout_ = std::move(layout);
  map_ = dbg::PeAddressMap(file_, layout_);
}

void TDbgPeImage::Clear() {
  ClearCached();
  imports_.reset();
  exports_.reset();
  resources_.reset();
  layout_ = dbg::PeLayout();
  file_ = {};
  map_ = dbg::PeAddressMap(file_, layout_);
  bytes_.clear();
  stream_.reset();
  fileName_.clear();
}

void TDbgPeImage::RequireLoaded() const {
  if (!Loaded()) dbg::RaisePeError(dbg::RsNotPeFormat);
}

const TDbgPeSectionHeader& TDbgPeImage::ImageSectionHeaders(Integer index) const {
  if (index < 0 || index >= ImageSectionCount()) TList::Error(msg::ListIndexError, index);
  return layout_.Sections[static_cast<std::size_t>(index)];
}

Integer TDbgPeImage::ImageSectionIndexFromName(const std::string& name) const {
  for (std::size_t i = 0; i < layout_.Sections.size(); ++i)
    if (layout_.Sections[i].Name == name) return static_cast<Integer>(i);
  return -1;
}

const TDbgPeSectionHeader& TDbgPeImage::ImageSectionHeaderByName(const std::string& name) const {
  const Integer i = ImageSectionIndexFromName(name);
  if (i < 0) throw CreateFmt<EDbgPeImageError>(dbg::LoadResString(dbg::RsSectionNotFound), name);
  return layout_.Sections[static_cast<std::size_t>(i)];
}

std::span<const std::uint8_t> TDbgPeImage::SectionData(const std::string& name) const {
  return dbg::SectionBytes(file_, ImageSectionHeaderByName(name));
}

std::span<const std::uint8_t> TDbgPeImage::DirectoryEntryToData(int index) const {
  RequireLoaded();
  if (index < 0 || index >= IMAGE_NUMBEROF_DIRECTORY_ENTRIES) return {};
  const auto& d = layout_.Headers.DataDirectory[static_cast<std::size_t>(index)];
  if (d.VirtualAddress == 0 || d.Size == 0) return {};
  return map_.Data(d.VirtualAddress, d.Size);
}

std::span<const std::uint8_t> TDbgPeImage::RvaToData(Cardinal rva, Cardinal size) const {
  RequireLoaded();
  return map_.Data(rva, size);
}

Int64 TDbgPeImage::RvaToFileOffset(Cardinal rva) const {
  auto offset = map_.FileOffset(rva, 0);
  return offset && *offset < file_.size() ? static_cast<Int64>(*offset) : -1;
}

TDbgPeImportList& TDbgPeImage::ImportList() {
  RequireLoaded();
  if (!imports_) {
    auto list = std::make_unique<TDbgPeImportList>(this);
    list->Fill(dbg::ReadImports(map_));
    imports_ = std::move(list);
  }
  return *imports_;
}

TDbgPeExportFuncList& TDbgPeImage::ExportList() {
  RequireLoaded();
  if (!exports_) {
    auto list = std::make_unique<TDbgPeExportFuncList>(this);
    list->Fill(dbg::ReadExports(map_));
    exports_ = std::move(list);
  }
  return *exports_;
}

TDbgPeRootResourceList& TDbgPeImage::ResourceList() {
  RequireLoaded();
  if (!resources_) {
    auto list = std::make_unique<TDbgPeRootResourceList>(this);
    list->Fill(dbg::ReadResources(map_));
    resources_ = std::move(list);
  }
  return *resources_;
}
