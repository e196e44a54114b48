#include "debuginfo/pe_resource_list.h"

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"
#include "platform/classlib/sysutils.h"

const TClass& TDbgPeResourceItem::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeResourceItem>("TDbgPeResourceItem", TObject::StaticClass());
  return cls;
}

TDbgPeResourceItem::TDbgPeResourceItem(TDbgPeImage* image, TDbgPeResourceItem* parent, TDbgPeResourceNode node)
    : image_(image), parent_(parent), named_(node.IsNamed), name_(std::move(node.Name)), id_(node.Id) {
  if (node.IsDirectory) {
    list_ = std::make_unique<TDbgPeResourceList>(image, this);
    list_->Fill(std::move(node.Children));
  } else {
    dataRva_ = node.DataRva;
    dataSize_ = node.DataSize;
    codePage_ = node.CodePage;
  }
}

TDbgPeResourceItem::~TDbgPeResourceItem() = default;

std::string TDbgPeResourceItem::ResourceName() const { return named_ ? name_ : "#" + IntToStr(id_); }

Integer TDbgPeResourceItem::Level() const {
  Integer level = 0;
  for (const TDbgPeResourceItem* p = parent_; p; p = p->parent_) ++level;
  return level;
}

TDbgPeResourceList& TDbgPeResourceItem::List() const {
  if (!list_) dbg::RaisePeError(dbg::RsNotResDirectory);
  return *list_;
}

std::span<const std::uint8_t> TDbgPeResourceItem::RawData() const {
  if (list_) dbg::RaisePeError(dbg::RsNotResDirectory);
  return image_->RvaToData(dataRva_, dataSize_);
}

const TClass& TDbgPeResourceList::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeResourceList>("TDbgPeResourceList", TDbgPeImageBaseList::StaticClass());
  return cls;
}

TDbgPeResourceList::TDbgPeResourceList(TDbgPeImage* image, TDbgPeResourceItem* parent)
    : TDbgPeImageBaseList(image), parent_(parent) {}

void TDbgPeResourceList::Fill(std::vector<TDbgPeResourceNode> children) {
  Clear();
  for (auto& child : children) Add(new TDbgPeResourceItem(Image(), parent_, std::move(child)));
}

TDbgPeResourceItem* TDbgPeResourceList::FindName(const std::string& name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (SameText(Items(i)->ResourceName(), name)) return Items(i);
  return nullptr;
}

const TClass& TDbgPeRootResourceList::StaticClass() {
  static const TClass cls =
      TClass::Of<TDbgPeRootResourceList>("TDbgPeRootResourceList", TDbgPeResourceList::StaticClass());
  return cls;
}

namespace {

// The first data entry below a name-level directory.
TDbgPeResourceItem* FirstLanguage(TDbgPeResourceItem* nameItem) {
  TDbgPeResourceList& languages = nameItem->List();
  return languages.Count() > 0 ? languages.Items(0) : nullptr;
}

}  // namespace

TDbgPeResourceItem* TDbgPeRootResourceList::FindResource(const std::string& type, const std::string& name) const {
  TDbgPeResourceItem* typeItem = FindName(type);
  if (!typeItem) return nullptr;
  TDbgPeResourceItem* nameItem = typeItem->List().FindName(name);
  return nameItem ? FirstLanguage(nameItem) : nullptr;
}

TDbgPeResourceItem* TDbgPeRootResourceList::FindFirstResource(const std::string& type) const {
  TDbgPeResourceItem* typeItem = FindName(type);
  if (!typeItem || typeItem->List().Count() == 0) return nullptr;
  return FirstLanguage(typeItem->List().Items(0));
}
