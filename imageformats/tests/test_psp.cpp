// The PSP reader on files built here (no Debian tool reads or writes the format): each
// channel compression, both block header layouts, palettes and malformed files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imageformats/psp_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kReadError = "Stream read error in PSP file.";
const std::string kInvalid = "Cannot load image. Invalid or unexpected PSP image format.";

void PutLE(Bytes& b, std::uint64_t v, int size) {
  for (int k = 0; k < size; ++k) b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}

struct Channel {
  int BitmapType;  // 0 image, 1 transparency mask
  int ChannelType;  // 0 composite, 1 red, 2 green, 3 blue
  Bytes Data;      // unpacked
};

struct PspImage {
  int Major = 5;
  int Width = 0, Height = 0, Depth = 24;
  int Compression = 0;  // 0 none, 1 run-length, 2 LZ77, 3 JPEG
  bool Grey = false;
  Bytes Palette;        // blue, green, red, pad per entry
  std::vector<Channel> Channels;
  bool DamageFirstChannel = false;  // spoil the first byte of its packed data
};

Bytes PackRLE(const Bytes& data) {
  Bytes out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t run = 1;
    while (i + run < data.size() && run < 127 && data[i + run] == data[i]) ++run;
    if (run >= 3) {
      out.insert(out.end(), {static_cast<unsigned char>(128 + run), data[i]});
      i += run;
    } else {
      const std::size_t n = std::min<std::size_t>(run, 127);
      out.push_back(static_cast<unsigned char>(n));
      out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + n));
      i += n;
    }
  }
  return out;
}

