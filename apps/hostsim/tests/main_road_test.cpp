// The main job end to end with the module as built: handshake, first click, New Emitter,
// New Attractor, frame 30 with a cube in front of the emitter, then the host scene saved,
// the module unloaded and loaded again, the scene loaded and rendered once more.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "apps/hostsim/hostsim_error.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_builder.h"
#include "platform/host/host.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "run_hostsim.h"

#ifdef QM_QUILLMOTH_MODULE

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 160, kHeight = 120;

using Image = std::vector<host::RenderPixel>;

Image Rendered() {
  Image img;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) img.push_back(host::ReadPixel(x, y));
  return img;
}

bool SameColour(const host::RenderPixel& a, const host::RenderPixel& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}

bool SamePixel(const host::RenderPixel& a, const host::RenderPixel& b) {
  return SameColour(a, b) && a.a == b.a && a.depth == b.depth;
}

class MainRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    host::SetPump([] { win::PumpPendingMessages(); });
    win::ClearModalAnswers();
    dir_ = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Open();
  }
  void TearDown() override {
    module_.reset();
    host::Reset();
    win::ClearModalAnswers();
    fs::remove_all(dir_);
  }
  void Open() {
    try {
      module_ = std::make_unique<ModuleSession>(QM_QUILLMOTH_MODULE);
    } catch (const HostsimError& e) {
      FAIL() << e.what();
    }
  }
  host::NodeHandle Make(const std::string& command) {
    const auto before = host::TopLevelNodes();
    module_->RunCommand(command);
    return NewNode(before, command);
  }
  Image RenderFrame30() {
    EXPECT_TRUE(host::Render(30));
    EXPECT_EQ(host::SceneTime(), 30.0f) << "the scene time is back where the render put it";
    return Rendered();
  }

  std::unique_ptr<ModuleSession> module_;
  fs::path dir_;
};

}  // namespace

TEST_F(MainRoadTest, ParticlesShowBesideTheCubeHideBehindItAndSurviveAModuleReload) {
  const int typesBefore = static_cast<int>(host::State().types.size());
  EXPECT_EQ(typesBefore, 7) << "the handshake defines the seven object types";
  module_->ClickIcon();
  EXPECT_TRUE(host::PostProcessRegistered()) << "the first click turns rendering on";
  SetUpView(host::Camera{}, kWidth, kHeight);

  // A red cube between the camera (z = 10) and the emitter at the origin.
  host::NodeHandle cube = host::AddCube("Blocker", 1.0f);
  host::SetColor(cube, 1.0f, 0.0f, 0.0f);
  host::SetKey(cube, host::Channel::Position, 0, {0.0f, 0.0f, 4.0f});
  const host::NodeHandle emitter = Make("File/New Emitter");
  const host::NodeHandle attractor = Make("Toolbox/New Attractor");
  EXPECT_NE(emitter, attractor);
  host::SetKey(attractor, host::Channel::Position, 0, {0.0f, 1.5f, 0.0f});

  const Image with = RenderFrame30();
  const std::string status = module_->StatusText();
  std::smatch m;
  ASSERT_TRUE(std::regex_match(status, m, std::regex(R"( Rendered (\d+) particles in \d\d:\d\d)"))) << status;
  EXPECT_GT(std::stoi(m[1]), 0);

  // The same frame without the plug-in's stage: geometry only.
  module_->RunCommand("File/Enable Rendering");
  const Image without = RenderFrame30();
  module_->RunCommand("File/Enable Rendering");

  int cubePixels = 0, visible = 0;
  for (std::size_t i = 0; i < with.size(); ++i) {
    if (without[i].a > 0) {
      ++cubePixels;
      EXPECT_TRUE(SameColour(with[i], without[i])) << "particle drawn over the cube at " << i % kWidth << ","
                                                   << i / kWidth;
    } else if (!SameColour(with[i], without[i])) {
      ++visible;
    }
  }
  EXPECT_GT(cubePixels, 100);
  EXPECT_GT(visible, 0) << "particles show beside the cube";

  // With the cube out of the way particles fill part of where it was: it hid them.
  host::SetKey(cube, host::Channel::Position, 0, {50.0f, 0.0f, 4.0f});
  const Image open = RenderFrame30();
  int uncovered = 0;
  for (std::size_t i = 0; i < open.size(); ++i)
    if (without[i].a > 0 && (open[i].r > 0 || open[i].g > 0 || open[i].b > 0)) ++uncovered;
  EXPECT_GT(uncovered, 0) << "the cube stood in front of particles";
  host::SetKey(cube, host::Channel::Position, 0, {0.0f, 0.0f, 4.0f});
  const Image again = RenderFrame30();
  for (std::size_t i = 0; i < with.size(); ++i)
    ASSERT_TRUE(SamePixel(again[i], with[i])) << "a frame renders the same twice, pixel " << i;

  // Save, unload, load the module afresh, load the scene: the same frame and the same file.
  const std::string first = (dir_ / "first.scn").string(), second = (dir_ / "second.scn").string();
  host::SaveScene(first);
  module_.reset();
  host::Reset();
  host::SetPump([] { win::PumpPendingMessages(); });
  Open();
  ASSERT_TRUE(module_);
  module_->ClickIcon();
  SetUpView(host::Camera{}, kWidth, kHeight);
  host::LoadScene(first);
  const Image reloaded = RenderFrame30();
  for (std::size_t i = 0; i < with.size(); ++i)
    ASSERT_TRUE(SamePixel(reloaded[i], with[i])) << "pixel " << i % kWidth << "," << i / kWidth << " after the reload";
  host::SaveScene(second);
  EXPECT_EQ(ReadText(second), ReadText(first)) << "the plug-in's chunks come back byte for byte";
}

