// TBitmap32: sizes, fills and clipped reads, same-size drawing, assignment with the
// class library's bitmaps and pictures, the "Data" property, and files made by
// ImageMagick.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "bitmaps/bitmap32.h"
#include "bitmaps/blend.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/bmp_format.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/clipboard.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

namespace {

// A bitmap whose pixel (x, y) is Seed + 0x01010101·(y·w + x) with alpha `alpha`.
void FillPattern(TBitmap32& b, TColor32 seed, Byte alpha = 0xFF) {
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x)
      b.SetPixel(x, y, ((seed + 0x00010203u * static_cast<TColor32>(y * b.Width() + x)) & 0x00FFFFFF) |
                           (TColor32{alpha} << 24));
}

std::vector<TColor32> Pixels(const TBitmap32& b) {
  if (b.Empty()) return {};
  return std::vector<TColor32>(b.Bits(), b.Bits() + static_cast<std::size_t>(b.Width()) * b.Height());
}

struct EventCounter {
  int changes = 0;
  int resizes = 0;
  void Attach(TBitmap32& b) {
    b.OnChange = [this](TObject*) { ++changes; };
    b.OnResize = [this](TObject*) { ++resizes; };
  }
};

std::string DataOf(TBitmap32& b) {
  TStringStream s;
  b.WriteData(s);
  return s.DataString();
}

// ---- size -------------------------------------------------------------------------------

TEST(Bitmap32Size, ZeroSidesLeaveAnEmptyBitmapThatStillReportsItsSize) {
  TBitmap32 b;
  EventCounter ev;
  ev.Attach(b);
  EXPECT_TRUE(b.SetSize(-5, 10));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 10);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Bits(), nullptr);
  EXPECT_EQ(ev.changes, 1);
  EXPECT_EQ(ev.resizes, 1);
  // The same size again changes nothing and fires nothing.
  EXPECT_FALSE(b.SetSize(0, 10));
  EXPECT_EQ(ev.changes, 1);
  EXPECT_EQ(ev.resizes, 1);

  ASSERT_TRUE(b.SetSize(3, 2));
  EXPECT_FALSE(b.Empty());
  ASSERT_NE(b.Handle(), nullptr);
  ASSERT_NE(b.DC(), nullptr);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(6, 0u));
  // Rows follow each other without padding.
  EXPECT_EQ(b.ScanLine(1), b.Bits() + 3);
  EXPECT_EQ(b.PixelPtr(2, 1), b.Bits() + 5);
}

TEST(Bitmap32Size, SizesBeyondThirtyTwoBitsOfBytesAreRefusedAndTheBitmapIsKept) {
  TBitmap32 b;
  b.SetSize(2, 2);
  FillPattern(b, 0x102030);
  const std::vector<TColor32> before = Pixels(b);
  for (auto [w, h] : {std::pair{70000, 70000}, std::pair{0x7FFFFFFF, 0x7FFFFFFF}, std::pair{0x40000000, 2}}) {
    try {
      b.SetSize(w, h);
      ADD_FAILURE() << w << " x " << h << " accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Can't allocate the DIB handle");
    }
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(Pixels(b), before);
  }
}

// ---- fills and reads ----------------------------------------------------------------------

TEST(Bitmap32Pixels, FillsCoverExactlyTheirRectangles) {
  TBitmap32 b;
  b.SetSize(4, 3);
  b.Clear(0x11111111);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(12, 0x11111111u));

  b.FillRect(1, 1, 3, 2, 0xAABBCCDD);
  const TColor32 o = 0x11111111, X = 0xAABBCCDD;
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{o, o, o, o, o, X, X, o, o, o, o, o}));

  // Clipped at the left, top and right; the bottom row stays.
  b.FillRectS(-3, -1, 9, 2, 0x22);
  const TColor32 f = 0x22;
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{f, f, f, f, f, f, f, f, o, o, o, o}));

  b.ResetAlpha();
  EXPECT_EQ(b.Pixel(0, 0), 0xFF000022u);
  EXPECT_EQ(b.Pixel(3, 2), 0xFF111111u);
}

