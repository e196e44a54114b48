// Image items and the image-list interface: strips, masks, pixels, drawing, the stored
// form (with a 16-bit bitfields strip as the editor's forms hold), hostile strips, the
// bitmap list and the connector over standard image lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_connector.h"
#include "controlkit/kit_draw.h"
#include "controlkit/kit_image_list.h"
#include "kit_paper.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/streams.h"

namespace {

using kit_test::Paper;

std::vector<Byte> BytesOf(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

struct ByteStream : TMemoryStream {
  explicit ByteStream(const std::vector<Byte>& bytes) {
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    SetPosition(0);
  }
};

// A 24-bit bitmap whose pixel (x, y) is Color(x, y).
TColor Color(int x, int y) { return static_cast<TColor>(((x * 20) & 0xFF) | (((y * 30) & 0xFF) << 8) | 0x100000); }

std::unique_ptr<TBitmap> Strip(int w, int h) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp->Canvas()->SetPixels(x, y, Color(x, y));
  return bmp;
}

// An image list with one item of two 4 x 3 images (columns 0..3 and 4..7 of Strip).
struct TwoImages {
  TKitImageList list{nullptr};
  TKitImageListItem* item;
  TwoImages() {
    item = list.GetItemAt(list.Add());
    item->SetWidth(4);
    item->SetHeight(3);
    item->Add(Strip(8, 3).get(), nullptr);
  }
};

// ---- adding images ------------------------------------------------------------------------------------

TEST(KitImageItem, AddChecksSizesAndGrowsByAllocBy) {
  TKitImageListItem item(nullptr);
  item.SetWidth(4);
  item.SetHeight(3);
  item.SetAllocBy(2);
  EXPECT_THROW(item.Add(Strip(5, 3).get(), nullptr), EInvalidGraphicOperation);  // not a multiple
  EXPECT_THROW(item.Add(Strip(4, 4).get(), nullptr), EInvalidGraphicOperation);  // wrong height
  EXPECT_THROW(item.Add(Strip(8, 3).get(), Strip(4, 3).get()), EInvalidGraphicOperation);
  EXPECT_EQ(item.Count(), 0);

  EXPECT_EQ(item.Add(Strip(4, 3).get(), nullptr), 0);
  EXPECT_EQ(item.Strip()->Width(), 8);  // room for AllocBy images
  EXPECT_EQ(item.Add(Strip(4, 3).get(), nullptr), 1);
  EXPECT_EQ(item.Strip()->Width(), 8);
  EXPECT_EQ(item.Add(Strip(12, 3).get(), nullptr), 2);
  EXPECT_EQ(item.Count(), 5);
  EXPECT_EQ(item.Strip()->Width(), 24);
  EXPECT_EQ(item.StripWidth(), 20);
  EXPECT_EQ(item.ImageLeft(4), 16);
  EXPECT_EQ(item.ImageRect(4).right, 20);
}

TEST(KitImageItem, TheStripStopsAt32768Columns) {
  TKitImageListItem item(nullptr);
  item.SetWidth(16);
  item.SetHeight(2);
  item.Add(Strip(32768, 2).get(), nullptr);
  EXPECT_EQ(item.Count(), 2048);
  try {
    item.Add(Strip(16, 2).get(), nullptr);
    FAIL() << "the strip grew past 32768 columns";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Too many images");
  }
  EXPECT_EQ(item.Count(), 2048);
}

// ---- pixels --------------------------------------------------------------------------------------------

TEST(KitImageList, PixelsAreReadFromTheImagesOwnRows) {
  TwoImages t;
  TKitImageList& list = t.list;
  // Row y of image 1 is row y of the strip, columns 4..7.
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(list.GetPixel(Point(x, y), 0, 1), Color(4 + x, y)) << x << "," << y;
  EXPECT_EQ(list.GetTransparentColor(0, 1), Color(4, 2));  // bottom-left
  EXPECT_EQ(list.GetTransparentColor(0, 0), Color(0, 2));

  // Out of range anywhere: white, and no read outside the strip.
  EXPECT_EQ(list.GetPixel(Point(0, 3), 0, 1), kKitNoPixel);
  EXPECT_EQ(list.GetPixel(Point(4, 0), 0, 1), kKitNoPixel);
  EXPECT_EQ(list.GetPixel(Point(-1, 0), 0, 0), kKitNoPixel);
  EXPECT_EQ(list.GetPixel(Point(0, 0), 0, 2), kKitNoPixel);
  EXPECT_EQ(list.GetPixel(Point(0, 0), 1, 0), kKitNoPixel);
  EXPECT_EQ(list.GetTransparentColor(0, 2), kKitNoPixel);
  EXPECT_EQ(list.GetTransparentColor(-1, 0), kKitNoPixel);

  EXPECT_EQ(list.ImageCount(0), 2);
  EXPECT_EQ(list.ImageCount(1), -1);
  EXPECT_EQ(list.ImageCount(-1), -1);
  EXPECT_TRUE(list.IsValidImage(0, 1));
  EXPECT_FALSE(list.IsValidImage(0, 2));
  EXPECT_FALSE(list.IsValidImage(1, 0));
  EXPECT_EQ(list.GetSize(0, 0), 4);
  EXPECT_EQ(list.GetSize(0, 1), 3);
  TRect r;
  EXPECT_TRUE(list.GetImageRect(0, 1, r));
  EXPECT_EQ(r.left, 4);
  EXPECT_EQ(r.right, 8);
  EXPECT_FALSE(list.GetImageRect(0, 5, r));
  EXPECT_EQ(list.GetCanvas(3), nullptr);

  TBitmap image;
  ASSERT_TRUE(list.GetBitmap(0, 1, &image));
  ASSERT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Canvas()->Pixels(3, 2), Color(7, 2));
  EXPECT_FALSE(list.GetBitmap(0, 7, &image));
}

