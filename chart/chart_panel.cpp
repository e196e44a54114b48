#include "chart/chart_panel.h"

#include <algorithm>

#include "chart/chart_utils.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/screen.h"
#include "platform/win/input.h"

// ---- TCustomPanelNoCaption -------------------------------------------------------------------

const TClass& TCustomPanelNoCaption::StaticClass() {
  static const TClass cls = TClass::Of<TCustomPanelNoCaption>("TCustomPanelNoCaption", TCustomPanel::StaticClass());
  return cls;
}

TCustomPanelNoCaption::TCustomPanelNoCaption(TComponent* AOwner) : TCustomPanel(AOwner) {
  controlStyle_.Exclude(csSetCaption);
}

// ---- events ---------------------------------------------------------------------------------

const TClass& TChartEvent::StaticClass() {
  static const TClass cls = TClass::Of<TChartEvent>("TChartEvent", TObject::StaticClass());
  return cls;
}

const TClass& TChartMouseEvent::StaticClass() {
  static const TClass cls = TClass::Of<TChartMouseEvent>("TChartMouseEvent", TChartEvent::StaticClass());
  return cls;
}

const TClass& TChartView3DEvent::StaticClass() {
  static const TClass cls = TClass::Of<TChartView3DEvent>("TChartView3DEvent", TChartEvent::StaticClass());
  return cls;
}

const TClass& TChartEventListeners::StaticClass() {
  static const TClass cls = TClass::Of<TChartEventListeners>("TChartEventListeners", TList::StaticClass());
  return cls;
}

// ---- TCustomChartPanel ---------------------------------------------------------------------

const TClass& TCustomChartPanel::StaticClass() {
  static const TClass cls = TClass::Of<TCustomChartPanel>("TCustomChartPanel", TCustomPanelNoCaption::StaticClass(),
                                                          &TCustomChartPanel::Publish);
  return cls;
}

void TCustomChartPanel::Publish(TPublished& published) {
  auto p = published.For<TCustomChartPanel>();
  p.Integer("Chart3DPercent", &TCustomChartPanel::Chart3DPercent, &TCustomChartPanel::SetChart3DPercent).Default(15);
  p.Integer("MarginBottom", &TCustomChartPanel::MarginBottom, &TCustomChartPanel::SetMarginBottom).Default(4);
  p.Integer("MarginLeft", &TCustomChartPanel::MarginLeft, &TCustomChartPanel::SetMarginLeft).Default(3);
  p.Integer("MarginRight", &TCustomChartPanel::MarginRight, &TCustomChartPanel::SetMarginRight).Default(3);
  p.Integer("MarginTop", &TCustomChartPanel::MarginTop, &TCustomChartPanel::SetMarginTop).Default(4);
  p.Boolean("PrintProportional", &TCustomChartPanel::PrintProportional, &TCustomChartPanel::SetPrintProportional)
      .Default(true);
  p.Boolean("View3D", &TCustomChartPanel::View3D, &TCustomChartPanel::SetView3D).Default(true);
  p.Object("View3DOptions", &TCustomChartPanel::View3DOptions, &TCustomChartPanel::SetView3DOptions);
}

TCustomChartPanel::TCustomChartPanel(TComponent* AOwner)
    : TCustomPanelNoCaption(AOwner),
      panning_(std::make_unique<TZoomPanning>()),
      view3DOptions_(std::make_unique<TView3DOptions>(this)),
      listeners_(std::make_unique<TChartEventListeners>()),
      chartCanvas_(std::make_unique<TChartCanvas3D>()) {
  SetBounds(Left(), Top(), 400, 250);
  view3DOptions_->OnScroll = [this](bool horizontal) { View3DScrolled(horizontal); };
  view3DOptions_->OnZoom = [this](Integer zoom) { View3DZoomed(zoom); };
  chartCanvas_->SetReferenceCanvas(ControlCanvas());
  savedCursor_ = Cursor();
  AcquireChartHandCursor();
}

TCustomChartPanel::~TCustomChartPanel() {
  ReleaseChartHandCursor();
  view3DOptions_->OnScroll = nullptr;
  view3DOptions_->OnZoom = nullptr;
}

