// The image-format registry, its mirror in the picture registry, and the reader base.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "imageformats/eps_reader.h"
#include "imageformats/file_format_list.h"
#include "imageformats/image_format_graphic.h"
#include "imageformats/png_reader.h"
#include "imageformats/tiff_reader.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/icon_metafile.h"
#include "platform/classlib/jpeg_image.h"
#include "platform/classlib/picture.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

// Graphic classes of the tests' own, so that registering them touches no real format.
class TFakeGraphicA : public TBitmap {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFakeGraphicA>("TFakeGraphicA", TBitmap::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
};

class TFakeGraphicB : public TBitmap {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFakeGraphicB>("TFakeGraphicB", TBitmap::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
};

const TGraphicClass A = &TFakeGraphicA::StaticClass();
const TGraphicClass B = &TFakeGraphicB::StaticClass();

// Every class entry's count equals the extension entries referring to it.
void ExpectConsistent(const TFileFormatList& list) {
  for (Integer c = 0; c < list.ClassCount(); ++c) {
    Integer refs = 0;
    for (Integer e = 0; e < list.ExtensionCount(); ++e)
      if (list.ExtensionEntry(e).ClassReference == &list.ClassEntry(c)) ++refs;
    EXPECT_EQ(list.ClassEntry(c).Count, refs) << list.ClassEntry(c).GraphicClass->ClassName();
    EXPECT_GT(refs, 0);
  }
}

// The list's Clear takes the class library's own kinds out of the picture registry; the
// tests that follow need them back.
void RestoreClassLibraryKinds() {
  TPicture::RegisterFileFormat("bmp", "Bitmaps", &TBitmap::StaticClass());
  TPicture::RegisterFileFormat("ico", "Icons", &TIcon::StaticClass());
  TPicture::RegisterFileFormat("emf", "Enhanced Metafiles", &TMetafile::StaticClass());
  TPicture::RegisterFileFormat("wmf", "Metafiles", &TMetafile::StaticClass());
  TPicture::RegisterFileFormat("jpg", "JPEG Image File", &TJPEGImage::StaticClass());
  TPicture::RegisterFileFormat("jpeg", "JPEG Image File", &TJPEGImage::StaticClass());
}

}  // namespace

TEST(FileFormatList, RegisteringMirrorsIntoThePictureRegistry) {
  TFileFormatList list;
  list.RegisterFileFormat("qa1", "Fake A images", "", ftRaster, false, false, A);
  list.RegisterFileFormat("qa2", "", "Second A images", ftRaster, false, true, A);
  list.RegisterFileFormat("", "Ignored", "Ignored", ftRaster, false, false, B);
  EXPECT_EQ(list.ExtensionCount(), 2);
  ASSERT_EQ(list.ClassCount(), 1);
  EXPECT_EQ(list.ClassEntry(0).Count, 2);
  EXPECT_EQ(list.ClassEntry(0).Description, "Fake A images");
  EXPECT_EQ(list.FindExtension("QA2"), 1);
  EXPECT_EQ(list.FindExtension(""), -1);
  EXPECT_EQ(list.FindGraphicClass(B), -1);
  EXPECT_EQ(TPicture::FindFileFormat("qa1"), A);
  // An empty individual description shows the class's common one.
  EXPECT_EQ(GraphicFilter(A), "All (*.qa1;*.qa2)|*.qa1;*.qa2|Fake A images (*.qa1)|*.qa1|Second A images (*.qa2)|*.qa2");

  // Known extensions compare without case; the message names the extension as given.
  try {
    list.RegisterFileFormat("QA1", "", "", ftRaster, false, false, B);
    FAIL() << "no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Attempt to register QA1 twice.");
  }
  // A later non-empty common description replaces the class's.
  list.RegisterFileFormat("qa3", "Renamed A images", "", ftRaster, false, false, A);
  EXPECT_EQ(list.ClassEntry(0).Description, "Renamed A images");
  ExpectConsistent(list);
}

