// Wave data: the RIFF check on waves made by sox and by hand, file, stream, form and
// compressed round trips, hostile lengths, and stopping sounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "controlkit/kit_chunk_streams.h"
#include "controlkit/kit_wave.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/streams.h"
#include "platform/win/services.h"
#include "platform/win/window.h"

namespace {

using Bytes = std::vector<Byte>;

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<Byte>(v));
  b.push_back(static_cast<Byte>(v >> 8));
}
void Put32(Bytes& b, unsigned v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

// A RIFF wave: `first` is the chunk that follows "WAVE" ("fmt " for a valid file).
Bytes MakeWave(unsigned tag, unsigned channels, unsigned rate, unsigned align, const char* first = "fmt ") {
  Bytes body;
  PutTag(body, "WAVE");
  if (std::strcmp(first, "fmt ") != 0) {
    PutTag(body, first);
    Put32(body, 4);
    PutTag(body, "INFO");
  }
  PutTag(body, "fmt ");
  Put32(body, 16);
  Put16(body, tag);
  Put16(body, channels);
  Put32(body, rate);
  Put32(body, rate * align);
  Put16(body, align);
  Put16(body, 8 * align / (channels ? channels : 1));
  PutTag(body, "data");
  Put32(body, 8);
  for (int i = 0; i < 8; ++i) body.push_back(static_cast<Byte>(i * 30));
  Bytes file;
  PutTag(file, "RIFF");
  Put32(file, static_cast<unsigned>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

Bytes WaveBytes(const TKitWave& wave) {
  if (wave.IsEmpty()) return {};
  const auto* p = static_cast<const Byte*>(wave.Data()->Memory());
  return Bytes(p, p + wave.Size());
}

void LoadBytes(TKitWave& wave, const Bytes& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  wave.LoadFromStream(s);
}

Bytes ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HaveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

TEST(KitWaveTest, ChecksWavesMadeBySox) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  struct Case {
    const char* options;
    Cardinal rate;
    Byte channels;
    Byte pcm;
    Word align;
  };
  const std::vector<Case> cases = {
      {"-r 8000 -c 1 -b 16", 8000, 1, 1, 2},
      {"-r 44100 -c 2 -b 8", 44100, 2, 1, 2},
      {"-r 22050 -c 1 -e floating-point -b 32", 22050, 1, 0, 4},
  };
  const std::string dir = ::testing::TempDir();
  for (const Case& c : cases) {
    const std::string path = dir + "kit_wave_sox.wav";
    const std::string command = std::string("sox -n ") + c.options + " " + path + " synth 0.01 sine 440";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Bytes file = ReadFile(path);
    auto wave = TKitWave::CreateFromFile(path);
    EXPECT_EQ(WaveBytes(*wave), file);
    EXPECT_EQ(wave->Format().RiffSize, file.size() - 8) << c.options;
    EXPECT_EQ(wave->Format().SamplesPerSec, c.rate) << c.options;
    EXPECT_EQ(wave->Format().Channels, c.channels) << c.options;
    EXPECT_EQ(wave->Format().IsPCM, c.pcm) << c.options;
    EXPECT_EQ(wave->Format().BlockAlign, c.align) << c.options;

    // Saved again byte for byte.
    const std::string copy = dir + "kit_wave_copy.wav";
    wave->SaveToFile(copy);
    EXPECT_EQ(ReadFile(copy), file);
  }
}

TEST(KitWaveTest, ChannelKinds) {
  TKitWave wave;
  LoadBytes(wave, MakeWave(1, 6, 48000, 12));
  EXPECT_EQ(wave.Format().Channels, 0);
  EXPECT_EQ(wave.Format().IsPCM, 1);
  LoadBytes(wave, MakeWave(2, 2, 11025, 4));
  EXPECT_EQ(wave.Format().Channels, 2);
  EXPECT_EQ(wave.Format().IsPCM, 0);
}

TEST(KitWaveTest, InvalidImagesAreRefusedAndTheOldOneKept) {
  TKitWave wave;
  const Bytes good = MakeWave(1, 1, 8000, 2);
  LoadBytes(wave, good);
  int changes = 0;
  wave.OnChange = [&](TObject*) { ++changes; };

  Bytes notRiff = good;
  std::memcpy(notRiff.data(), "RIFX", 4);
  Bytes notWave = good;
  std::memcpy(notWave.data() + 8, "AVI ", 4);
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"LIST chunk before fmt", MakeWave(1, 1, 8000, 2, "LIST")},
      {"fact chunk before fmt", MakeWave(1, 1, 8000, 2, "fact")},
      {"not RIFF", notRiff},
      {"not WAVE", notWave},
      {"cut in the format", Bytes(good.begin(), good.begin() + 33)},
      {"only the RIFF tag", Bytes(good.begin(), good.begin() + 4)},
  };
  for (const auto& [what, bytes] : cases) {
    try {
      LoadBytes(wave, bytes);
      ADD_FAILURE() << what << " accepted";
    } catch (const EInvalidWave& e) {
      EXPECT_EQ(e.Message(), "TKitWave: Cannot open file %s") << what;
    }
    EXPECT_EQ(WaveBytes(wave), good) << what;
    EXPECT_EQ(wave.Format().SamplesPerSec, 8000u) << what;
  }
  EXPECT_EQ(changes, 0);
  // The smallest valid image: the header up to the block alignment.
  LoadBytes(wave, Bytes(good.begin(), good.begin() + 34));
  EXPECT_EQ(wave.Size(), 34);
  EXPECT_EQ(changes, 1);
}

