// The scene as plug-ins see it: the tree, keyframed transforms, the two clocks, sizes,
// polyhedra, plug-in objects with their delete and clone callbacks, selection.
#include "host_test_support.h"
#include "recording_type.h"

namespace {

using host::Channel;

class HostScene : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    RecordingType::Clear();
  }
};

CtsxVec3f Translation(void* node) {
  CtsxTxmx3f m;
  EXPECT_EQ(tsxGNodeGetTransform(node, &m), 1);
  return {m.trans[0], m.trans[1], m.trans[2]};
}

TEST_F(HostScene, TreeNavigationAndTypeCodes) {
  void* g = host::AddGroup("G");
  void* a = host::AddCube("A", 1, g);
  void* b = host::AddGroup("B", g);
  void* c = host::AddPlane("C", 1, 1, b);
  void* h = host::AddGroup("H");
  EXPECT_EQ(tsxGNodeGetRoot(c), g);
  EXPECT_EQ(tsxGNodeGetRoot(g), g);
  EXPECT_EQ(tsxGNodeGetRoot(h), h);
  EXPECT_EQ(tsxGNodeGetParent(c), b);
  EXPECT_EQ(tsxGNodeGetParent(g), nullptr);
  EXPECT_EQ(tsxGNodeGetFirstChild(g), a);
  EXPECT_EQ(tsxGNodeGetNext(a), b);
  EXPECT_EQ(tsxGNodeGetNext(b), nullptr);
  EXPECT_EQ(tsxGNodeGetNext(g), h);  // top-level nodes are siblings
  EXPECT_EQ(tsxGNodeGetFirstChild(a), nullptr);
  EXPECT_EQ(tsxSobjGetType(g), e_tsxGROUP);
  EXPECT_EQ(tsxSobjGetType(a), e_tsxPOLYHEDRON);
  EXPECT_GE(tsxSobjGetType(g), 100);
  EXPECT_EQ(tsxSobjGetType(nullptr), 0);
  EXPECT_EQ(tsxSobjGetType(reinterpret_cast<void*>(0x1234)), 0);
  EXPECT_EQ(tsxGNodeSetName(c, "renamed"), 1);
  EXPECT_EQ(host::NodeName(c), "renamed");
}

TEST_F(HostScene, KeysInterpolateAndHoldTheirEnds) {
  void* n = host::AddCube("n", 2);
  host::SetKey(n, Channel::Position, 0, {0, 0, 0});
  host::SetKey(n, Channel::Position, 10, {10, -20, 0});
  tsxAnimSetActiveTime(2.5f);
  EXPECT_TRUE(VecNear(Translation(n), {2.5f, -5, 0}));
  tsxAnimSetActiveTime(-4);
  EXPECT_TRUE(VecNear(Translation(n), {0, 0, 0}));
  tsxAnimSetActiveTime(99);
  EXPECT_TRUE(VecNear(Translation(n), {10, -20, 0}));

  // Scale, then rotation (degrees), then translation.
  host::SetKey(n, Channel::Rotation, 10, {0, 0, 90});
  host::SetKey(n, Channel::Scale, 10, {2, 2, 2});
  tsxAnimSetActiveTime(10);
  CtsxTxmx3f m;
  tsxGNodeGetTransform(n, &m);
  const CtsxVec3f x{1, 0, 0};
  CtsxVec3f out;
  tsxTransformVect3f(&x, &out, &m);
  EXPECT_TRUE(VecNear(out, {10, -18, 0}, 1e-4f));

  // A child's world transform runs through its parent's.
  void* parent = host::AddGroup("parent");
  void* child = host::AddGroup("child", parent);
  host::SetKey(parent, Channel::Position, 0, {0, 0, 5});
  host::SetKey(parent, Channel::Rotation, 0, {0, 0, 90});
  host::SetKey(child, Channel::Position, 0, {1, 0, 0});
  EXPECT_TRUE(VecNear(Translation(child), {0, 1, 5}, 1e-5f));
}

