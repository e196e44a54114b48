#include "editor/toolbox_form.h"

#include <algorithm>

#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/tool_kinds.h"
#include "editor/tool_props_form.h"
#include "editor/tool_wireframes.h"
#include "engine/editor_state.h"
#include "engine/particle_modifier.h"
#include "hostbridge/bridge_classes.h"
#include "hostbridge/tsx_ext_obj.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/exceptions.h"

namespace {

constexpr std::size_t kNameLimit = 32;

// Detaches the list view's change handler for as long as it lives.
class TChangeHandlerPause {
 public:
  explicit TChangeHandlerPause(TListView* View) : view_(View), saved_(View->OnChange) { View->OnChange = nullptr; }
  ~TChangeHandlerPause() { view_->OnChange = saved_; }
  TChangeHandlerPause(const TChangeHandlerPause&) = delete;
  TChangeHandlerPause& operator=(const TChangeHandlerPause&) = delete;

 private:
  TListView* view_;
  TLVChangeEvent saved_;
};

}  // namespace

const TClass& TToolboxForm::StaticClass() {
  static const TClass cls = TClass::Of<TToolboxForm>("TToolboxForm", TForm::StaticClass(), &TToolboxForm::Publish);
  return cls;
}

void TToolboxForm::Publish(TPublished& published) {
  auto p = published.For<TToolboxForm>();
  p.Method("ToolExtObjWriteBinary", &TToolboxForm::ToolExtObjWriteBinary);
  p.Method("ToolExtObjReadBinary", &TToolboxForm::ToolExtObjReadBinary);
  p.Method("ToolExtObjObjectDelete", &TToolboxForm::ToolExtObjObjectDelete);
  p.Method("ToolExtObjObjectClone", &TToolboxForm::ToolExtObjObjectClone);
  p.Method("NewDeflectorActionExecute", &TToolboxForm::NewDeflectorActionExecute);
  p.Method("NewFanActionExecute", &TToolboxForm::NewFanActionExecute);
  p.Method("NewAttractorActionExecute", &TToolboxForm::NewAttractorActionExecute);
  p.Method("NewRepulsorActionExecute", &TToolboxForm::NewRepulsorActionExecute);
  p.Method("NewLeaderActionExecute", &TToolboxForm::NewLeaderActionExecute);
  p.Method("NewGravitronActionExecute", &TToolboxForm::NewGravitronActionExecute);
  p.Method("ToolObjectsListViewChange", &TToolboxForm::ToolObjectsListViewChange);
  p.Method("ToolObjectsListViewEdited", &TToolboxForm::ToolObjectsListViewEdited);
  p.Method("ToolPropsFoldFoldClick", &TToolboxForm::ToolPropsFoldFoldClick);
  p.Method("PreviewButtonClick", &TToolboxForm::PreviewButtonClick);
  p.Method("RewindButtonClick", &TToolboxForm::RewindButtonClick);
}

