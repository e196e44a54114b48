// Every control the editor's forms lay out, on every page a person reaches through the main
// window, lies inside its parent's client area (or inside what its scroll box can scroll
// to), at the main window's designed size and at a larger one; so do the control window's
// and the keyframe dialog's. Checked on window rectangles.
// Grown, the pages follow the window: what fills its parent edge to edge keeps filling it,
// and in a strip (a bar, a cue card) the control at the right end stays there and a text
// wider than half the strip stretches.
// No two shown controls of one parent overlap: a spin edit grows to its minimum height, so a
// form that gives it less covers the next row. The forms nest a caption in the panel it
// captions and a cue text in its card, so siblings never overlap on purpose: no exceptions.
// A drop-down list's every item fits its field.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "controlkit/kit_speed_button.h"
#include "editor/edit_keyframe_form.h"
#include "editor/editor_links.h"
#include "editor/emitter_man_form.h"
#include "editor/particle_maps_form.h"
#include "editor/props_form.h"
#include "editor/tests/main_form_fixture.h"
#include "editor/tool_props_form.h"
#include "editor/toolbox_form.h"
#include "panels/fold_panel.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/scrolling.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_splitter.h"
#include "platform/classlib/std_treeview.h"
#include "platform/win/input.h"
#include "platform/win/system_tables.h"

namespace {

bool IsShown(TControl* c) {
  if (!c->Visible()) return false;
  for (TWinControl* p = c->Parent(); p; p = p->Parent())
    if (!p->Visible()) return false;
  return true;
}

// Where the control sits in its parent's whole scrollable extent, and that extent.
struct Placement {
  TRect rect;
  TRect room;
};

Placement PlaceIn(TControl* c) {
  TWinControl* parent = c->Parent();
  TRect rect = c->BoundsRect();
  TRect room = parent->ClientRect();
  if (auto* box = dynamic_cast<TScrollBox*>(parent)) {
    const Integer x = box->HorzScrollBar()->Position(), y = box->VertScrollBar()->Position();
    rect = TRect{rect.left + x, rect.top + y, rect.right + x, rect.bottom + y};
    // What the bars can bring into view; none when a bar does not show.
    room.right += box->HorzScrollBar()->IsScrollBarVisible() ? box->HorzScrollBar()->ScrollRange() : 0;
    room.bottom += box->VertScrollBar()->IsScrollBarVisible() ? box->VertScrollBar()->ScrollRange() : 0;
  }
  return Placement{rect, room};
}

std::string Text(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// A control's distances to its parent's left and right edges, and the parent's width.
struct Gaps {
  Integer left, right, room, height;
};
// By page state and the control's names up to its form.
using GapsByControl = std::map<std::pair<std::string, std::string>, Gaps>;

std::string NamePath(TControl* c) {
  std::string path = c->Name();
  for (TWinControl* p = c->Parent(); p; p = p->Parent()) path = p->Name() + "/" + path;
  return path;
}

Gaps GapsOf(TControl* c) {
  const TRect room = c->Parent()->ClientRect();
  return Gaps{c->Left() - room.left, room.right - c->Left() - c->Width(), room.right - room.left,
              room.bottom - room.top};
}

// `was` is the control at the designed size, `now` grown.
void ExpectFollows(TControl* c, const Gaps& was, const Gaps& now, const std::string& state) {
  if (now.room <= was.room) return;
  constexpr Integer kEdge = 8;
  const bool fills = was.left <= kEdge && was.right <= kEdge;
  const bool strip = was.height <= 60;
  const bool rightEnd = strip && was.right <= kEdge && was.left > was.right;
  const bool wideText = strip && 2 * (was.room - was.left - was.right) > was.room;
  const std::string at = state + (c ? ": " + c->Name() + " in " + c->Parent()->Name() : std::string()) + ", from " +
                         std::to_string(was.left) + "/" + std::to_string(was.right) + " of " +
                         std::to_string(was.room) + " to " + std::to_string(now.left) + "/" +
                         std::to_string(now.right) + " of " + std::to_string(now.room);
  if (fills || wideText) {
    EXPECT_TRUE(now.left == was.left && now.right == was.right) << at;
  }
  if (rightEnd) {
    EXPECT_EQ(now.right, was.right) << at;
  }
}

// The controls the forms lay out; a control's own parts are its own business.
bool FormLaysOut(TControl* c) { return dynamic_cast<TCustomForm*>(c->Owner()) || dynamic_cast<TCustomForm*>(c); }

void ExpectNoOverlap(TWinControl* parent, const std::string& state) {
  std::vector<TControl*> shown;
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (IsShown(c) && FormLaysOut(c)) shown.push_back(c);
  }
  for (size_t a = 0; a < shown.size(); ++a)
    for (size_t b = a + 1; b < shown.size(); ++b) {
      const TRect r = shown[a]->BoundsRect(), q = shown[b]->BoundsRect();
      const Integer w = std::min(r.right, q.right) - std::max(r.left, q.left);
      const Integer h = std::min(r.bottom, q.bottom) - std::max(r.top, q.top);
      EXPECT_FALSE(w > 0 && h > 0) << state << ": in " << parent->Name() << " " << shown[a]->Name() << " "
                                   << Text(r) << " overlaps " << shown[b]->Name() << " " << Text(q) << " by " << w
                                   << " x " << h;
    }
}

// A drop-down list shows its choice in the field left of its button: every item fits there.
void ExpectItemsFit(TControl* c, const std::string& state) {
  auto* combo = dynamic_cast<TCustomComboBox*>(c);
  if (!combo || combo->Style() != csDropDownList) return;
  TControlCanvas canvas;
  canvas.SetControl(combo);
  canvas.SetFont(combo->Font());
  // The field runs from a pixel in to a pixel before the button, its text two pixels into it.
  const Integer room = combo->ButtonRect().left - 1 - 1 - 2;
  for (Integer i = 0; i < combo->Items()->Count(); ++i) {
    const std::string item = combo->Items()->Strings(i);
    EXPECT_LE(canvas.TextWidth(item), room) << state << ": " << NamePath(combo) << " item \"" << item << "\"";
  }
}

void ExpectReachable(TWinControl* parent, const std::string& state, int& checked,
                     const std::function<void(TControl*)>& laidOut) {
  ExpectNoOverlap(parent, state);
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!IsShown(c)) continue;
    if (FormLaysOut(c)) {
      ++checked;
      laidOut(c);
      ExpectItemsFit(c, state);
      const Placement p = PlaceIn(c);
      const bool inside = p.rect.left >= p.room.left && p.rect.top >= p.room.top && p.rect.right <= p.room.right &&
                          p.rect.bottom <= p.room.bottom;
      EXPECT_TRUE(inside && p.rect.right > p.rect.left && p.rect.bottom > p.rect.top)
          << state << ": " << c->Name() << " " << Text(p.rect) << " in " << parent->Name() << " " << Text(p.room);
    }
    if (auto* w = dynamic_cast<TWinControl*>(c)) ExpectReachable(w, state, checked, laidOut);
  }
}

