#include "platform/classlib/win_control.h"

#include <algorithm>
#include <unordered_map>

#include "platform/classlib/application.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/module_life.h"
#include "platform/classlib/screen.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"

const TEnumInfo& BorderStyleInfo() {
  static const TEnumInfo info("TBorderStyle", {"bsNone", "bsSingle"});
  return info;
}

const TEnumInfo& FormBorderStyleInfo() {
  static const TEnumInfo info("TFormBorderStyle",
                              {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  return info;
}

namespace {

// Windows of the controls, for FindControl.
std::unordered_map<win::HWND, TWinControl*>& WindowControls() {
  static std::unordered_map<win::HWND, TWinControl*> map;
  return map;
}

// The control whose window is being made: the first message of a new window attaches
// the window to it.
TWinControl* gCreationControl = nullptr;

bool IsMouseMessage(win::UINT msg) {
  return msg >= win::WM_MOUSEFIRST && msg <= win::WM_MOUSELAST && msg != win::WM_MOUSEWHEEL;
}


}  // namespace

win::LRESULT ControlInitWndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  TWinControl* control = gCreationControl;
  if (!control) return win::DefWindowProc(hwnd, msg, wParam, lParam);
  gCreationControl = nullptr;
  control->AttachWindow(hwnd);
  return control->MainWndProc(hwnd, msg, wParam, lParam);
}

// The device contexts of control canvases: a windowed control draws on its own client
// area, a windowless one on its parent's, moved to its origin and clipped to it.
// Installed again by every new control, so that nothing that replaced them for a while
// leaves the controls without.
void InstallControlCanvasHooks() {
  TControlCanvas::SetHooks(TControlCanvas::Hooks{
      [](TControl* control) -> win::HDC {
        win::HWND window = nullptr;
        return control->GetDeviceContext(window);
      },
      [](TControl*, win::HDC dc) { win::ReleaseDC(win::WindowFromDC(dc), dc); },
  });
}

TWinControl* FindControl(win::HWND handle) {
  if (!handle) return nullptr;
  auto& map = WindowControls();
  auto it = map.find(handle);
  return it == map.end() ? nullptr : it->second;
}

TCustomForm* GetParentForm(TControl* control) {
  while (control && control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

TWinControl* GetTopParent(TControl* control) {
  if (!control) return nullptr;
  while (control->Parent()) control = control->Parent();
  return dynamic_cast<TWinControl*>(control);
}

// ---- published properties -------------------------------------------------------------------

namespace {

struct PropertyRegistrarWin {
  const char* Name;
  void (*Register)(TPublished&);
};

bool Ctl3DStored(TWinControl* c) { return !c->ParentCtl3D(); }

const PropertyRegistrarWin kWinControlProperties[] = {
    {"TabOrder",
     [](TPublished& p) { p.For<TWinControl>().Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1); }},
    {"TabStop",
     [](TPublished& p) { p.For<TWinControl>().Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false); }},
    {"Ctl3D",
     [](TPublished& p) {
       p.For<TWinControl>().Boolean("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).StoredIf(&Ctl3DStored);
     }},
    {"ParentCtl3D",
     [](TPublished& p) {
       p.For<TWinControl>().Boolean("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
     }},
    {"OnEnter", [](TPublished& p) { p.For<TWinControl>().Event("OnEnter", &TWinControl::OnEnter); }},
    {"OnExit", [](TPublished& p) { p.For<TWinControl>().Event("OnExit", &TWinControl::OnExit); }},
    {"OnKeyDown", [](TPublished& p) { p.For<TWinControl>().Event("OnKeyDown", &TWinControl::OnKeyDown); }},
    {"OnKeyPress", [](TPublished& p) { p.For<TWinControl>().Event("OnKeyPress", &TWinControl::OnKeyPress); }},
    {"OnKeyUp", [](TPublished& p) { p.For<TWinControl>().Event("OnKeyUp", &TWinControl::OnKeyUp); }},
};

const PropertyRegistrarWin* FindWinRegistrar(std::string_view name) {
  for (const auto& r : kWinControlProperties)
    if (SameIdent(r.Name, name)) return &r;
  return nullptr;
}

}  // namespace

void TWinControl::PublishProperties(TPublished& published, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    if (const PropertyRegistrarWin* r = FindWinRegistrar(name)) {
      r->Register(published);
      continue;
    }
    if (!PublishControlProperty(published, name))
      throw CreateFmt<EPropertyError>(msg::UnknownProperty, std::string(name));
  }
}

const TClass& TWinControl::StaticClass() {
  static const TClass cls = TClass::Of<TWinControl>("TWinControl", TControl::StaticClass(), &TWinControl::Publish);
  return cls;
}

void TWinControl::Publish(TPublished&) {}

// ---- life --------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  brush_ = std::make_unique<TBrush>();
  brush_->SetColor(Color());
  objectInstance_ = win::MakeProcInstance(
      [this](win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) { return MainWndProc(h, m, w, l); });
  if (!objectInstance_) throw EOutOfResources("Out of window procedure instances");
  defWndProc_ = &win::DefWindowProc;
}

TWinControl::~TWinControl() {
  Destroying();
  // Leaves the parent while still a windowed control: the parent keeps windowed and
  // windowless children apart.
  if (Parent()) {
    RemoveFocus(true);
    Parent()->RemoveControl(this);
  }
  if (windowHandle_) DestroyWindowHandle();
  // Children go with their parent, whoever owns them.
  while (ControlCount() > 0) {
    TControl* child = Controls(ControlCount() - 1);
    RemoveControl(child);
    delete child;
  }
  win::FreeProcInstance(objectInstance_);
  objectInstance_ = nullptr;
}

// ---- the window ------------------------------------------------------------------------------

win::HWND TWinControl::Handle() {
  HandleNeeded();
  return windowHandle_;
}

void TWinControl::HandleNeeded() {
  if (windowHandle_) return;
  if (Parent()) Parent()->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = text_;
  Params.Style = win::WS_CHILD | win::WS_CLIPSIBLINGS;
  if (controlStyle_.Contains(csAcceptsControls)) {
    Params.Style |= win::WS_CLIPCHILDREN;
    Params.ExStyle |= win::WS_EX_CONTROLPARENT;
  }
  if (!Enabled()) Params.Style |= win::WS_DISABLED;
  if (tabStop_) Params.Style |= win::WS_TABSTOP;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  if (Parent()) Params.WndParent = Parent()->WindowHandle();
  Params.WindowClass.style = win::CS_VREDRAW | win::CS_HREDRAW | win::CS_DBLCLKS;
  if (!controlStyle_.Contains(csDoubleClicks)) Params.WindowClass.style &= ~win::CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = &win::DefWindowProc;
  Params.WindowClass.hCursor = win::LoadCursor(nullptr, win::IDC_ARROW);
  Params.WinClassName = ClassName();
}

void TWinControl::CreateHandle() {
  if (windowHandle_) return;
  CreateWnd();
  if (Parent()) {
    // The window goes below the next windowed sibling above it.
    const auto& siblings = Parent()->winControls_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    win::HWND after = win::HWND_TOP;
    if (it != siblings.end())
      for (auto next = it + 1; next != siblings.end(); ++next)
        if ((*next)->windowHandle_) {
          after = (*next)->windowHandle_;
          break;
        }
    win::SetWindowPos(windowHandle_, after, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE | win::SWP_NOREDRAW);
  }
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->UpdateAnchorRules();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & win::WS_CHILD))
    throw CreateFmt<EInvalidOperation>("Control '%s' has no parent window", Name());
  defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : &win::DefWindowProc;
  // One window class per class name and class style: two controls of one class that
  // differ in style (double clicks) each get what they asked for.
  std::string className = params.WinClassName;
  win::WNDCLASS wanted = params.WindowClass;
  wanted.lpfnWndProc = &ControlInitWndProc;
  for (int variant = 0;; ++variant) {
    std::string name = variant == 0 ? className : className + "." + IntToStr(variant);
    win::WNDCLASS existing;
    if (!win::GetClassInfo(nullptr, name.c_str(), &existing)) {
      wanted.lpszClassName = name.c_str();
      if (!RegisterModuleWindowClass(wanted)) throw CreateFmt<EOutOfResources>("Cannot register window class %s", name);
      className = name;
      break;
    }
    if (existing.lpfnWndProc == &ControlInitWndProc && existing.style == wanted.style &&
        existing.hbrBackground == wanted.hbrBackground && existing.hCursor == wanted.hCursor) {
      className = name;
      break;
    }
  }
  params.WinClassName = className;
  creatingHandle_ = true;
  gCreationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    gCreationControl = nullptr;
    creatingHandle_ = false;
    throw;
  }
  gCreationControl = nullptr;
  creatingHandle_ = false;
  if (!windowHandle_) throw CreateFmt<EOutOfResources>("Error creating window of %s", Name());
  UpdateBounds();
  if (AutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  win::HWND h = win::CreateWindowEx(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                                    Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                                    Params.WindowClass.hInstance, Params.Param);
  // The window attached itself on its first message; a window that never called its
  // procedure is attached here.
  if (h && !windowHandle_) AttachWindow(h);
}

