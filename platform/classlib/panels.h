#pragma once
// TCustomPanel and TPanel: a windowed container with an outer and an inner bevel, a
// border between them and a caption in the middle.
#include "platform/classlib/win_control.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
using TBevelWidth = Integer;  // 1 .. MaxInt
using TBorderWidth = Integer;  // 0 .. MaxInt
const TEnumInfo& BevelCutInfo();

// Draws `Width` one-pixel rings inside `Rect`: the top and left sides in TopColor, the
// right and bottom sides in BottomColor; `Rect` shrinks by Width on every side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

class TCustomPanel : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  // Publishes panel properties by name ("BevelOuter", "Alignment" ...) and every name
  // TWinControl::PublishProperties knows.
  static void PublishProperties(TPublished& published, std::initializer_list<std::string_view> names);

  explicit TCustomPanel(TComponent* AOwner);

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel value);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel value);
  TBevelWidth BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth value);
  TBorderWidth BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(TBorderWidth value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // Repaint the whole panel when its size changes (the bevels move with the edges).
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool value) { fullRepaint_ = value; }
  bool Locked() const { return locked_; }
  void SetLocked(bool value) { locked_ = value; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
  void CMCtl3DChanged(TMessage& Message) override;

 private:
  void BordersChanged();

  TAlignment alignment_ = taCenter;
  TPanelBevel bevelInner_ = bvNone;
  TPanelBevel bevelOuter_ = bvRaised;
  TBevelWidth bevelWidth_ = 1;
  TBorderWidth borderWidth_ = 0;
  TBorderStyle borderStyle_ = bsNone;
  bool fullRepaint_ = true;
  bool locked_ = false;
};

class TPanel : public TCustomPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};
