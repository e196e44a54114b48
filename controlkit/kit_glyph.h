#pragma once
// TKitGlyph: a button's glyph bitmap and the images made from it for each button state.
// The state images live in strips of one process-wide cache (one strip per image size),
// so buttons with glyphs of the same size share one bitmap.
#include <array>
#include <memory>
#include <vector>

#include "controlkit/kit_object.h"
#include "platform/classlib/bitmap.h"

// A strip of equal images side by side, with a bit set of the slots in use.
class TKitGlyphList {
 public:
  TKitGlyphList(Integer Width, Integer Height);
  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  Integer Count() const { return count_; }
  // Copies the image into the first free slot and returns its index.
  Integer Add(TBitmap* Image);
  // Frees the slot (nothing for a slot not in use).
  void Delete(Integer Index);
  bool Used(Integer Index) const { return Index >= 0 && Index < static_cast<Integer>(used_.size()) && used_[Index]; }
  TBitmap* Strip() { return &strip_; }
  // The slot's rectangle on the strip.
  TRect SlotRect(Integer Index) const { return Rect(Index * width_, 0, (Index + 1) * width_, height_); }

 private:
  Integer width_, height_;
  Integer count_ = 0;
  std::vector<bool> used_;
  TBitmap strip_;
};

// The process-wide strips. Made by the first glyph; freed with the last glyph once empty.
class TKitGlyphCache {
 public:
  // The strip of that size, made when there is none.
  TKitGlyphList* GetList(Integer Width, Integer Height);
  // Frees the strip when it has no used slot left.
  void ReturnList(TKitGlyphList* List);
  bool Empty() const { return lists_.empty(); }
  Integer ListCount() const { return static_cast<Integer>(lists_.size()); }

 private:
  std::vector<std::unique_ptr<TKitGlyphList>> lists_;
};

// The cache while any glyph exists (null otherwise).
TKitGlyphCache* KitGlyphCache();

class TKitGlyph : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TKitGlyph();
  ~TKitGlyph() override;

  TBitmap* Glyph() const { return glyph_.get(); }
  // Copies the bitmap; a width that is a whole multiple of the height sets NumGlyphs to
  // width / height when below 6, else 1. Empties the state images and fires OnChange.
  void SetGlyph(TBitmap* Value);
  Byte NumGlyphs() const { return numGlyphs_; }
  // 1..5; 0 and larger values are ignored.
  void SetNumGlyphs(Byte Value);
  // 0 normal, 1 grey until hot.
  Byte GlyphStyle() const { return glyphStyle_; }
  void SetGlyphStyle(Byte Value);

  // The image for a button state (kKitBtn...): its strip and slot rectangle. False when
  // there is no glyph. A missing image is made from the first one (disabled states
  // embossed; glyph style 1 greyed except in Hot, Down, Held and DroppedDown).
  bool StateImage(Byte State, TBitmap*& Strip, TRect& R);
  Integer ImageWidth() const;
  Integer ImageHeight() const;

 private:
  void Invalidate();

  std::unique_ptr<TBitmap> glyph_;
  Byte numGlyphs_ = 1;
  Byte glyphStyle_ = 0;
  std::array<Integer, 8> indexes_;
  TKitGlyphList* list_ = nullptr;
};