TToolboxForm::TToolboxForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterHostBridgeClasses();
  RegisterEditorKitClasses();
  ReadFormResource();
  ToolObjectsListView = FindFormPart<TListView>(this, "ToolObjectsListView");
  ToolPropsFold = FindFormPart<TFpFoldPanel>(this, "ToolPropsFold");
  DeflectorExtObj = FindFormPart<TTsxExtObj>(this, "DeflectorExtObj");
  FanExtObj = FindFormPart<TTsxExtObj>(this, "FanExtObj");
  AttractorExtObj = FindFormPart<TTsxExtObj>(this, "AttractorExtObj");
  RepulsorExtObj = FindFormPart<TTsxExtObj>(this, "RepulsorExtObj");
  LeaderExtObj = FindFormPart<TTsxExtObj>(this, "LeaderExtObj");
  GravitronExtObj = FindFormPart<TTsxExtObj>(this, "GravitronExtObj");
  ActionList = FindFormPart<TActionList>(this, "ActionList");
  NewDeflectorAction = FindFormPart<TAction>(this, "NewDeflectorAction");
  NewFanAction = FindFormPart<TAction>(this, "NewFanAction");
  NewAttractorAction = FindFormPart<TAction>(this, "NewAttractorAction");
  NewRepulsorAction = FindFormPart<TAction>(this, "NewRepulsorAction");
  NewLeaderAction = FindFormPart<TAction>(this, "NewLeaderAction");
  NewGravitronAction = FindFormPart<TAction>(this, "NewGravitronAction");

  if (EditorLinks().Images) ToolObjectsListView->SetSmallImages(EditorLinks().Images);

  // Type names, pens and wireframes come from the kind table.
  TTsxExtObj* types[] = {nullptr, DeflectorExtObj, FanExtObj, AttractorExtObj, RepulsorExtObj, LeaderExtObj, GravitronExtObj};
  for (Integer kind = tkDeflector; kind < kToolKindCount; ++kind) {
    const TToolKindInfo& info = ToolKindInfo(kind);
    types[kind]->SetObjectTypeName(info.TypeName);
    types[kind]->SetWirePen(info.Pen);
    types[kind]->SetShape(ToolShape(kind));
  }

  ToolPropsForm = new TToolPropsForm(this);
  EmbedForm(ToolPropsForm, ToolPropsFold->Client(), alClient);
  EditorLinks().ToolPropsFold = ToolPropsFold;
  // The fold follows the emitter page's height, which may leave the list less room than the
  // tree; the page is placed only while it shows.
  OnResize = [this](TObject*) { FitFoldBeside(ToolPropsFold); };
  OnShow = OnResize;
  ToolPropsForm->SetTool(nullptr);
}

TToolboxForm::~TToolboxForm() {
  if (EditorLinks().ToolPropsFold == ToolPropsFold) EditorLinks().ToolPropsFold = nullptr;
  // The preview must not run over modifiers that are about to go.
  if (!Tools.empty()) Running = false;
  if (ToolPropsForm) ToolPropsForm->SetTool(nullptr);
  CurrentTool = nullptr;
  Tools.clear();
}

Integer TToolboxForm::IndexOfHostObject(tsxSOBJ* Handle) const {
  if (!Handle) return -1;
  for (std::size_t i = 0; i < Tools.size(); ++i) {
    const TParticleModifier* m = Tools[i]->Modifier();
    if (m && m->Node == Handle) return static_cast<Integer>(i);
  }
  return -1;
}

TToolObject* TToolboxForm::AddTool(tsxSOBJ* Handle, std::unique_ptr<TParticleModifier> Modifier) {
  auto tool = std::make_unique<TToolObject>();
  if (Modifier) {
    Modifier->Node = Handle;
    tool->Name = Modifier->KindName.substr(0, kNameLimit);
  }
  tool->SetModifier(std::move(Modifier));
  TToolObject* added = tool.get();
  CurrentTool = added;
  Tools.push_back(std::move(tool));
  RebuildList();
  return added;
}

void TToolboxForm::AppendTool(std::unique_ptr<TToolObject> Tool, tsxSOBJ* Handle) {
  if (Tool->Modifier()) Tool->Modifier()->Node = Handle;
  CurrentTool = Tool.get();
  Tools.push_back(std::move(Tool));
  RebuildList();
}

bool TToolboxForm::DeleteToolOfHostObject(tsxSOBJ* Handle) {
  const Integer i = IndexOfHostObject(Handle);
  if (i < 0) return false;
  // Stop the preview before its modifier goes.
  Running = false;
  TToolObject* victim = Tools[static_cast<std::size_t>(i)].get();
  if (CurrentTool == victim) {
    ToolPropsForm->SetTool(nullptr);
    CurrentTool = nullptr;
  }
  std::unique_ptr<TToolObject> gone = std::move(Tools[static_cast<std::size_t>(i)]);
  Tools.erase(Tools.begin() + i);
  RebuildList();
  gone.reset();
  return true;
}

