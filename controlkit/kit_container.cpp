#include "controlkit/kit_container.h"

#include "controlkit/kit_connector.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/module_life.h"

namespace {

const bool kKitContainerClassesRegistered = [] {
  RegisterKitContainerClasses();
  return true;
}();

// The kind of container file an item belongs in.
TKitContainerKind KindOfItem(const TKitListItem* Item) {
  if (dynamic_cast<const TKitImageListItem*>(Item)) return ckImageList;
  if (dynamic_cast<const TKitBitmapListItem*>(Item)) return ckBitmapList;
  if (dynamic_cast<const TKitWaveListItem*>(Item)) return ckWaveList;
  if (dynamic_cast<const TKitStringListItem*>(Item)) return ckStringList;
  return ckNone;
}

}  // namespace

void RegisterKitContainerClasses() {
  RegisterClasses({&TKitStringList::StaticClass(), &TKitWaveList::StaticClass(), &TKitImageList::StaticClass(),
                   &TKitBitmapList::StaticClass(), &TKitImageListConnector::StaticClass(),
                   &TKitContainer::StaticClass(), &TKitStringListItem::StaticClass(),
                   &TKitWaveListItem::StaticClass(), &TKitImageListItem::StaticClass(),
                   &TKitBitmapListItem::StaticClass()});
}

// ---- TKitContainer -------------------------------------------------------------------------------

const TClass& TKitContainer::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitContainer>("TKitContainer", TKitCustomComponent::StaticClass(), &TKitContainer::Publish);
  return cls;
}

void TKitContainer::Publish(TPublished&) {}

TKitContainer::TKitContainer(TComponent* AOwner)
    : TKitCustomComponent(AOwner),
      imageList_(new TKitImageList(this)),
      bitmapList_(new TKitBitmapList(this)),
      waveList_(new TKitWaveList(this)),
      stringList_(new TKitStringList(this)) {
  for (TKitCustomContainer* list : {static_cast<TKitCustomContainer*>(imageList_),
                                    static_cast<TKitCustomContainer*>(bitmapList_),
                                    static_cast<TKitCustomContainer*>(waveList_),
                                    static_cast<TKitCustomContainer*>(stringList_)})
    list->OnChange = [this](TObject* sender) { ListChanged(sender); };
}

// The lists are owned components and go with the inherited destructor; they must not
// report to a container that is half gone.
TKitContainer::~TKitContainer() {
  imageList_->OnChange = nullptr;
  bitmapList_->OnChange = nullptr;
  waveList_->OnChange = nullptr;
  stringList_->OnChange = nullptr;
}

void TKitContainer::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitContainer*>(Source);
  if (!source) return TKitCustomComponent::Assign(Source);
  TKitOneChange<TKitContainer> once(*this);
  imageList_->Assign(source->ImageList());
  bitmapList_->Assign(source->BitmapList());
  waveList_->Assign(source->WaveList());
  stringList_->Assign(source->StringList());
}

void TKitContainer::DefineProperties(TFiler* Filer) {
  TKitCustomComponent::DefineProperties(Filer);
  auto define = [Filer](const char* name, TKitCustomContainer* list) {
    Filer->DefineBinaryProperty(
        name, [list](TStream& s) { list->LoadFromStream(s, false); },
        [list](TStream& s) { list->SaveToStream(s, false); }, !list->IsEmpty());
  };
  define("ImageList", imageList_);
  define("BitmapList", bitmapList_);
  define("WaveList", waveList_);
  define("StringList", stringList_);
}

void TKitContainer::SetImageList(TKitImageList* Value) { imageList_->Assign(Value); }
void TKitContainer::SetBitmapList(TKitBitmapList* Value) { bitmapList_->Assign(Value); }
void TKitContainer::SetWaveList(TKitWaveList* Value) { waveList_->Assign(Value); }
void TKitContainer::SetStringList(TKitStringList* Value) { stringList_->Assign(Value); }

void TKitContainer::Change() {
  if (IsUpdating()) return;
  TKitContainer* shared = KitContainer();
  if (ComponentState().Contains(csDesigning) && shared != this) shared->Assign(this);
  TKitCustomComponent::Change();
}

void TKitContainer::ListChanged(TObject*) { Change(); }

TKitContainer* KitContainer() {
  static TKitContainer* shared = nullptr;
  return ModuleLazy(shared, [] { return new TKitContainer(nullptr); });
}

std::string KitSharedListSignature(const TKitCustomImageList* List) {
  if (!List) return std::string();
  const TKitContainer* shared = KitContainer();
  if (List == shared->ImageList()) return KitContainerSignature(ckImageList);
  if (List == shared->BitmapList()) return KitContainerSignature(ckBitmapList);
  return std::string();
}

TKitCustomImageList* KitSharedListOf(const std::string& Signature) {
  if (Signature == KitContainerSignature(ckImageList)) return KitContainer()->ImageList();
  if (Signature == KitContainerSignature(ckBitmapList)) return KitContainer()->BitmapList();
  return nullptr;
}

// ---- container files -----------------------------------------------------------------------------

void LoadItemFromFile(const std::string& FileName, TKitContainerKind ExpectedKind, TKitCustomContainer* List,
                      TKitListItem* Item, Integer Index) {
  if (List && List->ListKind() != ExpectedKind)
    throw EInvalidOperation(List->ClassName() + " cannot hold the items of this container file");
  if (Item && KindOfItem(Item) != ExpectedKind)
    throw EInvalidOperation(Item->ClassName() + " cannot hold the items of this container file");
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  if (ReadContainerSignature(file) != ExpectedKind) RaiseContainerFileError(FileName);
  const Int64 start = file.Position();
  if (List) List->LoadFromStream(file, true);
  if (Item) {
    file.SetPosition(start);
    const TKitContainerIndex index = ReadContainerIndex(file);
    if (Index < 0 || Index >= index.Count)
      throw CreateFmt<EReadError>("Container file %s holds no item %d", FileName, Index);
    file.SetPosition(index.Positions[static_cast<std::size_t>(Index)]);
    Item->LoadFromStream(file);
  }
}

void LoadBitmapFromFile(const std::string& FileName, Integer Index, TBitmap* Bitmap) {
  TKitBitmapListItem item(nullptr);
  LoadItemFromFile(FileName, ckBitmapList, nullptr, &item, Index);
  if (Bitmap) Bitmap->Assign(item.Bitmap());
}
