// Image list: strips cut into images, masks from a mask colour or a mask bitmap, the
// drawing styles at exact pixels, loading a BMP strip made by netpbm, the stored form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/streams.h"

namespace {

// 32 x 16: image 0 fuchsia with a red square at (2, 2)..(5, 5); image 1 blue with a
// fuchsia pixel at (0, 0).
std::unique_ptr<TBitmap> Strip() {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(32, 16);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(Rect(0, 0, 16, 16));
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(2, 2, 6, 6));
  c->Brush()->SetColor(clBlue);
  c->FillRect(Rect(16, 0, 32, 16));
  c->SetPixels(16, 0, clFuchsia);
  return b;
}

// A green 30 x 30 target.
std::unique_ptr<TBitmap> Target() {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(30, 30);
  b->Canvas()->Brush()->SetColor(clGreen);
  b->Canvas()->FillRect(Rect(0, 0, 30, 30));
  return b;
}

TEST(ImageList, AStripWithAMaskColourDrawsTransparently) {
  TImageList list(nullptr);
  auto strip = Strip();
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_FALSE(list.OpaqueAt(0, 0, 0));
  EXPECT_TRUE(list.OpaqueAt(0, 2, 2));
  EXPECT_EQ(list.PixelAt(0, 3, 3), 0xFF0000u);  // red as 0x00RRGGBB
  EXPECT_FALSE(list.OpaqueAt(1, 0, 0));
  EXPECT_TRUE(list.OpaqueAt(1, 1, 0));

  auto t = Target();
  list.Draw(t->Canvas(), 5, 5, 0, dsTransparent, itImage);
  EXPECT_EQ(t->Canvas()->Pixels(5, 5), clGreen);   // masked out: the target shows
  EXPECT_EQ(t->Canvas()->Pixels(7, 7), clRed);     // the square
  EXPECT_EQ(t->Canvas()->Pixels(10, 10), clRed);
  EXPECT_EQ(t->Canvas()->Pixels(11, 11), clGreen);
  EXPECT_EQ(t->Canvas()->Pixels(20, 20), clGreen);
  EXPECT_EQ(t->Canvas()->Pixels(4, 4), clGreen);   // outside the image

  // Image 1: blue everywhere but its first pixel.
  list.Draw(t->Canvas(), 10, 0, 1);
  EXPECT_EQ(t->Canvas()->Pixels(10, 0), clGreen);
  EXPECT_EQ(t->Canvas()->Pixels(11, 0), clBlue);
  EXPECT_EQ(t->Canvas()->Pixels(25, 15), clBlue);
  EXPECT_EQ(t->Canvas()->Pixels(26, 16), clGreen);
}

