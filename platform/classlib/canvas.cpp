#include "platform/classlib/canvas.h"

#include <algorithm>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/graphic.h"
#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace {

constexpr const char* kNoCanvasHandle = "Canvas does not allow drawing";

constexpr TCanvasState kHandle{csHandleValid};
constexpr TCanvasState kHandleBrush{csHandleValid, csBrushValid};
constexpr TCanvasState kHandlePenBrush{csHandleValid, csPenValid, csBrushValid};
constexpr TCanvasState kHandleFont{csHandleValid, csFontValid};
constexpr TCanvasState kHandleFontBrush{csHandleValid, csFontValid, csBrushValid};

// Palette-relative colours pass through: the device context resolves them.
win::COLORREF Rgb(TColor c) { return static_cast<win::COLORREF>(ColorToRGB(c)); }

}  // namespace

const TClass& TCanvas::StaticClass() {
  static const TClass cls = TClass::Of<TCanvas>("TCanvas", TPersistent::StaticClass());
  return cls;
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  font_->canvas_ = this;
  pen_->canvas_ = this;
  brush_->canvas_ = this;
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  font_->canvas_ = nullptr;
  pen_->canvas_ = nullptr;
  brush_->canvas_ = nullptr;
}

// ---- handle and tools --------------------------------------------------------------------

void TCanvas::CreateHandle() {}

win::HDC TCanvas::Handle() {
  RequiredState(kHandle);
  return handle_;
}

void TCanvas::SetHandle(win::HDC value) {
  if (value == handle_) return;
  if (handle_) {
    DeselectHandles();
    win::POINT p;
    if (win::GetCurrentPositionEx(handle_, &p)) penPos_ = p;
    handle_ = nullptr;
    state_.Exclude(csHandleValid);
  }
  if (value) {
    state_.Include(csHandleValid);
    handle_ = value;
    win::MoveToEx(handle_, penPos_.x, penPos_.y, nullptr);
  }
}

void TCanvas::RequiredState(TCanvasState required) {
  const TCanvasState needed = required - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!handle_) throw EInvalidOperation(kNoCanvasHandle);
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) SelectPen();
  if (needed.Contains(csBrushValid)) SelectBrush();
  state_ = state_ + needed;
}

void TCanvas::SelectFont() {
  win::SelectObject(handle_, win::FontAsObject(font_->Handle()));
  win::SetTextColor(handle_, Rgb(font_->Color()));
}

void TCanvas::SelectPen() {
  win::SelectObject(handle_, pen_->Handle());
  win::SetROP2(handle_, PenModeToRop2(pen_->Mode()));
}

void TCanvas::SelectBrush() {
  win::SelectObject(handle_, brush_->Handle());
  if (brush_->Style() == bsSolid) {
    win::SetBkColor(handle_, Rgb(brush_->Color()));
    win::SetBkMode(handle_, win::OPAQUE);
  } else {
    // Hatches show their background only where the mode is opaque; keep it apart from
    // the hatch colour all the same.
    win::SetBkColor(handle_, ~Rgb(brush_->Color()) & 0x00FFFFFF);
    win::SetBkMode(handle_, win::TRANSPARENT);
  }
}

void TCanvas::DeselectHandles() {
  if (!handle_) return;
  if (state_.Contains(csPenValid)) win::SelectObject(handle_, win::GetStockObject(win::BLACK_PEN));
  if (state_.Contains(csBrushValid)) win::SelectObject(handle_, win::GetStockObject(win::HOLLOW_BRUSH));
  if (state_.Contains(csFontValid)) win::SelectObject(handle_, win::FontAsObject(win::GetStockFont(win::SYSTEM_FONT)));
  state_ = state_ - TCanvasState{csPenValid, csBrushValid, csFontValid};
}

