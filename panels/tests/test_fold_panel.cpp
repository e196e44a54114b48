// Fold panels: collapsing and expanding with the sizes and edges they keep and the order
// of their events, the bar (glyph place, separator lines, caption), the client beside
// it, the default and highlighted glyphs, and an orientation change while collapsed.
#include <memory>
#include <string>
#include <vector>

#include "panels/fold_panel.h"
#include "panels/panel_glyphs.h"
#include "panels_fixture.h"
#include "platform/classlib/std_label.h"

namespace {

using Log = std::vector<std::string>;

constexpr win::COLORREF kHighlight = 0xFFFFFF;  // button highlight
constexpr win::COLORREF kShadow = 0x808080;     // button shadow
constexpr win::COLORREF kFace = 0xC0C0C0;       // button face

// A glyph of one colour whose bottom-left pixel (its transparent colour) is olive.
std::unique_ptr<TBitmap> Glyph(Integer w, Integer h, TColor color = clBlue) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(TRect{0, 0, w, h});
  b->Canvas()->SetPixels(0, h - 1, clOlive);
  return b;
}

class FoldPanelTest : public PanelsTest {
 protected:
  TFpFoldPanel* MakePanel(TFoldOrientation orientation = foVertical) {
    auto* p = new TFpFoldPanel(form_.get());
    p->SetParent(form_.get());
    p->SetBevelOuter(bvNone);
    p->SetBevelInner(bvNone);
    p->SetOrientation(orientation);
    return p;
  }
  void SetGlyphs(TFpFoldPanel* p, Integer ew, Integer eh, Integer cw, Integer ch) {
    p->SetGlyphExpand(Glyph(ew, eh).get());
    p->SetGlyphCollaps(Glyph(cw, ch).get());
  }
  void Record(TFpFoldPanel* p, Log& log) {
    p->OnFoldClick = [&log](TObject*, TFoldStatus s, bool&) {
      log.push_back(s == fsExpanded ? "fold expanded" : "fold collapsed");
    };
    p->BeforeCollaps = [&log, p](TObject*) { log.push_back("before collapse " + std::to_string(p->Height())); };
    p->AfterCollaps = [&log, p](TObject*) { log.push_back("after collapse " + std::to_string(p->Height())); };
    p->BeforeExpand = [&log, p](TObject*) { log.push_back("before expand " + std::to_string(p->Height())); };
    p->AfterExpand = [&log, p](TObject*) { log.push_back("after expand " + std::to_string(p->Height())); };
  }
};

// ---- collapsing and expanding ---------------------------------------------------------------------

TEST_F(FoldPanelTest, BottomAlignedPanelFoldsTo16AndBackTo302KeepingItsBottomEdge) {
  TFpFoldPanel* p = MakePanel();
  SetGlyphs(p, 40, 16, 16, 40);
  p->SetAlign(alBottom);
  p->SetHeight(302);
  Log log;
  Record(p, log);
  ShowForm();
  ASSERT_EQ(p->BoundsRect(), (TRect{0, 98, 400, 400}));
  EXPECT_EQ(p->ExpandedSize(), 302);

  Click(p, 5, 5);  // on the collapse glyph
  EXPECT_TRUE(p->IsCollapsed());
  EXPECT_EQ(p->BoundsRect(), (TRect{0, 384, 400, 400}));
  EXPECT_FALSE(p->Client()->Visible());
  Capture();  // the collapsed bar paints: the glyph under the mouse is now the expand one
  Click(p, 5, 5);
  EXPECT_TRUE(p->IsExpanded());
  EXPECT_EQ(p->BoundsRect(), (TRect{0, 98, 400, 400}));
  EXPECT_TRUE(p->Client()->Visible());
  EXPECT_EQ(log, (Log{"fold expanded", "before collapse 302", "after collapse 16", "fold collapsed",
                      "before expand 16", "after expand 302"}));

  // While collapsed the height is locked: a new height asked for is refused.
  p->Collapse();
  p->SetHeight(200);
  EXPECT_EQ(p->Height(), 16);
  p->Expand();
  EXPECT_EQ(p->Height(), 302);
}

