#pragma once
// The tool's host scene chunk: i32 version (100), i32 size, then size bytes holding the
// tool record up to its last written field (the record's reserved tail is not stored).
// An empty chunk (size 0) stands for an object the plug-in does not know.
#include <memory>

#include "engine/tool_object.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

inline constexpr Integer kToolChunkVersion = 100;

// Writes an empty chunk when Tool is null, so that the reader stays in step.
void WriteToolChunk(const TToolObject* Tool, TStream& Stream);
// Reads one chunk. Null for an empty chunk (size 0); the record is read whole (its size
// is taken in pieces only as the stream gives them) before the tool is made. A short
// chunk, a negative size, a version below 100 or a bad record raises EReadError.
std::unique_ptr<TToolObject> ReadToolChunk(TStream& Stream);
// A new tool with a copy of the source's name, curves and settings, made through its
// record; its modifier has no host node.
std::unique_ptr<TToolObject> CopyTool(const TToolObject& Source);
