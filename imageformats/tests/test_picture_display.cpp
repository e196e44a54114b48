// One-bit pictures loaded by name through the picture registry and drawn on a canvas, as
// the picture dialogs show them: black-and-white and two-colour files keep the colours
// the tools decode them to.
#include <gtest/gtest.h>

#include <string>

#include "imageformats/file_format_list.h"
#include "imageformats/png_reader.h"
#include "imageformats/pnm_reader.h"
#include "imageformats/tiff_reader.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/picture.h"
#include "reader_test_support.h"

using namespace readertest;

TEST(PictureDisplay, OneBitPicturesDrawInTheirOwnColours) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("pbmmake");
  REQUIRE_TOOL("pnmtotiff");
  // The readers' own registrations, undone when the list goes.
  TFileFormatList registry;
  registry.RegisterFileFormat("pbm", "Portable maps", "", ftRaster, false, false, &TPPMGraphic::StaticClass());
  registry.RegisterFileFormat("tif", "TIFF images", "", ftRaster, false, false, &TTIFFGraphic::StaticClass());
  registry.RegisterFileFormat("png", "PNG images", "", ftRaster, false, false, &TPNGGraphic::StaticClass());
  TempDir dir;
  const std::string colours = "convert -size 5x3 xc:red -fill blue -draw 'point 1,1' -draw 'point 3,0' -colors 2 ";
  const struct {
    const char* name;
    std::string command;
  } files[] = {
      {"check.pbm", "pbmmake -gray 5 3 > OUT"},
      {"white.tif", "pbmmake -gray 5 3 | pnmtotiff -miniswhite > OUT"},
      {"two.png", colours + "-define png:bit-depth=1 PNG8:OUT"},
      {"two.tif", colours + "-type Palette -depth 1 -compress none OUT"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const std::string path = dir / f.name;
    std::string cmd = f.command;
    cmd.replace(cmd.find("OUT"), 3, path);
    ASSERT_TRUE(RunTool(cmd));
    TPicture picture;
    picture.LoadFromFile(path);
    auto* loaded = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->PixelFormat(), pf1bit);
    TBitmap shown;
    shown.SetPixelFormat(pf24bit);
    shown.SetSize(5, 3);
    shown.Canvas()->Draw(0, 0, picture.Graphic());
    EXPECT_EQ(BitmapRGBA(shown), Capture("convert " + path + " -depth 8 rgba:-"));
  }
}
