// The alpha and bitmap-effect objects and the 24-bit pixel procedures they use.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "controlkit/kit_container.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_properties.h"
#include "platform/classlib/float_format.h"

namespace {

// num / den rounded to the nearest integer, halves to even (den > 0, num >= 0).
Integer DivRoundEven(Integer num, Integer den) {
  const Integer q = num / den, r = num % den;
  if (2 * r > den || (2 * r == den && (q & 1))) return q + 1;
  return q;
}

Byte ClampByte(Integer v) { return static_cast<Byte>(std::clamp(v, 0, 255)); }

Byte* Row(TBitmap* bitmap, Integer y) { return static_cast<Byte*>(bitmap->ScanLine(y)); }

// An area of `Width` x `Height` pixels at an origin in each of several bitmaps, cut so
// that it lies inside every one of them.
struct TArea {
  Integer Width = 0;
  Integer Height = 0;
  std::vector<TPoint> Origins;

  bool Clip(const std::vector<TBitmap*>& bitmaps) {
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
      TPoint& o = Origins[i];
      if (o.x < 0) {
        Shift(-o.x, 0);
      }
      if (o.y < 0) {
        Shift(0, -o.y);
      }
    }
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
      Width = std::min(Width, bitmaps[i]->Width() - Origins[i].x);
      Height = std::min(Height, bitmaps[i]->Height() - Origins[i].y);
    }
    return Width > 0 && Height > 0;
  }

 private:
  // Moves the area's start right/down, in every bitmap alike.
  void Shift(Integer dx, Integer dy) {
    for (TPoint& o : Origins) {
      o.x += dx;
      o.y += dy;
    }
    Width -= dx;
    Height -= dy;
  }
};

TArea AreaOf(const TRect& r, std::initializer_list<TPoint> origins) {
  TArea a;
  a.Width = r.right - r.left;
  a.Height = r.bottom - r.top;
  a.Origins.push_back(Point(r.left, r.top));
  for (const TPoint& p : origins) a.Origins.push_back(p);
  return a;
}

// Applies `op` to every byte of area R of Source, writing Target at P. Rows are copied
// through a buffer so that Source and Target may be the same bitmap.
template <class Op>
void MapBytes(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P, Op op) {
  CheckPixelFormat(Source, "Source");
  CheckPixelFormat(Target, "Target");
  TArea area = AreaOf(R, {P});
  if (!area.Clip({Source, Target})) return;
  std::vector<Byte> row(static_cast<std::size_t>(area.Width) * 3);
  for (Integer y = 0; y < area.Height; ++y) {
    const Byte* s = Row(Source, area.Origins[0].y + y) + area.Origins[0].x * 3;
    std::memcpy(row.data(), s, row.size());
    op(row.data(), area.Width);
    Byte* d = Row(Target, area.Origins[1].y + y) + area.Origins[1].x * 3;
    std::memcpy(d, row.data(), row.size());
  }
}

}  // namespace

// ---- pixel procedures --------------------------------------------------------------------------------

void CheckPixelFormat(TBitmap* Bitmap, const std::string& Name) {
  if (!Bitmap || Bitmap->PixelFormat() != pf24bit)
    throw EKitWrongPixelFormat("Wrong PixelFormat in " + Name + " bitmap!");
}

void GrayScaleBitmap(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P) {
  // 0.3 red + 0.59 green + 0.11 blue, each product rounded exactly.
  std::array<Byte, 256> red{}, green{}, blue{};
  for (Integer v = 0; v < 256; ++v) {
    red[v] = static_cast<Byte>(DivRoundEven(30 * v, 100));
    green[v] = static_cast<Byte>(DivRoundEven(59 * v, 100));
    blue[v] = static_cast<Byte>(DivRoundEven(11 * v, 100));
  }
  MapBytes(Source, R, Target, P, [&](Byte* p, Integer n) {
    for (Integer i = 0; i < n; ++i, p += 3) {
      const Byte grey = static_cast<Byte>(blue[p[0]] + green[p[1]] + red[p[2]]);
      p[0] = p[1] = p[2] = grey;
    }
  });
}

void FlipVertical(TBitmap* Bitmap, const TRect& R) {
  CheckPixelFormat(Bitmap, "Source");
  TArea area = AreaOf(R, {});
  if (!area.Clip({Bitmap})) return;
  const std::size_t bytes = static_cast<std::size_t>(area.Width) * 3;
  std::vector<Byte> buffer(bytes);
  const Integer x = area.Origins[0].x, top = area.Origins[0].y;
  for (Integer i = 0, j = area.Height - 1; i < j; ++i, --j) {
    Byte* a = Row(Bitmap, top + i) + x * 3;
    Byte* b = Row(Bitmap, top + j) + x * 3;
    std::memcpy(buffer.data(), a, bytes);
    std::memcpy(a, b, bytes);
    std::memcpy(b, buffer.data(), bytes);
  }
}

