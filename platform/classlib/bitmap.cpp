#include "platform/classlib/bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/classlib/bmp_format.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

namespace {

constexpr const char* kOutOfResources = "Out of system resources";
constexpr const char* kScanLineRange = "Scan line index out of range";
constexpr const char* kInvalidPixelFormat = "Invalid pixel format";

constexpr Cardinal kMasks565[3] = {0xF800, 0x07E0, 0x001F};

std::vector<win::RGBQUAD> MonoColors() { return {win::RGBQUAD{0, 0, 0, 0}, win::RGBQUAD{255, 255, 255, 0}}; }

std::vector<win::RGBQUAD> VgaTable() {
  const win::RGBQUAD* v = win::VgaColors();
  return std::vector<win::RGBQUAD>(v, v + 16);
}

// The table of an 8-bit image made from a deeper one: a 6 x 6 x 6 colour cube, the eight
// dark system colours the cube lacks, and 32 greys.
std::vector<win::RGBQUAD> Default256() {
  std::vector<win::RGBQUAD> t;
  t.reserve(256);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        t.push_back(win::RGBQUAD{static_cast<Byte>(b * 51), static_cast<Byte>(g * 51), static_cast<Byte>(r * 51), 0});
  const Byte dark[8][3] = {{128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},
                           {128, 0, 128}, {0, 128, 128}, {128, 128, 128}, {192, 192, 192}};
  for (const auto& d : dark) t.push_back(win::RGBQUAD{d[2], d[1], d[0], 0});
  for (int i = 0; i < 32; ++i) {
    const auto v = static_cast<Byte>(4 + i * 8);
    t.push_back(win::RGBQUAD{v, v, v, 0});
  }
  return t;
}

std::vector<win::RGBQUAD> DefaultTable(int bits) {
  if (bits == 1) return MonoColors();
  if (bits == 4) return VgaTable();
  return Default256();
}

win::HPALETTE MakePalette(const std::vector<win::RGBQUAD>& colors) {
  if (colors.empty()) return nullptr;
  std::vector<Byte> block(4 + 4 * colors.size());
  auto* lp = reinterpret_cast<win::LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<win::WORD>(colors.size());
  auto* entries = reinterpret_cast<win::PALETTEENTRY*>(block.data() + 4);
  for (std::size_t i = 0; i < colors.size(); ++i)
    entries[i] = win::PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
  return win::CreatePalette(lp);
}

std::vector<win::PALETTEENTRY> PaletteEntries(win::HPALETTE p) {
  const win::UINT n = win::GetPaletteEntries(p, 0, 0, nullptr);
  std::vector<win::PALETTEENTRY> entries(n);
  if (n) win::GetPaletteEntries(p, 0, n, entries.data());
  return entries;
}

win::HPALETTE CopyPalette(win::HPALETTE p) {
  const std::vector<win::PALETTEENTRY> entries = PaletteEntries(p);
  std::vector<win::RGBQUAD> colors;
  for (const auto& e : entries) colors.push_back(win::RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
  return MakePalette(colors);
}

// A memory DC with `bitmap` selected, undone on destruction.
class TempDC {
 public:
  explicit TempDC(win::HBITMAP bitmap) : dc_(win::CreateCompatibleDC(nullptr)) {
    if (dc_ && bitmap) old_ = win::SelectObject(dc_, bitmap);
  }
  ~TempDC() {
    if (!dc_) return;
    if (old_) win::SelectObject(dc_, old_);
    win::DeleteDC(dc_);
  }
  TempDC(const TempDC&) = delete;
  TempDC& operator=(const TempDC&) = delete;
  win::HDC Get() const { return dc_; }

 private:
  win::HDC dc_;
  win::HGDIOBJ old_ = nullptr;
};

}  // namespace

// ---- image ---------------------------------------------------------------------------------

struct TBitmap::Image {
  // Layout, kept while the bitmap is empty so that a later size makes the same kind.
  bool dib = false;
  Integer bitCount = 0;  // DIB: its depth; device bitmap: 1 monochrome, 0 the screen's format
  Cardinal masks[3] = {0, 0, 0};  // 16/32-bit DIBs; zero for the plain layouts
  std::vector<win::RGBQUAD> colors;  // DIBs of up to 8 bits

