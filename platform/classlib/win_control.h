#pragma once
// TWinControl: a control with a window of the window system, a parent to other controls,
// and the keyboard focus; TCustomControl: one that paints itself on a canvas.
//
// The window is made when it is first needed (Handle, or a parent's window being shown)
// from CreateParams; RecreateWnd makes it again after a change of style. Messages of the
// window go to the control's WindowProc; what the control leaves unhandled goes to the
// window system's default procedure.
//
// Children: windowless children come first in Controls[] and in painting order (they are
// drawn on this control's surface, below every windowed child), windowed children after
// them in window z-order. AlignControls places the aligned children in a fixed order:
// top, bottom, left, right, then client, each group by position.
#include <string>
#include <vector>

#include "platform/classlib/controls.h"
#include "platform/win/window.h"

// What CreateParams fills in for the window to be made.
struct TCreateParams {
  std::string Caption;
  win::DWORD Style = 0;
  win::DWORD ExStyle = 0;
  Integer X = 0;
  Integer Y = 0;
  Integer Width = 0;
  Integer Height = 0;
  win::HWND WndParent = nullptr;
  void* Param = nullptr;
  win::WNDCLASS WindowClass;
  std::string WinClassName;
};

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;
const TEnumInfo& BorderStyleInfo();
const TEnumInfo& FormBorderStyleInfo();

using TTabOrder = Integer;