void FlipHorizontal(TBitmap* Bitmap, const TRect& R) {
  CheckPixelFormat(Bitmap, "Source");
  TArea area = AreaOf(R, {});
  if (!area.Clip({Bitmap})) return;
  for (Integer y = 0; y < area.Height; ++y) {
    Byte* row = Row(Bitmap, area.Origins[0].y + y) + area.Origins[0].x * 3;
    for (Integer i = 0, j = area.Width - 1; i < j; ++i, --j)
      std::swap_ranges(row + i * 3, row + i * 3 + 3, row + j * 3);
  }
}

void InvertBitmap(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P) {
  MapBytes(Source, R, Target, P, [](Byte* p, Integer n) {
    for (Integer i = 0; i < n * 3; ++i) p[i] = static_cast<Byte>(255 - p[i]);
  });
}

void BrightnessBitmap(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P, Integer Value) {
  Value = std::clamp(Value, kKitMinBrightness, kKitMaxBrightness);
  MapBytes(Source, R, Target, P, [Value](Byte* p, Integer n) {
    for (Integer i = 0; i < n * 3; ++i) p[i] = ClampByte(p[i] + Value);
  });
}

void AlphaBlendBitmaps(TBitmap* Source1, TBitmap* Source2, const TRect& R, const TPoint& P1, Single Strength,
                       TBitmap* Target, const TPoint& P2) {
  CheckPixelFormat(Source1, "Source 1");
  CheckPixelFormat(Source2, "Source 2");
  CheckPixelFormat(Target, "Target");
  // table[d + 255] = round(d x Strength), halves to even.
  std::array<Integer, 511> table{};
  for (Integer d = -255; d <= 255; ++d)
    table[static_cast<std::size_t>(d + 255)] = static_cast<Integer>(std::nearbyint(d * static_cast<double>(Strength)));
  TArea area = AreaOf(R, {P1, P2});
  if (!area.Clip({Source1, Source2, Target})) return;
  const std::size_t bytes = static_cast<std::size_t>(area.Width) * 3;
  std::vector<Byte> a(bytes), b(bytes);
  for (Integer y = 0; y < area.Height; ++y) {
    std::memcpy(a.data(), Row(Source1, area.Origins[0].y + y) + area.Origins[0].x * 3, bytes);
    std::memcpy(b.data(), Row(Source2, area.Origins[1].y + y) + area.Origins[1].x * 3, bytes);
    // A strength outside 0..1 would leave the byte range: the result is clamped.
    for (std::size_t i = 0; i < bytes; ++i)
      b[i] = ClampByte(b[i] + table[static_cast<std::size_t>(a[i] - b[i] + 255)]);
    std::memcpy(Row(Target, area.Origins[2].y + y) + area.Origins[2].x * 3, b.data(), bytes);
  }
}

// ---- TKitAlphaObject ---------------------------------------------------------------------------------

const TClass& TKitAlphaObject::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitAlphaObject>("TKitAlphaObject", TKitObject::StaticClass(), &TKitAlphaObject::Publish);
  return cls;
}

void TKitAlphaObject::Publish(TPublished& published) {
  using A = TKitAlphaObject;
  auto p = published.For<A>();
  // A shared list travels through "Internal"; a list of the form by its name.
  p.Component("ImageList", &A::ImageList, &A::SetImageList).StoredIf([](A* a) {
    return KitSharedListSignature(a->ImageList()).empty();
  });
  p.Float("Strength", &A::Strength, &A::SetStrength).Default(0.6f);
  p.Integer("ImageIndex", &A::ImageIndex, &A::SetImageIndex).Default(0);
  p.Integer("ListIndex", &A::ListIndex, &A::SetListIndex).Default(0);
  p.Object("FillObject", &A::FillObject, &A::SetFillObject);
}

TKitAlphaObject::TKitAlphaObject()
    : fillObject_(std::make_unique<TKitFillObject>()), link_(std::make_unique<TKitChangeLink>()) {
  fillObject_->OnChange = [this](TObject*) { NotifyChange(); };
  link_->OnChange = [this](TObject*) {
    ReloadImage();
    NotifyChange();
  };
}

