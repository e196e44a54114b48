#pragma once
// Projection of world points into the active view's drawport and into the render image,
// and the size a particle takes on screen. The host's matrices are cached: a caller
// asks for a refresh when the view or the render may have changed since its last call.
#include "engine/float_color.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

struct TParticle;
class TParticleMapOptions;

// What a particle system gives the renderer and the preview for one particle.
struct TParticleRenderParams {
  Single Alpha = 0;
  TColorRGBA Color{};
  // World size; the projected size follows from it.
  Single Size = 0;
  TParticleMapOptions* Options = nullptr;
};

// World point to drawport pixels; Depth is the view depth (1 in orthographic views).
void ProjectToView(const CtsxVec3f& P, Single& X, Single& Y, Single& Depth, bool Refresh);
// World point to render-image pixels; Depth as ProjectToView. A refresh re-reads the
// view as well.
void ProjectToRender(const CtsxVec3f& P, Single& X, Single& Y, Single& Depth, bool Refresh);

// Pixel sizes of a particle: how far its render position moved along the camera's right
// vector by its world size lands from where the particle lands. The right vector is the
// one read with the view projection at its last refresh (a stale view is read first).
Single ProjectedViewSize(const TParticle& P, const TParticleRenderParams& Params);
// The same for a particle whose view x (ProjectToView of its render position) is known.
Single ProjectedViewSize(const TParticle& P, const TParticleRenderParams& Params, Single ViewX);
Single ProjectedRenderSize(const TParticle& P, const TParticleRenderParams& Params);

// Marks both cached projections stale, so the next projection reads the host again.
void InvalidateProjections();
