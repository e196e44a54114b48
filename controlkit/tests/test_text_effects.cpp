// Text effects and the glyph-and-text layout. Effects are checked as geometry: the ink of
// each colour must be the plain text's ink moved by the effect's offsets, whatever the
// glyphs look like. Sizes come from the font's own metrics.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "controlkit/kit_draw.h"
#include "controlkit/kit_glyph_layout.h"
#include "controlkit/kit_properties.h"
#include "controlkit/kit_text_effects.h"
#include "controlkit/tests/kit_paper.h"

namespace {

using kit_test::Paper;
using kit_test::Rgb;
using Ink = std::set<std::pair<int, int>>;

const TRect kArea = Rect(10, 10, 110, 50);
const std::string kText = "Kit";

void UseArial(TCanvas* c, int height = -16) {
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(height);
  c->Font()->SetColor(clBlack);
}

Ink InkOf(Paper& p, TColor color) {
  Ink ink;
  TBitmap* b = p.Bitmap();
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x)
      if (p.At(x, y) == color) ink.insert({x, y});
  return ink;
}

Ink Shift(const Ink& ink, int dx, int dy) {
  Ink out;
  for (auto [x, y] : ink) out.insert({x + dx, y + dy});
  return out;
}

Ink Minus(const Ink& a, const Ink& b) {
  Ink out;
  for (const auto& p : a)
    if (!b.count(p)) out.insert(p);
  return out;
}

Ink Plus(const Ink& a, const Ink& b) {
  Ink out = a;
  out.insert(b.begin(), b.end());
  return out;
}

struct TextFixture : ::testing::Test {
  Paper p{140, 70};
  Ink plain;  // black ink of the text drawn plainly at kArea
  void SetUp() override {
    UseArial(p.C());
    DrawTextEffect(p.C(), kText, nullptr, kArea, 0, kKitTextEnabled, nullptr);
    plain = InkOf(p, clBlack);
    ASSERT_GT(plain.size(), 20u);
    p.Fill(clWhite);
  }
  void Draw(TKit3DCaption* caption, Word state = kKitTextEnabled, const TRect* clip = nullptr) {
    p.Fill(clWhite);
    DrawTextEffect(p.C(), kText, caption, kArea, 0, state, clip);
  }
};

// ---- DrawTextEffect --------------------------------------------------------------------------

TEST_F(TextFixture, ShadowAndSunkenAndRaisedLayers) {
  TKit3DCaption c;
  c.SetShadowColor(clRed);
  c.SetLightColor(clBlue);
  c.SetStyle(tdShadow);
  c.SetShadowDepth(2);
  Draw(&c);
  EXPECT_EQ(InkOf(p, clBlack), plain);  // main text at the given place
  EXPECT_EQ(InkOf(p, clRed), Minus(Shift(plain, 2, 2), plain));

  c.SetStyle(tdSunken);
  c.SetLightDepth(1);
  Draw(&c);
  EXPECT_EQ(InkOf(p, clBlack), plain);
  EXPECT_EQ(InkOf(p, clBlue), Minus(Shift(plain, 1, 1), plain));

  c.SetStyle(tdRaised);
  Draw(&c);
  EXPECT_EQ(InkOf(p, clBlack), Shift(plain, 1, 1));
  EXPECT_EQ(InkOf(p, clBlue), Minus(plain, Shift(plain, 1, 1)));
}

TEST_F(TextFixture, ShadowedSunkenAndRaisedStyles) {
  TKit3DCaption c;
  c.SetShadowColor(clRed);
  c.SetLightColor(clBlue);
  c.SetLightDepth(1);
  c.SetShadowDepth(2);
  // Shadow at 0, light at +3, main at +2.
  c.SetStyle(tdSunkenShadow);
  Draw(&c);
  const Ink main2 = Shift(plain, 2, 2), at3 = Shift(plain, 3, 3);
  EXPECT_EQ(InkOf(p, clBlack), main2);
  EXPECT_EQ(InkOf(p, clBlue), Minus(at3, main2));
  EXPECT_EQ(InkOf(p, clRed), Minus(plain, Plus(main2, at3)));

  // Shadow at +3, light at 0, main at +1.
  c.SetStyle(tdRaisedShadow);
  Draw(&c);
  const Ink main1 = Shift(plain, 1, 1);
  EXPECT_EQ(InkOf(p, clBlack), main1);
  EXPECT_EQ(InkOf(p, clBlue), Minus(plain, main1));
  EXPECT_EQ(InkOf(p, clRed), Minus(at3, Plus(plain, main1)));

  // Parent-colour styles draw their main text in the canvas's brush colour.
  c.SetStyle(tdPColorRaised);
  p.Fill(clWhite);
  p.C()->Brush()->SetColor(clLime);
  DrawTextEffect(p.C(), kText, &c, kArea, 0, kKitTextEnabled, nullptr);
  EXPECT_EQ(InkOf(p, clLime), main1);
  EXPECT_EQ(InkOf(p, clBlack).size(), 0u);
}

