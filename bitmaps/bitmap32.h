#pragma once
// TBitmap32: a 32-bit ARGB bitmap held in a top-down DIB section that is selected into
// a memory device context of its own, so window-system drawing and direct pixel access
// work on the same memory. Rows follow each other without padding: pixel (X, Y) is
// Bits()[Y * Width + X].
//
// A TBitmap32 is a streamable property of components: besides its published properties
// it stores its pixels under the binary property "Data" (32-bit width, 32-bit height,
// then the pixels as bytes B, G, R, A, top row first).
#include <functional>
#include <memory>
#include <string>

#include "bitmaps/color32.h"
#include "bitmaps/custom_map.h"
#include "platform/classlib/exceptions.h"
#include "platform/win/handles.h"
#include "platform/win/types.h"

class TFont;
class TStream;
class TBitmap;
class TGraphic;
class TPublished;
class TEnumInfo;

enum TDrawMode { dmOpaque, dmBlend, dmCustom };
enum TStretchFilter { sfNearest, sfLinear, sfLinear2, sfSpline };
const TEnumInfo& DrawModeInfo();
const TEnumInfo& StretchFilterInfo();

// Combines foreground F into background B with master alpha M (dmCustom).
using TPixelCombineEvent = std::function<void(TColor32 F, TColor32& B, TColor32 M)>;

// Raised by the transfers with "Destination bitmap is nil or empty", "Source bitmap is
// nil or empty" or "Source rectangle is invalid".
QM_DECLARE_EXCEPTION(ETransformError, Exception);

class TBitmap32;


class TBitmap32 : public TCustomMap {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TBitmap32();
  ~TBitmap32() override;

  // From another TBitmap32 (pixels and drawing settings), a TBitmap (its pixels; alpha
  // from a 32-bit one, else opaque), any other graphic (drawn, then opaque), a picture
  // or the clipboard; nullptr empties. Anything else: the class library's assignment.
  void Assign(TPersistent* Source) override;

  // Values below 1 count as 0. A size too large to hold raises Exception "Can't allocate
  // the DIB handle" before anything changes: the old bitmap stays. Otherwise frees the old
  // pixels, then makes new ones (a side of 0 leaves the bitmap empty though it reports
  // that size); should the window system fail to make them, raises "Can't allocate the
  // DIB handle", "Can't create compatible DC" or "Can't select an object into DC" and the
  // bitmap is empty, 0 x 0.
  bool SetSize(Integer NewWidth, Integer NewHeight) override;
  // True when there are no pixels.
  bool Empty() const override;

  // Every pixel := FillColor (when not empty); then Changed.
  void Clear(TColor32 FillColor = 0);
  // Alpha of every pixel := 255; then Changed.
  void ResetAlpha();

  // Unchecked pixel access.
  TColor32* Bits() const { return bits_; }
  PColor32 ScanLine(Integer Y) const { return bits_ + static_cast<std::ptrdiff_t>(Y) * width_; }
  PColor32 PixelPtr(Integer X, Integer Y) const { return ScanLine(Y) + X; }
  TColor32 Pixel(Integer X, Integer Y) const { return *PixelPtr(X, Y); }
  void SetPixel(Integer X, Integer Y, TColor32 Value) { *PixelPtr(X, Y) = Value; }
  // OuterColor outside the bitmap.
  TColor32 PixelS(Integer X, Integer Y) const;

  // Rows Y1..Y2-1, columns X1..X2-1 := Value, unclipped; then Changed.
  void FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);
  // The same, clipped to the bitmap; nothing for an empty or outside rectangle.
  void FillRectS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value);

  // The whole bitmap (or SrcRect of it) into DstRect of Dst with this bitmap's
  // StretchFilter, DrawMode and OnPixelCombine; then Dst.Changed. Nothing when either
  // bitmap is empty. StretchTransfer does the work: rectangles of the same size are
  // copied or blended pixel for pixel, others resampled.
  void DrawTo(TBitmap32* Dst, const TRect& DstRect);
  void DrawTo(TBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect);
  // A plain copy of the whole bitmap to the device context at (X, Y).
  void DrawTo(win::HDC DC, Integer X, Integer Y);

  // Same class, and both empty or both with the same size and pixels.
  bool Equal(TBitmap32* B);

  // Through the picture registry (the reader is picked by the extension). On failure
  // the reader's exception passes and the bitmap keeps what it had.
  void LoadFromFile(const std::string& FileName);

  win::HBITMAP Handle() const { return handle_; }
  win::HDC DC() const { return dc_; }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value);

  TDrawMode DrawMode() const { return drawMode_; }
  void SetDrawMode(TDrawMode value);
  TColor32 MasterAlpha() const { return masterAlpha_; }
  // Values above 255 are taken as 255.
  void SetMasterAlpha(TColor32 value);
  TColor32 OuterColor() const { return outerColor_; }
  void SetOuterColor(TColor32 value) { outerColor_ = value; }
  TStretchFilter StretchFilter() const { return stretchFilter_; }
  void SetStretchFilter(TStretchFilter value);
  // Set by Assign when a 32-bit bitmap brought its own alpha.
  bool AlphaLoaded() const { return alphaLoaded_; }
  void SetAlphaLoaded(bool value) { alphaLoaded_ = value; }

  TPixelCombineEvent OnPixelCombine;

  // The "Data" layout.
  virtual void ReadData(TStream& Stream);
  virtual void WriteData(TStream& Stream);

 protected:
  // To a picture (its bitmap), a TBitmap (made a 32-bit DIB of this size and these
  // pixels) or the clipboard.
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  void FreeSurface();
  void AssignFromBitmap(TBitmap* Source);
  void AssignFromGraphic(TGraphic* Source);
  void FontChanged();

  win::BITMAPINFO bitmapInfo_{};
  TColor32* bits_ = nullptr;
  TDrawMode drawMode_ = dmOpaque;
  std::unique_ptr<TFont> font_;
  win::HBITMAP handle_ = nullptr;
  win::HDC dc_ = nullptr;
  win::HGDIOBJ oldBitmap_ = nullptr;
  TColor32 masterAlpha_ = 255;
  TColor32 outerColor_ = 0;
  TStretchFilter stretchFilter_ = sfNearest;
  bool alphaLoaded_ = false;
};