void TCustomChartPanel::SetCanvas(std::unique_ptr<TChartCanvas3D> value) {
  if (!value) return;
  value->SetReferenceCanvas(ControlCanvas());
  value->CopySettings(chartCanvas_.get());
  value->WriteBuffered(chartCanvas_->IsBuffered());
  chartCanvas_ = std::move(value);
  Invalidate();
}

void TCustomChartPanel::ChangeBoolean(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TCustomChartPanel::ChangeInteger(Integer& Field, Integer Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TCustomChartPanel::ChangeColor(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TCustomChartPanel::ChangeDouble(Double& Field, Double Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TCustomChartPanel::ChangeString(std::string& Field, const std::string& Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TCustomChartPanel::Invalidate() {
  if (!autoRepaint_) return;
  chartCanvas_->MarkBufferStale();
  TCustomPanelNoCaption::Invalidate();
}

void TCustomChartPanel::Paint() {
  if (printing_) return;
  if (!chartCanvas_->RepaintFromBuffer()) DrawTo(ControlCanvas(), ClientRect());
}

void TCustomChartPanel::DrawTo(TCanvas* UserCanvas, const TRect& UserRect) {
  const TRect r = chartCanvas_->BeginFrame(UserCanvas, view3DOptions_.get(), Color(), view3D_, UserRect);
  try {
    ApplyMargins(r);
    DrawContents();
  } catch (...) {
    // Nothing half-drawn reaches the window; the canvas goes back to the control.
    chartCanvas_->SetReferenceCanvas(ControlCanvas());
    chartCanvas_->MarkBufferStale();
    throw;
  }
  chartCanvas_->PresentFrame(UserCanvas, ControlCanvas(), UserRect);
}

void TCustomChartPanel::ApplyMargins(const TRect& Bounds) {
  chartBounds_ = Bounds;
  const Int64 w = static_cast<Int64>(Bounds.right) - Bounds.left;
  const Int64 h = static_cast<Int64>(Bounds.bottom) - Bounds.top;
  const Integer b = BorderWidth();
  chartRect_.left = Bounds.left + b + static_cast<Integer>(w * margins_[cmLeft] / 100);
  chartRect_.top = Bounds.top + b + static_cast<Integer>(h * margins_[cmTop] / 100);
  chartRect_.right = Bounds.right - b - static_cast<Integer>(w * margins_[cmRight] / 100);
  chartRect_.bottom = Bounds.bottom - b - static_cast<Integer>(h * margins_[cmBottom] / 100);
  RecalcWidthHeight();
}

void TCustomChartPanel::RecalcWidthHeight() {
  if (chartRect_.left < chartBounds_.left) chartRect_.left = chartBounds_.left;
  if (chartRect_.top < chartBounds_.top) chartRect_.top = chartBounds_.top;
  if (chartRect_.left > chartRect_.right)
    chartRect_.right = chartRect_.left + 1;
  else if (chartRect_.left == chartRect_.right)
    chartRect_.right = chartRect_.left + Width();
  if (chartRect_.top > chartRect_.bottom)
    chartRect_.bottom = chartRect_.top + 1;
  else if (chartRect_.top == chartRect_.bottom)
    chartRect_.bottom = chartRect_.top + Height();
  chartWidth_ = chartRect_.right - chartRect_.left;
  chartHeight_ = chartRect_.bottom - chartRect_.top;
  const TPoint c = RectCenter(chartRect_);
  chartXCenter_ = c.x;
  chartYCenter_ = c.y;
}

void TCustomChartPanel::SetChartRect(const TRect& value) {
  chartRect_ = value;
  RecalcWidthHeight();
}

std::unique_ptr<TBitmap> TCustomChartPanel::RenderToBitmap(TColor BackColor, const TRect& Rect,
                                                           TPixelFormat PixelFormat) {
  const Integer w = std::max(0, Rect.right - Rect.left);
  const Integer h = std::max(0, Rect.bottom - Rect.top);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(PixelFormat);
  bitmap->SetSize(w, h);
  TCanvas* canvas = bitmap->Canvas();
  if (BackColor != clWhite) {
    canvas->Brush()->SetColor(BackColor);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(TRect{0, 0, w, h});
  }
  const bool buffered = chartCanvas_->IsBuffered();
  chartCanvas_->WriteBuffered(false);
  try {
    DrawTo(canvas, TRect{0, 0, w, h});
  } catch (...) {
    chartCanvas_->WriteBuffered(buffered);
    throw;
  }
  chartCanvas_->WriteBuffered(buffered);
  return bitmap;
}

void TCustomChartPanel::AssignTo(TPersistent* dest) {
  if (auto* picture = dynamic_cast<TPicture*>(dest)) {
    std::unique_ptr<TBitmap> bitmap = RenderToBitmap(Color(), ClientRect());
    picture->Assign(bitmap.get());
    return;
  }
  TCustomPanelNoCaption::AssignTo(dest);
}

void TCustomChartPanel::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCustomChartPanel*>(source)) {
    chartCanvas_->WriteBuffered(src->chartCanvas_->IsBuffered());
    printMargins_ = src->printMargins_;
    printProportional_ = src->printProportional_;
    margins_ = src->margins_;
    SetMonochrome(src->Monochrome());
    view3D_ = src->view3D_;
    view3DOptions_->Assign(src->view3DOptions_.get());
    chart3DPercent_ = src->chart3DPercent_;
    SetColor(src->Color());
    return;
  }
  TCustomPanelNoCaption::Assign(source);
}

void TCustomChartPanel::SetChart3DPercent(Integer value) {
  if (value < 1 || value > 100) throw CreateFmt<Exception>(msgChart3DPercent, 1, 100);
  ChangeInteger(chart3DPercent_, value);
}

void TCustomChartPanel::SetView3D(bool value) {
  if (value == view3D_) return;
  ChangeBoolean(view3D_, value);
  TChartView3DEvent event;
  NotifyListeners(event);
}

bool TCustomChartPanel::Monochrome() const { return chartCanvas_->IsMonochrome(); }

void TCustomChartPanel::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  chartCanvas_->WriteMonochrome(value);
  Invalidate();
}

void TCustomChartPanel::NotifyListeners(TChartEvent& Event) {
  if (ComponentState().Contains(csDestroying)) return;
  Event.Sender = this;
  // A listener may leave the list while it is told: the count is read each time.
  for (Integer i = 0; i < listeners_->Count(); ++i) listeners_->Listener(i)->ChartEvent(Event);
}

void TCustomChartPanel::BroadcastMouse(TChartMouseEventKind Kind, TMouseButton Button, TShiftState Shift, Integer X,
                                       Integer Y) {
  if (ComponentState().Contains(csDestroying)) return;
  TChartMouseEvent event;
  event.Sender = this;
  event.Kind = Kind;
  event.Button = Button;
  event.Shift = Shift;
  event.X = X;
  event.Y = Y;
  for (Integer i = 0; i < listeners_->Count() && !cancelMouse_; ++i) listeners_->Listener(i)->ChartEvent(event);
}

void TCustomChartPanel::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  cancelMouse_ = false;
  TCustomPanelNoCaption::MouseDown(Button, Shift, X, Y);
  BroadcastMouse(cmeDown, Button, Shift, X, Y);
}

void TCustomChartPanel::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  cancelMouse_ = false;
  TCustomPanelNoCaption::MouseMove(Shift, X, Y);
  if (!ComponentState().Contains(csDesigning)) BroadcastMouse(cmeMove, mbLeft, Shift, X, Y);
}

