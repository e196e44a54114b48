// Hostile wave data through every reader of TKitWave: plain images, the "Data" property
// and compressed streams. A refused image leaves the previous one in place.
#include <cstddef>
#include <cstdint>

#include "controlkit/kit_wave.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

// A valid image to start from, so that a refusal can be seen to keep it.
void LoadKnown(TKitWave& wave) {
  static const Byte kWave[] = {'R', 'I', 'F', 'F', 26, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0,
                               0,   0,   1,   0,   1,  0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0};
  TMemoryStream s;
  s.WriteBuffer(kWave, sizeof(kWave));
  s.SetPosition(0);
  wave.LoadFromStream(s);
}

void Try(void (TKitWave::*load)(TStream&), const std::uint8_t* data, std::size_t size) {
  TKitWave wave;
  LoadKnown(wave);
  TMemoryStream s;
  if (size) s.WriteBuffer(data, static_cast<Int64>(size));
  s.SetPosition(0);
  try {
    (wave.*load)(s);
  } catch (const Exception&) {
    if (wave.Size() != 34) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Try(&TKitWave::LoadFromStream, data, size);
  Try(&TKitWave::ReadData, data, size);
  Try(&TKitWave::LoadCompressed, data, size);
  return 0;
}