void TWinControl::AttachWindow(win::HWND handle) {
  windowHandle_ = handle;
  WindowControls()[handle] = this;
  win::SetWindowLong(handle, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(objectInstance_));
}

void TWinControl::DestroyWnd() { DestroyWindowHandle(); }

void TWinControl::DestroyWindowHandle() {
  if (!windowHandle_) return;
  controlState_.Include(csDestroyingHandle);
  win::HWND h = windowHandle_;
  win::DestroyWindow(h);
  controlState_.Exclude(csDestroyingHandle);
  // WM_NCDESTROY has detached the window; a window system that did not send it leaves
  // the control holding a dead handle otherwise.
  if (windowHandle_ == h) {
    WindowControls().erase(h);
    windowHandle_ = nullptr;
  }
  showing_ = false;
}

void TWinControl::DestroyHandle() {
  if (!windowHandle_) return;
  for (TWinControl* child : winControls_) child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (windowHandle_) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (wasFocused && windowHandle_) win::SetFocus(windowHandle_);
}

win::LRESULT TWinControl::MainWndProc(win::HWND, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  try {
    if (WindowProc)
      WindowProc(m);
    else
      WndProc(m);
  } catch (...) {
    HandleOrRethrow(this);
  }
  return m.Result;
}

void TWinControl::UpdateShowing() {
  bool show = (Visible() || (ComponentState().Contains(csDesigning) && !controlStyle_.Contains(csNoDesignVisible))) &&
              !controlState_.Contains(csReadingState);
  if (show) {
    if (!windowHandle_) CreateHandle();
    const std::vector<TWinControl*> children = winControls_;
    for (TWinControl* child : children) child->UpdateShowing();
  }
  if (windowHandle_ && showing_ != show) {
    showing_ = show;
    try {
      Perform(CM_SHOWINGCHANGED);
    } catch (...) {
      showing_ = !show;
      throw;
    }
  }
}

