#include "debuginfo/debug_info_sources.h"

#include <algorithm>

#include "debuginfo/bin_debug_scanner.h"
#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/map_parser.h"
#include "debuginfo/pe_export_list.h"
#include "debuginfo/pe_image.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/sysutils.h"

std::string TDbgLocationInfo::SymbolName() const {
  return UnitName.empty() ? ProcedureName : UnitName + "." + ProcedureName;
}

// ---- TDbgDebugInfoSource ---------------------------------------------------

const TClass& TDbgDebugInfoSource::StaticClass() {
  static const TClass cls = TClass::Of<TDbgDebugInfoSource>("TDbgDebugInfoSource", TObject::StaticClass());
  return cls;
}

TDbgDebugInfoSource::TDbgDebugInfoSource(std::string moduleFileName) : moduleFileName_(std::move(moduleFileName)) {}

TDbgDebugInfoSource::~TDbgDebugInfoSource() = default;

TDbgPeImage* TDbgDebugInfoSource::Image() {
  if (!imageTried_) {
    imageTried_ = true;
    try {
      image_ = std::make_unique<TDbgPeImage>(moduleFileName_);
    } catch (const EDbgError&) {
      image_.reset();
    }
  }
  return image_.get();
}

// ---- TDbgDebugInfoMap ------------------------------------------------------

const TClass& TDbgDebugInfoMap::StaticClass() {
  static const TClass cls = TClass::Of<TDbgDebugInfoMap>("TDbgDebugInfoMap", TDbgDebugInfoSource::StaticClass());
  return cls;
}

TDbgDebugInfoMap::TDbgDebugInfoMap(std::string moduleFileName) : TDbgDebugInfoSource(std::move(moduleFileName)) {}

TDbgDebugInfoMap::~TDbgDebugInfoMap() = default;

bool TDbgDebugInfoMap::InitializeSource() {
  const std::string mapName = ChangeFileExt(ModuleFileName(), ".map");
  if (!FileExists(mapName) || !Image()) return false;
  try {
    scanner_ = std::make_unique<TDbgMapScanner>(mapName);
  } catch (const EDbgError&) {
    return false;
  }
  return !scanner_->Publics().empty() || !scanner_->LineNumbers().empty();
}

bool TDbgDebugInfoMap::GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) {
  if (!scanner_ || !Image()) return false;
  const int section = Image()->AddressMap().SectionIndexOfRva(rva);
  if (section < 0) return false;
  const TDbgMapAddress a{static_cast<Word>(section + 1), rva - Image()->ImageSectionHeaders(section).VirtualAddress};
  TDbgLocationInfo out;
  out.Address = rva;
  out.UnitName = scanner_->ModuleNameFromAddr(a);
  out.ProcedureName = scanner_->ProcNameFromAddr(a, &out.OffsetFromProcName);
  // Publics are written "Unit.Procedure": the unit is already in UnitName.
  if (!out.UnitName.empty() && out.ProcedureName.size() > out.UnitName.size() &&
      out.ProcedureName[out.UnitName.size()] == '.' &&
      SameText(out.ProcedureName.substr(0, out.UnitName.size()), out.UnitName))
    out.ProcedureName.erase(0, out.UnitName.size() + 1);
  out.LineNumber = scanner_->LineNumberFromAddr(a, &out.OffsetFromLineNumber);
  out.SourceName = scanner_->SourceNameFromAddr(a);
  if (out.ProcedureName.empty() && out.LineNumber == 0) return false;
  info = std::move(out);
  return true;
}

// ---- TDbgDebugInfoBinary ---------------------------------------------------

const TClass& TDbgDebugInfoBinary::StaticClass() {
  static const TClass cls = TClass::Of<TDbgDebugInfoBinary>("TDbgDebugInfoBinary", TDbgDebugInfoSource::StaticClass());
  return cls;
}

TDbgDebugInfoBinary::TDbgDebugInfoBinary(std::string moduleFileName) : TDbgDebugInfoSource(std::move(moduleFileName)) {}

TDbgDebugInfoBinary::~TDbgDebugInfoBinary() = default;

