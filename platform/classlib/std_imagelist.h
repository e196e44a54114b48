#pragma once
// TCustomImageList and TImageList: a row of equally sized images, each with an optional
// mask, drawn on canvases by index (tree views, list views, speed buttons, menus).
//
// Images are kept as 32-bit pixels (0x00RRGGBB) with a mask bit per pixel. A bitmap
// wider than the list's Width is a strip: Add and AddMasked cut it into Width-wide
// images from the left, as many as fit whole.
//
// Form files store the images as the binary property "Bitmap" (see WriteImages): the
// image count, the size, and every pixel with its mask in the alpha byte.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/component.h"

class TCustomImageList;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };
const TEnumInfo& DrawingStyleInfo();
const TEnumInfo& ImageTypeInfo();

// A control that shows images of a list registers a link to hear of changes.
class TChangeLink : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChangeLink() = default;
  // Leaves the list it is registered with.
  ~TChangeLink() override;

  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* value) { sender_ = value; }
  void Change();

  TNotifyEvent OnChange;

 private:
  TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  void Assign(TPersistent* source) override;

  // ---- size ----
  // A new size empties the list (the old images no longer fit). Sizes below 1 count as 1.
  Integer Width() const { return width_; }
  void SetWidth(Integer value);
  Integer Height() const { return height_; }
  void SetHeight(Integer value);
  void SetSize(Integer AWidth, Integer AHeight);
  Integer Count() const { return static_cast<Integer>(images_.size()); }

  // ---- adding and removing ----
  // Every whole image of the strip, masked by `mask` (white pixels are transparent; no
  // mask: all opaque). The index of the first image added, -1 when none fits.
  Integer Add(TBitmap* image, TBitmap* mask);
  // Pixels of `maskColor` become transparent; clDefault takes the bitmap's transparent
  // colour (its bottom-left pixel), clNone masks nothing.
  Integer AddMasked(TBitmap* image, TColor maskColor);
  // The images of another list, appended.
  void AddImages(TCustomImageList* value);
  void Insert(Integer index, TBitmap* image, TBitmap* mask);
  void InsertMasked(Integer index, TBitmap* image, TColor maskColor);
  // Replaces image `index` with the first image of the bitmap.
  void Replace(Integer index, TBitmap* image, TBitmap* mask);
  void ReplaceMasked(Integer index, TBitmap* image, TColor maskColor);
  void Move(Integer curIndex, Integer newIndex);
  // Indexes outside the list raise EInvalidOperation "Invalid ImageList Index".
  void Delete(Integer index);
  void Clear();

  // Loads a strip from a bitmap resource (RT_BITMAP) or a BMP file in place of the
  // images: they keep the list's Width and take the bitmap's height, masked by
  // `maskColor` as AddMasked does. The list is replaced only when the bitmap was read;
  // false (and the list unchanged) otherwise.
  bool ResourceLoad(const std::string& name, TColor maskColor);
  bool FileLoad(const std::string& fileName, TColor maskColor);

  // ---- drawing ----
  // With the list's DrawingStyle and ImageType. A bad index draws nothing.
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled = true);
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style, TImageType type,
            bool enabled = true);
  // Draws image `index` on `image`, made Width x Height first. False for a bad index.
  bool GetBitmap(Integer index, TBitmap* image);

  // ---- pixels (0x00RRGGBB) and mask, for tests and for copying images out ----
  win::DWORD PixelAt(Integer index, Integer x, Integer y) const;
  bool OpaqueAt(Integer index, Integer x, Integer y) const;

  // ---- appearance ----
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor value);
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor value) { blendColor_ = value; }
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType value);
  bool Masked() const { return masked_; }
  void SetMasked(bool value);
  Integer AllocBy() const { return allocBy_; }
  void SetAllocBy(Integer value) { allocBy_ = value; }
  bool ShareImages() const { return shareImages_; }
  void SetShareImages(bool value) { shareImages_ = value; }

  // ---- changes ----
  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  void BeginUpdate();
  void EndUpdate();
  TNotifyEvent OnChange;

  // The stored form of the images ("Bitmap"): i32 count, i32 width, i32 height, then
  // count x height x width pixels of 4 bytes (blue, green, red, 0 for transparent or 255
  // for opaque), image by image, rows top first. Reading checks every number against the
  // bytes left and replaces the list only when all of it was good (EReadError else).
  void WriteImages(TStream& stream) const;
  void ReadImages(TStream& stream);

 protected:
  virtual void Change();
  void DefineProperties(TFiler* filer) override;

 private:
  struct Image {
    std::vector<win::DWORD> pixels;  // 0x00RRGGBB, rows top first
    std::vector<bool> opaque;
  };

  void CheckIndex(Integer index) const;
  // Cuts the strip into images; `transparent` tells the masked-out pixels.
  std::vector<Image> Slice(TBitmap* image, const std::function<bool(win::DWORD rgb, Integer x, Integer y)>& transparent);
  std::vector<Image> SliceWithMask(TBitmap* image, TBitmap* mask);
  std::vector<Image> SliceMasked(TBitmap* image, TColor maskColor);
  void InsertImages(Integer index, std::vector<Image> images);
  void DoDraw(TCanvas* canvas, Integer x, Integer y, const Image& image, TDrawingStyle style, TImageType type,
              bool enabled);
  bool LoadStrip(TBitmap* bitmap, TColor maskColor);

  Integer width_ = 16;
  Integer height_ = 16;
  std::vector<Image> images_;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  TDrawingStyle drawingStyle_ = dsNormal;
  TImageType imageType_ = itImage;
  bool masked_ = true;
  Integer allocBy_ = 4;
  bool shareImages_ = false;
  Integer updateCount_ = 0;
  bool changed_ = false;
  std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