// Shows the window when the control and every parent up to the form are showing.
void TWinControl::UpdateControlState() {
  TWinControl* top = this;
  while (top->Parent()) {
    top = top->Parent();
    if (!top->Showing()) return;
  }
  if (dynamic_cast<TCustomForm*>(top)) UpdateShowing();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FixupTabList();
  if (controlState_.Contains(csAlignmentNeeded) || ControlCount() > 0) Realign();
}

// ---- children ----------------------------------------------------------------------------------

TControl* TWinControl::Controls(Integer index) const {
  if (index < 0 || index >= ControlCount()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  auto i = static_cast<std::size_t>(index);
  if (i < controls_.size()) return controls_[i];
  return winControls_[i - controls_.size()];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->Parent() == this) return;
  AControl->ValidateContainer(this);
  if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
    winControls_.push_back(windowed);
    tabList_.push_back(windowed);
  } else {
    controls_.push_back(AControl);
  }
  AControl->SetParentControlValue(this);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<win::WPARAM>(AControl), 1);
  // The child takes over the values it inherits.
  AControl->Perform(CM_PARENTCOLORCHANGED);
  AControl->Perform(CM_PARENTFONTCHANGED);
  AControl->Perform(CM_PARENTSHOWHINTCHANGED);
  if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
    windowed->Perform(CM_PARENTCTL3DCHANGED);
    windowed->UpdateControlState();
  } else if (windowHandle_) {
    AControl->Invalidate();
  }
  AlignControl(AControl);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<win::WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (!AControl || AControl->Parent() != this) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<win::WPARAM>(AControl), 0);
  if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
    windowed->RemoveFocus(true);
    windowed->DestroyHandle();
    winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), windowed), winControls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), windowed), tabList_.end());
  } else {
    if (windowHandle_) AControl->InvalidateControl(AControl->Visible(), false);
    if (GetCaptureControl() == AControl) SetCaptureControl(nullptr);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
  }
  AControl->SetParentControlValue(nullptr);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<win::WPARAM>(AControl), 0);
  if (!ComponentState().Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  while (Control && Control != this) Control = Control->Parent();
  return Control == this;
}

TControl* TWinControl::ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls) {
  auto hit = [&](TControl* c) {
    bool visible = c->Visible() || (c->ComponentState().Contains(csDesigning) &&
                                    !c->ControlStyle().Contains(csNoDesignVisible));
    if (!visible || !(c->Enabled() || allowDisabled)) return false;
    TRect r = c->BoundsRect();
    if (!win::PtInRect(&r, pos)) return false;
    return c->Perform(CM_HITTEST, 0, PointToLParam(pos.x - c->Left(), pos.y - c->Top())) != 0;
  };
  if (allowWinControls)
    for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
      if (hit(*it)) return *it;
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

void TWinControl::ShowControl(TControl*) {
  if (Parent()) Parent()->ShowControl(this);
}

void TWinControl::Broadcast(TMessage& Message) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->WindowProc)
      c->WindowProc(Message);
    else
      c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(win::UINT Msg) {
  TMessage m{Msg, 0, 0, 0};
  Broadcast(m);
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == root) proc(c);
  }
}

// ---- alignment ----------------------------------------------------------------------------------

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (alignLevel_ > 0) --alignLevel_;
  if (alignLevel_ == 0 && controlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (ComponentState().Contains(csDestroying)) return;
  // Reading a form places the children once it is complete (Loaded).
  if (alignLevel_ != 0 || ComponentState().Contains(csLoading)) {
    controlState_.Include(csAlignmentNeeded);
    return;
  }
  AlignNow(AControl);
}

