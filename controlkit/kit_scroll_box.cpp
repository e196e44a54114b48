#include "controlkit/kit_scroll_box.h"

#include "platform/classlib/class_registry.h"

#include "controlkit/kit_messages.h"
#include "platform/classlib/control_messages.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

// The size box between the scroll bars (the window system's hit-test value).
constexpr win::LRESULT kHitSizeBox = 4;

// ---- TKitScrollBoxBevel --------------------------------------------------------------------------

const TClass& TKitScrollBoxBevel::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitScrollBoxBevel>("TKitScrollBoxBevel", TKitBevel::StaticClass(), &TKitScrollBoxBevel::Publish);
  return cls;
}

// The box's bevel starts in bmWindows, so a form file must record a move away from it.
void TKitScrollBoxBevel::Publish(TPublished& published) {
  static const TEnumInfo modes("TKitBevelMode", {"bmCustom", "bmStandard", "bmEdge", "bmWindows"});
  using B = TKitScrollBoxBevel;
  published.For<B>().Enum("Mode", modes, &B::Mode, &B::SetMode).Default(bmWindows);
}

TKitScrollBoxBevel::TKitScrollBoxBevel() {
  SetWindowedOwner(true);
  SetMode(bmWindows);
  TakeNeedsNewWindow();
}

// ---- TKitCustomScrollBox ------------------------------------------------------------------------------

const TClass& TKitCustomScrollBox::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomScrollBox>("TKitCustomScrollBox", TScrollBox::StaticClass(),
                                                            &TKitCustomScrollBox::Publish);
  return cls;
}

void TKitCustomScrollBox::Publish(TPublished& published) {
  // The bevel draws the border: the style always answers none and takes no other.
  published.For<TKitCustomScrollBox>()
      .Enum("BorderStyle", BorderStyleInfo(), [](TKitCustomScrollBox*) { return bsNone; })
      .Default(bsNone);
  published.Redefault("ParentCtl3D", Int64{0});
}

TKitCustomScrollBox::TKitCustomScrollBox(TComponent* AOwner)
    : TScrollBox(AOwner), bevel_(std::make_unique<TKitScrollBoxBevel>()) {
  bevel_->OnChange = [this](TObject* sender) { GetChange(sender); };
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csReplicatable});
  SetBorderStyle(bsNone);
  SetCtl3D(true);
  SetParentCtl3D(false);
  SetBounds(Left(), Top(), 185, 41);
  if (HandleAllocated()) RecreateWnd();
}

TKitCustomScrollBox::~TKitCustomScrollBox() { bevel_->OnChange = nullptr; }

void TKitCustomScrollBox::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  FrameChanged();
}

bool TKitCustomScrollBox::SeeThrough() { return transparent_ && BackBitmapAvailable(); }

void TKitCustomScrollBox::CreateParams(TCreateParams& Params) {
  TScrollBox::CreateParams(Params);
  Params.WindowClass.style &= ~(win::CS_HREDRAW | win::CS_VREDRAW);
  Params.Style |= win::WS_CLIPCHILDREN;
  Params.Style &= ~win::WS_BORDER;
  Params.ExStyle &= ~win::WS_EX_CLIENTEDGE;
  if (bevel_ && bevel_->Mode() == bmWindows) {
    if (Ctl3D()) Params.ExStyle |= win::WS_EX_CLIENTEDGE;
    else Params.Style |= win::WS_BORDER;
  }
}

void TKitCustomScrollBox::GetChange(TObject* Sender) {
  if (Sender == bevel_.get()) {
    bevel_->SetWindowedOwner(true);
    bevel_->TakeNeedsNewWindow();
    if (HandleAllocated()) RecreateWnd();
    return;
  }
  FrameChanged();
}

// Repaints the frame and the client area.
void TKitCustomScrollBox::FrameChanged() {
  if (!HandleAllocated()) return;
  win::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                    win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE | win::SWP_FRAMECHANGED);
  win::SendMessage(Handle(), win::WM_NCPAINT, 1, 0);
  Invalidate();
}

void TKitCustomScrollBox::CMCtl3DChanged(TMessage& Message) {
  TScrollBox::CMCtl3DChanged(Message);
  if (bevel_->Mode() == bmWindows && HandleAllocated()) RecreateWnd();
}