TEST(Bitmap32Pixels, FillRectSOverTheWholeBitmapAndOutsideIt) {
  TBitmap32 b;
  b.SetSize(3, 3);
  b.FillRectS(-10, -10, 5, 5, 0xFF00FF00);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(9, 0xFF00FF00u));

  EventCounter ev;
  ev.Attach(b);
  b.FillRectS(3, 0, 5, 3, 1);    // starts right of the bitmap
  b.FillRectS(0, -4, 3, 0, 1);   // ends above it
  b.FillRectS(2, 2, 2, 3, 1);    // no width
  b.FillRectS(1, 2, 0, 3, 1);    // inverted
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(9, 0xFF00FF00u));
  EXPECT_EQ(ev.changes, 0);

  // An empty bitmap with a height only: nothing is written anywhere.
  TBitmap32 e;
  e.SetSize(0, 4);
  e.FillRectS(-1, -1, 5, 5, 7);
  EXPECT_TRUE(e.Empty());
}

TEST(Bitmap32Pixels, PixelSAnswersOuterColorOutsideTheBitmap) {
  TBitmap32 b;
  b.SetSize(3, 2);
  FillPattern(b, 0x000100);
  b.SetOuterColor(0x80FF0000);
  EXPECT_EQ(b.PixelS(-1, 0), 0x80FF0000u);
  EXPECT_EQ(b.PixelS(0, -1), 0x80FF0000u);
  EXPECT_EQ(b.PixelS(3, 0), 0x80FF0000u);
  EXPECT_EQ(b.PixelS(0, 2), 0x80FF0000u);
  EXPECT_EQ(b.PixelS(0, 0), b.Pixel(0, 0));
  EXPECT_EQ(b.PixelS(2, 1), b.Pixel(2, 1));
  EXPECT_EQ(b.PixelS(2, 1), b.Bits()[5]);

  TBitmap32 empty;
  empty.SetOuterColor(5);
  EXPECT_EQ(empty.PixelS(0, 0), 5u);
}

// ---- change notification and locks ------------------------------------------------------------

TEST(Bitmap32Updates, NestedUpdatesHoldBackOnChangeAndUnpairedEndUpdateIsRefused) {
  TBitmap32 b;
  b.SetSize(2, 2);
  EventCounter ev;
  ev.Attach(b);
  b.BeginUpdate();
  b.BeginUpdate();
  b.Clear(1);
  b.SetDrawMode(dmBlend);
  b.EndUpdate();
  b.Clear(2);
  b.EndUpdate();
  EXPECT_EQ(ev.changes, 0);
  b.Changed();
  EXPECT_EQ(ev.changes, 1);
  try {
    b.EndUpdate();
    ADD_FAILURE() << "unpaired EndUpdate accepted";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), "Unpaired TThreadPersistent.EndUpdate");
  }
  EXPECT_EQ(b.UpdateCount(), 0);
  // Setters store only a different value.
  b.SetDrawMode(dmBlend);
  b.SetMasterAlpha(255);
  b.SetStretchFilter(sfNearest);
  EXPECT_EQ(ev.changes, 1);
  b.SetMasterAlpha(300);
  EXPECT_EQ(b.MasterAlpha(), 255u);

  b.Lock();
  b.Lock();
  EXPECT_EQ(b.LockCount(), 2);
  b.Unlock();
  b.Unlock();
  EXPECT_EQ(b.LockCount(), 0);
}

// ---- drawing ------------------------------------------------------------------------------------

TEST(Bitmap32DrawTo, SameSizeOpaqueCopyClipsToBothBitmaps) {
  TBitmap32 src, dst;
  src.SetSize(3, 3);
  FillPattern(src, 0x000010);
  dst.SetSize(4, 4);
  dst.Clear(0xEEEEEEEE);
  EventCounter ev;
  ev.Attach(dst);
  // The lower-right 2 x 2 of the source, with its lower row and right column falling
  // beyond the destination.
  src.DrawTo(&dst, MakeRect(3, 3, 5, 5), MakeRect(1, 1, 3, 3));
  EXPECT_EQ(ev.changes, 1);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 4; ++x)
      EXPECT_EQ(dst.Pixel(x, y), (x == 3 && y == 3) ? src.Pixel(1, 1) : 0xEEEEEEEEu) << x << "," << y;

  // Partly above and left of the destination.
  dst.Clear(0);
  src.DrawTo(&dst, MakeRect(-1, -2, 2, 1));
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(1, 2));
  EXPECT_EQ(dst.Pixel(1, 0), src.Pixel(2, 2));
  EXPECT_EQ(dst.Pixel(2, 0), 0u);
  EXPECT_EQ(dst.Pixel(0, 1), 0u);
}

