#include "engine/render_queue.h"

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

namespace {

// A key whose unsigned order is the reverse of the depth's float order, so that an
// ascending sort puts the farthest first.
std::uint32_t FarFirstKey(Single depth) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &depth, sizeof bits);
  // Float bits to an ascending unsigned order: negatives reversed, positives above them.
  const std::uint32_t ascending = (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
  return ~ascending;
}

}  // namespace

void SortFarToNear(std::vector<TParticle*>& Queue, TDepthSortScratch& Scratch) {
  const std::size_t n = Queue.size();
  if (n < 2) return;
  Scratch.Entries.resize(n);
  Scratch.Swap.resize(n);
  TDepthSortEntry* from = Scratch.Entries.data();
  TDepthSortEntry* to = Scratch.Swap.data();
  // Three stable passes, least significant digit first (11, 11 and 10 bits); the
  // digits' counts are taken while the keys are made, in one pass.
  constexpr int kShift[3] = {0, 11, 22};
  constexpr std::uint32_t kMask = 0x7FF;
  std::vector<std::size_t> histograms(3 * 2048, 0);
  std::size_t* counts[3] = {histograms.data(), histograms.data() + 2048, histograms.data() + 4096};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t key = FarFirstKey(Queue[i]->Screen.z);
    from[i] = TDepthSortEntry(key, static_cast<std::uint32_t>(i));
    for (int d = 0; d < 3; ++d) ++counts[d][(key >> kShift[d]) & kMask];
  }
  for (int d = 0; d < 3; ++d) {
    const int shift = kShift[d];
    std::size_t* count = counts[d];
    // A pass in which every key has the same digit changes nothing.
    if (count[(from[0].Key >> shift) & kMask] == n) continue;
    std::size_t offset = 0;
    for (std::size_t b = 0; b <= kMask; ++b) {
      const std::size_t here = count[b];
      count[b] = offset;
      offset += here;
    }
    for (std::size_t i = 0; i < n; ++i) to[count[(from[i].Key >> shift) & kMask]++] = from[i];
    std::swap(from, to);
  }
  Scratch.Sorted.resize(n);
  for (std::size_t i = 0; i < n; ++i) Scratch.Sorted[i] = Queue[from[i].Index];
  Queue.swap(Scratch.Sorted);
}
