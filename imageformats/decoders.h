#pragma once
// The image-data decoders the readers hand their raw data to. A reader creates the
// decoder it needs for one image, calls DecodeInit, Decode once per row, strip or
// block, DecodeEnd, and frees it.
//
// Bounds, for every decoder: Decode reads at most PackedSize bytes at Source and writes
// at most UnpackedSize bytes at Dest (pixels for the Targa decoder). A decoder whose input
// ends early stops there and leaves the rest of the output as it was; a run or copy that
// reaches past the end of the output is cut there (the Targa decoder carries the rest
// into its next call). On return Source points after the last byte used
// and Dest after the last byte written, so a caller can walk a buffer row by row and can
// see how much was produced. A negative size raises EGraphicCompression.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

class TStream;
struct TImageProperties;

QM_DECLARE_EXCEPTION(EGraphicCompression, Exception);

class TDecoder : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  virtual void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) = 0;
  virtual void DecodeEnd() {}
  virtual void DecodeInit() {}
  // Only the Targa decoder encodes; Dest must hold Count pixels plus Count header bytes
  // (the worst case). BytesStored is set to the bytes written.
  virtual void Encode(const void* Source, void* Dest, Cardinal Count, Cardinal& BytesStored);
  virtual void EncodeInit() {}
  virtual void EncodeEnd() {}
};

// Targa run-length packets, counted in pixels of 1, 2, 3 or 4 bytes (UnpackedSize is
// in pixels). A packet that runs past the end of one Decode call's output is carried
// into the next call (the next row), as Targa files pack across rows; DecodeInit
// forgets any such rest.
class TTargaRLEDecoder : public TDecoder {
 public:
  explicit TTargaRLEDecoder(Cardinal ColorDepth);  // 8, 15, 16, 24 or 32
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
  void DecodeInit() override;
  void Encode(const void* Source, void* Dest, Cardinal Count, Cardinal& BytesStored) override;
  Cardinal PixelSize() const { return FPixelSize; }

 private:
  Cardinal FPixelSize;
  Cardinal FPendingCount = 0;   // pixels of the current packet still to write
  bool FPendingRepeat = false;  // the packet repeats FPendingPixel (else literal pixels follow)
  Byte FPendingPixel[4] = {};
};

// PackBits (TIFF compression 32773, PSD).
class TPackbitsRLEDecoder : public TDecoder {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

class TPCXRLEDecoder : public TDecoder {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

// SGI run-length rows of 8-bit elements, or 16-bit big-endian elements (written to
// Dest big-endian, as stored). Both sizes are in bytes.
class TSGIRLEDecoder : public TDecoder {
 public:
  explicit TSGIRLEDecoder(Cardinal SampleSize);  // 8 or 16
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;

 private:
  Cardinal FSampleSize;
};

// One CUT line: a 16-bit line length (skipped), packets, a zero end mark.
class TCUTRLEDecoder : public TDecoder {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

class TPSPRLEDecoder : public TDecoder {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

class TRLADecoder : public TDecoder {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

// CCITT modified Huffman codes (T.4), one-dimensional. Output rows are whole bytes,
// 1 bits black; UnpackedSize is the bytes of all rows to produce, and Decode first
// clears them (white). An invalid code ends the current line; every line, complete or
// not, takes one row.
class TCCITTDecoder : public TDecoder {
 public:
  // Options: the Group 3 options value (kept, no effect); SwapBits: fill order 2 (bits
  // least significant first); WordAligned: rows start on 16-bit input boundaries;
  // Width: pixels per row (1 or more).
  TCCITTDecoder(Cardinal Options, bool SwapBits, bool WordAligned, Cardinal Width);
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  Cardinal Options() const { return FOptions; }
  Cardinal Width() const { return FWidth; }

 protected:
  struct TTreeNode {
    Integer Child[2] = {0, 0};  // 0: none (the root is never a child)
    Integer Value = -3;         // -3: inner node
  };
  // Bit reader over one Decode call's input.
  struct TBitReader {
    const Byte* Data = nullptr;
    Cardinal Size = 0;
    Cardinal Position = 0;   // bytes taken so far
    Byte Current = 0;        // the byte being read (bit-reversed when Swap)
    Byte Mask = 0;           // next bit within Current; 0: take the next byte
    bool Swap = false;
    bool AtEnd() const { return Mask == 0 && Position >= Size; }
    bool NextBit(bool& Bit);  // false at the end of the input
    void DropByte();          // drop the rest of the current byte
  };
  static constexpr Integer kEndOfLine = -1;
  static constexpr Integer kInvalidCode = -2;
  static constexpr Integer kInputEnded = -4;

  // Reads one run of the given colour (0 white, 1 black): its length, kEndOfLine,
  // kInvalidCode or kInputEnded.
  Integer ReadRun(TBitReader& Reader, int Color) const;
  TBitReader MakeReader(const void* Source, Integer PackedSize) const;

