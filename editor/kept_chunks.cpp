#include "editor/kept_chunks.h"

#include <limits>

#include "editor/emitter_files.h"

namespace {

// The chunk's version and size words come before the record.
constexpr Int64 kHeaderSize = 8;
constexpr Byte kNameCapacity = 32;

std::string LeadingName(TMemoryStream& Chunk) {
  const auto* bytes = static_cast<const Byte*>(Chunk.Memory());
  const Int64 size = Chunk.Size();
  if (size <= kHeaderSize) return {};
  const Byte length = bytes[kHeaderSize];
  if (length == 0 || length > kNameCapacity || kHeaderSize + 1 + length > size) return {};
  std::string name(reinterpret_cast<const char*>(bytes + kHeaderSize + 1), length);
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
  return name;
}

}  // namespace

void TKeptChunks::Keep(tsxSOBJ* Handle, TMemoryStream& Chunk) {
  const auto* bytes = static_cast<const Byte*>(Chunk.Memory());
  chunks_[Handle].assign(bytes, bytes + Chunk.Size());
}

void TKeptChunks::Drop(tsxSOBJ* Handle) { chunks_.erase(Handle); }

bool TKeptChunks::WriteBack(tsxSOBJ* Handle, TStream& Stream) const {
  const auto it = chunks_.find(Handle);
  if (it == chunks_.end()) return false;
  if (!it->second.empty()) Stream.WriteBuffer(it->second.data(), static_cast<Int64>(it->second.size()));
  return true;
}

bool TKeptChunks::Copy(tsxSOBJ* Source, tsxSOBJ* Clone) {
  const auto it = chunks_.find(Source);
  if (it == chunks_.end()) return false;
  chunks_[Clone] = it->second;
  return true;
}

void ReadWholeChunk(TStream& Stream, TMemoryStream& Out) {
  ReadChunkBody(Stream, std::numeric_limits<Int64>::max(), Out);
}

std::string UnreadableObjectText(const std::string& Kind, TMemoryStream& Chunk) {
  const std::string name = LeadingName(Chunk);
  if (!name.empty()) return "The " + Kind + " \"" + name + "\" in the scene could not be read";
  const bool vowel = !Kind.empty() && std::string("aeiou").find(Kind[0]) != std::string::npos;
  return std::string(vowel ? "An " : "A ") + Kind + " in the scene could not be read";
}