TEST_F(TextFixture, ExtrudedTextSteps) {
  TKit3DCaption c;
  c.SetShadowColor(clRed);
  c.SetLightColor(clBlue);
  c.SetShadowDepth(3);
  c.SetStyle(tdExtrude);
  c.SetOrientation(toTopLeft);  // right and down
  Draw(&c);
  const Ink steps = Plus(plain, Plus(Shift(plain, 1, 1), Shift(plain, 2, 2)));
  EXPECT_EQ(InkOf(p, clBlack), Shift(plain, 3, 3));
  EXPECT_EQ(InkOf(p, clRed), Minus(steps, Shift(plain, 3, 3)));

  c.SetOrientation(toBottomLeft);  // right and up, from S + 1 lower
  Draw(&c);
  EXPECT_EQ(InkOf(p, clBlack), Shift(plain, 3, 1));

  c.SetOrientation(toTopRight);  // left and down, from S + 1 further right
  Draw(&c);
  EXPECT_EQ(InkOf(p, clBlack), Shift(plain, 1, 3));

  // Enhanced: the step drawn first takes ColorBetween(shadow, light, S - 1, S), the last
  // one the shadow colour.
  c.SetOrientation(toTopLeft);
  c.SetStyle(tdExtrudeEnh);
  Draw(&c);
  const TColor first = ColorBetween(clRed, clBlue, 2, 3);
  const Ink later = Plus(Shift(plain, 1, 1), Plus(Shift(plain, 2, 2), Shift(plain, 3, 3)));
  EXPECT_EQ(InkOf(p, first), Minus(plain, later));
  EXPECT_EQ(InkOf(p, clRed), Minus(Shift(plain, 2, 2), Shift(plain, 3, 3)));
}

TEST_F(TextFixture, DisabledTextColoursAndStyles) {
  TKit3DCaption c;
  c.SetLightColor(clBlue);
  const TColor grey = Rgb(clGrayText);
  // dsAuto with bit 4: grey text drawn sunken.
  Draw(&c, kKitTextDisabledSunken);
  EXPECT_EQ(InkOf(p, grey), plain);
  EXPECT_EQ(InkOf(p, clBlue), Minus(Shift(plain, 1, 1), plain));
  // dsAuto without it, and dsStandard: grey, no effect.
  Draw(&c, 0);
  EXPECT_EQ(InkOf(p, grey), plain);
  EXPECT_TRUE(InkOf(p, clBlue).empty());
  c.SetDisabledStyle(ds3d);
  Draw(&c, 0);
  EXPECT_EQ(InkOf(p, clBlue), Minus(Shift(plain, 1, 1), plain));
  c.SetDisabledStyle(dsNone);
  Draw(&c, 0);
  EXPECT_EQ(InkOf(p, clBlack), plain);
}

TEST_F(TextFixture, ClipPositionRotationAndTracing) {
  TKit3DCaption c;
  const TRect left = Rect(0, 0, 20, 70);
  Draw(&c, kKitTextEnabled | kKitTextClip, &left);
  Ink inside;
  for (const auto& pt : plain)
    if (pt.first < 20) inside.insert(pt);
  ASSERT_FALSE(inside.empty());
  EXPECT_EQ(InkOf(p, clBlack), inside);
  // The clip is given back.
  Draw(&c);
  EXPECT_EQ(InkOf(p, clBlack), plain);

  TKitFxCaption fx;
  fx.SetPosXY(5, 3);
  Draw(&fx);
  EXPECT_EQ(InkOf(p, clBlack), Shift(plain, 5, 3));

  // Turned by 90 degrees the word stands upright.
  fx.SetPosXY(0, 60);
  fx.SetAngle(90);
  p.Fill(clWhite);
  DrawTextEffect(p.C(), "Kitchen", &fx, Rect(0, 0, 140, 70), 0, kKitTextEnabled, nullptr);
  const Ink turned = InkOf(p, clBlack);
  ASSERT_FALSE(turned.empty());
  int minX = 999, maxX = -1, minY = 999, maxY = -1;
  for (auto [x, y] : turned) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
  EXPECT_GT(maxY - minY, 2 * (maxX - minX));

  // Tracing spreads the characters: the last one moves by 2 x 4 pixels.
  c.SetTracing(4);
  Draw(&c);
  int plainRight = 0, spreadRight = 0;
  for (auto [x, y] : plain) plainRight = std::max(plainRight, x);
  for (auto [x, y] : InkOf(p, clBlack)) spreadRight = std::max(spreadRight, x);
  EXPECT_EQ(spreadRight - plainRight, 8);
}

