#pragma once
// Containers and their items: a container component keeps a list of item components
// (strings, a bitmap, a strip of images, a wave), each of which stores its payload in the
// form as one binary property "Internal" (see kit_internal_format.h for the layout).
//
// Items are written as children of their container in form files; when the form reader
// reads one it joins the container it is nested in. A container frees its items when it
// goes; an item that goes leaves its container. Every change of an item or of the list
// ends in the container's Change, which tells its change links and OnChange.
//
// Reading is all or nothing: an item or container that fails to read a stream raises and
// keeps everything it had.
#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_change_link.h"
#include "controlkit/kit_general.h"
#include "controlkit/kit_internal_format.h"
#include "controlkit/kit_wave.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/strings.h"

class TKitCustomContainer;

// spfDefault, spfMono, spf4bit, spf8bit.
const TEnumInfo& KitSavePixelFormatInfo();

// The "Internal" item: description, ident and a payload.
class TKitListItem : public TKitCustomComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitListItem(TComponent* AOwner);
  // Leaves its container.
  ~TKitListItem() override;

  // At most 255 characters: a longer text is cut to its first 255.
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& Value);
  Word Ident() const { return ident_; }
  void SetIdent(Word Value);
  bool Compressed() const { return compressed_ != 0; }
  void SetCompressed(bool Value);

  // Empties the payload.
  virtual void Clear() = 0;
  virtual bool IsEmpty() const = 0;
  // The "Internal" reader and writer.
  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) = 0;
  // The header's flag byte for the item as it is now.
  virtual Byte GetFlags() const;

  TKitCustomContainer* Container() const { return container_; }
  // Position in the container; -1 without one.
  Integer Index() const;

  // Also tells the container.
  void Change() override;
  void DefineProperties(TFiler* Filer) override;

  // Form files nest items in their container.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  // Stores what a header read; no Change.
  void TakeHeader(const TKitItemHeader& Header);
  // Copies description, ident and the compressed switch of another item.
  void AssignHeader(const TKitListItem& Source);
  // Writes the header of the item as it is now; returns its flags.
  Byte WriteHeader(TStream& Stream) const;

 private:
  friend class TKitCustomContainer;
  std::string description_;
  Word ident_ = 0;
  Byte compressed_ = 0;
  TKitCustomContainer* container_ = nullptr;
};

// Lines of text.
class TKitStringListItem : public TKitListItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitStringListItem(TComponent* AOwner);
  ~TKitStringListItem() override;

  void Assign(TPersistent* Source) override;

  TStringList* Items() const { return items_.get(); }
  TStringList* GetItems() const { return items_.get(); }
  void SetItems(TStrings* Value);

  void Clear() override;
  bool IsEmpty() const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  Byte GetFlags() const override;

 private:
  std::unique_ptr<TStringList> items_;
};

// One bitmap, saved in its own format or at 1, 4 or 8 bits.
class TKitBitmapListItem : public TKitListItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitBitmapListItem(TComponent* AOwner);
  ~TKitBitmapListItem() override;

  void Assign(TPersistent* Source) override;

  // Loads the bitmap from the container's storage first when it has none (see
  // TKitCustomContainer::StorageKind).
  TBitmap* Bitmap() const;
  void SetBitmap(TBitmap* Value);
  TKitSavePixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TKitSavePixelFormat Value);

  void Clear() override;
  bool IsEmpty() const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  Byte GetFlags() const override;

 private:
  void LoadFromStorage();
  std::unique_ptr<TBitmap> bitmap_;
  TKitSavePixelFormat pixelFormat_ = spfDefault;
  // The container's StorageEpoch at the last load attempt.
  Integer storageTried_ = -1;
};

// One wave sound.
class TKitWaveListItem : public TKitListItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitWaveListItem(TComponent* AOwner);
  ~TKitWaveListItem() override;

  void Assign(TPersistent* Source) override;

  TKitWave* Wave() const { return wave_.get(); }
  void SetWave(TKitWave* Value);

  void Clear() override;
  bool IsEmpty() const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  Byte GetFlags() const override;

 private:
  std::unique_ptr<TKitWave> wave_;
};

// ---- containers ------------------------------------------------------------------------------

class TKitCustomContainer : public TKitBaseContainer {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Registers the item class with the class registry.
  TKitCustomContainer(TComponent* AOwner, const TClass& ItemClass, TKitContainerKind Kind);
  // Frees every item.
  ~TKitCustomContainer() override;

  // Same class only: copies the defaults and re-creates every item from the source's,
  // with one Change. Another source raises EConvertError.
  void Assign(TPersistent* Source) override;

