// What every tool's modifier shares: its host node's place, axes and size, the modifier
// record, the strength jitter and the falloff.
#include <cmath>
#include <cstdint>

#include "engine/host_vectors.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"
#include "engine/random_table.h"
#include "hostbridge/vector_utils.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

const TClass& TBasicModifier::StaticClass() {
  static const TClass cls = TClass::Of<TBasicModifier>("TBasicModifier", TParticleModifier::StaticClass());
  return cls;
}

Single ModifierJitter(Single Jitter, Single Base, Single T) {
  const double e = TableRandomAtFrame(T);
  return static_cast<Single>(Base * (1 + Jitter * (2 * e - 1)));
}

TBasicModifier::TBasicModifier() {
  Enabled = 1;
  Scale = 1.0f;
  Rotation = IdentityTxmx();
  Inverse = IdentityTxmx();
}

void TBasicModifier::BeginStep() {
  strengthKnown_ = false;
  axisKnown_ = false;
  if (!Node) return;
  CtsxTxmx3f transform;
  tsxGNodeGetTransform(Node, &transform);
  tsxGetMxTranslation3f(&Position, &transform);
  CtsxVec3f scale;
  tsxUnMatrix3f(&transform, &Rotation, &scale);
  tsxInvertMx3f(&Inverse, &Rotation);
  CtsxVec3f size{0, 0, 0};
  tsxGNodeGetSize(Node, &size);
  HalfSizeX = size.x * Scale * 0.5f;
  HalfSizeY = size.y * Scale * 0.5f;
  SizeZ = size.z;
}

void TBasicModifier::FindAxis() {
  const CtsxVec3f z{0, 0, 1};
  tsxRotateVect3f(&z, &axis_, &Rotation);
  axisKnown_ = true;
}

void TBasicModifier::EndSharedApply() {
  if (!shared_) return;
  shared_ = false;
  if (!sharedUsed_.load(std::memory_order_relaxed)) return;
  Strength = sharedStrength_;
  strengthFrame_ = sharedFrame_;
  strengthKnown_ = true;
}

void TBasicModifier::FindTime(const TParticleSystem& System) {
  timeBatch_ = System.MoveBatch;
  active_ = false;
  if (!Node) return;
  time_ = ModifierTime(*this, System.CurrentTime);
  active_ = time_ >= 0;
}

// ---- the record ----------------------------------------------------------------------------

TBasicModifier::TBasicRecord TBasicModifier::ReadBasicRecord(TRecordReader& Reader) const {
  TBasicRecord record;
  record.Curves.reserve(static_cast<std::size_t>(VariableCount()));
  for (Integer i = 0; i < VariableCount(); ++i) record.Curves.push_back(TCurveRecord::Read(Reader));
  // Written as Scale; the reader has never used it.
  Reader.F32("modifier scale (unused)");
  record.Scale = Reader.F32("modifier scale");
  return record;
}

void TBasicModifier::ApplyBasicRecord(const TBasicRecord& Record) {
  for (Integer i = 0; i < VariableCount(); ++i) Record.Curves[static_cast<std::size_t>(i)].ApplyTo(*Variable(i));
  Scale = Record.Scale;
}

void TBasicModifier::WriteBasicRecord(TStream& Stream) const {
  SaveVariables(Stream);
  TRecordWriter writer(Stream);
  writer.F32(Scale);
  writer.F32(Scale);
}

void TBasicModifier::LoadFromStream(TStream& Stream) {
  TRecordReader reader(Stream);
  ApplyBasicRecord(ReadBasicRecord(reader));
}

void TBasicModifier::SaveToStream(TStream& Stream) const { WriteBasicRecord(Stream); }

void TBasicModifier::LoadWithByte(TStream& Stream, Byte& Field, const char* What) {
  TRecordReader reader(Stream);
  const TBasicRecord record = ReadBasicRecord(reader);
  const Byte value = reader.U8(What);
  ApplyBasicRecord(record);
  Field = value;
}

void TBasicModifier::SaveWithByte(TStream& Stream, Byte Field) const {
  WriteBasicRecord(Stream);
  TRecordWriter(Stream).U8(Field);
}
