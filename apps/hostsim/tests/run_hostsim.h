#pragma once
// Runs the built hostsim as a program, in a scratch folder, and keeps what it said.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct HostsimRun {
  int code = -1;
  std::string out, err;
};

// Quotes a word for the shell.
inline std::string ShellWord(const std::string& w) {
  std::string q = "'";
  for (char c : w) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// `args` are passed as they stand; the program runs in `folder`, after the shell words of
// `prelude` (limits, a change of user).
inline HostsimRun RunHostsim(const std::filesystem::path& folder, const std::string& args,
                             const std::string& prelude = "") {
  const std::filesystem::path out = folder / "hostsim.out", err = folder / "hostsim.err";
  const std::string command = "cd " + ShellWord(folder.string()) + " && " + prelude + " " + ShellWord(QM_HOSTSIM) +
                              " " + args +
                              " >" + ShellWord(out.string()) + " 2>" + ShellWord(err.string());
  const int status = std::system(command.c_str());
  HostsimRun r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadText(out);
  r.err = ReadText(err);
  return r;
}

// A fresh scratch folder for one test.
inline std::filesystem::path ScratchFolder(const std::string& name) {
  const auto p = std::filesystem::temp_directory_path() / ("hostsim_" + name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p;
}

// hostsim's message when the module built here does not carry the editor's commands yet.
inline bool LacksEditorCommands(const std::string& err) {
  return err.find("offers no editor commands") != std::string::npos;
}
