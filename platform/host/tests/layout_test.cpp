// Byte layouts of the records plug-ins read, checked on the bytes themselves.
#include <cstring>

#include "host_test_support.h"

namespace {

template <class T>
T At(const void* base, size_t offset) {
  T v;
  std::memcpy(&v, static_cast<const char*>(base) + offset, sizeof v);
  return v;
}

class HostLayout : public HostTest {};

TEST_F(HostLayout, RenderDataCarriesSizeRegionAndFitAtTheirOffsets) {
  host::SetRenderSize(640, 480);
  host::SetRenderRegion(10, 20, 300, 400);
  host::SetRenderFit(1);
  const tsxRenderData* d = tsxRenderGetData();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(At<int32_t>(d, 8), 640);
  EXPECT_EQ(At<int32_t>(d, 12), 480);
  EXPECT_EQ(At<int32_t>(d, 20), 1);
  EXPECT_EQ(At<int16_t>(d, 24), 10);
  EXPECT_EQ(At<int16_t>(d, 26), 20);
  EXPECT_EQ(At<int16_t>(d, 28), 300);
  EXPECT_EQ(At<int16_t>(d, 30), 400);
  EXPECT_EQ(At<int32_t>(d, 64), 1);
  host::ClearRenderRegion();
  d = tsxRenderGetData();
  EXPECT_EQ(At<int32_t>(d, 20), 0);
  EXPECT_EQ(At<int16_t>(d, 28), 639);  // the whole image, inclusive
  EXPECT_EQ(At<int16_t>(d, 30), 479);
}

TEST_F(HostLayout, FaceRecordsHoldCountThenTwentyByteCorners) {
  host::NodeHandle p = host::AddPolyhedron("p", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}},
                                           {{0, 1, 2, 3}, {4, 1, 0}});
  tsxFACE** faces = tsxPolyhGetFaceptrArray(p);
  ASSERT_NE(faces, nullptr);
  EXPECT_EQ(At<int16_t>(faces[0], 0), 4);
  EXPECT_EQ(At<int16_t>(faces[1], 0), 3);
  const char* corners = At<const char*>(faces[1], offsetof(tsxFACE, corners));
  EXPECT_EQ(At<int32_t>(corners, 0), 4);
  EXPECT_EQ(At<int32_t>(corners, 20), 1);
  EXPECT_EQ(At<int32_t>(corners, 40), 0);
}

TEST_F(HostLayout, EventRecordsStartWithTheirSubCode) {
  static uint32_t seen[4];
  tsxEVENT_CALLBACK cb = [](int cls, void* data) { seen[cls] = At<uint32_t>(data, 0); };
  for (int c = 0; c < 4; ++c) ASSERT_EQ(tsxRegisterEventCallback(c, cb, 1), 1);
  host::RaiseEvent(e_tsxEVENT_RENDER, 6);
  host::RaiseEvent(e_tsxEVENT_MOUSE, 3);
  host::RaiseEvent(e_tsxEVENT_VIEWMSG, 0x201);
  host::RaiseEvent(e_tsxEVENT_GENERAL, 2);
  EXPECT_EQ(seen[0], 6u);
  EXPECT_EQ(seen[1], 3u);
  EXPECT_EQ(seen[2], 0x201u);
  EXPECT_EQ(seen[3], 2u);
}

TEST(HostLayoutStatic, DescriptorAndCallbackRecordSizes) {
  tsxPluginDescriptor d{};
  d.bitmapResourceId = 0x1234;
  d.stringResourceId = 0x5678;
  const auto* b = reinterpret_cast<const unsigned char*>(&d);
  EXPECT_EQ(sizeof d, 100u);
  EXPECT_EQ(b[96], 0x34);
  EXPECT_EQ(b[97], 0x12);
  EXPECT_EQ(b[98], 0x78);
  EXPECT_EQ(b[99], 0x56);
  EXPECT_EQ(sizeof(tsxOBJTYPE_CALLBACKS), 11 * sizeof(void*));
  tssPostProcessData pp{640, 480, reinterpret_cast<tssSCREENBUFFER*>(0x1234)};
  EXPECT_EQ(At<int32_t>(&pp, 0), 640);
  EXPECT_EQ(At<int32_t>(&pp, 4), 480);
  EXPECT_EQ(At<void*>(&pp, 8), reinterpret_cast<void*>(0x1234));
}

}  // namespace
