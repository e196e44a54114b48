#include "apps/hostsim/module_session.h"

#include <dlfcn.h>

#include <filesystem>

#include "apps/hostsim/hostsim_error.h"
#include "platform/host/host.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"

namespace {

constexpr int kMessageSize = 1024;

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::string Absolute(const std::string& path) {
  if (path.empty()) throw HostsimError("an empty file name is no answer");
  return std::filesystem::absolute(path).lexically_normal().string();
}

// Message boxes break lines with carriage returns; on a terminal line each break becomes
// one space.
std::string OneLine(const std::string& text) {
  std::string out;
  bool gap = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += ' ';
    gap = false;
    out += c;
  }
  return out;
}

// What the module asked last, for a failure message.
std::string LastQuestion(std::size_t firstPrompt) {
  const auto& prompts = win::ModalPrompts();
  if (prompts.size() <= firstPrompt) return {};
  const win::ModalPrompt& p = prompts.back();
  if (p.kind == win::ModalKind::MessageBox) return " (the module said: \"" + OneLine(p.text) + "\")";
  return std::string(" (at the ") + win::ModalKindName(p.kind) +
         (p.title.empty() ? std::string() : " \"" + p.title + "\"") + ")";
}

}  // namespace

void PushDialogAnswer(const std::string& command, const DialogAnswer& answer) {
  const std::string& a = answer.text;
  if (a == "yes") return win::AnswerMessageBox(win::IDYES);
  if (a == "no") return win::AnswerMessageBox(win::IDNO);
  if (a == "ok") return win::AnswerMessageBox(win::IDOK);
  if (a == "cancel") return win::AnswerMessageBox(win::IDCANCEL);
  if (StartsWith(a, "open:")) return win::AnswerFileDialog(win::ModalKind::OpenFile, {Absolute(a.substr(5))});
  if (StartsWith(a, "save:")) return win::AnswerFileDialog(win::ModalKind::SaveFile, {Absolute(a.substr(5))});
  if (StartsWith(a, "picture:"))
    return win::AnswerFileDialog(win::ModalKind::OpenPicture, {Absolute(a.substr(8))});
  const std::string item = command.substr(command.rfind('/') + 1);
  if (StartsWith(item, "Load")) return win::AnswerFileDialog(win::ModalKind::OpenFile, {Absolute(a)});
  if (StartsWith(item, "Save")) return win::AnswerFileDialog(win::ModalKind::SaveFile, {Absolute(a)});
  throw HostsimError("\"" + command + "\": cannot tell which dialog the answer \"" + a +
                     "\" is for; write open:, save:, picture:, yes, no, ok or cancel");
}

ModuleSession::ModuleSession(const std::string& modulePath) {
  pluginId_ = host::LoadModule(modulePath);
  const std::string path = host::LoadedPlugin(pluginId_).path;
  // The host opened the module; this only finds the same copy again.
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (lib) {
    runCommand_ = reinterpret_cast<RunCommandFn>(dlsym(lib, "QuillmothRunCommand"));
    statusText_ = reinterpret_cast<StatusTextFn>(dlsym(lib, "QuillmothStatusText"));
    dlclose(lib);  // drops only the reference dlopen just took
  }
  if (!runCommand_ || !statusText_) {
    host::UnloadPlugin(pluginId_);
    throw HostsimError("the module " + path + " offers no editor commands (QuillmothRunCommand, QuillmothStatusText)");
  }
}

ModuleSession::~ModuleSession() {
  try {
    host::UnloadPlugin(pluginId_);
  } catch (...) {
    // Unloading at the end of a job: nothing is left to tell the user.
  }
}

void ModuleSession::ClickIcon() { host::ClickIcon(pluginId_); }

void ModuleSession::RunCommand(const std::string& path, const std::vector<DialogAnswer>& answers) {
  win::ClearModalAnswers();
  for (const DialogAnswer& a : answers) PushDialogAnswer(path, a);
  const std::size_t firstPrompt = win::ModalPrompts().size();
  char message[kMessageSize] = {};
  const int result = runCommand_(path.c_str(), message, kMessageSize);
  // What the command posted (selection changes, updates) is handled before the next one, as
  // a host's message loop would.
  win::PumpPendingMessages();
  message[kMessageSize - 1] = 0;
  const std::size_t unused = win::PendingModalAnswers();
  const std::string asked = LastQuestion(firstPrompt);
  const bool failedModal = !win::ModalFailures().empty();
  win::ClearModalAnswers();
  // The module's own message names the dialog that went unanswered.
  if (result != 0)
    throw HostsimError("\"" + path + "\" failed: " + (message[0] ? OneLine(message) : "no reason given"));
  if (failedModal) throw HostsimError("\"" + path + "\": a dialog got no usable answer" + asked);
  if (unused)
    throw HostsimError("\"" + path + "\" left " + std::to_string(unused) + " answer(s) unused" + asked);
}

std::string ModuleSession::StatusText() const {
  char text[kMessageSize] = {};
  statusText_(text, kMessageSize);
  text[kMessageSize - 1] = 0;
  return text;
}
