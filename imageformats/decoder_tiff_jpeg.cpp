// TIFF-JPEG strips and tiles through libjpeg. The library reports fatal errors through
// its error manager's error_exit, which must not return: ours jumps back (longjmp) to
// the call that started the library, where the decompressor is reset and the format's
// exception raised. Between each setjmp and the library calls it guards only plain data
// lives, so the jump skips no destructor.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"
#include "imageformats/image_format_graphic.h"

namespace {

constexpr const char* kBogusTables = "Bogus JPEG tables field.";
constexpr const char* kStripSize = "Improper JPEG strip/tile size.";
constexpr const char* kComponents = "Improper JPEG component count.";
constexpr const char* kPrecision = "Improper JPEG data precision.";
constexpr const char* kSampling = "Improper JPEG sampling factors.";
constexpr const char* kFractional = "Fractional JPEG scanline unsupported.";
constexpr const char* kEarlyEnd = "JPEG decompression error. Unexpected end of input.";

const JOCTET kEndOfImage[2] = {0xFF, 0xD9};

}  // namespace

struct TTIFFJPEGDecoder::TState {
  jpeg_decompress_struct Info{};
  jpeg_error_mgr Error{};
  jpeg_source_mgr Source{};
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX] = {};
  const JOCTET* Data = nullptr;
  std::size_t Length = 0;
  bool Created = false;
  int HSub = 1;
  int VSub = 1;
};

namespace {

using TState = TTIFFJPEGDecoder::TState;

TState& StateOf(j_common_ptr info) { return *static_cast<TState*>(info->client_data); }

void ErrorExit(j_common_ptr info) {
  TState& s = StateOf(info);
  info->err->format_message(info, s.Message);
  std::longjmp(s.Jump, 1);
}

void Warn(const char* text) {
  try {
    DecoderWarning("Warning", text);
  } catch (...) {
    // A warning must not unwind through the library.
  }
}

void OutputMessage(j_common_ptr info) {
  char buffer[JMSG_LENGTH_MAX];
  info->err->format_message(info, buffer);
  Warn(buffer);
}

void InitSource(j_decompress_ptr info) {
  TState& s = StateOf(reinterpret_cast<j_common_ptr>(info));
  info->src->next_input_byte = s.Data;
  info->src->bytes_in_buffer = s.Length;
}

// Asked for only when the data is used up: the strip ended early. Supply an end of
// image so the library finishes the rows with its own fill.
boolean FillInputBuffer(j_decompress_ptr info) {
  Warn(kEarlyEnd);
  info->src->next_input_byte = kEndOfImage;
  info->src->bytes_in_buffer = 2;
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  if (static_cast<std::size_t>(count) > info->src->bytes_in_buffer) {
    FillInputBuffer(info);
  } else {
    info->src->next_input_byte += count;
    info->src->bytes_in_buffer -= static_cast<std::size_t>(count);
  }
}

void TermSource(j_decompress_ptr) {}

void UseData(TState& s, const void* data, std::size_t length) {
  s.Data = static_cast<const JOCTET*>(data);
  s.Length = length;
  s.Info.src = &s.Source;
  s.Source.init_source = InitSource;
  s.Source.fill_input_buffer = FillInputBuffer;
  s.Source.skip_input_data = SkipInputData;
  s.Source.resync_to_restart = jpeg_resync_to_restart;
  s.Source.term_source = TermSource;
  s.Source.bytes_in_buffer = 0;
  s.Source.next_input_byte = nullptr;
}

// The guarded library calls. Each answers false when the library raised an error.
bool GuardedCreate(TState& s) {
  if (setjmp(s.Jump)) return false;
  jpeg_create_decompress(&s.Info);
  return true;
}

bool GuardedReadHeader(TState& s, bool requireImage, int& result) {
  if (setjmp(s.Jump)) return false;
  result = jpeg_read_header(&s.Info, requireImage ? TRUE : FALSE);
  return true;
}

bool GuardedStart(TState& s) {
  if (setjmp(s.Jump)) return false;
  jpeg_start_decompress(&s.Info);
  return true;
}

bool GuardedReadRows(TState& s, JSAMPLE* dest, std::size_t rowLength, JDIMENSION maxRows) {
  if (setjmp(s.Jump)) return false;
  JDIMENSION row = 0;
  while (row < maxRows && s.Info.output_scanline < s.Info.output_height) {
    JSAMPROW pointer = dest + static_cast<std::size_t>(row) * rowLength;
    if (jpeg_read_scanlines(&s.Info, &pointer, 1) != 1) break;
    ++row;
  }
  return true;
}

bool GuardedFinish(TState& s) {
  if (setjmp(s.Jump)) return false;
  jpeg_finish_decompress(&s.Info);
  return true;
}

// Resets the decompressor for the next strip and raises.
[[noreturn]] void Fail(TState& s, const std::string& message) {
  jpeg_abort_decompress(&s.Info);
  CompressionError(message);
}

[[noreturn]] void FailFromLibrary(TState& s) { Fail(s, std::string("JPEG error: ") + s.Message); }

}  // namespace

const TClass& TTIFFJPEGDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TTIFFJPEGDecoder>("TTIFFJPEGDecoder", TDecoder::StaticClass());
  return cls;
}

TTIFFJPEGDecoder::TTIFFJPEGDecoder(const TImageProperties& properties) : FProperties(properties) {}

