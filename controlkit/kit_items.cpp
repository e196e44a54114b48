#include "controlkit/kit_items.h"

#include <algorithm>

#include "controlkit/kit_container.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/save_file.h"


const TEnumInfo& KitSavePixelFormatInfo() {
  static const TEnumInfo info("TKitSavePixelFormat", {"spfDefault", "spfMono", "spf4bit", "spf8bit"});
  return info;
}

// ---- TKitListItem --------------------------------------------------------------------------------

const TClass& TKitListItem::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitListItem>("TKitListItem", TKitCustomComponent::StaticClass(), &TKitListItem::Publish);
  return cls;
}

// Description and Ident travel inside "Internal", so the form holds them only there.
void TKitListItem::Publish(TPublished& published) {
  auto p = published.For<TKitListItem>();
  p.String("Description", &TKitListItem::Description, &TKitListItem::SetDescription).Stored(false);
  p.Integer("Ident", &TKitListItem::Ident, &TKitListItem::SetIdent).Stored(false);
}

TKitListItem::TKitListItem(TComponent* AOwner) : TKitCustomComponent(AOwner) {}

TKitListItem::~TKitListItem() {
  if (container_) container_->Detach(this);
}

void TKitListItem::SetDescription(const std::string& Value) {
  // The header keeps a length byte: a longer text keeps its first 255 characters.
  const std::string cut = Value.substr(0, kKitMaxDescription);
  if (cut == description_) return;
  description_ = cut;
  Change();
}

void TKitListItem::SetIdent(Word Value) { KitPut(*this, ident_, Value); }

void TKitListItem::SetCompressed(bool Value) { KitPut(*this, compressed_, static_cast<Byte>(Value ? 1 : 0)); }

Byte TKitListItem::GetFlags() const {
  Byte flags = 0;
  if (compressed_) flags |= kKitFlagCompressed;
  if (!description_.empty()) flags |= kKitFlagDescription;
  if (ident_ != 0) flags |= kKitFlagIdent;
  return flags;
}

Integer TKitListItem::Index() const { return container_ ? container_->IndexOf(this) : -1; }

void TKitListItem::Change() {
  if (IsUpdating()) return;
  TKitCustomComponent::Change();
  if (container_) container_->Change();
}

void TKitListItem::DefineProperties(TFiler* Filer) {
  TKitCustomComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Internal", [this](TStream& s) { LoadFromStream(s); }, [this](TStream& s) { SaveToStream(s); }, true);
}

TComponent* TKitListItem::GetParentComponent() const { return container_; }

void TKitListItem::SetParentComponent(TComponent* Value) {
  if (auto* container = dynamic_cast<TKitCustomContainer*>(Value)) container->Add(this);
}

void TKitListItem::TakeHeader(const TKitItemHeader& Header) {
  description_ = Header.Description;
  ident_ = Header.Ident;
  compressed_ = (Header.Flags & kKitFlagCompressed) ? 1 : 0;
}

void TKitListItem::AssignHeader(const TKitListItem& Source) {
  SetDescription(Source.Description());
  SetIdent(Source.Ident());
  SetCompressed(Source.Compressed());
}

Byte TKitListItem::WriteHeader(TStream& Stream) const {
  const Byte flags = GetFlags();
  WriteItemHeader(Stream, TKitItemHeader{flags, description_, ident_});
  return flags;
}

// ---- TKitStringListItem --------------------------------------------------------------------------

const TClass& TKitStringListItem::StaticClass() {
  static const TClass cls = TClass::Of<TKitStringListItem>("TKitStringListItem", TKitListItem::StaticClass(),
                                                           &TKitStringListItem::Publish);
  return cls;
}

void TKitStringListItem::Publish(TPublished& published) {
  auto p = published.For<TKitStringListItem>();
  p.Strings("Items", &TKitStringListItem::GetItems, &TKitStringListItem::SetItems).Stored(false);
}

TKitStringListItem::TKitStringListItem(TComponent* AOwner)
    : TKitListItem(AOwner), items_(std::make_unique<TStringList>()) {
  items_->OnChange = [this](TObject*) { Change(); };
}

