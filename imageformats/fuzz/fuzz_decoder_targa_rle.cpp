// libFuzzer target: the Targa run-length decoder and encoder.
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  decoderfuzz::Input in;
  if (!decoderfuzz::Split(data, size, in)) return 0;
  static const Cardinal depths[] = {8, 15, 16, 24, 32};
  TTargaRLEDecoder d(depths[in.Parameter % 5]);
  // UnpackedSize counts pixels: keep the output buffer pixel-sized.
  in.OutSize = in.OutSize / d.PixelSize() * d.PixelSize();
  std::vector<Byte> out(in.OutSize);
  const void* src = in.Packed.data();
  void* dst = out.data();
  d.DecodeInit();
  d.Decode(src, dst, static_cast<Integer>(in.Packed.size()), static_cast<Integer>(in.OutSize / d.PixelSize()));
  if (static_cast<const Byte*>(dst) > out.data() + out.size()) __builtin_trap();
  // The encoder: the rows it writes decode back to themselves.
  const Cardinal pixels = static_cast<Cardinal>(in.Packed.size() / d.PixelSize());
  std::vector<Byte> packed(pixels * d.PixelSize() + pixels + 1);
  Cardinal stored = 0;
  d.Encode(in.Packed.data(), packed.data(), pixels, stored);
  if (stored > packed.size()) __builtin_trap();
  std::vector<Byte> back(pixels * d.PixelSize());
  src = packed.data();
  dst = back.data();
  d.DecodeInit();
  d.Decode(src, dst, static_cast<Integer>(stored), static_cast<Integer>(pixels));
  for (std::size_t i = 0; i < back.size(); ++i)
    if (back[i] != in.Packed[i]) __builtin_trap();
  return 0;
}