  virtual Integer Count() const { return static_cast<Integer>(items_.size()); }
  virtual bool IsEmpty() const { return items_.empty(); }
  // Raises EListError "List index out of bounds (%d)" outside the list.
  virtual TKitListItem* GetItem(Integer Index) const;
  Integer IndexOf(const TKitListItem* Item) const;

  // Appends the item (taken out of any other container), or a new item of the item class
  // owned by the container when none is given; then Change. Returns the new index. An
  // item of another class raises EInvalidOperation.
  Integer Add(TKitListItem* Item = nullptr);
  // Frees the item at Index; then Change.
  void Delete(Integer Index);
  // Frees every item; then Change.
  void Clear();

  // The container stream: a 4-byte count, with WriteIndex (and items) a table of the
  // items' absolute positions, then every item's "Internal" data.
  virtual void SaveToStream(TStream& Stream, bool WriteIndex);
  // Replaces the items by those of a container stream, with one Change; SkipIndex passes
  // over the position table. A bad stream raises and the list keeps its items.
  virtual void LoadFromStream(TStream& Stream, bool SkipIndex);
  // A container file: the kind's signature, then the stream with its index.
  void SaveToFile(const std::string& FileName);
  // Raises Exception "Cannot open file %s: <file>" for a file of another kind.
  void LoadFromFile(const std::string& FileName);

  const TClass& ItemClass() const { return itemClass_; }
  TKitContainerKind ListKind() const { return kind_; }
  bool DefaultCompressed() const { return defaultCompressed_; }
  void SetDefaultCompressed(bool Value);
  // Where the bitmap items of a bitmap list that hold no bitmap load one from, on first
  // use (not while designing or loading): 0 nowhere (the form holds them), 1 item Ident
  // of the container file StorageFileName in StorageDirectory, 2 the module's bitmap
  // resource Ident, 3 nowhere, 4 the file StorageDirectory + the first three characters
  // of StorageFileName + Ident + ".bmp". Kinds above 4 are ignored. A source that is
  // missing or bad leaves the item empty; a change of these settings lets it try again.
  TKitPathPrefix StorageDirectory() const { return storageDirectory_; }
  void SetStorageDirectory(TKitPathPrefix Value);
  Byte StorageKind() const { return storageKind_; }
  void SetStorageKind(Byte Value);
  const std::string& StorageFileName() const { return storageFileName_; }
  void SetStorageFileName(const std::string& Value);
  // Counts the changes of the three settings above.
  Integer StorageEpoch() const { return storageEpoch_; }

  // Image and bitmap lists only.
  TKitSavePixelFormat DefaultPixelFormat() const { return defaultPixelFormat_; }
  void SetDefaultPixelFormat(TKitSavePixelFormat Value);

  // The items, for the form writer.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  // A new item of the item class, not yet in the list.
  TKitListItem* NewItem(TComponent* Owner) const;
  // Takes the items in place of the current ones (freed), with one Change.
  void ReplaceItems(std::vector<std::unique_ptr<TKitListItem>> Items);

 private:
  friend class TKitListItem;
  void Adopt(TKitListItem* Item);
  void Detach(TKitListItem* Item);
  // Frees every item, telling nobody.
  void FreeItems();

  bool defaultCompressed_ = false;
  std::vector<TKitListItem*> items_;
  TKitPathPrefix storageDirectory_ = ppProgram;
  Byte storageKind_ = 0;
  std::string storageFileName_;
  Integer storageEpoch_ = 0;
  const TClass& itemClass_;
  TKitContainerKind kind_;
  TKitSavePixelFormat defaultPixelFormat_ = spfDefault;
};

// The published defaults of a container class L: DefaultCompressed, then (image and bitmap
// lists) DefaultPixelFormat.
template <class L>
void KitPublishContainerDefaults(TPublished& published, bool WithPixelFormat) {
  auto p = published.For<L>();
  p.Boolean("DefaultCompressed", &L::DefaultCompressed, &L::SetDefaultCompressed).Default(false);
  p.Enum("StorageDirectory", KitPathPrefixInfo(), &L::StorageDirectory, &L::SetStorageDirectory).Default(ppProgram);
  p.Integer("StorageKind", &L::StorageKind, &L::SetStorageKind).Default(0);
  p.String("StorageFileName", &L::StorageFileName, &L::SetStorageFileName);
  if (WithPixelFormat)
    p.Enum("DefaultPixelFormat", KitSavePixelFormatInfo(), &L::DefaultPixelFormat, &L::SetDefaultPixelFormat)
        .Default(spfDefault);
}

class TKitStringList : public TKitCustomContainer {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitStringList(TComponent* AOwner);

  TKitStringListItem* GetItemAt(Integer Index) const;
};

class TKitWaveList : public TKitCustomContainer {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitWaveList(TComponent* AOwner);

  TKitWaveListItem* GetItemAt(Integer Index) const;
};
