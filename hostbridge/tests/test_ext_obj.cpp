// TTsxExtObj: the module's type list, object creation, the host's per-object callbacks,
// drawing and bounds.
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bridge_test_support.h"
#include "hostbridge/ext_obj_types.h"
#include "hostbridge/system_beep.h"
#include "hostbridge/tsx.h"
#include "hostbridge/tsx_ext_obj.h"

namespace {

std::vector<Cardinal> g_beeps;
void RecordBeep(Cardinal type) { g_beeps.push_back(type); }

class ExtObjTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    g_beeps.clear();
    previousBeep_ = SetBeepProc(&RecordBeep);
  }
  void TearDown() override {
    SetBeepProc(previousBeep_);
    BridgeTest::TearDown();
  }

  TTsxExtObj* NewType(const std::string& name) {
    auto* e = new TTsxExtObj(&root_);
    e->SetObjectTypeName(name);
    return e;
  }

  TBeepProc previousBeep_ = nullptr;
};

// Any other component will do as a stand-in: only identity matters to the list.
TTsxExtObj* Fake(int n) { return reinterpret_cast<TTsxExtObj*>(static_cast<std::uintptr_t>(0x1000 * n)); }

}  // namespace

TEST(ExtObjTypeListTest, IdsFiveSixAndNineLeaveTwoEmptySlots) {
  TExtObjTypeList list;
  EXPECT_EQ(list.Find(5), nullptr);
  list.Store(5, Fake(1));
  list.Store(6, Fake(2));
  list.Store(9, Fake(3));
  EXPECT_EQ(list.FirstTypeId(), 5);
  const std::vector<TTsxExtObj*> slots = {Fake(1), Fake(2), nullptr, nullptr, Fake(3)};
  ASSERT_EQ(list.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.At(i), slots[i]) << "slot " << i;
  const std::pair<int, TTsxExtObj*> finds[] = {{9, Fake(3)}, {7, nullptr}, {8, nullptr},
                                               {4, nullptr}, {10, nullptr}, {-2147483647 - 1, nullptr}};
  for (const auto& [id, found] : finds) EXPECT_EQ(list.Find(id), found) << "id " << id;

  list.Remove(Fake(2));
  EXPECT_EQ(list.Find(6), nullptr);
  EXPECT_EQ(list.Find(5), Fake(1));
}

TEST(ExtObjTypeListTest, AnIdBelowTheFirstMovesTheBaseInsteadOfWritingBeforeTheList) {
  TExtObjTypeList list;
  list.Store(5, Fake(1));
  list.Store(3, Fake(2));
  EXPECT_EQ(list.FirstTypeId(), 3);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Find(3), Fake(2));
  EXPECT_EQ(list.Find(4), nullptr);
  EXPECT_EQ(list.Find(5), Fake(1));
  EXPECT_FALSE(list.Store(5 + TExtObjTypeList::kMaxEntries, Fake(3))) << "no giant list for a wild id";
  EXPECT_EQ(list.Count(), 3);
}

TEST_F(ExtObjTest, DefineOnceAndFindByTypeWithGaps) {
  TTsxExtObj* emitter = NewType("Test_Emitter");
  TTsxExtObj* fan = NewType("Test_Fan");
  TTsxExtObj* leader = NewType("Test_Leader");
  TsxModule().PluginId = 1;
  emitter->Define();
  fan->Define();
  const tsxOBJTYPE_CALLBACKS other = ExtObjCallbacks();
  const int gap1 = tsxObjectDefine(1, "Someone_Else_A", &other, 0);
  const int gap2 = tsxObjectDefine(1, "Someone_Else_B", &other, 0);
  leader->Define();
  const int first = emitter->SObjType();
  ASSERT_GT(first, 0);
  EXPECT_EQ(fan->SObjType(), first + 1);
  EXPECT_EQ(gap1, first + 2);
  EXPECT_EQ(gap2, first + 3);
  EXPECT_EQ(leader->SObjType(), first + 4);
  EXPECT_EQ(ExtObjTypes().FirstTypeId(), first);
  EXPECT_EQ(ExtObjTypes().At(4), leader);

  const int before = leader->SObjType();
  leader->Define();
  EXPECT_EQ(leader->SObjType(), before);
  EXPECT_EQ(host::State().types.size(), 5u) << "Define defines once";

  tsxSOBJ* l = leader->CreateObject();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(FindExtObj(l), leader);
  tsxSOBJ* stranger = tsxObjectCreate(gap1);
  ASSERT_NE(stranger, nullptr);
  EXPECT_EQ(FindExtObj(stranger), nullptr);
  EXPECT_EQ(FindExtObj(host::AddCube("cube", 1)), nullptr);
  EXPECT_EQ(FindExtObj(nullptr), nullptr);
}

