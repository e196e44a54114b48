#pragma once
// A 32-bit DIB section selected into a memory DC, and a font selected into it, for the
// text tests. Results are read back as colours and ink boxes, never as glyph shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace text_test {

using namespace win;

class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bm_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(bm_));
    Clear(fill);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(reinterpret_cast<HGDIOBJ>(bm_));
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }

  // Whole surface, whatever the DC's origins.
  void Clear(COLORREF c) {
    POINT vp, wo;
    GetViewportOrgEx(dc_, &vp);
    GetWindowOrgEx(dc_, &wo);
    SetViewportOrgEx(dc_, 0, 0, nullptr);
    SetWindowOrgEx(dc_, 0, 0, nullptr);
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) SetPixelV(dc_, x, y, c);
    SetViewportOrgEx(dc_, vp.x, vp.y, nullptr);
    SetWindowOrgEx(dc_, wo.x, wo.y, nullptr);
  }
  // Device coordinates, read from the bitmap itself.
  COLORREF At(int x, int y) const {
    POINT vp, wo;
    GetViewportOrgEx(dc_, &vp);
    GetWindowOrgEx(dc_, &wo);
    return GetPixel(dc_, x - vp.x + wo.x, y - vp.y + wo.y);
  }

  // Bounding box of the pixels that differ from `bg` (or equal `only` when given);
  // empty (all zero) when there are none.
  RECT InkBox(COLORREF bg = RGB(255, 255, 255)) const { return Box([&](COLORREF c) { return c != bg; }); }
  RECT BoxOf(COLORREF c) const { return Box([&](COLORREF p) { return p == c; }); }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += At(x, y) == c;
    return n;
  }
  int CountNot(COLORREF c) const { return w_ * h_ - Count(c); }
  // A copy of every pixel, to compare whole pictures.
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> v;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) v.push_back(At(x, y));
    return v;
  }

 private:
  template <class Pred>
  RECT Box(Pred p) const {
    RECT r{w_, h_, -1, -1};
    bool any = false;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (p(At(x, y))) {
          any = true;
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return any ? r : RECT{};
  }

  int w_, h_;
  HDC dc_ = nullptr;
  HBITMAP bm_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

struct FontSpec {
  const char* face = "Arial";
  int height = -11;
  int weight = FW_NORMAL;
  int escapement = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  BYTE outPrecision = OUT_DEFAULT_PRECIS;
};

inline HFONT MakeFont(const FontSpec& s) {
  return CreateFont(s.height, 0, s.escapement, s.escapement, s.weight, s.italic, s.underline, s.strikeOut,
                    DEFAULT_CHARSET, s.outPrecision, 0, 0, 0, s.face);
}

// Selects a new font into a DC for the scope; deletes it afterwards.
class SelectedFont {
 public:
  SelectedFont(HDC dc, const FontSpec& s) : dc_(dc), font_(MakeFont(s)) {
    EXPECT_NE(font_, nullptr);
    old_ = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(font_));
  }
  ~SelectedFont() {
    SelectObject(dc_, old_);
    DeleteObject(reinterpret_cast<HGDIOBJ>(font_));
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;
  HFONT font() const { return font_; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ old_ = nullptr;
};

inline TEXTMETRIC Metrics(HDC dc) {
  TEXTMETRIC tm;
  EXPECT_TRUE(GetTextMetrics(dc, &tm));
  return tm;
}

inline SIZE Extent(HDC dc, const char* s) {
  SIZE sz;
  EXPECT_TRUE(GetTextExtentPoint32(dc, s, static_cast<int>(std::strlen(s)), &sz));
  return sz;
}

inline RECT Offset(RECT r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace text_test
