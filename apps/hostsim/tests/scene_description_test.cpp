// The JSON scene description: what a full description gives, and every kind of bad input
// refused with a message that says where.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/hostsim/hostsim_error.h"
#include "apps/hostsim/scene_description.h"

namespace fs = std::filesystem;

namespace {

class SceneDescriptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("hostsim_desc_" + std::to_string(::getpid()));
    fs::create_directories(folder_ / "fx");
    std::ofstream(folder_ / "fx" / "smoke.zke") << "x";
    std::ofstream(folder_ / "extra.zks") << "x";
  }
  void TearDown() override { fs::remove_all(folder_); }

  SceneDescription Parse(const std::string& json) { return ParseSceneDescription(json, folder_.string()); }
  // The message of the error a description raises ("" when it is accepted).
  std::string ErrorOf(const std::string& json) {
    try {
      Parse(json);
    } catch (const HostsimError& e) {
      return e.what();
    }
    return "";
  }

  fs::path folder_;
};

}  // namespace

TEST_F(SceneDescriptionTest, AFullDescriptionGivesCameraShapesEmittersAndTools) {
  const SceneDescription d = Parse(R"({
    "camera": {"eye": [1, 2, 3], "target": [0, 1, 0], "up": [0, 1, 0], "fov": 60},
    "objects": [
      {"kind": "cube", "name": "Box", "size": 2, "colour": [1, 0, 0.5], "position": [[0, 0, 0, 0], [30, 4, 0, -1]]},
      {"kind": "plane", "size": [6, 3], "rotation": [-90, 0, 0]},
      {"kind": "sphere", "size": 1.5, "scale": [[10, 2, 2, 2]]}
    ],
    "emitters": [{"settings": "fx/smoke.zke", "system": "extra.zks", "position": [0, 1, 0]}, {}],
    "tools": [{"kind": "Gravitron", "position": [0, 5, 0]}, {"kind": "Leader"}]
  })");
  EXPECT_FLOAT_EQ(d.camera.eye.z, 3.0f);
  EXPECT_FLOAT_EQ(d.camera.target.y, 1.0f);
  EXPECT_FLOAT_EQ(d.camera.fovDegrees, 60.0f);
  ASSERT_EQ(d.objects.size(), 3u);
  EXPECT_EQ(d.objects[0].kind, ShapeKind::Cube);
  EXPECT_EQ(d.objects[0].name, "Box");
  EXPECT_FLOAT_EQ(d.objects[0].width, 2.0f);
  EXPECT_FLOAT_EQ(d.objects[0].colour.z, 0.5f);
  ASSERT_EQ(d.objects[0].motion.position.size(), 2u);
  EXPECT_FLOAT_EQ(d.objects[0].motion.position[1].frame, 30.0f);
  EXPECT_FLOAT_EQ(d.objects[0].motion.position[1].value.x, 4.0f);
  EXPECT_FLOAT_EQ(d.objects[0].motion.position[1].value.z, -1.0f);
  EXPECT_EQ(d.objects[1].kind, ShapeKind::Plane);
  EXPECT_EQ(d.objects[1].name, "plane");
  EXPECT_FLOAT_EQ(d.objects[1].width, 6.0f);
  EXPECT_FLOAT_EQ(d.objects[1].height, 3.0f);
  ASSERT_EQ(d.objects[1].motion.rotation.size(), 1u);  // one value: a key at frame 0
  EXPECT_FLOAT_EQ(d.objects[1].motion.rotation[0].frame, 0.0f);
  EXPECT_FLOAT_EQ(d.objects[1].motion.rotation[0].value.x, -90.0f);
  EXPECT_EQ(d.objects[2].kind, ShapeKind::Sphere);
  EXPECT_FLOAT_EQ(d.objects[2].motion.scale[0].frame, 10.0f);
  ASSERT_EQ(d.emitters.size(), 2u);
  // Files are found from the description's folder and kept absolute.
  EXPECT_EQ(d.emitters[0].settings, (folder_ / "fx" / "smoke.zke").string());
  EXPECT_EQ(d.emitters[0].system, (folder_ / "extra.zks").string());
  EXPECT_TRUE(d.emitters[1].settings.empty());
  ASSERT_EQ(d.tools.size(), 2u);
  EXPECT_EQ(d.tools[0].kind, "Gravitron");
  EXPECT_EQ(d.tools[1].kind, "Leader");
}

