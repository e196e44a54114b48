#pragma once
// Modal user interface without a user: message boxes, file, picture and colour dialogs,
// popup menus and modal forms take their answers from a queue that tests (or the
// command-line host's script) fill, and every prompt is recorded so that tests can check
// what the user would have been asked.
//
// A modal that finds no answer, or finds an answer of another kind or one its prompt
// cannot accept (a button the box does not have, a menu item it does not show), fails:
// the failure is recorded, the failure handler (a test installs one that fails the test)
// is called, and NoModalAnswer is thrown. In safe-default mode (the command-line host) a
// missing answer is No / Cancel / nothing chosen instead.
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

class NoModalAnswer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ModalKind { MessageBox, OpenFile, SaveFile, OpenPicture, SavePicture, Color, PopupMenu, Form };
const char* ModalKindName(ModalKind k);

// Message box types and answers.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x0002;
inline constexpr UINT MB_YESNOCANCEL = 0x0003;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_RETRYCANCEL = 0x0005;
inline constexpr UINT MB_TYPEMASK = 0x000F;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x0040;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_DEFBUTTON1 = 0x0000;
inline constexpr UINT MB_DEFBUTTON2 = 0x0100;
inline constexpr UINT MB_DEFBUTTON3 = 0x0200;
inline constexpr UINT MB_APPLMODAL = 0x0000;
inline constexpr UINT MB_SYSTEMMODAL = 0x1000;
inline constexpr UINT MB_TASKMODAL = 0x2000;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// A message box's buttons, left to right, with their captions.
struct MessageBoxButton {
  int id;
  const char* label;
};
std::vector<MessageBoxButton> MessageBoxButtons(UINT type);
// What Esc and the close box answer: Cancel where the box has it, OK for a box with OK
// alone, else 0 (the person has to answer).
int MessageBoxEscapeResult(UINT type);

// Popup-menu tracking flags (the window system's own values).
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

struct PopupMenuItem {
  UINT id = 0;
  std::string caption;
  bool enabled = true;
  bool checked = false;
  bool separator = false;
  int depth = 0;  // 0 for the menu's own items, 1 for a submenu's, ...
};

// What the user is asked. Only the fields of its kind are filled.
struct ModalPrompt {
  ModalKind kind = ModalKind::MessageBox;
  HWND owner = nullptr;
  std::string text;     // message boxes
  std::string caption;  // message boxes, forms
  UINT type = 0;        // message boxes: MB_ flags; popup menus: TPM_ flags
  std::string title;    // file dialogs
  std::string filter;
  std::string initialDir;
  std::string fileName;
  std::string defaultExt;
  int filterIndex = 1;  // the filter shown first, counted from 1
  bool multiSelect = false;
  bool overwritePrompt = false;
  COLORREF color = 0;  // colour dialogs: the starting colour
  std::vector<PopupMenuItem> items;  // popup menus
  POINT pt;                          // popup menus: screen position
  std::string formClass;             // modal forms
  // Set when no answer fitted: the safe default was taken, or the modal failed.
  bool unanswered = false;
};

struct ModalAnswer {
  ModalKind kind = ModalKind::MessageBox;
  // Message boxes: the button (IDOK ...); popup menus: the item id (0: dismissed); forms:
  // the modal result when there is no action.
  int result = 0;
  std::vector<std::string> files;  // file dialogs: empty means cancelled
  std::optional<COLORREF> color;   // colour dialogs: none means cancelled
  // Modal forms: runs with the shown form's window (may inject input and pump) and
  // returns the modal result.
  std::function<int(HWND)> formAction;
  // Cancels whatever asks next, as Esc would: `kind` is not consulted.
  bool cancel = false;
};

// ---- tests: answers and what was asked -------------------------------------------------------------
void PushModalAnswer(ModalAnswer answer);
void AnswerMessageBox(int id);
// `kind` is OpenFile, SaveFile, OpenPicture or SavePicture; no files: cancelled.
void AnswerFileDialog(ModalKind kind, std::vector<std::string> files);
void AnswerColorDialog(std::optional<COLORREF> color);
void AnswerPopupMenu(UINT itemId);
void AnswerModalForm(int modalResult, std::function<int(HWND)> action = {});
// Cancels the next modal of any kind: a message box's Cancel (OK for a box with only OK;
// a box with neither fails), no file, no colour, no menu item, a form's Cancel.
void AnswerCancel();
const std::vector<ModalPrompt>& ModalPrompts();
std::size_t PendingModalAnswers();
// Empties the answer queue, the prompts and the failures.
void ClearModalAnswers();
// The command-line host's mode: a missing answer is No / Cancel / nothing.
void SetModalSafeDefaults(bool on);
// Asked when the queue is empty, before the safe default or the failure: an answer for
// the prompt, or none to leave it to them. The command-line host answers the questions
// it knows this way.
void SetModalStandingAnswer(std::function<std::optional<ModalAnswer>(const ModalPrompt&)> answer);
// Called with the reason before a failing modal throws.
void SetModalFailureHandler(std::function<void(const std::string&)> handler);
const std::vector<std::string>& ModalFailures();

// ---- the modals ----------------------------------------------------------------------------------------
// The button chosen (IDOK ...).
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
// `prompt.kind` is one of the four file kinds. The chosen files, or none when cancelled.
std::optional<std::vector<std::string>> AskFileDialog(const ModalPrompt& prompt);
std::optional<COLORREF> AskColorDialog(HWND owner, COLORREF initial);
// With TPM_RETURNCMD the chosen item's id (0: none); otherwise WM_COMMAND(id) is posted to
// `owner` (unless TPM_NONOTIFY) and the answer is 1 when an item was chosen.
UINT TrackPopupMenu(std::span<const PopupMenuItem> items, UINT flags, int x, int y, HWND owner);
// The modal result of a form shown modally (never 0).
int RunModalForm(HWND form, const std::string& formClass, const std::string& caption);

// ---- for the window system's own files ------------------------------------------------------------------
void ResetModalAnswers();

}  // namespace win
