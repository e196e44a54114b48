// Curve records from arbitrary bytes: a record is either refused with EReadError, leaving
// the curve as it was, or loaded into a curve with keys that samples, edits and writes
// and reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/fuzz/record_bytes.h"
#include "engine/var_series.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream in;
  FillStream(in, data, size);

  TVarSeries curve(xmFrames, cmBoth, 0, 1);
  curve.Name = "before";
  curve.AddXY(0, 0.5);
  curve.AddXY(8192, 0.5);
  const std::vector<std::uint8_t> before = RecordOf(curve);
  try {
    curve.LoadFromStream(in);
  } catch (const EReadError&) {
    if (RecordOf(curve) != before) std::abort();
    return 0;
  }
  if (curve.Count() < 1) std::abort();

  // Sampling and key edits on whatever was read.
  for (double x : {-1.0, 0.0, 0.5, 50.0, 100.0, 8192.0, 1e9}) (void)curve.ValueAt(x);
  curve.Quantum = 1.0;
  (void)curve.ValueAt(3);
  for (Integer i = -1; i <= curve.Count(); ++i) {
    double x = 10;
    curve.ClampKeyX(i, x);
  }
  double y = 0.014;
  curve.QuantizeValue(y);

  const std::vector<std::uint8_t> written = RecordOf(curve);
  TMemoryStream again;
  FillStream(again, written.data(), written.size());
  TVarSeries back(xmFrames, cmNone, 0, 0);
  back.LoadFromStream(again);
  if (RecordOf(back) != written) std::abort();
  return 0;
}
