#include "bitmaps/custom_map.h"

const TClass& TCustomMap::StaticClass() {
  static const TClass cls = TClass::Of<TCustomMap>("TCustomMap", TThreadPersistent::StaticClass());
  return cls;
}

void TCustomMap::Delete() { SetSize(0, 0); }

bool TCustomMap::Empty() const { return width_ == 0 || height_ == 0; }

void TCustomMap::Resized() {
  if (OnResize) OnResize(this);
}

bool TCustomMap::SetSize(Integer NewWidth, Integer NewHeight) {
  const bool changed = NewWidth != width_ || NewHeight != height_;
  width_ = NewWidth;
  height_ = NewHeight;
  return changed;
}
