// Every editor window on its pixels: kit header strips, centred kit labels and image-list
// toolbar buttons (kit_look.h); each window is also written to a PNG for a look by eye.
#include "editor/tests/kit_look.h"

#include <memory>

#include "editor/color_chart_form.h"
#include "editor/edit_keyframe_form.h"
#include "editor/particle_maps_form.h"
#include "editor/props_form.h"
#include "editor/tests/emitter_man_fixture.h"
#include "editor/tests/props_fixture.h"
#include "editor/tests/toolbox_fixture.h"
#include "editor/tool_props_form.h"
#include "editor/var_chart_form.h"
#include "engine/color_series.h"
#include "engine/var_series.h"

namespace {

class EditorLook : public PageTest {
 protected:
  template <class F>
  std::unique_ptr<F> Make(Integer w, Integer h) {
    auto f = std::make_unique<F>(nullptr);
    f->SetBounds(10, 10, w, h);
    f->Show();
    Pump();
    return f;
  }
};

}  // namespace

TEST_F(EditorLook, CurveEditor) {
  TVarSeries curve(xmFrames, cmBoth, 0, 10);
  curve.AddXY(0, 2);
  curve.AddXY(100, 8);
  auto f = Make<TVarChartForm>(420, 260);
  f->SetSeries(&curve);
  const kit_look::Seen seen = kit_look::Check(f.get(), "curve_editor");
  EXPECT_EQ(seen.headers, 1);
  EXPECT_EQ(seen.imageButtons, 5);
}

TEST_F(EditorLook, GradientEditor) {
  TColorSeries gradient(nullptr);
  gradient.AddXY(100, 1.0, "", clBlue);
  auto f = Make<TColorChartForm>(400, 178);
  f->SetSeries(&gradient);
  EXPECT_EQ(kit_look::Check(f.get(), "gradient_editor").labels, 1);
  EXPECT_TRUE(f->ColorModeCombo->Flat());
}

TEST_F(EditorLook, KeyframeDialog) {
  auto f = Make<TEditKeyframeForm>(260, 120);
  EXPECT_EQ(kit_look::Check(f.get(), "edit_keyframe").labels, 2);
}

TEST_F(EditorLook, MapsPage) {
  auto f = Make<TParticleMapsForm>(300, 260);
  f->SetSystem(system_);
  f->LoadFromSystem();
  EXPECT_GE(kit_look::Check(f.get(), "particle_maps").labels, 3);
  EXPECT_TRUE(f->FlipCombo->Flat());
  EXPECT_TRUE(f->MapModeCombo->Flat());
}

TEST_F(EditorLook, PropertiesPage) {
  auto f = Make<TPropsForm>(420, 360);
  f->SetSystem(system_);
  const kit_look::Seen seen = kit_look::Check(f.get(), "properties");
  EXPECT_GE(seen.headers, 1);
  EXPECT_GE(seen.labels, 1);
}

TEST_F(EmitterManTest, KitLook) {
  NewEmitter();
  Pump();
  const kit_look::Seen seen = kit_look::Check(form_.get(), "emitter_manager");
  EXPECT_GE(seen.headers, 1);
  EXPECT_GE(seen.labels, 3);
}

TEST_F(ToolboxTest, KitLook) {
  EXPECT_EQ(kit_look::Check(form_.get(), "toolbox").headers, 1);
  EXPECT_GE(kit_look::Check(form_->ToolPropsForm, "tool_properties").labels, 1);
  // Each kind's page of titles and captions.
  int kind = 0;
  for (TAction* a : {form_->NewDeflectorAction, form_->NewFanAction, form_->NewAttractorAction,
                     form_->NewRepulsorAction, form_->NewLeaderAction, form_->NewGravitronAction}) {
    SCOPED_TRACE(a->Caption());
    ASSERT_TRUE(a->Execute());
    win::PumpPendingMessages();
    EXPECT_GE(kit_look::Check(form_->ToolPropsForm, "tool_properties_" + std::to_string(++kind)).labels, 2);
  }
}
