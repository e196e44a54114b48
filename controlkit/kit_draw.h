#pragma once
// The kit's free drawing procedures: bevels, frames and standard borders, a drop-shadow
// bevel, small arrows, disabled and embossed glyphs, masks, bitmap drawing with placement,
// tiling and transparency, colour ramps and palettes, rectangle alignment and gradient
// fills. They keep no state; the only setting they read is bit 0 of the kit application's
// Options (no palette realisation on displays of 8 or fewer bits per pixel).
//
// Rectangles are left, top, right, bottom with right and bottom exclusive.
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/types.h"
#include "platform/win/handles.h"

// The class library already declares bvNone, bvLowered and bvRaised globally (panel
// bevels), so the kit's bevel styles are scoped: TKitBevelStyle::bvRaised.
enum class TKitBevelStyle : Byte { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };

enum TKitBorderStyle : Byte {
  lsNone,
  lsSingle,
  lsLowered,
  lsRaised,
  lsRaisedspb,
  lsLoweredspb,
  lsRaisedExt,
  lsLoweredExt,
  lsFrameInset,
  lsFrameOffset,
  lsWindowBorder,
  lsSingleRaised,
  lsSingleLowered,
  lsDoubleRaised,
  lsDoubleLowered
};

enum TKitAlignment : Byte {
  agTopLeft,
  agTopCenter,
  agTopRight,
  agCenterLeft,
  agCenter,
  agCenterRight,
  agBottomLeft,
  agBottomCenter,
  agBottomRight
};

enum TKitBitmapStyle : Byte { sbNone, sbAutosize, sbCenter, sbStretch, sbTile, sbKeepAspRatio, sbKeepWidth, sbKeepHeight };

// The shapes FillGradientShape draws; the gradient property object stores one of these.
enum TKitGradientStyle : Byte {
  gstHorizontal,
  gstVertical,
  gstSquare,
  gstElliptic,
  gstTopLeft,
  gstTopRight,
  gstBottomLeft,
  gstBottomRight,
  gstTopLeftDiagonal,
  gstTopRightDiagonal
};

// Flags of DrawBitmapExt and its wrappers.
inline constexpr Word kKitDbClip = 0x0001;           // DrawBitmapClipped: clip to the rectangle
inline constexpr Word kKitDbCenter = 0x0008;         // centred in the destination
inline constexpr Word kKitDbStretch = 0x0010;        // stretched to the destination
inline constexpr Word kKitDbTile = 0x0020;           // tiled from the top-left corner
inline constexpr Word kKitDbMaskFromColor = 0x0040;  // mask made from the transparent colour
inline constexpr Word kKitDbBitmapObject = 0x0080;   // the source is a TBitmap drawn by the canvas
inline constexpr Word kKitDbMaskCanvas = 0x0100;     // masked through the given mask canvas
inline constexpr Word kKitDbKeepHeight = 0x0200;     // with stretch: keep the destination height
inline constexpr Word kKitDbKeepWidth = 0x0400;      // with stretch: keep the destination width
inline constexpr Word kKitDbKeepAspect = 0x0600;     // with stretch: fit keeping the aspect ratio
inline constexpr Word kKitDbPalette = 0x1000;        // realise the palette first

// Flags of FillGradientShape.
inline constexpr Word kKitGfClip = 0x0001;       // clip to the rectangle (without kKitGfBitmap)
inline constexpr Word kKitGfBitmap = 0x0004;     // fill a temporary bitmap, then draw it
inline constexpr Word kKitGfPalette = 0x1000;    // select and realise the palette

// Keeps a device context's clip and gives it back when it goes, so that a procedure may
// narrow the clip for a while without losing a clip the caller had set.
class TKitClipScope {
 public:
  explicit TKitClipScope(win::HDC dc);
  ~TKitClipScope();
  TKitClipScope(const TKitClipScope&) = delete;
  TKitClipScope& operator=(const TKitClipScope&) = delete;
  // Narrows the clip to a rectangle in logical coordinates.
  void Intersect(const TRect& r);
  // Narrows the clip to a region in device coordinates.
  void IntersectRegion(win::HRGN rgn);

 private:
  win::HDC dc_;
  win::HRGN saved_ = nullptr;
  bool hadClip_ = false;
};

// Whether the drawing procedures may realise palettes now: not when Options bit 0 is set
// and the display has 8 or fewer bits per pixel.
bool KitPaletteRealizeAllowed();

// True when something was drawn; nothing for bvNone, bvShadow or width 0. `R` comes back
// as the area inside the bevel.
bool DrawBevel(TCanvas* Canvas, TRect& R, TKitBevelStyle Style, Integer Width, TColor ShadowColor, TColor LightColor);
// A frame with a drop shadow of depth `ShadowDepth` at the right and bottom. Unless
// `Transparent`, the two notches beside the shadow take `BackColor`. `R` comes back as the
// area inside the frame. Always true.
bool DrawShadowBevel(TCanvas* Canvas, TRect& R, TColor LightColor, bool Transparent, Integer InnerWidth,
                     Integer ShadowDepth, TColor BackColor, TColor ShadowColor);