  win::HBITMAP handle = nullptr;
  win::HPALETTE palette = nullptr;
  Byte* bits = nullptr;   // DIB memory
  Int64 stride = 0;
  bool topDown = false;   // only DIBs taken over through SetHandle can be

  Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image() {
    if (handle) win::DeleteObject(handle);
    if (palette) win::DeleteObject(palette);
  }

  std::unique_ptr<Image> Layout() const {
    auto i = std::make_unique<Image>();
    i->dib = dib;
    i->bitCount = bitCount;
    std::memcpy(i->masks, masks, sizeof masks);
    i->colors = colors;
    return i;
  }

  // Bits per pixel of the pixels as they are held.
  int Depth() const {
    if (handle) {
      win::BITMAP bm;
      if (win::GetObject(handle, sizeof bm, &bm) > 0) return bm.bmBitsPixel * bm.bmPlanes;
    }
    if (dib) return bitCount;
    return bitCount == 1 ? 1 : win::ScreenBitsPerPixel();
  }

  // Makes the handle of the layout, white all over.
  void MakeHandle(Integer width, Integer height) {
    if (dib) {
      if (bitCount <= 8 && colors.empty()) colors = DefaultTable(bitCount);
      TDibData d;
      d.Width = width;
      d.Height = height;
      d.BitCount = bitCount;
      std::memcpy(d.Masks, masks, sizeof masks);
      d.Colors = colors;
      const std::vector<Byte> info = MakeBitmapInfo(d);
      void* mem = nullptr;
      handle = win::CreateDIBSection(nullptr, reinterpret_cast<const win::BITMAPINFO*>(info.data()),
                                     win::DIB_RGB_COLORS, &mem, nullptr, 0);
      if (!handle) throw EOutOfResources(kOutOfResources);
      bits = static_cast<Byte*>(mem);
      stride = d.Stride();
      topDown = false;
      if (bitCount <= 8) palette = MakePalette(colors);
    } else if (bitCount == 1) {
      handle = win::CreateBitmap(width, height, 1, 1, nullptr);
    } else {
      handle = win::CreateCompatibleBitmap(win::ScreenDC(), width, height);
    }
    if (!handle) throw EOutOfResources(kOutOfResources);
    TempDC dc(handle);
    const win::RECT r{0, 0, width, height};
    win::FillRect(dc.Get(), &r, static_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH)));
  }
};

namespace {

void CopyPixels(win::HBITMAP from, win::HBITMAP to, Integer width, Integer height) {
  if (width <= 0 || height <= 0) return;
  TempDC src(from);
  TempDC dst(to);
  win::BitBlt(dst.Get(), 0, 0, width, height, src.Get(), 0, 0, win::SRCCOPY);
}

}  // namespace

// ---- canvas ---------------------------------------------------------------------------------

// The canvas of a bitmap: a memory DC with the bitmap (and its palette) selected, made
// on first use and let go whenever the bitmap changes its handle.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!HandleAllocated()) return;
    win::HDC dc = Handle();
    SetHandle(nullptr);
    if (oldBitmap_) win::SelectObject(dc, oldBitmap_);
    if (oldPalette_) win::SelectPalette(dc, oldPalette_, 1);
    win::DeleteDC(dc);
    oldBitmap_ = nullptr;
    oldPalette_ = nullptr;
  }

 protected:
  void CreateHandle() override {
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    if (!dc) return;
    const TBitmap::Image& img = *bitmap_->image_;
    if (img.handle) oldBitmap_ = win::SelectObject(dc, img.handle);
    if (img.palette) {
      oldPalette_ = win::SelectPalette(dc, img.palette, 1);
      win::RealizePalette(dc);
    }
    SetHandle(dc);
  }

 private:
  TBitmap* bitmap_;
  win::HGDIOBJ oldBitmap_ = nullptr;
  win::HPALETTE oldPalette_ = nullptr;
};

// ---- TBitmap ---------------------------------------------------------------------------------

