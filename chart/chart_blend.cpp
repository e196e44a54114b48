#include "chart/chart_blend.h"

#include <algorithm>

#include "chart/chart_canvas.h"
#include "platform/win/gdi.h"

const TClass& TChartBlend::StaticClass() {
  static const TClass cls = TClass::Of<TChartBlend>("TChartBlend", TObject::StaticClass());
  return cls;
}

namespace {

std::unique_ptr<TBitmap> Grab(win::HDC dc, const TRect& r) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(r.right - r.left, r.bottom - r.top);
  win::BitBlt(bitmap->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, r.left, r.top, win::SRCCOPY);
  return bitmap;
}

// (before x t + after x (100 - t)) / 100, rounded to nearest with halves to even.
Byte Mix(Byte before, Byte after, Integer t) {
  const Integer num = before * t + after * (100 - t);
  Integer q = num / 100;
  const Integer rem = num % 100;
  if (rem > 50 || (rem == 50 && (q & 1))) ++q;
  return static_cast<Byte>(q);
}

}  // namespace

TChartBlend::TChartBlend(TChartCanvas3D* Canvas, const TRect& Rect) : canvas_(Canvas), rect_(Rect) {
  win::HDC dc = canvas_->DeviceContext();
  TRect box{0, 0, 0, 0};
  win::GetClipBox(dc, &box);
  rect_.left = std::max(rect_.left, box.left);
  rect_.top = std::max(rect_.top, box.top);
  rect_.right = std::min(rect_.right, box.right);
  rect_.bottom = std::min(rect_.bottom, box.bottom);
  if (rect_.right <= rect_.left || rect_.bottom <= rect_.top) {
    rect_ = TRect{0, 0, 0, 0};
    return;
  }
  before_ = Grab(dc, rect_);
}

TChartBlend::~TChartBlend() = default;

void TChartBlend::DoBlend(Integer Transparency) {
  if (!before_) return;
  const Integer t = std::clamp(Transparency, 0, 100);
  win::HDC dc = canvas_->DeviceContext();
  std::unique_ptr<TBitmap> after = Grab(dc, rect_);
  const Integer w = rect_.right - rect_.left;
  const Integer h = rect_.bottom - rect_.top;
  for (Integer y = 0; y < h; ++y) {
    const auto* b = static_cast<const Byte*>(before_->ScanLine(y));
    auto* a = static_cast<Byte*>(after->ScanLine(y));
    for (Integer i = 0; i < w * 3; ++i) a[i] = Mix(b[i], a[i], t);
  }
  win::BitBlt(dc, rect_.left, rect_.top, w, h, after->Canvas()->Handle(), 0, 0, win::SRCCOPY);
}
