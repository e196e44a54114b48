#pragma once
// A memory DC over a top-down 32-bit DIB section, filled with one colour: the surface the
// drawing tests draw on and read back.
#include "platform/win/gdi.h"

namespace win {

struct DibCanvas {
  HDC dc = nullptr;
  HBITMAP bm = nullptr;
  HGDIOBJ old = nullptr;
  DWORD* bits = nullptr;
  int w, h;

  DibCanvas(int width, int height, COLORREF fill = 0xFFFFFF) : w(width), h(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<DWORD*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bm);
    const DWORD pixel = (DWORD{GetRValue(fill)} << 16) | (DWORD{GetGValue(fill)} << 8) | GetBValue(fill);
    for (int i = 0; i < w * h; ++i) bits[i] = pixel;
  }
  ~DibCanvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
};

}  // namespace win
