// The emitter file, the particle system file and the emitter scene chunk, on bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/emitter_files.h"
#include "engine/color_series.h"
#include "engine/particle_map_source.h"
#include "engine/var_series.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"
#include "system_record_v100.h"

namespace {

using Bytes = std::vector<Byte>;

Bytes Content(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return Bytes(p, p + s.Size());
}

void Fill(TMemoryStream& s, const Bytes& b) {
  if (!b.empty()) s.WriteBuffer(b.data(), static_cast<Int64>(b.size()));
  s.SetPosition(0);
}

Integer I32At(const Bytes& b, std::size_t at) { return static_cast<Integer>(bytes::LoadLE32(&b[at])); }
Single F32At(const Bytes& b, std::size_t at) { return bytes::LoadLEF32(&b[at]); }

void Dress(TEmitter& s, const std::string& name, Single dither) {
  s.Name = name;
  s.System->LoopPeriod = 12;
  s.System->RenderMode = 2;
  s.System->ColorMode = 1;
  s.System->BaseColorMode = 1;
  s.System->MaxPixelSize = 4096;
  s.System->SpatialDither = dither;
  s.Emitter->FocusShape = 1;
  s.Emitter->Radius = 0.75f;
}

std::unique_ptr<TEmitterObject> TwoSystemEmitter() {
  auto e = std::make_unique<TEmitterObject>();
  e->Name = "Sparks";
  e->StartOffset = -17;
  e->FreezeFrame = 90;
  e->RateSizeScale = ssRate | ssSize;
  e->SpeedLifeGravityScale = ssGravity;
  Dress(*e->AddSystem(), "Core", 0.25f);
  Dress(*e->AddSystem(), "Trail", 0.5f);
  e->Systems[1]->Enabled = 0;
  return e;
}

Bytes SaveZke(const TEmitterObject& e) {
  TMemoryStream s;
  WriteEmitterFile(e, s);
  return Content(s);
}

Bytes SaveZks(const TEmitter& sys) {
  TMemoryStream s;
  WriteSystemFile(sys, s);
  return Content(s);
}

Bytes SaveChunk(const TEmitterObject* e) {
  TMemoryStream s;
  WriteEmitterChunk(e, s);
  return Content(s);
}

Bytes RecordOf(const TEmitterObject& e) {
  TMemoryStream s;
  e.SaveToStream(s);
  return Content(s);
}

Bytes RecordOf(const TEmitter& sys) {
  TMemoryStream s;
  sys.SaveToStream(s);
  return Content(s);
}

Bytes SystemRecordV100(const TEmitter& sys) {
  TMemoryStream s;
  WriteSystemRecordV100(sys, s);
  return Content(s);
}

Bytes WithVersion(Integer version, const Bytes& rest) {
  Bytes b(4);
  bytes::StoreLE32(b.data(), static_cast<Cardinal>(version));
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

}  // namespace

// ---- the emitter file ----

TEST(EmitterFileTest, VersionWordThenTheRecordWithoutTheLastSystemsReservedArea) {
  auto e = TwoSystemEmitter();
  const Bytes file = SaveZke(*e);
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ((Bytes{file.begin(), file.begin() + 4}), (Bytes{101, 0, 0, 0}));
  // The name: length byte and 32 characters, then the start offset.
  EXPECT_EQ(file[4], 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[5]), 6), "Sparks");
  EXPECT_EQ(file[11], 0);
  EXPECT_EQ(I32At(file, 37), -17);

  // The object's part is what an object without systems writes up to its count.
  TEmitterObject bare;
  bare.Name = e->Name;
  bare.StartOffset = e->StartOffset;
  bare.FreezeFrame = e->FreezeFrame;
  bare.RateSizeScale = e->RateSizeScale;
  bare.SpeedLifeGravityScale = e->SpeedLifeGravityScale;
  const Bytes head = RecordOf(bare);
  const Bytes system1 = RecordOf(*e->Systems[0]);
  const Bytes system2 = RecordOf(*e->Systems[1]);
  ASSERT_EQ(file.size(), 4 + head.size() + system1.size() + 112 + system2.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end() - 4, file.begin() + 4));
  EXPECT_EQ(I32At(file, 4 + head.size() - 4), 2) << "system count";
  // The first system keeps its reserved area as zeros; the last one has none.
  const std::size_t first = 4 + head.size();
  EXPECT_TRUE(std::equal(system1.begin(), system1.end(), file.begin() + first));
  for (std::size_t i = 0; i < 112; ++i) ASSERT_EQ(file[first + system1.size() + i], 0) << i;
  EXPECT_TRUE(std::equal(system2.begin(), system2.end(), file.end() - system2.size()));
  EXPECT_FLOAT_EQ(F32At(file, file.size() - 4), 0.5f) << "the file ends with the last system's spatial dither";
  EXPECT_EQ(I32At(file, file.size() - 8), 4096);
}

