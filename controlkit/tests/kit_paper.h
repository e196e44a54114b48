#pragma once
// A small 24-bit bitmap to draw on in the drawing tests, with a way to read an area back
// as rows of letters.
#include <map>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"

namespace kit_test {

class Paper {
 public:
  Paper(int w, int h, TColor background = clWhite) {
    bitmap_.SetPixelFormat(pf24bit);
    bitmap_.SetSize(w, h);
    Fill(background);
  }
  TCanvas* C() { return bitmap_.Canvas(); }
  TBitmap* Bitmap() { return &bitmap_; }
  void Fill(TColor color) {
    C()->Brush()->SetStyle(bsSolid);
    C()->Brush()->SetColor(color);
    C()->FillRect(Rect(0, 0, bitmap_.Width(), bitmap_.Height()));
  }
  TColor At(int x, int y) { return C()->Pixels(x, y); }
  // Rows of `area`, one letter per pixel from `legend` ('?' for a colour not in it).
  std::vector<std::string> Map(const TRect& area, const std::map<TColor, char>& legend) {
    std::vector<std::string> rows;
    for (int y = area.top; y < area.bottom; ++y) {
      std::string row;
      for (int x = area.left; x < area.right; ++x) {
        const auto it = legend.find(At(x, y));
        row += it == legend.end() ? '?' : it->second;
      }
      rows.push_back(row);
    }
    return rows;
  }

 private:
  TBitmap bitmap_;
};

inline TColor Rgb(TColor c) { return ColorToRGB(c); }

}  // namespace kit_test
