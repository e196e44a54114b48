#pragma once
// Positioned shapes: titles above and below the plotting area, and the base of the
// legend. A positioned shape is placed by the chart unless CustomPosition holds, when
// Left and Top put it where the user wants.
#include <memory>
#include <string>

#include "chart/chart_shape.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/strings.h"

class TCustomAxisPanel;

class TChartCustomShapePosition : public TChartCustomShape {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TChartCustomShapePosition(TCustomChartPanel* ParentChart, std::unique_ptr<TChartBrush> Brush = nullptr);

  // CustomPosition and the rectangle, then the shape.
  void Assign(TPersistent* source) override;

  bool CustomPosition() const { return customPosition_; }
  void SetCustomPosition(bool value);
  // The shape's rectangle moves as a whole; setting either sets CustomPosition.
  Integer Left() const { return ShapeBounds.left; }
  void SetLeft(Integer value);
  Integer Top() const { return ShapeBounds.top; }
  void SetTop(Integer value);

 private:
  bool customPosition_ = false;
};

class TChartTitle : public TChartCustomShapePosition {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // A top title: centred, AdjustFrame, transparent, blue font.
  explicit TChartTitle(TCustomChartPanel* ParentChart);
  ~TChartTitle() override;

  // Alignment, AdjustFrame, Text, then the positioned shape.
  void Assign(TPersistent* source) override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AdjustFrame() const { return adjustFrame_; }
  void SetAdjustFrame(bool value);
  TStrings* Text() const { return text_.get(); }
  void SetText(TStrings* value) { text_->Assign(value); }
  // Foot titles sit below the plotting area, their first line lowest.
  virtual bool IsFoot() const { return false; }

  // P lies in the rectangle of the last drawing (right and bottom edges outside).
  bool Clicked(Integer X, Integer Y) const;
  // Draws the title on the chart's canvas and, unless CustomPosition, takes its room off
  // the chart's plotting rectangle. Nothing when hidden or without lines.
  void DrawTitle(TCustomAxisPanel* Chart);

 protected:
  TChartTitle(TCustomChartPanel* ParentChart, TColor FontColor, TFontStyles FontStyle);

 private:
  void TextChanged(TObject* Sender);

  TAlignment alignment_ = taCenter;
  bool adjustFrame_ = true;
  std::unique_ptr<TStringList> text_;
};

// A bottom title: red italic font.
class TChartFootTitle : public TChartTitle {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TChartFootTitle(TCustomChartPanel* ParentChart);

  bool IsFoot() const override { return true; }
};
