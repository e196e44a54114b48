#include "editor/tool_props_form.h"

#include <cmath>

#include "controlkit/kit_control_base.h"
#include "editor/editor_helpers.h"
#include "editor/tool_kinds.h"
#include "editor/var_chart_form.h"
#include "engine/modifiers.h"
#include "engine/tool_object.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_treeview.h"

namespace {

// Spin values become whole numbers by dropping the fraction; out-of-range values are
// kept from wrapping.
Integer TruncValue(double Value) {
  if (!std::isfinite(Value)) return 0;
  const double t = std::trunc(Value);
  if (t >= 2147483647.0) return 2147483647;
  if (t <= -2147483648.0) return -2147483647 - 1;
  return static_cast<Integer>(t);
}

Byte FalloffOf(TComboBox* Combo) {
  const Integer i = Combo->ItemIndex();
  return i < 0 ? foNone : static_cast<Byte>(i);
}

}  // namespace

const TClass& TToolPropsForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TToolPropsForm>("TToolPropsForm", TForm::StaticClass(), &TToolPropsForm::Publish);
  return cls;
}

void TToolPropsForm::Publish(TPublished& published) {
  auto p = published.For<TToolPropsForm>();
  p.Method("ToolPropsTreeChange", &TToolPropsForm::ToolPropsTreeChange);
  p.Method("DeflectorScaleSpinChange", &TToolPropsForm::DeflectorScaleSpinChange);
  p.Method("AbsorbsCheckClick", &TToolPropsForm::AbsorbsCheckClick);
  p.Method("FanFalloffComboChange", &TToolPropsForm::FanFalloffComboChange);
  p.Method("FanScaleSpinChange", &TToolPropsForm::FanScaleSpinChange);
  p.Method("AttractFalloffComboChange", &TToolPropsForm::AttractFalloffComboChange);
  p.Method("GravitronInfiniteCheckClick", &TToolPropsForm::GravitronInfiniteCheckClick);
  p.Method("GravitronScaleSpinChange", &TToolPropsForm::GravitronScaleSpinChange);
  p.Method("LifespanSpinChange", &TToolPropsForm::LifespanSpinChange);
  p.Method("LivesSpinChange", &TToolPropsForm::LivesSpinChange);
}

TToolPropsForm::TToolPropsForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterEditorKitClasses();
  ReadFormResource();
  ToolPropsTree = FindFormPart<TTreeView>(this, "ToolPropsTree");
  PageControl = FindFormPart<TPageControl>(this, "PageControl");
  NoToolSheet = FindFormPart<TTabSheet>(this, "NoToolSheet");
  DeflectorSheet = FindFormPart<TTabSheet>(this, "DeflectorSheet");
  FanSheet = FindFormPart<TTabSheet>(this, "FanSheet");
  AttractorSheet = FindFormPart<TTabSheet>(this, "AttractorSheet");
  RepulsorSheet = FindFormPart<TTabSheet>(this, "RepulsorSheet");
  LeaderSheet = FindFormPart<TTabSheet>(this, "LeaderSheet");
  GravitronSheet = FindFormPart<TTabSheet>(this, "GravitronSheet");
  ChartSheet = FindFormPart<TTabSheet>(this, "ChartSheet");
  LifespanSheet = FindFormPart<TTabSheet>(this, "LifespanSheet");
  DeflectorScaleSpin = FindFormPart<TNumSpinEdit>(this, "DeflectorScaleSpin");
  AbsorbsCheck = FindFormPart<TCheckBox>(this, "AbsorbsCheck");
  FanFalloffCombo = FindFormPart<TComboBox>(this, "FanFalloffCombo");
  FanScaleSpin = FindFormPart<TNumSpinEdit>(this, "FanScaleSpin");
  AttractorFalloffCombo = FindFormPart<TComboBox>(this, "AttractorFalloffCombo");
  RepulsorFalloffCombo = FindFormPart<TComboBox>(this, "RepulsorFalloffCombo");
  LeaderFalloffCombo = FindFormPart<TComboBox>(this, "LeaderFalloffCombo");
  GravitronInfiniteCheck = FindFormPart<TCheckBox>(this, "GravitronInfiniteCheck");
  GravitronScaleSpin = FindFormPart<TNumSpinEdit>(this, "GravitronScaleSpin");
  LifespanSpin = FindFormPart<TNumSpinEdit>(this, "LifespanSpin");
  LivesSpin = FindFormPart<TNumSpinEdit>(this, "LivesSpin");
  CuePanels = {FindFormPart<TKitSimplePanel>(this, "CuePanel1"), FindFormPart<TKitSimplePanel>(this, "CuePanel2"), FindFormPart<TKitSimplePanel>(this, "CuePanel3")};

  // Values are not stored in the form: the fan's and the gravitron's scale start at 1.
  BeginUpdateCount(updating_);
  FanScaleSpin->SetValue(1);
  GravitronScaleSpin->SetValue(1);
  EndUpdateCount(updating_);

  CurveEditor = new TVarChartForm(this);
  EmbedForm(CurveEditor, ChartSheet, alClient);
  PageControl->SetActivePage(NoToolSheet);
}

