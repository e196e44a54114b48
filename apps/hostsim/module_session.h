#pragma once
// The plug-in module loaded into the host for one job: the handshake, the icon click, the
// editor's menu commands with scripted dialog answers, and the main window's status text.
// The module's two command exports are found on the already-loaded library.
#include <string>
#include <vector>

// One answer for the next dialog of a command:
//   "yes", "no", "ok", "cancel"    a message box's button
//   "open:PATH", "save:PATH", "picture:PATH"   a file dialog of that kind
//   "PATH"                         a file dialog whose kind follows from the command
//                                  ("Load" -> open, "Save" -> save)
struct DialogAnswer {
  std::string text;
};

class ModuleSession {
 public:
  explicit ModuleSession(const std::string& modulePath);  // throws HostsimError
  ~ModuleSession();                                       // unloads the module
  ModuleSession(const ModuleSession&) = delete;
  ModuleSession& operator=(const ModuleSession&) = delete;

  int PluginId() const { return pluginId_; }
  void ClickIcon();
  // Runs a main-window menu command ("File/New Emitter"). Every answer must be taken by a
  // dialog of the command; a dialog without an answer, an answer left over, or a command
  // the module refuses raises HostsimError with the module's message.
  void RunCommand(const std::string& path, const std::vector<DialogAnswer>& answers = {});
  std::string StatusText() const;

 private:
  using RunCommandFn = int (*)(const char*, char*, int);
  using StatusTextFn = int (*)(char*, int);
  int pluginId_ = 0;
  RunCommandFn runCommand_ = nullptr;
  StatusTextFn statusText_ = nullptr;
};

// Pushes `answer` on the window system's answer queue for a dialog of `command`.
void PushDialogAnswer(const std::string& command, const DialogAnswer& answer);