TEST(Bitmap32DrawTo, BlendAndCustomModesCombineEveryPixel) {
  TBitmap32 src, dst;
  src.SetSize(2, 2);
  src.SetPixel(0, 0, 0x00FFFFFF);
  src.SetPixel(1, 0, 0xFF123456);
  src.SetPixel(0, 1, 0x80FF0000);
  src.SetPixel(1, 1, 0x400000FF);
  src.SetDrawMode(dmBlend);
  const TColor32 back = 0xFF204060;
  dst.SetSize(2, 2);

  dst.Clear(back);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  for (Integer i = 0; i < 4; ++i) {
    TColor32 want = back;
    BlendColorsInto(src.Bits()[i], want);
    EXPECT_EQ(dst.Bits()[i], want) << i;
  }
  EXPECT_EQ(dst.Pixel(0, 0), back);
  EXPECT_EQ(dst.Pixel(1, 0), 0xFF123456u);

  dst.Clear(back);
  src.SetMasterAlpha(128);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(dst.Bits()[i], BlendColorsMaster(src.Bits()[i], back, 128)) << i;

  dst.Clear(back);
  src.SetMasterAlpha(0);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  EXPECT_EQ(Pixels(dst), std::vector<TColor32>(4, back));

  // Custom: the callback sees source, destination and master alpha per pixel.
  src.SetMasterAlpha(77);
  src.SetDrawMode(dmCustom);
  std::vector<TColor32> seen;
  src.OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32 M) {
    seen.push_back(F);
    B = F ^ M;
  };
  dst.Clear(back);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  EXPECT_EQ(seen, Pixels(src));
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(dst.Bits()[i], src.Bits()[i] ^ 77u);

  // Custom without a callback copies.
  src.OnPixelCombine = nullptr;
  dst.Clear(back);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  EXPECT_EQ(Pixels(dst), Pixels(src));
}

TEST(Bitmap32DrawTo, CopyWithinOneBitmapReadsTheSourceBeforeOverwritingIt) {
  TBitmap32 b;
  b.SetSize(3, 3);
  FillPattern(b, 0x000001);
  const std::vector<TColor32> before = Pixels(b);
  // Down and right by one: the top-left 2 x 2 lands on the lower-right 2 x 2.
  b.DrawTo(&b, MakeRect(1, 1, 3, 3), MakeRect(0, 0, 2, 2));
  EXPECT_EQ(b.Pixel(1, 1), before[0]);
  EXPECT_EQ(b.Pixel(2, 1), before[1]);
  EXPECT_EQ(b.Pixel(1, 2), before[3]);
  EXPECT_EQ(b.Pixel(2, 2), before[4]);
  EXPECT_EQ(b.Pixel(0, 0), before[0]);
}

TEST(Bitmap32DrawTo, InvalidSourceRectanglesRaiseAndEmptyOnesDoNothing) {
  TBitmap32 src, dst;
  src.SetSize(2, 2);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(2, 2);
  try {
    src.DrawTo(&dst, MakeRect(0, 0, 3, 2), MakeRect(0, 0, 3, 2));
    ADD_FAILURE() << "source rectangle beyond the source accepted";
  } catch (const ETransformError& e) {
    EXPECT_EQ(e.Message(), "Source rectangle is invalid");
  }
  EXPECT_THROW(src.DrawTo(&dst, MakeRect(0, 0, 1, 1), MakeRect(-1, 0, 0, 1)), ETransformError);
  src.DrawTo(&dst, MakeRect(0, 0, 2, 2), MakeRect(1, 1, 1, 2));
  src.DrawTo(&dst, MakeRect(2, 2, 2, 2));
  src.DrawTo(&dst, MakeRect(5, 5, 7, 7));
  EXPECT_EQ(Pixels(dst), std::vector<TColor32>(4, 0u));
  // Either side empty: nothing at all.
  TBitmap32 empty;
  empty.DrawTo(&dst, MakeRect(0, 0, 2, 2));
  src.DrawTo(&empty, MakeRect(0, 0, 2, 2));
  src.DrawTo(static_cast<TBitmap32*>(nullptr), MakeRect(0, 0, 2, 2));
  EXPECT_EQ(Pixels(dst), std::vector<TColor32>(4, 0u));
}