void TCanvas::ToolChanging(TGraphicsObject* tool) {
  if (!handle_) return;
  if (tool == pen_.get() && state_.Contains(csPenValid)) {
    win::SelectObject(handle_, win::GetStockObject(win::BLACK_PEN));
    state_.Exclude(csPenValid);
  } else if (tool == brush_.get() && state_.Contains(csBrushValid)) {
    win::SelectObject(handle_, win::GetStockObject(win::HOLLOW_BRUSH));
    state_.Exclude(csBrushValid);
  } else if (tool == font_.get() && state_.Contains(csFontValid)) {
    win::SelectObject(handle_, win::FontAsObject(win::GetStockFont(win::SYSTEM_FONT)));
    state_.Exclude(csFontValid);
  }
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Lock() {
  lock_.lock();
  ++lockCount_;
}

bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Unlock() {
  --lockCount_;
  lock_.unlock();
}

// ---- primitives ----------------------------------------------------------------------------

void TCanvas::Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Arc(handle_, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Chord(handle_, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Pie(handle_, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Ellipse(handle_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Rectangle(handle_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::RoundRect(handle_, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::MoveTo(Integer x, Integer y) {
  RequiredState(kHandle);
  win::MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(Integer x, Integer y) {
  Changing();
  RequiredState(kHandlePenBrush);  // styled pens fill their gaps with the background
  win::LineTo(handle_, x, y);
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Polyline(handle_, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::Polygon(handle_, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequiredState(kHandleBrush);
  win::FillRect(handle_, &r, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequiredState(kHandleBrush);
  win::FrameRect(handle_, &r, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
  Changing();
  RequiredState(kHandleBrush);
  win::DrawFocusRect(handle_, &r);
  Changed();
}

// ---- text ------------------------------------------------------------------------------------

void TCanvas::TextOut(Integer x, Integer y, const std::string& text) {
  Changing();
  RequiredState(kHandleFontBrush);
  win::ExtTextOut(handle_, x, y, static_cast<win::UINT>(textFlags_), nullptr, text.data(),
                  static_cast<win::UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const std::string& text) {
  Changing();
  RequiredState(kHandleFontBrush);
  win::UINT options = win::ETO_CLIPPED | static_cast<win::UINT>(textFlags_);
  if (brush_->Style() != bsClear) options |= win::ETO_OPAQUE;
  win::ExtTextOut(handle_, x, y, options, &r, text.data(), static_cast<win::UINT>(text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& text) {
  RequiredState(kHandleFont);
  TSize size{0, 0};
  win::GetTextExtentPoint32(handle_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

// ---- pictures --------------------------------------------------------------------------------

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  StretchDraw(Rect(x, y, x + graphic->Width(), y + graphic->Height()), graphic);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState(kHandle);
  // Monochrome images take their two colours from here.
  win::SetBkColor(handle_, Rgb(brush_->Color()));
  win::SetTextColor(handle_, Rgb(font_->Color()));
  graphic->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  if (!canvas) return;
  Changing();
  RequiredState(kHandleFontBrush);
  canvas->RequiredState(kHandleBrush);
  win::StretchBlt(handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, canvas->handle_,
                  source.left, source.top, source.right - source.left, source.bottom - source.top,
                  static_cast<win::DWORD>(copyMode_));
  Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
  if (!bitmap || bitmap->Empty()) return;
  const int sw = source.right - source.left;
  const int sh = source.bottom - source.top;
  if (sw <= 0 || sh <= 0) return;
  Changing();
  RequiredState(kHandleBrush);
  win::HDC src = bitmap->Canvas()->Handle();

  // Mask: white where the bitmap has `color`.
  win::HBITMAP mask = win::CreateBitmap(sw, sh, 1, 1, nullptr);
  win::HDC maskDC = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ oldMask = win::SelectObject(maskDC, mask);
  const win::COLORREF key = Rgb(color);
  if (bitmap->Monochrome()) {
    win::BitBlt(maskDC, 0, 0, sw, sh, src, source.left, source.top, key == 0 ? win::NOTSRCCOPY : win::SRCCOPY);
  } else {
    const win::COLORREF oldBk = win::SetBkColor(src, key);
    win::BitBlt(maskDC, 0, 0, sw, sh, src, source.left, source.top, win::SRCCOPY);
    win::SetBkColor(src, oldBk);
  }

  // The image, then the brush wherever the mask is white (result = mask ? brush : dest).
  const win::COLORREF oldText = win::SetTextColor(handle_, 0x000000);
  const win::COLORREF oldBk = win::SetBkColor(handle_, 0xFFFFFF);
  const int dw = dest.right - dest.left;
  const int dh = dest.bottom - dest.top;
  win::StretchBlt(handle_, dest.left, dest.top, dw, dh, src, source.left, source.top, sw, sh, win::SRCCOPY);
  win::StretchBlt(handle_, dest.left, dest.top, dw, dh, maskDC, 0, 0, sw, sh, 0x00E20746);
  win::SetTextColor(handle_, oldText);
  win::SetBkColor(handle_, oldBk);

  win::SelectObject(maskDC, oldMask);
  win::DeleteDC(maskDC);
  win::DeleteObject(mask);
  Changed();
}

// ---- state -----------------------------------------------------------------------------------

TColor TCanvas::Pixels(Integer x, Integer y) {
  RequiredState(kHandle);
  return static_cast<TColor>(win::GetPixel(handle_, x, y));
}

void TCanvas::SetPixels(Integer x, Integer y, TColor value) {
  Changing();
  RequiredState(kHandlePenBrush);
  win::SetPixel(handle_, x, y, Rgb(value));
  Changed();
}

TPoint TCanvas::PenPos() {
  RequiredState(kHandle);
  TPoint p{0, 0};
  win::GetCurrentPositionEx(handle_, &p);
  return p;
}

TRect TCanvas::ClipRect() {
  RequiredState(kHandle);
  TRect r{0, 0, 0, 0};
  win::GetClipBox(handle_, &r);
  return r;
}

// ---- TControlCanvas -------------------------------------------------------------------------

namespace {

TControlCanvas::Hooks& ControlHooks() {
  static TControlCanvas::Hooks hooks;
  return hooks;
}

// Control canvases that hold a device context, for FreeDeviceContexts.
std::vector<TControlCanvas*>& HoldingCanvases() {
  static std::vector<TControlCanvas*> list;
  return list;
}

}  // namespace

const TClass& TControlCanvas::StaticClass() {
  static const TClass cls = TClass::Of<TControlCanvas>("TControlCanvas", TCanvas::StaticClass());
  return cls;
}

void TControlCanvas::SetHooks(Hooks hooks) { ControlHooks() = std::move(hooks); }

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* value) {
  if (value == control_) return;
  FreeHandle();
  control_ = value;
}

void TControlCanvas::CreateHandle() {
  if (!control_ || deviceContext_) return;
  const Hooks& hooks = ControlHooks();
  if (!hooks.GetDeviceContext) return;
  win::HDC dc = hooks.GetDeviceContext(control_);
  if (!dc) return;
  deviceContext_ = dc;
  SetHandle(dc);
  HoldingCanvases().push_back(this);
}

void TControlCanvas::FreeHandle() {
  if (!deviceContext_) return;
  win::HDC dc = deviceContext_;
  SetHandle(nullptr);
  deviceContext_ = nullptr;
  auto& list = HoldingCanvases();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  const Hooks& hooks = ControlHooks();
  if (hooks.ReleaseDeviceContext) hooks.ReleaseDeviceContext(control_, dc);
}

void FreeDeviceContexts() {
  const std::vector<TControlCanvas*> list = HoldingCanvases();
  for (TControlCanvas* c : list) {
    if (!c->TryLock()) continue;  // in use: it keeps its context
    c->FreeHandle();
    c->Unlock();
  }
}