const TClass& TBitmap::StaticClass() {
  static const TClass cls = TClass::Of<TBitmap>("TBitmap", TGraphic::StaticClass());
  return cls;
}

TBitmap::TBitmap() : image_(std::make_unique<Image>()) {}

TBitmap::~TBitmap() {
  canvas_.reset();  // lets go of the handle before the image deletes it
  image_.reset();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->OnChange = [this](TObject*) { Changed(this); };
  }
  return canvas_.get();
}

void TBitmap::FreeContext() {
  if (canvas_) canvas_->FreeContext();
}

void TBitmap::TakeImage(std::unique_ptr<Image> image) {
  FreeContext();
  image_ = std::move(image);
}

void TBitmap::Reformat(const Image& layout, Integer width, Integer height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::unique_ptr<Image> img = layout.Layout();
  if (width > 0 && height > 0) {
    img->MakeHandle(width, height);
    if (image_->handle) {
      FreeContext();
      CopyPixels(image_->handle, img->handle, std::min(width, width_), std::min(height, height_));
    }
  }
  if (!img->palette && !img->dib && image_->palette) img->palette = CopyPalette(image_->palette);
  TakeImage(std::move(img));
  width_ = width;
  height_ = height;
}

void TBitmap::TakeDib(const TDibData& dib) {
  auto img = std::make_unique<Image>();
  img->dib = true;
  img->bitCount = dib.BitCount;
  std::memcpy(img->masks, dib.Masks, sizeof img->masks);
  if (dib.PlainMasks()) std::memset(img->masks, 0, sizeof img->masks);
  img->colors = dib.Colors;
  img->MakeHandle(dib.Width, dib.Height);
  std::memcpy(img->bits, dib.Bits.data(), static_cast<std::size_t>(img->stride * dib.Height));
  TakeImage(std::move(img));
  width_ = dib.Width;
  height_ = dib.Height;
}

TDibData TBitmap::ToDib() {
  TDibData d;
  d.Width = width_;
  d.Height = height_;
  const Image& img = *image_;
  if (img.dib) {
    d.BitCount = img.bitCount;
    std::memcpy(d.Masks, img.masks, sizeof d.Masks);
    d.Colors = img.colors;
    const Int64 stride = d.Stride();
    d.Bits.resize(static_cast<std::size_t>(stride * height_));
    for (Integer y = 0; y < height_; ++y) {
      const Integer from = img.topDown ? height_ - 1 - y : y;  // bottom row first
      std::memcpy(d.Bits.data() + y * stride, img.bits + from * img.stride, static_cast<std::size_t>(stride));
    }
    return d;
  }
  // A device bitmap: its pixels at its own depth.
  d.BitCount = img.Depth();
  if (d.BitCount == 16) std::memcpy(d.Masks, kMasks565, sizeof d.Masks);
  if (d.BitCount <= 8) d.Colors = DefaultTable(d.BitCount == 1 ? 1 : d.BitCount);
  d.Colors.resize(d.BitCount <= 8 ? (std::size_t{1} << d.BitCount) : 0);
  std::vector<Byte> info = MakeBitmapInfo(d);
  d.Bits.resize(static_cast<std::size_t>(d.Stride() * height_));
  auto* bmi = reinterpret_cast<win::BITMAPINFO*>(info.data());
  win::GetDIBits(win::ScreenDC(), img.handle, 0, static_cast<win::UINT>(height_), d.Bits.data(), bmi,
                 win::DIB_RGB_COLORS);
  if (d.BitCount <= 8) {
    const Byte* table = info.data() + 40;
    for (std::size_t i = 0; i < d.Colors.size(); ++i)
      d.Colors[i] = win::RGBQUAD{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0};
  }
  return d;
}

// ---- assignment, streams, resources -----------------------------------------------------------

