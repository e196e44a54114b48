#pragma once
// Compressed streams: a 4-byte little-endian total T (the bytes that follow, chunk headers
// included), then chunks, each a 4-byte little-endian length n and a block of n bytes (see
// kit_compressor.h) holding at most kLZRWChunkSize source bytes.
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

// Raised for a compressed stream that is cut off, inconsistent or damaged.
QM_DECLARE_EXCEPTION(EKitCompressedData, EReadError);

// Most bytes one compressed stream may decode to.
inline constexpr Int64 kKitMaxDecompressed = Int64{256} * 1024 * 1024;

// Writes the compressed stream of the next `Count` bytes of `Source` at `Dest`'s position
// and leaves Dest at its end. A source shorter than Count raises the stream's read error.
void CompressStream(TStream& Source, TStream& Dest, Int64 Count);

// Reads one compressed stream from `Source`'s position and appends what it decodes to
// `Dest`. Every length is checked against the bytes left and the limits before anything
// is allocated; a bad stream raises EKitCompressedData and Dest is not written.
void DecompressStream(TStream& Source, TStream& Dest);
