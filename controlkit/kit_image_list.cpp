#include "controlkit/kit_image_list.h"

#include <algorithm>

#include "controlkit/kit_draw.h"
#include "platform/classlib/records.h"

namespace {

TRect NoRect() { return Rect(0, 0, 0, 0); }

// A copy of the first `width` columns of `source`, in its pixel format.
void CopyColumns(TBitmap* source, Integer width, TBitmap& out) {
  out.Assign(source);
  out.SetSize(width, source->Height());
}

}  // namespace

// ---- TKitCustomImageList -------------------------------------------------------------------------

const TClass& TKitCustomImageList::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitCustomImageList>("TKitCustomImageList", TKitCustomContainer::StaticClass());
  return cls;
}

TKitCustomImageList::TKitCustomImageList(TComponent* AOwner, const TClass& ItemClass, TKitContainerKind Kind)
    : TKitCustomContainer(AOwner, ItemClass, Kind) {}

bool TKitCustomImageList::IsValidImage(Integer ListIndex, Integer ImageIndex) {
  const Integer count = ImageCount(ListIndex);
  return count >= 0 && ImageIndex >= 0 && ImageIndex < count;
}

void TKitCustomImageList::DrawState(TCanvas* Canvas, const TRect& R, TRect& Result, Integer ListIndex,
                                    Integer ImageIndex, Word Flags) {
  Result = Rect(R.left, R.top, R.left, R.top);
  TBitmap image;
  if (!Canvas || !GetBitmap(ListIndex, ImageIndex, &image)) return;
  DrawBitmapState(Canvas, R, &image, Result, GetTransparentColor(ListIndex, ImageIndex), Flags);
}

void TKitCustomImageList::DrawClipped(TCanvas* Canvas, const TRect& R, Integer ListIndex, Integer ImageIndex,
                                      Word Options, Word Flags) {
  TBitmap image;
  if (!Canvas || !GetBitmap(ListIndex, ImageIndex, &image)) return;
  DrawBitmapClipped(Canvas, R, image.Canvas(), nullptr, image.Palette(), GetTransparentColor(ListIndex, ImageIndex),
                    static_cast<Word>(Options | Flags), Rect(0, 0, image.Width(), image.Height()));
}

// ---- TKitImageListItem ---------------------------------------------------------------------------

const TClass& TKitImageListItem::StaticClass() {
  static const TClass cls = TClass::Of<TKitImageListItem>("TKitImageListItem", TKitListItem::StaticClass(),
                                                          &TKitImageListItem::Publish);
  return cls;
}

// The sizes and the mask switch travel inside "Internal" with the strip.
void TKitImageListItem::Publish(TPublished& published) {
  auto p = published.For<TKitImageListItem>();
  p.Integer("AllocBy", &TKitImageListItem::AllocBy, &TKitImageListItem::SetAllocBy).Stored(false);
  p.Integer("Height", &TKitImageListItem::Height, &TKitImageListItem::SetHeight).Stored(false);
  p.Integer("Width", &TKitImageListItem::Width, &TKitImageListItem::SetWidth).Stored(false);
  p.Boolean("Masked", &TKitImageListItem::Masked, &TKitImageListItem::SetMasked).Stored(false);
}

TKitImageListItem::TKitImageListItem(TComponent* AOwner)
    : TKitListItem(AOwner), strip_(std::make_unique<TBitmap>()), mask_(std::make_unique<TBitmap>()) {
  mask_->SetMonochrome(true);
}

TKitImageListItem::~TKitImageListItem() = default;

void TKitImageListItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitImageListItem*>(Source);
  if (!source) return TKitListItem::Assign(Source);
  if (source == this) return;
  const bool sizeDiffers = source->Width() != width_ || source->Height() != height_;
  // An item without images takes the source's size; one with images must match it.
  if (sizeDiffers && Count() > 0) throw EInvalidGraphicOperation("Invalid image size");
  TKitOneChange<TKitImageListItem> once(*this);
  {
    if (sizeDiffers) {
      width_ = source->Width();
      height_ = source->Height();
      Clear();
    }
    AssignHeader(*source);
    masked_ = source->Masked();
    allocBy_ = source->AllocBy();
    pixelFormat_ = source->PixelFormat();
    if (source->Count() > 0) {
      TBitmap image, mask;
      CopyColumns(source->Strip(), source->StripWidth(), image);
      CopyColumns(source->MaskStrip(), source->StripWidth(), mask);
      Add(&image, &mask);
    }
  }
}

