#include "controlkit/kit_connector.h"

#include "platform/classlib/class_registry.h"

namespace {

// The connector's collection: any change of an entry is a change of the connector.
class TKitBorImageLists : public TOwnedCollection {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TKitBorImageLists>("TKitBorImageLists", TOwnedCollection::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitBorImageLists(TKitImageListConnector* Owner)
      : TOwnedCollection(Owner, TKitBorImageListItem::StaticClass()), connector_(Owner) {}

 protected:
  void Update(TCollectionItem*) override { connector_->Change(); }

 private:
  TKitImageListConnector* connector_;
};

}  // namespace

// ---- TKitBorImageListItem ------------------------------------------------------------------------

const TClass& TKitBorImageListItem::StaticClass() {
  static const TClass cls = TClass::Of<TKitBorImageListItem>("TKitBorImageListItem", TCollectionItem::StaticClass(),
                                                             &TKitBorImageListItem::Publish);
  return cls;
}

void TKitBorImageListItem::Publish(TPublished& published) {
  auto p = published.For<TKitBorImageListItem>();
  p.Component("ImageList", &TKitBorImageListItem::ImageList, &TKitBorImageListItem::SetImageList);
  p.String("Name", &TKitBorImageListItem::Name, &TKitBorImageListItem::SetName).Default("");
  p.Integer("Index", &TKitBorImageListItem::Index, &TKitBorImageListItem::SetIndex).Stored(false);
}

TKitBorImageListItem::TKitBorImageListItem(TCollection* Collection)
    : TCollectionItem(Collection), link_(std::make_unique<TChangeLink>()) {
  link_->OnChange = [this](TObject*) {
    if (TKitImageListConnector* connector = Connector()) connector->Change();
  };
}

TKitBorImageListItem::~TKitBorImageListItem() = default;

void TKitBorImageListItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitBorImageListItem*>(Source);
  if (!source) return TCollectionItem::Assign(Source);
  name_ = source->Name();
  SetImageList(source->ImageList());
}

TKitImageListConnector* TKitBorImageListItem::Connector() const {
  return Collection() ? dynamic_cast<TKitImageListConnector*>(Collection()->GetOwner()) : nullptr;
}

void TKitBorImageListItem::SetImageList(TCustomImageList* Value) {
  if (Value == imageList_) return;
  if (imageList_) imageList_->UnRegisterChanges(link_.get());
  imageList_ = Value;
  if (imageList_) {
    imageList_->RegisterChanges(link_.get());
    if (TKitImageListConnector* connector = Connector()) imageList_->FreeNotification(connector);
  }
  Changed(false);
}

void TKitBorImageListItem::SetName(const std::string& Value) {
  if (Value == name_) return;
  name_ = Value;
  Changed(false);
}

std::string TKitBorImageListItem::DisplayName() const {
  if (!name_.empty()) return name_;
  if (imageList_ && !imageList_->Name().empty()) return imageList_->Name();
  return TCollectionItem::DisplayName();
}

// ---- TKitImageListConnector ----------------------------------------------------------------------

const TClass& TKitImageListConnector::StaticClass() {
  static const TClass cls = TClass::Of<TKitImageListConnector>(
      "TKitImageListConnector", TKitCustomImageList::StaticClass(), &TKitImageListConnector::Publish);
  return cls;
}

void TKitImageListConnector::Publish(TPublished& published) {
  auto p = published.For<TKitImageListConnector>();
  p.Collection("ImageLists", &TKitImageListConnector::ImageLists, &TKitImageListConnector::SetImageLists);
}

// The connector holds no kit items; its "lists" are the collection's entries.
TKitImageListConnector::TKitImageListConnector(TComponent* AOwner)
    : TKitCustomImageList(AOwner, TKitImageListItem::StaticClass(), ckNone),
      imageLists_(std::make_unique<TKitBorImageLists>(this)) {}

TKitImageListConnector::~TKitImageListConnector() {
  // The entries' links leave their lists as the collection goes; no change is reported.
  BeginUpdate();
  imageLists_.reset();
}

void TKitImageListConnector::SetImageLists(TCollection* Value) { imageLists_->Assign(Value); }

TCustomImageList* TKitImageListConnector::ListAt(Integer ListIndex) const {
  if (ListIndex < 0 || ListIndex >= imageLists_->Count()) return nullptr;
  return static_cast<TKitBorImageListItem*>(imageLists_->Items(ListIndex))->ImageList();
}

Integer TKitImageListConnector::Count() const { return imageLists_ ? imageLists_->Count() : 0; }

TCanvas* TKitImageListConnector::GetCanvas(Integer) { return nullptr; }

bool TKitImageListConnector::GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) {
  const bool valid = IsValidImage(ListIndex, ImageIndex);
  TCustomImageList* list = ListAt(ListIndex);
  R = valid ? Rect(0, 0, list->Width(), list->Height()) : Rect(0, 0, 0, 0);
  return valid;
}

Integer TKitImageListConnector::GetSize(Integer ListIndex, Integer Which) {
  TCustomImageList* list = ListAt(ListIndex);
  if (!list) return 0;
  return Which == 0 ? list->Width() : list->Height();
}

Integer TKitImageListConnector::ImageCount(Integer ListIndex) {
  TCustomImageList* list = ListAt(ListIndex);
  return list ? list->Count() : -1;
}

bool TKitImageListConnector::GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) {
  if (!Bitmap || !IsValidImage(ListIndex, ImageIndex)) return false;
  return ListAt(ListIndex)->GetBitmap(ImageIndex, Bitmap);
}

bool TKitImageListConnector::IsMasked(Integer ListIndex) {
  TCustomImageList* list = ListAt(ListIndex);
  return list && list->Masked();
}

win::HPALETTE TKitImageListConnector::GetPalette(Integer) { return nullptr; }

TColor TKitImageListConnector::GetTransparentColor(Integer ListIndex, Integer ImageIndex) {
  TBitmap image;
  if (!GetBitmap(ListIndex, ImageIndex, &image)) return kKitNoPixel;
  return image.TransparentColor();
}

TColor TKitImageListConnector::GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) {
  TBitmap image;
  if (!GetBitmap(ListIndex, ImageIndex, &image)) return kKitNoPixel;
  if (P.x < 0 || P.x >= image.Width() || P.y < 0 || P.y >= image.Height()) return kKitNoPixel;
  return image.Canvas()->Pixels(P.x, P.y);
}

void TKitImageListConnector::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) {
  TCustomImageList* list = ListAt(ListIndex);
  if (Canvas && list) list->Draw(Canvas, X, Y, ImageIndex);
}

void TKitImageListConnector::Notification(TComponent* AComponent, TOperation Operation) {
  TKitCustomImageList::Notification(AComponent, Operation);
  if (Operation != opRemove || !imageLists_) return;
  // The list is on its way out: forget it without calling into it.
  bool changed = false;
  for (int i = 0; i < imageLists_->Count(); ++i) {
    auto* entry = static_cast<TKitBorImageListItem*>(imageLists_->Items(i));
    if (entry->ImageList() == AComponent) {
      entry->ForgetImageList();
      changed = true;
    }
  }
  if (changed) Change();
}

void TKitBorImageListItem::ForgetImageList() {
  link_->SetSender(nullptr);
  imageList_ = nullptr;
}
