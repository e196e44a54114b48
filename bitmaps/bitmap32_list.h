#pragma once
// TBitmap32List: a component that keeps a list of bitmaps in a form file, each with
// its pixels ("Bitmaps = < item Bitmap.Data = {...} end >").
#include <memory>

#include "bitmaps/bitmap32.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/component.h"

class TBitmap32Item : public TCollectionItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TBitmap32Item(TCollection* ACollection);
  ~TBitmap32Item() override;

  // A change of the bitmap is a change of the item (its collection's Update).
  TBitmap32* Bitmap() const { return bitmap_.get(); }
  // Assigns.
  void SetBitmap(TBitmap32* value);

  // From another item: its bitmap.
  void Assign(TPersistent* Source) override;

 private:
  std::unique_ptr<TBitmap32> bitmap_;
};

class TBitmap32Collection : public TOwnedCollection {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TBitmap32Collection(TPersistent* AOwner, const TClass& ItemClass);

  TBitmap32Item* Add() { return static_cast<TBitmap32Item*>(TCollection::Add()); }
  // Raises EListError "List index out of bounds (%d)".
  TBitmap32Item* Items(int Index) const { return static_cast<TBitmap32Item*>(TCollection::Items(Index)); }
};

class TBitmap32List : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TBitmap32List(TComponent* AOwner);
  ~TBitmap32List() override;

  TBitmap32Collection* Bitmaps() const { return bitmaps_.get(); }
  // Copies the given collection's items.
  void SetBitmaps(TBitmap32Collection* value);

 private:
  std::unique_ptr<TBitmap32Collection> bitmaps_;
};
