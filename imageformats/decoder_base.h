#pragma once
// Helpers shared by the decoder sources (not part of the library's interface).
#include "platform/classlib/types.h"

namespace decoder_detail {

// Raises EGraphicCompression for a negative packed or unpacked size.
void CheckSizes(Integer PackedSize, Integer UnpackedSize);

}  // namespace decoder_detail
