#include "platform/classlib/std_splitter.h"

#include "platform/classlib/class_registry.h"
#include "platform/win/gdi.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"

namespace {

const bool kSplitterRegistered = [] {
  RegisterClass(TSplitter::StaticClass());
  return true;
}();

bool Sideways(TAlign a) { return a == alLeft || a == alRight; }

}  // namespace

const TEnumInfo& ResizeStyleInfo() {
  static const TEnumInfo info("TResizeStyle", {"rsNone", "rsLine", "rsUpdate", "rsPattern"});
  return info;
}

const TClass& TSplitter::StaticClass() {
  static const TClass cls = TClass::Of<TSplitter>("TSplitter", TGraphicControl::StaticClass(), &TSplitter::Publish);
  return cls;
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetAlign(alLeft);
  SetBounds(Left(), Top(), 3, 100);
  SetCursor(crHSplit);
}

void TSplitter::SetBeveled(bool value) {
  if (beveled_ == value) return;
  beveled_ = value;
  Invalidate();
}

void TSplitter::SetMinSize(Integer value) { minSize_ = value < 1 ? 1 : value; }

void TSplitter::RequestAlign() {
  TGraphicControl::RequestAlign();
  // The cursor follows the direction the bar moves in, unless it was set otherwise.
  if (Cursor() != crHSplit && Cursor() != crVSplit) return;
  SetCursor(Sideways(Align()) ? crHSplit : crVSplit);
}

TControl* TSplitter::FindResizeControl() {
  TWinControl* parent = Parent();
  if (!parent) return nullptr;
  TPoint p{Left(), Top()};
  switch (Align()) {
    case alLeft: --p.x; break;
    case alRight: p.x += Width(); break;
    case alTop: --p.y; break;
    case alBottom: p.y += Height(); break;
    default: return nullptr;
  }
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || !c->Enabled()) continue;
    TRect r = c->BoundsRect();
    // A control sized down to nothing still touches the bar.
    if (r.right == r.left) {
      if (Align() == alTop || Align() == alLeft)
        --r.left;
      else
        ++r.right;
    }
    if (r.bottom == r.top) {
      if (Align() == alTop || Align() == alLeft)
        --r.top;
      else
        ++r.bottom;
    }
    if (win::PtInRect(&r, p)) return c;
  }
  return nullptr;
}

bool TSplitter::CanResize(Integer& NewSize) {
  bool accept = true;
  if (OnCanResize) OnCanResize(this, NewSize, accept);
  return accept;
}

bool TSplitter::DoCanResize(Integer& NewSize) {
  bool result = CanResize(NewSize);
  if (result && NewSize <= minSize_ && autoSnap_) NewSize = 0;
  return result;
}

void TSplitter::CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split) {
  Split = Sideways(Align()) ? X - downPos_.x : Y - downPos_.y;
  Integer s = 0;
  switch (Align()) {
    case alLeft: s = control_->Width() + Split; break;
    case alRight: s = control_->Width() - Split; break;
    case alTop: s = control_->Height() + Split; break;
    case alBottom: s = control_->Height() - Split; break;
    default: break;
  }
  NewSize = s;
  if (s < minSize_)
    NewSize = minSize_;
  else if (s > maxSize_)
    NewSize = maxSize_;
  // The bar stops where the size stopped.
  if (s != NewSize) {
    if (Align() == alRight || Align() == alBottom)
      s = s - NewSize;
    else
      s = NewSize - s;
    Split += s;
  }
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  control_ = FindResizeControl();
  downPos_ = TPoint{X, Y};
  if (!control_) return;
  TWinControl* parent = Parent();
  // The room left: the parent's client size less MinSize and everything else aligned
  // along the same direction (the bar itself included), plus the neighbour's own size.
  bool sideways = Sideways(Align());
  maxSize_ = (sideways ? parent->ClientWidth() : parent->ClientHeight()) - minSize_;
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    if (sideways && (c->Align() == alLeft || c->Align() == alRight)) maxSize_ -= c->Width();
    if (!sideways && (c->Align() == alTop || c->Align() == alBottom)) maxSize_ -= c->Height();
  }
  maxSize_ += sideways ? control_->Width() : control_->Height();
  oldSize_ = sideways ? control_->Width() : control_->Height();
  CalcSplitSize(X, Y, newSize_, split_);
  if (resizeStyle_ == rsLine || resizeStyle_ == rsPattern) DrawLine();
}

void TSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!control_ || !Shift.Contains(ssLeft)) return;
  Integer newSize = 0, split = 0;
  CalcSplitSize(X, Y, newSize, split);
  if (!DoCanResize(newSize)) return;
  bool line = resizeStyle_ == rsLine || resizeStyle_ == rsPattern;
  if (line) DrawLine();
  newSize_ = newSize;
  split_ = split;
  if (resizeStyle_ == rsUpdate) UpdateControlSize();
  if (line) DrawLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!control_ || Button != mbLeft) return;
  if (lineVisible_) DrawLine();
  UpdateControlSize();
  StopSizing();
}

void TSplitter::WMCancelMode(TMessage& Message) {
  // The drag is dropped: the inverted bar goes, nothing is resized.
  if (lineVisible_) DrawLine();
  StopSizing();
  TGraphicControl::WMCancelMode(Message);
}

void TSplitter::StopSizing() { control_ = nullptr; }

void TSplitter::UpdateControlSize() {
  if (!control_ || newSize_ == oldSize_) return;
  TWinControl* parent = Parent();
  switch (Align()) {
    case alLeft: control_->SetWidth(newSize_); break;
    case alTop: control_->SetHeight(newSize_); break;
    case alRight:
      // Grows to the left: the left edge moves with the size.
      parent->DisableAlign();
      control_->SetBounds(control_->Left() + (control_->Width() - newSize_), control_->Top(), newSize_,
                          control_->Height());
      parent->EnableAlign();
      break;
    case alBottom:
      parent->DisableAlign();
      control_->SetBounds(control_->Left(), control_->Top() + (control_->Height() - newSize_), control_->Width(),
                          newSize_);
      parent->EnableAlign();
      break;
    default: break;
  }
  Update();
  oldSize_ = newSize_;
  if (OnMoved) OnMoved(this);
}

void TSplitter::DrawLine() {
  TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated()) return;
  lineVisible_ = !lineVisible_;
  TPoint p{Left(), Top()};
  if (Sideways(Align()))
    p.x += split_;
  else
    p.y += split_;
  win::HWND wnd = parent->WindowHandle();
  // The bar crosses the parent and the windows on it: each window keeps its own pixels,
  // so each inverts its part (window coordinates, frames included). Inverting twice
  // gives the pixels back.
  TPoint screen = parent->ClientToScreen(p);
  auto invert = [&](win::HWND h) {
    win::RECT wr;
    if (!win::IsWindowVisible(h) || !win::GetWindowRect(h, &wr)) return true;
    win::HDC dc = win::GetWindowDC(h);
    if (!dc) return true;
    win::PatBlt(dc, screen.x - wr.left, screen.y - wr.top, Width(), Height(), win::DSTINVERT);
    win::ReleaseDC(h, dc);
    return true;
  };
  invert(wnd);
  win::EnumChildWindows(wnd, invert);
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (beveled_) {
    if (Sideways(Align()))
      win::InflateRect(&r, -1, 2);
    else
      win::InflateRect(&r, 2, -1);
    win::OffsetRect(&r, 1, 1);
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    win::OffsetRect(&r, -2, -2);
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
  }
  if (OnPaint) OnPaint(this);
}

void TSplitter::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Color", "Constraints", "ParentColor", "Visible"});
  published.For<TControl>().Enum("Align", AlignInfo(), &TControl::Align, &TControl::SetAlign).Default(alLeft);
  auto p = published.For<TSplitter>();
  p.Boolean("AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap).Default(true);
  p.Boolean("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(false);
  p.Integer("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
  p.Enum("ResizeStyle", ResizeStyleInfo(), &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle).Default(rsPattern);
  p.Event("OnCanResize", &TSplitter::OnCanResize);
  p.Event("OnMoved", &TSplitter::OnMoved);
  p.Event("OnPaint", &TSplitter::OnPaint);
  published.Redefault("Cursor", Int64{crHSplit});
}
