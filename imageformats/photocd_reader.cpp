#include "imageformats/photocd_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const char* const kPCD = "Photo-CD";

constexpr Cardinal kSector = 2048;
constexpr Cardinal kHeaderBytes = 3 * kSector;
constexpr Cardinal kBaseSector = 96;     // resolution 2, 768 x 512
constexpr Cardinal kOverviewSector = 5;  // an overview's first thumbnail, 192 x 128
constexpr Cardinal kOrientationAt = 3586;

bool IsOverview(const Byte* Header) { return std::memcmp(Header, "PCD_OPA", 7) == 0; }
bool IsImagePack(const Byte* Header) { return std::memcmp(Header + kSector, "PCD", 3) == 0; }

}  // namespace

void PCDEnlargeChroma(Byte* Plane, Cardinal Width, Cardinal Height, Cardinal RowLength) {
  if (Width == 0 || Height == 0) return;
  // Spread each row to the even row below it, from the last row up so that no row is
  // overwritten before it is read.
  for (Cardinal y = Height; y-- > 0;) {
    const Byte* src = Plane + std::size_t(y) * RowLength;
    Byte* dst = Plane + std::size_t(2 * y) * RowLength;
    for (Cardinal x = Width; x-- > 0;) {
      const Byte v = src[x];
      const Byte next = x + 1 < Width ? src[x + 1] : v;
      dst[2 * x + 1] = static_cast<Byte>((v + next + 1) >> 1);
      dst[2 * x] = v;
    }
  }
  // Odd rows from the even rows around them.
  for (Cardinal y = 0; y + 1 < Height; ++y) {
    const Byte* a = Plane + std::size_t(2 * y) * RowLength;
    const Byte* b = a + 2 * std::size_t(RowLength);
    Byte* out = Plane + std::size_t(2 * y + 1) * RowLength;
    for (Cardinal x = 0; x < Width; ++x) {
      const Cardinal i = 2 * x;
      out[i] = static_cast<Byte>((a[i] + b[i] + 1) >> 1);
      if (x + 1 < Width)
        out[i + 1] = static_cast<Byte>((a[i] + a[i + 2] + b[i] + b[i + 2] + 2) >> 2);
      else
        out[i + 1] = out[i];
    }
  }
  std::memcpy(Plane + std::size_t(2 * Height - 1) * RowLength, Plane + std::size_t(2 * Height - 2) * RowLength,
              2 * std::size_t(Width));
}

const TClass& TPCDGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TPCDGraphic>("TPCDGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TPCDGraphic::TPCDGraphic() = default;
TPCDGraphic::~TPCDGraphic() = default;

bool TPCDGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TPCDGraphic>(FileName); }

bool TPCDGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  std::vector<Byte> h(2051);
  if (StreamBytesLeft(Stream) > Int64(kHeaderBytes) && Stream.Read(h.data(), 2051) == 2051)
    result = IsOverview(h.data()) || IsImagePack(h.data());
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TPCDGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  if (StreamBytesLeft(Stream) <= Int64(kHeaderBytes)) return false;
  std::vector<Byte> h(kHeaderBytes);
  if (Stream.Read(h.data(), kHeaderBytes) != Int64(kHeaderBytes)) return false;
  TImageProperties& p = FImageProperties;
  p.Overview = IsOverview(h.data());
  Cardinal resolution = 0;
  if (!p.Overview) {
    if (!IsImagePack(h.data())) return false;
    resolution = std::min<Cardinal>(ImageIndex, 5);
    p.Orientation = h[kOrientationAt] & 3;
  }
  p.ImageCount = bytes::LoadBE16(h.data() + 10);
  p.Width = 192u << resolution;
  p.Height = 128u << resolution;
  if (p.Orientation == 1 || p.Orientation == 3) std::swap(p.Width, p.Height);
  p.ColorScheme = csPhotoYCC;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 3;
  p.BitsPerPixel = 24;
  p.Compression = resolution <= 2 ? ctNone : ctPCDHuffmann;
  return true;
}

