// Map files from arbitrary text: parsed without a crash, and every address the map
// names answered by the lookups.
#include <cstddef>
#include <cstdint>
#include <string>

#include "debuginfo/map_parser.h"
#include "platform/classlib/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    TDbgMapScanner map(TDbgAbstractMapParser::FromText{}, std::string(reinterpret_cast<const char*>(data), size));
    Cardinal offset = 0;
    auto ask = [&](const TDbgMapAddress& a) {
      map.ModuleNameFromAddr(a);
      map.ProcNameFromAddr(a, &offset);
      map.LineNumberFromAddr(a, &offset);
      map.SourceNameFromAddr(a);
    };
    // The first entries of each table: enough to reach every lookup path.
    const std::size_t n = 64;
    for (std::size_t i = 0; i < map.Publics().size() && i < n; ++i) {
      ask(map.Publics()[i].Address);
      TDbgMapAddress found;
      map.AddrFromProcName(map.Publics()[i].Name, &found);
    }
    for (std::size_t i = 0; i < map.LineNumbers().size() && i < n; ++i) ask(map.LineNumbers()[i].Address);
    for (std::size_t i = 0; i < map.Units().size() && i < n; ++i) ask(map.Units()[i].Start);
  } catch (const Exception&) {
  }
  return 0;
}