void TKitImageListItem::SetAllocBy(Integer Value) { KitPut(*this, allocBy_, std::max(Value, 1)); }

void TKitImageListItem::SetHeight(Integer Value) {
  Value = std::max(Value, 1);
  if (Value == height_) return;
  height_ = Value;
  Clear();
}

void TKitImageListItem::SetWidth(Integer Value) {
  Value = std::clamp(Value, 1, kKitMaxStripWidth);
  if (Value == width_) return;
  width_ = Value;
  Clear();
}

void TKitImageListItem::SetMasked(bool Value) { KitPut(*this, masked_, Value); }
void TKitImageListItem::SetPixelFormat(TKitSavePixelFormat Value) { KitPut(*this, pixelFormat_, Value); }
void TKitImageListItem::SetBkColor(TColor Value) { KitPut(*this, bkColor_, Value); }
void TKitImageListItem::SetBlendColor(TColor Value) { KitPut(*this, blendColor_, Value); }
void TKitImageListItem::SetDrawingStyle(Byte Value) { KitPut(*this, drawingStyle_, std::min<Byte>(Value, 3)); }
void TKitImageListItem::SetImageType(Byte Value) { KitPut(*this, imageType_, std::min<Byte>(Value, 1)); }

Integer TKitImageListItem::ImageLeft(Integer Index) const {
  return ValidIndex(Index) ? entries_[static_cast<std::size_t>(Index)].Left : -1;
}

bool TKitImageListItem::ImageMasked(Integer Index) const {
  return ValidIndex(Index) && entries_[static_cast<std::size_t>(Index)].Masked;
}

TRect TKitImageListItem::ImageRect(Integer Index) const {
  if (!ValidIndex(Index)) return NoRect();
  const Integer left = ImageLeft(Index);
  return Rect(left, 0, left + width_, height_);
}

void TKitImageListItem::Grow(Integer Extra) {
  const Integer needed = stripWidth_ + Extra * width_;
  if (needed > kKitMaxStripWidth) throw EInvalidGraphicOperation("Too many images");
  Integer capacity = strip_->Width();
  if (capacity >= needed && strip_->Height() == height_) return;
  // Whole images only, never past the widest strip.
  const Integer limit = (kKitMaxStripWidth / width_) * width_;
  if (needed > limit) throw EInvalidGraphicOperation("Too many images");
  const Integer step = std::max(allocBy_, 1) * width_;
  while (capacity < needed) capacity = std::min(capacity + step, limit);
  strip_->SetSize(capacity, height_);
  mask_->SetSize(capacity, height_);
}

Integer TKitImageListItem::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty() || Image->Height() != height_ || Image->Width() % width_ != 0)
    throw EInvalidGraphicOperation("Invalid image size");
  if (Mask && (Mask->Width() != Image->Width() || Mask->Height() != Image->Height()))
    throw EInvalidGraphicOperation("Invalid image size");
  const Integer added = Image->Width() / width_;
  Grow(added);
  const Integer first = Count();
  const TRect source = Rect(0, 0, Image->Width(), height_);
  const TRect dest = Rect(stripWidth_, 0, stripWidth_ + Image->Width(), height_);
  strip_->Canvas()->CopyRect(dest, Image->Canvas(), source);
  if (Mask) {
    mask_->Canvas()->CopyRect(dest, Mask->Canvas(), source);
  } else {
    // No mask: every pixel opaque.
    FillSolidRect(mask_->Canvas(), dest, clBlack);
  }
  for (Integer i = 0; i < added; ++i)
    entries_.push_back(Entry{static_cast<Word>(stripWidth_ + i * width_), Mask != nullptr || masked_});
  stripWidth_ += Image->Width();
  Change();
  return first;
}

Integer TKitImageListItem::AddMasked(TBitmap* Image, TColor TransparentColor) {
  if (!Image || Image->Empty()) throw EInvalidGraphicOperation("Invalid image size");
  TBitmap image, mask;
  MakeMaskFromColor(Image, &image, &mask, TransparentColor);
  return Add(&image, &mask);
}