TEST(Bitmap32DrawTo, DifferentSizesAreResampledWithTheBitmapsFilter) {
  TBitmap32 src, dst;
  src.SetSize(2, 1);
  src.SetPixel(0, 0, 0xFF102030u);
  src.SetPixel(1, 0, 0xFF405060u);
  dst.SetSize(4, 2);
  dst.Clear(0xFF000000u);
  src.SetStretchFilter(sfNearest);
  src.SetDrawMode(dmOpaque);
  src.DrawTo(&dst, MakeRect(0, 0, 4, 1));
  // Each source pixel covers two destination pixels; the second row is untouched.
  EXPECT_EQ(Pixels(dst), (std::vector<TColor32>{0xFF102030u, 0xFF102030u, 0xFF405060u, 0xFF405060u, 0xFF000000u,
                                                 0xFF000000u, 0xFF000000u, 0xFF000000u}));
}

TEST(Bitmap32DrawTo, ToADeviceContextCopiesEveryByteAtTheOffset) {
  win::BITMAPINFO info{};
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = -3;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  win::HBITMAP section = win::CreateDIBSection(nullptr, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, section);
  std::memset(bits, 0, 4 * 3 * 4);

  TBitmap32 b;
  b.SetSize(2, 2);
  FillPattern(b, 0x400000, 0x7F);
  b.DrawTo(dc, 1, 1);
  const auto* px = static_cast<const TColor32*>(bits);
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x <= 2 && y >= 1;
      EXPECT_EQ(px[y * 4 + x], inside ? b.Pixel(x - 1, y - 1) : 0u) << x << "," << y;
    }
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  win::DeleteObject(section);
}

// ---- assignment and comparison ----------------------------------------------------------------

TEST(Bitmap32Assign, AnotherBitmap32BringsPixelsAndSettingsAndEqualComparesThem) {
  TBitmap32 a, b;
  a.SetSize(3, 2);
  FillPattern(a, 0x123456, 0x44);
  a.SetDrawMode(dmBlend);
  a.SetMasterAlpha(99);
  a.SetOuterColor(0x01020304);
  a.SetStretchFilter(sfLinear);
  EventCounter ev;
  ev.Attach(b);
  b.Assign(&a);
  EXPECT_EQ(ev.changes, 1);
  EXPECT_EQ(Pixels(b), Pixels(a));
  EXPECT_EQ(b.DrawMode(), dmBlend);
  EXPECT_EQ(b.MasterAlpha(), 99u);
  EXPECT_EQ(b.OuterColor(), 0x01020304u);
  EXPECT_EQ(b.StretchFilter(), sfLinear);
  EXPECT_TRUE(a.Equal(&b));
  b.SetPixel(2, 1, b.Pixel(2, 1) ^ 0x01000000);
  EXPECT_FALSE(a.Equal(&b));

  TBitmap32 e1, e2;
  e2.SetSize(0, 7);
  EXPECT_TRUE(e1.Equal(&e2));
  EXPECT_FALSE(e1.Equal(&a));
  EXPECT_FALSE(a.Equal(nullptr));
  // Same pixels in another shape differ.
  TBitmap32 c, d;
  c.SetSize(2, 3);
  d.SetSize(3, 2);
  EXPECT_FALSE(c.Equal(&d));

  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 0);
}

