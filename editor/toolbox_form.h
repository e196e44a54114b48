#pragma once
// TToolboxForm: the "Tools" page. One tool object per host tool object, each wrapping
// the modifier that acts on the particles: the six New commands, the list with an
// enabled check box per tool, renaming, and the host's callbacks for the six tool
// object types (write, read, delete, clone).
#include <memory>
#include <vector>

#include "editor/kept_chunks.h"
#include "engine/tool_object.h"
#include "panels/fold_panel.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_listview.h"
#include "platform/host/tsxapi.h"

class TAction;
class TActionList;
class TPanel;
class TParticleModifier;
class TToolPropsForm;
class TTsxExtObj;

class TToolboxForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TToolboxForm(TComponent* AOwner);
  ~TToolboxForm() override;

  // The tool whose modifier stands for the host object, -1 when none.
  Integer IndexOfHostObject(tsxSOBJ* Handle) const;
  // A new tool around Modifier for the host object Handle; it becomes the current tool.
  TToolObject* AddTool(tsxSOBJ* Handle, std::unique_ptr<TParticleModifier> Modifier);
  // Frees the tool of the host object (the preview stops first); false when unknown.
  bool DeleteToolOfHostObject(tsxSOBJ* Handle);
  // One list item per tool; the current tool (or the first) is selected.
  void RebuildList();
  // The tool at i (none for i < 0 or past the end) becomes current and is shown.
  void SelectTool(Integer Index);
  // Moves the tool properties' curve editor's current-frame line.
  void ShowFrame(Integer Frame);
  bool Deleting() const { return deleting_ != 0; }

  // ---- host callbacks of the six tool types ----
  Integer ToolExtObjWriteBinary(tsxSOBJ* pSobj, tsxFILE* fd);
  Integer ToolExtObjReadBinary(tsxSOBJ* pSobj, tsxFILE* fd);
  void ToolExtObjObjectDelete(TObject* Sender, tsxSOBJ* pSobj);
  void ToolExtObjObjectClone(TObject* Sender, tsxSOBJ* pSobj, tsxSOBJ* pClone, Integer& Result);

  // ---- handlers ----
  void NewDeflectorActionExecute(TObject* Sender);
  void NewFanActionExecute(TObject* Sender);
  void NewAttractorActionExecute(TObject* Sender);
  void NewRepulsorActionExecute(TObject* Sender);
  void NewLeaderActionExecute(TObject* Sender);
  void NewGravitronActionExecute(TObject* Sender);
  void ToolObjectsListViewChange(TObject* Sender, TListItem* Item, TItemChange Change);
  void ToolObjectsListViewEdited(TObject* Sender, TListItem* Item, std::string& S);
  void ToolPropsFoldFoldClick(TObject* Sender, TFoldStatus Status, bool& DoFoldAction);
  void PreviewButtonClick(TObject* Sender);
  void RewindButtonClick(TObject* Sender);

  // ---- form content ----
  TListView* ToolObjectsListView = nullptr;
  TFpFoldPanel* ToolPropsFold = nullptr;
  TToolPropsForm* ToolPropsForm = nullptr;
  TTsxExtObj* DeflectorExtObj = nullptr;
  TTsxExtObj* FanExtObj = nullptr;
  TTsxExtObj* AttractorExtObj = nullptr;
  TTsxExtObj* RepulsorExtObj = nullptr;
  TTsxExtObj* LeaderExtObj = nullptr;
  TTsxExtObj* GravitronExtObj = nullptr;
  TActionList* ActionList = nullptr;
  TAction* NewDeflectorAction = nullptr;
  TAction* NewFanAction = nullptr;
  TAction* NewAttractorAction = nullptr;
  TAction* NewRepulsorAction = nullptr;
  TAction* NewLeaderAction = nullptr;
  TAction* NewGravitronAction = nullptr;

  // ---- state ----
  std::vector<std::unique_ptr<TToolObject>> Tools;
  TToolObject* CurrentTool = nullptr;

 private:
  // Creates the modifier and host object of a kind and adds the tool; nothing when the
  // host refuses the object.
  void NewTool(Integer Kind);
  // Appends a tool read from a record, for the host object Handle.
  void AppendTool(std::unique_ptr<TToolObject> Tool, tsxSOBJ* Handle);
  Byte deleting_ = 0;
  // Chunks of host tools that made no tool, written back as they came.
  TKeptChunks keptChunks_;
};