bool TKitImageListItem::GetImage(Integer Index, TBitmap* Bitmap) const {
  if (!Bitmap || !ValidIndex(Index)) return false;
  Bitmap->SetSize(width_, height_);
  Bitmap->Canvas()->CopyRect(Rect(0, 0, width_, height_), strip_->Canvas(), ImageRect(Index));
  return true;
}

void TKitImageListItem::DrawMaskedInto(TCanvas* Canvas, Integer X, Integer Y, Integer Index) {
  TRect covered;
  DrawBitmapExt(Canvas, Bounds(X, Y, width_, height_), strip_->Canvas(), ImageRect(Index), kKitDbMaskCanvas, clNone,
                nullptr, mask_->Canvas(), covered);
}

void TKitImageListItem::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index) {
  if (!Canvas || !ValidIndex(Index)) return;
  const TRect dest = Bounds(X, Y, width_, height_);
  if (!masked_ || imageType_ != 0) {
    TBitmap* source = (masked_ && imageType_ == 1) ? mask_.get() : strip_.get();
    Canvas->CopyRect(dest, source->Canvas(), ImageRect(Index));
    return;
  }
  const bool blend = drawingStyle_ <= 1 && blendColor_ != clNone;
  const bool composed = drawingStyle_ <= 1 || (drawingStyle_ == 2 && bkColor_ != clNone);
  if (!composed) {
    DrawMaskedInto(Canvas, X, Y, Index);
    return;
  }
  TBitmap work;
  work.SetSize(width_, height_);
  if (bkColor_ != clNone) {
    work.Canvas()->Brush()->SetColor(bkColor_);
    work.Canvas()->FillRect(Rect(0, 0, width_, height_));
  } else {
    // No background: what the canvas shows shines through.
    work.Canvas()->CopyRect(Rect(0, 0, width_, height_), Canvas, dest);
  }
  DrawMaskedInto(work.Canvas(), 0, 0, Index);
  if (blend) {
    TCanvas* c = work.Canvas();
    for (Integer y = 0; y < height_; ++y)
      for (Integer x = 0; x < width_; ++x) {
        // Selected: every other pixel; focused: all but one in four.
        const bool hit = drawingStyle_ == 1 ? ((x + y) & 1) != 0 : !((x & 1) && (y & 1));
        if (hit) c->SetPixels(x, y, blendColor_);
      }
  }
  Canvas->CopyRect(dest, work.Canvas(), Rect(0, 0, width_, height_));
}

void TKitImageListItem::Clear() {
  entries_.clear();
  stripWidth_ = 0;
  strip_->Assign(nullptr);
  mask_->Assign(nullptr);
  mask_->SetMonochrome(true);
  Change();
}

bool TKitImageListItem::IsEmpty() const { return entries_.empty(); }

Byte TKitImageListItem::GetFlags() const {
  return static_cast<Byte>(TKitListItem::GetFlags() | KitPixelFormatFlags(pixelFormat_));
}

void TKitImageListItem::SaveToStream(TStream& Stream) {
  const bool compressed = (WriteHeader(Stream) & kKitFlagCompressed) != 0;
  TRecordWriter writer(Stream);
  writer.I32(height_);
  writer.I32(width_);
  writer.I32(allocBy_);
  writer.Bool(masked_);
  writer.I32(Count());
  if (Count() == 0) return;
  TBitmap strip;
  CopyColumns(strip_.get(), Count() * width_, strip);
  WriteBitmapBlock(Stream, &strip, pixelFormat_, compressed);
  if (masked_) {
    TBitmap mask;
    CopyColumns(mask_.get(), Count() * width_, mask);
    WriteBitmapBlock(Stream, &mask, spfMono, compressed);
  }
}

