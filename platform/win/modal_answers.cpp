#include "platform/win/modal_answers.h"

#include <algorithm>
#include <deque>

#include "platform/win/menu_tracking.h"
#include "platform/win/message_box.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_loop.h"

namespace win {
namespace {

struct ModalState {
  std::deque<ModalAnswer> answers;
  std::vector<ModalPrompt> prompts;
  std::vector<std::string> failures;
  bool safeDefaults = false;
  std::function<void(const std::string&)> onFailure;
  std::function<std::optional<ModalAnswer>(const ModalPrompt&)> standing;
};

ModalState& M() {
  static ModalState s;
  return s;
}

std::string Describe(const ModalPrompt& p) {
  std::string d = ModalKindName(p.kind);
  switch (p.kind) {
    case ModalKind::MessageBox: d += " \"" + p.caption + "\": \"" + p.text + "\""; break;
    case ModalKind::Form: d += " " + p.formClass + " \"" + p.caption + "\""; break;
    case ModalKind::PopupMenu: d += " of " + std::to_string(p.items.size()) + " items"; break;
    case ModalKind::Color: break;
    default: d += " \"" + p.title + "\""; break;
  }
  return d;
}

[[noreturn]] void Fail(const std::string& why) {
  ModalState& s = M();
  s.failures.push_back(why);
  if (auto handler = s.onFailure) handler(why);
  throw NoModalAnswer(why);
}

// The prompt just recorded got no fitting answer.
[[noreturn]] void FailUnanswered(const std::string& why) {
  M().prompts.back().unanswered = true;
  Fail(why);
}

}  // namespace

std::vector<MessageBoxButton> MessageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
  }
}

int MessageBoxEscapeResult(UINT type) {
  const std::vector<MessageBoxButton> b = MessageBoxButtons(type);
  for (const MessageBoxButton& x : b)
    if (x.id == IDCANCEL) return IDCANCEL;
  return b.size() == 1 ? b[0].id : 0;
}

namespace {

// The answer that changes nothing.
ModalAnswer SafeDefault(const ModalPrompt& p) {
  ModalAnswer a;
  a.kind = p.kind;
  switch (p.kind) {
    case ModalKind::MessageBox:
      switch (p.type & MB_TYPEMASK) {
        case MB_OK: a.result = IDOK; break;
        case MB_ABORTRETRYIGNORE: a.result = IDABORT; break;
        case MB_YESNO: a.result = IDNO; break;
        default: a.result = IDCANCEL; break;
      }
      break;
    case ModalKind::Form: a.result = IDCANCEL; break;
    default: break;  // no files, no colour, no menu item
  }
  return a;
}

// What Esc gives the prompt.
ModalAnswer CancelOf(const ModalPrompt& p) {
  ModalAnswer a;
  a.kind = p.kind;
  if (p.kind == ModalKind::MessageBox) {
    a.result = MessageBoxEscapeResult(p.type);
    if (a.result == 0) FailUnanswered("the " + Describe(p) + " cannot be cancelled");
  } else if (p.kind == ModalKind::Form) {
    a.result = IDCANCEL;
  }
  return a;
}

// Records the prompt and takes its answer, failing when there is none that fits.
ModalAnswer Take(const ModalPrompt& p) {
  ModalState& s = M();
  s.prompts.push_back(p);
  if (s.answers.empty()) {
    if (s.standing)
      if (std::optional<ModalAnswer> a = s.standing(p)) return *a;
    if (s.safeDefaults) {
      s.prompts.back().unanswered = true;
      return SafeDefault(p);
    }
    FailUnanswered("no answer queued for the " + Describe(p));
  }
  if (s.answers.front().cancel) {
    s.answers.pop_front();
    return CancelOf(p);
  }
  const ModalAnswer& front = s.answers.front();
  if (front.kind != p.kind)
    FailUnanswered("the " + Describe(p) + " found an answer for a " + ModalKindName(front.kind) + " next in the queue");
  if (p.kind == ModalKind::MessageBox) {
    const std::vector<MessageBoxButton> b = MessageBoxButtons(p.type);
    if (std::none_of(b.begin(), b.end(), [&](const MessageBoxButton& x) { return x.id == front.result; }))
      FailUnanswered("the " + Describe(p) + " has no button " + std::to_string(front.result));
  }
  if (p.kind == ModalKind::PopupMenu && front.result != 0) {
    const bool offered = std::any_of(p.items.begin(), p.items.end(), [&](const PopupMenuItem& i) {
      return !i.separator && i.enabled && static_cast<int>(i.id) == front.result;
    });
    if (!offered) FailUnanswered("the " + Describe(p) + " offers no enabled item " + std::to_string(front.result));
  }
  ModalAnswer a = front;
  s.answers.pop_front();
  return a;
}

bool IsFileKind(ModalKind k) {
  return k == ModalKind::OpenFile || k == ModalKind::SaveFile || k == ModalKind::OpenPicture ||
         k == ModalKind::SavePicture;
}

}  // namespace

