#pragma once
// The resource tree of a PE image: types, names, languages. Names are looked up as
// written ("PACKAGEINFO", without regard to case) or as "#<id>" for integer ids.
#include <memory>
#include <span>
#include <string>

#include "debuginfo/pe_directories.h"
#include "debuginfo/pe_image.h"

inline constexpr const char* DbgResTypeRcData = "#10";
inline constexpr const char* DbgResTypeVersion = "#16";

class TDbgPeResourceList;

class TDbgPeResourceItem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgPeResourceItem(TDbgPeImage* image, TDbgPeResourceItem* parent, TDbgPeResourceNode node);
  ~TDbgPeResourceItem() override;

  bool IsNamed() const { return named_; }
  Word Id() const { return id_; }
  // The name, or "#<id>".
  std::string ResourceName() const;
  bool IsDirectory() const { return list_ != nullptr; }
  // 0 for a type, 1 for a name, 2 for a language.
  Integer Level() const;
  TDbgPeResourceItem* ParentItem() const { return parent_; }

  // The entries below a directory; raises EDbgPeImageError "Not a resource directory"
  // for a data entry.
  TDbgPeResourceList& List() const;

  Cardinal DataRva() const { return dataRva_; }
  Cardinal DataSize() const { return dataSize_; }
  Cardinal CodePage() const { return codePage_; }
  // A data entry's bytes; raises "This is not a PE format" when they are not in the file.
  std::span<const std::uint8_t> RawData() const;

 private:
  TDbgPeImage* image_;
  TDbgPeResourceItem* parent_;
  bool named_;
  std::string name_;
  Word id_;
  std::unique_ptr<TDbgPeResourceList> list_;
  Cardinal dataRva_ = 0, dataSize_ = 0, codePage_ = 0;
};

class TDbgPeResourceList : public TDbgPeImageBaseList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgPeResourceList(TDbgPeImage* image, TDbgPeResourceItem* parent);

  TDbgPeResourceItem* Items(Integer index) const { return static_cast<TDbgPeResourceItem*>(Get(index)); }
  TDbgPeResourceItem* ParentItem() const { return parent_; }
  // The entry named `name` ("#<id>" for an id), or nullptr.
  TDbgPeResourceItem* FindName(const std::string& name) const;

  void Fill(std::vector<TDbgPeResourceNode> children);

 private:
  TDbgPeResourceItem* parent_;
};

class TDbgPeRootResourceList : public TDbgPeResourceList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgPeRootResourceList(TDbgPeImage* image) : TDbgPeResourceList(image, nullptr) {}

  void Fill(TDbgPeResourceNode root) { TDbgPeResourceList::Fill(std::move(root.Children)); }

  // The first language's data entry of resource `name` of type `type`, or nullptr.
  TDbgPeResourceItem* FindResource(const std::string& type, const std::string& name) const;
  // The first resource of type `type` (first name, first language), or nullptr.
  TDbgPeResourceItem* FindFirstResource(const std::string& type) const;
};