void TBitmap::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    TakeImage(image_->Layout());
    width_ = height_ = 0;
    Changed(this);
    return;
  }
  if (auto* src = dynamic_cast<TBitmap*>(source)) {
    std::unique_ptr<Image> img = src->image_->Layout();
    if (src->image_->handle) {
      img->MakeHandle(src->width_, src->height_);
      src->FreeContext();
      CopyPixels(src->image_->handle, img->handle, src->width_, src->height_);
    }
    if (!img->palette && src->image_->palette) img->palette = CopyPalette(src->image_->palette);
    TakeImage(std::move(img));
    width_ = src->width_;
    height_ = src->height_;
    transparentColor_ = src->transparentColor_;
    transparentMode_ = src->transparentMode_;
    transparent_ = src->transparent_;
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::LoadFromStream(TStream& stream) {
  const Int64 left = stream.Size() - stream.Position();
  if (left <= 0) {
    Assign(nullptr);
    return;
  }
  TakeDib(ReadBmpFile(stream, left));
  Changed(this);
}

void TBitmap::SaveToStream(TStream& stream) {
  if (Empty()) return;
  WriteBmpFile(stream, ToDib());
}

void TBitmap::ReadData(TStream& stream) {
  Integer size = 0;
  if (stream.Read(&size, 4) != 4) throw EInvalidGraphic(msg::InvalidGraphic);
  const Int64 start = stream.Position();
  if (size < 0 || size > stream.Size() - start) throw EInvalidGraphic(msg::InvalidGraphic);
  if (size == 0) {
    Assign(nullptr);
    return;
  }
  TakeDib(ReadBmpFile(stream, size));
  stream.SetPosition(start + size);
  Changed(this);
}

void TBitmap::WriteData(TStream& stream) {
  TMemoryStream bmp;
  SaveToStream(bmp);
  const auto size = static_cast<Integer>(bmp.Size());
  stream.WriteBuffer(&size, 4);
  if (size > 0) stream.WriteBuffer(bmp.Memory(), size);
}

void TBitmap::LoadFromResourceName(const std::string& name) {
  TResourceStream res(name, RT_BITMAP);
  Byte sig[2] = {0, 0};
  res.Read(sig, 2);
  res.SetPosition(0);
  const bool file = sig[0] == 'B' && sig[1] == 'M';
  TakeDib(file ? ReadBmpFile(res, res.Size()) : ReadPackedDib(res, res.Size()));
  Changed(this);
}

void TBitmap::LoadFromResourceID(Integer id) { LoadFromResourceName(MakeIntResource(id)); }

// ---- size, format, handle ----------------------------------------------------------------------

bool TBitmap::Empty() const { return image_->handle == nullptr; }

void TBitmap::SetSize(Integer width, Integer height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  Reformat(*image_, width, height);
  Changed(this);
}

win::HPALETTE TBitmap::Palette() { return image_->palette; }

void TBitmap::SetPalette(win::HPALETTE value) {
  if (value == image_->palette) return;
  Image& img = *image_;
  if (value && img.dib && img.bitCount <= 8) {
    // The entries become the colour table: pixels keep their indices.
    const std::vector<win::PALETTEENTRY> entries = PaletteEntries(value);
    std::vector<win::RGBQUAD> colors;
    for (const auto& e : entries) colors.push_back(win::RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
    colors.resize(std::min<std::size_t>(colors.size(), std::size_t{1} << img.bitCount));
    if (img.handle) {
      // The section keeps the size of its table.
      const std::size_t n = std::min(colors.size(), img.colors.size());
      FreeContext();
      TempDC dc(img.handle);
      win::SetDIBColorTable(dc.Get(), 0, static_cast<win::UINT>(n), colors.data());
      std::copy_n(colors.begin(), n, img.colors.begin());
    } else if (!colors.empty()) {
      img.colors = colors;
    }
  } else {
    FreeContext();
  }
  if (img.palette) win::DeleteObject(img.palette);
  img.palette = value;
  SetPaletteModified(true);
  Changed(this);
}

win::HBITMAP TBitmap::Handle() {
  FreeContext();
  return image_->handle;
}

bool TBitmap::HandleAllocated() const { return image_->handle != nullptr; }

void TBitmap::SetHandle(win::HBITMAP value) {
  if (value == image_->handle) return;
  auto img = std::make_unique<Image>();
  Integer width = 0, height = 0;
  if (value) {
    if (win::GetObjectType(value) != win::OBJ_BITMAP) throw EInvalidGraphic(msg::InvalidGraphic);
    win::DIBSECTION ds;
    const int got = win::GetObject(value, sizeof ds, &ds);
    if (got <= 0) throw EInvalidGraphic(msg::InvalidGraphic);
    if (got == static_cast<int>(sizeof ds) && ds.dsBm.bmBits) {
      img->dib = true;
      img->bitCount = ds.dsBmih.biBitCount;
      width = ds.dsBm.bmWidth;
      height = ds.dsBm.bmHeight;
      img->topDown = ds.dsBmih.biHeight < 0;
      img->bits = static_cast<Byte*>(ds.dsBm.bmBits);
      img->stride = ds.dsBm.bmWidthBytes;
      if (img->bitCount == 16 || img->bitCount == 32) {
        TDibData probe;
        probe.BitCount = img->bitCount;
        std::memcpy(probe.Masks, ds.dsBitfields, sizeof probe.Masks);
        if (!probe.PlainMasks()) std::memcpy(img->masks, ds.dsBitfields, sizeof img->masks);
      }
      if (img->bitCount <= 8) {
        FreeContext();
        std::vector<win::RGBQUAD> table(std::size_t{1} << img->bitCount);
        TempDC dc(value);
        const win::UINT n = win::GetDIBColorTable(dc.Get(), 0, static_cast<win::UINT>(table.size()), table.data());
        table.resize(n);
        img->colors = n ? table : DefaultTable(img->bitCount);
        img->palette = MakePalette(img->colors);
      }
    } else {
      img->dib = false;
      img->bitCount = ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes == 1 ? 1 : 0;
      width = ds.dsBm.bmWidth;
      height = ds.dsBm.bmHeight;
    }
    img->handle = value;
  } else {
    img = image_->Layout();
  }
  TakeImage(std::move(img));
  width_ = width;
  height_ = height;
  Changed(this);
}

win::HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  win::HBITMAP h = image_->handle;
  image_->handle = nullptr;
  image_->bits = nullptr;
  width_ = height_ = 0;
  return h;
}

TBitmapHandleType TBitmap::HandleType() const { return image_->dib ? bmDIB : bmDDB; }

void TBitmap::SetHandleType(TBitmapHandleType value) {
  if (value == HandleType()) return;
  Image layout;
  const int depth = image_->Depth();
  if (value == bmDDB) {
    layout.dib = false;
    layout.bitCount = depth == 1 ? 1 : 0;
  } else {
    layout.dib = true;
    layout.bitCount = depth;
    if (depth == 16) std::memcpy(layout.masks, kMasks565, sizeof layout.masks);
    if (depth == 8) {
      const win::RGBQUAD* sys = win::SystemPaletteColors();
      layout.colors.assign(sys, sys + 256);
    } else if (depth <= 4) {
      layout.colors = DefaultTable(depth);
    }
  }
  Reformat(layout, width_, height_);
  Changed(this);
}

TPixelFormat TBitmap::PixelFormat() const {
  const Image& img = *image_;
  if (!img.dib) return pfDevice;
  const bool plain = img.masks[0] == 0 && img.masks[1] == 0 && img.masks[2] == 0;
  switch (img.bitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      if (plain) return pf15bit;
      if (std::equal(std::begin(img.masks), std::end(img.masks), std::begin(kMasks565))) return pf16bit;
      return pfCustom;
    case 24: return pf24bit;
    case 32: return plain ? pf32bit : pfCustom;
    default: return pfCustom;
  }
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == PixelFormat()) return;
  if (value == pfDevice) {
    SetHandleType(bmDDB);
    return;
  }
  if (value == pfCustom) throw EInvalidGraphic(kInvalidPixelFormat);
  Image layout;
  layout.dib = true;
  static constexpr Integer kBits[] = {0, 1, 4, 8, 16, 16, 24, 32};
  layout.bitCount = kBits[value];
  if (value == pf16bit) std::memcpy(layout.masks, kMasks565, sizeof layout.masks);
  if (layout.bitCount <= 8) {
    // A smaller table carries over at the front, so the old colours stay exactly what
    // they were; the default table fills the rest.
    layout.colors = DefaultTable(layout.bitCount);
    const Image& img = *image_;
    if (img.dib && img.bitCount < layout.bitCount)
      std::copy_n(img.colors.begin(), std::min(img.colors.size(), layout.colors.size()), layout.colors.begin());
  }
  Reformat(layout, width_, height_);
  Changed(this);
}

