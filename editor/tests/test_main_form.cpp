// The main window over a fresh host and bridge: the first click, the transport state
// machine on both windows, renders and their status lines, the texture question, and
// the window going with the host's main view.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/tests/kit_look.h"
#include "editor/tests/main_form_fixture.h"
#include "controlkit/kit_meter.h"
#include "controlkit/kit_speed_button.h"
#include "controlkit/kit_status_bar.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/editor_startup.h"
#include "editor/emitter_man_form.h"
#include "editor/main_form.h"
#include "editor/particle_maps_form.h"
#include "editor/props_form.h"
#include "editor/shuttle_form.h"
#include "editor/tool_props_form.h"
#include "editor/toolbox_form.h"
#include "engine/bitmap32_cache.h"
#include "engine/editor_state.h"
#include "engine/modifiers.h"
#include "engine/particle_renderer.h"
#include "engine/tool_object.h"
#include "hostbridge/ext_obj_types.h"
#include "hostbridge/global_shader.h"
#include "hostbridge/ts_events.h"
#include "hostbridge/tsx_ext_obj.h"
#include "hostbridge/tsx_module.h"
#include "panels/fold_panel.h"
#include "panels/push_button.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/application.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/host/host.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/services.h"
#include "platform/win/window.h"

TEST_F(MainFormTest, TheHandshakeDefinesTheSevenTypesInOrderAndSwitchesTheRenderEventsOn) {
  EXPECT_TRUE(form_->TsEvents->Active());
  const int first = form_->EmitterManForm->EmitterExtObj->SObjType();
  ASSERT_GT(first, 0);
  EXPECT_EQ(ExtObjTypes().Count(), 7);
  EXPECT_EQ(form_->ToolboxForm->DeflectorExtObj->SObjType(), first + 1);
  EXPECT_EQ(form_->ToolboxForm->FanExtObj->SObjType(), first + 2);
  EXPECT_EQ(form_->ToolboxForm->AttractorExtObj->SObjType(), first + 3);
  EXPECT_EQ(form_->ToolboxForm->RepulsorExtObj->SObjType(), first + 4);
  EXPECT_EQ(form_->ToolboxForm->LeaderExtObj->SObjType(), first + 5);
  EXPECT_EQ(form_->ToolboxForm->GravitronExtObj->SObjType(), first + 6);
  EXPECT_EQ(form_->Caption(), "ZOVK 1.0");
  EXPECT_EQ(form_->ShuttleForm->Caption(), "ZOVK 1.0");
  EXPECT_EQ(form_->ClientWidth(), 400);
  EXPECT_EQ(form_->ClientHeight(), 470);
  EXPECT_EQ(PreviewDrawMode, 1);
  EXPECT_FALSE(form_->StatusBar->OldStyle());
  EXPECT_FALSE(form_->StatusBar->SizeGrip());
}

TEST_F(MainFormTest, TheFirstClickTurnsRenderingOnLaterClicksOnlyShowTheWindows) {
  EXPECT_FALSE(form_->Visible());
  EXPECT_FALSE(host::PostProcessRegistered());
  EXPECT_EQ(form_->TsxLeftClick(), 0);
  EXPECT_TRUE(form_->Visible());
  EXPECT_TRUE(form_->EnableRenderingAction->Checked());
  EXPECT_TRUE(form_->TsxGlobalShader->PostProcessActive());
  EXPECT_TRUE(host::PostProcessRegistered());

  // The user switches rendering off; a later click leaves it off.
  form_->EnableRenderingAction->Execute();
  EXPECT_FALSE(host::PostProcessRegistered());
  form_->Hide();
  form_->TsxLeftClick();
  EXPECT_TRUE(form_->Visible());
  EXPECT_FALSE(form_->EnableRenderingAction->Checked());
  EXPECT_FALSE(host::PostProcessRegistered());

  // Shrunk, a click leaves the main window hidden and restores the control window.
  form_->ShrinkButtonClick(form_->ShrinkButton);
  EXPECT_FALSE(form_->Visible());
  EXPECT_TRUE(form_->ShuttleForm->Visible());
  form_->ShuttleForm->SetWindowState(wsMinimized);
  form_->TsxLeftClick();
  EXPECT_FALSE(form_->Visible());
  EXPECT_EQ(form_->ShuttleForm->WindowState(), wsNormal);
  form_->ShuttleForm->GrowButtonClick(form_->ShuttleForm->GrowButton);
  EXPECT_TRUE(form_->Visible());
  EXPECT_FALSE(form_->ShuttleForm->Visible());
}