class EditorLayoutTest : public MainFormTest {
 protected:
  void Check(const std::string& state, TWinControl* root = nullptr) {
    win::PumpPendingMessages();
    int checked = 0;
    ExpectReachable(root ? root : form_, size_ + " " + state, checked, [&](TControl* c) {
      const auto key = std::make_pair(state, NamePath(c));
      if (pass_ == Pass::GrownFirst)
        grownFirst_[key] = GapsOf(c);
      else if (pass_ == Pass::Designed)
        designed_[key] = GapsOf(c);
      else if (const auto was = designed_.find(key); was != designed_.end())
        ExpectFollows(c, was->second, GapsOf(c), size_ + " " + state);
    });
    EXPECT_GT(checked, 4) << state;
  }
  // Each sheet of a page control in turn, as its tab is clicked (`changed` stands for the
  // page control's change handler).
  void EachSheet(TPageControl* pages, const std::string& state, const std::function<void()>& changed = {}) {
    for (Integer i = 0; i < pages->PageCount(); ++i) {
      TTabSheet* sheet = pages->Pages(i);
      if (!sheet->TabVisible()) continue;
      pages->SetActivePage(sheet);
      if (changed) changed();
      Check(state + "/" + sheet->Name());
    }
  }
  void SweepEveryPage() {
    TEmitterManForm* man = form_->EmitterManForm;
    TTreeView* tree = man->EmittersTreeView;
    Check("emitter manager");
    tree->SetSelected(tree->Items()->Root(0));
    EachSheet(FindFormPart<TPageControl>(man, "EmitterPageControl"), "emitter");
    tree->SetSelected(tree->Items()->Root(0)->Item(0));
    TPropsForm* props = man->PropsForm;
    for (Integer node = 0; node < 22; ++node) {
      props->SelectProperty(node);
      const std::string state = "property " + std::to_string(node);
      if (node == 0)
        EachSheet(props->MapsForm->MapPages, state);
      else if (props->PropPages->ActivePage() == props->SettingSheet)
        EachSheet(props->PropJitterPages, state, [props] { props->PropJitterPagesChange(props->PropJitterPages); });
      else
        Check(state);
    }
    CallLink(EditorLinks().ShowToolbox);
    TToolboxForm* tools = form_->ToolboxForm;
    Check("no tool");
    for (TAction* a : {tools->NewDeflectorAction, tools->NewFanAction, tools->NewAttractorAction,
                       tools->NewRepulsorAction, tools->NewLeaderAction, tools->NewGravitronAction}) {
      ASSERT_TRUE(a->Execute());
      Check("tool " + a->Caption());
    }
    form_->TabControl1->SetTabIndex(0);
    form_->TabControl1Change(form_->TabControl1);
  }
  std::string size_;
  // Where controls sit grown before any page showed, at the designed size, or check grown.
  enum class Pass { GrownFirst, Designed, Check };
  Pass pass_ = Pass::Check;
  GapsByControl grownFirst_, designed_;
};

}  // namespace

