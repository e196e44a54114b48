#include "imageformats/tiff_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "imageformats/tiff_blocks.h"

namespace {

const char* const kTIFF = "TIF/TIFF";

TCompressionType MapCompression(Cardinal Value) {
  switch (Value) {
    case 1: return ctNone;
    case 2: return ctFaxRLE;
    case 3: return ctFax3;
    case 4: return ctFax4;
    case 5: return ctLZW;
    case 6: return ctOJPEG;
    case 7: return ctJPEG;
    case 8:
    case 32946: return ctLZ77;
    case 32766: return ctNext;
    case 32771: return ctFaxRLEW;
    case 32773: return ctPackedBits;
    case 32809: return ctThunderscan;
    case 32895: return ctIT8CTPAD;
    case 32896: return ctIT8LW;
    case 32897: return ctIT8MP;
    case 32898: return ctIT8BL;
    case 32908: return ctPixarFilm;
    case 32909: return ctPixarLog;
    case 32947: return ctDCS;
    case 34661: return ctJBIG;
    default: return ctUnknown;
  }
}

}  // namespace

Byte ReverseBits(Byte B) {
  B = static_cast<Byte>(((B & 0xF0) >> 4) | ((B & 0x0F) << 4));
  B = static_cast<Byte>(((B & 0xCC) >> 2) | ((B & 0x33) << 2));
  return static_cast<Byte>(((B & 0xAA) >> 1) | ((B & 0x55) << 1));
}

const TClass& TTIFFGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TTIFFGraphic>("TTIFFGraphic", TImageFormatGraphic::StaticClass());
  return cls;
}

TTIFFGraphic::TTIFFGraphic() = default;
TTIFFGraphic::~TTIFFGraphic() = default;

void TTIFFGraphic::SaveToStream(TStream&) {}

bool TTIFFGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TTIFFGraphic>(FileName); }

