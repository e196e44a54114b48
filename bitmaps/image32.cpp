#include "bitmaps/image32.h"

#include <algorithm>
#include <limits>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/screen.h"
#include "platform/win/gdi.h"

namespace {

// Form files name the class.
const bool kImageRegistered = [] {
  RegisterClass(TImage32::StaticClass());
  return true;
}();

constexpr Single kMinScale = 0.001f;

// Rounded (halves to even) and held inside the 32-bit range.
Integer RoundToInteger(double x) {
  if (!(x == x)) return 0;
  const Int64 r = Round(std::clamp(x, static_cast<double>(std::numeric_limits<Integer>::min()),
                                   static_cast<double>(std::numeric_limits<Integer>::max())));
  return static_cast<Integer>(r);
}

// num * 65536 / den, rounded; both positive. Held inside the 32-bit range, so that a
// huge bitmap in a tiny control still gets a usable (if saturated) scale.
Integer FixedRatio(Int64 num, Int64 den) {
  const Int64 r = (num * 0x20000 + den) / (2 * den);
  return static_cast<Integer>(std::min<Int64>(r, std::numeric_limits<Integer>::max()));
}

Integer FixedMulFloor(Int64 a, Integer b) { return static_cast<Integer>((a * b) >> 16); }

}  // namespace

const TEnumInfo& BitmapAlignInfo() {
  static const TEnumInfo info("TBitmapAlign", {"baTopLeft", "baCenter", "baTile", "baCustom"});
  return info;
}

const TEnumInfo& ScaleModeInfo() {
  static const TEnumInfo info("TScaleMode", {"smNormal", "smStretch", "smScale", "smResize"});
  return info;
}

// ---- TCustomImage32 ------------------------------------------------------------------------

const TClass& TCustomImage32::StaticClass() {
  static const TClass cls = TClass::Of<TCustomImage32>("TCustomImage32", TCustomPaintBox32::StaticClass());
  return cls;
}

TCustomImage32::TCustomImage32(TComponent* AOwner) : TCustomPaintBox32(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                csDoubleClicks,    csOpaque,       csReplicatable};
  bitmap_ = std::make_unique<TBitmap32>();
  bitmap_->OnChange = [this](TObject*) { Changed(); };
  bitmap_->OnResize = [this](TObject*) { BitmapResized(); };
  layers_ = std::make_unique<TLayerCollection>(this);
  layers_->SetCoordXForm(&cachedXForm_);
  layers_->OnChange = [this](TObject*) { Changed(); };
  layers_->OnGDIUpdate = [this](TObject*) { LayersGDIUpdate(); };
  paintStages_ = std::make_unique<TPaintStages>();
  InitDefaultStages();
}

TCustomImage32::~TCustomImage32() {
  BeginUpdate();
  // Nothing that goes now may call back into the half-destroyed control.
  layers_->OnChange = nullptr;
  layers_->OnChanging = nullptr;
  layers_->OnGDIUpdate = nullptr;
  bitmap_->OnChange = nullptr;
  bitmap_->OnResize = nullptr;
  paintStages_.reset();
  layers_.reset();
  bitmap_.reset();
}

// ---- properties -----------------------------------------------------------------------------

void TCustomImage32::SetBitmap(TBitmap32* value) {
  InvalidateCache();
  bitmap_->Assign(value);
}

void TCustomImage32::SetBitmapAlign(TBitmapAlign value) {
  InvalidateCache();
  bitmapAlign_ = value;
  Changed();
}

void TCustomImage32::SetOffsetHorz(Single value) {
  if (value == offsetHorz_) return;
  InvalidateCache();
  offsetHorz_ = value;
  Changed();
}

void TCustomImage32::SetOffsetVert(Single value) {
  if (value == offsetVert_) return;
  InvalidateCache();
  offsetVert_ = value;
  Changed();
}

void TCustomImage32::SetScale(Single value) {
  // A NaN is below every scale too.
  if (!(value >= kMinScale)) value = kMinScale;
  if (value == scale_) return;
  InvalidateCache();
  scale_ = value;
  DoScaleChange();
  Changed();
}

void TCustomImage32::SetScaleMode(TScaleMode value) {
  if (value == scaleMode_) return;
  InvalidateCache();
  scaleMode_ = value;
  Changed();
}

// ---- updates --------------------------------------------------------------------------------

void TCustomImage32::BeginUpdate() { ++updateCount_; }

