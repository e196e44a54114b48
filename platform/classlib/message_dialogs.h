#pragma once
// MessageDlg: a message with an icon and a set of buttons, asked through the window
// system's message box (and so answered by its answer queue). The caption says the kind
// of message: "Warning", "Error", "Information", "Confirm", or the application's title
// for mtCustom. The answer is the modal result of the button chosen (mrYes, mrNo ...).
#include <string>

#include "platform/classlib/forms.h"
#include "platform/classlib/properties.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The caption a message of that kind shows.
std::string MessageDlgCaption(TMsgDlgType DlgType);

// The message box offers only the button sets it knows (OK; OK, Cancel; Yes, No;
// Yes, No, Cancel; Abort, Retry, Ignore; Retry, Cancel), each with or without mbHelp,
// which ends nothing and is left out. Any other set raises EInvalidOperation.
// HelpCtx is the help topic of the message; the box has no help button to show it.
Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx);
