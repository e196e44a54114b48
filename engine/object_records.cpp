// The emitter object record and the particle system record, read and written field by
// field. Readers read the whole record into plain values first and change the caller's
// object only when it was good.
#include "engine/object_records.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

// The curves of a particle system and of its emitter, as their records hold them.
struct TCurveCounts {
  std::size_t System = 0;
  std::size_t Emitter = 0;
};

const TCurveCounts& CurveCounts() {
  static const TCurveCounts counts = [] {
    TParticleSystem system;
    TParticleEmitter emitter;
    return TCurveCounts{static_cast<std::size_t>(system.VariableCount()),
                        static_cast<std::size_t>(emitter.VariableCount())};
  }();
  return counts;
}

// A particle system record read and checked whole into plain values: no system is
// made for a record that turns out bad, and the entry changes only after.
struct TSystemRecord {
  bool V101 = false;
  std::vector<TCurveRecord> SystemCurves;
  std::vector<TCurveRecord> EmitterCurves;
  TGradientRecord BaseColor;  // version 101 only
  TGradientRecord ParticleColor;
  TMapSourceRecord MapSource;
  Integer LoopPeriod = 0, LoopCount = 0, RenderMode = 0, MapMode = 0, MapCycle = 0, FixedMapIndex = 0;
  Byte Enabled = 0;
  std::string Name;
  Single Radius = 0;
  Integer Shape = 0, ColorMode = 0;
  // Version 101 only.
  Integer FocusShape = 0, BaseColorMode = 0, MaxPixelSize = 0;
  Single SpatialDither = 0;

  static TSystemRecord Read(TStream& Stream, Integer Version) {
    TRecordReader r(Stream);
    TSystemRecord f;
    f.V101 = Version == kRecordVersion101;
    f.SystemCurves = TVariableSystem::ReadVariables(r, CurveCounts().System);
    f.EmitterCurves = TVariableSystem::ReadVariables(r, CurveCounts().Emitter);
    if (f.V101) f.BaseColor = TGradientRecord::Read(r);
    f.ParticleColor = TGradientRecord::Read(r);
    f.MapSource = TMapSourceRecord::Read(r);
    f.LoopPeriod = r.I32("loop period");
    f.LoopCount = r.I32("loop count");
    f.RenderMode = r.I32("render mode");
    f.MapMode = r.I32("map mode");
    f.MapCycle = r.I32("map cycle");
    f.FixedMapIndex = r.I32("fixed map index");
    f.Enabled = ReadFlag(r, "system enabled");
    f.Name = r.ShortString(kObjectNameCapacity, "system name");
    f.Radius = r.F32("emitter radius");
    f.Shape = r.I32("emitter shape");
    f.ColorMode = r.I32("colour mode");
    if (f.V101) {
      f.FocusShape = r.I32("focus shape");
      f.BaseColorMode = r.I32("base colour mode");
      f.MaxPixelSize = MaxPixelSizeFromRecord(r.I32("maximum pixel size"));
      f.SpatialDither = r.F32("spatial dither");
      r.SkipReserved(kSystemReserved101);
    } else {
      r.SkipReserved(kSystemReserved100);
    }
    return f;
  }

  // Version 100 leaves what it does not hold as the entry had it.
  void MoveTo(TEmitter& E) {
    TParticleSystem& s = *E.System;
    TParticleEmitter& e = *E.Emitter;
    s.ApplyVariables(SystemCurves);
    e.ApplyVariables(EmitterCurves);
    if (V101) BaseColor.ApplyTo(*s.BaseColor);
    ParticleColor.ApplyTo(*s.ParticleColor);
    MapSource.MoveTo(*s.MapSource);
    s.LoopPeriod = LoopPeriod;
    s.LoopCount = LoopCount;
    s.RenderMode = RenderMode;
    s.MapMode = MapMode;
    s.MapCycle = MapCycle;
    s.FixedMapIndex = FixedMapIndex;
    E.Enabled = Enabled;
    E.Name = std::move(Name);
    e.Radius = Radius;
    e.Shape = Shape;
    s.ColorMode = ColorMode;
    if (V101) {
      e.FocusShape = FocusShape;
      s.BaseColorMode = BaseColorMode;
      s.MaxPixelSize = MaxPixelSize;
      s.SpatialDither = SpatialDither;
    }
  }
};

}  // namespace

Int64 MinSystemRecordBytes(Integer Version) {
  const Int64 curveBytes = static_cast<Int64>(CurveCounts().System + CurveCounts().Emitter) * kMinCurveBytes;
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

void TEmitter::LoadFromStream(TStream& Stream) { TSystemRecord::Read(Stream, kRecordVersion101).MoveTo(*this); }

void TEmitter::LoadFromStreamV100(TStream& Stream) { TSystemRecord::Read(Stream, kRecordVersion100).MoveTo(*this); }

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
  std::string name = r.ShortString(kObjectNameCapacity, "emitter name");
  const Integer startOffset = r.I32("start offset");
  const TCurveRecord activity = TCurveRecord::Read(r);
  const Byte rateSizeScale = r.U8("rate and size scale");
  const Byte speedLifeGravityScale = r.U8("speed, life and gravity scale");
  Byte enabled = Enabled;
  Integer freezeFrame = FreezeFrame;
  if (Version == kRecordVersion101) {
    enabled = ReadFlag(r, "emitter enabled");
    freezeFrame = r.I32("freeze frame");
    r.SkipReserved(kEmitterReserved101);
  } else {
    r.SkipReserved(kEmitterReserved100);
  }
  const Integer count = r.ReadCount("system count", MinSystemRecordBytes(Version));
  std::vector<TSystemRecord> records;
  records.reserve(static_cast<std::size_t>(count));
  for (Integer i = 0; i < count; ++i) records.push_back(TSystemRecord::Read(Stream, Version));

  // Every record is good: the systems are made only now, each new, so that what a
  // version-100 record does not hold keeps a new system's value.
  std::vector<std::unique_ptr<TEmitter>> systems;
  systems.reserve(std::max<std::size_t>(records.size(), 1));
  for (TSystemRecord& record : records) {
    systems.push_back(std::make_unique<TEmitter>(this));
    record.MoveTo(*systems.back());
  }
  // The editor relies on every emitter object having a system.
  if (systems.empty()) systems.push_back(std::make_unique<TEmitter>(this));

  activity.ApplyTo(*Activity);
  Name = std::move(name);
  StartOffset = startOffset;
  RateSizeScale = rateSizeScale;
  SpeedLifeGravityScale = speedLifeGravityScale;
  Enabled = enabled;
  FreezeFrame = freezeFrame;
  // The systems this object had are freed here.
  Systems.swap(systems);
}
