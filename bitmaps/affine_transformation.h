#pragma once
// Affine transformations of bitmaps. A transformation maps the part SrcRect of a source
// bitmap forward through a matrix; drawing walks the destination and asks the prepared
// inverse, in fixed point, which source position each destination pixel comes from.
#include "bitmaps/bitmap32.h"
#include "bitmaps/color32.h"
#include "bitmaps/matrix.h"
#include "platform/classlib/object.h"

class TTransformation : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // The source pixel of a destination pixel.
  virtual void TransformFixed(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) const = 0;
  // The source position of a destination pixel, in 1/256 pixel.
  virtual void Transform256(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) const = 0;
  // Makes the fixed-point form match the transformation; sets TransformValid.
  virtual void PrepareTransform() = 0;
  // The destination rectangle that SrcRect covers.
  virtual TRect GetTransformedBounds() const = 0;

  const TFloatRect& SrcRect() const { return srcRect_; }
  void SetSrcRect(const TFloatRect& R) {
    srcRect_ = R;
    transformValid_ = false;
  }
  bool TransformValid() const { return transformValid_; }

 protected:
  TFloatRect srcRect_;
  bool transformValid_ = false;
};

class TAffineTransformation : public TTransformation {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TAffineTransformation();

  void TransformFixed(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) const override;
  void Transform256(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) const override;
  // The inverse matrix in 12 fractional bits; a (nearly) singular matrix inverts to
  // the identity.
  void PrepareTransform() override;
  // The corners of SrcRect through Matrix; Left and Top round(min - 0.5), Right and
  // Bottom round(max + 0.5), halves to even.
  TRect GetTransformedBounds() const override;

  // Each step below applies after the ones before it.
  // Matrix := identity.
  void Clear();
  void Translate(Single Dx, Single Dy);
  void Scale(Single Sx, Single Sy);
  // Alpha in degrees about (Cx, Cy); on a y-down screen a positive angle turns
  // counter-clockwise.
  void Rotate(Single Cx, Single Cy, Single Alpha);
  // About the vertical line x = Cx.
  void MirrorX(Single Cx);
  // About the horizontal line y = Cy.
  void MirrorY(Single Cy);

  const TFloatMatrix& Matrix() const { return matrix_; }

  // The prepared inverse, entries x 4096: x = A·X + B·Y + C, y = D·X + E·Y + F.
  Integer A() const { return a_; }
  Integer B() const { return b_; }
  Integer C() const { return c_; }
  Integer D() const { return d_; }
  Integer E() const { return e_; }
  Integer F() const { return f_; }

 private:
  // Matrix := T · Matrix.
  void Apply(const TFloatMatrix& T);

  Integer a_ = 0, b_ = 0, c_ = 0, d_ = 0, e_ = 0, f_ = 0;
  TFloatMatrix matrix_ = IdentityMatrix;
};

// Draws SrcRect of Src through the transformation into Dst, clipped to Dst, with Src's
// DrawMode, OnPixelCombine and MasterAlpha: nearest sampling for sfNearest, bilinear
// (edges fading into OuterColor) for the other filters; then Dst.Changed. Nothing
// happens for an empty Src or Dst, a SrcRect outside Src, or an empty destination clip.
void TransformBitmap(TBitmap32* Dst, TBitmap32* Src, TTransformation* Transformation);
// The same drawing into Width x Height pixels at Dst (rows Width apart), for a caller
// that keeps one block for many transformations; no change event. False when nothing
// was drawn.
bool TransformPixels(TColor32* Dst, Integer Width, Integer Height, TBitmap32* Src, TTransformation* Transformation);

// The columns of one row that a transformation drew, First to Last inclusive; none when
// First > Last.
struct TRowSpan {
  Integer First = 0, Last = -1;
};
// TransformPixels into a block that need not be cleared first: Spans gets one entry per
// row, and within a row's span the pixels are those a cleared block would hold; outside
// it they are transparent black in a cleared block and left as they were here. Lets a
// caller that reads only the spans skip clearing and reading the sprite's empty corners.
// Sampled with Filter instead of Src's stretch filter: Src is only read, so other threads
// may transform from it at the same time.
bool TransformPixelSpans(TColor32* Dst, Integer Width, Integer Height, TBitmap32* Src, TTransformation* Transformation,
                         std::vector<TRowSpan>& Spans, TStretchFilter Filter);
