#pragma once
// Queueing a particle system's visible particles for the renderer, and the far-to-near
// order the renderer draws them in.
#include <cstdint>
#include <vector>

#include "engine/projection.h"
#include "platform/classlib/types.h"

struct TParticle;
class TParticleSystem;
class TParticleRenderer;

// The render parameters of particle Index of System (TParticleSystem::GetRenderParams).
void ReadRenderParams(TParticleSystem& System, Integer Index, TParticleRenderParams& Params);

// Refreshes the render projection once, then for every living particle whose Visibility
// is not 0 at its life percentage: owner and slot set, screen position and depth
// projected, a reference added to the renderer's queue.
void QueueForRender(TParticleSystem& System, TParticleRenderer& Renderer);

// Working room of the sort, kept by its owner so that frames after the first allocate
// nothing. An entry is a key and the reference's place in the queue: eight bytes moved
// per pass instead of sixteen.
struct TDepthSortEntry {
  // Left unset: the sort writes every entry it reads.
  TDepthSortEntry() {}
  TDepthSortEntry(std::uint32_t AKey, std::uint32_t AIndex) : Key(AKey), Index(AIndex) {}
  std::uint32_t Key;
  std::uint32_t Index;
};
struct TDepthSortScratch {
  std::vector<TDepthSortEntry> Entries, Swap;
  std::vector<TParticle*> Sorted;
};

// The sort key of a screen depth: keys in ascending order run from far to near.
std::uint32_t FarFirstKey(Single Depth);

// Sorts references by screen depth, larger depth first (a radix sort on the depth's
// bits); particles of equal depth keep no fixed order. The first form reads each
// particle's depth; the second takes Keys[i], the FarFirstKey of Queue[i]'s depth taken
// when it was queued, and reads no particle.
void SortFarToNear(std::vector<TParticle*>& Queue, TDepthSortScratch& Scratch);
void SortFarToNear(std::vector<TParticle*>& Queue, const std::vector<std::uint32_t>& Keys, TDepthSortScratch& Scratch);
