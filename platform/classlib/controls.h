#pragma once
// TControl, the base of every visual component, and the windowless TGraphicControl.
//
// A control has a parent (a TWinControl) that lays it out, paints it and hands it the
// mouse: a windowless control has no window of its own, so its parent's window receives
// its input and paints it inside a clip of its bounds (TWinControl::PaintControls).
//
// Messages reach a control through Perform or, for a windowed control, through its
// window. WndProc sees every message first; Dispatch sends each message number the
// controls handle to its typed virtual handler (WMLButtonDown, CMFontChanged ...)
// and everything else to DefaultHandler. A control class extends this by overriding a
// handler, or Dispatch for numbers of its own (calling the inherited Dispatch for the
// rest).
//
// Published properties are registered once. TControl itself publishes the bounds, the
// cursor, the hint and help context; the other properties are published by the classes
// that show them, by name, through PublishProperties.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classlib/canvas.h"
#include "platform/classlib/component.h"
#include "platform/classlib/control_messages.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"
#include "platform/win/handles.h"

class TWinControl;
class TCustomForm;
class TControl;
// Declared by the menus and the actions units; controls keep references to them.
class TPopupMenu;
class TBasicAction;

// ---- enumerations and sets ---------------------------------------------------------

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using TAlignSet = TSet<TAlign>;
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
inline constexpr TAnchors AnchorAlign[] = {
    TAnchors{akLeft, akTop},                     // alNone
    TAnchors{akLeft, akTop, akRight},            // alTop
    TAnchors{akLeft, akRight, akBottom},         // alBottom
    TAnchors{akLeft, akTop, akBottom},           // alLeft
    TAnchors{akRight, akTop, akBottom},          // alRight
    TAnchors{akLeft, akTop, akRight, akBottom},  // alClient
    TAnchors{akLeft, akTop},                     // alCustom
};

enum TControlStyleFlag {
  csAcceptsControls,
  csCaptureMouse,
  csDesignInteractive,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking
};
using TControlState = TSet<TControlStateFlag>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// The text-drawing flag (DT_LEFT, DT_RIGHT or DT_CENTER) of an alignment.
Cardinal AlignmentTextFlags(TAlignment Alignment);
enum TDragMode { dmManual, dmAutomatic };
enum THelpType { htKeyword, htContext };

// Cursor ids of the screen's cursor list (TScreen::Cursors).
using TCursor = SmallInt;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = crSizeAll;
// Names of form files ("crHandPoint"); IdentToCursor ignores case.
const TIdentMap& CursorIdents();
bool CursorToIdent(Integer cursor, std::string& ident);
bool IdentToCursor(std::string_view ident, Integer& cursor);

const TEnumInfo& AlignInfo();
const TEnumInfo& AnchorKindInfo();
const TEnumInfo& AlignmentInfo();
const TEnumInfo& MouseButtonInfo();
const TEnumInfo& ShiftStateInfo();
const TEnumInfo& DragModeInfo();

// Keyboard state of a mouse or key message as a shift state.
TShiftState KeysToShiftState(Word keys);
TShiftState KeyDataToShiftState(win::LPARAM keyData);
// The keys held now, read from the window system's key state.
TShiftState GetShiftState();

// ---- events --------------------------------------------------------------------------

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TCanResizeEvent = std::function<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    std::function<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TWndMethod = std::function<void(TMessage& Message)>;
// Drag and drop (drag_drop.h runs it). Source is the dragged control, or the drag object
// an OnStartDrag handler supplied; X and Y are in the receiving control's client area.
class TDragObject;
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
// Target is null (and X, Y are 0) when the drag ended without a drop.
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;

// ---- size constraints ---------------------------------------------------------------

// Minimum and maximum size of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TSizeConstraints(TControl* control) : control_(control) {}

  void Assign(TPersistent* source) override;

  Integer MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(Integer value);
  Integer MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(Integer value);
  Integer MinHeight() const { return minHeight_; }
  void SetMinHeight(Integer value);
  Integer MinWidth() const { return minWidth_; }
  void SetMinWidth(Integer value);

  TControl* Control() const { return control_; }
  TPersistent* GetOwner() override;

  TNotifyEvent OnChange;

 private:
  void Change();

  TControl* control_;
  Integer maxHeight_ = 0;
  Integer maxWidth_ = 0;
  Integer minHeight_ = 0;
  Integer minWidth_ = 0;
};

// ---- hooks the menus and actions units install -------------------------------------------

// A control keeps its action link as an object it owns; what the link does belongs to
// the actions unit, which installs these when it loads.
struct TControlActionHooks {
  // A new link for the control (owned by the control from then on).
  std::function<TObject*(TControl* client)> CreateLink;
  // Points the link at an action; null detaches it.
  std::function<void(TObject* link, TComponent* action)> SetAction;
  // The action the link points at.
  std::function<TComponent*(TObject* link)> GetAction;
  // Runs the action for a click of the control; false when the link ran nothing.
  std::function<bool(TObject* link, TControl* sender)> Execute;
};
void SetControlActionHooks(TControlActionHooks hooks);

// Pops a control's popup menu up at a screen point; installed by the menus unit.
using TPopupMenuHook = std::function<void(TComponent* menu, TControl* control, TPoint screenPos)>;
void SetPopupMenuHook(TPopupMenuHook hook);

// ---- hint info ------------------------------------------------------------------------

// What CM_HINTSHOW hands a control (LParam) so that it can change the hint it shows.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;           // screen position of the hint window's top-left corner
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;         // in the control's coordinates; leaving it ends the hint
  TPoint CursorPos;         // in the control's coordinates
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  std::string HintStr;
};

// The hint up to '|' (what a hint window shows) and after it (what the status line shows).
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

// ---- TControl -------------------------------------------------------------------------

