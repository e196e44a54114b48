#include "controlkit/kit_control_base.h"

#include "controlkit/kit_connector.h"
#include "controlkit/kit_container.h"
#include "controlkit/kit_image_list.h"
#include "platform/classlib/class_registry.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

TKitFormBackLookup& FormLookup() {
  static TKitFormBackLookup lookup;
  return lookup;
}

bool Loading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }
bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

// Where a point of a control's client area lies in its parent's client area: its
// position, plus half the window border for windowed controls (halves toward zero).
TPoint ClientToParent(TControl* control, const TPoint& p) {
  TPoint r{p.x + control->Left(), p.y + control->Top()};
  if (dynamic_cast<TWinControl*>(control)) {
    const TRect client = control->ClientRect();
    r.x += (control->Width() - (client.right - client.left)) / 2;
    r.y += (control->Height() - (client.bottom - client.top)) / 2;
  }
  return r;
}

// "Internal" of a control: the signature of a module-wide list (written only for those).
void DefineInternalList(TFiler* filer, TKitCustomImageList* list,
                        const std::function<void(TKitCustomImageList*)>& set) {
  const std::string signature = KitSharedListSignature(list);
  filer->DefineProperty(
      "Internal",
      [set](TReader& reader) {
        if (TKitCustomImageList* shared = KitSharedListOf(reader.ReadString())) set(shared);
      },
      [signature](TWriter& writer) { writer.WriteString(signature); }, !signature.empty());
}

// A mouse enter/leave notice is the control's own when it names no control or this one.
bool MouseNoticeIsFor(const TMessage& message, const TControl* control) {
  return message.LParam == 0 || message.LParam == reinterpret_cast<win::LPARAM>(control);
}

// Moves a control's image-list binding to Value (free notifications and change link);
// false when Value is already the list.
bool RebindImageList(TComponent* self, TKitCustomImageList*& field, TKitChangeLink& link,
                     TKitCustomImageList* Value) {
  if (Value == field) return false;
  if (field) field->RemoveFreeNotification(self);
  field = Value;
  link.SetContainer(Value);
  if (Value) Value->FreeNotification(self);
  return true;
}

// Forgets the bound image list when it is the component being removed.
void DropRemovedImageList(TComponent* AComponent, TOperation Operation, TKitCustomImageList*& field,
                          TKitChangeLink& link) {
  if (Operation == opRemove && AComponent == field) {
    field = nullptr;
    link.SetContainer(nullptr);
  }
}

}  // namespace

void SetKitFormBackLookup(TKitFormBackLookup Lookup) { FormLookup() = std::move(Lookup); }

TKitBackSource* KitParentBackSource(TWinControl* Parent) {
  if (!Parent) return nullptr;
  if (auto* source = dynamic_cast<TKitBackSource*>(Parent)) return source->BackBitmapAvailable() ? source : nullptr;
  if (FormLookup()) {
    TKitBackSource* source = FormLookup()(Parent);
    if (source && source->BackBitmapAvailable()) return source;
  }
  return nullptr;
}

