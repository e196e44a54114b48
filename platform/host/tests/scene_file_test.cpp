// The host's scene file: a round trip with plug-in chunks read through the file callback,
// fread-like short reads at a chunk's end, and hostile files refused without touching
// the scene that was loaded.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host_test_support.h"
#include "recording_type.h"

namespace {

using host::Channel;
using Bytes = std::vector<unsigned char>;

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(::testing::TempDir()) / ("qm_host_" + name)).string();
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& b) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Little-endian pieces of a hand-made file.
struct FileBuilder {
  Bytes b;
  FileBuilder& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return *this;
  }
  FileBuilder& F32(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return U32(u);
  }
  FileBuilder& Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  FileBuilder& Header(uint32_t nodes, uint32_t version = 1) {
    const char magic[] = "QMHSCENE";
    b.insert(b.end(), magic, magic + 8);
    return U32(version).F32(0).U32(nodes);
  }
  // Name, parent, three empty tracks, a colour.
  FileBuilder& NodeBody(const std::string& name, int32_t parent) {
    return Str(name).U32(static_cast<uint32_t>(parent)).U32(0).U32(0).U32(0).F32(1).F32(1).F32(1);
  }
};

class HostSceneFile : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    RecordingType::Clear();
    type_ = RecordingType::Define("Test_Object");
  }
  // A scene of every kind of node; returns the plug-in object.
  void* BuildScene() {
    void* g = host::AddGroup("group");
    host::SetKey(g, Channel::Position, 1, {1, 2, 3});
    host::SetKey(g, Channel::Position, 20, {4, 5, 6});
    void* cube = host::AddCube("cube", 2, g);
    host::SetColor(cube, 0.25f, 0.5f, 0.75f);
    host::SetKey(cube, Channel::Rotation, 5, {0, 45, 0});
    host::AddPlane("plane", 3, 1, g);
    void* o = RecordingType::Create(type_, "emitter");
    host::SetKey(o, Channel::Scale, 7, {2, 2, 2});
    tsxAnimSetActiveTime(14);
    return o;
  }
  std::vector<std::string> TopNames() {
    std::vector<std::string> names;
    for (void* n : host::TopLevelNodes()) names.push_back(host::NodeName(n));
    return names;
  }
  int type_ = 0;
};

TEST_F(HostSceneFile, RoundTripKeepsTreeKeysGeometryAndChunks) {
  BuildScene();
  const std::string path = TempPath("roundtrip.scn");
  RecordingType::payload = "particles: 101 bytes of emitter";
  host::SaveScene(path);
  EXPECT_EQ(RecordingType::log, std::vector<std::string>{"write"});

  // Replace the scene, then load the file over it.
  tsxAnimSetActiveTime(0);
  host::AddGroup("stray");
  RecordingType::log.clear();
  host::ClearRaisedEvents();
  host::LoadScene(path);
  EXPECT_EQ(RecordingType::log, (std::vector<std::string>{"delete", "read"}));  // old object, new object
  EXPECT_EQ(RecordingType::readBack, "particles: 101 bytes of emitter");
  ASSERT_EQ(host::RaisedEvents().size(), 2u);
  EXPECT_EQ(host::RaisedEvents()[0].code, static_cast<uint32_t>(e_tsxGENERAL_SCENE_CLOSE));
  EXPECT_EQ(host::RaisedEvents()[1].code, static_cast<uint32_t>(e_tsxGENERAL_SCENE_LOAD));

  EXPECT_EQ(TopNames(), (std::vector<std::string>{"group", "emitter"}));
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 14);
  void* g = host::FindNode("group");
  void* cube = tsxGNodeGetFirstChild(g);
  void* plane = tsxGNodeGetNext(cube);
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(host::NodeName(cube), "cube");
  EXPECT_EQ(tsxSobjGetType(cube), e_tsxPOLYHEDRON);
  EXPECT_EQ(tsxPolyhGetNbrVxs(cube), 8);
  EXPECT_EQ(tsxPolyhGetNbrFaces(cube), 6);
  EXPECT_EQ(tsxPolyhGetNbrUV(plane), 4);
  EXPECT_EQ(tsxPolyhGetFaceptrArray(plane)[0]->corners[2].uvIndex, 2);
  EXPECT_FLOAT_EQ(tsxPolyhGetVxArray(plane)[1].x, 1.5f);
  float first, last;
  tsxSobjGetMinMaxTime(g, &first, &last);
  EXPECT_EQ(first, 1.0f);
  EXPECT_EQ(last, 20.0f);
  tsxAnimSetActiveTimeScene(20);
  CtsxTxmx3f m;
  tsxGNodeGetTransform(g, &m);
  EXPECT_FLOAT_EQ(m.trans[2], 6.0f);
  void* o = host::FindNode("emitter");
  EXPECT_EQ(tsxSobjGetType(o), type_);

  // Saving the loaded scene gives the same bytes.
  RecordingType::payload = RecordingType::readBack;
  const std::string again = TempPath("roundtrip2.scn");
  host::SaveScene(again);
  EXPECT_EQ(ReadAll(again), ReadAll(path));
}

