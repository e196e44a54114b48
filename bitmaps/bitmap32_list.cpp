#include "bitmaps/bitmap32_list.h"

#include "platform/classlib/class_registry.h"
#include "platform/classlib/properties.h"

namespace {

// Form files name the class.
const bool kBitmapListRegistered = [] {
  RegisterClass(TBitmap32List::StaticClass());
  return true;
}();

}  // namespace

// ---- TBitmap32Item ----------------------------------------------------------------------------

const TClass& TBitmap32Item::StaticClass() {
  static const TClass cls =
      TClass::Of<TBitmap32Item>("TBitmap32Item", TCollectionItem::StaticClass(), &TBitmap32Item::Publish);
  return cls;
}

void TBitmap32Item::Publish(TPublished& published) {
  published.For<TBitmap32Item>().Object("Bitmap", &TBitmap32Item::Bitmap, &TBitmap32Item::SetBitmap);
}

TBitmap32Item::TBitmap32Item(TCollection* ACollection) : TCollectionItem(ACollection) {
  bitmap_ = std::make_unique<TBitmap32>();
  bitmap_->OnChange = [this](TObject*) { Changed(false); };
}

TBitmap32Item::~TBitmap32Item() {
  // The item leaves its collection only in the base destructor: no report from a
  // bitmap that is going.
  bitmap_->OnChange = nullptr;
}

void TBitmap32Item::SetBitmap(TBitmap32* value) { bitmap_->Assign(value); }

void TBitmap32Item::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TBitmap32Item*>(Source)) {
    bitmap_->Assign(other->bitmap_.get());
    return;
  }
  TCollectionItem::Assign(Source);
}

// ---- TBitmap32Collection ----------------------------------------------------------------------

const TClass& TBitmap32Collection::StaticClass() {
  static const TClass cls = TClass::Of<TBitmap32Collection>("TBitmap32Collection", TOwnedCollection::StaticClass());
  return cls;
}

TBitmap32Collection::TBitmap32Collection(TPersistent* AOwner, const TClass& ItemClass)
    : TOwnedCollection(AOwner, ItemClass) {}

// ---- TBitmap32List ----------------------------------------------------------------------------

const TClass& TBitmap32List::StaticClass() {
  static const TClass cls =
      TClass::Of<TBitmap32List>("TBitmap32List", TComponent::StaticClass(), &TBitmap32List::Publish);
  return cls;
}

void TBitmap32List::Publish(TPublished& published) {
  published.For<TBitmap32List>().Collection("Bitmaps", &TBitmap32List::Bitmaps, &TBitmap32List::SetBitmaps);
}

TBitmap32List::TBitmap32List(TComponent* AOwner) : TComponent(AOwner) {
  bitmaps_ = std::make_unique<TBitmap32Collection>(this, TBitmap32Item::StaticClass());
}

TBitmap32List::~TBitmap32List() = default;

void TBitmap32List::SetBitmaps(TBitmap32Collection* value) { bitmaps_->Assign(value); }