bool TBitmap::Monochrome() const { return image_->Depth() == 1; }

void TBitmap::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  Image layout;
  layout.dib = image_->dib;
  if (value) {
    layout.bitCount = 1;
    if (layout.dib) layout.colors = MonoColors();
  } else {
    layout.bitCount = layout.dib ? 24 : 0;
  }
  Reformat(layout, width_, height_);
  Changed(this);
}

void* TBitmap::ScanLine(Integer row) {
  if (image_->handle && !image_->dib) SetHandleType(bmDIB);
  const Image& img = *image_;
  if (!img.handle || row < 0 || row >= height_) throw EInvalidGraphicOperation(kScanLineRange);
  const Int64 memoryRow = img.topDown ? row : height_ - 1 - row;
  return img.bits + memoryRow * img.stride;
}

// ---- transparency and drawing ---------------------------------------------------------------

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == tmFixed) return transparentColor_;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, height_ - 1) & 0x00FFFFFF;
}

void TBitmap::SetTransparentColor(TColor value) {
  const TTransparentMode mode = value == clDefault ? tmAuto : tmFixed;
  if (value == transparentColor_ && mode == transparentMode_) return;
  transparentColor_ = value;
  transparentMode_ = mode;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparentMode_) return;
  transparentColor_ = value == tmAuto ? clDefault : TransparentColor();
  transparentMode_ = value;
  Changed(this);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
  if (Empty() || !canvas) return;
  canvas->RequiredState(TCanvasState{csHandleValid});
  win::HDC dst = canvas->handle_;
  win::HDC src = Canvas()->Handle();
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;

  win::HPALETTE oldPalette = nullptr;
  if (image_->palette) {
    oldPalette = win::SelectPalette(dst, image_->palette, 1);
    win::RealizePalette(dst);
  }
  const bool mono = Monochrome();
  const win::COLORREF oldText = win::GetTextColor(dst);
  const win::COLORREF oldBk = win::GetBkColor(dst);
  if (mono) {
    win::SetTextColor(dst, 0x000000);
    win::SetBkColor(dst, 0xFFFFFF);
  }
  const int oldMode = win::SetStretchBltMode(dst, mono ? win::BLACKONWHITE : win::COLORONCOLOR);

  if (Transparent()) {
    // Mask white where the image has its transparent colour; then
    // dest = ((dest ^ image) & mask) ^ image keeps the dest there and the image elsewhere.
    const win::COLORREF key = static_cast<win::COLORREF>(ColorToRGB(TransparentColor())) & 0x00FFFFFF;
    win::HBITMAP mask = win::CreateBitmap(width_, height_, 1, 1, nullptr);
    {
      TempDC maskDC(mask);
      if (mono) {
        win::BitBlt(maskDC.Get(), 0, 0, width_, height_, src, 0, 0, key == 0 ? win::NOTSRCCOPY : win::SRCCOPY);
      } else {
        const win::COLORREF srcBk = win::SetBkColor(src, key);
        win::BitBlt(maskDC.Get(), 0, 0, width_, height_, src, 0, 0, win::SRCCOPY);
        win::SetBkColor(src, srcBk);
      }
      win::SetTextColor(dst, 0x000000);
      win::SetBkColor(dst, 0xFFFFFF);
      win::StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, width_, height_, win::SRCINVERT);
      win::StretchBlt(dst, r.left, r.top, w, h, maskDC.Get(), 0, 0, width_, height_, win::SRCAND);
      win::StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, width_, height_, win::SRCINVERT);
    }
    win::DeleteObject(mask);
  } else {
    win::StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, width_, height_,
                    static_cast<win::DWORD>(canvas->CopyMode()));
  }

  win::SetStretchBltMode(dst, oldMode);
  win::SetTextColor(dst, oldText);
  win::SetBkColor(dst, oldBk);
  if (oldPalette) win::SelectPalette(dst, oldPalette, 1);
}
