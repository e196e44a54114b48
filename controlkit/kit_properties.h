#pragma once
// The kit's property objects: glyph-and-text and button layouts, 3D and rotated captions,
// the gradient, shape fill and fill object, the alpha and bitmap-effect objects, and the
// 24-bit pixel procedures those effects are made of.
//
// Every object follows one pattern: a setter stores only a different value and then calls
// Change (OnChange, so the owning control repaints); Assign from an object of the same
// class copies every field under one update lock and ends with one Change; owned
// sub-objects (bitmaps, brushes, gradients, fill objects) report their changes to the
// owner's NotifyChange; SettingsText gives a short summary for design tools.
#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_change_link.h"
#include "controlkit/kit_draw.h"
#include "controlkit/kit_object.h"
#include "controlkit/kit_text_effects.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/properties.h"
#include "platform/win/handles.h"

class TKitCustomImageList;

QM_DECLARE_EXCEPTION(EKitWrongPixelFormat, Exception);

// ---- enumerations ---------------------------------------------------------------------------

// Where the text goes relative to the glyph.
enum TKitTextArrange : Byte { taLeft, taLeftTop, taRight, taRightTop, taTop, taTopLeft, taBottom, taBottomLeft };
enum TKitArrowPosition : Byte { apRightText, apLeftText, apRightGlyph, apLeftGlyph };
// Direction of the extrusion of a 3D caption.
enum TKitThreeDOrientation : Byte { toBottomLeft, toBottomRight, toTopLeft, toTopRight };
enum TKitFillStyle : Byte { sfNone, sfBrushBitmap, sfBrush, sfBitmap, sfBitmapList, sfGradient };
enum TKitTileMode : Byte { tmNone, tmCenter, tmStretch, tmTile };
enum TKitFillOption : Byte { foFillInner, foQuickDraw, foGrUseBitmap };
using TKitFillOptions = TSet<TKitFillOption>;

// Value ranges of the subrange properties; setters clamp into them.
inline constexpr Integer kKitMinArrowSize = 2, kKitMaxArrowSize = 10;          // TKitDDArrowSize
inline constexpr Integer kKitMinColorCount = 2, kKitMaxColorCount = 236;       // TKitColorCount
inline constexpr Integer kKitMinAngle = 0, kKitMaxAngle = 360;                 // TKitAngle
inline constexpr Integer kKitMinBrightness = -255, kKitMaxBrightness = 255;    // TKitBrightness

// Identifier tables of the enumerations, for form files.
const TEnumInfo& KitTextArrangeInfo();
const TEnumInfo& KitAlignmentInfo();
const TEnumInfo& KitArrowPositionInfo();
const TEnumInfo& KitThreeDStyleInfo();
const TEnumInfo& KitDisabledStyleInfo();
const TEnumInfo& KitThreeDOrientationInfo();
const TEnumInfo& KitGradientStyleInfo();
const TEnumInfo& KitFillStyleInfo();
const TEnumInfo& KitTileModeInfo();
const TEnumInfo& KitFillOptionInfo();

// ---- layouts --------------------------------------------------------------------------------

class TKitGlyphTextLayout : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitGlyphTextLayout() = default;

  void Assign(TPersistent* Source) override;

  TKitTextArrange AlignText2Glyph() const { return alignText2Glyph_; }
  void SetAlignText2Glyph(TKitTextArrange Value);
  Integer OffsetX() const { return offsetX_; }
  Integer OffsetY() const { return offsetY_; }
  // Which 0 sets OffsetX, 1 OffsetY.
  virtual void SetOffset(Integer Which, Integer Value);
  void SetOffsetX(Integer Value) { SetOffset(0, Value); }
  void SetOffsetY(Integer Value) { SetOffset(1, Value); }
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer Value);
  TKitAlignment Alignment() const { return alignment_; }
  void SetAlignment(TKitAlignment Value);

 protected:
  TKitTextArrange alignText2Glyph_ = taRight;
  Integer offsetX_ = 0;
  Integer offsetY_ = 0;
  Integer spacing_ = 2;
  TKitAlignment alignment_ = agTopLeft;
};

// A glyph-and-text layout with an optional drop-down arrow.
class TKitButtonLayout : public TKitGlyphTextLayout {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitButtonLayout();

  void Assign(TPersistent* Source) override;