TEST_F(MainFormTest, AHostThatRefusesTheShaderLeavesTheCheckOff) {
  host::ScriptShaderRefusal(true);
  form_->TsxLeftClick();
  EXPECT_FALSE(form_->EnableRenderingAction->Checked());
  EXPECT_FALSE(form_->FirstClick());
}

TEST_F(MainFormTest, PlayWhileRunningStopsAndBothWindowsShowPlayAgain) {
  form_->Show();
  ExpectButtons("Play", 32768, 38656);
  bool sawStop = false;
  PlayWhile([&](int poll) {
    if (poll == 1) {
      sawStop = form_->PreviewButton->Caption() == "Stop" && form_->PreviewButton->Color() == 128 &&
                form_->PreviewButton->RaiseColor() == 223 && form_->ShuttleForm->PreviewButton->Caption() == "Stop" &&
                form_->ShuttleForm->PreviewButton->Color() == 128 && Running;
    }
    if (poll == 3) CallLink(EditorLinks().PlayClick, form_->ShuttleForm->PreviewButton);
    ASSERT_LT(poll, 100) << "the second Play must stop the loop";
  });
  EXPECT_TRUE(sawStop);
  EXPECT_FALSE(Running);
  EXPECT_FALSE(form_->PreviewLoopRunning());
  ExpectButtons("Play", 32768, 38656);
}

TEST_F(MainFormTest, StoppingRestoresTheHostTimeOnlyWithAnimateObjects) {
  tsxAnimSetActiveTime(10);
  ASSERT_FALSE(form_->AnimateObjects1->Checked());
  PlayWhile([&](int poll) {
    if (poll == 1) tsxAnimSetActiveTime(50);
    if (poll == 2) form_->PreviewButtonClick(form_->PreviewButton);
  });
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 50) << "unchecked: the time stays where it is";

  form_->PreviewOptionClick(form_->AnimateObjects1);
  EXPECT_TRUE(AnimateObjects);
  tsxAnimSetActiveTime(10);
  PlayWhile([&](int poll) {
    if (poll == 1) tsxAnimSetActiveTime(50);
    if (poll == 2) form_->PreviewButtonClick(form_->PreviewButton);
  });
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 10);
  EXPECT_FLOAT_EQ(form_->SavedTime(), 10);

  // Closing the window without a preview since moves nothing.
  tsxAnimSetActiveTime(70);
  TCloseAction action = caHide;
  form_->FormClose(form_, action);
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 70);
}

TEST_F(MainFormTest, RewindRestartsFromTheFirstPlaysTime) {
  form_->PreviewOptionClick(form_->AnimateObjects1);
  tsxAnimSetActiveTime(12);
  int restarts = 0;
  float timeAtRestart = -1;
  bool rewound = false;
  PlayWhile([&](int poll) {
    if (poll == 1) tsxAnimSetActiveTime(40);
    if (poll == 2) {
      CallLink(EditorLinks().RewindClick, form_->RewindButton);
      rewound = true;
      return;
    }
    if (rewound && !Rewind) {
      // The first poll of the restarted loop.
      ++restarts;
      timeAtRestart = tsxAnimGetActiveTime();
      rewound = false;
      form_->PreviewButtonClick(form_->PreviewButton);
    }
  });
  EXPECT_EQ(restarts, 1);
  EXPECT_FLOAT_EQ(timeAtRestart, 12);
  EXPECT_FLOAT_EQ(form_->SavedTime(), 12);
  EXPECT_FALSE(Running);
  EXPECT_FALSE(Rewind);
  ExpectButtons("Play", 32768, 38656);
}

TEST_F(MainFormTest, EscEndsThePreview) {
  int polls = 0;
  PlayWhile([&](int poll) {
    polls = poll;
    if (poll == 2) win::InjectKeyDown(win::VK_ESCAPE);
    ASSERT_LT(poll, 100) << "Esc must end the loop";
  });
  win::InjectKeyUp(win::VK_ESCAPE);
  EXPECT_FALSE(Running);
  EXPECT_LE(polls, 4);
  ExpectButtons("Play", 32768, 38656);
}