// hostsim with the module: files made by script, a dialog without an answer, a truncated
// settings file, and a scene that round-trips through the program.
TEST_F(MainRoadTest, HostsimMakesLoadsAndRefusesFilesByScript) {
  module_.reset();  // the programs load their own
  HostsimRun r = RunHostsim(dir_, "run --command 'File/New Emitter' --command 'File/Save Emitter Settings' "
                                  "--answer made.zke --command 'File/Add Particle System' "
                                  "--command 'File/Save System Settings' --answer made.zks");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string zke = ReadText(dir_ / "made.zke"), zks = ReadText(dir_ / "made.zks");
  EXPECT_GT(zke.size(), zks.size()) << "an emitter file holds its system and more";
  EXPECT_GT(zks.size(), 0u);
  // A second save to the same file asks before replacing it.
  r = RunHostsim(dir_, "run --command 'File/New Emitter' --command 'File/Save Emitter Settings' --answer made.zke");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  r = RunHostsim(dir_, "run --command 'File/New Emitter' --command 'File/Save Emitter Settings' --answer made.zke "
                       "--answer yes");
  EXPECT_EQ(r.code, 0) << r.err;

  r = RunHostsim(dir_, "run --command 'File/New Emitter' --command 'File/Save Emitter Settings'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("\"File/Save Emitter Settings\""), std::string::npos) << r.err;
  r = RunHostsim(dir_, "run --command 'File/New Emitter' --command 'File/Add Particle System' --answer yes");
  EXPECT_EQ(r.code, 1) << "an answer no dialog took";
  EXPECT_NE(r.err.find("unused"), std::string::npos) << r.err;

  std::ofstream(dir_ / "scene.json") << R"({"objects": [{"kind": "sphere", "size": 1, "position": [0, -1, 0]}],
    "emitters": [{"settings": "made.zke", "position": [0, 0.5, 0]}], "tools": [{"kind": "Fan"}]})";
  r = RunHostsim(dir_, "render --scene scene.json --frames 29:30 --size 64x48 --out frames");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(frame 30: Rendered \d+ particles in \d\d:\d\d)"))) << r.out;
  for (const char* f : {"frame_0029.png", "frame_0030.png"}) {
    const std::string png = ReadText(dir_ / "frames" / f);
    ASSERT_GT(png.size(), 8u) << f;
    EXPECT_EQ(png.substr(1, 3), "PNG");
  }

  // Half a settings file: the module refuses it and says why; nothing is rendered.
  std::ofstream(dir_ / "half.zke", std::ios::binary) << zke.substr(0, zke.size() / 2);
  std::ofstream(dir_ / "empty.json") << "{}";
  r = RunHostsim(dir_, "render --scene empty.json --emitter half.zke --frames 1:1 --out broken");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("File/Load Emitter Settings"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "broken" / "frame_0001.png"));

  r = RunHostsim(dir_, "scene save a.scn --scene scene.json");
  ASSERT_EQ(r.code, 0) << r.err;
  r = RunHostsim(dir_, "run --load a.scn --save b.scn");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadText(dir_ / "b.scn"), ReadText(dir_ / "a.scn"));
}