TEST_F(HostScene, SceneAndObjectTimesLeaveTheTimelineAlone) {
  void* a = host::AddGroup("a");
  void* b = host::AddGroup("b");
  for (void* n : {a, b}) {
    host::SetKey(n, Channel::Position, 0, {0, 0, 0});
    host::SetKey(n, Channel::Position, 100, {100, 0, 0});
  }
  tsxAnimSetActiveTime(10);
  tsxAnimSetActiveTimeScene(3);
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 10);
  EXPECT_FLOAT_EQ(Translation(a).x, 3);
  EXPECT_EQ(tsxAnimSetActiveTimeObject(b, 7), 1);
  EXPECT_FLOAT_EQ(Translation(a).x, 3);
  EXPECT_FLOAT_EQ(Translation(b).x, 7);
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 10);
  tsxAnimSetActiveTimeScene(4);  // the whole scene again, b included
  EXPECT_FLOAT_EQ(Translation(b).x, 4);
  tsxAnimSetActiveTime(6);
  EXPECT_FLOAT_EQ(tsxAnimGetActiveTime(), 6);
  EXPECT_FLOAT_EQ(Translation(a).x, 6);
  EXPECT_EQ(tsxAnimSetActiveTimeObject(nullptr, 1), 0);
}

TEST_F(HostScene, MinMaxTimeSpansEveryChannel) {
  void* n = host::AddGroup("n");
  float first = -1, last = -1;
  EXPECT_EQ(tsxSobjGetMinMaxTime(n, &first, &last), 0);
  EXPECT_EQ(first, 0.0f);
  EXPECT_EQ(last, 0.0f);
  host::SetKey(n, Channel::Position, 5, {});
  host::SetKey(n, Channel::Position, 2, {});
  host::SetKey(n, Channel::Scale, 9, {1, 1, 1});
  host::SetKey(n, Channel::Rotation, 4, {});
  EXPECT_EQ(tsxSobjGetMinMaxTime(n, &first, &last), 1);
  EXPECT_EQ(first, 2.0f);
  EXPECT_EQ(last, 9.0f);
}

TEST_F(HostScene, SizeIsLocalBoundsTimesOwnScale) {
  void* g = host::AddGroup("g");
  void* cube = host::AddCube("cube", 2, g);
  host::SetKey(cube, Channel::Scale, 0, {1, 2, -3});
  CtsxVec3f size;
  ASSERT_EQ(tsxGNodeGetSize(cube, &size), 1);
  EXPECT_TRUE(VecNear(size, {2, 4, 6}));
  // A group spans its children where they stand.
  host::SetKey(cube, Channel::Position, 0, {5, 0, 0});
  ASSERT_EQ(tsxGNodeGetSize(g, &size), 1);
  EXPECT_TRUE(VecNear(size, {2, 4, 6}));
  host::AddCube("other", 2, g);
  ASSERT_EQ(tsxGNodeGetSize(g, &size), 1);
  EXPECT_TRUE(VecNear(size, {7, 4, 6}));
  // A plug-in object's local bounds come from its bounds callback.
  const int type = RecordingType::Define();
  void* o = RecordingType::Create(type, "o");
  host::SetKey(o, Channel::Scale, 0, {3, 3, 3});
  ASSERT_EQ(tsxGNodeGetSize(o, &size), 1);
  EXPECT_TRUE(VecNear(size, {6, 3, 1.5f}));
  EXPECT_EQ(tsxGNodeGetSize(host::AddGroup("empty"), &size), 1);
  EXPECT_TRUE(VecNear(size, {0, 0, 0}));
}