TEST_F(ExtObjTest, ARefusedDefinitionLeavesTheTypeUndefined) {
  TTsxExtObj* nameless = NewType("");
  nameless->Define();
  EXPECT_EQ(nameless->SObjType(), 0);
  EXPECT_FALSE(ExtObjTypes().HasBase());
}

TEST_F(ExtObjTest, CreateObjectPlacesNamesAndAddsOrBeeps) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  ASSERT_NE(obj, nullptr);
  EXPECT_TRUE(host::IsInScene(obj));
  EXPECT_EQ(host::NodeName(obj), "Test_Emitter");
  CtsxTxmx3f m{};
  ASSERT_TRUE(tsxGNodeGetTransform(obj, &m));
  EXPECT_EQ(m.trans[0], 0.0f);
  EXPECT_EQ(m.trans[1], 0.0f);
  EXPECT_EQ(m.trans[2], 0.0f);
  EXPECT_TRUE(g_beeps.empty());

  host::SetCreateFails(true);
  const auto before = host::TopLevelNodes().size();
  EXPECT_EQ(e->CreateObject(), nullptr);
  EXPECT_EQ(g_beeps, std::vector<Cardinal>{0});
  EXPECT_EQ(host::TopLevelNodes().size(), before);
}

TEST_F(ExtObjTest, DeleteRaisesOnlyWhileTheMainViewIsOpen) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  std::vector<std::pair<TObject*, tsxSOBJ*>> deleted;
  e->OnObjectDelete = [&](TObject* sender, tsxSOBJ* obj) { deleted.emplace_back(sender, obj); };
  tsxSOBJ* a = e->CreateObject();
  tsxSOBJ* b = e->CreateObject();
  EXPECT_TRUE(host::DeleteObject(a));
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].first, e);
  EXPECT_EQ(deleted[0].second, a);

  host::SetMainViewClosed(true);
  EXPECT_TRUE(host::DeleteObject(b));
  EXPECT_EQ(deleted.size(), 1u) << "the host is closing: nothing to mirror";
  EXPECT_FALSE(host::IsLive(b));
}

TEST_F(ExtObjTest, CloneAnswersTheHandlersResultStartingAtZero) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  const auto& cb = ExtObjCallbacks();
  EXPECT_EQ(cb.cloneObj(obj, obj), 0);
  std::vector<Integer> startValues;
  tsxSOBJ* seenClone = nullptr;
  e->OnObjectClone = [&](TObject*, tsxSOBJ*, tsxSOBJ* clone, Integer& result) {
    startValues.push_back(result);
    seenClone = clone;
    result = 7;
  };
  void* copy = host::CloneObject(obj);
  EXPECT_EQ(seenClone, copy);
  EXPECT_EQ(cb.cloneObj(obj, copy), 7);
  EXPECT_EQ(startValues, (std::vector<Integer>{0, 0}));
}

TEST_F(ExtObjTest, FileCallbackDispatchesByDirectionAndFormat) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  std::vector<std::string> log;
  auto handler = [&log](const char* name, Integer result) {
    return [&log, name, result](tsxSOBJ*, tsxFILE*) {
      log.push_back(name);
      return result;
    };
  };
  const auto& cb = ExtObjCallbacks();
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_READ, e_tsxFILE_BINARY), 0) << "no handler";
  e->OnReadBinary = handler("read binary", 11);
  e->OnReadAscii = handler("read ascii", 12);
  e->OnWriteBinary = handler("write binary", 13);
  e->OnWriteAscii = handler("write ascii", 14);
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_READ, e_tsxFILE_BINARY), 11);
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_READ, e_tsxFILE_ASCII), 12);
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_WRITE, e_tsxFILE_BINARY), 13);
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_WRITE, e_tsxFILE_ASCII), 14);
  EXPECT_EQ(cb.fileIO(obj, nullptr, 2, e_tsxFILE_BINARY), 0);
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_READ, 2), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"read binary", "read ascii", "write binary", "write ascii"}));
}

