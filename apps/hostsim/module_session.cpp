#include "apps/hostsim/module_session.h"

#include <dlfcn.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <ostream>

#include "apps/hostsim/hostsim_error.h"
#include "platform/host/host.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"

namespace {

constexpr int kMessageSize = 1024;

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A file dialog's answer, made absolute; a folder is no file.
std::string FileAnswer(const std::string& command, const std::string& path) {
  if (path.empty()) throw HostsimError("an empty file name is no answer");
  if (std::filesystem::is_directory(path))
    throw HostsimError("\"" + command + "\": the answer \"" + path + "\" is a folder, not a file");
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

bool IsTextureQuestion(const win::ModalPrompt& p) {
  return p.kind == win::ModalKind::MessageBox && StartsWith(p.text, "Could not find the texture file: ");
}

bool IsErrorBox(const win::ModalPrompt& p) {
  return p.kind == win::ModalKind::MessageBox && (p.type & 0xF0) == win::MB_ICONERROR &&
         (p.type & win::MB_TYPEMASK) == win::MB_OK;
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
  if (a == "cancel") return win::AnswerCancel();
  auto file = [&](win::ModalKind kind, const std::string& path) {
    win::AnswerFileDialog(kind, {FileAnswer(command, path)});
  };
  if (StartsWith(a, "open:")) return file(win::ModalKind::OpenFile, a.substr(5));
  if (StartsWith(a, "save:")) return file(win::ModalKind::SaveFile, a.substr(5));
  if (StartsWith(a, "picture:")) return file(win::ModalKind::OpenPicture, a.substr(8));
  const std::string item = command.substr(command.rfind('/') + 1);
  if (StartsWith(item, "Load")) return file(win::ModalKind::OpenFile, a);
  if (StartsWith(item, "Save")) return file(win::ModalKind::SaveFile, a);
  throw HostsimError("\"" + command + "\": cannot tell which dialog the answer \"" + a +
                     "\" is for; write open:, save:, picture:, yes, no, ok or cancel");
}

ModuleSession::ModuleSession(const std::string& modulePath, std::ostream& log) : log_(log) {
  pluginId_ = host::LoadModule(modulePath);
  const std::string path = host::LoadedPlugin(pluginId_).path;
  // The host opened the module; this only finds the same copy again.
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (lib) {
    runCommand_ = reinterpret_cast<RunCommandFn>(dlsym(lib, "QuillmothRunCommand"));
    statusText_ = reinterpret_cast<ModuleTextFn>(dlsym(lib, "QuillmothStatusText"));
    commandList_ = reinterpret_cast<ModuleTextFn>(dlsym(lib, "QuillmothCommandList"));
    dlclose(lib);  // drops only the reference dlopen just took
  }
  if (!runCommand_ || !statusText_) {
    host::UnloadPlugin(pluginId_);
    throw HostsimError("the module " + path + " offers no editor commands (QuillmothRunCommand, QuillmothStatusText)");
  }
  win::SetModalStandingAnswer([this](const win::ModalPrompt& p) -> std::optional<win::ModalAnswer> {
    win::ModalAnswer a;
    if (IsTextureQuestion(p)) {
      log_ << "the plug-in asked: \"" << OneLine(p.text) << "\" - answered No\n";
      a.result = win::IDNO;
    } else if (IsErrorBox(p)) {
      errors_.push_back(OneLine(p.text));
      a.result = win::IDOK;
    } else {
      return std::nullopt;
    }
    return a;
  });
}

ModuleSession::~ModuleSession() {
  win::SetModalStandingAnswer(nullptr);
  try {
    host::UnloadPlugin(pluginId_);
  } catch (...) {
    // Unloading at the end of a job: nothing is left to tell the user.
  }
}

void ModuleSession::ClickIcon() { host::ClickIcon(pluginId_); }

void ModuleSession::RunCommand(const std::string& path, const std::vector<DialogAnswer>& answers) {
  win::ClearModalAnswers();
  errors_.clear();
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
  // The module's own news first, as it said it.
  if (!errors_.empty()) throw HostsimError(errors_.front() + " (\"" + path + "\")");
  // The module's own message names the dialog that went unanswered.
  // The module's message names the command itself.
  if (result != 0) throw HostsimError(message[0] ? OneLine(message) : "\"" + path + "\" failed: no reason given");
  if (failedModal) throw HostsimError("\"" + path + "\": a dialog got no usable answer" + asked);
  if (unused)
    throw HostsimError("\"" + path + "\" left " + std::to_string(unused) + " answer(s) unused" + asked);
}

void ModuleSession::LoadScene(const std::string& path) {
  win::ClearModalAnswers();
  errors_.clear();
  // Nobody is there to answer what the objects' readers ask.
  win::SetModalSafeDefaults(true);
  try {
    host::LoadScene(path);
  } catch (...) {
    win::SetModalSafeDefaults(false);
    win::ClearModalAnswers();
    throw;
  }
  win::SetModalSafeDefaults(false);
  for (const win::ModalPrompt& p : win::ModalPrompts())
    if (p.kind == win::ModalKind::MessageBox && !IsTextureQuestion(p)) log_ << "the plug-in said: " << OneLine(p.text) << "\n";
  win::ClearModalAnswers();
  if (!errors_.empty())
    throw HostsimError(path + ": the plug-in could not read " + std::to_string(errors_.size()) +
                       " of its objects in the scene (see its messages above)");
}

namespace {

// A text of the module's, asked for again in full when the first buffer was too small.
std::string ModuleText(int (*ask)(char*, int)) {
  std::vector<char> text(kMessageSize);
  const int size = ask(text.data(), static_cast<int>(text.size()));
  if (size >= static_cast<int>(text.size())) {
    text.assign(static_cast<std::size_t>(size) + 1, 0);
    ask(text.data(), static_cast<int>(text.size()));
  }
  text.back() = 0;
  return text.data();
}

}  // namespace

std::string ModuleSession::StatusText() const { return ModuleText(statusText_); }

std::vector<std::string> ModuleSession::CommandList() const {
  if (!commandList_) throw HostsimError("the module offers no list of its commands (QuillmothCommandList)");
  std::vector<std::string> commands;
  std::istringstream lines(ModuleText(commandList_));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) commands.push_back(line);
  return commands;
}
