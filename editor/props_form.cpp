#include "editor/props_form.h"

#include <cfenv>
#include <cmath>

#include "controlkit/kit_control_base.h"
#include "controlkit/kit_labels.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/particle_maps_form.h"
#include "editor/props_tree.h"
#include "editor/var_chart_form.h"
#include "engine/emitter_object.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "panels/num_spin_edit.h"
#include "panels/push_button.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_treeview.h"

namespace {

const char* const kNoSystem = "(no system)";

// The classes the form resource names.
const bool kPropsClassesRegistered = [] {
  RegisterClasses({&TPropsForm::StaticClass(), &TPanel::StaticClass(), &TLabel::StaticClass(),
                   &TFpPushButton::StaticClass(), &TTreeView::StaticClass(), &TPageControl::StaticClass(),
                   &TTabSheet::StaticClass(), &TNumSpinEdit::StaticClass(), &TComboBox::StaticClass(),
                   &TSpeedButton::StaticClass()});
  return true;
}();

}  // namespace

const TClass& TPropsForm::StaticClass() {
  static const TClass cls = TClass::Of<TPropsForm>("TPropsForm", TForm::StaticClass(), &TPropsForm::Publish);
  return cls;
}

void TPropsForm::Publish(TPublished& published) {
  auto p = published.For<TPropsForm>();
  p.Method("PropsTreeChange", &TPropsForm::PropsTreeChange);
  p.Method("PropJitterPagesChange", &TPropsForm::PropJitterPagesChange);
  p.Method("SysLifeSpanSpinChange", &TPropsForm::SysLifeSpanSpinChange);
  p.Method("SysLivesSpinChange", &TPropsForm::SysLivesSpinChange);
  p.Method("RenderComboChange", &TPropsForm::RenderComboChange);
  p.Method("RadiusSpinChange", &TPropsForm::RadiusSpinChange);
  p.Method("EmitterShapeComboChange", &TPropsForm::EmitterShapeComboChange);
  p.Method("FocusShapeComboChange", &TPropsForm::FocusShapeComboChange);
  p.Method("PreviewButtonClick", &TPropsForm::PreviewButtonClick);
  p.Method("RewindButtonClick", &TPropsForm::RewindButtonClick);
  p.Method("CueButtonClick", &TPropsForm::CueButtonClick);
}

TPropsForm::TPropsForm(TComponent* AOwner) : TForm(AOwner) {
  (void)kPropsClassesRegistered;
  RegisterEditorKitClasses();
  ReadFormResource();
  SystemLabel = FindFormPart<TKitSimpleLabel>(this, "SystemLabel");
  PropsTree = FindFormPart<TTreeView>(this, "PropsTree");
  PropPages = FindFormPart<TPageControl>(this, "PropPages");
  SystemSheet = FindFormPart<TTabSheet>(this, "SystemSheet");
  ParticleSheet = FindFormPart<TTabSheet>(this, "ParticleSheet");
  AnimationSheet = FindFormPart<TTabSheet>(this, "AnimationSheet");
  RenderSheet = FindFormPart<TTabSheet>(this, "RenderSheet");
  SettingSheet = FindFormPart<TTabSheet>(this, "SettingSheet");
  PropJitterPages = FindFormPart<TPageControl>(this, "PropJitterPages");
  PropertySheet = FindFormPart<TTabSheet>(this, "PropertySheet");
  JitterSheet = FindFormPart<TTabSheet>(this, "JitterSheet");
  SysLifeSpanSpin = FindFormPart<TNumSpinEdit>(this, "SysLifeSpanSpin");
  SysLivesSpin = FindFormPart<TNumSpinEdit>(this, "SysLivesSpin");
  EmitterShapeCombo = FindFormPart<TComboBox>(this, "EmitterShapeCombo");
  RadiusSpin = FindFormPart<TNumSpinEdit>(this, "RadiusSpin");
  FocusShapeCombo = FindFormPart<TComboBox>(this, "FocusShapeCombo");
  RenderCombo = FindFormPart<TComboBox>(this, "RenderCombo");
  RenderMapsPanel = FindFormPart<TKitSimplePanel>(this, "RenderMapsPanel");
  PreviewButton = FindFormPart<TFpPushButton>(this, "PreviewButton");
  RewindButton = FindFormPart<TFpPushButton>(this, "RewindButton");
  CuePanels = {FindFormPart<TKitSimplePanel>(this, "SystemCuePanel"), FindFormPart<TKitSimplePanel>(this, "ParticleCuePanel"), FindFormPart<TKitSimplePanel>(this, "PropsCuePanel")};
  FormCreate(this);
}

