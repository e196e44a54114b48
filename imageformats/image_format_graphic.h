#pragma once
// The reader base of the image-format library: every format reader is a TBitmap that
// decodes its file into the bitmap's pixels through the colour manager.
//
// Readers decode into a fresh bitmap and properties and take them over only when the
// whole image has been read, so a bad file raises EInvalidGraphic and leaves the
// bitmap and its properties as they were.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "imageformats/color_manager.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/bmp_format.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

// The library's dynamic arrays.
using TCardinalArray = std::vector<Cardinal>;
using TByteArray = std::vector<Byte>;
using TFloatArray = std::vector<Single>;

// Compression of a file's image data, whatever the format calls it.
enum TCompressionType : Byte {
  ctUnknown = 0,
  ctNone = 1,
  ctRLE = 2,            // Targa types 9 to 11
  ctPackedBits = 3,
  ctLZW = 4,
  ctFax3 = 5,           // CCITT Group 3
  ctFaxRLE = 6,         // CCITT modified Huffman
  ctFax4 = 7,           // CCITT Group 4
  ctFaxRLEW = 8,        // modified Huffman, rows word-aligned
  ctLZ77 = 9,           // Deflate
  ctJPEG = 10,
  ctOJPEG = 11,         // old-style JPEG
  ctThunderscan = 12,
  ctNext = 13,
  ctIT8CTPAD = 14,
  ctIT8LW = 15,
  ctIT8MP = 16,
  ctIT8BL = 17,
  ctPixarFilm = 18,
  ctPixarLog = 19,
  ctDCS = 20,
  ctJBIG = 21,
  ctPCDHuffmann = 22,
};

// TImageProperties.Options, a 32-bit set.
using TImageOptions = Cardinal;
inline constexpr TImageOptions ioTiled = 0x01;
inline constexpr TImageOptions ioBigEndian = 0x02;
inline constexpr TImageOptions ioMinIsWhite = 0x04;
inline constexpr TImageOptions ioReversed = 0x08;   // bits filled least significant first
inline constexpr TImageOptions ioUseGamma = 0x10;

// File types of a registered extension, a byte set.
using TFormatTypes = Byte;
inline constexpr TFormatTypes ftLayered = 2;
inline constexpr TFormatTypes ftMultiImage = 4;
inline constexpr TFormatTypes ftRaster = 8;
inline constexpr TFormatTypes ftVector = 16;

struct TImageProperties {
  Cardinal Version = 0;
  TImageOptions Options = 0;
  Cardinal Width = 0;
  Cardinal Height = 0;
  TColorScheme ColorScheme = csUndefined;
  Byte BitsPerSample = 0;
  Byte SamplesPerPixel = 0;
  Byte BitsPerPixel = 0;
  TCompressionType Compression = ctUnknown;
  Single FileGamma = 0.0f;
  Single XResolution = 0.0f;
  Single YResolution = 0.0f;
  bool Interlaced = false;
  bool HasAlpha = false;
  Cardinal FirstIFD = 0;
  Cardinal PlanarConfig = 0;
  Cardinal CurrentRow = 0;
  Cardinal TileWidth = 0;
  Cardinal TileLength = 0;
  Cardinal BytesPerLine = 0;
  TCardinalArray RowsPerStrip;
  TByteArray YCbCrSubSampling;
  TByteArray JPEGTables;
  Cardinal JPEGColorMode = 0;
  Cardinal JPEGTablesMode = 0;
  Cardinal CurrentStrip = 0;
  Cardinal StripCount = 0;
  Cardinal Predictor = 0;
  bool Overview = false;
  Byte Orientation = 0;
  Word ImageCount = 0;
  bool BottomUp = false;
  Byte ChannelCount = 0;
  Byte FilterMode = 0;
};

// Limits every reader applies before it allocates anything for an image: those of the
// class library's own readers.
inline constexpr Cardinal kMaxImageSide = kMaxPictureSide;
inline constexpr std::uint64_t kMaxImagePixels = kMaxPicturePixels;

// Load-error texts shared by the readers.
namespace imgmsg {
inline constexpr const char* InvalidImage = "Cannot load image. Invalid or unexpected %s image format.";
inline constexpr const char* InvalidColorFormat = "Invalid color format in %s file.";
inline constexpr const char* StreamReadError = "Stream read error in %s file.";
inline constexpr const char* UnknownCompression = "Cannot load image. %s not supported for %s files.";
inline constexpr const char* CompressionScheme = "The compression scheme is";
inline constexpr const char* CRCError = "Cannot load image. CRC error found in %s file.";
inline constexpr const char* CompressionError = "Cannot load image. Compression error found in %s file.";
inline constexpr const char* ExtraCompressedData = "Cannot load image. Extra compressed data found in %s file.";
inline constexpr const char* InvalidPalette = "Cannot load image. Palette in %s file is invalid.";
inline constexpr const char* UnknownCriticalChunk = "Cannot load PNG image. Unexpected but critical chunk detected.";
inline constexpr const char* DuplicateFileFormat = "Attempt to register %s twice.";
inline constexpr const char* ImageTooLarge = "Cannot load image. The %s image is too large (%u x %u).";
inline constexpr const char* Preparing = "Preparing...";
inline constexpr const char* Transfering = "Transfering...";
inline constexpr const char* LoadingData = "Loading data...";
}  // namespace imgmsg