TEST(ImageList, DrawingStylesBackgroundMaskAndDisabledLook) {
  TImageList list(nullptr);
  auto strip = Strip();
  list.AddMasked(strip.get(), clFuchsia);

  // A background colour fills what the mask leaves out in the normal style only.
  list.SetBkColor(clYellow);
  auto t = Target();
  list.Draw(t->Canvas(), 0, 0, 0, dsNormal, itImage);
  EXPECT_EQ(t->Canvas()->Pixels(0, 0), clYellow);
  EXPECT_EQ(t->Canvas()->Pixels(3, 3), clRed);
  list.Draw(t->Canvas(), 0, 0, 1, dsTransparent, itImage);
  EXPECT_EQ(t->Canvas()->Pixels(0, 0), clYellow);  // image 1 is transparent there too

  // The mask itself: black where the image shows.
  t = Target();
  list.Draw(t->Canvas(), 0, 0, 0, dsNormal, itMask);
  EXPECT_EQ(t->Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(t->Canvas()->Pixels(2, 2), clBlack);

  // Unmasked: every pixel, the mask colour too.
  list.SetBkColor(clNone);
  list.SetMasked(false);
  t = Target();
  list.Draw(t->Canvas(), 0, 0, 0);
  EXPECT_EQ(t->Canvas()->Pixels(0, 0), clFuchsia);
  list.SetMasked(true);

  // Selected: half way to the blend colour.
  list.SetBlendColor(clBlue);
  t = Target();
  list.Draw(t->Canvas(), 0, 0, 0, dsSelected, itImage);
  EXPECT_EQ(t->Canvas()->Pixels(3, 3), static_cast<TColor>(0x7F007F));
  EXPECT_EQ(t->Canvas()->Pixels(0, 0), clGreen);

  // Disabled: the dark shape in the shadow colour, its highlight one pixel down-right.
  t = Target();
  list.Draw(t->Canvas(), 10, 10, 0, false);
  EXPECT_EQ(t->Canvas()->Pixels(12, 12), static_cast<TColor>(0x808080));
  EXPECT_EQ(t->Canvas()->Pixels(15, 15), static_cast<TColor>(0x808080));
  EXPECT_EQ(t->Canvas()->Pixels(16, 16), clWhite);
  EXPECT_EQ(t->Canvas()->Pixels(11, 11), clGreen);
}

TEST(ImageList, AMaskBitmapAndTheDefaultMaskColour) {
  TImageList list(nullptr);
  list.SetSize(4, 2);
  TBitmap image;
  image.SetSize(8, 2);
  image.Canvas()->Brush()->SetColor(clRed);
  image.Canvas()->FillRect(Rect(0, 0, 8, 2));
  TBitmap mask;
  mask.SetSize(8, 2);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 8, 2));
  mask.Canvas()->SetPixels(1, 0, clWhite);  // transparent
  mask.Canvas()->SetPixels(5, 1, clWhite);
  EXPECT_EQ(list.Add(&image, &mask), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_FALSE(list.OpaqueAt(0, 1, 0));
  EXPECT_TRUE(list.OpaqueAt(0, 0, 0));
  EXPECT_FALSE(list.OpaqueAt(1, 1, 1));

  // clDefault: the bitmap's bottom-left pixel is the mask colour.
  image.Canvas()->SetPixels(0, 1, clLime);
  image.Canvas()->SetPixels(6, 0, clLime);
  EXPECT_EQ(list.AddMasked(&image, clDefault), 2);
  EXPECT_FALSE(list.OpaqueAt(2, 0, 1));
  EXPECT_FALSE(list.OpaqueAt(3, 2, 0));
  EXPECT_TRUE(list.OpaqueAt(3, 1, 0));

  // Narrower than an image: nothing is added.
  TBitmap small;
  small.SetSize(3, 2);
  EXPECT_EQ(list.AddMasked(&small, clNone), -1);
  EXPECT_EQ(list.Count(), 4);

  EXPECT_THROW(list.Delete(4), EInvalidOperation);
  list.Move(3, 0);
  EXPECT_FALSE(list.OpaqueAt(0, 2, 0));
  // A new size empties the list.
  list.SetWidth(5);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ImageList, FileLoadCutsABmpStripMadeByNetpbm) {
  if (std::system("command -v ppmtobmp >/dev/null 2>&1 && command -v pnmcat >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "netpbm is not installed";
  std::string dir = ::testing::TempDir();
  std::string a = dir + "qm_il_a.ppm", r = dir + "qm_il_r.ppm", a2 = dir + "qm_il_a2.ppm", b = dir + "qm_il_b.ppm";
  std::string bmp = dir + "qm_il_strip.bmp";
  std::string cmd = "ppmmake rgb:ff/00/ff 12 10 > " + a + " && ppmmake rgb:ff/00/00 3 3 > " + r + " && pnmpaste " +
                    r + " 4 5 " + a + " > " + a2 + " && ppmmake rgb:00/00/ff 12 10 > " + b + " && pnmcat -lr " + a2 +
                    " " + b + " " + a + " | ppmtobmp > " + bmp + " 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);

  TImageList list(nullptr);
  list.SetWidth(12);
  ASSERT_TRUE(list.FileLoad(bmp, clFuchsia));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Height(), 10);  // from the bitmap
  EXPECT_FALSE(list.OpaqueAt(0, 4, 4));
  EXPECT_TRUE(list.OpaqueAt(0, 4, 5));
  EXPECT_EQ(list.PixelAt(0, 6, 7), 0xFF0000u);
  EXPECT_FALSE(list.OpaqueAt(0, 7, 5));
  EXPECT_TRUE(list.OpaqueAt(1, 0, 0));
  EXPECT_FALSE(list.OpaqueAt(2, 11, 9));

  // A file that is no bitmap leaves the list as it was.
  EXPECT_FALSE(list.FileLoad(a, clFuchsia));
  EXPECT_FALSE(list.FileLoad(dir + "qm_il_missing.bmp", clFuchsia));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_FALSE(list.ResourceLoad("NO_SUCH_BITMAP", clFuchsia));
  EXPECT_EQ(list.Count(), 3);
}

TEST(ImageList, ResourceLoadCutsABitmapResourceIntoImagesOfTheListsWidth) {
  // A BMP file registered as a bitmap resource, as the build embeds them.
  static std::vector<Byte> bytes = [] {
    auto strip = Strip();
    TMemoryStream s;
    strip->SaveToStream(s);
    const auto* p = static_cast<const Byte*>(s.Memory());
    return std::vector<Byte>(p, p + s.Size());
  }();
  static resource_detail::Registration reg({{"QMTESTSTRIP", RT_BITMAP, bytes.data(), bytes.size()}});
  TImageList list(nullptr);
  list.SetSize(8, 3);
  ASSERT_TRUE(list.ResourceLoad("qmteststrip", clFuchsia));
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Width(), 8);
  EXPECT_EQ(list.Height(), 16);
  EXPECT_FALSE(list.OpaqueAt(0, 0, 0));
  EXPECT_TRUE(list.OpaqueAt(0, 2, 2));
  EXPECT_EQ(list.PixelAt(2, 1, 1), 0x0000FFu);  // blue from the second half
  EXPECT_FALSE(list.OpaqueAt(2, 0, 0));
}

