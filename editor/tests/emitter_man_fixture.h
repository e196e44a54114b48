#pragma once
// The emitter page on a shown form in a headless window system, over a fresh host and
// bridge module with the emitter object type defined.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/tests/window_test_env.h"
#include "editor/tests/file_bytes.h"
#include "controlkit/kit_control_base.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/emitter_files.h"
#include "editor/emitter_man_form.h"
#include "editor/main_images.h"
#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "hostbridge/ext_obj_types.h"
#include "hostbridge/tsx_ext_obj.h"
#include "hostbridge/tsx_module.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/component.h"
#include "platform/classlib/std_treeview.h"
#include "platform/classlib/streams.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

class EmitterManTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartWindowTest();
    ResetHost();
    Running = false;
    EditorLinks() = TEditorLinks{};
    imagesOwner_ = std::make_unique<TComponent>(nullptr);
    EditorLinks().Images = CreateMainImages(imagesOwner_.get());
    dir_ = std::filesystem::temp_directory_path() /
           ("qm_emitter_man_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    SetDataFolder(dir_.string() + "/");
    form_ = std::make_unique<TEmitterManForm>(nullptr);
    form_->SetBounds(100, 50, 400, 620);
    form_->Show();
    form_->EmitterExtObj->Define();
    Pump();
  }
  void TearDown() override {
    form_.reset();
    EditorLinks() = TEditorLinks{};
    imagesOwner_.reset();
    Running = false;
    ResetHost();
    SetDataFolder("");
    std::filesystem::remove_all(dir_);
    EndWindowTest();
  }
  static void ResetHost() {
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
    TsxModule().PluginId = 1;
  }

  static void Pump() { win::PumpPendingMessages(); }
  TTreeView* Tree() const { return form_->EmittersTreeView; }
  TTreeNode* Root(Integer i) const { return Tree()->Items()->Root(i); }
  // As the user clicking the node's row on its label.
  void Select(TTreeNode* node) {
    ASSERT_NE(node, nullptr);
    Tree()->SetSelected(node);
    Pump();
  }
  void ClickTree(TPoint p, win::MouseButton b = win::MouseButton::Left) {
    const TPoint s = Tree()->ClientToScreen(p);
    win::InjectClick(b, s.x, s.y);
    Pump();
  }
  // The middle of the node's state icon, in the tree's client pixels.
  TPoint StateIconOf(TTreeNode* node) const {
    const TRect row = node->DisplayRect(false);
    const Integer x0 = (node->Level() + 1) * Tree()->Indent();
    return TPoint{x0 + Tree()->StateImages()->Width() / 2, (row.top + row.bottom) / 2};
  }
  TEmitterObject* NewEmitter() {
    form_->NewEmitterAction->Execute();
    Pump();
    return form_->CurrentEmitter;
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  static void WriteFile(const std::string& path, const std::vector<Byte>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<Byte> ZkeBytes(const TEmitterObject& e) {
    TMemoryStream s;
    WriteEmitterFile(e, s);
    const Byte* p = static_cast<const Byte*>(s.Memory());
    return std::vector<Byte>(p, p + s.Size());
  }
  static std::vector<Byte> ZksBytes(const TEmitter& e) {
    TMemoryStream s;
    WriteSystemFile(e, s);
    const Byte* p = static_cast<const Byte*>(s.Memory());
    return std::vector<Byte>(p, p + s.Size());
  }
  // The engine's list is the page's list.
  void ExpectEngineListInStep() const {
    ASSERT_EQ(EmitterObjects.size(), form_->Emitters.size());
    for (std::size_t i = 0; i < EmitterObjects.size(); ++i) EXPECT_EQ(EmitterObjects[i], form_->Emitters[i].get());
  }
  // The text of the last message box the user saw ("" when none).
  static std::string LastMessage() {
    const auto& prompts = win::ModalPrompts();
    for (auto it = prompts.rbegin(); it != prompts.rend(); ++it)
      if (it->kind == win::ModalKind::MessageBox) return it->text;
    return "";
  }

  std::unique_ptr<TComponent> imagesOwner_;
  std::unique_ptr<TEmitterManForm> form_;
  std::filesystem::path dir_;
};