void TWinControl::AlignNow(TControl* AControl) {
  DisableAlign();
  try {
    TRect rect = ClientRect();
    AlignControls(AControl, rect);
  } catch (...) {
    controlState_.Exclude(csAlignmentNeeded);
    --alignLevel_;
    throw;
  }
  // Requests made by the children while they were being placed are answered already.
  controlState_.Exclude(csAlignmentNeeded);
  EnableAlign();
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  bool any = false;
  for (Integer i = 0; i < ControlCount() && !any; ++i) {
    TControl* c = Controls(i);
    any = c->Align() != alNone || !(c->Anchors() == TAnchors{akLeft, akTop});
  }
  if (any) {
    // Anchors are measured on the client rectangle, as their rules were taken (not on
    // what a border leaves for aligned children).
    const TRect client = ClientRect();
    AdjustClientRect(Rect);
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) DoAlignKind(kind, AControl, Rect);
    TPoint size{client.right - client.left, client.bottom - client.top};
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c->Align() == alNone) c->AnchorToParent(size);
    }
  }
  ControlsAligned();
  if (AutoSize() && !ComponentState().Contains(csLoading)) AdjustSize();
}

namespace {

// Whether c1 comes before c2 among the controls of one alignment: nearer the edge it
// is aligned to.
bool AlignsBefore(TControl* c1, TControl* c2, TAlign kind) {
  switch (kind) {
    case alTop: return c1->Top() < c2->Top();
    case alBottom: return c1->Top() + c1->Height() > c2->Top() + c2->Height();
    case alLeft: return c1->Left() < c2->Left();
    case alRight: return c1->Left() + c1->Width() > c2->Left() + c2->Width();
    default: return false;
  }
}

}  // namespace

// The control that asked for the alignment keeps its place among equals: it is listed
// first, and the others go before it only when they are nearer the edge.
void TWinControl::DoAlignKind(TAlign kind, TControl* AControl, TRect& rect) {
  auto takesPart = [&](TControl* c) {
    return c->Align() == kind &&
           (c->Visible() || (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible)));
  };
  std::vector<TControl*> list;
  if (AControl && AControl->Parent() == this && takesPart(AControl)) list.push_back(AControl);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == AControl || !takesPart(c)) continue;
    std::size_t j = 0;
    while (j < list.size() && !AlignsBefore(c, list[j], kind)) ++j;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), c);
  }
  for (TControl* c : list) {
    Integer newLeft = rect.left, newTop = rect.top;
    Integer newWidth = rect.right - rect.left, newHeight = rect.bottom - rect.top;
    switch (kind) {
      case alTop:
        newHeight = c->Height();
        rect.top += newHeight;
        break;
      case alBottom:
        newHeight = c->Height();
        rect.bottom -= newHeight;
        newTop = rect.bottom;
        break;
      case alLeft:
        newWidth = c->Width();
        rect.left += newWidth;
        break;
      case alRight:
        newWidth = c->Width();
        rect.right -= newWidth;
        newLeft = rect.right;
        break;
      default:
        break;
    }
    PlaceChild(c, newLeft, newTop, newWidth, newHeight);
    // A control that refused the size (constraints) takes the room it kept.
    if (c->Width() != newWidth || c->Height() != newHeight) {
      switch (kind) {
        case alTop: rect.top -= newHeight - c->Height(); break;
        case alBottom: rect.bottom += newHeight - c->Height(); break;
        case alLeft: rect.left -= newWidth - c->Width(); break;
        case alRight: rect.right += newWidth - c->Width(); break;
        default: break;
      }
    }
  }
}

void TWinControl::PlaceChild(TControl* child, Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  child->anchorMove_ = true;
  try {
    child->SetBounds(ALeft, ATop, AWidth, AHeight);
  } catch (...) {
    child->anchorMove_ = false;
    throw;
  }
  child->anchorMove_ = false;
}

bool TWinControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  if (ControlCount() == 0) return true;
  TRect client = ClientRect();
  TRect inner = client;
  AdjustClientRect(inner);
  Integer right = 0, bottom = 0;
  bool any = false;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() && !ComponentState().Contains(csDesigning)) continue;
    any = true;
    // Controls stretched by the alignment do not decide the size they are stretched to.
    if (c->Align() != alTop && c->Align() != alBottom && c->Align() != alClient)
      right = std::max(right, c->Left() + c->Width());
    if (c->Align() != alLeft && c->Align() != alRight && c->Align() != alClient)
      bottom = std::max(bottom, c->Top() + c->Height());
  }
  if (!any) return true;
  // The client area minus the adjusted inner area is the room borders take.
  Integer borderW = (client.right - client.left) - (inner.right - inner.left) - (inner.left - client.left);
  Integer borderH = (client.bottom - client.top) - (inner.bottom - inner.top) - (inner.top - client.top);
  Integer frameW = Width() - (client.right - client.left);
  Integer frameH = Height() - (client.bottom - client.top);
  if (right > 0) NewWidth = right + borderW + frameW;
  if (bottom > 0) NewHeight = bottom + borderH + frameH;
  return true;
}

