#pragma once
// The tools' modifiers: a deflecting plane, a fan, an attractor and a repulsor, a
// gravitron and a leader that drags particles along its host object's path. Each reads
// its host node's place, rotation and size in BeginStep and changes one particle per
// Apply; Strength keeps the last strength computed.
//
// Modifier record (little-endian): the variable list record of the modifier's curves, a
// Single written as Scale and ignored on read, the Single Scale, then one byte for the
// deflector (Absorb), the fan, attractor, repulsor and leader (Falloff); nothing for the
// gravitron. The whole record is read and checked before the modifier changes.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/host_vectors.h"
#include "engine/particle_modifier.h"
#include "engine/particle_system.h"
#include "engine/var_series.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TRecordReader;
class TRecordWriter;

// Falloff of the fan, attractor, repulsor and leader.
inline constexpr Byte foNone = 0;
inline constexpr Byte foLinear = 1;
inline constexpr Byte foSquared = 2;

// Base x (1 + Jitter x (2e - 1)), e the random table's entry round(T) mod 512: one frame
// gives every particle the same factor.
Single ModifierJitter(Single Jitter, Single Base, Single T);

// The falloff divisor at distance D: 1 (none or an unknown falloff), D / SizeZ + 1
// (linear), its square (squared). False when it has no finite value (SizeZ 0). Inline:
// it runs for every particle a tool acts on.
inline bool FalloffDivisor(Byte Falloff, Single D, Single SizeZ, Single& Divisor) {
  if (Falloff != foLinear && Falloff != foSquared) {
    Divisor = 1;
    return true;
  }
  if (SizeZ == 0) return false;
  const Single linear = D / SizeZ + 1;
  Divisor = Falloff == foLinear ? linear : linear * linear;
  return std::isfinite(Divisor) && Divisor != 0;
}

class TBasicModifier : public TParticleModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Enabled, Scale 1.
  TBasicModifier();

  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  // Position, rotation (scale dropped), its inverse and the size of the host node;
  // nothing without a Node.
  void BeginStep() override;
  // Stores the strength worked out for a shared move if some particle asked for it.
  void EndSharedApply() override;

  // Inverse applied to (P - Position), plus Position: P in the tool's own axes; the
  // deflector also asks with the plane's place of the frame before. Inline: the fan, the
  // gravitron and the deflector ask for every particle.
  CtsxVec3f LocalPoint(const CtsxVec3f& P) const { return LocalPoint(P, Position, Inverse); }
  static CtsxVec3f LocalPoint(const CtsxVec3f& P, const CtsxVec3f& Origin, const CtsxTxmx3f& Inverse) {
    CtsxVec3f offset;
    VecSubTo(&Origin, &P, &offset);
    CtsxVec3f q;
    tsxTransformVect3f(&offset, &q, &Inverse);
    VecAddTo(&q, &Origin, &q);
    return q;
  }
  // |Q.x - Position.x| <= HalfSizeX and |Q.y - Position.y| <= HalfSizeY.
  bool InsideFootprint(const CtsxVec3f& Q) const {
    return std::fabs(Q.x - Position.x) <= HalfSizeX && std::fabs(Q.y - Position.y) <= HalfSizeY;
  }
  // Rotation applied to (0, 0, 1); worked out once after each BeginStep, as every
  // particle of a step sees the same rotation.
  const CtsxVec3f& Axis() {
    if (!axisKnown_) FindAxis();
    return axis_;
  }

  CtsxVec3f Position{};
  CtsxTxmx3f Rotation{};
  CtsxTxmx3f Inverse{};
  Single HalfSizeX = 0;
  Single HalfSizeY = 0;
  Single SizeZ = 0;
  Single Scale = 1.0f;
  Single Strength = 0;

 protected:
  // The common part of the record, read and checked; the modifier does not change.
  struct TBasicRecord {
    std::vector<TCurveRecord> Curves;
    Single Scale = 1.0f;
  };
  TBasicRecord ReadBasicRecord(TRecordReader& Reader) const;
  void ApplyBasicRecord(const TBasicRecord& Record);
  void WriteBasicRecord(TStream& Stream) const;
  // The common part followed by one byte; nothing changes unless both are read.
  void LoadWithByte(TStream& Stream, Byte& Field, const char* What);
  void SaveWithByte(TStream& Stream, Byte Field) const;
  // The modifier's time for the system's current step; false without a Node or when
  // the modifier is outside its lives. Worked out once per move of a system's particles
  // (nothing changes the node, the period or the lives while they move), afresh for a
  // call outside a move.
  bool ActiveTime(const TParticleSystem& System, Single& T) {
    if (System.MoveBatch == 0 || System.MoveBatch != timeBatch_) FindTime(System);
    T = time_;
    return active_;
  }
  // Strength := Compute(), worked out once per frame T of an advance: the curves behind
  // it are sampled by frame, the same for every particle. BeginStep forgets it.
  template <typename TCompute>
  Single StrengthAt(Single T, TCompute Compute) {
    if (shared_) {
      // Worked out beforehand; stored in Strength by EndSharedApply once some particle
      // has asked, as the first one would have on one thread.
      if (!sharedUsed_.load(std::memory_order_relaxed)) sharedUsed_.store(true, std::memory_order_relaxed);
      return sharedStrength_;
    }
    if (!strengthKnown_ || !(T == strengthFrame_)) {
      Strength = Compute();
      strengthFrame_ = T;
      strengthKnown_ = true;
    }
    return Strength;
  }
  // BeginSharedApply of a tool whose Apply changes only its particle: the step's time and
  // axis worked out, and its strength (Compute(T)) when it acts.
  template <typename TCompute>
  bool BeginShared(const TParticleSystem& System, TCompute Compute) {
    Single t;
    if (ActiveTime(System, t)) {
      Axis();
      sharedFrame_ = t;
      sharedStrength_ = Compute(t);
      sharedUsed_.store(false, std::memory_order_relaxed);
      shared_ = true;
    }
    return true;
  }

 private:
  void FindAxis();
  void FindTime(const TParticleSystem& System);

  bool shared_ = false;
  std::atomic<bool> sharedUsed_{false};
  Single sharedStrength_ = 0;
  Single sharedFrame_ = 0;

  bool strengthKnown_ = false;
  Single strengthFrame_ = 0;
  bool axisKnown_ = false;
  CtsxVec3f axis_{};
  std::uint64_t timeBatch_ = 0;
  bool active_ = false;
  Single time_ = 0;
};

