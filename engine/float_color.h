#pragma once
// Float colours: red, green, blue and alpha as Singles on a nominal 0..1 scale (white is
// 1, 1, 1). The operations touch red, green and blue only unless they say otherwise.
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/types.h"

struct TColorRGBA {
  Single R = 0;
  Single G = 0;
  Single B = 0;
  Single A = 0;
};

// out = a + (b - a) * t per component.
void LerpRGB(const TColorRGBA& a, const TColorRGBA& b, TColorRGBA& out, Single t);
// All four components.
void SetRGBA(TColorRGBA& out, Single r, Single g, Single b, Single a);
// Each component into [0, 1].
void ClampRGB(TColorRGBA& c);
// A window-system colour (red in the low byte): each byte / 255.
void ColorToRGB(TColor colour, TColorRGBA& out);
// Each component clamped to [0, 1] (NaN as 0), times 255, rounded halves to even, packed
// red low, green, blue high.
TColor RGBToColor(const TColorRGBA& c);
// a = a * b per component.
void MulRGB(TColorRGBA& a, const TColorRGBA& b);
// c = c * s.
void ScaleRGB(TColorRGBA& c, Single s);