  Cardinal FOptions;
  bool FSwapBits;
  bool FWordAligned;
  Cardinal FWidth;
  Cardinal FBytesPerRow;
  std::vector<TTreeNode> FTrees[2];  // white, black

 private:
  void AddCode(int Color, const char* Bits, Integer Value);
  void BuildTrees();
};

class TCCITTFax3Decoder : public TCCITTDecoder {
 public:
  using TCCITTDecoder::TCCITTDecoder;
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

class TCCITTMHDecoder : public TCCITTDecoder {
 public:
  using TCCITTDecoder::TCCITTDecoder;
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
};

// Deflate through zlib's inflate. Inflate errors are not raised by Decode: Status()
// answers zlib's last result (0 ok, 1 stream end, negative an error).
class TLZ77Decoder : public TDecoder {
 public:
  TLZ77Decoder(Integer FlushMode, bool AutoReset);
  ~TLZ77Decoder() override;
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
  void DecodeEnd() override;
  void DecodeInit() override;
  Integer Status() const { return FStatus; }
  Cardinal AvailableInput() const;
  Cardinal AvailableOutput() const;

 private:
  struct TStreamRecord;
  std::unique_ptr<TStreamRecord> FStream;
  Integer FFlushMode;
  bool FAutoReset;
  Integer FStatus = 0;
  bool FInitialized = false;
};

// TIFF compression 7: each strip or tile is a JPEG stream, possibly abbreviated with
// tables from JPEGTables. YCbCr images come out as RGB; others as stored. UnpackedSize
// must be a multiple of the output row length. Rows missing from a strip that ends early
// are completed by the library's end-of-image handling (after a warning).
class TTIFFJPEGDecoder : public TDecoder {
 public:
  explicit TTIFFJPEGDecoder(const TImageProperties& Properties);
  ~TTIFFJPEGDecoder() override;
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;
  void DecodeEnd() override;
  void DecodeInit() override;

  struct TState;  // the library's records, kept out of this header

 private:
  const TImageProperties& FProperties;
  std::unique_ptr<TState> FState;
};

// ThunderScan 4-bit grey rows (2 pixels per byte, high nibble first).
class TThunderDecoder : public TDecoder {
 public:
  explicit TThunderDecoder(Cardinal Width);  // bytes per row, 1 or more
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;

 private:
  Cardinal FWidth;
};

// Photo-CD Huffman residuals, read from the stream through a 2048-byte buffer.
// Decode: Source points to an array of three plane pointers (luminance, chroma 1,
// chroma 2), each plane PackedSize (width) x UnpackedSize (height) bytes, row after row;
// Dest is not used. Stream layout, from its position:
//   - the Huffman tables: one for widths up to 1536, else three (luminance, chroma 1,
//     chroma 2); each is a byte N, then N + 1 entries of four bytes: code length - 1
//     (lengths 1 to 16), the code (16 bits, big-endian, left-aligned), the difference
//     (signed byte); the tables are padded to the end of their 2048-byte sector;
//   - coded rows: the bytes FF FF FE, a 16-bit header (bits 15-14 plane: 0 luminance,
//     2 chroma 1, 3 chroma 2; bits 13-1 the row), then one code per pixel of the row,
//     most significant bit first, padded to a whole byte.
// Each difference is added to its sample, clamped to 0..255. Decoding ends at the end of
// the stream or at a header naming plane 1 or a row past the height; a code that is not
// in the table ends its row. Tables that are cut short or hold a length above 16 raise
// EGraphicCompression.
class TPCDDecoder : public TDecoder {
 public:
  explicit TPCDDecoder(TStream& Stream);
  ~TPCDDecoder() override;
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  void Decode(const void*& Source, void*& Dest, Integer PackedSize, Integer UnpackedSize) override;

  struct TTable;

 private:
  bool NextByte(Byte& Value);
  void Refill();
  Cardinal PeekBits(unsigned Count) const;  // Count <= 16; missing bits read as 0
  void SkipBits(unsigned Count);
  void AlignToByte();
  void ReadTables(unsigned Count);

  TStream& FStream;
  Byte FBuffer[2048] = {};
  Cardinal FBufferPos = 0;
  Cardinal FBufferCount = 0;
  Cardinal FAccumulator = 0;  // bits left-aligned
  unsigned FBits = 0;         // valid bits in the accumulator
  std::unique_ptr<TTable[]> FTables;
};

// Raises EGraphicCompression.
[[noreturn]] void CompressionError(const std::string& Message);

// Warnings of the decoders (title, text): a strip that ends early and the JPEG library's
// own warnings. By default each shows a message box (OK, exclamation icon); another
// handler may be installed, and none (nullptr) drops them. Answers the handler it replaced.
using TDecoderWarningHandler = void (*)(const std::string& Title, const std::string& Text);
TDecoderWarningHandler SetDecoderWarningHandler(TDecoderWarningHandler Handler);
void DecoderWarning(const std::string& Title, const std::string& Text);
