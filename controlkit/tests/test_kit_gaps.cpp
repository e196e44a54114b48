// Speed-button accelerators and caption-effect resets, the flat-border look with its hot
// frame, and the one refresh a connector list gets after loading.
#include <gtest/gtest.h>

#include <memory>

#include "controlkit/kit_connector.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_speed_button.h"
#include "platform/classlib/forms.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

class KitGaps : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(0, 0, 300, 200);
  }
  void TearDown() override { form_.reset(); }
  std::unique_ptr<TForm> form_;
};

TEST_F(KitGaps, AcceleratorClicksTogglesOrIgnores) {
  auto* plain = new TKitSpeedButton(form_.get());
  plain->SetParent(form_.get());
  plain->SetCaption("&Add");
  int clicks = 0;
  plain->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(plain->Perform(CM_DIALOGCHAR, 'a', 0), 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(plain->State(), kKitBtnUp);  // the mouse is elsewhere
  EXPECT_EQ(plain->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  EXPECT_EQ(clicks, 1);
  plain->SetEnabled(false);
  EXPECT_EQ(plain->Perform(CM_DIALOGCHAR, 'a', 0), 0);
  EXPECT_EQ(clicks, 1);

  auto* grouped = new TKitSpeedButton(form_.get());
  grouped->SetParent(form_.get());
  grouped->SetCaption("C&lear");
  grouped->SetGroupIndex(1);
  grouped->SetAllowAllUp(true);
  int groupedClicks = 0;
  grouped->OnClick = [&](TObject*) { ++groupedClicks; };
  grouped->Perform(CM_DIALOGCHAR, 'L', 0);
  EXPECT_TRUE(grouped->Pressed());
  EXPECT_EQ(grouped->State(), kKitBtnDown);
  EXPECT_EQ(groupedClicks, 1);
  grouped->Perform(CM_DIALOGCHAR, 'l', 0);
  EXPECT_FALSE(grouped->Pressed());
  EXPECT_EQ(grouped->State(), kKitBtnUp);
  EXPECT_EQ(groupedClicks, 1);
}

TEST_F(KitGaps, AnAngledCaptionKeepsATrueTypeFace) {
  auto* button = new TKitSpeedButton(form_.get());
  button->SetParent(form_.get());
  button->Font()->SetName("Arial");
  button->FontFX()->SetAngle(90);
  ASSERT_EQ(button->FontFX()->Angle(), 90);
  // The own font moving to a face that cannot turn drops the angle.
  button->Font()->SetName("MS Sans Serif");
  EXPECT_EQ(button->FontFX()->Angle(), 0);
  EXPECT_EQ(button->Font()->Name(), "MS Sans Serif");
  // Asking the effect for an angle with such a face changes the face instead.
  button->FontFX()->SetAngle(45);
  EXPECT_EQ(button->FontFX()->Angle(), 45);
  EXPECT_EQ(button->Font()->Name(), "Arial");
}

class CountingPanel : public TKitSimplePanel {
 public:
  using TKitSimplePanel::Loaded;
  using TKitSimplePanel::TKitSimplePanel;
  void GetIMLChange(TObject* Sender) override {
    ++refreshes;
    TKitSimplePanel::GetIMLChange(Sender);
  }
  int refreshes = 0;
};

TEST_F(KitGaps, OnlyAConnectorListRefreshesAfterLoading) {
  CountingPanel panel(nullptr);
  TKitImageListConnector connector(nullptr);
  TKitImageList own(nullptr);
  panel.SetImageList(&own);
  panel.refreshes = 0;
  panel.Loaded();
  EXPECT_EQ(panel.refreshes, 0);
  panel.SetImageList(&connector);
  panel.refreshes = 0;
  panel.Loaded();
  EXPECT_EQ(panel.refreshes, 1);
}

class FlatPanel : public KitGaps {
 protected:
  void SetUp() override {
    KitGaps::SetUp();
    panel_ = new TKitSimplePanel(form_.get());
    panel_->SetParent(form_.get());
    panel_->SetBounds(10, 10, 60, 30);
    panel_->SetColor(clWhite);
    panel_->Bevel()->SetStyleOuter(TKitBevelStyle::bvRaised);
    panel_->Bevel()->SetWidthOuter(2);
    panel_->Bevel()->SetLightColor(clLime);
    panel_->Bevel()->SetShadowColor(clBlue);
    form_->Show();
    Settle();
  }
  void Settle() {
    win::PumpPendingMessages();
    win::UpdateWindow(panel_->Handle());
  }
  TColor At(int x, int y) {
    win::HDC dc = win::GetDC(panel_->Handle());
    const TColor c = win::GetPixel(dc, x, y) & 0xFFFFFF;
    win::ReleaseDC(panel_->Handle(), dc);
    return c;
  }
  TKitSimplePanel* panel_ = nullptr;
};

TEST_F(FlatPanel, TheBevelShowsOnlyWhileHot) {
  const TColor lime = ColorToRGB(clLime), blue = ColorToRGB(clBlue), white = ColorToRGB(clWhite);
  EXPECT_EQ(At(0, 0), lime);
  EXPECT_EQ(At(59, 29), blue);

  panel_->SetFlatBorder(true);
  Settle();
  EXPECT_EQ(At(0, 0), white);
  EXPECT_EQ(At(1, 15), white);
  EXPECT_EQ(At(59, 29), white);

  panel_->Perform(CM_MOUSEENTER, 0, 0);
  Settle();
  EXPECT_EQ(At(0, 0), lime);
  EXPECT_EQ(At(58, 28), blue);

  panel_->Perform(CM_MOUSELEAVE, 0, 0);
  Settle();
  EXPECT_EQ(At(0, 0), white);
  EXPECT_EQ(At(58, 28), white);
}

}  // namespace
