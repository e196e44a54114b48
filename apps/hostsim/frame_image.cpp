#include "apps/hostsim/frame_image.h"

#include <png.h>

#include <cmath>
#include <vector>

#include "apps/hostsim/hostsim_error.h"
#include "platform/filesave/whole_file_save.h"
#include "platform/host/host.h"

std::uint8_t ChannelByte(float v) {
  if (!(v > 0.0f)) return 0;  // also NaN
  if (v >= 1.0f) return 255;
  return static_cast<std::uint8_t>(std::nearbyint(v * 255.0f));
}

FrameImage CaptureRender(int width, int height) {
  FrameImage img{width, height, {}};
  img.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const host::RenderPixel p = host::ReadPixel(x, y);
      img.rgb.push_back(ChannelByte(p.r));
      img.rgb.push_back(ChannelByte(p.g));
      img.rgb.push_back(ChannelByte(p.b));
    }
  return img;
}

namespace {

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngAppend(png_structp png, png_bytep data, png_size_t size) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  bytes->insert(bytes->end(), data, data + size);
}

void PngFlush(png_structp) {}

}  // namespace

void WritePng(const std::string& path, const FrameImage& image) {
  if (image.width < 1 || image.height < 1 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
    throw HostsimError("no image to write to " + path);
  std::string error;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, PngError, PngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw HostsimError("cannot write " + path + ": out of memory");
  }
  // Made whole in memory, then saved all or nothing: no half picture is left behind.
  std::vector<std::uint8_t> bytes;
  // libpng reports errors by longjmp: nothing with a destructor is made between here and the end.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw HostsimError("cannot write " + path + ": " + error);
  }
  png_set_write_fn(png, &bytes, PngAppend, PngFlush);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y)
    png_write_row(png, image.rgb.data() + static_cast<std::size_t>(y) * image.width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  try {
    filesave::SaveWholeFile(path, bytes.data(), bytes.size());
  } catch (const filesave::SaveError& e) {
    throw HostsimError(e.what());
  }
}
