#include "engine/projection.h"

#include <cmath>

#include "engine/particle.h"

namespace {

struct TViewProjectionCache {
  CtsxTxmx3f Matrix{};
  Single HalfWidth = 0;
  Single HalfHeight = 0;
  Integer ViewMode = 0;
  bool Stale = true;
};

struct TRenderProjectionCache {
  float Map[6] = {1, 0, 0, 0, 1, 0};
  bool Stale = true;
};

TViewProjectionCache viewCache;
TRenderProjectionCache renderCache;
CtsxVec3f cameraRight{1, 0, 0};

void RefreshCameraRight();

void RefreshView() {
  if (!tsxAViewGetWorld2VportTxmx(&viewCache.Matrix)) viewCache.Matrix = CtsxTxmx3f{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}};
  int width = 0, height = 0;
  tsxAViewGetDrawportSize(&width, &height);
  viewCache.HalfWidth = static_cast<Single>((width - 1) / 2.0);
  viewCache.HalfHeight = static_cast<Single>((height - 1) / 2.0);
  viewCache.ViewMode = tsxAViewGetViewMode();
  // Taken with the view it belongs to, not once per particle sized.
  RefreshCameraRight();
  viewCache.Stale = false;
}

void RefreshRender() {
  int width = 0, height = 0;
  tsxAViewGetDrawportSize(&width, &height);
  const tsxRenderData* data = tsxRenderGetData();
  float map[6] = {1, 0, 0, 0, 1, 0};
  // Without render data or with sizes the host refuses, drawport pixels are image pixels.
  if (data && tsxAviewGetEyeToRenderTxmx(width, height, data->imageWidth, data->imageHeight, data->fitMode, map)) {
    for (int i = 0; i < 6; ++i) renderCache.Map[i] = map[i];
  } else {
    const float identity[6] = {1, 0, 0, 0, 1, 0};
    for (int i = 0; i < 6; ++i) renderCache.Map[i] = identity[i];
  }
  renderCache.Stale = false;
}

void RefreshCameraRight() {
  CtsxTxmx3f eyeToWorld{};
  const CtsxVec3f right{1, 0, 0};
  if (tsxAViewGetEye2WorldTxmx(&eyeToWorld)) tsxRotateVect3f(&right, &cameraRight, &eyeToWorld);
}

// The render position moved along the camera's right vector by the world size.
CtsxVec3f SizePoint(const TParticle& P, const TParticleRenderParams& Params) {
  if (viewCache.Stale) RefreshView();
  CtsxVec3f offset = cameraRight;
  tsxMulScalar3f(&offset, Params.Size);
  CtsxVec3f q{};
  tsxAddToVec3f(&P.RenderPosition, &offset, &q);
  return q;
}

}  // namespace

void ProjectToView(const CtsxVec3f& P, Single& X, Single& Y, Single& Depth, bool Refresh) {
  if (Refresh || viewCache.Stale) RefreshView();
  CtsxVec3f q{};
  tsxTransformVect3f(&P, &q, &viewCache.Matrix);
  if (viewCache.ViewMode != e_tsxVIEW_PERSPECTIVE && viewCache.ViewMode != e_tsxVIEW_CAMERA) q.z = 1.0f;
  X = q.x / q.z * viewCache.HalfWidth + viewCache.HalfWidth;
  Y = q.y / q.z * viewCache.HalfHeight + viewCache.HalfHeight;
  Depth = q.z;
}

void ProjectToRender(const CtsxVec3f& P, Single& X, Single& Y, Single& Depth, bool Refresh) {
  if (Refresh || renderCache.Stale) RefreshRender();
  Single vx = 0, vy = 0;
  ProjectToView(P, vx, vy, Depth, Refresh);
  const float* m = renderCache.Map;
  X = m[0] * vx + m[1] * vy + m[2];
  Y = m[3] * vx + m[4] * vy + m[5];
}

Single ProjectedViewSize(const TParticle& P, const TParticleRenderParams& Params) {
  if (viewCache.Stale) RefreshView();
  Single px = 0, py = 0, pd = 0;
  ProjectToView(P.RenderPosition, px, py, pd, false);
  return ProjectedViewSize(P, Params, px);
}

Single ProjectedViewSize(const TParticle& P, const TParticleRenderParams& Params, Single ViewX) {
  const CtsxVec3f q = SizePoint(P, Params);
  Single qx = 0, qy = 0, qd = 0;
  ProjectToView(q, qx, qy, qd, false);
  return std::fabs(qx - ViewX);
}

Single ProjectedRenderSize(const TParticle& P, const TParticleRenderParams& Params) {
  const CtsxVec3f q = SizePoint(P, Params);
  Single qx = 0, qy = 0, qd = 0;
  ProjectToRender(q, qx, qy, qd, false);
  // The particle's own screen x is the one it was queued with.
  return std::fabs(qx - P.Screen.x);
}

void InvalidateProjections() {
  viewCache.Stale = true;
  renderCache.Stale = true;
}
