#pragma once
// Saves a file all or nothing. The bytes go into a new file beside the target, are
// flushed to the disk, and only then renamed over the target: on any failure the old file
// stays byte for byte and the new one is removed. A name that is a symbolic link saves to
// the file the link points to (the link stays); a name that is a folder, a pipe, a device
// or a socket is refused without being opened, so nothing waits on a pipe's reader.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace filesave {

// what() names the file and the reason, e.g. Cannot write "a.zke": File too large.
class SaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void SaveWholeFile(const std::string& path, const void* data, std::size_t size);

// The file a save of `path` writes: links followed to their end (which need not exist).
std::string SaveTarget(const std::string& path);

}  // namespace filesave