TEST(EmitterFileTest, RoundTripKeepsTheNodeAndEverySetting) {
  auto e = TwoSystemEmitter();
  const Bytes file = SaveZke(*e);

  TEmitterObject target;
  target.AddSystem();
  auto* node = reinterpret_cast<tsxSOBJ*>(0x1234);
  target.Node = node;
  TMemoryStream in;
  Fill(in, file);
  ReadEmitterFile(target, in);
  EXPECT_EQ(target.Node, node);
  EXPECT_EQ(target.Name, "Sparks");
  EXPECT_EQ(target.StartOffset, -17);
  EXPECT_EQ(target.FreezeFrame, 90);
  ASSERT_EQ(target.SystemCount(), 2);
  EXPECT_EQ(target.Systems[1]->Name, "Trail");
  EXPECT_EQ(target.Systems[1]->Enabled, 0);
  EXPECT_EQ(target.Systems[0]->Owner, &target);
  EXPECT_EQ(SaveZke(target), file);
}

TEST(EmitterFileTest, UnknownVersionsAndShortFilesChangeNothing) {
  const Bytes good = SaveZke(*TwoSystemEmitter());
  const Bytes record(good.begin() + 4, good.end());
  std::vector<std::pair<std::string, Bytes>> bad = {
      {"empty", {}},
      {"half a version word", {101, 0}},
      {"version 99", WithVersion(99, record)},
      {"version 102", WithVersion(102, record)},
      {"version only", {101, 0, 0, 0}},
  };
  for (std::size_t cut : {5u, 40u, 200u, 400u, 1000u})
    if (cut < good.size() - 1) bad.push_back({"cut at " + std::to_string(cut), Bytes(good.begin(), good.begin() + cut)});
  bad.push_back({"last byte missing", Bytes(good.begin(), good.end() - 1)});
  // A system count far beyond what the file holds.
  Bytes wildCount = good;
  TEmitterObject bare;
  bare.Name = "Sparks";
  const std::size_t countAt = 4 + RecordOf(bare).size() - 4;
  bytes::StoreLE32(&wildCount[countAt], 0x7FFFFFFF);
  bad.push_back({"wild count", wildCount});

  for (const auto& [what, b] : bad) {
    SCOPED_TRACE(what);
    TEmitterObject target;
    target.Name = "Mine";
    TEmitter* kept = target.AddSystem();
    kept->Name = "Kept";
    const Bytes before = SaveZke(target);
    TMemoryStream in;
  Fill(in, b);
    EXPECT_THROW(ReadEmitterFile(target, in), EReadError);
    ASSERT_EQ(target.SystemCount(), 1);
    EXPECT_EQ(target.Systems[0].get(), kept);
    EXPECT_EQ(SaveZke(target), before);
  }
}

TEST(EmitterFileTest, ErrorMessagesSayWhatWentWrong) {
  TEmitterObject target;
  target.AddSystem();
  TMemoryStream v;
  Fill(v, WithVersion(7, {}));
  try {
    ReadEmitterFile(target, v);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("version 7"), std::string::npos) << e.what();
  }
  TMemoryStream empty;
  try {
    ReadEmitterFile(target, empty);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("empty or cut short"), std::string::npos) << e.what();
  }
}

// ---- the particle system file ----

