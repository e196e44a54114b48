#include "platform/classlib/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

#include "platform/classlib/bitmap.h"
#include "platform/classlib/bmp_format.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

constexpr const char* kJpegSize = "Cannot change the size of a JPEG image";

// ---- libjpeg glue -------------------------------------------------------------------------
// The library reports a fatal error by calling error_exit, which must not return. It
// jumps back to the setjmp in RunDecompress; between that setjmp and the library's call
// only C frames and the plain callbacks below run, so the jump skips no destructor.

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (corrupt data the library can get past) are not printed.
extern "C" void JpegOutputMessage(j_common_ptr) {}

// Source over bytes in memory. Running out of data gives a fake end-of-image marker,
// as the library's own sources do, so a cut file decodes as far as it goes.
struct MemorySource {
  jpeg_source_mgr pub;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

extern "C" void JpegInitSource(j_decompress_ptr) {}

extern "C" boolean JpegFillInputBuffer(j_decompress_ptr cinfo) {
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = kEndOfImage;
  cinfo->src->bytes_in_buffer = 2;
  return 1;
}

extern "C" void JpegSkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
    JpegFillInputBuffer(cinfo);
    return;
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

extern "C" void JpegTermSource(j_decompress_ptr) {}

// What a decode produces: bottom-up BGR rows padded to 4 bytes, ready for a 24-bit DIB.
struct DecodeJob {
  const Byte* data = nullptr;
  std::size_t size = 0;
  MemorySource source{};
  TDibData dib;
  std::vector<Byte> cmykRow;
  std::string error;

  bool Allocate(JDIMENSION width, JDIMENSION height, int components) {
    try {
      dib.Width = static_cast<Integer>(width);
      dib.Height = static_cast<Integer>(height);
      dib.BitCount = 24;
      dib.Bits.assign(static_cast<std::size_t>(dib.Stride() * dib.Height), 0);
      if (components == 4) cmykRow.assign(static_cast<std::size_t>(width) * 4, 0);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  Byte* Row(JDIMENSION scanline) {
    return dib.Bits.data() + (dib.Height - 1 - static_cast<Int64>(scanline)) * dib.Stride();
  }
};

// Adobe's CMYK JPEGs store inverted ink values: the channel is c x k / 255.
void CmykToBgr(const Byte* cmyk, Byte* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const int k = cmyk[3];
    bgr[0] = static_cast<Byte>(cmyk[2] * k / 255);
    bgr[1] = static_cast<Byte>(cmyk[1] * k / 255);
    bgr[2] = static_cast<Byte>(cmyk[0] * k / 255);
  }
}

bool RunDecompress(DecodeJob& job) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegOutputMessage;
  err.message[0] = '\0';
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    job.error = err.message;
    return false;
  }
  jpeg_create_decompress(&cinfo);

  job.source.pub.init_source = JpegInitSource;
  job.source.pub.fill_input_buffer = JpegFillInputBuffer;
  job.source.pub.skip_input_data = JpegSkipInputData;
  job.source.pub.resync_to_restart = jpeg_resync_to_restart;
  job.source.pub.term_source = JpegTermSource;
  job.source.pub.next_input_byte = job.data;
  job.source.pub.bytes_in_buffer = job.size;
  cinfo.src = &job.source.pub;

  jpeg_read_header(&cinfo, 1);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_calc_output_dimensions(&cinfo);

  // The header alone decides how much is allocated: refuse sizes no real picture has.
  const Int64 stride = TDibData::DibStride(cinfo.output_width, 24);
  if (cinfo.output_width == 0 || cinfo.output_height == 0 ||
      !PictureSizeAllowed(cinfo.output_width, cinfo.output_height) ||
      stride * static_cast<Int64>(cinfo.output_height) > kMaxDibBytes ||
      !job.Allocate(cinfo.output_width, cinfo.output_height, cmyk ? 4 : 3)) {
    jpeg_destroy_decompress(&cinfo);
    job.error = "image too large";
    return false;
  }

  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION y = cinfo.output_scanline;
    JSAMPROW row = cmyk ? job.cmykRow.data() : job.Row(y);
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
    if (cmyk) CmykToBgr(job.cmykRow.data(), job.Row(y), cinfo.output_width);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void Decode(const std::vector<Byte>& data, TBitmap& bitmap) {
  DecodeJob job;
  job.data = data.data();
  job.size = data.size();
  if (!RunDecompress(job)) throw EInvalidGraphic("JPEG error: " + job.error);
  TMemoryStream bmp;
  WriteBmpFile(bmp, job.dib);
  bmp.SetPosition(0);
  bitmap.LoadFromStream(bmp);
}

}  // namespace

const TClass& TJPEGImage::StaticClass() {
  static const TClass cls = TClass::Of<TJPEGImage>("TJPEGImage", TGraphic::StaticClass());
  return cls;
}

TJPEGImage::TJPEGImage() : bitmap_(std::make_unique<TBitmap>()) {}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    data_.clear();
    bitmap_->Assign(nullptr);
    Changed(this);
    return;
  }
  if (auto* src = dynamic_cast<TJPEGImage*>(source)) {
    data_ = src->data_;
    bitmap_->Assign(src->bitmap_.get());
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* bmp = dynamic_cast<TBitmap*>(dest)) {
    bmp->Assign(bitmap_.get());
    return;
  }
  TGraphic::AssignTo(dest);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  const Int64 left = stream.Size() - stream.Position();
  if (left <= 0) throw EInvalidGraphic("JPEG error: the file is empty");
  std::vector<Byte> data(static_cast<std::size_t>(left));
  stream.ReadBuffer(data.data(), left);
  auto bitmap = std::make_unique<TBitmap>();
  Decode(data, *bitmap);
  data_ = std::move(data);
  bitmap_ = std::move(bitmap);
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream& stream) {
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<Int64>(data_.size()));
}

Integer TJPEGImage::Width() const { return bitmap_->Width(); }

Integer TJPEGImage::Height() const { return bitmap_->Height(); }

void TJPEGImage::SetWidth(Integer /*value*/) { throw EInvalidGraphicOperation(kJpegSize); }

void TJPEGImage::SetHeight(Integer /*value*/) { throw EInvalidGraphicOperation(kJpegSize); }

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
  if (canvas && !Empty()) canvas->StretchDraw(r, bitmap_.get());
}