bool KitDrawParentBackground(TControl* Control, TCanvas* Canvas, const TRect& R, const TPoint& P,
                             TKitBitmapEffectObject* Effect) {
  if (!Control || !Canvas) return false;
  TKitBackSource* source = KitParentBackSource(Control->Parent());
  if (!source) return false;
  TBitmap* back = source->GetBackBitmap();
  if (!back || R.right <= R.left || R.bottom <= R.top) return false;
  const TPoint origin = source->BackMapPoint(ClientToParent(Control, TPoint{R.left, R.top}));
  const Integer w = R.right - R.left, h = R.bottom - R.top;
  const TRect src = Rect(origin.x, origin.y, origin.x + w, origin.y + h);
  const TRect dest = Rect(P.x, P.y, P.x + w, P.y + h);
  if (Effect && Effect->Active()) {
    // The effect sees 2 pixels of real background around the area, so effects that
    // read neighbours or tile a pattern line up with the copy of a neighbouring control.
    constexpr Integer kMargin = 2;
    const TRect area = Rect(src.left - kMargin, src.top - kMargin, src.right + kMargin, src.bottom + kMargin);
    const TRect inner = Rect(kMargin, kMargin, kMargin + w, kMargin + h);
    // A buffered effect keeps its rendering of this very area of this bitmap; another
    // area (a strip, a moved or resized control) is rendered anew and replaces it.
    if (Effect->CacheHolds(back, area)) {
      Canvas->CopyRect(dest, Effect->CachedBitmap()->Canvas(), inner);
      return true;
    }
    auto tmp = std::make_unique<TBitmap>();
    tmp->SetPixelFormat(pf24bit);
    tmp->SetSize(w + 2 * kMargin, h + 2 * kMargin);
    tmp->Canvas()->CopyRect(Rect(0, 0, w + 2 * kMargin, h + 2 * kMargin), back->Canvas(), area);
    Effect->Apply(tmp.get());
    Canvas->CopyRect(dest, tmp->Canvas(), inner);
    Effect->StoreCache(std::move(tmp), back, area);
  } else {
    Canvas->CopyRect(dest, back->Canvas(), src);
  }
  return true;
}

// ---- TKitCustomControl ----------------------------------------------------------------------

const TClass& TKitCustomControl::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomControl>("TKitCustomControl", TCustomControl::StaticClass(),
                                                          &TKitCustomControl::Publish);
  return cls;
}

void TKitCustomControl::Publish(TPublished&) {}

TKitCustomControl::TKitCustomControl(TComponent* AOwner)
    : TCustomControl(AOwner),
      changeLink_(std::make_unique<TKitChangeLink>()),
      backEffect_(std::make_unique<TKitBitmapEffectObject>()) {
  changeLink_->OnChange = [this](TObject* sender) { GetIMLChange(sender); };
  backEffect_->OnChange = [this](TObject* sender) { GetChange(sender); };
}

TKitCustomControl::~TKitCustomControl() {
  changeLink_->OnChange = nullptr;
  changeLink_->SetContainer(nullptr);
  backEffect_->OnChange = nullptr;
}

void TKitCustomControl::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  Perform(KM_TRANSPARENTCHANGED);
  Invalidate();
}

void TKitCustomControl::SetImageList(TKitCustomImageList* Value) {
  if (RebindImageList(this, imageList_, *changeLink_, Value)) GetIMLChange(Value);
}

void TKitCustomControl::SetFlatBorder(bool Value) {
  if (FlatBorder() == Value) return;
  flatBorder_ = Value ? 1 : 0;
  Invalidate();
}

bool TKitCustomControl::ImageListStored() const { return KitSharedListSignature(imageList_).empty(); }

void TKitCustomControl::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  DefineInternalList(Filer, imageList_, [this](TKitCustomImageList* list) { SetImageList(list); });
}

void TKitCustomControl::Loaded() {
  TCustomControl::Loaded();
  if (dynamic_cast<TKitImageListConnector*>(imageList_)) GetIMLChange(imageList_);
}

void TKitCustomControl::PaintHotFrame() { Invalidate(); }

void TKitCustomControl::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  GetChange(this);
}

void TKitCustomControl::SetListIndex(Integer Value) {
  if (listIndex_ == Value) return;
  listIndex_ = Value;
  GetChange(this);
}

bool TKitCustomControl::IsTransparent() { return transparent_ && BackBitmapAvailable(); }

void TKitCustomControl::DrawBackground() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  if (transparent_ && transparencyKind_ == 1) {
    if (Parent() && Parent()->HandleAllocated()) {
      const win::RECT r{Left(), Top(), Left() + Width(), Top() + Height()};
      win::RedrawWindow(Parent()->WindowHandle(), &r, nullptr,
                        win::RDW_INVALIDATE | win::RDW_NOCHILDREN | win::RDW_UPDATENOW);
    }
    return;
  }
  if (IsTransparent() && BackDrawArea(canvas, client, TPoint{client.left, client.top})) return;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(client);
}

