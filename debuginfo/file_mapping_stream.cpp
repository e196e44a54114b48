#include "debuginfo/file_mapping_stream.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"
#include "platform/classlib/file_paths.h"

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

template <class E>
[[noreturn]] void Raise(int id, int code) {
  throw E(dbg::LoadResString(id), static_cast<win::DWORD>(code));
}

}  // namespace

const TClass& TDbgFileMappingStream::StaticClass() {
  static const TClass cls = TClass::Of<TDbgFileMappingStream>("TDbgFileMappingStream", TCustomMemoryStream::StaticClass());
  return cls;
}

TDbgFileMappingStream::TDbgFileMappingStream(const std::string& fileName, Word fileMode) : fileName_(fileName) {
  const Word access = fileMode & 0x0003;
  readOnly_ = access == fmOpenRead;
  FileDescriptor fd(::open(ResolvePath(fileName).c_str(), (readOnly_ ? O_RDONLY : O_RDWR) | O_CLOEXEC));
  if (fd.Get() < 0) throw EDbgWin32Error(static_cast<win::DWORD>(errno));

  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) Raise<EDbgFileMappingError>(dbg::RsFailedToObtainSize, errno);
  // Only a regular file with content can be mapped, as on the window system.
  if (!S_ISREG(st.st_mode)) Raise<EDbgFileMappingError>(dbg::RsCreateFileMapping, EISDIR);
  if (st.st_size <= 0) Raise<EDbgFileMappingError>(dbg::RsCreateFileMapping, EINVAL);
  if (static_cast<std::uint64_t>(st.st_size) > SIZE_MAX) Raise<EDbgFileMappingError>(dbg::RsCreateFileMapping, EFBIG);

  const std::size_t size = static_cast<std::size_t>(st.st_size);
  void* view = ::mmap(nullptr, size, readOnly_ ? PROT_READ : (PROT_READ | PROT_WRITE), MAP_PRIVATE, fd.Get(), 0);
  if (view == MAP_FAILED) Raise<EDbgFileMappingViewError>(dbg::RsCreateFileMappingView, errno);
  // The view stays valid after the descriptor is closed.
  SetPointer(view, static_cast<Int64>(size));
}

TDbgFileMappingStream::~TDbgFileMappingStream() {
  if (memory_) ::munmap(memory_, static_cast<std::size_t>(size_));
}

Int64 TDbgFileMappingStream::Write(const void* buffer, Int64 count) {
  if (readOnly_ || count <= 0 || position_ > size_ || count > size_ - position_) return 0;
  std::memcpy(static_cast<Byte*>(memory_) + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  return count;
}
