#pragma once
// The colour dialog as a window of the class library's own, for a person at the screen:
// a grid of basic colours, sixteen custom colours kept for the program's life, the chosen
// colour's swatch with its red, green and blue values to type, "Add to Custom Colors".
#include <optional>

#include "platform/classlib/graphics_colors.h"

// The chosen colour (0x00BBGGRR), or nothing when cancelled.
std::optional<TColor> RunColorDialogForm(TColor initial);
