#include "bitmaps/bitmap32.h"

#include "bitmaps/transfers.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/clipboard.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

// "Data" holds the pixels as they lie in memory: B, G, R, A.
static_assert(std::endian::native == std::endian::little, "pixel bytes are stored as they lie in memory");


namespace {

constexpr const char* kCantAllocate = "Can't allocate the DIB handle";
constexpr const char* kCantCreateDC = "Can't create compatible DC";
constexpr const char* kCantSelect = "Can't select an object into DC";

// Pixel bytes of one bitmap stay addressable with signed 32-bit offsets.
constexpr Int64 kMaxBitmapBytes = std::numeric_limits<Integer>::max();

// Pixels of a w x h bitmap; 0 when a side is below 1.
Int64 PixelCount(Integer w, Integer h) { return (w < 1 || h < 1) ? 0 : Int64{w} * Int64{h}; }

}  // namespace

// ---- class record and published properties ----------------------------------------------

const TEnumInfo& DrawModeInfo() {
  static const TEnumInfo info("TDrawMode", {"dmOpaque", "dmBlend", "dmCustom"});
  return info;
}

const TEnumInfo& StretchFilterInfo() {
  static const TEnumInfo info("TStretchFilter", {"sfNearest", "sfLinear", "sfLinear2", "sfSpline"});
  return info;
}

const TClass& TBitmap32::StaticClass() {
  static const TClass cls = TClass::Of<TBitmap32>("TBitmap32", TCustomMap::StaticClass(), &TBitmap32::Publish);
  return cls;
}

void TBitmap32::Publish(TPublished& published) {
  auto p = published.For<TBitmap32>();
  p.Enum("DrawMode", DrawModeInfo(), &TBitmap32::DrawMode, &TBitmap32::SetDrawMode).Default(dmOpaque);
  p.Integer("MasterAlpha", &TBitmap32::MasterAlpha, &TBitmap32::SetMasterAlpha).Default(255);
  p.Integer("OuterColor", &TBitmap32::OuterColor, &TBitmap32::SetOuterColor).Default(0);
  p.Enum("StretchFilter", StretchFilterInfo(), &TBitmap32::StretchFilter, &TBitmap32::SetStretchFilter)
      .Default(sfNearest);
  p.Event("OnChange", &TBitmap32::OnChange);
  p.Event("OnPixelCombine", &TBitmap32::OnPixelCombine);
  p.Event("OnResize", &TBitmap32::OnResize);
}

// ---- life -----------------------------------------------------------------------------------

TBitmap32::TBitmap32() {
  win::BITMAPINFOHEADER& h = bitmapInfo_.bmiHeader;
  h.biSize = sizeof(win::BITMAPINFOHEADER);
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = win::BI_RGB;
  font_ = std::make_unique<TFont>();
  font_->OnChange = [this](TObject*) { FontChanged(); };
  font_->SetOwnerLock(OwnLock());
}

TBitmap32::~TBitmap32() {
  BeginUpdate();
  Lock();
  font_->OnChange = nullptr;
  font_.reset();
  // Released without SetSize(0, 0): no change or resize handler runs while the owner
  // of this bitmap may itself be half destroyed.
  FreeSurface();
  width_ = 0;
  height_ = 0;
  Unlock();
}

void TBitmap32::FreeSurface() {
  if (dc_) {
    if (oldBitmap_) win::SelectObject(dc_, oldBitmap_);
    win::DeleteDC(dc_);
  }
  if (handle_) win::DeleteObject(handle_);
  dc_ = nullptr;
  handle_ = nullptr;
  oldBitmap_ = nullptr;
  bits_ = nullptr;
}

void TBitmap32::FontChanged() {
  // A font handle about to go must not stay selected into the context.
  if (!dc_) return;
  win::HGDIOBJ systemFont = win::GetStockObject(win::SYSTEM_FONT);
  if (systemFont && win::GetCurrentObject(dc_, win::OBJ_FONT) != systemFont) win::SelectObject(dc_, systemFont);
}

void TBitmap32::SetFont(TFont* value) { font_->Assign(value); }

// ---- size -------------------------------------------------------------------------------------

