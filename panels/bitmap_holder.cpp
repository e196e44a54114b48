#include "panels/bitmap_holder.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"
#include "platform/win/gdi.h"

namespace {

const bool kHolderRegistered = [] {
  RegisterClass(TFpBitmapHolder::StaticClass());
  return true;
}();

}  // namespace

// ---- TFpLinkChange ------------------------------------------------------------------------------

const TClass& TFpLinkChange::StaticClass() {
  static const TClass cls = TClass::Of<TFpLinkChange>("TFpLinkChange", TObject::StaticClass());
  return cls;
}

TFpLinkChange::~TFpLinkChange() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TFpLinkChange::Change() {
  if (OnChange) OnChange(this);
}

// ---- tiling ------------------------------------------------------------------------------------------

void TileBitmapOn(TBitmap* bitmap, const TRect& Rect, win::HDC DC) {
  if (!bitmap || bitmap->Empty() || !DC) return;
  const Integer w = bitmap->Width();
  const Integer h = bitmap->Height();
  win::HDC src = bitmap->Canvas()->Handle();
  const Integer rows = Rect.bottom / h + 1;
  const Integer cols = Rect.right / w + 1;
  for (Integer row = 0; row <= rows; ++row) {
    const Integer y = Rect.top + row * h;
    const Integer ch = std::min(h, Rect.bottom - y);
    if (ch <= 0) break;
    for (Integer col = 0; col <= cols; ++col) {
      const Integer x = Rect.left + col * w;
      const Integer cw = std::min(w, Rect.right - x);
      if (cw <= 0) break;
      win::BitBlt(DC, x, y, cw, ch, src, 0, 0, win::SRCCOPY);
    }
  }
}

// ---- TFpBitmapHolder ---------------------------------------------------------------------------------

const TClass& TFpBitmapHolder::StaticClass() {
  static const TClass cls =
      TClass::Of<TFpBitmapHolder>("TFpBitmapHolder", TComponent::StaticClass(), &TFpBitmapHolder::Publish);
  return cls;
}

void TFpBitmapHolder::Publish(TPublished& published) {
  published.For<TFpBitmapHolder>().Object("Bitmap", &TFpBitmapHolder::Bitmap, &TFpBitmapHolder::SetBitmap);
}

TFpBitmapHolder::TFpBitmapHolder(TComponent* AOwner) : TComponent(AOwner), bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = [this](TObject*) { BitmapChanged(); };
}

TFpBitmapHolder::~TFpBitmapHolder() {
  while (!links_.empty()) UnRegisterChanges(links_.back());
  bitmap_->OnChange = nullptr;
}

void TFpBitmapHolder::SetBitmap(TBitmap* value) { bitmap_->Assign(value); }

void TFpBitmapHolder::RegisterChanges(TFpLinkChange* Link) {
  if (!Link) return;
  // A link belongs to one holder at a time.
  if (Link->Sender() && Link->Sender() != this) Link->Sender()->UnRegisterChanges(Link);
  Link->SetSender(this);
  if (std::find(links_.begin(), links_.end(), Link) == links_.end()) links_.push_back(Link);
}

void TFpBitmapHolder::UnRegisterChanges(TFpLinkChange* Link) {
  if (!Link) return;
  auto it = std::find(links_.begin(), links_.end(), Link);
  if (it == links_.end()) return;
  Link->SetSender(nullptr);
  links_.erase(it);
}

bool TFpBitmapHolder::IsEmpty() const { return !bitmap_ || bitmap_->Empty(); }

void TFpBitmapHolder::TileBitmap(const TRect& Rect, win::HDC DC) { TileBitmapOn(bitmap_.get(), Rect, DC); }

void TFpBitmapHolder::BitmapChanged() {
  // A handler may unregister its own link: walk a copy.
  std::vector<TFpLinkChange*> links = links_;
  for (TFpLinkChange* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
}
