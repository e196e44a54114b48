// Particle system records from arbitrary bytes (the first byte picks version 100 or
// 101): refused with EReadError leaving the entry's record bytes as they were, or read
// into an entry that writes and reads back to the same bytes.
//
// The entries are made once and reused: making an emitter object and two entries per
// input (each with thirty-odd curves) cost several times the read itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/emitter_object.h"
#include "engine/fuzz/record_bytes.h"

namespace {

struct Fixture {
  TEmitterObject owner;
  TEmitter& entry;                     // every input is read into it
  TEmitter& back;                      // a loaded record read back
  std::vector<std::uint8_t> record;    // the entry's record bytes as they stand
  Fixture() : entry(*owner.AddSystem()), back(*owner.AddSystem()) {
    entry.Name = "before";
    record = RecordOf(entry);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture& f = *new Fixture();  // lives as long as the process
  if (size < 1) return 0;
  TMemoryStream in;
  FillStream(in, data + 1, size - 1);
  CheckKeptRead(
      f.entry, f.record, f.back,
      [&](TEmitter& e) {
        if (data[0] & 1)
          e.LoadFromStream(in);
        else
          e.LoadFromStreamV100(in);
        if (e.System->MaxPixelSize < 256 || e.System->MaxPixelSize > 8192) std::abort();
      },
      [](TEmitter& e, TStream& s) { e.LoadFromStream(s); }, RecordOf<TEmitter>);
  return 0;
}
