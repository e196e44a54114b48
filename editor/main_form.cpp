#include "editor/main_form.h"

#include <algorithm>
#include <string>
#include <vector>

#include "bitmaps/image32.h"
#include "controlkit/kit_meter.h"
#include "controlkit/kit_speed_button.h"
#include "controlkit/kit_status_bar.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/emitter_man_form.h"
#include "editor/main_images.h"
#include "editor/particle_maps_form.h"
#include "editor/props_form.h"
#include "editor/shuttle_form.h"
#include "editor/tool_props_form.h"
#include "editor/toolbox_form.h"
#include "engine/bitmap32_cache.h"
#include "engine/editor_state.h"
#include "engine/particle_renderer.h"
#include "hostbridge/fpu_state.h"
#include "hostbridge/global_shader.h"
#include "hostbridge/ts_events.h"
#include "hostbridge/tsx.h"
#include "hostbridge/tsx_ext_obj.h"
#include "hostbridge/tsx_module.h"
#include "panels/fold_panel.h"
#include "panels/push_button.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/application.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/sysutils.h"

TMainForm* MainForm = nullptr;

namespace {

// The draw mode the combo shows at every load (Wire Boxes).
constexpr Byte kInitialDrawMode = 1;

// A caption as the user reads it: "&&" is an ampersand, a single '&' marks the key.
std::string PlainCaption(const std::string& Caption) {
  std::string out;
  for (std::size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] != '&') {
      out += Caption[i];
    } else if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

std::vector<std::string> SplitPath(const std::string& Path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : Path) {
    if (c == '/') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

void SetCuePanels(const std::vector<TWinControl*>& Panels, bool Visible, bool LastToBottom) {
  // From the last to the first: a card shown where another card already is goes before
  // it, so cards aligned one under the other come back in their order.
  for (auto it = Panels.rbegin(); it != Panels.rend(); ++it)
    if (*it) (*it)->SetVisible(Visible);
  if (LastToBottom && !Panels.empty() && Panels.back()) Panels.back()->SetTop(9999);
}

}  // namespace

const TClass& TMainForm::StaticClass() {
  static const TClass cls = TClass::Of<TMainForm>("TMainForm", TTsOwnedForm::StaticClass(), &TMainForm::Publish);
  return cls;
}

void TMainForm::Publish(TPublished& published) {
  auto p = published.For<TMainForm>();
  p.Method("TsxPlugInit", &TMainForm::TsxPlugInit);
  p.Method("TsxLeftClick", &TMainForm::TsxLeftClick);
  p.Method("TsxDeactivate", &TMainForm::TsxDeactivate);
  p.Method("TsEventsRenderBegin", &TMainForm::TsEventsRenderBegin);
  p.Method("TsEventsRenderEnd", &TMainForm::TsEventsRenderEnd);
  p.Method("TsxGlobalShaderPostProcess", &TMainForm::TsxGlobalShaderPostProcess);
  p.Method("FormClose", &TMainForm::FormClose);
  p.Method("FormShow", &TMainForm::FormShow);
  p.Method("PreviewButtonClick", &TMainForm::PreviewButtonClick);
  p.Method("StartAnimateActionExecute", &TMainForm::StartAnimateActionExecute);
  p.Method("StopAnimateActionExecute", &TMainForm::StopAnimateActionExecute);
  p.Method("RewindButtonClick", &TMainForm::RewindButtonClick);
  p.Method("DrawModeBoxChange", &TMainForm::DrawModeBoxChange);
  p.Method("EnableRenderingActionExecute", &TMainForm::EnableRenderingActionExecute);
  p.Method("ShowRenderingSlow1Click", &TMainForm::ShowRenderingSlow1Click);
  p.Method("DepthDithering1Click", &TMainForm::DepthDithering1Click);
  p.Method("PreviewOptionClick", &TMainForm::PreviewOptionClick);
  p.Method("TabControl1Change", &TMainForm::TabControl1Change);
  p.Method("ToolboxButtonClick", &TMainForm::ToolboxButtonClick);
  p.Method("ToggleCuesActionExecute", &TMainForm::ToggleCuesActionExecute);
  p.Method("CueButtonClick", &TMainForm::CueButtonClick);
  p.Method("ContentsTopics1Click", &TMainForm::ContentsTopics1Click);
  p.Method("ShrinkButtonClick", &TMainForm::ShrinkButtonClick);
  p.Method("FoldBeforeCollaps", &TMainForm::FoldBeforeCollaps);
  p.Method("FoldAfterCollaps", &TMainForm::FoldAfterCollaps);
  p.Method("FoldBeforeExpand", &TMainForm::FoldBeforeExpand);
}

TMainForm::TMainForm(TComponent* AOwner) : TTsOwnedForm(AOwner) {
  RegisterEditorKitClasses();
  ReadFormResource();
  PreviewButton = FindFormPart<TFpPushButton>(this, "PreviewButton");
  RewindButton = FindFormPart<TFpPushButton>(this, "RewindButton");
  ShrinkButton = FindFormPart<TKitSpeedButton>(this, "ShrinkButton");
  DrawModeBox = FindFormPart<TComboBox>(this, "DrawModeBox");
  RenderBox = FindFormPart<TCheckBox>(this, "RenderBox");
  RenderProgress = FindFormPart<TKitProgress>(this, "RenderProgress");
  StatusBar = FindFormPart<TKitStatusBar>(this, "StatusBar");
  TabControl1 = FindFormPart<TTabControl>(this, "TabControl1");
  Tsx = FindFormPart<TTsx>(this, "Tsx");
  TsEvents = FindFormPart<TTsEvents>(this, "TsEvents");
  TsxGlobalShader = FindFormPart<TTsxGlobalShader>(this, "TsxGlobalShader");
  ActionList = FindFormPart<TActionList>(this, "ActionList");
  StartAnimateAction = FindFormPart<TAction>(this, "StartAnimateAction");
  StopAnimateAction = FindFormPart<TAction>(this, "StopAnimateAction");
  EnableRenderingAction = FindFormPart<TAction>(this, "EnableRenderingAction");
  ToggleCuesAction = FindFormPart<TAction>(this, "ToggleCuesAction");
  MainMenu = FindFormPart<TMainMenu>(this, "MainMenu");
  DepthDithering1 = FindFormPart<TMenuItem>(this, "DepthDithering1");
  ShowRenderingSlow1 = FindFormPart<TMenuItem>(this, "ShowRenderingSlow1");
  AnimateObjects1 = FindFormPart<TMenuItem>(this, "AnimateObjects1");
  WireframeAlphaHints1 = FindFormPart<TMenuItem>(this, "WireframeAlphaHints1");
  // The kit's defaults draw the old frame and a grip beside the meter.
  StatusBar->SetOldStyle(false);
  StatusBar->SetSizeGrip(false);
  MainForm = this;
  FormCreate(this);
}

TMainForm::~TMainForm() {
  ReleaseHostAndEngine();
  // The pages go with the components; nothing they do on the way reaches this form.
}

void TMainForm::FormCreate(TObject*) {
  ClearFpuState();
  if (auto* image = dynamic_cast<TImage32*>(FindComponent("Image321"))) delete image;
  OnTextureNotFound = [this](std::string& FileName) { TextureNotFound(FileName); };
  renderer_ = std::make_unique<TParticleRenderer>();
  Images = CreateMainImages(this);
  Images->SetName("Images");
  // The pages reach this window only through the links: they must be set first.
  SetEditorLinks();
  EmitterManForm = new TEmitterManForm(this);
  EmbedForm(EmitterManForm, this, alClient);
  ToolboxForm = new TToolboxForm(this);
  EmbedForm(ToolboxForm, this, alClient);
  ToolboxForm->Hide();
  ShuttleForm = new TShuttleForm(this);
  ShuttleForm->SetCaption(Caption());
  BindPageCommands();
  SetEngineCallbacks();
  PreviewDrawMode = kInitialDrawMode;
  DrawModeBox->SetItemIndex(kInitialDrawMode);
}

void TMainForm::SetEditorLinks() {
  TEditorLinks& links = EditorLinks();
  links.PlayClick = [this](TObject* Sender) { PreviewButtonClick(Sender); };
  links.RewindClick = [this](TObject* Sender) { RewindButtonClick(Sender); };
  links.ToggleCues = [this] { ToggleCuesActionExecute(this); };
  links.ShowToolbox = [this] { ToolboxButtonClick(this); };
  links.ShowRenderProgress = [this](Integer Position, const std::string& MainCaption,
                                    const std::string& ControlCaption) {
    ShowRenderProgress(Position, MainCaption, ControlCaption);
  };
  links.FoldBeforeCollapse = [this](TObject* Sender) { FoldBeforeCollaps(Sender); };
  links.FoldAfterCollapse = [this](TObject* Sender) { FoldAfterCollaps(Sender); };
  links.FoldBeforeExpand = [this](TObject* Sender) { FoldBeforeExpand(Sender); };
  links.Images = Images;
}

void TMainForm::SetEngineCallbacks() {
  OnMainStatusText = [this](const std::string& Text) { StatusBar->SetSimpleText(Text); };
  OnControlStatusText = [this](const std::string& Text) {
    if (ShuttleForm) ShuttleForm->StatusBar->SetSimpleText(Text);
  };
  OnPreviewFrame = [this](Integer Frame) {
    if (EmitterManForm) EmitterManForm->ShowFrame(Frame);
    if (ToolboxForm && ToolboxForm->ToolPropsForm) ToolboxForm->ToolPropsForm->ShowFrame(Frame);
  };
  DepthDithering = DepthDithering1->Checked();
  AnimateObjects = AnimateObjects1->Checked();
  WireframeAlphaHints = WireframeAlphaHints1->Checked();
  renderer_->ShowScanlines = ShowRenderingSlow1->Checked();
}

void TMainForm::BindPageCommands() {
  const std::pair<const char*, TAction*> commands[] = {
      {"NewEmitter1", EmitterManForm->NewEmitterAction},
      {"DeleteEmitter1", EmitterManForm->DeleteEmitterAction},
      {"LoadEmitterSettings1", EmitterManForm->LoadEmitterAction},
      {"SaveEmitterSettings1", EmitterManForm->SaveEmitterAction},
      {"AddParticleSystem1", EmitterManForm->AddSystemAction},
      {"DeleteParticleSystem1", EmitterManForm->DeleteSystemAction},
      {"DuplicateParticleSystem1", EmitterManForm->DupSystemAction},
      {"LoadSystemSettings1", EmitterManForm->LoadSystemAction},
      {"SaveSystemSettings1", EmitterManForm->SaveSystemAction},
      {"NewDeflector1", ToolboxForm->NewDeflectorAction},
      {"NewAttractor1", ToolboxForm->NewAttractorAction},
      {"NewRepulsor1", ToolboxForm->NewRepulsorAction},
      {"NewGravitron1", ToolboxForm->NewGravitronAction},
      {"NewFan1", ToolboxForm->NewFanAction},
      {"NewLeader1", ToolboxForm->NewLeaderAction},
  };
  for (const auto& [name, action] : commands) {
    TMenuItem* item = FindFormPart<TMenuItem>(this, name);
    // The menu keeps its own words; the page's action decides what runs and when.
    const std::string caption = item->Caption();
    if (action) item->SetAction(action);
    item->SetCaption(caption);
  }
}

void TMainForm::ReleaseHostAndEngine() {
  if (released_) return;
  released_ = true;
  Running = false;
  Rewind = false;
  TTsxModuleState& module = TsxModule();
  module.PlugInit = nullptr;
  module.LeftClick = nullptr;
  module.RightClick = nullptr;
  module.Deactivate = nullptr;
  if (TsEvents) TsEvents->SetActive(false);
  if (TsxGlobalShader && TsxGlobalShader->PostProcessActive()) TsxGlobalShader->SetPostProcessActive(false);
  EditorLinks() = TEditorLinks{};
  OnMainStatusText = nullptr;
  OnControlStatusText = nullptr;
  OnPreviewFrame = nullptr;
  OnRenderProgress = nullptr;
  OnTextureNotFound = nullptr;
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::Notification(TComponent* AComponent, TOperation Operation) {
  TTsOwnedForm::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  if (AComponent == EmitterManForm) EmitterManForm = nullptr;
  if (AComponent == ToolboxForm) ToolboxForm = nullptr;
  if (AComponent == ShuttleForm) ShuttleForm = nullptr;
  if (AComponent == Images) {
    Images = nullptr;
    if (!released_) EditorLinks().Images = nullptr;
  }
}

// ---- host-facing handlers ---------------------------------------------------------------------

void TMainForm::TsxPlugInit() {
  // The host numbers the types in the order they are defined.
  if (EmitterManForm && EmitterManForm->EmitterExtObj) EmitterManForm->EmitterExtObj->Define();
  if (ToolboxForm) {
    for (TTsxExtObj* e : {ToolboxForm->DeflectorExtObj, ToolboxForm->FanExtObj, ToolboxForm->AttractorExtObj,
                          ToolboxForm->RepulsorExtObj, ToolboxForm->LeaderExtObj, ToolboxForm->GravitronExtObj})
      if (e) e->Define();
  }
  TsEvents->SetActive(true);
}

Integer TMainForm::TsxLeftClick() {
  if (firstClick_) {
    EnableRenderingAction->Execute();
    firstClick_ = false;
  }
  if (!ShuttleForm || !ShuttleForm->Visible()) {
    Show();
    if (WindowState() == wsMinimized) SetWindowState(wsNormal);
  } else if (ShuttleForm->WindowState() == wsMinimized) {
    ShuttleForm->SetWindowState(wsNormal);
  }
  return 0;
}

void TMainForm::TsxDeactivate() {}

// ---- switches -------------------------------------------------------------------------------------

void TMainForm::EnableRenderingActionExecute(TObject*) {
  EnableRenderingAction->SetChecked(!EnableRenderingAction->Checked());
  TsxGlobalShader->SetPostProcessActive(EnableRenderingAction->Checked());
  // The host may refuse: the check shows what is really registered.
  EnableRenderingAction->SetChecked(TsxGlobalShader->PostProcessActive());
}

void TMainForm::DrawModeBoxChange(TObject*) {
  PreviewDrawMode = static_cast<Byte>(std::clamp<Integer>(DrawModeBox->ItemIndex(), 0, 4));
}

void TMainForm::ShowRenderingSlow1Click(TObject*) {
  ShowRenderingSlow1->SetChecked(!ShowRenderingSlow1->Checked());
  renderer_->ShowScanlines = ShowRenderingSlow1->Checked();
}

void TMainForm::DepthDithering1Click(TObject*) {
  DepthDithering1->SetChecked(!DepthDithering1->Checked());
  DepthDithering = DepthDithering1->Checked();
}

void TMainForm::PreviewOptionClick(TObject* Sender) {
  if (auto* item = dynamic_cast<TMenuItem*>(Sender)) item->SetChecked(!item->Checked());
  AnimateObjects = AnimateObjects1->Checked();
  WireframeAlphaHints = WireframeAlphaHints1->Checked();
}

// ---- texture files --------------------------------------------------------------------------------

void TMainForm::TextureNotFound(std::string& FileName) {
  const std::string name = FileName;
  if (SameText(name, "Default")) return;
  const std::string part = ExtractFileName(name);
  FileName = DataFolder() + part;
  if (FileExists(FileName)) return;
  FileName = "Default";
  const std::string question =
      "Could not find the texture file: \"" + part + "\".\r\rWould you like to locate it manually?";
  if (MessageDlg(question, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes) return;
  TOpenPictureDialog* dialog = nullptr;
  if (EmitterManForm && EmitterManForm->PropsForm && EmitterManForm->PropsForm->MapsForm)
    dialog = EmitterManForm->PropsForm->MapsForm->PictureDialog;
  if (!dialog) return;
  dialog->SetFileName(part);
  if (!dialog->Execute()) return;
  FileName = dialog->FileName();
  dialog->SetInitialDir(ExtractFilePath(FileName));
}

// ---- windows and panels ---------------------------------------------------------------------------

void TMainForm::TabControl1Change(TObject*) {
  const bool tools = TabControl1->TabIndex() == 1;
  if (tools) {
    if (EmitterManForm) EmitterManForm->Hide();
    if (ToolboxForm) ToolboxForm->Show();
  } else {
    if (ToolboxForm) ToolboxForm->Hide();
    if (EmitterManForm) EmitterManForm->Show();
  }
}

void TMainForm::ToolboxButtonClick(TObject* Sender) {
  TabControl1->SetTabIndex(1);
  TabControl1Change(Sender);
}

void TMainForm::ShrinkButtonClick(TObject*) {
  if (!ShuttleForm) return;
  ShuttleForm->SetLeft(Left());
  ShuttleForm->SetTop(Top());
  Hide();
  ShuttleForm->Show();
}

void TMainForm::FoldBeforeCollaps(TObject* Sender) {
  if (auto* fold = dynamic_cast<TControl*>(Sender)) foldHeights_[Sender] = fold->Height();
}

void TMainForm::FoldAfterCollaps(TObject* Sender) {
  auto* fold = dynamic_cast<TControl*>(Sender);
  auto it = foldHeights_.find(Sender);
  if (!fold || it == foldHeights_.end()) return;
  const Integer d = std::max<Integer>(0, it->second - fold->Height());
  foldTaken_[Sender] = d;
  // The minimum first, or the height could not go below it.
  Constraints()->SetMinHeight(std::max<Integer>(0, Constraints()->MinHeight() - d));
  SetHeight(Height() - d);
}

void TMainForm::FoldBeforeExpand(TObject* Sender) {
  auto it = foldTaken_.find(Sender);
  if (it == foldTaken_.end()) return;
  const Integer d = it->second;
  foldTaken_.erase(it);
  SetHeight(Height() + d);
  Constraints()->SetMinHeight(Constraints()->MinHeight() + d);
}

void TMainForm::ToggleCuesActionExecute(TObject*) {
  if (!EmitterManForm || !EmitterManForm->PropsForm) return;
  TPropsForm* props = EmitterManForm->PropsForm;
  if (props->CuePanels.empty() || !props->CuePanels.front()) return;
  const bool show = !props->CuePanels.front()->Visible();
  SetCuePanels(props->CuePanels, show, true);
  SetCuePanels(EmitterManForm->CuePanels, show, false);
  if (ToolboxForm && ToolboxForm->ToolPropsForm) SetCuePanels(ToolboxForm->ToolPropsForm->CuePanels, show, true);
  if (props->MapsForm) SetCuePanels(props->MapsForm->CuePanels, show, false);
  // A cue card shown again takes its height from the tree above the fold.
  EmitterManForm->KeepTreeInReach();
}

void TMainForm::CueButtonClick(TObject*) { ToggleCuesAction->Execute(); }

void TMainForm::ContentsTopics1Click(TObject*) {
  if (Application) Application->HelpCommand(HELP_FINDER, 0);
}

void TMainForm::FormShow(TObject*) {
  if (EmitterManForm && EmitterManForm->PropsFold) EmitterManForm->PropsFold->Collapse();
}

void TMainForm::FormClose(TObject*, TCloseAction&) { StopAnimateAction->Execute(); }

void TMainForm::ShowRenderProgress(Integer Position, const std::string& MainCaption,
                                   const std::string& ControlCaption) {
  RenderProgress->SetPosition(Position);
  RenderProgress->SetCaption(MainCaption);
  if (ShuttleForm) {
    ShuttleForm->RenderProgress->SetPosition(Position);
    ShuttleForm->RenderProgress->SetCaption(ControlCaption);
  }
}

namespace {

void AddCommandPaths(TMenuItem* Level, const std::string& Prefix, std::vector<std::string>& Paths) {
  for (Integer i = 0; i < Level->Count(); ++i) {
    TMenuItem* item = Level->Items(i);
    if (item->IsLine()) continue;
    const std::string path = Prefix + PlainCaption(item->Caption());
    if (item->Count() > 0) AddCommandPaths(item, path + "/", Paths);
    else if (!Prefix.empty()) Paths.push_back(path);
  }
}

}  // namespace

std::vector<std::string> TMainForm::MenuCommandPaths() const {
  std::vector<std::string> paths;
  if (MainMenu) AddCommandPaths(MainMenu->Items(), "", paths);
  return paths;
}

std::string TMainForm::WhatCommandNeeds(TMenuItem* Item) const {
  return Item && EmitterManForm ? EmitterManForm->WhatActionNeeds(Item->Action()) : std::string();
}

TMenuItem* TMainForm::FindMenuItem(const std::string& Path) const {
  TMenuItem* level = MainMenu->Items();
  TMenuItem* found = nullptr;
  for (const std::string& part : SplitPath(Path)) {
    if (!level) return nullptr;
    found = nullptr;
    for (Integer i = 0; i < level->Count(); ++i) {
      TMenuItem* item = level->Items(i);
      if (!item->IsLine() && PlainCaption(item->Caption()) == part) {
        found = item;
        break;
      }
    }
    if (!found) return nullptr;
    level = found;
  }
  return found;
}