TEST_F(TextFixture, OutlineAndEmptyInput) {
  TKit3DCaption c;
  c.SetStyle(tdOutline);
  c.SetShadowDepth(2);
  p.C()->Font()->SetColor(clRed);
  Draw(&c);
  const Ink outline = InkOf(p, clRed);
  EXPECT_FALSE(outline.empty());
  EXPECT_EQ(InkOf(p, clWhite).size() + outline.size(), 140u * 70u);

  p.Fill(clWhite);
  DrawTextEffect(p.C(), "", &c, kArea, 0, kKitTextEnabled, nullptr);
  DrawTextEffect(p.C(), kText, &c, Rect(10, 10, 10, 50), 0, kKitTextEnabled, nullptr);
  EXPECT_EQ(InkOf(p, clWhite).size(), 140u * 70u);
}

// ---- measuring -------------------------------------------------------------------------------

struct MeasureFixture : ::testing::Test {
  TFont font;
  TCanvas* canvas = nullptr;
  Paper p{10, 10};
  void SetUp() override {
    font.SetName("Arial");
    font.SetHeight(-16);
    UseArial(p.C());
  }
  TSize Extent(const std::string& s) { return p.C()->TextExtent(s); }
};

TEST_F(MeasureFixture, PlainSizeGrowsByEffectAndBorder) {
  const TSize e = Extent(kText);
  TRect r = Rect(3, 4, 3, 4);
  MeasureTextEffect(kText, nullptr, r, &font, false, true, 0, 0);
  EXPECT_EQ(r, Rect(3, 4, 3 + e.cx + 2, 4 + e.cy + 2));

  TKit3DCaption c;
  c.SetStyle(tdShadow);
  c.SetShadowDepth(3);
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect(p.C(), kText, &c, r, &font, false, true, 1, 0);
  EXPECT_EQ(r, Rect(0, 0, e.cx + 3 + 4, e.cy + 3 + 4));

  c.SetStyle(tdNone);
  c.SetTracing(2);
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect(kText, &c, r, &font, false, true, 0, 0);
  EXPECT_EQ(r.right, e.cx + 3 * 2 + 2);
}

TEST_F(MeasureFixture, EmptyTextAmpersandAndWordWrap) {
  const TSize space = Extent(" ");
  TRect r = Rect(0, 0, 0, 0);
  MeasureTextEffect("", nullptr, r, &font, false, true, 0, 0);
  EXPECT_EQ(r, Rect(0, 0, space.cx + 2, space.cy + 2));
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect("&", nullptr, r, &font, false, true, 0, 0);
  EXPECT_EQ(r.right, space.cx + 2);
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect("&", nullptr, r, &font, false, false, 0, 0);
  EXPECT_EQ(r.right, Extent("&").cx + 2);
  // The accelerator marker takes no room when accelerators are shown.
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect("&Kit", nullptr, r, &font, false, true, 0, 0);
  EXPECT_EQ(r.right, Extent(kText).cx + 2);

  const TSize word = Extent("aaaa");
  r = Rect(0, 0, word.cx + 2, 0);
  MeasureTextEffect("aaaa aaaa", nullptr, r, &font, true, true, 0, 0);
  EXPECT_EQ(r.bottom, 2 * word.cy + 2);
  r = Rect(0, 0, word.cx + 2, 0);
  MeasureTextEffect("aaaa aaaa", nullptr, r, &font, false, true, 0, 0);
  EXPECT_EQ(r.bottom, word.cy + 2);
}

