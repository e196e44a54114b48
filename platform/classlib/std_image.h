#pragma once
// TImage: a windowless control that shows a picture: at its own size from the top-left
// corner, centred (Center), or stretched over the control (Stretch); with Transparent
// a bitmap's transparent colour lets the parent show through. AutoSize fits the bounds
// to the picture. Canvas draws on the picture's bitmap (made when there is none).
#include <memory>

#include "platform/classlib/controls.h"
#include "platform/classlib/graphic.h"
#include "platform/classlib/picture.h"

class TImage : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool IncrementalDisplay() const { return incrementalDisplay_; }
  void SetIncrementalDisplay(bool value) { incrementalDisplay_ = value; }
  void SetAutoSize(bool value) override;

  // The canvas of the picture's bitmap; a picture of another kind raises
  // EInvalidOperation.
  TCanvas* Canvas();
  // Where the picture is drawn, in client coordinates.
  TRect DestRect() const;

  TProgressEvent OnProgress;

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* Sender);

  std::unique_ptr<TPicture> picture_;
  bool center_ = false;
  bool stretch_ = false;
  bool transparent_ = false;
  bool incrementalDisplay_ = false;
  bool drawing_ = false;
};
