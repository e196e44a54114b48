// TransformBitmap of a 64 x 64 particle sprite the way the renderer draws one: scaled
// to the drawn size, rotated about the sprite's centre, moved by a fraction of a pixel,
// into a work bitmap sized to the transformed bounds and cleared first.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bitmaps/affine_transformation.h"
#include "bitmaps/bitmap32.h"
#include "bitmaps/blend.h"

namespace {

constexpr int kSpriteSize = 64;

// A round soft-edged sprite with a colour gradient.
void FillSprite(TBitmap32& b) {
  b.SetSize(kSpriteSize, kSpriteSize);
  const double c = (kSpriteSize - 1) / 2.0;
  for (int y = 0; y < kSpriteSize; ++y) {
    for (int x = 0; x < kSpriteSize; ++x) {
      const double d = std::hypot(x - c, y - c) / c;
      const int alpha = d >= 1 ? 0 : static_cast<int>((1 - d) * 255);
      b.SetPixel(x, y, Color32(static_cast<Byte>(x * 4), static_cast<Byte>(y * 4), 0x80, static_cast<Byte>(alpha)));
    }
  }
}

// range(0): drawn size in pixels; range(1): 0 nearest, 1 bilinear.
void BM_TransformBitmap(benchmark::State& state) {
  SelectBlendRoutines(ProcessorHasMmx());
  TBitmap32 sprite;
  FillSprite(sprite);
  sprite.SetStretchFilter(state.range(1) != 0 ? sfLinear : sfNearest);
  const auto size = static_cast<Single>(state.range(0));
  TBitmap32 work;
  Single angle = 0;
  std::int64_t pixels = 0;
  for (auto _ : state) {
    TAffineTransformation t;
    t.SetSrcRect(MakeFloatRect(0, 0, kSpriteSize - 1, kSpriteSize - 1));
    t.Scale(size / kSpriteSize, size / kSpriteSize);
    t.Rotate(size / 2, size / 2, angle);
    t.Translate(0.3f, 0.6f);
    const TRect bounds = t.GetTransformedBounds();
    work.SetSize(bounds.right - bounds.left + 1, bounds.bottom - bounds.top + 1);
    work.Clear(0);
    TransformBitmap(&work, &sprite, &t);
    benchmark::DoNotOptimize(work.Bits());
    pixels += static_cast<std::int64_t>(work.Width()) * work.Height();
    angle += 7.5f;
    if (angle >= 360) angle -= 360;
  }
  state.SetItemsProcessed(pixels);
  state.SetLabel(state.range(1) != 0 ? "bilinear" : "nearest");
}
BENCHMARK(BM_TransformBitmap)->ArgsProduct({{16, 64, 256}, {0, 1}});

}  // namespace

BENCHMARK_MAIN();