// A plane that bounces particles crossing it from its normal side, or absorbs them.
class TPlaneDeflectorModifier : public TBasicModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPlaneDeflectorModifier();

  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  // Keeps the plane's place of the frame before, so that each particle's last move is
  // compared with the plane's own last move.
  void BeginStep() override;
  void Apply(TParticleSystem& System, TParticle& Particle) override;
  // Not while it absorbs: an absorbed particle leaves the system's count.
  bool BeginSharedApply(TParticleSystem& System) override;

  CtsxVec3f PreviousPosition{};
  CtsxTxmx3f PreviousInverse{};
  // The scene frame of the last BeginStep; none at first.
  Single LastFrame;
  TVarSeries* Elasticity = nullptr;
  TVarSeries* ElasticityJitter = nullptr;
  // 1: crossing particles die.
  Byte Absorb = 0;

 private:
  // The jittered elasticity at T.
  Single ElasticityAt(Single T) const;
};

// Pushes particles inside the box above its plane along its axis.
class TPlaneFanModifier : public TBasicModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPlaneFanModifier();

  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  void Apply(TParticleSystem& System, TParticle& Particle) override;
  bool BeginSharedApply(TParticleSystem& System) override;

  Byte Falloff = foNone;
  TVarSeries* Power = nullptr;
  TVarSeries* PowerJitter = nullptr;

 private:
  // The jittered power at T, before falloff and mass.
  Single PowerAt(Single T) const;
};

// Pulls particles towards its position (Sign +1).
class TAttractModifier : public TBasicModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TAttractModifier();

  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;
  void Apply(TParticleSystem& System, TParticle& Particle) override;
  bool BeginSharedApply(TParticleSystem& System) override;

  Integer Sign = 1;
  Byte Falloff = foNone;
  TVarSeries* Power = nullptr;
  TVarSeries* PowerJitter = nullptr;

 protected:
  // Strength from the power curves at T, then v x Sign x Strength / D / m with
  // v = Position - the particle's position; false (nothing to add) when the divisor or
  // the mass leave no finite result (Delta then holds no meaning). Inline, and v worked
  // out in Delta itself: it runs for every particle.
  bool PullTowards(const TParticle& Particle, Single T, CtsxVec3f& Delta) {
    VecSubTo(&Particle.Position, &Position, &Delta);
    const Single d = tsxMagnitude3f(&Delta);
    const Single strength = StrengthAt(T, [&] { return PowerAt(T); });
    Single divisor;
    if (!FalloffDivisor(Falloff, d, SizeZ, divisor)) return false;
    const Single k = static_cast<Single>(Sign) * strength / divisor / Particle.Mass;
    // A massless particle takes no force.
    if (!std::isfinite(k)) return false;
    VecMulScalar(&Delta, k);
    return true;
  }

 private:
  // The jittered power at T, before falloff and mass.
  Single PowerAt(Single T) const;
};

// Pushes particles away from its position.
class TRepulseModifier : public TAttractModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TRepulseModifier();
};

// Drags particles along the path its host object follows over the animation: a
// particle at a fraction of its life is pulled towards the path point at that fraction.
class TPathingModifier : public TAttractModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPathingModifier();

  // Samples the host object's position at every frame from its first to its last key;
  // leaves the object at the last frame.
  void Prepare() override;
  void Apply(TParticleSystem& System, TParticle& Particle) override;
  // Never: Apply moves the pull's centre for each particle, and the next particle starts
  // from where the last one left it.
  bool BeginSharedApply(TParticleSystem&) override { return false; }

  Integer PathLength = 0;
  std::vector<CtsxVec3f> Path;
};

// Accelerates particles inside its footprint (or everywhere) along its axis, with a
// strength that grows with its height.
class TGravitronModifier : public TBasicModifier {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TGravitronModifier();

  void Apply(TParticleSystem& System, TParticle& Particle) override;
  bool BeginSharedApply(TParticleSystem& System) override;

  TVarSeries* Power = nullptr;
  TVarSeries* PowerJitter = nullptr;
  // 1: no footprint test.
  Byte Infinite = 0;

 private:
  // The jittered power at T, before mass.
  Single PowerAt(Single T) const;
};
