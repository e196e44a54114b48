#pragma once
// The font GDI object: its description and the face that was resolved for it.
#include <memory>
#include <string>

#include "platform/win/gdi_object.h"
#include "platform/win/text/face_table.h"
#include "platform/win/text/font_backend.h"
#include "platform/win/text/text.h"

namespace win {

struct FontObject : GdiObject {
  FontObject() : GdiObject(GdiKind::Font) {}

  LOGFONT logFont;
  text::FaceChoice face;
  std::shared_ptr<text::SizedFace> sized;
  bool bold = false;
  bool italic = false;
  // Escapement in radians; 0 for bitmap faces, which do not turn.
  double angle = 0;

  TEXTMETRIC Metrics() const;
};

namespace text {

// Largest em size, in pixels, a font is made at: larger requests are clamped so that a
// hostile height cannot ask for gigabyte glyphs.
inline constexpr int kMaxPpem = 2048;

// The font the text calls use for a DC: its selected font when live, else the stock
// system font. Null only when no font file can be opened at all.
FontObject* FontOfDC(HDC dc);

}  // namespace text
}  // namespace win