class TWinControl : public TControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  // Publishes windowed-control properties by name ("TabOrder", "OnEnter" ...) and every
  // name PublishProperties of TControl knows.
  static void PublishProperties(TPublished& published, std::initializer_list<std::string_view> names);

  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // ---- the window ----
  // Makes the window when there is none yet.
  win::HWND Handle();
  bool HandleAllocated() const { return windowHandle_ != nullptr; }
  void HandleNeeded();
  win::HWND WindowHandle() const { return windowHandle_; }
  // Destroys the window and makes it again (after a style change).
  void RecreateWnd();
  void DestroyHandle();
  // Whether the control and its parents are visible and its window shows.
  bool Showing() const { return showing_; }
  TBrush* Brush() const { return brush_.get(); }

  // ---- children ----
  Integer ControlCount() const { return static_cast<Integer>(controls_.size() + winControls_.size()); }
  // Windowless children first, then windowed ones. Raises EListError out of range.
  TControl* Controls(Integer index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The child (windowless children before windowed ones when allowWinControls) under a
  // client point, topmost first.
  TControl* ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls = false);
  // Makes a control visible and, for page-like parents, brings it forward.
  virtual void ShowControl(TControl* AControl);
  // Sends the message to every child until one answers non-zero.
  void Broadcast(TMessage& Message);
  // Sends the message to every child.
  void NotifyControls(win::UINT Msg);
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  // ---- alignment ----
  void DisableAlign();
  void EnableAlign();
  bool AlignDisabled() const { return alignLevel_ != 0; }
  void Realign();
  // Places the children again (the control `AControl` changed, or null for all).
  void AlignControl(TControl* AControl);

  // ---- focus and tab order ----
  TTabOrder TabOrder() const;
  void SetTabOrder(TTabOrder value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  // Windowed children in tab order, depth first (the list holds TWinControl*).
  void GetTabOrderList(std::vector<TWinControl*>& list);
  TWinControl* FindNextControl(TWinControl* curControl, bool goForward, bool checkTabStop, bool checkParent);
  void SelectNext(TWinControl* curControl, bool goForward, bool checkTabStop);

  // ---- appearance ----
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);

  // ---- painting ----
  // Paints the windowless children (from `first` on, or all) on `dc`, each in its own
  // viewport and clip.
  void PaintControls(win::HDC dc, TControl* first);
  void Invalidate() override;
  void Repaint() override;
  void Update() override;

  // ---- bounds ----
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // A top-level window that gets a parent is made again as a child window.
  void SetParent(TWinControl* value) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  win::HDC GetDeviceContext(win::HWND& window) override;

  // ---- events ----
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // The window procedure the unhandled messages go to (the window system's default).
  win::WNDPROC DefWndProc() const { return defWndProc_; }

 protected:
  friend class TControl;

  // ---- window life ----
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  virtual void CreateHandle();
  // Shows or hides the window as Visible and the parent's showing state say.
  void UpdateShowing();
  void UpdateControlState();
  virtual void Loaded() override;

  // ---- layout ----
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // The area the children are aligned in (the client rectangle less borders).
  virtual void AdjustClientRect(TRect& Rect);
  virtual void ControlsAligned() {}
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  // Re-anchors and realigns children after this control's client size changed.
  void ChildrenToNewSize();

  // ---- painting ----
  void PaintHandler(TMessage& Message);
  virtual void PaintWindow(win::HDC DC);

  // ---- keyboard ----
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  // Whether the control takes arrows, tabs or characters itself (a text editor does);
  // the form then leaves them to it.
  virtual bool WantsKey(Word Key);
  // Routes the mouse message to the windowless child under it (or holding the mouse).
  bool IsControlMouseMsg(TMessage& Message);
  virtual void MouseWheelHandler(TMessage& Message);
  void SetZOrder(bool TopMost) override;
  // Moves a child for the layout (alignment, scrolling): its anchors keep their rules.
  void PlaceChild(TControl* child, Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  void UpdateTabOrder(TTabOrder value);
  void FixupTabList();
  // Reads the window's rectangle back into the bounds (the window moved by itself).
  void UpdateBounds();

  // ---- message handlers ----
  virtual void WMPaint(TMessage& Message);
  virtual void WMEraseBkgnd(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMMove(TMessage& Message);
  virtual void WMWindowPosChanged(TMessage& Message);
  // The constraints bound a size taken by dragging the window's border.
  void WMGetMinMaxInfo(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMSysKeyDown(TMessage& Message);
  virtual void WMSysChar(TMessage& Message);
  virtual void WMMouseWheel(TMessage& Message);
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMMouseLeave(TMessage& Message);
  virtual void WMNCDestroy(TMessage& Message);
  virtual void WMCommand(TMessage& Message);
  virtual void WMNotify(TMessage& Message);
  void CMEnabledChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  virtual void CMShowingChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  virtual void CMCtl3DChanged(TMessage& Message);
  virtual void CMParentCtl3DChanged(TMessage& Message);
  virtual void CMShowHintChanged(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  void CMSysColorChange(TMessage& Message) override;
  virtual void CMInvalidate(TMessage& Message);
  virtual void CMRecreateWnd(TMessage& Message);
  void CMHitTest(TMessage& Message) override;

 private:
  friend win::LRESULT ControlInitWndProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
  void AttachWindow(win::HWND handle);
  win::LRESULT MainWndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
  void AlignNow(TControl* AControl);
  void DoAlignKind(TAlign kind, TControl* AControl, TRect& rect);
  void RemoveFocus(bool removing);

  win::HWND windowHandle_ = nullptr;
  win::WNDPROC objectInstance_ = nullptr;
  win::WNDPROC defWndProc_ = nullptr;
  std::unique_ptr<TBrush> brush_;
  std::vector<TControl*> controls_;        // windowless, bottom first
  std::vector<TWinControl*> winControls_;  // windowed, bottom of the z-order first
  std::vector<TWinControl*> tabList_;      // tab order
  Integer alignLevel_ = 0;
  bool showing_ = false;
  bool tabStop_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool creatingHandle_ = false;
  bool settingBounds_ = false;
  bool realigning_ = false;
  TPoint lastClientSize_{-1, -1};
  TTabOrder tabOrderValue_ = -1;  // read from a form, applied once loading ends
};

// A windowed control that paints itself on its canvas (Paint).
class TCustomControl : public TWinControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(win::HDC DC) override;
  void DestroyWindowHandle() override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// The form a control sits on, or nullptr.
TCustomForm* GetParentForm(TControl* control);
// The topmost parent of a control (a form, or a control not on a form).
TWinControl* GetTopParent(TControl* control);
// The arrow and page keys: what a control that steps through rows or values keeps from
// the form's dialog navigation (its WantsKey).
bool IsArrowOrPageKey(Word Key);