void TKitCustomScrollBox::NCCalcSize(TMessage& Message) {
  TScrollBox::Dispatch(Message);
  win::RECT* r = Message.WParam ? &reinterpret_cast<win::NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                : reinterpret_cast<win::RECT*>(Message.LParam);
  if (!r || bevel_->Mode() == bmWindows) return;
  r->left += bevel_->BevelExtent();
  r->top += bevel_->BevelExtent();
  r->right -= bevel_->ShadowExtent();
  r->bottom -= bevel_->ShadowExtent();
  if (r->right < r->left) r->right = r->left;
  if (r->bottom < r->top) r->bottom = r->top;
}

void TKitCustomScrollBox::NCPaint(TMessage& Message) {
  TScrollBox::Dispatch(Message);
  if (ComponentState().Contains(csLoading) && !Visible()) return;
  win::HWND hwnd = Handle();
  win::HDC dc = win::GetWindowDC(hwnd);
  if (!dc) return;
  win::RECT wr{};
  win::GetWindowRect(hwnd, &wr);
  win::OffsetRect(&wr, -wr.left, -wr.top);
  TCanvas canvas;
  canvas.SetHandle(dc);
  if (bevel_->Mode() != bmWindows) bevel_->Paint(&canvas, wr, false);
  // The square between two visible scroll bars.
  const auto style = static_cast<win::DWORD>(win::GetWindowLong(hwnd, win::GWL_STYLE));
  if ((style & win::WS_HSCROLL) && (style & win::WS_VSCROLL)) {
    win::POINT origin{0, 0};
    win::ClientToScreen(hwnd, &origin);
    win::RECT screen{};
    win::GetWindowRect(hwnd, &screen);
    const TRect client = ClientRect();
    const int cx = origin.x - screen.left + client.right;
    const int cy = origin.y - screen.top + client.bottom;
    TRect corner{cx, cy, cx + win::GetSystemMetrics(win::SM_CXVSCROLL), cy + win::GetSystemMetrics(win::SM_CYHSCROLL)};
    if (!SeeThrough() || !BackDrawArea(&canvas, TRect{client.right, client.bottom,
                                                       client.right + (corner.right - corner.left),
                                                       client.bottom + (corner.bottom - corner.top)},
                                       TPoint{corner.left, corner.top})) {
      canvas.Brush()->SetStyle(bsSolid);
      canvas.Brush()->SetColor(Color());
      canvas.FillRect(corner);
    }
  }
  canvas.SetHandle(nullptr);
  win::ReleaseDC(hwnd, dc);
}

void TKitCustomScrollBox::WMEraseBkgnd(TMessage& Message) {
  if (!SeeThrough()) {
    TScrollBox::WMEraseBkgnd(Message);
    return;
  }
  Message.Result = 1;
  if (ControlCount() >= 2) return;
  win::HDC dc = reinterpret_cast<win::HDC>(Message.WParam);
  TCanvas canvas;
  canvas.SetHandle(dc);
  const TRect client = ClientRect();
  BackDrawArea(&canvas, client, TPoint{0, 0});
  canvas.SetHandle(nullptr);
}

void TKitCustomScrollBox::PassToChildren(win::UINT msg) {
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->Perform(msg, 0, 0);
}

void TKitCustomScrollBox::AfterScroll(TMessage& Message) {
  if (!SeeThrough()) return;
  const bool ended = Message.WParam == win::SB_ENDSCROLL;
  bool repaint = ended;
  if (repaintOnScroll_ && !ended) {
    ++repaintCounter_;
    const Byte steps = repaintSteps_ == 0 ? 1 : repaintSteps_;
    if (repaintCounter_ >= steps) {
      repaintCounter_ = 0;
      repaint = true;
    }
  }
  if (!repaint) return;
  Invalidate();
  PassToChildren(KM_SCROLLED);
}

void TKitCustomScrollBox::WMHScroll(TMessage& Message) {
  TScrollBox::WMHScroll(Message);
  AfterScroll(Message);
}

void TKitCustomScrollBox::WMVScroll(TMessage& Message) {
  TScrollBox::WMVScroll(Message);
  AfterScroll(Message);
}

