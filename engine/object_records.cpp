// The emitter object record and the particle system record, read and written field by
// field. Readers read into a new object and change the caller's only when the whole
// record was good.
#include "engine/object_records.h"

#include "engine/color_series.h"
#include "engine/emitter_object.h"
#include "engine/particle_map_source.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

namespace {

constexpr Int64 kMinCurveBytes = TCurveRecord::kHeaderBytes + TCurveRecord::kKeyBytes;
constexpr Int64 kMinGradientBytes = TColorSeries::kHeaderBytes + TColorSeries::kKeyBytes;
// The map source's text length; no names is a valid record.
constexpr Int64 kMinMapSourceBytes = 4;
// LoopPeriod to ColorMode: six i32, Enabled, the name, Radius, Shape, ColorMode.
constexpr Int64 kFixedBytes100 = 6 * 4 + 1 + 33 + 4 + 4 + 4;
// FocusShape, BaseColorMode, MaxPixelSize, SpatialDither.
constexpr Int64 kFixedBytes101 = kFixedBytes100 + 4 * 4;

bool IsKnownVersion(Integer Version) { return Version == kRecordVersion100 || Version == kRecordVersion101; }

void RequireKnownVersion(Integer Version, const char* What) {
  if (!IsKnownVersion(Version))
    throw EReadError(Format("Unknown %s version %d", std::string(What), Version));
}

Byte ReadFlag(TRecordReader& r, std::string_view what) { return r.U8(what) != 0 ? 1 : 0; }

void WriteSystemRecord(const TEmitter& E, TStream& Stream) {
  TRecordWriter w(Stream);
  const TParticleSystem& s = *E.System;
  const TParticleEmitter& e = *E.Emitter;
  s.SaveVariables(Stream);
  e.SaveVariables(Stream);
  s.BaseColor->SaveToStream(Stream);
  s.ParticleColor->SaveToStream(Stream);
  s.MapSource->SaveToStream(Stream);
  w.I32(s.LoopPeriod);
  w.I32(s.LoopCount);
  w.I32(s.RenderMode);
  w.I32(s.MapMode);
  w.I32(s.MapCycle);
  w.I32(s.FixedMapIndex);
  w.U8(E.Enabled);
  w.ShortString(E.Name, kObjectNameCapacity);
  w.F32(e.Radius);
  w.I32(e.Shape);
  w.I32(s.ColorMode);
  w.I32(e.FocusShape);
  w.I32(s.BaseColorMode);
  w.I32(s.MaxPixelSize);
  w.F32(s.SpatialDither);
  w.SkipReserved(kSystemReserved101);
}

// Reads into E in place; a failure may leave E half read, so callers read into an
// entry that is theirs alone first.
void ReadSystemRecord(TEmitter& E, TStream& Stream, Integer Version) {
  TRecordReader r(Stream);
  TParticleSystem& s = *E.System;
  TParticleEmitter& e = *E.Emitter;
  const bool v101 = Version == kRecordVersion101;
  s.LoadVariables(Stream);
  e.LoadVariables(Stream);
  if (v101) s.BaseColor->LoadFromStream(Stream);
  s.ParticleColor->LoadFromStream(Stream);
  s.MapSource->LoadFromStream(Stream);
  s.LoopPeriod = r.I32("loop period");
  s.LoopCount = r.I32("loop count");
  s.RenderMode = r.I32("render mode");
  s.MapMode = r.I32("map mode");
  s.MapCycle = r.I32("map cycle");
  s.FixedMapIndex = r.I32("fixed map index");
  E.Enabled = ReadFlag(r, "system enabled");
  E.Name = r.ShortString(kObjectNameCapacity, "system name");
  e.Radius = r.F32("emitter radius");
  e.Shape = r.I32("emitter shape");
  s.ColorMode = r.I32("colour mode");
  if (v101) {
    e.FocusShape = r.I32("focus shape");
    s.BaseColorMode = r.I32("base colour mode");
    s.MaxPixelSize = MaxPixelSizeFromRecord(r.I32("maximum pixel size"));
    s.SpatialDither = r.F32("spatial dither");
    r.SkipReserved(kSystemReserved101);
  } else {
    r.SkipReserved(kSystemReserved100);
  }
}

void LoadSystem(TEmitter& E, TStream& Stream, Integer Version) {
  const Int64 start = Stream.Position();
  {
    TEmitter probe(nullptr);
    ReadSystemRecord(probe, Stream, Version);
  }
  // The record is good: the same bytes again, into the entry itself, so that its
  // system, emitter and curves stay the objects the editor shows.
  Stream.SetPosition(start);
  ReadSystemRecord(E, Stream, Version);
}

}  // namespace

