#include "platform/win/png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/win/gdi.h"

namespace win {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool WriteSurfaceToPng(const Surface& s, const std::string& path, std::string* error) {
  if (s.Empty()) return Fail(error, "no pixels to write");
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return Fail(error, "cannot create " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return Fail(error, "out of memory");
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return Fail(error, "out of memory");
  }
  // Rows are converted before libpng is entered, so its error jump skips no destructor.
  std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(s.height));
  for (int y = 0; y < s.height; ++y) {
    auto& row = rows[static_cast<std::size_t>(y)];
    row.resize(static_cast<std::size_t>(s.width) * 3);
    for (int x = 0; x < s.width; ++x) {
      const COLORREF c = s.ColorOf(s.Get(x, y));
      row[static_cast<std::size_t>(x) * 3 + 0] = GetRValue(c);
      row[static_cast<std::size_t>(x) * 3 + 1] = GetGValue(c);
      row[static_cast<std::size_t>(x) * 3 + 2] = GetBValue(c);
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return Fail(error, "cannot write " + path);
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, pointers.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WriteDCToPng(HDC hdc, const std::string& path, std::string* error) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return Fail(error, "not a device context");
  return WriteSurfaceToPng(dc->surface, path, error);
}

bool WriteBitmapToPng(HBITMAP bm, const std::string& path, std::string* error) {
  BitmapObject* b = CheckBitmap(bm);
  if (!b) return Fail(error, "not a bitmap");
  return WriteSurfaceToPng(b->MakeSurface(), path, error);
}

}  // namespace win