TEST_F(ExtObjTest, ChunksRoundTripThroughAHostSceneFile) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  const std::string payload = "emitter settings\x01\x02";
  e->OnWriteBinary = [&](tsxSOBJ*, tsxFILE* fd) {
    tsxFILEwrite(payload.data(), 1, payload.size(), fd);
    return 0;
  };
  std::string readBack;
  size_t lastRead = 0;
  e->OnReadBinary = [&](tsxSOBJ*, tsxFILE* fd) {
    char buf[64];
    lastRead = tsxFILEread(buf, 1, sizeof buf, fd);
    readBack.assign(buf, lastRead);
    return 0;
  };
  (void)obj;
  const std::string path = (std::filesystem::temp_directory_path() / "hostbridge_chunks.scene").string();
  host::SaveScene(path);
  host::LoadScene(path);
  std::remove(path.c_str());
  EXPECT_EQ(readBack, payload);
  EXPECT_EQ(lastRead, payload.size()) << "a read past the chunk's end is short";
}

TEST_F(ExtObjTest, DrawPicksThePenByModeAndDrawsTheShape) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->SetWirePen(e_tsxPEN_BLUE);
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  const auto& cb = ExtObjCallbacks();
  const struct {
    int mode;
    int pen;
  } cases[] = {{1, e_tsxPEN_BLUE}, {2, e_tsxPEN_ACTIVESUB}, {3, e_tsxPEN_SCENE}, {4, e_tsxPEN_INACTIVESUB}};
  for (const auto& c : cases) {
    tsxAViewSetPen(e_tsxPEN_GRID);
    EXPECT_EQ(cb.draw(obj, c.mode, 0), 1);
    EXPECT_EQ(host::State().pen, c.pen) << "mode " << c.mode;
  }
  tsxAViewSetPen(e_tsxPEN_GREEN);
  EXPECT_EQ(cb.draw(obj, 7, 0), 1);
  EXPECT_EQ(host::State().pen, e_tsxPEN_GREEN) << "another mode keeps the pen";

  // The cube's front square (z = 1) seen from (0, 0, 10): its right edge crosses the
  // middle row right of the centre, and the pixels there take the pen's colour.
  host::State().views[0].pixels.assign(host::State().views[0].pixels.size(), 0);
  EXPECT_EQ(cb.draw(obj, 1, 0), 1);
  int penPixels = 0;
  for (int x = 0; x < 320; ++x)
    if (host::ViewPixel(x, 120) == host::PenColor(e_tsxPEN_BLUE)) ++penPixels;
  EXPECT_GE(penPixels, 2);
}

TEST_F(ExtObjTest, DrawOfABrokenShapeReportsFailure) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  e->SetShape(TWireShape{{{0, 0, 0}}, {0, 5}});
  EXPECT_EQ(e->Shape().Indices.back(), -1) << "the list gets its end marker";
  tsxSOBJ* obj = e->CreateObject();
  EXPECT_EQ(ExtObjCallbacks().draw(obj, 1, 0), 0) << "index 5 names no vertex";
}

