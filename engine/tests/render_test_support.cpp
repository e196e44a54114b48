#include "engine/tests/render_test_support.h"

#include "engine/random_table.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"

namespace render_test {
namespace {

std::function<void(tssPostProcessData&)> body;

void PostProcess(tssPostProcessData* data) {
  if (body && data) body(*data);
}

}  // namespace

bool RenderWith(const std::function<void(tssPostProcessData&)>& Body) {
  body = Body;
  tsxRegisterExternalShader(e_tssSHADER_POSTPROCESS, reinterpret_cast<tssSHADER_CALLBACK>(&PostProcess), 1);
  const bool done = host::Render(0);
  body = nullptr;
  return done;
}

void RewindRandomTable() {
  const Cardinal saved = RandSeed;
  RandSeed = 0;
  BuildRandomTable();
  RandSeed = saved;
}

std::vector<float> ReadRegion(tssSCREENBUFFER* Buffer, int Width, int Rows) {
  std::vector<float> all(static_cast<size_t>(Width) * Rows * 4);
  for (int y = 0; y < Rows; ++y)
    tssScreenBufferGetScanLine(Buffer, y, e_tssSCANLINE_RGBZ, all.data() + static_cast<size_t>(y) * Width * 4);
  return all;
}

void FillRegion(tssSCREENBUFFER* Buffer, int Width, int Rows, float R, float G, float B, float Depth) {
  std::vector<float> row(static_cast<size_t>(Width) * 4);
  for (int x = 0; x < Width; ++x) {
    row[x * 4 + 0] = R;
    row[x * 4 + 1] = G;
    row[x * 4 + 2] = B;
    row[x * 4 + 3] = Depth;
  }
  for (int y = 0; y < Rows; ++y) tssScreenBufferSetScanLine(Buffer, y, e_tssSCANLINE_RGBZ, row.data());
}

void ReadPixel(tssSCREENBUFFER* Buffer, int Width, int X, int Y, float Out[4]) {
  std::vector<float> row(static_cast<size_t>(Width) * 4);
  tssScreenBufferGetScanLine(Buffer, Y, e_tssSCANLINE_RGBZ, row.data());
  for (int i = 0; i < 4; ++i) Out[i] = row[static_cast<size_t>(X) * 4 + i];
}

}  // namespace render_test