bool TTIFFGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  Int64 left = StreamBytesLeft(Stream);
  bool result = false;
  Byte h[8];
  if (left >= 9 && Stream.Read(h, 8) == 8) {
    bool le = h[0] == 'I' && h[1] == 'I';
    bool be = h[0] == 'M' && h[1] == 'M';
    if (le || be) {
      Word version = le ? bytes::LoadLE16(h + 2) : bytes::LoadBE16(h + 2);
      Cardinal ifd = le ? bytes::LoadLE32(h + 4) : bytes::LoadBE32(h + 4);
      result = version == 42 && Int64(ifd) < left;
    }
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

bool TTIFFGraphic::ReadImageProperties(TStream& Stream, Cardinal ImageIndex) {
  Int64 base = Stream.Position();
  return ReadTIFFProperties(Stream, base, Stream.Size(), ImageIndex);
}

bool TTIFFGraphic::ReadTIFFProperties(TStream& Stream, Int64 Base, Int64 Limit, Cardinal ImageIndex) {
  TImageFormatGraphic::ReadImageProperties(Stream, ImageIndex);
  TImageProperties& p = FImageProperties;
  const TTIFFDirectory& d = FDirectory;
  if (!FDirectory.Read(Stream, Base, Limit, ImageIndex, kTIFF)) return false;
  p.Version = d.Version();
  p.FirstIFD = d.FirstIFD();
  if (d.BigEndian()) p.Options |= ioBigEndian;

  p.Width = d.GetValue(tifftag::ImageWidth, 0);
  p.Height = d.GetValue(tifftag::ImageLength, 0);
  if (p.Width == 0 || p.Height == 0) return false;

  Cardinal rows = d.GetValue(tifftag::RowsPerStrip, 0xFFFFFFFFu);
  // Absent, "infinite" and 0 all mean one strip holding the whole image.
  if (rows == 0 || rows >= p.Height) rows = p.Height;
  p.RowsPerStrip.assign(1, rows);

  Cardinal samples = d.GetValue(tifftag::SamplesPerPixel, 1);
  TCardinalArray bits;
  d.GetValueList(tifftag::BitsPerSample, bits);
  Cardinal bitsPerSample = bits.empty() ? 1 : bits[0];
  // Sample sizes that differ between the image's channels, or that do not fit the
  // record, leave the colour format undefined (refused at load). Values past the
  // samples the image has are not looked at.
  const auto used = bits.begin() + std::min<std::size_t>(bits.size(), samples);
  bool uniformBits = std::all_of(bits.begin(), used, [&](Cardinal b) { return b == bitsPerSample; });
  p.SamplesPerPixel = static_cast<Byte>(std::min<Cardinal>(samples, 255));
  p.BitsPerSample = static_cast<Byte>(std::min<Cardinal>(bitsPerSample, 255));
  p.BitsPerPixel = static_cast<Byte>(std::min<Cardinal>(std::uint64_t(samples) * bitsPerSample, 255));

  p.TileWidth = d.GetValue(tifftag::TileWidth, 0);
  p.TileLength = d.GetValue(tifftag::TileLength, 0);
  if (p.TileWidth > 0 && p.TileLength > 0) p.Options |= ioTiled;

  TCardinalArray extra;
  d.GetValueList(tifftag::ExtraSamples, extra);
  p.HasAlpha = !extra.empty() && std::all_of(extra.begin(), extra.end(), [](Cardinal v) { return v <= 2; });

  p.Compression = MapCompression(d.GetValue(tifftag::Compression, 1));

  Cardinal photometric = d.GetValue(tifftag::Photometric, 0xFFFFFFFFu);
  if (photometric == 0xFFFFFFFFu) {
    if (samples >= 3)
      photometric = 2;
    else
      photometric = (p.Compression == ctFax3 || p.Compression == ctFaxRLE || p.Compression == ctFaxRLEW) ? 0 : 1;
  }
  switch (photometric) {
    case 0:
      p.ColorScheme = csGray;
      p.Options |= ioMinIsWhite;
      break;
    case 1: p.ColorScheme = csGray; break;
    case 2: p.ColorScheme = samples < 4 ? csRGB : csRGBA; break;
    case 3: p.ColorScheme = csIndexed; break;
    case 5: p.ColorScheme = csCMYK; break;
    case 6: p.ColorScheme = csYCbCr; break;
    case 8: p.ColorScheme = csCIELab; break;
    default: p.ColorScheme = csUndefined; break;
  }
  if (!uniformBits || samples > 255 || bitsPerSample > 255) p.ColorScheme = csUndefined;

  FYCbCrPositioning = 1;
  FYCbCrCoefficients = {0.299f, 0.587f, 0.114f};
  if (p.ColorScheme == csYCbCr) {
    TByteArray sub;
    d.GetValueList(tifftag::YCbCrSubSampling, sub);
    p.YCbCrSubSampling = sub.size() >= 2 ? TByteArray{sub[0], sub[1]} : TByteArray{2, 2};
    FYCbCrPositioning = static_cast<Word>(d.GetValue(tifftag::YCbCrPositioning, 1));
    TFloatArray coefficients;
    d.GetValueList(tifftag::YCbCrCoefficients, coefficients);
    // Weights outside 0..1 (a zero green weight would divide by zero) keep the defaults.
    if (coefficients.size() >= 3 &&
        std::all_of(coefficients.begin(), coefficients.begin() + 3, [](Single c) { return c > 0.0f && c < 1.0f; }))
      FYCbCrCoefficients.assign(coefficients.begin(), coefficients.begin() + 3);
  }

  // Pseudo-tags of the JPEG codec: never stored in a file, so always their defaults.
  p.JPEGColorMode = 0;
  p.JPEGTablesMode = 3;
  p.PlanarConfig = d.GetValue(tifftag::PlanarConfig, 1);
  p.XResolution = d.GetFloatValue(tifftag::XResolution, 0.0f);
  p.YResolution = d.GetFloatValue(tifftag::YResolution, 0.0f);
  if (d.GetValue(tifftag::ResolutionUnit, 2) == 3) {
    p.XResolution *= 2.54f;
    p.YResolution *= 2.54f;
  }
  p.Predictor = d.GetValue(tifftag::Predictor, 1);
  if (d.GetValue(tifftag::FillOrder, 1) == 2) p.Options |= ioReversed;
  return true;
}

void TTIFFGraphic::LoadFromStream(TStream& Stream) {
  Int64 base = Stream.Position();
  LoadTIFF(Stream, base, Stream.Size());
}

void TTIFFGraphic::LoadTIFF(TStream& Stream, Int64 Base, Int64 Limit) {
  GuardedLoad(Stream, Base, [&] {
    if (!ReadTIFFProperties(Stream, Base, Limit, 0)) ImageFormatError(imgmsg::InvalidImage, {kTIFF});
    TImageProperties& p = FImageProperties;
    CheckImageSize(p.Width, p.Height, kTIFF);
    Stream.Seek(Base, soFromBeginning);
    FProgressRect = TRect{0, 0, Integer(p.Width), 1};
    ProgressStart(imgmsg::Preparing);

    FColorManager = std::make_unique<TColorManager>();
    TTIFFColorSetup setup = ChooseTIFFColorSetup(p, kTIFF);

    TColorManager& cm = *FColorManager;
    cm.SetSourceOptions(setup.SourceOptions);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetSourceSamplesPerPixel(setup.SourceSamples);
    cm.SetSourceColorScheme(setup.Source);
    cm.SetTargetBitsPerSample(setup.TargetBits);
    cm.SetTargetSamplesPerPixel(setup.TargetSamples);
    cm.SetTargetColorScheme(setup.Target);
    // Refuses subsampling values it does not know before the blocks are planned by them.
    if (setup.Source == csYCbCr)
      cm.SetYCbCrParameters(std::span<const Single>(FYCbCrCoefficients), setup.HSubsampling, setup.VSubsampling);
    TTIFFBlockLayout layout = PlanTIFFBlocks(FDirectory, p, setup, kTIFF);

    TBitmap& target = BeginImage();
    target.SetPixelFormat(cm.GetPixelFormat(true));
    target.SetSize(Integer(p.Width), Integer(p.Height));
    if (setup.Target == csGray) {
      target.SetPalette(cm.CreateGrayscalePalette((p.Options & ioMinIsWhite) != 0));
    } else if (setup.Target == csIndexed) {
      TCardinalArray map;
      FDirectory.GetValueList(tifftag::ColorMap, map);
      Cardinal colors = Cardinal(map.size() / 3);
      if (map.size() % 3 != 0 || colors == 0 || map.size() > 768) ImageFormatError(imgmsg::InvalidPalette, {kTIFF});
      std::vector<Word> planes(map.begin(), map.end());
      target.SetPalette(cm.CreateColorPalette({planes.data(), planes.data() + colors, planes.data() + 2 * colors},
                                              pfPlane16Triple, colors, false));
    }

    ProgressEnd();
    ProgressStart(imgmsg::Transfering);
    DecodeTIFFBlocks(FDirectory, p, layout, cm, target, kTIFF, [this](Cardinal Row, Cardinal Height) {
      ProgressRow(Row, Height);
    });
    ProgressEnd();
    CommitImage();
  });
}