TKitStringListItem::~TKitStringListItem() { items_->OnChange = nullptr; }

void TKitStringListItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitStringListItem*>(Source);
  if (!source) return TKitListItem::Assign(Source);
  TKitOneChange<TKitStringListItem> once(*this);
  AssignHeader(*source);
  items_->Assign(source->Items());
}

void TKitStringListItem::SetItems(TStrings* Value) { items_->Assign(Value); }

void TKitStringListItem::Clear() { items_->Clear(); }

bool TKitStringListItem::IsEmpty() const { return items_->Count() == 0; }

Byte TKitStringListItem::GetFlags() const {
  return static_cast<Byte>(TKitListItem::GetFlags() | (IsEmpty() ? 0 : kKitFlagPayload));
}

void TKitStringListItem::SaveToStream(TStream& Stream) {
  const Byte flags = WriteHeader(Stream);
  if (flags & kKitFlagPayload) WriteTextBlock(Stream, items_->Text(), (flags & kKitFlagCompressed) != 0);
}

void TKitStringListItem::LoadFromStream(TStream& Stream) {
  const TKitItemHeader header = ReadItemHeader(Stream);
  std::string text;
  if (header.Flags & kKitFlagPayload) text = ReadTextBlock(Stream, (header.Flags & kKitFlagCompressed) != 0);
  TKitOneChange<TKitStringListItem> once(*this);
  TakeHeader(header);
  items_->SetText(text);
}

// ---- TKitBitmapListItem --------------------------------------------------------------------------

const TClass& TKitBitmapListItem::StaticClass() {
  static const TClass cls = TClass::Of<TKitBitmapListItem>("TKitBitmapListItem", TKitListItem::StaticClass(),
                                                           &TKitBitmapListItem::Publish);
  return cls;
}

void TKitBitmapListItem::Publish(TPublished& published) {
  auto p = published.For<TKitBitmapListItem>();
  p.Object("Bitmap", &TKitBitmapListItem::Bitmap, &TKitBitmapListItem::SetBitmap).Stored(false);
}

TKitBitmapListItem::TKitBitmapListItem(TComponent* AOwner)
    : TKitListItem(AOwner), bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = [this](TObject*) { Change(); };
}

TKitBitmapListItem::~TKitBitmapListItem() { bitmap_->OnChange = nullptr; }

void TKitBitmapListItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitBitmapListItem*>(Source);
  if (!source) return TKitListItem::Assign(Source);
  TKitOneChange<TKitBitmapListItem> once(*this);
  AssignHeader(*source);
  SetPixelFormat(source->PixelFormat());
  bitmap_->Assign(source->Bitmap());
}

TBitmap* TKitBitmapListItem::Bitmap() const {
  if (bitmap_->Empty()) const_cast<TKitBitmapListItem*>(this)->LoadFromStorage();
  return bitmap_.get();
}

void TKitBitmapListItem::LoadFromStorage() {
  TKitCustomContainer* list = Container();
  if (!list) return;
  const Byte kind = list->StorageKind();
  if (kind == 0 || kind == 3 || storageTried_ == list->StorageEpoch()) return;
  for (const TComponent* c : {static_cast<const TComponent*>(this), static_cast<const TComponent*>(list)})
    if (c->ComponentState().Contains(csDesigning) || c->ComponentState().Contains(csLoading)) return;
  storageTried_ = list->StorageEpoch();
  const std::string dir = GetDirectory(list->StorageDirectory(), true);
  const std::string& name = list->StorageFileName();
  TBitmap image;
  try {
    if (kind == 1) LoadBitmapFromFile(dir + name, Ident(), &image);
    else if (kind == 2) image.LoadFromResourceID(Ident());
    else image.LoadFromFile(dir + name.substr(0, 3) + std::to_string(Ident()) + ".bmp");
  } catch (const Exception&) {
    return;  // nothing to show; the next change of the storage settings tries again
  }
  // Filled from its source, not changed by anyone: nobody needs telling.
  TNotifyEvent onChange = std::move(bitmap_->OnChange);
  bitmap_->OnChange = nullptr;
  bitmap_->Assign(&image);
  bitmap_->OnChange = std::move(onChange);
}

