#pragma once
// TKitCustomScrollBox: the class library's scroll box with the kit's bevel drawn in the
// window frame and the kit's see-through background chain, so that transparent kit
// children of a scroll box copy the background from behind it.
#include <memory>

#include "controlkit/kit_bevel.h"
#include "controlkit/kit_control_base.h"
#include "platform/classlib/scrolling.h"

// The bevel of a scroll box: the window's own border stands in for bmWindows.
class TKitScrollBoxBevel : public TKitBevel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  TKitScrollBoxBevel();
};

class TKitCustomScrollBox : public TScrollBox, public TKitBackSource {
 public:
  static void Publish(TPublished& published);
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomScrollBox(TComponent* AOwner);
  ~TKitCustomScrollBox() override;

  TKitScrollBoxBevel* Bevel() const { return bevel_.get(); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool RepaintOnScroll() const { return repaintOnScroll_; }
  void SetRepaintOnScroll(bool value) { repaintOnScroll_ = value; }
  // Scroll messages per repaint while scrolling (0 counts as 1).
  Byte ScrollRepaintSteps() const { return repaintSteps_; }
  void SetScrollRepaintSteps(Byte value) { repaintSteps_ = value; }
  // See-through: transparent and an ancestor that offers a background.
  bool SeeThrough();

  virtual void GetChange(TObject* Sender);
  TBitmap* GetBackBitmap() override;
  bool BackBitmapAvailable() override;
  TPoint BackMapPoint(const TPoint& P) override;
  bool BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void WMHScroll(TMessage& Message) override;
  void WMVScroll(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMCtl3DChanged(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  void NCCalcSize(TMessage& Message);
  void NCPaint(TMessage& Message);
  void AfterScroll(TMessage& Message);
  void PassToChildren(win::UINT msg);
  void FrameChanged();

  std::unique_ptr<TKitScrollBoxBevel> bevel_;
  bool transparent_ = false;
  bool repaintOnScroll_ = true;
  Byte repaintSteps_ = 1;
  Byte repaintCounter_ = 0;
};

// Registers TKitScrollBox with the class registry (for form files).
void RegisterKitScrollBoxClasses();

class TKitScrollBox : public TKitCustomScrollBox {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TKitScrollBox(TComponent* AOwner) : TKitCustomScrollBox(AOwner) {}
};