TEST_F(MainFormTest, ARenderShowsItsCountOnBothWindowsAndPutsTheTimeBack) {
  form_->TsxLeftClick();
  ASSERT_TRUE(host::PostProcessRegistered());
  form_->RenderProgress->SetCaption("40%");
  ASSERT_TRUE(host::Render(5));
  EXPECT_EQ(form_->StatusBar->SimpleText(), " Rendered 0 particles in 00:00");
  EXPECT_EQ(form_->ShuttleForm->StatusBar->SimpleText(), " 0 parts in 00:00");
  EXPECT_EQ(form_->RenderProgress->Caption(), "");
  EXPECT_FLOAT_EQ(host::SceneTime(), 5);
  EXPECT_EQ(RenderStatusText(1234, 125000), " Rendered 1234 particles in 02:05");
  EXPECT_EQ(ControlRenderStatusText(7, 59999), " 7 parts in 00:59");
}

TEST_F(MainFormTest, AnAbortedRenderPutsTheSceneTimeBackAlsoWithRenderingOff) {
  ASSERT_FALSE(form_->TsxGlobalShader->PostProcessActive());
  tsxAnimSetActiveTime(3);
  host::ScriptRenderFailure(host::RenderFailure::Abort);
  EXPECT_FALSE(host::Render(8));
  EXPECT_FLOAT_EQ(form_->RenderStartTime(), 8);
  EXPECT_FLOAT_EQ(host::SceneTime(), 8);
  EXPECT_EQ(form_->StatusBar->SimpleText(), "") << "with rendering off nothing was drawn";
}

TEST_F(MainFormTest, TheTextureQuestionHasItsTextAndItsAnswers) {
  std::string name = "C:\\maps\\spark.tga";
  win::AnswerMessageBox(win::IDNO);
  OnTextureNotFound(name);
  EXPECT_EQ(name, "Default");
  ASSERT_FALSE(win::ModalPrompts().empty());
  EXPECT_EQ(win::ModalPrompts().back().text,
            "Could not find the texture file: \"spark.tga\".\r\rWould you like to locate it manually?");

  const std::string chosen = (dir_ / "elsewhere" / "spark2.tga").string();
  win::AnswerMessageBox(win::IDYES);
  win::AnswerFileDialog(win::ModalKind::OpenPicture, {chosen});
  name = "C:\\maps\\spark.tga";
  OnTextureNotFound(name);
  EXPECT_EQ(name, chosen);
  EXPECT_EQ(win::ModalPrompts().back().fileName, "spark.tga");
  TOpenPictureDialog* dialog = form_->EmitterManForm->PropsForm->MapsForm->PictureDialog;
  EXPECT_EQ(dialog->InitialDir(), (dir_ / "elsewhere").string() + "/");

  // The user cancels the dialog: the default image.
  win::AnswerMessageBox(win::IDYES);
  win::AnswerFileDialog(win::ModalKind::OpenPicture, {});
  name = "spark.tga";
  OnTextureNotFound(name);
  EXPECT_EQ(name, "Default");

  const std::size_t asked = win::ModalPrompts().size();
  name = "Default";
  OnTextureNotFound(name);
  EXPECT_EQ(name, "Default");
  EXPECT_EQ(win::ModalPrompts().size(), asked) << "the default image is never asked for";
}

TEST_F(MainFormTest, ATextureInTheDataFolderIsFoundWithoutAQuestion) {
  std::ofstream(dir_ / "flare.tga") << "x";
  std::string name = "D:\\old\\place\\flare.tga";
  OnTextureNotFound(name);
  EXPECT_EQ(name, DataFolder() + "flare.tga");
  EXPECT_TRUE(win::ModalPrompts().empty());
}

