#include "bitmaps/byte_map.h"

#include <limits>

#include "bitmaps/bitmap32.h"
#include "platform/classlib/exceptions.h"

const TClass& TByteMap::StaticClass() {
  static const TClass cls = TClass::Of<TByteMap>("TByteMap", TCustomMap::StaticClass());
  return cls;
}

bool TByteMap::SetSize(Integer NewWidth, Integer NewHeight) {
  if (NewWidth < 0) NewWidth = 0;
  if (NewHeight < 0) NewHeight = 0;
  const Int64 length = Int64{NewWidth} * Int64{NewHeight};
  if (length > std::numeric_limits<Integer>::max()) throw EOutOfMemory("Byte map too large");
  if (!TCustomMap::SetSize(NewWidth, NewHeight)) return false;
  bits_.resize(static_cast<std::size_t>(length));
  Changed();
  return true;
}

void TByteMap::ReadFrom(TBitmap32* Source, TByteChannel Channel) {
  BeginUpdate();
  try {
    SetSize(Source->Width(), Source->Height());
    if (!Empty() && !Source->Empty()) {
      const TColor32* src = Source->Bits();
      const std::size_t n = bits_.size();
      Byte* dst = bits_.data();
      switch (Channel) {
        case bcRed:
          for (std::size_t i = 0; i < n; ++i) dst[i] = RedComponent(src[i]);
          break;
        case bcGreen:
          for (std::size_t i = 0; i < n; ++i) dst[i] = GreenComponent(src[i]);
          break;
        case bcBlue:
          for (std::size_t i = 0; i < n; ++i) dst[i] = BlueComponent(src[i]);
          break;
        case bcAlpha:
          for (std::size_t i = 0; i < n; ++i) dst[i] = AlphaComponent(src[i]);
          break;
        case bcUniformGrey:
          for (std::size_t i = 0; i < n; ++i)
            dst[i] = static_cast<Byte>((RedComponent(src[i]) + GreenComponent(src[i]) + BlueComponent(src[i])) / 3);
          break;
        case bcWeightedGrey:
          for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<Byte>(Intensity(src[i]));
          break;
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TByteMap::WriteTo(TBitmap32* Dest, TByteChannel Channel) {
  Dest->BeginUpdate();
  bool sizeChanged = false;
  try {
    sizeChanged = Dest->SetSize(width_, height_);
    if (!Empty() && !Dest->Empty()) {
      TColor32* dst = Dest->Bits();
      const std::size_t n = bits_.size();
      const Byte* src = bits_.data();
      // Every other byte of the pixel stays as it was.
      auto put = [&](int shift) {
        const TColor32 keep = ~(TColor32{0xFF} << shift);
        for (std::size_t i = 0; i < n; ++i) dst[i] = (dst[i] & keep) | (TColor32{src[i]} << shift);
      };
      switch (Channel) {
        case bcRed: put(16); break;
        case bcGreen: put(8); break;
        case bcBlue: put(0); break;
        case bcAlpha: put(24); break;
        case bcUniformGrey:
        case bcWeightedGrey:
          for (std::size_t i = 0; i < n; ++i) dst[i] = GrayColor32(src[i], 255);
          break;
      }
    }
  } catch (...) {
    Dest->EndUpdate();
    throw;
  }
  Dest->EndUpdate();
  Dest->Changed();
  if (sizeChanged) Dest->Resized();
}

void TByteMap::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    if (auto* map = dynamic_cast<TByteMap*>(Source)) {
      if (map != this) {
        SetSize(map->width_, map->height_);
        bits_ = map->bits_;
      }
    } else if (auto* bitmap = dynamic_cast<TBitmap32*>(Source)) {
      ReadFrom(bitmap, bcWeightedGrey);
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

void TByteMap::AssignTo(TPersistent* Dest) {
  if (auto* bitmap = dynamic_cast<TBitmap32*>(Dest))
    WriteTo(bitmap, bcUniformGrey);
  else
    TCustomMap::AssignTo(Dest);
}
