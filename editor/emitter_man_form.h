#pragma once
// TEmitterManForm: the "Emitters" page. It mirrors the host's emitter objects in a list
// of engine emitter objects (kept equal to the engine's EmitterObjects), shows them with
// their particle systems in a tree, runs the emitter and system commands, shows the
// emitter's settings or the selected system's properties in its fold, answers the host's
// callbacks for the emitter object type and drives the host render.
#include <memory>
#include <string>
#include <vector>

#include "editor/kept_chunks.h"
#include "editor/simple_pages.h"
#include "panels/fold_panel.h"
#include "platform/classlib/forms.h"
#include "platform/host/tsxapi.h"

class TAction;
class TBasicAction;
class TActionList;
class TCheckBox;
class TEmitter;
class TEmitterObject;
class TLabel;
class TNumSpinEdit;
class TOpenDialog;
class TPageControl;
class TKitSimplePanel;
class TParticleRenderer;
class TPopupMenu;
class TPropsForm;
class TSaveDialog;
class TSplitter;
class TTabSheet;
class TTreeNode;
class TTreeView;
class TTsxExtObj;

class TEmitterManForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TEmitterManForm(TComponent* AOwner);
  ~TEmitterManForm() override;

  // ---- state ----
  std::vector<std::unique_ptr<TEmitterObject>> Emitters;
  TEmitterObject* CurrentEmitter = nullptr;
  TEmitter* CurrentSystem = nullptr;
  TSimplePages Pages;

  // ---- for the main window and the engine ----
  // Before a host render: the fixed seed, the progress handler, every object's pre-roll.
  void RenderBegin();
  // Every emitter object queues its particles.
  void RenderAll(TParticleRenderer& Renderer);
  // The meters, at multiples of 5 percent only.
  void RenderProgress(Integer Percent);
  // The preview's frame: the marker of a frame curve in the shared curve editor.
  void ShowFrame(Integer Frame);
  void UpdateUI();
  // What a command of this page waits for before it can run: "" when it can (and for
  // other actions). UpdateUI enables the page's commands by it.
  std::string WhatActionNeeds(const TBasicAction* Action) const;

  // ---- operations ----
  Integer IndexOfHostObject(tsxSOBJ* Handle) const;
  // A new emitter object with one system for the handle, made current.
  TEmitterObject* AddEmitter(tsxSOBJ* Handle);
  // Emitter joins the list (and the engine's) for the handle, made current.
  TEmitterObject* AdoptEmitter(std::unique_ptr<TEmitterObject> Emitter, tsxSOBJ* Handle);
  void DeleteEmitterOfHostObject(tsxSOBJ* Handle);
  TTreeNode* FindEmitterNode(const TEmitterObject* Emitter) const;
  void FillSystemNodes(TEmitterObject* Emitter, TTreeNode* Node);
  void SetEmitterNode(TEmitterObject* Emitter, TTreeNode* Node);
  TTreeNode* AddEmitterNode(TEmitterObject* Emitter);
  void RebuildTree();
  void SelectEmitter(Integer Index);
  void SelectSystem(Integer Index);
  void ShowEmitterSettings();
  void ShowAutoScale();

  // ---- host callbacks ----
  Integer EmitterExtObjWriteBinary(tsxSOBJ* Handle, tsxFILE* File);
  Integer EmitterExtObjReadBinary(tsxSOBJ* Handle, tsxFILE* File);
  void EmitterExtObjObjectDelete(TObject* Sender, tsxSOBJ* Handle);
  void EmitterExtObjObjectClone(TObject* Sender, tsxSOBJ* Source, tsxSOBJ* Clone, Integer& Result);

  // ---- handlers ----
  void EmittersTreeViewChange(TObject* Sender, TTreeNode* Node);
  void EmittersTreeViewMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void EmittersTreeViewEdited(TObject* Sender, TTreeNode* Node, std::string& S);
  void TreeMenuPopup(TObject* Sender);
  void ScalarBoxClick(TObject* Sender);
  void OffsetSpinChange(TObject* Sender);
  void FreezeSpinChange(TObject* Sender);
  void NewEmitterActionExecute(TObject* Sender);
  void DeleteEmitterActionExecute(TObject* Sender);
  void AddSystemActionExecute(TObject* Sender);
  void DeleteSystemActionExecute(TObject* Sender);
  void DupSystemActionExecute(TObject* Sender);
  void SaveSystemActionExecute(TObject* Sender);
  void LoadSystemActionExecute(TObject* Sender);
  void SaveEmitterActionExecute(TObject* Sender);
  void LoadEmitterActionExecute(TObject* Sender);
  void PropertiesButtonClick(TObject* Sender);
  void ToolboxButtonClick(TObject* Sender);
  void CueButtonClick(TObject* Sender);
  void VisibilitySheetShow(TObject* Sender);
  void VisibilitySheetHide(TObject* Sender);
  void Splitter1CanResize(TObject* Sender, Integer& NewSize, bool& Accept);
  void Splitter1Moved(TObject* Sender);
  // A taller window gives half its new height to the properties fold, half to the tree.
  void FormResize(TObject* Sender);
  // The properties fold gives up height (down to its least) so that the tree keeps two rows.
  void KeepTreeInReach();
  void PropsFoldBeforeCollaps(TObject* Sender);
  void PropsFoldAfterCollaps(TObject* Sender);
  void PropsFoldBeforeExpand(TObject* Sender);

  // ---- made by the form ----
  TPropsForm* PropsForm = nullptr;
  // Three cue-card panels: below the tree, on the Settings sheet, on the Visibility sheet.
  std::vector<TWinControl*> CuePanels;

  // ---- the form's components ----
  TTreeView* EmittersTreeView = nullptr;
  TPopupMenu* TreeMenu = nullptr;
  TSplitter* Splitter1 = nullptr;
  TFpFoldPanel* PropsFold = nullptr;
  TKitSimplePanel* PanelBlank = nullptr;
  TKitSimplePanel* PanelEmitter = nullptr;
  TPageControl* EmitterPageControl = nullptr;
  TTabSheet* SettingsSheet = nullptr;
  TTabSheet* VisibilitySheet = nullptr;
  TNumSpinEdit* OffsetSpin = nullptr;
  TNumSpinEdit* FreezeSpin = nullptr;
  TCheckBox* MoreBox = nullptr;
  TCheckBox* BiggerBox = nullptr;
  TCheckBox* FasterBox = nullptr;
  TCheckBox* OlderBox = nullptr;
  TCheckBox* StrongerBox = nullptr;
  TTsxExtObj* EmitterExtObj = nullptr;
  TActionList* ActionList = nullptr;
  TAction* NewEmitterAction = nullptr;
  TAction* DeleteEmitterAction = nullptr;
  TAction* LoadEmitterAction = nullptr;
  TAction* SaveEmitterAction = nullptr;
  TAction* AddSystemAction = nullptr;
  TAction* DeleteSystemAction = nullptr;
  TAction* DupSystemAction = nullptr;
  TAction* LoadSystemAction = nullptr;
  TAction* SaveSystemAction = nullptr;
  TOpenDialog* OpenEmitterDialog = nullptr;
  TSaveDialog* SaveEmitterDialog = nullptr;
  TOpenDialog* OpenSystemDialog = nullptr;
  TSaveDialog* SaveSystemDialog = nullptr;

 private:
  void FindComponents();
  void WireEvents();
  // CurrentSystem and what the properties form shows, together.
  void SetCurrentSystem(TEmitter* System);
  // The engine's list from Emitters.
  void SyncEngineList();
  // The selection handler off (nested) and back on, so that code can select without
  // re-entering it.
  void AttachTreeChange(bool Attach);
  // Stops the preview before the list or an object's systems change under it.
  static void StopPreview();
  void RefreshEmitterNode(TEmitterObject* Emitter);
  // The shared curve editor onto the Visibility sheet, showing the activity curve.
  void CurveEditorToVisibility();
  // Frees one emitter object; the preview stops first.
  void RemoveEmitterAt(Integer Index);
  // Tells the user; used for files and chunks that could not be read or written.
  void ReportError(const std::string& Text);

  Integer treeChangeOff_ = 0;
  Integer lastHeight_ = -1;  // the client height FormResize saw last
  Integer grownTotal_ = 0;   // what FormResize has shared out so far
  // Chunks of host emitters that made no emitter object, written back as they came.
  TKeptChunks keptChunks_;
};
