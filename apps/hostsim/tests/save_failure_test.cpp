// Every save hostsim makes, failing every way a save can fail: the old file stays byte for
// byte, nothing half-written is left, and the job says so with exit code 1.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "run_hostsim.h"

namespace fs = std::filesystem;

namespace {

struct SaveKind {
  const char* name;
  std::function<std::string(const std::string&)> args;  // hostsim's words saving to a path
  bool asks;  // its dialog asks before replacing a file: the answer is yes
};

const SaveKind kSaves[] = {
    {"emitter.zke",
     [](const std::string& p) {
       return "run --command 'File/New Emitter' --command 'File/Save Emitter Settings' --answer " + ShellWord(p);
     },
     true},
    {"system.zks",
     [](const std::string& p) {
       return "run --command 'File/New Emitter' --command 'File/Add Particle System' --command "
              "'File/Save System Settings' --answer " + ShellWord(p);
     },
     true},
    {"scene.scn", [](const std::string& p) { return "scene save " + ShellWord(p); }, false},
};

enum class Failure { SizeLimit, ReadOnlyFolder, Link, Fifo };

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

}  // namespace

TEST(HostsimSaves, AFailedSaveKeepsTheOldFileWholeAndSaysSo) {
  const fs::path dir = ScratchFolder("saves");
  ::chmod(dir.c_str(), 0755);
  const std::string old(3000, 'o');
  // Root writes into any folder: the row runs as nobody, where the system can change user.
  const bool root = ::geteuid() == 0;
  const bool canDropRoot = !root || std::system("command -v setpriv >/dev/null 2>&1") == 0;
  const struct {
    Failure failure;
    const char* what;
    std::string prelude;
    int code;
    const char* message;
  } rows[] = {
      {Failure::SizeLimit, "size limit", "trap '' XFSZ; ulimit -f 2;", 1, "File too large"},
      {Failure::ReadOnlyFolder, "read-only folder", root ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "", 1,
       "Permission denied"},
      {Failure::Link, "link", "", 0, ""},
      {Failure::Fifo, "fifo", "", 1, "is not a regular file"},
  };
  for (const SaveKind& save : kSaves) {
    const fs::path folder = dir / save.name;
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0755);
    // The editor's dialogs add the extension to a name without one.
    const std::string ext = fs::path(save.name).extension().string();
    const HostsimRun made = RunHostsim(folder, save.args("fresh" + ext));
    if (LacksEditorCommands(made.err)) GTEST_SKIP() << made.err;
    ASSERT_EQ(made.code, 0) << made.err;
    const std::string fresh = ReadText(folder / ("fresh" + ext));
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(save.name) + ", " + row.what);
      if (row.failure == Failure::ReadOnlyFolder && !canDropRoot) {
        ADD_FAILURE() << "running as root without setpriv: a read-only folder cannot be made";
        continue;
      }
      const fs::path where = folder / row.what;
      fs::create_directories(where);
      const fs::path target = where / ("target" + ext);
      if (row.failure == Failure::Fifo) {
        ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
      } else {
        std::ofstream(target, std::ios::binary) << old;
      }
      fs::path named = target;
      if (row.failure == Failure::Link) {
        named = where / ("link" + ext);
        fs::create_symlink(target.filename(), named);
      }
      if (row.failure == Failure::ReadOnlyFolder) ::chmod(where.c_str(), 0555);
      const HostsimRun r = RunHostsim(folder, save.args(named.string()) + (save.asks ? " --answer yes" : ""),
                                      row.prelude + " timeout 120");
      ::chmod(where.c_str(), 0755);
      EXPECT_EQ(r.code, row.code) << r.err;
      EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
      if (row.code != 0) {
        EXPECT_EQ(r.out.find("saved"), std::string::npos) << r.out;
      }
      const std::set<std::string> left = Names(where);
      if (row.failure == Failure::Link) {
        EXPECT_TRUE(fs::is_symlink(named));
        EXPECT_EQ(ReadText(target), fresh) << "the link's target holds the save";
        EXPECT_EQ(left, (std::set<std::string>{named.filename().string(), target.filename().string()}));
      } else {
        if (row.failure == Failure::Fifo) {
          EXPECT_TRUE(fs::is_fifo(target));
        } else {
          EXPECT_EQ(ReadText(target), old) << "the old file byte for byte";
        }
        EXPECT_EQ(left, std::set<std::string>{target.filename().string()}) << "no partial file";
      }
    }
  }
  fs::remove_all(dir);
}

TEST(HostsimSaves, OpenRenderAndSceneSaveStopAlikeOnABadEmitterFile) {
  const fs::path dir = ScratchFolder("bad_emitter");
  std::ofstream(dir / "bad.zke", std::ios::binary) << "not an emitter";
  // `open` stops before its screen opens: no display is needed to see it fail.
  const char* commands[] = {"render --frames 1:1 --out frames", "scene save out.scn", "open"};
  std::string message;
  for (const char* c : commands) {
    SCOPED_TRACE(c);
    const HostsimRun r = RunHostsim(dir, std::string(c) + " --emitter bad.zke", "env -u DISPLAY -u WAYLAND_DISPLAY");
    if (LacksEditorCommands(r.err)) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.code, 1) << r.err;
    const std::string said = r.err.substr(r.err.find(": ") + 2);
    if (message.empty()) message = said;
    EXPECT_EQ(said, message) << "the same message from every command";
    EXPECT_EQ(r.err.find("no screen"), std::string::npos) << r.err;
  }
  EXPECT_NE(message.find("bad.zke"), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(dir / "frames")) << "no empty frame folder is left";
  EXPECT_FALSE(fs::exists(dir / "out.scn"));
  fs::remove_all(dir);
}

TEST(HostsimSaves, UnknownCommandsAndOptionsAreNamedOnce) {
  const fs::path dir = ScratchFolder("unknown");
  const struct {
    const char* args;
    const char* message;
  } rows[] = {
      {"frobnicate", "hostsim: \"frobnicate\" is no command\n"},
      {"render --bogus", "hostsim render: unknown option \"--bogus\"\n"},
      {"run --bogus", "hostsim run: unknown option \"--bogus\"\n"},
      {"open --bogus", "hostsim open: unknown option \"--bogus\"\n"},
      {"info --bogus", "hostsim info: unknown option \"--bogus\"\n"},
      {"scene save a.scn b.scn", "hostsim scene save: unexpected \"b.scn\"\n"},
  };
  for (const auto& row : rows) {
    const HostsimRun r = RunHostsim(dir, row.args);
    EXPECT_EQ(r.code, 2) << row.args;
    EXPECT_EQ(r.err.rfind(row.message, 0), 0u) << r.err;
    EXPECT_EQ(r.err.find("usage:"), r.err.rfind("usage:")) << "the usage once: " << r.err;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
  }
  // A menu command the editor lacks is named once too (a failed job: no usage).
  const HostsimRun r = RunHostsim(dir, "run --command File/Nope");
  if (!LacksEditorCommands(r.err)) {
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "hostsim run: \"File/Nope\": there is no such command in the editor's menu\n");
  }
  fs::remove_all(dir);
}