const char* ModalKindName(ModalKind k) {
  switch (k) {
    case ModalKind::MessageBox: return "message box";
    case ModalKind::OpenFile: return "open dialog";
    case ModalKind::SaveFile: return "save dialog";
    case ModalKind::OpenPicture: return "open picture dialog";
    case ModalKind::SavePicture: return "save picture dialog";
    case ModalKind::Color: return "colour dialog";
    case ModalKind::PopupMenu: return "popup menu";
    case ModalKind::Form: return "modal form";
  }
  return "modal";
}

// ---- tests ----------------------------------------------------------------------------------------------

void PushModalAnswer(ModalAnswer answer) { M().answers.push_back(std::move(answer)); }

void AnswerMessageBox(int id) {
  ModalAnswer a;
  a.kind = ModalKind::MessageBox;
  a.result = id;
  PushModalAnswer(std::move(a));
}

void AnswerFileDialog(ModalKind kind, std::vector<std::string> files) {
  if (!IsFileKind(kind)) throw std::invalid_argument("AnswerFileDialog needs a file dialog kind");
  ModalAnswer a;
  a.kind = kind;
  a.files = std::move(files);
  PushModalAnswer(std::move(a));
}

void AnswerColorDialog(std::optional<COLORREF> color) {
  ModalAnswer a;
  a.kind = ModalKind::Color;
  a.color = color;
  PushModalAnswer(std::move(a));
}

void AnswerPopupMenu(UINT itemId) {
  ModalAnswer a;
  a.kind = ModalKind::PopupMenu;
  a.result = static_cast<int>(itemId);
  PushModalAnswer(std::move(a));
}

void AnswerModalForm(int modalResult, std::function<int(HWND)> action) {
  ModalAnswer a;
  a.kind = ModalKind::Form;
  a.result = modalResult;
  a.formAction = std::move(action);
  PushModalAnswer(std::move(a));
}

void AnswerCancel() {
  ModalAnswer a;
  a.cancel = true;
  PushModalAnswer(std::move(a));
}

const std::vector<ModalPrompt>& ModalPrompts() { return M().prompts; }

std::size_t PendingModalAnswers() { return M().answers.size(); }

void ClearModalAnswers() {
  ModalState& s = M();
  s.answers.clear();
  s.prompts.clear();
  s.failures.clear();
}

void SetModalSafeDefaults(bool on) { M().safeDefaults = on; }

void SetModalFailureHandler(std::function<void(const std::string&)> handler) { M().onFailure = std::move(handler); }

void SetModalStandingAnswer(std::function<std::optional<ModalAnswer>(const ModalPrompt&)> answer) {
  M().standing = std::move(answer);
}

const std::vector<std::string>& ModalFailures() { return M().failures; }

void ResetModalAnswers() {
  ClearModalAnswers();
  M().safeDefaults = false;
  M().standing = nullptr;
}

// ---- the modals --------------------------------------------------------------------------------------------

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  ModalPrompt p;
  p.kind = ModalKind::MessageBox;
  p.owner = owner;
  p.text = text ? text : "";
  // The system's own default title.
  p.caption = caption ? caption : "Error";
  p.type = type;
  if (ModalRunsOnScreen()) {
    M().prompts.push_back(p);
    return RunMessageBoxOnScreen(p, SafeDefault(p).result);
  }
  return Take(p).result;
}

std::optional<std::vector<std::string>> AskFileDialog(const ModalPrompt& prompt) {
  if (!IsFileKind(prompt.kind)) throw std::invalid_argument("AskFileDialog needs a file dialog prompt");
  ModalAnswer a = Take(prompt);
  if (a.files.empty()) return std::nullopt;
  if (a.files.size() > 1 && !prompt.multiSelect)
    Fail("the " + Describe(prompt) + " allows one file but was answered with " + std::to_string(a.files.size()));
  return a.files;
}

std::optional<COLORREF> AskColorDialog(HWND owner, COLORREF initial) {
  ModalPrompt p;
  p.kind = ModalKind::Color;
  p.owner = owner;
  p.color = initial;
  return Take(p).color;
}

UINT TrackPopupMenu(std::span<const PopupMenuItem> items, UINT flags, int x, int y, HWND owner) {
  ModalPrompt p;
  p.kind = ModalKind::PopupMenu;
  p.owner = owner;
  p.type = flags;
  p.items.assign(items.begin(), items.end());
  p.pt = POINT{x, y};
  UINT id = 0;
  if (ModalRunsOnScreen()) {
    M().prompts.push_back(p);
    id = TrackPopupMenuOnScreen(items, flags, x, y);
  } else {
    id = static_cast<UINT>(Take(p).result);
  }
  if (flags & TPM_RETURNCMD) return id;
  if (id == 0) return 0;
  if (!(flags & TPM_NONOTIFY) && owner) PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
  return 1;
}

int RunModalForm(HWND form, const std::string& formClass, const std::string& caption) {
  ModalPrompt p;
  p.kind = ModalKind::Form;
  p.owner = form;
  p.formClass = formClass;
  p.caption = caption;
  ModalAnswer a = Take(p);
  const int result = a.formAction ? a.formAction(form) : a.result;
  if (result == 0) Fail("the " + Describe(p) + " ended with no modal result");
  return result;
}

}  // namespace win