void TKitBitmapListItem::SetBitmap(TBitmap* Value) { bitmap_->Assign(Value); }

void TKitBitmapListItem::SetPixelFormat(TKitSavePixelFormat Value) { KitPut(*this, pixelFormat_, Value); }

void TKitBitmapListItem::Clear() { bitmap_->Assign(nullptr); }

bool TKitBitmapListItem::IsEmpty() const { return bitmap_->Empty(); }

Byte TKitBitmapListItem::GetFlags() const {
  // A bitmap from the list's storage is not the form's to keep.
  const bool inForm = !Container() || Container()->StorageKind() == 0;
  return static_cast<Byte>(TKitListItem::GetFlags() | KitPixelFormatFlags(pixelFormat_) |
                           (IsEmpty() || !inForm ? 0 : kKitFlagPayload));
}

void TKitBitmapListItem::SaveToStream(TStream& Stream) {
  const Byte flags = WriteHeader(Stream);
  if (flags & kKitFlagPayload)
    WriteBitmapBlock(Stream, bitmap_.get(), pixelFormat_, (flags & kKitFlagCompressed) != 0);
}

void TKitBitmapListItem::LoadFromStream(TStream& Stream) {
  const TKitItemHeader header = ReadItemHeader(Stream);
  TBitmap image;
  if (header.Flags & kKitFlagPayload) ReadBitmapBlock(Stream, &image, (header.Flags & kKitFlagCompressed) != 0);
  TKitOneChange<TKitBitmapListItem> once(*this);
  TakeHeader(header);
  pixelFormat_ = KitPixelFormatOfFlags(header.Flags);
  bitmap_->Assign(&image);
}

// ---- TKitWaveListItem ----------------------------------------------------------------------------

const TClass& TKitWaveListItem::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitWaveListItem>("TKitWaveListItem", TKitListItem::StaticClass(), &TKitWaveListItem::Publish);
  return cls;
}

void TKitWaveListItem::Publish(TPublished& published) {
  auto p = published.For<TKitWaveListItem>();
  p.Object("Wave", &TKitWaveListItem::Wave, &TKitWaveListItem::SetWave).Stored(false);
}

TKitWaveListItem::TKitWaveListItem(TComponent* AOwner)
    : TKitListItem(AOwner), wave_(std::make_unique<TKitWave>()) {
  wave_->OnChange = [this](TObject*) { Change(); };
}

TKitWaveListItem::~TKitWaveListItem() { wave_->OnChange = nullptr; }

void TKitWaveListItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitWaveListItem*>(Source);
  if (!source) return TKitListItem::Assign(Source);
  TKitOneChange<TKitWaveListItem> once(*this);
  AssignHeader(*source);
  wave_->Assign(source->Wave());
}

void TKitWaveListItem::SetWave(TKitWave* Value) { wave_->Assign(Value); }

void TKitWaveListItem::Clear() { wave_->Clear(); }

bool TKitWaveListItem::IsEmpty() const { return wave_->IsEmpty(); }

Byte TKitWaveListItem::GetFlags() const {
  return static_cast<Byte>(TKitListItem::GetFlags() | (IsEmpty() ? 0 : kKitFlagPayload));
}

void TKitWaveListItem::SaveToStream(TStream& Stream) {
  const Byte flags = WriteHeader(Stream);
  if (!(flags & kKitFlagPayload)) return;
  if (flags & kKitFlagCompressed)
    wave_->SaveCompressed(Stream);
  else
    wave_->WriteData(Stream);
}

void TKitWaveListItem::LoadFromStream(TStream& Stream) {
  const TKitItemHeader header = ReadItemHeader(Stream);
  TKitWave wave;
  if (header.Flags & kKitFlagPayload) {
    if (header.Flags & kKitFlagCompressed)
      wave.LoadCompressed(Stream);
    else
      wave.ReadData(Stream);
  }
  TKitOneChange<TKitWaveListItem> once(*this);
  TakeHeader(header);
  wave_->Assign(&wave);
}

