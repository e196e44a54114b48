#include "platform/classlib/std_imagelist.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

namespace {

const bool kImageListRegistered = [] {
  RegisterClass(TImageList::StaticClass());
  return true;
}();

constexpr const char* kInvalidIndex = "Invalid ImageList Index";
// Largest side and count the stored form accepts: far beyond any real list, small
// enough that count x width x height x 4 stays well inside 64 bits.
constexpr Int64 kMaxSide = 8192;
constexpr Int64 kMaxImages = 65536;

// 0x00BBGGRR colour to the 0x00RRGGBB pixel order, and back.
win::DWORD ColorToPixel(TColor c) {
  auto rgb = static_cast<win::DWORD>(ColorToRGB(c));
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

win::DWORD Blend(win::DWORD px, win::DWORD with, int weightOf4) {
  auto mix = [&](int shift) {
    int a = static_cast<int>((px >> shift) & 0xFF);
    int b = static_cast<int>((with >> shift) & 0xFF);
    return static_cast<win::DWORD>((a * (4 - weightOf4) + b * weightOf4) / 4) << shift;
  };
  return mix(16) | mix(8) | mix(0);
}

// Draws `pixels` (w x h, rows top first) at (x, y) with a raster operation.
void BlitPixels(win::HDC dc, Integer x, Integer y, Integer w, Integer h, const std::vector<win::DWORD>& pixels,
                win::DWORD rop) {
  win::BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;  // top-down
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = win::BI_RGB;
  win::StretchDIBits(dc, x, y, w, h, 0, 0, w, h, pixels.data(), &bmi, win::DIB_RGB_COLORS, rop);
}

// The bitmap's pixels as 0x00RRGGBB rows, whatever its format.
std::vector<win::DWORD> PixelsOf(TBitmap* source) {
  TBitmap copy;
  copy.Assign(source);
  copy.SetPixelFormat(pf32bit);
  Integer w = copy.Width();
  Integer h = copy.Height();
  std::vector<win::DWORD> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (Integer y = 0; y < h; ++y) {
    const auto* row = static_cast<const win::DWORD*>(copy.ScanLine(y));
    for (Integer x = 0; x < w; ++x) out[static_cast<std::size_t>(y) * w + x] = row[x] & 0x00FFFFFF;
  }
  return out;
}

}  // namespace

const TEnumInfo& DrawingStyleInfo() {
  static const TEnumInfo info("TDrawingStyle", {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"});
  return info;
}

const TEnumInfo& ImageTypeInfo() {
  static const TEnumInfo info("TImageType", {"itImage", "itMask"});
  return info;
}

// ---- TChangeLink ------------------------------------------------------------------------------

const TClass& TChangeLink::StaticClass() {
  static const TClass cls = TClass::Of<TChangeLink>("TChangeLink", TObject::StaticClass());
  return cls;
}

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}

// ---- TCustomImageList ---------------------------------------------------------------------------

const TClass& TCustomImageList::StaticClass() {
  static const TClass cls =
      TClass::Of<TCustomImageList>("TCustomImageList", TComponent::StaticClass(), &TCustomImageList::Publish);
  return cls;
}

void TCustomImageList::Publish(TPublished&) {}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
  // Links outlive the list in the controls that hold them: tell them it is gone.
  for (TChangeLink* link : links_) link->SetSender(nullptr);
  links_.clear();
}

void TCustomImageList::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCustomImageList*>(source);
  if (!other) {
    TComponent::Assign(source);
    return;
  }
  width_ = other->width_;
  height_ = other->height_;
  images_ = other->images_;
  bkColor_ = other->bkColor_;
  blendColor_ = other->blendColor_;
  drawingStyle_ = other->drawingStyle_;
  imageType_ = other->imageType_;
  masked_ = other->masked_;
  allocBy_ = other->allocBy_;
  Change();
}

void TCustomImageList::SetWidth(Integer value) { SetSize(value, height_); }
void TCustomImageList::SetHeight(Integer value) { SetSize(width_, value); }

void TCustomImageList::SetSize(Integer AWidth, Integer AHeight) {
  AWidth = std::max<Integer>(AWidth, 1);
  AHeight = std::max<Integer>(AHeight, 1);
  if (AWidth == width_ && AHeight == height_) return;
  width_ = AWidth;
  height_ = AHeight;
  images_.clear();
  Change();
}

void TCustomImageList::CheckIndex(Integer index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation(kInvalidIndex);
}

