#pragma once
// Pixel transfers between TBitmap32s: the same-size block transfer and the stretch
// transfers with their resamplers. Every transfer honours a draw mode (dmOpaque copies,
// dmBlend blends by alpha and master alpha, dmCustom calls the callback) and clips to
// both bitmaps. Rectangles have exclusive Right and Bottom.
//
// Raises ETransformError "Destination bitmap is nil or empty", "Source bitmap is nil
// or empty" or (stretches) "Source rectangle is invalid"; nothing is drawn then. An
// empty source or destination rectangle, or an empty clip, draws nothing silently.
#include <vector>

#include "bitmaps/bitmap32.h"

// One contribution to a destination pixel along one axis: a source position (clamped
// to the bitmap) and its weight.
struct TClusterEntry {
  Integer Pos = 0;
  Integer Weight = 0;
  friend bool operator==(const TClusterEntry&, const TClusterEntry&) = default;
};
using TCluster = std::vector<TClusterEntry>;
// One cluster per destination pixel along one axis, index 0 the first pixel of the
// destination rectangle.
using TMappingTable = std::vector<TCluster>;

// SrcRect of Src (clipped to Src) to (DstX, DstY) of Dst at the same size.
void BlockTransfer(TBitmap32* Dst, Integer DstX, Integer DstY, TBitmap32* Src, TRect SrcRect, TDrawMode CombineOp,
                   const TPixelCombineEvent& Callback = {});

// SrcRect of Src resampled into DstRect of Dst. Rectangles of the same size go to
// BlockTransfer; otherwise sfNearest picks StretchNearestOpaque (dmOpaque) or
// StretchNearest, sfLinear StretchLinear, sfLinear2 and sfSpline the table resampler.
void StretchTransfer(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp, const TPixelCombineEvent& Callback = {});

// Nearest neighbour in 16.16 fixed point, corner-aligned start offsets; a plain copy.
void StretchNearestOpaque(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect);
// Nearest neighbour, blended or through the callback; master alpha 0 draws nothing.
void StretchNearest(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                    const TPixelCombineEvent& Callback = {});
// Bilinear in 16.16 fixed point with 8-bit weights; neighbour reads stay inside
// SrcRect. Master alpha 0 draws nothing in any mode.
void StretchLinear(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                   const TPixelCombineEvent& Callback = {});

// Contributions of source positions SrcLo..SrcHi-1 to DstWidth destination pixels,
// corner-aligned, through the filter's kernel; positions clamped to 0..ClampWidth-1.
// Downsampled weights total about 255, upsampled ones about 256. A one-pixel source
// feeds every destination pixel; a one-pixel destination averages the whole source.
// Raises EAssertionFailed "Assertion failure" when a downsampled cluster gets no
// weight at all (a reduction by more than about 500 times).
TMappingTable BuildMappingTable(Integer DstWidth, Integer ClampWidth, Integer SrcLo, Integer SrcHi,
                                TStretchFilter StretchFilter);