Int64 MinSystemRecordBytes(Integer Version) {
  static const Int64 curveBytes = [] {
    TParticleSystem system;
    TParticleEmitter emitter;
    return static_cast<Int64>(system.VariableCount() + emitter.VariableCount()) * kMinCurveBytes;
  }();
  if (Version == kRecordVersion100) return curveBytes + kMinGradientBytes + kMinMapSourceBytes + kFixedBytes100;
  return curveBytes + 2 * kMinGradientBytes + kMinMapSourceBytes + kFixedBytes101;
}

Integer MaxPixelSizeFromRecord(Integer Stored) {
  if (Stored < kMinMaxPixelSize) return kDefaultMaxPixelSize;
  if (Stored > kMaxMaxPixelSize) return kMaxMaxPixelSize;
  return Stored;
}

// ---- TEmitter ----

void TEmitter::SaveToStream(TStream& Stream) const { WriteSystemRecord(*this, Stream); }

void TEmitter::LoadFromStream(TStream& Stream) { LoadSystem(*this, Stream, kRecordVersion101); }

void TEmitter::LoadFromStreamV100(TStream& Stream) { LoadSystem(*this, Stream, kRecordVersion100); }

// ---- TEmitterObject ----

void TEmitterObject::SaveToStream(TStream& Stream) const {
  TRecordWriter w(Stream);
  w.ShortString(Name, kObjectNameCapacity);
  w.I32(StartOffset);
  Activity->SaveToStream(Stream);
  w.U8(RateSizeScale);
  w.U8(SpeedLifeGravityScale);
  w.U8(Enabled);
  w.I32(FreezeFrame);
  w.SkipReserved(kEmitterReserved101);
  w.I32(SystemCount());
  for (const auto& entry : Systems) WriteSystemRecord(*entry, Stream);
}

void TEmitterObject::LoadFromStream(Integer Version, TStream& Stream) {
  RequireKnownVersion(Version, "emitter object");
  TRecordReader r(Stream);
  TEmitterObject fresh;
  fresh.Name = r.ShortString(kObjectNameCapacity, "emitter name");
  fresh.StartOffset = r.I32("start offset");
  const TCurveRecord activity = TCurveRecord::Read(r);
  fresh.RateSizeScale = r.U8("rate and size scale");
  fresh.SpeedLifeGravityScale = r.U8("speed, life and gravity scale");
  if (Version == kRecordVersion101) {
    fresh.Enabled = ReadFlag(r, "emitter enabled");
    fresh.FreezeFrame = r.I32("freeze frame");
    r.SkipReserved(kEmitterReserved101);
  } else {
    fresh.Enabled = Enabled;
    fresh.FreezeFrame = FreezeFrame;
    r.SkipReserved(kEmitterReserved100);
  }
  const Integer count = r.ReadCount("system count", MinSystemRecordBytes(Version));
  for (Integer i = 0; i < count; ++i) ReadSystemRecord(*fresh.AddSystem(), Stream, Version);
  // The editor relies on every emitter object having a system.
  if (fresh.Systems.empty()) fresh.AddSystem();

  activity.ApplyTo(*Activity);
  Name = std::move(fresh.Name);
  StartOffset = fresh.StartOffset;
  RateSizeScale = fresh.RateSizeScale;
  SpeedLifeGravityScale = fresh.SpeedLifeGravityScale;
  Enabled = fresh.Enabled;
  FreezeFrame = fresh.FreezeFrame;
  Systems.swap(fresh.Systems);
  for (auto& entry : Systems) entry->Owner = this;
  // fresh frees the systems this object had.
}
