#pragma once
// Window outlines: a shape (one of 18, a stored region or a point list) turned into a
// region of the window system for a given rectangle, its shadow and the border drawn
// along it. The form shape (kit_form_shape.h) applies these to a form.
//
// Stored region data (the mask's "RegionData", a user region, the region made from a
// point list) is the window system's region data format; it is checked when read and
// again when a region is built from it, so a bad block yields no region and never a
// half-made one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_internal_format.h"
#include "controlkit/kit_object.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/streams.h"
#include "platform/win/region_api.h"

enum TKitShadowStyle : Byte { hssNone, hssSolid, hssTracing };

enum TKitRegionShape : Byte {
  rsRect,
  rsRoundRect,
  rsBitmap,
  rsNoseRect,
  rsRoundNoseRect,
  rsElliptic,
  rsStar,
  rsRoundShield,
  rsSharpShield,
  rsDiamond,
  rsOctagon,
  rsComb,
  rsHalfRound,
  rsUserRegion,
  rsThinkBubble,
  rsRoundThinkBubble,
  rsEllipticThinkBubble,
  rsPointList
};

enum TKitExtPos : Byte {
  epLeftTop,
  epTopLeft,
  epTopRight,
  epRightTop,
  epRightBottom,
  epBottomRight,
  epBottomLeft,
  epLeftBottom
};

enum TKitRegionBorderStyle : Byte {
  rbNone,
  rbLowered,
  rbRaised,
  rbSingle,
  rbSingleRaised,
  rbSingleLowered,
  rbRaisedpsb,
  rbLoweredpsb
};

// The names of the enumerations (form files).
const TEnumInfo& KitShadowStyleInfo();
const TEnumInfo& KitRegionShapeInfo();
const TEnumInfo& KitExtPosInfo();
const TEnumInfo& KitRegionBorderStyleInfo();

// Owns a region handle; deletes it on scope exit unless released.
class TKitRgnHandle {
 public:
  TKitRgnHandle() = default;
  explicit TKitRgnHandle(win::HRGN h) : h_(h) {}
  TKitRgnHandle(const TKitRgnHandle&) = delete;
  TKitRgnHandle& operator=(const TKitRgnHandle&) = delete;
  TKitRgnHandle(TKitRgnHandle&& o) noexcept : h_(o.Release()) {}
  TKitRgnHandle& operator=(TKitRgnHandle&& o) noexcept;
  ~TKitRgnHandle() { Reset(); }
  win::HRGN Get() const { return h_; }
  win::HRGN Release();
  void Reset(win::HRGN h = nullptr);
  explicit operator bool() const { return h_ != nullptr; }

 private:
  win::HRGN h_ = nullptr;
};

class TKitShadow : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  Byte Depth() const { return depth_; }
  void SetDepth(Byte value);
  TKitShadowStyle Style() const { return style_; }
  void SetStyle(TKitShadowStyle value);
  // "{Disabled}", "{solid, 6}", "{tracing, 6}".
  std::string SettingsText() override;
  void Assign(TPersistent* source) override;

 protected:
  TKitShadowStyle style_ = hssSolid;

 private:
  TColor color_ = clBtnShadow;
  Byte depth_ = 6;
};

class TKitRgnShadow : public TKitShadow {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  TKitRgnShadow() { style_ = hssNone; }
};

// Points packed one per list entry: x in the high 16 bits, y in the low 16 bits (both
// signed), so a point keeps exactly 16 bits per coordinate.
class TKitPointList : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  static std::uint32_t Pack(Integer x, Integer y);
  static TPoint Unpack(std::uint32_t entry);

  TPoint Points(Integer index) const;
  // Nothing for an index outside the list.
  void SetPoints(Integer index, const TPoint& value);
  Integer Add(Integer x, Integer y);
  void Clear() override;
  void BeginUpdate() { updating_ = true; }
  void EndUpdate();
  // Reads the "PointList" form value: a list of integers taken as (x, y) pairs. An odd
  // count or a coordinate outside 16 bits raises EReadError and leaves the list as it was.
  void ReadPairs(TReader& reader);
  void WritePairs(TWriter& writer) const;

  TNotifyEvent OnChange;

 protected:
  void Notify(void* ptr, TListNotification action) override;

 private:
  void Changed();
  bool updating_ = false;
  bool suppress_ = false;
};

