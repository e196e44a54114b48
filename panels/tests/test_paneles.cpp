// The shared background: tiling cut at the rectangle's edges, the links a holder tells
// of changes and lets go of, and a panel painting its own bitmap, the holder's, or its
// colour, with the bevel frame.
#include <memory>
#include <vector>

#include "panels/bitmap_holder.h"
#include "panels/fp_paneles.h"
#include "panels_fixture.h"

namespace {

// A w x h picture whose pixel (x, y) is Colour(x, y).
TColor Colour(Integer x, Integer y) { return static_cast<TColor>(0x010000 * (40 + y) + 0x000100 * (80 + x) + 0x30); }

std::unique_ptr<TBitmap> Pattern(Integer w, Integer h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) b->Canvas()->SetPixels(x, y, Colour(x, y));
  return b;
}

TEST(BitmapHolder, TilesFromTheRectanglesCornerAndCutsAtItsEdges) {
  TFpBitmapHolder holder(nullptr);
  EXPECT_TRUE(holder.IsEmpty());
  holder.SetBitmap(Pattern(3, 2).get());
  EXPECT_FALSE(holder.IsEmpty());
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(12, 9);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(TRect{0, 0, 12, 9});
  holder.TileBitmap(TRect{2, 1, 10, 8}, target.Canvas()->Handle());
  for (Integer y = 0; y < 9; ++y)
    for (Integer x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 10 && y >= 1 && y < 8;
      const TColor want = inside ? Colour((x - 2) % 3, (y - 1) % 2) : clWhite;
      ASSERT_EQ(target.Canvas()->Pixels(x, y), want) << x << "," << y;
    }
  // An empty holder draws nothing.
  TFpBitmapHolder empty(nullptr);
  empty.TileBitmap(TRect{0, 0, 12, 9}, target.Canvas()->Handle());
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clWhite);
}

TEST(BitmapHolder, LinksAreToldOfChangesAndLetGoEitherWay) {
  auto holder = std::make_unique<TFpBitmapHolder>(nullptr);
  std::vector<TObject*> told;
  TFpLinkChange a, b;
  a.OnChange = [&told](TObject* s) { told.push_back(s); };
  b.OnChange = [&told](TObject* s) { told.push_back(s); };
  holder->RegisterChanges(&a);
  holder->RegisterChanges(&b);
  EXPECT_EQ(a.Sender(), holder.get());
  holder->SetBitmap(Pattern(2, 2).get());
  EXPECT_EQ(told, (std::vector<TObject*>{&a, &b}));
  holder->UnRegisterChanges(&a);
  EXPECT_EQ(a.Sender(), nullptr);
  told.clear();
  holder->Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(told, (std::vector<TObject*>{&b}));
  {
    TFpLinkChange c;
    holder->RegisterChanges(&c);
    EXPECT_EQ(holder->LinkCount(), 2);
  }
  EXPECT_EQ(holder->LinkCount(), 1);  // a destroyed link leaves
  holder.reset();
  EXPECT_EQ(b.Sender(), nullptr);  // a destroyed holder lets its links go
}

class PanelesTest : public PanelsTest {
 protected:
  TFpPaneles* MakePanel() {
    auto* p = new TFpPaneles(form_.get());
    p->SetParent(form_.get());
    p->SetBevelOuter(bvNone);
    p->SetBounds(10, 20, 50, 30);
    return p;
  }
  win::COLORREF P(const win::WindowImage& img, int x, int y) { return img.At(10 + x, 20 + y); }
};

TEST_F(PanelesTest, PaintsItsOwnBitmapTheHoldersOrItsColour) {
  TFpPaneles* p = MakePanel();
  p->SetColor(clTeal);
  auto* holder = new TFpBitmapHolder(form_.get());
  ShowForm();
  EXPECT_EQ(P(Capture(), 25, 15), 0x808000u);

  p->SetBitmapHolder(holder);
  holder->SetBitmap(Pattern(4, 3).get());  // the link repaints the panel
  win::WindowImage img = Capture();
  EXPECT_EQ(P(img, 0, 0), static_cast<win::COLORREF>(Colour(0, 0)));
  EXPECT_EQ(P(img, 49, 29), static_cast<win::COLORREF>(Colour(49 % 4, 29 % 3)));

  // Its own picture wins and the holder's changes no longer reach it.
  p->SetBitmap(Pattern(5, 2).get());
  EXPECT_EQ(holder->LinkCount(), 0);
  img = Capture();
  EXPECT_EQ(P(img, 7, 3), static_cast<win::COLORREF>(Colour(2, 1)));
  // Emptied, the holder's picture is back.
  p->SetBitmap(nullptr);
  EXPECT_EQ(holder->LinkCount(), 1);
  EXPECT_EQ(P(Capture(), 7, 3), static_cast<win::COLORREF>(Colour(3, 0)));

  // The holder going away leaves the panel with its colour.
  delete holder;
  EXPECT_EQ(p->BitmapHolder(), nullptr);
  EXPECT_EQ(P(Capture(), 7, 3), 0x808000u);
}

TEST_F(PanelesTest, BevelsFrameTheBackgroundInTheirColours) {
  TFpPaneles* p = MakePanel();
  p->SetBitmap(Pattern(3, 3).get());
  p->SetBevelOuter(bvLowered);
  p->SetBevelInner(bvRaised);
  p->SetBevelWidth(2);
  ShowForm();
  win::WindowImage img = Capture();
  EXPECT_EQ(P(img, 0, 10), 0x808080u);  // lowered: shadow top-left
  EXPECT_EQ(P(img, 1, 10), 0x808080u);
  EXPECT_EQ(P(img, 49, 10), 0xFFFFFFu);
  EXPECT_EQ(P(img, 2, 10), 0xFFFFFFu);  // raised inside it: highlight top-left
  EXPECT_EQ(P(img, 47, 10), 0x808080u);
  EXPECT_EQ(P(img, 4, 10), static_cast<win::COLORREF>(Colour(4 % 3, 10 % 3)));
}

}  // namespace