TEST_F(MeasureFixture, AngledCaptionGetsTurnedBoundsAndStartPoint) {
  const TSize e = Extent(kText);
  TKitFxCaption fx;
  int changes = 0;
  fx.OnChange = [&](TObject*) { ++changes; };
  fx.SetPosXY(7, 9);
  TRect r = Rect(0, 0, 0, 0);
  MeasureTextEffect(kText, &fx, r, &font, false, true, 0, 0);
  EXPECT_EQ(fx.PosX(), 0);  // reset for an unturned caption
  EXPECT_EQ(fx.PosY(), 0);

  fx.SetAngle(90);
  changes = 0;
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect(kText, &fx, r, &font, false, true, 0, 0);
  // Turned bounds of (0, 0, w, h) about its centre: 2 (h div 2) x 2 (w div 2).
  EXPECT_EQ(r, Rect(0, 0, 2 * (e.cy / 2) + 2, 2 * (e.cx / 2) + 2));
  EXPECT_EQ(fx.PosX(), 0);
  EXPECT_EQ(fx.PosY(), 2 * (e.cx / 2));
  EXPECT_EQ(changes, 0);  // measuring does not ask for a repaint

  // An effect depth of S div 2 - 1 moves the start point up and left.
  fx.SetStyle(tdShadow);
  fx.SetShadowDepth(4);
  r = Rect(0, 0, 0, 0);
  MeasureTextEffect(kText, &fx, r, &font, false, true, 0, 0);
  const int tw = 2 * ((e.cy + 4) / 2), th = 2 * ((e.cx + 4) / 2);
  EXPECT_EQ(r, Rect(0, 0, tw + 2, th + 2));
  EXPECT_EQ(fx.PosX(), tw / 2 - e.cy / 2 - 1);
  EXPECT_EQ(fx.PosY(), th / 2 + e.cx / 2 - 1);
}

TEST_F(MeasureFixture, AlignedTextRectPlacesTheMeasuredSize) {
  const TSize e = Extent(kText);
  TRect r;
  AlignedTextRect(agBottomRight, kText, nullptr, Rect(0, 0, 100, 40), &font, false, true, 0, r);
  EXPECT_EQ(r, Rect(100 - e.cx - 2, 40 - e.cy - 2, 100, 40));
  AlignedTextRect(agTopLeft, kText, nullptr, Rect(5, 6, 100, 40), &font, false, true, 0, r);
  EXPECT_EQ(r, Rect(5, 6, 5 + e.cx + 2, 6 + e.cy + 2));
}

TEST(KitTextEffect, ExtentByStyle) {
  TKit3DCaption c;
  c.SetLightDepth(2);
  c.SetShadowDepth(3);
  const std::pair<TKitThreeDStyle, int> cases[] = {
      {tdNone, 0},         {tdSunken, 2},        {tdRaised, 2},  {tdSunkenShadow, 5}, {tdRaisedShadow, 5},
      {tdPColorSunken, 5}, {tdPColorRaised, 5}, {tdShadow, 3},  {tdOutline, 3},      {tdExtrude, 3},
      {tdExtrudeEnh, 3}};
  for (auto [style, grow] : cases) {
    c.SetStyle(style);
    TRect r = Rect(1, 2, 10, 20);
    TextEffectExtent(&c, r);
    EXPECT_EQ(r, Rect(1, 2, 10 + grow, 20 + grow)) << int(style);
  }
  TRect r = Rect(1, 2, 10, 20);
  TextEffectExtent(nullptr, r);
  EXPECT_EQ(r, Rect(1, 2, 10, 20));
}

TEST(KitTextEffect, TrueTypeFontBit) {
  Paper p(4, 4);
  p.C()->Font()->SetName("MS Sans Serif");
  EXPECT_FALSE(IsTrueTypeFont(p.C()));
  p.C()->Font()->SetName("Arial");
  EXPECT_TRUE(IsTrueTypeFont(p.C()));
}

// ---- glyph and text --------------------------------------------------------------------------

struct GlyphFixture : ::testing::Test {
  Paper p{160, 60};
  Paper glyph{10, 8, clRed};
  TKitButtonLayout layout;
  TSize text{};  // the measured caption ("Go" plus 2)
  const TRect outer = Rect(0, 0, 160, 60);
  void SetUp() override {
    UseArial(p.C(), -12);
    TRect r = Rect(0, 0, 160, 0);
    MeasureTextEffect("Go", nullptr, r, p.C()->Font(), false, true, 0, 0);
    text = TSize{r.right - r.left, r.bottom - r.top};
  }
  TKitGlyphTextRects Lay(Word options, TRect* focus = nullptr, const std::string& caption = "Go",
                         TCanvas* glyphCanvas = nullptr, TRect source = Rect(0, 0, 10, 8)) {
    TKitGlyphTextRects res;
    DrawGlyphAndText(p.C(), caption, nullptr, outer, glyphCanvas ? glyphCanvas : glyph.C(), source, nullptr, clNone,
                     &layout, false, true, false, options, 0, res);
    if (focus) *focus = source;
    return res;
  }
  int LeftmostColumn(TColor color) {
    for (int x = 0; x < 160; ++x)
      for (int y = 0; y < 60; ++y)
        if (p.At(x, y) == color) return x;
    return -1;
  }
};

