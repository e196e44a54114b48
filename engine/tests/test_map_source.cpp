#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/bitmap32_cache.h"
#include "engine/default_image.h"
#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "engine/tests/curve_bytes.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/strings.h"
#include "engine/tests/engine_test_support.h"
#include "engine/tests/failing_allocations.h"

using namespace curve_bytes;

namespace {

void PutText(std::vector<Byte>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

// Names and option values of every entry, to compare whole sources.
struct Entry {
  std::string name;
  Single alpha;
  Byte flip;
  Single ox, oy;
  TParticleMapOptions* object;
  bool operator==(const Entry& o) const {
    return name == o.name && alpha == o.alpha && flip == o.flip && ox == o.ox && oy == o.oy;
  }
};
std::vector<Entry> EntriesOf(const TParticleMapSource& s) {
  std::vector<Entry> out;
  for (Integer i = 0; i < s.Count(); ++i) {
    TParticleMapOptions* o = s.OptionsAt(i);
    out.push_back({s.Maps().Strings(i), o->Alpha, o->Flip, o->OriginX, o->OriginY, o});
  }
  return out;
}

void SetOptions(TParticleMapOptions* o, Single alpha, Byte flip, Single ox, Single oy) {
  o->Alpha = alpha;
  o->Flip = flip;
  o->OriginX = ox;
  o->OriginY = oy;
}

class MapSource : public engine_test::CleanImageCache {};

}  // namespace

// ---- entries ------------------------------------------------------------------------------------

TEST_F(MapSource, NewSourceHoldsDefaultWithoutAskingTheHandler) {
  int calls = 0;
  OnTextureNotFound = [&](std::string&) { ++calls; };
  TParticleMapSource s;
  ASSERT_EQ(s.Count(), 1);
  EXPECT_EQ(s.Maps().Strings(0), "Default");
  const TParticleMapOptions* o = s.OptionsAt(0);
  EXPECT_EQ(o->Alpha, 0.2f);
  EXPECT_EQ(o->Flip, 0);
  EXPECT_EQ(o->OriginX, 0.5f);
  EXPECT_EQ(o->OriginY, 0.5f);
  EXPECT_EQ(s.FirstOptions(), o);
  EXPECT_EQ(s.BitmapAt(0), DefaultParticleImage());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(s.Maps().Strings(0), "Default");
}

TEST_F(MapSource, IndicesOutOfRangeTakeEntryZero) {
  TParticleMapSource s;
  s.AddMap("/no/such/one.bmp");
  s.AddMap("/no/such/two.bmp");
  ASSERT_EQ(s.Count(), 3);
  for (Integer i : {-1, -1000, 3, 4, 1 << 30}) {
    EXPECT_EQ(s.OptionsAt(i), s.OptionsAt(0)) << i;
    EXPECT_EQ(s.BitmapAt(i), DefaultParticleImage()) << i;
  }
  EXPECT_NE(s.OptionsAt(1), s.OptionsAt(0));
  EXPECT_NE(s.OptionsAt(2), s.OptionsAt(1));
  EXPECT_EQ(s.Maps().Strings(1), "/no/such/one.bmp") << "BitmapAt(-1) touched only entry 0";
}

TEST_F(MapSource, AddingAPresentNameMovesItToTheEndWithFreshOptions) {
  TParticleMapSource s;
  EXPECT_EQ(s.AddMap("a.bmp"), 1);
  EXPECT_EQ(s.AddMap("b.bmp"), 2);
  SetOptions(s.OptionsAt(1), 0.9f, 2, 0.1f, 0.2f);
  EXPECT_EQ(s.AddMap("A.BMP"), 2);
  ASSERT_EQ(s.Count(), 3);
  EXPECT_EQ(s.Maps().CommaText(), "Default,b.bmp,A.BMP");
  EXPECT_EQ(s.OptionsAt(2)->Alpha, 0.2f);
  EXPECT_EQ(s.OptionsAt(2)->Flip, 0);

  // Re-adding the only entry keeps one entry.
  TParticleMapSource t;
  SetOptions(t.OptionsAt(0), 1.0f, 1, 0, 0);
  EXPECT_EQ(t.AddMap("default"), 0);
  ASSERT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Maps().Strings(0), "default");
  EXPECT_EQ(t.OptionsAt(0)->Alpha, 0.2f);
}

