#pragma once
// The pixel layer of the bitmap library: the 32-bit ARGB pixel, colour conversions, and
// the integer, fixed-point and rectangle helpers that transfers and controls share.
#include <cstdint>
#include <vector>

#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/types.h"
#include "platform/win/types.h"

// Alpha in bits 24-31, red 16-23, green 8-15, blue 0-7 (bytes in memory: B, G, R, A).
// Not premultiplied; alpha 255 is opaque.
using TColor32 = std::uint32_t;
using PColor32 = TColor32*;
using TArrayOfColor32 = std::vector<TColor32>;
using TArrayOfByte = std::vector<Byte>;

// The class library's geometry records (the same types canvas.h names).
using TPoint = win::POINT;
using TRect = win::RECT;

struct TFloatRect {
  Single Left = 0;
  Single Top = 0;
  Single Right = 0;
  Single Bottom = 0;
  friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

enum TRectRounding { roNearest, roOutward, roInward };

// ---- channels ------------------------------------------------------------------------

constexpr Byte AlphaComponent(TColor32 c) { return static_cast<Byte>(c >> 24); }
constexpr Byte RedComponent(TColor32 c) { return static_cast<Byte>(c >> 16); }
constexpr Byte GreenComponent(TColor32 c) { return static_cast<Byte>(c >> 8); }
constexpr Byte BlueComponent(TColor32 c) { return static_cast<Byte>(c); }
constexpr TColor32 Color32(Byte r, Byte g, Byte b, Byte a = 255) {
  return (TColor32{a} << 24) | (TColor32{r} << 16) | (TColor32{g} << 8) | TColor32{b};
}

// ---- colour helpers ------------------------------------------------------------------

// System colours are resolved to RGB first; the result is opaque.
TColor32 ColorToColor32(TColor color);
// Swaps bytes 0 and 2 and makes byte 3 opaque.
constexpr TColor32 SwapRedBlueOpaque(std::uint32_t value) {
  return 0xFF000000u | ((value & 0xFFu) << 16) | (value & 0xFF00u) | ((value >> 16) & 0xFFu);
}
constexpr TColor32 GrayColor32(Byte intensity, Byte alpha = 255) {
  return Color32(intensity, intensity, intensity, alpha);
}
// Weighted grey 0..255; alpha is ignored.
constexpr Integer Intensity(TColor32 c) {
  return static_cast<Integer>((61u * RedComponent(c) + 174u * GreenComponent(c) + 21u * BlueComponent(c)) >> 8);
}

// ---- integer and fixed-point helpers -------------------------------------------------

// Stores Value into Count consecutive words; a Count of 0 or below stores nothing.
void FillLongwords(void* dest, Integer count, std::uint32_t value);

constexpr Integer Clamp(Integer value, Integer min, Integer max) {
  if (value <= min) return min;
  if (value > max) return max;
  return value;
}

// Arithmetic shifts: fixed point to integer.
constexpr Integer ShiftRight4(Integer x) { return x >> 4; }
constexpr Integer ShiftRight8(Integer x) { return x >> 8; }
constexpr Integer ShiftRight12(Integer x) { return x >> 12; }

// a * b / c with a 64-bit product, halves rounded away from zero. -1 for c = 0 and
// whenever the quotient would not leave room for rounding in 32 bits.
Integer RoundedMulDiv(Integer a, Integer b, Integer c);

// ---- rectangles ----------------------------------------------------------------------

constexpr TPoint MakePoint(Integer x, Integer y) { return TPoint{x, y}; }
constexpr TRect MakeRect(Integer left, Integer top, Integer right, Integer bottom) {
  return TRect{left, top, right, bottom};
}
constexpr TFloatRect MakeFloatRect(Single left, Single top, Single right, Single bottom) {
  return TFloatRect{left, top, right, bottom};
}

// Nearest rounds halves to even; outward floors the top-left and ceils the
// bottom-right; inward the reverse, never giving a negative size.
TRect RoundFloatRect(const TFloatRect& r, TRectRounding rounding);

// False (and Dst all zeros) when the intersection is inverted; an empty but not
// inverted intersection answers true.
bool IntersectRects(TRect& dst, const TRect& r1, const TRect& r2);
void OffsetRectBy(TRect& r, Integer dx, Integer dy);
constexpr bool RectIsEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }
