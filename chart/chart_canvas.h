#pragma once
// The chart canvas: all chart drawing goes through it rather than straight to a device
// context. TChartCanvas is the 2D vocabulary, TCanvas3D adds points with a depth, and
// TChartCanvas3D implements both over a class-library canvas, projecting depths
// orthogonally or through a rotation with perspective, and drawing into an off-screen
// bitmap that is copied to the window in one transfer.
//
// While the frame is not 3D, every depth is ignored: the 3D operations draw exactly what
// their 2D counterparts draw.
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_gradient.h"
#include "chart/chart_tools.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphic.h"
#include "platform/win/handles.h"

// Background modes of the window system.
inline constexpr Integer cbmTransparent = 1;
inline constexpr Integer cbmOpaque = 2;

class TChartCanvas : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartCanvas() = default;
  ~TChartCanvas() override;

  // The class-library canvas the drawing goes to (the buffer's while a buffered frame
  // is drawn); its pen, brush and font are the chart canvas's.
  TCanvas* ReferenceCanvas() const { return reference_; }
  void SetReferenceCanvas(TCanvas* value) { reference_ = value; }
  TPen* Pen() const { return reference_->Pen(); }
  TBrush* Brush() const { return reference_->Brush(); }
  TFont* Font() const { return reference_->Font(); }
  // The chart font applied last (ApplyFont), or nullptr. A font and the canvas that
  // applied it last know each other; whichever goes first unlinks the other.
  TChartFont* ChartFont() const { return chartFont_; }
  // Forgets Font when it is the one applied (it is being freed or moved on).
  void ForgetChartFont(TChartFont* Font) {
    if (chartFont_ == Font) chartFont_ = nullptr;
  }

  // ---- the 2D vocabulary ----
  virtual TColor ReadBackColor();
  virtual Integer ReadBackMode();
  virtual win::HDC DeviceContext() = 0;
  virtual bool IsMonochrome() = 0;
  virtual win::UINT ReadTextAlign() = 0;
  virtual bool IsBuffered() = 0;
  virtual void WriteBackColor(TColor value);
  virtual void WriteBackMode(Integer value);
  virtual void WriteMonochrome(bool value) = 0;
  virtual void PutPixel(Integer X, Integer Y, TColor Color) = 0;
  virtual void WriteTextAlign(win::UINT value) = 0;
  virtual void WriteBuffered(bool value) = 0;
  virtual void DrawArc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                       Integer Y4) = 0;
  // A ring sector around (XC, YC) from StartAngle to EndAngle (radians, counter-clockwise
  // on the screen); the radii are InnerPercent and OuterPercent of XRadius and YRadius.
  virtual void DrawDonutSlice(Integer XC, Integer YC, Integer XRadius, Integer YRadius, Double StartAngle,
                              Double EndAngle, Integer InnerPercent, Integer OuterPercent) = 0;
  virtual void DrawGraphic(Integer X, Integer Y, TGraphic* Graphic) = 0;
  virtual void DrawEllipse(Integer X1, Integer Y1, Integer X2, Integer Y2) = 0;
  virtual void FillBox(const TRect& Rect) = 0;
  // Width one-pixel rings: top-left in TopColor, bottom-right in BottomColor; Rect
  // shrinks by one on every side per ring.
  virtual void DrawBevelFrame(TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) = 0;
  virtual void LineToPoint(Integer X, Integer Y) = 0;
  virtual void MoveToPoint(Integer X, Integer Y) = 0;
  virtual void DrawPie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                       Integer Y4) = 0;
  virtual void DrawBox(Integer X1, Integer Y1, Integer X2, Integer Y2) = 0;
  virtual void DrawRoundBox(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) = 0;
  virtual void StretchGraphic(const TRect& Rect, TGraphic* Graphic) = 0;
  // Text with the chart font's shadow and outline (see ApplyFont).
  virtual void DrawText(Integer X, Integer Y, const std::string& Text) = 0;
  // The text's size in the current font plus the chart font's shadow.
  virtual Integer MeasureTextWidth(const std::string& Text);
  virtual Integer MeasureTextHeight(const std::string& Text);
  // Clips to Rect (within any clip set before); RemoveClip restores the earlier clip.
  virtual void ClipToBox(const TRect& Rect) = 0;
  virtual void HorizontalLine(Integer X0, Integer X1, Integer Y) = 0;
  // The rectangle with both corners included: the pen draws the frame through
  // (Left, Top) and (Right, Bottom), the brush fills it.
  virtual void DrawBoxRect(const TRect& Rect) = 0;
  virtual void VerticalLine(Integer X, Integer Y0, Integer Y1) = 0;
  virtual void ClearBox(const TRect& Rect) = 0;
  virtual void FillGradient(const TRect& Rect, TColor StartColor, TColor EndColor, TGradientDirection Direction) = 0;
  virtual void MarkBufferStale() = 0;
  virtual void DrawLine(Integer X0, Integer Y0, Integer X1, Integer Y1) = 0;
  virtual void DrawPolygon(std::span<const TPoint> Points) = 0;
  // Angle in degrees, counter-clockwise.
  virtual void DrawAngledText(Integer X, Integer Y, const std::string& Text, Double Angle) = 0;
  virtual void RemoveClip() = 0;

  // ---- shared helpers ----
  // Brush in Color (white when monochrome), or the pattern of the brush's image with
  // Color as text colour; opaque background in BackColor (the brush colour when
  // omitted).
  void ApplyBrush(TChartBrush* Brush, TColor Color);
  void ApplyBrush(TChartBrush* Brush, TColor Color, TColor BackColor);
  // The pen (black when monochrome); a hidden TChartPen gives a clear pen, SmallDots an
  // alternate-pixel pen, a wide styled pen a geometric one with square ends. Color
  // replaces the pen's colour when given.
  void ApplyPen(TPen* Pen);
  void ApplyPen(TPen* Pen, TColor Color);
  // The font (black when monochrome) with its character spacing; remembered as
  // ChartFont and linked to this canvas.
  void ApplyFont(TChartFont* Font);
  // Black solid 1-pixel pen, white solid brush, black 10-point font, white transparent
  // background, text alignment 0.
  void ResetDrawingState();
  // A plain solid brush in Color (no pattern left from a brush image).
  void SetSolidBrush(TColor Color);
  // MeasureTextHeight("W").
  Integer LineHeight() { return MeasureTextHeight("W"); }

  bool Monochrome() { return IsMonochrome(); }
  void SetMonochrome(bool value) { WriteMonochrome(value); }
  bool Buffered() { return IsBuffered(); }
  void SetBuffered(bool value) { WriteBuffered(value); }

 protected:
  // Drops a pattern handle left by a brush image, so the brush is made from its colour
  // and style again.
  void DropPattern();

  TCanvas* reference_ = nullptr;
  TChartFont* chartFont_ = nullptr;
  bool patternBrush_ = false;
};