TTIFFJPEGDecoder::~TTIFFJPEGDecoder() {
  if (FState && FState->Created) jpeg_destroy_decompress(&FState->Info);
}

void TTIFFJPEGDecoder::DecodeInit() {
  DecodeEnd();
  FState = std::make_unique<TState>();
  TState& s = *FState;
  s.Info.err = jpeg_std_error(&s.Error);
  s.Error.error_exit = ErrorExit;
  s.Error.output_message = OutputMessage;
  s.Info.client_data = &s;
  if (!GuardedCreate(s)) CompressionError(std::string("JPEG error: ") + s.Message);
  s.Created = true;  // the create call keeps err and client_data

  const TByteArray& sub = FProperties.YCbCrSubSampling;
  if (FProperties.ColorScheme == csYCbCr && sub.size() >= 2) {
    s.HSub = sub[0];
    s.VSub = sub[1];
  }
  auto valid = [](int v) { return v == 1 || v == 2 || v == 4; };
  if (!valid(s.HSub) || !valid(s.VSub)) CompressionError(kSampling);

  const TByteArray& tables = FProperties.JPEGTables;
  if (!tables.empty()) {
    UseData(s, tables.data(), tables.size());
    int result = 0;
    if (!GuardedReadHeader(s, false, result)) FailFromLibrary(s);
    if (result != JPEG_HEADER_TABLES_ONLY) Fail(s, kBogusTables);
  }
}

void TTIFFJPEGDecoder::DecodeEnd() {
  if (FState && FState->Created) jpeg_destroy_decompress(&FState->Info);
  FState.reset();
}

void TTIFFJPEGDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  if (!FState) DecodeInit();
  TState& s = *FState;
  UseData(s, source, static_cast<std::size_t>(packedSize));

  int result = 0;
  if (!GuardedReadHeader(s, true, result)) FailFromLibrary(s);
  if (result != JPEG_HEADER_OK) Fail(s, kStripSize);

  // The size this strip or tile must have.
  const TImageProperties& p = FProperties;
  const bool planar = p.PlanarConfig == 2;
  Cardinal width, height;
  if (p.Options & ioTiled) {
    width = p.TileWidth;
    height = p.TileLength;
  } else {
    width = p.Width;
    Cardinal rowsPerStrip = p.Height;
    if (!p.RowsPerStrip.empty())
      rowsPerStrip = p.RowsPerStrip.size() > p.CurrentStrip ? p.RowsPerStrip[p.CurrentStrip] : p.RowsPerStrip[0];
    if (rowsPerStrip == 0) rowsPerStrip = p.Height;  // 0: the whole image in one strip
    const Cardinal rowsLeft = p.Height > p.CurrentRow ? p.Height - p.CurrentRow : 0;
    height = std::min(rowsLeft, rowsPerStrip);
  }
  if (planar && p.SamplesPerPixel > 0) {
    const Cardinal stripsPerPlane = std::max<Cardinal>(p.StripCount / p.SamplesPerPixel, 1);
    if (p.CurrentStrip / stripsPerPlane > 0) {
      width = (width + s.HSub - 1) / s.HSub;
      height = (height + s.VSub - 1) / s.VSub;
    }
  }
  if (s.Info.image_width != width || s.Info.image_height != height) Fail(s, kStripSize);
  if (s.Info.num_components != (planar ? 1 : static_cast<int>(p.SamplesPerPixel))) Fail(s, kComponents);
  if (s.Info.data_precision != p.BitsPerSample) Fail(s, kPrecision);
  for (int c = 0; c < s.Info.num_components; ++c) {
    const jpeg_component_info& ci = s.Info.comp_info[c];
    const int h = (!planar && c == 0) ? s.HSub : 1;
    const int v = (!planar && c == 0) ? s.VSub : 1;
    if (ci.h_samp_factor != h || ci.v_samp_factor != v) Fail(s, kSampling);
  }

  // YCbCr comes out as RGB: the caller must not convert it again. Everything else as stored.
  if (p.ColorScheme == csYCbCr && !planar) {
    s.Info.jpeg_color_space = JCS_YCbCr;
    s.Info.out_color_space = JCS_RGB;
  } else {
    s.Info.jpeg_color_space = JCS_UNKNOWN;
    s.Info.out_color_space = JCS_UNKNOWN;
  }
  if (!GuardedStart(s)) FailFromLibrary(s);

  const std::size_t rowLength = static_cast<std::size_t>(s.Info.output_width) * s.Info.output_components;
  if (rowLength == 0 || static_cast<std::size_t>(unpackedSize) % rowLength != 0) Fail(s, kFractional);
  const auto maxRows = static_cast<JDIMENSION>(static_cast<std::size_t>(unpackedSize) / rowLength);
  JSAMPLE* out = static_cast<JSAMPLE*>(dest);
  if (!GuardedReadRows(s, out, rowLength, maxRows)) FailFromLibrary(s);
  const std::size_t rowsRead = s.Info.output_scanline;
  if (s.Info.output_scanline >= s.Info.output_height) {
    if (!GuardedFinish(s)) FailFromLibrary(s);
  } else {
    jpeg_abort_decompress(&s.Info);
  }
  source = static_cast<const Byte*>(source) + packedSize;
  dest = out + std::min(rowsRead, static_cast<std::size_t>(maxRows)) * rowLength;
}
