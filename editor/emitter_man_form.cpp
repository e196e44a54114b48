// The emitter page: construction, the enabling rules, the emitter's settings, the
// layout of the fold and the render hooks. The tree, the commands and the host
// callbacks live in emitter_man_tree.cpp, emitter_man_commands.cpp and
// emitter_man_host.cpp.
#include "editor/emitter_man_form.h"

#include <algorithm>
#include <initializer_list>

#include "controlkit/kit_control_base.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/emitter_wireframe.h"
#include "editor/props_form.h"
#include "editor/var_chart_form.h"
#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/var_series.h"
#include "hostbridge/bridge_classes.h"
#include "hostbridge/tsx_ext_obj.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/random.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_splitter.h"
#include "platform/classlib/std_treeview.h"

namespace {

// Progress is shown in steps of this many percent.
constexpr Integer kProgressStep = 5;

}  // namespace

const TClass& TEmitterManForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TEmitterManForm>("TEmitterManForm", TForm::StaticClass(), &TEmitterManForm::Publish);
  return cls;
}

void TEmitterManForm::Publish(TPublished& published) {
  auto p = published.For<TEmitterManForm>();
  p.Method("EmittersTreeViewMouseUp", &TEmitterManForm::EmittersTreeViewMouseUp);
  p.Method("EmittersTreeViewEdited", &TEmitterManForm::EmittersTreeViewEdited);
  p.Method("TreeMenuPopup", &TEmitterManForm::TreeMenuPopup);
  p.Method("ScalarBoxClick", &TEmitterManForm::ScalarBoxClick);
  p.Method("OffsetSpinChange", &TEmitterManForm::OffsetSpinChange);
  p.Method("FreezeSpinChange", &TEmitterManForm::FreezeSpinChange);
  p.Method("NewEmitterActionExecute", &TEmitterManForm::NewEmitterActionExecute);
  p.Method("DeleteEmitterActionExecute", &TEmitterManForm::DeleteEmitterActionExecute);
  p.Method("AddSystemActionExecute", &TEmitterManForm::AddSystemActionExecute);
  p.Method("DeleteSystemActionExecute", &TEmitterManForm::DeleteSystemActionExecute);
  p.Method("DupSystemActionExecute", &TEmitterManForm::DupSystemActionExecute);
  p.Method("SaveSystemActionExecute", &TEmitterManForm::SaveSystemActionExecute);
  p.Method("LoadSystemActionExecute", &TEmitterManForm::LoadSystemActionExecute);
  p.Method("SaveEmitterActionExecute", &TEmitterManForm::SaveEmitterActionExecute);
  p.Method("LoadEmitterActionExecute", &TEmitterManForm::LoadEmitterActionExecute);
  p.Method("CueButtonClick", &TEmitterManForm::CueButtonClick);
  p.Method("VisibilitySheetShow", &TEmitterManForm::VisibilitySheetShow);
  p.Method("VisibilitySheetHide", &TEmitterManForm::VisibilitySheetHide);
  p.Method("EmitterExtObjWriteBinary", &TEmitterManForm::EmitterExtObjWriteBinary);
  p.Method("EmitterExtObjReadBinary", &TEmitterManForm::EmitterExtObjReadBinary);
  p.Method("EmitterExtObjObjectDelete", &TEmitterManForm::EmitterExtObjObjectDelete);
  p.Method("EmitterExtObjObjectClone", &TEmitterManForm::EmitterExtObjObjectClone);
}

