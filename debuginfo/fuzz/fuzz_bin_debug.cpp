// The binary debug-information format from arbitrary bytes: refused as not valid, or
// read into units, procedures and lines that every lookup answers from.
#include <cstddef>
#include <cstdint>
#include <span>

#include "debuginfo/bin_debug_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TDbgBinDebugScanner scanner(std::span<const std::uint8_t>(data, size));
  if (!scanner.ValidFormat()) return 0;
  Cardinal offset = 0, start = 0;
  auto ask = [&](Cardinal rva) {
    for (Cardinal a : {rva - 1, rva, rva + 1}) {
      scanner.ModuleNameFromAddr(a);
      scanner.ModuleStartFromAddr(a, &start);
      scanner.ProcNameFromAddr(a, &offset);
      scanner.LineNumberFromAddr(a, &offset);
      scanner.SourceNameFromAddr(a);
    }
  };
  // The first entries of each table: enough to reach every lookup path.
  const std::size_t n = 64;
  for (std::size_t i = 0; i < scanner.Units().size() && i < n; ++i) {
    ask(scanner.Units()[i].Start);
    ask(scanner.Units()[i].End);
  }
  for (std::size_t i = 0; i < scanner.Procs().size() && i < n; ++i) ask(scanner.Procs()[i].Start);
  for (std::size_t i = 0; i < scanner.Lines().size() && i < n; ++i) ask(scanner.Lines()[i].Address);
  return 0;
}
