#pragma once
// TKitContainer: a component holding one list of each kind (images, bitmaps, waves,
// strings). One module-wide container exists from load on; controls and property objects
// name its image and bitmap lists in form files by their signatures. In design mode a
// container that changes pushes its lists into the module-wide one.
//
// Container files: LoadItemFromFile and LoadBitmapFromFile read one item of a file
// written by TKitCustomContainer::SaveToFile.
#include <string>

#include "controlkit/kit_image_list.h"
#include "controlkit/kit_items.h"

class TKitContainer : public TKitCustomComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitContainer(TComponent* AOwner);
  ~TKitContainer() override;

  void Assign(TPersistent* Source) override;

  TKitImageList* ImageList() const { return imageList_; }
  void SetImageList(TKitImageList* Value);
  TKitBitmapList* BitmapList() const { return bitmapList_; }
  void SetBitmapList(TKitBitmapList* Value);
  TKitWaveList* WaveList() const { return waveList_; }
  void SetWaveList(TKitWaveList* Value);
  TKitStringList* StringList() const { return stringList_; }
  void SetStringList(TKitStringList* Value);

  // In design mode, also copies the lists into the module-wide container.
  void Change() override;
  // "ImageList", "BitmapList", "WaveList", "StringList": each non-empty list as a
  // container stream without index.
  void DefineProperties(TFiler* Filer) override;

 private:
  void ListChanged(TObject* Sender);

  // Owned sub-components, not stored as separate components.
  TKitImageList* imageList_;
  TKitBitmapList* bitmapList_;
  TKitWaveList* waveList_;
  TKitStringList* stringList_;
};

// The module-wide container (made on first use, kept until the module goes).
TKitContainer* KitContainer();

// The signature that names `List` in form files: "KITIML30" or "KITBML30" when it is the
// module-wide container's image or bitmap list, "" otherwise.
std::string KitSharedListSignature(const TKitCustomImageList* List);
// The module-wide list a signature names; null for any other text.
TKitCustomImageList* KitSharedListOf(const std::string& Signature);

// Opens a container file, checks that it is of `ExpectedKind` (else Exception "Cannot
// open file %s: <file>"), then loads the whole file into `List` when one is given, and
// item number `Index` into `Item` when one is given (an index outside the file raises
// EReadError). Each of them changes only when its own read succeeds.
void LoadItemFromFile(const std::string& FileName, TKitContainerKind ExpectedKind, TKitCustomContainer* List,
                      TKitListItem* Item, Integer Index);
// Item `Index` of a bitmap-list file into `Bitmap`.
void LoadBitmapFromFile(const std::string& FileName, Integer Index, TBitmap* Bitmap);

// Registers the container, list and item classes with the class registry, for form files.
void RegisterKitContainerClasses();
