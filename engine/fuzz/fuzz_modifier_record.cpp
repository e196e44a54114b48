// Modifier records from arbitrary bytes. The first byte picks the kind of modifier; the
// rest is its record. A record is either refused with EReadError, leaving the modifier
// as it was, or loaded into a modifier that writes and reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/fuzz/record_bytes.h"
#include "engine/modifiers.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

namespace {

std::unique_ptr<TBasicModifier> Make(std::uint8_t kind) {
  switch (kind % 6) {
    case 0: return std::make_unique<TPlaneDeflectorModifier>();
    case 1: return std::make_unique<TPlaneFanModifier>();
    case 2: return std::make_unique<TAttractModifier>();
    case 3: return std::make_unique<TRepulseModifier>();
    case 4: return std::make_unique<TGravitronModifier>();
    default: return std::make_unique<TPathingModifier>();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::unique_ptr<TBasicModifier> modifier = Make(data[0]);
  const std::vector<std::uint8_t> before = RecordOf(*modifier);

  TMemoryStream in;
  FillStream(in, data + 1, size - 1);
  try {
    modifier->LoadFromStream(in);
  } catch (const EReadError&) {
    if (RecordOf(*modifier) != before) std::abort();
    return 0;
  }

  const std::vector<std::uint8_t> loaded = RecordOf(*modifier);
  TMemoryStream again;
  FillStream(again, loaded.data(), loaded.size());
  std::unique_ptr<TBasicModifier> back = Make(data[0]);
  back->LoadFromStream(again);
  if (RecordOf(*back) != loaded) std::abort();
  return 0;
}
