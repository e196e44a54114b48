// The simulation step of a particle system: gather the tools, then per step update the
// loop time, kill, emit and move.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

#include "engine/host_vectors.h"
#include "engine/move_team.h"
#include "engine/particle_modifier.h"
#include "engine/particle_system.h"
#include "hostbridge/fpu_state.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/random.h"
#include "platform/win/services.h"

namespace {

// Slots are numbered with an i32.
constexpr double kMaxSlots = std::numeric_limits<Integer>::max();
// A jump further than this in one advance is taken as this many steps.
constexpr double kMaxSteps = std::numeric_limits<Integer>::max();

// Numbers a batch (an emission, a move) for as long as the scope lasts with a number no
// other batch of the process has; 0 again after it.
class BatchScope {
 public:
  explicit BatchScope(std::uint64_t& batch) : batch_(batch) {
    static std::uint64_t last = 0;
    batch_ = ++last;
  }
  ~BatchScope() { batch_ = 0; }
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;

 private:
  std::uint64_t& batch_;
};

// Whether every x87 and SSE floating-point exception is masked on this thread.
bool AllFpExceptionsMasked() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short x87 = 0;
  __asm__ volatile("fnstcw %0" : "=m"(x87));
  constexpr unsigned short kX87Masks = 0x3F;
  constexpr unsigned kSseMasks = 0x1F80;
  return (x87 & kX87Masks) == kX87Masks && (_mm_getcsr() & kSseMasks) == kSseMasks;
#else
  return false;
#endif
}

// The host node's top-level ancestor; null for none.
tsxGNODE* RootOf(tsxGNODE* node) { return node ? tsxGNodeGetRoot(node) : nullptr; }

}  // namespace

void TParticleSystem::Advance(Single T) {
  // The owner's transforms and the tools' step updates run whatever T is: a tool's
  // per-frame state follows the frame asked for, not only the frames simulated.
  if (Owner) Owner->UpdateTransform();
  // The gathered list is valid for this advance only, also when a step fails; clear()
  // keeps its storage for the next advance.
  struct ReleaseModifiers {
    std::vector<TParticleModifier*>& list;
    ~ReleaseModifiers() { list.clear(); }
  } release{ActiveModifiers};
  GatherModifiers();

  if (T < CurrentTime) {
    // A system runs only forward.
    win::MessageBeep(0);
    return;
  }
  // Equal times, a NaN, or a step that would never reach T: nothing to do.
  if (!(T > CurrentTime) || !(TimeStep > 0)) return;

  const double steps = std::nearbyint((static_cast<double>(T) - CurrentTime) / TimeStep);
  if (steps >= 1) {
    // Workers that will share the work wake now, and rest when it is done.
    const unsigned workers = SharedMoveWorkers();
    const bool shared = workers > 0;
    if (shared) MoveTeam().Rouse(workers);
    struct Rest {
      bool shared;
      ~Rest() {
        if (shared) MoveTeam().Rest();
      }
    } rest{shared};
    const Int64 n = static_cast<Int64>(std::min(steps, kMaxSteps));
    for (Int64 i = 0; i < n; ++i) {
      CurrentTime += TimeStep;
      stepWorkers_ = SharedMoveWorkers();
      UpdateLoopTime();
      const std::size_t firstFree = stepWorkers_ > 0 ? KillShared() : Kill();
      if (LoopTime >= 0) Emit(firstFree);
      Move();
    }
  }
}

void TParticleSystem::GatherModifiers() {
  ActiveModifiers.clear();
  TList& list = ModifierList();
  tsxGNODE* ownRoot = RootOf(Owner ? Owner->OwnerNode() : nullptr);
  for (Integer i = 0; i < list.Count(); ++i) {
    auto* modifier = static_cast<TParticleModifier*>(list.Items(i));
    if (!modifier || !modifier->Enabled) continue;
    tsxGNODE* node = modifier->Node;
    tsxGNODE* root = RootOf(node);
    if (node && root != node && root != ownRoot) continue;
    ActiveModifiers.push_back(modifier);
    modifier->BeginStep();
  }
}

void TParticleSystem::UpdateLoopTime() {
  if (LoopPeriod >= 1) {
    const double k = std::trunc(static_cast<double>(CurrentTime) / LoopPeriod);
    LoopTime = static_cast<Single>(CurrentTime - k * LoopPeriod);
    if (LoopCount >= 1 && LoopCount < k + 1) LoopTime = -1;
  } else {
    LoopTime = CurrentTime;
  }
}

