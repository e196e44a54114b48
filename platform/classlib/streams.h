#pragma once
// Streams: a position over bytes that can be read, written and sized.
//
// Read and Write may transfer fewer bytes than asked; ReadBuffer and WriteBuffer
// raise EReadError / EWriteError when they do. Seeking past the end is allowed;
// a later write there leaves zeros in the gap.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

// Seek origins.
inline constexpr Word soFromBeginning = 0;
inline constexpr Word soFromCurrent = 1;
inline constexpr Word soFromEnd = 2;

// File modes of TFileStream: one access mode or fmCreate, or-ed with one share mode.
// Share modes are accepted and ignored (one process, no locking).
inline constexpr Word fmCreate = 0xFFFF;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  ~TStream() override = default;

  // Transfers at most `count` bytes and returns how many were transferred
  // (0 at the end, or for a count of 0 or below).
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  // Returns the new position. A position before the start raises EStreamError.
  virtual Int64 Seek(Int64 offset, Word origin) = 0;

  // Reads or writes exactly `count` bytes or raises EReadError / EWriteError.
  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);

  // Copies `count` bytes from the source's current position; a count of 0 copies
  // the whole source from its start. Returns the number of bytes copied.
  Int64 CopyFrom(TStream& source, Int64 count);

  Int64 Position() { return Seek(0, soFromCurrent); }
  void SetPosition(Int64 pos) { Seek(pos, soFromBeginning); }
  // Size of the data; the position is left where it was.
  virtual Int64 Size();
  // Sets the size; the position is kept unless it lies beyond the new end.
  // Streams that cannot be sized raise EStreamError.
  virtual void SetSize(Int64 newSize);
};

// A stream over an open POSIX file descriptor that it does not close.
class THandleStream : public TStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit THandleStream(int handle) : handle_(handle) {}

  int Handle() const { return handle_; }

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, Word origin) override;
  void SetSize(Int64 newSize) override;

 protected:
  int handle_;
};

// A stream over a named file. The name may be written Windows-style
// ("C:\Data\Smoke.bmp"); it is resolved like FileExists does.
// Failures raise EFOpenError / EFCreateError naming the file.
class TFileStream : public THandleStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TFileStream(const std::string& fileName, Word mode);
  ~TFileStream() override;

  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

// A stream over a block of memory held elsewhere; reading and seeking only.
// Descendants point it at their memory with SetPointer.
class TCustomMemoryStream : public TStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  Int64 Read(void* buffer, Int64 count) override;
  // Memory it does not own is not written: returns 0.
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, Word origin) override;
  Int64 Size() override { return size_; }

  void* Memory() const { return memory_; }

  // Writes the whole content, whatever the position.
  void SaveToStream(TStream& stream);
  void SaveToFile(const std::string& fileName);

 protected:
  void SetPointer(void* memory, Int64 size);

  void* memory_ = nullptr;
  Int64 size_ = 0;
  Int64 position_ = 0;
};

// A growable stream in memory that it owns.
class TMemoryStream : public TCustomMemoryStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TMemoryStream() = default;
  ~TMemoryStream() override = default;

  Int64 Write(const void* buffer, Int64 count) override;
  void SetSize(Int64 newSize) override;

  void Clear();
  Int64 Capacity() const { return static_cast<Int64>(buffer_.size()); }

  // Replace the content with the whole of the source (from its start); on failure the
  // old content is kept. The position becomes 0.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);

 private:
  void Reserve(Int64 capacity);

  std::vector<Byte> buffer_;
};

// A stream over a string it owns.
class TStringStream : public TStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TStringStream(std::string data = std::string()) : data_(std::move(data)) {}

  const std::string& DataString() const { return data_; }

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, Word origin) override;
  Int64 Size() override { return static_cast<Int64>(data_.size()); }
  void SetSize(Int64 newSize) override;

  // Up to `count` bytes from the position (fewer at the end).
  std::string ReadString(Int64 count);
  void WriteString(const std::string& text);

 private:
  std::string data_;
  Int64 position_ = 0;
};

// A read-only stream over a resource embedded in the module, found by name and type
// (see resources.h). A missing resource raises EResNotFound.
class TResourceStream : public TCustomMemoryStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TResourceStream(const std::string& name, const std::string& type);
  // A resource with an integer id, looked up as "#<id>".
  TResourceStream(Integer id, const std::string& type);

  // Raises EStreamError: resources cannot be changed.
  Int64 Write(const void* buffer, Int64 count) override;
  void SetSize(Int64 newSize) override;

 private:
  void Initialize(const std::string& name, const std::string& type);
};
