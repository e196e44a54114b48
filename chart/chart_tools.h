#pragma once
// The drawing settings every chart part publishes: pens that can be hidden, brushes with
// a picture and the "owner's colour" default, fonts with shadow and outline, and the 3D
// view settings of a panel.
//
// Each object is made with the change notification of its owner and calls it when one
// of its values changes (writers store only a different value).
#include <functional>
#include <memory>

#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/properties.h"

class TChartCanvas;
class TCustomChartPanel;

// ---- pens -------------------------------------------------------------------------------

class TChartPen : public TPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartPen(TNotifyEvent OnChangeEvent = {});

  // From a TChartPen: SmallDots and Visible, then the pen itself.
  void Assign(TPersistent* source) override;

  bool SmallDots() const { return smallDots_; }
  void SetSmallDots(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

 private:
  bool smallDots_ = false;
  bool visible_ = true;
};

// Hidden until switched on.
class TChartHiddenPen : public TChartPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TChartHiddenPen(TNotifyEvent OnChangeEvent = {});
};

// Grey dots (grids).
class TDottedGrayPen : public TChartPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TDottedGrayPen(TNotifyEvent OnChangeEvent = {});
};

class TDarkGrayPen : public TChartPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TDarkGrayPen(TNotifyEvent OnChangeEvent = {});
};

// Two pixels wide (axis lines).
class TChartAxisPen : public TChartPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TChartAxisPen(TNotifyEvent OnChangeEvent = {});
};

// White (mark arrows).
class TChartArrowPen : public TChartPen {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TChartArrowPen(TNotifyEvent OnChangeEvent = {});
};

// ---- brush ------------------------------------------------------------------------------

// Colour clDefault until set: the owner's colour is used when drawing. A picture in
// Image replaces the colour with a pattern.
class TChartBrush : public TBrush {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartBrush(TNotifyEvent OnChangeEvent = {});
  ~TChartBrush() override;

  // From a TChartBrush: the image, then the brush.
  void Assign(TPersistent* source) override;

  TPicture* Image() const { return image_.get(); }
  void SetImage(TPicture* value) { image_->Assign(value); }
  // The image as a bitmap to pattern with, or nullptr when there is none.
  TBitmap* ImageBitmap() const;

 private:
  std::unique_ptr<TPicture> image_;
};

// ---- shadow and font --------------------------------------------------------------------

class TChartShadow : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartShadow(TNotifyEvent OnChangeEvent = {}) : OnChange(std::move(OnChangeEvent)) {}

  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  Integer HorizSize() const { return horizSize_; }
  void SetHorizSize(Integer value);
  Integer VertSize() const { return vertSize_; }
  void SetVertSize(Integer value);
  bool Active() const { return horizSize_ != 0 || vertSize_ != 0; }

  TNotifyEvent OnChange;

 private:
  void Changed();

  TColor color_ = clSilver;
  Integer horizSize_ = 0;
  Integer vertSize_ = 0;
};

class TChartFont : public TFont {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Arial 8, character set 1, in DefaultColor and DefaultStyle; Height, Name, Style
  // and Color are stored only where they differ from these.
  explicit TChartFont(TNotifyEvent OnChangeEvent = {}, TColor DefaultColor = clBlack, TFontStyles DefaultStyle = {});
  ~TChartFont() override;

  // From a TChartFont: InterCharSize, OutLine and Shadow, then the font.
  void Assign(TPersistent* source) override;
  // Also the colour and style its stored predicates compare with.
  void KeepDefaults() override;

  Integer InterCharSize() const { return interCharSize_; }
  void SetInterCharSize(Integer value);
  TChartHiddenPen* OutLine() const { return outLine_.get(); }
  void SetOutLine(TChartHiddenPen* value) { outLine_->Assign(value); }
  TChartShadow* Shadow() const { return shadow_.get(); }
  void SetShadow(TChartShadow* value) { shadow_->Assign(value); }

  // The canvas that last applied this font.
  TChartCanvas* Canvas() const { return chartCanvas_; }
  void SetCanvas(TChartCanvas* value) { chartCanvas_ = value; }

  bool IsHeightStored() const;
  bool IsNameStored() const;
  bool IsStyleStored() const;
  bool IsColorStored() const;

 private:
  void SubChanged(TObject* Sender);

  Integer interCharSize_ = 0;
  std::unique_ptr<TChartHiddenPen> outLine_;
  std::unique_ptr<TChartShadow> shadow_;
  TColor defaultColor_;
  TFontStyles defaultStyle_;
  TChartCanvas* chartCanvas_ = nullptr;
};

inline constexpr const char* ChartDefaultFontName = "Arial";
inline constexpr Integer ChartDefaultFontSize = 8;

// ---- 3D view options --------------------------------------------------------------------

using TView3DScrollEvent = std::function<void(bool Horizontal)>;
using TView3DZoomEvent = std::function<void(Integer NewZoom)>;

class TView3DOptions : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TView3DOptions(TCustomChartPanel* Panel);

  // Copies the ten published values.
  void Assign(TPersistent* source) override;

  Integer Elevation() const { return elevation_; }
  void SetElevation(Integer value);
  Integer HorizOffset() const { return horizOffset_; }
  void SetHorizOffset(Integer value);
  bool Orthogonal() const { return orthogonal_; }
  void SetOrthogonal(bool value);
  Integer OrthoAngle() const { return orthoAngle_; }
  void SetOrthoAngle(Integer value);
  Integer Perspective() const { return perspective_; }
  void SetPerspective(Integer value);
  Integer Rotation() const { return rotation_; }
  void SetRotation(Integer value);
  Integer Tilt() const { return tilt_; }
  void SetTilt(Integer value);
  Integer VertOffset() const { return vertOffset_; }
  void SetVertOffset(Integer value);
  // Percent.
  Integer Zoom() const { return zoom_; }
  void SetZoom(Integer value);
  bool ZoomText() const { return zoomText_; }
  void SetZoomText(bool value);

  TCustomChartPanel* Panel() const { return panel_; }
  TPersistent* GetOwner() override;

  // Set by the panel.
  TView3DScrollEvent OnScroll;
  TView3DZoomEvent OnZoom;

 private:
  void Repaint();
  void ChangeInteger(Integer& field, Integer value);

  Integer elevation_ = 345;
  Integer horizOffset_ = 0;
  bool orthogonal_ = true;
  Integer orthoAngle_ = 45;
  Integer perspective_ = 15;
  Integer rotation_ = 345;
  Integer tilt_ = 0;
  Integer vertOffset_ = 0;
  Integer zoom_ = 100;
  bool zoomText_ = true;
  TCustomChartPanel* panel_;
};