// Pixels a border style takes on each side: 0, 1 or 2.
Integer BorderWidth(TKitBorderStyle Style);
// Draws a standard border with the system's edges; `R` shrinks by what was drawn.
// `ExtraFlags` are BF_ flags added to the edge calls.
void DrawBorder(TCanvas* Canvas, TRect& R, TKitBorderStyle Style, Cardinal ExtraFlags);

// A filled triangle of one-pixel lines, sizes 2..15 (others draw nothing). A disabled
// arrow is drawn embossed in the system's highlight-text and grey-text colours.
void DrawArrow(TCanvas* Canvas, Integer X, Integer Y, Integer Size, TColor Color, bool Down, bool Enabled);

// Fills R with a solid brush of the colour (the canvas keeps that brush).
void FillSolidRect(TCanvas* Canvas, const TRect& R, TColor Color);
// Sizes the bitmap to the rectangle and fills it with the colour.
void FillBitmap(TBitmap* Bitmap, const TRect& R, TColor Color);
// The target becomes a four-tone copy of the source (white, button highlight, button
// shadow, black by brightness); pixel (0, 0) gives the background, which is kept.
void MakeDisabledBitmap(TBitmap* Target, TBitmap* Source);
// Fills the target with the source's transparent colour and paints the source's shape
// embossed: highlight at (X + 1, Y + 1), shadow at (X, Y).
void DrawEmbossedBitmap(TBitmap* Target, TBitmap* Source, Integer X, Integer Y);
// Copies `R` of the canvas into `Image` and makes `Mask` (monochrome, white where the
// pixel is `TransparentColor`); the image's transparent pixels become black, so the pair
// draws with SRCAND (mask) followed by SRCPAINT (image).
void MakeMask(TCanvas* Canvas, const TRect& R, TBitmap* Image, TColor TransparentColor, TBitmap* Mask);
void MakeMaskFromColor(TBitmap* Source, TBitmap* Image, TBitmap* Mask, TColor TransparentColor);

// Colour `Step` of `Steps` between C1 and C2 (system colours resolved), per channel
// rounded halves to even. With Steps 0 the answer is C1.
TColor ColorBetween(TColor C1, TColor C2, Integer Step, Integer Steps);
// Appends a ramp of `Count` colours from C1 to C2 to `List` (emptied first with
// `ClearFirst`; otherwise the first colour, shared with the previous segment, is left out).
// Count 1 gives C1 alone.
void BuildColorList(TColor C1, TColor C2, Integer Count, bool ClearFirst, std::vector<TColor>& List);
// A logical palette with one no-collapse entry per colour; none for an empty list. The
// caller deletes it.
win::HPALETTE CreateColorPalette(const std::vector<TColor>& List);

// The size of `Inner` placed in `Outer` by the alignment.
void AlignRectIn(TKitAlignment Alignment, const TRect& Inner, const TRect& Outer, TRect& Result);

// The core of the kit's bitmap drawing. `Source` is the source canvas, or with
// kKitDbBitmapObject a TBitmap; null draws nothing. Placement: at its own size at the
// destination's corner, centred, stretched (optionally keeping width, height or aspect
// ratio) or tiled. Transfer: bitmap object, masked through `MaskCanvas`, masked through a
// mask made from `TransparentColor`, or else transparent (pixels of `TransparentColor` are
// left alone; clNone copies every pixel). `Covered` receives the area drawn (empty when
// nothing was).
void DrawBitmapExt(TCanvas* Canvas, const TRect& Dest, TPersistent* Source, const TRect& SourceRect, Word Flags,
                   TColor TransparentColor, win::HPALETTE Palette, TCanvas* MaskCanvas, TRect& Covered);
// The whole bitmap through its canvas.
void DrawBitmapState(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TRect& Result, TColor TransparentColor,
                     Word Flags);
// From a source canvas; with kKitDbClip the drawing is clipped to `R`.
void DrawBitmapClipped(TCanvas* Canvas, const TRect& R, TCanvas* Source, TCanvas* MaskCanvas, win::HPALETTE Palette,
                       TColor TransparentColor, Word Flags, const TRect& SourceRect);
// The whole bitmap, as an object (kKitDbBitmapObject) or through its canvas; with
// kKitDbPalette its palette is realised.
void DrawBitmapStyle(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TRect& Result, TColor TransparentColor,
                     Word Flags);

// Fills `R` with the colours of a computed gradient list in the given shape. Nothing for
// a null or empty list or an empty rectangle. `ClipOffset` moves the clip of kKitGfClip
// (x in the low 16 bits, y in the high 16 bits, both signed). The canvas is left with a
// solid brush and a clear pen.
void FillGradientShape(TCanvas* Canvas, const TRect& R, TKitGradientStyle Style, const std::vector<TColor>* Colors,
                       win::HPALETTE Palette, Word Flags, Integer ClipOffset);
