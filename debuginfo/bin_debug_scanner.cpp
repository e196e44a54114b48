#include "debuginfo/bin_debug_scanner.h"

#include <algorithm>

#include "platform/classlib/records.h"

namespace {

constexpr std::uint64_t kHeaderSize = 24;
constexpr std::uint64_t kUnitSize = 16;
constexpr std::uint64_t kProcSize = 8;
constexpr std::uint64_t kLineSize = 8;

// A name from the table: the offset must be inside it and a terminator must follow.
bool NameAt(std::string_view names, Cardinal offset, std::string_view* out) {
  if (offset >= names.size()) return false;
  const std::size_t end = names.find('\0', offset);
  if (end == std::string_view::npos) return false;
  *out = names.substr(offset, end - offset);
  return true;
}

}  // namespace

const TClass& TDbgBinDebugScanner::StaticClass() {
  static const TClass cls = TClass::Of<TDbgBinDebugScanner>("TDbgBinDebugScanner", TObject::StaticClass());
  return cls;
}

TDbgBinDebugScanner::TDbgBinDebugScanner(std::span<const std::uint8_t> data) {
  valid_ = Read(data);
  if (!valid_) {
    names_.clear();
    units_.clear();
    procs_.clear();
    lines_.clear();
  }
}

bool TDbgBinDebugScanner::Read(std::span<const std::uint8_t> data) {
  if (data.size() < kHeaderSize || data.size() % 4 != 0) return false;
  const std::uint8_t* p = data.data();
  if (bytes::LoadLE32(p) != DbgBinDebugMagic || bytes::LoadLE32(p + 4) != DbgBinDebugVersion) return false;
  const std::uint64_t unitCount = bytes::LoadLE32(p + 8);
  const std::uint64_t procCount = bytes::LoadLE32(p + 12);
  const std::uint64_t lineCount = bytes::LoadLE32(p + 16);
  const std::uint64_t namesSize = bytes::LoadLE32(p + 20);
  // 64-bit arithmetic: the sum of four 32-bit products cannot wrap.
  const std::uint64_t expected =
      kHeaderSize + unitCount * kUnitSize + procCount * kProcSize + lineCount * kLineSize + namesSize;
  if (namesSize % 4 != 0 || expected != data.size()) return false;

  std::uint64_t at = kHeaderSize;
  const auto table = data.subspan(kHeaderSize + unitCount * kUnitSize + procCount * kProcSize + lineCount * kLineSize);
  names_.assign(table.begin(), table.end());
  const std::string_view names = names_;

  units_.reserve(unitCount);
  for (std::uint64_t i = 0; i < unitCount; ++i, at += kUnitSize) {
    Unit u;
    u.Start = bytes::LoadLE32(p + at);
    u.End = bytes::LoadLE32(p + at + 4);
    if (u.Start >= u.End) return false;
    if (!units_.empty() && u.Start < units_.back().End) return false;
    if (!NameAt(names, bytes::LoadLE32(p + at + 8), &u.Name) ||
        !NameAt(names, bytes::LoadLE32(p + at + 12), &u.SourceName))
      return false;
    units_.push_back(std::move(u));
  }
  procs_.reserve(procCount);
  for (std::uint64_t i = 0; i < procCount; ++i, at += kProcSize) {
    Proc pr;
    pr.Start = bytes::LoadLE32(p + at);
    if (!procs_.empty() && pr.Start < procs_.back().Start) return false;
    if (!NameAt(names, bytes::LoadLE32(p + at + 4), &pr.Name)) return false;
    procs_.push_back(std::move(pr));
  }
  lines_.reserve(lineCount);
  for (std::uint64_t i = 0; i < lineCount; ++i, at += kLineSize) {
    Line l;
    l.Address = bytes::LoadLE32(p + at);
    l.Number = static_cast<Integer>(bytes::LoadLE32(p + at + 4));
    if (!lines_.empty() && l.Address < lines_.back().Address) return false;
    lines_.push_back(l);
  }
  return true;
}

const TDbgBinDebugScanner::Unit* TDbgBinDebugScanner::UnitOf(Cardinal rva) const {
  auto it = std::upper_bound(units_.begin(), units_.end(), rva, [](Cardinal a, const Unit& u) { return a < u.Start; });
  if (it == units_.begin()) return nullptr;
  --it;
  return rva < it->End ? &*it : nullptr;
}

std::string TDbgBinDebugScanner::ModuleNameFromAddr(Cardinal rva) const {
  const Unit* u = UnitOf(rva);
  return u ? std::string(u->Name) : std::string();
}

bool TDbgBinDebugScanner::ModuleStartFromAddr(Cardinal rva, Cardinal* start) const {
  const Unit* u = UnitOf(rva);
  if (!u) return false;
  *start = u->Start;
  return true;
}

std::string TDbgBinDebugScanner::ProcNameFromAddr(Cardinal rva, Cardinal* offset) const {
  const Unit* u = UnitOf(rva);
  if (!u) return std::string();
  auto it = std::upper_bound(procs_.begin(), procs_.end(), rva, [](Cardinal a, const Proc& pr) { return a < pr.Start; });
  if (it == procs_.begin()) return std::string();
  --it;
  if (it->Start < u->Start) return std::string();  // the nearest procedure belongs to another unit
  if (offset) *offset = rva - it->Start;
  return std::string(it->Name);
}

Integer TDbgBinDebugScanner::LineNumberFromAddr(Cardinal rva, Cardinal* offset) const {
  const Unit* u = UnitOf(rva);
  if (!u) return 0;
  auto it = std::upper_bound(lines_.begin(), lines_.end(), rva, [](Cardinal a, const Line& l) { return a < l.Address; });
  if (it == lines_.begin()) return 0;
  --it;
  if (it->Address < u->Start) return 0;
  if (offset) *offset = rva - it->Address;
  return it->Number;
}

std::string TDbgBinDebugScanner::SourceNameFromAddr(Cardinal rva) const {
  const Unit* u = UnitOf(rva);
  return u ? std::string(u->SourceName) : std::string();
}