TEST_F(MapSource, DeletingNeverLeavesTheSourceEmpty) {
  TParticleMapSource s;
  s.AddMap("a.bmp");
  s.AddMap("b.bmp");
  TParticleMapOptions* b = s.OptionsAt(2);
  s.DeleteMap(1);
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Maps().CommaText(), "Default,b.bmp");
  EXPECT_EQ(s.OptionsAt(1), b);

  EXPECT_THROW(s.DeleteMap(2), EListError);
  EXPECT_THROW(s.DeleteMap(-1), EListError);
  EXPECT_EQ(s.Count(), 2);

  s.DeleteMap(0);
  SetOptions(s.OptionsAt(0), 0.7f, 3, 1, 1);
  s.DeleteMap(0);
  ASSERT_EQ(s.Count(), 1);
  EXPECT_EQ(s.Maps().Strings(0), "Default");
  EXPECT_EQ(s.OptionsAt(0)->Alpha, 0.2f);
  EXPECT_EQ(s.OptionsAt(0)->Flip, 0);
}

// ---- records ------------------------------------------------------------------------------------

TEST(MapOptionsRecord, FieldsThenAnAbsentReservedBlock) {
  TParticleMapOptions o;
  SetOptions(&o, 1.0f, 3, 0.25f, -2.0f);
  TMemoryStream s;
  o.SaveToStream(s);
  EXPECT_EQ(s.Position(), 45);
  TRecordWriter(s).U8(0xAB);
  std::vector<Byte> expected = {0x00, 0x00, 0x80, 0x3F, 0x03, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0xC0};
  expected.resize(45, 0);
  expected.push_back(0xAB);
  EXPECT_EQ(BytesOf(s), expected);

  s.SetPosition(0);
  TParticleMapOptions back;
  back.LoadFromStream(s);
  EXPECT_EQ(back.Alpha, 1.0f);
  EXPECT_EQ(back.Flip, 3);
  EXPECT_EQ(back.OriginX, 0.25f);
  EXPECT_EQ(back.OriginY, -2.0f);
  EXPECT_EQ(s.Position(), 45);

  // Cut inside the fields: an error, and the options keep their values.
  for (std::size_t cut = 0; cut < 13; ++cut) {
    std::vector<Byte> part(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(cut));
    TMemoryStream t;
    Fill(t, part);
    TParticleMapOptions kept;
    EXPECT_THROW(kept.LoadFromStream(t), EReadError) << cut;
    EXPECT_EQ(kept.Alpha, 0.2f) << cut;
    EXPECT_EQ(kept.OriginX, 0.5f) << cut;
  }
}

TEST_F(MapSource, RecordLayout) {
  TParticleMapSource s;
  s.AddMap("C:\\My Maps\\smoke one.bmp");
  SetOptions(s.OptionsAt(1), 1.0f, 2, 0.25f, 1.0f);
  TMemoryStream m;
  s.SaveToStream(m);
  const std::string text = "Default,\"C:\\My Maps\\smoke one.bmp\"";
  EXPECT_EQ(m.Size(), 4 + static_cast<Int64>(text.size()) + 45 + 13) << "the last reserved block is not written";
  TRecordWriter(m).U32(0xDEADBEEF);

  std::vector<Byte> expected;
  Put32(expected, static_cast<Cardinal>(text.size()));
  PutText(expected, text);
  const Byte first[] = {0xCD, 0xCC, 0x4C, 0x3E, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x3F};
  expected.insert(expected.end(), std::begin(first), std::end(first));
  expected.resize(expected.size() + 32, 0);
  const Byte second[] = {0x00, 0x00, 0x80, 0x3F, 0x02, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x80, 0x3F};
  expected.insert(expected.end(), std::begin(second), std::end(second));
  expected.resize(expected.size() + 32, 0);
  Put32(expected, 0xDEADBEEF);
  EXPECT_EQ(BytesOf(m), expected);
}

TEST_F(MapSource, RoundTripOfAwkwardNamesAndOptions) {
  TParticleMapSource s;
  s.AddMap("/data/maps/smoke one.bmp");
  s.AddMap("comma,name.bmp");
  s.AddMap("say \"hi\".tga");
  s.AddMap("C:\\Program Files\\Host\\Quillmoth\\spark.png");
  SetOptions(s.OptionsAt(0), 0.0f, 1, 0.0f, 1.0f);
  SetOptions(s.OptionsAt(2), 1.0f, 3, 0.125f, 0.875f);
  SetOptions(s.OptionsAt(4), 0.5f, 2, 0.3f, 0.7f);

  // Followed by another field, as inside a particle system record, and alone at the end.
  for (bool trailer : {true, false}) {
    SCOPED_TRACE(trailer);
    TMemoryStream m;
    s.SaveToStream(m);
    const Int64 end = m.Position();
    if (trailer) TRecordWriter(m).I32(-7);
    m.SetPosition(0);
    TParticleMapSource back;
    back.LoadFromStream(m);
    EXPECT_EQ(EntriesOf(back), EntriesOf(s));
    if (trailer) {
      EXPECT_EQ(m.Position(), end) << "the reserved block of the last entry is passed over";
      EXPECT_EQ(TRecordReader(m).I32("trailer"), -7);
    }
  }
}