TEST_F(ExtObjTest, BoundsOfTheCubeAndOfAnEmptyShape) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  host::SetKey(obj, host::Channel::Position, 0, {10, 0, 0});
  host::SetKey(obj, host::Channel::Scale, 0, {2, 1, 1});
  CtsxVec3f box[2];
  e->GetBounds(obj, box, nullptr);
  EXPECT_TRUE(Near3(box[0], {8, -1, -1}));
  EXPECT_TRUE(Near3(box[1], {12, 1, 1}));

  CtsxTxmx3f m{};
  m.rot[0][0] = m.rot[1][1] = m.rot[2][2] = 0.5f;
  m.rot[0][1] = 1e-7f;  // rounding noise is snapped away
  m.trans[2] = 3;
  EXPECT_EQ(ExtObjCallbacks().bounds(obj, box, &m), 0);
  EXPECT_EQ(box[0].x, -0.5f);
  EXPECT_EQ(box[0].z, 2.5f);
  EXPECT_EQ(box[1].x, 0.5f);
  EXPECT_EQ(box[1].z, 3.5f);

  CtsxVec3f size{};
  ASSERT_TRUE(tsxGNodeGetSize(obj, &size));
  EXPECT_TRUE(Near3(size, {4, 2, 2})) << "the host sizes plug-in objects through the bounds callback";

  e->SetShape(TWireShape{});
  e->GetBounds(obj, box, nullptr);
  EXPECT_TRUE(Near3(box[0], {9999, 9999, 9999}));
  EXPECT_TRUE(Near3(box[1], {-9999, -9999, -9999}));
}

TEST_F(ExtObjTest, BoundsDuringHostShutdownLeaveTheBoxAlone) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  host::SetMainViewClosed(true);
  CtsxVec3f box[2] = {{1, 2, 3}, {4, 5, 6}};
  EXPECT_EQ(ExtObjCallbacks().bounds(obj, box, nullptr), 0);
  EXPECT_TRUE(Near3(box[0], {1, 2, 3}));
  EXPECT_TRUE(Near3(box[1], {4, 5, 6}));
}

TEST_F(ExtObjTest, TransformAndGeometryChangeReachTheirEvents) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  Word flags = 0;
  CtsxTxmx3f* seen = nullptr;
  tsxOBJECT_CHANGE change = -1;
  e->OnTransform = [&](TObject*, tsxSOBJ*, CtsxTxmx3f* t, Word f) {
    seen = t;
    flags = f;
  };
  e->OnGeometryChanged = [&](TObject*, tsxSOBJ*, tsxOBJECT_CHANGE c) { change = c; };
  CtsxTxmx3f t{};
  const auto& cb = ExtObjCallbacks();
  EXPECT_EQ(cb.transform(obj, &t, 0x10005), 0);
  EXPECT_EQ(seen, &t);
  EXPECT_EQ(flags, 5) << "flags arrive as a Word";
  EXPECT_EQ(cb.changed(obj, 3), 0);
  EXPECT_EQ(change, 3);
  EXPECT_EQ(cb.version, 3);
  EXPECT_EQ(cb.reserved7, nullptr);
  EXPECT_EQ(cb.query8(obj), 0);
  EXPECT_EQ(cb.query10(obj), 0);
}

TEST_F(ExtObjTest, AFreedComponentLeavesTheListAndItsObjectsFindNothing) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  delete e;
  EXPECT_EQ(FindExtObj(obj), nullptr);
  CtsxVec3f box[2]{};
  EXPECT_EQ(ExtObjCallbacks().bounds(obj, box, nullptr), 0);
  EXPECT_EQ(ExtObjCallbacks().draw(obj, 1, 0), 0);
}

TEST_F(ExtObjTest, AnExceptionInAHandlerDoesNotReachTheHost) {
  TTsxExtObj* e = NewType("Test_Emitter");
  e->Define();
  tsxSOBJ* obj = e->CreateObject();
  e->OnObjectDelete = [](TObject*, tsxSOBJ*) { throw std::runtime_error("delete"); };
  e->OnObjectClone = [](TObject*, tsxSOBJ*, tsxSOBJ*, Integer& r) {
    r = 3;
    throw Exception("clone");
  };
  e->OnWriteBinary = [](tsxSOBJ*, tsxFILE*) -> Integer { throw 1; };
  e->OnTransform = [](TObject*, tsxSOBJ*, CtsxTxmx3f*, Word) { throw Exception("move"); };
  const auto& cb = ExtObjCallbacks();
  EXPECT_EQ(cb.cloneObj(obj, obj), 0);
  EXPECT_EQ(cb.fileIO(obj, nullptr, e_tsxFILE_WRITE, e_tsxFILE_BINARY), 0);
  EXPECT_EQ(cb.transform(obj, nullptr, 0), 0);
  bool deleted = false;
  EXPECT_NO_THROW(deleted = host::DeleteObject(obj));
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(host::IsLive(obj));
}
