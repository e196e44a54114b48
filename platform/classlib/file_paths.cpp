#include "platform/classlib/file_paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kPathDelimiters = "\\/:";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// File names of the system are single-byte text; only ASCII letters fold, so that
// multi-byte names on this file system are never mangled.
bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x < 0x80) x = static_cast<unsigned char>(std::tolower(x));
    if (y < 0x80) y = static_cast<unsigned char>(std::tolower(y));
    if (x != y) return false;
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

// The entry of `dir` whose name equals `name` without regard to case; the first in
// byte order when several do, so the choice does not depend on directory order.
bool FindIgnoringCase(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool any = false;
  while (dirent* e = ::readdir(d)) {
    std::string_view entry(e->d_name);
    if (entry == "." || entry == "..") continue;
    if (SameNameIgnoringCase(entry, name) && (!any || entry < std::string_view(found))) {
      found.assign(entry);
      any = true;
    }
  }
  ::closedir(d);
  return any;
}

std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::string ExtractFilePath(const std::string& fileName) {
  std::size_t i = fileName.find_last_of(kPathDelimiters);
  return i == std::string::npos ? std::string() : fileName.substr(0, i + 1);
}

std::string ExtractFileName(const std::string& fileName) {
  std::size_t i = fileName.find_last_of(kPathDelimiters);
  return i == std::string::npos ? fileName : fileName.substr(i + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
  std::size_t i = fileName.find_last_of(".\\/:");
  if (i == std::string::npos || fileName[i] != '.') return std::string();
  return fileName.substr(i);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  std::size_t i = fileName.find_last_of(".\\/:");
  if (i == std::string::npos || fileName[i] != '.') return fileName + extension;
  return fileName.substr(0, i) + extension;
}

std::string IncludeTrailingBackslash(const std::string& path) {
  if (!path.empty() && IsSeparator(path.back())) return path;
  bool slashStyle = path.find('/') != std::string::npos && path.find('\\') == std::string::npos;
  return path + (slashStyle ? '/' : '\\');
}

std::string ExcludeTrailingBackslash(const std::string& path) {
  if (!path.empty() && IsSeparator(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

std::string ResolvePath(const std::string& fileName) {
  std::string path = fileName;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
    path.erase(0, 2);
  if (path.empty() || Exists(path)) return path;

  const bool absolute = path.front() == '/';
  const bool trailing = path.back() == '/';
  std::string result = absolute ? "/" : "";
  bool matching = true;  // stops at the first component that matches nothing
  for (const std::string& part : SplitComponents(path)) {
    std::string exact = Join(result, part);
    if (!matching || part == "." || part == ".." || Exists(exact)) {
      result = exact;
      continue;
    }
    std::string found;
    if (FindIgnoringCase(result, part, found)) {
      result = Join(result, found);
    } else {
      result = exact;
      matching = false;
    }
  }
  if (trailing && !result.empty() && result.back() != '/') result += '/';
  return result;
}

bool FileExists(const std::string& fileName) {
  if (fileName.empty()) return false;
  struct stat st;
  return ::stat(ResolvePath(fileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& directory) {
  if (directory.empty()) return false;
  struct stat st;
  return ::stat(ResolvePath(directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& fileName) {
  if (fileName.empty()) return false;
  std::string path = ResolvePath(fileName);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}
