#include "editor/emitter_files.h"

#include <algorithm>
#include <array>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/records.h"

namespace {

Integer ReadVersion(TStream& Stream, const char* What) {
  try {
    return TRecordReader(Stream).I32("version");
  } catch (const EReadError&) {
    throw EReadError(Format("The %s is empty or cut short.", std::string(What)));
  }
}

bool IsReadableVersion(Integer Version) { return Version == kRecordVersion100 || Version == kRecordVersion101; }

}  // namespace

void WriteEmitterFile(const TEmitterObject& Emitter, TStream& Stream) {
  TRecordWriter(Stream).I32(kEmitterFileVersion);
  Emitter.SaveToStream(Stream);
}

void ReadEmitterFile(TEmitterObject& Emitter, TStream& Stream) {
  const Integer version = ReadVersion(Stream, "emitter file");
  if (!IsReadableVersion(version))
    throw EReadError(Format("The emitter file has version %d; only versions 100 and 101 can be read.", version));
  Emitter.LoadFromStream(version, Stream);
}

void WriteSystemFile(const TEmitter& System, TStream& Stream) {
  TRecordWriter(Stream).I32(kSystemFileVersion);
  System.SaveToStream(Stream);
}

void ReadSystemFile(TEmitter& System, TStream& Stream) {
  const Integer version = ReadVersion(Stream, "particle system file");
  if (version == kRecordVersion100)
    System.LoadFromStreamV100(Stream);
  else if (version == kRecordVersion101)
    System.LoadFromStream(Stream);
  else
    throw EReadError(
        Format("The particle system file has version %d; only versions 100 and 101 can be read.", version));
}

void WriteEmitterChunk(const TEmitterObject* Emitter, TStream& Stream) {
  TMemoryStream record;
  if (Emitter) Emitter->SaveToStream(record);
  WriteSceneChunk(kEmitterChunkVersion, record, Stream);
}

std::unique_ptr<TEmitterObject> ReadEmitterChunk(TStream& Stream) {
  TRecordReader r(Stream);
  Integer version = 0;
  Integer size = 0;
  try {
    version = r.I32("version");
    size = r.I32("size");
  } catch (const EReadError&) {
    throw EReadError("The emitter's scene data is cut short.");
  }
  if (size < 0) throw EReadError(Format("The emitter's scene data has a bad size (%d).", size));
  TMemoryStream bytes;
  const Int64 got = ReadChunkBody(Stream, size, bytes);
  if (got < size)
    throw EReadError(Format("The emitter's scene data is cut short: %d of %d bytes.", static_cast<Integer>(got), size));
  if (size == 0) return nullptr;
  if (!IsReadableVersion(version))
    throw EReadError(Format("The emitter's scene data has version %d; only versions 100 and 101 can be read.", version));
  auto emitter = std::make_unique<TEmitterObject>();
  emitter->LoadFromStream(version, bytes);
  return emitter;
}

void CopyEmitterObject(const TEmitterObject& Source, TEmitterObject& Dest) {
  TMemoryStream record;
  Source.SaveToStream(record);
  record.SetPosition(0);
  Dest.LoadFromStream(kRecordVersion101, record);
}

void CopySystem(const TEmitter& Source, TEmitter& Dest) {
  TMemoryStream record;
  Source.SaveToStream(record);
  record.SetPosition(0);
  Dest.LoadFromStream(record);
}

// ---- scene chunks ----

void WriteSceneChunk(Integer Version, TMemoryStream& Record, TStream& Stream) {
  TRecordWriter w(Stream);
  w.I32(Version);
  // Size, not the position: a reserved tail that was passed over is not written.
  const Int64 size = Record.Size();
  w.I32(static_cast<Integer>(size));
  if (size > 0) Stream.WriteBuffer(Record.Memory(), size);
}

Int64 ReadChunkBody(TStream& Stream, Int64 Size, TMemoryStream& Out) {
  std::array<Byte, 4096> buffer{};
  Int64 left = Size;
  while (left > 0) {
    const Int64 want = std::min<Int64>(left, static_cast<Int64>(buffer.size()));
    const Int64 got = Stream.Read(buffer.data(), want);
    if (got <= 0) break;
    Out.WriteBuffer(buffer.data(), got);
    left -= got;
  }
  Out.SetPosition(0);
  return Size - left;
}

// ---- THostChunkStream ----

Int64 THostChunkStream::Read(void* buffer, Int64 count) {
  if (count <= 0) return 0;
  const size_t got = tsxFILEread(buffer, 1, static_cast<size_t>(count), file_);
  position_ += static_cast<Int64>(got);
  return static_cast<Int64>(got);
}

Int64 THostChunkStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  const size_t put = tsxFILEwrite(buffer, 1, static_cast<size_t>(count), file_);
  position_ += static_cast<Int64>(put);
  return static_cast<Int64>(put);
}

Int64 THostChunkStream::Seek(Int64 offset, Word origin) {
  if (origin == soFromCurrent && offset == 0) return position_;
  if (origin == soFromBeginning && offset == position_) return position_;
  throw EStreamError("A scene chunk is read and written in sequence only.");
}