// ---- malformed records --------------------------------------------------------------------------

TEST_F(MapSource, MalformedRecordsAreRefusedAndChangeNothing) {
  TParticleMapSource s;
  s.AddMap("keep me.bmp");
  SetOptions(s.OptionsAt(1), 0.6f, 1, 0.1f, 0.9f);
  const std::vector<Entry> before = EntriesOf(s);

  auto refused = [&](const std::vector<Byte>& bytes, const char* why) {
    TMemoryStream m;
    Fill(m, bytes);
    EXPECT_THROW(s.LoadFromStream(m), EReadError) << why;
    const std::vector<Entry> after = EntriesOf(s);
    EXPECT_EQ(after, before) << why;
    for (std::size_t i = 0; i < after.size() && i < before.size(); ++i)
      EXPECT_EQ(after[i].object, before[i].object) << why << ": options objects kept";
  };

  std::vector<Byte> b;
  refused(b, "empty stream");
  b = {0x05, 0x00};
  refused(b, "short length");
  b.clear();
  Put32(b, 0xFFFFFFFF);
  PutText(b, "a.bmp");
  refused(b, "negative length");
  b.clear();
  Put32(b, 0x7FFFFFFF);
  PutText(b, "a.bmp");
  refused(b, "length beyond the bytes left");
  b.clear();
  Put32(b, 6);
  PutText(b, "a.bmp");
  refused(b, "text cut short");

  // Many names, few option bytes: refused before any options are made.
  b.clear();
  std::string many;
  for (int i = 0; i < 1000; ++i) many += (i ? "," : "") + std::string("x");
  Put32(b, static_cast<Cardinal>(many.size()));
  PutText(b, many);
  b.resize(b.size() + 45 * 10, 0);
  refused(b, "options for 10 of 1000 names");

  // Every cut of a good two-entry record inside its fields.
  TParticleMapSource good;
  good.AddMap("z.bmp");
  TMemoryStream m;
  good.SaveToStream(m);
  const std::vector<Byte> whole = BytesOf(m);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    std::vector<Byte> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    refused(part, ("cut at " + std::to_string(cut)).c_str());
  }
  TMemoryStream full;
  Fill(full, whole);
  s.LoadFromStream(full);
  EXPECT_EQ(s.Maps().CommaText(), "Default,z.bmp");
}

TEST_F(MapSource, RecordWithoutNamesLoadsAsDefault) {
  TParticleMapSource s;
  s.AddMap("a.bmp");
  std::vector<Byte> b;
  Put32(b, 0);
  Put32(b, 0x12345678);  // the next field of the enclosing record
  TMemoryStream m;
  Fill(m, b);
  s.LoadFromStream(m);
  ASSERT_EQ(s.Count(), 1);
  EXPECT_EQ(s.Maps().Strings(0), "Default");
  EXPECT_EQ(s.OptionsAt(0)->Alpha, 0.2f);
  EXPECT_EQ(m.Position(), 4) << "no options record is read for no names";
}

// Running out of memory at any allocation of a load leaves every entry and its options
// object in place; once memory suffices the new list is there whole.
TEST_F(MapSource, OutOfMemoryDuringALoadKeepsTheOldList) {
  TParticleMapSource s;
  s.AddMap("keep me.bmp");
  SetOptions(s.OptionsAt(1), 0.6f, 1, 0.1f, 0.9f);
  const std::vector<Entry> before = EntriesOf(s);

  TParticleMapSource other;
  other.AddMap("a long enough name to need its own allocation one.bmp");
  other.AddMap("a long enough name to need its own allocation two.bmp");
  SetOptions(other.OptionsAt(2), 0.5f, 2, 0.3f, 0.7f);
  TMemoryStream m;
  other.SaveToStream(m);

  bool loaded = false;
  std::size_t failures = 0;
  for (std::size_t allowed = 0; !loaded && allowed < 1000; ++allowed) {
    m.SetPosition(0);
    try {
      failing_allocations::Scope scope(allowed);
      s.LoadFromStream(m);
      loaded = !scope.Failed();
      ASSERT_TRUE(loaded) << "a refused allocation went unnoticed after " << allowed;
    } catch (const std::bad_alloc&) {
      ++failures;
      const std::vector<Entry> after = EntriesOf(s);
      ASSERT_EQ(after, before) << "failed after " << allowed << " allocations";
      for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].object, before[i].object) << "failed after " << allowed;
    }
  }
  ASSERT_TRUE(loaded);
  EXPECT_GT(failures, 3u) << "the sweep reached the list's rebuilding";
  EXPECT_EQ(EntriesOf(s), EntriesOf(other));
}
