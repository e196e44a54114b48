#pragma once
// Raster operations. A binary operation (SetROP2) combines a pen or brush with the
// destination; a ternary one (the block transfers) combines pattern, source and
// destination. Both work bit by bit on native pixel values, from their truth tables.
#include "platform/win/types.h"

namespace win {

// Ternary codes: the high word's low byte is the truth table, indexed by
// (pattern bit << 2) | (source bit << 1) | destination bit.
inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCPAINT = 0x00EE0086;
inline constexpr DWORD SRCAND = 0x008800C6;
inline constexpr DWORD SRCINVERT = 0x00660046;
inline constexpr DWORD SRCERASE = 0x00440328;
inline constexpr DWORD NOTSRCCOPY = 0x00330008;
inline constexpr DWORD NOTSRCERASE = 0x001100A6;
inline constexpr DWORD MERGECOPY = 0x00C000CA;
inline constexpr DWORD MERGEPAINT = 0x00BB0226;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD PATPAINT = 0x00FB0A09;
inline constexpr DWORD PATINVERT = 0x005A0049;
inline constexpr DWORD DSTINVERT = 0x00550009;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

constexpr BYTE Rop3Table(DWORD rop) { return static_cast<BYTE>((rop >> 16) & 0xFF); }
// Whether the result depends on the source / the pattern.
constexpr bool Rop3UsesSource(BYTE t) { return ((t >> 2) & 0x33) != (t & 0x33); }
constexpr bool Rop3UsesPattern(BYTE t) { return ((t >> 4) & 0x0F) != (t & 0x0F); }
constexpr bool Rop3UsesDest(BYTE t) { return ((t >> 1) & 0x55) != (t & 0x55); }

// Bitwise evaluation of a ternary truth table.
DWORD ApplyRop3(BYTE table, DWORD pattern, DWORD source, DWORD dest);
// Bitwise evaluation of a binary code R2_BLACK .. R2_WHITE (others act as R2_COPYPEN).
DWORD ApplyRop2(int rop2, DWORD pen, DWORD dest);

}  // namespace win