std::size_t TParticleSystem::KillShared() {
  const std::size_t blocks = (Particles.size() + kMoveBlock - 1) / kMoveBlock;
  blockAlive_.assign(blocks, 0);
  // Each block's deaths and lowest free slot, written once by whichever thread took it.
  struct TBlockKill {
    Integer Deaths = 0;
    std::size_t FirstFree = 0;
  };
  std::vector<TBlockKill> kills(blocks);
  std::atomic<std::size_t> next{0};
  const std::function<void()> job = [&] {
    for (std::size_t block; (block = next.fetch_add(1, std::memory_order_relaxed)) < blocks;) {
      const std::size_t from = block * kMoveBlock, to = std::min(from + kMoveBlock, Particles.size());
      TBlockKill result{0, Particles.size()};
      Cardinal alive = 0;
      for (std::size_t slot = from; slot < to; ++slot) {
        TParticle& p = Particles[slot];
        if (p.Alive) {
          const Single age = CurrentTime - p.Birth;
          if (age >= 0 && age < p.Lifespan) {
            ++alive;
            continue;
          }
          p.Alive = 0;
          ++result.Deaths;
        }
        result.FirstFree = std::min(result.FirstFree, slot);
      }
      blockAlive_[block] = alive;
      kills[block] = result;
    }
  };
  // The team busy with another system's step: this thread takes every block.
  if (!MoveTeam().Run(stepWorkers_, job)) job();
  std::size_t firstFree = Particles.size();
  for (const TBlockKill& kill : kills) {
    AliveCount -= kill.Deaths;
    firstFree = std::min(firstFree, kill.FirstFree);
  }
  return firstFree;
}

unsigned TParticleSystem::SharedMoveWorkers() const {
  if (MoveWorkers == 0 || ActiveModifiers.empty()) return 0;
  if (MoveWorkers < 0 && Particles.size() < kMinSharedMove) return 0;
  // A trap on a worker, half-way through a step, would leave the other blocks done.
  if (!AllFpExceptionsMasked()) return 0;
  const unsigned team = MoveTeam().Workers();
  return MoveWorkers < 0 ? team : std::min(team, static_cast<unsigned>(MoveWorkers));
}

std::size_t TParticleSystem::Kill() {
  std::size_t firstFree = Particles.size();
  for (std::size_t slot = 0; slot < Particles.size(); ++slot) {
    TParticle& p = Particles[slot];
    if (p.Alive) {
      const Single age = CurrentTime - p.Birth;
      if (age >= 0 && age < p.Lifespan) continue;
      p.Alive = 0;
      --AliveCount;
    }
    firstFree = std::min(firstFree, slot);
  }
  return firstFree;
}

void TParticleSystem::Emit(std::size_t FirstFree) {
  const BatchScope batch(BirthBatch);
  // The one place of the simulation that swallows a failure: a particle that cannot be
  // born is not owed to the next step either.
  try {
    double count = Flow->ValueAt(LoopTime) * RateScale + Carry;
    if (!std::isfinite(count)) throw EInvalidOperation("Particle count out of range");
    const double length = static_cast<double>(Particles.size());
    const double free = length - AliveCount;
    if (free < count) {
      const double grow = std::max(std::nearbyint(count) - free, 100.0);
      if (length + grow > kMaxSlots) throw EOutOfMemory("Too many particles");
      Particles.resize(static_cast<std::size_t>(length + grow));
      if (stepWorkers_ > 0) blockAlive_.resize((Particles.size() + kMoveBlock - 1) / kMoveBlock, 0);
    }
    if (count >= 1) {
      // Every slot below FirstFree is alive: the walk starts where a walk from slot 0
      // would first stop.
      for (std::size_t slot = FirstFree; slot < Particles.size(); ++slot) {
        if (Particles[slot].Alive) continue;
        TParticle& p = Particles[slot];
        p = Template;
        p.Alive = 1;
        p.Birth = CurrentTime;
        p.Slot = static_cast<Integer>(slot);
        if (OnInitParticle) {
          try {
            OnInitParticle(*this, p);
          } catch (...) {
            // A particle whose birth failed is no particle: its slot stays free.
            p.Alive = 0;
            throw;
          }
        }
        if (p.Alive) {
          ++AliveCount;
          if (stepWorkers_ > 0) ++blockAlive_[slot / kMoveBlock];
        }
        count -= 1;
        if (count < 1) break;
      }
    }
    Carry = static_cast<Single>(count);
  } catch (...) {
  }
}

void TParticleSystem::Move() {
  const BatchScope batch(MoveBatch);
  std::size_t end = Particles.size();
  while (end > 0 && !Particles[end - 1].Alive) --end;
  if (stepWorkers_ > 0 && end > 1 && MoveShared(end, stepWorkers_)) return;
  TMoveCurves curves;
  MoveRange(0, end, end, curves, RandSeed);
}