void TCustomChartPanel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  cancelMouse_ = false;
  TCustomPanelNoCaption::MouseUp(Button, Shift, X, Y);
  BroadcastMouse(cmeUp, Button, Shift, X, Y);
}

void TCustomChartPanel::CMMouseLeave(TMessage& Message) {
  SetCursor(savedCursor_);
  panning_->Active = false;
  TCustomPanelNoCaption::CMMouseLeave(Message);
}

void TCustomChartPanel::Loaded() {
  TCustomPanelNoCaption::Loaded();
  savedCursor_ = Cursor();
}

void TCustomChartPanel::WMEraseBkgnd(TMessage& Message) {
  // Every paint covers the whole panel from the buffer: erasing first would only flicker.
  if (ChartEraseBackground)
    TCustomPanelNoCaption::WMEraseBkgnd(Message);
  else
    Message.Result = 1;
}

bool TCustomChartPanel::WantsKey(Word Key) {
  switch (Key) {
    case win::VK_LEFT:
    case win::VK_RIGHT:
    case win::VK_UP:
    case win::VK_DOWN:
      return true;
    default:
      return TCustomPanelNoCaption::WantsKey(Key);
  }
}

TPoint TCustomChartPanel::OnScreen(Integer X, Integer Y, Integer Z) const {
  return view3D_ && chartCanvas_ ? chartCanvas_->SpaceToScreen(X, Y, Z) : TPoint{X, Y};
}

