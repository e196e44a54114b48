#pragma once
// The font backend: font files found through fontconfig, rendered with FreeType.
// A SizedFace is one face file at one pixel size (em in pixels), with the metrics the
// text calls report, cached advances and cached unrotated glyph masks. Glyphs are
// rendered without anti-aliasing.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/text/face_table.h"

namespace win::text {

// One glyph as a 1-bit-per-pixel mask (one byte per pixel here, 0 or 1). The mask's
// top-left pixel sits `left` pixels right of the pen and `top` rows above the baseline:
// device pixel (pen.x + left + col, pen.y - top + row).
struct GlyphMask {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> bits;
  bool Ink(int col, int row) const { return bits[static_cast<size_t>(row) * width + col] != 0; }
};

// A closed contour of a glyph outline, flattened to points in pixels relative to the
// pen, x to the right and y upward.
struct OutlinePoint {
  double x = 0;
  double y = 0;
};
using OutlineContour = std::vector<OutlinePoint>;

// Metrics in pixels, as GetTextMetrics reports them. Derived from the face's OS/2 and
// hhea tables scaled by s = ppem / unitsPerEm; ascent and descent round up (the cell
// then holds the plain letters' ink), the others to nearest (halves to even):
//   ascent = ceil(usWinAscent * s), descent = ceil(usWinDescent * s),
//   height = ascent + descent, internalLeading = height - ppem,
//   externalLeading = max(0, round((lineGap - (winAscent + winDescent - (hheaAscender -
//   hheaDescender))) * s)), aveCharWidth = round(xAvgCharWidth * s),
//   maxCharWidth = round(advanceWidthMax * s).
// Decorations: rows measured from the baseline row (the first row below the glyphs'
// bottom is 0, positive downward for the underline, upward for the strike-out top).
struct FontMetrics {
  int ppem = 0;
  int ascent = 0;
  int descent = 0;
  int height = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int underlineOffset = 0;     // rows below the baseline to the underline's first row
  int underlineThickness = 1;
  int strikeoutOffset = 0;     // rows above the baseline to the strike-out's first row
  int strikeoutThickness = 1;
};


class SizedFace {
 public:
  ~SizedFace();
  SizedFace(const SizedFace&) = delete;
  SizedFace& operator=(const SizedFace&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  // Advance of a code page 1252 character, in whole pixels (hinted).
  int Advance(unsigned char c);
  // Unrotated glyph, cached.
  const GlyphMask& Glyph(unsigned char c);
  // Glyph turned counter-clockwise by `radians`, its pen at the fraction (fx, fy) of a
  // pixel (device directions, each in [0, 1)) from the integer pen position.
  GlyphMask RotatedGlyph(unsigned char c, double radians, double fx, double fy);
  // Outline of a glyph at this size, unhinted, flattened.
  std::vector<OutlineContour> Outline(unsigned char c);

 private:
  friend std::shared_ptr<SizedFace> OpenSizedFace(Family, bool, bool, int);
  SizedFace() = default;
  unsigned GlyphIndex(unsigned char c) const;

  struct Impl;
  std::unique_ptr<Impl> impl_;
  FontMetrics metrics_;
  int advances_[256];
  std::map<unsigned char, GlyphMask> glyphs_;
};

// The largest pixel em size whose cell (ascent + descent, as FontMetrics computes
// them) is at most `cellHeight` pixels; at least 1.
int PpemForCellHeight(Family f, bool bold, bool italic, int cellHeight);

// Opens (or takes from the cache) a face at an em size of `ppem` pixels. Throws
// std::runtime_error when no font file can be found or opened.
std::shared_ptr<SizedFace> OpenSizedFace(Family f, bool bold, bool italic, int ppem);

// Unicode code point of a code page 1252 byte (undefined bytes map to themselves).
char32_t CodePointOf(unsigned char c);

}  // namespace win::text