TEST_F(GlyphFixture, GlyphLeftOfTextCentredInTheOuterRectangle) {
  ASSERT_EQ(layout.Alignment(), agCenter);
  TRect focus;
  const TKitGlyphTextRects res = Lay(kKitTextEnabled, &focus);
  const int bw = 10 + 2 + text.cx, bh = std::max<int>(8, text.cy);
  const int bx = (160 - bw) / 2, by = (60 - bh) / 2;
  EXPECT_EQ(res.Glyph, Bounds(bx, by + (bh - 8) / 2, 10, 8));
  EXPECT_EQ(res.Text, Bounds(bx + 12 + 1, by + (bh - text.cy) / 2 + 1, text.cx, text.cy));
  EXPECT_EQ(res.Extra, Rect(0, 0, 0, 0));
  EXPECT_EQ(focus, Rect(1, 1, 159, 59));
  // The glyph is drawn at its rectangle, the text only inside its own.
  EXPECT_EQ(p.At(res.Glyph.left, res.Glyph.top), clRed);
  EXPECT_EQ(p.At(res.Glyph.right - 1, res.Glyph.bottom - 1), clRed);
  EXPECT_EQ(p.At(res.Glyph.right, res.Glyph.top), clWhite);
  const Ink ink = InkOf(p, clBlack);
  ASSERT_FALSE(ink.empty());
  for (auto [x, y] : ink) {
    ASSERT_GE(x, res.Text.left);
    ASSERT_LT(x, res.Text.right);
  }
}

TEST_F(GlyphFixture, TextAboveGlyphAndOffsets) {
  layout.SetAlignText2Glyph(taTop);
  layout.SetAlignment(agTopLeft);
  layout.SetSpacing(4);
  layout.SetOffsetX(5);
  layout.SetOffsetY(-2);
  const TKitGlyphTextRects res = Lay(kKitTextEnabled);
  const int m = std::max<int>(10, text.cx);
  EXPECT_EQ(res.Text, Bounds((m - text.cx) / 2 + 1 + 5, 1 - 2, text.cx, text.cy));
  EXPECT_EQ(res.Glyph, Bounds((m - 10) / 2 + 5, text.cy + 4 - 2, 10, 8));

  // Without placement the block stays at the origin and the text is not nudged.
  layout.SetAlignText2Glyph(taBottomLeft);
  layout.SetOffsetX(0);
  layout.SetOffsetY(0);
  const TKitGlyphTextRects fixed = Lay(kKitTextEnabled | kKitGtNoPlacement);
  EXPECT_EQ(fixed.Glyph, Bounds(0, 0, 10, 8));
  EXPECT_EQ(fixed.Text, Bounds((m - text.cx) / 2, 8 + 4, text.cx, text.cy));
  EXPECT_EQ(fixed.Both, Rect(0, 0, std::max(10, m), 8 + 4 + text.cy));
}

TEST_F(GlyphFixture, FocusRectangleOptions) {
  TRect focus;
  TKitGlyphTextRects res = Lay(kKitGtFocusText, &focus);
  EXPECT_EQ(focus, Rect(res.Text.left - 1, res.Text.top - 1, res.Text.right + 1, res.Text.bottom + 1));
  res = Lay(kKitGtFocusText | kKitGtFocusGlyph, &focus);
  EXPECT_EQ(focus, res.Glyph);
  res = Lay(kKitGtFocusBoth | kKitGtFocusGlyph, &focus);
  EXPECT_EQ(focus, Rect(res.Both.left - 1, res.Both.top - 1, res.Both.right + 1, res.Both.bottom + 1));

  // Measuring only draws nothing and returns the union grown by 2.
  p.Fill(clWhite);
  res = Lay(kKitGtMeasureOnly, &focus);
  EXPECT_EQ(focus, Rect(res.Both.left - 2, res.Both.top - 2, res.Both.right + 2, res.Both.bottom + 2));
  EXPECT_EQ(InkOf(p, clWhite).size(), 160u * 60u);
}

