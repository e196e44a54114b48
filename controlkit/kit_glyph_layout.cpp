#include "controlkit/kit_glyph_layout.h"

#include <algorithm>

#include "controlkit/kit_draw.h"
#include "controlkit/kit_properties.h"
#include "controlkit/kit_text_effects.h"
#include "platform/win/rect.h"

namespace {

// What the layout needs of a layout object; the defaults are a plain layout's.
struct Layout {
  TKitTextArrange arrange = taRight;
  Integer offsetX = 0, offsetY = 0;
  Integer spacing = 2;
  TKitAlignment alignment = agTopLeft;
  bool arrow = false;
  TColor arrowColor = clBlack;
  Integer arrowIndent = 3;
  TKitArrowPosition arrowPosition = apRightText;
  Integer arrowSize = 3;
};

Layout LayoutOf(TKitGlyphTextLayout* l) {
  Layout r;
  if (!l) return r;
  r.arrange = l->AlignText2Glyph();
  r.offsetX = l->OffsetX();
  r.offsetY = l->OffsetY();
  r.spacing = l->Spacing();
  r.alignment = l->Alignment();
  if (auto* b = dynamic_cast<TKitButtonLayout*>(l)) {
    r.arrow = b->Arrow();
    r.arrowColor = b->ArrowColor();
    r.arrowIndent = b->ArrowIndent();
    r.arrowPosition = b->ArrowPosition();
    r.arrowSize = b->ArrowSize();
  }
  return r;
}

Integer W(const TRect& r) { return r.right - r.left; }
Integer H(const TRect& r) { return r.bottom - r.top; }
bool IsEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }
void Move(TRect& r, Integer dx, Integer dy) { r = Rect(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy); }
TRect Grown(const TRect& r, Integer by) { return Rect(r.left - by, r.top - by, r.right + by, r.bottom + by); }
TRect Union(const TRect& a, const TRect& b) {
  TRect u;
  win::UnionRect(&u, &a, &b);
  return u;
}

// DT_ alignment flags of the nine positions: left 0, centre 1, right 2; top 0, middle 4,
// bottom 8.
constexpr Cardinal kAlignmentTextFlags[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};

}  // namespace