void TCustomImage32::EndUpdate() {
  // Checked first: an unpaired call must not leave the count below zero, which would
  // silence every later change.
  if (updateCount_ < 1) throw EAssertionFailed("Unpaired EndUpdate call");
  --updateCount_;
}

void TCustomImage32::Changed() {
  if (updateCount_ != 0) return;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TCustomImage32::Invalidate() {
  SetBufferValid(false);
  cacheValid_ = false;
  TCustomPaintBox32::Invalidate();
}

void TCustomImage32::Loaded() {
  TCustomPaintBox32::Loaded();
  DoInitStages();
}

void TCustomImage32::DoInitStages() {
  if (OnInitStages) OnInitStages(this);
}

void TCustomImage32::InitDefaultStages() {
  auto add = [this](bool dsgnTime, bool runTime, Cardinal stage, Cardinal parameter) {
    TPaintStage& s = paintStages_->Add();
    s.DsgnTime = dsgnTime;
    s.RunTime = runTime;
    s.Stage = stage;
    s.Parameter = parameter;
  };
  add(true, true, kStageClearBackground, 0);
  add(true, false, kStageControlFrame, 0);
  add(true, true, kStageDrawBitmap, 0);
  add(true, false, kStageBitmapFrame, 0);
  add(true, true, kStageDrawLayers, kLayerVisible);
}

void TCustomImage32::Resize() {
  InvalidateCache();
  TCustomPaintBox32::Resize();
}

// ---- size -----------------------------------------------------------------------------------

void TCustomImage32::BitmapResized() {
  if (AutoSize()) {
    Integer w = bitmap_->Width();
    Integer h = bitmap_->Height();
    if (scaleMode_ == smScale) {
      w = RoundToInteger(static_cast<double>(w) * scale_);
      h = RoundToInteger(static_cast<double>(h) * scale_);
    }
    if (w >= 1 && h >= 1) SetBounds(Left(), Top(), w, h);
  }
  if (updateCount_ == 0 && OnBitmapResize) OnBitmapResize(this);
  InvalidateCache();
  Invalidate();
}

bool TCustomImage32::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  Integer w = bitmap_->Width();
  Integer h = bitmap_->Height();
  if (scaleMode_ == smScale) {
    w = RoundToInteger(static_cast<double>(w) * scale_);
    h = RoundToInteger(static_cast<double>(h) * scale_);
  }
  if (!ComponentState().Contains(csDesigning) || (w > 0 && h > 0)) {
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = w;
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = h;
  }
  return true;
}

TSize TCustomImage32::GetBitmapSize() {
  TSize size{0, 0};
  if (bitmap_->Empty() || Width() < 1 || Height() < 1) return size;
  const Integer bw = bitmap_->Width();
  const Integer bh = bitmap_->Height();
  switch (scaleMode_) {
    case smNormal:
      size = TSize{bw, bh};
      break;
    case smStretch:
      size = TSize{Width(), Height()};
      break;
    case smScale:
      size = TSize{RoundToInteger(static_cast<double>(bw) * scale_), RoundToInteger(static_cast<double>(bh) * scale_)};
      break;
    case smResize: {
      const double sx = static_cast<double>(Width()) / bw;
      const double sy = static_cast<double>(Height()) / bh;
      if (sx < sy)
        size = TSize{Width(), RoundToInteger(bh * sx)};
      else
        size = TSize{RoundToInteger(bw * sy), Height()};
      break;
    }
  }
  return size;
}

TRect TCustomImage32::GetBitmapRect() {
  if (bitmap_->Empty()) return TRect{0, 0, 0, 0};
  const TSize size = GetBitmapSize();
  TRect r{0, 0, size.cx, size.cy};
  switch (bitmapAlign_) {
    case baCenter:
      OffsetRectBy(r, (Width() - size.cx) / 2, (Height() - size.cy) / 2);
      break;
    case baCustom:
      OffsetRectBy(r, RoundToInteger(offsetHorz_), RoundToInteger(offsetVert_));
      break;
    case baTopLeft:
    case baTile:
      break;
  }
  return r;
}

// ---- the mapping cache ------------------------------------------------------------------------