bool TParticleSystem::MoveShared(std::size_t End, unsigned Workers) {
  std::size_t begun = 0;
  struct EndShared {
    std::vector<TParticleModifier*>& tools;
    std::size_t& begun;
    ~EndShared() {
      for (std::size_t i = 0; i < begun; ++i) tools[i]->EndSharedApply();
    }
  } endShared{ActiveModifiers, begun};
  for (TParticleModifier* modifier : ActiveModifiers) {
    if (!modifier->BeginSharedApply(*this)) {
      // Begun, if only to refuse: ended too.
      ++begun;
      return false;
    }
    ++begun;
  }

  // The blocks of slots before the last live particle, taken one at a time by whichever
  // thread is free, so that a worker late to wake holds up no more than the block it
  // took; each block draws from the seed the draws before it leave. The last live
  // particle is moved here afterwards, so that this thread's flags end as one thread's
  // would.
  std::uint64_t live = 0;
  for (Cardinal n : blockAlive_) live += n;
  // The counts agree with the system's, or something changed the records behind them.
  if (live == 0 || live != static_cast<std::uint64_t>(AliveCount)) return false;
  const std::size_t blocks = (End - 1 + kMoveBlock - 1) / kMoveBlock;
  std::vector<std::uint64_t> before(blocks);
  std::uint64_t counted = 0;
  for (std::size_t block = 0; block < blocks; ++block) {
    before[block] = counted;
    counted += blockAlive_[block];
  }

  const Cardinal first = RandSeed;
  std::atomic<std::size_t> next{0};
  const std::function<void()> job = [&] {
    TMoveCurves curves;
    for (std::size_t block; (block = next.fetch_add(1, std::memory_order_relaxed)) < blocks;) {
      Cardinal seed = SeedAfter(first, before[block]);
      MoveRange(block * kMoveBlock, std::min((block + 1) * kMoveBlock, End - 1), End, curves, seed);
    }
  };
  if (!MoveTeam().Run(Workers, job)) return false;
  Cardinal seed = SeedAfter(first, live - 1);
  TMoveCurves curves;
  MoveRange(End - 1, End, End, curves, seed);
  RandSeed = seed;
  return true;
}

void TParticleSystem::MoveRange(std::size_t Begin, std::size_t End, std::size_t Last, TMoveCurves& Curves,
                                Cardinal& Seed) {
  // The flags are cleared before each particle. The SSE flags are read by nothing while
  // the particles move, so clearing them once, before the last one, leaves them as a
  // clear before each would; the x87 flags, which can trap, are cleared for each.
  for (std::size_t i = Begin; i < End; ++i) {
    TParticle& p = Particles[i];
    if (!p.Alive) continue;
    if (i + 1 == Last) ClearSseState();
    MoveParticle(p, Curves, Seed);
  }
}

void TParticleSystem::MoveParticle(TParticle& P, TMoveCurves& Curves, Cardinal& Seed) {
  ClearX87State();
  const double life = LifePercent(P);
  const auto lifeBits = std::bit_cast<std::uint64_t>(life);
  // A float widened to a double leaves the low bits zero: the multiply brings the high
  // ones down.
  auto& entry = Curves.Entries[(lifeBits * 0x9E3779B97F4A7C15u) >> (64 - TMoveCurves::kBits)];
  if (!entry.Known || entry.LifeBits != lifeBits) {
    entry = {lifeBits, true, Orientation->ValueAt(life), Speed->ValueAt(life), Gravity->ValueAt(life)};
  }

  const double turn = (static_cast<double>(P.Rotation) + P.Spin + entry.Orientation) / 360;
  P.Rotation = static_cast<Single>((turn - std::trunc(turn)) * 360);

  CtsxVec3f step = P.Drive;
  VecMulScalar(&step, static_cast<Single>(entry.Speed));
  VecAddTo(&step, &P.Velocity, &step);

  P.PreviousPosition = P.Position;
  VecAddTo(&P.Position, &step, &P.Position);
  if (life == 0) P.PreviousPosition = P.Position;

  for (TParticleModifier* modifier : ActiveModifiers) {
    modifier->Apply(*this, P);
    // An absorbed particle is a free slot now: no later tool sees it. It still finishes
    // its move, so that its dither draw keeps every later draw where it would be.
    if (!P.Alive) break;
  }

  const Single keep = static_cast<Single>(1 - DrawFrom(Seed) * SpatialDither);
  CtsxVec3f moved;
  VecSubTo(&P.PreviousPosition, &P.Position, &moved);
  VecMulScalar(&moved, keep);
  VecAddTo(&P.PreviousPosition, &moved, &P.NewPosition);

  CtsxVec3f pull = P.Acceleration;
  VecMulScalar(&pull, static_cast<Single>(entry.Gravity));
  VecAddTo(&P.Velocity, &pull, &P.Velocity);

  P.TwistAngle += P.TwistRate / 10;
  if (P.TwistAngle != 0) {
    CtsxTxmx3f twist;
    tsxMakeRotMx3f(&P.Origin, &P.TwistAxis, P.TwistAngle, &twist, 0);
    const CtsxVec3f untwisted = P.NewPosition;
    tsxTransformVect3f(&untwisted, &P.NewPosition, &twist);
  }
  P.RenderPosition = P.NewPosition;
}
