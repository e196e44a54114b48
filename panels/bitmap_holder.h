#pragma once
// A component holding one background bitmap that several panels share. Each panel keeps
// a link registered with the holder; a change of the bitmap fires every link's OnChange.
#include <memory>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/component.h"
#include "platform/win/handles.h"

class TFpBitmapHolder;

class TFpLinkChange : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TFpLinkChange() = default;
  // Leaves the holder it is registered with.
  ~TFpLinkChange() override;

  // The holder the link is registered with, or none.
  TFpBitmapHolder* Sender() const { return sender_; }
  void SetSender(TFpBitmapHolder* value) { sender_ = value; }

  // Fires OnChange(Self).
  virtual void Change();

  TNotifyEvent OnChange;

 private:
  TFpBitmapHolder* sender_ = nullptr;
};

class TFpBitmapHolder : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TFpBitmapHolder(TComponent* AOwner);
  // Unregisters every link, last first, then frees the bitmap.
  ~TFpBitmapHolder() override;

  TBitmap* Bitmap() const { return bitmap_.get(); }
  // Assigns the picture; the links are told through the bitmap's change.
  void SetBitmap(TBitmap* value);

  void RegisterChanges(TFpLinkChange* Link);
  void UnRegisterChanges(TFpLinkChange* Link);
  int LinkCount() const { return static_cast<int>(links_.size()); }

  bool IsEmpty() const;
  // Copies of the bitmap side by side and row by row from Rect's top-left corner,
  // the last ones cut at Rect's right and bottom edges.
  void TileBitmap(const TRect& Rect, win::HDC DC);

 private:
  void BitmapChanged();

  std::unique_ptr<TBitmap> bitmap_;
  std::vector<TFpLinkChange*> links_;
};

// The tiling of TFpBitmapHolder::TileBitmap for any bitmap; nothing for an empty one.
void TileBitmapOn(TBitmap* bitmap, const TRect& Rect, win::HDC DC);
