// The host side of hostsim without the module: geometry and keys rendered by the host,
// the sphere's mesh, PNG frames read back by netpbm, and scripted dialog answers taken by
// the window system's dialogs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "apps/hostsim/frame_image.h"
#include "apps/hostsim/hostsim_error.h"
#include "apps/hostsim/module_session.h"
#include "apps/hostsim/scene_builder.h"
#include "apps/hostsim/sphere_mesh.h"
#include "platform/host/host.h"
#include "platform/win/modal_answers.h"

namespace fs = std::filesystem;

namespace {

class HostSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    SetUpView(host::Camera{}, 80, 60);
  }
  void TearDown() override { host::Reset(); }
  static bool Lit(int x, int y) { return host::ReadPixel(x, y).a > 0; }
};

SceneObject Shape(ShapeKind kind, float size, CtsxVec3f colour) {
  SceneObject o;
  o.kind = kind;
  o.name = "shape";
  o.width = o.height = size;
  o.colour = colour;
  return o;
}

// The output of a shell command.
std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

}  // namespace

TEST_F(HostSceneTest, ShapesTakeTheirColourAndMoveByTheirKeys) {
  SceneObject cube = Shape(ShapeKind::Cube, 1.0f, {1.0f, 0.0f, 0.0f});
  cube.motion.position = {{0.0f, {-2.0f, 0.0f, 0.0f}}, {10.0f, {2.0f, 0.0f, 0.0f}}};
  AddGeometry({cube});
  ASSERT_TRUE(host::Render(0));
  EXPECT_TRUE(Lit(22, 30)) << "left of centre at frame 0";
  EXPECT_FALSE(Lit(58, 30));
  const host::RenderPixel p = host::ReadPixel(22, 30);
  EXPECT_GT(p.r, 0.0f);
  EXPECT_EQ(p.g, 0.0f);
  EXPECT_EQ(p.b, 0.0f);
  ASSERT_TRUE(host::Render(10));
  EXPECT_FALSE(Lit(22, 30));
  EXPECT_TRUE(Lit(58, 30)) << "right of centre at frame 10";
}

TEST_F(HostSceneTest, APlaneTurnedFlatAndASphereShowTheirOutlines) {
  SceneObject plane = Shape(ShapeKind::Plane, 4.0f, {0.0f, 1.0f, 0.0f});
  plane.motion.rotation = {{0.0f, {-90.0f, 0.0f, 0.0f}}};  // edge-on from the default camera
  AddGeometry({plane});
  ASSERT_TRUE(host::Render(0));
  int lit = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) lit += Lit(x, y);
  EXPECT_LT(lit, 80 * 2) << "a plane seen edge-on covers at most a line";

  host::Reset();
  SetUpView(host::Camera{}, 80, 60);
  AddGeometry({Shape(ShapeKind::Sphere, 4.0f, {0.0f, 0.0f, 1.0f})});
  ASSERT_TRUE(host::Render(0));
  // Radius 2 at distance 10 with 45 degrees across 80 pixels: about 19.6 pixels.
  EXPECT_TRUE(Lit(40, 30));
  EXPECT_TRUE(Lit(40 + 17, 30));
  EXPECT_TRUE(Lit(40, 30 - 17));
  EXPECT_FALSE(Lit(40 + 22, 30));
  EXPECT_FALSE(Lit(40 + 14, 30 - 14)) << "round, not a box";
  EXPECT_GT(host::ReadPixel(40, 30).b, 0.0f);
}

TEST(SphereMeshTest, TheSphereIsClosedWoundOutwardsAndOnItsRadius) {
  const SphereMesh m = MakeSphere(1.5f, 6, 10);
  EXPECT_EQ(m.vertices.size(), 2u + 5u * 10u);
  EXPECT_EQ(m.faces.size(), 6u * 10u);
  for (const CtsxVec3f& v : m.vertices) EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.5, 1e-5);
  // Closed and consistently wound: every directed edge appears once, its reverse once.
  std::map<std::pair<int, int>, int> edges;
  for (const auto& f : m.faces) {
    ASSERT_GE(f.size(), 3u);
    for (std::size_t i = 0; i < f.size(); ++i) ++edges[{f[i], f[(i + 1) % f.size()]}];
  }
  for (const auto& [e, count] : edges) {
    EXPECT_EQ(count, 1);
    EXPECT_EQ(edges.count({e.second, e.first}), 1u) << e.first << "-" << e.second;
  }
  // Outwards: each face's normal points away from the centre.
  for (const auto& f : m.faces) {
    const CtsxVec3f a = m.vertices[f[0]], b = m.vertices[f[1]], c = m.vertices[f[2]];
    const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    EXPECT_GT(nx * (a.x + b.x + c.x) + ny * (a.y + b.y + c.y) + nz * (a.z + b.z + c.z), 0.0f);
  }
}