TEST_F(MainFormTest, TabsShowOnePageAndTheToolboxLinkSelectsTools) {
  form_->Show();
  EXPECT_TRUE(form_->EmitterManForm->Visible());
  EXPECT_FALSE(form_->ToolboxForm->Visible());
  CallLink(EditorLinks().ShowToolbox);
  EXPECT_EQ(form_->TabControl1->TabIndex(), 1);
  EXPECT_FALSE(form_->EmitterManForm->Visible());
  EXPECT_TRUE(form_->ToolboxForm->Visible());
  form_->TabControl1->SetTabIndex(0);
  form_->TabControl1Change(form_->TabControl1);
  EXPECT_TRUE(form_->EmitterManForm->Visible());
  EXPECT_FALSE(form_->ToolboxForm->Visible());
}

TEST_F(MainFormTest, CueCardsToggleTogetherOnEveryPage) {
  TPropsForm* props = form_->EmitterManForm->PropsForm;
  const std::vector<TWinControl*>* pages[] = {&props->CuePanels, &form_->EmitterManForm->CuePanels,
                                              &props->MapsForm->CuePanels,
                                              &form_->ToolboxForm->ToolPropsForm->CuePanels};
  auto expectShown = [&](bool shown) {
    for (const auto* page : pages) {
      ASSERT_FALSE(page->empty());
      for (TWinControl* p : *page) EXPECT_EQ(p->Visible(), shown) << p->Name();
    }
  };
  // Every page starts with its cards shown.
  expectShown(true);
  form_->ToggleCuesAction->Execute();
  expectShown(false);
  CallLink(EditorLinks().ToggleCues);
  expectShown(true);
  // The tool page's two cards at its top come back in their order.
  const std::vector<TWinControl*>& tools = form_->ToolboxForm->ToolPropsForm->CuePanels;
  EXPECT_LT(tools[0]->Top(), tools[1]->Top());
}

TEST_F(MainFormTest, FoldsTakeTheirHeightOffTheWindowAndGiveItBack) {
  form_->Show();
  TFpFoldPanel* fold = form_->EmitterManForm->PropsFold;
  const Integer height = form_->Height();
  const Integer minimum = form_->Constraints()->MinHeight();
  if (fold->IsCollapsed()) fold->Expand();
  const Integer expanded = form_->Height();
  fold->Collapse();
  const Integer d = expanded - form_->Height();
  EXPECT_GT(d, 0);
  EXPECT_EQ(form_->Constraints()->MinHeight() + d, minimum + (expanded - height));
  fold->Expand();
  EXPECT_EQ(form_->Height(), expanded);
}

TEST_F(MainFormTest, StartUpSetsTheFoldersAndTheHelpFileAndKeepsTheOneMainWindow) {
  EditorStartup();
  EXPECT_EQ(MainForm, form_);
  const std::string exe = Application->ExeName();
  const std::string host = exe.substr(0, exe.rfind('/') + 1);
  EXPECT_EQ(HostFolder(), host);
  EXPECT_EQ(DataFolder(), host + "Quillmoth/");
  EXPECT_EQ(Application->HelpFile(), host + "Quillmoth/ZOVK.hlp");

  const std::size_t before = win::RecordedHelpCalls().size();
  form_->FindMenuItem("Help/Topics & Contents")->Click();
  ASSERT_EQ(win::RecordedHelpCalls().size(), before + 1);
  EXPECT_EQ(win::RecordedHelpCalls().back().file, host + "Quillmoth/ZOVK.hlp");
  EXPECT_EQ(win::RecordedHelpCalls().back().command, win::HELP_FINDER);
  EXPECT_EQ(win::RecordedHelpCalls().back().data, 0u);
  Application->SetHelpFile("");
}

TEST_F(MainFormTest, TheMenusRunThePagesActions) {
  const std::size_t before = win::RecordedHelpCalls().size();
  form_->FindMenuItem("Help/Topics & Contents")->Click();
  EXPECT_EQ(win::RecordedHelpCalls().size(), before) << "no help file, no help";
  EXPECT_EQ(form_->FindMenuItem("File/Enable Rendering")->Caption(), "Enable Rendering");
  EXPECT_EQ(form_->FindMenuItem("Toolbox/New Gravitron")->Action(), form_->ToolboxForm->NewGravitronAction);
  EXPECT_EQ(form_->FindMenuItem("File/New Emitter")->Action(), form_->EmitterManForm->NewEmitterAction);
  EXPECT_EQ(form_->FindMenuItem("File/Nothing"), nullptr);
}

