#include "controlkit/kit_chunk_streams.h"

#include <vector>

#include "controlkit/kit_compressor.h"
#include "platform/classlib/records.h"

namespace {

constexpr Int64 kMaxTotal = 0x7FFFFFFF;

[[noreturn]] void Damaged(const std::string& why) {
  throw EKitCompressedData("Compressed data is damaged: " + why);
}

}  // namespace

void CompressStream(TStream& Source, TStream& Dest, Int64 Count) {
  std::vector<Byte> input(kLZRWChunkSize);
  std::vector<Byte> block(LZRWBufferSize(kLZRWChunkSize));
  TRecordWriter writer(Dest);
  const Int64 start = Dest.Position();
  writer.U32(0);  // the total, filled in at the end
  Int64 total = 0;
  Int64 left = Count < 0 ? 0 : Count;
  while (left > 0) {
    const Cardinal n = static_cast<Cardinal>(left < kLZRWChunkSize ? left : kLZRWChunkSize);
    Source.ReadBuffer(input.data(), n);
    const Word length = LZRWCompress(input.data(), block.data(), n);
    writer.U32(length);
    writer.Bytes(block.data(), length);
    total += 4 + length;
    if (total > kMaxTotal) throw EWriteError("Compressed stream too large");
    left -= n;
  }
  const Int64 end = Dest.Position();
  Dest.SetPosition(start);
  writer.U32(static_cast<Cardinal>(total));
  Dest.SetPosition(end);
}

void DecompressStream(TStream& Source, TStream& Dest) {
  TRecordReader reader(Source);
  const Integer total = reader.I32("compressed stream size");
  if (total < 0) Damaged("negative size");
  if (total > reader.BytesLeft()) Damaged("size beyond the end of the stream");
  std::vector<Byte> block;
  std::vector<Byte> chunk(kLZRWChunkSize);
  std::vector<Byte> decoded;
  Int64 left = total;
  while (left > 0) {
    if (left < 4) Damaged("chunk header cut off");
    const Cardinal n = reader.U32("compressed chunk length");
    left -= 4;
    if (n == 0 || n > kLZRWMaxBlockSize) Damaged("chunk length out of range");
    if (n > left) Damaged("chunk beyond the stated size");
    block.resize(n);
    reader.Bytes(block.data(), n, "compressed chunk");
    left -= n;
    bool damaged = false;
    const Cardinal produced = LZRWDecompress(block.data(), chunk.data(), n, &damaged);
    if (damaged) Damaged("bad block");
    if (static_cast<Int64>(decoded.size()) + produced > kKitMaxDecompressed) Damaged("decodes to too many bytes");
    decoded.insert(decoded.end(), chunk.begin(), chunk.begin() + produced);
  }
  if (!decoded.empty()) Dest.WriteBuffer(decoded.data(), static_cast<Int64>(decoded.size()));
}
