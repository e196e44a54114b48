// Emitter object records from arbitrary bytes (the first byte picks version 100 or 101):
// a record is refused with EReadError and the object keeps its record bytes, or it loads
// into an object with at least one system that writes and reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/fuzz/record_bytes.h"
#include "engine/emitter_object.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const Integer version = (data[0] & 1) ? 101 : 100;
  TMemoryStream in;
  if (size > 1) in.WriteBuffer(data + 1, static_cast<Int64>(size - 1));
  in.SetPosition(0);

  TEmitterObject o;
  o.Name = "before";
  o.AddSystem()->Name = "kept";
  const std::vector<std::uint8_t> before = RecordOf(o);
  try {
    o.LoadFromStream(version, in);
  } catch (const EReadError&) {
    if (RecordOf(o) != before) std::abort();
    return 0;
  }
  if (o.SystemCount() < 1) std::abort();
  for (const auto& e : o.Systems) {
    if (e->Owner != &o || e->System->MaxPixelSize < 256 || e->System->MaxPixelSize > 8192) std::abort();
  }

  const std::vector<std::uint8_t> written = RecordOf(o);
  TMemoryStream again;
  again.WriteBuffer(written.data(), static_cast<Int64>(written.size()));
  again.SetPosition(0);
  TEmitterObject back;
  back.LoadFromStream(101, again);
  if (RecordOf(back) != written) std::abort();
  return 0;
}