void TWinControl::ChildrenToNewSize() {
  TRect r = ClientRect();
  TPoint size{r.right - r.left, r.bottom - r.top};
  if (size == lastClientSize_) return;
  lastClientSize_ = size;
  Realign();
}

// ---- bounds ---------------------------------------------------------------------------------------

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  bool sized = AWidth != Width() || AHeight != Height();
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  if (windowHandle_ && !win::IsIconic(windowHandle_)) {
    settingBounds_ = true;
    try {
      win::SetWindowPos(windowHandle_, nullptr, ALeft, ATop, AWidth, AHeight, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    } catch (...) {
      settingBounds_ = false;
      throw;
    }
    settingBounds_ = false;
  }
  UpdateAnchorRules();
  RequestAlign();
  if (sized) {
    ChildrenToNewSize();
    if (!ComponentState().Contains(csLoading)) Resize();
  }
}

void TWinControl::UpdateBounds() {
  if (!windowHandle_ || win::IsIconic(windowHandle_)) return;
  win::RECT r;
  if (!win::GetWindowRect(windowHandle_, &r)) return;
  win::POINT topLeft{r.left, r.top};
  if (win::GetWindowLong(windowHandle_, win::GWL_STYLE) & win::WS_CHILD)
    win::ScreenToClient(win::GetParent(windowHandle_), &topLeft);
  Integer w = r.right - r.left, h = r.bottom - r.top;
  if (topLeft.x == Left() && topLeft.y == Top() && w == Width() && h == Height()) return;
  left_ = topLeft.x;
  top_ = topLeft.y;
  width_ = w;
  height_ = h;
  UpdateAnchorRules();
}

TRect TWinControl::ClientRect() {
  if (windowHandle_) {
    win::RECT r;
    win::GetClientRect(windowHandle_, &r);
    return r;
  }
  // Without a window the client area is what the frame of its style would leave.
  TCreateParams params;
  CreateParams(params);
  win::RECT frame = win::FrameThickness(params.Style, params.ExStyle);
  return TRect{0, 0, std::max(0, Width() - frame.left - frame.right), std::max(0, Height() - frame.top - frame.bottom)};
}

TPoint TWinControl::ClientOrigin() {
  if (windowHandle_) {
    win::POINT p{0, 0};
    win::ClientToScreen(windowHandle_, &p);
    return p;
  }
  TCreateParams params;
  CreateParams(params);
  win::RECT frame = win::FrameThickness(params.Style, params.ExStyle);
  TPoint origin{Left() + frame.left, Top() + frame.top};
  if (Parent()) {
    TPoint p = Parent()->ClientOrigin();
    origin.x += p.x;
    origin.y += p.y;
  }
  return origin;
}

void TWinControl::SetParent(TWinControl* value) {
  if (value == Parent()) return;
  if (value && !Parent() && windowHandle_) DestroyHandle();
  TControl::SetParent(value);
}

win::HDC TWinControl::GetDeviceContext(win::HWND& window) {
  window = Handle();
  return win::GetDC(window);
}

// ---- painting --------------------------------------------------------------------------------------

void TWinControl::Invalidate() { Perform(CM_INVALIDATE); }

