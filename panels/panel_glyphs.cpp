#include "panels/panel_glyphs.h"

#include <functional>

#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/sysutils.h"

namespace {

// Pixel setter in glyph coordinates: `along` runs the glyph's length, `across` its
// thickness; a vertical glyph is the horizontal one turned onto its side.
using Plot = std::function<void(Integer along, Integer across, TColor color)>;

constexpr Integer kLength = 41;
constexpr Integer kThickness = 12;

// A small navy wedge near the start, pointing back toward it.
void DrawWedge(const Plot& plot) {
  for (Integer i = 0; i < 3; ++i)
    for (Integer c = 5 - i; c <= 6 + i; ++c) plot(3 + i, c, clNavy);
}

// Two rows of embossed grip dots: a white pixel with a navy one diagonally below it.
void DrawGrip(const Plot& plot, Integer firstAlong, Integer lastAlong) {
  for (Integer row : {4, 7})
    for (Integer a = firstAlong; a <= lastAlong; a += 3) {
      plot(a, row, clWhite);
      plot(a + 1, row + 1, clNavy);
    }
}

// A silver bar inside a one-pixel margin, grey along its bottom and far edge.
void DrawCollapseBar(const Plot& plot) {
  const Integer far = kLength - 2, bottom = kThickness - 2;
  for (Integer a = 1; a <= far; ++a)
    for (Integer c = 1; c <= bottom; ++c) plot(a, c, (a == far || c == bottom) ? clGray : clSilver);
  DrawWedge(plot);
  DrawGrip(plot, 9, 33);
}

// A tab: black outline, white inner top and start edges, grey inner far edge, the far
// end cut diagonally.
void DrawExpandTab(const Plot& plot) {
  const Integer bottom = kThickness - 2;
  // The far edge of the outline on each row: a 45-degree cut ending at the margin.
  auto farEdge = [&](Integer c) { return kLength - 2 - (bottom - c); };
  for (Integer c = 1; c <= bottom; ++c) {
    const Integer f = farEdge(c);
    for (Integer a = 1; a <= f; ++a) {
      TColor color = clSilver;
      if (c == 1 || c == bottom || a == 1 || a == f)
        color = clBlack;
      else if (a == f - 1)
        color = clGray;
      else if (c == 2 || a == 2)
        color = clWhite;
      plot(a, c, color);
    }
  }
  DrawWedge(plot);
  DrawGrip(plot, 9, 27);
}

void MakeFoldGlyph(TBitmap* target, bool expand, bool vertical) {
  TBitmap image;
  image.SetPixelFormat(pf24bit);
  if (vertical)
    image.SetSize(kThickness, kLength);
  else
    image.SetSize(kLength, kThickness);
  TCanvas* canvas = image.Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(kGlyphBackground);
  canvas->FillRect(TRect{0, 0, image.Width(), image.Height()});
  Plot plot = [&](Integer along, Integer across, TColor color) {
    if (vertical)
      canvas->SetPixels(across, along, color);
    else
      canvas->SetPixels(along, across, color);
  };
  if (expand)
    DrawExpandTab(plot);
  else
    DrawCollapseBar(plot);
  image.SetPixelFormat(pf4bit);
  target->Assign(&image);
}

// A black arrow head on the glyph background: pointing down (7 x 4) or left (4 x 7).
void MakeDropGlyph(TBitmap* target, bool left) {
  TBitmap image;
  image.SetPixelFormat(pf24bit);
  image.SetSize(left ? 4 : 7, left ? 7 : 4);
  TCanvas* canvas = image.Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(kGlyphBackground);
  canvas->FillRect(TRect{0, 0, image.Width(), image.Height()});
  for (Integer i = 0; i < 4; ++i)
    for (Integer j = i; j <= 6 - i; ++j) {
      if (left)
        canvas->SetPixels(3 - i, j, clBlack);
      else
        canvas->SetPixels(j, i, clBlack);
    }
  image.SetPixelFormat(pf4bit);
  target->Assign(&image);
}

}  // namespace

bool LoadPanelGlyph(TBitmap* target, std::string_view name) {
  if (!target) return false;
  // The "_H" glyphs serve panels folding sideways, the "_V" ones panels folding up and
  // down; each lies along the strip it is shown on (the bar of an expanded panel, the
  // whole of a collapsed one).
  if (SameText(name, "COLLAPS_H"))
    MakeFoldGlyph(target, false, false);
  else if (SameText(name, "EXPAND_H"))
    MakeFoldGlyph(target, true, true);
  else if (SameText(name, "COLLAPS_V"))
    MakeFoldGlyph(target, false, true);
  else if (SameText(name, "EXPAND_V"))
    MakeFoldGlyph(target, true, false);
  else if (SameText(name, "DropDown"))
    MakeDropGlyph(target, false);
  else if (SameText(name, "DropLeft"))
    MakeDropGlyph(target, true);
  else
    return false;
  return true;
}

void BuildHighlightGlyph(TBitmap* target, TBitmap* glyph, TColor color) {
  if (!target) return;
  target->Assign(glyph);
  if (target->Empty()) return;
  target->SetPixelFormat(pf24bit);
  const TRect r{0, 0, target->Width(), target->Height()};
  TBitmap fill;
  fill.SetPixelFormat(pf24bit);
  fill.SetSize(r.right, r.bottom);
  fill.Canvas()->Brush()->SetStyle(bsSolid);
  fill.Canvas()->Brush()->SetColor(ColorToRGB(color));
  fill.Canvas()->FillRect(r);
  TCanvas* canvas = target->Canvas();
  canvas->SetCopyMode(cmSrcAnd);
  canvas->CopyRect(r, fill.Canvas(), r);
  canvas->SetCopyMode(cmSrcCopy);
}
