#pragma once
// TParticleSystem: the particles of one emission, the curves that shape them over their
// life, their colour gradients and images, and the fixed-step simulation that gives
// birth to particles, moves them, lets the tools act on them and lets them die.
//
// Curves, in creation (and stream) order, sampled at the particle's life percentage
// unless said: Size, Speed, Orientation, Gravity, Alpha, Intensity, Visibility (a step
// curve), Flow (over the loop time) and Flow Jitter (streamed, not simulated).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/particle.h"
#include "engine/variable_system.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TBitmap32;
class TColorSeries;
class TParticleMapOptions;
class TParticleMapSource;
class TParticleModifier;
class TParticleSystem;

// What a system needs of the emitter entry that owns it.
class TParticleSystemOwner {
 public:
  virtual ~TParticleSystemOwner() = default;
  // Before every advance: the particle emitter's previous and current matrices and the
  // system's scale factors from the host node.
  virtual void UpdateTransform() = 0;
  // The host node of the emitter object, null without one.
  virtual tsxGNODE* OwnerNode() const = 0;
  // A random point on the surfaces near the emitter object, with the face normal there;
  // false when there is none.
  virtual bool RandomSurfacePoint(CtsxVec3f& Point, CtsxVec3f& Normal) = 0;
};

// Fills a particle that was just born (Template copied, Alive, Birth and Slot set).
using TInitParticleEvent = std::function<void(TParticleSystem& System, TParticle& Particle)>;

// MapMode.
inline constexpr Integer mmFixed = 0;
inline constexpr Integer mmRandom = 1;
inline constexpr Integer mmCycle = 2;
// ColorMode and BaseColorMode: 1 picks a random position of the gradient at birth.
inline constexpr Integer cmRandomColor = 1;