void TCustomImage32::UpdateCache() {
  if (cacheValid_) return;
  cachedBitmapRect_ = GetBitmapRect();
  const Int64 w = Int64{cachedBitmapRect_.right} - cachedBitmapRect_.left;
  const Int64 h = Int64{cachedBitmapRect_.bottom} - cachedBitmapRect_.top;
  TCoordXForm xf;
  if (w > 0 && h > 0 && !bitmap_->Empty()) {
    xf.ShiftX = cachedBitmapRect_.left;
    xf.ShiftY = cachedBitmapRect_.top;
    xf.ScaleX = FixedRatio(w, bitmap_->Width());
    xf.ScaleY = FixedRatio(h, bitmap_->Height());
    xf.RevScaleX = FixedRatio(bitmap_->Width(), w);
    xf.RevScaleY = FixedRatio(bitmap_->Height(), h);
  }
  cachedXForm_ = xf;
  cacheValid_ = true;
}

TPoint TCustomImage32::BitmapToControl(const TPoint& P) {
  UpdateCache();
  return TPoint{FixedMulFloor(P.x, cachedXForm_.ScaleX) + cachedXForm_.ShiftX,
                FixedMulFloor(P.y, cachedXForm_.ScaleY) + cachedXForm_.ShiftY};
}

TPoint TCustomImage32::ControlToBitmap(const TPoint& P) {
  UpdateCache();
  return TPoint{FixedMulFloor(Int64{P.x} - cachedXForm_.ShiftX, cachedXForm_.RevScaleX),
                FixedMulFloor(Int64{P.y} - cachedXForm_.ShiftY, cachedXForm_.RevScaleY)};
}

// ---- painting ---------------------------------------------------------------------------------

void TCustomImage32::DoPaintBuffer() {
  UpdateCache();
  const bool designing = ComponentState().Contains(csDesigning);
  TBitmap32* buffer = Buffer();
  for (Integer i = 0; i < paintStages_->Count(); ++i) {
    const TPaintStage stage = paintStages_->Items(i);
    if (!((stage.DsgnTime && designing) || (stage.RunTime && !designing))) continue;
    switch (stage.Stage) {
      case kStageCustom: DoPaintStage(buffer, static_cast<Cardinal>(i)); break;
      case kStageClearBuffer: ClearBuffer(buffer); break;
      case kStageClearBackground: PaintBackground(buffer); break;
      case kStageDrawBitmap: PaintBitmap(buffer); break;
      case kStageDrawLayers: PaintLayers(buffer, stage.Parameter); break;
      case kStageControlFrame: PaintControlFrame(buffer); break;
      case kStageBitmapFrame: PaintBitmapFrame(buffer); break;
      default: break;
    }
  }
  TCustomPaintBox32::DoPaintBuffer();
}

void TCustomImage32::DoPaintStage(TBitmap32* Dest, Cardinal StageNum) {
  if (OnPaintStage) OnPaintStage(this, Dest, StageNum);
}

void TCustomImage32::ClearBuffer(TBitmap32* Dest) { Dest->Clear(ColorToColor32(Color())); }

void TCustomImage32::PaintBackground(TBitmap32* Dest) {
  const TColor32 color = ColorToColor32(Color());
  if (bitmap_->Empty() || bitmap_->DrawMode() != dmOpaque) {
    Dest->Clear(color);
    return;
  }
  const TRect& r = cachedBitmapRect_;
  const Integer w = Width();
  const Integer h = Height();
  if (r.left < 1 && r.right >= w && r.top < 1 && (r.bottom >= h || bitmapAlign_ == baTile)) return;
  Dest->FillRectS(0, 0, w, r.top, color);
  Dest->FillRectS(0, r.bottom, w, h, color);
  Dest->FillRectS(0, r.top, r.left, r.bottom, color);
  Dest->FillRectS(r.right, r.top, w, r.bottom, color);
}

void TCustomImage32::PaintBitmap(TBitmap32* Dest) {
  const TRect r = cachedBitmapRect_;
  if (bitmap_->Empty() || RectIsEmpty(r)) return;
  bitmap_->Lock();
  try {
    if (bitmapAlign_ == baTile) {
      // A tile rectangle starts at (0, 0): its right and bottom are its size.
      const Integer rows = Dest->Height() / r.bottom;
      const Integer cols = Dest->Width() / r.right;
      for (Integer row = 0; row <= rows; ++row)
        for (Integer col = 0; col <= cols; ++col) {
          TRect tile = r;
          OffsetRectBy(tile, col * r.right, row * r.bottom);
          bitmap_->DrawTo(Dest, tile);
        }
    } else {
      bitmap_->DrawTo(Dest, r);
    }
  } catch (...) {
    bitmap_->Unlock();
    throw;
  }
  bitmap_->Unlock();
}