// ---- drawing --------------------------------------------------------------------------------------------

TEST(KitImageList, DrawCopiesOrMasks) {
  TwoImages t;
  Paper paper(10, 5, clWhite);
  t.list.Draw(paper.C(), 1, 1, 0, 1);
  EXPECT_EQ(paper.At(1, 1), Color(4, 0));
  EXPECT_EQ(paper.At(4, 3), Color(7, 2));
  EXPECT_EQ(paper.At(5, 1), clWhite);
  EXPECT_EQ(paper.At(0, 0), clWhite);
  t.list.Draw(paper.C(), 1, 1, 0, 9);  // a bad index draws nothing
  t.list.Draw(paper.C(), 1, 1, 4, 0);
  EXPECT_EQ(paper.At(1, 1), Color(4, 0));
}

// A 3 x 2 masked image: red with a green transparent pixel at (1, 0).
struct MaskedImage {
  TKitImageList list{nullptr};
  TKitImageListItem* item;
  MaskedImage() {
    item = list.GetItemAt(list.Add());
    item->SetWidth(3);
    item->SetHeight(2);
    item->SetMasked(true);
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) bmp.Canvas()->SetPixels(x, y, 0x0000FF);
    bmp.Canvas()->SetPixels(1, 0, 0x00FF00);
    item->AddMasked(&bmp, 0x00FF00);
  }
};