std::vector<TCustomImageList::Image> TCustomImageList::Slice(
    TBitmap* image, const std::function<bool(win::DWORD rgb, Integer x, Integer y)>& transparent) {
  std::vector<Image> out;
  if (!image || image->Empty()) return out;
  std::vector<win::DWORD> src = PixelsOf(image);
  Integer bw = image->Width();
  Integer bh = image->Height();
  Integer count = bw / width_;
  for (Integer i = 0; i < count; ++i) {
    Image img;
    img.pixels.assign(static_cast<std::size_t>(width_) * height_, 0);
    // Rows the bitmap does not have stay transparent.
    img.opaque.assign(static_cast<std::size_t>(width_) * height_, false);
    for (Integer y = 0; y < std::min(height_, bh); ++y) {
      for (Integer x = 0; x < width_; ++x) {
        Integer sx = i * width_ + x;
        win::DWORD px = src[static_cast<std::size_t>(y) * bw + sx];
        std::size_t at = static_cast<std::size_t>(y) * width_ + x;
        img.pixels[at] = px;
        img.opaque[at] = !transparent(px, sx, y);
      }
    }
    out.push_back(std::move(img));
  }
  return out;
}

std::vector<TCustomImageList::Image> TCustomImageList::SliceWithMask(TBitmap* image, TBitmap* mask) {
  if (!mask || mask->Empty()) return Slice(image, [](win::DWORD, Integer, Integer) { return false; });
  std::vector<win::DWORD> maskPixels = PixelsOf(mask);
  Integer mw = mask->Width();
  Integer mh = mask->Height();
  return Slice(image, [&](win::DWORD, Integer x, Integer y) {
    if (x >= mw || y >= mh) return false;
    // A monochrome mask: white is transparent.
    return maskPixels[static_cast<std::size_t>(y) * mw + x] == 0x00FFFFFF;
  });
}

std::vector<TCustomImageList::Image> TCustomImageList::SliceMasked(TBitmap* image, TColor maskColor) {
  if (maskColor == clNone) return Slice(image, [](win::DWORD, Integer, Integer) { return false; });
  if (maskColor == clDefault && image) maskColor = image->TransparentColor();
  win::DWORD key = ColorToPixel(maskColor);
  return Slice(image, [key](win::DWORD px, Integer, Integer) { return px == key; });
}

void TCustomImageList::InsertImages(Integer index, std::vector<Image> images) {
  if (images.empty()) return;
  images_.insert(images_.begin() + index, std::make_move_iterator(images.begin()),
                 std::make_move_iterator(images.end()));
  Change();
}

Integer TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  std::vector<Image> images = SliceWithMask(image, mask);
  if (images.empty()) return -1;
  Integer first = Count();
  InsertImages(first, std::move(images));
  return first;
}

Integer TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  std::vector<Image> images = SliceMasked(image, maskColor);
  if (images.empty()) return -1;
  Integer first = Count();
  InsertImages(first, std::move(images));
  return first;
}

void TCustomImageList::AddImages(TCustomImageList* value) {
  if (!value || value == this) return;
  if (value->width_ != width_ || value->height_ != height_) return;
  InsertImages(Count(), value->images_);
}

void TCustomImageList::Insert(Integer index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index > Count()) throw EInvalidOperation(kInvalidIndex);
  InsertImages(index, SliceWithMask(image, mask));
}

void TCustomImageList::InsertMasked(Integer index, TBitmap* image, TColor maskColor) {
  if (index < 0 || index > Count()) throw EInvalidOperation(kInvalidIndex);
  InsertImages(index, SliceMasked(image, maskColor));
}

void TCustomImageList::Replace(Integer index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  std::vector<Image> images = SliceWithMask(image, mask);
  if (images.empty()) return;
  images_[static_cast<std::size_t>(index)] = std::move(images.front());
  Change();
}

void TCustomImageList::ReplaceMasked(Integer index, TBitmap* image, TColor maskColor) {
  CheckIndex(index);
  std::vector<Image> images = SliceMasked(image, maskColor);
  if (images.empty()) return;
  images_[static_cast<std::size_t>(index)] = std::move(images.front());
  Change();
}

void TCustomImageList::Move(Integer curIndex, Integer newIndex) {
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  if (curIndex == newIndex) return;
  Image img = std::move(images_[static_cast<std::size_t>(curIndex)]);
  images_.erase(images_.begin() + curIndex);
  images_.insert(images_.begin() + newIndex, std::move(img));
  Change();
}

void TCustomImageList::Delete(Integer index) {
  CheckIndex(index);
  images_.erase(images_.begin() + index);
  Change();
}

void TCustomImageList::Clear() {
  if (images_.empty()) return;
  images_.clear();
  Change();
}

bool TCustomImageList::LoadStrip(TBitmap* bitmap, TColor maskColor) {
  if (bitmap->Empty()) return false;
  height_ = bitmap->Height();
  images_ = SliceMasked(bitmap, maskColor);
  Change();
  return true;
}

