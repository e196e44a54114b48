#include "editor/tool_chunk.h"

#include <algorithm>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"

namespace {

// A claimed size is believed only as far as the stream delivers: the buffer grows by
// at most this much beyond the bytes actually read.
constexpr Int64 kReadPiece = 64 * 1024;

}  // namespace

void WriteToolChunk(const TToolObject* Tool, TStream& Stream) {
  TMemoryStream record;
  if (Tool) Tool->SaveToStream(record);
  TRecordWriter w(Stream);
  w.I32(kToolChunkVersion);
  // Size, not the position: the reserved tail was passed over, not written.
  const Int64 size = record.Size();
  w.I32(static_cast<Integer>(size));
  if (size > 0) Stream.WriteBuffer(record.Memory(), size);
}

std::unique_ptr<TToolObject> ReadToolChunk(TStream& Stream) {
  TRecordReader r(Stream);
  const Integer version = r.I32("tool chunk version");
  if (version < kToolChunkVersion) return nullptr;
  const Integer size = r.I32("tool chunk size");
  if (size <= 0) return nullptr;

  std::vector<Byte> bytes;
  Int64 got = 0;
  while (got < size) {
    const Int64 piece = std::min<Int64>(kReadPiece, size - got);
    bytes.resize(static_cast<std::size_t>(got + piece));
    const Int64 n = Stream.Read(bytes.data() + got, piece);
    if (n <= 0) throw EReadError("The tool's scene data is cut short");
    got += n;
  }

  TMemoryStream record;
  record.WriteBuffer(bytes.data(), size);
  record.SetPosition(0);
  auto tool = std::make_unique<TToolObject>();
  tool->LoadFromStream(version, record);
  if (!tool->Modifier()) throw EReadError("The tool's scene data holds no tool");
  return tool;
}

std::unique_ptr<TToolObject> CopyTool(const TToolObject& Source) {
  TMemoryStream record;
  Source.SaveToStream(record);
  record.SetPosition(0);
  auto tool = std::make_unique<TToolObject>();
  tool->LoadFromStream(kToolChunkVersion, record);
  return tool;
}
