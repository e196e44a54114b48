// The "Internal" item layout byte for byte, the BMP writer at 1, 4 and 8 bits, container
// signatures and indexes, and what the readers do with streams that lie.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "controlkit/kit_chunk_streams.h"
#include "controlkit/kit_internal_format.h"
#include "controlkit/kit_items.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

namespace {

std::vector<Byte> BytesOf(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

// A memory stream holding the bytes, positioned at the start.
struct ByteStream : TMemoryStream {
  explicit ByteStream(const std::vector<Byte>& bytes) {
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    SetPosition(0);
  }
};

std::vector<Byte> Concat(std::initializer_list<std::vector<Byte>> parts) {
  std::vector<Byte> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<Byte> Text(const std::string& s) { return std::vector<Byte>(s.begin(), s.end()); }

Cardinal U32At(const std::vector<Byte>& b, std::size_t at) { return bytes::LoadLE32(b.data() + at); }
Word U16At(const std::vector<Byte>& b, std::size_t at) { return bytes::LoadLE16(b.data() + at); }

// A 24-bit bitmap of the given colours, row by row.
void Paint(TBitmap& bmp, int w, int h, const std::vector<TColor>& colors) {
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.Canvas()->SetPixels(x, y, colors[static_cast<std::size_t>(y * w + x)]);
}

// ---- the item header and the worked example ---------------------------------------------------------

TEST(InternalFormat, TheWorkedStringItemIsThirtyNineBytes) {
  TKitStringListItem item(nullptr);
  item.SetDescription("Fan");
  item.SetIdent(2);
  item.Items()->Add("Fan");
  item.Items()->Add("Power");
  item.Items()->Add("Power Jitter");
  TMemoryStream s;
  item.SaveToStream(s);
  const std::vector<Byte> expected =
      Concat({{0x0E, 0x03}, Text("Fan"), {0x02, 0x00, 0x00, 0x00}, {26, 0, 0, 0},
              Text("Fan\r\nPower\r\nPower Jitter\r\n")});
  ASSERT_EQ(expected.size(), 39u);
  EXPECT_EQ(BytesOf(s), expected);

  // And those bytes read back into the same item.
  ByteStream in(expected);
  TKitStringListItem back(nullptr);
  back.LoadFromStream(in);
  EXPECT_EQ(back.Description(), "Fan");
  EXPECT_EQ(back.Ident(), 2);
  ASSERT_EQ(back.Items()->Count(), 3);
  EXPECT_EQ(back.Items()->Strings(2), "Power Jitter");
  EXPECT_EQ(in.Position(), 39);
}

TEST(InternalFormat, SmallestItemsAreTheirHeaderAlone) {
  {
    TKitStringListItem item(nullptr);
    item.SetIdent(1);
    TMemoryStream s;
    item.SaveToStream(s);
    EXPECT_EQ(BytesOf(s), (std::vector<Byte>{0x04, 0x01, 0x00, 0x00, 0x00}));
  }
  for (TKitListItem* item : std::initializer_list<TKitListItem*>{
           new TKitStringListItem(nullptr), new TKitBitmapListItem(nullptr), new TKitWaveListItem(nullptr)}) {
    std::unique_ptr<TKitListItem> owned(item);
    TMemoryStream s;
    item->SaveToStream(s);
    EXPECT_EQ(BytesOf(s), std::vector<Byte>{0x00}) << item->ClassName();
  }
}

TEST(InternalFormat, HeaderFlagsAndFields) {
  TMemoryStream s;
  WriteItemHeader(s, TKitItemHeader{static_cast<Byte>(kKitFlagDescription | kKitFlagIdent | kKitFlagCompressed |
                                                      kKitFlagFormat4Bit | 0x80),
                                    "ab", 0xBEEF});
  // Bit 7 is never written; the ident takes 4 bytes.
  EXPECT_EQ(BytesOf(s), (std::vector<Byte>{0x27, 0x02, 'a', 'b', 0xEF, 0xBE, 0x00, 0x00}));

  // On reading, only the low 16 bits of the ident are kept.
  ByteStream in({0x04, 0x34, 0x12, 0x05, 0x00});
  const TKitItemHeader h = ReadItemHeader(in);
  EXPECT_EQ(h.Ident, 0x1234);
  EXPECT_EQ(h.Description, "");

  EXPECT_EQ(KitPixelFormatFlags(spfDefault), 0);
  EXPECT_EQ(KitPixelFormatFlags(spfMono), 0x10);
  EXPECT_EQ(KitPixelFormatFlags(spf4bit), 0x20);
  EXPECT_EQ(KitPixelFormatFlags(spf8bit), 0x40);
  for (TKitSavePixelFormat f : {spfDefault, spfMono, spf4bit, spf8bit})
    EXPECT_EQ(KitPixelFormatOfFlags(KitPixelFormatFlags(f)), f);
}

TEST(InternalFormat, LongDescriptionsAreCutTo255) {
  TKitStringListItem item(nullptr);
  const std::string longText(300, 'x');
  item.SetDescription(longText + "tail");
  EXPECT_EQ(item.Description(), std::string(255, 'x'));
  TMemoryStream s;
  item.SaveToStream(s);
  const std::vector<Byte> b = BytesOf(s);
  ASSERT_EQ(b.size(), 2u + 255u);
  EXPECT_EQ(b[0], kKitFlagDescription);
  EXPECT_EQ(b[1], 255);
  s.SetPosition(0);
  TKitStringListItem back(nullptr);
  back.LoadFromStream(s);
  EXPECT_EQ(back.Description(), std::string(255, 'x'));
}

// ---- blocks ----------------------------------------------------------------------------------------------

TEST(InternalFormat, TextBlocksPlainAndCompressed) {
  TMemoryStream plain;
  WriteTextBlock(plain, "abc", false);
  EXPECT_EQ(BytesOf(plain), (std::vector<Byte>{3, 0, 0, 0, 'a', 'b', 'c'}));

  const std::string text = std::string(40000, 'q') + "end of a long text";
  TMemoryStream packed;
  WriteTextBlock(packed, text, true);
  EXPECT_LT(packed.Size(), 1000);  // the run of q's shrinks
  // A compressed block is a compressed stream: its total, then chunks.
  EXPECT_EQ(static_cast<Int64>(U32At(BytesOf(packed), 0)), packed.Size() - 4);
  packed.SetPosition(0);
  EXPECT_EQ(ReadTextBlock(packed, true), text);
  EXPECT_EQ(packed.Position(), packed.Size());
}

TEST(InternalFormat, BitmapBlockInItsOwnFormatIsTheBitmapsBmpFile) {
  TBitmap bmp;
  Paint(bmp, 3, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0x000000, 0xFFFFFF, 0x808080});
  TMemoryStream own;
  bmp.SaveToStream(own);
  TMemoryStream block;
  WriteBitmapBlock(block, &bmp, spfDefault, false);
  const std::vector<Byte> b = BytesOf(block);
  ASSERT_EQ(static_cast<Int64>(U32At(b, 0)), own.Size());
  EXPECT_EQ(std::vector<Byte>(b.begin() + 4, b.end()), BytesOf(own));
}

TEST(InternalFormat, TheBmpWriterAtOneFourAndEightBits) {
  TBitmap bmp;
  // Black and white only, so every depth keeps them exactly.
  Paint(bmp, 5, 3, {0, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF,  //
                    0xFFFFFF, 0, 0, 0, 0xFFFFFF,         //
                    0, 0, 0, 0, 0});
  for (Integer bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    TMemoryStream s;
    WriteBitmapAtDepth(s, &bmp, bits);
    const std::vector<Byte> b = BytesOf(s);
    const Cardinal stride = ((5 * bits + 31) / 32) * 4;
    const Cardinal table = 4u << bits;
    ASSERT_EQ(b.size(), 14 + 40 + table + stride * 3);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32At(b, 2), b.size());
    EXPECT_EQ(U32At(b, 6), 0u);             // the two reserved words
    EXPECT_EQ(U32At(b, 10), 14 + 40 + table);  // the bits follow the colour table
    EXPECT_EQ(U32At(b, 14), 40u);
    EXPECT_EQ(static_cast<Integer>(U32At(b, 18)), 5);
    EXPECT_EQ(static_cast<Integer>(U32At(b, 22)), 3);
    EXPECT_EQ(U16At(b, 26), 1);
    EXPECT_EQ(U16At(b, 28), bits);
    EXPECT_EQ(U32At(b, 30), 0u);
    EXPECT_EQ(U32At(b, 34), stride * 3);
    for (std::size_t at = 38; at < 54; at += 4) EXPECT_EQ(U32At(b, at), 0u) << at;

    // Read back as any BMP file: the same black and white pixels.
    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(s);
    ASSERT_EQ(back.Width(), 5);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(back.Canvas()->Pixels(x, y), bmp.Canvas()->Pixels(x, y)) << x << "," << y;
  }
  // The top row of the 1-bit file is its last row of bits: 0 1 0 1 1 -> 0101 1000.
  TMemoryStream mono;
  WriteBitmapAtDepth(mono, &bmp, 1);
  const std::vector<Byte> b = BytesOf(mono);
  EXPECT_EQ(b[14 + 40 + 8 + 2 * 4], 0x58);
  EXPECT_EQ(b[14 + 40 + 8], 0x00);  // the bottom row, all black

  // 16 and 32 bits are written as 24.
  TMemoryStream deep;
  WriteBitmapAtDepth(deep, &bmp, 32);
  EXPECT_EQ(U16At(BytesOf(deep), 28), 24);
}

TEST(InternalFormat, ImageMagickReadsTheFourBitWriter) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  TBitmap bmp;
  Paint(bmp, 4, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0, 0x000080, 0x008000, 0x800000});
  const std::string dir = ::testing::TempDir();
  const std::string bmpPath = dir + "kit_four_bits.bmp", ppmPath = dir + "kit_four_bits.ppm";
  {
    TMemoryStream s;
    WriteBitmapAtDepth(s, &bmp, 4);
    s.SaveToFile(bmpPath);
  }
  ASSERT_EQ(std::system(("convert " + bmpPath + " -depth 8 " + ppmPath).c_str()), 0);
  std::ifstream in(ppmPath, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  std::vector<unsigned char> rgb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(w, 4);
  ASSERT_EQ(h, 2);
  ASSERT_EQ(rgb.size(), 24u);
  // These colours are all in the 16-colour table, so they come out unchanged.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      const TColor c = bmp.Canvas()->Pixels(x, y);
      const std::size_t at = static_cast<std::size_t>((y * 4 + x) * 3);
      EXPECT_EQ(rgb[at], c & 0xFF) << x << "," << y;
      EXPECT_EQ(rgb[at + 1], (c >> 8) & 0xFF) << x << "," << y;
      EXPECT_EQ(rgb[at + 2], (c >> 16) & 0xFF) << x << "," << y;
    }
}