TEST(KitWaveTest, LoadFromStreamTakesTheRestAndAnEmptyRestClears) {
  const Bytes good = MakeWave(1, 2, 22050, 4);
  TMemoryStream s;
  s.WriteBuffer("JUNK", 4);
  s.WriteBuffer(good.data(), static_cast<Int64>(good.size()));
  s.SetPosition(4);
  TKitWave wave;
  wave.LoadFromStream(s);
  EXPECT_EQ(WaveBytes(wave), good);
  EXPECT_EQ(s.Position(), s.Size());
  wave.LoadFromStream(s);  // nothing left
  EXPECT_TRUE(wave.IsEmpty());
  EXPECT_EQ(wave.Size(), 0);

  TMemoryStream out;
  LoadBytes(wave, good);
  wave.SaveToStream(out);
  EXPECT_EQ(out.Size(), static_cast<Int64>(good.size()));
}

TEST(KitWaveTest, DataPropertyLayout) {
  TKitWave wave;
  TMemoryStream empty;
  wave.WriteData(empty);
  ASSERT_EQ(empty.Size(), 4);
  EXPECT_EQ(std::memcmp(empty.Memory(), "\0\0\0\0", 4), 0);

  const Bytes good = MakeWave(1, 1, 8000, 2);
  LoadBytes(wave, good);
  TMemoryStream full;
  wave.WriteData(full);
  ASSERT_EQ(full.Size(), static_cast<Int64>(good.size() + 4));
  const auto* p = static_cast<const Byte*>(full.Memory());
  EXPECT_EQ(p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24), static_cast<int>(good.size()));
  EXPECT_EQ(Bytes(p + 4, p + full.Size()), good);

  TKitWave other;
  full.SetPosition(0);
  other.ReadData(full);
  EXPECT_EQ(WaveBytes(other), good);
  empty.SetPosition(0);
  other.ReadData(empty);
  EXPECT_TRUE(other.IsEmpty());
}

