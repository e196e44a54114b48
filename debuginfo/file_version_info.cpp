#include "debuginfo/file_version_info.h"

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/pe_image.h"
#include "debuginfo/pe_resource_list.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/sysutils.h"

namespace {

std::string VersionText(Cardinal ms, Cardinal ls) {
  return IntToStr(ms >> 16) + "." + IntToStr(ms & 0xFFFF) + "." + IntToStr(ls >> 16) + "." + IntToStr(ls & 0xFFFF);
}

}  // namespace

const TClass& TDbgFileVersionInfo::StaticClass() {
  static const TClass cls = TClass::Of<TDbgFileVersionInfo>("TDbgFileVersionInfo", TObject::StaticClass());
  return cls;
}

TDbgFileVersionInfo::TDbgFileVersionInfo(const std::string& fileName) : fileName_(fileName) {
  TDbgPeImage image;
  std::span<const std::uint8_t> data;
  try {
    image.SetFileName(fileName);
    TDbgPeResourceItem* item = image.ResourceList().FindFirstResource(DbgResTypeVersion);
    if (item) data = item->RawData();
  } catch (const EDbgError&) {
    // Unreadable files and broken images have no version information either.
    dbg::RaiseVersionInfoError();
  }
  if (data.empty()) dbg::RaiseVersionInfoError();
  Build(data);
}

TDbgFileVersionInfo::TDbgFileVersionInfo(FromData, std::span<const std::uint8_t> data) {
  if (data.empty()) dbg::RaiseVersionInfoError();
  Build(data);
}

TDbgFileVersionInfo::~TDbgFileVersionInfo() = default;

void TDbgFileVersionInfo::Build(std::span<const std::uint8_t> data) {
  data_ = dbg::ParseVersionResource(data);
  for (const auto& table : data_.StringTables) {
    auto list = std::make_unique<TStringList>();
    for (const auto& [name, value] : table.Strings) list->Add(name + "=" + value);
    items_.push_back(std::move(list));
  }
}

bool TDbgFileVersionInfo::VersionResourceAvailable(const std::string& fileName) {
  try {
    TDbgFileVersionInfo info(fileName);
    return true;
  } catch (const EDbgError&) {
    return false;
  }
}

std::string TDbgFileVersionInfo::BinFileVersion() const {
  return VersionText(data_.FixedInfo.dwFileVersionMS, data_.FixedInfo.dwFileVersionLS);
}

std::string TDbgFileVersionInfo::BinProductVersion() const {
  return VersionText(data_.FixedInfo.dwProductVersionMS, data_.FixedInfo.dwProductVersionLS);
}

void TDbgFileVersionInfo::CheckLanguage(Integer index) const {
  if (index < 0 || index >= LanguageCount()) TList::Error(msg::ListIndexError, index);
}

TDbgLangIdRec TDbgFileVersionInfo::Languages(Integer index) const {
  CheckLanguage(index);
  return data_.StringTables[static_cast<std::size_t>(index)].Language;
}

const std::string& TDbgFileVersionInfo::LanguageKey(Integer index) const {
  CheckLanguage(index);
  return data_.StringTables[static_cast<std::size_t>(index)].Key;
}

TStringList& TDbgFileVersionInfo::LanguageItems(Integer index) const {
  CheckLanguage(index);
  return *items_[static_cast<std::size_t>(index)];
}

std::string TDbgFileVersionInfo::KeyValue(const std::string& name) const {
  return items_.empty() ? std::string() : items_.front()->Values(name);
}

TDbgLangIdRec TDbgFileVersionInfo::Translations(Integer index) const {
  if (index < 0 || index >= TranslationCount()) TList::Error(msg::ListIndexError, index);
  return data_.Translations[static_cast<std::size_t>(index)];
}