TKitAlphaObject::~TKitAlphaObject() {
  link_->SetContainer(nullptr);
  fillObject_->OnChange = nullptr;
}

void TKitAlphaObject::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitAlphaObject*>(Source);
  if (!source) return TKitObject::Assign(Source);
  TKitOneChange<TKitAlphaObject> once(*this);
  strength_ = source->strength_;
  imageIndex_ = source->imageIndex_;
  listIndex_ = source->listIndex_;
  enabled_ = source->enabled_;
  fillObject_->Assign(source->FillObject());
  link_->SetContainer(source->ImageList());
  ReloadImage();
}

std::string TKitAlphaObject::SettingsText() {
  if (!enabled_) return "{Disabled}";
  const TKitFillStyle style = fillObject_->Style();
  const char* fill = (style == sfBitmap || style == sfBitmapList) ? "bmp" : style == sfGradient ? "grad" : "brush";
  return std::string("{Enabled (") + fill + "), strength: " + FloatToStr(strength_) + "}";
}

void TKitAlphaObject::DefineProperties(TFiler* Filer) {
  TKitObject::DefineProperties(Filer);
  const std::string signature = KitSharedListSignature(ImageList());
  Filer->DefineProperty(
      "Internal", [this](TReader& reader) { SetImageList(KitSharedListOf(reader.ReadString())); },
      [signature](TWriter& writer) { writer.WriteString(signature); }, !signature.empty());
}

TKitCustomImageList* TKitAlphaObject::ImageList() const {
  return dynamic_cast<TKitCustomImageList*>(link_->Container());
}

void TKitAlphaObject::SetImageList(TKitCustomImageList* Value) {
  if (Value == ImageList()) return;
  link_->SetContainer(Value);
  ReloadImage();
  NotifyChange();
}

void TKitAlphaObject::SetStrength(Single Value) { KitPut(*this, strength_, Value); }

void TKitAlphaObject::SetIndex(Integer Which, Integer Value) {
  Integer& field = Which == 0 ? imageIndex_ : listIndex_;
  if (field == Value) return;
  field = Value;
  ReloadImage();
  NotifyChange();
}

void TKitAlphaObject::SetFillObject(TKitFillObject* Value) { fillObject_->Assign(Value); }

void TKitAlphaObject::SetEnabled(bool Value) { KitPut(*this, enabled_, Value); }

void TKitAlphaObject::ReloadImage() {
  TBitmap* target = fillObject_->ListBitmap();
  TKitCustomImageList* list = ImageList();
  if (!list || !list->IsValidImage(listIndex_, imageIndex_) || !list->GetBitmap(listIndex_, imageIndex_, target))
    target->Assign(nullptr);
}

void TKitAlphaObject::Blend(TBitmap* Bitmap) {
  if (!enabled_ || !Bitmap || Bitmap->Empty()) return;
  CheckPixelFormat(Bitmap, "Target");
  const TRect whole = Rect(0, 0, Bitmap->Width(), Bitmap->Height());
  TBitmap fill;
  fill.SetPixelFormat(pf24bit);
  fill.SetSize(whole.right, whole.bottom);
  if (!fillObject_->Fill(fill.Canvas(), whole, clWhite)) return;
  fill.SetPixelFormat(pf24bit);
  AlphaBlendBitmaps(&fill, Bitmap, whole, Point(0, 0), strength_, Bitmap, Point(0, 0));
}

// ---- TKitBitmapEffectObject --------------------------------------------------------------------------

const TClass& TKitBitmapEffectObject::StaticClass() {
  static const TClass cls = TClass::Of<TKitBitmapEffectObject>("TKitBitmapEffectObject", TKitObject::StaticClass(),
                                                               &TKitBitmapEffectObject::Publish);
  return cls;
}

void TKitBitmapEffectObject::Publish(TPublished& published) {
  using E = TKitBitmapEffectObject;
  auto p = published.For<E>();
  p.Object("AlphaBlend", &E::AlphaBlend, &E::SetAlphaBlend);
  p.Boolean("Invert", &E::Invert, &E::SetInvert).Default(false);
  p.Boolean("Buffered", &E::Buffered, &E::SetBuffered).Default(false);
  p.Boolean("GrayScale", &E::GrayScale, &E::SetGrayScale).Default(false);
  p.Boolean("FlipVertical", &E::FlipVertical, &E::SetFlipVertical).Default(false);
  p.Boolean("FlipHorizontal", &E::FlipHorizontal, &E::SetFlipHorizontal).Default(false);
  p.Integer("Brightness", &E::Brightness, &E::SetBrightness).Default(0);
}

