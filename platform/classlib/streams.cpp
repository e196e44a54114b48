#include "platform/classlib/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/resources.h"
#include "platform/filesave/whole_file_save.h"

namespace {

constexpr const char* kSeekError = "Stream seek error";
constexpr const char* kSizeError = "Stream size cannot be changed";
constexpr const char* kMemoryStreamError = "Out of memory while expanding memory stream";
constexpr const char* kResourceWriteError = "Can't write to a read-only resource stream";
constexpr Int64 kCopyChunk = 0x10000;

// The new position of a seek over a stream of `size` bytes now at `position`.
Int64 SeekTarget(Int64 offset, Word origin, Int64 position, Int64 size) {
  Int64 base;
  switch (origin) {
    case soFromBeginning: base = 0; break;
    case soFromCurrent: base = position; break;
    case soFromEnd: base = size; break;
    default: throw EStreamError(kSeekError);
  }
  Int64 target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) throw EStreamError(kSeekError);
  return target;
}

std::string SystemErrorText(int err) { return std::strerror(err); }

}  // namespace

// ---------------------------------------------------------------- TStream

const TClass& TStream::StaticClass() {
  static const TClass cls = TClass::Of<TStream>("TStream", TObject::StaticClass());
  return cls;
}

void TStream::ReadBuffer(void* buffer, Int64 count) {
  if (count == 0) return;
  if (count < 0 || Read(buffer, count) != count) throw EReadError(msg::ReadError);
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  if (count == 0) return;
  if (count < 0 || Write(buffer, count) != count) throw EWriteError(msg::WriteError);
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
  if (count < 0) throw EReadError(msg::ReadError);
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<Byte> chunk(static_cast<std::size_t>(std::min(count, kCopyChunk)));
  Int64 left = count;
  while (left > 0) {
    Int64 n = std::min(left, kCopyChunk);
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    left -= n;
  }
  return count;
}

Int64 TStream::Size() {
  Int64 pos = Seek(0, soFromCurrent);
  Int64 size = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return size;
}

void TStream::SetSize(Int64) { throw EStreamError(kSizeError); }

// ---------------------------------------------------------------- THandleStream

const TClass& THandleStream::StaticClass() {
  static const TClass cls = TClass::Of<THandleStream>("THandleStream", TStream::StaticClass());
  return cls;
}

