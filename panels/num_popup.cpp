#include "panels/num_popup.h"

#include "platform/win/window.h"

const TClass& TPopupForm::StaticClass() {
  static const TClass cls = TClass::Of<TPopupForm>("TPopupForm", TForm::StaticClass());
  return cls;
}

TPopupForm::TPopupForm(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
}

void TPopupForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style &= ~(win::WS_CAPTION | win::WS_THICKFRAME | win::WS_POPUP);
  Params.Style |= win::WS_CHILD;
  Params.ExStyle |= win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST | win::WS_EX_WINDOWEDGE;
  // A child window needs a parent: the desktop, so that it floats over every form.
  Params.WndParent = win::GetDesktopWindow();
}

void TPopupForm::CreateWnd() {
  TForm::CreateWnd();
  win::SetParent(WindowHandle(), win::GetDesktopWindow());
}

void TPopupForm::CMShowingChanged(TMessage& Message) {
  (void)Message;
  // As a child of the desktop the pop-up is shown, never activated: the edit keeps the
  // focus while the track bar is dragged.
  if (Showing()) {
    DoShow();
    win::SetWindowPos(WindowHandle(), win::HWND_TOPMOST, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE | win::SWP_SHOWWINDOW);
  } else {
    DoHide();
    win::ShowWindow(WindowHandle(), win::SW_HIDE);
  }
}
