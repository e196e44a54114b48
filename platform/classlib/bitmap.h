#pragma once
// TBitmap: a raster image held as a window-system bitmap, either device-independent
// (bmDIB: a DIB section of the pixel format's depth, whose rows ScanLine reaches) or
// device-dependent (bmDDB: the screen's format, or monochrome).
//
// Rows of a DIB are stored bottom-up, as the window system and BMP files keep them:
// ScanLine(0) is the top row, and ScanLine(y + 1) lies one row *below* ScanLine(y) in
// the image, at a lower address. Readers fill images row by row through ScanLine and
// never assume the rows follow each other in memory.
//
// New pixels (a new bitmap, or the part a bitmap grows by) are white. Drawing on Canvas
// fires OnChange.
#include <memory>
#include <string>

#include "platform/classlib/graphic.h"
#include "platform/win/handles.h"

struct TDibData;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TBitmap();
  ~TBitmap() override;

  // From a TBitmap: a copy of its image, palette and transparency; nullptr empties.
  // Other graphics are asked to assign themselves (AssignTo).
  void Assign(TPersistent* source) override;

  // A BMP file (see bmp_format.h). An empty rest of the stream gives an empty bitmap.
  void LoadFromStream(TStream& stream) override;
  // A BMP file of the image in its pixel format; nothing for an empty bitmap.
  void SaveToStream(TStream& stream) override;
  // A bitmap resource (RT_BITMAP) embedded in the module: a packed DIB or a BMP file.
  // A missing one raises EResNotFound.
  void LoadFromResourceName(const std::string& name);
  void LoadFromResourceID(Integer id);

  bool Empty() const override;
  Integer Width() const override { return width_; }
  void SetWidth(Integer value) override { SetSize(value, height_); }
  Integer Height() const override { return height_; }
  void SetHeight(Integer value) override { SetSize(width_, value); }
  // Keeps the pixels that stay inside; negative sides count as 0.
  void SetSize(Integer width, Integer height);

  // The palette of an image of up to 8 bits (made from its colour table), else none.
  win::HPALETTE Palette() override;
  // Takes ownership; an image of up to 8 bits takes the entries as its colour table.
  void SetPalette(win::HPALETTE value) override;

  TCanvas* Canvas();

  // The bitmap handle (none while empty). Asking for it lets the canvas give it up, so
  // the caller may select it elsewhere.
  win::HBITMAP Handle();
  // Takes ownership of a bitmap made elsewhere.
  void SetHandle(win::HBITMAP value);
  // Gives the handle to the caller; the bitmap becomes empty.
  win::HBITMAP ReleaseHandle();
  bool HandleAllocated() const;

  TBitmapHandleType HandleType() const;
  void SetHandleType(TBitmapHandleType value);
  // pfDevice for a device-dependent bitmap; pfCustom for an unusual DIB layout. Setting
  // converts the pixels; setting pfCustom raises EInvalidGraphic.
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const;
  void SetMonochrome(bool value);

  // Address of row `row` (0 = top) of the DIB; a device-dependent bitmap becomes a DIB
  // first. A row outside the image raises EInvalidGraphicOperation.
  void* ScanLine(Integer row);

  // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode value);

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;
  // Form data: the BMP file's size (32 bits) and the file.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

 private:
  friend class TBitmapCanvas;
  struct Image;

  // Replaces the image by one of the given layout and size, carrying the old pixels
  // over. Nothing changes when the new image cannot be made.
  void Reformat(const Image& layout, Integer width, Integer height);
  void TakeImage(std::unique_ptr<Image> image);
  void TakeDib(const TDibData& dib);
  TDibData ToDib();
  void FreeContext();

  std::unique_ptr<Image> image_;
  std::unique_ptr<TBitmapCanvas> canvas_;
  Integer width_ = 0;
  Integer height_ = 0;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
};
