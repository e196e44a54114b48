#pragma once
// The glyphs the panels ship with, drawn in code: the fold panels' expand and collapse
// glyphs ("EXPAND_H", "COLLAPS_H", "EXPAND_V", "COLLAPS_V": 4-bit, olive background, which
// is also their transparent colour) and the spin edit's drop-down arrows ("DropDown",
// "DropLeft"). Also the highlighted copy a fold panel shows under the mouse.
#include <string_view>

#include "platform/classlib/bitmap.h"

// The background of every glyph here: olive (red 128, green 128, blue 0).
inline constexpr TColor kGlyphBackground = clOlive;

// Replaces `target` with the named glyph; false (target untouched) for an unknown name.
bool LoadPanelGlyph(TBitmap* target, std::string_view name);

// `target` := `glyph` with every pixel ANDed with `color` (a 24-bit copy, so the AND
// keeps its exact result). An empty glyph gives an empty target.
void BuildHighlightGlyph(TBitmap* target, TBitmap* glyph, TColor color);
