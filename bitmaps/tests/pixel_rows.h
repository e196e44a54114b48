#pragma once
// Small bitmaps written and read as rows of pixels, for exact-pixel tests.
#include <memory>
#include <vector>

#include "bitmaps/bitmap32.h"

using Rows = std::vector<std::vector<TColor32>>;

inline std::unique_ptr<TBitmap32> MakeBitmap(const Rows& rows) {
  auto b = std::make_unique<TBitmap32>();
  b->SetSize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t y = 0; y < rows.size(); ++y)
    for (std::size_t x = 0; x < rows[y].size(); ++x)
      b->SetPixel(static_cast<Integer>(x), static_cast<Integer>(y), rows[y][x]);
  return b;
}

inline std::unique_ptr<TBitmap32> MakeFilled(Integer w, Integer h, TColor32 c) {
  auto b = std::make_unique<TBitmap32>();
  b->SetSize(w, h);
  b->Clear(c);
  return b;
}

inline Rows Pixels(const TBitmap32& b) {
  Rows rows(static_cast<std::size_t>(b.Height()));
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x) rows[static_cast<std::size_t>(y)].push_back(b.Pixel(x, y));
  return rows;
}
