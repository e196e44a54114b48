#pragma once
// TKitWave: a complete RIFF wave file held in memory, checked when it is loaded, read and
// written as files, streams, the form property "Data" and compressed streams.
#include <memory>
#include <string>

#include "controlkit/kit_object.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

QM_DECLARE_EXCEPTION(EInvalidWave, Exception);

struct TKitWaveFormat {
  Cardinal RiffSize = 0;
  Cardinal SamplesPerSec = 0;
  Byte Channels = 0;  // 1 mono, 2 stereo, 0 other
  Byte IsPCM = 0;     // 1 when the format tag is 1
  Word BlockAlign = 0;
};

class TKitWave : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TKitWave() = default;
  ~TKitWave() override;

  // A new wave loaded from the file.
  static std::unique_ptr<TKitWave> CreateFromFile(const std::string& FileName);

  // A 4-byte length n, then n bytes (n = 0 clears).
  virtual void ReadData(TStream& Stream);
  // The 4-byte length and the image.
  virtual void WriteData(TStream& Stream);
  virtual void LoadFromFile(const std::string& FileName);
  // From the stream's position to its end.
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToFile(const std::string& FileName);
  // The image alone, no length.
  virtual void SaveToStream(TStream& Stream);

  // The image as a compressed stream, and back.
  void SaveCompressed(TStream& Stream);
  void LoadCompressed(TStream& Stream);

  void Clear();
  bool IsEmpty() const;
  Int64 Size() const;
  // The image (null when there is none) and what the check found in it.
  TMemoryStream* Data() const { return data_.get(); }
  const TKitWaveFormat& Format() const { return format_; }

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  // Stops any sound the system plays.
  static void StopSound();

  // The RIFF header check: "RIFF", size, "WAVE", then at once "fmt " and its fields. The
  // stream is rewound afterwards. False for anything else.
  static bool CheckWave(TStream& Stream, TKitWaveFormat& Format);

 private:
  // Loads `count` bytes of `stream`: empty clears; an invalid image raises EInvalidWave
  // and the wave keeps what it had.
  void LoadBytes(TStream& Stream, Int64 Count);

  std::unique_ptr<TMemoryStream> data_;
  TKitWaveFormat format_;
};