TEST(Bitmap32Assign, A24BitBitmapComesInOpaqueAndA32BitOneKeepsItsAlpha) {
  TBitmap bmp24;
  bmp24.SetPixelFormat(pf24bit);
  bmp24.SetSize(3, 2);
  for (Integer y = 0; y < 2; ++y) {
    auto* row = static_cast<Byte*>(bmp24.ScanLine(y));
    for (Integer x = 0; x < 3; ++x) {
      row[3 * x + 0] = static_cast<Byte>(10 * x + y);  // blue
      row[3 * x + 1] = static_cast<Byte>(100 + x);     // green
      row[3 * x + 2] = static_cast<Byte>(200 + y);     // red
    }
  }
  TBitmap32 b;
  b.SetAlphaLoaded(true);
  b.Assign(&bmp24);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_FALSE(b.AlphaLoaded());
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 3; ++x)
      EXPECT_EQ(b.Pixel(x, y), Color32(static_cast<Byte>(200 + y), static_cast<Byte>(100 + x),
                                       static_cast<Byte>(10 * x + y), 255))
          << x << "," << y;

  TBitmap bmp32;
  bmp32.SetPixelFormat(pf32bit);
  bmp32.SetSize(2, 2);
  for (Integer y = 0; y < 2; ++y) {
    auto* row = static_cast<TColor32*>(bmp32.ScanLine(y));
    for (Integer x = 0; x < 2; ++x) row[x] = 0x10203040u * static_cast<TColor32>(1 + x + 2 * y);
  }
  b.Assign(&bmp32);
  EXPECT_TRUE(b.AlphaLoaded());
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 2; ++x)
      EXPECT_EQ(b.Pixel(x, y), 0x10203040u * static_cast<TColor32>(1 + x + 2 * y)) << x << "," << y;
}

TEST(Bitmap32Assign, OneBitDibsKeepTheirColoursAndMonochromeBitmapsAreBlackAndWhite) {
  TDibData dib;
  dib.Width = 4;
  dib.Height = 1;
  dib.BitCount = 1;
  dib.Colors = {win::RGBQUAD{0, 0, 255, 0}, win::RGBQUAD{255, 0, 0, 0}};  // red, blue
  dib.Bits = {0x50, 0, 0, 0};                                            // 0 1 0 1
  TMemoryStream file;
  WriteBmpFile(file, dib);
  file.SetPosition(0);
  TBitmap bmp;
  bmp.LoadFromStream(file);
  const TColor32 red = Color32(255, 0, 0, 255), blue = Color32(0, 0, 255, 255);
  const TColor32 black = Color32(0, 0, 0, 255), white = Color32(255, 255, 255, 255);
  for (TBitmapHandleType type : {bmDIB, bmDDB}) {
    SCOPED_TRACE(type == bmDIB ? "DIB" : "DDB");
    bmp.SetHandleType(type);
    TBitmap32 b;
    b.Assign(&bmp);
    const TColor32 c0 = type == bmDIB ? red : black, c1 = type == bmDIB ? blue : white;
    EXPECT_EQ((std::vector<TColor32>{b.Pixel(0, 0), b.Pixel(1, 0), b.Pixel(2, 0), b.Pixel(3, 0)}),
              (std::vector<TColor32>{c0, c1, c0, c1}));
  }
}

TEST(Bitmap32Assign, AssigningToABitmapMakesA32BitDibWithEveryByte) {
  TBitmap32 b;
  b.SetSize(3, 2);
  FillPattern(b, 0xA0B0C0, 0x33);
  b.SetPixel(0, 0, 0x00000000);
  TBitmap bmp;
  bmp.SetPixelFormat(pf8bit);
  bmp.Assign(&b);
  EXPECT_EQ(bmp.PixelFormat(), pf32bit);
  ASSERT_EQ(bmp.Width(), 3);
  ASSERT_EQ(bmp.Height(), 2);
  for (Integer y = 0; y < 2; ++y) {
    const auto* row = static_cast<const TColor32*>(bmp.ScanLine(y));
    for (Integer x = 0; x < 3; ++x) EXPECT_EQ(row[x], b.Pixel(x, y)) << x << "," << y;
  }
  // And back again: the alpha bytes survive the trip.
  TBitmap32 back;
  back.Assign(&bmp);
  EXPECT_TRUE(back.Equal(&b));
}

