// Tool records from arbitrary bytes: refused with EReadError, the tool keeping its
// modifier and the global list unchanged, or read into a tool whose record writes and
// reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/fuzz/record_bytes.h"
#include "engine/modifiers.h"
#include "engine/tool_object.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream in;
  FillStream(in, data, size);

  TToolObject t;
  t.SetModifier(std::make_unique<TPlaneFanModifier>());
  TParticleModifier* mine = t.Modifier();
  const Integer listed = ModifierList().Count();
  const std::vector<std::uint8_t> before = RecordOf(t);
  try {
    t.LoadFromStream(100, in);
  } catch (const EReadError&) {
    if (t.Modifier() != mine || ModifierList().Count() != listed || RecordOf(t) != before) std::abort();
    return 0;
  }
  if (!t.Modifier() || ModifierList().Count() != listed) std::abort();

  const std::vector<std::uint8_t> written = RecordOf(t);
  TMemoryStream again;
  FillStream(again, written.data(), written.size());
  TToolObject back;
  back.LoadFromStream(100, again);
  if (RecordOf(back) != written) std::abort();
  return 0;
}
