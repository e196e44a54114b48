#include "platform/classlib/application.h"

#include <unistd.h>

#include <algorithm>
#include <exception>

#include "platform/classlib/forms.h"
#include "platform/classlib/hint_window.h"
#include "platform/classlib/screen.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/win_control.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/rect.h"
#include "platform/win/timers.h"

TApplication* Application = nullptr;

namespace {

// The application exists from load on, until the module's end (module_life.h).
const bool kApplicationCreated = [] {
  Application = new TApplication(nullptr);
  return true;
}();

// The hint of a control, or of the nearest parent that has one.
std::string GetHint(TControl* control) {
  for (; control; control = control->Parent())
    if (!control->Hint().empty()) return control->Hint();
  return std::string();
}

bool IsInputDown(win::UINT msg) {
  switch (msg) {
    case win::WM_KEYDOWN:
    case win::WM_SYSKEYDOWN:
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
    case win::WM_NCLBUTTONDOWN:
    case win::WM_NCRBUTTONDOWN:
    case win::WM_NCMBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace

void HintTimerProc(win::HWND, win::UINT, win::ULONG_PTR, win::DWORD) {
  if (Application) Application->HintTimerExpired();
}

const TClass& TApplication::StaticClass() {
  static const TClass cls = TClass::Of<TApplication>("TApplication", TComponent::StaticClass());
  return cls;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  title_ = ChangeFileExt(ExtractFileName(ExeName()), "");
}

TApplication::~TApplication() {
  StopHintTimer();
  // Forms owned by the application go while it is whole.
  DestroyComponents();
  if (Application == this) Application = nullptr;
}

std::string TApplication::ExeName() const {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return std::string();
  return std::string(buffer, static_cast<std::size_t>(n));
}

// ---- messages --------------------------------------------------------------------------------------

bool TApplication::HandleMessage() {
  win::MSG msg;
  if (!win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) return false;
  if (msg.message == win::WM_QUIT) {
    // The loop that owns the queue is the host's: the quit is put back for it.
    terminated_ = true;
    win::PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  if (IsInputDown(msg.message)) HintInputMessage();
  win::TranslateMessage(&msg);
  win::DispatchMessage(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  // Bounded: a window that invalidates itself while it paints would never let the queue
  // run dry.
  for (int i = 0; i < 100000; ++i)
    if (!HandleMessage()) return;
}

// ---- exceptions -----------------------------------------------------------------------------------

void TApplication::HandleException(TObject* Sender) {
  if (win::HWND capture = win::GetCapture()) win::SendMessage(capture, win::WM_CANCELMODE, 0, 0);
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
  } catch (Exception& e) {
    if (OnException)
      OnException(Sender, e);
    else
      ShowException(e);
  } catch (win::NoModalAnswer&) {
    // A modal nobody answered is a failure of the caller's script, not of the program.
    throw;
  } catch (std::exception& e) {
    Exception wrapped(e.what());
    if (OnException)
      OnException(Sender, wrapped);
    else
      ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& E) {
  std::string text = E.Message();
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  MessageBox(text, title_, win::MB_OK | win::MB_ICONERROR);
}

Integer TApplication::MessageBox(const std::string& Text, const std::string& Caption, win::UINT Flags) {
  win::HWND owner = nullptr;
  if (Screen && Screen->ActiveCustomForm()) owner = Screen->ActiveCustomForm()->WindowHandle();
  return win::MessageBox(owner, Text.c_str(), Caption.c_str(), Flags);
}

// ---- windows -------------------------------------------------------------------------------------

void TApplication::Minimize() {
  if (!Screen) return;
  for (Integer i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* form = Screen->CustomForms(i);
    win::HWND h = form->WindowHandle();
    if (h && win::IsWindowVisible(h) && !win::IsIconic(h)) {
      win::ShowWindow(h, win::SW_MINIMIZE);
      minimized_.push_back(h);
    }
  }
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  std::vector<win::HWND> list;
  list.swap(minimized_);
  for (win::HWND h : list)
    if (win::IsWindow(h) && win::IsIconic(h)) win::ShowWindow(h, win::SW_RESTORE);
  if (OnRestore) OnRestore(this);
}

// ---- help ----------------------------------------------------------------------------------------

bool TApplication::HelpCommand(win::UINT Command, Integer Data) {
  bool callHelp = true;
  bool result = false;
  if (OnHelp) result = OnHelp(Command, Data, callHelp);
  if (callHelp && !helpFile_.empty())
    result = win::WinHelp(nullptr, helpFile_.c_str(), Command, static_cast<win::ULONG_PTR>(Data)) != 0;
  return result;
}

// ---- hints ---------------------------------------------------------------------------------------

void TApplication::SetHint(const std::string& value) {
  if (hint_ == value) return;
  hint_ = value;
  if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool value) {
  if (showHint_ == value) return;
  showHint_ = value;
  if (!value) CancelHint();
}

TControl* TApplication::HintControlAt(TControl* control) const {
  while (control && !control->ShowHint()) control = control->Parent();
  if (control && control->ComponentState().Contains(csDesigning)) return nullptr;
  return control;
}

void TApplication::SetMouseControl(TControl* control) {
  if (control == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<win::LPARAM>(old));
  // The leave handler may have moved the mouse control on.
  if (control && mouseControl_ == control) control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<win::LPARAM>(control));
  SetHint(mouseControl_ ? GetLongHint(GetHint(mouseControl_)) : std::string());
}

void TApplication::HintMouseMessage(TControl* control, TMessage& Message) {
  if (!control) return;
  TPoint screen;
  try {
    screen = control->ClientToScreen(TPoint{LoSmall(Message.LParam), HiSmall(Message.LParam)});
  } catch (const Exception&) {
    return;  // a control without a window to be on
  }
  TControl* target = FindDragTarget(screen, true);
  SetMouseControl(target);
  TControl* hintControl = HintControlAt(target);
  if (!hintControl || !showHint_) {
    CancelHint();
    return;
  }
  if (hintControl == hintControl_ && win::PtInRect(&hintCursorRect_, screen)) return;
  bool recentlyShown = hintActive_;
  HideHint();
  hintControl_ = hintControl;
  TPoint origin = hintControl->ClientToScreen(TPoint{0, 0});
  hintCursorRect_ = Bounds(origin.x, origin.y, hintControl->Width(), hintControl->Height());
  StartHintTimer(recentlyShown ? hintShortPause_ : hintPause_);
}

void TApplication::MouseLeftWindow(TControl*) {
  win::POINT p;
  win::GetCursorPos(&p);
  TControl* target = FindDragTarget(p, true);
  SetMouseControl(target);
  if (hintControl_ && !win::PtInRect(&hintCursorRect_, p)) CancelHint();
}

void TApplication::HintInputMessage() {
  if (hintActive_ || hintTimer_) CancelHint();
}

void TApplication::StartHintTimer(Integer delay) {
  StopHintTimer();
  hintTimerHides_ = false;
  hintTimer_ = win::SetTimer(nullptr, 0, static_cast<win::UINT>(std::max(delay, 1)), &HintTimerProc);
}

void TApplication::StopHintTimer() {
  if (hintTimer_) win::KillTimer(nullptr, hintTimer_);
  hintTimer_ = 0;
}

void TApplication::HintTimerExpired() {
  bool hides = hintTimerHides_;
  StopHintTimer();
  if (hides) {
    // The hint has been up long enough; it comes back once the mouse moves to another
    // control.
    HideHint();
    return;
  }
  win::POINT p;
  win::GetCursorPos(&p);
  if (hintControl_ && win::PtInRect(&hintCursorRect_, p))
    ActivateHint(p);
  else
    CancelHint();
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  TControl* hintControl = HintControlAt(FindDragTarget(CursorPos, true));
  if (!hintControl || !showHint_) {
    CancelHint();
    return;
  }
  THintInfo info;
  info.HintControl = hintControl;
  // Below the cursor's hot spot, where the arrow does not cover the text.
  info.HintPos = TPoint{CursorPos.x, CursorPos.y + 20};
  info.HintMaxWidth = Screen ? Screen->Width() : 640;
  info.HintColor = hintColor_;
  info.CursorRect = hintControl->ClientRect();
  info.CursorPos = hintControl->ScreenToClient(CursorPos);
  info.HideTimeout = hintHidePause_;
  info.HintStr = GetShortHint(GetHint(hintControl));
  bool canShow = hintControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<win::LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  hintControl_ = hintControl;
  TPoint origin = hintControl->ClientToScreen(TPoint{info.CursorRect.left, info.CursorRect.top});
  hintCursorRect_ = Bounds(origin.x, origin.y, info.CursorRect.right - info.CursorRect.left,
                           info.CursorRect.bottom - info.CursorRect.top);
  if (!canShow || info.HintStr.empty()) {
    HideHint();
    return;
  }
  if (!hintWindow_) hintWindow_ = new THintWindow(this);
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr);
  win::OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  hintWindow_->ActivateHint(r, info.HintStr);
  hintActive_ = true;
  StartHintTimer(info.HideTimeout > 0 ? info.HideTimeout : hintHidePause_);
  hintTimerHides_ = true;
}

void TApplication::HideHint() {
  if (hintWindow_ && hintWindow_->IsShowing()) hintWindow_->ReleaseHandle();
  hintActive_ = false;
}

void TApplication::CancelHint() {
  StopHintTimer();
  HideHint();
  hintControl_ = nullptr;
  hintCursorRect_ = TRect{};
}

void TApplication::ControlDestroying(TControl* control) {
  if (control == mouseControl_) mouseControl_ = nullptr;
  if (control == hintControl_) CancelHint();
  if (control == hintWindow_) hintWindow_ = nullptr;
}

void TApplication::FormDestroying(TCustomForm* form) {
  if (form == mainForm_) mainForm_ = nullptr;
  if (win::HWND h = form->WindowHandle()) minimized_.erase(std::remove(minimized_.begin(), minimized_.end(), h), minimized_.end());
}

void HandleOrRethrow(TObject* Sender) {
  if (!Application) throw;
  Application->HandleException(Sender);
}
