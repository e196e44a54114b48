#pragma once
// Lays out and draws a glyph, a caption and an optional drop-down arrow inside a control.
#include <string>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/types.h"

class TKit3DCaption;
class TKitGlyphTextLayout;

// Option flags of DrawGlyphAndText (kKitTextEnabled of kit_text_effects.h is bit 2; the
// flags are passed on to DrawTextEffect as its state flags).
inline constexpr Word kKitGtNoPlacement = 0x0020;  // keep the block at the outer origin
inline constexpr Word kKitGtFocusText = 0x0040;
inline constexpr Word kKitGtFocusGlyph = 0x0080;
inline constexpr Word kKitGtFocusBoth = 0x0100;
inline constexpr Word kKitGtMeasureOnly = 0x0200;  // draws nothing; implies kKitGtFocusBoth

// The rectangles DrawGlyphAndText laid out.
struct TKitGlyphTextRects {
  TRect Both;   // union of text and glyph
  TRect Text;
  TRect Glyph;
  TRect Extra;  // always empty
};

// Lays out the glyph (`GlyphRect` of `GlyphCanvas`; none when the canvas is null or the
// rectangle empty) and `Text` in `Outer` by `Layout` (null: the layout defaults), draws
// them unless kKitGtMeasureOnly is set, and returns the focus rectangle in `GlyphRect`.
void DrawGlyphAndText(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, const TRect& Outer,
                      TCanvas* GlyphCanvas, TRect& GlyphRect, TCanvas* MaskCanvas, TColor TransparentColor,
                      TKitGlyphTextLayout* Layout, bool WordWrap, bool ShowAccel, bool MaskedGlyph, Word Options,
                      Cardinal TextFlags, TKitGlyphTextRects& Result);

// DrawGlyphAndText with a glyph bitmap (null or empty: no glyph) and its transparent
// colour; the results are discarded.
void DrawGlyphBitmapAndText(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, const TRect& Outer,
                            TBitmap* Glyph, TBitmap* Mask, TKitGlyphTextLayout* Layout, bool WordWrap, bool ShowAccel,
                            bool MaskedGlyph, Word Options, Cardinal TextFlags);