TEST(KitImageList, MaskedDrawingByStyle) {
  {
    MaskedImage m;
    Paper paper(5, 4, 0xFF0000);
    m.list.Draw(paper.C(), 1, 1, 0, 0);  // normal style, no background: transparent
    EXPECT_EQ(paper.Map(Rect(0, 0, 5, 4), {{0xFF0000, '.'}, {0x0000FF, 'R'}}),
              (std::vector<std::string>{".....", ".R.R.", ".RRR.", "....."}));
  }
  {
    MaskedImage m;
    m.item->SetBkColor(0x00FFFF);
    Paper paper(3, 2, 0xFF0000);
    m.list.Draw(paper.C(), 0, 0, 0, 0);  // normal style with a background
    EXPECT_EQ(paper.Map(Rect(0, 0, 3, 2), {{0x00FFFF, 'y'}, {0x0000FF, 'R'}}),
              (std::vector<std::string>{"RyR", "RRR"}));
  }
  {
    MaskedImage m;
    m.item->SetBkColor(0x00FFFF);
    m.item->SetBlendColor(0x000000);
    m.item->SetDrawingStyle(1);  // selected: every pixel with x + y odd in the blend colour
    Paper paper(3, 2, 0xFF0000);
    m.list.Draw(paper.C(), 0, 0, 0, 0);
    EXPECT_EQ(paper.Map(Rect(0, 0, 3, 2), {{0x00FFFF, 'y'}, {0x0000FF, 'R'}, {0, 'k'}}),
              (std::vector<std::string>{"RkR", "kRk"}));
    m.item->SetDrawingStyle(0);  // focus: all but the pixels with both x and y odd
    m.list.Draw(paper.C(), 0, 0, 0, 0);
    EXPECT_EQ(paper.Map(Rect(0, 0, 3, 2), {{0x00FFFF, 'y'}, {0x0000FF, 'R'}, {0, 'k'}}),
              (std::vector<std::string>{"kkk", "kRk"}));
  }
  {
    MaskedImage m;
    m.item->SetImageType(1);  // the mask itself: white where transparent
    Paper paper(3, 2, 0xFF0000);
    // A monochrome source takes the canvas's background colour for white.
    paper.C()->Brush()->SetColor(clWhite);
    m.list.Draw(paper.C(), 0, 0, 0, 0);
    EXPECT_EQ(paper.Map(Rect(0, 0, 3, 2), {{0xFFFFFF, 'w'}, {0, 'k'}}), (std::vector<std::string>{"kwk", "kkk"}));
  }
}

TEST(KitImageList, DrawClippedAndDrawState) {
  MaskedImage m;
  Paper paper(6, 4, 0xFF0000);
  m.list.DrawClipped(paper.C(), Rect(1, 1, 4, 3), 0, 0, 0, 0);
  EXPECT_EQ(paper.Map(Rect(0, 0, 5, 4), {{0xFF0000, '.'}, {0x0000FF, 'R'}}),
            (std::vector<std::string>{".....", ".R.R.", ".RRR.", "....."}));

  // Clipped to a smaller rectangle: only its part of the image.
  Paper clipped(6, 4, 0xFF0000);
  m.list.DrawClipped(clipped.C(), Rect(1, 1, 3, 3), 0, 0, kKitDbClip, 0);
  EXPECT_EQ(clipped.Map(Rect(0, 0, 5, 4), {{0xFF0000, '.'}, {0x0000FF, 'R'}}),
            (std::vector<std::string>{".....", ".R...", ".RR..", "....."}));

  // DrawState leaves the image's transparent colour (its bottom-left pixel) out.
  TwoImages t;
  Paper state(8, 5, clWhite);
  TRect result;
  t.list.DrawState(state.C(), Rect(2, 1, 8, 5), result, 0, 0, 0);
  EXPECT_EQ(result.left, 2);
  EXPECT_EQ(result.top, 1);
  EXPECT_EQ(result.right, 6);
  EXPECT_EQ(result.bottom, 4);
  EXPECT_EQ(state.At(3, 1), Color(1, 0));
  EXPECT_EQ(state.At(2, 3), clWhite);  // the transparent corner
}

// ---- the stored form ---------------------------------------------------------------------------------------

// A 24 x 24 BMP file of 16-bit pixels with 5-6-5 bitfields: 1218 bytes.
std::vector<Byte> Bitfields565() {
  TMemoryStream s;
  TRecordWriter w(s);
  w.U8('B');
  w.U8('M');
  w.U32(1218);
  w.U32(0);
  w.U32(14 + 40 + 12);
  w.U32(40);
  w.I32(24);
  w.I32(24);
  w.U16(1);
  w.U16(16);
  w.U32(3);  // bitfields
  w.U32(24 * 48);
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.U32(0xF800);
  w.U32(0x07E0);
  w.U32(0x001F);
  for (int row = 23; row >= 0; --row)
    for (int x = 0; x < 24; ++x) w.U16(static_cast<Word>((x << 11) | (row << 5) | ((x + row) & 31)));
  return BytesOf(s);
}

