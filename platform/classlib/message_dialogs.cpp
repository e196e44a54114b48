#include "platform/classlib/message_dialogs.h"

#include "platform/classlib/application.h"
#include "platform/win/modal_answers.h"

namespace {

win::UINT BoxType(TMsgDlgButtons buttons) {
  buttons.Exclude(mbHelp);
  if (buttons == TMsgDlgButtons{mbOK}) return win::MB_OK;
  if (buttons == mbOKCancel) return win::MB_OKCANCEL;
  if (buttons == TMsgDlgButtons{mbYes, mbNo}) return win::MB_YESNO;
  if (buttons == mbYesNoCancel) return win::MB_YESNOCANCEL;
  if (buttons == mbAbortRetryIgnore) return win::MB_ABORTRETRYIGNORE;
  if (buttons == TMsgDlgButtons{mbRetry, mbCancel}) return win::MB_RETRYCANCEL;
  throw EInvalidOperation("The message box offers no such set of buttons");
}

win::UINT BoxIcon(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return win::MB_ICONWARNING;
    case mtError:
      return win::MB_ICONERROR;
    case mtInformation:
      return win::MB_ICONINFORMATION;
    case mtConfirmation:
      return win::MB_ICONQUESTION;
    case mtCustom:
      return 0;
  }
  return 0;
}

Integer ModalResultOf(int button) {
  switch (button) {
    case win::IDOK:
      return mrOk;
    case win::IDCANCEL:
      return mrCancel;
    case win::IDABORT:
      return mrAbort;
    case win::IDRETRY:
      return mrRetry;
    case win::IDIGNORE:
      return mrIgnore;
    case win::IDYES:
      return mrYes;
    case win::IDNO:
      return mrNo;
    default:
      return mrNone;
  }
}

}  // namespace

std::string MessageDlgCaption(TMsgDlgType DlgType) {
  switch (DlgType) {
    case mtWarning:
      return "Warning";
    case mtError:
      return "Error";
    case mtInformation:
      return "Information";
    case mtConfirmation:
      return "Confirm";
    case mtCustom:
      break;
  }
  return Application ? Application->Title() : std::string();
}

Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer) {
  const win::UINT type = BoxType(Buttons) | BoxIcon(DlgType);
  const std::string caption = MessageDlgCaption(DlgType);
  if (Application) return ModalResultOf(Application->MessageBox(Msg, caption, type));
  return ModalResultOf(win::MessageBox(nullptr, Msg.c_str(), caption.c_str(), type));
}
