// The toolbox: New commands, the list, and the host's callbacks for the tool types.
#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>
#include <string>

#include "chart/value_list.h"
#include "editor/tool_kinds.h"
#include "editor/tool_wireframes.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"
#include "platform/classlib/std_buttons.h"
#include "platform/win/input.h"
#include "editor/tests/file_bytes.h"
#include "toolbox_fixture.h"

namespace {

std::string ScenePath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("qm_toolbox_") + name + ".scene")).string();
}

}  // namespace

TEST_F(ToolboxTest, NewCommandsMakeHostObjectsAndListedTools) {
  TAction* actions[] = {form_->NewDeflectorAction, form_->NewFanAction,    form_->NewAttractorAction,
                        form_->NewRepulsorAction,  form_->NewLeaderAction, form_->NewGravitronAction};
  EXPECT_EQ(form_->NewRepulsorAction->Caption(), "New Repulsor");
  for (Integer kind = tkDeflector; kind < kToolKindCount; ++kind) {
    SCOPED_TRACE(kind);
    ASSERT_TRUE(actions[kind - 1]->Execute());
    ASSERT_EQ(form_->Tools.size(), static_cast<std::size_t>(kind));
    TToolObject* t = form_->Tools.back().get();
    EXPECT_EQ(form_->CurrentTool, t);
    EXPECT_EQ(ToolKindOf(t->Modifier()), kind);
    EXPECT_EQ(t->Name, ToolKindInfo(kind).KindName);
    tsxSOBJ* node = t->Modifier()->Node;
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(host::IsInScene(node));
    EXPECT_EQ(FindExtObj(node), Types()[kind - 1]);
    EXPECT_EQ(Types()[kind - 1]->ObjectTypeName(), ToolKindInfo(kind).TypeName);
    EXPECT_EQ(Types()[kind - 1]->WirePen(), ToolKindInfo(kind).Pen);
    EXPECT_EQ(Types()[kind - 1]->Shape().Indices, ToolShape(kind).Indices);
    EXPECT_GE(ModifierList().IndexOf(t->Modifier()), 0);
    // The list shows every tool, the new one selected.
    ASSERT_EQ(Items()->Count(), kind);
    TListItem* item = Items()->Item(kind - 1);
    EXPECT_EQ(item->Caption(), ToolKindInfo(kind).KindName);
    EXPECT_EQ(item->SubItems()->Strings(0), ToolKindInfo(kind).KindName);
    EXPECT_EQ(item->ImageIndex(), ToolKindInfo(kind).ListImage);
    EXPECT_TRUE(item->Checked());
    EXPECT_TRUE(item->Selected());
    EXPECT_EQ(Props()->CurrentTool(), t);
  }
  EXPECT_EQ(ModifierList().Count(), modifiersBefore_ + 6);
}

TEST_F(ToolboxTest, ARefusedHostObjectLeavesNoTool) {
  form_->NewFanAction->Execute();
  host::SetCreateFails(true);
  for (TAction* a : {form_->NewDeflectorAction, form_->NewAttractorAction, form_->NewLeaderAction}) a->Execute();
  host::SetCreateFails(false);
  ASSERT_EQ(form_->Tools.size(), 1u);
  EXPECT_EQ(Items()->Count(), 1);
  EXPECT_EQ(ModifierList().Count(), modifiersBefore_ + 1);
  for (std::size_t i = 0; i < form_->Tools.size(); ++i) EXPECT_NE(Node(i), nullptr);
}

TEST_F(ToolboxTest, DeletingTheSelectedToolsObjectSelectsTheFirstRemaining) {
  form_->NewAttractorAction->Execute();
  form_->NewFanAction->Execute();
  form_->NewRepulsorAction->Execute();
  TToolObject* first = Tool(0);
  TParticleModifier* gone = Tool(2)->Modifier();
  tsxSOBJ* node = Node(2);
  ASSERT_EQ(form_->CurrentTool, Tool(2));
  Running = true;  // a preview is running
  EXPECT_TRUE(host::DeleteObject(node));
  EXPECT_FALSE(Running) << "the preview stops before the modifier goes";
  ASSERT_EQ(form_->Tools.size(), 2u);
  EXPECT_EQ(form_->CurrentTool, first);
  EXPECT_EQ(Props()->CurrentTool(), first);
  EXPECT_EQ(Props()->ActivePage(), Props()->AttractorSheet);
  ASSERT_EQ(Items()->Count(), 2);
  EXPECT_TRUE(Items()->Item(0)->Selected());
  EXPECT_EQ(ModifierList().IndexOf(gone), -1);
  EXPECT_EQ(ModifierList().Count(), modifiersBefore_ + 2);
  EXPECT_FALSE(form_->Deleting());

  // Deleting a tool that is not current keeps the current one; the last one leaves none.
  EXPECT_TRUE(host::DeleteObject(Node(1)));
  EXPECT_EQ(form_->CurrentTool, first);
  EXPECT_TRUE(host::DeleteObject(Node(0)));
  EXPECT_EQ(form_->CurrentTool, nullptr);
  EXPECT_EQ(Props()->ActivePage(), Props()->NoToolSheet);
  EXPECT_EQ(Items()->Count(), 0);
}