class TParticleSystem : public TVariableSystem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TParticleSystem();
  ~TParticleSystem() override;

  // No particles, CurrentTime -1, no carry.
  void Reset();
  // Updates the owner's transforms and gathers the tools (each one's BeginStep), then
  // steps forward to frame T in steps of TimeStep. Backwards then beeps and steps nothing.
  void Advance(Single T);

  // (CurrentTime - Birth) / Lifespan; 0 for a particle without a lifespan.
  Single LifeFraction(Integer Index) const;
  Single LifeFraction(const TParticle& Particle) const {
    // A particle given no lifespan is in its birth step (the next kill removes it); 0
    // keeps its curves finite.
    if (Particle.Lifespan == 0) return 0;
    return (CurrentTime - Particle.Birth) / Particle.Lifespan;
  }
  // CurrentTime - Birth.
  Single Age(Integer Index) const;
  // 100 x LifeFraction: the X of the life curves.
  Single LifePercent(const TParticle& Particle) const { return 100 * LifeFraction(Particle); }

  // The particle's image: its own index, or in cycle mode the index moved on by one
  // image every MapCycle frames of its age.
  Integer ImageIndex(Integer Index);
  TBitmap32* ImageFor(Integer Index);
  // What the renderer draws: Alpha(L) x particle alpha; the particle colour (or the
  // particle-colour gradient at L) times Intensity(L); Size(L) x particle size; the
  // options of the particle's image.
  void GetRenderParams(Integer Index, Single& AAlpha, TColorRGBA& AColor, Single& ASize,
                       TParticleMapOptions*& Options);

  // ---- curves (owned by the variable list) ----
  TVarSeries* Size = nullptr;
  TVarSeries* Speed = nullptr;
  TVarSeries* Orientation = nullptr;
  TVarSeries* Gravity = nullptr;
  TVarSeries* Alpha = nullptr;
  TVarSeries* Intensity = nullptr;
  TVarSeries* Visibility = nullptr;
  TVarSeries* Flow = nullptr;
  TVarSeries* FlowJitter = nullptr;

  // ---- settings ----
  std::unique_ptr<TColorSeries> BaseColor;
  std::unique_ptr<TColorSeries> ParticleColor;
  // Frames of the emission loop; 0 = no loop.
  Integer LoopPeriod = 0;
  // Loops; 0 = endless.
  Integer LoopCount = 0;
  Integer MapMode = mmFixed;
  // Frames per image in cycle mode.
  Integer MapCycle = 0;
  Integer FixedMapIndex = 0;
  Integer RenderMode = 0;
  Integer ColorMode = 0;
  Integer BaseColorMode = 0;
  Integer MaxPixelSize = 2048;
  Single SpatialDither = 0;
  std::unique_ptr<TParticleMapSource> MapSource;
  Single TimeStep = 1.0f;
  // Copied into every new particle before its init handler runs.
  TParticle Template{};

  // ---- set by the owner before each advance ----
  Single RateScale = 1.0f;
  Single SpeedScale = 1.0f;
  Single GravityScale = 1.0f;
  Single LifespanScale = 1.0f;
  Single SizeScale = 1.0f;

  // ---- simulation state ----
  Integer AliveCount = 0;
  Single LoopTime = 0;
  Single CurrentTime = -1;
  // The fraction of a particle owed to the next step.
  Single Carry = 0;
  // Only grows; free slots (Alive 0) are reused.
  std::vector<TParticle> Particles;
  TParticleSystemOwner* Owner = nullptr;
  // The modifiers gathered for the advance that is running; empty otherwise.
  std::vector<TParticleModifier*> ActiveModifiers;
  TInitParticleEvent OnInitParticle;
  // Non-zero only while an emission runs, a number no other emission of the process
  // has: births of one emission may share what cannot change during it (curves at the
  // loop time, the owner's transforms).
  std::uint64_t BirthBatch = 0;
  // Non-zero only while the particles of one step move, a number no other move of the
  // process has: a tool keeps under it what every particle of the step shares (its time
  // and whether it acts).
  std::uint64_t MoveBatch = 0;
  // Worker threads (the process's move team) that share a step's kill and move while a
  // tool acts and every floating-point exception is masked: -1 all of them from
  // kMinSharedMove slots on, 0 none, n up to n whatever the size. The particles, the
  // count, the generator and the tools end bit for bit as on one thread.
  Integer MoveWorkers = -1;
  static constexpr std::size_t kMinSharedMove = 4096;

 private:
  void GatherModifiers();
  void UpdateLoopTime();
  // Returns the lowest free slot after the kill (the array's length for none).
  std::size_t Kill();
  // Births into the free slots from FirstFree on.
  void Emit(std::size_t FirstFree);
  // The move's three curves at the life percentages (their bits) met in one step, in a
  // small table indexed by a hash of the bits: particles born in one step share one,
  // their slots lie scattered, and a curve's value at one point cannot change during a
  // step.
  struct TMoveCurves {
    struct TEntry {
      std::uint64_t LifeBits = 0;
      bool Known = false;
      double Orientation = 0, Speed = 0, Gravity = 0;
    };
    static constexpr int kBits = 7;
    std::array<TEntry, std::size_t{1} << kBits> Entries{};
  };
  // Slots are counted by blocks for a shared move: the live particles of each block after
  // kill and births (kill counts the survivors, emission the births), so that each block
  // of a shared move knows, without a walk, how many draws the blocks before it make.
  static constexpr std::size_t kMoveBlock = 256;
  // The workers this step's move may share out to; 0 for none.
  unsigned SharedMoveWorkers() const;
  // Kill on the workers too, a block at a time; block counts kept.
  std::size_t KillShared();
  void Move();
  // False (nothing moved) when the move stays on one thread.
  bool MoveShared(std::size_t End, unsigned Workers);
  // Moves the live particles of slots [Begin, End), drawing from Seed; the SSE flags are
  // cleared before the particle in slot Last - 1 (the last live one).
  void MoveRange(std::size_t Begin, std::size_t End, std::size_t Last, TMoveCurves& Curves, Cardinal& Seed);
  void MoveParticle(TParticle& P, TMoveCurves& Curves, Cardinal& Seed);
  const TParticle& At(Integer Index) const;

  // The workers of the step under way (0: one thread, no block counts kept).
  unsigned stepWorkers_ = 0;
  std::vector<Cardinal> blockAlive_;
};

// Velocity (r/10, r/10, 0.1) and Acceleration (0, 0, -0.001): the init handler of a
// system without an emitter.
void DefaultInitParticle(TParticleSystem& System, TParticle& Particle);

// (cos phi sin theta, sin phi sin theta, cos theta).
void SphericalToVector(CtsxVec3f& Out, Single Phi, Single Theta);
// Base x (1 + Variation x (2r - 1)), one draw of the process-wide generator.
Single RandomVariation(Single Variation, Single Base);
// (2r - 1) x Scale x Variation, one draw.
Single RandomOffset(Single Variation, Single Scale);

// Runs Prepare of every enabled modifier of the global list (before a preview).
void BeginStepAllModifiers();
