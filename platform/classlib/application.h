#pragma once
// TApplication: the process-wide services of the class library.
//
// The application owns no window and runs no message loop of its own: the plug-in's
// windows get their messages from the host's loop. What it does keep:
// - the control under the mouse: every mouse move that reaches a control tells it; when
//   the mouse moves onto another control the old one gets CM_MOUSELEAVE and the new one
//   CM_MOUSEENTER (WM_MOUSELEAVE of a window counts as a move off it);
// - the hint: after HintPause on a control that shows hints, its short hint appears in a
//   hint window below the cursor and goes when the mouse moves off the control, after
//   HintHidePause, on a click or a key, or on CancelHint (a window timer, no thread);
// - help (HelpFile, HelpCommand through the window system's WinHelp), exceptions
//   (OnException, else a message box), ProcessMessages, Minimize / Restore of the forms.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/controls.h"
#include "platform/win/services.h"
#include "platform/win/window.h"

class TCustomForm;
class THintWindow;

using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;
using THelpEvent = std::function<bool(win::UINT Command, Integer Data, bool& CallHelp)>;
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// WinHelp commands, as the window system numbers them.
inline constexpr win::UINT HELP_CONTEXT = win::HELP_CONTEXT;
inline constexpr win::UINT HELP_QUIT = win::HELP_QUIT;
inline constexpr win::UINT HELP_CONTENTS = win::HELP_CONTENTS;
inline constexpr win::UINT HELP_FINDER = win::HELP_FINDER;
inline constexpr win::UINT HELP_KEY = win::HELP_KEY;

class TApplication : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // ---- identity ----
  // The running program's file (the host's executable, for a plug-in).
  std::string ExeName() const;
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  // The application has no window of its own: null.
  win::HWND Handle() const { return nullptr; }
  // The form CreateForm made first (null until then).
  TCustomForm* MainForm() const { return mainForm_; }

  // Makes a form owned by the application; the first becomes MainForm.
  template <class F>
  F* CreateForm() {
    F* form = new F(this);
    if (!mainForm_) mainForm_ = form;
    return form;
  }

  // ---- messages ----
  // Delivers everything waiting in the message queue (input, posted messages, paints,
  // timers that are due) and returns.
  void ProcessMessages();
  // Delivers one message; false when none was waiting.
  bool HandleMessage();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  // ---- exceptions ----
  // The exception being handled goes to OnException, else to ShowException.
  void HandleException(TObject* Sender);
  // A message box with the exception's text and the application's title.
  void ShowException(const Exception& E);
  TExceptionEvent OnException;

  // ---- windows ----
  void Minimize();
  void Restore();
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  // A message box through the window system (answered by its answer queue).
  Integer MessageBox(const std::string& Text, const std::string& Caption, win::UINT Flags = 0);

  // ---- help ----
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& value) { helpFile_ = value; }
  bool HelpCommand(win::UINT Command, Integer Data);
  bool HelpContext(Integer Context) { return HelpCommand(HELP_CONTEXT, Context); }
  THelpEvent OnHelp;

  // ---- hints ----
  // The long hint of the control under the mouse (what a status line shows).
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  Integer HintPause() const { return hintPause_; }
  void SetHintPause(Integer value) { hintPause_ = value; }
  Integer HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(Integer value) { hintShortPause_ = value; }
  Integer HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(Integer value) { hintHidePause_ = value; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor value) { hintColor_ = value; }
  // Shows the hint of the control at a screen point now.
  void ActivateHint(const TPoint& CursorPos);
  // Hides the hint and forgets the control it was for.
  void CancelHint();
  void HideHint();
  // The hint window while a hint shows (null otherwise).
  THintWindow* HintWindow() const { return hintWindow_; }
  bool HintActive() const { return hintActive_; }
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;

  // ---- for the controls ----
  // A mouse message reached `control`: tracks the control under the mouse and the hint.
  void HintMouseMessage(TControl* control, TMessage& Message);
  // The mouse left a window of ours.
  void MouseLeftWindow(TControl* control);
  // Key presses and clicks end a hint.
  void HintInputMessage();
  // The control under the mouse, as last seen.
  TControl* MouseControl() const { return mouseControl_; }
  void ControlDestroying(TControl* control);
  void FormDestroying(TCustomForm* form);

 private:
  friend void HintTimerProc(win::HWND, win::UINT, win::ULONG_PTR, win::DWORD);
  void SetMouseControl(TControl* control);
  void StartHintTimer(Integer delay);
  void StopHintTimer();
  void HintTimerExpired();
  TControl* HintControlAt(TControl* control) const;

  std::string title_;
  std::string helpFile_;
  std::string hint_;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool showHint_ = true;
  Integer hintPause_ = 500;
  Integer hintShortPause_ = 50;
  Integer hintHidePause_ = 2500;
  TColor hintColor_ = clInfoBk;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_{};  // screen coordinates
  bool hintActive_ = false;
  win::ULONG_PTR hintTimer_ = 0;
  bool hintTimerHides_ = false;
  TControl* mouseControl_ = nullptr;
  std::vector<win::HWND> minimized_;
};

// Made at load; freed at the module's end (module_life.h), null after it.
extern TApplication* Application;

// Inside a catch block: the exception being handled goes to the application, or, before
// there is one, on to the caller. No exception unwinds through the window system.
void HandleOrRethrow(TObject* Sender);