void DrawGlyphAndText(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, const TRect& Outer,
                      TCanvas* GlyphCanvas, TRect& GlyphRect, TCanvas* MaskCanvas, TColor TransparentColor,
                      TKitGlyphTextLayout* LayoutObject, bool WordWrap, bool ShowAccel, bool MaskedGlyph, Word Options,
                      Cardinal TextFlags, TKitGlyphTextRects& Result) {
  if (!Canvas) return;
  const Layout lay = LayoutOf(LayoutObject);
  const bool measureOnly = (Options & kKitGtMeasureOnly) != 0;
  if (measureOnly) Options |= kKitGtFocusBoth;

  // 1. Sizes.
  const bool hasText = !Text.empty();
  TRect text = Rect(0, 0, 0, 0);
  if (hasText) {
    text = Rect(0, 0, W(Outer), 0);
    MeasureTextEffect(Text, Caption, text, Canvas->Font(), WordWrap, ShowAccel, 0, TextFlags);
    text = Rect(0, 0, W(text), H(text));
  }
  const TRect source = GlyphRect;
  const bool hasGlyph = GlyphCanvas && !IsEmpty(source);
  TRect glyph = hasGlyph ? Rect(0, 0, W(source), H(source)) : Rect(0, 0, 0, 0);
  const Integer s = hasGlyph == hasText ? lay.spacing : 0;

  // 2. Room for the arrow.
  const bool arrow = lay.arrow;
  const Integer a = lay.arrowSize * 2 - 1;
  if (arrow) {
    if (lay.arrowPosition == apRightText || lay.arrowPosition == apLeftText) text.right += a + lay.arrowIndent;
    else glyph.right += a + lay.arrowIndent;
  }
  const Integer tw = W(text), th = H(text), gw = W(glyph), gh = H(glyph);

  // 3. Arrangement inside the block; the smaller item is centred across.
  TPoint tAt{0, 0}, gAt{0, 0};
  Integer bw = 0, bh = 0;
  switch (lay.arrange) {
    case taLeft:
    case taLeftTop:
    case taRight:
    case taRightTop: {
      const Integer m = std::max(th, gh);
      const bool textFirst = lay.arrange == taLeft || lay.arrange == taLeftTop;
      const bool glyphTop = lay.arrange == taLeftTop || lay.arrange == taRightTop;
      tAt = Point(textFirst ? 0 : gw + s, (m - th) / 2);
      gAt = Point(textFirst ? tw + s : 0, glyphTop ? 0 : (m - gh) / 2);
      bw = tw + s + gw;
      bh = m;
      break;
    }
    case taTop:
    case taTopLeft:
    case taBottom:
    case taBottomLeft: {
      const Integer m = std::max(tw, gw);
      const bool textFirst = lay.arrange == taTop || lay.arrange == taTopLeft;
      const bool glyphLeft = lay.arrange == taTopLeft || lay.arrange == taBottomLeft;
      tAt = Point((m - tw) / 2, textFirst ? 0 : gh + s);
      gAt = Point(glyphLeft ? 0 : (m - gw) / 2, textFirst ? th + s : 0);
      bw = m;
      bh = th + s + gh;
      break;
    }
  }
  Move(text, tAt.x, tAt.y);
  Move(glyph, gAt.x, gAt.y);

  // 4. Placement in the outer rectangle.
  if ((Options & kKitGtNoPlacement) == 0) {
    TRect block;
    AlignRectIn(lay.alignment, Rect(0, 0, bw, bh), Outer, block);
    Move(glyph, block.left, block.top);
    Move(text, block.left + 1, block.top + 1);
  }
  if (arrow && lay.arrowPosition == apLeftText) Move(text, lay.arrowIndent + a, 0);
  Move(text, lay.offsetX, lay.offsetY);
  Move(glyph, lay.offsetX, lay.offsetY);

  // 5. Text.
  Canvas->Brush()->SetStyle(bsClear);
  Cardinal flags = TextFlags | 0x50;
  if (WordWrap) flags |= kAlignmentTextFlags[lay.alignment];
  if (!measureOnly && hasText) DrawTextEffect(Canvas, Text, Caption, text, flags, Options, nullptr);

  // 6. Arrow beside the text.
  const bool enabled = (Options & kKitTextEnabled) != 0;
  if (arrow && !measureOnly && (lay.arrowPosition == apRightText || lay.arrowPosition == apLeftText)) {
    const Integer y = text.top + H(text) / 2 - lay.arrowSize / 2;
    const Integer x = lay.arrowPosition == apLeftText ? text.left - (lay.arrowIndent + a)
                      : WordWrap                      ? text.right - lay.arrowSize - 1
                                                      : text.right - a - 1;
    DrawArrow(Canvas, x, y, lay.arrowSize, lay.arrowColor, true, enabled);
  }
  if (arrow && lay.arrowPosition == apLeftGlyph) Move(glyph, lay.arrowIndent + a, 0);

  // 7. Glyph.
  if (hasGlyph && !measureOnly) {
    const Word how = !MaskedGlyph ? 0 : MaskCanvas ? kKitDbMaskCanvas : kKitDbMaskFromColor;
    TRect covered;
    DrawBitmapExt(Canvas, glyph, GlyphCanvas, source, how, TransparentColor, nullptr, MaskCanvas, covered);
  }

  // 8. Arrow beside the glyph.
  if (arrow && !measureOnly && (lay.arrowPosition == apRightGlyph || lay.arrowPosition == apLeftGlyph)) {
    const Integer y = glyph.top + H(glyph) / 2 - lay.arrowSize / 2;
    const Integer x = lay.arrowPosition == apRightGlyph ? glyph.right - a : glyph.left - (lay.arrowIndent + a);
    DrawArrow(Canvas, x, y, lay.arrowSize, lay.arrowColor, true, enabled);
  }

  // 9. Focus rectangle: the last that applies wins.
  TRect focus = Outer;
  bool applied = false;
  if (Options & kKitGtFocusText) {
    focus = Grown(text, 1);
    applied = true;
  }
  if ((Options & kKitGtFocusGlyph) && hasGlyph) {
    focus = glyph;
    applied = true;
  }
  if (Options & kKitGtFocusBoth) {
    focus = Grown(Union(text, glyph), 1);
    applied = true;
  }
  if (!applied) focus = Grown(Outer, -1);
  if (measureOnly) focus = Grown(focus, 1);

  Result.Both = Union(text, glyph);
  Result.Text = text;
  Result.Glyph = glyph;
  Result.Extra = Rect(0, 0, 0, 0);
  GlyphRect = focus;
}

void DrawGlyphBitmapAndText(TCanvas* Canvas, const std::string& Text, TKit3DCaption* Caption, const TRect& Outer,
                            TBitmap* Glyph, TBitmap* Mask, TKitGlyphTextLayout* Layout, bool WordWrap, bool ShowAccel,
                            bool MaskedGlyph, Word Options, Cardinal TextFlags) {
  const bool hasGlyph = Glyph && !Glyph->Empty();
  TRect glyphRect = hasGlyph ? Rect(0, 0, Glyph->Width(), Glyph->Height()) : Rect(0, 0, 0, 0);
  TCanvas* glyphCanvas = hasGlyph ? Glyph->Canvas() : nullptr;
  TCanvas* maskCanvas = Mask && !Mask->Empty() ? Mask->Canvas() : nullptr;
  const TColor transparent = hasGlyph ? Glyph->TransparentColor() : clNone;
  TKitGlyphTextRects ignored;
  DrawGlyphAndText(Canvas, Text, Caption, Outer, glyphCanvas, glyphRect, maskCanvas, transparent, Layout, WordWrap,
                   ShowAccel, MaskedGlyph, Options, TextFlags, ignored);
}
