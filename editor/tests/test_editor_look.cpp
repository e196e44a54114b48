// Every editor window on its pixels (kit_look.h); each is also written to a PNG for a look by eye.
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

void ExpectSeen(TForm* form, const std::string& name, int headers, int labels, int imageButtons = 0) {
  SCOPED_TRACE(name);
  const kit_look::Seen seen = kit_look::Check(form, name);
  EXPECT_GE(seen.headers, headers);
  EXPECT_GE(seen.labels, labels);
  EXPECT_GE(seen.imageButtons, imageButtons);
}

class EditorLook : public PageTest {
 protected:
  // One window at a time, shown, checked and gone before the next.
  template <class F, class Setup>
  void Look(Integer w, Integer h, Setup setup, const std::string& name, int headers, int labels, int buttons = 0) {
    auto f = std::make_unique<F>(nullptr);
    f->SetBounds(10, 10, w, h);
    setup(f.get());
    f->Show();
    Pump();
    ExpectSeen(f.get(), name, headers, labels, buttons);
  }
};

}  // namespace

TEST_F(EditorLook, EachEditorWindow) {
  TVarSeries curve(xmFrames, cmBoth, 0, 10);
  curve.AddXY(0, 2);
  curve.AddXY(100, 8);
  TColorSeries gradient(nullptr);
  gradient.AddXY(100, 1.0, "", clBlue);
  Look<TVarChartForm>(420, 260, [&](TVarChartForm* f) { f->SetSeries(&curve); }, "curve_editor", 1, 0, 5);
  Look<TColorChartForm>(400, 178, [&](TColorChartForm* f) {
    f->SetSeries(&gradient);
    EXPECT_TRUE(f->ColorModeCombo->Flat());
  }, "gradient_editor", 0, 0);
  Look<TEditKeyframeForm>(260, 120, [](TEditKeyframeForm*) {}, "edit_keyframe", 0, 2);
  Look<TParticleMapsForm>(300, 260, [&](TParticleMapsForm* f) {
    f->SetSystem(system_);
    f->LoadFromSystem();
    EXPECT_TRUE(f->FlipCombo->Flat() && f->MapModeCombo->Flat());
  }, "particle_maps", 0, 3);
  Look<TPropsForm>(420, 360, [&](TPropsForm* f) { f->SetSystem(system_); }, "properties", 1, 1);
}

TEST_F(EmitterManTest, KitLook) {
  NewEmitter();
  Pump();
  ExpectSeen(form_.get(), "emitter_manager", 1, 3);
}

TEST_F(ToolboxTest, KitLook) {
  ExpectSeen(form_.get(), "toolbox", 1, 0);
  ExpectSeen(form_->ToolPropsForm, "tool_properties", 0, 1);
  int kind = 0;  // each kind's page of titles and captions
  for (TAction* a : {form_->NewDeflectorAction, form_->NewFanAction, form_->NewAttractorAction,
                     form_->NewRepulsorAction, form_->NewLeaderAction, form_->NewGravitronAction}) {
    ASSERT_TRUE(a->Execute());
    win::PumpPendingMessages();
    ExpectSeen(form_->ToolPropsForm, "tool_properties_" + std::to_string(++kind), 0, 2);
  }
}