int g_shortCounts[4];
int ShortReadFile(tsxSOBJ*, tsxFILE* fd, int direction, int) {
  if (direction == e_tsxFILE_WRITE) {
    const char ten[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    return static_cast<int>(tsxFILEwrite(ten, 1, 10, fd));
  }
  char buf[16] = {};
  g_shortCounts[0] = static_cast<int>(tsxFILEread(buf, 4, 3, fd));  // 12 asked, 10 there
  g_shortCounts[1] = buf[9] == '9' ? 1 : 0;                          // partial item copied, as fread
  g_shortCounts[2] = static_cast<int>(tsxFILEread(buf, 1, 1, fd));   // at the end
  g_shortCounts[3] = static_cast<int>(tsxFILEwrite(buf, 1, 1, fd));  // not while reading
  return 0;
}

TEST_F(HostSceneFile, ReadsPastTheChunkEndAreShortLikeFread) {
  tsxOBJTYPE_CALLBACKS cb{};
  cb.version = 3;
  cb.fileIO = ShortReadFile;
  const int t = tsxObjectDefine(1, "Short_Reader", &cb, 0);
  RecordingType::Create(t, "short");
  void* o2 = RecordingType::Create(type_, "next");  // the chunk after must still read whole
  (void)o2;
  const std::string path = TempPath("short.scn");
  host::SaveScene(path);
  host::LoadScene(path);
  EXPECT_EQ(g_shortCounts[0], 2);
  EXPECT_EQ(g_shortCounts[1], 1);
  EXPECT_EQ(g_shortCounts[2], 0);
  EXPECT_EQ(g_shortCounts[3], 0);
  EXPECT_EQ(RecordingType::readBack, "chunk-bytes");
  // Outside a file callback the calls do nothing.
  char c;
  EXPECT_EQ(tsxFILEread(&c, 1, 1, reinterpret_cast<void*>(0x10)), 0u);
  EXPECT_EQ(tsxFILEwrite(&c, 1, 1, nullptr), 0u);
}

TEST_F(HostSceneFile, EveryTruncationIsRefusedAndTheSceneStays) {
  BuildScene();
  const std::string path = TempPath("full.scn");
  host::SaveScene(path);
  const Bytes full = ReadAll(path);
  host::DeleteObject(host::FindNode("emitter"));
  host::AddGroup("current");
  RecordingType::log.clear();
  const std::string cut = TempPath("cut.scn");
  for (size_t n = 0; n < full.size(); ++n) {
    WriteAll(cut, Bytes(full.begin(), full.begin() + static_cast<long>(n)));
    EXPECT_THROW(host::LoadScene(cut), host::HostError) << n;
  }
  EXPECT_EQ(TopNames(), (std::vector<std::string>{"group", "current"}));
  EXPECT_TRUE(RecordingType::log.empty());  // no callback saw any of it
  Bytes longer = full;
  longer.push_back(0);
  WriteAll(cut, longer);
  EXPECT_THROW(host::LoadScene(cut), host::HostError);
  EXPECT_EQ(TopNames(), (std::vector<std::string>{"group", "current"}));
}

TEST_F(HostSceneFile, ACutShortFileIsNamedAndSaidToEndEarly) {
  BuildScene();
  const std::string path = TempPath("whole.scn");
  host::SaveScene(path);
  const Bytes full = ReadAll(path);
  const std::string cut = TempPath("cut short.scn");
  for (size_t n = 0; n < full.size(); ++n) {
    WriteAll(cut, Bytes(full.begin(), full.begin() + static_cast<long>(n)));
    try {
      host::LoadScene(cut);
      ADD_FAILURE() << n;
    } catch (const host::HostError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("Scene file \"" + cut + "\" ends early", 0), 0u) << n << ": " << message;
    }
  }
}