void TKitCustomControl::GetChange(TObject*) {
  if (redrawOnChange_) Invalidate();
}

void TKitCustomControl::MouseEnter() {
  mouseInside_ = 1;
  if (flatBorder_ && !focused_) PaintHotFrame();
  if (OnMouseEnter) OnMouseEnter(this);
}

void TKitCustomControl::MouseExit() {
  mouseInside_ = 0;
  if (flatBorder_ && !focused_) PaintHotFrame();
  if (OnMouseExit) OnMouseExit(this);
}

TBitmap* TKitCustomControl::GetBackBitmap() { return nullptr; }
bool TKitCustomControl::BackBitmapAvailable() { return false; }
TPoint TKitCustomControl::BackMapPoint(const TPoint& P) { return P; }
bool TKitCustomControl::BackDrawArea(TCanvas*, const TRect&, const TPoint&) { return false; }

TKitBitmapEffectObject* TKitCustomControl::GetParentBackFX() {
  for (TWinControl* p = Parent(); p; p = p->Parent()) {
    auto* kit = dynamic_cast<TKitCustomControl*>(p);
    if (!kit) break;
    if (kit->IsTransparent()) return kit->BackgroundEffect();
  }
  return backEffect_.get();
}

void TKitCustomControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= win::WS_CLIPCHILDREN;
  if (transparent_ && transparencyKind_ == 1) Params.ExStyle |= win::WS_EX_TRANSPARENT;
  Params.WindowClass.style &= ~(win::CS_HREDRAW | win::CS_VREDRAW);
}

void TKitCustomControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  DropRemovedImageList(AComponent, Operation, imageList_, *changeLink_);
}

void TKitCustomControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case KM_GOTFOCUS:
      if (OnGotFocus) OnGotFocus(this);
      return;
    case KM_LOSTFOCUS:
      if (OnLostFocus) OnLostFocus(this);
      return;
    case KM_BACKGROUNDCHANGED:
      backEffect_->ResetCache();
      Invalidate();
      NotifyControls(KM_BACKGROUNDCHANGED);
      return;
    case KM_SCROLLED:
      if (IsTransparent()) {
        backEffect_->ResetCache();
        Invalidate();
        NotifyControls(KM_BACKGROUNDCHANGED);
      }
      return;
    default: TCustomControl::Dispatch(Message);
  }
}

void TKitCustomControl::WMEraseBkgnd(TMessage& Message) {
  // Paint draws the whole background itself (DrawBackground).
  Message.Result = 1;
}

void TKitCustomControl::WMSize(TMessage& Message) {
  TCustomControl::WMSize(Message);
  // Bevels and aligned captions hang on the size, and the class keeps no redraw style.
  Invalidate();
  RepaintSeeThroughChildren();
}

void TKitCustomControl::WMMove(TMessage& Message) {
  TCustomControl::WMMove(Message);
  RepaintSeeThroughChildren();
}

void TKitCustomControl::RepaintSeeThroughChildren() {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (auto* w = dynamic_cast<TKitCustomControl*>(c); w && w->Transparent())
      w->Invalidate();
    else if (auto* g = dynamic_cast<TKitBaseGraphicControl*>(c); g && g->Transparent())
      g->Invalidate();
  }
}

void TKitCustomControl::WMSetFocus(TMessage& Message) {
  TCustomControl::WMSetFocus(Message);
  focused_ = 1;
  if (flatBorder_ && !mouseInside_) PaintHotFrame();
  if (HandleAllocated()) win::PostMessage(WindowHandle(), KM_GOTFOCUS, 0, 0);
}

void TKitCustomControl::WMKillFocus(TMessage& Message) {
  TCustomControl::WMKillFocus(Message);
  focused_ = 0;
  if (flatBorder_ && !mouseInside_) PaintHotFrame();
  if (HandleAllocated()) win::PostMessage(WindowHandle(), KM_LOSTFOCUS, 0, 0);
}