void TPCDGraphic::LoadFromStream(TStream& Stream) {
  GuardedLoad(Stream, Stream.Position(), [&] {
    // Image packs are read at the base resolution, overviews at their thumbnails' own.
    if (!ReadImageProperties(Stream, 2)) ImageFormatError(imgmsg::InvalidImage, {kPCD});
    const TImageProperties& p = FImageProperties;
    const Cardinal width = p.Overview ? 192 : 768;    // as stored: landscape
    const Cardinal height = p.Overview ? 128 : 512;
    const Cardinal sector = p.Overview ? kOverviewSector : kBaseSector;
    const Int64 start = Int64(FBasePosition) + Int64(sector) * kSector;
    const Int64 needed = Int64(width) * height * 3 / 2;
    if (Stream.Size() - start < needed) ImageFormatError(imgmsg::StreamReadError, {kPCD});

    Stream.Seek(start, soFromBeginning);
    FProgressRect = TRect{0, 0, Integer(p.Width), 1};
    ProgressStart(imgmsg::Preparing);

    FColorManager = std::make_unique<TColorManager>();
    TColorManager& cm = *FColorManager;
    SetReaderSchemes(cm, csPhotoYCC);
    cm.SetSourceBitsPerSample(8);
    cm.SetTargetBitsPerSample(8);
    cm.SetYCbCrParameters({0.2125f, 0.7154f, 0.0721f}, 2, 2);
    ProgressEnd();

    // Each pair of luminance rows is followed by one half-width row of each chroma plane.
    const std::size_t planeSize = std::size_t(width) * height;
    std::vector<Byte> luma(planeSize), chroma1(planeSize), chroma2(planeSize);
    ProgressStart(imgmsg::LoadingData);
    std::vector<Byte> block(std::size_t(width) * 3);
    for (Cardinal pair = 0; pair < height / 2; ++pair) {
      Stream.ReadBuffer(block.data(), Int64(block.size()));
      std::memcpy(&luma[std::size_t(2 * pair) * width], block.data(), 2 * std::size_t(width));
      std::memcpy(&chroma1[std::size_t(pair) * width], block.data() + 2 * width, width / 2);
      std::memcpy(&chroma2[std::size_t(pair) * width], block.data() + 2 * width + width / 2, width / 2);
    }
    ProgressEnd();
    ProgressStart("Upsampling...");
    PCDEnlargeChroma(chroma1.data(), width / 2, height / 2, width);
    PCDEnlargeChroma(chroma2.data(), width / 2, height / 2, width);
    ProgressEnd();

    TBitmap& target = BeginImage();
    target.SetPixelFormat(pf24bit);
    target.SetSize(Integer(p.Width), Integer(p.Height));
    ProgressStart(imgmsg::Transfering);
    if (p.Orientation == 1 || p.Orientation == 3) {
      // Portrait: each output row is a column of the stored image. Orientation 1 has
      // the picture's top along the stored right edge, 3 along the left.
      std::vector<Byte> row(std::size_t(height) * 3);
      Byte* y = row.data();
      Byte* c1 = y + height;
      Byte* c2 = c1 + height;
      for (Cardinal py = 0; py < p.Height; ++py) {
        for (Cardinal px = 0; px < p.Width; ++px) {
          const Cardinal sx = p.Orientation == 1 ? width - 1 - py : py;
          const Cardinal sy = p.Orientation == 1 ? px : height - 1 - px;
          const std::size_t at = std::size_t(sy) * width + sx;
          y[px] = luma[at];
          c1[px] = chroma1[at];
          c2[px] = chroma2[at];
        }
        cm.ConvertRow({y, c1, c2}, target.ScanLine(Integer(py)), p.Width, 0xFF);
        ProgressRow(py, p.Height);
      }
    } else {
      for (Cardinal row = 0; row < height; ++row) {
        const std::size_t at = std::size_t(row) * width;
        cm.ConvertRow({&luma[at], &chroma1[at], &chroma2[at]}, target.ScanLine(Integer(row)), width, 0xFF);
        ProgressRow(row, height);
      }
    }
    ProgressEnd();
    CommitImage();
  });
}