TEST_F(FoldPanelTest, BottomPositionsKeepTheBottomOrRightEdgeTopPositionsTheTopOrLeft) {
  TFpFoldPanel* v = MakePanel();
  SetGlyphs(v, 40, 16, 16, 40);
  v->SetFoldPosition(fpLeftBottom);
  v->SetBounds(10, 50, 200, 300);
  ShowForm();
  v->Collapse();
  EXPECT_EQ(v->BoundsRect(), (TRect{10, 334, 210, 350}));
  v->Expand();
  EXPECT_EQ(v->BoundsRect(), (TRect{10, 50, 210, 350}));

  TFpFoldPanel* h = MakePanel(foHorizontal);
  SetGlyphs(h, 14, 40, 40, 14);
  h->SetFoldPosition(fpRightTop);
  h->SetBounds(20, 10, 150, 100);
  h->Collapse();
  EXPECT_EQ(h->BoundsRect(), (TRect{156, 10, 170, 110}));
  h->SetFoldPosition(fpLeftTop);
  h->Expand();
  EXPECT_EQ(h->BoundsRect(), (TRect{156, 10, 306, 110}));

  // The collapsed size counts the panel's frame: bevels twice each, a single border 2.
  TFpFoldPanel* f = MakePanel();
  SetGlyphs(f, 40, 16, 16, 40);
  f->SetBevelOuter(bvRaised);
  f->SetBevelInner(bvLowered);
  f->SetBevelWidth(2);
  f->SetBorderStyle(bsSingle);
  f->SetBounds(0, 0, 100, 200);
  f->Collapse();
  EXPECT_EQ(f->Height(), 16 + 2 * 2 + 2 * 2 + 2);
}

TEST_F(FoldPanelTest, RefusedAndRepeatedFoldsLeaveThePanelAsItIs) {
  TFpFoldPanel* p = MakePanel();
  SetGlyphs(p, 40, 8, 16, 40);
  p->SetBounds(0, 0, 100, 200);
  Log log;
  Record(p, log);
  ShowForm();
  EXPECT_EQ(p->CollapsedHeight(), 12);  // never below 12

  p->Expand();  // already expanded: no events
  EXPECT_TRUE(log.empty());

  p->SetFolding(false);
  p->Collapse();
  EXPECT_TRUE(p->IsExpanded());
  EXPECT_EQ(p->Height(), 200);
  p->SetFolding(true);

  p->SetDesigning(true);
  p->Collapse();
  EXPECT_TRUE(p->IsExpanded());
  p->SetDesigning(false);
  EXPECT_TRUE(log.empty());

  // OnFoldClick may keep the panel as it is.
  p->OnFoldClick = [&log](TObject*, TFoldStatus, bool& doFold) {
    log.push_back("asked");
    doFold = false;
  };
  Click(p, 5, 5);
  EXPECT_EQ(log, (Log{"asked"}));
  EXPECT_TRUE(p->IsExpanded());

  // A press on the glyph released elsewhere, and the right button, fold nothing.
  log.clear();
  Record(p, log);
  Press(p, 5, 5);
  Release(p, 60, 100);
  Click(p, 5, 5, win::MouseButton::Right);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(p->IsExpanded());

  // Folding off while collapsed expands the panel.
  p->Collapse();
  ASSERT_TRUE(p->IsCollapsed());
  p->SetFolding(false);
  EXPECT_TRUE(p->IsExpanded());
  EXPECT_EQ(p->Height(), 200);
}

TEST_F(FoldPanelTest, ChangingOrientationWhileCollapsedKeepsTheRealExpandedSize) {
  TFpFoldPanel* p = MakePanel();
  p->SetBounds(10, 10, 150, 200);
  ShowForm();
  p->Collapse();
  EXPECT_EQ(p->Height(), 12);  // the default expand glyph is 12 high

  // Sideways: expanded for the switch, the width recorded, collapsed again.
  p->SetOrientation(foHorizontal);
  EXPECT_TRUE(p->IsCollapsed());
  EXPECT_EQ(p->BoundsRect(), (TRect{10, 10, 22, 210}));
  EXPECT_EQ(p->ExpandedSize(), 150);
  p->Expand();
  EXPECT_EQ(p->BoundsRect(), (TRect{10, 10, 160, 210}));

  p->Collapse();
  p->SetOrientation(foVertical);
  EXPECT_TRUE(p->IsCollapsed());
  EXPECT_EQ(p->BoundsRect(), (TRect{10, 10, 160, 22}));
  p->Expand();
  EXPECT_EQ(p->BoundsRect(), (TRect{10, 10, 160, 210}));
}