TKitBitmapEffectObject::TKitBitmapEffectObject() : alphaBlend_(std::make_unique<TKitAlphaObject>()) {
  alphaBlend_->OnChange = [this](TObject*) { NotifyChange(); };
}

TKitBitmapEffectObject::~TKitBitmapEffectObject() { alphaBlend_->OnChange = nullptr; }

void TKitBitmapEffectObject::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitBitmapEffectObject*>(Source);
  if (!source) return TKitObject::Assign(Source);
  TKitOneChange<TKitBitmapEffectObject> once(*this);
  // A locked object fires no Change at the end; the old rendering is stale either way.
  ResetCache();
  alphaBlend_->Assign(source->AlphaBlend());
  invert_ = source->invert_;
  buffered_ = source->buffered_;
  grayScale_ = source->grayScale_;
  flipVertical_ = source->flipVertical_;
  flipHorizontal_ = source->flipHorizontal_;
  brightness_ = source->brightness_;
}

std::string TKitBitmapEffectObject::SettingsText() {
  std::vector<const char*> words;
  if (alphaBlend_->Enabled()) words.push_back("alpha");
  if (flipVertical_) words.push_back("FV");
  if (flipHorizontal_) words.push_back("FH");
  if (grayScale_) words.push_back("GS");
  if (invert_) words.push_back("inv");
  if (brightness_ != 0) words.push_back("bright");
  if (buffered_) words.push_back("buf");
  if (words.empty()) return "{None}";
  std::string text = "{";
  for (std::size_t i = 0; i < words.size(); ++i) text += (i ? ", " : "") + std::string(words[i]);
  return text + "}";
}

void TKitBitmapEffectObject::SetAlphaBlend(TKitAlphaObject* Value) { alphaBlend_->Assign(Value); }
void TKitBitmapEffectObject::SetInvert(bool Value) { KitPut(*this, invert_, Value); }
void TKitBitmapEffectObject::SetBuffered(bool Value) { KitPut(*this, buffered_, Value); }
void TKitBitmapEffectObject::SetGrayScale(bool Value) { KitPut(*this, grayScale_, Value); }
void TKitBitmapEffectObject::SetFlipVertical(bool Value) { KitPut(*this, flipVertical_, Value); }
void TKitBitmapEffectObject::SetFlipHorizontal(bool Value) { KitPut(*this, flipHorizontal_, Value); }

void TKitBitmapEffectObject::SetBrightness(Integer Value) {
  KitPut(*this, brightness_, std::clamp(Value, kKitMinBrightness, kKitMaxBrightness));
}

bool TKitBitmapEffectObject::Active() const {
  return alphaBlend_->Enabled() || invert_ || grayScale_ || flipVertical_ || flipHorizontal_ || brightness_ != 0;
}

void TKitBitmapEffectObject::Apply(TBitmap* Bitmap) {
  if (!Bitmap || Bitmap->Empty() || !Active()) return;
  Bitmap->SetPixelFormat(pf24bit);
  const TRect whole = Rect(0, 0, Bitmap->Width(), Bitmap->Height());
  const TPoint origin = Point(0, 0);
  alphaBlend_->Blend(Bitmap);
  if (flipVertical_) ::FlipVertical(Bitmap, whole);
  if (flipHorizontal_) ::FlipHorizontal(Bitmap, whole);
  if (grayScale_) GrayScaleBitmap(Bitmap, whole, Bitmap, origin);
  if (invert_) InvertBitmap(Bitmap, whole, Bitmap, origin);
  if (brightness_ != 0) BrightnessBitmap(Bitmap, whole, Bitmap, origin, brightness_);
}

void TKitBitmapEffectObject::Change() {
  ResetCache();
  TKitObject::Change();
}

bool TKitBitmapEffectObject::CacheHolds(const TBitmap* Source, const TRect& Area) const {
  return cache_ && Source && Source == cacheSource_ && Area == cacheArea_;
}

void TKitBitmapEffectObject::StoreCache(std::unique_ptr<TBitmap> Rendered, const TBitmap* Source,
                                        const TRect& Area) {
  if (!buffered_ || !Rendered || !Source) return;
  cache_ = std::move(Rendered);
  cacheSource_ = Source;
  cacheArea_ = Area;
}

void TKitBitmapEffectObject::ResetCache() {
  cache_.reset();
  cacheSource_ = nullptr;
  cacheArea_ = TRect{};
}