TEST(Bitmap32Assign, PicturesGoThroughTheirBitmap) {
  TBitmap32 b;
  b.SetSize(2, 3);
  FillPattern(b, 0x010101, 0xFE);
  TPicture picture;
  picture.Assign(&b);
  auto* held = dynamic_cast<TBitmap*>(picture.Graphic());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->Width(), 2);
  EXPECT_EQ(held->Height(), 3);

  TBitmap32 c;
  c.Assign(&picture);
  EXPECT_TRUE(c.AlphaLoaded());
  EXPECT_TRUE(c.Equal(&b));

  // Something that is neither a map nor a picture: the class library's assignment error.
  TBitmap32 d;
  d.SetSize(1, 1);
  TFont notAPicture;
  EXPECT_THROW(d.Assign(&notAPicture), EConvertError);
  EXPECT_EQ(d.Width(), 1);
}

// A graphic that is not a bitmap: a red rectangle with a blue first row, drawn through
// whatever canvas it is given.
class TPatchGraphic : public TGraphic {
 public:
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}
  bool Empty() const override { return false; }
  Integer Width() const override { return 3; }
  void SetWidth(Integer) override {}
  Integer Height() const override { return 2; }
  void SetHeight(Integer) override {}

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override {
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(r);
    canvas->Brush()->SetColor(clBlue);
    canvas->FillRect(Rect(r.left, r.top, r.right, r.top + 1));
  }
};

TEST(Bitmap32Assign, OtherGraphicsAreDrawnAndMadeOpaque) {
  TPatchGraphic patch;
  TBitmap32 b;
  b.Assign(&patch);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_FALSE(b.AlphaLoaded());
  for (Integer x = 0; x < 3; ++x) {
    EXPECT_EQ(b.Pixel(x, 0), 0xFF0000FFu) << x;
    EXPECT_EQ(b.Pixel(x, 1), 0xFFFF0000u) << x;
  }
}

TEST(Bitmap32Assign, TheClipboardTakesAndGivesBackThePixelsOpaque) {
  TBitmap32 b;
  b.SetSize(2, 2);
  FillPattern(b, 0x304050, 0x20);
  Clipboard()->Assign(&b);
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TBitmap32 c;
  c.Assign(Clipboard());
  ASSERT_EQ(c.Width(), 2);
  ASSERT_EQ(c.Height(), 2);
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(c.Bits()[i], b.Bits()[i] | 0xFF000000u) << i;
  Clipboard()->Clear();
}

TEST(Bitmap32Font, AChangedFontIsNoLongerSelectedIntoTheContext) {
  TBitmap32 b;
  b.SetSize(1, 1);
  win::HGDIOBJ systemFont = win::GetStockObject(win::SYSTEM_FONT);
  if (!systemFont) GTEST_SKIP() << "the window system has no stock fonts here";
  win::HGDIOBJ font = win::FontAsObject(b.Font()->Handle());
  win::SelectObject(b.DC(), font);
  ASSERT_EQ(win::GetCurrentObject(b.DC(), win::OBJ_FONT), font);
  b.Font()->SetSize(b.Font()->Size() + 4);
  EXPECT_EQ(win::GetCurrentObject(b.DC(), win::OBJ_FONT), systemFont);
}