void TKitCustomControl::CMMouseEnter(TMessage& Message) {
  TCustomControl::CMMouseEnter(Message);
  if (MouseNoticeIsFor(Message, this)) MouseEnter();
}

void TKitCustomControl::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  if (MouseNoticeIsFor(Message, this)) MouseExit();
}

// ---- TKitCustomPanel ------------------------------------------------------------------------

const TClass& TKitCustomPanel::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomPanel>("TKitCustomPanel", TKitCustomControl::StaticClass());
  return cls;
}

TKitCustomPanel::TKitCustomPanel(TComponent* AOwner) : TKitCustomControl(AOwner) { SetColor(clBtnFace); }

void TKitCustomPanel::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  TKitCustomControl::SetTransparent(Value);
  if (HandleAllocated()) RecreateWnd();
}

TBitmap* TKitCustomPanel::GetBackBitmap() {
  TKitBackSource* source = KitParentBackSource(Parent());
  if (!source) return nullptr;
  TBitmap* bmp = source->GetBackBitmap();
  if (bmp && BackgroundEffect()->Active()) bmp->SetPixelFormat(pf24bit);
  return bmp;
}

bool TKitCustomPanel::BackBitmapAvailable() { return transparent_ && KitParentBackSource(Parent()) != nullptr; }

TPoint TKitCustomPanel::BackMapPoint(const TPoint& P) {
  TKitBackSource* source = KitParentBackSource(Parent());
  const TPoint inParent = ClientToParent(this, P);
  return source ? source->BackMapPoint(inParent) : inParent;
}

bool TKitCustomPanel::BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) {
  if (!transparent_) return false;
  TKitBitmapEffectObject* fx = BackgroundEffect();
  return KitDrawParentBackground(this, Canvas, R, P, fx->Active() ? fx : nullptr);
}

// ---- TKitCustomBevelPanel -------------------------------------------------------------------

const TClass& TKitCustomBevelPanel::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomBevelPanel>("TKitCustomBevelPanel", TKitCustomPanel::StaticClass(),
                                                             &TKitCustomBevelPanel::Publish);
  return cls;
}

void TKitCustomBevelPanel::Publish(TPublished& published) {
  using P = TKitCustomBevelPanel;
  published.For<P>().Object("Bevel", &P::Bevel, &P::SetBevel);
}

TKitCustomBevelPanel::TKitCustomBevelPanel(TComponent* AOwner)
    : TKitCustomPanel(AOwner), bevel_(std::make_unique<TKitBevel>()) {
  bevel_->SetWindowedOwner(true);
  bevel_->OnChange = [this](TObject* sender) { GetChange(sender); };
}

TKitCustomBevelPanel::~TKitCustomBevelPanel() { bevel_->OnChange = nullptr; }

void TKitCustomBevelPanel::SetBevel(TKitBevel* Value) {
  if (Value) bevel_->Assign(Value);
  Perform(KM_BEVELCHANGED);
}

void TKitCustomBevelPanel::GetChange(TObject* Sender) {
  if (Sender == bevel_.get()) {
    bevel_->SetWindowedOwner(true);
    if (bevel_->TakeNeedsNewWindow() && HandleAllocated()) RecreateWnd();
    Realign();
  }
  TKitCustomPanel::GetChange(Sender);
}

bool TKitCustomBevelPanel::ShowDesignFrame() { return bevel_->BevelExtent() == 0 && bevel_->Mode() != bmWindows; }

void TKitCustomBevelPanel::CreateParams(TCreateParams& Params) {
  TKitCustomPanel::CreateParams(Params);
  if (bevel_->Mode() == bmWindows) {
    if (Ctl3D())
      Params.ExStyle |= win::WS_EX_CLIENTEDGE;
    else
      Params.Style |= win::WS_BORDER;
  }
}

