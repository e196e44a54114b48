#include "controlkit/kit_form_shape.h"

#include "controlkit/kit_application.h"
#include "controlkit/kit_container.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/forms.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

TKitFormShape* ShapeOf(TWinControl* form) {
  if (!form) return nullptr;
  for (Integer i = 0; i < form->ComponentCount(); ++i)
    if (auto* shape = dynamic_cast<TKitFormShape*>(form->Components(i))) return shape;
  return nullptr;
}

void RegisterLookup() {
  static bool done = false;
  if (done) return;
  done = true;
  SetKitFormBackLookup([](TWinControl* form) -> TKitBackSource* { return ShapeOf(form); });
}


}  // namespace

const TClass& TKitFormShape::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitFormShape>("TKitFormShape", TKitWndProcComponent::StaticClass(), &TKitFormShape::Publish);
  return cls;
}

void TKitFormShape::Publish(TPublished& published) {
  using S = TKitFormShape;
  auto p = published.For<S>();
  p.Boolean("Enabled", &S::Enabled, &S::SetEnabled).Default(true);
  p.Object("Region", &S::Region);
  p.Boolean("ShowFormCaption", &S::ShowFormCaption, &S::SetShowFormCaption).Default(true);
  p.Boolean("FormDragable", &S::FormDragable, &S::SetFormDragable).Default(true);
  p.Boolean("UseRgnBitmap", &S::UseRgnBitmap, &S::SetUseRgnBitmap).Default(true);
  p.Object("FillObject", &S::FillObject);
  // A module-wide list travels as "Internal" instead.
  p.Component("ImageList", &S::ImageList, &S::SetImageList).StoredIf(&S::ImageListStored);
  p.Integer("ListIndex", &S::ListIndex, &S::SetListIndex).Default(0);
  p.Integer("ImageIndex", &S::ImageIndex, &S::SetImageIndex).Default(0);
}

bool TKitFormShape::ImageListStored() const { return KitSharedListSignature(imageList_).empty(); }

void TKitFormShape::DefineProperties(TFiler* Filer) {
  TKitWndProcComponent::DefineProperties(Filer);
  const std::string signature = KitSharedListSignature(imageList_);
  Filer->DefineProperty(
      "Internal",
      [this](TReader& reader) {
        if (TKitCustomImageList* shared = KitSharedListOf(reader.ReadString())) SetImageList(shared);
      },
      [signature](TWriter& writer) { writer.WriteString(signature); }, !signature.empty());
}

void RegisterKitFormShapeClasses() { RegisterClass(TKitFormShape::StaticClass()); }

TKitFormShape::TKitFormShape(TComponent* AOwner)
    : TKitWndProcComponent(AOwner),
      region_(std::make_unique<TKitBorderRegion>()),
      fill_(std::make_unique<TKitFillObject>()),
      imageLink_(std::make_unique<TKitChangeLink>()) {
  if (AOwner && AOwner->ComponentState().Contains(csDesigning)) {
    int shapes = 0;
    for (int i = 0; i < AOwner->ComponentCount(); ++i)
      if (dynamic_cast<TKitFormShape*>(AOwner->Components(i))) ++shapes;
    if (shapes > 1) throw KitEOneInstError::CreateMode(ClassName(), 0);
  }
  region_->OnChange = [this](TObject*) { ApplyRegion(); };
  fill_->OnChange = [this](TObject*) { Changed(); };
  imageLink_->OnChange = [this](TObject*) { Changed(); };
  RegisterLookup();
}

TKitFormShape::~TKitFormShape() {
  Unhook();
  region_->OnChange = nullptr;
  fill_->OnChange = nullptr;
  imageLink_->OnChange = nullptr;
  imageLink_->SetContainer(nullptr);
}

void TKitFormShape::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  if (ComponentState().Contains(csDesigning)) return;
  if (value) {
    Hook();
    ApplyRegion();
  } else {
    Unhook();
    if (TCustomForm* form = OwnerForm(); form && form->HandleAllocated()) win::SetWindowRgn(form->Handle(), nullptr, 1);
  }
}

void TKitFormShape::SetShowFormCaption(bool value) {
  if (showFormCaption_ == value) return;
  showFormCaption_ = value;
  ApplyRegion();
}

void TKitFormShape::SetUseRgnBitmap(bool value) {
  if (useRgnBitmap_ == value) return;
  useRgnBitmap_ = value;
  Changed();
}

void TKitFormShape::SetImageList(TKitCustomImageList* value) {
  if (imageList_ == value) return;
  if (imageList_) imageList_->RemoveFreeNotification(this);
  imageList_ = value;
  imageLink_->SetContainer(value);
  if (value) value->FreeNotification(this);
  Changed();
}

void TKitFormShape::Notification(TComponent* AComponent, TOperation Operation) {
  TKitWndProcComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == imageList_) {
    imageList_ = nullptr;
    imageLink_->SetContainer(nullptr);
  }
}

void TKitFormShape::Changed() {
  fillBitmap_.reset();
  if (TCustomForm* form = OwnerForm(); form && form->HandleAllocated()) win::InvalidateRect(form->Handle(), nullptr, 1);
}