TEST(SystemFileTest, VersionWordThenTheRecordEndingAtTheSpatialDither) {
  TEmitterObject owner;
  TEmitter* s = owner.AddSystem();
  Dress(*s, "Smoke", 0.125f);
  s->Emitter->Shape = 2;
  const Bytes file = SaveZks(*s);
  EXPECT_EQ((Bytes{file.begin(), file.begin() + 4}), (Bytes{101, 0, 0, 0}));
  const std::size_t n = file.size();
  // Tail: Enabled, name, Radius, Shape, ColorMode, FocusShape, BaseColorMode,
  // MaxPixelSize, SpatialDither.
  EXPECT_FLOAT_EQ(F32At(file, n - 4), 0.125f);
  EXPECT_EQ(I32At(file, n - 8), 4096);
  EXPECT_EQ(I32At(file, n - 12), 1) << "base colour mode";
  EXPECT_EQ(I32At(file, n - 16), 1) << "focus shape";
  EXPECT_EQ(I32At(file, n - 20), 1) << "colour mode";
  EXPECT_EQ(I32At(file, n - 24), 2) << "shape";
  EXPECT_FLOAT_EQ(F32At(file, n - 28), 0.75f);
  EXPECT_EQ(file[n - 28 - 33], 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[n - 28 - 32]), 5), "Smoke");
  EXPECT_EQ(file[n - 28 - 34], 1) << "enabled";
}

TEST(SystemFileTest, RoundTripIntoAnotherSystem) {
  TEmitterObject owner;
  TEmitter* a = owner.AddSystem();
  Dress(*a, "Smoke", 0.125f);
  a->System->BaseColor->Name = "Embers";
  TEmitter* b = owner.AddSystem();
  TMemoryStream in;
  Fill(in, SaveZks(*a));
  ReadSystemFile(*b, in);
  EXPECT_EQ(b->Name, "Smoke");
  EXPECT_EQ(b->System->BaseColor->Name, "Embers");
  EXPECT_EQ(SaveZks(*b), SaveZks(*a));
}

TEST(SystemFileTest, Version100KeepsTheFieldsItDoesNotCarry) {
  TEmitterObject owner;
  TEmitter* old = owner.AddSystem();
  old->Name = "Old";
  old->System->LoopPeriod = 77;
  old->System->ColorMode = 1;
  old->Emitter->Radius = 2.5f;

  TEmitter* target = owner.AddSystem();
  target->Emitter->FocusShape = 2;
  target->System->BaseColor->Name = "Keep me";
  target->System->BaseColorMode = 1;
  target->System->MaxPixelSize = 1024;
  target->System->SpatialDither = 0.75f;

  TMemoryStream in;
  Fill(in, WithVersion(100, SystemRecordV100(*old)));
  ReadSystemFile(*target, in);
  EXPECT_EQ(target->Name, "Old");
  EXPECT_EQ(target->System->LoopPeriod, 77);
  EXPECT_EQ(target->System->ColorMode, 1);
  EXPECT_FLOAT_EQ(target->Emitter->Radius, 2.5f);
  EXPECT_EQ(target->Emitter->FocusShape, 2);
  EXPECT_EQ(target->System->BaseColor->Name, "Keep me");
  EXPECT_EQ(target->System->BaseColorMode, 1);
  EXPECT_EQ(target->System->MaxPixelSize, 1024);
  EXPECT_FLOAT_EQ(target->System->SpatialDither, 0.75f);
}

TEST(SystemFileTest, UnknownVersionsAndShortFilesChangeNothing) {
  TEmitterObject owner;
  TEmitter* src = owner.AddSystem();
  Dress(*src, "Smoke", 0.125f);
  const Bytes good = SaveZks(*src);
  const Bytes record(good.begin() + 4, good.end());
  std::vector<std::pair<std::string, Bytes>> bad = {
      {"empty", {}},
      {"version 102", WithVersion(102, record)},
      {"version 0", WithVersion(0, record)},
      {"version only", {101, 0, 0, 0}},
      {"cut in the tail", Bytes(good.begin(), good.end() - 3)},
      {"cut in the curves", Bytes(good.begin(), good.begin() + 60)},
      {"a version-101 record read as 100 and cut", WithVersion(100, Bytes(record.begin(), record.begin() + 50))},
  };
  for (const auto& [what, b] : bad) {
    SCOPED_TRACE(what);
    TEmitter* target = owner.AddSystem();
    target->Name = "Untouched";
    const Bytes before = SaveZks(*target);
    TMemoryStream in;
  Fill(in, b);
    EXPECT_THROW(ReadSystemFile(*target, in), EReadError);
    EXPECT_EQ(SaveZks(*target), before);
  }
}

// ---- the scene chunk ----