void TKitCustomBevelPanel::AlignControls(TControl* AControl, TRect& Rect) {
  Rect = bevel_->ClientRect(Rect);
  TKitCustomPanel::AlignControls(AControl, Rect);
}

void TKitCustomBevelPanel::Paint() {
  DrawBackground();
  TCanvas* canvas = Canvas();
  if (Designing(this) && ShowDesignFrame()) {
    canvas->Pen()->SetStyle(psDash);
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(ClientRect());
    return;
  }
  const bool hot = focused_ || mouseInside_;
  if (!flatBorder_ || hot || Designing(this)) {
    bevel_->Paint(canvas, ClientRect(), transparent_);
    if (flatBorder_ && hot && bevel_->Mode() == bmWindows) DrawWindowFrame(true);
    return;
  }
  // Flat and cold: the strips the bevel would cover show the background instead.
  if (bevel_->Mode() == bmWindows) {
    DrawWindowFrame(false);
    return;
  }
  const Integer e = bevel_->BevelExtent();
  if (e <= 0) return;
  const TRect c = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  const TRect strips[4] = {Rect(c.left, c.top, c.right, c.top + e), Rect(c.left, c.top, c.left + e, c.bottom),
                           Rect(c.left, c.bottom - e, c.right, c.bottom), Rect(c.right - e, c.top, c.right, c.bottom)};
  for (const TRect& r : strips) {
    if (IsTransparent() && BackDrawArea(canvas, r, TPoint{r.left, r.top})) continue;
    canvas->FillRect(r);
  }
}

void TKitCustomBevelPanel::PaintHotFrame() {
  if (bevel_->Mode() == bmWindows && HandleAllocated())
    DrawWindowFrame(focused_ || mouseInside_);
  else
    Invalidate();
}

void TKitCustomBevelPanel::DrawWindowFrame(bool Hot) {
  if (!HandleAllocated()) return;
  win::HDC dc = win::GetWindowDC(WindowHandle());
  if (!dc) return;
  const Integer l = 0, t = 0, r = Width(), b = Height();
  win::RECT outer{l, t, r, b};
  if (Hot) {
    if (Ctl3D()) {
      const win::RECT shifted{l + 1, t + 1, r, b};
      win::FrameRect(dc, &shifted, win::GetSysColorBrush(win::COLOR_WINDOWFRAME));
      const win::RECT inset{l, t, r - 1, b - 1};
      win::FrameRect(dc, &inset, win::GetSysColorBrush(win::COLOR_BTNFACE));
      win::DrawEdge(dc, &outer, win::BDR_SUNKENOUTER, win::BF_RECT | win::BF_ADJUST);
    } else {
      win::FrameRect(dc, &outer, win::GetSysColorBrush(win::COLOR_WINDOWFRAME));
    }
  } else {
    win::FrameRect(dc, &outer, win::GetSysColorBrush(win::COLOR_BTNFACE));
    if (Ctl3D()) {
      const win::RECT inset{l + 1, t + 1, r - 1, b - 1};
      win::FrameRect(dc, &inset, win::GetSysColorBrush(win::COLOR_BTNFACE));
    }
  }
  win::ReleaseDC(WindowHandle(), dc);
}

void TKitCustomBevelPanel::CMCtl3DChanged(TMessage& Message) {
  TKitCustomPanel::CMCtl3DChanged(Message);
  if (bevel_->Mode() == bmWindows && HandleAllocated()) RecreateWnd();
}

// ---- TKitSimplePanel ------------------------------------------------------------------------

const TClass& TKitSimplePanel::StaticClass() {
  static const TClass cls = TClass::Of<TKitSimplePanel>("TKitSimplePanel", TKitCustomBevelPanel::StaticClass(),
                                                        &TKitSimplePanel::Publish);
  return cls;
}