  bool Arrow() const { return arrow_; }
  void SetArrow(bool Value);
  TColor ArrowColor() const { return arrowColor_; }
  void SetArrowColor(TColor Value);
  Integer ArrowIndent() const { return arrowIndent_; }
  void SetArrowIndent(Integer Value);
  TKitArrowPosition ArrowPosition() const { return arrowPosition_; }
  void SetArrowPosition(TKitArrowPosition Value);
  // 2..10.
  Integer ArrowSize() const { return arrowSize_; }
  void SetArrowSize(Integer Value);

 private:
  bool arrow_ = false;
  TColor arrowColor_ = clBlack;
  Integer arrowIndent_ = 3;
  TKitArrowPosition arrowPosition_ = apRightText;
  Integer arrowSize_ = 3;
};

// ---- captions -------------------------------------------------------------------------------

class TKit3DCaption : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKit3DCaption() = default;

  void Assign(TPersistent* Source) override;
  // "{" + the style word + "}", e.g. "{sunken shadow}".
  std::string SettingsText() override;

  TKitDisabledStyle DisabledStyle() const { return disabledStyle_; }
  void SetDisabledStyle(TKitDisabledStyle Value);
  Byte LightDepth() const { return lightDepth_; }
  void SetLightDepth(Byte Value);
  Byte ShadowDepth() const { return shadowDepth_; }
  void SetShadowDepth(Byte Value);
  TColor LightColor() const { return lightColor_; }
  void SetLightColor(TColor Value);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor Value);
  TKitThreeDStyle Style() const { return style_; }
  void SetStyle(TKitThreeDStyle Value);
  TKitThreeDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TKitThreeDOrientation Value);
  // Extra character spacing in pixels.
  Integer Tracing() const { return tracing_; }
  void SetTracing(Integer Value);

 private:
  TKitDisabledStyle disabledStyle_ = dsAuto;
  Byte lightDepth_ = 1;
  Byte shadowDepth_ = 1;
  TColor lightColor_ = clBtnHighlight;
  TColor shadowColor_ = clBtnShadow;
  TKitThreeDStyle style_ = tdNone;
  TKitThreeDOrientation orientation_ = toTopLeft;
  Integer tracing_ = 0;
};

// A 3D caption that may be turned by Angle degrees and placed at (PosX, PosY).
class TKitFxCaption : public TKit3DCaption {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitFxCaption() = default;

  void Assign(TPersistent* Source) override;
  // The 3D text, with " rot: <angle>" inside the braces when Angle is not 0.
  std::string SettingsText() override;

  // 0..360.
  Integer Angle() const { return angle_; }
  void SetAngle(Integer Value);
  SmallInt PosX() const { return posX_; }
  SmallInt PosY() const { return posY_; }
  // Which 0 sets PosX, 1 PosY.
  void SetPos(Integer Which, SmallInt Value);
  void SetPosX(SmallInt Value) { SetPos(0, Value); }
  void SetPosY(SmallInt Value) { SetPos(1, Value); }
  // Both, without a Change.
  void SetPosXY(SmallInt X, SmallInt Y);

 private:
  Integer angle_ = 0;
  SmallInt posX_ = 0;
  SmallInt posY_ = 0;
};

// ---- gradient and fills ---------------------------------------------------------------------

class TKitGradient : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitGradient();
  ~TKitGradient() override;

  void Assign(TPersistent* Source) override;
  // "vertical, Col: 16, 2 col mode".
  std::string SettingsText() override;
  // Recomputes the colours (and the palette) before OnChange.
  void Change() override;
  // "ColorList": the key colours as a list of integers, stored when there are any.
  void DefineProperties(TFiler* Filer) override;

  // 2..236.
  Integer ColorCount() const { return colorCount_; }
  void SetColorCount(Integer Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor Value);
  bool PaletteRealize() const { return paletteRealize_; }
  void SetPaletteRealize(bool Value);
  TKitGradientStyle Style() const { return style_; }
  void SetStyle(TKitGradientStyle Value);
  bool TwoColors() const { return twoColors_; }
  void SetTwoColors(bool Value);

  // The key colours of the multi-colour mode.
  const std::vector<TColor>& ColorList() const { return keys_; }
  void SetColorList(const std::vector<TColor>& Value);
  // The computed colours, first to last.
  const std::vector<TColor>& Colors() const { return colors_; }
  // The palette of the computed colours when PaletteRealize is set; owned.
  win::HPALETTE Palette() const { return palette_; }

  // Fills R on the canvas with FillGradientShape and these colours.
  void Fill(TCanvas* Canvas, const TRect& R, Word Flags);

 private:
  void Recompute();
  void FreePalette();

  Integer colorCount_ = 16;
  TColor color_ = 0xFF0000;
  TColor endColor_ = clBlack;
  bool paletteRealize_ = false;
  TKitGradientStyle style_ = gstVertical;
  bool twoColors_ = true;
  std::vector<TColor> keys_;
  std::vector<TColor> colors_;
  win::HPALETTE palette_ = nullptr;
};