TEST(KitWaveTest, ReadDataChecksTheLengthBeforeReading) {
  const Bytes good = MakeWave(1, 1, 8000, 2);
  TKitWave wave;
  LoadBytes(wave, good);
  for (unsigned length : {static_cast<unsigned>(good.size() + 1), 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    TMemoryStream s;
    Bytes data;
    Put32(data, length);
    data.insert(data.end(), good.begin(), good.end());
    s.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
    s.SetPosition(0);
    EXPECT_THROW(wave.ReadData(s), EReadError) << length;
    EXPECT_EQ(WaveBytes(wave), good);
  }
}

TEST(KitWaveTest, FormRoundTrip) {
  const Bytes good = MakeWave(1, 2, 44100, 4);
  TKitWave wave;
  TMemoryWriter none;
  none.WriteProperties(&wave);
  EXPECT_TRUE(none.Data().empty());  // nothing stored for an empty wave

  LoadBytes(wave, good);
  TMemoryWriter writer;
  writer.WriteProperties(&wave);
  ASSERT_EQ(writer.Data().size(), 1u);
  EXPECT_EQ(writer.Data()[0].name, "Data");

  TKitWave copy;
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&copy);
  EXPECT_EQ(WaveBytes(copy), good);
  EXPECT_EQ(copy.Format().SamplesPerSec, 44100u);
}

TEST(KitWaveTest, CompressedRoundTripAndDamagedStreams) {
  Bytes good = MakeWave(1, 1, 8000, 2);
  good.resize(good.size() + 70000, 0x80);  // long silence compresses
  good[4] = static_cast<Byte>(good.size() - 8);
  TKitWave wave;
  LoadBytes(wave, good);
  TMemoryStream packed;
  wave.SaveCompressed(packed);
  EXPECT_LT(packed.Size(), 2000);
  packed.SetPosition(0);
  TKitWave copy;
  copy.LoadCompressed(packed);
  EXPECT_EQ(WaveBytes(copy), good);

  // An empty wave stores an empty compressed stream, which loads as empty.
  TKitWave empty;
  TMemoryStream nothing;
  empty.SaveCompressed(nothing);
  EXPECT_EQ(nothing.Size(), 4);
  nothing.SetPosition(0);
  copy.LoadCompressed(nothing);
  EXPECT_TRUE(copy.IsEmpty());

  // Damage: a cut stream and a stream of something that is not a wave.
  LoadBytes(copy, good);
  TMemoryStream cut;
  cut.WriteBuffer(packed.Memory(), packed.Size() / 2);
  cut.SetPosition(0);
  EXPECT_THROW(copy.LoadCompressed(cut), EKitCompressedData);
  EXPECT_EQ(WaveBytes(copy), good);
  TMemoryStream plain, other;
  plain.WriteBuffer("not a wave at all, just text that is long enough", 48);
  plain.SetPosition(0);
  CompressStream(plain, other, 48);
  other.SetPosition(0);
  EXPECT_THROW(copy.LoadCompressed(other), EInvalidWave);
  EXPECT_EQ(WaveBytes(copy), good);
}

TEST(KitWaveTest, AssignCopiesAndClears) {
  const Bytes good = MakeWave(1, 1, 8000, 2);
  TKitWave a, b;
  LoadBytes(a, good);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Assign(&a);
  EXPECT_EQ(WaveBytes(b), good);
  EXPECT_NE(b.Data(), a.Data());
  EXPECT_EQ(b.Format().SamplesPerSec, 8000u);
  TKitWave empty;
  b.Assign(&empty);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(changes, 2);
  a.Clear();
  EXPECT_TRUE(a.IsEmpty());
}

TEST(KitWaveTest, MissingFileRaisesTheFileError) {
  TKitWave wave;
  EXPECT_THROW(wave.LoadFromFile(::testing::TempDir() + "no_such_wave.wav"), EFOpenError);
}

TEST(KitWaveTest, StopSoundStopsWhatPlays) {
  win::ResetWindowSystem();
  TKitWave::StopSound();
  ASSERT_EQ(win::RecordedSounds().size(), 1u);
  EXPECT_TRUE(win::RecordedSounds()[0].stop);
  EXPECT_EQ(win::RecordedSounds()[0].flags, win::SND_MEMORY);
}

}  // namespace