TEST_F(HostSceneFile, HostileFilesGiveClearErrors) {
  host::AddGroup("keep");
  const std::string path = TempPath("bad.scn");
  auto expectError = [&](const Bytes& b, const std::string& fragment) {
    WriteAll(path, b);
    try {
      host::LoadScene(path);
      ADD_FAILURE() << "loaded: " << fragment;
    } catch (const host::HostError& e) {
      EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
    EXPECT_EQ(TopNames(), std::vector<std::string>{"keep"});
  };
  Bytes wrongMagic = FileBuilder().Header(0).b;
  wrongMagic[0] = 'X';
  expectError(wrongMagic, "Not a scene file");
  expectError(FileBuilder().Header(0, 2).b, "version 2");
  expectError(FileBuilder().Header(0x7FFFFFFF).b, "bad count");
  expectError(FileBuilder().Header(1).Str("#group").Str(std::string(24, 'n')).b, "truncated");
  // A name longer than the file.
  expectError(FileBuilder().Header(1).Str("#group").U32(0xFFFFFFF0).Str(std::string(26, 'x')).b, "bad count");
  // A parent that comes later.
  expectError(FileBuilder().Header(2).Str("#group").NodeBody("a", 1).Str("#group").NodeBody("b", -1).b,
              "bad parent");
  // Keys that run backwards.
  expectError(FileBuilder().Header(1).Str("#group").Str("a").U32(uint32_t(-1)).U32(2).F32(5).F32(0).F32(0).F32(0)
                  .F32(1).F32(0).F32(0).F32(0).b,
              "out of order");
  // A face corner outside the vertices.
  expectError(FileBuilder().Header(1).Str("#polyhedron").NodeBody("p", -1).U32(3)
                  .F32(0).F32(0).F32(0).F32(1).F32(0).F32(0).F32(0).F32(1).F32(0)
                  .U32(0).U32(1).U32(3).U32(0).U32(uint32_t(-1)).U32(1).U32(uint32_t(-1)).U32(7).U32(uint32_t(-1)).b,
              "vertex 7");
  // A vertex count larger than the file.
  expectError(FileBuilder().Header(1).Str("#polyhedron").NodeBody("p", -1).U32(0x10000000).b, "bad count");
  // A type nobody defined.
  expectError(FileBuilder().Header(1).Str("Unknown_Kind").NodeBody("u", -1).U32(0).b, "Unknown_Kind");
  // A child below a plug-in object.
  expectError(FileBuilder().Header(2).Str("Test_Object").NodeBody("o", -1).U32(0).Str("#group").NodeBody("c", 0).b,
              "no children");
  // A chunk longer than the file.
  expectError(FileBuilder().Header(1).Str("Test_Object").NodeBody("o", -1).U32(1000).b, "bad count");
  // NaN in a colour.
  expectError(FileBuilder().Header(1).Str("#group").Str("a").U32(uint32_t(-1)).U32(0).U32(0).U32(0)
                  .U32(0x7FC00000).F32(1).F32(1).b,
              "not a number");
  try {
    host::LoadScene(TempPath("does_not_exist.scn"));
    ADD_FAILURE();
  } catch (const host::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("does_not_exist"), std::string::npos);
  }
}

TEST_F(HostSceneFile, ChunksOfAnUnloadedModuleAreKeptByteForByte) {
  static int definedType = 0;
  host::PluginEntryPoints entry;
  entry.getVersion = [] { return 430; };
  entry.getData = [](tsxPluginDescriptor*, int id) {
    const tsxOBJTYPE_CALLBACKS cb = RecordingType::Callbacks();
    definedType = tsxObjectDefine(id, "Module_Object", &cb, 0);
  };
  entry.onLeftClick = [] { return 0; };
  entry.onRightClick = [] {};
  entry.deactivate = [] {};
  const int id = host::RegisterPlugin(entry);
  RecordingType::Create(definedType, "obj");
  RecordingType::payload = "kept exactly";
  const std::string path = TempPath("orphan.scn");
  host::SaveScene(path);
  host::UnloadPlugin(id);
  RecordingType::log.clear();
  host::LoadScene(path);
  EXPECT_TRUE(RecordingType::log.empty());  // its callbacks are gone with the module
  EXPECT_EQ(host::NodeName(host::TopLevelNodes()[0]), "obj");
  const std::string again = TempPath("orphan2.scn");
  host::SaveScene(again);
  EXPECT_EQ(ReadAll(again), ReadAll(path));
}

}  // namespace