bool TBitmap32::SetSize(Integer NewWidth, Integer NewHeight) {
  if (NewWidth < 1) NewWidth = 0;
  if (NewHeight < 1) NewHeight = 0;
  if (NewWidth == width_ && NewHeight == height_) return false;
  // Refused before anything is freed: a size that cannot be held changes nothing.
  if (PixelCount(NewWidth, NewHeight) > kMaxBitmapBytes / 4) throw Exception(kCantAllocate);

  FreeSurface();
  width_ = 0;
  height_ = 0;
  if (NewWidth >= 1 && NewHeight >= 1) {
    bitmapInfo_.bmiHeader.biWidth = NewWidth;
    bitmapInfo_.bmiHeader.biHeight = -NewHeight;
    void* bits = nullptr;
    try {
      handle_ = win::CreateDIBSection(nullptr, &bitmapInfo_, win::DIB_RGB_COLORS, &bits, nullptr, 0);
    } catch (const std::bad_alloc&) {
      handle_ = nullptr;
      bits = nullptr;
    }
    if (!bits) {
      if (handle_) win::DeleteObject(handle_);
      handle_ = nullptr;
      throw Exception(kCantAllocate);
    }
    dc_ = win::CreateCompatibleDC(nullptr);
    if (!dc_) {
      win::DeleteObject(handle_);
      handle_ = nullptr;
      throw Exception(kCantCreateDC);
    }
    oldBitmap_ = win::SelectObject(dc_, handle_);
    if (!oldBitmap_) {
      win::DeleteDC(dc_);
      win::DeleteObject(handle_);
      dc_ = nullptr;
      handle_ = nullptr;
      throw Exception(kCantSelect);
    }
    bits_ = static_cast<TColor32*>(bits);
  }
  width_ = NewWidth;
  height_ = NewHeight;
  Changed();
  Resized();
  return true;
}

bool TBitmap32::Empty() const { return handle_ == nullptr; }

// ---- pixels -----------------------------------------------------------------------------------

void TBitmap32::Clear(TColor32 FillColor) {
  if (!Empty()) FillLongwords(bits_, static_cast<Integer>(PixelCount(width_, height_)), FillColor);
  Changed();
}

void TBitmap32::ResetAlpha() {
  const Int64 n = Empty() ? 0 : PixelCount(width_, height_);
  for (Int64 i = 0; i < n; ++i) bits_[i] |= 0xFF000000u;
  Changed();
}

TColor32 TBitmap32::PixelS(Integer X, Integer Y) const {
  if (X < 0 || X >= width_ || Y < 0 || Y >= height_ || !bits_) return outerColor_;
  return Pixel(X, Y);
}

void TBitmap32::FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  for (Integer y = Y1; y < Y2; ++y) FillLongwords(PixelPtr(X1, y), X2 - X1, Value);
  Changed();
}

void TBitmap32::FillRectS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  if (!(X1 < X2 && Y1 < Y2 && X1 < width_ && Y1 < height_ && X2 >= 1 && Y2 >= 1)) return;
  if (X1 < 0) X1 = 0;
  if (Y1 < 0) Y1 = 0;
  if (X2 > width_) X2 = width_;
  if (Y2 > height_) Y2 = height_;
  FillRect(X1, Y1, X2, Y2, Value);
}

// ---- settings ---------------------------------------------------------------------------------

void TBitmap32::SetDrawMode(TDrawMode value) {
  if (value == drawMode_) return;
  drawMode_ = value;
  Changed();
}

void TBitmap32::SetMasterAlpha(TColor32 value) {
  // The blends take weights up to 255 only.
  if (value > 255) value = 255;
  if (value == masterAlpha_) return;
  masterAlpha_ = value;
  Changed();
}

void TBitmap32::SetStretchFilter(TStretchFilter value) {
  if (value == stretchFilter_) return;
  stretchFilter_ = value;
  Changed();
}

// ---- drawing ----------------------------------------------------------------------------------

void TBitmap32::DrawTo(TBitmap32* Dst, const TRect& DstRect) {
  DrawTo(Dst, DstRect, MakeRect(0, 0, width_, height_));
}

void TBitmap32::DrawTo(TBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect) {
  if (!Dst || Empty() || Dst->Empty()) return;
  StretchTransfer(Dst, DstRect, this, SrcRect, stretchFilter_, drawMode_, OnPixelCombine);
  Dst->Changed();
}

void TBitmap32::DrawTo(win::HDC DC, Integer X, Integer Y) {
  if (Empty()) return;
  win::BitBlt(DC, X, Y, width_, height_, dc_, 0, 0, win::SRCCOPY);
}

bool TBitmap32::Equal(TBitmap32* B) {
  if (!B) return false;
  if (Empty() || B->Empty()) return Empty() && B->Empty();
  if (&B->ClassType() != &ClassType()) return false;
  if (B->width_ != width_ || B->height_ != height_) return false;
  return std::memcmp(bits_, B->bits_, static_cast<std::size_t>(PixelCount(width_, height_)) * sizeof(TColor32)) == 0;
}