TEST(InternalFormat, EmptyBitmapsCannotBeWrittenAtALowDepth) {
  TBitmap empty;
  TMemoryStream s;
  try {
    WriteBitmapBlock(s, &empty, spf8bit, false);
    FAIL() << "an empty bitmap was written";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Bitmap image is not valid");
  }
}

// ---- signatures and indexes -----------------------------------------------------------------------------

TEST(InternalFormat, SignaturesAndExtensions) {
  const char* names[] = {"KITIML30", "KITBML30", "KITWVL30", "KITSLL30", "KITGLL50", "KITRTL50"};
  for (int k = 0; k < 6; ++k) {
    const auto kind = static_cast<TKitContainerKind>(k);
    EXPECT_EQ(KitContainerSignature(kind), names[k]);
    TMemoryStream s;
    WriteContainerSignature(s, kind);
    const std::vector<Byte> b = BytesOf(s);
    ASSERT_EQ(b.size(), 9u);
    EXPECT_EQ(b[0], 8);
    s.SetPosition(0);
    EXPECT_EQ(ReadContainerSignature(s), kind);
  }
  // The length byte is part of the comparison.
  EXPECT_EQ(KitContainerKindOf(std::string("\x07KITIML30")), ckNone);
  EXPECT_EQ(KitContainerKindOf(std::string("\x08KITIML31")), ckNone);
  ByteStream shortFile({8, 'K', 'I', 'T'});
  EXPECT_EQ(ReadContainerSignature(shortFile), ckNone);

  EXPECT_EQ(KitContainerExtension(ckImageList, false), "iml");
  EXPECT_EQ(KitContainerExtension(ckStringList, true), ".txt");
  EXPECT_EQ(KitContainerExtension(ckGlyphList, false), "*");
  EXPECT_EQ(KitContainerExtension(ckRichTextList, true), ".rtf");
}

