#pragma once
// TCanvas: drawing on a window-system device context through a pen, a brush and a font.
//
// The canvas selects its tools into the device context only when an operation needs
// them (RequiredState) and forgets a selection when a tool changes, so a tool's
// properties can be changed at any time. Every drawing operation fires OnChanging
// before and OnChange after it draws.
//
// TControlCanvas draws on a control: the controls install how a device context is got
// for a control and given back (TControlCanvas::SetHooks).
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/persistent.h"
#include "platform/win/types.h"

class TGraphic;
class TBitmap;

// The class library's geometry records are the window system's.
using TPoint = win::POINT;
using TRect = win::RECT;
using TSize = win::SIZE;

inline TPoint Point(Integer x, Integer y) { return TPoint{x, y}; }
inline TRect Rect(Integer left, Integer top, Integer right, Integer bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(Integer left, Integer top, Integer width, Integer height) {
  return TRect{left, top, left + width, top + height};
}

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;

// Ternary raster operations of CopyRect and of drawing bitmaps.
using TCopyMode = Integer;
inline constexpr TCopyMode cmBlackness = 0x00000042;
inline constexpr TCopyMode cmDstInvert = 0x00550009;
inline constexpr TCopyMode cmMergeCopy = 0x00C000CA;
inline constexpr TCopyMode cmMergePaint = 0x00BB0226;
inline constexpr TCopyMode cmNotSrcCopy = 0x00330008;
inline constexpr TCopyMode cmNotSrcErase = 0x001100A6;
inline constexpr TCopyMode cmPatCopy = 0x00F00021;
inline constexpr TCopyMode cmPatInvert = 0x005A0049;
inline constexpr TCopyMode cmPatPaint = 0x00FB0A09;
inline constexpr TCopyMode cmSrcAnd = 0x008800C6;
inline constexpr TCopyMode cmSrcCopy = 0x00CC0020;
inline constexpr TCopyMode cmSrcErase = 0x00440328;
inline constexpr TCopyMode cmSrcInvert = 0x00660046;
inline constexpr TCopyMode cmSrcPaint = 0x00EE0086;
inline constexpr TCopyMode cmWhiteness = 0x00FF0062;

class TCanvas : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TCanvas();
  ~TCanvas() override;

  // ---- drawing ----
  void Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
  void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3);
  void MoveTo(Integer x, Integer y);
  void LineTo(Integer x, Integer y);
  void Polyline(std::span<const TPoint> points);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(std::span<const TPoint>(points.begin(), points.size())); }
  void Polygon(std::span<const TPoint> points);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(std::span<const TPoint>(points.begin(), points.size())); }
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);

  // ---- text ----
  // Draws at (x, y) with the font and, unless the brush is clear, its background; the
  // pen position moves to the end of the text.
  void TextOut(Integer x, Integer y, const std::string& text);
  // The same, clipped to `r`; the rectangle is filled first unless the brush is clear.
  void TextRect(const TRect& r, Integer x, Integer y, const std::string& text);
  TSize TextExtent(const std::string& text);
  Integer TextWidth(const std::string& text) { return TextExtent(text).cx; }
  Integer TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // ExtTextOut options used by TextOut and TextRect (ETO_ flags).
  Integer TextFlags() const { return textFlags_; }
  void SetTextFlags(Integer value) { textFlags_ = value; }

  // ---- pictures ----
  // The graphic at its own size with its top-left corner at (x, y); nothing when empty.
  void Draw(Integer x, Integer y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Block transfer from another canvas with CopyMode, stretched to `dest`.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
  // `source` of the bitmap into `dest`, with the pixels of `color` replaced by the brush.
  void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

  // ---- state ----
  TColor Pixels(Integer x, Integer y);
  void SetPixels(Integer x, Integer y, TColor value);
  TPoint PenPos();
  void SetPenPos(const TPoint& value) { MoveTo(value.x, value.y); }
  TRect ClipRect();
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode value) { copyMode_ = value; }

  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  TFont* Font() const { return font_.get(); }
  // Copy the values; the canvas keeps its own objects.
  void SetPen(TPen* value) { pen_->Assign(value); }
  void SetBrush(TBrush* value) { brush_->Assign(value); }
  void SetFont(TFont* value) { font_->Assign(value); }

  // The device context, made on first use. A canvas that cannot make one raises
  // EInvalidOperation "Canvas does not allow drawing".
  win::HDC Handle();
  // Draws on a device context made elsewhere (not owned); null detaches.
  void SetHandle(win::HDC value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Deselects the tools, so the next operation selects them again.
  void Refresh();

  // Excludes other threads while a drawing sequence runs.
  void Lock();
  bool TryLock();
  void Unlock();
  Integer LockCount() const { return lockCount_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void CreateHandle();
  // Makes what `required` names valid: the handle first, then font, pen and brush.
  void RequiredState(TCanvasState required);
  virtual void Changed();
  virtual void Changing();
  TCanvasState State() const { return state_; }

 private:
  friend class TGraphicsObject;
  friend class TBitmap;

  // A tool of this canvas is about to drop its handle or has a new value.
  void ToolChanging(TGraphicsObject* tool);
  void DeselectHandles();
  void SelectFont();
  void SelectPen();
  void SelectBrush();

  win::HDC handle_ = nullptr;
  TCanvasState state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TPoint penPos_{0, 0};
  TCopyMode copyMode_ = cmSrcCopy;
  Integer textFlags_ = 0;
  Integer lockCount_ = 0;
  std::recursive_mutex lock_;
};

class TControl;

class TControlCanvas : public TCanvas {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // How a control's device context is got and given back; installed by the controls.
  struct Hooks {
    std::function<win::HDC(TControl*)> GetDeviceContext;
    std::function<void(TControl*, win::HDC)> ReleaseDeviceContext;
  };
  static void SetHooks(Hooks hooks);

  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* Control() const { return control_; }
  // A new control gives back the old control's device context first.
  void SetControl(TControl* value);
  // Gives the device context back; the next drawing gets a new one.
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  win::HDC deviceContext_ = nullptr;
};

// Gives back the device contexts of every control canvas (when idle, and before the
// windows they belong to go away).
void FreeDeviceContexts();