TEST_F(SceneDescriptionTest, BadDescriptionsAreRefusedSayingWhere) {
  const struct {
    const char* json;
    const char* message;
  } cases[] = {
      {R"({"objects": [{"kind": "cube",}]})", "not valid JSON"},
      {R"([1, 2])", "scene: must be an object"},
      {R"({"object": []})", "unknown member \"object\""},
      {R"({"objects": {}})", "objects: must be a list"},
      {R"({"objects": [{"kind": "torus"}]})", "objects[0].kind: unknown kind \"torus\""},
      {R"({"objects": [{"size": 1}]})", "objects[0]: needs a \"kind\""},
      {R"({"objects": [{"kind": "cube", "color": [1, 0, 0]}]})", "unknown member \"color\""},
      {R"({"objects": [{"kind": "cube", "size": -1}]})", "objects[0].size: must be greater than 0"},
      {R"({"objects": [{"kind": "cube", "size": [1, 2]}]})", "objects[0].size: must be a number"},
      {R"({"objects": [{"kind": "cube", "colour": [2, 0, 0]}]})", "colour: components must lie in 0..1"},
      {R"({"objects": [{"kind": "cube", "position": [1, 2]}]})", "position: must be three numbers"},
      {R"({"objects": [{"kind": "cube", "position": [[0, 1, 2]]}]})", "position[0]: must be [frame, x, y, z]"},
      {R"({"objects": [{"kind": "cube", "position": [0, "1", 2]}]})", "position: must be a number"},
      {R"({"objects": [{"kind": "cube", "position": [1e300, 0, 0]}]})", "position: is out of range"},
      {R"({"objects": [{"kind": "cube", "rotation": []}]})", "rotation: must be [x, y, z]"},
      {R"({"camera": {"eye": [0, 0, 0], "target": [0, 0, 0]}})", "eye and target are the same point"},
      {R"({"camera": {"eye": [0, 5, 0], "up": [0, 1, 0]}})", "camera.up: is parallel"},
      {R"({"camera": {"fov": 0}})", "camera.fov: must lie in 1..170"},
      {R"({"emitters": [{"settings": "missing.zke"}]})", "emitters[0].settings: file not found"},
      {R"({"emitters": [{"settings": "extra.zks"}]})", "is not a .zke file"},
      {R"({"emitters": [{"system": "fx/smoke.zke"}]})", "is not a .zks file"},
      {R"({"emitters": [{"settings": 5}]})", "settings: must be a string"},
      {R"({"tools": [{"kind": "Vortex"}]})", "tools[0].kind: unknown tool \"Vortex\""},
      {R"({"tools": [{"kind": "attractor"}]})", "unknown tool \"attractor\""},
      {R"({"tools": [{"position": [0, 0, 0]}]})", "tools[0]: needs a \"kind\""},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf(c.json);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.json << "\n gave: " << error;
  }
}

TEST_F(SceneDescriptionTest, EmitterFilesFromTheCommandLineAreCheckedTheSameWay) {
  const fs::path keep = fs::current_path();
  fs::current_path(folder_);
  EXPECT_EQ(EmitterFromFile("fx/smoke.zke").settings, (folder_ / "fx" / "smoke.zke").string());
  EXPECT_THROW(EmitterFromFile("fx/none.zke"), HostsimError);
  EXPECT_THROW(EmitterFromFile("extra.zks"), HostsimError);
  fs::current_path(keep);
  EXPECT_THROW(ReadSceneDescription((folder_ / "absent.json").string()), HostsimError);
}
