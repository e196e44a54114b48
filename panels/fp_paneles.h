#pragma once
// TFpPaneles: a panel whose background is a tiled bitmap, its own or a holder's shared one,
// with a bevelled frame and a one-line caption.
#include <memory>

#include "panels/bitmap_holder.h"
#include "platform/classlib/panels.h"

class TFpPaneles : public TCustomPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TFpPaneles(TComponent* AOwner);
  ~TFpPaneles() override;

  TBitmap* Bitmap() const { return bitmap_.get(); }
  // With a holder set, an own picture takes over from the holder's (the link leaves it)
  // and an empty one gives the background back to the holder.
  void SetBitmap(TBitmap* value);
  TFpBitmapHolder* BitmapHolder() const { return holder_; }
  void SetBitmapHolder(TFpBitmapHolder* value);

 protected:
  void Paint() override;
  void WMEraseBkgnd(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The own bitmap tiled, else the holder's, else the panel's colour.
  void PaintBackground(TCanvas* canvas, const TRect& r);

 private:
  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TFpLinkChange> link_;
  TFpBitmapHolder* holder_ = nullptr;
};