// ---- TKitCustomContainer -------------------------------------------------------------------------

const TClass& TKitCustomContainer::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitCustomContainer>("TKitCustomContainer", TKitBaseContainer::StaticClass());
  return cls;
}

TKitCustomContainer::TKitCustomContainer(TComponent* AOwner, const TClass& ItemClass, TKitContainerKind Kind)
    : TKitBaseContainer(AOwner), itemClass_(ItemClass), kind_(Kind) {
  if (ItemClass.CanCreate()) RegisterClass(ItemClass);
}

TKitCustomContainer::~TKitCustomContainer() { FreeItems(); }

void TKitCustomContainer::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitCustomContainer*>(Source);
  if (!source || &source->ClassType() != &ClassType()) return TKitBaseContainer::Assign(Source);
  std::vector<std::unique_ptr<TKitListItem>> copies;
  for (Integer i = 0; i < source->Count(); ++i) {
    std::unique_ptr<TKitListItem> copy(NewItem(nullptr));
    copy->Assign(source->GetItem(i));
    copies.push_back(std::move(copy));
  }
  TKitOneChange<TKitCustomContainer> once(*this);
  defaultCompressed_ = source->defaultCompressed_;
  defaultPixelFormat_ = source->defaultPixelFormat_;
  SetStorageDirectory(source->storageDirectory_);
  SetStorageKind(source->storageKind_);
  SetStorageFileName(source->storageFileName_);
  ReplaceItems(std::move(copies));
}

TKitListItem* TKitCustomContainer::GetItem(Integer Index) const {
  if (Index < 0 || Index >= static_cast<Integer>(items_.size()))
    throw CreateFmt<EListError>(msg::ListIndexError, Index);
  return items_[static_cast<std::size_t>(Index)];
}

Integer TKitCustomContainer::IndexOf(const TKitListItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

Integer TKitCustomContainer::Add(TKitListItem* Item) {
  if (!Item) {
    Item = NewItem(this);
  } else if (!Item->InheritsFrom(itemClass_)) {
    throw EInvalidOperation(Item->ClassName() + " cannot be added to " + ClassName());
  }
  if (Item->container_ == this) return IndexOf(Item);
  if (Item->container_) Item->container_->Detach(Item);
  Adopt(Item);
  Change();
  return static_cast<Integer>(items_.size()) - 1;
}

void TKitCustomContainer::Delete(Integer Index) {
  TKitListItem* item = GetItem(Index);
  items_.erase(items_.begin() + Index);
  item->container_ = nullptr;
  delete item;
  Change();
}

void TKitCustomContainer::Clear() {
  FreeItems();
  Change();
}

void TKitCustomContainer::SaveToStream(TStream& Stream, bool WriteIndex) {
  TRecordWriter writer(Stream);
  const Integer count = Count();
  writer.I32(count);
  const Int64 table = Stream.Position();
  const bool indexed = WriteIndex && count > 0;
  std::vector<Cardinal> positions;
  if (indexed)
    for (Integer i = 0; i < count; ++i) writer.U32(0);
  for (Integer i = 0; i < count; ++i) {
    positions.push_back(static_cast<Cardinal>(Stream.Position()));
    GetItem(i)->SaveToStream(Stream);
  }
  if (!indexed) return;
  const Int64 end = Stream.Position();
  Stream.SetPosition(table);
  for (Cardinal p : positions) writer.U32(p);
  Stream.SetPosition(end);
}

void TKitCustomContainer::LoadFromStream(TStream& Stream, bool SkipIndex) {
  TRecordReader reader(Stream);
  // Every item takes at least its flag byte (and its position with an index).
  const Integer count = reader.ReadCount("item count", SkipIndex ? 5 : 1);
  if (SkipIndex && count > 0) Stream.Seek(Int64{count} * 4, soFromCurrent);
  std::vector<std::unique_ptr<TKitListItem>> items;
  items.reserve(static_cast<std::size_t>(count));
  for (Integer i = 0; i < count; ++i) {
    std::unique_ptr<TKitListItem> item(NewItem(nullptr));
    item->LoadFromStream(Stream);
    items.push_back(std::move(item));
  }
  ReplaceItems(std::move(items));
}

void TKitCustomContainer::SaveToFile(const std::string& FileName) {
  SaveFileWhole(FileName, [&](TStream& file) {
    WriteContainerSignature(file, kind_);
    SaveToStream(file, true);
  });
}

void TKitCustomContainer::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  if (ReadContainerSignature(file) != kind_) RaiseContainerFileError(FileName);
  LoadFromStream(file, true);
}