void TKitFormShape::Loaded() {
  TKitWndProcComponent::Loaded();
  ApplyRegion();
}

bool TKitFormShape::FillActive() const { return fill_->Style() != sfNone; }

TPoint TKitFormShape::ClientOffset() const {
  TCustomForm* form = OwnerForm();
  if (!form) return TPoint{};
  switch (form->BorderStyle()) {
    case bsNone: return TPoint{};
    case bsSizeable:
      return TPoint{win::GetSystemMetrics(win::SM_CXFRAME),
                    win::GetSystemMetrics(win::SM_CYFRAME) + win::GetSystemMetrics(win::SM_CYCAPTION)};
    case bsSizeToolWin:
      return TPoint{win::GetSystemMetrics(win::SM_CXFRAME),
                    win::GetSystemMetrics(win::SM_CYFRAME) + win::GetSystemMetrics(win::SM_CYSMCAPTION)};
    case bsToolWindow:
      return TPoint{win::GetSystemMetrics(win::SM_CXDLGFRAME),
                    win::GetSystemMetrics(win::SM_CYDLGFRAME) + win::GetSystemMetrics(win::SM_CYSMCAPTION)};
    default:
      return TPoint{win::GetSystemMetrics(win::SM_CXDLGFRAME),
                    win::GetSystemMetrics(win::SM_CYDLGFRAME) + win::GetSystemMetrics(win::SM_CYCAPTION)};
  }
}

// The shape's own area: with a shadow it leaves Depth pixels at the right and bottom for
// the shadow, in the window region and in painting alike.
TRect TKitFormShape::ShapeRect(TRect client) const {
  const auto& shadow = *region_->Shadow();
  if (shadow.Style() != hssNone) {
    client.right -= shadow.Depth();
    client.bottom -= shadow.Depth();
  }
  return client;
}

void TKitFormShape::ApplyRegion() {
  TCustomForm* form = OwnerForm();
  if (!form || !form->HandleAllocated() || !enabled_) return;
  if (ComponentState().Contains(csLoading)) return;
  const bool designing = ComponentState().Contains(csDesigning);
  TKitRgnHandle rgn(region_->CreateRegion(ShapeRect(form->ClientRect()), designing));
  win::HWND hwnd = form->Handle();
  if (!rgn) {
    win::SetWindowRgn(hwnd, nullptr, 1);
    return;
  }
  const TPoint off = ClientOffset();
  win::OffsetRgn(rgn.Get(), off.x, off.y);
  // The shadow is cast by the client shape alone, as painting draws it: a shadowed caption
  // strip would open a band under the caption that nothing paints.
  if (region_->Shadow()->Style() != hssNone) {
    TKitRgnHandle shadow(win::CreateRectRgn(0, 0, 0, 0));
    win::CombineRgn(shadow.Get(), rgn.Get(), nullptr, win::RGN_COPY);
    const Integer depth = region_->Shadow()->Depth();
    win::OffsetRgn(shadow.Get(), depth, depth);
    win::CombineRgn(rgn.Get(), rgn.Get(), shadow.Get(), win::RGN_OR);
  }
  if (showFormCaption_ && off.y > 0) {
    win::RECT wr{};
    win::GetWindowRect(hwnd, &wr);
    TKitRgnHandle strip(win::CreateRectRgn(0, 0, wr.right - wr.left, off.y));
    win::CombineRgn(rgn.Get(), rgn.Get(), strip.Get(), win::RGN_OR);
  }
  // The window takes the handle.
  if (win::SetWindowRgn(hwnd, rgn.Get(), 1)) rgn.Release();
  win::InvalidateRect(hwnd, nullptr, 1);
}

// The fill covers the drawing rectangle: with a shadow, the client area less Depth.
void TKitFormShape::RebuildFillBitmap() {
  TCustomForm* form = OwnerForm();
  if (!form) return;
  const TRect area = ShapeRect(form->ClientRect());
  const Integer w = std::max<Integer>(area.right, 1), h = std::max<Integer>(area.bottom, 1);
  if (fillBitmap_ && fillBitmap_->Width() == w && fillBitmap_->Height() == h) return;
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  if (fill_->Style() == sfBitmapList && imageList_) imageList_->GetBitmap(listIndex_, imageIndex_, fill_->ListBitmap());
  fill_->Fill(bmp->Canvas(), TRect{0, 0, w, h}, form->Color());
  fillBitmap_ = std::move(bmp);
}

TBitmap* TKitFormShape::GetBackBitmap() {
  const bool designing = ComponentState().Contains(csDesigning);
  if (useRgnBitmap_ && region_->Shape() == rsBitmap && !region_->Mask()->BorderBmp()->Empty())
    return region_->Mask()->BorderBmp();
  if (FillActive() && !designing) {
    RebuildFillBitmap();
    return fillBitmap_.get();
  }
  return nullptr;
}

bool TKitFormShape::BackBitmapAvailable() { return enabled_ && GetBackBitmap() != nullptr; }