TEST(FileFormatList, ReplacingMovesAnExtensionBetweenClasses) {
  TFileFormatList list;
  list.RegisterFileFormat("qa1", "Fake A images", "", ftRaster, false, false, A);
  list.RegisterFileFormat("qa2", "", "", ftRaster, false, false, A);
  list.RegisterFileFormat("qa2", "", "", ftRaster, true, false, A);  // same class: no change
  EXPECT_EQ(list.ClassEntry(0).Count, 2);
  list.RegisterFileFormat("qa2", "Fake B images", "", ftRaster, true, false, B);
  ASSERT_EQ(list.ClassCount(), 2);
  EXPECT_EQ(list.ClassEntry(0).Count, 1);
  EXPECT_EQ(list.ClassEntry(1).Count, 1);
  EXPECT_EQ(TPicture::FindFileFormat("qa2"), B);
  // Moving A's last extension removes A's entry.
  list.RegisterFileFormat("qa1", "", "", ftRaster, true, false, B);
  ASSERT_EQ(list.ClassCount(), 1);
  EXPECT_EQ(list.ClassEntry(0).GraphicClass, B);
  EXPECT_EQ(list.ClassEntry(0).Count, 2);
  ExpectConsistent(list);
}

TEST(FileFormatList, UnregisteringExtensionsAndClasses) {
  {
    TFileFormatList list;
    list.RegisterFileFormat("qa1", "Fake A images", "", ftRaster, false, false, A);
    list.RegisterFileFormat("qa2", "", "", ftRaster, false, false, A);
    list.RegisterFileFormat("qb1", "Fake B images", "", ftRaster, false, false, B);
    list.UnregisterFileFormat("nothing", A);
    EXPECT_EQ(list.ExtensionCount(), 3);
    // One of two extensions: the class stays, and so does the picture registry's entry.
    list.UnregisterFileFormat("QA1", A);
    EXPECT_EQ(list.ExtensionCount(), 2);
    EXPECT_EQ(list.ClassEntry(list.FindGraphicClass(A)).Count, 1);
    EXPECT_EQ(TPicture::FindFileFormat("qa1"), A);
    // The last one: the class leaves both registries.
    list.UnregisterFileFormat("qa2", A);
    EXPECT_EQ(list.FindGraphicClass(A), -1);
    EXPECT_EQ(TPicture::FindFileFormat("qa1"), nullptr);
    EXPECT_EQ(TPicture::FindFileFormat("qa2"), nullptr);
    // An empty extension drops the whole class.
    list.RegisterFileFormat("qb2", "", "", ftRaster, false, false, B);
    list.UnregisterFileFormat("", B);
    EXPECT_EQ(list.ExtensionCount(), 0);
    EXPECT_EQ(list.ClassCount(), 0);
    EXPECT_EQ(TPicture::FindFileFormat("qb1"), nullptr);
    list.UnregisterFileFormat("", B);  // no longer registered: nothing
  }
  // Freeing the list unregisters what it still holds.
  {
    TFileFormatList list;
    list.RegisterFileFormat("qa1", "Fake A images", "", ftRaster, false, false, A);
    EXPECT_EQ(TPicture::FindFileFormat("qa1"), A);
  }
  EXPECT_EQ(TPicture::FindFileFormat("qa1"), nullptr);
}