TPoint TCustomChartPanel::InSpace(Integer X, Integer Y, Integer Z) const {
  if (view3D_ && chartCanvas_) chartCanvas_->ScreenToSpace(X, Y, Z);
  return TPoint{X, Y};
}

TPoint TCustomChartPanel::MouseClientPos() { return ScreenToClient(Mouse ? Mouse->CursorPos() : TPoint{0, 0}); }

// ---- TCustomChartPanelExtended ---------------------------------------------------------------

const TEnumInfo& ChartBackImageModeInfo() {
  static const TEnumInfo info("TChartBackImageMode", {"pbmStretch", "pbmTile", "pbmCenter"});
  return info;
}

const TClass& TCustomChartPanelExtended::StaticClass() {
  static const TClass cls = TClass::Of<TCustomChartPanelExtended>(
      "TCustomChartPanelExtended", TCustomChartPanel::StaticClass(), &TCustomChartPanelExtended::Publish);
  return cls;
}

void TCustomChartPanelExtended::Publish(TPublished& published) {
  auto p = published.For<TCustomChartPanelExtended>();
  p.Enum("AllowPanning", PanningModeInfo(), &TCustomChartPanelExtended::AllowPanning,
         &TCustomChartPanelExtended::SetAllowPanning)
      .Default(pmBoth);
  p.Object("BackImage", &TCustomChartPanelExtended::BackImage, &TCustomChartPanelExtended::SetBackImage);
  p.Boolean("BackImageInside", &TCustomChartPanelExtended::BackImageInside,
            &TCustomChartPanelExtended::SetBackImageInside)
      .Default(false);
  p.Enum("BackImageMode", ChartBackImageModeInfo(), &TCustomChartPanelExtended::BackImageMode,
         &TCustomChartPanelExtended::SetBackImageMode)
      .Default(pbmStretch);
  p.Object("Gradient", &TCustomChartPanelExtended::Gradient, &TCustomChartPanelExtended::SetGradient);
  p.Object("Zoom", &TCustomChartPanelExtended::Zoom, &TCustomChartPanelExtended::SetZoom);
  p.Event("OnAfterDraw", &TCustomChartPanelExtended::OnAfterDraw);
  p.Event("OnScroll", &TCustomChartPanelExtended::OnScroll);
  p.Event("OnUndoZoom", &TCustomChartPanelExtended::OnUndoZoom);
  p.Event("OnZoom", &TCustomChartPanelExtended::OnZoom);
}

TCustomChartPanelExtended::TCustomChartPanelExtended(TComponent* AOwner)
    : TCustomChartPanel(AOwner),
      backImage_(std::make_unique<TPicture>()),
      gradient_(std::make_unique<TChartGradient>([this](TObject*) { Invalidate(); })),
      zoom_(std::make_unique<TChartZoom>()) {
  backImage_->OnChange = [this](TObject* s) { BackImageChanged(s); };
}

TCustomChartPanelExtended::~TCustomChartPanelExtended() {
  backImage_->OnChange = nullptr;
  gradient_->OnChange = nullptr;
}

void TCustomChartPanelExtended::BackImageChanged(TObject*) { Invalidate(); }

void TCustomChartPanelExtended::SetBackImageMode(TChartBackImageMode value) {
  if (value == backImageMode_) return;
  backImageMode_ = value;
  Invalidate();
}

void TCustomChartPanelExtended::ResetZoom() {
  if (OnUndoZoom) OnUndoZoom(this);
  Invalidate();
  zoomed_ = false;
}