TEST(ImageList, TheStoredFormRoundTripsAndRefusesBrokenData) {
  TImageList list(nullptr);
  auto strip = Strip();
  list.AddMasked(strip.get(), clFuchsia);
  TMemoryStream s;
  list.WriteImages(s);
  EXPECT_EQ(s.Size(), 12 + 2 * 16 * 16 * 4);

  TImageList copy(nullptr);
  copy.SetSize(4, 4);
  s.SetPosition(0);
  copy.ReadImages(s);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Width(), 16);
  EXPECT_EQ(copy.PixelAt(0, 3, 3), 0xFF0000u);
  EXPECT_FALSE(copy.OpaqueAt(1, 0, 0));

  // Cut anywhere, or counts that do not fit the bytes: refused, nothing changes.
  for (Int64 cut : {Int64{0}, Int64{8}, Int64{12}, Int64{500}, s.Size() - 1}) {
    TMemoryStream part;
    part.WriteBuffer(s.Memory(), cut);
    part.SetPosition(0);
    EXPECT_THROW(copy.ReadImages(part), EReadError) << cut;
    EXPECT_EQ(copy.Count(), 2);
  }
  TMemoryStream bad;
  std::int32_t header[3] = {0x7FFFFFFF, 16, 16};
  bad.WriteBuffer(header, sizeof header);
  bad.SetPosition(0);
  EXPECT_THROW(copy.ReadImages(bad), EReadError);
  EXPECT_EQ(copy.Count(), 2);
}

TEST(ImageList, ChangeLinksHearOfChangesAndForgetAFreedList) {
  auto list = std::make_unique<TImageList>(nullptr);
  TChangeLink link;
  int heard = 0;
  link.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, list.get());
    ++heard;
  };
  list->RegisterChanges(&link);
  auto strip = Strip();
  list->AddMasked(strip.get(), clFuchsia);
  list->BeginUpdate();
  list->Delete(0);
  list->Delete(0);
  EXPECT_EQ(heard, 1);
  list->EndUpdate();
  EXPECT_EQ(heard, 2);
  list.reset();
  EXPECT_EQ(link.Sender(), nullptr);
}

}  // namespace
