// Emitter object records from arbitrary bytes (the first byte picks version 100 or 101):
// a record is refused with EReadError and the object keeps its record bytes, or it loads
// into an object with at least one system that writes and reads back to the same bytes.
//
// The objects are made once and reused: making two emitter objects per input (each with
// its system's and emitter's thirty-odd curves) cost several times the read itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/emitter_object.h"
#include "engine/fuzz/record_bytes.h"

namespace {

struct Fixture {
  TEmitterObject object;               // every input is read into it
  std::vector<std::uint8_t> record;    // its record bytes as they stand
  TEmitterObject back;                 // a loaded record read back
  Fixture() {
    object.Name = "before";
    object.AddSystem()->Name = "kept";
    record = RecordOf(object);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture& f = *new Fixture();  // lives as long as the process
  if (size < 1) return 0;
  const Integer version = (data[0] & 1) ? 101 : 100;
  TMemoryStream in;
  FillStream(in, data + 1, size - 1);
  CheckKeptRead(
      f.object, f.record, f.back,
      [&](TEmitterObject& o) {
        o.LoadFromStream(version, in);
        if (o.SystemCount() < 1) std::abort();
        for (const auto& e : o.Systems)
          if (e->Owner != &o || e->System->MaxPixelSize < 256 || e->System->MaxPixelSize > 8192) std::abort();
      },
      [](TEmitterObject& o, TStream& s) { o.LoadFromStream(101, s); }, RecordOf<TEmitterObject>);
  return 0;
}
