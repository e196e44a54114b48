#pragma once
// The kit's image-list interface, through which every kit control takes its glyphs, and
// its two implementations over kit items: TKitImageList (items that each hold a strip of
// equal images) and TKitBitmapList (items that each hold one bitmap).
//
// Every operation takes the index of the item (the "list") first and, where there is one,
// the index of the image in it second. Indexes out of range never fail: counts answer -1,
// colours 0xFFFFFF, drawing draws nothing.
#include <memory>
#include <vector>

#include "controlkit/kit_items.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/win/handles.h"

// What GetPixel and GetTransparentColor answer for an index out of range.
inline constexpr TColor kKitNoPixel = 0xFFFFFF;

class TKitCustomImageList : public TKitCustomContainer {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TKitCustomImageList(TComponent* AOwner, const TClass& ItemClass, TKitContainerKind Kind);

  // Canvas of the list's strip bitmap; null when there is none.
  virtual TCanvas* GetCanvas(Integer ListIndex) = 0;
  // The image's rectangle on that canvas; false (and R empty) for a bad index.
  virtual bool GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) = 0;
  // Which 0: the images' width, 1: their height; 0 for a bad list.
  virtual Integer GetSize(Integer ListIndex, Integer Which) = 0;
  // Number of images; -1 when the list index is out of range.
  virtual Integer ImageCount(Integer ListIndex) = 0;
  // List in range and 0 <= image < its count.
  virtual bool IsValidImage(Integer ListIndex, Integer ImageIndex);
  // Sizes `Bitmap` to the image and copies the image into it; false for a bad index.
  virtual bool GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) = 0;
  virtual bool IsMasked(Integer ListIndex) = 0;
  // Palette of the strip bitmap (none when it has none).
  virtual win::HPALETTE GetPalette(Integer ListIndex) = 0;
  // Colour of the image's bottom-left pixel.
  virtual TColor GetTransparentColor(Integer ListIndex, Integer ImageIndex) = 0;
  // Colour of pixel P of the image (P inside Width x Height).
  virtual TColor GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) = 0;
  // The image at (X, Y).
  virtual void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) = 0;
  // The image placed in R by DrawBitmapState with `Flags` (DrawBitmapExt flags), leaving
  // out its transparent colour; `Result` receives the area drawn.
  virtual void DrawState(TCanvas* Canvas, const TRect& R, TRect& Result, Integer ListIndex, Integer ImageIndex,
                         Word Flags);
  // The image drawn from the strip by DrawBitmapClipped with Options | Flags (with
  // kKitDbClip the drawing is clipped to R); masked images go through their mask.
  virtual void DrawClipped(TCanvas* Canvas, const TRect& R, Integer ListIndex, Integer ImageIndex, Word Options,
                           Word Flags);
};

// ---- image items -----------------------------------------------------------------------------