// ---- the client beside the bar ----------------------------------------------------------------------

TEST_F(FoldPanelTest, ClientLeavesTheBarTheGlyphTheBevelsAndTheSeparatorNeed) {
  TFpFoldPanel* p = MakePanel();
  p->SetBounds(0, 0, 200, 150);
  ShowForm();
  // foVertical, left: a strip as wide as the 12-pixel collapse glyph and the two lines.
  EXPECT_EQ(p->BarThickness(), 14);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{14, 0, 200, 150}));
  p->SetFoldPosition(fpRightBottom);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{0, 0, 186, 150}));
  p->SetSeperated(false);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{0, 0, 188, 150}));
  p->SetSeperated(true);

  // With bevels the bar is thicker and the client sits inside the frame.
  p->SetFoldPosition(fpLeftTop);
  p->SetBevelOuter(bvRaised);
  p->SetBevelWidth(2);
  EXPECT_EQ(p->BarThickness(), 16);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{16, 2, 198, 148}));
  p->SetBevelOuter(bvNone);

  p->SetOrientation(foHorizontal);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{0, 14, 200, 150}));
  p->SetFoldPosition(fpLeftBottom);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{0, 0, 200, 136}));

  // Without folding the client takes the whole panel.
  p->SetFolding(false);
  EXPECT_EQ(p->Client()->BoundsRect(), (TRect{0, 0, 200, 150}));
}

TEST_F(FoldPanelTest, ClientMouseEventsReachThePanelInPanelCoordinates) {
  TFpFoldPanel* p = MakePanel();
  p->SetBounds(0, 0, 200, 150);
  Log log;
  p->OnMouseDown = [&log](TObject* s, TMouseButton, TShiftState, Integer x, Integer y) {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y) + (s->Is<TFpFoldPanel>() ? " panel" : ""));
  };
  p->OnMouseUp = [&log](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  p->OnClick = [&log](TObject*) { log.push_back("click"); };
  ShowForm();
  Click(p->Client(), 30, 40);
  EXPECT_EQ(log, (Log{"down 44,40 panel", "click", "up 44,40"}));
}

// ---- the bar ------------------------------------------------------------------------------------------

TEST_F(FoldPanelTest, SeparatorLinesOfASidewaysPanelLieUnderTheGlyph) {
  TFpFoldPanel* p = MakePanel(foHorizontal);
  SetGlyphs(p, 12, 16, 16, 12);
  p->SetBounds(0, 0, 100, 60);
  ShowForm();
  win::WindowImage img = Capture();
  for (int x : {0, 1, 15, 16, 50, 99}) {
    EXPECT_EQ(img.At(x, 12), kHighlight) << x;
    EXPECT_EQ(img.At(x, 11), kShadow) << x;
  }
  EXPECT_EQ(img.At(100, 12), kFace);  // the form beyond the panel
  EXPECT_EQ(img.At(50, 13), kFace);   // the panel between the lines and the client
  EXPECT_EQ(img.At(5, 5), 0xFF0000u);  // the glyph
  EXPECT_EQ(img.At(0, 10), 0xFF0000u);

  p->SetSeperatorLineStyle(bsRaised);
  img = Capture();
  EXPECT_EQ(img.At(50, 12), kShadow);
  EXPECT_EQ(img.At(50, 11), kHighlight);
}

TEST_F(FoldPanelTest, SeparatorLinesOfAVerticalPanelRunBesideTheGlyphInsideTheBevels) {
  TFpFoldPanel* p = MakePanel();
  SetGlyphs(p, 40, 16, 16, 40);
  p->SetBounds(0, 0, 120, 80);
  ShowForm();
  win::WindowImage img = Capture();
  for (int y : {0, 40, 79}) {
    EXPECT_EQ(img.At(16, y), kShadow) << y;
    EXPECT_EQ(img.At(17, y), kHighlight) << y;
  }
  EXPECT_EQ(img.At(15, 20), 0xFF0000u);

  // On the right the lines start at the glyph's left edge; a bevel moves all inward.
  p->SetFoldPosition(fpRightTop);
  p->SetBevelOuter(bvRaised);
  p->SetBevelWidth(2);
  img = Capture();
  // Glyph at x 102..117, y 2..41; lines at x 102 and 103 from y 2 to 77.
  EXPECT_EQ(img.At(102, 2), kShadow);
  EXPECT_EQ(img.At(103, 77), kHighlight);
  EXPECT_EQ(img.At(102, 78), kShadow);  // the bevel's bottom edge, not the line
  EXPECT_EQ(img.At(104, 30), 0xFF0000u);
  EXPECT_EQ(p->GlyphRect(), (TRect{102, 2, 118, 42}));
}

