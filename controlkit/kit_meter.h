#pragma once
// Meters: TKitBaseMeter (a windowless bar with a bevel, a value range and a percentage),
// TKitCustomProgress / TKitProgress (plain, block and owner-drawn bars) and TKitSmallBar,
// the block settings of the progress bar.
//
// The bar is drawn off-screen into a bitmap of the bar rectangle and copied onto the
// control, so a position change repaints only the bar; small steps are skipped while they
// would not change what shows (the minimum redraw step).
#include <functional>
#include <memory>
#include <string>

#include "controlkit/kit_control_base.h"
#include "controlkit/kit_object.h"
#include "controlkit/kit_properties.h"

using TKitPercent = Byte;

enum TKitMeterDirection : Byte { mdHorizontal, mdVertical, mdHorizontalReverse, mdVerticalReverse };
enum TKitMeterTextOptions : Byte { toNoText, toCaption, toPercent };
enum TKitProgressStyle : Byte { pgBar, pgSmallBar, pgSmallBarColor, pgOwnerDraw };

const TEnumInfo& KitMeterDirectionInfo();
const TEnumInfo& KitMeterTextOptionsInfo();
const TEnumInfo& KitProgressStyleInfo();

// The filled part of a bar of `Width` x `Height` at percentage `P` (0..100), in the bar's
// own coordinates: the fill length is trunc(P / 100 x length), at most the length.
TRect KitMeterFilledPart(TKitMeterDirection Direction, Integer Width, Integer Height, Integer P);
// The rest of the bar beside the filled part.
TRect KitMeterEmptyPart(TKitMeterDirection Direction, Integer Width, Integer Height, const TRect& Filled);

class TKitBaseMeter : public TKitGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitBaseMeter(TComponent* AOwner);
  ~TKitBaseMeter() override;

  TKit3DCaption* Font3D() const { return font3D_.get(); }
  void SetFont3D(TKit3DCaption* Value) { font3D_->Assign(Value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TKitMeterDirection Direction() const { return direction_; }
  void SetDirection(TKitMeterDirection Value);
  Integer MaxValue() const { return maxValue_; }
  void SetMaxValue(Integer Value);
  Integer MinValue() const { return minValue_; }
  void SetMinValue(Integer Value);
  TKitPercent Position() const { return position_; }
  // Values above 100 store 100 (below 0 store 0).
  void SetPosition(Integer Value);
  TKitPercent Step() const { return step_; }
  void SetStep(TKitPercent Value) { step_ = Value; }
  TKitMeterTextOptions OptionsText() const { return optionsText_; }
  void SetOptionsText(TKitMeterTextOptions Value);
  bool UseFontColor() const { return useFontColor_; }
  void SetUseFontColor(bool Value);
  Integer UserValue() const { return userValue_; }
  // Taken only within [MinValue, MaxValue].
  void SetUserValue(Integer Value);

  // The area inside the bevel, as the last paint found it.
  TRect BarRect() const { return barRect_; }
  Byte MinRedrawStep() const { return minRedrawStep_; }
  // Draws the bar now when the position moved far enough (see the header note).
  void UpdateBar();
  // The range read from a form is put in order once both ends are known.
  void Loaded() override;
  // A meter's bevel starts lowered while the bevel's stored default is none, so a meter
  // set to no outer bevel records that itself ("BevelOuterNone").
  void DefineProperties(TFiler* filer) override;

 protected:
  void Paint() override;
  // Draws the bar of percentage `P` on the bar bitmap's canvas; `Bar` is the whole bitmap.
  virtual void DrawBar(TCanvas* Canvas, const TRect& Bar, const TRect& Empty, const TRect& Filled, Integer P) = 0;
  // The caption or percentage over the bar; `Second` is the text colour over the empty
  // part when the text is drawn in two colours.
  void DrawMeterText(TCanvas* Canvas, const TRect& Bar, const TRect& Empty, const TRect& Filled, Integer P,
                     TColor Second);
  void SetMinRedrawStep(Byte Value) { minRedrawStep_ = Value; }
  bool resizing_ = false;

 private:
  void PositionFromUserValue();
  void UserValueFromPosition();
  TRect CurrentBarRect();

  std::unique_ptr<TKit3DCaption> font3D_;
  TAlignment alignment_ = taCenter;
  TKitMeterDirection direction_ = mdHorizontal;
  Integer maxValue_ = 100;
  Integer minValue_ = 0;
  TKitPercent position_ = 0;
  Integer lastDrawn_ = -1;  // -1: nothing drawn since the last full paint
  TKitPercent step_ = 10;
  TRect barRect_{0, 0, 0, 0};
  TKitMeterTextOptions optionsText_ = toNoText;
  bool useFontColor_ = false;
  Integer userValue_ = 0;
  Byte minRedrawStep_ = 1;
  bool drawing_ = false;
};

class TKitSmallBar : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitSmallBar() = default;
  void Assign(TPersistent* Source) override;

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  Byte BarCount() const { return barCount_; }
  // The block styles divide by the count: 0 is kept as 1.
  void SetBarCount(Byte Value);
  TColor BarColor() const { return barColor_; }
  void SetBarColor(TColor Value);
  Byte HSpace() const { return hSpace_; }
  void SetHSpace(Byte Value);
  Byte VSpace() const { return vSpace_; }
  void SetVSpace(Byte Value);

 private:
  bool autoSize_ = true;
  Byte barCount_ = 10;
  TColor barColor_ = clNavy;
  Byte hSpace_ = 3;
  Byte vSpace_ = 3;
};

// The block length of a small bar: trunc((Length - Space x Count) / Count), never below 0.
Integer KitSmallBarBlockSize(Integer Length, Integer Space, Integer Count);

using TKitProgressPaintEvent = std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& BarRect,
                                                  const TRect& EmptyPart, const TRect& FilledPart)>;
using TKitProgressGetColorEvent = std::function<void(TObject* Sender, Integer Index, TColor& Color)>;

class TKitCustomProgress : public TKitBaseMeter {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomProgress(TComponent* AOwner);
  ~TKitCustomProgress() override;

  TColor BarColor() const { return barColor_; }
  void SetBarColor(TColor Value);
  TKitBorderStyle Bar3D() const { return bar3D_; }
  void SetBar3D(TKitBorderStyle Value);
  TKitSmallBar* SmallBar() const { return smallBar_.get(); }
  void SetSmallBar(TKitSmallBar* Value) { smallBar_->Assign(Value); }
  TKitProgressStyle Style() const { return style_; }
  void SetStyle(TKitProgressStyle Value);

  TKitProgressPaintEvent OnPaint;
  TKitProgressGetColorEvent OnGetColor;

 protected:
  void Paint() override;
  void DrawBar(TCanvas* Canvas, const TRect& Bar, const TRect& Empty, const TRect& Filled, Integer P) override;

 private:
  void SmallBarChanged();
  bool SmallBarStyle() const { return style_ == pgSmallBar || style_ == pgSmallBarColor; }
  // Resizes the control to a whole number of blocks; true when it did.
  bool AutoSizeSmallBar();
  void DrawBlocks(TCanvas* Canvas, const TRect& Bar, const TRect& Filled, Integer P);

  TColor barColor_ = clNavy;
  TKitBorderStyle bar3D_ = lsNone;
  std::unique_ptr<TKitSmallBar> smallBar_;
  TKitProgressStyle style_ = pgSmallBar;
};

class TKitProgress : public TKitCustomProgress {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitProgress(TComponent* AOwner) : TKitCustomProgress(AOwner) {}
};
