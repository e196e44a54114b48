#include "engine/random_table.h"

#include <array>
#include <cmath>

#include "platform/classlib/random.h"

namespace {

struct TRandomTable {
  std::array<Single, kRandomTableSize> Entries{};
  Integer Size = kRandomTableSize;
  // Kept within 0..Size-1, so that it never overflows however long the process runs.
  Integer Position = 0;
};

TRandomTable& Table() {
  static TRandomTable table;
  return table;
}

// Filled at load, while the generator still holds its load-time seed.
const bool kBuiltAtLoad = [] {
  BuildRandomTable();
  return true;
}();

Integer Wrap(Int64 index) {
  const Int64 m = index % kRandomTableSize;
  return static_cast<Integer>(m < 0 ? m + kRandomTableSize : m);
}

}  // namespace

void BuildRandomTable() {
  TRandomTable& t = Table();
  t.Position = 0;
  t.Size = kRandomTableSize;
  for (Single& e : t.Entries) e = static_cast<Single>(Random());
}

Single NextTableRandom() {
  TRandomTable& t = Table();
  const Single value = t.Entries[static_cast<std::size_t>(t.Position)];
  t.Position = (t.Position + 1) % t.Size;
  return value;
}

Single TableRandomAtFrame(Single Frame) {
  const double r = std::nearbyint(static_cast<double>(Frame));
  if (!std::isfinite(r)) return Table().Entries[0];
  // fmod keeps huge frames exact without an integer overflow.
  return RandomTableEntry(static_cast<Integer>(std::fmod(r, static_cast<double>(kRandomTableSize))));
}

Single RandomTableEntry(Integer Index) { return Table().Entries[static_cast<std::size_t>(Wrap(Index))]; }

Integer RandomTablePosition() { return Table().Position; }

const Single* RandomTableEntries() { return Table().Entries.data(); }

void AdvanceRandomTable(Integer Count) {
  TRandomTable& t = Table();
  t.Position = Wrap(Int64{t.Position} + Count);
}
