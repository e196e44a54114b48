#pragma once
// TMainForm: the plug-in's window in the host. It carries the bridge's components (the
// plug-in descriptor and the host's calls, the render events, the post-process shader),
// the transport and draw-mode controls, the status line and meter, the menus, and two
// tabs showing the emitter manager or the toolbox embedded in its client area.
//
// The host's main view owns the form: when the view goes, the form frees itself, and on
// the way it takes back everything that leads the host or the engine to it (handlers,
// registrations, links, callbacks). A form that goes while its own preview loop runs is
// freed only when the loop has returned.
#include <map>
#include <memory>
#include <string>

#include "hostbridge/owned_form.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TAction;
class TActionList;
class TCheckBox;
class TComboBox;
class TEmitterManForm;
class TFpPushButton;
class TImageList;
class TKitProgress;
class TKitSpeedButton;
class TKitStatusBar;
class TMainMenu;
class TMenuItem;
class TParticleRenderer;
class TShuttleForm;
class TTabControl;
class TToolboxForm;
class TTsEvents;
class TTsx;
class TTsxGlobalShader;

class TMainForm : public TTsOwnedForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TMainForm(TComponent* AOwner);
  ~TMainForm() override;

  TParticleRenderer* Renderer() const { return renderer_.get(); }
  // Set until the first click on the plug-in's icon.
  bool FirstClick() const { return firstClick_; }
  // The host time of the last Play.
  Single SavedTime() const { return savedTime_; }
  // The scene time a render began at, restored when it ends.
  Single RenderStartTime() const { return renderStartTime_; }
  // Inside the Play handler's preview loop.
  bool PreviewLoopRunning() const { return inPreview_ != 0; }

  // ---- host-facing handlers ----
  void TsxPlugInit();
  Integer TsxLeftClick();
  void TsxDeactivate();
  void TsEventsRenderBegin(tsxEventRenderData* Data);
  void TsEventsRenderEnd(tsxEventRenderData* Data);
  void TsxGlobalShaderPostProcess(tssPostProcessData* Data);

  // ---- form handlers ----
  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormShow(TObject* Sender);
  void PreviewButtonClick(TObject* Sender);
  void RunPreview();
  void StartAnimateActionExecute(TObject* Sender);
  void StopAnimateActionExecute(TObject* Sender);
  void RewindButtonClick(TObject* Sender);
  void DrawModeBoxChange(TObject* Sender);
  void EnableRenderingActionExecute(TObject* Sender);
  void ShowRenderingSlow1Click(TObject* Sender);
  void DepthDithering1Click(TObject* Sender);
  void PreviewOptionClick(TObject* Sender);
  void TabControl1Change(TObject* Sender);
  void ToolboxButtonClick(TObject* Sender);
  void ToggleCuesActionExecute(TObject* Sender);
  void CueButtonClick(TObject* Sender);
  void ContentsTopics1Click(TObject* Sender);
  void ShrinkButtonClick(TObject* Sender);
  void FoldBeforeCollaps(TObject* Sender);
  void FoldAfterCollaps(TObject* Sender);
  void FoldBeforeExpand(TObject* Sender);
  void TextureNotFound(std::string& FileName);

  // Both windows' meters during a render.
  void ShowRenderProgress(Integer Position, const std::string& MainCaption, const std::string& ControlCaption);
  // The main menu's item at a caption path ("File/New Emitter"; '&' marks ignored), or null.
  TMenuItem* FindMenuItem(const std::string& Path) const;
  // The caption paths of every command of the main menu, in menu order.
  std::vector<std::string> MenuCommandPaths() const;
  // Why a disabled menu command cannot run now ("" when the editor cannot tell).
  std::string WhatCommandNeeds(TMenuItem* Item) const;

  // ---- form content ----
  TFpPushButton* PreviewButton = nullptr;
  TFpPushButton* RewindButton = nullptr;
  TKitSpeedButton* ShrinkButton = nullptr;
  TComboBox* DrawModeBox = nullptr;
  TCheckBox* RenderBox = nullptr;
  TKitProgress* RenderProgress = nullptr;
  TKitStatusBar* StatusBar = nullptr;
  TTabControl* TabControl1 = nullptr;
  TTsx* Tsx = nullptr;
  TTsEvents* TsEvents = nullptr;
  TTsxGlobalShader* TsxGlobalShader = nullptr;
  TActionList* ActionList = nullptr;
  TAction* StartAnimateAction = nullptr;
  TAction* StopAnimateAction = nullptr;
  TAction* EnableRenderingAction = nullptr;
  TAction* ToggleCuesAction = nullptr;
  TMainMenu* MainMenu = nullptr;
  TMenuItem* DepthDithering1 = nullptr;
  TMenuItem* ShowRenderingSlow1 = nullptr;
  TMenuItem* AnimateObjects1 = nullptr;
  TMenuItem* WireframeAlphaHints1 = nullptr;
  // The tree, list and menu glyphs.
  TImageList* Images = nullptr;

  // ---- pages ----
  TEmitterManForm* EmitterManForm = nullptr;
  TToolboxForm* ToolboxForm = nullptr;
  TShuttleForm* ShuttleForm = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMDestroy(TMessage& Message) override;

 private:
  // The menu items run the pages' actions.
  void BindPageCommands();
  void SetEditorLinks();
  void SetEngineCallbacks();
  // Takes back everything that leads the host or the engine to this form.
  void ReleaseHostAndEngine();
  // The transport buttons' look on both windows.
  void ShowTransport(const char* Caption, TColor Color, TColor RaiseColor);
  // Every enabled modifier prepares (a leader samples its path again), then every enabled
  // tool's modifier begins its step: before a preview and before a render.
  void PrepareTools();
  void RestoreRenderTime();

  std::unique_ptr<TParticleRenderer> renderer_;
  bool firstClick_ = true;
  Single savedTime_ = 0;
  bool timeSaved_ = false;
  Single renderStartTime_ = 0;
  bool renderTimePending_ = false;
  Integer inPreview_ = 0;
  bool freeAfterPreview_ = false;
  bool released_ = false;
  // Each fold's height before it collapsed, and what its collapse took off the form.
  std::map<TObject*, Integer> foldHeights_;
  std::map<TObject*, Integer> foldTaken_;
};

extern TMainForm* MainForm;

// A main form whose window went during its preview waits in the queue to be freed; the
// editor's shut-down frees it at once and stops the timer that would have.
void FreeMainFormAfterPreview();

// The status lines after a render: the main window's and the control window's.
std::string RenderStatusText(Integer Particles, Cardinal ElapsedMs);
std::string ControlRenderStatusText(Integer Particles, Cardinal ElapsedMs);
