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
  // The four digits' counts are taken while the keys are made, in one pass.
  std::size_t histograms[4][256] = {};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t key = FarFirstKey(Queue[i]->Screen.z);
    from[i] = TDepthSortEntry(key, Queue[i]);
    ++histograms[0][key & 0xFF];
    ++histograms[1][(key >> 8) & 0xFF];
    ++histograms[2][(key >> 16) & 0xFF];
    ++histograms[3][key >> 24];
  }

  // Four stable passes of eight bits, least significant first; a pass in which every key
  // has the same digit is skipped.
  for (int shift = 0; shift < 32; shift += 8) {
    std::size_t* counts = histograms[shift / 8];
    if (counts[(from[0].Key >> shift) & 0xFF] == n) continue;
    std::size_t offset = 0;
    for (std::size_t b = 0; b < 256; ++b) {
      std::size_t& c = counts[b];
      const std::size_t here = c;
      c = offset;
      offset += here;
    }
    for (std::size_t i = 0; i < n; ++i) to[counts[(from[i].Key >> shift) & 0xFF]++] = from[i];
    std::swap(from, to);
  }
  for (std::size_t i = 0; i < n; ++i) Queue[i] = from[i].Particle;
}
