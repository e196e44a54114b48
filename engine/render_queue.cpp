#include "engine/render_queue.h"

#include <algorithm>
#include <cstring>

#include "engine/color_series.h"
#include "engine/particle.h"
#include "engine/particle_renderer.h"
#include "engine/particle_system.h"
#include "engine/var_series.h"

void ReadRenderParams(TParticleSystem& System, Integer Index, TParticleRenderParams& Params) {
  System.GetRenderParams(Index, Params.Alpha, Params.Color, Params.Size, Params.Options);
}

void QueueForRender(TParticleSystem& System, TParticleRenderer& Renderer) {
  Single x = 0, y = 0, depth = 0;
  // One refresh per system: the view cannot change while it queues.
  ProjectToRender(CtsxVec3f{0, 0, 0}, x, y, depth, true);
  for (std::size_t i = 0; i < System.Particles.size(); ++i) {
    TParticle& p = System.Particles[i];
    if (!p.Alive) continue;
    if (System.Visibility->ValueAt(System.LifePercent(p)) == 0) continue;
    p.Owner = &System;
    p.Slot = static_cast<Integer>(i);
    ProjectToRender(p.RenderPosition, p.Screen.x, p.Screen.y, p.Screen.z, false);
    Renderer.Add(&p);
  }
}

std::uint32_t FarFirstKey(Single Depth) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &Depth, sizeof bits);
  // Float bits to an ascending unsigned order: negatives reversed, positives above them.
  const std::uint32_t ascending = (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
  return ~ascending;
}

namespace {

// The radix sort of both forms; KeyOf(i) is the key of Queue[i], asked for once each,
// in order.
template <typename TKeyOf>
void SortByKeys(std::vector<TParticle*>& Queue, TKeyOf KeyOf, TDepthSortScratch& Scratch) {
  const std::size_t n = Queue.size();
  if (n < 2) return;
  Scratch.Entries.resize(n);
  Scratch.Swap.resize(n);
  Scratch.Sorted.resize(n);
  TDepthSortEntry* from = Scratch.Entries.data();
  TDepthSortEntry* to = Scratch.Swap.data();
  // Three stable passes, least significant digit first (11, 11 and 10 bits); the
  // digits' counts are taken while the keys are gathered, in one pass.
  constexpr int kShift[3] = {0, 11, 22};
  constexpr std::uint32_t kMask = 0x7FF;
  std::vector<std::size_t> histograms(3 * 2048, 0);
  std::size_t* counts[3] = {histograms.data(), histograms.data() + 2048, histograms.data() + 4096};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t key = KeyOf(i);
    from[i] = TDepthSortEntry(key, static_cast<std::uint32_t>(i));
    for (int d = 0; d < 3; ++d) ++counts[d][(key >> kShift[d]) & kMask];
  }
  // A pass in which every key has the same digit changes nothing.
  int passes[3];
  int passCount = 0;
  for (int d = 0; d < 3; ++d)
    if (counts[d][(from[0].Key >> kShift[d]) & kMask] != n) passes[passCount++] = d;
  TParticle* const* queue = Queue.data();
  TParticle** sorted = Scratch.Sorted.data();
  if (passCount == 0) std::copy_n(queue, n, sorted);
  for (int p = 0; p < passCount; ++p) {
    const int shift = kShift[passes[p]];
    std::size_t* count = counts[passes[p]];
    std::size_t offset = 0;
    for (std::size_t b = 0; b <= kMask; ++b) {
      const std::size_t here = count[b];
      count[b] = offset;
      offset += here;
    }
    if (p + 1 < passCount) {
      for (std::size_t i = 0; i < n; ++i) to[count[(from[i].Key >> shift) & kMask]++] = from[i];
      std::swap(from, to);
    } else {
      // The last pass places the references themselves.
      for (std::size_t i = 0; i < n; ++i) sorted[count[(from[i].Key >> shift) & kMask]++] = queue[from[i].Index];
    }
  }
  Queue.swap(Scratch.Sorted);
}

}  // namespace

void SortFarToNear(std::vector<TParticle*>& Queue, TDepthSortScratch& Scratch) {
  TParticle* const* queue = Queue.data();
  const std::size_t n = Queue.size();
  // Particles lie far apart in memory: their depths are asked for well ahead of use.
  constexpr std::size_t kAhead = 16;
  SortByKeys(
      Queue,
      [queue, n](std::size_t i) {
        if (i + kAhead < n) __builtin_prefetch(&queue[i + kAhead]->Screen.z);
        return FarFirstKey(queue[i]->Screen.z);
      },
      Scratch);
}

void SortFarToNear(std::vector<TParticle*>& Queue, const std::vector<std::uint32_t>& Keys, TDepthSortScratch& Scratch) {
  // Keys that do not go with the queue are of no use: the depths are read instead.
  if (Keys.size() != Queue.size()) return SortFarToNear(Queue, Scratch);
  const std::uint32_t* keys = Keys.data();
  SortByKeys(Queue, [keys](std::size_t i) { return keys[i]; }, Scratch);
}