TPropsForm::~TPropsForm() {
  // The tree's last change events must not reach a half-destroyed form.
  if (PropsTree) PropsTree->OnChange = nullptr;
  if (PropJitterPages) PropJitterPages->OnChange = nullptr;
}

void TPropsForm::FormCreate(TObject*) {
  CurveEditor = new TVarChartForm(this);
  EmbedForm(CurveEditor, PropertySheet, alClient);
  MapsForm = new TParticleMapsForm(this);
  EmbedForm(MapsForm, RenderMapsPanel, alClient);
  RenderCombo->SetItemIndex(0);
  BuildTree();
  PropsTree->FullExpand();
  PropsTree->SetSelected(NodeAt(0));
}

void TPropsForm::BuildTree() {
  TTreeNodes* items = PropsTree->Items();
  items->BeginUpdate();
  items->Clear();
  nodes_.clear();
  for (Integer i = 0; i < kPropsNodeCount; ++i) {
    const TPropsNode* n = PropsNode(i);
    TTreeNode* node = n->Parent < 0 ? items->Add(nullptr, n->Text) : items->AddChild(nodes_[n->Parent], n->Text);
    nodes_.push_back(node);
  }
  items->EndUpdate();
}

TTreeNode* TPropsForm::NodeAt(Integer Index) const {
  if (Index < 0 || Index >= static_cast<Integer>(nodes_.size())) return nullptr;
  return nodes_[Index];
}

Integer TPropsForm::SelectedIndex() const {
  TTreeNode* selected = PropsTree ? PropsTree->Selected() : nullptr;
  for (Integer i = 0; i < static_cast<Integer>(nodes_.size()); ++i)
    if (nodes_[i] == selected) return i;
  return -1;
}

void TPropsForm::SetSystem(TEmitter* s) {
  system_ = s;
  const Integer selected = SelectedIndex();
  SelectProperty(selected >= 0 ? selected : 0);
  ShowSystemName();
  FillControls();
  MapsForm->SetSystem(s);
  MapsForm->LoadFromSystem();
}

void TPropsForm::ShowSystemName() {
  const TEmitter* s = system_;
  SystemLabel->SetCaption(s ? (s->Owner ? s->Owner->Name : std::string()) + " - " + s->Name : kNoSystem);
}

void TPropsForm::FillControls() {
  if (!system_) return;
  BeginUpdateCount(updating_);
  try {
    SysLifeSpanSpin->SetValue(system_->System->LoopPeriod);
    SysLivesSpin->SetValue(system_->System->LoopCount);
    ShowItem(RenderCombo, system_->System->RenderMode);
    RadiusSpin->SetValue(system_->Emitter->Radius);
    ShowItem(EmitterShapeCombo, system_->Emitter->Shape);
    ShowItem(FocusShapeCombo, system_->Emitter->FocusShape);
  } catch (...) {
    EndUpdateCount(updating_);
    throw;
  }
  EndUpdateCount(updating_);
}

void TPropsForm::SelectProperty(Integer Index) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const TPropsNode* node = PropsNode(Index);
  if (!system_ || !node) {
    // Nothing to show; keep no pointer into a system that may be gone.
    property_ = jitter_ = nullptr;
    ReleaseHiddenCurve();
    return;
  }
  property_ = node->Curve ? node->Curve(*system_) : nullptr;
  jitter_ = node->Jitter ? node->Jitter(*system_) : nullptr;
  switch (Index) {
    case kRenderNode:
      PropPages->SetActivePage(RenderSheet);
      ReleaseHiddenCurve();
      break;
    case kSystemNode:
      PropPages->SetActivePage(SystemSheet);
      ReleaseHiddenCurve();
      break;
    case kParticlesNode:
      PropPages->SetActivePage(ParticleSheet);
      ReleaseHiddenCurve();
      break;
    default:
      PropPages->SetActivePage(SettingSheet);
      SetupJitterPage();
      break;
  }
}

