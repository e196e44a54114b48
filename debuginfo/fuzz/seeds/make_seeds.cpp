// Seeds of the debuginfo fuzz targets from the PE files the tests build: the images and
// their maps as they are, their version resources (and one of the 16-bit layout, which
// no tool at hand writes) and their DBGINFO sections.
// Usage: make_seeds <PE data dir> <seed root>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "debuginfo/pe_image.h"
#include "debuginfo/pe_resource_list.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A block of the 16-bit layout: length, value length, key, padding, value, children.
Bytes Block16(const std::string& key, const Bytes& value, const std::vector<Bytes>& children = {}) {
  Bytes b(4, 0);
  b.insert(b.end(), key.begin(), key.end());
  b.push_back(0);
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    while (b.size() % 4) b.push_back(0);
    b.insert(b.end(), child.begin(), child.end());
  }
  b[0] = static_cast<std::uint8_t>(b.size());
  b[1] = static_cast<std::uint8_t>(b.size() >> 8);
  b[2] = static_cast<std::uint8_t>(value.size());
  b[3] = static_cast<std::uint8_t>(value.size() >> 8);
  return b;
}

Bytes Narrow() {
  Bytes fixed(52, 0);
  const std::uint8_t signature[4] = {0xBD, 0x04, 0xEF, 0xFE};
  std::copy(signature, signature + 4, fixed.begin());
  fixed[10] = 3;
  fixed[8] = 1;
  const Bytes text{'O', 'l', 'd', ' ', 'C', 'o', 0};
  return Block16("VS_VERSION_INFO", fixed,
                 {Block16("StringFileInfo", {},
                          {Block16("040904E4", {}, {Block16("CompanyName", text)})}),
                  Block16("VarFileInfo", {}, {Block16("Translation", {0x09, 0x04, 0xE4, 0x04})})});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds <PE data dir> <seed root>\n");
    return 2;
  }
  const std::string data = argv[1], root = argv[2];
  std::ifstream missing(data + "/TOOLS_MISSING");
  if (missing) return 0;  // no PE files: the targets run from empty seeds
  for (const char* bits : {"32", "64"}) {
    const std::string name = std::string("sample") + bits;
    const Bytes image = ReadFile(data + "/" + name + ".dll");
    WriteFile(root + "/fuzz_pe_image/" + name + ".dll", image);
    WriteFile(root + "/fuzz_map/" + name + ".map", ReadFile(data + "/" + name + ".map"));
    TDbgPeImage pe;
    pe.LoadFromBytes(image, name);
    auto version = pe.ResourceList().FindFirstResource(DbgResTypeVersion)->RawData();
    WriteFile(root + "/fuzz_version_info/" + name + ".ver", Bytes(version.begin(), version.end()));
    auto section = pe.SectionData("DBGINFO");
    WriteFile(root + "/fuzz_bin_debug/" + name + ".bin", Bytes(section.begin(), section.end()));
  }
  WriteFile(root + "/fuzz_version_info/narrow.ver", Narrow());
  return 0;
}
