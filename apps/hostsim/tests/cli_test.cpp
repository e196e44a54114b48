// hostsim as a program: bad scenes end with exit code 1 and a message before anything is
// loaded or written; bad options with the usage and 2.
#include <gtest/gtest.h>

#include "run_hostsim.h"

namespace fs = std::filesystem;

namespace {

class HostsimCliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  bool FramesWritten() const { return fs::exists(dir_ / "out") && !fs::is_empty(dir_ / "out"); }
  fs::path dir_;
};

}  // namespace

TEST_F(HostsimCliTest, BadScenesFailWithAMessageAndWriteNoFrame) {
  const struct {
    const char* json;
    const char* message;
  } cases[] = {
      {"{\"objects\": [{\"kind\": \"cube\"},]}", "scene: not valid JSON"},
      {"{\"objects\": [{\"kind\": \"cone\"}]}", "objects[0].kind: unknown kind \"cone\""},
      {"{\"tools\": [{\"kind\": \"Magnet\"}]}", "tools[0].kind: unknown tool \"Magnet\""},
      {"{\"emitters\": [{\"settings\": \"gone.zke\"}]}", "file not found: "},
  };
  for (const auto& c : cases) {
    Write("scene.json", c.json);
    const HostsimRun r = RunHostsim(dir_, "render --scene scene.json --frames 1:1 --out out");
    EXPECT_EQ(r.code, 1) << c.json;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(FramesWritten()) << c.json;
  }
  const HostsimRun missing = RunHostsim(dir_, "render --scene nowhere.json --out out");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("scene: cannot open nowhere.json"), std::string::npos) << missing.err;
}

TEST_F(HostsimCliTest, AMissingEmitterFileFailsBeforeTheModuleLoads) {
  Write("empty.json", "{}");
  const HostsimRun r = RunHostsim(dir_, "render --scene empty.json --emitter absent.zke --frames 1:1 --out out");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("--emitter: file not found: " + (dir_ / "absent.zke").string()), std::string::npos) << r.err;
  EXPECT_FALSE(FramesWritten());
  const HostsimRun s = RunHostsim(dir_, "scene save out.scn --scene empty.json --emitter absent.zke");
  EXPECT_EQ(s.code, 1);
  EXPECT_NE(s.err.find("file not found"), std::string::npos) << s.err;
  EXPECT_FALSE(fs::exists(dir_ / "out.scn"));
}

TEST_F(HostsimCliTest, BadOptionsGiveTheUsage) {
  for (const char* args : {"render --frames 9:2", "render --size 0x5", "render --bogus", "run --answer x.zke",
                           "scene load x.scn", "scene save", "paint", "shot", "shot --command File/New",
                           "open --size 100x100", "open --bogus"}) {
    const HostsimRun r = RunHostsim(dir_, args);
    EXPECT_EQ(r.code, 2) << args;
    EXPECT_NE(r.err.find("usage: hostsim"), std::string::npos) << args << ": " << r.err;
  }
}

TEST_F(HostsimCliTest, ShotPicturesEachVisibleWindowWhereTheDesktopShowsIt) {
  const HostsimRun r = RunHostsim(dir_, "shot pics --command 'File/New Emitter'");
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<fs::path> windows;
  for (const auto& e : fs::directory_iterator(dir_ / "pics"))
    if (e.path().filename().string().rfind("window_", 0) == 0) windows.push_back(e.path());
  ASSERT_EQ(windows.size(), 1u) << r.out;  // the editor's main window
  // The window's own picture is the part of the desktop's where the window stands.
  const std::string size = ShellWord((dir_ / "size.txt").string());
  ASSERT_EQ(std::system(("identify -format '%wx%h' " + ShellWord(windows[0].string()) + " >" + size).c_str()), 0);
  const std::string crop = ReadText(dir_ / "size.txt") + "+220+120";
  const std::string diff = ShellWord((dir_ / "diff.txt").string());
  std::system(("compare -metric AE " + ShellWord((dir_ / "pics" / "desktop.png").string() + "[" + crop + "]") + " " +
               ShellWord(windows[0].string()) + " null: 2>" + diff).c_str());
  EXPECT_EQ(ReadText(dir_ / "diff.txt"), "0");
}

TEST_F(HostsimCliTest, RunShotsPicturesTheEditorWindowAsShotDoes) {
  const HostsimRun r = RunHostsim(dir_, "run --shots pics --command 'File/New Emitter'");
  ASSERT_EQ(r.code, 0) << r.err;
  int windows = 0;
  for (const auto& e : fs::directory_iterator(dir_ / "pics")) windows += e.path().filename().string().starts_with("window_");
  EXPECT_EQ(windows, 1) << r.out;
}

TEST_F(HostsimCliTest, OpenWithoutAScreenFailsInsteadOfWaitingUnseen) {
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) unsetenv(v);
  const HostsimRun r = RunHostsim(dir_, "open");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("hostsim open: no screen"), std::string::npos) << r.err;
}