TEST_F(EditorLayoutTest, EveryControlIsReachableAtTheDesignedSizeAndLarger) {
  form_->TsxLeftClick();
  form_->FindMenuItem("File/New Emitter")->Click();
  form_->EmitterManForm->PropsFold->Expand();
  struct Size {
    Integer width, height;
  };
  // Grown before a page first shows, a page lays out as when it showed first at the
  // designed size and was grown then.
  for (const Size s : {Size{640, 720}, Size{400, 470}, Size{640, 720}}) {
    size_ = std::to_string(s.width) + "x" + std::to_string(s.height);
    form_->SetClientWidth(s.width);
    form_->SetClientHeight(s.height);
    ASSERT_EQ(form_->ClientWidth(), s.width);
    ASSERT_EQ(form_->ClientHeight(), s.height);
    pass_ = pass_ == Pass::Check && grownFirst_.empty() ? Pass::GrownFirst
            : s.width == 400                               ? Pass::Designed
                                                           : Pass::Check;
    SweepEveryPage();
  }
  for (const auto& [key, now] : grownFirst_)
    if (const auto was = designed_.find(key); was != designed_.end())
      ExpectFollows(nullptr, was->second, now, "grown first " + key.first + " " + key.second);
  pass_ = Pass::Check;
  designed_.clear();
  // Without the cue cards the pages lay out again.
  form_->ToggleCuesAction->Execute();
  size_ += " without cue cards";
  SweepEveryPage();
  size_ = "own size";
  form_->ShrinkButtonClick(form_->ShrinkButton);
  Check("control window", form_->ShuttleForm);
  TEditKeyframeForm keyframe(nullptr);
  keyframe.Show();
  Check("keyframe dialog", &keyframe);
}

TEST_F(EditorLayoutTest, AWindowGrownTallerSharesItsNewHeightBetweenTreeAndProperties) {
  form_->TsxLeftClick();
  form_->EmitterManForm->PropsFold->Expand();
  TControl* tree = form_->EmitterManForm->EmittersTreeView;
  TControl* fold = form_->EmitterManForm->PropsFold;
  const Integer treeAt470 = tree->Height(), foldAt470 = fold->Height();
  struct Step {
    Integer clientHeight, treeGrown, foldGrown;
  };
  for (const Step& s : {Step{720, 125, 125}, Step{571, 51, 50}, Step{470, 0, 0}}) {
    SCOPED_TRACE(s.clientHeight);
    form_->SetClientHeight(s.clientHeight);
    win::PumpPendingMessages();
    EXPECT_EQ(tree->Height(), treeAt470 + s.treeGrown);
    EXPECT_EQ(fold->Height(), foldAt470 + s.foldGrown);
    EXPECT_EQ(form_->ToolboxForm->ToolPropsFold->Height(), fold->Height());
  }
}

