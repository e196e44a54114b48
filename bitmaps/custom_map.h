#pragma once
// TCustomMap: a pixel container of a width and a height.
#include "bitmaps/thread_persistent.h"

class TCustomMap : public TThreadPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // SetSize(0, 0).
  virtual void Delete();
  // True when a side is 0.
  virtual bool Empty() const;
  // OnResize(this).
  virtual void Resized();
  // Stores both sides; true when either differs from before.
  virtual bool SetSize(Integer NewWidth, Integer NewHeight);

  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  void SetWidth(Integer value) { SetSize(value, height_); }
  void SetHeight(Integer value) { SetSize(width_, value); }

  TNotifyEvent OnResize;

 protected:
  Integer height_ = 0;
  Integer width_ = 0;
};
