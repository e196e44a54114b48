#pragma once
// The bytes an object's record (or file) writes, so that a fuzz target can compare an
// object with itself before and after a read, and the check of a read into kept objects.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"
#include "platform/classlib/streams.h"

// What Write(stream) puts on a fresh memory stream.
template <class Write>
std::vector<std::uint8_t> WrittenBytes(Write&& write) {
  TMemoryStream s;
  write(s);
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return std::vector<std::uint8_t>(p, p + s.Size());
}

template <class T>
std::vector<std::uint8_t> RecordOf(const T& Object) {
  return WrittenBytes([&](TStream& s) { Object.SaveToStream(s); });
}

// One read of a target that keeps its objects across inputs: Read(Target) either raises
// EReadError, and Target must still write Kept, or is accepted, and Target's bytes become
// Kept and must come back the same from ReadBack(Back, stream over them).
template <class T, class Read, class ReadBack, class BytesOf>
void CheckKeptRead(T& Target, std::vector<std::uint8_t>& Kept, T& Back, Read read, ReadBack readBack,
                   BytesOf bytesOf) {
  try {
    read(Target);
  } catch (const EReadError&) {
    if (bytesOf(Target) != Kept) std::abort();
    return;
  }
  Kept = bytesOf(Target);
  TMemoryStream again;
  FillStream(again, Kept.data(), Kept.size());
  readBack(Back, again);
  if (bytesOf(Back) != Kept) std::abort();
}