TEST_F(MainFormTest, WhenTheHostsViewGoesTheFormLetsGoOfHostAndEngine) {
  form_->TsxLeftClick();
  ASSERT_TRUE(host::PostProcessRegistered());
  ASSERT_TRUE(static_cast<bool>(EditorLinks().PlayClick));
  form_->HandleNeeded();
  win::DestroyWindow(view_);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_FALSE(static_cast<bool>(TsxModule().LeftClick));
  EXPECT_FALSE(static_cast<bool>(TsxModule().PlugInit));
  EXPECT_FALSE(host::PostProcessRegistered());
  EXPECT_FALSE(static_cast<bool>(EditorLinks().PlayClick));
  EXPECT_EQ(EditorLinks().Images, nullptr);
  EXPECT_FALSE(static_cast<bool>(OnMainStatusText));
  EXPECT_FALSE(static_cast<bool>(OnPreviewFrame));
  EXPECT_FALSE(static_cast<bool>(OnTextureNotFound));
  // A render now reaches no freed form.
  EXPECT_TRUE(host::Render(2));
}

TEST_F(MainFormTest, AViewGoingDuringThePreviewFreesTheFormOnlyAfterTheLoop) {
  form_->HandleNeeded();
  PlayWhile([&](int poll) {
    if (poll == 2) win::DestroyWindow(view_);
    ASSERT_LT(poll, 100) << "the loop must end when the form is cut off";
  });
  // Still whole after the loop; freed from the queue.
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_FALSE(Running);
  win::PumpPendingMessages();
}

namespace {

// The captions of a menu's items in order ("-" for a separator), as the user reads them.
std::vector<std::string> CaptionsOf(TMenuItem* Menu) {
  std::vector<std::string> out;
  for (Integer i = 0; i < Menu->Count(); ++i) {
    TMenuItem* item = Menu->Items(i);
    std::string caption;
    const std::string& raw = item->Caption();
    for (std::size_t k = 0; k < raw.size(); ++k) {
      if (raw[k] != '&') caption += raw[k];
      else if (k + 1 < raw.size() && raw[k + 1] == '&') caption += raw[++k];
    }
    out.push_back(caption);
  }
  return out;
}

}  // namespace

TEST_F(MainFormTest, TheMenusListTheirItemsInOrder) {
  TMenuItem* bar = form_->MainMenu->Items();
  EXPECT_EQ(CaptionsOf(bar), (std::vector<std::string>{"File", "Toolbox", "Preview", "Help"}));
  EXPECT_EQ(CaptionsOf(bar->Items(0)),
            (std::vector<std::string>{"New Emitter", "Delete Emitter", "-", "Load Emitter Settings",
                                      "Save Emitter Settings", "-", "Add Particle System", "Delete Particle System",
                                      "Duplicate Particle System", "-", "Load System Settings",
                                      "Save System Settings", "-", "Enable Rendering", "Depth Dithering",
                                      "Show Rendering (Slow)"}));
  EXPECT_EQ(CaptionsOf(bar->Items(1)), (std::vector<std::string>{"New Deflector", "New Attractor", "New Repulsor",
                                                                 "New Gravitron", "New Fan", "New Leader"}));
  EXPECT_EQ(CaptionsOf(bar->Items(2)), (std::vector<std::string>{"Animate Objects", "Wireframe Alpha Hints"}));
  EXPECT_EQ(CaptionsOf(bar->Items(3)), (std::vector<std::string>{"Topics & Contents", "Toggle Cue Cards"}));
  // Each command item runs its page's action.
  TEmitterManForm* em = form_->EmitterManForm;
  const std::vector<TAction*> fileActions = {em->NewEmitterAction,  em->DeleteEmitterAction, nullptr,
                                             em->LoadEmitterAction, em->SaveEmitterAction,   nullptr,
                                             em->AddSystemAction,   em->DeleteSystemAction,  em->DupSystemAction,
                                             nullptr,               em->LoadSystemAction,    em->SaveSystemAction,
                                             nullptr,               form_->EnableRenderingAction};
  for (std::size_t i = 0; i < fileActions.size(); ++i)
    EXPECT_EQ(bar->Items(0)->Items(static_cast<Integer>(i))->Action(), fileActions[i]) << i;
  TToolboxForm* tb = form_->ToolboxForm;
  const std::vector<TAction*> toolActions = {tb->NewDeflectorAction, tb->NewAttractorAction, tb->NewRepulsorAction,
                                             tb->NewGravitronAction, tb->NewFanAction,       tb->NewLeaderAction};
  for (std::size_t i = 0; i < toolActions.size(); ++i)
    EXPECT_EQ(bar->Items(1)->Items(static_cast<Integer>(i))->Action(), toolActions[i]) << i;
}

