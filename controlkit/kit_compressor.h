#pragma once
// The kit's block compressor: a byte-oriented LZ77 coder with run-length items that turns
// at most kLZRWChunkSize source bytes into one block.
//
// Block: byte 0 is the mode (kLZRWStored: the source follows unchanged; anything else:
// compressed, the coder writes kLZRWCompressed). A compressed body is groups of a 16-bit
// big-endian control word and up to 16 items, control bits taken from the top down:
// 0 = literal (1 byte), 1 = copy (2 bytes b0 b1: offset b0*16 + (b1>>4), length
// (b1&15) + 3, byte by byte from that far back in the output) or, with offset 0, run
// (4 bytes 00 b1 b2 c: byte c written ((b1&15)*256 + b2) + 16 times).
#include <cstddef>

#include "platform/classlib/types.h"

inline constexpr Cardinal kLZRWChunkSize = 32781;
inline constexpr Byte kLZRWStored = 0x80;
inline constexpr Byte kLZRWCompressed = 0x40;
// Longest block: a stored full chunk.
inline constexpr Cardinal kLZRWMaxBlockSize = kLZRWChunkSize + 1;

// Bytes the destination of LZRWCompress must hold for `sourceLength` source bytes: the
// stored form, or what a compressed attempt may write before it gives up, whichever is more.
constexpr std::size_t LZRWBufferSize(std::size_t sourceLength) { return sourceLength + 8; }

// Compresses Source[0..SourceLength) (SourceLength <= kLZRWChunkSize) into Dest, which holds
// LZRWBufferSize(SourceLength) bytes; returns the block length. Reads no byte past the
// source. Raises EInvalidPointer "LZRW Error!" for a longer source.
Word LZRWCompress(const Byte* Source, Byte* Dest, Cardinal SourceLength);

// Decodes one block of BlockLength bytes into Dest, which holds kLZRWChunkSize bytes, and
// returns the decoded length. A compressed block of 3 bytes or less decodes to nothing.
// A damaged block (an item cut off by the block's end, a copy reaching before the start of
// the output, output beyond kLZRWChunkSize, a stored block longer than a chunk) ends there;
// `Damaged`, when given, tells whether that happened. Never reads or writes outside the
// two buffers.
Cardinal LZRWDecompress(const Byte* Block, Byte* Dest, Cardinal BlockLength, bool* Damaged = nullptr);
