#pragma once
// Forms: top-level windows made of controls.
//
// A form class of the system reads its form resource (the text form named after its
// class in upper case, "TMAINFORM" for TMainForm) at the end of its constructor:
//
//   TMainForm::TMainForm(TComponent* owner) : TForm(owner) { ReadFormResource(); }
//
// ReadFormResource reads the resources of the class and its ancestors up to TForm, binds
// the events to the form's published methods by name and then fires OnCreate. (The read
// cannot happen in TForm's own constructor: a C++ object is not yet of the derived class
// while a base constructor runs, so its methods could not be found.) A form built in
// code without a resource calls DoCreate itself if it wants OnCreate.
//
// Closing: Close asks OnCloseQuery, then OnClose with the action the form's style
// suggests (caHide for a plain form); caFree frees the form once the queued CM_RELEASE is
// taken from the message queue, so that the code that called Close may still run.
//
// ShowModal shows the form, disables the other top-level windows and runs the message
// queue until ModalResult is set. With a person at the screen and no scripted answer
// waiting, it waits for their input until a result is set (a closed screen cancels).
// Otherwise, when the queue runs dry with no result, the answer is taken from the window
// system's answer queue (prompt: the form's caption): a test that pushes none fails, the
// command-line host answers mrCancel.
//
// A form's main menu (Menu) is its window's menu bar; the client size stays as set.
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/scrolling.h"

class TMainMenu;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;

const TEnumInfo& BorderIconInfo();
const TEnumInfo& FormStyleInfo();
const TEnumInfo& PositionInfo();
const TEnumInfo& WindowStateInfo();

using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TScrollingWinControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Makes the form without reading any resource (CreateNew).
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // ---- showing ----
  void Show();
  void Hide() { SetVisible(false); }
  // Runs the form modally; the ModalResult that ended it.
  virtual TModalResult ShowModal();
  void Close();
  // Whether the form may close (OnCloseQuery).
  virtual bool CloseQuery();
  // Frees the form once the queue gets to it (from inside its own handlers).
  void Release();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  TFormState FormState() const { return formState_; }
  bool Active() const { return active_; }

  // The client size; while the form is read, the values it will take once complete.
  Integer ClientWidth();
  void SetClientWidth(Integer value);
  Integer ClientHeight();
  void SetClientHeight(Integer value);

  // ---- window appearance ----
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value);
  // The form's own canvas (drawing in OnPaint).
  TCanvas* Canvas() const { return canvas_.get(); }
  template <class M = TMainMenu>
  M* Menu() const { return static_cast<M*>(menu_); }
  TComponent* MenuComponent() const { return menu_; }
  void SetMenuComponent(TComponent* value);
  // The design resolution the form file was made at; the screen's 96 here, so nothing
  // is scaled.
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer value) { pixelsPerInch_ = value; }

  // ---- focus ----
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* value);
  // Makes the control the active one and gives it the focus when the form is active.
  void FocusControl(TWinControl* Control);
  // Records that the control took the focus and runs the exit and enter events between
  // the old focused control and the new one. False when a handler moved the focus on.
  bool SetFocusedControl(TWinControl* Control);
  // The control is going (removing) or can no longer take the focus.
  void DefocusControl(TWinControl* Control, bool Removing);
  void SetFocus() override;
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  // Cancels a mouse mode held by another control than `Sender` (capture, drags).
  void SendCancelMode(TControl* Sender);

  // ---- creation and destruction ----
  // Reads the form resources of the class and its ancestors, then fires OnCreate.
  // False (and nothing read) when no class up to TForm has a resource.
  bool ReadFormResource();
  virtual void DoCreate();
  // Fires OnDestroy, once. The form's destructor does it too, but by then a derived
  // form's own members are gone: a form whose OnDestroy needs them calls this first in
  // its destructor. Release does it before it frees the form.
  void BeforeDestruction();

  // ---- events ----
  TNotifyEvent OnActivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;
  TNotifyEvent OnShow;

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(win::HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void MouseWheelHandler(TMessage& Message) override;
  void VisibleChanging() override;
  virtual void DoClose(TCloseAction& Action);
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoDestroy();
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  // Ends a modal run once ModalResult is set: OnCloseQuery and OnClose may refuse.
  void CloseModal();

  // ---- message handlers ----
  void CMShowingChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  virtual void CMActivate(TMessage& Message);
  virtual void CMDeactivate(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  virtual void WMClose(TMessage& Message);
  virtual void WMActivate(TMessage& Message);
  void WMSize(TMessage& Message) override;

 private:
  void SetActive(bool value);
  void UpdateMenuBar();
  void SetWindowFocus();
  void SetWindowToPosition();

  std::unique_ptr<TControlCanvas> canvas_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormState formState_;
  TModalResult modalResult_ = mrNone;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  TComponent* menu_ = nullptr;
  Integer pixelsPerInch_ = 96;
  bool keyPreview_ = false;
  bool active_ = false;
  bool destroyFired_ = false;
  Integer pendingClientWidth_ = -1;
  Integer pendingClientHeight_ = -1;
};

// A form with the properties forms publish.
class TForm : public TCustomForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

using TFormClass = const TClass*;