// ---- assignment -------------------------------------------------------------------------------

void TBitmap32::AssignFromBitmap(TBitmap* Source) {
  SetSize(Source->Width(), Source->Height());
  if (Empty()) return;
  win::BitBlt(dc_, 0, 0, width_, height_, Source->Canvas()->Handle(), 0, 0, win::SRCCOPY);
  if (Source->PixelFormat() == pf32bit)
    alphaLoaded_ = true;
  else
    ResetAlpha();
}

void TBitmap32::AssignFromGraphic(TGraphic* Source) {
  if (!Source) {
    SetSize(0, 0);
    return;
  }
  SetSize(Source->Width(), Source->Height());
  if (Empty()) return;
  TCanvas canvas;
  canvas.SetHandle(dc_);
  try {
    canvas.StretchDraw(MakeRect(0, 0, width_, height_), Source);
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  canvas.SetHandle(nullptr);
  ResetAlpha();
}

void TBitmap32::Assign(TPersistent* Source) {
  alphaLoaded_ = false;
  BeginUpdate();
  try {
    if (!Source) {
      SetSize(0, 0);
    } else if (auto* other = dynamic_cast<TBitmap32*>(Source)) {
      if (other != this) {
        SetSize(other->width_, other->height_);
        if (!Empty())
          std::memcpy(bits_, other->bits_,
                      static_cast<std::size_t>(PixelCount(width_, height_)) * sizeof(TColor32));
        SetDrawMode(other->drawMode_);
        SetMasterAlpha(other->masterAlpha_);
        SetOuterColor(other->outerColor_);
        SetStretchFilter(other->stretchFilter_);
      }
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
      AssignFromBitmap(bitmap);
    } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
      AssignFromGraphic(graphic);
    } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
      if (auto* pictureBitmap = dynamic_cast<TBitmap*>(picture->Graphic()))
        AssignFromBitmap(pictureBitmap);
      else
        AssignFromGraphic(picture->Graphic());
    } else if (auto* clipboard = dynamic_cast<TClipboard*>(Source)) {
      TPicture picture;
      picture.Assign(clipboard);
      AssignFromGraphic(picture.Graphic());
    } else {
      TCustomMap::Assign(Source);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TBitmap32::AssignTo(TPersistent* Dest) {
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    AssignTo(picture->Bitmap());
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    bitmap->SetHandleType(bmDIB);
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width_, height_);
    DrawTo(bitmap->Canvas()->Handle(), 0, 0);
  } else if (auto* clipboard = dynamic_cast<TClipboard*>(Dest)) {
    TBitmap bitmap;
    AssignTo(&bitmap);
    clipboard->Assign(&bitmap);
  } else {
    TCustomMap::AssignTo(Dest);
  }
}

void TBitmap32::LoadFromFile(const std::string& FileName) {
  // The picture reads the whole file before anything here changes.
  TPicture picture;
  picture.LoadFromFile(FileName);
  Assign(&picture);
}

// ---- the "Data" property ----------------------------------------------------------------------

void TBitmap32::DefineProperties(TFiler* Filer) {
  bool hasData;
  if (TPersistent* ancestor = Filer->Ancestor()) {
    auto* ancestorBitmap = dynamic_cast<TBitmap32*>(ancestor);
    hasData = !ancestorBitmap || !Equal(ancestorBitmap);
  } else {
    hasData = !Empty();
  }
  Filer->DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, hasData);
}

void TBitmap32::ReadData(TStream& Stream) {
  TRecordReader reader(Stream);
  const Integer w = reader.I32("bitmap width");
  const Integer h = reader.I32("bitmap height");
  // Everything is checked and read before the bitmap changes.
  const Int64 count = PixelCount(w, h);
  const Int64 left = reader.BytesLeft();
  if (count > left / 4)
    throw CreateFmt<EReadError>("Bitmap data too short: %d x %d pixels, %d bytes left", w, h, left);
  if (count > kMaxBitmapBytes / 4) throw Exception(kCantAllocate);
  std::vector<TColor32> pixels(static_cast<std::size_t>(count));
  reader.Bytes(pixels.data(), count * 4, "bitmap pixels");
  SetSize(w, h);
  if (count > 0) std::memcpy(bits_, pixels.data(), static_cast<std::size_t>(count) * sizeof(TColor32));
  Changed();
}

void TBitmap32::WriteData(TStream& Stream) {
  TRecordWriter writer(Stream);
  writer.I32(width_);
  writer.I32(height_);
  if (!Empty()) writer.Bytes(bits_, PixelCount(width_, height_) * 4);
}
