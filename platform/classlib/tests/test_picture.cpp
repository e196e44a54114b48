#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/clipboard.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/icon_metafile.h"
#include "platform/classlib/jpeg_image.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/streams.h"

namespace {

std::string NewTempDir() {
  std::string tmpl = ::testing::TempDir() + "qm_pic_XXXXXX";
  char* dir = mkdtemp(tmpl.data());
  return dir ? std::string(dir) + "/" : std::string();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A graphic kind of the tests' own: it reports loading progress and keeps the bytes.
class TTestGraphic : public TBitmap {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TTestGraphic>("TTestGraphic", TBitmap::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  void LoadFromStream(TStream& stream) override {
    Progress(this, psStarting, 0, false, Rect(0, 0, 1, 1), "Preparing...");
    text.resize(static_cast<std::size_t>(stream.Size() - stream.Position()));
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<Int64>(text.size()));
    if (text == "bad") throw EInvalidGraphic("bad test image");
    SetSize(2, 2);
    Progress(this, psEnding, 100, false, Rect(0, 0, 1, 1), "");
  }
  std::string text;
};

void MakeKnown(TBitmap& bmp) {
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(3, 2);
  bmp.Canvas()->SetPixels(0, 0, clRed);
}

const char* const kBuiltInFilter =
    "All (*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg)|*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg|"
    "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg";

}  // namespace

// ---- registry ----------------------------------------------------------------------------------

TEST(Picture, FilterTextListsTheRegisteredKindsInOrder) {
  EXPECT_EQ(GraphicFilter(&TGraphic::StaticClass()), kBuiltInFilter);
  EXPECT_EQ(GraphicFilter(&TBitmap::StaticClass()), "Bitmaps (*.bmp)|*.bmp");
  EXPECT_EQ(GraphicFilter(&TMetafile::StaticClass()),
            "All (*.emf;*.wmf)|*.emf;*.wmf|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");

  TPicture::RegisterFileFormat("tst", "Test images", &TTestGraphic::StaticClass());
  TPicture::RegisterFileFormat(".tsx2", "More test images", &TTestGraphic::StaticClass());
  EXPECT_EQ(GraphicFilter(&TTestGraphic::StaticClass()),
            "All (*.tst;*.tsx2)|*.tst;*.tsx2|Test images (*.tst)|*.tst|More test images (*.tsx2)|*.tsx2");
  // A subclass of TBitmap shows among the bitmaps.
  EXPECT_EQ(GraphicFilter(&TBitmap::StaticClass()),
            "All (*.bmp;*.tst;*.tsx2)|*.bmp;*.tst;*.tsx2|Bitmaps (*.bmp)|*.bmp|Test images (*.tst)|*.tst|"
            "More test images (*.tsx2)|*.tsx2");
  EXPECT_EQ(TPicture::FindFileFormat("TST"), &TTestGraphic::StaticClass());
  EXPECT_EQ(TPicture::FindFileFormat(".Tsx2"), &TTestGraphic::StaticClass());

  // Registering a known extension again replaces it in place.
  TPicture::RegisterFileFormat("TST", "Renamed", &TTestGraphic::StaticClass());
  EXPECT_EQ(GraphicFilter(&TTestGraphic::StaticClass()),
            "All (*.tst;*.tsx2)|*.tst;*.tsx2|Renamed (*.tst)|*.tst|More test images (*.tsx2)|*.tsx2");

  TPicture::UnregisterGraphicClass(&TTestGraphic::StaticClass());
  EXPECT_EQ(TPicture::FindFileFormat("tst"), nullptr);
  EXPECT_EQ(GraphicFilter(&TGraphic::StaticClass()), kBuiltInFilter);
  EXPECT_EQ(GraphicFilter(&TTestGraphic::StaticClass()), "");
  TPicture::RegisterFileFormat("", "Nothing", &TTestGraphic::StaticClass());  // ignored
  EXPECT_EQ(GraphicFilter(&TGraphic::StaticClass()), kBuiltInFilter);
}

TEST(Picture, LoadFromFilePicksTheKindByExtensionOrKeepsWhatItHad) {
  const std::string dir = NewTempDir();
  TBitmap src;
  MakeKnown(src);
  src.SaveToFile(dir + "a.bmp");
  src.SaveToFile(dir + "B.BMP");
  WriteText(dir + "x.xyz", "whatever");
  WriteText(dir + "broken.bmp", "BM not really");
  WriteText(dir + "i.ico", "not an icon");
  WriteText(dir + "m.wmf", "not a metafile");

  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile(dir + "a.bmp");
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_TRUE(pic.Graphic()->Is<TBitmap>());
  EXPECT_EQ(pic.Width(), 3);
  EXPECT_EQ(pic.Height(), 2);
  EXPECT_EQ(changes, 1);
  TGraphic* held = pic.Graphic();

  try {
    pic.LoadFromFile(dir + "x.xyz");
    ADD_FAILURE() << "loaded an unknown extension";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_THROW(pic.LoadFromFile(dir + "noextension"), EInvalidGraphic);
  EXPECT_THROW(pic.LoadFromFile(dir + "broken.bmp"), EInvalidGraphic);
  EXPECT_THROW(pic.LoadFromFile(dir + "i.ico"), EInvalidGraphic);
  EXPECT_THROW(pic.LoadFromFile(dir + "m.wmf"), EInvalidGraphic);
  EXPECT_THROW(pic.LoadFromFile(dir + "missing.bmp"), EFOpenError);
  EXPECT_EQ(pic.Graphic(), held);  // still the first picture
  EXPECT_EQ(pic.Width(), 3);
  EXPECT_EQ(changes, 1);

  pic.LoadFromFile(dir + "B.BMP");  // extensions compare without case
  EXPECT_EQ(pic.Bitmap()->Canvas()->Pixels(0, 0), clRed);

  // Progress of the loading graphic reaches the picture.
  TPicture::RegisterFileFormat("tst", "Test images", &TTestGraphic::StaticClass());
  WriteText(dir + "p.tst", "hello");
  std::vector<std::string> stages;
  pic.OnProgress = [&](TObject*, TProgressStage stage, Byte percent, bool, const TRect&, const std::string& m) {
    stages.push_back(std::to_string(stage) + ":" + std::to_string(percent) + ":" + m);
  };
  pic.LoadFromFile(dir + "p.tst");
  EXPECT_EQ(stages, (std::vector<std::string>{"0:0:Preparing...", "2:100:"}));
  EXPECT_EQ(static_cast<TTestGraphic*>(pic.Graphic())->text, "hello");
  WriteText(dir + "q.tst", "bad");
  EXPECT_THROW(pic.LoadFromFile(dir + "q.tst"), EInvalidGraphic);
  EXPECT_EQ(static_cast<TTestGraphic*>(pic.Graphic())->text, "hello");
  TPicture::UnregisterGraphicClass(&TTestGraphic::StaticClass());
}

TEST(Picture, GraphicAccessAndAssignment) {
  TPicture pic;
  EXPECT_EQ(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Width(), 0);
  TBitmap* bmp = pic.Bitmap();  // made on demand
  ASSERT_NE(bmp, nullptr);
  MakeKnown(*bmp);
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  bmp->Canvas()->SetPixels(1, 1, clBlue);  // the graphic's changes are the picture's
  EXPECT_EQ(changes, 1);

  TPicture copy;
  copy.Assign(&pic);
  ASSERT_NE(copy.Graphic(), pic.Graphic());
  EXPECT_EQ(copy.Bitmap()->Canvas()->Pixels(1, 1), clBlue);
  bmp->Canvas()->SetPixels(1, 1, clLime);
  EXPECT_EQ(copy.Bitmap()->Canvas()->Pixels(1, 1), clBlue);

  TIcon* icon = copy.Icon();  // another kind replaces the bitmap
  EXPECT_TRUE(icon->Empty());
  EXPECT_TRUE(copy.Graphic()->Is<TIcon>());

  TBitmap target;
  target.Assign(&pic);  // a picture assigns its graphic
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), clLime);
  copy.Assign(nullptr);
  EXPECT_EQ(copy.Graphic(), nullptr);
  EXPECT_THROW(target.Assign(&copy), EConvertError);  // nothing to give
}