class TKitShapeFill : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitShapeFill();
  ~TKitShapeFill() override;

  void Assign(TPersistent* Source) override;
  // "{Brush}", "{Bitmap}", "{BitmapList}", "{Gradient}", "{Disabled}"; "{}" for sfBrushBitmap.
  std::string SettingsText() override;

  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(TBitmap* Value);
  TKitGradient* Gradient() const { return gradient_.get(); }
  void SetGradient(TKitGradient* Value);
  TKitFillStyle Style() const { return style_; }
  virtual void SetStyle(TKitFillStyle Value);
  TKitTileMode TileMode() const { return tileMode_; }
  void SetTileMode(TKitTileMode Value);
  // The image of the bitmap-list style (an image-list image copied in by its user).
  TBitmap* ListBitmap() const { return listBitmap_.get(); }

 protected:
  TKitFillStyle style_ = sfBrush;

 private:
  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TKitGradient> gradient_;
  TKitTileMode tileMode_ = tmTile;
  std::unique_ptr<TBitmap> listBitmap_;
};

class TKitFillObject : public TKitShapeFill {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitFillObject();
  ~TKitFillObject() override;

  void Assign(TPersistent* Source) override;

  // Alignment and offsets report a change only where they matter: with sfBitmap or
  // sfBitmapList and tmNone.
  TKitAlignment Alignment() const { return alignment_; }
  void SetAlignment(TKitAlignment Value);
  Integer OffsetX() const { return offsetX_; }
  void SetOffsetX(Integer Value);
  Integer OffsetY() const { return offsetY_; }
  void SetOffsetY(Integer Value);
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* Value);
  TKitFillOptions Options() const { return options_; }
  void SetOptions(TKitFillOptions Value);

  // Fills R by the style; false when nothing could be drawn (no style, or an empty bitmap,
  // in which case the background was filled with BackColor).
  bool Fill(TCanvas* Canvas, const TRect& R, TColor BackColor);

 private:
  bool PlacementMatters() const;

  TKitAlignment alignment_ = agTopLeft;
  Integer offsetX_ = 0;
  Integer offsetY_ = 0;
  std::unique_ptr<TBrush> brush_;
  TKitFillOptions options_{foFillInner, foGrUseBitmap};
};

// ---- effects --------------------------------------------------------------------------------

// Blends a fill (a brush, a bitmap, a gradient or an image of an image list) over an image.
class TKitAlphaObject : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitAlphaObject();
  ~TKitAlphaObject() override;

  void Assign(TPersistent* Source) override;
  // "{Enabled (bmp), strength: 0.6}"-like, or "{Disabled}".
  std::string SettingsText() override;
  // "Internal": the image list when it is one of the module-wide container's two lists,
  // as its signature ("KITIML30" or "KITBML30").
  void DefineProperties(TFiler* Filer) override;

  // The linked list; none once that list has been freed.
  TKitCustomImageList* ImageList() const;
  // Relinks the change link and reloads the fill's image.
  void SetImageList(TKitCustomImageList* Value);
  Single Strength() const { return strength_; }
  void SetStrength(Single Value);
  Integer ImageIndex() const { return imageIndex_; }
  Integer ListIndex() const { return listIndex_; }
  // Which 0 sets ImageIndex, 1 ListIndex; both reload the fill's image.
  void SetIndex(Integer Which, Integer Value);
  void SetImageIndex(Integer Value) { SetIndex(0, Value); }
  void SetListIndex(Integer Value) { SetIndex(1, Value); }
  TKitFillObject* FillObject() const { return fillObject_.get(); }
  void SetFillObject(TKitFillObject* Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);

  // Copies image (ListIndex, ImageIndex) of the image list into the fill object's
  // bitmap-list bitmap, or empties it when there is no such image.
  void ReloadImage();
  // Blends the fill over the 24-bit bitmap, the fill weighing Strength. Nothing when
  // disabled or when the fill draws nothing.
  void Blend(TBitmap* Bitmap);

 private:
  Single strength_ = 0.6f;
  Integer imageIndex_ = 0;
  Integer listIndex_ = 0;
  std::unique_ptr<TKitFillObject> fillObject_;
  bool enabled_ = false;
  std::unique_ptr<TKitChangeLink> link_;
};

