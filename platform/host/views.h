#pragma once
// The host's views: a camera, a drawport and the view's own RGBA pixels, and the maps
// between world, eye, drawport and render image.
#include <cstdint>
#include <vector>

#include "platform/host/tsxapi.h"

namespace host {

struct Camera {
  CtsxVec3f eye{0.0f, 0.0f, 10.0f};
  CtsxVec3f target{0.0f, 0.0f, 0.0f};
  CtsxVec3f up{0.0f, 1.0f, 0.0f};
  float fovDegrees = 45.0f;  // horizontal
  int mode = e_tsxVIEW_PERSPECTIVE;
};

bool IsPerspective(int mode);

// A view's world-to-viewport and eye-to-world maps, kept with the camera and drawport size
// they came from: plug-ins ask for them once per particle. Comparing the inputs' bits,
// rather than invalidating on change, keeps every way of moving the camera or resizing
// (and copies of the view) correct.
class ViewMaps {
 public:
  const CtsxTxmx3f& WorldToViewport(const Camera& c, int width, int height);
  const CtsxTxmx3f& EyeToWorld(const Camera& c, int width, int height);

 private:
  void Refresh(const Camera& c, int width, int height);

  Camera camera_;
  int width_ = 0, height_ = 0;
  bool valid_ = false;
  CtsxTxmx3f worldToViewport_{}, eyeToWorld_{};
};

struct View {
  int id = 0;
  Camera camera;
  int width = 320;
  int height = 240;
  tsxHWND window = nullptr;
  std::vector<std::uint8_t> pixels;  // R, G, B, A per pixel, rows top to bottom
  mutable ViewMaps maps;
  const CtsxTxmx3f& WorldToViewportMap() const { return maps.WorldToViewport(camera, width, height); }
  const CtsxTxmx3f& EyeToWorldMap() const { return maps.EyeToWorld(camera, width, height); }
};

// Eye space: x right, y down, z forward (right-handed), origin at the eye.
CtsxTxmx3f WorldToEye(const Camera& c);
CtsxTxmx3f EyeToWorld(const Camera& c);
// Eye space scaled so that x / z and y / z (perspective) or x and y (orthographic) run
// over [-1, 1] across the drawport; z stays the view depth.
CtsxTxmx3f WorldToViewport(const Camera& c, int width, int height);
bool EyeToRender(int viewW, int viewH, int imageW, int imageH, int fitMode, float out[6]);

// World points to drawport pixels: pixel centres at integer coordinates, as the plug-in
// projects them ((size - 1) / 2 half extents).
class ViewProjection {
 public:
  ViewProjection(const Camera& c, int width, int height);
  CtsxVec3f ToViewport(const CtsxVec3f& world) const;  // the matrix applied
  // Drawport x, y of a viewport point (depth q.z must be positive in perspective).
  void ToPixel(const CtsxVec3f& q, float& x, float& y) const;
  bool Perspective() const { return perspective_; }

 private:
  CtsxTxmx3f m_;
  float halfW_, halfH_;
  bool perspective_;
};

// The colour of a pen, R, G, B, A.
std::uint32_t PenColor(int pen);  // 0xAABBGGRR, the byte order of View::pixels
void ClearView(View& v);
// Draws the line lists of tsxAViewDrawLinelist; false for a bad index. Lines are clipped
// to the near plane and the drawport; both end pixels are drawn.
bool DrawLinelist(View& v, int pen, const CtsxTxmx3f& m, const CtsxVec3f* vertices, int count,
                  const std::int32_t* indices);

}  // namespace host