TEST_F(ToolboxTest, AClonedToolGetsAnIndependentCopy) {
  form_->NewFanAction->Execute();
  auto* fan = dynamic_cast<TPlaneFanModifier*>(Tool(0)->Modifier());
  fan->Falloff = foLinear;
  fan->Scale = 4;
  fan->Enabled = 0;
  Tool(0)->Name = "Blower";
  const Integer keys = fan->Power->Count();
  tsxSOBJ* copyNode = static_cast<tsxSOBJ*>(host::CloneObject(Node(0)));
  ASSERT_NE(copyNode, nullptr);
  ASSERT_EQ(form_->Tools.size(), 2u);
  EXPECT_EQ(form_->CurrentTool, Tool(1));
  EXPECT_EQ(Node(1), copyNode);
  EXPECT_EQ(Tool(1)->Name, "Blower");
  auto* copy = dynamic_cast<TPlaneFanModifier*>(Tool(1)->Modifier());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Falloff, foLinear);
  EXPECT_EQ(copy->Scale, 4.0f);
  EXPECT_EQ(copy->Enabled, 0);
  EXPECT_FALSE(Items()->Item(1)->Checked());
  copy->Power->AddXY(33, 2);
  copy->Scale = 50;
  EXPECT_EQ(fan->Power->Count(), keys);
  EXPECT_EQ(fan->Scale, 4.0f);
  EXPECT_EQ(Node(0), static_cast<tsxSOBJ*>(host::TopLevelNodes().front()));
}

TEST_F(ToolboxTest, TheListsCheckBoxesEnableAndSelectionPicksTheHostObject) {
  form_->NewDeflectorAction->Execute();
  form_->NewGravitronAction->Execute();
  TListItem* item0 = Items()->Item(0);
  item0->SetChecked(false);
  EXPECT_EQ(Tool(0)->Modifier()->Enabled, 0);
  EXPECT_EQ(Tool(1)->Modifier()->Enabled, 1);
  EXPECT_EQ(form_->CurrentTool, Tool(1)) << "a check does not change the selection";
  item0->SetChecked(true);
  EXPECT_EQ(Tool(0)->Modifier()->Enabled, 1);

  form_->ToolObjectsListView->SetSelected(item0);
  EXPECT_EQ(form_->CurrentTool, Tool(0));
  EXPECT_EQ(Props()->ActivePage(), Props()->DeflectorSheet);
  EXPECT_EQ(static_cast<tsxSOBJ*>(host::Selected()), Node(0));

  // Renaming keeps at most 32 characters.
  std::string name(40, 'n');
  form_->ToolObjectsListViewEdited(form_->ToolObjectsListView, item0, name);
  EXPECT_EQ(Tool(0)->Name, std::string(32, 'n'));
  EXPECT_EQ(name.size(), 32u);
  form_->RebuildList();
  EXPECT_EQ(Items()->Item(0)->Caption(), std::string(32, 'n'));
  EXPECT_FALSE(Items()->Item(0)->Selected() && Items()->Item(1)->Selected());
}

