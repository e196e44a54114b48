#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bitmaps/bitmap32.h"
#include "bitmaps/image32.h"
#include "bitmaps/layers.h"
#include "editor/color_chart_form.h"
#include "editor/editor_helpers.h"
#include "editor/particle_maps_form.h"
#include "editor/tests/props_fixture.h"
#include "engine/color_series.h"
#include "engine/default_image.h"
#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_trackbar.h"
#include "platform/classlib/strings.h"

namespace fs = std::filesystem;

namespace {

class ParticleMapsFormTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    dir_ = fs::temp_directory_path() / ("qm_maps_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "pics");
    SetDataFolder(dir_.string());
    form_ = std::make_unique<TParticleMapsForm>(nullptr);
    form_->SetBounds(10, 10, 300, 260);
    form_->Show();
    Pump();
  }
  void DestroyPage() override {
    form_.reset();
    SetDataFolder("");
    fs::remove_all(dir_);
  }

  void Load() {
    form_->SetSystem(system_);
    form_->LoadFromSystem();
  }
  TParticleMapSource& Source() { return *system_->System->MapSource; }
  TParticleMapOptions& Options(Integer i) { return *Source().OptionsAt(i); }

  // A small picture with a different colour in every pixel, written as a BMP by netpbm.
  std::string MakePicture(const std::string& Name, int W, int H) {
    const fs::path ppm = dir_ / (Name + ".ppm");
    const fs::path bmp = dir_ / "pics" / (Name + ".bmp");
    {
      std::ofstream out(ppm);
      out << "P3\n" << W << " " << H << "\n255\n";
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) out << 40 + 50 * x << " " << 30 + 70 * y << " " << 200 - 30 * x - 20 * y << "\n";
    }
    const std::string cmd = "ppmtobmp -bpp 24 '" + ppm.string() + "' > '" + bmp.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return bmp.string();
  }
  void AddPictures(std::vector<std::string> Files) {
    win::AnswerFileDialog(win::ModalKind::OpenPicture, std::move(Files));
    ClickMiddle(form_->AddMapButton);
  }
  const win::ModalPrompt& LastPrompt() {
    EXPECT_FALSE(win::ModalPrompts().empty());
    return win::ModalPrompts().back();
  }
  void ChooseFromMenu(TMenuItem* Item) {
    win::AnswerPopupMenu(Item->Command());
    ClickMiddle(form_->OptionsButton);
    Pump();
  }
  TBitmap32* LayerBitmap() { return form_->PreviewLayer->Bitmap(); }
  TBitmap32* PaintedPreview() {
    form_->Preview->Invalidate();
    Pump();
    win::UpdateWindow(form_->Preview->Handle());
    return form_->Preview->Buffer();
  }

  fs::path dir_;
  std::unique_ptr<TParticleMapsForm> form_;
};

TEST_F(ParticleMapsFormTest, AlphaTrackBarAndSpinStayInStepAndStoreTheAlpha) {
  Options(0).Alpha = 0.5f;
  Load();
  EXPECT_EQ(form_->AlphaTrackBar->Position(), 127);
  form_->AlphaSpin->SetValue(51);
  EXPECT_FLOAT_EQ(Options(0).Alpha, 0.2f);
  EXPECT_EQ(form_->AlphaTrackBar->Position(), 51);
  EXPECT_EQ(LayerBitmap()->MasterAlpha(), 51u);

  form_->AlphaTrackBar->SetPosition(204);
  EXPECT_EQ(form_->AlphaSpin->Value(), 204);
  EXPECT_FLOAT_EQ(Options(0).Alpha, 0.8f);
  EXPECT_EQ(LayerBitmap()->MasterAlpha(), 204u);

  form_->SetAlpha(300);
  EXPECT_EQ(form_->AlphaTrackBar->Position(), 255);
  EXPECT_EQ(form_->AlphaSpin->Value(), 255);
  EXPECT_FLOAT_EQ(Options(0).Alpha, 1.0f);
}

