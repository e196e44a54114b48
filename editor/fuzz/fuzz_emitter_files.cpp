// Emitter files, system files and emitter scene chunks from arbitrary bytes (the first byte
// picks the reader): a refused input leaves the object as it was; an accepted one writes
// and reads back to the same bytes. A chunk reader never takes more than the chunk's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editor/emitter_files.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

template <class Write>
Bytes BytesOf(Write write) {
  TMemoryStream s;
  write(s);
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

void Load(TMemoryStream& s, const Bytes& b) {
  s.SetSize(0);
  if (!b.empty()) s.WriteBuffer(b.data(), static_cast<Int64>(b.size()));
  s.SetPosition(0);
}

void EmitterFile(TMemoryStream& in) {
  TEmitterObject o;
  o.Name = "before";
  o.AddSystem()->Name = "kept";
  const Bytes before = BytesOf([&](TStream& s) { WriteEmitterFile(o, s); });
  try {
    ReadEmitterFile(o, in);
  } catch (const EReadError&) {
    if (BytesOf([&](TStream& s) { WriteEmitterFile(o, s); }) != before) std::abort();
    return;
  }
  if (o.SystemCount() < 1) std::abort();
  const Bytes written = BytesOf([&](TStream& s) { WriteEmitterFile(o, s); });
  TMemoryStream again;
  Load(again, written);
  TEmitterObject back;
  back.AddSystem();
  ReadEmitterFile(back, again);
  if (BytesOf([&](TStream& s) { WriteEmitterFile(back, s); }) != written) std::abort();
}

void SystemFile(TMemoryStream& in) {
  TEmitterObject owner;
  TEmitter* e = owner.AddSystem();
  e->Name = "kept";
  const Bytes before = BytesOf([&](TStream& s) { WriteSystemFile(*e, s); });
  try {
    ReadSystemFile(*e, in);
  } catch (const EReadError&) {
    if (BytesOf([&](TStream& s) { WriteSystemFile(*e, s); }) != before) std::abort();
    return;
  }
  const Bytes written = BytesOf([&](TStream& s) { WriteSystemFile(*e, s); });
  TMemoryStream again;
  Load(again, written);
  TEmitter* back = owner.AddSystem();
  ReadSystemFile(*back, again);
  if (BytesOf([&](TStream& s) { WriteSystemFile(*back, s); }) != written) std::abort();
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
  const Bytes written = BytesOf([&](TStream& s) { WriteEmitterChunk(o.get(), s); });
  TMemoryStream again;
  Load(again, written);
  std::unique_ptr<TEmitterObject> back = ReadEmitterChunk(again);
  if (!back || again.Position() != static_cast<Int64>(written.size())) std::abort();
  if (BytesOf([&](TStream& s) { WriteEmitterChunk(back.get(), s); }) != written) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  TMemoryStream in;
  Load(in, Bytes(data + 1, data + size));
  switch (data[0] % 3) {
    case 0: EmitterFile(in); break;
    case 1: SystemFile(in); break;
    default: Chunk(in, size - 1); break;
  }
  return 0;
}