class TControl : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  // Publishes properties of the control classes by name ("Align", "Color", "OnClick" ...)
  // into a class's published list. An unknown name is a programming error and raises
  // EPropertyError.
  static void PublishProperties(TPublished& published, std::initializer_list<std::string_view> names);

  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // ---- parent and tree ----
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* value);
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;
  void SetName(const std::string& newName) override;
  // The form this control sits on (nullptr when none).
  TCustomForm* GetParentForm() const;

  // ---- bounds ----
  Integer Left() const { return left_; }
  void SetLeft(Integer value) { SetBounds(value, top_, width_, height_); }
  Integer Top() const { return top_; }
  void SetTop(Integer value) { SetBounds(left_, value, width_, height_); }
  Integer Width() const { return width_; }
  void SetWidth(Integer value) { SetBounds(left_, top_, value, height_); }
  Integer Height() const { return height_; }
  void SetHeight(Integer value) { SetBounds(left_, top_, width_, value); }
  // Moves and sizes in one step, within the constraints; realigns the parent.
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return TRect{left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }
  // The client area in the control's own coordinates.
  virtual TRect ClientRect();
  Integer ClientWidth() { return ClientRect().right; }
  void SetClientWidth(Integer value) { SetClientSize(TPoint{value, ClientHeight()}); }
  Integer ClientHeight() { return ClientRect().bottom; }
  void SetClientHeight(Integer value) { SetClientSize(TPoint{ClientWidth(), value}); }
  // Resizes so that the client area gets the given width (x) and height (y).
  virtual void SetClientSize(const TPoint& value);
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(const TPoint& p);
  TPoint ScreenToClient(const TPoint& p);

  // ---- layout ----
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetConstraints(TSizeConstraints* value) { constraints_->Assign(value); }
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool value);

  // ---- state ----
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show();
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState value) { controlState_ = value; }

  // ---- appearance ----
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  // The caption and the text are one string.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& value) { SetText(value); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);

  // ---- hints and help ----
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer value) { helpContext_ = value; }
  // ---- drag and drop (drag_drop.cpp) ----
  // dmAutomatic starts a drag at every left-button press on the control.
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode value) { dragMode_ = value; }
  // Shown while a target accepts this control.
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  // Starts dragging this control at once, or (not Immediate) once the mouse has moved
  // more than Threshold pixels (-1: the system's five) with the button held.
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  // Ends this control's drag: dropped on the last target when it accepted and Drop.
  void EndDrag(bool Drop);
  bool Dragging() const;

  // ---- menus and actions ----
  // Typed access needs the menus (actions) header; the component forms compile anywhere.
  template <class M = TPopupMenu>
  M* PopupMenu() const { return static_cast<M*>(popupMenu_); }
  template <class M = TPopupMenu>
  void SetPopupMenu(M* value) { SetPopupMenuComponent(value); }
  TComponent* PopupMenuComponent() const { return popupMenu_; }
  void SetPopupMenuComponent(TComponent* value);
  template <class A = TBasicAction>
  A* Action() const { return static_cast<A*>(ActionComponent()); }
  template <class A = TBasicAction>
  void SetAction(A* value) { SetActionComponent(value); }
  TComponent* ActionComponent() const;
  void SetActionComponent(TComponent* value);
  TObject* ActionLink() const { return actionLink_.get(); }

  // ---- messages ----
  win::LRESULT Perform(win::UINT Msg, win::WPARAM WParam = 0, win::LPARAM LParam = 0);
  // The procedure Perform and the window hand messages to: WndProc unless replaced.
  TWndMethod WindowProc;

  // ---- painting ----
  virtual void Invalidate();
  virtual void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }

  // ---- z-order ----
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }

  // ---- mouse ----
  bool MouseCapture();
  void SetMouseCapture(bool value);
  // The window a windowless control's messages and painting go through.
  win::HWND ParentWindowHandle() const;

  // ---- sizing helpers for layout ----
  // Applies the constraints (and OnCanResize) to a new size; false refuses the change.
  bool CheckNewSize(Integer& NewWidth, Integer& NewHeight);
  // Forces AutoSize to be applied again.
  virtual void AdjustSize();
  // A device context for drawing on the control (TControlCanvas uses it); `window` is
  // the window it belongs to and is given back with ReleaseDC.
  virtual win::HDC GetDeviceContext(win::HWND& window);

  // ---- events ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  // Before a popup menu opens (right button released); Handled keeps it closed.
  TContextPopupEvent OnContextPopup;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;

  // Used by TWinControl on its children.
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  // Places the control within the parent's client size when anchoring asks for it.
  void UpdateAnchorRules();
  void AnchorToParent(const TPoint& parentClientSize);
  bool IsAnchorMove() const { return anchorMove_; }

  // Click and DblClick are public so that menus, actions and tests can fire them.
  virtual void Click();
  virtual void DblClick();

 protected:
  friend class TWinControl;
  friend class TSizeConstraints;

  // ---- hooks for descendants ----
  virtual std::string GetText() const { return text_; }
  virtual void SetZOrder(bool TopMost);
  virtual void Changed();
  virtual void Resize();
  virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
  virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight);
  virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  // Constraints as ConstrainedResize leaves them (0: no limit).
  void EffectiveConstraints(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  virtual void ConstraintsChanged();
  virtual void DoAutoSize();
  virtual void RequestAlign();
  virtual void VisibleChanging() {}
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  // Drag and drop: a control that takes drops only when it has OnDragOver, which
  // decides (Accept starts true).
  friend class TDragSession;
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
  virtual void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Invalidates the control's rectangle in the parent (bEraseBkgnd for see-through ones).
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  void SendCancelMode(TControl* Sender);
  // Whether the mouse point (client coordinates) belongs to the control.
  virtual bool IsHitPoint(const TPoint& p);

  // ---- message handlers ----
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMRButtonDblClk(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMButtonDblClk(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMHitTest(TMessage& Message);
  virtual void CMDesignHitTest(TMessage& Message);
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMHintShow(TMessage& Message);
  virtual void CMMouseWheel(TMessage& Message);
  virtual void CMSysColorChange(TMessage& Message);

  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);

  // Direct state access for descendants.
  TControlStyle controlStyle_;
  TControlState controlState_;
  std::string text_;

 private:
  void FontChanged(TObject* Sender);
  void DoActionChange(TObject* Sender);
  void SetParentControlValue(TWinControl* value);

  TWinControl* parent_ = nullptr;
  Integer left_ = 0;
  Integer top_ = 0;
  Integer width_ = 0;
  Integer height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  std::unique_ptr<TSizeConstraints> constraints_;
  bool autoSize_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TCursor cursor_ = crDefault;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  Integer helpContext_ = 0;
  TDragMode dragMode_ = dmManual;
  TCursor dragCursor_ = crDrag;
  TComponent* popupMenu_ = nullptr;
  std::unique_ptr<TObject> actionLink_;
  // Anchoring: the distances the anchors keep, and the parent client size they refer to.
  TPoint anchorRules_{0, 0};
  TPoint originalParentSize_{0, 0};
  bool anchorMove_ = false;
  bool isLoadingBounds_ = false;
};

// A windowless control that paints itself on a canvas of its parent's window.
class TGraphicControl : public TControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void Dispatch(TMessage& Message) override;
  virtual void WMPaint(TMessage& Message);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// Registers the control property `name` into `published`; false for an unknown name.
// (TControl::PublishProperties and its descendants' tables use it.)
bool PublishControlProperty(TPublished& published, std::string_view name);

// Points control canvases at the controls' device contexts (done by every canvas-owning
// control as it is made).
void InstallControlCanvasHooks();

// Runs `paint` with `canvas` locked and drawing on `dc` (a device context it had of its
// own is given back first); the canvas lets go of `dc` afterwards, also when painting throws.
void PaintOnDC(TControlCanvas& canvas, win::HDC dc, const std::function<void()>& paint);

// The control currently holding the mouse capture (a windowless one through its
// parent's window), or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);

// The control at a screen point: the deepest windowed control under it, then its
// windowless children (disabled ones too when allowDisabled).
TControl* FindDragTarget(const TPoint& pos, bool allowDisabled);
// The windowed control that owns a window, or nullptr.
TWinControl* FindControl(win::HWND handle);
