#pragma once
// TIcon and TMetafile: picture kinds the picture registry knows by their extensions.
// This system reads neither format: loading one raises EInvalidGraphic, so an icon or
// a metafile is always empty, draws nothing and saves nothing.
#include "platform/classlib/graphic.h"

class TIcon : public TGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TIcon() = default;

  // nullptr or another icon: stays empty.
  void Assign(TPersistent* source) override;
  // Raises EInvalidGraphic "Icon image is not valid".
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

  bool Empty() const override { return true; }
  Integer Width() const override { return 0; }
  Integer Height() const override { return 0; }
  // Raise EInvalidGraphicOperation: an icon has the size its image gives it.
  void SetWidth(Integer value) override;
  void SetHeight(Integer value) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;
};

class TMetafile : public TGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TMetafile() = default;

  void Assign(TPersistent* source) override;
  // Raises EInvalidGraphic "Metafile is not valid".
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

  bool Empty() const override { return true; }
  Integer Width() const override { return 0; }
  Integer Height() const override { return 0; }
  void SetWidth(Integer value) override;
  void SetHeight(Integer value) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;
};
