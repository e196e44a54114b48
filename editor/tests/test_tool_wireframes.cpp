// The tool wireframes' line lists and the kind table.
#include <gtest/gtest.h>

#include <vector>

#include "editor/tool_kinds.h"
#include "editor/tool_wireframes.h"
#include "engine/modifiers.h"

namespace {

std::vector<float> Flat(const TWireShape& s) {
  std::vector<float> v;
  for (const CtsxVec3f& p : s.Vertices) v.insert(v.end(), {p.x, p.y, p.z});
  return v;
}

}  // namespace

TEST(ToolWireframes, DeflectorIsTwoPlatesAndAnArrowInTwelveRuns) {
  const TWireShape s = DeflectorShape();
  EXPECT_EQ(Flat(s), (std::vector<float>{-1,    -1,    0.13f, -1,    1,     0.13f, 1, -1, 0.13f, 1,     1,
                                         0.13f, 0.91f, -0.93f, 0.02f, 0.91f, 0.89f, 0.02f, -0.89f, 0.89f, 0.02f, -0.9f,
                                         -0.93f, 0.02f, 0.06f, -0.04f, 0.38f, 0,     0.08f, 0.38f, -0.06f, -0.04f, 0.38f,
                                         0,     0,     0.59f, 0,     0,     0.38f}));
  EXPECT_EQ(s.Indices, (std::vector<Integer>{0,  2,  4,  7, 0,  -2, 4,  2, 3,  5,  4, -2, 7, 6,  1,  0,  7, -2,
                                             7,  4,  5,  6, 7,  -2, 6,  5, 3,  1,  6, -2, 1, 3,  2,  0,  1, -2,
                                             8,  9,  12, 8, -2, 9,  10, 12, 9, -2, 10, 11, 8, 10, -2, 12, 10, 8,
                                             12, -2, 11, 9, 8,  11, -2, 11, 10, 9, 11, -1}));
}

TEST(ToolWireframes, FanIsSixBladesRoundAHubUnderAPyramid) {
  const TWireShape s = FanShape();
  EXPECT_EQ(Flat(s), (std::vector<float>{0.3f,   0.98f,  0,     0.67f,  0.77f,  0,     0.07f, 0.04f,  0.81f,
                                         1.01f,  0.01f,  0,     0.93f,  -0.41f, 0,     0.05f, -0.05f, 0.81f,
                                         0.32f,  -0.97f, 0,     -0.09f, -1.02f, 0,     -0.04f, -0.06f, 0.81f,
                                         -0.81f, -0.61f, 0,     -0.99f, -0.23f, 0,     -0.07f, 0.02f, 0.81f,
                                         -0.83f, 0.59f,  0,     -0.52f, 0.88f,  0,     -0.01f, 0.08f, 0.81f,
                                         0,      0.01f,  1,     0,      0.01f,  0,     0,      0.01f, 0.81f}));
  EXPECT_EQ(s.Indices,
            (std::vector<Integer>{10, 9,  16, 7,  6,  16, 4,  3,  16, 1,  0,  16, 13, 12, 16, 10, -2,
                                  17, 14, 11, 17, -2, 17, 11, 8,  17, -2, 17, 5,  2,  17, -2, 17, 2,  14, 17, -2,
                                  15, 5,  8,  15, -2, 16, 12, 13, 16, -2, 16, 9,  10, 16, -2, 7,  16, 6,  7,  -2,
                                  16, 0,  1,  16, -2, 17, 16, 17, 8,  5,  17, -2, 4,  16, 17, 16, 3,  4,  -2,
                                  2,  5,  15, 2,  -2, 14, 2,  15, 14, -2, 11, 14, 15, 11, -2, 8,  11, 15, 8,  -1}));
}

TEST(ToolWireframes, LeaderIsADoubleConeOfTwentyTriangles) {
  const TWireShape s = LeaderShape();
  EXPECT_EQ(Flat(s), (std::vector<float>{0,     0,     -0.56f, 0.5f,  0,     -0.25f, 0.15f, 0.5f,  -0.25f,
                                         -0.4f, 0.31f, -0.25f, -0.4f, -0.31f, -0.25f, 0.15f, -0.5f, -0.25f,
                                         0.4f,  0.31f, 0.25f,  -0.15f, 0.5f, 0.25f,  -0.5f, 0,     0.25f,
                                         -0.15f, -0.5f, 0.25f, 0.4f,  -0.31f, 0.25f,  0,     0,     0.56f}));
  EXPECT_EQ(s.Indices,
            (std::vector<Integer>{0, 1,  2, 0,  -2, 0, 2,  3, 0,  -2, 0, 3,  4, 0,  -2, 0,  4,  5, 0,  -2, 0,  5,  1,
                                  0, -2, 1, 6,  2,  1, -2, 6, 7,  2,  6, -2, 2, 7,  3,  2, -2, 7, 8,  3,  7, -2, 3, 8,
                                  4, 3,  -2, 8, 9,  4, 8,  -2, 4, 9,  5, 4,  -2, 9, 10, 5,  9, -2, 5, 10, 1,  5,  -2,
                                  10, 6, 1,  10, -2, 6, 11, 7, 6,  -2, 7, 11, 8, 7,  -2, 8, 11, 9, 8,  -2, 9, 11, 10,
                                  9, -2, 10, 11, 6, 10, -1}));
}