void TToolboxForm::RebuildList() {
  TListItems* items = ToolObjectsListView->Items();
  Integer current = -1;
  {
    TChangeHandlerPause pause(ToolObjectsListView);
    items->BeginUpdate();
    items->Clear();
    for (std::size_t i = 0; i < Tools.size(); ++i) {
      TToolObject* tool = Tools[i].get();
      TParticleModifier* m = tool->Modifier();
      TListItem* item = items->Add();
      item->SetCaption(tool->Name);
      item->SetChecked(m && m->Enabled != 0);
      item->SubItems()->Add(m ? m->KindName : std::string());
      item->SetImageIndex(ToolKindInfo(ToolKindOf(m)).ListImage);
      item->SetData(tool);
      if (tool == CurrentTool) current = static_cast<Integer>(i);
    }
    if (current < 0) {
      CurrentTool = Tools.empty() ? nullptr : Tools.front().get();
      current = Tools.empty() ? -1 : 0;
    }
    ToolObjectsListView->SetSelected(current >= 0 ? items->Item(current) : nullptr);
    items->EndUpdate();
  }
  SelectTool(current);
}

void TToolboxForm::SelectTool(Integer Index) {
  CurrentTool = Index >= 0 && Index < static_cast<Integer>(Tools.size()) ? Tools[static_cast<std::size_t>(Index)].get()
                                                                          : nullptr;
  ToolPropsForm->SetTool(CurrentTool);
}

void TToolboxForm::ShowFrame(Integer Frame) { ToolPropsForm->ShowFrame(Frame); }

// ---- New commands ----

void TToolboxForm::NewTool(Integer Kind) {
  std::unique_ptr<TParticleModifier> modifier = CreateToolModifier(Kind);
  TTsxExtObj* types[] = {nullptr, DeflectorExtObj, FanExtObj, AttractorExtObj, RepulsorExtObj, LeaderExtObj, GravitronExtObj};
  if (!modifier || Kind <= tkNone || Kind >= kToolKindCount) return;
  tsxSOBJ* handle = types[Kind]->CreateObject();
  // A refused host object leaves no tool behind: the modifier never joins the list.
  if (!handle) return;
  AddTool(handle, std::move(modifier));
}

void TToolboxForm::NewDeflectorActionExecute(TObject*) { NewTool(tkDeflector); }
void TToolboxForm::NewFanActionExecute(TObject*) { NewTool(tkFan); }
void TToolboxForm::NewAttractorActionExecute(TObject*) { NewTool(tkAttractor); }
void TToolboxForm::NewRepulsorActionExecute(TObject*) { NewTool(tkRepulsor); }
void TToolboxForm::NewLeaderActionExecute(TObject*) { NewTool(tkLeader); }
void TToolboxForm::NewGravitronActionExecute(TObject*) { NewTool(tkGravitron); }

// ---- list view ----

void TToolboxForm::ToolObjectsListViewChange(TObject*, TListItem* Item, TItemChange Change) {
  if (!Item || Change != ctState) return;
  const Integer i = Item->Index();
  if (i < 0 || i >= static_cast<Integer>(Tools.size())) return;
  TToolObject* tool = Tools[static_cast<std::size_t>(i)].get();
  TParticleModifier* m = tool->Modifier();
  if (m && (m->Enabled != 0) != Item->Checked()) m->Enabled = Item->Checked() ? 1 : 0;
  if (Item->Selected() && tool != CurrentTool) {
    SelectTool(i);
    if (!Deleting() && m && m->Node) tsxSelectSobj(m->Node);
  }
}

void TToolboxForm::ToolObjectsListViewEdited(TObject*, TListItem* Item, std::string& S) {
  if (!Item) return;
  const Integer i = Item->Index();
  if (i < 0 || i >= static_cast<Integer>(Tools.size())) return;
  if (S.size() > kNameLimit) S.resize(kNameLimit);
  Tools[static_cast<std::size_t>(i)]->Name = S;
}

void TToolboxForm::ToolPropsFoldFoldClick(TObject*, TFoldStatus, bool& DoFoldAction) {
  // The emitter manager keeps both property folds in step: ask its fold to move.
  TFpFoldPanel* other = EditorLinks().EmitterPropsFold;
  if (!other) return;
  DoFoldAction = false;
  if (other->IsCollapsed())
    other->Expand();
  else
    other->Collapse();
}

void TToolboxForm::PreviewButtonClick(TObject* Sender) { CallLink(EditorLinks().PlayClick, Sender); }
void TToolboxForm::RewindButtonClick(TObject* Sender) { CallLink(EditorLinks().RewindClick, Sender); }