Int64 THandleStream::Read(void* buffer, Int64 count) {
  Int64 done = 0;
  auto* out = static_cast<Byte*>(buffer);
  while (done < count) {
    std::size_t want = static_cast<std::size_t>(std::min<Int64>(count - done, 1 << 30));
    ssize_t n = ::read(handle_, out + done, want);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 THandleStream::Write(const void* buffer, Int64 count) {
  Int64 done = 0;
  const auto* in = static_cast<const Byte*>(buffer);
  while (done < count) {
    std::size_t want = static_cast<std::size_t>(std::min<Int64>(count - done, 1 << 30));
    ssize_t n = ::write(handle_, in + done, want);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 THandleStream::Seek(Int64 offset, Word origin) {
  int whence;
  switch (origin) {
    case soFromBeginning: whence = SEEK_SET; break;
    case soFromCurrent: whence = SEEK_CUR; break;
    case soFromEnd: whence = SEEK_END; break;
    default: throw EStreamError(kSeekError);
  }
  off_t pos = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (pos < 0) throw EStreamError(kSeekError);
  return pos;
}

void THandleStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError(kSizeError);
  Int64 pos = Position();
  if (::ftruncate(handle_, static_cast<off_t>(newSize)) != 0)
    throw EStreamError(std::string(kSizeError) + ". " + SystemErrorText(errno));
  if (pos > newSize) Seek(newSize, soFromBeginning);
}

// ---------------------------------------------------------------- TFileStream

const TClass& TFileStream::StaticClass() {
  static const TClass cls = TClass::Of<TFileStream>("TFileStream", THandleStream::StaticClass());
  return cls;
}

TFileStream::TFileStream(const std::string& fileName, Word mode) : THandleStream(-1), fileName_(fileName) {
  const std::string path = ResolvePath(fileName);
  if (mode == fmCreate) {
    handle_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (handle_ < 0) throw CreateFmt<EFCreateError>(msg::FCreateError, fileName, SystemErrorText(errno));
  } else {
    int flags;
    switch (mode & 0x0003) {
      case fmOpenRead: flags = O_RDONLY; break;
      case fmOpenWrite: flags = O_WRONLY; break;
      case fmOpenReadWrite: flags = O_RDWR; break;
      default: throw CreateFmt<EFOpenError>(msg::FOpenError, fileName, SystemErrorText(EINVAL));
    }
    handle_ = ::open(path.c_str(), flags | O_CLOEXEC);
    if (handle_ < 0) throw CreateFmt<EFOpenError>(msg::FOpenError, fileName, SystemErrorText(errno));
  }
  // A directory opens for reading here, but is no file to stream.
  struct stat st;
  if (::fstat(handle_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(handle_);
    handle_ = -1;
    throw CreateFmt<EFOpenError>(msg::FOpenError, fileName, SystemErrorText(EISDIR));
  }
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

// ---------------------------------------------------------------- TCustomMemoryStream

const TClass& TCustomMemoryStream::StaticClass() {
  static const TClass cls = TClass::Of<TCustomMemoryStream>("TCustomMemoryStream", TStream::StaticClass());
  return cls;
}

void TCustomMemoryStream::SetPointer(void* memory, Int64 size) {
  memory_ = memory;
  size_ = size;
}

Int64 TCustomMemoryStream::Read(void* buffer, Int64 count) {
  if (count <= 0 || position_ >= size_) return 0;
  Int64 n = std::min(count, size_ - position_);
  std::memcpy(buffer, static_cast<const Byte*>(memory_) + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

Int64 TCustomMemoryStream::Write(const void*, Int64) { return 0; }

Int64 TCustomMemoryStream::Seek(Int64 offset, Word origin) {
  position_ = SeekTarget(offset, origin, position_, size_);
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  if (size_ > 0) stream.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) {
  try {
    filesave::SaveWholeFile(ResolvePath(fileName), memory_, static_cast<std::size_t>(size_));
  } catch (const filesave::SaveError& e) {
    throw EFCreateError(e.what());
  }
}

// ---------------------------------------------------------------- TMemoryStream

const TClass& TMemoryStream::StaticClass() {
  static const TClass cls = TClass::Of<TMemoryStream>("TMemoryStream", TCustomMemoryStream::StaticClass());
  return cls;
}

void TMemoryStream::Reserve(Int64 capacity) {
  if (capacity <= Capacity()) return;
  // Grow by half again, in 8 KiB blocks, so that byte-wise writing stays linear.
  constexpr Int64 kBlock = 0x2000;
  Int64 grown = std::max(capacity, Capacity() + Capacity() / 2);
  if (grown > std::numeric_limits<Int64>::max() - kBlock) throw EStreamError(kMemoryStreamError);
  grown = (grown + kBlock - 1) / kBlock * kBlock;
  if (static_cast<std::uint64_t>(grown) > buffer_.max_size()) throw EStreamError(kMemoryStreamError);
  try {
    buffer_.resize(static_cast<std::size_t>(grown));
  } catch (const std::bad_alloc&) {
    throw EStreamError(kMemoryStreamError);
  } catch (const std::length_error&) {
    throw EStreamError(kMemoryStreamError);
  }
  SetPointer(buffer_.data(), size_);
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  Int64 end;
  if (__builtin_add_overflow(position_, count, &end)) throw EStreamError(kMemoryStreamError);
  if (end > size_) {
    Reserve(end);
    // Bytes between the old end and a position sought past it read as zeros, even
    // where the buffer held data before a shrink.
    if (position_ > size_)
      std::memset(buffer_.data() + size_, 0, static_cast<std::size_t>(position_ - size_));
    SetPointer(buffer_.data(), end);
  }
  std::memcpy(buffer_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError(kSizeError);
  Reserve(newSize);
  if (newSize > size_) std::memset(buffer_.data() + size_, 0, static_cast<std::size_t>(newSize - size_));
  SetPointer(buffer_.empty() ? nullptr : buffer_.data(), newSize);
  if (position_ > newSize) position_ = newSize;
}

void TMemoryStream::Clear() {
  std::vector<Byte>().swap(buffer_);
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  Int64 size = stream.Size();
  std::vector<Byte> fresh;
  try {
    fresh.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    throw EStreamError(kMemoryStreamError);
  } catch (const std::length_error&) {
    throw EStreamError(kMemoryStreamError);
  }
  stream.ReadBuffer(fresh.data(), size);
  buffer_.swap(fresh);
  SetPointer(buffer_.empty() ? nullptr : buffer_.data(), size);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// ---------------------------------------------------------------- TStringStream

const TClass& TStringStream::StaticClass() {
  static const TClass cls = TClass::Of<TStringStream>("TStringStream", TStream::StaticClass());
  return cls;
}

Int64 TStringStream::Read(void* buffer, Int64 count) {
  Int64 size = Size();
  if (count <= 0 || position_ >= size) return 0;
  Int64 n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

Int64 TStringStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  Int64 end;
  if (__builtin_add_overflow(position_, count, &end)) throw EStreamError(kMemoryStreamError);
  try {
    if (end > Size()) data_.resize(static_cast<std::size_t>(end), '\0');
  } catch (const std::bad_alloc&) {
    throw EStreamError(kMemoryStreamError);
  } catch (const std::length_error&) {
    throw EStreamError(kMemoryStreamError);
  }
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

Int64 TStringStream::Seek(Int64 offset, Word origin) {
  position_ = SeekTarget(offset, origin, position_, Size());
  return position_;
}

void TStringStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError(kSizeError);
  try {
    data_.resize(static_cast<std::size_t>(newSize), '\0');
  } catch (const std::bad_alloc&) {
    throw EStreamError(kMemoryStreamError);
  } catch (const std::length_error&) {
    throw EStreamError(kMemoryStreamError);
  }
  if (position_ > newSize) position_ = newSize;
}

std::string TStringStream::ReadString(Int64 count) {
  Int64 size = Size();
  if (count <= 0 || position_ >= size) return std::string();
  Int64 n = std::min(count, size - position_);
  std::string result = data_.substr(static_cast<std::size_t>(position_), static_cast<std::size_t>(n));
  position_ += n;
  return result;
}

void TStringStream::WriteString(const std::string& text) { Write(text.data(), static_cast<Int64>(text.size())); }

// ---------------------------------------------------------------- TResourceStream

const TClass& TResourceStream::StaticClass() {
  static const TClass cls = TClass::Of<TResourceStream>("TResourceStream", TCustomMemoryStream::StaticClass());
  return cls;
}

TResourceStream::TResourceStream(const std::string& name, const std::string& type) { Initialize(name, type); }

TResourceStream::TResourceStream(Integer id, const std::string& type) { Initialize(MakeIntResource(id), type); }

void TResourceStream::Initialize(const std::string& name, const std::string& type) {
  ResourceData res = FindResource(name, type);
  if (!res) throw CreateFmt<EResNotFound>(msg::ResNotFound, name);
  // The memory is the module's own and is never written through this stream.
  SetPointer(const_cast<Byte*>(res.Data), static_cast<Int64>(res.Size));
}

Int64 TResourceStream::Write(const void*, Int64) { throw EStreamError(kResourceWriteError); }

void TResourceStream::SetSize(Int64) { throw EStreamError(kResourceWriteError); }
