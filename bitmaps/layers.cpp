#include "bitmaps/layers.h"

#include <algorithm>
#include <cmath>

#include "bitmaps/image32.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/screen.h"

namespace {

// The mask of the layers that take part in mouse routing.
constexpr Cardinal kMouseMask = kLayerMouseEvents;

void RemoveFrom(std::vector<TCustomLayer*>& list, TCustomLayer* layer) {
  list.erase(std::remove(list.begin(), list.end(), layer), list.end());
}

}  // namespace

// ---- TLayerCollection -------------------------------------------------------------------------

const TClass& TLayerCollection::StaticClass() {
  static const TClass cls = TClass::Of<TLayerCollection>("TLayerCollection", TPersistent::StaticClass());
  return cls;
}

TLayerCollection::TLayerCollection(TPersistent* AOwner) : owner_(AOwner) {}

TLayerCollection::~TLayerCollection() {
  // Held in an update for good: the layers go without telling anyone.
  updateCount_ = 1;
  OnChanging = nullptr;
  OnChange = nullptr;
  OnGDIUpdate = nullptr;
  while (!items_.empty()) delete items_.back();
}

TCustomLayer* TLayerCollection::Add(const TClass& LayerClass) {
  if (!LayerClass.InheritsFrom(TCustomLayer::StaticClass()) || !LayerClass.CanCreate())
    throw CreateFmt<EInvalidOperation>("Cannot add a %s to a layer collection", LayerClass.ClassName());
  // The constructor joins this collection, which owns the layer from then on.
  return static_cast<TCustomLayer*>(LayerClass.Create(this));
}

void TLayerCollection::Clear() {
  BeginUpdate();
  // Each layer takes itself out as it goes.
  while (!items_.empty()) delete items_.back();
  EndUpdate();
}

void TLayerCollection::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TLayerCollection*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCustomLayer* layer : other->items_) Add(layer->ClassType())->Assign(layer);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCustomLayer* TLayerCollection::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw CreateFmt<EListError>(msg::ListIndexError, Index);
  return items_[static_cast<std::size_t>(Index)];
}

void TLayerCollection::BeginUpdate() {
  if (updateCount_ == 0 && OnChanging) OnChanging(this);
  ++updateCount_;
}

void TLayerCollection::EndUpdate() {
  // Checked first: an unpaired call must not leave the count below zero.
  if (updateCount_ < 1) throw EAssertionFailed("Unpaired EndUpdate");
  --updateCount_;
  if (updateCount_ == 0 && OnChange) OnChange(this);
}

// A layer's change is reported at once, inside an update too; only the repaint of GDI
// overlays waits for the update's end.
void TLayerCollection::Changing() {
  if (OnChanging) OnChanging(this);
}

void TLayerCollection::Changed() {
  if (OnChange) OnChange(this);
}

void TLayerCollection::GDIUpdate() {
  if (updateCount_ == 0 && OnGDIUpdate) OnGDIUpdate(this);
}

void TLayerCollection::InsertItem(TCustomLayer* Item) {
  BeginUpdate();
  items_.push_back(Item);
  Item->layerCollection_ = this;
  EndUpdate();
}

void TLayerCollection::RemoveItem(TCustomLayer* Item) {
  BeginUpdate();
  RemoveFrom(items_, Item);
  Item->layerCollection_ = nullptr;
  if (mouseListener_ == Item) mouseListener_ = nullptr;
  EndUpdate();
}

void TLayerCollection::MoveItem(Integer CurIndex, Integer NewIndex) {
  TCustomLayer* item = items_[static_cast<std::size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}

TCustomLayer* TLayerCollection::FindLayerAtPos(Integer X, Integer Y, Cardinal OptionsMask) {
  for (auto it = items_.rbegin(); it != items_.rend(); ++it)
    if (((*it)->LayerOptions() & OptionsMask) != 0 && (*it)->DoHitTest(X, Y)) return *it;
  return nullptr;
}

void TLayerCollection::SetMouseListener(TCustomLayer* value) {
  if (value == mouseListener_) return;
  if (mouseListener_) mouseListener_->clicked_ = TLayerMouseButtons{};
  mouseListener_ = value;
}

TCustomLayer* TLayerCollection::MouseTarget(Integer X, Integer Y) {
  return mouseListener_ ? mouseListener_ : FindLayerAtPos(X, Y, kMouseMask);
}

TCustomLayer* TLayerCollection::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* target = MouseTarget(X, Y);
  if (Button == mbLeft && target != mouseListener_ &&
      (!target || (target->LayerOptions() & kLayerNoCapture) == 0))
    SetMouseListener(target);
  if (TCustomLayer* listener = mouseListener_) {
    listener->clicked_.Include(Button);
    listener->MouseDown(Button, Shift, X, Y);
  }
  return target;
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* target = MouseTarget(X, Y);
  if (target) {
    target->MouseMove(Shift, X, Y);
  } else if (auto* control = dynamic_cast<TControl*>(owner_); control && Screen) {
    Screen->SetCursor(control->Cursor());
  }
  return target;
}

