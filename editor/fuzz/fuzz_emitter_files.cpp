// Emitter files, system files and emitter scene chunks from arbitrary bytes (the first byte
// picks the reader): a refused input leaves the object as it was; an accepted one writes
// and reads back to the same bytes. A chunk reader never takes more than the chunk's bytes.
//
// The objects files are read into are made once and reused: making them per input (each
// system with its thirty-odd curves) cost several times the read itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "editor/emitter_files.h"
#include "engine/fuzz/record_bytes.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileOf(const TEmitterObject& o) {
  return WrittenBytes([&](TStream& s) { WriteEmitterFile(o, s); });
}

Bytes FileOf(const TEmitter& e) {
  return WrittenBytes([&](TStream& s) { WriteSystemFile(e, s); });
}

Bytes ChunkOf(const TEmitterObject& o) {
  return WrittenBytes([&](TStream& s) { WriteEmitterChunk(&o, s); });
}

struct Fixture {
  TEmitterObject object;  // emitter files are read into it
  Bytes objectFile;       // its file bytes as they stand
  TEmitterObject objectBack;
  TEmitterObject owner;
  TEmitter& system;  // system files are read into it
  Bytes systemFile;
  TEmitter& systemBack;
  Fixture() : system(*owner.AddSystem()), systemBack(*owner.AddSystem()) {
    object.Name = "before";
    object.AddSystem()->Name = "kept";
    objectFile = FileOf(object);
    system.Name = "kept";
    systemFile = FileOf(system);
  }
};

Fixture& Objects() {
  static Fixture* f = new Fixture();  // lives as long as the process
  return *f;
}

void EmitterFile(TMemoryStream& in) {
  Fixture& f = Objects();
  CheckKeptRead(
      f.object, f.objectFile, f.objectBack,
      [&](TEmitterObject& o) {
        ReadEmitterFile(o, in);
        if (o.SystemCount() < 1) std::abort();
      },
      ReadEmitterFile, [](const TEmitterObject& o) { return FileOf(o); });
}

void SystemFile(TMemoryStream& in) {
  Fixture& f = Objects();
  CheckKeptRead(
      f.system, f.systemFile, f.systemBack, [&](TEmitter& e) { ReadSystemFile(e, in); }, ReadSystemFile,
      [](const TEmitter& e) { return FileOf(e); });
}

void Chunk(TMemoryStream& in, std::size_t size) {
  std::unique_ptr<TEmitterObject> o;
  try {
    o = ReadEmitterChunk(in);
  } catch (const EReadError&) {
    return;
  }
  if (in.Position() > static_cast<Int64>(size)) std::abort();
  if (!o) return;
  if (o->SystemCount() < 1) std::abort();
  const Bytes written = ChunkOf(*o);
  TMemoryStream again;
  FillStream(again, written.data(), written.size());
  std::unique_ptr<TEmitterObject> back = ReadEmitterChunk(again);
  if (!back || again.Position() != static_cast<Int64>(written.size())) std::abort();
  if (ChunkOf(*back) != written) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  TMemoryStream in;
  FillStream(in, data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: EmitterFile(in); break;
    case 1: SystemFile(in); break;
    default: Chunk(in, size - 1); break;
  }
  return 0;
}