TEST_F(ParticleMapsFormTest, ShowingAnImageLeavesItsAlphaAsItWas) {
  Options(0).Alpha = 0.3f;
  Load();
  EXPECT_EQ(form_->AlphaTrackBar->Position(), 76);
  EXPECT_EQ(form_->AlphaSpin->Value(), 76);
  EXPECT_FLOAT_EQ(Options(0).Alpha, 0.3f);
}

TEST_F(ParticleMapsFormTest, AddAndDeleteImagesDownToTheLastOne) {
  Load();
  const std::string a = MakePicture("a", 4, 3);
  const std::string b = MakePicture("b", 2, 2);
  AddPictures({a, b});
  const win::ModalPrompt& asked = LastPrompt();
  EXPECT_EQ(asked.kind, win::ModalKind::OpenPicture);
  EXPECT_TRUE(asked.multiSelect);
  EXPECT_EQ(asked.initialDir, DataFolder());
  ASSERT_EQ(Source().Count(), 3);
  EXPECT_EQ(Source().Maps().Strings(1), a);
  EXPECT_EQ(form_->MapSpin->MaxValue(), 2);
  EXPECT_EQ(form_->MapSpin->Value(), 2);
  EXPECT_EQ(system_->System->FixedMapIndex, 2);
  EXPECT_EQ(form_->CurrentImage()->Width(), 2);

  // The next dialog starts where the files came from.
  Options(1).Alpha = 0.9f;
  AddPictures({a});
  EXPECT_EQ(LastPrompt().initialDir, (dir_ / "pics").string() + "/");
  // Adding a file already listed moves it to the end with fresh options.
  ASSERT_EQ(Source().Count(), 3);
  EXPECT_EQ(Source().Maps().Strings(2), a);
  EXPECT_FLOAT_EQ(Options(2).Alpha, 0.2f);

  // The spin picks the image to delete.
  form_->MapSpin->SetValue(0);
  EXPECT_EQ(system_->System->FixedMapIndex, 0);
  ClickMiddle(form_->DelButton);
  ASSERT_EQ(Source().Count(), 2);
  EXPECT_EQ(Source().Maps().Strings(0), b);
  ClickMiddle(form_->DelButton);
  ASSERT_EQ(Source().Count(), 1);
  EXPECT_EQ(Source().Maps().Strings(0), a);
  ClickMiddle(form_->DelButton);
  ASSERT_EQ(Source().Count(), 1);
  EXPECT_EQ(Source().Maps().Strings(0), a);
  EXPECT_EQ(form_->MapSpin->MaxValue(), 0);
  EXPECT_EQ(form_->CurrentOptions(), Source().OptionsAt(0));
}

