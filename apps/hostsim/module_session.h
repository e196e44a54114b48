#pragma once
// The plug-in module loaded into the host for one job: the handshake, the icon click, the
// editor's menu commands with scripted dialog answers, and the main window's status text.
// The module's two command exports are found on the already-loaded library.
#include <iostream>
#include <string>
#include <vector>

// One answer for the next dialog of a command:
//   "yes", "no", "ok"              a message box's button
//   "cancel"                       whatever asks next, as Esc would (a file dialog too)
//   "open:PATH", "save:PATH", "picture:PATH"   a file dialog of that kind
//   "PATH"                         a file dialog whose kind follows from the command
//                                  ("Load" -> open, "Save" -> save)
// A PATH that names a folder is refused.
struct DialogAnswer {
  std::string text;
};

// While a session lives, what the plug-in asks with no scripted answer left is answered
// as nobody is there: a missing-texture question No (said on `log`), an error box OK (the
// command or load then fails with the box's text).
class ModuleSession {
 public:
  explicit ModuleSession(const std::string& modulePath, std::ostream& log = std::cerr);  // throws HostsimError
  ~ModuleSession();  // unloads the module
  ModuleSession(const ModuleSession&) = delete;
  ModuleSession& operator=(const ModuleSession&) = delete;

  int PluginId() const { return pluginId_; }
  void ClickIcon();
  // Runs a main-window menu command ("File/New Emitter"). Every answer must be taken by a
  // dialog of the command; a dialog without an answer, an answer left over, or a command
  // the module refuses raises HostsimError with the module's message.
  void RunCommand(const std::string& path, const std::vector<DialogAnswer>& answers = {});
  // Loads a host scene file. Every message the plug-in shows meanwhile is answered as
  // nobody is there and written to `log`; when the plug-in could not read some of its
  // objects (its messages name them) HostsimError is raised after the load.
  void LoadScene(const std::string& path);
  std::string StatusText() const;
  // The editor's main-menu commands RunCommand takes, in menu order.
  std::vector<std::string> CommandList() const;

 private:
  std::ostream& log_;
  std::vector<std::string> errors_;  // error boxes answered for nobody, since the last clear
  using RunCommandFn = int (*)(const char*, char*, int);
  using ModuleTextFn = int (*)(char*, int);  // the status line, the command list
  int pluginId_ = 0;
  RunCommandFn runCommand_ = nullptr;
  ModuleTextFn statusText_ = nullptr;
  ModuleTextFn commandList_ = nullptr;
};

// Pushes `answer` on the window system's answer queue for a dialog of `command`.
void PushDialogAnswer(const std::string& command, const DialogAnswer& answer);
