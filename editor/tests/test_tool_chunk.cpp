// The tool's scene chunk: its bytes, round trips, and chunks that lie about their size.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "chart/value_list.h"
#include "editor/tool_chunk.h"
#include "engine/modifiers.h"
#include "engine/particle_modifier.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

namespace {

std::vector<Byte> BytesOf(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

void PutI32(std::vector<Byte>& b, Integer v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<Byte>(static_cast<Cardinal>(v) >> (8 * i)));
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<Byte>& b) {
  auto s = std::make_unique<TMemoryStream>();
  if (!b.empty()) s->WriteBuffer(b.data(), static_cast<Int64>(b.size()));
  s->SetPosition(0);
  return s;
}

std::unique_ptr<TToolObject> MakeGravitron() {
  auto tool = std::make_unique<TToolObject>();
  auto g = std::make_unique<TGravitronModifier>();
  g->Infinite = 1;
  g->Period = 7;
  g->Lives = 3;
  g->Enabled = 0;
  g->Scale = 12;
  g->Power->AddXY(40, 9.5);
  tool->Name = "Big Pull";
  tool->SetModifier(std::move(g));
  return tool;
}

class ToolChunkTest : public ::testing::Test {
 protected:
  void SetUp() override { before_ = ModifierList().Count(); }
  void TearDown() override { EXPECT_EQ(ModifierList().Count(), before_); }
  Integer before_ = 0;
};

}  // namespace

TEST_F(ToolChunkTest, ChunkBytesAreVersionSizeAndTheRecordWithoutItsReservedTail) {
  auto tool = MakeGravitron();
  TMemoryStream chunk;
  WriteToolChunk(tool.get(), chunk);
  const std::vector<Byte> b = BytesOf(chunk);
  ASSERT_GE(b.size(), 8u + 33 + 33 + 9);
  EXPECT_EQ(std::vector<Byte>(b.begin(), b.begin() + 4), (std::vector<Byte>{100, 0, 0, 0}));
  Integer size = 0;
  std::memcpy(&size, b.data() + 4, 4);
  EXPECT_EQ(static_cast<std::size_t>(size), b.size() - 8) << "the size counts exactly the bytes that follow";
  // Name: a length byte and 32 bytes of room; then the kind the same way.
  EXPECT_EQ(b[8], 8);
  EXPECT_EQ(std::string(b.begin() + 9, b.begin() + 17), "Big Pull");
  EXPECT_EQ(b[8 + 33], 9);
  EXPECT_EQ(std::string(b.begin() + 8 + 34, b.begin() + 8 + 43), "Gravitron");
  // The record ends with Enabled, Period, Lives and Infinite: the 119 reserved bytes
  // after them are not stored.
  EXPECT_EQ(std::vector<Byte>(b.end() - 10, b.end()), (std::vector<Byte>{0, 7, 0, 0, 0, 3, 0, 0, 0, 1}));
}

TEST_F(ToolChunkTest, AnUnknownToolWritesAnEmptyChunk) {
  TMemoryStream chunk;
  WriteToolChunk(nullptr, chunk);
  EXPECT_EQ(BytesOf(chunk), (std::vector<Byte>{100, 0, 0, 0, 0, 0, 0, 0}));
  chunk.SetPosition(0);
  EXPECT_EQ(ReadToolChunk(chunk), nullptr);
  EXPECT_EQ(chunk.Position(), 8);
}

TEST_F(ToolChunkTest, RoundTripKeepsNameKindCurvesAndSettings) {
  auto tool = MakeGravitron();
  TMemoryStream chunk;
  WriteToolChunk(tool.get(), chunk);
  chunk.SetPosition(0);
  auto back = ReadToolChunk(chunk);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(chunk.Position(), chunk.Size());
  EXPECT_EQ(back->Name, "Big Pull");
  auto* g = dynamic_cast<TGravitronModifier*>(back->Modifier());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Enabled, 0);
  EXPECT_EQ(g->Infinite, 1);
  EXPECT_EQ(g->Period, 7);
  EXPECT_EQ(g->Lives, 3);
  EXPECT_EQ(g->Scale, 12.0f);
  const TVarSeries* src = dynamic_cast<TGravitronModifier*>(tool->Modifier())->Power;
  ASSERT_EQ(g->Power->Count(), src->Count());
  for (Integer i = 0; i < src->Count(); ++i) {
    EXPECT_EQ(g->Power->XValues()->GetValue(i), src->XValues()->GetValue(i));
    EXPECT_EQ(g->Power->YValues()->GetValue(i), src->YValues()->GetValue(i));
  }
  EXPECT_EQ(ModifierList().IndexOf(g), ModifierList().Count() - 1) << "the read modifier joins the global list";

  // A repulsor comes back a repulsor, with its falloff.
  TToolObject rep;
  auto r = std::make_unique<TRepulseModifier>();
  r->Falloff = foSquared;
  rep.SetModifier(std::move(r));
  TMemoryStream c2;
  WriteToolChunk(&rep, c2);
  c2.SetPosition(0);
  auto rback = ReadToolChunk(c2);
  ASSERT_NE(rback, nullptr);
  auto* rm = dynamic_cast<TRepulseModifier*>(rback->Modifier());
  ASSERT_NE(rm, nullptr);
  EXPECT_EQ(rm->Falloff, foSquared);
  EXPECT_EQ(rm->Enabled, 1);
}