class TView3DOptions;

class TCanvas3D : public TChartCanvas {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // ---- capabilities ----
  // Whether the canvas draws shape shadows itself (shapes then leave theirs out).
  virtual bool DrawsOwnShadows() = 0;
  virtual bool CanRotateFully() = 0;

  // ---- projection ----
  virtual void DrawLineAtDepth(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Z) = 0;
  // The space point at depth Z that projects to the screen point (X, Y).
  virtual void ScreenToSpace(Integer& X, Integer& Y, Integer Z) = 0;
  virtual TPoint SpaceToScreen(Integer X, Integer Y, Integer Z) = 0;
  // The screen bounds of the block over Rect from depth MinZ to MaxZ (its eight corners).
  TRect ProjectedBounds(const TRect& Rect, Integer MinZ, Integer MaxZ);
  // How far the space point lies from the viewer along the view direction (greater is
  // further); things drawn far ones first do not paint over nearer ones.
  virtual Double ViewDepth(Double X, Double Y, Double Z) = 0;
  // Starts a frame on DestCanvas over Rect; returns the rectangle to draw in (moved to
  // (0, 0) when buffered).
  virtual TRect BeginFrame(TCanvas* DestCanvas, TView3DOptions* Options, TColor BackColor, bool Is3D,
                           const TRect& Rect) = 0;
  // Copies Monochrome from another canvas.
  virtual void CopySettings(TCanvas3D* Source);
  virtual void SetProjectionCentre(Integer MaxDepth, const TRect& Rect) = 0;
  // Copies the buffer to DestCanvas at Rect's top-left (when buffered); DefaultCanvas
  // becomes the reference canvas.
  virtual void PresentFrame(TCanvas* DestCanvas, TCanvas* DefaultCanvas, const TRect& Rect) = 0;
  // Repaints from the buffer when it is still valid.
  virtual bool RepaintFromBuffer() = 0;