TEST_F(MainFormTest, TheWindowsContentAndItsTexts) {
  EXPECT_EQ(form_->Constraints()->MinWidth(), 406);
  EXPECT_EQ(form_->Constraints()->MinHeight(), 486);
  EXPECT_EQ(form_->PreviewButton->Caption(), "Play");
  EXPECT_EQ(form_->PreviewButton->Hint(), "Play Animation");
  EXPECT_EQ(form_->RewindButton->Caption(), "Rewind");
  EXPECT_EQ(form_->RenderBox->Caption(), "Enable Rendering");
  EXPECT_EQ(form_->RenderBox->Action(), form_->EnableRenderingAction);
  ASSERT_EQ(form_->DrawModeBox->Items()->Count(), 5);
  const char* modes[] = {" Dots", " Wire Boxes", " Wire Circles", " Solid Boxes ", " Solid Circles"};
  for (Integer i = 0; i < 5; ++i) EXPECT_EQ(form_->DrawModeBox->Items()->Strings(i), modes[i]);
  EXPECT_EQ(form_->DrawModeBox->ItemIndex(), 1);
  ASSERT_EQ(form_->TabControl1->Tabs()->Count(), 2);
  EXPECT_EQ(form_->TabControl1->Tabs()->Strings(0), "Emitters");
  EXPECT_EQ(form_->TabControl1->Tabs()->Strings(1), "Tools");
  EXPECT_EQ(form_->ToggleCuesAction->Caption(), "Toggle Cue Cards");
  EXPECT_EQ(form_->EnableRenderingAction->Caption(), "Enable Rendering");
}

TEST_F(MainFormTest, SwitchesReachTheEngineOnceAClick) {
  form_->SetBounds(100, 100, 420, 520);
  form_->Show();
  win::PumpPendingMessages();
  // The check box and the menu item share the action: one toggle per click.
  const TPoint box = form_->RenderBox->ClientToScreen(TPoint{6, 8});
  win::InjectClick(win::MouseButton::Left, box.x, box.y);
  win::PumpPendingMessages();
  EXPECT_TRUE(form_->EnableRenderingAction->Checked());
  EXPECT_TRUE(form_->RenderBox->Checked());
  EXPECT_TRUE(host::PostProcessRegistered());
  form_->FindMenuItem("File/Enable Rendering")->Click();
  EXPECT_FALSE(form_->EnableRenderingAction->Checked());
  EXPECT_FALSE(form_->RenderBox->Checked());
  EXPECT_FALSE(form_->FindMenuItem("File/Enable Rendering")->Checked());
  EXPECT_FALSE(host::PostProcessRegistered());

  form_->FindMenuItem("File/Depth Dithering")->Click();
  EXPECT_TRUE(form_->DepthDithering1->Checked());
  EXPECT_TRUE(DepthDithering);
  form_->FindMenuItem("File/Show Rendering (Slow)")->Click();
  EXPECT_TRUE(form_->ShowRenderingSlow1->Checked());
  EXPECT_TRUE(form_->Renderer()->ShowScanlines);
  form_->FindMenuItem("Preview/Wireframe Alpha Hints")->Click();
  EXPECT_TRUE(WireframeAlphaHints);
  EXPECT_FALSE(AnimateObjects);
  form_->FindMenuItem("Preview/Animate Objects")->Click();
  EXPECT_TRUE(AnimateObjects);
  form_->FindMenuItem("Preview/Wireframe Alpha Hints")->Click();
  form_->FindMenuItem("File/Depth Dithering")->Click();
  form_->FindMenuItem("File/Show Rendering (Slow)")->Click();
  EXPECT_FALSE(WireframeAlphaHints);
  EXPECT_FALSE(DepthDithering);
  EXPECT_FALSE(form_->Renderer()->ShowScanlines);
  EXPECT_TRUE(AnimateObjects);

  // The user picks a draw mode from the list.
  form_->DrawModeBox->SetFocus();
  win::InjectKey(win::VK_DOWN);
  win::PumpPendingMessages();
  EXPECT_EQ(form_->DrawModeBox->ItemIndex(), 2);
  EXPECT_EQ(PreviewDrawMode, 2);
  win::InjectKey(win::VK_HOME);
  win::PumpPendingMessages();
  EXPECT_EQ(PreviewDrawMode, 0);
}