void TWinControl::CMInvalidate(TMessage&) {
  if (windowHandle_) win::InvalidateRect(windowHandle_, nullptr, controlStyle_.Contains(csOpaque) ? 0 : 1);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::Update() {
  if (windowHandle_) win::UpdateWindow(windowHandle_);
}

void TWinControl::PaintControls(win::HDC dc, TControl* first) {
  std::size_t start = 0;
  if (first) {
    auto it = std::find(controls_.begin(), controls_.end(), first);
    if (it != controls_.end()) start = static_cast<std::size_t>(it - controls_.begin());
  }
  // A copy: a control's painting may not change the list under the loop.
  const std::vector<TControl*> list = controls_;
  for (std::size_t i = start; i < list.size(); ++i) {
    TControl* c = list[i];
    bool visible = c->Visible() || (c->ComponentState().Contains(csDesigning) &&
                                    !c->ControlStyle().Contains(csNoDesignVisible));
    if (!visible) continue;
    TRect r = c->BoundsRect();
    if (!win::RectVisible(dc, &r)) continue;
    if (controlState_.Contains(csPaintCopy)) c->controlState_.Include(csPaintCopy);
    int saved = win::SaveDC(dc);
    win::OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
    win::IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    try {
      c->Perform(win::WM_PAINT, reinterpret_cast<win::WPARAM>(dc), 0);
    } catch (...) {
      win::RestoreDC(dc, saved);
      c->controlState_.Exclude(csPaintCopy);
      throw;
    }
    win::RestoreDC(dc, saved);
    c->controlState_.Exclude(csPaintCopy);
  }
}

void TWinControl::PaintHandler(TMessage& Message) {
  auto dc = reinterpret_cast<win::HDC>(Message.WParam);
  win::PAINTSTRUCT ps;
  bool own = dc == nullptr;
  if (own) dc = win::BeginPaint(windowHandle_, &ps);
  if (!dc) return;
  try {
    if (controls_.empty()) {
      PaintWindow(dc);
    } else {
      // Opaque windowless children cover their rectangles: the window leaves them out.
      int saved = win::SaveDC(dc);
      int clip = win::SIMPLEREGION;
      for (TControl* c : controls_) {
        if (!(c->Visible() || c->ComponentState().Contains(csDesigning)) || !c->ControlStyle().Contains(csOpaque))
          continue;
        clip = win::ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        if (clip == win::NULLREGION) break;
      }
      if (clip != win::NULLREGION) PaintWindow(dc);
      win::RestoreDC(dc, saved);
    }
    PaintControls(dc, nullptr);
  } catch (...) {
    if (own) win::EndPaint(windowHandle_, &ps);
    throw;
  }
  if (own) win::EndPaint(windowHandle_, &ps);
}

// The default window procedure has nothing to draw in a control's client area.
void TWinControl::PaintWindow(win::HDC DC) {
  if (defWndProc_ == &win::DefWindowProc) return;
  TMessage m{win::WM_PAINT, reinterpret_cast<win::WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

// ---- messages -----------------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
  if ((Message.Msg == win::WM_KEYDOWN || Message.Msg == win::WM_SYSKEYDOWN) && Application)
    Application->HintInputMessage();
  if (IsMouseMessage(Message.Msg)) {
    if (Message.Msg == win::WM_MOUSEMOVE && windowHandle_) {
      // Asks for WM_MOUSELEAVE, so the mouse control is dropped when the mouse leaves.
      win::TRACKMOUSEEVENT tme;
      tme.dwFlags = win::TME_LEAVE;
      tme.hwndTrack = windowHandle_;
      win::TrackMouseEvent(&tme);
    }
    if (IsControlMouseMsg(Message)) return;
  }
  TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* control = nullptr;
  TPoint pos{LoSmall(Message.LParam), HiSmall(Message.LParam)};
  if (windowHandle_ && win::GetCapture() == windowHandle_) {
    TControl* captured = GetCaptureControl();
    if (captured && captured != this && captured->Parent() == this) control = captured;
  } else {
    control = ControlAtPos(pos, false);
  }
  if (!control) return false;
  Message.Result = control->Perform(Message.Msg, Message.WParam,
                                    PointToLParam(pos.x - control->Left(), pos.y - control->Top()));
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_PAINT: WMPaint(Message); break;
    case win::WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case win::WM_SIZE: WMSize(Message); break;
    case win::WM_MOVE: WMMove(Message); break;
    case win::WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case win::WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); break;
    case win::WM_SETFOCUS: WMSetFocus(Message); break;
    case win::WM_KILLFOCUS: WMKillFocus(Message); break;
    case win::WM_KEYDOWN: WMKeyDown(Message); break;
    case win::WM_KEYUP: WMKeyUp(Message); break;
    case win::WM_CHAR: WMChar(Message); break;
    case win::WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case win::WM_SYSCHAR: WMSysChar(Message); break;
    case win::WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case win::WM_SETCURSOR: WMSetCursor(Message); break;
    case win::WM_MOUSELEAVE: WMMouseLeave(Message); break;
    case win::WM_NCDESTROY: WMNCDestroy(Message); break;
    case win::WM_COMMAND: WMCommand(Message); break;
    case win::WM_NOTIFY: WMNotify(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_INVALIDATE: CMInvalidate(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    default: TControl::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!windowHandle_) {
    TControl::DefaultHandler(Message);
    return;
  }
  Message.Result = win::CallWindowProc(defWndProc_, windowHandle_, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::WMPaint(TMessage& Message) { PaintHandler(Message); }

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  auto dc = reinterpret_cast<win::HDC>(Message.WParam);
  TRect r = ClientRect();
  win::FillRect(dc, &r, brush_->Handle());
  Message.Result = 1;
}

void TWinControl::WMSize(TMessage& Message) {
  if (!settingBounds_) UpdateBounds();
  DefaultHandler(Message);
  ChildrenToNewSize();
  if (!settingBounds_ && !ComponentState().Contains(csLoading) && !creatingHandle_) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  if (!settingBounds_) UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMGetMinMaxInfo(TMessage& Message) {
  DefaultHandler(Message);
  auto* mm = reinterpret_cast<win::MINMAXINFO*>(Message.LParam);
  if (!mm) return;
  Integer minW, minH, maxW, maxH;
  EffectiveConstraints(minW, minH, maxW, maxH);
  if (minW > 0) mm->ptMinTrackSize.x = minW;
  if (minH > 0) mm->ptMinTrackSize.y = minH;
  if (maxW > 0) mm->ptMaxTrackSize.x = maxW;
  if (maxH > 0) mm->ptMaxTrackSize.y = maxH;
}

void TWinControl::WMSetFocus(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  if (form && !form->SetFocusedControl(this)) return;
  DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message)) return true;
  Word key = static_cast<Word>(Message.WParam);
  if (!controlStyle_.Contains(csNoStdEvents)) {
    KeyDown(key, KeyDataToShiftState(Message.LParam));
    if (key == 0) return true;
  }
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message)) return true;
  Word key = static_cast<Word>(Message.WParam);
  if (!controlStyle_.Contains(csNoStdEvents)) {
    KeyUp(key, KeyDataToShiftState(Message.LParam));
    if (key == 0) return true;
  }
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message)) return true;
  char ch = static_cast<char>(Message.WParam);
  if (!controlStyle_.Contains(csNoStdEvents)) {
    KeyPress(ch);
    if (ch == 0) return true;
  }
  Message.WParam = static_cast<unsigned char>(ch);
  return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::WantsKey(Word) { return false; }