TEST_F(ToolboxTest, ToolsRoundTripThroughAHostScene) {
  form_->NewLeaderAction->Execute();
  form_->NewGravitronAction->Execute();
  // An object of a tool type the toolbox does not know writes an empty chunk.
  ASSERT_NE(form_->FanExtObj->CreateObject(), nullptr);
  form_->NewDeflectorAction->Execute();
  Tool(0)->Name = "Guide";
  auto* leader = dynamic_cast<TPathingModifier*>(Tool(0)->Modifier());
  leader->Power->AddXY(60, 42);
  leader->Falloff = foSquared;
  auto* grav = dynamic_cast<TGravitronModifier*>(Tool(1)->Modifier());
  grav->Infinite = 1;
  grav->Lives = 5;
  Items()->Item(1)->SetChecked(false);
  auto* defl = dynamic_cast<TPlaneDeflectorModifier*>(Tool(2)->Modifier());
  defl->Absorb = 1;
  std::vector<std::pair<Double, Double>> leaderKeys;
  for (Integer i = 0; i < leader->Power->Count(); ++i)
    leaderKeys.emplace_back(leader->Power->XValues()->GetValue(i), leader->Power->YValues()->GetValue(i));

  const std::string path = ScenePath("roundtrip");
  host::SaveScene(path);
  host::LoadScene(path);
  std::filesystem::remove(path);

  ASSERT_EQ(form_->Tools.size(), 3u) << "the old tools went with the old scene; the empty chunk made none";
  EXPECT_EQ(ModifierList().Count(), modifiersBefore_ + 3);
  EXPECT_EQ(Tool(0)->Name, "Guide");
  auto* l2 = dynamic_cast<TPathingModifier*>(Tool(0)->Modifier());
  ASSERT_NE(l2, nullptr);
  EXPECT_EQ(l2->Falloff, foSquared);
  std::vector<std::pair<Double, Double>> keys2;
  for (Integer i = 0; i < l2->Power->Count(); ++i)
    keys2.emplace_back(l2->Power->XValues()->GetValue(i), l2->Power->YValues()->GetValue(i));
  EXPECT_EQ(keys2, leaderKeys);
  EXPECT_NE(std::find(keys2.begin(), keys2.end(), std::make_pair(60.0, 42.0)), keys2.end());
  auto* g2 = dynamic_cast<TGravitronModifier*>(Tool(1)->Modifier());
  ASSERT_NE(g2, nullptr);
  EXPECT_EQ(g2->Infinite, 1);
  EXPECT_EQ(g2->Lives, 5);
  EXPECT_EQ(g2->Enabled, 0);
  EXPECT_FALSE(Items()->Item(1)->Checked());
  auto* d2 = dynamic_cast<TPlaneDeflectorModifier*>(Tool(2)->Modifier());
  ASSERT_NE(d2, nullptr);
  EXPECT_EQ(d2->Absorb, 1);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(host::IsInScene(Node(i)));
    EXPECT_EQ(FindExtObj(Node(i))->ObjectTypeName(), ToolKindInfo(ToolKindOf(Tool(i)->Modifier())).TypeName);
  }
  EXPECT_EQ(form_->CurrentTool, Tool(2)) << "the last tool read is current";
}

TEST_F(ToolboxTest, TheFoldMovesTheEmitterManagersFoldAndPlayRunsTheMainWindows) {
  EXPECT_EQ(EditorLinks().ToolPropsFold, form_->ToolPropsFold);
  TFpFoldPanel other(nullptr);
  other.SetParent(form_.get());
  EditorLinks().EmitterPropsFold = &other;
  ASSERT_TRUE(other.IsExpanded());
  bool act = true;
  form_->ToolPropsFold->OnFoldClick(form_->ToolPropsFold, form_->ToolPropsFold->FoldStatus(), act);
  EXPECT_FALSE(act) << "the toolbox's fold does not move by itself";
  EXPECT_TRUE(other.IsCollapsed());
  act = true;
  form_->ToolPropsFold->OnFoldClick(form_->ToolPropsFold, form_->ToolPropsFold->FoldStatus(), act);
  EXPECT_TRUE(other.IsExpanded());
  EditorLinks().EmitterPropsFold = nullptr;
  other.SetParent(nullptr);

  int plays = 0, rewinds = 0;
  EditorLinks().PlayClick = [&](TObject*) { ++plays; };
  EditorLinks().RewindClick = [&](TObject*) { ++rewinds; };
  form_->PreviewButtonClick(nullptr);
  form_->RewindButtonClick(nullptr);
  form_->PreviewButtonClick(nullptr);
  EXPECT_EQ(plays, 2);
  EXPECT_EQ(rewinds, 1);
}