void TKitSimplePanel::Publish(TPublished& published) {
  using P = TKitSimplePanel;
  TWinControl::PublishProperties(published, {"Align", "Anchors", "Color", "Font", "Enabled", "Visible", "ParentColor",
                                             "ParentFont", "TabOrder", "TabStop", "OnClick", "OnResize"});
  auto p = published.For<P>();
  p.Boolean("Transparent", &P::Transparent, &P::SetTransparent).Default(false);
  p.Boolean("AutoSize", &P::AutoSize, &P::SetAutoSize).Default(false);
  p.Component("ImageList", &P::ImageList, &P::SetImageList).StoredIf(&P::ImageListStored);
  p.Integer("ImageIndex", &P::ImageIndex, &P::SetImageIndex).Default(0);
  p.Integer("ListIndex", &P::ListIndex, &P::SetListIndex).Default(0);
  p.Object("BackgroundEffect", &P::BackgroundEffect);
  p.Event("OnMouseEnter", &P::OnMouseEnter);
  p.Event("OnMouseExit", &P::OnMouseExit);
  published.Redefault("ParentColor", Int64{0});
}

void RegisterKitPanelClasses() { RegisterClass(TKitSimplePanel::StaticClass()); }

TKitSimplePanel::TKitSimplePanel(TComponent* AOwner) : TKitCustomBevelPanel(AOwner) {
  SetBounds(Left(), Top(), 100, 40);
  SetTabStop(false);
}

const TClass& TKitCustomStatusBar::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitCustomStatusBar>("TKitCustomStatusBar", TKitCustomBevelPanel::StaticClass());
  return cls;
}

// ---- windowless ladder ----------------------------------------------------------------------

const TClass& TKitControl::StaticClass() {
  static const TClass cls = TClass::Of<TKitControl>("TKitControl", TGraphicControl::StaticClass());
  return cls;
}

TKitControl::TKitControl(TComponent* AOwner) : TGraphicControl(AOwner) {}

void TKitControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const Integer l = Left(), t = Top(), w = Width(), h = Height();
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  Integer kind = 0;
  if (w != Width() || h != Height()) kind |= kKitBoundsSize;
  if (l != Left() || t != Top()) kind |= kKitBoundsPosition;
  if (kind != 0 && !Loading(this)) BoundsChanged(kind);
}

void TKitControl::BoundsChanged(Integer Kind) {
  if (OnBoundsChanged) OnBoundsChanged(this, Kind);
}

void TKitControl::MouseEnter() {
  mouseInside_ = true;
  if (OnMouseEnter) OnMouseEnter(this);
}

void TKitControl::MouseExit() {
  mouseInside_ = false;
  if (OnMouseExit) OnMouseExit(this);
}

void TKitControl::GetChange(TObject*) {
  if (!Loading(this)) Invalidate();
}

void TKitControl::CMMouseEnter(TMessage& Message) {
  TGraphicControl::CMMouseEnter(Message);
  if (MouseNoticeIsFor(Message, this)) MouseEnter();
}

void TKitControl::CMMouseLeave(TMessage& Message) {
  TGraphicControl::CMMouseLeave(Message);
  if (MouseNoticeIsFor(Message, this)) MouseExit();
}

const TClass& TKitBaseControl::StaticClass() {
  static const TClass cls = TClass::Of<TKitBaseControl>("TKitBaseControl", TKitControl::StaticClass());
  return cls;
}

TKitBaseControl::TKitBaseControl(TComponent* AOwner)
    : TKitControl(AOwner),
      changeLink_(std::make_unique<TKitChangeLink>()),
      backEffect_(std::make_unique<TKitBitmapEffectObject>()) {
  changeLink_->OnChange = [this](TObject* sender) { GetIMLChange(sender); };
  backEffect_->OnChange = [this](TObject* sender) { GetChange(sender); };
}

TKitBaseControl::~TKitBaseControl() {
  changeLink_->OnChange = nullptr;
  changeLink_->SetContainer(nullptr);
  backEffect_->OnChange = nullptr;
}

