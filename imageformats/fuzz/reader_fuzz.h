#pragma once
// Shared body of the reader fuzz targets: the input is a whole file; every way it can
// be refused is a library exception, anything else (a crash, a sanitizer report, an
// escaping std::exception) is a finding.
#include <cstddef>
#include <cstdint>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

namespace readerfuzz {

template <class Graphic>
void LoadOnce(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  FillStream(stream, data, size);
  Graphic::CanLoad(static_cast<TStream&>(stream));
  Graphic graphic;
  try {
    graphic.ReadImageProperties(stream, 1);
  } catch (const Exception&) {
  }
  stream.SetPosition(0);
  try {
    graphic.LoadFromStream(stream);
    // A loaded image is whole: every row can be reached.
    for (Integer y = 0; y < graphic.Height(); ++y) graphic.ScanLine(y);
  } catch (const Exception&) {
  }
}

}  // namespace readerfuzz
