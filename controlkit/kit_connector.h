#pragma once
// TKitImageListConnector: the kit's image-list interface over standard image lists, so
// that kit controls take glyphs from a standard list as from a kit one. Each entry of
// ImageLists names one standard list; the list index of the interface is the entry's
// index. A standard list that is freed is cleared from every entry that refers to it.
#include <memory>
#include <string>

#include "controlkit/kit_image_list.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/std_imagelist.h"

class TKitImageListConnector;

class TKitBorImageListItem : public TCollectionItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitBorImageListItem(TCollection* Collection);
  ~TKitBorImageListItem() override;

  void Assign(TPersistent* Source) override;

  TCustomImageList* ImageList() const { return imageList_; }
  // Links the connector to the list (change link, free notification).
  void SetImageList(TCustomImageList* Value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value);
  std::string DisplayName() const override;

 private:
  friend class TKitImageListConnector;
  // Drops the reference to a list that is being freed, without calling into it.
  void ForgetImageList();

  TKitImageListConnector* Connector() const;

  TCustomImageList* imageList_ = nullptr;
  std::string name_;
  std::unique_ptr<TChangeLink> link_;
};

class TKitImageListConnector : public TKitCustomImageList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitImageListConnector(TComponent* AOwner);
  ~TKitImageListConnector() override;

  TCollection* ImageLists() const { return imageLists_.get(); }
  void SetImageLists(TCollection* Value);
  // The standard list of entry `ListIndex`; null when out of range or unset.
  TCustomImageList* ListAt(Integer ListIndex) const;

  // The number of entries.
  Integer Count() const override;
  bool IsEmpty() const override { return Count() == 0; }

  // No strip canvas of its own.
  TCanvas* GetCanvas(Integer ListIndex) override;
  bool GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) override;
  Integer GetSize(Integer ListIndex, Integer Which) override;
  Integer ImageCount(Integer ListIndex) override;
  bool GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) override;
  bool IsMasked(Integer ListIndex) override;
  win::HPALETTE GetPalette(Integer ListIndex) override;
  TColor GetTransparentColor(Integer ListIndex, Integer ImageIndex) override;
  TColor GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) override;
  // Drawn by the standard list itself. (DrawClipped goes through a copy of the image.)
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::unique_ptr<TCollection> imageLists_;
};
