#include "engine/tool_object.h"

#include "engine/modifiers.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

namespace {

constexpr std::size_t kNameCapacity = 32;
// Period, Lives and Infinite at the start of the reserved area.
constexpr Int64 kExtraBytes = 4 + 4 + 1;

}  // namespace

const TClass& TToolObject::StaticClass() {
  static const TClass cls = TClass::Of<TToolObject>("TToolObject", TObject::StaticClass());
  return cls;
}

TToolObject::~TToolObject() { SetModifier(nullptr); }

void TToolObject::SetModifier(std::unique_ptr<TParticleModifier> AModifier) {
  if (modifier_) ModifierList().Remove(modifier_.get());
  modifier_ = std::move(AModifier);
  if (modifier_) ModifierList().Add(modifier_.get());
}

std::unique_ptr<TParticleModifier> CreateModifierOfKind(const std::string& KindName) {
  if (KindName == "Fan") return std::make_unique<TPlaneFanModifier>();
  if (KindName == "Deflector") return std::make_unique<TPlaneDeflectorModifier>();
  if (KindName == "Attractor") return std::make_unique<TAttractModifier>();
  if (KindName == "Repulsor") return std::make_unique<TRepulseModifier>();
  if (KindName == "Gravitron") return std::make_unique<TGravitronModifier>();
  return std::make_unique<TPathingModifier>();
}

void TToolObject::SaveToStream(TStream& Stream) const {
  TRecordWriter w(Stream);
  w.ShortString(Name, kNameCapacity);
  if (!modifier_) throw EWriteError("Cannot write a tool without a modifier");
  w.ShortString(modifier_->KindName, kNameCapacity);
  modifier_->SaveToStream(Stream);
  w.U8(modifier_->Enabled);
  w.I32(modifier_->Period);
  w.I32(modifier_->Lives);
  const auto* gravitron = dynamic_cast<const TGravitronModifier*>(modifier_.get());
  w.U8(gravitron ? gravitron->Infinite : 0);
  w.SkipReserved(kReservedBytes - kExtraBytes);
}

void TToolObject::LoadFromStream(Integer /*Version*/, TStream& Stream) {
  TRecordReader r(Stream);
  std::string name = r.ShortString(kNameCapacity, "tool name");
  const std::string kind = r.ShortString(kNameCapacity, "tool kind");
  std::unique_ptr<TParticleModifier> modifier = CreateModifierOfKind(kind);
  modifier->LoadFromStream(Stream);
  modifier->Enabled = r.U8("tool enabled") != 0 ? 1 : 0;
  // Records from before these fields end here or carry zeros: the defaults.
  if (r.BytesLeft() > 0) {
    const Integer period = r.I32("tool period");
    const Integer lives = r.I32("tool lives");
    const Byte infinite = r.U8("gravitron infinite");
    modifier->Period = period;
    modifier->Lives = lives;
    if (auto* gravitron = dynamic_cast<TGravitronModifier*>(modifier.get())) gravitron->Infinite = infinite ? 1 : 0;
    r.SkipReserved(kReservedBytes - kExtraBytes);
  }
  // A new modifier has no host node yet; the tool's host object stays the tool's.
  if (modifier_) modifier->Node = modifier_->Node;
  Name = std::move(name);
  SetModifier(std::move(modifier));
}
