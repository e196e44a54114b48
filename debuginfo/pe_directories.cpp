#include "debuginfo/pe_directories.h"

#include <exception>
#include <set>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"

namespace dbg {

namespace {

[[noreturn]] void FailNotPe() { RaisePeError(RsNotPeFormat); }
[[noreturn]] void FailNotResDir() { RaisePeError(RsNotResDirectory); }

constexpr std::uint64_t kImportDescriptorSize = 20;
constexpr std::uint64_t kExportDirectorySize = 40;
constexpr std::uint64_t kResourceDirectorySize = 16;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint64_t kResourceDataEntrySize = 16;
constexpr Cardinal kHighBit = 0x80000000u;

// Names are copied out of the file. Tables may point many entries at one long string;
// capping the bytes copied at the size of the file they come from keeps that linear.
class NameBudget {
 public:
  explicit NameBudget(std::uint64_t bytes) : left_(bytes) {}
  std::string Take(std::string name, void (*fail)()) {
    if (name.size() + 1 > left_) {
      fail();
      std::terminate();
    }
    left_ -= name.size() + 1;
    return name;
  }

 private:
  std::uint64_t left_;
};

TDbgPeImportedFunction ReadThunk(const PeAddressMap& map, std::uint64_t thunk, bool wide, NameBudget& names) {
  TDbgPeImportedFunction f;
  const bool byOrdinal = wide ? (thunk >> 63) != 0 : (thunk & kHighBit) != 0;
  if (byOrdinal) {
    f.Ordinal = static_cast<Word>(thunk & 0xFFFF);
    return f;
  }
  // Above bit 31 only the ordinal flag may be set.
  if (thunk > 0x7FFFFFFFu) FailNotPe();
  const Cardinal hintName = static_cast<Cardinal>(thunk);
  ByteView hn = map.Tail(hintName);
  f.Hint = hn.U16(0);
  f.Name = names.Take(hn.CString(2), FailNotPe);
  return f;
}

}  // namespace

std::vector<TDbgPeImportedLibrary> ReadImports(const PeAddressMap& map) {
  std::vector<TDbgPeImportedLibrary> libs;
  const auto& dir = map.Layout().Headers.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0 || dir.Size == 0) return libs;
  const bool wide = map.Layout().Target == TDbgPeTarget::taWin64;
  const std::uint64_t thunkSize = wide ? 8 : 4;
  // Thunk tables may in principle be shared; a budget of one entry per thunk-sized
  // piece of the file keeps a hostile table from multiplying its entries.
  std::uint64_t budget = map.File().size() / thunkSize;
  NameBudget names(map.File().size());

  ByteView descriptors = map.Tail(dir.VirtualAddress);
  for (std::uint64_t d = 0;; d += kImportDescriptorSize) {
    const Cardinal originalFirstThunk = descriptors.U32(d + 0);
    const Cardinal nameRva = descriptors.U32(d + 12);
    const Cardinal firstThunk = descriptors.U32(d + 16);
    if (nameRva == 0 && firstThunk == 0) break;  // the terminating descriptor
    TDbgPeImportedLibrary lib;
    lib.Name = names.Take(map.CString(nameRva), FailNotPe);
    const Cardinal lookup = originalFirstThunk ? originalFirstThunk : firstThunk;
    ByteView thunks = map.Tail(lookup);
    for (std::uint64_t t = 0;; t += thunkSize) {
      const std::uint64_t thunk = wide ? thunks.U64(t) : thunks.U32(t);
      if (thunk == 0) break;
      if (budget-- == 0) FailNotPe();
      lib.Functions.push_back(ReadThunk(map, thunk, wide, names));
    }
    libs.push_back(std::move(lib));
  }
  return libs;
}