// Raise EInvalidGraphic; every load error of the readers goes through them.
[[noreturn]] void ImageFormatError(const std::string& Message);
[[noreturn]] void ImageFormatError(const std::string& Message, const FormatArgs& Args);

// Byte order.
void SwapShort(Word* P, Cardinal Count);
void SwapLong(Cardinal* P, Cardinal Count);
Cardinal SwapLong(Cardinal Value);

// Raises the format's "too large" error unless Width x Height is within the limits.
void CheckImageSize(Cardinal Width, Cardinal Height, const char* FormatName);

// Sets the source scheme and samples and the bitmap layout it becomes: indexed and grey
// stay one sample of their own scheme, grey with alpha and RGBA become BGRA, every other
// colour scheme BGR.
void SetReaderSchemes(TColorManager& CM, TColorScheme Source);

// A palette made for a bitmap that is not made yet: deleted unless handed on by Release.
struct TPaletteHolder {
  win::HPALETTE Handle = nullptr;
  TPaletteHolder() = default;
  TPaletteHolder(const TPaletteHolder&) = delete;
  TPaletteHolder& operator=(const TPaletteHolder&) = delete;
  ~TPaletteHolder();
  win::HPALETTE Release() {
    win::HPALETTE h = Handle;
    Handle = nullptr;
    return h;
  }
};

// Bytes between the stream's position and its end (0 when past the end).
Int64 StreamBytesLeft(TStream& Stream);

class TImageFormatGraphic : public TBitmap {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TImageFormatGraphic();
  ~TImageFormatGraphic() override;

  void Assign(TPersistent* Source) override;

  // Whether the file (opened read-only, denying writes) or the data at the stream's
  // position carries the class's signature; the stream position is restored. The base
  // knows no signature. Each reader declares both forms; the file form opens the file
  // (raising the stream's open error) and asks the stream form of its own class.
  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // The same questions asked of a class held only as its record, as the registries hold
  // it: answered by that class's own forms; False for a class that is no reader.
  static bool CanLoad(TGraphicClass Class, const std::string& FileName);
  static bool CanLoad(TGraphicClass Class, TStream& Stream);

  // Reads the header at the stream's position into ImageProperties; True when usable.
  virtual bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex);

  TColorManager& ColorManager() { return *FColorManager; }
  const TImageProperties& ImageProperties() const { return FImageProperties; }
  TImageProperties& ImageProperties() { return FImageProperties; }
  Cardinal BasePosition() const { return FBasePosition; }
  const TRect& ProgressRect() const { return FProgressRect; }

 protected:
  // The class's stream form of CanLoad, reached through an instance of the class; every
  // reader answers with its own.
  virtual bool ClassCanLoad(TStream& Stream) { return CanLoad(Stream); }

  template <class T>
  static bool CanLoadFile(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    return T::CanLoad(static_cast<TStream&>(stream));
  }

  // Progress of the shared load protocol, reported through TGraphic's Progress.
  void ProgressStart(const std::string& Message);
  void ProgressRow(Cardinal Row, Cardinal Height);
  void ProgressEnd();

  // Runs a reader's load of the image at Base (recorded as BasePosition) in Stream (kept
  // while the load runs): Body decodes into the bitmap BeginImage answers and calls
  // CommitImage when the whole image is read. When Body raises, the staged bitmap is
  // dropped and ImageProperties is put back, so the graphic is left as it was.
  template <class F>
  void GuardedLoad(TStream& Stream, Int64 Base, F&& Body) {
    FBasePosition = static_cast<Cardinal>(Base);
    FStream = &Stream;
    TImageProperties saved = FImageProperties;
    try {
      Body();
    } catch (...) {
      FStaging.reset();
      FImageProperties = std::move(saved);
      FStream = nullptr;
      throw;
    }
    FStream = nullptr;
  }
  TBitmap& BeginImage();
  void CommitImage();

  std::unique_ptr<TColorManager> FColorManager;
  TImageProperties FImageProperties;
  Cardinal FBasePosition = 0;
  TStream* FStream = nullptr;
  TRect FProgressRect{0, 0, 0, 0};
  std::unique_ptr<TBitmap> FStaging;
};