void TKitImageListItem::LoadFromStream(TStream& Stream) {
  const TKitItemHeader header = ReadItemHeader(Stream);
  const bool compressed = (header.Flags & kKitFlagCompressed) != 0;
  TRecordReader reader(Stream);
  const Integer height = reader.I32("image height");
  const Integer width = reader.I32("image width");
  const Integer allocBy = reader.I32("image growth");
  const bool masked = reader.Bool("masked switch");
  const Integer count = reader.I32("image count");
  if (height < 1 || width < 1 || width > kKitMaxStripWidth)
    throw EReadError("Image item: image size out of range");
  if (count < 0 || Int64{count} * width > kKitMaxStripWidth) throw EReadError("Image item: image count out of range");
  auto strip = std::make_unique<TBitmap>();
  auto mask = std::make_unique<TBitmap>();
  mask->SetMonochrome(true);
  if (count > 0) {
    ReadBitmapBlock(Stream, strip.get(), compressed);
    // The images must lie inside the strip read, or drawing would reach past it.
    if (strip->Height() != height || strip->Width() < count * width || strip->Width() > kKitMaxStripWidth)
      throw EReadError("Image item: image strip does not hold its images");
    if (masked) {
      ReadBitmapBlock(Stream, mask.get(), compressed);
      if (mask->Width() != strip->Width() || mask->Height() != strip->Height())
        throw EReadError("Image item: mask strip does not match the image strip");
    }
  }
  if (!masked || count == 0) {
    // No stored mask: every image opaque, should the item be masked later.
    mask->SetSize(strip->Width(), strip->Height());
    if (!mask->Empty()) FillSolidRect(mask->Canvas(), Rect(0, 0, mask->Width(), mask->Height()), clBlack);
  }

  TKitOneChange<TKitImageListItem> once(*this);
  TakeHeader(header);
  height_ = height;
  width_ = width;
  allocBy_ = std::max(allocBy, 1);
  masked_ = masked;
  pixelFormat_ = KitPixelFormatOfFlags(header.Flags);
  strip_ = std::move(strip);
  mask_ = std::move(mask);
  stripWidth_ = count * width;
  entries_.clear();
  for (Integer i = 0; i < count; ++i) entries_.push_back(Entry{static_cast<Word>(i * width), masked});
}

// ---- TKitImageList -------------------------------------------------------------------------------

const TClass& TKitImageList::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitImageList>("TKitImageList", TKitCustomImageList::StaticClass(), &TKitImageList::Publish);
  return cls;
}

void TKitImageList::Publish(TPublished& published) { KitPublishContainerDefaults<TKitImageList>(published, true); }

TKitImageList::TKitImageList(TComponent* AOwner)
    : TKitCustomImageList(AOwner, TKitImageListItem::StaticClass(), ckImageList) {}

TKitImageListItem* TKitImageList::GetItemAt(Integer Index) const {
  return static_cast<TKitImageListItem*>(GetItem(Index));
}

TKitImageListItem* TKitImageList::ItemOrNull(Integer ListIndex) const {
  return ListIndex >= 0 && ListIndex < Count() ? GetItemAt(ListIndex) : nullptr;
}

TCanvas* TKitImageList::GetCanvas(Integer ListIndex) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  return item ? item->Strip()->Canvas() : nullptr;
}

bool TKitImageList::GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  R = item ? item->ImageRect(ImageIndex) : NoRect();
  return item && item->ValidIndex(ImageIndex);
}

Integer TKitImageList::GetSize(Integer ListIndex, Integer Which) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  if (!item) return 0;
  return Which == 0 ? item->Width() : item->Height();
}

Integer TKitImageList::ImageCount(Integer ListIndex) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  return item ? item->Count() : -1;
}

bool TKitImageList::GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  return item && item->GetImage(ImageIndex, Bitmap);
}

bool TKitImageList::IsMasked(Integer ListIndex) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  return item && item->Masked();
}

win::HPALETTE TKitImageList::GetPalette(Integer ListIndex) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  return item ? item->Strip()->Palette() : nullptr;
}

TColor TKitImageList::GetTransparentColor(Integer ListIndex, Integer ImageIndex) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  if (!item || !item->ValidIndex(ImageIndex)) return kKitNoPixel;
  return item->Strip()->Canvas()->Pixels(item->ImageLeft(ImageIndex), item->Height() - 1);
}

TColor TKitImageList::GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  if (!item || !item->ValidIndex(ImageIndex)) return kKitNoPixel;
  if (P.x < 0 || P.x >= item->Width() || P.y < 0 || P.y >= item->Height()) return kKitNoPixel;
  // Row y of the image, counted from its top.
  return item->Strip()->Canvas()->Pixels(item->ImageLeft(ImageIndex) + P.x, P.y);
}

void TKitImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) {
  if (TKitImageListItem* item = ItemOrNull(ListIndex)) item->Draw(Canvas, X, Y, ImageIndex);
}