// Dialogs a script cancels or answers again, a folder given for a file, and a texture
// question nobody answers while the scene is built.
TEST_F(MainRoadTest, HostsimScriptsCancelAnswerTheRepeatedSaveAndAnswerTextureQuestionsNo) {
  module_.reset();
  const std::string save = "run --command 'File/New Emitter' --command 'File/Save Emitter Settings' ";
  std::ofstream(dir_ / "made.zke") << "keep me";
  fs::create_directories(dir_ / "out");
  const struct {
    const char* answers;
    int code;
    const char* err;
  } cases[] = {
      {"--answer cancel", 0, ""},
      {"--answer made.zke --answer no --answer cancel", 0, ""},
      {"--answer made.zke --answer no --answer other.zke", 0, ""},
      {"--answer made.zke --answer no", 1, "save dialog"},
      {"--answer out", 1, "\"out\" is a folder"},
  };
  for (const auto& c : cases) {
    const HostsimRun r = RunHostsim(dir_, save + c.answers);
    EXPECT_EQ(r.code, c.code) << c.answers << ": " << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.answers << ": " << r.err;
  }
  EXPECT_EQ(ReadText(dir_ / "made.zke"), "keep me");
  EXPECT_GT(ReadText(dir_ / "other.zke").size(), 100u);
  EXPECT_FALSE(fs::exists(dir_ / "out.zke"));

  // A system whose particle image is nowhere: the scene still builds and renders.
  HostsimRun r = RunHostsim(dir_, "run --command 'File/New Emitter' --command 'File/Add Particle System' "
                                  "--command 'File/Save System Settings' --answer made.zks");
  ASSERT_EQ(r.code, 0) << r.err;
  std::string zks = ReadText(dir_ / "made.zks");
  const std::string name("\x07\0\0\0Default", 11);
  const auto at = zks.find(name);
  ASSERT_NE(at, std::string::npos);
  zks.replace(at + 4, 7, "nop.png");
  std::ofstream(dir_ / "lost.zks", std::ios::binary) << zks;
  std::ofstream(dir_ / "scene.json") << R"({"emitters": [{"system": "lost.zks"}]})";
  r = RunHostsim(dir_, "render --scene scene.json --frames 1:1 --size 32x24 --out frames");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("Could not find the texture file: \"nop.png\"."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("answered No"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir_ / "frames" / "frame_0001.png"));
}

// An emitter chunk of a later version and a tool chunk of an older one: hostsim names both
// and fails; the plug-in keeps their bytes, so the host saves them back unchanged.
TEST_F(MainRoadTest, UnreadablePluginDataIsNamedAndSavedBackByteForByte) {
  std::ofstream(dir_ / "scene.json") << R"({"emitters": [{}], "tools": [{"kind": "Fan"}]})";
  HostsimRun r = RunHostsim(dir_, "scene save good.scn --scene scene.json");
  ASSERT_EQ(r.code, 0) << r.err;
  std::string scene = ReadText(dir_ / "good.scn");
  auto setVersion = [&](const std::string& leadingName, char version) {
    const auto at = scene.find(leadingName);
    ASSERT_TRUE(at != std::string::npos && at >= 8) << leadingName;
    scene[at - 8] = version;
  };
  setVersion(std::string("\x07" "Emitter"), 102);
  setVersion(std::string("\x03" "Fan"), 99);
  const std::string bad = (dir_ / "bad.scn").string();
  std::ofstream(bad, std::ios::binary) << scene;

  for (const char* job : {"run --load bad.scn --save again.scn", "render --load bad.scn --frames 1:1 --out frames"}) {
    r = RunHostsim(dir_, job);
    EXPECT_EQ(r.code, 1) << job;
    EXPECT_NE(r.err.find("could not read 2 of its objects"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "again.scn"));
  EXPECT_FALSE(fs::exists(dir_ / "frames" / "frame_0001.png"));

  module_->ClickIcon();
  EXPECT_THROW(module_->LoadScene(bad), HostsimError);
  const std::string again = (dir_ / "again.scn").string();
  host::SaveScene(again);
  EXPECT_EQ(ReadText(again), scene);
}

#else

TEST(MainRoadTest, NeedsTheBuiltModule) { GTEST_SKIP() << "the plug-in module is not part of this build"; }

#endif