bool IsArrowOrPageKey(Word Key) {
  switch (Key) {
    case win::VK_LEFT:
    case win::VK_RIGHT:
    case win::VK_UP:
    case win::VK_DOWN:
    case win::VK_PRIOR:
    case win::VK_NEXT:
      return true;
    default:
      return false;
  }
}

namespace {

bool IsDialogKey(Word key) {
  switch (key) {
    case win::VK_TAB:
    case win::VK_LEFT:
    case win::VK_RIGHT:
    case win::VK_UP:
    case win::VK_DOWN:
    case win::VK_RETURN:
    case win::VK_ESCAPE:
    case win::VK_PRIOR:
    case win::VK_NEXT:
    case win::VK_F1:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TWinControl::WMKeyDown(TMessage& Message) {
  if (DoKeyDown(Message)) return;
  auto key = static_cast<Word>(Message.WParam);
  // Navigation keys the control does not take itself go to the form.
  if (IsDialogKey(key) && !WantsKey(key)) {
    TCustomForm* form = ::GetParentForm(this);
    TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
    if (target->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  if (DoKeyPress(Message)) return;
  auto ch = static_cast<Word>(Message.WParam);
  // A character the control has no use for may be a form's accelerator.
  if (ch > ' ' && !WantsKey(ch)) {
    TCustomForm* form = ::GetParentForm(this);
    TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
    if (target->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
  if (target->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  DefaultHandler(Message);
}

void TWinControl::MouseWheelHandler(TMessage& Message) {
  TCustomForm* form = ::GetParentForm(this);
  if (form && static_cast<TWinControl*>(form) != this)
    static_cast<TWinControl*>(form)->MouseWheelHandler(Message);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TWinControl::WMMouseWheel(TMessage& Message) {
  MouseWheelHandler(Message);
  if (Message.Result == 0) DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<win::HWND>(Message.WParam) == windowHandle_ &&
      static_cast<SmallInt>(LoWord(static_cast<std::uintptr_t>(Message.LParam))) == win::HTCLIENT && Screen) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      win::POINT p;
      win::GetCursorPos(&p);
      TControl* control = ControlAtPos(ScreenToClient(p), false);
      if (control) cursor = control->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault) {
      win::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  if (Application) Application->MouseLeftWindow(this);
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  if (windowHandle_) WindowControls().erase(windowHandle_);
  windowHandle_ = nullptr;
  showing_ = false;
}

void TWinControl::WMCommand(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMNotify(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled() && Parent()) RemoveFocus(false);
  if (windowHandle_ && !ComponentState().Contains(csDesigning)) win::EnableWindow(windowHandle_, Enabled() ? 1 : 0);
  Invalidate();
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!Visible() && Parent()) RemoveFocus(false);
  if (!ComponentState().Contains(csDesigning) || controlStyle_.Contains(csNoDesignVisible)) UpdateControlState();
}

void TWinControl::CMShowingChanged(TMessage&) {
  if (!windowHandle_) return;
  win::SetWindowPos(windowHandle_, nullptr, 0, 0, 0, 0,
                    win::SWP_NOSIZE | win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                        (showing_ ? win::SWP_SHOWWINDOW : win::SWP_HIDEWINDOW));
}

void TWinControl::CMColorChanged(TMessage& Message) {
  brush_->SetColor(Color());
  NotifyControls(CM_PARENTCOLORCHANGED);
  TControl::CMColorChanged(Message);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  TControl::CMFontChanged(Message);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::SetCtl3D(bool value) {
  if (ctl3D_ == value) return;
  ctl3D_ = value;
  parentCtl3D_ = false;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (parentCtl3D_ == value) return;
  parentCtl3D_ = value;
  if (Parent() && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage&) { NotifyControls(CM_PARENTCTL3DCHANGED); }

void TWinControl::CMParentCtl3DChanged(TMessage& Message) {
  if (!parentCtl3D_) return;
  if (Message.WParam != 0)
    SetCtl3D(Message.LParam != 0);
  else if (Parent())
    SetCtl3D(Parent()->Ctl3D());
  parentCtl3D_ = true;
}

void TWinControl::CMShowHintChanged(TMessage&) { NotifyControls(CM_PARENTSHOWHINTCHANGED); }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMSysColorChange(TMessage& Message) {
  Broadcast(Message);
  Message.Result = 0;
  Invalidate();
}

void TWinControl::CMHitTest(TMessage& Message) { Message.Result = 1; }

// ---- focus and tab order -------------------------------------------------------------------------

TTabOrder TWinControl::TabOrder() const {
  if (ComponentState().Contains(csLoading) && tabOrderValue_ >= 0) return tabOrderValue_;
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<TTabOrder>(it - list.begin());
}

void TWinControl::SetTabOrder(TTabOrder value) {
  if (ComponentState().Contains(csLoading)) {
    tabOrderValue_ = value;
    return;
  }
  UpdateTabOrder(value);
}

void TWinControl::UpdateTabOrder(TTabOrder value) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  auto count = static_cast<TTabOrder>(list.size());
  if (value < 0) value = 0;
  if (value >= count) value = count - 1;
  auto current = static_cast<TTabOrder>(it - list.begin());
  if (value == current) return;
  list.erase(it);
  list.insert(list.begin() + value, this);
}

// The tab orders a form gave its children, applied once all of them exist.
void TWinControl::FixupTabList() {
  std::vector<TWinControl*> pending;
  for (TWinControl* c : winControls_)
    if (c->tabOrderValue_ >= 0) pending.push_back(c);
  std::stable_sort(pending.begin(), pending.end(),
                   [](TWinControl* a, TWinControl* b) { return a->tabOrderValue_ < b->tabOrderValue_; });
  for (TWinControl* c : pending) {
    TTabOrder v = c->tabOrderValue_;
    c->tabOrderValue_ = -1;
    c->UpdateTabOrder(v);
  }
}

void TWinControl::SetTabStop(bool value) {
  if (tabStop_ == value) return;
  tabStop_ = value;
  if (windowHandle_) {
    auto style = win::GetWindowLong(windowHandle_, win::GWL_STYLE);
    style = value ? (style | win::WS_TABSTOP) : (style & ~static_cast<win::LONG_PTR>(win::WS_TABSTOP));
    win::SetWindowLong(windowHandle_, win::GWL_STYLE, style);
  }
  Perform(CM_TABSTOPCHANGED);
}

bool TWinControl::CanFocus() {
  TCustomForm* form = ::GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c && c != form; c = c->Parent())
    if (!(c->Visible() && c->Enabled())) return false;
  return true;
}

bool TWinControl::Focused() { return windowHandle_ && win::GetFocus() == windowHandle_; }

void TWinControl::SetFocus() {
  TCustomForm* form = ::GetParentForm(this);
  if (form) {
    form->FocusControl(this);
    return;
  }
  // A top-level window of its own (no form around it) takes the focus directly.
  if (Parent() || !windowHandle_) throw CreateFmt<EInvalidOperation>("Control '%s' has no parent window", Name());
  win::SetFocus(windowHandle_);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* curControl, bool goForward, bool checkTabStop,
                                          bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  auto count = static_cast<std::ptrdiff_t>(list.size());
  auto found = std::find(list.begin(), list.end(), curControl);
  std::ptrdiff_t start = found == list.end() ? (goForward ? count - 1 : 0) : found - list.begin();
  std::ptrdiff_t i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* curControl, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(curControl, goForward, checkTabStop, !checkTabStop);
  if (next) next->SetFocus();
}

void TWinControl::RemoveFocus(bool removing) {
  if (TCustomForm* form = ::GetParentForm(this)) form->DefocusControl(this, removing);
}

void TWinControl::SetZOrder(bool TopMost) {
  if (Parent()) {
    auto& list = Parent()->winControls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
      list.erase(it);
      if (TopMost)
        list.push_back(this);
      else
        list.insert(list.begin(), this);
    }
  }
  if (windowHandle_)
    win::SetWindowPos(windowHandle_, TopMost ? win::HWND_TOP : win::HWND_BOTTOM, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
}

// ---- TCustomControl --------------------------------------------------------------------------------

const TClass& TCustomControl::StaticClass() {
  static const TClass cls = TClass::Of<TCustomControl>("TCustomControl", TWinControl::StaticClass());
  return cls;
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  InstallControlCanvasHooks();
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() { canvas_->SetControl(nullptr); }

// A device context of the window the canvas drew on outside painting goes first.
void TCustomControl::DestroyWindowHandle() {
  canvas_->FreeHandle();
  TWinControl::DestroyWindowHandle();
}

void TCustomControl::PaintWindow(win::HDC DC) { PaintOnDC(*canvas_, DC, [this] { Paint(); }); }
