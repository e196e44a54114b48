#include "controlkit/kit_wave.h"

#include <cstring>

#include "controlkit/kit_chunk_streams.h"
#include "platform/classlib/records.h"
#include "platform/classlib/save_file.h"
#include "platform/win/services.h"

namespace {

// "RIFF", size, "WAVE", "fmt ", chunk size, then tag, channels, rate, byte rate, alignment.
constexpr Int64 kHeaderSize = 34;

bool Tag(const Byte* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

}  // namespace

const TClass& TKitWave::StaticClass() {
  static const TClass cls = TClass::Of<TKitWave>("TKitWave", TKitObject::StaticClass());
  return cls;
}

TKitWave::~TKitWave() = default;

std::unique_ptr<TKitWave> TKitWave::CreateFromFile(const std::string& FileName) {
  auto wave = std::make_unique<TKitWave>();
  wave->LoadFromFile(FileName);
  return wave;
}

bool TKitWave::CheckWave(TStream& Stream, TKitWaveFormat& Format) {
  Byte header[kHeaderSize];
  Stream.SetPosition(0);
  const Int64 got = Stream.Read(header, kHeaderSize);
  Stream.SetPosition(0);
  if (got != kHeaderSize) return false;
  if (!Tag(header, "RIFF") || !Tag(header + 8, "WAVE") || !Tag(header + 12, "fmt ")) return false;
  TKitWaveFormat f;
  f.RiffSize = bytes::LoadLE32(header + 4);
  const Word formatTag = bytes::LoadLE16(header + 20);
  const Word channels = bytes::LoadLE16(header + 22);
  f.IsPCM = formatTag == 1 ? 1 : 0;
  f.Channels = channels == 1 ? 1 : channels == 2 ? 2 : 0;
  f.SamplesPerSec = bytes::LoadLE32(header + 24);
  f.BlockAlign = bytes::LoadLE16(header + 32);
  Format = f;
  return true;
}

void TKitWave::LoadBytes(TStream& Stream, Int64 Count) {
  if (Count <= 0) {
    Clear();
    return;
  }
  auto image = std::make_unique<TMemoryStream>();
  image->SetSize(Count);
  Stream.ReadBuffer(image->Memory(), Count);
  TKitWaveFormat format;
  if (!CheckWave(*image, format)) throw EInvalidWave(ClassName() + ": Cannot open file %s");
  data_ = std::move(image);
  format_ = format;
  Change();
}

void TKitWave::ReadData(TStream& Stream) {
  TRecordReader reader(Stream);
  const Cardinal n = reader.U32("wave length");
  reader.RequireBytes(n, "wave data");
  LoadBytes(Stream, n);
}

void TKitWave::WriteData(TStream& Stream) {
  TRecordWriter writer(Stream);
  const Int64 size = Size();
  writer.U32(static_cast<Cardinal>(size));
  if (size > 0) writer.Bytes(data_->Memory(), size);
}

void TKitWave::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TKitWave::LoadFromStream(TStream& Stream) {
  const Int64 left = Stream.Size() - Stream.Position();
  LoadBytes(Stream, left);
}

void TKitWave::SaveToFile(const std::string& FileName) {
  SaveFileWhole(FileName, [&](TStream& file) { SaveToStream(file); });
}

void TKitWave::SaveToStream(TStream& Stream) {
  const Int64 size = Size();
  if (size > 0) Stream.WriteBuffer(data_->Memory(), size);
}

void TKitWave::SaveCompressed(TStream& Stream) {
  if (IsEmpty()) {
    TMemoryStream empty;
    CompressStream(empty, Stream, 0);
    return;
  }
  data_->SetPosition(0);
  CompressStream(*data_, Stream, data_->Size());
  data_->SetPosition(0);
}

void TKitWave::LoadCompressed(TStream& Stream) {
  TMemoryStream decoded;
  DecompressStream(Stream, decoded);
  decoded.SetPosition(0);
  LoadBytes(decoded, decoded.Size());
}

void TKitWave::Clear() {
  data_.reset();
  format_ = TKitWaveFormat{};
  Change();
}

bool TKitWave::IsEmpty() const { return !data_ || data_->Size() == 0; }

Int64 TKitWave::Size() const { return data_ ? data_->Size() : 0; }

void TKitWave::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TKitWave*>(Source);
  if (!other) {
    TKitObject::Assign(Source);
    return;
  }
  if (other == this) return;
  if (other->IsEmpty()) {
    Clear();
    return;
  }
  auto image = std::make_unique<TMemoryStream>();
  image->SetSize(other->Size());
  std::memcpy(image->Memory(), other->data_->Memory(), static_cast<std::size_t>(other->Size()));
  data_ = std::move(image);
  format_ = other->format_;
  Change();
}

void TKitWave::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !IsEmpty());
}

void TKitWave::StopSound() { win::PlaySound(nullptr, nullptr, win::SND_MEMORY); }
