#pragma once
// A fresh host, bridge module and headless window system for the toolbox tests, with
// the toolbox form shown and its six tool types defined.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/tests/window_test_env.h"
#include "editor/editor_links.h"
#include "editor/tool_props_form.h"
#include "editor/toolbox_form.h"
#include "engine/editor_state.h"
#include "engine/particle_modifier.h"
#include "engine/var_series.h"
#include "hostbridge/ext_obj_types.h"
#include "hostbridge/tsx_ext_obj.h"
#include "hostbridge/tsx_module.h"
#include "platform/classlib/actions.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

class ToolboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
    TsxModule().PluginId = 1;
    StartWindowTest();
    EditorLinks() = TEditorLinks{};
    Running = false;
    modifiersBefore_ = ModifierList().Count();
    form_ = std::make_unique<TToolboxForm>(nullptr);
    form_->SetBounds(100, 50, 400, 420);
    form_->Show();
    for (TTsxExtObj* t : Types()) t->Define();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    EXPECT_EQ(ModifierList().Count(), modifiersBefore_) << "every tool's modifier leaves the global list";
    EditorLinks() = TEditorLinks{};
    Running = false;
    EndWindowTest();
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
  }

  std::vector<TTsxExtObj*> Types() const {
    return {form_->DeflectorExtObj, form_->FanExtObj,    form_->AttractorExtObj,
            form_->RepulsorExtObj,  form_->LeaderExtObj, form_->GravitronExtObj};
  }
  TToolPropsForm* Props() const { return form_->ToolPropsForm; }
  TListItems* Items() const { return form_->ToolObjectsListView->Items(); }
  TToolObject* Tool(std::size_t i) const { return form_->Tools.at(i).get(); }
  tsxSOBJ* Node(std::size_t i) const { return Tool(i)->Modifier()->Node; }

  Integer modifiersBefore_ = 0;
  std::unique_ptr<TToolboxForm> form_;
};
