#pragma once
// An emitter object with one system, and the headless window system the editor's pages
// run in. The page under test is made by the test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/tests/window_test_env.h"
#include "controlkit/kit_combo_box.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_speed_button.h"
#include "editor/editor_links.h"
#include "engine/bitmap32_cache.h"
#include "engine/emitter_object.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/std_combobox.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartWindowTest();
    emitter_ = std::make_unique<TEmitterObject>();
    emitter_->Name = "Comet";
    system_ = emitter_->AddSystem();
    system_->Name = "Sparks";
  }
  void TearDown() override {
    DestroyPage();
    emitter_.reset();
    Bitmap32Cache().Clear();
    EditorLinks() = TEditorLinks{};
    EndWindowTest();
  }
  // The page goes before the system it shows.
  virtual void DestroyPage() {}

  static void Pump() { win::PumpPendingMessages(); }
  static void Click(TControl* c, TPoint p, unsigned modifiers = 0) {
    const TPoint s = c->ClientToScreen(p);
    win::InjectClick(win::MouseButton::Left, s.x, s.y, modifiers);
    Pump();
  }
  static void ClickMiddle(TControl* c) { Click(c, TPoint{c->Width() / 2, c->Height() / 2}); }
  // As the user picking an item of a drop-down list.
  static void Pick(TCustomComboBox* Combo, Integer Item) {
    Combo->SetItemIndex(Item);
    ASSERT_TRUE(Combo->OnChange) << Combo->Name() << " has no change handler";
    Combo->OnChange(Combo);
  }

  std::unique_ptr<TEmitterObject> emitter_;
  TEmitter* system_ = nullptr;
};