  // ---- 3D primitives (depths in pixels, 0 = front) ----
  virtual void Arrow(bool Filled, const TPoint& From, const TPoint& To, Integer HeadWidth, Integer ArrowWidth,
                     Integer Z) = 0;
  virtual void ClipCube(const TRect& Rect, Integer MinZ, Integer MaxZ) = 0;
  virtual void Cone(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0, Integer Z1,
                    bool Dark3D, Integer ConePercent) = 0;
  virtual void Cube(Integer Left, Integer Right, Integer Top, Integer Bottom, Integer Z0, Integer Z1,
                    bool DarkSides) = 0;
  virtual void Cylinder(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0,
                        Integer Z1, bool Dark3D) = 0;
  virtual void HorizLine3D(Integer Left, Integer Right, Integer Y, Integer Z) = 0;
  virtual void VertLine3D(Integer X, Integer Top, Integer Bottom, Integer Z) = 0;
  virtual void ZLine3D(Integer X, Integer Y, Integer Z0, Integer Z1) = 0;
  virtual void EllipseWithZ(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Z) = 0;
  // Saves the 3D flag and clears it / restores it.
  virtual void Suspend3D() = 0;
  virtual void Resume3D() = 0;
  virtual void MoveTo3D(Integer X, Integer Y, Integer Z) = 0;
  virtual void LineTo3D(Integer X, Integer Y, Integer Z) = 0;
  // Angles in radians.
  virtual void Pie3D(Integer XCenter, Integer YCenter, Integer XRadius, Integer YRadius, Integer Z0, Integer Z1,
                     Double StartAngle, Double EndAngle, bool DarkSides, bool DrawSides) = 0;
  virtual void PlaneWithZ(const TPoint& P1, const TPoint& P2, const TPoint& P3, const TPoint& P4, Integer Z) = 0;
  virtual void PolygonWithZ(std::span<const TPoint> Points, Integer Z) = 0;
  virtual void PolylineWithZ(std::span<const TPoint> Points, Integer Z) = 0;
  virtual void Pyramid(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0,
                       Integer Z1, bool DarkSides) = 0;
  virtual void RectangleWithZ(const TRect& Rect, Integer Z) = 0;
  // The rectangle lying in the horizontal plane at Top from depth Z0 to Z1.
  virtual void RectangleY(Integer Left, Integer Top, Integer Right, Integer Z0, Integer Z1) = 0;
  // The rectangle lying in the depth plane at Left from depth Z0 to Z1.
  virtual void RectangleZ(Integer Left, Integer Top, Integer Bottom, Integer Z0, Integer Z1) = 0;
  virtual void AngledTextAtDepth(Integer X, Integer Y, Integer Z, const std::string& Text, Double Angle) = 0;
  virtual void TextOut3D(Integer X, Integer Y, Integer Z, const std::string& Text) = 0;
  virtual void Sphere(Integer X, Integer Y, Integer Z, Double Radius) = 0;
  virtual void TriangleWithZ(const TPoint& P1, const TPoint& P2, const TPoint& P3, Integer Z) = 0;

  // Both corners through SpaceToScreen.
  TRect ProjectRect(const TRect& Rect, Integer Z);
};

class TChartCanvas3D : public TCanvas3D {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartCanvas3D();
  ~TChartCanvas3D() override;