void TKitBaseControl::SetImageList(TKitCustomImageList* Value) {
  if (RebindImageList(this, imageList_, *changeLink_, Value)) GetIMLChange(Value);
}

bool TKitBaseControl::ImageListStored() const { return KitSharedListSignature(imageList_).empty(); }

void TKitBaseControl::DefineProperties(TFiler* Filer) {
  TKitControl::DefineProperties(Filer);
  DefineInternalList(Filer, imageList_, [this](TKitCustomImageList* list) { SetImageList(list); });
}

void TKitBaseControl::Loaded() {
  TKitControl::Loaded();
  if (dynamic_cast<TKitImageListConnector*>(imageList_)) GetIMLChange(imageList_);
}

void TKitBaseControl::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  GetChange(this);
}

void TKitBaseControl::SetListIndex(Integer Value) {
  if (listIndex_ == Value) return;
  listIndex_ = Value;
  GetChange(this);
}

void TKitBaseControl::Notification(TComponent* AComponent, TOperation Operation) {
  TKitControl::Notification(AComponent, Operation);
  DropRemovedImageList(AComponent, Operation, imageList_, *changeLink_);
}

const TClass& TKitBaseGraphicControl::StaticClass() {
  static const TClass cls = TClass::Of<TKitBaseGraphicControl>("TKitBaseGraphicControl", TKitBaseControl::StaticClass());
  return cls;
}

TKitBaseGraphicControl::TKitBaseGraphicControl(TComponent* AOwner) : TKitBaseControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Exclude(csOpaque);
  style.Include(csReplicatable);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 30, 30);
}

void TKitBaseGraphicControl::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  TControlStyle style = ControlStyle();
  if (Value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  Perform(KM_TRANSPARENTCHANGED);
  Invalidate();
}

bool TKitBaseGraphicControl::IsTransparent() { return transparent_ && KitParentBackSource(Parent()) != nullptr; }

void TKitBaseGraphicControl::GetChange(TObject*) {
  if (Loading(this)) return;
  if (ControlStyle().Contains(csOpaque) && !Designing(this))
    PaintNow();
  else
    Invalidate();
}

bool TKitBaseGraphicControl::DrawParentBackground(const TRect& R) {
  TKitBitmapEffectObject* fx = BackgroundEffect();
  return KitDrawParentBackground(this, Canvas(), R, TPoint{R.left, R.top}, fx->Active() ? fx : nullptr);
}

void TKitBaseGraphicControl::PaintNow() {
  if (!Visible() || !Parent() || !Parent()->HandleAllocated()) return;
  Paint();
}

void TKitBaseGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == KM_BACKGROUNDCHANGED || Message.Msg == KM_SCROLLED) {
    BackgroundEffect()->ResetCache();
    if (IsTransparent()) Invalidate();
    return;
  }
  TKitBaseControl::Dispatch(Message);
}

void TKitBaseGraphicControl::DrawDesignFrame() {
  if (!Designing(this)) return;
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetStyle(psDash);
  canvas->Pen()->SetMode(pmNotXor);
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(Rect(0, 0, Width(), Height()));
  canvas->Pen()->SetMode(pmCopy);
  canvas->Pen()->SetStyle(psSolid);
}

const TClass& TKitGraphicControl::StaticClass() {
  static const TClass cls = TClass::Of<TKitGraphicControl>("TKitGraphicControl", TKitBaseGraphicControl::StaticClass());
  return cls;
}

TKitGraphicControl::TKitGraphicControl(TComponent* AOwner)
    : TKitBaseGraphicControl(AOwner), bevel_(std::make_unique<TKitBevel>()) {
  bevel_->OnChange = [this](TObject* sender) { GetChange(sender); };
}

TKitGraphicControl::~TKitGraphicControl() { bevel_->OnChange = nullptr; }

void TKitGraphicControl::SetBevel(TKitBevel* Value) {
  if (Value) bevel_->Assign(Value);
}
