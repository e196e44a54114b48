#include "editor/tool_chunk.h"

#include "editor/emitter_files.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/records.h"

void WriteToolChunk(const TToolObject* Tool, TStream& Stream) {
  TMemoryStream record;
  if (Tool) Tool->SaveToStream(record);
  WriteSceneChunk(kToolChunkVersion, record, Stream);
}

std::unique_ptr<TToolObject> ReadToolChunk(TStream& Stream) {
  TRecordReader r(Stream);
  const Integer version = r.I32("tool chunk version");
  const Integer size = r.I32("tool chunk size");
  if (size == 0) return nullptr;
  if (size < 0) throw EReadError(Format("The tool's scene data has a bad size (%d).", size));
  if (version < kToolChunkVersion)
    throw EReadError(Format("The tool's scene data has version %d; only version 100 can be read.", version));

  TMemoryStream record;
  if (ReadChunkBody(Stream, size, record) < size) throw EReadError("The tool's scene data is cut short");
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