void TKitImageList::DrawClipped(TCanvas* Canvas, const TRect& R, Integer ListIndex, Integer ImageIndex, Word Options,
                                Word Flags) {
  TKitImageListItem* item = ItemOrNull(ListIndex);
  if (!Canvas || !item || !item->ValidIndex(ImageIndex)) return;
  Word flags = static_cast<Word>(Options | Flags);
  TCanvas* mask = nullptr;
  if (item->Masked() && item->ImageMasked(ImageIndex)) {
    mask = item->MaskStrip()->Canvas();
    flags = static_cast<Word>(flags | kKitDbMaskCanvas);
  }
  DrawBitmapClipped(Canvas, R, item->Strip()->Canvas(), mask, item->Strip()->Palette(),
                    GetTransparentColor(ListIndex, ImageIndex), flags, item->ImageRect(ImageIndex));
}

// ---- TKitBitmapList ------------------------------------------------------------------------------

const TClass& TKitBitmapList::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitBitmapList>("TKitBitmapList", TKitCustomImageList::StaticClass(), &TKitBitmapList::Publish);
  return cls;
}

void TKitBitmapList::Publish(TPublished& published) { KitPublishContainerDefaults<TKitBitmapList>(published, true); }

TKitBitmapList::TKitBitmapList(TComponent* AOwner)
    : TKitCustomImageList(AOwner, TKitBitmapListItem::StaticClass(), ckBitmapList) {}

TKitBitmapListItem* TKitBitmapList::GetItemAt(Integer Index) const {
  return static_cast<TKitBitmapListItem*>(GetItem(Index));
}

TBitmap* TKitBitmapList::BitmapOrNull(Integer ListIndex) const {
  return ListIndex >= 0 && ListIndex < Count() ? GetItemAt(ListIndex)->Bitmap() : nullptr;
}

TCanvas* TKitBitmapList::GetCanvas(Integer ListIndex) {
  TBitmap* bitmap = BitmapOrNull(ListIndex);
  return bitmap ? bitmap->Canvas() : nullptr;
}

bool TKitBitmapList::GetImageRect(Integer ListIndex, Integer ImageIndex, TRect& R) {
  const bool valid = IsValidImage(ListIndex, ImageIndex);
  TBitmap* bitmap = BitmapOrNull(ListIndex);
  R = valid ? Rect(0, 0, bitmap->Width(), bitmap->Height()) : NoRect();
  return valid;
}

Integer TKitBitmapList::GetSize(Integer ListIndex, Integer Which) {
  TBitmap* bitmap = BitmapOrNull(ListIndex);
  if (!bitmap) return 0;
  return Which == 0 ? bitmap->Width() : bitmap->Height();
}

Integer TKitBitmapList::ImageCount(Integer ListIndex) {
  TBitmap* bitmap = BitmapOrNull(ListIndex);
  if (!bitmap) return -1;
  return bitmap->Empty() ? 0 : 1;
}

bool TKitBitmapList::GetBitmap(Integer ListIndex, Integer ImageIndex, TBitmap* Bitmap) {
  if (!Bitmap || !IsValidImage(ListIndex, ImageIndex)) return false;
  Bitmap->Assign(BitmapOrNull(ListIndex));
  return true;
}

bool TKitBitmapList::IsMasked(Integer) { return false; }

win::HPALETTE TKitBitmapList::GetPalette(Integer ListIndex) {
  TBitmap* bitmap = BitmapOrNull(ListIndex);
  return bitmap ? bitmap->Palette() : nullptr;
}

TColor TKitBitmapList::GetTransparentColor(Integer ListIndex, Integer ImageIndex) {
  if (!IsValidImage(ListIndex, ImageIndex)) return kKitNoPixel;
  return BitmapOrNull(ListIndex)->TransparentColor();
}

TColor TKitBitmapList::GetPixel(const TPoint& P, Integer ListIndex, Integer ImageIndex) {
  if (!IsValidImage(ListIndex, ImageIndex)) return kKitNoPixel;
  TBitmap* bitmap = BitmapOrNull(ListIndex);
  if (P.x < 0 || P.x >= bitmap->Width() || P.y < 0 || P.y >= bitmap->Height()) return kKitNoPixel;
  return bitmap->Canvas()->Pixels(P.x, P.y);
}

void TKitBitmapList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer ListIndex, Integer ImageIndex) {
  if (!Canvas || !IsValidImage(ListIndex, ImageIndex)) return;
  Canvas->Draw(X, Y, BitmapOrNull(ListIndex));
}