TCustomLayer* TLayerCollection::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* target = MouseTarget(X, Y);
  if (target) {
    target->clicked_.Exclude(Button);
    target->MouseUp(Button, Shift, X, Y);
  }
  // The handler may have freed the listener; the collection forgot it then.
  if (mouseListener_ && mouseListener_->clicked_.Empty()) SetMouseListener(nullptr);
  return target;
}

// ---- TCustomLayer -----------------------------------------------------------------------------

const TClass& TCustomLayer::StaticClass() {
  static const TClass cls = TClass::Of<TCustomLayer>("TCustomLayer", TPersistent::StaticClass());
  return cls;
}

TCustomLayer::TCustomLayer(TLayerCollection* ALayerCollection) {
  if (ALayerCollection) ALayerCollection->InsertItem(this);
}

TCustomLayer::~TCustomLayer() {
  BeforeDestruction();
  // Off the lists of layers that would otherwise tell a freed layer.
  for (TCustomLayer* notifier : notifiers_) RemoveFrom(notifier->notifyList_, this);
  notifiers_.clear();
  if (layerCollection_) layerCollection_->RemoveItem(this);
}

void TCustomLayer::BeforeDestruction() {
  if (destroyFired_) return;
  destroyFired_ = true;
  if (OnDestroy) OnDestroy(this);
  // Last first; a handler may take another layer off the list meanwhile.
  while (!notifyList_.empty()) {
    TCustomLayer* other = notifyList_.back();
    notifyList_.pop_back();
    RemoveFrom(other->notifiers_, this);
    other->Notification(this);
  }
}

void TCustomLayer::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TCustomLayer*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  cursor_ = other->cursor_;
  SetLayerOptions(other->layerOptions_);
}

Integer TCustomLayer::Index() const {
  if (!layerCollection_) return -1;
  const auto& items = layerCollection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCustomLayer::SetIndex(Integer Value) {
  const Integer current = Index();
  if (current < 0) return;
  Value = std::clamp(Value, 0, layerCollection_->Count() - 1);
  if (Value == current) return;
  if (Visible()) {
    layerCollection_->BeginUpdate();
    layerCollection_->MoveItem(current, Value);
    layerCollection_->EndUpdate();
  } else {
    layerCollection_->MoveItem(current, Value);
  }
}

void TCustomLayer::SetLayerOptions(Cardinal Value) {
  if (Value == layerOptions_) return;
  const bool wasVisible = Visible();
  Changing();
  layerOptions_ = Value;
  // A layer that has just been hidden must still be painted away.
  if (wasVisible && !Visible() && layerCollection_ && (layerOptions_ & kLayerNoUpdate) == 0)
    layerCollection_->Changed();
  else
    Changed();
}

void TCustomLayer::SetVisible(bool Value) {
  SetLayerOptions(Value ? (layerOptions_ | kLayerVisible) : (layerOptions_ & ~kLayerVisible));
}

void TCustomLayer::AddNotification(TCustomLayer* ALayer) {
  if (!ALayer || ALayer == this) return;
  if (std::find(notifyList_.begin(), notifyList_.end(), ALayer) != notifyList_.end()) return;
  notifyList_.push_back(ALayer);
  ALayer->notifiers_.push_back(this);
}

void TCustomLayer::RemoveNotification(TCustomLayer* ALayer) {
  if (!ALayer) return;
  RemoveFrom(notifyList_, ALayer);
  RemoveFrom(ALayer->notifiers_, this);
}

void TCustomLayer::Changing() {
  if (Visible() && layerCollection_ && (layerOptions_ & kLayerNoUpdate) == 0) layerCollection_->Changing();
}

void TCustomLayer::Changed() {
  if (!layerCollection_ || (layerOptions_ & kLayerNoUpdate) != 0) return;
  if (Visible())
    layerCollection_->Changed();
  else if ((layerOptions_ & kLayerGDIOverlay) != 0)
    layerCollection_->GDIUpdate();
}

bool TCustomLayer::DoHitTest(Integer, Integer) { return true; }

void TCustomLayer::DoPaint(TBitmap32* Buffer) {
  Paint(Buffer);
  if (OnPaint) OnPaint(this, Buffer);
}

void TCustomLayer::Paint(TBitmap32*) {}
void TCustomLayer::PaintGDI(TCanvas*) {}
void TCustomLayer::Notification(TCustomLayer*) {}

void TCustomLayer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomLayer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (Screen) Screen->SetCursor(cursor_);
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomLayer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Screen) Screen->SetCursor(crDefault);
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// ---- TPositionedLayer -------------------------------------------------------------------------

const TClass& TPositionedLayer::StaticClass() {
  static const TClass cls = TClass::Of<TPositionedLayer>("TPositionedLayer", TCustomLayer::StaticClass());
  return cls;
}

TPositionedLayer::TPositionedLayer(TLayerCollection* ALayerCollection) : TCustomLayer(ALayerCollection) {
  layerOptions_ = kLayerVisible | kLayerMouseEvents;
}

void TPositionedLayer::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TPositionedLayer*>(Source)) {
    Changing();
    location_ = other->location_;
    scaled_ = other->scaled_;
    Changed();
  }
  TCustomLayer::Assign(Source);
}