TEST(InternalFormat, ContainerStreamWithItsIndex) {
  TKitStringList list(nullptr);
  list.GetItemAt(list.Add())->SetIdent(1);
  list.GetItemAt(list.Add())->Items()->Add("x");
  TMemoryStream s;
  s.WriteBuffer("pad", 3);  // positions are absolute in the stream
  list.SaveToStream(s, true);
  const std::vector<Byte> b = BytesOf(s);
  // count, two positions, item 0 (5 bytes), item 1 (flags 8, length 3, "x\r\n").
  const std::vector<Byte> expected = Concat({Text("pad"),
                                             {2, 0, 0, 0},
                                             {15, 0, 0, 0},
                                             {20, 0, 0, 0},
                                             {0x04, 1, 0, 0, 0},
                                             {0x08, 3, 0, 0, 0, 'x', '\r', '\n'}});
  EXPECT_EQ(b, expected);

  s.SetPosition(3);
  const TKitContainerIndex index = ReadContainerIndex(s);
  EXPECT_EQ(index.Count, 2);
  EXPECT_EQ(index.Positions, (std::vector<Int64>{15, 20}));

  // Without an index: just the count and the items.
  TMemoryStream bare;
  list.SaveToStream(bare, false);
  EXPECT_EQ(bare.Size(), 4 + 5 + 8);
  // An empty list writes no table even when asked.
  TKitStringList empty(nullptr);
  TMemoryStream none;
  empty.SaveToStream(none, true);
  EXPECT_EQ(BytesOf(none), (std::vector<Byte>{0, 0, 0, 0}));
}