bool TCustomImageList::ResourceLoad(const std::string& name, TColor maskColor) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromResourceName(name);
  } catch (const Exception&) {
    return false;
  }
  return LoadStrip(&bitmap, maskColor);
}

bool TCustomImageList::FileLoad(const std::string& fileName, TColor maskColor) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromFile(fileName);
  } catch (const Exception&) {
    return false;
  }
  return LoadStrip(&bitmap, maskColor);
}

win::DWORD TCustomImageList::PixelAt(Integer index, Integer x, Integer y) const {
  CheckIndex(index);
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return images_[static_cast<std::size_t>(index)].pixels[static_cast<std::size_t>(y) * width_ + x];
}

bool TCustomImageList::OpaqueAt(Integer index, Integer x, Integer y) const {
  CheckIndex(index);
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return images_[static_cast<std::size_t>(index)].opaque[static_cast<std::size_t>(y) * width_ + x];
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style,
                            TImageType type, bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  DoDraw(canvas, x, y, images_[static_cast<std::size_t>(index)], style, type, enabled);
}

void TCustomImageList::DoDraw(TCanvas* canvas, Integer x, Integer y, const Image& image, TDrawingStyle style,
                              TImageType type, bool enabled) {
  const std::size_t n = image.pixels.size();
  auto opaque = [&](std::size_t i) { return !masked_ || image.opaque[i]; };
  win::HDC dc = canvas->Handle();
  // The pixels are put down in two steps: the mask clears the image's shape to black
  // (and-ing leaves the rest as it was), then the image's colours are or-ed in with the
  // transparent pixels black.
  std::vector<win::DWORD> mask(n), colours(n);
  auto put = [&](Integer px, Integer py) {
    BlitPixels(dc, px, py, width_, height_, mask, win::SRCAND);
    BlitPixels(dc, px, py, width_, height_, colours, win::SRCPAINT);
  };

  if (type == itMask) {
    // The mask itself: black where the image shows, white elsewhere.
    for (std::size_t i = 0; i < n; ++i) colours[i] = opaque(i) ? 0 : 0x00FFFFFF;
    BlitPixels(dc, x, y, width_, height_, colours, win::SRCCOPY);
    return;
  }

  if (!enabled) {
    // The disabled look: the image's dark shape embossed in highlight and shadow.
    auto shape = [&](std::size_t i) { return opaque(i) && image.pixels[i] != 0x00FFFFFF; };
    for (std::size_t i = 0; i < n; ++i) mask[i] = shape(i) ? 0 : 0x00FFFFFF;
    win::DWORD light = ColorToPixel(clBtnHighlight);
    win::DWORD shadow = ColorToPixel(clBtnShadow);
    for (std::size_t i = 0; i < n; ++i) colours[i] = shape(i) ? light : 0;
    put(x + 1, y + 1);
    for (std::size_t i = 0; i < n; ++i) colours[i] = shape(i) ? shadow : 0;
    put(x, y);
    return;
  }

  if (style == dsNormal && bkColor_ != clNone) {
    // A background colour fills what the mask leaves out.
    TRect r = Bounds(x, y, width_, height_);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(bkColor_);
    canvas->FillRect(r);
  }
  win::DWORD blend = ColorToPixel(blendColor_ == clNone ? clHighlight : blendColor_);
  for (std::size_t i = 0; i < n; ++i) {
    bool shows = opaque(i);
    win::DWORD px = image.pixels[i];
    if (style == dsFocus) px = Blend(px, blend, 1);
    if (style == dsSelected) px = Blend(px, blend, 2);
    mask[i] = shows ? 0 : 0x00FFFFFF;
    colours[i] = shows ? px : 0;
  }
  put(x, y);
}

bool TCustomImageList::GetBitmap(Integer index, TBitmap* image) {
  if (!image || index < 0 || index >= Count()) return false;
  image->SetSize(width_, height_);
  Draw(image->Canvas(), 0, 0, index);
  return true;
}

void TCustomImageList::SetBkColor(TColor value) {
  if (bkColor_ == value) return;
  bkColor_ = value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (drawingStyle_ == value) return;
  drawingStyle_ = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (imageType_ == value) return;
  imageType_ = value;
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (masked_ == value) return;
  masked_ = value;
  Change();
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link) return;
  if (link->Sender() && link->Sender() != this) link->Sender()->UnRegisterChanges(link);
  link->SetSender(this);
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  links_.erase(it);
  link->SetSender(nullptr);
}

void TCustomImageList::BeginUpdate() { ++updateCount_; }