TEST(ToolWireframes, AxesAndGravitronRuns) {
  EXPECT_EQ(AxesShape().Indices, (std::vector<Integer>{0, 1, -2, 2, 3, -2, 4, 5, -1}));
  EXPECT_EQ(Flat(AxesShape()), (std::vector<float>{0, 0, -0.5f, 0, 0, 0.5f, -0.5f, 0, 0, 0.5f, 0, 0, 0, -0.5f, 0, 0,
                                                   0.5f, 0}));
  const TWireShape g = GravitronShape();
  EXPECT_EQ(g.Indices, (std::vector<Integer>{0, 1, 2, 3, 0, -2, 0, 4, -2, 1, 5, -2, 2, 6, -2, 3, 7, -1}));
  EXPECT_EQ(Flat(g), (std::vector<float>{-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0, -1, -1, 0.2f, 1, -1, 0.2f, 1, 1, 0.2f,
                                         -1, 1, 0.2f}));
}

TEST(ToolWireframes, EveryKindsListIsWellFormed) {
  // Vertex count and number of polylines of each kind.
  const struct {
    Integer kind;
    std::size_t vertices;
    int runs;
  } expected[] = {{tkDeflector, 13, 12}, {tkFan, 18, 16}, {tkAttractor, 6, 3},
                  {tkRepulsor, 6, 3},    {tkLeader, 12, 20}, {tkGravitron, 8, 5}};
  for (const auto& e : expected) {
    const TWireShape s = ToolShape(e.kind);
    SCOPED_TRACE(e.kind);
    EXPECT_EQ(s.Vertices.size(), e.vertices);
    ASSERT_FALSE(s.Indices.empty());
    EXPECT_EQ(s.Indices.back(), -1);
    int runs = 1;
    Integer previous = -2;
    for (std::size_t i = 0; i + 1 < s.Indices.size(); ++i) {
      const Integer v = s.Indices[i];
      if (v == -2) {
        EXPECT_NE(previous, -2) << "empty polyline at " << i;
        ++runs;
      } else {
        EXPECT_GE(v, 0);
        EXPECT_LT(v, static_cast<Integer>(s.Vertices.size()));
      }
      previous = v;
    }
    EXPECT_NE(previous, -2) << "a separator right before the end";
    EXPECT_EQ(runs, e.runs);
  }
  // The fan's first run sweeps all six blades through the hub.
  const TWireShape fan = FanShape();
  EXPECT_EQ(std::vector<Integer>(fan.Indices.begin(), fan.Indices.begin() + 17),
            (std::vector<Integer>{10, 9, 16, 7, 6, 16, 4, 3, 16, 1, 0, 16, 13, 12, 16, 10, -2}));
  EXPECT_TRUE(ToolShape(tkNone).Vertices.empty());
  EXPECT_TRUE(ToolShape(7).Indices.empty());
}

TEST(ToolKinds, DerivedAttractorsAreTestedBeforeTheirBase) {
  TPathingModifier leader;
  TRepulseModifier repulsor;
  TAttractModifier attractor;
  EXPECT_EQ(ToolKindOf(&leader), tkLeader);
  EXPECT_EQ(ToolKindOf(&repulsor), tkRepulsor);
  EXPECT_EQ(ToolKindOf(&attractor), tkAttractor);
  EXPECT_EQ(ToolKindOf(nullptr), tkNone);
  // Each kind's fresh modifier is of that kind, with the kind name the table gives.
  for (Integer kind = tkDeflector; kind < kToolKindCount; ++kind) {
    auto m = CreateToolModifier(kind);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(ToolKindOf(m.get()), kind);
    EXPECT_EQ(m->KindName, ToolKindInfo(kind).KindName);
  }
  EXPECT_EQ(CreateToolModifier(tkNone), nullptr);
  EXPECT_EQ(CreateToolModifier(7), nullptr);
}

TEST(ToolKinds, HostTypesPensAndListImages) {
  const struct {
    Integer kind;
    const char* type;
    tsxPEN pen;
    Integer image;
  } rows[] = {{tkDeflector, "ZOVK_Deflector", e_tsxPEN_BLUE, 11}, {tkFan, "ZOVK_Fan", e_tsxPEN_BLUE, 12},
              {tkAttractor, "ZOVK_Attractor", e_tsxPEN_GREEN, 14}, {tkRepulsor, "ZOVK_Repulsor", e_tsxPEN_RED, 15},
              {tkLeader, "ZOVK_Leader", e_tsxPEN_BLUE, 13},       {tkGravitron, "ZOVK_Gravitron", e_tsxPEN_BLUE, 22}};
  for (const auto& r : rows) {
    EXPECT_STREQ(ToolKindInfo(r.kind).TypeName, r.type);
    EXPECT_EQ(ToolKindInfo(r.kind).Pen, r.pen);
    EXPECT_EQ(ToolKindInfo(r.kind).ListImage, r.image);
  }
  EXPECT_EQ(ToolKindInfo(tkNone).ListImage, 0);
  EXPECT_EQ(ToolKindInfo(-3).ListImage, 0);
}