TToolPropsForm::~TToolPropsForm() {
  // The curves belong to the tool: let go of them before anything else goes.
  if (CurveEditor) CurveEditor->SetSeries(nullptr);
  tool_ = nullptr;
}

TTabSheet* TToolPropsForm::ActivePage() const { return PageControl->ActivePage(); }

void TToolPropsForm::SetTool(TToolObject* t) {
  tool_ = t;
  kind_ = ToolKindOf(t ? t->Modifier() : nullptr);
  UpdateToolKind();
}

void TToolPropsForm::UpdateToolKind() {
  // The curve editor must not keep a curve of a tool that may go.
  CurveEditor->SetSeries(nullptr);
  TTreeNodes* nodes = ToolPropsTree->Items();
  BeginUpdateCount(updating_);
  nodes->BeginUpdate();
  nodes->Clear();
  if (kind_ != tkNone)
    for (const char* caption : ToolKindInfo(kind_).Nodes) nodes->Add(nullptr, caption);
  nodes->EndUpdate();
  EndUpdateCount(updating_);
  if (kind_ == tkNone) {
    PageControl->SetActivePage(NoToolSheet);
    return;
  }
  ToolPropsTree->SetSelected(nullptr);
  ToolPropsTree->SetSelected(nodes->GetFirstNode());
}

TVarSeries* TToolPropsForm::StrengthCurve() const {
  TParticleModifier* m = tool_ ? tool_->Modifier() : nullptr;
  if (auto* d = dynamic_cast<TPlaneDeflectorModifier*>(m)) return d->Elasticity;
  if (auto* f = dynamic_cast<TPlaneFanModifier*>(m)) return f->Power;
  if (auto* a = dynamic_cast<TAttractModifier*>(m)) return a->Power;
  if (auto* g = dynamic_cast<TGravitronModifier*>(m)) return g->Power;
  return nullptr;
}

TVarSeries* TToolPropsForm::JitterCurve() const {
  TParticleModifier* m = tool_ ? tool_->Modifier() : nullptr;
  if (auto* d = dynamic_cast<TPlaneDeflectorModifier*>(m)) return d->ElasticityJitter;
  if (auto* f = dynamic_cast<TPlaneFanModifier*>(m)) return f->PowerJitter;
  if (auto* a = dynamic_cast<TAttractModifier*>(m)) return a->PowerJitter;
  if (auto* g = dynamic_cast<TGravitronModifier*>(m)) return g->PowerJitter;
  return nullptr;
}

void TToolPropsForm::FillKindPage() {
  TParticleModifier* m = tool_ ? tool_->Modifier() : nullptr;
  BeginUpdateCount(updating_);
  switch (kind_) {
    case tkDeflector:
      if (auto* d = dynamic_cast<TPlaneDeflectorModifier*>(m)) {
        DeflectorScaleSpin->SetValue(d->Scale);
        AbsorbsCheck->SetCheckedValue(d->Absorb != 0);
      }
      PageControl->SetActivePage(DeflectorSheet);
      break;
    case tkFan:
      if (auto* f = dynamic_cast<TPlaneFanModifier*>(m)) {
        FanScaleSpin->SetValue(f->Scale);
        FanFalloffCombo->SetItemIndex(f->Falloff);
      }
      PageControl->SetActivePage(FanSheet);
      break;
    case tkAttractor:
    case tkRepulsor:
    case tkLeader:
      if (auto* a = dynamic_cast<TAttractModifier*>(m)) {
        TComboBox* combo = kind_ == tkAttractor   ? AttractorFalloffCombo
                           : kind_ == tkRepulsor ? RepulsorFalloffCombo
                                                 : LeaderFalloffCombo;
        combo->SetItemIndex(a->Falloff);
      }
      PageControl->SetActivePage(kind_ == tkAttractor   ? AttractorSheet
                                 : kind_ == tkRepulsor ? RepulsorSheet
                                                       : LeaderSheet);
      break;
    case tkGravitron:
      if (auto* g = dynamic_cast<TGravitronModifier*>(m)) {
        GravitronScaleSpin->SetValue(g->Scale);
        GravitronInfiniteCheck->SetCheckedValue(g->Infinite != 0);
      }
      PageControl->SetActivePage(GravitronSheet);
      break;
    default: PageControl->SetActivePage(NoToolSheet); break;
  }
  EndUpdateCount(updating_);
}

