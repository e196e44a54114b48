#pragma once
// Text with 3D effects: drawing, measuring and placing a caption drawn with the effects of
// a 3D caption object (sunken, raised, shadowed, outlined, extruded; rotated for an Fx
// caption).
#include <string>

#include "controlkit/kit_draw.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/types.h"

enum TKitThreeDStyle : Byte {
  tdNone,
  tdSunken,
  tdRaised,
  tdSunkenShadow,
  tdRaisedShadow,
  tdPColorSunken,
  tdPColorRaised,
  tdShadow,
  tdOutline,
  tdExtrude,
  tdExtrudeEnh
};

enum TKitDisabledStyle : Byte { dsAuto, dsStandard, ds3d, dsNone };

// The caption property objects (kit_properties.h).
class TKit3DCaption;
class TKitFxCaption;

// State flags of DrawTextEffect (and option flags of DrawGlyphAndText).
inline constexpr Word kKitTextEnabled = 0x0002;         // draw in the normal colours
inline constexpr Word kKitTextDisabledSunken = 0x0004;  // dsAuto draws disabled text sunken
inline constexpr Word kKitTextClip = 0x0008;            // clip to the clip rectangle (or the text's)

// Whether the canvas's font is a TrueType font (bit 4 of its pitch and family).
bool IsTrueTypeFont(TCanvas* Canvas);

// Draws `Text` into `R` with the system's text drawing and `TextFlags` (DT_ flags), with
// the effects of `Caption` (null: plain text in the font colour). Nothing for an empty
// text or rectangle. `ClipRect` is used with kKitTextClip; null clips to `R`.
void DrawTextEffect(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, const TRect& R,
                    Cardinal TextFlags, Word StateFlags, const TRect* ClipRect);

// The rectangle a label needs for `Text` in `Font`: `R` is measured from its left, top
// (and its width when words wrap) and comes back grown by the effect and by
// (BorderWidth + 1) x 2 at the right and bottom. For a rotated Fx caption, R becomes the
// turned bounds and the caption's PosX/PosY are set to where the text starts.
void MeasureTextEffect(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, TRect& R, TFont* Font,
                       bool WordWrap, bool ShowAccel, Integer BorderWidth, Cardinal TextFlags);
// The same on a temporary canvas of its own.
void MeasureTextEffect(const std::string& Text, TKit3DCaption* Caption, TRect& R, TFont* Font, bool WordWrap,
                       bool ShowAccel, Integer BorderWidth, Cardinal TextFlags);

// Measures `Text` in `R` (its right edge less 1) and places the measured size in `R` by
// the alignment.
void AlignedTextRect(TKitAlignment Alignment, const std::string& Text, TKit3DCaption* Caption, const TRect& R,
                     TFont* Font, bool WordWrap, bool ShowAccel, Cardinal TextFlags, TRect& Result);

// Grows the right and bottom edges of `R` by the extra room the caption's effect takes.
// Nothing for a null caption.
void TextEffectExtent(TKit3DCaption* Caption, TRect& R);