bool TKitFormShape::BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) {
  TBitmap* bmp = GetBackBitmap();
  if (!bmp) return false;
  const TRect dst{P.x, P.y, P.x + (R.right - R.left), P.y + (R.bottom - R.top)};
  Canvas->CopyRect(dst, bmp->Canvas(), R);
  return true;
}

void TKitFormShape::PaintBackground(win::HDC dc) {
  TCustomForm* form = OwnerForm();
  if (!form) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  const auto& shadow = *region_->Shadow();
  TKitRgnHandle rgn(region_->CreateRegion(ShapeRect(form->ClientRect()), ComponentState().Contains(csDesigning)));
  const auto fillRgn = [dc](win::HRGN area, TColor color) {
    win::HBRUSH brush = win::CreateSolidBrush(static_cast<win::COLORREF>(ColorToRGB(color)));
    win::FillRgn(dc, area, brush);
    win::DeleteObject(brush);
  };
  if (shadow.Style() != hssNone && rgn) {
    TKitRgnHandle area(win::CreateRectRgn(0, 0, 0, 0));
    win::CombineRgn(area.Get(), rgn.Get(), nullptr, win::RGN_COPY);
    win::OffsetRgn(area.Get(), shadow.Depth(), shadow.Depth());
    win::CombineRgn(area.Get(), area.Get(), rgn.Get(), win::RGN_DIFF);
    if (shadow.Style() == hssSolid) {
      fillRgn(area.Get(), shadow.Color());
    } else if (KitApplication) {
      // Tracing: the pattern darkens what is behind it, one pixel in two; behind it is the
      // form's own background, which the form did not erase when the fill paints the body.
      if (FillActive() || region_->Shape() == rsBitmap) fillRgn(area.Get(), form->Color());
      TBitmap* pattern = KitApplication->GetPatternBitmap(shadow.Color());
      win::HBRUSH brush = win::CreatePatternBrush(pattern->Handle());
      const int old = win::SetROP2(dc, win::R2_MASKPEN);
      win::FillRgn(dc, area.Get(), brush);
      win::SetROP2(dc, old);
      win::DeleteObject(brush);
    }
  }
  if (useRgnBitmap_ && region_->Shape() == rsBitmap && ComponentState().Contains(csDesigning)) {
    // The designer sees the outline only, in client coordinates (the data holds the caption).
    TKitRgnHandle outline(region_->Mask()->CreateRegion(0, -ClientOffset().y));
    if (outline) {
      win::HBRUSH brush = win::CreateSolidBrush(0);
      win::FrameRgn(dc, outline.Get(), brush, 1, 1);
      win::DeleteObject(brush);
    }
  } else if (useRgnBitmap_ && region_->Shape() == rsBitmap) {
    TBitmap* border = region_->Mask()->BorderBmp();
    if (!border->Empty()) canvas.Draw(0, 0, border);
  } else if (FillActive() && !ComponentState().Contains(csDesigning)) {
    RebuildFillBitmap();
    // Inside the shape only: the shadow painted above keeps its band.
    if (fillBitmap_) {
      const int saved = win::SaveDC(dc);
      if (rgn) win::ExtSelectClipRgn(dc, rgn.Get(), win::RGN_AND);
      canvas.Draw(0, 0, fillBitmap_.get());
      win::RestoreDC(dc, saved);
    }
  }
  if (rgn) region_->Border()->Draw(&canvas, rgn.Get());
  canvas.SetHandle(nullptr);
}

void TKitFormShape::WndProc(TMessage& Message) {
  // The application's main window (when hooked too) keeps its own shape and background.
  if (MessageWindow() != HookedWindow()) {
    CallPrevious(Message);
    return;
  }
  switch (Message.Msg) {
    case win::WM_SIZE:
      CallPrevious(Message);
      ApplyRegion();
      return;
    case win::WM_ERASEBKGND:
      if (!FillActive() && region_->Shape() != rsBitmap) CallPrevious(Message);
      PaintBackground(reinterpret_cast<win::HDC>(Message.WParam));
      Message.Result = 1;
      return;
    case win::WM_NCHITTEST: {
      CallPrevious(Message);
      TCustomForm* form = OwnerForm();
      if (!formDragable_ || ncButtonHeld_ || !form || Message.Result != win::HTCLIENT) return;
      win::POINT p{static_cast<short>(Message.LParam & 0xFFFF), static_cast<short>((Message.LParam >> 16) & 0xFFFF)};
      win::ScreenToClient(form->Handle(), &p);
      // Children keep their clicks: only the form's own body drags.
      if (form->ControlAtPos(TPoint{p.x, p.y}, true, true) == nullptr) Message.Result = win::HTCAPTION;
      return;
    }
    case win::WM_NCLBUTTONDOWN:
      ncButtonHeld_ = true;
      break;
    case win::WM_NCLBUTTONUP:
    case win::WM_CAPTURECHANGED:
      ncButtonHeld_ = false;
      break;
    default:
      break;
  }
  CallPrevious(Message);
}