TEST_F(ToolChunkTest, OldVersionsAndNegativeSizesRaiseAndEmptyChunksGiveNoTool) {
  std::vector<Byte> b;
  PutI32(b, 99);
  PutI32(b, 4);
  PutI32(b, 0);
  auto s = StreamOf(b);
  EXPECT_THROW(ReadToolChunk(*s), EReadError);

  b.clear();
  PutI32(b, 100);
  PutI32(b, -5);
  s = StreamOf(b);
  EXPECT_THROW(ReadToolChunk(*s), EReadError);

  b.clear();
  PutI32(b, 99);
  PutI32(b, 0);
  s = StreamOf(b);
  EXPECT_EQ(ReadToolChunk(*s), nullptr);
  EXPECT_EQ(s->Position(), 8);
}

TEST_F(ToolChunkTest, ChunksInSequenceStayInStep) {
  // An empty chunk, a chunk whose size leaves room after the record, then a real one.
  TMemoryStream all;
  WriteToolChunk(nullptr, all);
  auto first = MakeGravitron();
  TMemoryStream padded;
  WriteToolChunk(first.get(), padded);
  std::vector<Byte> p = BytesOf(padded);
  Integer size = 0;
  std::memcpy(&size, p.data() + 4, 4);
  size += 5;
  std::memcpy(p.data() + 4, &size, 4);
  p.insert(p.end(), {0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
  all.WriteBuffer(p.data(), static_cast<Int64>(p.size()));
  TToolObject fan;
  fan.Name = "Breeze";
  fan.SetModifier(std::make_unique<TPlaneFanModifier>());
  WriteToolChunk(&fan, all);
  all.SetPosition(0);

  EXPECT_EQ(ReadToolChunk(all), nullptr);
  auto a = ReadToolChunk(all);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Name, "Big Pull");
  auto b = ReadToolChunk(all);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Name, "Breeze");
  EXPECT_NE(dynamic_cast<TPlaneFanModifier*>(b->Modifier()), nullptr);
  EXPECT_EQ(all.Position(), all.Size());
}

TEST_F(ToolChunkTest, TruncatedOversizedAndGarbledChunksRaiseAndMakeNoModifier) {
  auto tool = MakeGravitron();
  TMemoryStream good;
  WriteToolChunk(tool.get(), good);
  const std::vector<Byte> full = BytesOf(good);
  tool.reset();
  const Integer listed = ModifierList().Count();

  // Cut anywhere inside the record: the claimed size is not there.
  for (std::size_t cut : {std::size_t{9}, std::size_t{40}, full.size() / 2, full.size() - 1}) {
    auto s = StreamOf(std::vector<Byte>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_THROW(ReadToolChunk(*s), EReadError) << "cut at " << cut;
    EXPECT_EQ(ModifierList().Count(), listed);
  }
  // A size of almost 2 GiB over a few bytes fails without taking that much memory.
  std::vector<Byte> huge;
  PutI32(huge, 100);
  PutI32(huge, 0x7FFFFFFF);
  huge.insert(huge.end(), 100, 0);
  auto hs = StreamOf(huge);
  EXPECT_THROW(ReadToolChunk(*hs), EReadError);
  // The version alone, or a size cut short.
  auto v = StreamOf({100, 0, 0, 0, 7, 0});
  EXPECT_THROW(ReadToolChunk(*v), EReadError);
  // A whole chunk whose record is nonsense: an unknown kind name gives a leader whose
  // curve count is garbage.
  std::vector<Byte> junk;
  PutI32(junk, 100);
  PutI32(junk, 80);
  junk.insert(junk.end(), 80, 0xFF);
  auto js = StreamOf(junk);
  EXPECT_THROW(ReadToolChunk(*js), EReadError);
  EXPECT_EQ(ModifierList().Count(), listed);
}

TEST_F(ToolChunkTest, CopyIsIndependentOfItsSource) {
  auto src = MakeGravitron();
  auto copy = CopyTool(*src);
  auto* g = dynamic_cast<TGravitronModifier*>(copy->Modifier());
  auto* s = dynamic_cast<TGravitronModifier*>(src->Modifier());
  ASSERT_NE(g, nullptr);
  ASSERT_NE(g, s);
  EXPECT_EQ(copy->Name, "Big Pull");
  EXPECT_EQ(g->Period, 7);
  const Integer keys = s->Power->Count();
  const Double y0 = s->Power->YValues()->GetValue(0);
  g->Power->AddXY(70, 1);
  g->Power->YValues()->SetValue(0, y0 + 3);
  g->Scale = 99;
  EXPECT_EQ(s->Power->Count(), keys);
  EXPECT_EQ(s->Power->YValues()->GetValue(0), y0);
  EXPECT_EQ(s->Scale, 12.0f);
  EXPECT_EQ(g->Node, nullptr);
}