TEmitterManForm::TEmitterManForm(TComponent* AOwner) : TForm(AOwner) {
  // The form names the host object type's component.
  RegisterHostBridgeClasses();
  RegisterEditorKitClasses();
  ReadFormResource();
  FindComponents();

  PropsForm = new TPropsForm(this);
  EmbedForm(PropsForm, PropsFold->Client(), alClient);
  Pages.AddPage(PanelBlank);
  Pages.AddPage(PanelEmitter);
  Pages.AddPage(PropsForm);
  Pages.SetParent(PropsFold->Client());
  Pages.ShowPage(PanelBlank);

  TCustomImageList* images = EditorLinks().Images;
  EmittersTreeView->SetImages(images);
  EmittersTreeView->SetStateImages(images);
  TreeMenu->SetImages(images);

  EmitterExtObj->SetShape(EmitterWireShape());
  EmitterPageControl->SetActivePage(SettingsSheet);
  for (TOpenDialog* d : {OpenEmitterDialog, static_cast<TOpenDialog*>(SaveEmitterDialog), OpenSystemDialog,
                         static_cast<TOpenDialog*>(SaveSystemDialog)})
    StartInDataFolder(d);
  for (TOpenDialog* d : {static_cast<TOpenDialog*>(SaveEmitterDialog), static_cast<TOpenDialog*>(SaveSystemDialog)}) {
    TOpenOptions options = d->Options();
    options.Include(ofOverwritePrompt);
    d->SetOptions(options);
  }

  EditorLinks().EmitterPropsFold = PropsFold;
  WireEvents();
  SyncEngineList();
  UpdateUI();
}

TEmitterManForm::~TEmitterManForm() {
  StopPreview();
  // The renderer must not call back into a freed page.
  OnRenderProgress = nullptr;
  if (EditorLinks().EmitterPropsFold == PropsFold) EditorLinks().EmitterPropsFold = nullptr;
  if (EmitterExtObj) {
    EmitterExtObj->OnWriteBinary = nullptr;
    EmitterExtObj->OnReadBinary = nullptr;
    EmitterExtObj->OnObjectDelete = nullptr;
    EmitterExtObj->OnObjectClone = nullptr;
  }
  if (EmittersTreeView) {
    AttachTreeChange(false);
    EmittersTreeView->Items()->Clear();
  }
  // Nothing may show a system or a curve that is about to go.
  if (PropsForm) PropsForm->SetSystem(nullptr);
  if (PropsForm && PropsForm->CurveEditor) PropsForm->CurveEditor->SetSeries(nullptr);
  CurrentEmitter = nullptr;
  CurrentSystem = nullptr;
  EmitterObjects.clear();
  Emitters.clear();
}

void TEmitterManForm::FindComponents() {
  EmittersTreeView = FindFormPart<TTreeView>(this, "EmittersTreeView");
  TreeMenu = FindFormPart<TPopupMenu>(this, "TreeMenu");
  Splitter1 = FindFormPart<TSplitter>(this, "Splitter1");
  PropsFold = FindFormPart<TFpFoldPanel>(this, "PropsFold");
  PanelBlank = FindFormPart<TKitSimplePanel>(this, "PanelBlank");
  PanelEmitter = FindFormPart<TKitSimplePanel>(this, "PanelEmitter");
  EmitterPageControl = FindFormPart<TPageControl>(this, "EmitterPageControl");
  SettingsSheet = FindFormPart<TTabSheet>(this, "SettingsSheet");
  VisibilitySheet = FindFormPart<TTabSheet>(this, "VisibilitySheet");
  OffsetSpin = FindFormPart<TNumSpinEdit>(this, "OffsetSpin");
  FreezeSpin = FindFormPart<TNumSpinEdit>(this, "FreezeSpin");
  MoreBox = FindFormPart<TCheckBox>(this, "MoreBox");
  BiggerBox = FindFormPart<TCheckBox>(this, "BiggerBox");
  FasterBox = FindFormPart<TCheckBox>(this, "FasterBox");
  OlderBox = FindFormPart<TCheckBox>(this, "OlderBox");
  StrongerBox = FindFormPart<TCheckBox>(this, "StrongerBox");
  EmitterExtObj = FindFormPart<TTsxExtObj>(this, "EmitterExtObj");
  ActionList = FindFormPart<TActionList>(this, "ActionList");
  NewEmitterAction = FindFormPart<TAction>(this, "NewEmitterAction");
  DeleteEmitterAction = FindFormPart<TAction>(this, "DeleteEmitterAction");
  LoadEmitterAction = FindFormPart<TAction>(this, "LoadEmitterAction");
  SaveEmitterAction = FindFormPart<TAction>(this, "SaveEmitterAction");
  AddSystemAction = FindFormPart<TAction>(this, "AddSystemAction");
  DeleteSystemAction = FindFormPart<TAction>(this, "DeleteSystemAction");
  DupSystemAction = FindFormPart<TAction>(this, "DupSystemAction");
  LoadSystemAction = FindFormPart<TAction>(this, "LoadSystemAction");
  SaveSystemAction = FindFormPart<TAction>(this, "SaveSystemAction");
  OpenEmitterDialog = FindFormPart<TOpenDialog>(this, "OpenEmitterDialog");
  SaveEmitterDialog = FindFormPart<TSaveDialog>(this, "SaveEmitterDialog");
  OpenSystemDialog = FindFormPart<TOpenDialog>(this, "OpenSystemDialog");
  SaveSystemDialog = FindFormPart<TSaveDialog>(this, "SaveSystemDialog");
  CuePanels = {FindFormPart<TKitSimplePanel>(this, "TreeCuePanel"), FindFormPart<TKitSimplePanel>(this, "SettingsCuePanel"), FindFormPart<TKitSimplePanel>(this, "VisibilityCuePanel")};
}