TEST(FrameImageTest, FloatChannelsBecomeBytesAndPngsReadBackExactly) {
  EXPECT_EQ(ChannelByte(-0.5f), 0);
  EXPECT_EQ(ChannelByte(NAN), 0);
  EXPECT_EQ(ChannelByte(0.0f), 0);
  EXPECT_EQ(ChannelByte(1.0f), 255);
  EXPECT_EQ(ChannelByte(7.0f), 255);
  EXPECT_EQ(ChannelByte(0.5f), 128);  // 127.5 to the even neighbour
  EXPECT_EQ(ChannelByte(100.0f / 255.0f), 100);

  FrameImage img{5, 3, {}};
  for (int i = 0; i < 5 * 3 * 3; ++i) img.rgb.push_back(static_cast<std::uint8_t>(i * 17 % 256));
  const fs::path file = fs::temp_directory_path() / ("hostsim_png_" + std::to_string(::getpid()) + ".png");
  WritePng(file.string(), img);
  // netpbm's reading of the file, as plain PPM.
  std::istringstream ppm(Capture("pngtopnm -plain " + file.string() + " 2>/dev/null"));
  std::string magic;
  int w = 0, h = 0, max = 0;
  ppm >> magic >> w >> h >> max;
  EXPECT_EQ(magic, "P3");
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 3);
  EXPECT_EQ(max, 255);
  std::vector<std::uint8_t> back;
  int v;
  while (ppm >> v) back.push_back(static_cast<std::uint8_t>(v));
  EXPECT_EQ(back, img.rgb);
  fs::remove(file);

  EXPECT_THROW(WritePng((fs::temp_directory_path() / "no-such-folder" / "f.png").string(), img), HostsimError);
  img.rgb.pop_back();
  EXPECT_THROW(WritePng(file.string(), img), HostsimError) << "a short image is no frame";
  EXPECT_FALSE(fs::exists(file));
}

TEST(DialogAnswerTest, AnswersReachTheDialogOfTheirKind) {
  win::ClearModalAnswers();
  const std::string cwd = fs::current_path().string();
  PushDialogAnswer("File/Load Emitter Settings", {"fx/a.zke"});
  win::ModalPrompt open;
  open.kind = win::ModalKind::OpenFile;
  auto files = win::AskFileDialog(open);
  ASSERT_TRUE(files && files->size() == 1);
  EXPECT_EQ((*files)[0], (fs::path(cwd) / "fx" / "a.zke").string()) << "made absolute";

  PushDialogAnswer("File/Save System Settings", {"b.zks"});
  win::ModalPrompt save;
  save.kind = win::ModalKind::SaveFile;
  files = win::AskFileDialog(save);
  ASSERT_TRUE(files && files->size() == 1);
  EXPECT_EQ((*files)[0], (fs::path(cwd) / "b.zks").string());

  PushDialogAnswer("File/Delete Emitter", {"yes"});
  EXPECT_EQ(win::MessageBox(nullptr, "Sure?", "", win::MB_YESNO), win::IDYES);
  PushDialogAnswer("File/Delete Emitter", {"no"});
  EXPECT_EQ(win::MessageBox(nullptr, "Sure?", "", win::MB_YESNO), win::IDNO);

  // A save answer does not open a load dialog.
  PushDialogAnswer("File/Save Emitter Settings", {"c.zke"});
  EXPECT_THROW(win::AskFileDialog(open), win::NoModalAnswer);
  win::ClearModalAnswers();
  PushDialogAnswer("Help/Whatever", {"picture:p.png"});
  win::ModalPrompt pic;
  pic.kind = win::ModalKind::OpenPicture;
  files = win::AskFileDialog(pic);
  ASSERT_TRUE(files && files->size() == 1);
  EXPECT_EQ((*files)[0], (fs::path(cwd) / "p.png").string());

  EXPECT_THROW(PushDialogAnswer("File/New Emitter", {"x.zke"}), HostsimError) << "no dialog kind follows";
  EXPECT_THROW(PushDialogAnswer("File/Load Emitter Settings", {"open:"}), HostsimError);
  win::ClearModalAnswers();
}