TEST(ImageFormatsUnit, RegistersAtLoadAndUnregistersAtUnload) {
  const std::string filterBefore = GraphicFilter(nullptr);
  ImageFormatsInitialize();
  ImageFormatsInitialize();  // nested: no second registration
  TFileFormatList* list = FileFormatList();
  ASSERT_NE(list, nullptr);
  ExpectConsistent(*list);
  EXPECT_EQ(list->ExtensionEntry(0).Extension, "bmp");
  EXPECT_EQ(list->ExtensionEntry(list->ExtensionCount() - 1).Extension, "png");
  EXPECT_EQ(TPicture::FindFileFormat("tif"), &TTIFFGraphic::StaticClass());
  EXPECT_EQ(TPicture::FindFileFormat("FAX"), &TTIFFGraphic::StaticClass());
  EXPECT_EQ(TPicture::FindFileFormat("png"), &TPNGGraphic::StaticClass());
  EXPECT_EQ(TPicture::FindFileFormat("rle"), &TBitmap::StaticClass());
  const std::string filter = GraphicFilter(&TTIFFGraphic::StaticClass());
  EXPECT_NE(filter.find("Macintosh TIFF images (*.tiff)|*.tiff|PC TIF images (*.tif)|*.tif"), std::string::npos)
      << filter;
  EXPECT_NE(GraphicFilter(nullptr).find("Encapsulated Postscript images (*.eps)|*.eps"), std::string::npos);
  EXPECT_EQ(list->ExtensionEntry(list->FindExtension("tif")).FileTypes, ftRaster | ftMultiImage);
  EXPECT_NE(GraphicFilter(nullptr).find("Truevision images (*.vst)|*.vst"), std::string::npos);
  EXPECT_EQ(list->ExtensionCount(), 39);
  EXPECT_EQ(list->ClassCount(), 17);
  ASSERT_NE(TPicture::FindFileFormat("tga"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("tga")->ClassName(), "TTargaGraphic");
  ASSERT_NE(TPicture::FindFileFormat("pbm"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("pbm")->ClassName(), "TPPMGraphic");

  ImageFormatsFinalize();
  EXPECT_EQ(FileFormatList(), list);  // still one initialization open
  ImageFormatsFinalize();
  EXPECT_EQ(FileFormatList(), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("tif"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("png"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("rle"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("tga"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("psp"), nullptr);
  // The list's Clear took the class library's own classes out as well.
  EXPECT_EQ(TPicture::FindFileFormat("bmp"), nullptr);
  ImageFormatsFinalize();  // unbalanced: nothing

  // Put the class library's own kinds back for the tests that follow.
  RestoreClassLibraryKinds();
  EXPECT_EQ(GraphicFilter(nullptr), filterBefore);
}

TEST(ImageFormatsUnit, PicturesLoadTheLibrarysFormatsByExtension) {
  ImageFormatsInitialize();
  TempDir dir;
  // A 2 x 1 grey PNG: rows filter 0, grey 0x10 0xF0.
  const std::vector<unsigned char> png = BuildPng({IHDR(2, 1, 8, 0), nullptr, Deflate({0, 0x10, 0xF0})});
  WriteFileBytes(dir / "grey.PNG", png);
  TPicture picture;
  std::string error;
  try {
    picture.LoadFromFile(dir / "grey.PNG");
  } catch (const Exception& e) {
    error = e.Message();
  }
  ImageFormatsFinalize();
  RestoreClassLibraryKinds();
  ASSERT_EQ(error, "");
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_TRUE(picture.Graphic()->Is<TPNGGraphic>());
  EXPECT_EQ(picture.Width(), 2);
  auto* bmp = static_cast<TBitmap*>(picture.Graphic());
  EXPECT_EQ(BitmapRGBA(*bmp), std::vector<unsigned char>({0x10, 0x10, 0x10, 255, 0xF0, 0xF0, 0xF0, 255}));
}

TEST(ImageFormatsUnit, PicturesOfUnknownExtensionsLoadByTheirSignature) {
  ImageFormatsInitialize();
  TempDir dir;
  WriteFileBytes(dir / "smoke.particle", BuildPng({IHDR(2, 1, 8, 0), nullptr, Deflate({0, 0x10, 0xF0})}));
  WriteFileBytes(dir / "smoke", BuildPng({IHDR(3, 1, 8, 0), nullptr, Deflate({0, 1, 2, 3})}));
  WriteFileBytes(dir / "junk.particle", std::vector<unsigned char>(64, 0xEE));
  const struct {
    std::string file;
    int width;  // 0: refused with the error
    std::string error;
  } cases[] = {
      {"smoke.particle", 2, ""},
      {"smoke", 3, ""},
      {"junk.particle", 0, "Unknown picture file extension (.particle)"},
      {"missing.particle", 0, "Unknown picture file extension (.particle)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TPicture picture;
    std::string error;
    try {
      picture.LoadFromFile(dir / c.file);
    } catch (const Exception& e) {
      error = e.Message();
    }
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(picture.Width(), c.width);
    if (c.width) {
      EXPECT_TRUE(picture.Graphic()->Is<TPNGGraphic>());
    }
  }
  ImageFormatsFinalize();
  RestoreClassLibraryKinds();
}

TEST(ImageFormatGraphic, CanLoadAnswersThroughAClassRecord) {
  TempDir dir;
  const std::vector<unsigned char> png = BuildPng({IHDR(1, 1, 8, 0), nullptr, Deflate({0, 7})});
  const std::vector<unsigned char> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
  const struct {
    TGraphicClass cls;
    const std::vector<unsigned char>* data;
    bool expected;
  } cases[] = {
      {&TPNGGraphic::StaticClass(), &png, true},
      {&TTIFFGraphic::StaticClass(), &png, false},
      {&TTIFFGraphic::StaticClass(), &tiff, true},
      {&TEPSGraphic::StaticClass(), &tiff, false},  // the derived class's own check
      {&TImageFormatGraphic::StaticClass(), &png, false},
      {&TBitmap::StaticClass(), &png, false},
      {nullptr, &png, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls ? c.cls->ClassName() : "none");
    TMemoryStream s;
    FillStream(s, *c.data);
    EXPECT_EQ(TImageFormatGraphic::CanLoad(c.cls, s), c.expected);
    EXPECT_EQ(s.Position(), 0);
    WriteFileBytes(dir / "x.bin", *c.data);
    EXPECT_EQ(TImageFormatGraphic::CanLoad(c.cls, dir / "x.bin"), c.expected);
  }
  EXPECT_THROW(TImageFormatGraphic::CanLoad(&TPNGGraphic::StaticClass(), dir / "missing.png"), EFOpenError);
}

TEST(ImageFormatGraphic, BaseAnswersAndAssign) {
  TImageFormatGraphic base;
  TMemoryStream s;
  FillStream(s, {1, 2, 3});
  EXPECT_FALSE(TImageFormatGraphic::CanLoad(s));
  EXPECT_FALSE(base.ReadImageProperties(s, 0));
  EXPECT_EQ(base.ImageProperties().FileGamma, 1.0f);
  EXPECT_EQ(base.ImageProperties().Width, 0u);
  EXPECT_THROW(TImageFormatGraphic::CanLoad(std::string("/nonexistent/dir/x.tif")), EFOpenError);

  // Assign copies the properties (with their arrays) and the image.
  TTIFFGraphic source;
  source.ImageProperties().Width = 2;
  source.ImageProperties().RowsPerStrip = {7, 8};
  source.SetPixelFormat(pf24bit);
  source.SetSize(2, 1);
  TPNGGraphic dest;
  dest.Assign(&source);
  EXPECT_EQ(dest.ImageProperties().RowsPerStrip, TCardinalArray({7, 8}));
  EXPECT_EQ(dest.Width(), 2);
  EXPECT_EQ(dest.PixelFormat(), pf24bit);

  // Byte-order helpers.
  Word w[2] = {0x1234, 0xABCD};
  SwapShort(w, 2);
  EXPECT_EQ(w[0], 0x3412);
  EXPECT_EQ(w[1], 0xCDAB);
  Cardinal c[1] = {0x11223344};
  SwapLong(c, 1);
  EXPECT_EQ(c[0], 0x44332211u);
  EXPECT_EQ(SwapLong(Cardinal(0xA1B2C3D4)), 0xD4C3B2A1u);
}

TEST(ImageFormatGraphic, LoadReportsProgressRowByRow) {
  TPNGGraphic g;
  std::vector<std::tuple<TProgressStage, int, TRect, std::string>> events;
  g.OnProgress = [&](TObject*, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                     const std::string& msg) {
    EXPECT_FALSE(redraw);
    events.emplace_back(stage, percent, r, msg);
  };
  const std::vector<unsigned char> png =
      BuildPng({IHDR(2, 3, 8, 0), nullptr, Deflate({0, 1, 2, 0, 3, 4, 0, 5, 6})});
  TMemoryStream s;
  FillStream(s, png);
  g.LoadFromStream(s);
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(std::get<3>(events[0]), "Preparing...");
  EXPECT_EQ(std::get<0>(events[1]), psEnding);
  EXPECT_EQ(std::get<3>(events[2]), "Transfering...");
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(std::get<0>(events[3 + row]), psRunning);
    EXPECT_EQ(std::get<1>(events[3 + row]), row * 100 / 3);
    EXPECT_EQ(std::get<2>(events[3 + row]).top, row);
    EXPECT_EQ(std::get<2>(events[3 + row]).right, 2);
  }
  EXPECT_EQ(std::get<0>(events[6]), psEnding);
}