void TCustomImageList::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0 && changed_) {
    changed_ = false;
    Change();
  }
}

void TCustomImageList::Change() {
  if (updateCount_ > 0) {
    changed_ = true;
    return;
  }
  // A link may unregister itself from its handler: walk a copy.
  std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
  if (OnChange) OnChange(this);
}

// ---- stored form ---------------------------------------------------------------------------------

namespace {

void WriteI32(TStream& s, std::int32_t v) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                       static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  s.WriteBuffer(b, 4);
}

std::int32_t ReadI32(TStream& s) {
  std::uint8_t b[4];
  if (s.Read(b, 4) != 4) throw EReadError("Image list data is cut short");
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                   (static_cast<std::uint32_t>(b[2]) << 16) |
                                   (static_cast<std::uint32_t>(b[3]) << 24));
}

}  // namespace

void TCustomImageList::WriteImages(TStream& stream) const {
  WriteI32(stream, Count());
  WriteI32(stream, width_);
  WriteI32(stream, height_);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width_) * 4);
  for (const Image& img : images_) {
    for (Integer y = 0; y < height_; ++y) {
      for (Integer x = 0; x < width_; ++x) {
        std::size_t at = static_cast<std::size_t>(y) * width_ + x;
        win::DWORD px = img.pixels[at];
        row[x * 4 + 0] = static_cast<std::uint8_t>(px & 0xFF);
        row[x * 4 + 1] = static_cast<std::uint8_t>((px >> 8) & 0xFF);
        row[x * 4 + 2] = static_cast<std::uint8_t>((px >> 16) & 0xFF);
        row[x * 4 + 3] = img.opaque[at] ? 255 : 0;
      }
      stream.WriteBuffer(row.data(), static_cast<Int64>(row.size()));
    }
  }
}

void TCustomImageList::ReadImages(TStream& stream) {
  Int64 left = stream.Size() - stream.Position();
  if (left < 12) throw EReadError("Image list data is cut short");
  std::int32_t count = ReadI32(stream);
  std::int32_t w = ReadI32(stream);
  std::int32_t h = ReadI32(stream);
  if (count < 0 || count > kMaxImages || w < 1 || w > kMaxSide || h < 1 || h > kMaxSide)
    throw EReadError("Invalid image list data");
  Int64 need = static_cast<Int64>(count) * w * h * 4;
  if (need > left - 12) throw EReadError("Image list data is cut short");
  std::vector<Image> images(static_cast<std::size_t>(count));
  std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
  for (Image& img : images) {
    img.pixels.resize(static_cast<std::size_t>(w) * h);
    img.opaque.resize(static_cast<std::size_t>(w) * h);
    for (std::int32_t y = 0; y < h; ++y) {
      stream.ReadBuffer(row.data(), static_cast<Int64>(row.size()));
      for (std::int32_t x = 0; x < w; ++x) {
        std::size_t at = static_cast<std::size_t>(y) * w + x;
        img.pixels[at] = static_cast<win::DWORD>(row[x * 4]) | (static_cast<win::DWORD>(row[x * 4 + 1]) << 8) |
                         (static_cast<win::DWORD>(row[x * 4 + 2]) << 16);
        img.opaque[at] = row[x * 4 + 3] != 0;
      }
    }
  }
  width_ = w;
  height_ = h;
  images_ = std::move(images);
  Change();
}

void TCustomImageList::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      "Bitmap", [this](TStream& s) { ReadImages(s); }, [this](TStream& s) { WriteImages(s); }, Count() > 0);
}

// ---- TImageList ----------------------------------------------------------------------------------

const TClass& TImageList::StaticClass() {
  static const TClass cls = TClass::Of<TImageList>("TImageList", TCustomImageList::StaticClass(), &TImageList::Publish);
  return cls;
}

void TImageList::Publish(TPublished& published) {
  auto p = published.For<TCustomImageList>();
  p.Integer("AllocBy", &TCustomImageList::AllocBy, &TCustomImageList::SetAllocBy).Default(4);
  p.Integer("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor).Default(clNone).Idents(ColorIdents());
  p.Integer("BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor)
      .Default(clNone)
      .Idents(ColorIdents());
  p.Enum("DrawingStyle", DrawingStyleInfo(), &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle)
      .Default(dsNormal);
  p.Integer("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
  p.Enum("ImageType", ImageTypeInfo(), &TCustomImageList::ImageType, &TCustomImageList::SetImageType).Default(itImage);
  p.Boolean("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked).Default(true);
  p.Boolean("ShareImages", &TCustomImageList::ShareImages, &TCustomImageList::SetShareImages).Default(false);
  p.Integer("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
  p.Event("OnChange", &TCustomImageList::OnChange);
}