// The stored form of an unmasked image item with one image in `bmp` (a whole BMP file).
std::vector<Byte> OneImageItem(const std::vector<Byte>& bmp, Integer w, Integer h) {
  TMemoryStream s;
  TRecordWriter wr(s);
  wr.U8(0);
  wr.I32(h);
  wr.I32(w);
  wr.I32(4);
  wr.U8(0);
  wr.I32(1);
  wr.U32(static_cast<Cardinal>(bmp.size()));
  wr.Bytes(bmp.data(), static_cast<Int64>(bmp.size()));
  return BytesOf(s);
}

TEST(KitImageStored, TheEditorsSixteenBitStripReadsAndWritesBackByteForByte) {
  const std::vector<Byte> bmp = Bitfields565();
  ASSERT_EQ(bmp.size(), 1218u);
  const std::vector<Byte> stored = OneImageItem(bmp, 24, 24);
  ASSERT_EQ(stored.size(), 1240u);

  ByteStream in(stored);
  TKitImageListItem item(nullptr);
  item.LoadFromStream(in);
  EXPECT_EQ(item.Count(), 1);
  EXPECT_FALSE(item.Masked());
  EXPECT_EQ(item.PixelFormat(), spfDefault);
  EXPECT_EQ(item.Width(), 24);
  EXPECT_EQ(item.Height(), 24);
  EXPECT_EQ(item.Strip()->PixelFormat(), pf16bit);

  // The pixels are those of the BMP file read on its own.
  ByteStream file(bmp);
  TBitmap direct;
  direct.LoadFromStream(file);
  for (int y = 0; y < 24; y += 5)
    for (int x = 0; x < 24; x += 3) EXPECT_EQ(item.Strip()->Canvas()->Pixels(x, y), direct.Canvas()->Pixels(x, y));
  // Pure channel values tell the layout: pixel (31 >> 0 ...) red at x = 31 is not in the
  // image, but (0, 0) has no red, green 0 and blue 0.
  EXPECT_EQ(item.Strip()->Canvas()->Pixels(0, 0), 0);

  TMemoryStream out;
  item.SaveToStream(out);
  EXPECT_EQ(BytesOf(out), stored);
}