void TCustomImage32::PaintLayers(TBitmap32* Dest, Cardinal OptionsMask) {
  for (Integer i = 0; i < layers_->Count(); ++i) {
    TCustomLayer* layer = layers_->Items(i);
    if ((layer->LayerOptions() & OptionsMask) != 0) layer->DoPaint(Dest);
  }
}

void TCustomImage32::PaintControlFrame(TBitmap32* Dest) {
  if (!Dest->DC()) return;
  const TRect r{0, 0, Width(), Height()};
  win::DrawFocusRect(Dest->DC(), &r);
}

void TCustomImage32::PaintBitmapFrame(TBitmap32* Dest) {
  if (!Dest->DC()) return;
  win::DrawFocusRect(Dest->DC(), &cachedBitmapRect_);
}

void TCustomImage32::DoPaintGDIOverlay() {
  for (Integer i = 0; i < layers_->Count(); ++i) {
    TCustomLayer* layer = layers_->Items(i);
    if ((layer->LayerOptions() & kLayerGDIOverlay) != 0) layer->PaintGDI(Canvas());
  }
  TCustomPaintBox32::DoPaintGDIOverlay();
}

void TCustomImage32::LayersGDIUpdate() {
  // Only the overlay changed: the buffer is copied again and the overlay drawn anew.
  if (HandleAllocated()) Paint();
}

// ---- mouse ------------------------------------------------------------------------------------

void TCustomImage32::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  SetMouseCapture(true);
  // Layers hit-test in control coordinates through the current mapping.
  UpdateCache();
  TCustomLayer* layer = layers_->MouseEvents() ? layers_->MouseDown(Button, Shift, X, Y) : nullptr;
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y, layer);
}

void TCustomImage32::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  UpdateCache();
  TCustomLayer* layer = layers_->MouseEvents() ? layers_->MouseMove(Shift, X, Y) : nullptr;
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y, layer);
}

void TCustomImage32::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  SetMouseCapture(false);
  UpdateCache();
  TCustomLayer* layer = layers_->MouseEvents() ? layers_->MouseUp(Button, Shift, X, Y) : nullptr;
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y, layer);
}

void TCustomImage32::CMMouseEnter(TMessage& Message) {
  TCustomPaintBox32::CMMouseEnter(Message);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TCustomImage32::CMMouseLeave(TMessage& Message) {
  TCustomPaintBox32::CMMouseLeave(Message);
  if (layers_->MouseEvents() && !layers_->MouseListener() && Screen) Screen->SetCursor(crDefault);
  if (OnMouseLeave) OnMouseLeave(this);
}

// ---- TImage32 ---------------------------------------------------------------------------------

const TClass& TImage32::StaticClass() {
  static const TClass cls = TClass::Of<TImage32>("TImage32", TCustomImage32::StaticClass(), &TImage32::Publish);
  return cls;
}

void TImage32::Publish(TPublished& published) {
  TWinControl::PublishProperties(published, {"Align", "Anchors", "AutoSize", "Color", "Constraints", "DragCursor",
                                             "ParentColor", "ParentShowHint", "PopupMenu", "ShowHint", "Visible",
                                             "OnCanResize", "OnClick", "OnContextPopup", "OnDblClick", "OnResize",
                                             "OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
  auto p = published.For<TImage32>();
  p.Object("Bitmap", &TImage32::Bitmap, &TImage32::SetBitmap);
  p.Enum("BitmapAlign", BitmapAlignInfo(), &TImage32::BitmapAlign, &TImage32::SetBitmapAlign).Default(baTopLeft);
  p.Float("Scale", &TImage32::Scale, &TImage32::SetScale).Default(1.0);
  p.Enum("ScaleMode", ScaleModeInfo(), &TImage32::ScaleMode, &TImage32::SetScaleMode).Default(smNormal);
  p.Event("OnBitmapResize", &TImage32::OnBitmapResize);
  p.Event("OnChange", &TImage32::OnChange);
  p.Event("OnGDIOverlay", &TImage32::OnGDIOverlay);
  p.Event("OnInitStages", &TImage32::OnInitStages);
  p.Event("OnMouseDown", &TImage32::OnMouseDown);
  p.Event("OnMouseMove", &TImage32::OnMouseMove);
  p.Event("OnMouseUp", &TImage32::OnMouseUp);
  p.Event("OnPaintStage", &TImage32::OnPaintStage);
}