void TEmitterManForm::WireEvents() {
  AttachTreeChange(false);
  AttachTreeChange(true);
  Splitter1->OnCanResize = [this](TObject* s, Integer& size, bool& accept) { Splitter1CanResize(s, size, accept); };
  Splitter1->OnMoved = [this](TObject* s) { Splitter1Moved(s); };
  PropsFold->BeforeCollaps = [this](TObject* s) { PropsFoldBeforeCollaps(s); };
  PropsFold->AfterCollaps = [this](TObject* s) { PropsFoldAfterCollaps(s); };
  PropsFold->BeforeExpand = [this](TObject* s) { PropsFoldBeforeExpand(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
}

void TEmitterManForm::AttachTreeChange(bool Attach) {
  if (Attach) {
    if (treeChangeOff_ > 0) --treeChangeOff_;
  } else {
    ++treeChangeOff_;
  }
  if (treeChangeOff_ == 0)
    EmittersTreeView->OnChange = [this](TObject* s, TTreeNode* n) { EmittersTreeViewChange(s, n); };
  else
    EmittersTreeView->OnChange = nullptr;
}

void TEmitterManForm::StopPreview() { Running = false; }

void TEmitterManForm::SyncEngineList() {
  EmitterObjects.clear();
  for (const auto& e : Emitters) EmitterObjects.push_back(e.get());
}

void TEmitterManForm::SetCurrentSystem(TEmitter* System) {
  CurrentSystem = System;
  if (PropsForm && PropsForm->System() != System) PropsForm->SetSystem(System);
}

void TEmitterManForm::ReportError(const std::string& Text) { MessageDlg(Text, mtError, {mbOK}, 0); }

// ---- enabling ----

void TEmitterManForm::UpdateUI() {
  if (!CurrentEmitter) {
    Pages.ShowPage(PanelBlank);
    SetCurrentSystem(nullptr);
    PropsForm->ParentGraphToPropertyPage();
  } else if (CurrentSystem) {
    Pages.ShowPage(PropsForm);
    // The curve editor may still sit on the Visibility sheet.
    PropsForm->ParentGraphToPropertyPage();
  } else {
    SetCurrentSystem(nullptr);
    ShowEmitterSettings();
    Pages.ShowPage(PanelEmitter);
    CurveEditorToVisibility();
  }
  // One set of rules enables the commands and tells a script what a disabled one waits for.
  for (TAction* action : {AddSystemAction, DeleteEmitterAction, LoadEmitterAction, SaveEmitterAction,
                          DeleteSystemAction, DupSystemAction, LoadSystemAction, SaveSystemAction})
    action->SetEnabled(WhatActionNeeds(action).empty());
}

std::string TEmitterManForm::WhatActionNeeds(const TBasicAction* Action) const {
  auto is = [Action](std::initializer_list<const TAction*> actions) {
    return std::find(actions.begin(), actions.end(), Action) != actions.end();
  };
  const bool emitterCommand = is({DeleteEmitterAction, LoadEmitterAction, SaveEmitterAction});
  if (!CurrentEmitter && (emitterCommand || Action == AddSystemAction))
    return "no emitter is selected (New Emitter makes and selects one)";
  if (CurrentSystem && emitterCommand)
    return "a particle system is selected, not its emitter (New Emitter selects the emitter it makes)";
  if (!(CurrentEmitter && CurrentSystem) && is({DeleteSystemAction, DupSystemAction, LoadSystemAction, SaveSystemAction}))
    return "no particle system is selected (Add Particle System adds and selects one)";
  return {};
}

// ---- the emitter's settings ----

void TEmitterManForm::ShowEmitterSettings() {
  if (!CurrentEmitter) return;
  BeginUpdateCount(this);
  OffsetSpin->SetValue(CurrentEmitter->StartOffset);
  FreezeSpin->SetValue(CurrentEmitter->FreezeFrame);
  EndUpdateCount(this);
  PropsForm->CurveEditor->SetSeries(CurrentEmitter->Activity.get());
  ShowAutoScale();
}

void TEmitterManForm::ShowAutoScale() {
  if (!CurrentEmitter) return;
  BeginUpdateCount(this);
  MoreBox->SetCheckedValue((CurrentEmitter->RateSizeScale & ssRate) != 0);
  BiggerBox->SetCheckedValue((CurrentEmitter->RateSizeScale & ssSize) != 0);
  FasterBox->SetCheckedValue((CurrentEmitter->SpeedLifeGravityScale & ssSpeed) != 0);
  OlderBox->SetCheckedValue((CurrentEmitter->SpeedLifeGravityScale & ssLifespan) != 0);
  StrongerBox->SetCheckedValue((CurrentEmitter->SpeedLifeGravityScale & ssGravity) != 0);
  EndUpdateCount(this);
}

void TEmitterManForm::ScalarBoxClick(TObject*) {
  if (IsUpdating(this) || !CurrentEmitter) return;
  Byte rateSize = 0;
  Byte speedLifeGravity = 0;
  if (MoreBox->Checked()) rateSize |= ssRate;
  if (BiggerBox->Checked()) rateSize |= ssSize;
  if (FasterBox->Checked()) speedLifeGravity |= ssSpeed;
  if (OlderBox->Checked()) speedLifeGravity |= ssLifespan;
  if (StrongerBox->Checked()) speedLifeGravity |= ssGravity;
  CurrentEmitter->RateSizeScale = rateSize;
  CurrentEmitter->SpeedLifeGravityScale = speedLifeGravity;
}

void TEmitterManForm::OffsetSpinChange(TObject*) {
  if (IsUpdating(this) || !CurrentEmitter) return;
  CurrentEmitter->StartOffset = static_cast<Integer>(OffsetSpin->Value());
}

void TEmitterManForm::FreezeSpinChange(TObject*) {
  if (IsUpdating(this) || !CurrentEmitter) return;
  CurrentEmitter->FreezeFrame = static_cast<Integer>(FreezeSpin->Value());
}

void TEmitterManForm::CurveEditorToVisibility() {
  if (!CurrentEmitter) return;
  TVarChartForm* editor = PropsForm->CurveEditor;
  editor->SetParent(VisibilitySheet);
  editor->SetAlign(alClient);
  editor->SetSeries(CurrentEmitter->Activity.get());
}

void TEmitterManForm::VisibilitySheetShow(TObject*) {
  if (CurrentEmitter && !CurrentSystem) CurveEditorToVisibility();
}

void TEmitterManForm::VisibilitySheetHide(TObject*) { PropsForm->ParentGraphToPropertyPage(); }

// ---- layout ----

void TEmitterManForm::Splitter1CanResize(TObject*, Integer& NewSize, bool& Accept) {
  Accept = !PropsFold->IsCollapsed() && NewSize >= kMinFoldHeight;
}

void TEmitterManForm::Splitter1Moved(TObject*) {
  if (TFpFoldPanel* tools = EditorLinks().ToolPropsFold) {
    tools->SetHeight(PropsFold->Height());
    // A hidden toolbox has not been sized to the window yet: it fits its fold when shown.
    if (tools->Showing()) FitFoldBeside(tools);
  }
}

void TEmitterManForm::FormResize(TObject*) {
  const Integer height = ClientHeight();
  const Integer grown = lastHeight_ < 0 ? 0 : height - lastHeight_;
  lastHeight_ = height;
  // Not while the window is made or a fold changes the window's height for itself.
  if (grown == 0 || !Showing() || PropsFold->IsCollapsed()) return;
  // Halves of the whole growth (rounded down), so that growing and shrinking back come out even.
  const Integer before = grownTotal_ >> 1;
  grownTotal_ += grown;
  PropsFold->SetHeight(std::max(kMinFoldHeight, PropsFold->Height() + (grownTotal_ >> 1) - before));
  KeepTreeInReach();
}

void TEmitterManForm::KeepTreeInReach() {
  FitFoldBeside(PropsFold);
  Splitter1Moved(this);
}

void TEmitterManForm::PropsFoldBeforeCollaps(TObject* Sender) { CallLink(EditorLinks().FoldBeforeCollapse, Sender); }

void TEmitterManForm::PropsFoldAfterCollaps(TObject* Sender) {
  CallLink(EditorLinks().FoldAfterCollapse, Sender);
  if (TFpFoldPanel* tools = EditorLinks().ToolPropsFold) tools->Collapse();
}

void TEmitterManForm::PropsFoldBeforeExpand(TObject* Sender) {
  CallLink(EditorLinks().FoldBeforeExpand, Sender);
  if (TFpFoldPanel* tools = EditorLinks().ToolPropsFold) tools->Expand();
}

// ---- buttons that reach the main window ----

void TEmitterManForm::PropertiesButtonClick(TObject*) {
  if (CurrentEmitter) Pages.ShowPage(PropsForm);
}

void TEmitterManForm::ToolboxButtonClick(TObject*) { CallLink(EditorLinks().ShowToolbox); }

void TEmitterManForm::CueButtonClick(TObject*) { CallLink(EditorLinks().ToggleCues); }

// ---- render ----

void TEmitterManForm::RenderBegin() {
  RandSeed = 1513;
  OnRenderProgress = [this](Integer Percent) { RenderProgress(Percent); };
  for (const auto& e : Emitters) e->PreRoll();
}

void TEmitterManForm::RenderAll(TParticleRenderer& Renderer) {
  for (const auto& e : Emitters) e->PrepareRender(Renderer);
}

void TEmitterManForm::RenderProgress(Integer Percent) {
  if (Percent % kProgressStep != 0) return;
  if (!EditorLinks().ShowRenderProgress) return;
  const std::string position = std::to_string(Percent);
  EditorLinks().ShowRenderProgress(Percent, "Rendering " + position + "% Complete", position + "%");
}

void TEmitterManForm::ShowFrame(Integer Frame) {
  if (!CurrentEmitter || !PropsForm || !PropsForm->CurveEditor) return;
  TVarChartForm* editor = PropsForm->CurveEditor;
  const TVarSeries* shown = editor->Series();
  if (!shown || shown->XMode != xmFrames) return;
  editor->ShowFrame(CurrentEmitter->FrameToLocal(static_cast<Single>(Frame)));
}