// Pixels of one colour in the image: their bounding box (empty when none).
TRect BoxOf(const win::WindowImage& img, win::COLORREF color, const TRect& area) {
  TRect box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (img.At(x, y) == color) {
        box.left = std::min<Integer>(box.left, x);
        box.top = std::min<Integer>(box.top, y);
        box.right = std::max<Integer>(box.right, x + 1);
        box.bottom = std::max<Integer>(box.bottom, y + 1);
      }
  return box;
}

TEST_F(FoldPanelTest, CollapsedCaptionStartsTenPixelsPastTheGlyph) {
  TFpFoldPanel* p = MakePanel();
  SetGlyphs(p, 16, 16, 16, 40);
  p->SetBounds(0, 0, 200, 100);
  p->SetCaption("Props");
  p->CaptionFont()->SetColor(clRed);
  ShowForm();
  // Expanded: no caption.
  EXPECT_EQ(BoxOf(Capture(), 0x0000FF, TRect{0, 0, 200, 100}).right, 0);

  p->Collapse();
  ASSERT_EQ(p->Height(), 16);
  const TSize text = MeasureText(p->CaptionFont(), "Props");
  const Integer y0 = text.cy > 16 ? 0 : (16 - text.cy) / 2;
  TRect box = BoxOf(Capture(), 0x0000FF, TRect{0, 0, 200, 16});
  ASSERT_LT(box.left, box.right) << "no caption drawn";
  EXPECT_GE(box.left, 26);
  EXPECT_LE(box.left, 27);
  EXPECT_LE(box.right, 26 + text.cx);
  EXPECT_GE(box.top, y0);
  EXPECT_LE(box.bottom, y0 + text.cy);

  // On the right the caption ends ten pixels before the glyph.
  p->SetFoldPosition(fpRightTop);
  box = BoxOf(Capture(), 0x0000FF, TRect{0, 0, 200, 16});
  ASSERT_LT(box.left, box.right);
  EXPECT_GE(box.left, 184 - 10 - text.cx);
  EXPECT_LE(box.right, 174);
}

TEST_F(FoldPanelTest, SidewaysCollapsedCaptionRunsAlongTheStripBelowTheGlyph) {
  TFpFoldPanel* p = MakePanel(foHorizontal);
  SetGlyphs(p, 16, 20, 40, 16);
  p->SetBounds(0, 0, 200, 150);
  p->SetCaption("Props");
  p->CaptionFont()->SetColor(clRed);
  ShowForm();
  p->Collapse();
  ASSERT_EQ(p->Width(), 16);
  const TSize text = MeasureText(p->CaptionFont(), "Props");
  TRect box = BoxOf(Capture(), 0x0000FF, TRect{0, 0, 16, 150});
  ASSERT_LT(box.left, box.right) << "no caption drawn";
  // Turned: as long down the strip as the text is wide, starting 10 below the glyph.
  EXPECT_GE(box.top, 30);
  EXPECT_LE(box.bottom, 30 + text.cx + 1);
  EXPECT_GT(box.bottom - box.top, text.cx / 2);
  EXPECT_LE(box.right - box.left, text.cy);
}

TEST_F(FoldPanelTest, CollapsedPanelWithoutBevelsGetsAThinFrame) {
  TFpFoldPanel* p = MakePanel();
  SetGlyphs(p, 20, 16, 16, 40);
  p->SetBounds(0, 0, 100, 60);
  ShowForm();
  p->Collapse();
  win::WindowImage img = Capture();
  EXPECT_EQ(img.At(50, 0), kShadow);
  EXPECT_EQ(img.At(99, 8), kHighlight);
  EXPECT_EQ(img.At(50, 15), kHighlight);
  EXPECT_EQ(img.At(50, 8), kFace);
}