TEST(Bitmap32Font, TheFontTakesTheBitmapsOwnLock) {
  TBitmap32 b;
  b.SetSize(1, 1);
  // The holder of the bitmap changes its font freely (the lock is recursive).
  b.Lock();
  b.Font()->SetSize(20);
  // Another thread's font change waits until the bitmap is let go.
  auto change = std::async(std::launch::async, [&] { b.Font()->SetSize(30); });
  EXPECT_EQ(change.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  EXPECT_EQ(b.Font()->Size(), 20);
  b.Unlock();
  change.get();
  EXPECT_EQ(b.Font()->Size(), 30);
  // And the font's lock holds the bitmap against other threads, without counting.
  b.Font()->Lock();
  EXPECT_EQ(b.LockCount(), 0);
  auto lock = std::async(std::launch::async, [&] {
    b.Lock();
    b.Unlock();
  });
  EXPECT_EQ(lock.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  b.Font()->Unlock();
  lock.get();
}

// ---- the "Data" property ----------------------------------------------------------------------

TEST(Bitmap32Data, LayoutIsWidthHeightThenThePixelBytes) {
  TBitmap32 b;
  b.SetSize(2, 1);
  b.SetPixel(0, 0, 0x80112233);
  b.SetPixel(1, 0, 0xFFA0B0C0);
  const std::string want("\x02\x00\x00\x00\x01\x00\x00\x00"
                         "\x33\x22\x11\x80\xC0\xB0\xA0\xFF",
                         16);
  EXPECT_EQ(DataOf(b), want);

  // Stored through the filer under "Data" and read back into an equal bitmap.
  TMemoryWriter writer;
  writer.WriteProperties(&b);
  ASSERT_EQ(writer.Data().size(), 1u);
  EXPECT_EQ(writer.Data()[0].name, "Data");
  ASSERT_EQ(writer.Data()[0].values.size(), 1u);
  EXPECT_EQ(writer.Data()[0].values[0].text, want);
  TBitmap32 c;
  EventCounter ev;
  ev.Attach(c);
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&c);
  EXPECT_TRUE(c.Equal(&b));
  EXPECT_GE(ev.changes, 1);
}

TEST(Bitmap32Data, WrittenOnlyWhenThereIsSomethingToStore) {
  TBitmap32 empty;
  TMemoryWriter w1;
  w1.WriteProperties(&empty);
  EXPECT_TRUE(w1.Data().empty());

  TBitmap32 b, same, other;
  b.SetSize(1, 1);
  same.SetSize(1, 1);
  other.SetSize(1, 1);
  other.Clear(1);
  TMemoryWriter w2;
  w2.SetAncestor(&same);
  w2.WriteProperties(&b);
  EXPECT_TRUE(w2.Data().empty());
  TMemoryWriter w3;
  w3.SetAncestor(&other);
  w3.WriteProperties(&b);
  EXPECT_EQ(w3.Data().size(), 1u);
  // An ancestor of another class: always stored, even when empty.
  TFont notABitmap;
  TMemoryWriter w4;
  w4.SetAncestor(&notABitmap);
  w4.WriteProperties(&empty);
  ASSERT_EQ(w4.Data().size(), 1u);
  EXPECT_EQ(w4.Data()[0].values[0].text, std::string(8, '\0'));
}

TEST(Bitmap32Data, TruncatedOrOversizedDataIsRefusedAndTheBitmapKeepsWhatItHad) {
  TBitmap32 source;
  source.SetSize(3, 2);
  FillPattern(source, 0x0A0B0C);
  const std::string good = DataOf(source);

  TBitmap32 target;
  target.SetSize(1, 1);
  target.Clear(0xFFFF0000);
  EventCounter ev;
  ev.Attach(target);
  const std::vector<std::string> bad = {
      good.substr(0, good.size() - 1),  // one pixel byte short
      good.substr(0, 8),                // no pixels at all
      good.substr(0, 6),                // height cut
      std::string(),
      // 0x7FFFFFFF x 0x7FFFFFFF: the byte count overflows 32 bits and the bytes are not there
      std::string("\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 8) + std::string(64, '\x01'),
      // 0x10000 x 0x10000 pixels: 2^34 bytes, claimed by a short stream
      std::string("\x00\x00\x01\x00\x00\x00\x01\x00", 8) + std::string(16, '\x01'),
  };
  for (const std::string& data : bad) {
    TFilerData filed{TFilerProperty{"Data", {TFilerValue{TFilerValue::vaBinary, 0, 0, data}}}};
    TMemoryReader reader(filed);
    EXPECT_THROW(reader.ReadProperties(&target), EReadError) << data.size();
    EXPECT_EQ(target.Width(), 1);
    EXPECT_EQ(target.Height(), 1);
    EXPECT_EQ(target.Pixel(0, 0), 0xFFFF0000u);
  }
  EXPECT_EQ(ev.changes, 0);
  EXPECT_EQ(ev.resizes, 0);

  // A negative width stores like SetSize: no pixels, the height kept.
  TStringStream negative(std::string("\xFB\xFF\xFF\xFF\x0A\x00\x00\x00", 8));
  target.ReadData(negative);
  EXPECT_TRUE(target.Empty());
  EXPECT_EQ(target.Width(), 0);
  EXPECT_EQ(target.Height(), 10);
}

// ---- files --------------------------------------------------------------------------------------

class Bitmap32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick convert is not installed";
    dir_ = std::filesystem::temp_directory_path() / ("qm_bitmap32_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  // Writes raw RGBA bytes and has ImageMagick turn them into `name` with `options`;
  // `format` forces an output format ("BMP3" for the 40-byte header).
  std::string Make(const std::string& name, const std::string& rgba, Integer w, Integer h,
                   const std::string& options, const std::string& format = "") {
    const std::string raw = (dir_ / "in.rgba").string();
    std::ofstream(raw, std::ios::binary).write(rgba.data(), static_cast<std::streamsize>(rgba.size()));
    const std::string out = (dir_ / name).string();
    const std::string cmd = "convert -size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 8 rgba:'" +
                            raw + "' " + options + " " + (format.empty() ? "" : format + ":") + "'" + out + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return out;
  }
  std::filesystem::path dir_;
};

// Pixels of the test image, RGBA, row by row from the top.
const std::string kRgba("\x10\x20\x30\x80" "\xFF\x00\x00\xFF" "\x00\xFF\x00\x40"
                        "\x00\x00\xFF\x00" "\x01\x02\x03\xFF" "\xFE\xFD\xFC\x7F",
                        24);

TColor32 Expected(Integer i, bool withAlpha) {
  const auto* p = reinterpret_cast<const Byte*>(kRgba.data()) + 4 * i;
  return Color32(p[0], p[1], p[2], withAlpha ? p[3] : 255);
}

TEST_F(Bitmap32Files, LoadsA24BitBmpOpaque) {
  const std::string file = Make("plain.bmp", kRgba, 3, 2, "-alpha off", "BMP3");
  TBitmap32 b;
  b.LoadFromFile(file);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_FALSE(b.AlphaLoaded());
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(b.Bits()[i], Expected(i, false)) << i;
}

TEST_F(Bitmap32Files, LoadsA32BitBmpWithItsAlpha) {
  const std::string file = Make("alpha.bmp", kRgba, 3, 2, "");
  TBitmap32 b;
  b.LoadFromFile(file);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_TRUE(b.AlphaLoaded());
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(b.Bits()[i], Expected(i, true)) << i;
}

TEST_F(Bitmap32Files, AFileThatCannotBeReadLeavesTheBitmapAsItWas) {
  const std::string file = Make("cut.bmp", kRgba, 3, 2, "");
  const std::string cut = (dir_ / "cut_short.bmp").string();
  std::filesystem::copy_file(file, cut);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 10);
  TBitmap32 b;
  b.SetSize(1, 2);
  b.Clear(0x12345678);
  EXPECT_THROW(b.LoadFromFile(cut), Exception);
  EXPECT_THROW(b.LoadFromFile((dir_ / "missing.bmp").string()), Exception);
  EXPECT_THROW(b.LoadFromFile((dir_ / "image.unknownext").string()), Exception);
  EXPECT_EQ(b.Width(), 1);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(2, 0x12345678u));
}

}  // namespace

TEST(Bitmap32DrawTo, ABlendOntoItselfShiftedDownReadsEveryRowBeforeItIsWritten) {
  // Opaque pixels blend like a copy, so the result must be the plain shift.
  TBitmap32 b;
  ASSERT_TRUE(b.SetSize(1, 4));
  for (Integer y = 0; y < 4; ++y) b.SetPixel(0, y, 0xFF000000u | static_cast<TColor32>(y + 1));
  b.SetDrawMode(dmBlend);
  b.DrawTo(&b, TRect{0, 1, 1, 4}, TRect{0, 0, 1, 3});
  EXPECT_EQ(b.Pixel(0, 0), 0xFF000001u);
  EXPECT_EQ(b.Pixel(0, 1), 0xFF000001u);
  EXPECT_EQ(b.Pixel(0, 2), 0xFF000002u) << "row 1 was read after it had been overwritten";
  EXPECT_EQ(b.Pixel(0, 3), 0xFF000003u);
}