// The effects a control applies to a 24-bit copy of its image before drawing it.
class TKitBitmapEffectObject : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitBitmapEffectObject();
  ~TKitBitmapEffectObject() override;

  void Assign(TPersistent* Source) override;
  // The active effects as short words in braces, e.g. "{alpha, FV, GS}" (also "FH", "inv",
  // "bright", "buf"); "{None}" when there are none.
  std::string SettingsText() override;

  TKitAlphaObject* AlphaBlend() const { return alphaBlend_.get(); }
  void SetAlphaBlend(TKitAlphaObject* Value);
  bool Invert() const { return invert_; }
  void SetInvert(bool Value);
  bool Buffered() const { return buffered_; }
  void SetBuffered(bool Value);
  bool GrayScale() const { return grayScale_; }
  void SetGrayScale(bool Value);
  bool FlipVertical() const { return flipVertical_; }
  void SetFlipVertical(bool Value);
  bool FlipHorizontal() const { return flipHorizontal_; }
  void SetFlipHorizontal(bool Value);
  // -255..255.
  Integer Brightness() const { return brightness_; }
  void SetBrightness(Integer Value);

  // Whether any effect changes pixels (Buffered alone does not).
  bool Active() const;
  // Turns the bitmap into 24 bits and applies, in this order: alpha blend, vertical flip,
  // horizontal flip, grey scale, invert, brightness.
  void Apply(TBitmap* Bitmap);

  // Every change of the settings drops the cached rendering first.
  void Change() override;

  // The cached rendering (kept only while Buffered): the effects applied to area `Area` of
  // bitmap `Source`. Null when there is none.
  TBitmap* CachedBitmap() const { return cache_.get(); }
  // Whether the cached rendering is the one of `Area` of `Source`.
  bool CacheHolds(const TBitmap* Source, const TRect& Area) const;
  // Keeps `Rendered` as the rendering of `Area` of `Source`; nothing unless Buffered.
  void StoreCache(std::unique_ptr<TBitmap> Rendered, const TBitmap* Source, const TRect& Area);
  // Forgets the cached rendering (the background under the control changed).
  void ResetCache();

 private:
  std::unique_ptr<TBitmap> cache_;
  const TBitmap* cacheSource_ = nullptr;
  TRect cacheArea_{};
  std::unique_ptr<TKitAlphaObject> alphaBlend_;
  bool invert_ = false;
  bool buffered_ = false;
  bool grayScale_ = false;
  bool flipVertical_ = false;
  bool flipHorizontal_ = false;
  Integer brightness_ = 0;
};

// ---- 24-bit pixel procedures ----------------------------------------------------------------
// Pixels are 3 bytes, blue, green, red. Areas are clipped to every bitmap involved: a
// rectangle reaching outside a bitmap is cut, never read or written outside it. A bitmap
// that is not 24-bit raises EKitWrongPixelFormat before any pixel is touched.

// Raises EKitWrongPixelFormat "Wrong PixelFormat in <Name> bitmap!" unless 24-bit.
void CheckPixelFormat(TBitmap* Bitmap, const std::string& Name);
// Area R of Source to Target at P: every byte of a pixel becomes
// round(0.3 red) + round(0.59 green) + round(0.11 blue).
void GrayScaleBitmap(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P);
// Turns area R of the bitmap upside down / left to right, in place.
void FlipVertical(TBitmap* Bitmap, const TRect& R);
void FlipHorizontal(TBitmap* Bitmap, const TRect& R);
// Area R of Source to Target at P: every byte becomes 255 - byte.
void InvertBitmap(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P);
// Area R of Source to Target at P: every byte + Value (-255..255), clamped to 0..255.
void BrightnessBitmap(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P, Integer Value);
// Area R of Source1 blended with the same-sized area at P1 of Source2 into Target at P2:
// byte = byte2 + round((byte1 - byte2) x Strength), clamped to 0..255. Strength 1 gives
// Source1, 0 gives Source2.
void AlphaBlendBitmaps(TBitmap* Source1, TBitmap* Source2, const TRect& R, const TPoint& P1, Single Strength,
                       TBitmap* Target, const TPoint& P2);
