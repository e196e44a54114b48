// The emitter object and particle system records: byte layout, versions 100 and 101,
// the maximum pixel size rule, and hostile input that must leave the object unchanged.
#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "engine/color_series.h"
#include "engine/emitter_object.h"
#include "engine/object_records.h"
#include "engine/particle_map_source.h"
#include "engine/tests/curve_bytes.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"
#include "platform/host/host.h"

using namespace curve_bytes;

namespace {

void Append(std::vector<Byte>& out, const std::vector<Byte>& more) { out.insert(out.end(), more.begin(), more.end()); }

// A system entry with a value in every fixed field that differs from the defaults.
void Distinguish(TEmitter& e, int k) {
  e.Name = "Sparks" + std::to_string(k);
  e.Enabled = 0;
  TParticleSystem& s = *e.System;
  s.LoopPeriod = 11 + k;
  s.LoopCount = 3;
  s.RenderMode = 2;
  s.MapMode = 1;
  s.MapCycle = 5;
  s.FixedMapIndex = 4;
  s.ColorMode = 1;
  s.BaseColorMode = 1;
  s.MaxPixelSize = 4096;
  s.SpatialDither = 0.25f;
  s.Size->AddXY(50, 7.5);
  s.BaseColor->Name = "base";
  e.Emitter->Radius = 2.5f;
  e.Emitter->Shape = esDisc;
  e.Emitter->FocusShape = fsDisc;
}

// The fixed fields 6 to 20 of a version-101 particle system record.
void PutSystemFixed101(std::vector<Byte>& out, const TEmitter& e) {
  const TParticleSystem& s = *e.System;
  Put32(out, s.LoopPeriod);
  Put32(out, s.LoopCount);
  Put32(out, s.RenderMode);
  Put32(out, s.MapMode);
  Put32(out, s.MapCycle);
  Put32(out, s.FixedMapIndex);
  Put8(out, e.Enabled);
  PutShortString(out, e.Name, 32);
  PutF32(out, e.Emitter->Radius);
  Put32(out, e.Emitter->Shape);
  Put32(out, s.ColorMode);
  Put32(out, e.Emitter->FocusShape);
  Put32(out, s.BaseColorMode);
  Put32(out, s.MaxPixelSize);
  PutF32(out, s.SpatialDither);
}

std::vector<Byte> SystemRecord101(const TEmitter& e, bool last) {
  std::vector<Byte> out;
  const TParticleSystem& s = *e.System;
  Append(out, Written([&](TStream& st) { s.SaveVariables(st); }));
  Append(out, Written([&](TStream& st) { e.Emitter->SaveVariables(st); }));
  Append(out, Written([&](TStream& st) { s.BaseColor->SaveToStream(st); }));
  Append(out, Written([&](TStream& st) { s.ParticleColor->SaveToStream(st); }));
  Append(out, Written([&](TStream& st) { s.MapSource->SaveToStream(st); }));
  PutZeros(out, 32);  // the options' reserved area, present inside the record
  PutSystemFixed101(out, e);
  if (!last) PutZeros(out, 112);
  return out;
}

// A version-100 system record: no base gradient, fields 6 to 16, 128 reserved bytes.
std::vector<Byte> SystemRecord100(const TEmitter& e, bool last) {
  std::vector<Byte> out;
  const TParticleSystem& s = *e.System;
  Append(out, Written([&](TStream& st) { s.SaveVariables(st); }));
  Append(out, Written([&](TStream& st) { e.Emitter->SaveVariables(st); }));
  Append(out, Written([&](TStream& st) { s.ParticleColor->SaveToStream(st); }));
  Append(out, Written([&](TStream& st) { s.MapSource->SaveToStream(st); }));
  PutZeros(out, 32);  // the options' reserved area, present inside the record
  Put32(out, s.LoopPeriod);
  Put32(out, s.LoopCount);
  Put32(out, s.RenderMode);
  Put32(out, s.MapMode);
  Put32(out, s.MapCycle);
  Put32(out, s.FixedMapIndex);
  Put8(out, e.Enabled);
  PutShortString(out, e.Name, 32);
  PutF32(out, e.Emitter->Radius);
  Put32(out, e.Emitter->Shape);
  Put32(out, s.ColorMode);
  if (!last) PutZeros(out, 128);
  return out;
}

class ObjectRecords : public ::testing::Test {
 protected:
  void SetUp() override { host::Reset(); }