TEST_F(EditorLayoutTest, NeitherTheWindowNorTheCueCardsSqueezeTheListsAboveTheFoldsAway) {
  form_->TsxLeftClick();
  TEmitterManForm* em = form_->EmitterManForm;
  em->PropsFold->Expand();
  TControl* tree = em->EmittersTreeView;
  TControl* fold = em->PropsFold;
  // The splitter dragged by the mouse to the given height of the fold below it.
  auto dragFoldTo = [&](Integer height) {
    const TPoint grip = em->Splitter1->ClientToScreen(TPoint{20, 2});
    const Integer y = grip.y - (height - fold->Height());
    win::InjectMouseDown(win::MouseButton::Left, grip.x, grip.y);
    win::InjectMouseMove(grip.x, y);
    win::InjectMouseUp(win::MouseButton::Left, grip.x, y);
    win::PumpPendingMessages();
  };
  auto showTools = [&](bool tools) {
    form_->TabControl1->SetTabIndex(tools ? 1 : 0);
    form_->TabControl1Change(form_->TabControl1);
    win::PumpPendingMessages();
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    Integer tree, fold;  // of the page shown
  };
  const Step steps[] = {
      {"designed", [] {}, 37, 302},
      {"grown", [&] { form_->SetClientHeight(720); }, 162, 427},
      {"fold dragged up as far as the splitter goes", [&] { dragFoldTo(700); }, 60, 529},
      {"back to the designed size", [&] { form_->SetClientHeight(470); }, 36, 303},
      {"a little taller", [&] { form_->SetClientHeight(600); }, 101, 368},
      {"cue cards hidden", [&] { form_->ToggleCuesAction->Execute(); }, 155, 368},
      {"fold dragged up again", [&] { dragFoldTo(560); }, 60, 463},
      {"cue cards shown", [&] { form_->ToggleCuesAction->Execute(); }, 36, 433},
      {"tools, cue cards hidden", [&] { showTools(true); form_->ToggleCuesAction->Execute(); }, 66, 433},
      {"tools, fold dragged up on the emitter page",
       [&] { showTools(false); dragFoldTo(600); showTools(true); }, 36, 463},
      {"tools at the designed size", [&] { form_->SetClientHeight(470); }, 36, 333},
      {"tools at the least height", [&] { form_->SetHeight(486); }, 36, 303},
      {"emitters at the least height", [&] { showTools(false); }, 36, 327},
      {"cue cards shown at the least height", [&] { form_->ToggleCuesAction->Execute(); }, 36, 273},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    win::PumpPendingMessages();
    const bool tools = form_->ToolboxForm->Visible();
    EXPECT_EQ((tools ? form_->ToolboxForm->ToolObjectsListView : tree)->Height(), s.tree);
    EXPECT_EQ((tools ? form_->ToolboxForm->ToolPropsFold : fold)->Height(), s.fold);
  }
}

// Every node of the property trees reads whole beside the tree's scroll bar: the trees do
// not scroll sideways, so a longer text would be cut.
TEST_F(EditorLayoutTest, EveryPropertyNodeReadsWholeBesideTheScrollBar) {
  form_->TsxLeftClick();
  form_->FindMenuItem("File/New Emitter")->Click();
  form_->EmitterManForm->PropsFold->Expand();
  TTreeView* emitters = form_->EmitterManForm->EmittersTreeView;
  emitters->SetSelected(emitters->Items()->Root(0)->Item(0));
  auto expectWhole = [](TTreeView* tree, const std::string& state) {
    win::PumpPendingMessages();
    tree->FullExpand();
    Integer rows = 0;
    for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext()) ++rows;
    const Integer bar = rows * tree->ItemHeight() > tree->ClientHeight() ? win::GetSystemMetrics(win::SM_CXVSCROLL) : 0;
    for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext()) {
      tree->SetTopItem(n);
      EXPECT_LE(n->DisplayRect(true).right, tree->ClientWidth() - bar) << state << ": \"" << n->Text() << "\"";
    }
  };
  for (const Integer height : {470, 720}) {
    SCOPED_TRACE(height);
    form_->SetClientHeight(height);
    expectWhole(form_->EmitterManForm->PropsForm->PropsTree, "properties");
  }
  CallLink(EditorLinks().ShowToolbox);
  TToolboxForm* tools = form_->ToolboxForm;
  for (TAction* a : {tools->NewDeflectorAction, tools->NewFanAction, tools->NewAttractorAction,
                     tools->NewRepulsorAction, tools->NewLeaderAction, tools->NewGravitronAction}) {
    ASSERT_TRUE(a->Execute());
    expectWhole(tools->ToolPropsForm->ToolPropsTree, a->Caption());
  }
}
