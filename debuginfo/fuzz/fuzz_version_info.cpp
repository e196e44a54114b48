// Version resources from arbitrary bytes, in either layout: refused with a library
// exception, or read into tables whose items can all be reached.
#include <cstddef>
#include <cstdint>
#include <span>

#include "debuginfo/file_version_info.h"
#include "platform/classlib/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    TDbgFileVersionInfo info(TDbgFileVersionInfo::FromData{}, std::span<const std::uint8_t>(data, size));
    info.BinFileVersion();
    info.BinProductVersion();
    for (Integer i = 0; i < info.LanguageCount(); ++i) {
      info.Languages(i);
      info.LanguageKey(i);
      info.LanguageItems(i).Text();
    }
    for (Integer i = 0; i < info.TranslationCount(); ++i) info.Translations(i);
    info.KeyValue("FileVersion");
  } catch (const Exception&) {
  }
  return 0;
}