void TKitCustomContainer::SetDefaultCompressed(bool Value) { KitPut(*this, defaultCompressed_, Value); }

void TKitCustomContainer::SetStorageDirectory(TKitPathPrefix Value) {
  if (Value == storageDirectory_) return;
  storageDirectory_ = Value;
  ++storageEpoch_;
}

void TKitCustomContainer::SetStorageKind(Byte Value) {
  if (Value > 4 || Value == storageKind_) return;
  storageKind_ = Value;
  ++storageEpoch_;
}

void TKitCustomContainer::SetStorageFileName(const std::string& Value) {
  if (Value == storageFileName_) return;
  storageFileName_ = Value;
  ++storageEpoch_;
}

void TKitCustomContainer::SetDefaultPixelFormat(TKitSavePixelFormat Value) {
  KitPut(*this, defaultPixelFormat_, Value);
}

void TKitCustomContainer::GetChildren(const TGetChildProc& proc, TComponent*) {
  for (TKitListItem* item : items_) proc(item);
}

TKitListItem* TKitCustomContainer::NewItem(TComponent* Owner) const {
  TComponent* component = CreateComponent(itemClass_, Owner);
  auto* item = dynamic_cast<TKitListItem*>(component);
  if (!item) {
    delete component;
    throw EInvalidOperation(itemClass_.ClassName() + " is not a list item");
  }
  return item;
}

void TKitCustomContainer::ReplaceItems(std::vector<std::unique_ptr<TKitListItem>> Items) {
  TKitOneChange<TKitCustomContainer> once(*this);
  FreeItems();
  for (auto& item : Items) {
    TKitListItem* raw = item.release();
    InsertComponent(raw);
    Adopt(raw);
  }
}

void TKitCustomContainer::FreeItems() {
  // Taken out first: an item going must not find itself in the list.
  std::vector<TKitListItem*> items;
  items.swap(items_);
  for (TKitListItem* item : items) {
    item->container_ = nullptr;
    delete item;
  }
}

void TKitCustomContainer::Adopt(TKitListItem* Item) {
  items_.push_back(Item);
  Item->container_ = this;
}

void TKitCustomContainer::Detach(TKitListItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  Item->container_ = nullptr;
  if (it == items_.end()) return;
  items_.erase(it);
  if (!ComponentState().Contains(csDestroying)) Change();
}

// ---- TKitStringList, TKitWaveList ----------------------------------------------------------------

const TClass& TKitStringList::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitStringList>("TKitStringList", TKitCustomContainer::StaticClass(), &TKitStringList::Publish);
  return cls;
}

void TKitStringList::Publish(TPublished& published) { KitPublishContainerDefaults<TKitStringList>(published, false); }

TKitStringList::TKitStringList(TComponent* AOwner)
    : TKitCustomContainer(AOwner, TKitStringListItem::StaticClass(), ckStringList) {}

TKitStringListItem* TKitStringList::GetItemAt(Integer Index) const {
  return static_cast<TKitStringListItem*>(GetItem(Index));
}

const TClass& TKitWaveList::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitWaveList>("TKitWaveList", TKitCustomContainer::StaticClass(), &TKitWaveList::Publish);
  return cls;
}

void TKitWaveList::Publish(TPublished& published) { KitPublishContainerDefaults<TKitWaveList>(published, false); }

TKitWaveList::TKitWaveList(TComponent* AOwner)
    : TKitCustomContainer(AOwner, TKitWaveListItem::StaticClass(), ckWaveList) {}

TKitWaveListItem* TKitWaveList::GetItemAt(Integer Index) const {
  return static_cast<TKitWaveListItem*>(GetItem(Index));
}