TEST_F(ParticleMapsFormTest, FlippedPreviewMirrorsThePicture) {
  Load();
  AddPictures({MakePicture("arrow", 4, 3)});
  TBitmap32* src = form_->CurrentImage();
  ASSERT_EQ(src->Width(), 4);
  ASSERT_EQ(src->Height(), 3);
  // Unflipped: pixel for pixel the picture.
  ASSERT_EQ(LayerBitmap()->Width(), 4);
  ASSERT_EQ(LayerBitmap()->Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(LayerBitmap()->Pixel(x, y), src->Pixel(x, y)) << x << "," << y;

  struct Case {
    Integer item;
    bool mirrorX, mirrorY;
  };
  for (const Case c : {Case{1, true, false}, Case{2, false, true}, Case{3, true, true}}) {
    Pick(form_->FlipCombo, c.item);
    EXPECT_EQ(Options(1).Flip, c.item);
    ASSERT_EQ(LayerBitmap()->Width(), 4);
    ASSERT_EQ(LayerBitmap()->Height(), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        const int sx = c.mirrorX ? 3 - x : x;
        const int sy = c.mirrorY ? 2 - y : y;
        EXPECT_EQ(LayerBitmap()->Pixel(x, y), src->Pixel(sx, sy)) << "flip " << c.item << " at " << x << "," << y;
      }
  }
  // The source image itself is untouched.
  EXPECT_EQ(src->Pixel(0, 0) & 0x00FFFFFF, 0x281EC8u);
}

TEST_F(ParticleMapsFormTest, CtrlClickSetsTheOriginAndPlainClickChoosesAnImage) {
  Load();
  Click(form_->Preview, TPoint{64, 64}, win::kCtrl);
  EXPECT_FLOAT_EQ(Options(0).OriginX, 0.5f);
  EXPECT_FLOAT_EQ(Options(0).OriginY, 0.5f);
  Click(form_->Preview, TPoint{32, 96}, win::kCtrl);
  EXPECT_FLOAT_EQ(Options(0).OriginX, 0.25f);
  EXPECT_FLOAT_EQ(Options(0).OriginY, 0.75f);

  // A plain click asks for one picture and puts it in place of the shown one.
  const std::string pic = MakePicture("one", 2, 3);
  win::AnswerFileDialog(win::ModalKind::OpenPicture, {pic});
  Click(form_->Preview, TPoint{10, 10});
  EXPECT_FALSE(LastPrompt().multiSelect);
  ASSERT_EQ(Source().Count(), 1);
  EXPECT_EQ(Source().Maps().Strings(0), pic);
  EXPECT_EQ(form_->CurrentImage()->Height(), 3);
  // The options stay with the entry.
  EXPECT_FLOAT_EQ(Options(0).OriginX, 0.25f);

  // Cancelled: nothing changes.
  win::AnswerFileDialog(win::ModalKind::OpenPicture, {});
  Click(form_->Preview, TPoint{10, 10});
  EXPECT_EQ(Source().Maps().Strings(0), pic);
}

TEST_F(ParticleMapsFormTest, MoveOriginItemsAndTheOriginMarker) {
  Load();
  AddPictures({MakePicture("dark", 4, 4)});
  Options(1).OriginX = 0.1f;
  Options(1).OriginY = 0.3f;
  ChooseFromMenu(form_->OriginTopItem);
  EXPECT_FLOAT_EQ(Options(1).OriginX, 0.1f);
  EXPECT_FLOAT_EQ(Options(1).OriginY, 0.0f);
  ChooseFromMenu(form_->OriginRightItem);
  EXPECT_FLOAT_EQ(Options(1).OriginX, 1.0f);
  EXPECT_FLOAT_EQ(Options(1).OriginY, 0.0f);
  ChooseFromMenu(form_->OriginBottomItem);
  EXPECT_FLOAT_EQ(Options(1).OriginY, 1.0f);
  ChooseFromMenu(form_->OriginLeftItem);
  EXPECT_FLOAT_EQ(Options(1).OriginX, 0.0f);
  EXPECT_FLOAT_EQ(Options(1).OriginY, 1.0f);
  ChooseFromMenu(form_->OriginCenterItem);
  EXPECT_FLOAT_EQ(Options(1).OriginX, 0.5f);
  EXPECT_FLOAT_EQ(Options(1).OriginY, 0.5f);
  // Only the first image was left alone.
  EXPECT_FLOAT_EQ(Options(0).OriginX, 0.5f);

  // The marker: a 4 x 4 square, black edge and white inside, centred on (64, 64).
  const TColor32 before = PaintedPreview()->Pixel(62, 62);
  EXPECT_NE(before, 0xFF000000u);
  ChooseFromMenu(form_->ShowOriginItem);
  EXPECT_TRUE(form_->ShowOriginItem->Checked());
  TBitmap32* painted = PaintedPreview();
  for (int y = 62; y <= 65; ++y)
    for (int x = 62; x <= 65; ++x) {
      const bool edge = x == 62 || x == 65 || y == 62 || y == 65;
      EXPECT_EQ(painted->Pixel(x, y) & 0x00FFFFFF, edge ? 0u : 0xFFFFFFu) << x << "," << y;
    }
  EXPECT_NE(painted->Pixel(66, 66) & 0x00FFFFFF, 0u);
  EXPECT_NE(painted->Pixel(61, 61) & 0x00FFFFFF, 0u);
  ChooseFromMenu(form_->ShowOriginItem);
  EXPECT_EQ(PaintedPreview()->Pixel(62, 62), before);
}

TEST_F(ParticleMapsFormTest, ShowTransparencyBlendsTheImageOverTheChecker) {
  Load();
  AddPictures({MakePicture("solid", 4, 4)});
  form_->SetAlpha(255);
  ASSERT_TRUE(form_->ShowTransparencyItem->Checked());
  // Pixel (1, 1) of the picture fills the preview's block 32..63.
  const TColor32 texel = LayerBitmap()->Pixel(1, 1);
  ASSERT_LT(texel >> 24, 255u);
  const TColor32 blended = PaintedPreview()->Pixel(48, 48);
  EXPECT_NE(blended & 0x00FFFFFF, texel & 0x00FFFFFF);
  ChooseFromMenu(form_->ShowTransparencyItem);
  EXPECT_FALSE(form_->ShowTransparencyItem->Checked());
  EXPECT_EQ(PaintedPreview()->Pixel(48, 48) & 0x00FFFFFF, texel & 0x00FFFFFF);
}

TEST_F(ParticleMapsFormTest, LoadFromSystemFillsEveryControl) {
  Source().AddMap("Default2");
  system_->System->FixedMapIndex = 1;
  system_->System->MapMode = mmCycle;
  system_->System->MapCycle = 7;
  system_->System->MaxPixelSize = 4096;
  system_->System->SpatialDither = 0.25f;
  system_->System->ColorMode = 1;
  system_->System->BaseColorMode = 1;
  Load();
  EXPECT_EQ(form_->MapSpin->MaxValue(), 1);
  EXPECT_EQ(form_->MapSpin->Value(), 1);
  EXPECT_EQ(form_->CurrentOptions(), Source().OptionsAt(1));
  EXPECT_EQ(form_->MapModeCombo->ItemIndex(), mmCycle);
  EXPECT_EQ(form_->MapCycleSpin->Value(), 7);
  EXPECT_EQ(form_->MaxSizeSpin->Value(), 4096);
  EXPECT_DOUBLE_EQ(form_->DitherSpin->Value(), 0.25);
  EXPECT_EQ(form_->ParticleColorEditor->Series(), system_->System->ParticleColor.get());
  EXPECT_EQ(form_->ParticleColorEditor->ColorModeCombo->ItemIndex(), 1);
  EXPECT_EQ(form_->BaseColorEditor->Series(), system_->System->BaseColor.get());
  EXPECT_EQ(form_->BaseColorEditor->ColorModeCombo->ItemIndex(), 1);
  EXPECT_TRUE(form_->ParticleColorEditor->PercentageMode);
  EXPECT_FALSE(form_->BaseColorEditor->PercentageMode);

  // A system with no cycle time: the spin shows its lowest value, the system keeps 0.
  system_->System->MapCycle = 0;
  Load();
  EXPECT_EQ(form_->MapCycleSpin->Value(), 1);
  EXPECT_EQ(system_->System->MapCycle, 0);
}

TEST_F(ParticleMapsFormTest, EveryControlWritesItsFieldOnlyWithASystem) {
  Load();
  Pick(form_->MapModeCombo, mmRandom);
  EXPECT_EQ(system_->System->MapMode, mmRandom);
  form_->MapCycleSpin->SetValue(12);
  EXPECT_EQ(system_->System->MapCycle, 12);
  form_->MaxSizeSpin->SetValue(1000);
  EXPECT_EQ(system_->System->MaxPixelSize, 1000);
  form_->MaxSizeSpin->SetValue(100);
  EXPECT_EQ(system_->System->MaxPixelSize, 256);
  form_->DitherSpin->SetValue(0.37);
  EXPECT_FLOAT_EQ(system_->System->SpatialDither, 0.37f);
  Pick(form_->ParticleColorEditor->ColorModeCombo, 1);
  EXPECT_EQ(system_->System->ColorMode, 1);
  EXPECT_EQ(system_->System->BaseColorMode, 0);
  Pick(form_->BaseColorEditor->ColorModeCombo, 1);
  EXPECT_EQ(system_->System->BaseColorMode, 1);

  form_->SetSystem(nullptr);
  form_->LoadFromSystem();
  EXPECT_EQ(form_->ParticleColorEditor->Series(), nullptr);
  Pick(form_->MapModeCombo, mmFixed);
  form_->MapCycleSpin->SetValue(3);
  form_->MaxSizeSpin->SetValue(5000);
  form_->DitherSpin->SetValue(0.9);
  Pick(form_->ParticleColorEditor->ColorModeCombo, 0);
  Pick(form_->BaseColorEditor->ColorModeCombo, 0);
  form_->AlphaSpin->SetValue(5);
  Pick(form_->FlipCombo, 2);
  ClickMiddle(form_->AddMapButton);  // no dialog: a dialog would fail the test
  ClickMiddle(form_->DelButton);
  Click(form_->Preview, TPoint{64, 64}, win::kCtrl);
  ChooseFromMenu(form_->OriginTopItem);
  EXPECT_EQ(system_->System->MapMode, mmRandom);
  EXPECT_EQ(system_->System->MapCycle, 12);
  EXPECT_EQ(system_->System->MaxPixelSize, 256);
  EXPECT_FLOAT_EQ(system_->System->SpatialDither, 0.37f);
  EXPECT_EQ(system_->System->ColorMode, 1);
  EXPECT_EQ(system_->System->BaseColorMode, 1);
  EXPECT_FLOAT_EQ(Options(0).Alpha, 0.2f);
  EXPECT_EQ(Options(0).Flip, 0);
  EXPECT_FLOAT_EQ(Options(0).OriginY, 0.5f);
  EXPECT_EQ(Source().Count(), 1);
}

TEST_F(ParticleMapsFormTest, APictureThatCannotBeReadIsReportedAndNotKept) {
  Load();
  const fs::path bad = dir_ / "pics" / "broken.bmp";
  std::ofstream(bad, std::ios::binary) << "BM this is no bitmap";
  Options(0).Alpha = 0.6f;

  // Chosen in place of the shown image: the entry stays as it was.
  win::AnswerFileDialog(win::ModalKind::OpenPicture, {bad.string()});
  win::AnswerMessageBox(win::IDOK);
  Click(form_->Preview, TPoint{5, 5});
  EXPECT_EQ(LastPrompt().kind, win::ModalKind::MessageBox);
  EXPECT_NE(LastPrompt().text.find("broken.bmp"), std::string::npos);
  ASSERT_EQ(Source().Count(), 1);
  EXPECT_EQ(Source().Maps().Strings(0), "Default");
  EXPECT_FLOAT_EQ(Options(0).Alpha, 0.6f);
  EXPECT_EQ(form_->CurrentImage(), DefaultParticleImage());
  EXPECT_EQ(LayerBitmap()->Width(), kDefaultImageSize);

  // Added with a good one: only the good one joins.
  const std::string good = MakePicture("good", 3, 3);
  win::AnswerFileDialog(win::ModalKind::OpenPicture, {bad.string(), good});
  win::AnswerMessageBox(win::IDOK);
  ClickMiddle(form_->AddMapButton);
  EXPECT_NE(LastPrompt().text.find("broken.bmp"), std::string::npos);
  ASSERT_EQ(Source().Count(), 2);
  EXPECT_EQ(Source().Maps().Strings(1), good);
  EXPECT_EQ(form_->MapSpin->Value(), 1);
  EXPECT_EQ(form_->CurrentImage()->Width(), 3);
}

}  // namespace