TEST_F(ToolboxTest, ABadToolChunkTellsTheUserMakesNoToolAndIsSavedBackAsItCame) {
  form_->NewAttractorAction->Execute();
  Tool(0)->Name = "Pull";
  const TFileIOEvent own = form_->AttractorExtObj->OnWriteBinary;
  const std::vector<std::vector<Byte>> chunks = {
      {100, 0, 0, 0, 200, 0, 0, 0, 4, 'P', 'u', 'l', 'l'},  // claims 200 bytes, holds 5
      {99, 0, 0, 0, 6, 0, 0, 0, 4, 'P', 'u', 'l', 'l', 0},  // an older version
  };
  const std::string path = ScenePath("bad"), again = ScenePath("again");
  for (const std::vector<Byte>& chunk : chunks) {
    SCOPED_TRACE(int(chunk[0]));
    form_->AttractorExtObj->OnWriteBinary = [&chunk](tsxSOBJ*, tsxFILE* fd) -> Integer {
      tsxFILEwrite(chunk.data(), 1, chunk.size(), fd);
      return 0;
    };
    host::SaveScene(path);
    form_->AttractorExtObj->OnWriteBinary = own;
    win::AnswerMessageBox(win::IDOK);
    host::LoadScene(path);
    EXPECT_TRUE(form_->Tools.empty());
    EXPECT_EQ(ModifierList().Count(), modifiersBefore_);
    ASSERT_FALSE(win::ModalPrompts().empty());
    EXPECT_NE(win::ModalPrompts().back().text.find("The tool \"Pull\" in the scene could not be read"),
              std::string::npos);
    host::SaveScene(again);
    EXPECT_EQ(FileBytes(again), FileBytes(path));
    // A clone keeps the same bytes; gone, it takes its copy along.
    const host::NodeHandle clone = host::CloneObject(host::TopLevelNodes().at(0));
    ASSERT_NE(clone, nullptr);
    host::SaveScene(again);
    EXPECT_EQ(Occurrences(FileBytes(again), chunk), 2);
    ASSERT_TRUE(host::DeleteObject(clone));
    host::SaveScene(again);
    EXPECT_EQ(Occurrences(FileBytes(again), chunk), 1);
  }
  std::filesystem::remove(path);
  std::filesystem::remove(again);
}

TEST_F(ToolboxTest, ClicksOnTheListToggleEnabledAndSelectTools) {
  form_->NewAttractorAction->Execute();
  form_->NewLeaderAction->Execute();
  win::PumpPendingMessages();
  TListView* view = form_->ToolObjectsListView;
  auto click = [&](TListItem* item, Integer x) {
    const TRect r = item->DisplayRect(false);
    const TPoint s = view->ClientToScreen(TPoint{r.left + x, (r.top + r.bottom) / 2});
    win::InjectClick(win::MouseButton::Left, s.x, s.y);
    win::PumpPendingMessages();
    win::AdvanceClock(1000);  // the next click is no double-click
  };
  // The box at the row's left edge.
  click(Items()->Item(0), 8);
  EXPECT_EQ(Tool(0)->Modifier()->Enabled, 0);
  EXPECT_FALSE(Items()->Item(0)->Checked());
  click(Items()->Item(0), 8);
  EXPECT_EQ(Tool(0)->Modifier()->Enabled, 1);
  // The caption selects the tool and its host object.
  click(Items()->Item(0), 40);
  EXPECT_EQ(form_->CurrentTool, Tool(0));
  EXPECT_EQ(static_cast<tsxSOBJ*>(host::Selected()), Node(0));
  EXPECT_EQ(Props()->ActivePage(), Props()->AttractorSheet);
}

TEST_F(ToolboxTest, AnUncheckedToolIsLeftOutOfTheSimulation) {
  form_->NewDeflectorAction->Execute();
  // The tool page's own box makes the deflector swallow what crosses it.
  Props()->AbsorbsCheck->SetCheckedValue(true);
  ASSERT_EQ(dynamic_cast<TPlaneDeflectorModifier*>(Tool(0)->Modifier())->Absorb, 1);
  // One particle falling through the deflector's plane between frames 0 and 1.
  auto survivors = [] {
    TParticleSystem s;
    s.Flow->Quantum = 1.0;
    s.Flow->Clear();
    s.Flow->AddXY(0, 1);
    s.Flow->AddXY(0.5, 0);
    s.OnInitParticle = [](TParticleSystem&, TParticle& p) {
      p.Position = {0, 0, 1.5f};
      p.Velocity = {0, 0, -1};
      p.Lifespan = 100;
      p.Mass = 1;
    };
    s.Advance(0);
    s.Advance(1);
    s.Advance(2);
    return s.AliveCount;
  };
  EXPECT_EQ(survivors(), 0);
  Items()->Item(0)->SetChecked(false);
  EXPECT_EQ(survivors(), 1);
  Items()->Item(0)->SetChecked(true);
  EXPECT_EQ(survivors(), 0);
}