void TPositionedLayer::SetLocation(const TFloatRect& Value) {
  Changing();
  DoSetLocation(Value);
  Changed();
}

void TPositionedLayer::DoSetLocation(const TFloatRect& NewLocation) { location_ = NewLocation; }

void TPositionedLayer::SetScaled(bool Value) {
  if (Value == scaled_) return;
  Changing();
  scaled_ = Value;
  Changed();
}

TFloatRect TPositionedLayer::GetAdjustedLocation() const {
  TFloatRect r = location_;
  const TLayerCollection* collection = LayerCollection();
  if (!scaled_ || !collection || !collection->CoordXForm()) return r;
  const TCoordXForm& xf = *collection->CoordXForm();
  const auto map = [](Integer scale, Integer shift, Single v) {
    return static_cast<Single>(static_cast<double>(scale) * v / 65536.0 + shift);
  };
  return TFloatRect{map(xf.ScaleX, xf.ShiftX, r.Left), map(xf.ScaleY, xf.ShiftY, r.Top),
                    map(xf.ScaleX, xf.ShiftX, r.Right), map(xf.ScaleY, xf.ShiftY, r.Bottom)};
}

bool TPositionedLayer::DoHitTest(Integer X, Integer Y) {
  const TFloatRect r = GetAdjustedLocation();
  return r.Left <= X && X < r.Right && r.Top <= Y && Y < r.Bottom;
}

// ---- TBitmapLayer -----------------------------------------------------------------------------

const TClass& TBitmapLayer::StaticClass() {
  static const TClass cls = TClass::Of<TBitmapLayer>("TBitmapLayer", TPositionedLayer::StaticClass());
  return cls;
}

TBitmapLayer::TBitmapLayer(TLayerCollection* ALayerCollection) : TPositionedLayer(ALayerCollection) {
  bitmap_ = std::make_unique<TBitmap32>();
  bitmap_->OnChange = [this](TObject*) { Changed(); };
}

TBitmapLayer::~TBitmapLayer() {
  BeforeDestruction();
  bitmap_->OnChange = nullptr;
}

void TBitmapLayer::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TBitmapLayer*>(Source)) {
    bitmap_->Assign(other->bitmap_.get());
    alphaHit_ = other->alphaHit_;
    cropped_ = other->cropped_;
  }
  TPositionedLayer::Assign(Source);
}

void TBitmapLayer::SetCropped(bool Value) {
  if (Value == cropped_) return;
  cropped_ = Value;
  Changed();
}

bool TBitmapLayer::DoHitTest(Integer X, Integer Y) {
  if (!TPositionedLayer::DoHitTest(X, Y)) return false;
  if (!alphaHit_) return true;
  const TFloatRect r = GetAdjustedLocation();
  const Int64 w = Round(r.Right - r.Left);
  const Int64 h = Round(r.Bottom - r.Top);
  if (w < 1 || h < 1) return false;
  const Int64 bx = Round((X - static_cast<double>(r.Left)) * bitmap_->Width() / static_cast<double>(w));
  const Int64 by = Round((Y - static_cast<double>(r.Top)) * bitmap_->Height() / static_cast<double>(h));
  // Beyond the bitmap PixelS would give the outer colour; the check comes first so that
  // a far-off position is never narrowed.
  if (bx < 0 || by < 0 || bx >= bitmap_->Width() || by >= bitmap_->Height())
    return AlphaComponent(bitmap_->OuterColor()) != 0;
  return AlphaComponent(bitmap_->PixelS(static_cast<Integer>(bx), static_cast<Integer>(by))) != 0;
}

void TBitmapLayer::Paint(TBitmap32* Buffer) {
  const TFloatRect adjusted = GetAdjustedLocation();
  TRect dst = RoundFloatRect(adjusted, roNearest);
  TRect src{0, 0, bitmap_->Width(), bitmap_->Height()};
  auto* image = LayerCollection() ? dynamic_cast<TCustomImage32*>(LayerCollection()->Owner()) : nullptr;
  if (cropped_ && image) {
    const double dstW = static_cast<double>(dst.right) - dst.left;
    const double dstH = static_cast<double>(dst.bottom) - dst.top;
    if (dstW < 0.5 || dstH < 0.5) return;
    TRect clipped;
    // Nothing of the layer over the bitmap: nothing to paint.
    if (!IntersectRects(clipped, dst, image->GetBitmapRect()) || RectIsEmpty(clipped)) return;
    const auto cut = [](Integer edge, Integer origin, Integer size, double dstSize) {
      return static_cast<Integer>(Round((static_cast<double>(edge) - origin) * size / dstSize));
    };
    src.left = cut(clipped.left, dst.left, bitmap_->Width(), dstW);
    src.right = cut(clipped.right, dst.left, bitmap_->Width(), dstW);
    src.top = cut(clipped.top, dst.top, bitmap_->Height(), dstH);
    src.bottom = cut(clipped.bottom, dst.top, bitmap_->Height(), dstH);
    dst = clipped;
  }
  bitmap_->DrawTo(Buffer, dst, src);
}