  // ---- state ----
  TView3DOptions* View3DOptions() const { return options_; }
  bool Is3D() const { return is3D_; }
  bool IsOrthogonal() const { return orthogonal_; }
  Double ZoomFactor() const { return zoomFactor_; }
  Double PerspectiveFactor() const { return perspective_; }
  bool ZoomText() const { return zoomText_; }
  // The projection centre (before and after the offsets).
  TPoint Centre() const { return TPoint{xCentre_, yCentre_}; }
  Integer ZCentre() const { return zCentre_; }
  TPoint OffsetCentre() const { return TPoint{xCentreOffset_, yCentreOffset_}; }
  // While set, the projection leaves out the view's zoom and offsets (a turned view is
  // fitted to the chart so, and zoomed and moved afterwards).
  void SetPlainView(bool Plain);
  // Shifts the rotation centre (added to the rectangle's centre by SetProjectionCentre).
  void SetRotationCentre(Double X, Double Y, Double Z);
  // The off-screen bitmap (nullptr until a buffered frame made it).
  TBitmap* BufferBitmap() const { return buffer_.get(); }
  bool BufferValid() const { return !bufferInvalid_; }
  // The rectangle the last frame was drawn for.
  TRect FrameBounds() const { return bounds_; }

  // ---- TChartCanvas ----
  win::HDC DeviceContext() override;
  bool IsMonochrome() override { return monochrome_; }
  win::UINT ReadTextAlign() override;
  bool IsBuffered() override { return buffered_; }
  void WriteMonochrome(bool value) override;
  void PutPixel(Integer X, Integer Y, TColor Color) override;
  void WriteTextAlign(win::UINT value) override;
  void WriteBuffered(bool value) override;
  void DrawArc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
               Integer Y4) override;
  void DrawDonutSlice(Integer XC, Integer YC, Integer XRadius, Integer YRadius, Double StartAngle, Double EndAngle,
                      Integer InnerPercent, Integer OuterPercent) override;
  void DrawGraphic(Integer X, Integer Y, TGraphic* Graphic) override;
  void DrawEllipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
  void FillBox(const TRect& Rect) override;
  void DrawBevelFrame(TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) override;
  void LineToPoint(Integer X, Integer Y) override;
  void MoveToPoint(Integer X, Integer Y) override;
  void DrawPie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
               Integer Y4) override;
  void DrawBox(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
  void DrawRoundBox(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) override;
  void StretchGraphic(const TRect& Rect, TGraphic* Graphic) override;
  void DrawText(Integer X, Integer Y, const std::string& Text) override;
  void ClipToBox(const TRect& Rect) override;
  void HorizontalLine(Integer X0, Integer X1, Integer Y) override;
  void DrawBoxRect(const TRect& Rect) override;
  void VerticalLine(Integer X, Integer Y0, Integer Y1) override;
  void ClearBox(const TRect& Rect) override;
  void FillGradient(const TRect& Rect, TColor StartColor, TColor EndColor, TGradientDirection Direction) override;
  void MarkBufferStale() override { bufferInvalid_ = true; }
  void DrawLine(Integer X0, Integer Y0, Integer X1, Integer Y1) override;
  void DrawPolygon(std::span<const TPoint> Points) override;
  void DrawAngledText(Integer X, Integer Y, const std::string& Text, Double Angle) override;
  void RemoveClip() override;
  // Clips to the polygon (within any clip set before); RemoveClip restores the earlier
  // clip.
  void ClipToPolygon(std::span<const TPoint> Points);

  // ---- TCanvas3D ----
  bool DrawsOwnShadows() override { return false; }
  bool CanRotateFully() override { return false; }
  void DrawLineAtDepth(Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Z) override;
  void ScreenToSpace(Integer& X, Integer& Y, Integer Z) override;
  TPoint SpaceToScreen(Integer X, Integer Y, Integer Z) override;
  Double ViewDepth(Double X, Double Y, Double Z) override;
  TRect BeginFrame(TCanvas* DestCanvas, TView3DOptions* Options, TColor BackColor, bool Is3D,
                   const TRect& Rect) override;
  void SetProjectionCentre(Integer MaxDepth, const TRect& Rect) override;
  void PresentFrame(TCanvas* DestCanvas, TCanvas* DefaultCanvas, const TRect& Rect) override;
  bool RepaintFromBuffer() override;

  void Arrow(bool Filled, const TPoint& From, const TPoint& To, Integer HeadWidth, Integer ArrowWidth,
             Integer Z) override;
  void ClipCube(const TRect& Rect, Integer MinZ, Integer MaxZ) override;
  void Cone(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0, Integer Z1,
            bool Dark3D, Integer ConePercent) override;
  void Cube(Integer Left, Integer Right, Integer Top, Integer Bottom, Integer Z0, Integer Z1,
            bool DarkSides) override;
  void Cylinder(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0, Integer Z1,
                bool Dark3D) override;
  void HorizLine3D(Integer Left, Integer Right, Integer Y, Integer Z) override;
  void VertLine3D(Integer X, Integer Top, Integer Bottom, Integer Z) override;
  void ZLine3D(Integer X, Integer Y, Integer Z0, Integer Z1) override;
  void EllipseWithZ(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Z) override;
  void Suspend3D() override;
  void Resume3D() override;
  void MoveTo3D(Integer X, Integer Y, Integer Z) override;
  void LineTo3D(Integer X, Integer Y, Integer Z) override;
  void Pie3D(Integer XCenter, Integer YCenter, Integer XRadius, Integer YRadius, Integer Z0, Integer Z1,
             Double StartAngle, Double EndAngle, bool DarkSides, bool DrawSides) override;
  void PlaneWithZ(const TPoint& P1, const TPoint& P2, const TPoint& P3, const TPoint& P4, Integer Z) override;
  void PolygonWithZ(std::span<const TPoint> Points, Integer Z) override;
  void PolylineWithZ(std::span<const TPoint> Points, Integer Z) override;
  void Pyramid(bool Vertical, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Z0, Integer Z1,
               bool DarkSides) override;
  void RectangleWithZ(const TRect& Rect, Integer Z) override;
  void RectangleY(Integer Left, Integer Top, Integer Right, Integer Z0, Integer Z1) override;
  void RectangleZ(Integer Left, Integer Top, Integer Bottom, Integer Z0, Integer Z1) override;
  void AngledTextAtDepth(Integer X, Integer Y, Integer Z, const std::string& Text, Double Angle) override;
  void TextOut3D(Integer X, Integer Y, Integer Z, const std::string& Text) override;
  // The scale of texts drawn at a depth: the zoom, with ZoomText in a 3D view; else 1.
  Double TextZoom() const;
  // Text with its start at the screen point (X, Y), its font scaled as texts at a depth.
  void ZoomedText(Integer X, Integer Y, const std::string& Text, Double Angle);
  void Sphere(Integer X, Integer Y, Integer Z, Double Radius) override;
  void TriangleWithZ(const TPoint& P1, const TPoint& P2, const TPoint& P3, Integer Z) override;

 private:
  // Text at (X, Y) in the current font, shadow and outline applied.
  void TextWithEffects(Integer X, Integer Y, const std::string& Text);
  void PlainText(Integer X, Integer Y, const std::string& Text, TColor Color);
  // Keeps the clip in force before the first of nested clips.
  void SaveClip(win::HDC DC);
  // A filled polygon in the brush colour made darker by Amount (0..255).
  void DarkPolygon(std::span<const TPoint> Points, Integer Amount);
  // The depth of a centred space point along the view direction.
  Double DepthOf(Double x, Double y, Double z) const;
  using Point3D = std::array<Double, 3>;
  using Face3D = std::vector<Point3D>;
  // The faces of a solid that face the viewer, far ones first; with Dark the faces that
  // do not face the viewer squarely are drawn darker.
  void DrawFaces(std::vector<Face3D> Faces, bool Dark);

  TView3DOptions* options_ = nullptr;
  bool is3D_ = false;
  bool orthogonal_ = false;
  bool saved3D_ = false;
  Integer xCentre_ = 0;
  Integer yCentre_ = 0;
  Integer zCentre_ = 0;
  Integer xCentreOffset_ = 0;
  Integer yCentreOffset_ = 0;
  Double rotationCentre_[3] = {0, 0, 0};
  Double matrix_[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Double slope_ = 1;  // tangent of the orthogonal angle
  Double perspective_ = 0;
  Double zoomFactor_ = 1;
  bool plainView_ = false;
  bool zoomText_ = true;
  bool buffered_ = true;
  bool monochrome_ = false;
  bool bufferInvalid_ = true;
  std::unique_ptr<TBitmap> buffer_;
  TRect bounds_{0, 0, 0, 0};
  win::HRGN savedClip_ = nullptr;  // the clip before ClipToBox (null: there was none)
  bool clipSaved_ = false;
};