void TKitCustomScrollBox::WMSize(TMessage& Message) {
  TScrollBox::WMSize(Message);
  GetChange(nullptr);
}

void TKitCustomScrollBox::CMMouseEnter(TMessage& Message) {
  TScrollBox::CMMouseEnter(Message);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TKitCustomScrollBox::CMMouseLeave(TMessage& Message) {
  TScrollBox::CMMouseLeave(Message);
  if (OnMouseExit) OnMouseExit(this);
}

void TKitCustomScrollBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_NCCALCSIZE:
      NCCalcSize(Message);
      return;
    case win::WM_NCPAINT:
      if (HandleAllocated()) NCPaint(Message);
      return;
    case win::WM_MOVE:
    case KM_BACKGROUNDCHANGED:
      TScrollBox::Dispatch(Message);
      Invalidate();
      if (SeeThrough()) PassToChildren(KM_BACKGROUNDCHANGED);
      return;
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
      TScrollBox::Dispatch(Message);
      if (!transparent_ && !ComponentState().Contains(csLoading)) {
        Invalidate();
        if (HandleAllocated()) {
          const auto style = static_cast<win::DWORD>(win::GetWindowLong(Handle(), win::GWL_STYLE));
          if ((style & win::WS_HSCROLL) && (style & win::WS_VSCROLL)) win::SendMessage(Handle(), win::WM_NCPAINT, 1, 0);
        }
      }
      return;
    case win::WM_NCHITTEST:
      TScrollBox::Dispatch(Message);
      if (ComponentState().Contains(csDesigning) &&
          (Message.Result == win::HTNOWHERE || Message.Result == kHitSizeBox))
        Message.Result = win::HTCLIENT;
      return;
    default:
      TScrollBox::Dispatch(Message);
  }
}

// ---- the see-through chain ------------------------------------------------------------------------

TBitmap* TKitCustomScrollBox::GetBackBitmap() {
  TKitBackSource* source = KitParentBackSource(Parent());
  return source ? source->GetBackBitmap() : nullptr;
}

bool TKitCustomScrollBox::BackBitmapAvailable() { return transparent_ && KitParentBackSource(Parent()) != nullptr; }

TPoint TKitCustomScrollBox::BackMapPoint(const TPoint& P) {
  TPoint inParent{P.x + Left(), P.y + Top()};
  if (HandleAllocated()) {
    win::POINT origin{0, 0};
    win::ClientToScreen(Handle(), &origin);
    win::RECT wr{};
    win::GetWindowRect(Handle(), &wr);
    inParent.x += origin.x - wr.left;
    inParent.y += origin.y - wr.top;
  }
  TKitBackSource* source = KitParentBackSource(Parent());
  return source ? source->BackMapPoint(inParent) : inParent;
}

bool TKitCustomScrollBox::BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) {
  if (!transparent_) return false;
  TKitBackSource* source = KitParentBackSource(Parent());
  TBitmap* bmp = source ? source->GetBackBitmap() : nullptr;
  if (!bmp) return false;
  const TPoint from = BackMapPoint(TPoint{R.left, R.top});
  const TRect src{from.x, from.y, from.x + (R.right - R.left), from.y + (R.bottom - R.top)};
  const TRect dst{P.x, P.y, P.x + (R.right - R.left), P.y + (R.bottom - R.top)};
  Canvas->CopyRect(dst, bmp->Canvas(), src);
  return true;
}

const TClass& TKitScrollBox::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitScrollBox>("TKitScrollBox", TKitCustomScrollBox::StaticClass(), &TKitScrollBox::Publish);
  return cls;
}

void TKitScrollBox::Publish(TPublished& published) {
  using S = TKitScrollBox;
  auto p = published.For<S>();
  p.Object("Bevel", &S::Bevel);
  p.Boolean("Transparent", &S::Transparent, &S::SetTransparent).Default(false);
  p.Event("OnMouseEnter", &S::OnMouseEnter);
  p.Event("OnMouseExit", &S::OnMouseExit);
}

void RegisterKitScrollBoxClasses() { RegisterClass(TKitScrollBox::StaticClass()); }