TDbgPeExports ReadExports(const PeAddressMap& map) {
  TDbgPeExports out;
  const auto& dir = map.Layout().Headers.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0 || dir.Size == 0) return out;
  ByteView ed = PeView(map.Data(dir.VirtualAddress, kExportDirectorySize));
  out.TimeDateStamp = ed.U32(4);
  const Cardinal nameRva = ed.U32(12);
  out.Base = ed.U32(16);
  const Cardinal functionCount = ed.U32(20);
  const Cardinal nameCount = ed.U32(24);
  const Cardinal functionsRva = ed.U32(28);
  const Cardinal namesRva = ed.U32(32);
  const Cardinal ordinalsRva = ed.U32(36);
  if (nameRva) out.DllName = map.CString(nameRva);

  // The tables must lie in the file before anything is sized from their counts.
  const std::uint64_t fileSize = map.File().size();
  if (functionCount > 0x3FFFFFFFu || nameCount > 0x3FFFFFFFu || std::uint64_t{functionCount} * 4 > fileSize ||
      std::uint64_t{nameCount} * 4 > fileSize)
    FailNotPe();
  ByteView functions = PeView(map.Data(functionsRva, functionCount * 4));
  ByteView names = PeView(nameCount ? map.Data(namesRva, nameCount * 4) : std::span<const std::uint8_t>());
  ByteView ordinals = PeView(nameCount ? map.Data(ordinalsRva, nameCount * 2) : std::span<const std::uint8_t>());

  std::vector<int> nameIndexOf(functionCount, -1);
  for (Cardinal i = 0; i < nameCount; ++i) {
    const Word index = ordinals.U16(2 * std::uint64_t{i});
    if (index >= functionCount) FailNotPe();
    if (nameIndexOf[index] < 0) nameIndexOf[index] = static_cast<int>(i);
  }
  const std::uint64_t dirEnd = std::uint64_t{dir.VirtualAddress} + dir.Size;
  NameBudget nameBytes(fileSize);
  for (Cardinal i = 0; i < functionCount; ++i) {
    const Cardinal address = functions.U32(4 * std::uint64_t{i});
    if (address == 0) continue;  // an unused ordinal
    TDbgPeExportedFunction f;
    f.Ordinal = out.Base + i;
    f.Address = address;
    if (nameIndexOf[i] >= 0) {
      f.Hint = nameIndexOf[i];
      f.Name = nameBytes.Take(map.CString(names.U32(4 * std::uint64_t(nameIndexOf[i]))), FailNotPe);
    }
    if (address >= dir.VirtualAddress && address < dirEnd)
      f.ForwardedName = nameBytes.Take(map.CString(address), FailNotPe);
    out.Functions.push_back(std::move(f));
  }
  return out;
}

namespace {

class ResourceReader {
 public:
  explicit ResourceReader(ByteView section)
      : section_(section), budget_(section.Size() / kResourceEntrySize), names_(section.Size()) {}

  void ReadDirectory(std::uint64_t offset, int level, TDbgPeResourceNode& node) {
    // Each directory of a tree is reached once; a second visit is a loop.
    if (!visited_.insert(offset).second) FailNotResDir();
    if (!section_.Fits(offset, kResourceDirectorySize)) FailNotResDir();
    const std::uint64_t count = std::uint64_t{section_.U16(offset + 12)} + section_.U16(offset + 14);
    if (!section_.Fits(offset + kResourceDirectorySize, count * kResourceEntrySize) || count > budget_)
      FailNotResDir();
    budget_ -= count;
    node.IsDirectory = true;
    node.Children.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t e = offset + kResourceDirectorySize + i * kResourceEntrySize;
      const Cardinal name = section_.U32(e);
      const Cardinal target = section_.U32(e + 4);
      TDbgPeResourceNode child;
      if (name & kHighBit) {
        child.IsNamed = true;
        child.Name = ReadName(name & ~kHighBit);
      } else {
        child.Id = static_cast<Word>(name);
      }
      // Type and name levels hold directories; the language level holds data.
      const bool isDirectory = (target & kHighBit) != 0;
      if (isDirectory != (level < 2)) FailNotResDir();
      if (isDirectory) {
        ReadDirectory(target & ~kHighBit, level + 1, child);
      } else {
        if (!section_.Fits(target, kResourceDataEntrySize)) FailNotResDir();
        child.DataRva = section_.U32(target);
        child.DataSize = section_.U32(target + 4);
        child.CodePage = section_.U32(target + 8);
      }
      node.Children.push_back(std::move(child));
    }
  }

 private:
  std::string ReadName(std::uint64_t offset) {
    if (!section_.Fits(offset, 2)) FailNotResDir();
    const std::uint64_t length = section_.U16(offset);
    if (!section_.Fits(offset + 2, length * 2)) FailNotResDir();
    return names_.Take(WideToAnsi(section_.Sub(offset + 2, length * 2)), FailNotResDir);
  }

  ByteView section_;
  std::uint64_t budget_;
  NameBudget names_;
  std::set<std::uint64_t> visited_;
};

}  // namespace

TDbgPeResourceNode ReadResources(const PeAddressMap& map) {
  TDbgPeResourceNode root;
  root.IsDirectory = true;
  const auto& dir = map.Layout().Headers.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
  if (dir.VirtualAddress == 0 || dir.Size == 0) return root;
  // Offsets in the tree count from its root, up to the end of the section's data.
  ResourceReader(map.Tail(dir.VirtualAddress)).ReadDirectory(0, 0, root);
  return root;
}

}  // namespace dbg
