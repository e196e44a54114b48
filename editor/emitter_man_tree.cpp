// The emitter page's tree: one top-level node per emitter object, one child per
// particle system, the state icons, selection and renaming.
#include <string>

#include "editor/emitter_man_form.h"
#include "editor/props_form.h"
#include "engine/emitter_object.h"
#include "platform/classlib/std_treeview.h"

namespace {

constexpr Integer kEmitterImage = 0;
constexpr Integer kSystemImage = 23;
// Names typed in the tree are cut to this many characters.
constexpr std::size_t kNameLength = 32;

Integer StateImageOf(Byte Enabled) { return Enabled + 1; }

}  // namespace

Integer TEmitterManForm::IndexOfHostObject(tsxSOBJ* Handle) const {
  for (std::size_t i = 0; i < Emitters.size(); ++i)
    if (Emitters[i]->Node == Handle) return static_cast<Integer>(i);
  return -1;
}

TEmitterObject* TEmitterManForm::AddEmitter(tsxSOBJ* Handle) {
  auto emitter = std::make_unique<TEmitterObject>();
  emitter->AddSystem();
  return AdoptEmitter(std::move(emitter), Handle);
}

TEmitterObject* TEmitterManForm::AdoptEmitter(std::unique_ptr<TEmitterObject> Emitter, tsxSOBJ* Handle) {
  Emitter->Node = Handle;
  CurrentEmitter = Emitter.get();
  Emitters.push_back(std::move(Emitter));
  SyncEngineList();
  return CurrentEmitter;
}

TTreeNode* TEmitterManForm::FindEmitterNode(const TEmitterObject* Emitter) const {
  TTreeNodes* items = EmittersTreeView->Items();
  for (Integer i = 0; i < items->RootCount(); ++i)
    if (items->Root(i)->Data() == Emitter) return items->Root(i);
  return nullptr;
}

void TEmitterManForm::FillSystemNodes(TEmitterObject* Emitter, TTreeNode* Node) {
  if (!Emitter || !Node) return;
  Node->DeleteChildren();
  TTreeNode* selected = nullptr;
  for (const auto& system : Emitter->Systems) {
    TTreeNode* child = EmittersTreeView->Items()->AddChildObject(Node, system->Name, system.get());
    child->SetImageIndex(kSystemImage);
    child->SetSelectedIndex(kSystemImage);
    child->SetStateIndex(StateImageOf(system->Enabled));
    if (system.get() == CurrentSystem) selected = child;
  }
  Node->Expand(false);
  if (selected) {
    AttachTreeChange(false);
    EmittersTreeView->SetSelected(selected);
    AttachTreeChange(true);
  }
}

void TEmitterManForm::SetEmitterNode(TEmitterObject* Emitter, TTreeNode* Node) {
  Node->SetText(Emitter->Name);
  Node->SetData(Emitter);
  Node->SetImageIndex(kEmitterImage);
  Node->SetSelectedIndex(kEmitterImage);
  Node->SetStateIndex(StateImageOf(Emitter->Enabled));
  FillSystemNodes(Emitter, Node);
  Node->Expand(false);
}

TTreeNode* TEmitterManForm::AddEmitterNode(TEmitterObject* Emitter) {
  TTreeNode* node = EmittersTreeView->Items()->AddObject(nullptr, Emitter->Name, Emitter);
  SetEmitterNode(Emitter, node);
  return node;
}

void TEmitterManForm::RefreshEmitterNode(TEmitterObject* Emitter) {
  if (TTreeNode* node = FindEmitterNode(Emitter)) {
    AttachTreeChange(false);
    SetEmitterNode(Emitter, node);
    if (!CurrentSystem && Emitter == CurrentEmitter) EmittersTreeView->SetSelected(node);
    AttachTreeChange(true);
  }
}

void TEmitterManForm::RebuildTree() {
  TTreeNodes* items = EmittersTreeView->Items();
  items->BeginUpdate();
  AttachTreeChange(false);
  items->Clear();
  bool currentListed = false;
  for (const auto& e : Emitters) {
    AddEmitterNode(e.get());
    if (e.get() == CurrentEmitter) currentListed = true;
  }
  if (!currentListed) {
    CurrentEmitter = nullptr;
    SetCurrentSystem(nullptr);
  }
  if (!EmittersTreeView->Selected() && CurrentEmitter) EmittersTreeView->SetSelected(FindEmitterNode(CurrentEmitter));
  items->EndUpdate();
  AttachTreeChange(true);
  UpdateUI();
}

void TEmitterManForm::SelectEmitter(Integer Index) {
  CurrentEmitter = Index >= 0 && Index < static_cast<Integer>(Emitters.size()) ? Emitters[Index].get() : nullptr;
}

void TEmitterManForm::SelectSystem(Integer Index) {
  TEmitter* system = nullptr;
  if (CurrentEmitter && Index >= 0 && Index < CurrentEmitter->SystemCount()) system = CurrentEmitter->Systems[Index].get();
  SetCurrentSystem(system);
}

void TEmitterManForm::EmittersTreeViewChange(TObject*, TTreeNode* Node) {
  if (!Node) return;
  if (TTreeNode* parent = Node->Parent()) {
    SelectEmitter(parent->Index());
    SelectSystem(Node->Index());
  } else {
    SetCurrentSystem(nullptr);
    SelectEmitter(Node->Index());
  }
  UpdateUI();
  if (CurrentEmitter && CurrentEmitter->Node) tsxSelectSobj(CurrentEmitter->Node);
}

void TEmitterManForm::EmittersTreeViewMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  TTreeNode* node = EmittersTreeView->GetNodeAt(X, Y);
  if (!node) return;
  if (Button == mbRight) {
    EmittersTreeView->SetSelected(node);
    return;
  }
  if (!EmittersTreeView->GetHitTestInfoAt(X, Y).Contains(htOnStateIcon)) return;
  if (TTreeNode* parent = node->Parent()) {
    const Integer e = parent->Index();
    const Integer s = node->Index();
    if (e >= static_cast<Integer>(Emitters.size()) || s >= Emitters[e]->SystemCount()) return;
    TEmitter& system = *Emitters[e]->Systems[s];
    system.Enabled = system.Enabled ? 0 : 1;
    node->SetStateIndex(StateImageOf(system.Enabled));
  } else {
    const Integer e = node->Index();
    if (e >= static_cast<Integer>(Emitters.size())) return;
    TEmitterObject& emitter = *Emitters[e];
    emitter.Enabled = emitter.Enabled ? 0 : 1;
    node->SetStateIndex(StateImageOf(emitter.Enabled));
  }
}

void TEmitterManForm::EmittersTreeViewEdited(TObject*, TTreeNode* Node, std::string& S) {
  if (S.size() > kNameLength) S.resize(kNameLength);
  if (!Node) return;
  // The node's own place names what it stands for, whatever is selected.
  if (TTreeNode* parent = Node->Parent()) {
    const Integer e = parent->Index();
    const Integer s = Node->Index();
    if (e < static_cast<Integer>(Emitters.size()) && s < Emitters[e]->SystemCount()) Emitters[e]->Systems[s]->Name = S;
  } else if (Node->Index() < static_cast<Integer>(Emitters.size())) {
    Emitters[Node->Index()]->Name = S;
  }
  // The properties page names the system it shows; a new name must not leave it stale.
  PropsForm->ShowSystemName();
}

void TEmitterManForm::TreeMenuPopup(TObject*) {
  if (TTreeNode* node = EmittersTreeView->Selected()) EmittersTreeViewChange(EmittersTreeView, node);
}
