// Hostile compressed streams and blocks: the decoder must stay inside its buffers and
// the stream reader must raise its error, never read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "controlkit/kit_chunk_streams.h"
#include "controlkit/kit_compressor.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One block, in a buffer of exactly its size.
  if (size <= kLZRWMaxBlockSize + 16) {
    std::unique_ptr<Byte[]> block(new Byte[size ? size : 1]);
    if (size) std::memcpy(block.get(), data, size);
    std::unique_ptr<Byte[]> out(new Byte[kLZRWChunkSize]);
    bool damaged = false;
    const Cardinal n = LZRWDecompress(block.get(), out.get(), static_cast<Cardinal>(size), &damaged);
    if (n > kLZRWChunkSize) __builtin_trap();

    // Whatever decoded compresses and comes back unchanged.
    std::unique_ptr<Byte[]> packed(new Byte[LZRWBufferSize(n)]);
    const Word length = LZRWCompress(out.get(), packed.get(), n);
    std::unique_ptr<Byte[]> again(new Byte[kLZRWChunkSize]);
    bool bad = true;
    if (LZRWDecompress(packed.get(), again.get(), length, &bad) != n || bad ||
        std::memcmp(again.get(), out.get(), n) != 0)
      __builtin_trap();
  }

  // The same bytes as a compressed stream.
  TMemoryStream source, dest;
  if (size) source.WriteBuffer(data, static_cast<Int64>(size));
  source.SetPosition(0);
  dest.WriteBuffer("keep", 4);
  try {
    DecompressStream(source, dest);
  } catch (const Exception&) {
    if (dest.Size() != 4) __builtin_trap();  // a failed read writes nothing
  }
  return 0;
}