void TToolPropsForm::ToolPropsTreeChange(TObject*, TTreeNode* Node) {
  if (IsUpdating(updating_) || kind_ == tkNone || !tool_ || !tool_->Modifier() || !Node) return;
  TParticleModifier* m = tool_->Modifier();
  BeginUpdateCount(updating_);
  LifespanSpin->SetValue(m->Period);
  LivesSpin->SetValue(m->Lives);
  EndUpdateCount(updating_);
  PageControl->SetActivePage(ChartSheet);
  switch (Node->Index()) {
    case 0:
      CurveEditor->SetSeries(nullptr);
      FillKindPage();
      break;
    case 1: CurveEditor->SetSeries(StrengthCurve()); break;
    case 2: CurveEditor->SetSeries(JitterCurve()); break;
    case 3:
      CurveEditor->SetSeries(nullptr);
      PageControl->SetActivePage(LifespanSheet);
      break;
    default: break;
  }
}

// ---- control handlers: each writes only into a modifier of its own class ----

namespace {

template <class M>
M* ModifierAs(TToolObject* Tool) {
  return Tool ? dynamic_cast<M*>(Tool->Modifier()) : nullptr;
}

}  // namespace

void TToolPropsForm::DeflectorScaleSpinChange(TObject*) {
  if (IsUpdating(updating_)) return;
  if (auto* d = ModifierAs<TPlaneDeflectorModifier>(tool_)) d->Scale = static_cast<Single>(TruncValue(DeflectorScaleSpin->Value()));
}

void TToolPropsForm::AbsorbsCheckClick(TObject*) {
  if (IsUpdating(updating_)) return;
  if (auto* d = ModifierAs<TPlaneDeflectorModifier>(tool_)) d->Absorb = AbsorbsCheck->Checked() ? 1 : 0;
}

void TToolPropsForm::FanFalloffComboChange(TObject*) {
  if (IsUpdating(updating_)) return;
  if (auto* f = ModifierAs<TPlaneFanModifier>(tool_)) f->Falloff = FalloffOf(FanFalloffCombo);
}

void TToolPropsForm::FanScaleSpinChange(TObject*) {
  if (IsUpdating(updating_)) return;
  if (auto* f = ModifierAs<TPlaneFanModifier>(tool_)) f->Scale = static_cast<Single>(TruncValue(FanScaleSpin->Value()));
}

void TToolPropsForm::AttractFalloffComboChange(TObject* Sender) {
  if (IsUpdating(updating_)) return;
  auto* a = ModifierAs<TAttractModifier>(tool_);
  if (!a) return;
  // Each of the three combos answers only for its own kind.
  TComboBox* combo = kind_ == tkAttractor   ? AttractorFalloffCombo
                     : kind_ == tkRepulsor ? RepulsorFalloffCombo
                     : kind_ == tkLeader   ? LeaderFalloffCombo
                                           : nullptr;
  if (!combo || (Sender && Sender != combo)) return;
  a->Falloff = FalloffOf(combo);
}

void TToolPropsForm::GravitronInfiniteCheckClick(TObject*) {
  if (IsUpdating(updating_)) return;
  if (auto* g = ModifierAs<TGravitronModifier>(tool_)) g->Infinite = GravitronInfiniteCheck->Checked() ? 1 : 0;
}

void TToolPropsForm::GravitronScaleSpinChange(TObject*) {
  if (IsUpdating(updating_)) return;
  if (auto* g = ModifierAs<TGravitronModifier>(tool_)) g->Scale = static_cast<Single>(TruncValue(GravitronScaleSpin->Value()));
}

void TToolPropsForm::LifespanSpinChange(TObject*) {
  if (IsUpdating(updating_) || !tool_ || !tool_->Modifier()) return;
  tool_->Modifier()->Period = TruncValue(LifespanSpin->Value());
}

void TToolPropsForm::LivesSpinChange(TObject*) {
  if (IsUpdating(updating_) || !tool_ || !tool_->Modifier()) return;
  tool_->Modifier()->Lives = TruncValue(LivesSpin->Value());
}

void TToolPropsForm::ShowFrame(Integer Frame) { CurveEditor->ShowFrame(Frame); }