TEST_F(GlyphFixture, ArrowBesideTextAndGlyph) {
  layout.SetArrow(true);
  layout.SetArrowColor(clBlue);
  layout.SetArrowSize(3);
  layout.SetArrowIndent(3);
  TKitGlyphTextRects res = Lay(kKitTextEnabled, nullptr, "Go", nullptr, Rect(0, 0, 0, 0));
  EXPECT_EQ(res.Text.right - res.Text.left, text.cx + 5 + 3);
  EXPECT_EQ(LeftmostColumn(clBlue), res.Text.right - 6);

  p.Fill(clWhite);
  layout.SetArrowPosition(apLeftText);
  res = Lay(kKitTextEnabled, nullptr, "Go", nullptr, Rect(0, 0, 0, 0));
  EXPECT_EQ(LeftmostColumn(clBlue), res.Text.left - 8);

  p.Fill(clWhite);
  layout.SetArrowPosition(apRightGlyph);
  res = Lay(kKitTextEnabled, nullptr, "");
  EXPECT_EQ(res.Glyph.right - res.Glyph.left, 10 + 8);
  EXPECT_EQ(LeftmostColumn(clBlue), res.Glyph.right - 5);
  EXPECT_EQ(LeftmostColumn(clRed), res.Glyph.left);

  p.Fill(clWhite);
  layout.SetArrowPosition(apLeftGlyph);
  res = Lay(kKitTextEnabled, nullptr, "");
  EXPECT_EQ(LeftmostColumn(clBlue), res.Glyph.left - 8);
  EXPECT_EQ(LeftmostColumn(clRed), res.Glyph.left);

  // A disabled arrow is embossed in the system colours instead.
  p.Fill(clWhite);
  layout.SetArrowPosition(apRightText);
  Lay(0, nullptr, "Go", nullptr, Rect(0, 0, 0, 0));
  EXPECT_EQ(LeftmostColumn(clBlue), -1);
}

TEST_F(GlyphFixture, MissingOrFlatGlyphMeansTextOnly) {
  // A glyph rectangle of height 0 is no glyph: no spacing, nothing drawn, no division.
  TKitGlyphTextRects res = Lay(kKitTextEnabled, nullptr, "Go", glyph.C(), Rect(0, 0, 10, 0));
  EXPECT_EQ(res.Glyph.right - res.Glyph.left, 0);
  EXPECT_EQ(res.Text, Bounds((160 - text.cx) / 2 + 1, (60 - text.cy) / 2 + 1, text.cx, text.cy));
  EXPECT_EQ(LeftmostColumn(clRed), -1);

  // Neither text nor glyph: an empty block.
  p.Fill(clWhite);
  res = Lay(kKitTextEnabled, nullptr, "", glyph.C(), Rect(0, 0, 0, 0));
  EXPECT_EQ(res.Both, Rect(0, 0, 0, 0));
}

TEST_F(GlyphFixture, MaskedGlyphsAndTheBitmapForm) {
  glyph.C()->SetPixels(0, 0, clLime);
  TKitGlyphTextRects res;
  TRect source = Rect(0, 0, 10, 8);
  p.Fill(clYellow);
  DrawGlyphAndText(p.C(), "", nullptr, outer, glyph.C(), source, nullptr, clLime, &layout, false, true, true,
                   kKitTextEnabled, 0, res);
  EXPECT_EQ(p.At(res.Glyph.left, res.Glyph.top), clYellow);
  EXPECT_EQ(p.At(res.Glyph.left + 1, res.Glyph.top), clRed);

  // The bitmap form takes the glyph's own transparent colour (its bottom-left pixel).
  glyph.C()->SetPixels(0, 7, clLime);
  p.Fill(clYellow);
  DrawGlyphBitmapAndText(p.C(), "", nullptr, outer, glyph.Bitmap(), nullptr, &layout, false, true, false,
                         kKitTextEnabled, 0);
  EXPECT_EQ(p.At(res.Glyph.left, res.Glyph.top), clYellow);
  EXPECT_EQ(p.At(res.Glyph.left, res.Glyph.bottom - 1), clYellow);
  EXPECT_EQ(p.At(res.Glyph.left + 1, res.Glyph.top), clRed);

  TBitmap empty;
  p.Fill(clYellow);
  DrawGlyphBitmapAndText(p.C(), "Go", nullptr, outer, &empty, nullptr, &layout, false, true, false, kKitTextEnabled,
                         0);
  EXPECT_FALSE(InkOf(p, clBlack).empty());
  EXPECT_EQ(InkOf(p, clRed).size(), 0u);
}

}  // namespace
