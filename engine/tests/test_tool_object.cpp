// The tool record: its layout, the kinds it creates, the lifespan settings kept in its
// reserved area, and bad records that must leave the tool as it was.
#include <gtest/gtest.h>

#include "engine/modifiers.h"
#include "engine/tests/curve_bytes.h"
#include "engine/tool_object.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"
#include "platform/host/host.h"

using namespace curve_bytes;

namespace {

std::vector<Byte> ModifierBytes(const TParticleModifier& m) {
  return Written([&](TStream& s) { m.SaveToStream(s); });
}

// A tool record up to and including the Enabled byte.
std::vector<Byte> RecordHead(const std::string& name, const std::string& kind, const TParticleModifier& m,
                             Byte enabled) {
  std::vector<Byte> out;
  PutShortString(out, name, 32);
  PutShortString(out, kind, 32);
  const std::vector<Byte> body = ModifierBytes(m);
  out.insert(out.end(), body.begin(), body.end());
  Put8(out, enabled);
  return out;
}

bool InModifierList(TParticleModifier* m) { return ModifierList().IndexOf(m) >= 0; }

class ToolRecords : public ::testing::Test {
 protected:
  void SetUp() override { host::Reset(); }
};

}  // namespace

TEST_F(ToolRecords, WritesTheLayoutWithLifespanInTheReservedArea) {
  TToolObject t;
  t.Name = "Pull";
  auto gravitron = std::make_unique<TGravitronModifier>();
  gravitron->Period = 24;
  gravitron->Lives = 3;
  gravitron->Infinite = 1;
  gravitron->Enabled = 1;
  t.SetModifier(std::move(gravitron));

  std::vector<Byte> expected = RecordHead("Pull", "Gravitron", *t.Modifier(), 1);
  Put32(expected, 24);
  Put32(expected, 3);
  Put8(expected, 1);  // the remaining 119 reserved bytes are absent at the end
  TMemoryStream s;
  t.SaveToStream(s);
  EXPECT_EQ(BytesOf(s), expected);

  s.SetPosition(0);
  TToolObject back;
  back.LoadFromStream(100, s);
  auto* read = dynamic_cast<TGravitronModifier*>(back.Modifier());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(back.Name, "Pull");
  EXPECT_EQ(read->Period, 24);
  EXPECT_EQ(read->Lives, 3);
  EXPECT_EQ(read->Infinite, 1);
  EXPECT_EQ(read->Enabled, 1);
  EXPECT_TRUE(InModifierList(read));
}

TEST_F(ToolRecords, OlderRecordsReadTheDefaults) {
  TPlaneFanModifier fan;
  // Ending after Enabled (reserved area absent), and with the 128 zero bytes present.
  const std::vector<Byte> head = RecordHead("Fan 1", "Fan", fan, 1);
  std::vector<Byte> zeros = head;
  zeros.insert(zeros.end(), 128, 0);
  for (const auto& bytes : {head, zeros}) {
    TMemoryStream s;
    Fill(s, bytes);
    TToolObject t;
    t.LoadFromStream(100, s);
    ASSERT_NE(dynamic_cast<TPlaneFanModifier*>(t.Modifier()), nullptr);
    EXPECT_EQ(t.Modifier()->Period, 0);
    EXPECT_EQ(t.Modifier()->Lives, 0);
    EXPECT_EQ(s.Position(), static_cast<Int64>(bytes.size()));
  }
}

TEST_F(ToolRecords, KindNamesPickTheModifierClass) {
  TAttractModifier body;  // the attractor's record suits every kind but the gravitron
  const std::pair<const char*, const TClass*> kinds[] = {
      {"Fan", &TPlaneFanModifier::StaticClass()},        {"Deflector", &TPlaneDeflectorModifier::StaticClass()},
      {"Attractor", &TAttractModifier::StaticClass()},   {"Repulsor", &TRepulseModifier::StaticClass()},
      {"Leader", &TPathingModifier::StaticClass()},      {"Whirlwind", &TPathingModifier::StaticClass()},
      {"fan", &TPathingModifier::StaticClass()},  // the comparison is exact
  };
  for (const auto& [kind, cls] : kinds) {
    TMemoryStream s;
    Fill(s, RecordHead("T", kind, body, 0));
    TToolObject t;
    t.LoadFromStream(100, s);
    ASSERT_NE(t.Modifier(), nullptr) << kind;
    EXPECT_EQ(&t.Modifier()->ClassType(), cls) << kind;
  }
}

TEST_F(ToolRecords, BadRecordsKeepTheToolAndTheListTidy) {
  TToolObject t;
  t.Name = "Mine";
  t.SetModifier(std::make_unique<TRepulseModifier>());
  TParticleModifier* mine = t.Modifier();
  const Integer listed = ModifierList().Count();

  TPlaneDeflectorModifier deflector;
  std::vector<Byte> full = RecordHead("Other", "Deflector", deflector, 1);
  Put32(full, 5);
  Put32(full, 2);
  Put8(full, 0);
  // Every cut short of the Enabled byte, and cuts inside the lifespan fields.
  const std::size_t enabledAt = full.size() - 10;
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    if (cut == enabledAt + 1) continue;  // ends after Enabled: an older record, valid
    TMemoryStream s;
    Fill(s, std::vector<Byte>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_THROW(t.LoadFromStream(100, s), EReadError) << "cut at " << cut;
    EXPECT_EQ(t.Name, "Mine");
    EXPECT_EQ(t.Modifier(), mine);
    EXPECT_EQ(ModifierList().Count(), listed) << "no half-read modifier stays in the list";
  }

  // A good record replaces the modifier in the list.
  TMemoryStream s;
  Fill(s, full);
  t.LoadFromStream(100, s);
  EXPECT_EQ(t.Name, "Other");
  EXPECT_FALSE(InModifierList(mine));
  EXPECT_TRUE(InModifierList(t.Modifier()));
  EXPECT_EQ(ModifierList().Count(), listed);
  EXPECT_EQ(t.Modifier()->Period, 5);
  EXPECT_EQ(t.Modifier()->Lives, 2);
}

TEST_F(ToolRecords, DestroyingAToolTakesItsModifierOutOfTheList) {
  const Integer before = ModifierList().Count();
  TParticleModifier* m = nullptr;
  {
    TToolObject t;
    t.SetModifier(std::make_unique<TPlaneFanModifier>());
    m = t.Modifier();
    EXPECT_TRUE(InModifierList(m));
    EXPECT_EQ(ModifierList().Count(), before + 1);
  }
  EXPECT_EQ(ModifierList().Count(), before);
  EXPECT_FALSE(InModifierList(m));
}
