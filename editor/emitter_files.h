#pragma once
// The emitter file (.zke), the particle system file (.zks) and the emitter's host scene
// chunk, written and read on streams.
//
// .zke: i32 version (101 written; 100 and 101 read), then the emitter object record.
// .zks: i32 version (101 written; 100 and 101 read), then one particle system record.
// Chunk: i32 version (101), i32 size, then size bytes holding the emitter object
// record. An empty chunk (size 0) stands for an object the plug-in does not know.
//
// Readers raise EReadError with a message for the user and leave the object they were
// given as it was.
#include <memory>

#include "engine/emitter_object.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

inline constexpr Integer kEmitterFileVersion = 101;
inline constexpr Integer kSystemFileVersion = 101;
inline constexpr Integer kEmitterChunkVersion = 101;

void WriteEmitterFile(const TEmitterObject& Emitter, TStream& Stream);
// Keeps the object's host node.
void ReadEmitterFile(TEmitterObject& Emitter, TStream& Stream);

void WriteSystemFile(const TEmitter& System, TStream& Stream);
void ReadSystemFile(TEmitter& System, TStream& Stream);

// Writes an empty chunk when Emitter is null, so that the reader stays in step.
void WriteEmitterChunk(const TEmitterObject* Emitter, TStream& Stream);
// Reads exactly one chunk: null for an empty chunk. The declared bytes are taken in
// blocks as the stream gives them, so a wild size allocates nothing it cannot fill. A
// short chunk, an unknown version (its bytes are passed over first) or a bad record
// raises EReadError.
std::unique_ptr<TEmitterObject> ReadEmitterChunk(TStream& Stream);

// Copies an emitter object's settings and systems (not its node) through its record.
void CopyEmitterObject(const TEmitterObject& Source, TEmitterObject& Dest);
// Copies a particle system's settings through its record.
void CopySystem(const TEmitter& Source, TEmitter& Dest);

// The framing of the plug-in's scene chunks: i32 version, i32 size, the record's bytes.
void WriteSceneChunk(Integer Version, TMemoryStream& Record, TStream& Stream);
// Up to Size bytes of Stream into Out, taken in blocks as the stream gives them, so a
// wild size allocates nothing it cannot fill; Out is left at position 0. Returns the
// count read, less than Size when the stream ends first.
Int64 ReadChunkBody(TStream& Stream, Int64 Size, TMemoryStream& Out);

// A stream over one host scene-file chunk, valid inside the host's file callback. It
// reads and writes in sequence only; its position counts the bytes passed.
class THostChunkStream : public TStream {
 public:
  explicit THostChunkStream(tsxFILE* File) : file_(File) {}
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  // Only the position can be asked for (an offset of 0 from the current position).
  Int64 Seek(Int64 offset, Word origin) override;

 private:
  tsxFILE* file_;
  Int64 position_ = 0;
};
