#include "platform/filesave/whole_file_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace filesave {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on a path's links

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw SaveError(what + " " + Quoted(path) + ": " + std::strerror(error));
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Closes and removes the new file unless it was renamed into place.
class NewFile {
 public:
  NewFile(std::string target, int fd, std::string path)
      : target_(std::move(target)), fd_(fd), path_(std::move(path)) {}
  ~NewFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  void Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::write(fd_, p, size);
      if (n < 0 && errno == EINTR) continue;
      // A full disk or a size limit may take part of the bytes and then refuse the rest.
      if (n <= 0) Fail("Cannot write", target_, n < 0 ? errno : ENOSPC);
      p += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  void KeepModeOf(const struct stat& old) {
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
      // Only the owner's own files, or root, may give a file away: the new one stays ours.
    }
    if (::fchmod(fd_, old.st_mode & 07777) != 0) Fail("Cannot set the permissions of", target_, errno);
  }
  void Commit() {
    if (::fsync(fd_) != 0) Fail("Cannot write", target_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail("Cannot write", target_, errno);
    if (::rename(path_.c_str(), target_.c_str()) != 0) Fail("Cannot replace", target_, errno);
    path_.clear();
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
  }

 private:
  std::string target_;
  int fd_;
  std::string path_;
};

// A new file of a name nobody uses, beside the target, so that the rename stays on one disk.
NewFile CreateBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target + ".tmp-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string(random() % 100000);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return NewFile(target, fd, name);
    if (errno != EEXIST) Fail("Cannot create a file in the folder", FolderOf(target), errno);
  }
  Fail("Cannot create a file in the folder", FolderOf(target), EEXIST);
}

}  // namespace

std::string SaveTarget(const std::string& path) {
  std::string p = path;
  for (int links = 0;; ++links) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) {
      if (errno == ENOENT) return p;  // a new file
      Fail("Cannot reach", p, errno);
    }
    if (S_ISDIR(st.st_mode)) throw SaveError(Quoted(p) + " is a folder, not a file");
    if (S_ISREG(st.st_mode)) return p;
    if (!S_ISLNK(st.st_mode)) throw SaveError(Quoted(p) + " is not a regular file (a pipe, a device or a socket)");
    if (links >= kMaxLinks) Fail("Cannot follow the links of", path, ELOOP);
    std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(p.c_str(), buffer.data(), buffer.size());
    if (n < 0) Fail("Cannot follow the link", p, errno);
    if (static_cast<std::size_t>(n) >= buffer.size()) Fail("Cannot follow the link", p, ENAMETOOLONG);
    const std::string to(buffer.data(), static_cast<std::size_t>(n));
    p = to.empty() || to[0] == '/' ? to : FolderOf(p) + "/" + to;
  }
}

void SaveWholeFile(const std::string& path, const void* data, std::size_t size) {
  if (path.empty()) throw SaveError("No file name to save to");
  const std::string target = SaveTarget(path);
  struct stat old;
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  NewFile file = CreateBeside(target);
  file.Write(data, size);
  // The new file keeps the old one's permissions (and owner, where that is allowed).
  if (replacing) file.KeepModeOf(old);
  file.Commit();
}

}  // namespace filesave
