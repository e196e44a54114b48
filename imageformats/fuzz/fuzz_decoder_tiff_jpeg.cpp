// libFuzzer target: the TIFF-JPEG decoder. The first byte picks the image's shape (grey
// or YCbCr, with or without the input's first half as the tables field); the rest is a
// strip. A corrupt strip must raise, never end the process.
#include "decoder_fuzz.h"
#include "imageformats/image_format_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Warnings would each ask for a message box that nobody answers.
  static const bool quiet = (SetDecoderWarningHandler(nullptr), true);
  (void)quiet;
  if (size < 2) return 0;
  const Byte shape = data[0];
  std::vector<Byte> rest(data + 1, data + size);
  TImageProperties p;
  p.Width = 1 + (shape & 15);
  p.Height = 1 + (shape >> 4);
  p.BitsPerSample = 8;
  p.PlanarConfig = 1;
  p.RowsPerStrip = {p.Height};
  if (shape & 0x80) {
    p.ColorScheme = csYCbCr;
    p.SamplesPerPixel = 3;
    p.YCbCrSubSampling = {2, 2};
  } else {
    p.ColorScheme = csGray;
    p.SamplesPerPixel = 1;
  }
  std::vector<Byte> strip = rest;
  if (shape & 0x40) {
    p.JPEGTables.assign(rest.begin(), rest.begin() + rest.size() / 2);
    strip.assign(rest.begin() + rest.size() / 2, rest.end());
  }
  std::vector<Byte> out(std::size_t(p.Width) * p.Height * p.SamplesPerPixel);
  TTIFFJPEGDecoder d(p);
  try {
    d.DecodeInit();
    const void* src = strip.data();
    void* dst = out.data();
    d.Decode(src, dst, static_cast<Integer>(strip.size()), static_cast<Integer>(out.size()));
    if (static_cast<const Byte*>(dst) > out.data() + out.size()) __builtin_trap();
    d.DecodeEnd();
  } catch (const Exception&) {
  }
  return 0;
}