  // An object with two distinguishable systems and non-default settings.
  static void Fill(TEmitterObject& o) {
    o.Name = "Fountain";
    o.StartOffset = -7;
    o.RateSizeScale = 3;
    o.SpeedLifeGravityScale = 5;
    o.Enabled = 0;
    o.FreezeFrame = 42;
    o.Activity->AddXY(100, 0);
    Distinguish(*o.AddSystem(), 1);
    Distinguish(*o.AddSystem(), 2);
  }
};

}  // namespace

TEST_F(ObjectRecords, EmitterObjectRecordMatchesTheLayout) {
  TEmitterObject o;
  Fill(o);
  std::vector<Byte> expected;
  PutShortString(expected, "Fountain", 32);
  Put32(expected, static_cast<Cardinal>(-7));
  Append(expected, Written([&](TStream& st) { o.Activity->SaveToStream(st); }));
  Put8(expected, 3);
  Put8(expected, 5);
  Put8(expected, 0);
  Put32(expected, 42);
  PutZeros(expected, 121);
  Put32(expected, 2);
  Append(expected, SystemRecord101(*o.Systems[0], false));
  Append(expected, SystemRecord101(*o.Systems[1], true));

  TMemoryStream s;
  o.SaveToStream(s);
  EXPECT_EQ(BytesOf(s), expected) << "the last system's 112 reserved bytes are absent, the others zero";

  // A lone particle system record written last ends after the spatial dither.
  TMemoryStream one;
  o.Systems[0]->SaveToStream(one);
  EXPECT_EQ(BytesOf(one), SystemRecord101(*o.Systems[0], true));
}

TEST_F(ObjectRecords, RoundTripsThroughVersion101) {
  TEmitterObject o;
  Fill(o);
  TMemoryStream s;
  o.SaveToStream(s);
  s.SetPosition(0);
  TEmitterObject back;
  back.AddSystem();
  back.LoadFromStream(101, s);
  EXPECT_EQ(back.Name, "Fountain");
  EXPECT_EQ(back.StartOffset, -7);
  EXPECT_EQ(back.RateSizeScale, 3);
  EXPECT_EQ(back.SpeedLifeGravityScale, 5);
  EXPECT_EQ(back.Enabled, 0);
  EXPECT_EQ(back.FreezeFrame, 42);
  EXPECT_EQ(back.Activity->Count(), 3);
  ASSERT_EQ(back.SystemCount(), 2);
  for (int i = 0; i < 2; ++i) {
    const TEmitter& e = *back.Systems[i];
    EXPECT_EQ(e.Owner, &back);
    EXPECT_EQ(e.System->Owner, &e);
    TMemoryStream a, b;
    e.SaveToStream(a);
    o.Systems[i]->SaveToStream(b);
    EXPECT_EQ(BytesOf(a), BytesOf(b)) << "system " << i;
  }
  EXPECT_EQ(back.Systems[1]->Name, "Sparks2");
  EXPECT_EQ(back.Systems[0]->System->MaxPixelSize, 4096);
  EXPECT_EQ(back.Systems[0]->Emitter->FocusShape, fsDisc);
}

TEST_F(ObjectRecords, Version100KeepsTheFieldsItLacks) {
  TEmitterObject source;
  Fill(source);
  std::vector<Byte> bytes;
  PutShortString(bytes, "Old", 32);
  Put32(bytes, 4);
  Append(bytes, Written([&](TStream& st) { source.Activity->SaveToStream(st); }));
  Put8(bytes, 1);
  Put8(bytes, 2);
  PutZeros(bytes, 126);
  Put32(bytes, 1);
  Append(bytes, SystemRecord100(*source.Systems[0], true));

  TMemoryStream s;
  curve_bytes::Fill(s, bytes);
  TEmitterObject o;
  o.Enabled = 0;
  o.FreezeFrame = 9;
  o.LoadFromStream(100, s);
  EXPECT_EQ(o.Name, "Old");
  EXPECT_EQ(o.StartOffset, 4);
  EXPECT_EQ(o.RateSizeScale, 1);
  EXPECT_EQ(o.SpeedLifeGravityScale, 2);
  EXPECT_EQ(o.Enabled, 0) << "version 100 has no Enabled";
  EXPECT_EQ(o.FreezeFrame, 9) << "version 100 has no freeze frame";
  ASSERT_EQ(o.SystemCount(), 1);
  const TEmitter& e = *o.Systems[0];
  EXPECT_EQ(e.Name, "Sparks1");
  EXPECT_EQ(e.System->LoopPeriod, 12);
  EXPECT_EQ(e.Emitter->Shape, esDisc);
  EXPECT_EQ(e.System->ColorMode, 1);

  // An existing entry read as version 100 keeps fields 3 and 17 to 20.
  TEmitterObject keeper;
  TEmitter& k = *keeper.AddSystem();
  k.System->BaseColor->Name = "kept";
  k.Emitter->FocusShape = fsDisc;
  k.System->BaseColorMode = 1;
  k.System->MaxPixelSize = 3000;
  k.System->SpatialDither = 0.5f;
  TMemoryStream v100;
  curve_bytes::Fill(v100, SystemRecord100(*source.Systems[1], true));
  k.LoadFromStreamV100(v100);
  EXPECT_EQ(k.Name, "Sparks2");
  EXPECT_EQ(k.System->LoopPeriod, 13);
  EXPECT_EQ(k.System->BaseColor->Name, "kept");
  EXPECT_EQ(k.Emitter->FocusShape, fsDisc);
  EXPECT_EQ(k.System->BaseColorMode, 1);
  EXPECT_EQ(k.System->MaxPixelSize, 3000);
  EXPECT_EQ(k.System->SpatialDither, 0.5f);
}

