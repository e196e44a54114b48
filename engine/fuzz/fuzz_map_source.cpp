// Map source records from arbitrary bytes: a record is either refused with EReadError,
// leaving the source as it was, or loaded into a non-empty source that writes and
// reads back to the same names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"
#include "platform/classlib/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream in;
  FillStream(in, data, size);

  TParticleMapSource source;
  source.AddMap("before.bmp");
  const std::string before = source.Maps().CommaText();
  try {
    source.LoadFromStream(in);
  } catch (const EReadError&) {
    if (source.Maps().CommaText() != before || source.Count() != 2) std::abort();
    return 0;
  }
  if (source.Count() < 1) std::abort();

  TMemoryStream out;
  source.SaveToStream(out);
  out.SetPosition(0);
  TParticleMapSource back;
  back.LoadFromStream(out);
  if (back.Maps().CommaText() != source.Maps().CommaText()) std::abort();
  for (Integer i = 0; i < source.Count(); ++i) {
    const TParticleMapOptions* a = source.OptionsAt(i);
    const TParticleMapOptions* b = back.OptionsAt(i);
    if (a->Flip != b->Flip) std::abort();
  }
  return 0;
}
