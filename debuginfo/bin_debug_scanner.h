#pragma once
// The library's own binary debug information, kept in a module's "DBGINFO" section or
// in a ".dbgi" file beside it. Every field is a 32-bit little-endian word:
//
//   offset  field
//        0  magic 0x49474244 (the bytes "DBGI")
//        4  version, 1
//        8  unit count U
//       12  procedure count P
//       16  line count L
//       20  size S of the name table, a multiple of 4
//       24  U units:      first RVA, end RVA (exclusive), name, source-file name
//           P procedures: first RVA, name
//           L lines:      RVA, line number
//           S bytes of zero-terminated names; a name field is an offset into them
//
// Units are ascending and do not overlap; procedures and lines are in ascending RVA.
// The whole is exactly 24 + 16U + 8P + 8L + S bytes. Anything else is not valid
// (ValidFormat is false and every lookup finds nothing).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

inline constexpr Cardinal DbgBinDebugMagic = 0x49474244;
inline constexpr Cardinal DbgBinDebugVersion = 1;

class TDbgBinDebugScanner : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgBinDebugScanner(std::span<const std::uint8_t> data);

  bool ValidFormat() const { return valid_; }

  // Lookups by RVA in the module.
  std::string ModuleNameFromAddr(Cardinal rva) const;
  // The first RVA of the unit holding `rva`; false when no unit holds it.
  bool ModuleStartFromAddr(Cardinal rva, Cardinal* start) const;
  std::string ProcNameFromAddr(Cardinal rva, Cardinal* offset = nullptr) const;
  Integer LineNumberFromAddr(Cardinal rva, Cardinal* offset = nullptr) const;
  std::string SourceNameFromAddr(Cardinal rva) const;

  // Names point into the scanner's copy of the name table, which many entries may share.
  struct Unit {
    Cardinal Start = 0;
    Cardinal End = 0;
    std::string_view Name;
    std::string_view SourceName;
  };
  struct Proc {
    Cardinal Start = 0;
    std::string_view Name;
  };
  struct Line {
    Cardinal Address = 0;
    Integer Number = 0;
  };
  const std::vector<Unit>& Units() const { return units_; }
  const std::vector<Proc>& Procs() const { return procs_; }
  const std::vector<Line>& Lines() const { return lines_; }

 private:
  bool Read(std::span<const std::uint8_t> data);
  const Unit* UnitOf(Cardinal rva) const;

  bool valid_ = false;
  std::string names_;
  std::vector<Unit> units_;
  std::vector<Proc> procs_;
  std::vector<Line> lines_;
};