class TKitRegionMask : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitRegionMask();
  ~TKitRegionMask() override;

  // The raw region data (empty: none).
  const std::vector<Byte>& RegionData() const { return regionData_; }
  // Validates the block (it must build a region) before taking it; raises EReadError
  // otherwise and keeps the old data.
  void SetRegionData(const std::vector<Byte>& data);
  void ClearRegionData();
  Integer RegionDataSize() const { return static_cast<Integer>(regionData_.size()); }
  bool Compressed() const { return compressed_; }
  void SetCompressed(bool value) { compressed_ = value; }
  TKitSavePixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TKitSavePixelFormat value) { pixelFormat_ = value; }
  TBitmap* BorderBmp() const { return borderBmp_.get(); }
  TBitmap* BorderUpBmp() const { return borderUpBmp_.get(); }
  TBitmap* BorderDnBmp() const { return borderDnBmp_.get(); }

  // "RegionData": the stream's remaining bytes must hold exactly one checked block.
  void ReadRegionData(TStream& stream);
  void WriteRegionData(TStream& stream) const;
  // "BorderBmp" etc.: a mode byte (0: no bitmap, 1: bitmap block, 2: compressed block).
  static void ReadModeBitmap(TStream& stream, TBitmap* bitmap);
  void WriteModeBitmap(TStream& stream, TBitmap* bitmap) const;

  // A new region from the data moved by (dx, dy); null without data.
  win::HRGN CreateRegion(Integer dx, Integer dy) const;
  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;

 private:
  std::vector<Byte> regionData_;
  bool compressed_ = false;
  TKitSavePixelFormat pixelFormat_ = spfDefault;
  std::unique_ptr<TBitmap> borderBmp_;
  std::unique_ptr<TBitmap> borderUpBmp_;
  std::unique_ptr<TBitmap> borderDnBmp_;
};

// Checks a region data block against its size (header, count, rectangles) and builds the
// region; null for a bad block.
win::HRGN KitRegionFromData(const std::vector<Byte>& data);
// The region data of a region (empty for a bad handle).
std::vector<Byte> KitRegionToData(win::HRGN rgn);

class TKitRegionBorder : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitRegionBorderStyle Style() const { return style_; }
  void SetStyle(TKitRegionBorderStyle value);
  TColor LightColor() const { return light_; }
  void SetLightColor(TColor value);
  TColor ShadowColor() const { return shadow_; }
  void SetShadowColor(TColor value);
  TColor SingleColor() const { return single_; }
  void SetSingleColor(TColor value);
  void Assign(TPersistent* source) override;

  // Draws the border along the inside of `rgn` on the canvas.
  void Draw(TCanvas* canvas, win::HRGN rgn) const;

 private:
  TKitRegionBorderStyle style_ = rbSingle;
  TColor light_ = clBtnHighlight;
  TColor shadow_ = clBtnShadow;
  TColor single_ = clBlack;
};

class TKitRegion : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitRegion();
  ~TKitRegion() override;

  TKitRegionShape Shape() const { return shape_; }
  void SetShape(TKitRegionShape value);
  TKitExtPos ExtPos() const { return extPos_; }
  void SetExtPos(TKitExtPos value);
  Integer RoundX() const { return roundX_; }
  void SetRoundX(Integer value);
  Integer RoundY() const { return roundY_; }
  void SetRoundY(Integer value);
  TKitRegionMask* Mask() const { return mask_.get(); }
  TKitRgnShadow* Shadow() const { return shadow_.get(); }
  TKitPointList* Points() const { return points_.get(); }

  // Stores a copy of `rgn` as the user region (null clears it).
  void SetUserRegion(win::HRGN rgn);
  bool HasUserRegion() const { return !userData_.empty(); }
  // The region data made from the point list (empty with fewer than three points).
  const std::vector<Byte>& PointListData() const { return pointData_; }

  // A new region of the shape in R (the caller deletes it); null when the shape has no
  // data. `designing` makes rsUserRegion the rectangle.
  win::HRGN CreateRegion(const TRect& R, bool designing = false) const;

  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;

 private:
  void PointsChanged(TObject* sender);
  void PartChanged(TObject* sender);

  TKitRegionShape shape_ = rsRoundRect;
  TKitExtPos extPos_ = epLeftTop;
  Integer roundX_ = 20;
  Integer roundY_ = 20;
  std::unique_ptr<TKitRegionMask> mask_;
  std::unique_ptr<TKitRgnShadow> shadow_;
  std::unique_ptr<TKitPointList> points_;
  std::vector<Byte> userData_;
  std::vector<Byte> pointData_;
};

class TKitBorderRegion : public TKitRegion {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitBorderRegion();
  ~TKitBorderRegion() override;
  TKitRegionBorder* Border() const { return border_.get(); }
  void Assign(TPersistent* source) override;

 private:
  std::unique_ptr<TKitRegionBorder> border_;
};