TEST_F(HostScene, PolyhedronArraysNormalsAndVertexTransform) {
  void* cube = host::AddCube("cube", 2);
  host::SetKey(cube, Channel::Position, 0, {0, 0, 4});
  ASSERT_EQ(tsxPolyhGetNbrVxs(cube), 8);
  ASSERT_EQ(tsxPolyhGetNbrFaces(cube), 6);
  EXPECT_EQ(tsxPolyhGetNbrUV(cube), 0);
  EXPECT_EQ(tsxPolyhGetUVArray(cube), nullptr);
  CtsxVec3f* v = tsxPolyhGetVxArray(cube);
  tsxFACE** faces = tsxPolyhGetFaceptrArray(cube);
  // Every normal points away from the centre, through its face.
  for (int f = 0; f < 6; ++f) {
    CtsxVec3f n;
    ASSERT_EQ(tsxPolyhGetFaceNormal(cube, faces[f], &n), 1);
    EXPECT_NEAR(tsxMagnitude3f(&n), 1.0f, 1e-6f);
    const CtsxVec3f& corner = v[faces[f]->corners[0].vertexIndex];
    EXPECT_NEAR(tsxDProdVec3f(&n, &corner), 1.0f, 1e-6f);  // the face plane at distance 1
  }
  CtsxTxmx3f m;
  ASSERT_EQ(tsxPolyhGetVxTxmx(cube, &m), 1);
  EXPECT_FLOAT_EQ(m.trans[2], 4.0f);
  // A face pointer of another polyhedron is refused.
  void* plane = host::AddPlane("plane", 2, 2);
  CtsxVec3f n;
  EXPECT_EQ(tsxPolyhGetFaceNormal(plane, faces[0], &n), 0);
  EXPECT_EQ(tsxPolyhGetNbrUV(plane), 4);
  ASSERT_EQ(tsxPolyhGetFaceNormal(plane, tsxPolyhGetFaceptrArray(plane)[0], &n), 1);
  EXPECT_TRUE(VecNear(n, {0, 0, 1}));
  // A corner index a plug-in wrote out of range gives a zero normal, not a stray read.
  tsxPolyhGetFaceptrArray(plane)[0]->corners[0].vertexIndex = 1000;
  ASSERT_EQ(tsxPolyhGetFaceNormal(plane, tsxPolyhGetFaceptrArray(plane)[0], &n), 1);
  EXPECT_TRUE(VecNear(n, {0, 0, 0}));
  EXPECT_EQ(tsxPolyhGetNbrVxs(host::AddGroup("g")), 0);  // not a polyhedron
  EXPECT_THROW(host::AddPolyhedron("bad", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 3}}), host::HostError);
  EXPECT_THROW(host::AddPolyhedron("bad", {{0, 0, 0}, {1, 0, 0}}, {{0, 1}}), host::HostError);
}

TEST_F(HostScene, AxesMoveWhileTheShapeStaysInPlace) {
  void* g = host::AddGroup("g");
  host::SetKey(g, Channel::Position, 0, {10, 0, 0});
  void* cube = host::AddCube("cube", 2, g);
  CtsxTxmx3f before;
  tsxPolyhGetVxTxmx(cube, &before);
  CtsxVec3f corner0;
  tsxTransformVect3f(&tsxPolyhGetVxArray(cube)[0], &corner0, &before);
  const CtsxVec3f axes{12, 1, 0};
  ASSERT_EQ(tsxMNodeSetAxesPosition(cube, &axes), 1);
  EXPECT_TRUE(VecNear(Translation(cube), axes));
  CtsxTxmx3f after;
  tsxPolyhGetVxTxmx(cube, &after);
  CtsxVec3f moved;
  tsxTransformVect3f(&tsxPolyhGetVxArray(cube)[0], &moved, &after);
  EXPECT_TRUE(VecNear(moved, corner0));
}

