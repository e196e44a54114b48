#include "debuginfo/pe_section_stream.h"

#include <algorithm>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"

bool DbgIsPeImageInMemory(std::span<const std::uint8_t> module) { return dbg::IsPeImage(module); }

const TClass& TDbgPeSectionStream::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeSectionStream>("TDbgPeSectionStream", TCustomMemoryStream::StaticClass());
  return cls;
}

TDbgPeSectionStream::TDbgPeSectionStream(std::span<const std::uint8_t> module, const std::string& sectionName) {
  if (!DbgIsPeImageInMemory(module)) dbg::RaisePeError(dbg::RsNotPeFormat);
  // The headers sit at the same offsets in memory as in the file.
  const dbg::PeLayout layout = dbg::ReadPeLayout(module);
  auto it = std::find_if(layout.Sections.begin(), layout.Sections.end(),
                         [&](const TDbgPeSectionHeader& s) { return s.Name == sectionName; });
  if (it == layout.Sections.end())
    throw CreateFmt<EDbgPeImageError>(dbg::LoadResString(dbg::RsSectionNotFound), sectionName);
  header_ = *it;
  const Cardinal size = std::min(header_.SizeOfRawData, header_.VirtualSize);
  auto bytes = dbg::PeView(module).Sub(header_.VirtualAddress, size);
  // Only read through this stream: TCustomMemoryStream does not write memory it was given.
  SetPointer(const_cast<std::uint8_t*>(bytes.data()), static_cast<Int64>(bytes.size()));
}

Int64 TDbgPeSectionStream::Write(const void*, Int64) { throw EDbgPeImageError(msg::WriteError); }