// A strip of equal images side by side in one bitmap, with a monochrome mask strip.
class TKitImageListItem : public TKitListItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitImageListItem(TComponent* AOwner);
  ~TKitImageListItem() override;

  // Appends the images of another image item. Sizes must match (an item without images
  // takes the source's size first): else EInvalidGraphicOperation "Invalid image size".
  void Assign(TPersistent* Source) override;

  // Images added per growth of the strip (at least 1).
  Integer AllocBy() const { return allocBy_; }
  void SetAllocBy(Integer Value);
  // A new size empties the item (the images no longer fit). At least 1.
  Integer Height() const { return height_; }
  void SetHeight(Integer Value);
  Integer Width() const { return width_; }
  void SetWidth(Integer Value);
  bool Masked() const { return masked_; }
  void SetMasked(bool Value);
  TKitSavePixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TKitSavePixelFormat Value);
  // clNone: no background (masked images are drawn straight onto the canvas).
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor Value);
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor Value);
  // 0 focus, 1 selected, 2 normal, 3 transparent.
  Byte DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(Byte Value);
  // 0 draws the image, 1 the mask.
  Byte ImageType() const { return imageType_; }
  void SetImageType(Byte Value);

  // Number of images.
  Integer Count() const { return static_cast<Integer>(entries_.size()); }
  // Columns of the strip in use (Count x Width); the strip bitmap may be wider.
  Integer StripWidth() const { return stripWidth_; }
  TBitmap* Strip() const { return strip_.get(); }
  TBitmap* MaskStrip() const { return mask_.get(); }
  // Left edge of image `Index` in the strip, and whether it has a mask.
  Integer ImageLeft(Integer Index) const;
  bool ImageMasked(Integer Index) const;
  bool ValidIndex(Integer Index) const { return Index >= 0 && Index < Count(); }
  // (left, 0, left + Width, Height); empty for a bad index.
  TRect ImageRect(Integer Index) const;

  // Appends the images of `Image` (Height high, a multiple of Width wide) with their mask
  // (same size; none: opaque). Returns the index of the first image added. Raises
  // EInvalidGraphicOperation "Invalid image size" for other sizes and "Too many images"
  // when the strip would pass 32768 columns; the item then keeps what it had.
  Integer Add(TBitmap* Image, TBitmap* Mask);
  // Appends the images of `Image`, pixels of `TransparentColor` left out.
  Integer AddMasked(TBitmap* Image, TColor TransparentColor);
  // Copies image `Index` into `Bitmap` (sized Width x Height); false for a bad index.
  bool GetImage(Integer Index, TBitmap* Bitmap) const;
  // Draws image `Index` at (X, Y) by DrawingStyle and ImageType.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index);

  void Clear() override;
  bool IsEmpty() const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  Byte GetFlags() const override;

 private:
  struct Entry {
    Word Left = 0;
    bool Masked = false;
  };
  // Makes room for `Extra` more images, growing by AllocBy images at a time.
  void Grow(Integer Extra);
  void DrawMaskedInto(TCanvas* Canvas, Integer X, Integer Y, Integer Index);

  Integer allocBy_ = 4;
  Integer height_ = 16;
  Integer stripWidth_ = 0;
  Integer width_ = 16;
  TKitSavePixelFormat pixelFormat_ = spfDefault;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  Byte drawingStyle_ = 2;
  std::unique_ptr<TBitmap> strip_;
  std::unique_ptr<TBitmap> mask_;
  std::vector<Entry> entries_;
  Byte imageType_ = 0;
  bool masked_ = false;
};

// Widest strip an image item may have, in pixels.
inline constexpr Integer kKitMaxStripWidth = 32768;

// ---- lists -----------------------------------------------------------------------------------

class TKitImageList : public TKitCustomImageList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitImageList(TComponent* AOwner);

  TKitImageListItem* GetItemAt(Integer Index) const;

  TCanvas* GetCanvas(Integer ListIndex) override;
  bool GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) override;
  Integer GetSize(Integer ListIndex, Integer Which) override;
  Integer ImageCount(Integer ListIndex) override;
  bool GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) override;
  bool IsMasked(Integer ListIndex) override;
  win::HPALETTE GetPalette(Integer ListIndex) override;
  TColor GetTransparentColor(Integer ListIndex, Integer ImageIndex) override;
  TColor GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) override;
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) override;
  void DrawClipped(TCanvas* Canvas, const TRect& R, Integer ListIndex, Integer ImageIndex, Word Options,
                   Word Flags) override;

 private:
  // The item when ListIndex is in range, else null.
  TKitImageListItem* ItemOrNull(Integer ListIndex) const;
};

// One image per bitmap item (none for an empty bitmap).
class TKitBitmapList : public TKitCustomImageList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitBitmapList(TComponent* AOwner);

  TKitBitmapListItem* GetItemAt(Integer Index) const;

  TCanvas* GetCanvas(Integer ListIndex) override;
  bool GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) override;
  Integer GetSize(Integer ListIndex, Integer Which) override;
  Integer ImageCount(Integer ListIndex) override;
  bool GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) override;
  bool IsMasked(Integer ListIndex) override;
  win::HPALETTE GetPalette(Integer ListIndex) override;
  TColor GetTransparentColor(Integer ListIndex, Integer ImageIndex) override;
  TColor GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) override;
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) override;

 private:
  TBitmap* BitmapOrNull(Integer ListIndex) const;
};
