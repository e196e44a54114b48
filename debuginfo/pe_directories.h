#pragma once
// The import, export and resource directories of a file-layout PE image, read into
// plain records. Bad RVAs raise "This is not a PE format"; a resource tree that is not
// a three-level tree of directories over data entries raises "Not a resource directory".
#include <string>
#include <vector>

#include "debuginfo/pe_format.h"

struct TDbgPeImportedFunction {
  std::string Name;  // empty when imported by ordinal
  Word Hint = 0;
  Word Ordinal = 0;  // valid when Name is empty
};

struct TDbgPeImportedLibrary {
  std::string Name;
  std::vector<TDbgPeImportedFunction> Functions;
};

struct TDbgPeExportedFunction {
  std::string Name;           // empty for an export by ordinal only
  Cardinal Ordinal = 0;       // biased by the directory's base
  Cardinal Address = 0;       // RVA; the forwarder string's RVA when forwarded
  int Hint = -1;              // index in the name table, -1 without a name
  std::string ForwardedName;  // "Library.Function" for a forwarded export
};

struct TDbgPeExports {
  std::string DllName;
  Cardinal Base = 0;
  Cardinal TimeDateStamp = 0;
  std::vector<TDbgPeExportedFunction> Functions;  // ascending ordinal
};

struct TDbgPeResourceNode {
  bool IsNamed = false;
  std::string Name;  // the name when IsNamed
  Word Id = 0;       // the id otherwise
  bool IsDirectory = false;
  std::vector<TDbgPeResourceNode> Children;  // directories
  Cardinal DataRva = 0;                      // data entries
  Cardinal DataSize = 0;
  Cardinal CodePage = 0;
};

namespace dbg {

std::vector<TDbgPeImportedLibrary> ReadImports(const PeAddressMap& map);
TDbgPeExports ReadExports(const PeAddressMap& map);
// The root directory; an image without resources gives an empty root.
TDbgPeResourceNode ReadResources(const PeAddressMap& map);

}  // namespace dbg
