#include "platform/classlib/hint_window.h"

#include <algorithm>

#include "platform/classlib/screen.h"
#include "platform/win/gdi.h"
#include "platform/win/paint.h"
#include "platform/win/text/text.h"

const TClass& THintWindow::StaticClass() {
  static const TClass cls = TClass::Of<THintWindow>("THintWindow", TCustomControl::StaticClass());
  return cls;
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  if (Screen) Font()->Assign(Screen->HintFont());
  Canvas()->SetFont(Font());
  controlStyle_ = TControlStyle{csOpaque};
  SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = win::WS_POPUP | win::WS_BORDER;
  Params.ExStyle = win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= win::CS_SAVEBITS;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    // The mouse goes through the hint to what lies under it, and a click never
    // activates it.
    case win::WM_NCHITTEST: Message.Result = win::HTTRANSPARENT; return;
    case win::WM_MOUSEACTIVATE: Message.Result = win::MA_NOACTIVATE; return;
    default: TCustomControl::Dispatch(Message); return;
  }
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.left += 2;
  r.top += 2;
  Canvas()->Font()->Assign(Font());
  Canvas()->Font()->SetColor(clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
  std::string text = Caption();
  // TextExtent makes the canvas select its font.
  (void)Canvas()->TextExtent(std::string());
  win::SetBkMode(Canvas()->Handle(), win::TRANSPARENT);
  win::DrawText(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &r,
                win::DT_LEFT | win::DT_NOPREFIX | win::DT_WORDBREAK);
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const std::string& AHint) {
  TRect r{0, 0, MaxWidth, 0};
  Canvas()->Font()->Assign(Font());
  (void)Canvas()->TextExtent(std::string());
  win::DrawText(Canvas()->Handle(), AHint.c_str(), static_cast<int>(AHint.size()), &r,
                win::DT_CALCRECT | win::DT_LEFT | win::DT_WORDBREAK | win::DT_NOPREFIX);
  // Measured outside painting: the device context goes back at once.
  static_cast<TControlCanvas*>(Canvas())->FreeHandle();
  // Room for the border and the text's inset.
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& AHint) {
  SetCaption(AHint);
  Integer w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (Screen) {
    Rect.left = std::max(0, std::min(Rect.left, Screen->Width() - w));
    Rect.top = std::max(0, std::min(Rect.top, Screen->Height() - h));
  }
  SetBounds(Rect.left, Rect.top, w, h);
  win::SetWindowPos(Handle(), win::HWND_TOPMOST, Rect.left, Rect.top, w, h,
                    win::SWP_SHOWWINDOW | win::SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() { DestroyHandle(); }

bool THintWindow::IsShowing() const { return WindowHandle() && win::IsWindowVisible(WindowHandle()); }