TEST_F(MainFormTest, ARenderOfAnEmitterCountsItsParticlesAndResetsBothMeters) {
  form_->TsxLeftClick();
  form_->FindMenuItem("File/New Emitter")->Click();
  ASSERT_EQ(form_->EmitterManForm->Emitters.size(), 1u);
  host::SetRenderSize(64, 48);
  // The meters as the renderer reports; the first report finds 61.5 seconds gone.
  std::vector<std::string> captions;
  bool advanced = false;
  auto show = EditorLinks().ShowRenderProgress;
  EditorLinks().ShowRenderProgress = [&](Integer Position, const std::string& Main, const std::string& Control) {
    show(Position, Main, Control);
    captions.push_back(form_->RenderProgress->Caption() + "|" + form_->ShuttleForm->RenderProgress->Caption());
    EXPECT_EQ(form_->RenderProgress->Position(), Position);
    if (!advanced) win::AdvanceClock(61500);
    advanced = true;
  };
  ASSERT_TRUE(host::Render(20));
  const Integer count = form_->Renderer()->LastCount;
  EXPECT_GT(count, 0);
  EXPECT_EQ(form_->StatusBar->SimpleText(), " Rendered " + std::to_string(count) + " particles in 01:01");
  EXPECT_EQ(form_->ShuttleForm->StatusBar->SimpleText(), " " + std::to_string(count) + " parts in 01:01");
  for (TKitProgress* meter : {form_->RenderProgress, form_->ShuttleForm->RenderProgress}) {
    EXPECT_EQ(meter->Caption(), "");
    EXPECT_EQ(meter->Position(), 0);
  }
  ASSERT_FALSE(captions.empty());
  for (const std::string& c : captions) {
    const int percent = std::stoi(c.substr(10));
    EXPECT_EQ(percent % 5, 0) << c;
    EXPECT_EQ(c, "Rendering " + std::to_string(percent) + "% Complete|" + std::to_string(percent) + "%");
  }
}

TEST_F(MainFormTest, KitLookOfTheMainAndControlWindows) {
  form_->Show();
  EXPECT_EQ(kit_look::Check(form_, "main").headers, 2);
  form_->ShuttleForm->Show();
  kit_look::Check(form_->ShuttleForm, "control_window");
}

TEST_F(MainFormTest, ARekeyedLeaderIsFollowedByTheNextPreviewAndRender) {
  form_->TsxLeftClick();
  form_->FindMenuItem("Toolbox/New Leader")->Click();
  ASSERT_EQ(form_->ToolboxForm->Tools.size(), 1u);
  auto* leader = dynamic_cast<TPathingModifier*>(form_->ToolboxForm->Tools[0]->Modifier());
  ASSERT_NE(leader, nullptr);
  ASSERT_NE(leader->Node, nullptr);
  auto keyTo = [&](float x) {
    host::SetKey(leader->Node, host::Channel::Position, 0, CtsxVec3f{x, 0, 0});
    host::SetKey(leader->Node, host::Channel::Position, 4, CtsxVec3f{x, 8, 0});
  };
  auto stopAtOnce = [](int) { Running = false; };
  struct Step {
    float x;
    bool render;
  };
  for (const Step& step : {Step{1, false}, Step{-3, false}, Step{5, true}, Step{7, false}}) {
    SCOPED_TRACE(step.x);
    keyTo(step.x);
    if (step.render) ASSERT_TRUE(host::Render(2));
    else PlayWhile(stopAtOnce);
    ASSERT_EQ(leader->Path.size(), 5u);
    EXPECT_FLOAT_EQ(leader->Path[0].x, step.x);
    EXPECT_FLOAT_EQ(leader->Path[4].x, step.x);
    EXPECT_FLOAT_EQ(leader->Path[4].y, 8);
  }
}