TEST_F(HostScene, PluginTypesAreNumberedAndCreatedOutsideTheScene) {
  const int t1 = RecordingType::Define("Type_A");
  const int t2 = RecordingType::Define("Type_B");
  EXPECT_EQ(t1, e_tsxFIRST_PLUGIN_TYPE);
  EXPECT_EQ(t2, t1 + 1);
  EXPECT_LT(t2, 100);  // plug-in objects are not groups
  EXPECT_EQ(RecordingType::Define("Type_A"), t1);
  tsxOBJTYPE_CALLBACKS bad = RecordingType::Callbacks();
  bad.version = 2;
  EXPECT_EQ(tsxObjectDefine(1, "Type_C", &bad, 0), 0);
  EXPECT_EQ(tsxObjectDefine(1, "", &bad, 0), 0);

  tsxSOBJ* o = tsxObjectCreate(t2);
  ASSERT_NE(o, nullptr);
  EXPECT_FALSE(host::IsInScene(o));
  EXPECT_EQ(tsxSobjGetType(o), t2);
  EXPECT_EQ(host::NodeName(o), "Type_B");
  EXPECT_EQ(tsxSceneAddObject(o, 0), 1);
  EXPECT_EQ(tsxSceneAddObject(o, 0), 0);
  EXPECT_EQ(host::TopLevelNodes().back(), o);
  EXPECT_EQ(tsxObjectCreate(55), nullptr);  // no such type
  host::SetCreateFails(true);
  EXPECT_EQ(tsxObjectCreate(t1), nullptr);
}

TEST_F(HostScene, SelectionAndSelectUp) {
  void* g = host::AddGroup("g");
  void* c = host::AddCube("c", 1, g);
  EXPECT_EQ(tsxSelectSobj(c), 1);
  EXPECT_EQ(host::Selected(), c);
  tsxSelectUp();
  EXPECT_EQ(host::Selected(), g);
  tsxSelectUp();
  EXPECT_EQ(host::Selected(), nullptr);
  EXPECT_EQ(tsxSelectSobj(reinterpret_cast<void*>(0x40)), 0);
}

TEST_F(HostScene, DeleteCallsTheTypeFirstThenRemovesTheSubtree) {
  const int type = RecordingType::Define();
  void* g = host::AddGroup("g");
  void* cube = host::AddCube("cube", 1, g);
  tsxSOBJ* o = RecordingType::Create(type, "o");
  tsxSelectSobj(cube);
  ASSERT_EQ(tsxSobjDelete(o), 1);
  EXPECT_EQ(RecordingType::deleted, std::vector<void*>{o});
  EXPECT_EQ(RecordingType::typeSeenInDelete, type);  // alive during its callback
  EXPECT_EQ(RecordingType::deleteAgainResult, 0);     // a second delete from inside is refused
  EXPECT_FALSE(host::IsLive(o));
  EXPECT_EQ(tsxSobjDelete(o), 0);
  EXPECT_EQ(tsxSobjGetType(o), 0);
  ASSERT_EQ(tsxSobjDelete(g), 1);
  EXPECT_FALSE(host::IsLive(cube));
  EXPECT_EQ(host::Selected(), nullptr);
  EXPECT_TRUE(host::TopLevelNodes().empty());
  EXPECT_EQ(RecordingType::deleted.size(), 1u);  // built-in nodes have no callback
}

TEST_F(HostScene, CloneCopiesTheNodeAndCallsTheCloneCallback) {
  const int type = RecordingType::Define();
  tsxSOBJ* o = RecordingType::Create(type, "emitter");
  host::SetKey(o, Channel::Position, 3, {1, 2, 3});
  void* after = host::AddGroup("after");
  void* copy = host::CloneObject(o);
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(RecordingType::clones.size(), 1u);
  EXPECT_EQ(RecordingType::clones[0].first, o);
  EXPECT_EQ(RecordingType::clones[0].second, copy);
  EXPECT_EQ(tsxGNodeGetNext(o), copy);
  EXPECT_EQ(tsxGNodeGetNext(copy), after);
  EXPECT_EQ(host::NodeName(copy), "emitter");
  float first, last;
  tsxSobjGetMinMaxTime(copy, &first, &last);
  EXPECT_EQ(first, 3.0f);

  void* cube = host::AddCube("cube", 2);
  void* cubeCopy = host::CloneObject(cube);
  tsxPolyhGetVxArray(cubeCopy)[0].x = 50;  // the copy has geometry of its own
  EXPECT_EQ(tsxPolyhGetVxArray(cube)[0].x, -1.0f);
  EXPECT_NE(tsxPolyhGetFaceptrArray(cube)[0], tsxPolyhGetFaceptrArray(cubeCopy)[0]);
}

}  // namespace