// ---- hostile streams --------------------------------------------------------------------------------------

template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

TEST(InternalFormatHostile, LengthsBeyondTheEndAreRefused) {
  // A description whose length runs past the end.
  EXPECT_NE(ErrorOf([] {
              ByteStream s({0x02, 200, 'a', 'b'});
              ReadItemHeader(s);
            }),
            "");
  // A text block claiming 2 GB, and one with a negative length.
  for (const std::vector<Byte>& bytes :
       {std::vector<Byte>{0xFF, 0xFF, 0xFF, 0x7F, 'a'}, std::vector<Byte>{0xFE, 0xFF, 0xFF, 0xFF}}) {
    const std::string error = ErrorOf([&] {
      ByteStream s(bytes);
      ReadTextBlock(s, false);
    });
    EXPECT_NE(error, "");
  }
  // A bitmap block holding no BMP file.
  EXPECT_NE(ErrorOf([] {
              ByteStream s({4, 0, 0, 0, 'j', 'u', 'n', 'k'});
              TBitmap bmp;
              ReadBitmapBlock(s, &bmp, false);
            }),
            "");
  // A compressed block whose total runs past the end.
  EXPECT_NE(ErrorOf([] {
              ByteStream s({100, 0, 0, 0, 5, 0, 0, 0, 0x80});
              ReadTextBlock(s, true);
            }),
            "");
}

TEST(InternalFormatHostile, ContainerIndexesMustFitTheStream) {
  // A count that cannot fit the bytes left is refused before anything is allocated.
  EXPECT_NE(ErrorOf([] {
              ByteStream s({0xFF, 0xFF, 0xFF, 0x0F, 0, 0, 0, 0});
              ReadContainerIndex(s);
            }),
            "");
  EXPECT_NE(ErrorOf([] {
              ByteStream s({0xFF, 0xFF, 0xFF, 0xFF});
              ReadContainerIndex(s);
            }),
            "");
  // A position pointing into the table or past the end.
  EXPECT_NE(ErrorOf([] {
              ByteStream s({1, 0, 0, 0, 2, 0, 0, 0, 0});
              ReadContainerIndex(s);
            }),
            "");
  EXPECT_NE(ErrorOf([] {
              ByteStream s({1, 0, 0, 0, 9, 0, 0, 0, 0});
              ReadContainerIndex(s);
            }),
            "");
}

TEST(InternalFormatHostile, AnItemThatFailsToReadKeepsWhatItHad) {
  TKitStringListItem item(nullptr);
  item.SetDescription("kept");
  item.Items()->Add("line");
  // A good header, then a text block cut short.
  const std::vector<Byte> cut = Concat({{0x0A, 3}, Text("new"), {10, 0, 0, 0}, Text("abc")});
  ByteStream s(cut);
  EXPECT_THROW(item.LoadFromStream(s), EReadError);
  EXPECT_EQ(item.Description(), "kept");
  ASSERT_EQ(item.Items()->Count(), 1);
  EXPECT_EQ(item.Items()->Strings(0), "line");

  // Every truncation of a good item fails cleanly.
  TKitStringListItem good(nullptr);
  good.SetDescription("desc");
  good.SetIdent(7);
  good.Items()->Add("one");
  TMemoryStream full;
  good.SaveToStream(full);
  const std::vector<Byte> all = BytesOf(full);
  for (std::size_t n = 0; n < all.size(); ++n) {
    ByteStream part(std::vector<Byte>(all.begin(), all.begin() + static_cast<long>(n)));
    TKitStringListItem target(nullptr);
    EXPECT_THROW(target.LoadFromStream(part), Exception) << n;
    EXPECT_EQ(target.Description(), "") << n;
  }
}

}  // namespace