TEST(EmitterChunkTest, VersionSizeAndTheRecordAsInTheFile) {
  auto e = TwoSystemEmitter();
  const Bytes chunk = SaveChunk(e.get());
  const Bytes file = SaveZke(*e);
  ASSERT_GE(chunk.size(), 8u);
  EXPECT_EQ(I32At(chunk, 0), 101);
  EXPECT_EQ(static_cast<std::size_t>(I32At(chunk, 4)), chunk.size() - 8);
  EXPECT_EQ(Bytes(chunk.begin() + 8, chunk.end()), Bytes(file.begin() + 4, file.end()))
      << "the chunk's record, like the file's, ends without the last reserved area";
}

TEST(EmitterChunkTest, AnUnknownHandleWritesAnEmptyChunkThatReadsAsNoObject) {
  const Bytes chunk = SaveChunk(nullptr);
  EXPECT_EQ(chunk, (Bytes{101, 0, 0, 0, 0, 0, 0, 0}));
  TMemoryStream in;
  Fill(in, chunk);
  EXPECT_EQ(ReadEmitterChunk(in), nullptr);
  EXPECT_EQ(in.Position(), 8);
}

TEST(EmitterChunkTest, ChunksReadBackInStepOneAfterAnother) {
  auto e = TwoSystemEmitter();
  Bytes all = SaveChunk(nullptr);
  const Bytes one = SaveChunk(e.get());
  all.insert(all.end(), one.begin(), one.end());
  // Version 102 with a record: passed over with an error, the next chunk still reads.
  Bytes future = one;
  bytes::StoreLE32(future.data(), 102);
  all.insert(all.end(), future.begin(), future.end());
  all.insert(all.end(), one.begin(), one.end());

  TMemoryStream in;
  Fill(in, all);
  EXPECT_EQ(ReadEmitterChunk(in), nullptr);
  auto first = ReadEmitterChunk(in);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Node, nullptr);
  EXPECT_EQ(RecordOf(*first), RecordOf(*e));
  EXPECT_EQ(in.Position(), static_cast<Int64>(8 + one.size()));
  EXPECT_THROW(ReadEmitterChunk(in), EReadError);
  EXPECT_EQ(in.Position(), static_cast<Int64>(8 + 2 * one.size()));
  auto last = ReadEmitterChunk(in);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->SystemCount(), 2);
  EXPECT_EQ(in.Position(), in.Size());
}

TEST(EmitterChunkTest, MalformedChunksRaise) {
  auto e = TwoSystemEmitter();
  const Bytes good = SaveChunk(e.get());
  Bytes negative = good;
  bytes::StoreLE32(&negative[4], static_cast<Cardinal>(-5));
  Bytes wild = {101, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
  Bytes oldVersion = good;
  bytes::StoreLE32(oldVersion.data(), 99);
  // A size that matches the bytes, but a record cut inside: the reader must not run on.
  Bytes cutRecord(good.begin(), good.begin() + 300);
  bytes::StoreLE32(&cutRecord[4], static_cast<Cardinal>(cutRecord.size() - 8));
  const std::vector<std::pair<std::string, Bytes>> bad = {
      {"nothing", {}},
      {"no size", {101, 0, 0, 0}},
      {"negative size", negative},
      {"size beyond the data", wild},
      {"bytes missing", Bytes(good.begin(), good.end() - 1)},
      {"version 99", oldVersion},
      {"record cut short", cutRecord},
  };
  for (const auto& [what, b] : bad) {
    SCOPED_TRACE(what);
    TMemoryStream in;
  Fill(in, b);
    EXPECT_THROW(ReadEmitterChunk(in), EReadError);
  }
}

// ---- copies ----

TEST(EmitterCopyTest, CloneCopiesEverySystemButNotTheNode) {
  auto src = TwoSystemEmitter();
  TEmitterObject dest;
  dest.AddSystem();
  dest.Node = reinterpret_cast<tsxSOBJ*>(0x55);
  CopyEmitterObject(*src, dest);
  EXPECT_EQ(dest.Node, reinterpret_cast<tsxSOBJ*>(0x55));
  ASSERT_EQ(dest.SystemCount(), 2);
  EXPECT_NE(dest.Systems[0].get(), src->Systems[0].get());
  EXPECT_EQ(dest.Systems[0]->Owner, &dest);
  EXPECT_EQ(RecordOf(dest), RecordOf(*src));

  TEmitter* dup = dest.AddSystem();
  CopySystem(*src->Systems[1], *dup);
  EXPECT_EQ(dup->Name, "Trail");
  EXPECT_EQ(dup->Owner, &dest);
  EXPECT_EQ(RecordOf(*dup), RecordOf(*src->Systems[1]));
}
