#pragma once
// TKitCustomMMButton: a button of the kit's button family whose face is a picture per state
// taken from an image list; the mouse only hits the picture's non-transparent pixels.
//
// The stored face indices come in three layouts (two old ones read only); every reader
// checks the block's size exactly before it takes anything, so a damaged form leaves the
// button's entries as they were.
#include <array>
#include <memory>

#include "controlkit/kit_change_link.h"
#include "controlkit/kit_draw.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_speed_button.h"
#include "platform/classlib/streams.h"

inline constexpr Integer kKitFaceStates = 8;

struct TKitFaceEntry {
  Integer ListIndex = 0;
  Integer ImageIndex = 0;
  friend bool operator==(const TKitFaceEntry&, const TKitFaceEntry&) = default;
};
using TKitFaceEntries = std::array<TKitFaceEntry, kKitFaceStates>;

// The three stored layouts, 4-byte little-endian values. Each raises EReadError unless the
// stream's remaining bytes are exactly the layout's size; `entries` is changed only on
// success.
// Oldest: 56 bytes, (list, image) pairs of states 0..6.
void KitReadFaceIndicesOld(TStream& stream, TKitFaceEntries& entries);
// 14 values: the list indexes of states 0..6, then their image indexes.
void KitReadFaceIndicesNew(TStream& stream, TKitFaceEntries& entries);
// 8 image indexes (states 0..7), then 8 list indexes in the order of states 7 down to 0.
void KitReadFaceIndicesNew2(TStream& stream, TKitFaceEntries& entries);
void KitWriteFaceIndicesNew2(TStream& stream, const TKitFaceEntries& entries);
// 4 bytes: a colour.
TColor KitReadFaceColor(TStream& stream);

class TKitCustomMMButton : public TKitBaseGraphicButton {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomMMButton(TComponent* AOwner);
  ~TKitCustomMMButton() override;

  TKitCustomImageList* ButtonFaceImageList() const { return faceList_; }
  void SetButtonFaceImageList(TKitCustomImageList* value);
  // Whether the face list is written as a reference ("ButtonFace"), not as a shared list's
  // signature (the string "ButtonFace").
  bool ButtonFaceStored() const;
  const TKitFaceEntries& FaceEntries() const { return entries_; }
  void SetFaceEntry(Integer state, Integer listIndex, Integer imageIndex);
  TColor FaceTransparentColor() const { return transColor_; }
  void SetFaceTransparentColor(TColor value);
  Integer CaptionDown() const { return captionDown_; }
  void SetCaptionDown(Integer value) { captionDown_ = value; }
  bool ForceTransparent() const { return forceTransparent_; }
  void SetForceTransparent(bool value);
  bool QuickDraw() const { return quickDraw_; }
  void SetQuickDraw(bool value);
  TKitBitmapStyle ButtonFaceStyle() const { return faceStyle_; }
  void SetButtonFaceStyle(TKitBitmapStyle value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool AllowMouseOver() const { return allowMouseOver_; }
  void SetAllowMouseOver(bool value) { allowMouseOver_ = value; }
  bool AllowTransparency() const { return allowTransparency_; }
  void SetAllowTransparency(bool value) { allowTransparency_ = value; }

  // Where the current state's face lies in the client area (empty without one).
  TRect FaceRect();
  // Inside the face and on a pixel that is not the transparent colour; false without a
  // face image list.
  bool IsInside(Integer X, Integer Y) override;
  void DefineProperties(TFiler* filer) override;

 protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool HotLookDiffers() override { return true; }

 private:
  bool FaceImage(Integer& list, Integer& image);

  TKitCustomImageList* faceList_ = nullptr;
  std::unique_ptr<TKitChangeLink> faceLink_;
  TKitFaceEntries entries_{};
  TColor transColor_ = clWhite;
  Integer captionDown_ = 1;
  bool forceTransparent_ = true;
  bool quickDraw_ = false;
  TKitBitmapStyle faceStyle_ = sbNone;
  bool transparent_ = false;
  bool allowMouseOver_ = false;
  bool allowTransparency_ = true;
};

// The face styles by name (form files).
const TEnumInfo& KitBitmapStyleInfo();
// Registers TKitMMButton with the class registry (for form files).
void RegisterKitMMButtonClasses();

class TKitMMButton : public TKitCustomMMButton {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);
  explicit TKitMMButton(TComponent* AOwner) : TKitCustomMMButton(AOwner) {}
};
