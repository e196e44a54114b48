// The sprite blend's inner loops: BlendRow and BlendRowMaster over rows of the sizes
// particle sprites come in, for each blend set, and a whole 64 x 64 sprite drawn with
// alpha blending.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bitmaps/bitmap32.h"
#include "bitmaps/blend.h"

namespace {

// A sprite row: soft edges, an opaque middle and clear corners, as a particle image has.
std::vector<TColor32> SpriteRow(int n) {
  std::vector<TColor32> row(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const int d = i < n / 2 ? i : n - 1 - i;
    const int alpha = d * 4 * 255 / (n > 1 ? n : 1);
    row[static_cast<std::size_t>(i)] = (static_cast<TColor32>(alpha > 255 ? 255 : alpha) << 24) |
                                       (0x00103050u + static_cast<TColor32>(i) * 0x00010203u);
  }
  return row;
}

void BM_BlendRow(benchmark::State& state) {
  SelectBlendRoutines(state.range(1) != 0);
  const int n = static_cast<int>(state.range(0));
  const std::vector<TColor32> src = SpriteRow(n);
  std::vector<TColor32> dst(static_cast<std::size_t>(n), 0xFF404040u);
  for (auto _ : state) {
    BlendRow(src.data(), dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel(MmxActive ? "mmx" : "integer");
  SelectBlendRoutines(ProcessorHasMmx());
}
BENCHMARK(BM_BlendRow)->ArgsProduct({{8, 64, 256, 2048}, {0, 1}});

void BM_BlendRowMaster(benchmark::State& state) {
  SelectBlendRoutines(state.range(1) != 0);
  const int n = static_cast<int>(state.range(0));
  const std::vector<TColor32> src = SpriteRow(n);
  std::vector<TColor32> dst(static_cast<std::size_t>(n), 0xFF404040u);
  for (auto _ : state) {
    BlendRowMaster(src.data(), dst.data(), n, 200);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel(MmxActive ? "mmx" : "integer");
  SelectBlendRoutines(ProcessorHasMmx());
}
BENCHMARK(BM_BlendRowMaster)->ArgsProduct({{8, 64, 256, 2048}, {0, 1}});

void BM_DrawSprite64(benchmark::State& state) {
  SelectBlendRoutines(state.range(0) != 0);
  TBitmap32 sprite, target;
  sprite.SetSize(64, 64);
  for (Integer y = 0; y < 64; ++y) {
    const std::vector<TColor32> row = SpriteRow(64);
    for (Integer x = 0; x < 64; ++x) sprite.SetPixel(x, y, row[static_cast<std::size_t>(x)]);
  }
  sprite.SetDrawMode(dmBlend);
  target.SetSize(256, 256);
  target.Clear(0xFF202020);
  for (auto _ : state) {
    sprite.DrawTo(&target, MakeRect(96, 96, 160, 160));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 64 * 64);
  state.SetLabel(MmxActive ? "mmx" : "integer");
  SelectBlendRoutines(ProcessorHasMmx());
}
BENCHMARK(BM_DrawSprite64)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