bool TDbgDebugInfoBinary::InitializeSource() {
  TDbgPeImage* image = Image();
  if (image && image->ImageSectionIndexFromName("DBGINFO") >= 0) {
    try {
      scanner_ = std::make_unique<TDbgBinDebugScanner>(image->SectionData("DBGINFO"));
      return scanner_->ValidFormat();
    } catch (const EDbgError&) {
      return false;
    }
  }
  const std::string fileName = ChangeFileExt(ModuleFileName(), ".dbgi");
  if (!FileExists(fileName)) return false;
  try {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    scanner_ = std::make_unique<TDbgBinDebugScanner>(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(stream.Memory()), static_cast<std::size_t>(stream.Size())));
  } catch (const Exception&) {
    return false;
  }
  return scanner_->ValidFormat();
}

bool TDbgDebugInfoBinary::GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) {
  if (!scanner_ || !scanner_->ValidFormat()) return false;
  TDbgLocationInfo out;
  out.Address = rva;
  out.UnitName = scanner_->ModuleNameFromAddr(rva);
  if (out.UnitName.empty()) return false;
  out.ProcedureName = scanner_->ProcNameFromAddr(rva, &out.OffsetFromProcName);
  out.LineNumber = scanner_->LineNumberFromAddr(rva, &out.OffsetFromLineNumber);
  out.SourceName = scanner_->SourceNameFromAddr(rva);
  info = std::move(out);
  return true;
}

// ---- TDbgDebugInfoExports --------------------------------------------------

const TClass& TDbgDebugInfoExports::StaticClass() {
  static const TClass cls = TClass::Of<TDbgDebugInfoExports>("TDbgDebugInfoExports", TDbgDebugInfoSource::StaticClass());
  return cls;
}

TDbgDebugInfoExports::TDbgDebugInfoExports(std::string moduleFileName)
    : TDbgDebugInfoSource(std::move(moduleFileName)) {}

bool TDbgDebugInfoExports::InitializeSource() {
  TDbgPeImage* image = Image();
  if (!image) return false;
  try {
    return image->ExportList().Count() > 0;
  } catch (const EDbgError&) {
    return false;
  }
}

bool TDbgDebugInfoExports::GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) {
  TDbgPeImage* image = Image();
  if (!image) return false;
  TDbgPeExportFuncItem* item = image->ExportList().ItemAtOrBelow(rva);
  if (!item) return false;
  const int section = image->AddressMap().SectionIndexOfRva(rva);
  if (section < 0 || section != image->AddressMap().SectionIndexOfRva(item->Address())) return false;
  TDbgLocationInfo out;
  out.Address = rva;
  out.ProcedureName = item->Name().empty() ? "#" + IntToStr(item->Ordinal()) : item->Name();
  out.OffsetFromProcName = rva - item->Address();
  info = std::move(out);
  return true;
}

// ---- TDbgDebugInfoList -----------------------------------------------------

const TClass& TDbgDebugInfoList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgDebugInfoList>("TDbgDebugInfoList", TObjectList::StaticClass());
  return cls;
}

TDbgDebugInfoSource* TDbgDebugInfoList::ItemFromModule(const std::string& moduleFileName) {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ModuleFileName() == moduleFileName) return Items(i);
  if (std::find(without_.begin(), without_.end(), moduleFileName) != without_.end()) return nullptr;

  std::unique_ptr<TDbgDebugInfoSource> candidates[] = {
      std::make_unique<TDbgDebugInfoMap>(moduleFileName),
      std::make_unique<TDbgDebugInfoBinary>(moduleFileName),
      std::make_unique<TDbgDebugInfoExports>(moduleFileName),
  };
  for (auto& source : candidates) {
    if (source->InitializeSource()) {
      TDbgDebugInfoSource* found = source.release();
      Add(found);
      return found;
    }
  }
  without_.push_back(moduleFileName);
  return nullptr;
}

bool TDbgDebugInfoList::GetLocationInfo(const std::string& moduleFileName, Cardinal rva, TDbgLocationInfo& info) {
  TDbgDebugInfoSource* source = ItemFromModule(moduleFileName);
  return source && source->GetLocationInfo(rva, info);
}