TEST_F(ObjectRecords, MaximumPixelSizeIsTakenIntoItsRange) {
  TEmitterObject o;
  TEmitter& e = *o.AddSystem();
  const std::pair<int, int> cases[] = {{0, 2048}, {255, 2048}, {-5, 2048}, {256, 256},
                                       {5000, 5000}, {8192, 8192}, {8193, 8192}, {0x7FFFFFFF, 8192}};
  for (const auto& [stored, read] : cases) {
    e.System->MaxPixelSize = stored;  // the writer stores what it has
    TMemoryStream s;
    e.SaveToStream(s);
    s.SetPosition(0);
    TEmitterObject other;
    TEmitter& f = *other.AddSystem();
    f.LoadFromStream(s);
    EXPECT_EQ(f.System->MaxPixelSize, read) << "stored " << stored;
  }
}

TEST_F(ObjectRecords, BadRecordsLeaveTheObjectAsItWas) {
  TEmitterObject source;
  Fill(source);
  TMemoryStream good;
  source.SaveToStream(good);
  const std::vector<Byte> bytes = BytesOf(good);

  TEmitterObject o;
  TEmitter* first = o.AddSystem();
  first->Name = "Mine";
  o.Name = "Keep";
  TVarSeries* size = first->System->Size;
  auto unchanged = [&](const std::string& why) {
    EXPECT_EQ(o.Name, "Keep") << why;
    ASSERT_EQ(o.SystemCount(), 1) << why;
    EXPECT_EQ(o.Systems[0].get(), first) << why;
    EXPECT_EQ(first->Name, "Mine") << why;
    EXPECT_EQ(first->System->Size, size) << why;
    EXPECT_EQ(o.Activity->Count(), 2) << why;
  };

  // Unknown versions: checked before anything changes.
  for (int version : {0, 99, 102, -1}) {
    TMemoryStream s;
    curve_bytes::Fill(s, bytes);
    EXPECT_THROW(o.LoadFromStream(version, s), EReadError) << version;
    unchanged("version " + std::to_string(version));
  }

  // Every cut of the record is a truncated record (its end carries no reserved area).
  for (std::size_t cut = 0; cut < bytes.size(); cut += (cut < 200 || cut + 200 > bytes.size()) ? 1 : 37) {
    TMemoryStream s;
    curve_bytes::Fill(s, std::vector<Byte>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_THROW(o.LoadFromStream(101, s), EReadError) << "cut at " << cut;
    unchanged("cut at " + std::to_string(cut));
  }

  // A system count that cannot fit in the bytes left is refused before any system is made.
  std::vector<Byte> huge(bytes.begin(), bytes.begin() + 33 + 4);
  Append(huge, Written([&](TStream& st) { source.Activity->SaveToStream(st); }));
  PutZeros(huge, 3 + 4 + 121);
  for (Cardinal count : {0x7FFFFFFFu, 0xFFFFFFFFu, 3u}) {
    std::vector<Byte> b = huge;
    Put32(b, count);
    Append(b, SystemRecord101(*source.Systems[0], true));
    TMemoryStream s;
    curve_bytes::Fill(s, b);
    EXPECT_THROW(o.LoadFromStream(101, s), EReadError) << count;
    unchanged("count " + std::to_string(count));
  }

  // A bad particle system record keeps the entry and its curves.
  TMemoryStream s;
  std::vector<Byte> sys = SystemRecord101(*source.Systems[0], true);
  sys.resize(sys.size() - 3);
  curve_bytes::Fill(s, sys);
  EXPECT_THROW(first->LoadFromStream(s), EReadError);
  unchanged("system record");
  EXPECT_EQ(first->System->LoopPeriod, 0);
}

// A cut anywhere in a system record (in a curve, a gradient, the map source or the fixed
// fields) leaves every part of the entry as it was, in both versions.
TEST_F(ObjectRecords, EveryCutOfASystemRecordLeavesTheEntryAsItWas) {
  TEmitterObject source;
  Fill(source);
  TEmitterObject o;
  TEmitter& e = *o.AddSystem();
  e.Name = "Mine";
  e.System->MapSource->AddMap("mine.bmp");
  const std::vector<Byte> before = Written([&](TStream& st) { e.SaveToStream(st); });
  const struct {
    std::vector<Byte> record;
    std::function<void(TStream&)> read;
  } versions[] = {
      {SystemRecord101(*source.Systems[0], true), [&](TStream& st) { e.LoadFromStream(st); }},
      {SystemRecord100(*source.Systems[0], true), [&](TStream& st) { e.LoadFromStreamV100(st); }},
  };
  for (const auto& v : versions) {
    for (std::size_t cut = 0; cut < v.record.size(); cut += cut < 100 || cut + 100 > v.record.size() ? 1 : 13) {
      TMemoryStream s;
      curve_bytes::Fill(s, std::vector<Byte>(v.record.begin(), v.record.begin() + static_cast<std::ptrdiff_t>(cut)));
      EXPECT_THROW(v.read(s), EReadError) << "cut at " << cut;
      EXPECT_EQ(Written([&](TStream& st) { e.SaveToStream(st); }), before) << "cut at " << cut;
    }
  }
}

TEST_F(ObjectRecords, AnObjectAlwaysKeepsASystem) {
  std::vector<Byte> b;
  PutShortString(b, "Empty", 32);
  Put32(b, 0);
  TEmitterObject source;
  Append(b, Written([&](TStream& st) { source.Activity->SaveToStream(st); }));
  Put8(b, 0);
  Put8(b, 0);
  Put8(b, 7);  // any Enabled byte but 0 is 1
  Put32(b, 0);
  PutZeros(b, 121);
  Put32(b, 0);
  TMemoryStream s;
  curve_bytes::Fill(s, b);
  TEmitterObject o;
  o.AddSystem();
  o.AddSystem();
  o.LoadFromStream(101, s);
  EXPECT_EQ(o.Name, "Empty");
  EXPECT_EQ(o.Enabled, 1);
  ASSERT_EQ(o.SystemCount(), 1) << "a record without systems loads with one new system";
  EXPECT_EQ(o.Systems[0]->Name, "Particles");
}

// The end of a particle system record read alone: the reserved area may be whole, cut
// or absent (it holds nothing), but a record cut before it is refused.
TEST_F(ObjectRecords, OnlyTheReservedAreaMayBeMissingAtTheEnd) {
  TEmitterObject source;
  Fill(source);
  const std::vector<Byte> whole = SystemRecord101(*source.Systems[0], false);
  const std::size_t fields = whole.size() - 112;
  const struct {
    std::size_t size;
    bool loads;
  } cases[] = {
      {whole.size(), true}, {fields + 111, true}, {fields + 1, true}, {fields, true},
      {fields - 1, false},  {fields - 4, false},  {fields - 20, false},
  };
  for (const auto& c : cases) {
    TEmitterObject o;
    TEmitter& e = *o.AddSystem();
    e.Name = "Mine";
    const std::vector<Byte> before = Written([&](TStream& st) { e.SaveToStream(st); });
    TMemoryStream s;
    curve_bytes::Fill(s, std::vector<Byte>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(c.size)));
    if (c.loads) {
      e.LoadFromStream(s);
      EXPECT_EQ(e.Name, "Sparks1") << c.size;
      EXPECT_EQ(e.System->SpatialDither, 0.25f) << c.size;
    } else {
      EXPECT_THROW(e.LoadFromStream(s), EReadError) << c.size;
      EXPECT_EQ(Written([&](TStream& st) { e.SaveToStream(st); }), before) << c.size;
    }
  }
}
