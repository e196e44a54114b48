// Tool scene chunks from arbitrary bytes: a chunk gives no tool, a refusal, or a tool whose
// chunk reads back to the same bytes; the reader never takes more than the chunk's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editor/tool_chunk.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ChunkOf(const TToolObject& t) {
  TMemoryStream s;
  WriteToolChunk(&t, s);
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream in;
  if (size > 0) in.WriteBuffer(data, static_cast<Int64>(size));
  in.SetPosition(0);
  std::unique_ptr<TToolObject> tool;
  try {
    tool = ReadToolChunk(in);
  } catch (const EReadError&) {
    return 0;
  }
  if (in.Position() > static_cast<Int64>(size)) std::abort();
  if (!tool) return 0;
  if (!tool->Modifier()) std::abort();
  const Bytes written = ChunkOf(*tool);
  TMemoryStream again;
  again.WriteBuffer(written.data(), static_cast<Int64>(written.size()));
  again.SetPosition(0);
  std::unique_ptr<TToolObject> back = ReadToolChunk(again);
  if (!back || ChunkOf(*back) != written) std::abort();
  return 0;
}
