// Particle system records from arbitrary bytes (the first byte picks version 100 or
// 101): refused with EReadError leaving the entry's record bytes as they were, or read
// into an entry that writes and reads back to the same bytes.
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
  TMemoryStream in;
  if (size > 1) in.WriteBuffer(data + 1, static_cast<Int64>(size - 1));
  in.SetPosition(0);

  TEmitterObject o;
  TEmitter& e = *o.AddSystem();
  e.Name = "before";
  const std::vector<std::uint8_t> before = RecordOf(e);
  try {
    if (data[0] & 1)
      e.LoadFromStream(in);
    else
      e.LoadFromStreamV100(in);
  } catch (const EReadError&) {
    if (RecordOf(e) != before) std::abort();
    return 0;
  }
  if (e.System->MaxPixelSize < 256 || e.System->MaxPixelSize > 8192) std::abort();

  const std::vector<std::uint8_t> written = RecordOf(e);
  TMemoryStream again;
  again.WriteBuffer(written.data(), static_cast<Int64>(written.size()));
  again.SetPosition(0);
  TEmitter& back = *o.AddSystem();
  back.LoadFromStream(again);
  if (RecordOf(back) != written) std::abort();
  return 0;
}