void TPropsForm::ReleaseHiddenCurve() {
  // A page node hides the editor; it must not hold on to a curve of a system that may be
  // freed while another one is shown (the preview's frame line still reads it). When
  // another page has borrowed the editor, its curve is that page's business.
  if (CurveEditor && (CurveEditor->Parent() == PropertySheet || CurveEditor->Parent() == JitterSheet))
    CurveEditor->SetSeries(nullptr);
}

void TPropsForm::SetupJitterPage() {
  TTreeNode* selected = PropsTree->Selected();
  const std::string text = selected ? selected->Text() : std::string();
  PropertySheet->SetCaption(text);
  JitterSheet->SetCaption(text + " Jitter");
  const bool hasJitter = jitter_ != nullptr;
  if (!hasJitter && PropJitterPages->ActivePage() == JitterSheet) PropJitterPages->SetActivePage(PropertySheet);
  JitterSheet->SetTabVisible(hasJitter);
  PropJitterPagesChange(PropJitterPages);
}

void TPropsForm::PropJitterPagesChange(TObject*) {
  TTabSheet* sheet = PropJitterPages->ActivePage();
  if (!sheet) sheet = PropertySheet;
  CurveEditor->SetParent(sheet);
  CurveEditor->SetSeries(sheet == JitterSheet ? jitter_ : property_);
}

void TPropsForm::ParentGraphToPropertyPage() {
  PropJitterPages->SetActivePage(PropertySheet);
  CurveEditor->SetParent(PropertySheet);
  CurveEditor->SetSeries(property_);
}

void TPropsForm::PropsTreeChange(TObject*, TTreeNode* Node) {
  for (Integer i = 0; i < static_cast<Integer>(nodes_.size()); ++i)
    if (nodes_[i] == Node) {
      SelectProperty(i);
      return;
    }
}

void TPropsForm::SysLifeSpanSpinChange(TObject*) {
  if (!system_ || IsUpdating(updating_)) return;
  system_->System->LoopPeriod = static_cast<Integer>(std::trunc(SysLifeSpanSpin->Value()));
}

void TPropsForm::SysLivesSpinChange(TObject*) {
  if (!system_ || IsUpdating(updating_)) return;
  system_->System->LoopCount = static_cast<Integer>(std::trunc(SysLivesSpin->Value()));
}

void TPropsForm::RenderComboChange(TObject*) {
  if (!system_ || IsUpdating(updating_) || RenderCombo->ItemIndex() < 0) return;
  system_->System->RenderMode = RenderCombo->ItemIndex();
}

void TPropsForm::RadiusSpinChange(TObject*) {
  if (!system_ || IsUpdating(updating_)) return;
  system_->Emitter->Radius = static_cast<Single>(RadiusSpin->Value());
}

void TPropsForm::EmitterShapeComboChange(TObject*) {
  if (!system_ || IsUpdating(updating_) || EmitterShapeCombo->ItemIndex() < 0) return;
  system_->Emitter->Shape = EmitterShapeCombo->ItemIndex();
}

void TPropsForm::FocusShapeComboChange(TObject*) {
  if (!system_ || IsUpdating(updating_) || FocusShapeCombo->ItemIndex() < 0) return;
  system_->Emitter->FocusShape = FocusShapeCombo->ItemIndex();
}

void TPropsForm::PreviewButtonClick(TObject* Sender) { CallLink(EditorLinks().PlayClick, Sender); }

void TPropsForm::RewindButtonClick(TObject* Sender) { CallLink(EditorLinks().RewindClick, Sender); }

void TPropsForm::CueButtonClick(TObject*) { CallLink(EditorLinks().ToggleCues); }