TEST(KitImageStored, ASixteenBitStripMadeByImageMagick) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string dir = ::testing::TempDir();
  const std::string ppm = dir + "kit_strip565.ppm", bmpPath = dir + "kit_strip565.bmp";
  // Two 4 x 2 images side by side in colours that 5-6-5 holds exactly.
  const TColor colours[8] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x000000, 0xFFFF00, 0x00FFFF, 0xFF00FF};
  {
    std::ofstream f(ppm, std::ios::binary);
    f << "P6\n8 2\n255\n";
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 8; ++x) {
        const TColor c = colours[(x + y * 3) % 8];
        f.put(static_cast<char>(c & 0xFF)).put(static_cast<char>((c >> 8) & 0xFF)).put(static_cast<char>(c >> 16));
      }
  }
  ASSERT_EQ(std::system(("convert " + ppm + " -define bmp:subtype=RGB565 BMP:" + bmpPath).c_str()), 0);
  std::ifstream f(bmpPath, std::ios::binary);
  const std::vector<Byte> bmp((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_GT(bmp.size(), 54u);
  ASSERT_EQ(bmp[28], 16);  // 16 bits per pixel
  ASSERT_EQ(bmp[30], 3);   // with bitfields

  std::vector<Byte> stored = OneImageItem(bmp, 4, 2);
  // Two images in the strip.
  bytes::StoreLE32(stored.data() + 14, 2);
  ByteStream in(stored);
  TKitImageList list(nullptr);
  TKitImageListItem* item = list.GetItemAt(list.Add());
  item->LoadFromStream(in);
  ASSERT_EQ(list.ImageCount(0), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(list.GetPixel(Point(x, y), 0, 1), colours[(4 + x + y * 3) % 8]) << x << "," << y;
}

TEST(KitImageStored, MaskedItemsRoundTripWithTheirStripCut) {
  for (bool compressed : {false, true})
    for (TKitSavePixelFormat format : {spfDefault, spf8bit}) {
      SCOPED_TRACE(std::to_string(compressed) + " " + std::to_string(format));
      MaskedImage m;
      TKitImageListItem& item = *m.item;
      item.SetCompressed(compressed);
      item.SetPixelFormat(format);
      item.SetDescription("masked");
      TBitmap second;
      second.SetPixelFormat(pf24bit);
      second.SetSize(3, 2);
      second.Canvas()->Brush()->SetColor(0xFFFFFF);
      second.Canvas()->FillRect(Rect(0, 0, 3, 2));
      second.Canvas()->SetPixels(2, 1, 0);
      item.AddMasked(&second, 0xFFFFFF);
      ASSERT_EQ(item.Count(), 2);
      ASSERT_EQ(item.Strip()->Width(), 12);  // AllocBy 4 images of 3

      TMemoryStream s;
      item.SaveToStream(s);
      const std::vector<Byte> b = BytesOf(s);
      EXPECT_EQ(b[0], kKitFlagDescription | KitPixelFormatFlags(format) | (compressed ? 1 : 0));
      if (!compressed) {
        // The strip is written 2 x 3 = 6 columns wide, not 12.
        const std::size_t bmpAt = 1 + 1 + 6 + 17 + 4;
        EXPECT_EQ(bytes::LoadLE32(b.data() + bmpAt + 18), 6u);
      }
      s.SetPosition(0);
      TKitImageList list(nullptr);
      TKitImageListItem* back = list.GetItemAt(list.Add());
      back->LoadFromStream(s);
      EXPECT_EQ(s.Position(), s.Size());
      EXPECT_EQ(back->Description(), "masked");
      EXPECT_TRUE(back->Masked());
      EXPECT_EQ(back->PixelFormat(), format);
      ASSERT_EQ(back->Count(), 2);
      Paper paper(6, 2, 0x00FF00);
      list.Draw(paper.C(), 0, 0, 0, 0);
      list.Draw(paper.C(), 3, 0, 0, 1);
      EXPECT_EQ(paper.Map(Rect(0, 0, 6, 2), {{0x00FF00, 'g'}, {0x0000FF, 'R'}, {0, 'k'}}),
                (std::vector<std::string>{"RgRggg", "RRRggk"}));
    }
}

TEST(KitImageStored, HostileStripsAreRefusedAndTheItemKept) {
  TwoImages t;
  TMemoryStream good;
  t.item->SaveToStream(good);
  const std::vector<Byte> base = BytesOf(good);
  auto withField = [&](std::size_t at, Integer value) {
    std::vector<Byte> b = base;
    bytes::StoreLE32(b.data() + at, static_cast<Cardinal>(value));
    return b;
  };
  // Header byte 0, then height at 1, width at 5, AllocBy at 9, masked at 13, count at 14.
  const std::vector<std::vector<Byte>> hostile = {
      withField(1, 0),           // no height
      withField(1, -3),          // negative height
      withField(5, 40000),       // wider than a strip may be
      withField(14, -1),         // negative count
      withField(14, 3),          // more images than the strip holds
      withField(14, 0x7FFFFFFF), // a count that overflows count x width
      withField(18, 0x7FFFFFF0), // a strip block past the end
      withField(1, 4),           // a strip of another height
  };
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    ByteStream in(hostile[i]);
    EXPECT_THROW(t.item->LoadFromStream(in), Exception) << i;
    EXPECT_EQ(t.item->Count(), 2) << i;
    EXPECT_EQ(t.list.GetPixel(Point(1, 1), 0, 1), Color(5, 1)) << i;
  }
  // A masked item whose mask strip is missing or of another size.
  std::vector<Byte> masked = base;
  masked[13] = 1;
  ByteStream noMask(masked);
  EXPECT_THROW(t.item->LoadFromStream(noMask), EReadError);
  EXPECT_FALSE(t.item->Masked());

  // Every cut of a good item fails cleanly.
  for (std::size_t n = 0; n + 1 < base.size(); n += 7) {
    ByteStream in(std::vector<Byte>(base.begin(), base.begin() + static_cast<long>(n)));
    TKitImageListItem target(nullptr);
    EXPECT_THROW(target.LoadFromStream(in), Exception) << n;
    EXPECT_EQ(target.Count(), 0);
  }
}

TEST(KitImageStored, AssignAppendsImagesOfTheSameSize) {
  TwoImages a;
  TKitImageListItem fresh(nullptr);  // 16 x 16 by default, no images: takes the source's size
  fresh.Assign(a.item);
  EXPECT_EQ(fresh.Width(), 4);
  EXPECT_EQ(fresh.Count(), 2);
  fresh.Assign(a.item);
  EXPECT_EQ(fresh.Count(), 4);
  TBitmap img;
  ASSERT_TRUE(fresh.GetImage(3, &img));
  EXPECT_EQ(img.Canvas()->Pixels(2, 1), Color(6, 1));

  TKitImageListItem other(nullptr);
  other.SetWidth(5);
  other.SetHeight(3);
  other.Add(Strip(5, 3).get(), nullptr);
  try {
    other.Assign(a.item);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Invalid image size");
  }
  EXPECT_EQ(other.Count(), 1);
}

// ---- the bitmap list and the connector -------------------------------------------------------------------------

TEST(KitBitmapList, OneImagePerBitmap) {
  TKitBitmapList list(nullptr);
  list.Add();  // an empty bitmap
  list.GetItemAt(list.Add())->SetBitmap(Strip(5, 4).get());
  EXPECT_EQ(list.ImageCount(0), 0);
  EXPECT_EQ(list.ImageCount(1), 1);
  EXPECT_EQ(list.ImageCount(2), -1);
  EXPECT_FALSE(list.IsValidImage(0, 0));
  EXPECT_TRUE(list.IsValidImage(1, 0));
  EXPECT_FALSE(list.IsValidImage(1, 1));
  EXPECT_FALSE(list.IsMasked(1));
  EXPECT_EQ(list.GetSize(1, 0), 5);
  EXPECT_EQ(list.GetSize(1, 1), 4);
  EXPECT_EQ(list.GetPixel(Point(4, 3), 1, 0), Color(4, 3));
  EXPECT_EQ(list.GetPixel(Point(5, 0), 1, 0), kKitNoPixel);
  EXPECT_EQ(list.GetTransparentColor(1, 0), Color(0, 3));
  EXPECT_EQ(list.GetTransparentColor(0, 0), kKitNoPixel);
  Paper paper(6, 5, clWhite);
  list.Draw(paper.C(), 1, 1, 1, 0);
  EXPECT_EQ(paper.At(1, 1), Color(0, 0));
  EXPECT_EQ(paper.At(5, 4), Color(4, 3));
}

TEST(KitConnector, StandardListsThroughTheKitInterface) {
  auto* standard = new TImageList(nullptr);
  standard->SetSize(4, 3);
  standard->Add(Strip(8, 3).get(), nullptr);
  TKitImageListConnector connector(nullptr);
  auto* entry = static_cast<TKitBorImageListItem*>(connector.ImageLists()->Add());
  entry->SetImageList(standard);
  int changes = 0;
  connector.OnChange = [&](TObject*) { ++changes; };

  EXPECT_EQ(connector.Count(), 1);
  EXPECT_EQ(connector.ImageCount(0), 2);
  EXPECT_EQ(connector.ImageCount(1), -1);
  EXPECT_EQ(connector.GetSize(0, 0), 4);
  EXPECT_EQ(connector.GetSize(0, 1), 3);
  EXPECT_EQ(connector.GetCanvas(0), nullptr);
  EXPECT_EQ(connector.GetPixel(Point(1, 2), 0, 1), Color(5, 2));
  EXPECT_EQ(connector.GetTransparentColor(0, 0), Color(0, 2));
  Paper paper(5, 4, clWhite);
  connector.Draw(paper.C(), 1, 1, 0, 1);
  EXPECT_EQ(paper.At(1, 1), Color(4, 0));

  standard->Add(Strip(4, 3).get(), nullptr);  // the standard list's change reaches the connector
  EXPECT_GE(changes, 1);
  EXPECT_EQ(connector.ImageCount(0), 3);

  delete standard;  // the entry forgets it
  EXPECT_EQ(entry->ImageList(), nullptr);
  EXPECT_EQ(connector.ImageCount(0), -1);
  EXPECT_EQ(connector.GetPixel(Point(0, 0), 0, 0), kKitNoPixel);
}

}  // namespace
