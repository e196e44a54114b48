#include "controlkit/kit_glyph.h"

#include "controlkit/kit_button_faces.h"
#include "controlkit/kit_draw.h"

namespace {

std::unique_ptr<TKitGlyphCache>& CacheSlot() {
  static std::unique_ptr<TKitGlyphCache> cache;
  return cache;
}
Integer& GlyphCount() {
  static Integer count = 0;
  return count;
}

}  // namespace

TKitGlyphCache* KitGlyphCache() { return CacheSlot().get(); }

// ---- strips ---------------------------------------------------------------------------------

TKitGlyphList::TKitGlyphList(Integer Width, Integer Height) : width_(Width), height_(Height) {
  strip_.SetPixelFormat(pf24bit);
  strip_.SetSize(0, Height);
}

Integer TKitGlyphList::Add(TBitmap* Image) {
  Integer index = 0;
  while (index < static_cast<Integer>(used_.size()) && used_[index]) ++index;
  if (index == static_cast<Integer>(used_.size())) {
    used_.push_back(false);
    if (strip_.Width() < (index + 1) * width_) strip_.SetSize((index + 1) * width_, height_);
  }
  used_[index] = true;
  ++count_;
  strip_.Canvas()->CopyRect(SlotRect(index), Image->Canvas(), Rect(0, 0, width_, height_));
  return index;
}

void TKitGlyphList::Delete(Integer Index) {
  if (!Used(Index)) return;
  used_[Index] = false;
  --count_;
}

TKitGlyphList* TKitGlyphCache::GetList(Integer Width, Integer Height) {
  for (auto& l : lists_)
    if (l->Width() == Width && l->Height() == Height) return l.get();
  lists_.push_back(std::make_unique<TKitGlyphList>(Width, Height));
  return lists_.back().get();
}

void TKitGlyphCache::ReturnList(TKitGlyphList* List) {
  if (!List || List->Count() > 0) return;
  for (auto it = lists_.begin(); it != lists_.end(); ++it) {
    if (it->get() == List) {
      lists_.erase(it);
      return;
    }
  }
}

// ---- TKitGlyph ------------------------------------------------------------------------------

const TClass& TKitGlyph::StaticClass() {
  static const TClass cls = TClass::Of<TKitGlyph>("TKitGlyph", TKitObject::StaticClass());
  return cls;
}

TKitGlyph::TKitGlyph() : glyph_(std::make_unique<TBitmap>()) {
  indexes_.fill(-1);
  if (!CacheSlot()) CacheSlot() = std::make_unique<TKitGlyphCache>();
  ++GlyphCount();
}

TKitGlyph::~TKitGlyph() {
  Invalidate();
  if (--GlyphCount() == 0 && CacheSlot() && CacheSlot()->Empty()) CacheSlot().reset();
}

void TKitGlyph::Invalidate() {
  if (list_) {
    for (Integer& i : indexes_) {
      if (i >= 0) list_->Delete(i);
      i = -1;
    }
    if (CacheSlot()) CacheSlot()->ReturnList(list_);
  }
  indexes_.fill(-1);
  list_ = nullptr;
}

void TKitGlyph::SetGlyph(TBitmap* Value) {
  Invalidate();
  if (Value && !Value->Empty()) {
    glyph_->Assign(Value);
    const Integer w = Value->Width(), h = Value->Height();
    if (h > 0 && w % h == 0) {
      const Integer n = w / h;
      numGlyphs_ = static_cast<Byte>(n < 6 ? n : 1);
    }
    glyph_->SetTransparentColor(glyph_->TransparentColor());
  } else {
    glyph_ = std::make_unique<TBitmap>();
  }
  Change();
}

void TKitGlyph::SetNumGlyphs(Byte Value) {
  if (Value == 0 || Value > 5 || Value == numGlyphs_) return;
  Invalidate();
  numGlyphs_ = Value;
  Change();
}

void TKitGlyph::SetGlyphStyle(Byte Value) {
  if (Value == glyphStyle_) return;
  Invalidate();
  glyphStyle_ = Value;
  Change();
}

Integer TKitGlyph::ImageWidth() const { return glyph_->Empty() ? 0 : glyph_->Width() / numGlyphs_; }
Integer TKitGlyph::ImageHeight() const { return glyph_->Empty() ? 0 : glyph_->Height(); }

bool TKitGlyph::StateImage(Byte State, TBitmap*& Strip, TRect& R) {
  const Integer w = ImageWidth(), h = ImageHeight();
  if (w <= 0 || h <= 0 || State >= indexes_.size()) return false;
  if (!CacheSlot()) CacheSlot() = std::make_unique<TKitGlyphCache>();
  if (!list_) list_ = CacheSlot()->GetList(w, h);
  if (indexes_[State] < 0) {
    // The bitmap holds Up, Disabled, Hot, Down, Held side by side (as many as NumGlyphs).
    Byte source = State;
    if (State == kKitBtnDroppedDown) source = kKitBtnHot;
    if (State == kKitBtnDisabledDown) source = kKitBtnDisabled;
    TBitmap image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(w, h);
    const bool disabled = source == kKitBtnDisabled;
    // Grey until hot: Up is always the greyed first image, whatever else the strip holds.
    const bool greyed = glyphStyle_ == 1 && source == kKitBtnUp;
    if (source < numGlyphs_ && !greyed) {
      image.Canvas()->CopyRect(Rect(0, 0, w, h), glyph_->Canvas(), Rect(source * w, 0, (source + 1) * w, h));
    } else {
      TBitmap first;
      first.SetPixelFormat(pf24bit);
      first.SetSize(w, h);
      first.Canvas()->CopyRect(Rect(0, 0, w, h), glyph_->Canvas(), Rect(0, 0, w, h));
      first.SetTransparentColor(glyph_->TransparentColor());
      if (disabled)
        DrawEmbossedBitmap(&image, &first, 0, 0);
      else if (greyed)
        MakeDisabledBitmap(&image, &first);
      else
        image.Canvas()->CopyRect(Rect(0, 0, w, h), first.Canvas(), Rect(0, 0, w, h));
    }
    indexes_[State] = list_->Add(&image);
  }
  Strip = list_->Strip();
  R = list_->SlotRect(indexes_[State]);
  return true;
}
