#pragma once
// TCustomPaintBox32: a windowed control that paints through a TBitmap32 buffer. The
// buffer is drawn only when it has been invalidated (DoPaintBuffer) and then copied to
// the window in one block transfer; whatever is drawn with GDI over the copy goes in
// DoPaintGDIOverlay.
#include <memory>

#include "bitmaps/bitmap32.h"
#include "platform/classlib/win_control.h"

class TCustomPaintBox32 : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomPaintBox32(TComponent* AOwner);
  ~TCustomPaintBox32() override;

  // Held inside BeginUpdate for its whole life: it never fires OnChange.
  TBitmap32* Buffer() const { return buffer_.get(); }
  // Room the buffer keeps beyond the viewport so that small resizes need no new
  // buffer; any negative value means the exact size.
  Integer BufferOversize() const { return bufferOversize_; }
  void SetBufferOversize(Integer value) { bufferOversize_ = value; }
  bool BufferValid() const { return bufferValid_; }
  void SetBufferValid(bool value) { bufferValid_ = value; }

  void Invalidate() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // The part of the control the buffer covers: (0, 0, Width, Height).
  virtual TRect GetViewportRect();

  TNotifyEvent OnGDIOverlay;

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Resize() override;
  // Draws the buffer; the base only marks it valid.
  virtual void DoPaintBuffer();
  virtual void DoPaintGDIOverlay();
  // Fits the buffer to the viewport (see BufferOversize); a new size invalidates it.
  void ResizeBuffer();

 private:
  std::unique_ptr<TBitmap32> buffer_;
  Integer bufferOversize_ = 40;
  bool bufferValid_ = false;
};