Bytes Block(int major, int id, const Bytes& data) {
  Bytes b = {'~', 'B', 'K', 0};
  PutLE(b, unsigned(id), 2);
  if (major == 3) PutLE(b, data.size(), 4);  // initial data length
  PutLE(b, data.size(), 4);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

Bytes BuildPsp(const PspImage& im) {
  Bytes f(32, 0);
  const char sig[] = "Paint Shop Pro Image File\n\x1a";
  std::memcpy(f.data(), sig, sizeof sig - 1);
  PutLE(f, unsigned(im.Major), 2);
  PutLE(f, 0, 2);
  const bool v4 = im.Major >= 4;

  Bytes attributes;
  if (v4) PutLE(attributes, 46, 4);
  PutLE(attributes, unsigned(im.Width), 4);
  PutLE(attributes, unsigned(im.Height), 4);
  Double resolution = 30.0;
  std::uint64_t bits;
  std::memcpy(&bits, &resolution, 8);
  PutLE(attributes, bits, 8);
  attributes.push_back(2);  // per centimetre
  PutLE(attributes, unsigned(im.Compression), 2);
  PutLE(attributes, unsigned(im.Depth), 2);
  PutLE(attributes, im.Depth == 24 ? 3 : 1, 2);
  PutLE(attributes, im.Depth == 24 ? 1u << 24 : 1u << im.Depth, 4);
  attributes.push_back(im.Grey ? 1 : 0);
  PutLE(attributes, 0, 4);
  attributes.resize(attributes.size() + 10, 0);
  const Bytes attributeBlock = Block(im.Major, 0, attributes);
  f.insert(f.end(), attributeBlock.begin(), attributeBlock.end());

  if (!im.Palette.empty()) {
    Bytes palette;
    if (v4) PutLE(palette, 8, 4);
    PutLE(palette, im.Palette.size() / 4, 4);
    palette.insert(palette.end(), im.Palette.begin(), im.Palette.end());
    const Bytes b = Block(im.Major, 2, palette);
    f.insert(f.end(), b.begin(), b.end());
  }

  Bytes layer;
  if (v4) {
    const std::string name = "Background";
    PutLE(layer, 4 + 2 + name.size() + 12, 4);
    PutLE(layer, name.size(), 2);
    layer.insert(layer.end(), name.begin(), name.end());
    layer.resize(layer.size() + 12, 1);  // layer information
    PutLE(layer, 8, 4);
    PutLE(layer, 1, 2);
  } else {
    layer.resize(256 + 115, 0);
    PutLE(layer, 1, 2);
  }
  PutLE(layer, im.Channels.size(), 2);
  for (const Channel& c : im.Channels) {
    Bytes packed = c.Data;
    if (im.Compression == 1) packed = PackRLE(c.Data);
    if (im.Compression == 2) packed = Deflate(c.Data);
    if (im.DamageFirstChannel && &c == &im.Channels.front()) packed[0] ^= 0xFF;
    Bytes channel;
    if (v4) PutLE(channel, 16, 4);
    PutLE(channel, packed.size(), 4);
    PutLE(channel, c.Data.size(), 4);
    PutLE(channel, unsigned(c.BitmapType), 2);
    PutLE(channel, unsigned(c.ChannelType), 2);
    channel.insert(channel.end(), packed.begin(), packed.end());
    const Bytes b = Block(im.Major, 5, channel);
    layer.insert(layer.end(), b.begin(), b.end());
  }
  const Bytes start = Block(im.Major, 3, Block(im.Major, 4, layer));
  f.insert(f.end(), start.begin(), start.end());
  return f;
}

// A channel plane of w x h with runs and noise, different for each seed.
Bytes Plane(int w, int h, unsigned seed) {
  Bytes p;
  for (int i = 0; i < w * h; ++i) {
    seed = seed * 134775813u + 1u;
    p.push_back(static_cast<unsigned char>((seed >> 28) < 4 ? seed >> 16 : (i / 9) * 23));
  }
  return p;
}

PspImage RgbImage(int major, int compression, bool alpha) {
  PspImage im;
  im.Major = major;
  im.Width = 33;
  im.Height = 7;
  im.Compression = compression;
  for (int c = 1; c <= 3; ++c) im.Channels.push_back({0, c, Plane(33, 7, unsigned(c))});
  if (alpha) im.Channels.push_back({1, 0, Plane(33, 7, 9)});
  return im;
}

void Load(TPSPGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TPSPGraphic* g = nullptr) {
  TPSPGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

Bytes ExpectedRGBA(const PspImage& im) {
  Bytes out;
  const bool alpha = im.Channels.size() > 3;
  for (int i = 0; i < im.Width * im.Height; ++i)
    out.insert(out.end(), {im.Channels[0].Data[i], im.Channels[1].Data[i], im.Channels[2].Data[i],
                           alpha ? im.Channels[3].Data[i] : static_cast<unsigned char>(255)});
  return out;
}

}  // namespace

TEST(PspReader, RgbChannelsOfEveryCompressionAndBothBlockLayouts) {
  for (int major : {3, 5})
    for (int compression : {0, 1, 2})
      for (bool alpha : {false, true}) {
        SCOPED_TRACE("version " + std::to_string(major) + " compression " + std::to_string(compression) +
                     (alpha ? " with mask" : ""));
        const PspImage im = RgbImage(major, compression, alpha);
        const Bytes file = BuildPsp(im);
        TMemoryStream s;
        FillStream(s, file);
        EXPECT_TRUE(TPSPGraphic::CanLoad(static_cast<TStream&>(s)));
        EXPECT_EQ(s.Position(), 0);
        TPSPGraphic g;
        Load(g, file);
        ASSERT_EQ(g.Width(), 33);
        ASSERT_EQ(g.Height(), 7);
        EXPECT_EQ(g.PixelFormat(), alpha ? pf32bit : pf24bit);
        EXPECT_EQ(g.ImageProperties().Version, unsigned(major));
        EXPECT_FLOAT_EQ(g.ImageProperties().XResolution, 30.0f * 2.54f);
        EXPECT_EQ(FirstDifference(BitmapRGBA(g), ExpectedRGBA(im), 0), -1);
      }
}

TEST(PspReader, IndexedAndGreyImages) {
  PspImage im;
  im.Width = 5;
  im.Height = 2;
  im.Depth = 8;
  im.Compression = 1;
  im.Channels.push_back({0, 0, {0, 1, 2, 2, 2, 1, 1, 1, 0, 2}});
  im.Palette = {30, 20, 10, 0, 60, 50, 40, 0, 90, 80, 70, 0};
  TPSPGraphic g;
  Load(g, BuildPsp(im));
  ASSERT_EQ(g.PixelFormat(), pf8bit);
  Bytes rgba = BitmapRGBA(g);
  EXPECT_EQ(Bytes(rgba.begin(), rgba.begin() + 12), (Bytes{10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255}));

  im.Palette.clear();
  im.Grey = true;
  Load(g, BuildPsp(im));
  rgba = BitmapRGBA(g);
  EXPECT_EQ(Bytes(rgba.begin() + 8, rgba.begin() + 12), (Bytes{2, 2, 2, 255}));
}

TEST(PspReader, JpegCompressionIsRefused) {
  EXPECT_EQ(LoadError(BuildPsp(RgbImage(5, 3, false))),
            "Cannot load image. The compression scheme is not supported for PSP files.");
}

TEST(PspReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TPSPGraphic g;
  Load(g, BuildPsp(RgbImage(5, 0, false)));
  const Bytes before = BitmapRGBA(g);

  for (int compression : {0, 1, 2}) {
    SCOPED_TRACE(compression);
    Bytes file = BuildPsp(RgbImage(5, compression, false));
    file.resize(file.size() - 9);
    EXPECT_EQ(LoadError(file, &g), kReadError) << "last channel cut short";
  }
  PspImage im = RgbImage(5, 2, false);
  im.Channels[1].Data.resize(100);  // inflates to too little
  EXPECT_EQ(LoadError(BuildPsp(im), &g), kReadError);
  im = RgbImage(5, 2, false);
  im.DamageFirstChannel = true;
  EXPECT_EQ(LoadError(BuildPsp(im), &g), "Cannot load image. Compression error found in PSP file.");

  im = RgbImage(5, 1, false);
  im.Channels.clear();
  EXPECT_EQ(LoadError(BuildPsp(im), &g), kInvalid) << "no layer with channels";
  im = RgbImage(5, 1, false);
  im.Depth = 16;
  EXPECT_EQ(LoadError(BuildPsp(im), &g), "Invalid color format in PSP file.");
  im = RgbImage(5, 2, false);
  im.Width = 30000;
  im.Height = 4000;
  EXPECT_EQ(LoadError(BuildPsp(im), &g), kReadError) << "huge image, tiny data";
  im.Width = 70000;
  EXPECT_EQ(LoadError(BuildPsp(im), &g), "Cannot load image. The PSP image is too large (70000 x 4000).");
  Bytes file = BuildPsp(RgbImage(5, 0, false));
  file[36 + 6 + 2] = 0x7F;  // the attributes block runs past the end
  EXPECT_EQ(LoadError(file, &g), kInvalid);
  file = BuildPsp(RgbImage(5, 0, false));
  file[0] = 'p';
  EXPECT_EQ(LoadError(file, &g), kInvalid);

  EXPECT_EQ(g.Width(), 33);
  EXPECT_EQ(BitmapRGBA(g), before);
}

// The image's size is vouched for only by a channel that fills one of the planes the
// image shows: a file whose channels fill none is refused, however large it claims to be.
TEST(PspReader, AnImageNeedsAChannelThatFillsAPlaneItShows) {
  auto only = [](std::vector<Channel> channels, int depth, int width, int height) {
    PspImage im = RgbImage(5, 2, false);
    im.Depth = depth;
    im.Width = width;
    im.Height = height;
    im.Channels = std::move(channels);
    return BuildPsp(im);
  };
  const Bytes plane = Plane(33, 7, 4);
  const struct {
    const char* what;
    Bytes file;
    std::string error;
  } cases[] = {
      {"RGB, composite channel only", only({{0, 0, plane}}, 24, 33, 7), kInvalid},
      {"RGB, mask only", only({{1, 0, plane}}, 24, 33, 7), kInvalid},
      {"RGB, unknown bitmap type", only({{2, 1, plane}}, 24, 33, 7), kInvalid},
      {"huge RGB, unknown bitmap type", only({{2, 1, plane}}, 24, 8000, 8000), kInvalid},
      {"indexed, red channel only", only({{0, 1, plane}}, 8, 33, 7), kInvalid},
      {"RGB, red channel only", only({{0, 1, plane}}, 24, 33, 7), "no error"},
      {"indexed, composite only", only({{0, 0, plane}}, 8, 33, 7), "no error"},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadError(c.file), c.error) << c.what;
}