// ---- glyphs ---------------------------------------------------------------------------------------------

TEST_F(FoldPanelTest, DefaultGlyphsFollowTheOrientationUnlessTheUserSetThem) {
  TFpFoldPanel* p = MakePanel();
  EXPECT_EQ(p->GlyphExpand()->Width(), 41);
  EXPECT_EQ(p->GlyphExpand()->Height(), 12);
  EXPECT_EQ(p->GlyphCollaps()->Width(), 12);
  EXPECT_EQ(p->GlyphCollaps()->Height(), 41);
  EXPECT_EQ(p->GlyphExpand()->PixelFormat(), pf4bit);
  EXPECT_EQ(p->GlyphExpand()->TransparentColor(), clOlive);
  EXPECT_EQ(p->GlyphCollaps()->TransparentColor(), clOlive);

  p->SetOrientation(foHorizontal);
  EXPECT_EQ(p->GlyphExpand()->Width(), 12);
  EXPECT_EQ(p->GlyphCollaps()->Width(), 41);

  p->SetGlyphExpand(Glyph(30, 20).get());
  p->SetOrientation(foVertical);
  EXPECT_EQ(p->GlyphExpand()->Width(), 30);  // the user's stays
  EXPECT_EQ(p->GlyphCollaps()->Width(), 12);

  // None, or an emptied picture, brings the default back.
  p->SetGlyphExpand(nullptr);
  EXPECT_EQ(p->GlyphExpand()->Width(), 41);
  p->SetGlyphCollaps(Glyph(9, 9).get());
  p->GlyphCollaps()->SetSize(0, 0);
  EXPECT_EQ(p->GlyphCollaps()->Height(), 41);
}

void ExpectAnded(TBitmap* glyph, TBitmap* active, TColor color) {
  ASSERT_EQ(active->Width(), glyph->Width());
  ASSERT_EQ(active->Height(), glyph->Height());
  for (Integer y = 0; y < glyph->Height(); ++y)
    for (Integer x = 0; x < glyph->Width(); ++x)
      ASSERT_EQ(active->Canvas()->Pixels(x, y), glyph->Canvas()->Pixels(x, y) & color) << x << "," << y;
}

TEST_F(FoldPanelTest, HighlightedGlyphsAreTheGlyphsAndedWithTheActiveColour) {
  TFpFoldPanel* p = MakePanel();
  ExpectAnded(p->GlyphExpand(), p->GlyphExpandActive(), clAqua);
  ExpectAnded(p->GlyphCollaps(), p->GlyphCollapsActive(), clAqua);
  p->SetFoldActiveColor(static_cast<TColor>(0x3366CC));
  ExpectAnded(p->GlyphExpand(), p->GlyphExpandActive(), 0x3366CC);
  ExpectAnded(p->GlyphCollaps(), p->GlyphCollapsActive(), 0x3366CC);
  p->SetGlyphCollaps(Glyph(10, 30, static_cast<TColor>(0x8899AA)).get());
  ExpectAnded(p->GlyphCollaps(), p->GlyphCollapsActive(), 0x3366CC);
}

TEST_F(FoldPanelTest, MouseOverTheGlyphShowsTheHighlightedOneAndAPressSinksIt) {
  TFpFoldPanel* p = MakePanel();
  p->SetGlyphCollaps(Glyph(16, 40, static_cast<TColor>(0x40C0F0)).get());
  p->SetBounds(0, 0, 100, 80);
  ShowForm();
  EXPECT_EQ(Capture().At(8, 20), 0x40C0F0u);
  MoveTo(p, 8, 20);
  EXPECT_EQ(Capture().At(8, 20), 0x40C000u);  // ANDed with aqua
  MoveTo(p, 60, 20);
  EXPECT_EQ(Capture().At(8, 20), 0x40C0F0u);

  // A press draws a sunk frame one pixel inside the glyph.
  Press(p, 8, 20);
  win::WindowImage img = Capture();
  EXPECT_EQ(img.At(1, 20), kShadow);
  EXPECT_EQ(img.At(8, 1), kShadow);
  EXPECT_EQ(img.At(14, 20), kHighlight);
  EXPECT_EQ(img.At(8, 38), kHighlight);
  Release(p, 8, 20);
  EXPECT_TRUE(p->IsCollapsed());
}

}  // namespace
