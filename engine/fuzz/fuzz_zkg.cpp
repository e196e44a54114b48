// Colour-gradient records (the whole of a ".zkg" file) from arbitrary bytes: a record is
// either refused with EReadError, leaving the gradient as it was, or loaded into a
// gradient with keys whose colours stay on the 0..1 scale and that writes and reads back
// to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/fuzz/record_bytes.h"
#include "engine/color_series.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream in;
  FillStream(in, data, size);

  TColorSeries gradient;
  gradient.Name = "before";
  gradient.AddXY(50, 1.0, "", 0x00123456);
  const std::vector<std::uint8_t> before = RecordOf(gradient);
  try {
    gradient.LoadFromStream(in);
  } catch (const EReadError&) {
    if (RecordOf(gradient) != before) std::abort();
    return 0;
  }
  if (gradient.Count() < 1) std::abort();

  for (double x : {-5.0, 0.0, 1.0, 50.0, 100.0, 1e12}) {
    TColorRGBA c;
    gradient.ColorAt(x, c);
    // Finite keys blend between byte colours; NaN positions may give NaN, never more.
    for (Single v : {c.R, c.G, c.B})
      if (v < -1e-6f || v > 1 + 1e-6f) std::abort();
    (void)RGBToColor(c);
  }

  const std::vector<std::uint8_t> written = RecordOf(gradient);
  TMemoryStream again;
  FillStream(again, written.data(), written.size());
  TColorSeries back;
  back.LoadFromStream(again);
  if (RecordOf(back) != written) std::abort();
  return 0;
}