TEST(Picture, FormDataIsTheClassNameAndTheGraphicsData) {
  TPicture pic;
  MakeKnown(*pic.Bitmap());
  TMemoryWriter writer;
  writer.WriteProperties(&pic);
  ASSERT_EQ(writer.Data().size(), 1u);
  const std::string& blob = writer.Data()[0].values[0].text;
  ASSERT_GT(blob.size(), 12u);
  EXPECT_EQ(blob.substr(0, 8), std::string("\x07TBitmap"));
  EXPECT_EQ(blob.substr(12, 2), "BM");  // then the bitmap's size and its file

  TPicture back;
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&back);
  ASSERT_NE(back.Graphic(), nullptr);
  EXPECT_TRUE(back.Graphic()->Is<TBitmap>());
  EXPECT_EQ(back.Bitmap()->Canvas()->Pixels(0, 0), clRed);

  // A class nobody registered is refused and the picture keeps its graphic.
  TFilerData data = writer.Data();
  data[0].values[0].text.replace(1, 7, "TNoSuch");
  TMemoryReader badReader(data);
  EXPECT_THROW(badReader.ReadProperties(&back), EInvalidGraphic);
  EXPECT_EQ(back.Bitmap()->Canvas()->Pixels(0, 0), clRed);
}

// ---- clipboard ---------------------------------------------------------------------------------

TEST(Clipboard, HoldsACopyOfTextOrPicture) {
  TClipboard* cb = Clipboard();
  cb->Clear();
  EXPECT_FALSE(cb->HasFormat(CF_PICTURE));
  TPicture pic;
  EXPECT_THROW(pic.Assign(cb), EInvalidGraphic);  // nothing to paste

  TBitmap bmp;
  MakeKnown(bmp);
  cb->Assign(&bmp);
  bmp.Canvas()->SetPixels(0, 0, clBlack);  // the clipboard took a copy
  EXPECT_TRUE(cb->HasFormat(CF_BITMAP));
  EXPECT_TRUE(cb->HasFormat(CF_PICTURE));
  EXPECT_FALSE(cb->HasFormat(CF_TEXT));
  pic.Assign(cb);
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Bitmap()->Canvas()->Pixels(0, 0), clRed);
  TBitmap pasted;
  pasted.Assign(cb);
  EXPECT_EQ(pasted.Canvas()->Pixels(0, 0), clRed);

  cb->SetAsText("hello");  // new content replaces the old
  EXPECT_EQ(cb->AsText(), "hello");
  EXPECT_FALSE(cb->HasFormat(CF_BITMAP));

  cb->Open();  // inside a bracket, content accumulates
  cb->Clear();
  cb->SetAsText("both");
  cb->Assign(&pasted);
  cb->Close();
  EXPECT_TRUE(cb->HasFormat(CF_TEXT));
  EXPECT_TRUE(cb->HasFormat(CF_BITMAP));
  EXPECT_EQ(cb->AsText(), "both");

  TFont notAGraphic;
  EXPECT_THROW(cb->Assign(&notAGraphic), EConvertError);
  EXPECT_EQ(cb->AsText(), "both");
  cb->Clear();
  EXPECT_EQ(cb->AsText(), "");
}