void TCustomChartPanelExtended::DrawZoomFrame() {
  TChartCanvas3D* canvas = Canvas();
  canvas->ApplyPen(zoom_->Pen());
  TPen* pen = canvas->ReferenceCanvas()->Pen();
  const TPenMode oldMode = pen->Mode();
  // Exclusive-or: the white pen inverts what it crosses, and a second identical frame
  // takes the first away. (The inverted exclusive-or would leave a white pen unseen.)
  pen->SetMode(pmXor);
  canvas->ApplyBrush(zoom_->Brush(), zoom_->Brush()->Color());
  if (zoom_->Brush()->Style() == bsClear) canvas->WriteBackMode(cbmTransparent);
  canvas->DrawBox(zoom_->X0, zoom_->Y0, zoom_->X1, zoom_->Y1);
  pen->SetMode(oldMode);
}

void TCustomChartPanelExtended::PaintBackground(const TRect& Rect) {
  TChartCanvas3D* canvas = Canvas();
  if (gradient_->Visible()) {
    gradient_->Draw(canvas, Rect);
  } else if (!Printing() && Color() != clNone) {
    canvas->SetSolidBrush(Color());
    canvas->FillBox(Rect);
  }
  if (!backImageInside_) DrawBackImage(Rect);
}

void TCustomChartPanelExtended::DrawBackImage(const TRect& Rect) {
  TGraphic* graphic = backImage_->Graphic();
  if (!graphic || graphic->Empty()) return;
  TChartCanvas3D* canvas = Canvas();
  const Integer gw = graphic->Width(), gh = graphic->Height();
  switch (backImageMode_) {
    case pbmStretch:
      canvas->StretchGraphic(Rect, graphic);
      break;
    case pbmTile:
      if (gw <= 0 || gh <= 0) break;
      canvas->ClipToBox(Rect);
      for (Integer y = Rect.top; y < Rect.bottom; y += gh)
        for (Integer x = Rect.left; x < Rect.right; x += gw) canvas->DrawGraphic(x, y, graphic);
      canvas->RemoveClip();
      break;
    case pbmCenter: {
      const TPoint c = RectCenter(Rect);
      canvas->DrawGraphic(c.x - gw / 2, c.y - gh / 2, graphic);
      break;
    }
  }
}

void TCustomChartPanelExtended::PaintBevels(TRect& Rect) {
  TChartCanvas3D* canvas = Canvas();
  auto bevel = [&](TPanelBevel cut) {
    if (cut == bvNone) return;
    const bool lowered = cut == bvLowered;
    canvas->DrawBevelFrame(Rect, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow,
                           BevelWidth());
  };
  bevel(BevelOuter());
  if (BorderWidth() > 0) canvas->DrawBevelFrame(Rect, Color(), Color(), BorderWidth());
  bevel(BevelInner());
}

void TCustomChartPanelExtended::View3DScrolled(bool) {
  if (OnScroll) OnScroll(this);
}

void TCustomChartPanelExtended::View3DZoomed(Integer) {
  if (OnZoom) OnZoom(this);
}

void TCustomChartPanelExtended::DefineProperties(TFiler* filer) {
  TCustomChartPanel::DefineProperties(filer);
  // Older forms kept the zoom settings on the chart itself.
  filer->DefineProperty(
      "AllowZoom", [this](TReader& r) { zoom_->SetAllow(r.ReadBoolean()); }, [](TWriter&) {}, false);
  filer->DefineProperty(
      "AnimatedZoom", [this](TReader& r) { zoom_->SetAnimated(r.ReadBoolean()); }, [](TWriter&) {}, false);
  filer->DefineProperty(
      "AnimatedZoomSteps", [this](TReader& r) { zoom_->SetAnimatedSteps(r.ReadInteger()); }, [](TWriter&) {}, false);
  const auto& margins = PrintMargins();
  const bool stored = std::any_of(margins.begin(), margins.end(), [](Integer m) { return m != 15; });
  filer->DefineProperty(
      "PrintMargins",
      [this](TReader& r) {
        // All four or nothing: a short or long list leaves the margins as they were.
        std::array<Integer, 4> values{};
        std::size_t n = 0;
        r.ReadListBegin();
        while (!r.EndOfList()) {
          const Integer v = r.ReadInteger();
          if (n < values.size()) values[n] = v;
          ++n;
        }
        r.ReadListEnd();
        if (n != values.size()) throw EReadError(msg::InvalidPropertyValue);
        SetPrintMargins(values);
      },
      [this](TWriter& w) {
        w.WriteListBegin();
        for (Integer m : PrintMargins()) w.WriteInteger(m);
        w.WriteListEnd();
      },
      stored);
}
