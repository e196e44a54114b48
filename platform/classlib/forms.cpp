#include "platform/classlib/forms.h"

#include <algorithm>

#include "platform/classlib/application.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_resources.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/screen.h"
#include "platform/win/input.h"
#include "platform/win/menu_tracking.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

const TEnumInfo& BorderIconInfo() {
  static const TEnumInfo info("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  return info;
}
const TEnumInfo& FormStyleInfo() {
  static const TEnumInfo info("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  return info;
}
const TEnumInfo& PositionInfo() {
  static const TEnumInfo info("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                            "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                            "poOwnerFormCenter"});
  return info;
}
const TEnumInfo& WindowStateInfo() {
  static const TEnumInfo info("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
  return info;
}

namespace {

// Form files name the class.
const bool kFormRegistered = [] {
  RegisterClass(TForm::StaticClass());
  return true;
}();

int ShowCommand(TWindowState state) {
  switch (state) {
    case wsMinimized: return win::SW_SHOWMINIMIZED;
    case wsMaximized: return win::SW_SHOWMAXIMIZED;
    default: return win::SW_SHOWNORMAL;
  }
}

bool IsMenuClass(const TClass& cls) {
  for (const TClass* c = &cls; c; c = c->ClassParent())
    if (SameIdent(c->ClassName(), "TMainMenu")) return true;
  return false;
}

}  // namespace

// ---- class and properties ------------------------------------------------------------------------

const TClass& TCustomForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomForm>("TCustomForm", TScrollingWinControl::StaticClass(), &TCustomForm::Publish);
  return cls;
}

void TCustomForm::Publish(TPublished&) {}

const TClass& TForm::StaticClass() {
  static const TClass cls = TClass::Of<TForm>("TForm", TCustomForm::StaticClass(), &TForm::Publish);
  return cls;
}

void TForm::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Action",         "Align",          "Anchors",       "AutoSize",     "Caption",
                  "Color",          "Constraints",    "Ctl3D",         "DragMode",     "Enabled",
                  "Font",           "ParentFont",     "PopupMenu",     "ShowHint",     "OnCanResize",
                  "OnClick",        "OnConstrainedResize", "OnDblClick", "OnKeyDown",  "OnKeyPress",
                  "OnKeyUp",        "OnMouseDown",    "OnMouseMove",   "OnMouseUp",    "OnMouseWheel",
                  "OnMouseWheelDown", "OnMouseWheelUp", "OnResize"});
  auto p = published.For<TForm>();
  // The client size is what a form stores; the outer size follows from the frame.
  p.Integer("Width", &TForm::Width, &TForm::SetWidth).Stored(false);
  p.Integer("Height", &TForm::Height, &TForm::SetHeight).Stored(false);
  p.Integer("Color", &TForm::Color, &TForm::SetColor).Idents(ColorIdents()).Default(clBtnFace);
  p.Integer("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth);
  p.Integer("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight);
  p.Boolean("ParentFont", &TForm::ParentFont, &TForm::SetParentFont).Default(false);
  p.Component("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
  p.Set("BorderIcons", BorderIconInfo(), &TForm::BorderIcons, &TForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Enum("BorderStyle", FormBorderStyleInfo(), &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  // After BorderStyle, which sets it: stored when it differs from what the style gives.
  p.Boolean("AutoScroll", &TForm::AutoScroll, &TForm::SetAutoScroll).NoDefault().StoredIf([](TForm* f) {
    return f->AutoScroll() != (f->BorderStyle() == bsSizeable || f->BorderStyle() == bsSizeToolWin);
  });
  p.Enum("FormStyle", FormStyleInfo(), &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
  p.Object("HorzScrollBar", &TForm::HorzScrollBar, &TForm::SetHorzScrollBar);
  p.Object("VertScrollBar", &TForm::VertScrollBar, &TForm::SetVertScrollBar);
  p.Boolean("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(false);
  {
    auto b = p.Component("Menu", &TForm::MenuComponent, &TForm::SetMenuComponent);
    if (const TClass* menu = GetClass("TMainMenu")) b.Info().PropClass = menu;
  }
  p.Integer("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
  p.Enum("Position", PositionInfo(), &TForm::Position, &TForm::SetPosition).Default(poDesigned);
  p.Boolean("Visible", &TForm::Visible, &TForm::SetVisible).Default(false);
  p.Enum("WindowState", WindowStateInfo(), &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
  p.Event("OnActivate", &TForm::OnActivate);
  p.Event("OnClose", &TForm::OnClose);
  p.Event("OnCloseQuery", &TForm::OnCloseQuery);
  p.Event("OnCreate", &TForm::OnCreate);
  p.Event("OnDeactivate", &TForm::OnDeactivate);
  p.Event("OnDestroy", &TForm::OnDestroy);
  p.Event("OnHide", &TForm::OnHide);
  p.Event("OnPaint", &TForm::OnPaint);
  p.Event("OnShow", &TForm::OnShow);
}

// ---- life ---------------------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  formState_.Include(fsCreating);
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
  SetColor(clBtnFace);
  SetParentFont(false);
  InstallControlCanvasHooks();
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
  if (Screen) Screen->AddForm(this);
  formState_.Exclude(fsCreating);
}

TCustomForm::~TCustomForm() {
  // Nothing may leave a destructor; a failing OnDestroy was reported already.
  try {
    BeforeDestruction();
  } catch (...) {
  }
  DestroyHandle();
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroying(this);
  // The owned components go while the form is still whole: their removal reaches its
  // focus bookkeeping and Notification.
  DestroyComponents();
  activeControl_ = nullptr;
  focusedControl_ = nullptr;
  canvas_->SetControl(nullptr);
}

bool TCustomForm::ReadFormResource() {
  formState_.Include(fsCreating);
  bool found = false;
  try {
    const TClass& root = InheritsFrom(TForm::StaticClass()) ? TForm::StaticClass() : TCustomForm::StaticClass();
    found = InitInheritedComponent(this, root);
  } catch (...) {
    formState_.Exclude(fsCreating);
    throw;
  }
  formState_.Exclude(fsCreating);
  DoCreate();
  // A form stored visible shows once it is complete.
  if (Visible()) UpdateControlState();
  return found;
}

void TCustomForm::BeforeDestruction() {
  Destroying();
  if (destroyFired_) return;
  destroyFired_ = true;
  try {
    DoDestroy();
  } catch (...) {
    HandleOrRethrow(this);
  }
}

void TCustomForm::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    HandleOrRethrow(this);
  }
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

Integer TCustomForm::ClientWidth() {
  return pendingClientWidth_ >= 0 ? pendingClientWidth_ : TScrollingWinControl::ClientWidth();
}

Integer TCustomForm::ClientHeight() {
  return pendingClientHeight_ >= 0 ? pendingClientHeight_ : TScrollingWinControl::ClientHeight();
}

// While a form is read its frame may still change (BorderStyle comes later): the client
// size waits until the form is complete.
void TCustomForm::SetClientWidth(Integer value) {
  if (ComponentState().Contains(csLoading)) {
    pendingClientWidth_ = value;
    return;
  }
  SetClientSize(TPoint{value, ClientHeight()});
}

void TCustomForm::SetClientHeight(Integer value) {
  if (ComponentState().Contains(csLoading)) {
    pendingClientHeight_ = value;
    return;
  }
  SetClientSize(TPoint{ClientWidth(), value});
}

void TCustomForm::Loaded() {
  // The size read first, then the rest: the inherited Loaded aligns the children and settles
  // the scroll bars, which must see the form's own size (settled on the size the form had
  // before, a bar that size called for would be added to the client size read). The client
  // size stored leaves the bars out: where the children call for bars, the frame grows
  // round them once they are settled.
  const bool sized = pendingClientWidth_ >= 0 || pendingClientHeight_ >= 0;
  const TPoint size{ClientWidth(), ClientHeight()};
  if (sized) {
    pendingClientWidth_ = -1;
    pendingClientHeight_ = -1;
    SetClientSize(size);
  }
  TScrollingWinControl::Loaded();
  if (sized && (ClientWidth() != size.x || ClientHeight() != size.y)) SetClientSize(size);
  if (activeControl_ && !activeControl_->Parent()) activeControl_ = nullptr;
  UpdateMenuBar();
  // A form read as visible shows as it was stored (while it is made, ReadFormResource
  // shows it once it is complete).
  if (Visible() && !formState_.Contains(fsCreating)) UpdateControlState();
}

// A form shows only once it is complete (see ReadFormResource).
void TCustomForm::VisibleChanging() {
  if (formStyle_ == fsMDIChild && Visible()) throw EInvalidOperation("Cannot hide an MDI child form");
}

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TScrollingWinControl::GetChildren(proc, root);
  if (root != this) return;
  for (Integer i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) proc(c);
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == menu_) {
    menu_ = nullptr;
    UpdateMenuBar();
  }
  if (AComponent == activeControl_) activeControl_ = nullptr;
  if (AComponent == focusedControl_) focusedControl_ = nullptr;
}

// ---- window ---------------------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (!Parent()) {
    Params.WndParent = nullptr;
    Params.Style &= ~(win::WS_CHILD | win::WS_GROUP | win::WS_TABSTOP);
  }
  Params.WindowClass.style = win::CS_DBLCLKS;
  TBorderIcons icons = borderIcons_;
  switch (borderStyle_) {
    case bsNone:
      if (!Parent() && formStyle_ != fsMDIChild) Params.Style |= win::WS_POPUP;
      icons = TBorderIcons{};
      break;
    case bsSingle:
    case bsToolWindow:
      Params.Style |= win::WS_CAPTION | win::WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      Params.Style |= win::WS_CAPTION | win::WS_THICKFRAME;
      break;
    case bsDialog:
      Params.Style |= win::WS_POPUP | win::WS_CAPTION;
      Params.ExStyle |= win::WS_EX_DLGMODALFRAME | win::WS_EX_WINDOWEDGE;
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
      break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) {
    Params.ExStyle |= win::WS_EX_TOOLWINDOW;
    icons = icons * TBorderIcons{biSystemMenu};
  }
  if (!Parent() && borderStyle_ != bsNone) {
    if (icons.Contains(biSystemMenu)) Params.Style |= win::WS_SYSMENU;
    if (icons.Contains(biMinimize)) Params.Style |= win::WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) Params.Style |= win::WS_MAXIMIZEBOX;
  }
  if (formStyle_ == fsStayOnTop) Params.ExStyle |= win::WS_EX_TOPMOST;
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  UpdateMenuBar();
  if (formStyle_ == fsStayOnTop)
    win::SetWindowPos(WindowHandle(), win::HWND_TOPMOST, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  SetAutoScroll(value == bsSizeable || value == bsSizeToolWin);
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (borderIcons_ == value) return;
  borderIcons_ = value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (formStyle_ == value) return;
  if (value == fsMDIChild || value == fsMDIForm || formStyle_ == fsMDIChild || formStyle_ == fsMDIForm)
    throw EInvalidOperation("MDI forms are not supported");
  formStyle_ = value;
  if (WindowHandle())
    win::SetWindowPos(WindowHandle(), value == fsStayOnTop ? win::HWND_TOPMOST : win::HWND_NOTOPMOST, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState value) {
  if (windowState_ == value) return;
  windowState_ = value;
  if (!ComponentState().Contains(csLoading) && Showing()) win::ShowWindow(WindowHandle(), ShowCommand(value));
}

void TCustomForm::SetMenuComponent(TComponent* value) {
  if (value == menu_) return;
  if (value && !IsMenuClass(value->ClassType()))
    throw CreateFmt<EInvalidOperation>("%s is not a main menu", value->ClassName());
  if (menu_) menu_->RemoveFreeNotification(this);
  menu_ = value;
  if (value) value->FreeNotification(this);
  UpdateMenuBar();
}

// The window's bar shows the main menu; the client area keeps its size when the bar comes
// or goes, as the form file states the client size.
void TCustomForm::UpdateMenuBar() {
  win::HWND h = WindowHandle();
  if (!h || Parent() || ComponentState().Contains(csLoading)) return;
  auto* menu = dynamic_cast<TMenu*>(menu_);
  const bool had = win::MenuBarHeight(h) > 0;
  const TPoint client{ClientWidth(), ClientHeight()};
  win::SetMenuBar(h, menu ? MenuBarItemsOf(*menu) : std::vector<win::MenuBarItem>{});
  if (had != (win::MenuBarHeight(h) > 0)) SetClientSize(client);
}

void TCustomForm::PaintWindow(win::HDC DC) { PaintOnDC(*canvas_, DC, [this] { Paint(); }); }

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

// ---- showing and closing ----------------------------------------------------------------------------------

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::SetWindowToPosition() {
  TPosition pos = position_;
  TRect area{0, 0, Screen ? Screen->Width() : 0, Screen ? Screen->Height() : 0};
  if (pos == poMainFormCenter || pos == poOwnerFormCenter) {
    TCustomForm* around = nullptr;
    if (pos == poOwnerFormCenter) around = dynamic_cast<TCustomForm*>(Owner());
    if (!around && Application) around = Application->MainForm();
    if (around && around != this && around->WindowHandle())
      area = around->BoundsRect();
    else
      pos = poScreenCenter;
  }
  if (pos == poScreenCenter || pos == poDesktopCenter || pos == poMainFormCenter || pos == poOwnerFormCenter) {
    Integer x = area.left + ((area.right - area.left) - Width()) / 2;
    Integer y = area.top + ((area.bottom - area.top) - Height()) / 2;
    SetBounds(std::max(x, 0), std::max(y, 0), Width(), Height());
  }
  // The position applies to the first showing only.
  position_ = poDesigned;
}

// A form being made or read shows only once it is complete (ReadFormResource).
void TCustomForm::CMVisibleChanged(TMessage& Message) {
  if (formState_.Contains(fsCreating) || ComponentState().Contains(csLoading)) return;
  TScrollingWinControl::CMVisibleChanged(Message);
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (formState_.Contains(fsShowing)) throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
  formState_.Include(fsShowing);
  try {
    if (Showing()) {
      try {
        DoShow();
      } catch (...) {
        HandleOrRethrow(this);
      }
      SetWindowToPosition();
      win::ShowWindow(WindowHandle(), ShowCommand(windowState_));
    } else {
      try {
        DoHide();
      } catch (...) {
        HandleOrRethrow(this);
      }
      win::ShowWindow(WindowHandle(), win::SW_HIDE);
    }
  } catch (...) {
    formState_.Exclude(fsShowing);
    throw;
  }
  formState_.Exclude(fsShowing);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) Application->Terminate();
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  // Posted, so that the handler that asked for it finishes first.
  if (!win::PostMessage(Handle(), CM_RELEASE, 0, 0)) throw EInvalidOperation("Cannot release the form");
}

void TCustomForm::CMRelease(TMessage&) {
  BeforeDestruction();
  delete this;
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    switch (action) {
      case caNone: modalResult_ = mrNone; break;
      case caFree: Release(); break;
      default: break;
    }
  } catch (...) {
    modalResult_ = mrNone;
    HandleOrRethrow(this);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || formState_.Contains(fsModal) || formStyle_ == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (win::HWND capture = win::GetCapture()) win::SendMessage(capture, win::WM_CANCELMODE, 0, 0);
  win::ReleaseCapture();
  formState_.Include(fsModal);
  win::HWND activeWindow = win::GetActiveWindow();
  // The other top-level windows wait while the form runs.
  std::vector<win::HWND> disabled;
  win::EnumWindows([&](win::HWND h) {
    if (h != WindowHandle() && win::IsWindowVisible(h) && win::IsWindowEnabled(h)) disabled.push_back(h);
    return true;
  });
  for (win::HWND h : disabled) win::EnableWindow(h, 0);
  TModalResult result = mrNone;
  auto restore = [&]() {
    for (win::HWND h : disabled)
      if (win::IsWindow(h)) win::EnableWindow(h, 1);
    if (activeWindow && win::IsWindow(activeWindow)) win::SetActiveWindow(activeWindow);
    formState_.Exclude(fsModal);
  };
  try {
    Show();
    try {
      modalResult_ = mrNone;
      // What is waiting already (input, OnShow's doing) is delivered first.
      if (Application)
        Application->ProcessMessages();
      else
        win::PumpPendingMessages();
      if (modalResult_ != mrNone) CloseModal();
      while (modalResult_ == mrNone) {
        if (Application && Application->Terminated()) {
          modalResult_ = mrCancel;
          break;
        }
        if (win::ModalRunsOnScreen()) {
          // A person answers: wait for input and deliver it; a closed screen cancels.
          if (!win::WaitForDisplayInput()) {
            modalResult_ = mrCancel;
            break;
          }
          if (Application)
            Application->ProcessMessages();
          else
            win::PumpPendingMessages();
          if (modalResult_ != mrNone) CloseModal();
          continue;
        }
        // Nothing more to deliver and still no result: the answer queue decides. An
        // answer's action may click the form's own buttons, whose result then wins.
        int answer = win::RunModalForm(Handle(), ClassName(), Text());
        if (modalResult_ == mrNone) modalResult_ = answer;
        CloseModal();
      }
      result = modalResult_;
    } catch (...) {
      Hide();
      throw;
    }
    Hide();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return result;
}

// ---- activation and focus ------------------------------------------------------------------------------

void TCustomForm::WMActivate(TMessage& Message) {
  SetActive(LoWord(Message.WParam) != win::WA_INACTIVE);
}

void TCustomForm::SetActive(bool value) {
  active_ = value;
  if (!value) return;
  if (!activeControl_ && !ComponentState().Contains(csDesigning)) activeControl_ = FindNextControl(nullptr, true, true, false);
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  win::HWND focus = activeControl_ ? activeControl_->Handle() : Handle();
  if (focus) win::SetFocus(focus);
}

void TCustomForm::SetFocus() {
  if (active_) return;
  if (!(Visible() && Enabled())) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetWindowFocus();
}

void TCustomForm::SetActiveControl(TWinControl* value) {
  if (activeControl_ == value) return;
  bool loading = ComponentState().Contains(csLoading);
  if (value && (value == this || ::GetParentForm(value) != this || (!loading && !value->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = value;
  if (!loading && active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = active_;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

namespace {

// Sends a focus notification; false when a handler moved the focus elsewhere meanwhile.
bool SendFocusMessage(TWinControl* target, win::UINT msg) {
  win::HWND before = win::GetFocus();
  target->Perform(msg);
  return win::GetFocus() == before;
}

}  // namespace

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  // A form going away hands the focus on; it takes none of it back.
  if (!Control || ComponentState().Contains(csDestroying)) return false;
  activeControl_ = Control != this ? Control : nullptr;
  if (Screen) Screen->SetFocus(this, Control);
  if (Control->ControlState().Contains(csFocusing)) return false;
  Control->SetControlState(Control->ControlState() + TControlState{csFocusing});
  auto done = [&](bool result) {
    Control->SetControlState(Control->ControlState() - TControlState{csFocusing});
    return result;
  };
  try {
    if (Screen && Screen->focusedForm_ != this) {
      if (TCustomForm* old = Screen->focusedForm_) {
        Screen->focusedForm_ = nullptr;
        if (!SendFocusMessage(old, CM_DEACTIVATE)) return done(false);
      }
      Screen->focusedForm_ = this;
      if (!SendFocusMessage(this, CM_ACTIVATE)) return done(false);
    }
    if (!focusedControl_) focusedControl_ = this;
    if (focusedControl_ != Control) {
      // Leave every control that does not hold the new one, innermost first ...
      while (focusedControl_ && !focusedControl_->ContainsControl(Control)) {
        TWinControl* leaving = focusedControl_;
        focusedControl_ = leaving->Parent();
        if (!SendFocusMessage(leaving, CM_EXIT)) return done(false);
      }
      // ... then enter every control down to it, outermost first.
      while (focusedControl_ != Control) {
        TWinControl* step = Control;
        while (step->Parent() != focusedControl_) step = step->Parent();
        focusedControl_ = step;
        if (!SendFocusMessage(step, CM_ENTER)) return done(false);
      }
      for (TWinControl* p = Control->Parent(); p; p = p->Parent())
        if (auto* scrolling = dynamic_cast<TScrollingWinControl*>(p)) scrolling->ScrollInView(Control);
      Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<win::LPARAM>(Control));
    }
  } catch (...) {
    done(false);
    throw;
  }
  return done(true);
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && focusedControl_ && Control->ContainsControl(focusedControl_)) focusedControl_ = Control->Parent();
  if (activeControl_ && Control->ContainsControl(activeControl_)) {
    activeControl_ = nullptr;
    if (active_ && !ComponentState().Contains(csDestroying) && WindowHandle()) SetWindowFocus();
  }
}

void TCustomForm::SendCancelMode(TControl* Sender) {
  if (active_ && activeControl_) activeControl_->Perform(CM_CANCELMODE, 0, reinterpret_cast<win::LPARAM>(Sender));
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
  if (activeControl_)
    Message.Result = activeControl_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TCustomForm::CMActivate(TMessage&) { Activate(); }
void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (win::GetKeyState(win::VK_MENU) >= 0) {
    switch (Message.WParam) {
      case win::VK_TAB:
        if (win::GetKeyState(win::VK_CONTROL) >= 0) {
          SelectNext(activeControl_, win::GetKeyState(win::VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case win::VK_LEFT:
      case win::VK_RIGHT:
      case win::VK_UP:
      case win::VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          bool forward = Message.WParam == win::VK_RIGHT || Message.WParam == win::VK_DOWN;
          activeControl_->Parent()->SelectNext(activeControl_, forward, false);
          Message.Result = 1;
          return;
        }
        break;
      default:
        break;
    }
  }
  TScrollingWinControl::CMDialogKey(Message);
}

void TCustomForm::WMSize(TMessage& Message) {
  // Only a form on the screen reports its state; a window being made is not restored.
  if (Showing()) switch (Message.WParam) {
    case win::SIZE_MINIMIZED: windowState_ = wsMinimized; break;
    case win::SIZE_MAXIMIZED: windowState_ = wsMaximized; break;
    default: windowState_ = wsNormal; break;
  }
  TScrollingWinControl::WMSize(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ACTIVATE: CMActivate(Message); break;
    case CM_DEACTIVATE: CMDeactivate(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    case win::WM_CLOSE: WMClose(Message); break;
    case win::WM_ACTIVATE: WMActivate(Message); break;
    case win::WM_INITMENU:
      // The drop-downs show what the items' actions say now.
      if (auto* menu = dynamic_cast<TMenu*>(menu_)) {
        try {
          menu->Items()->InitiateActions();
        } catch (...) {
          HandleOrRethrow(this);
        }
      }
      UpdateMenuBar();
      break;
    case win::WM_COMMAND:
      if (auto* menu = dynamic_cast<TMenu*>(menu_); menu && Message.LParam == 0 && win::HIWORD(Message.WParam) == 0) {
        try {
          if (menu->DispatchCommand(win::LOWORD(Message.WParam))) break;
        } catch (...) {
          HandleOrRethrow(this);
          break;
        }
      }
      TScrollingWinControl::Dispatch(Message);
      break;
    default: TScrollingWinControl::Dispatch(Message); break;
  }
}
