// The binary debug-information format (its content is this library's own, so the
// damaged variants are built here), and the debug-information sources and their list.
#include <gtest/gtest.h>

#include <cstring>

#include "debuginfo/bin_debug_scanner.h"
#include "debuginfo/debug_info_sources.h"
#include "debuginfo/pe_export_list.h"
#include "debuginfo/pe_image.h"
#include "test_helpers.h"

using namespace dbgtest;

namespace {

// Builds a blob: header, units, procedures, lines, names.
struct Blob {
  std::vector<std::uint32_t> units;  // 4 words each
  std::vector<std::uint32_t> procs;  // 2 words each
  std::vector<std::uint32_t> lines;  // 2 words each
  std::string names;

  std::vector<std::uint8_t> Bytes() const {
    std::string n = names;
    while (n.size() % 4) n.push_back('\0');
    std::vector<std::uint32_t> words = {0x49474244u, 1, static_cast<std::uint32_t>(units.size() / 4),
                                        static_cast<std::uint32_t>(procs.size() / 2),
                                        static_cast<std::uint32_t>(lines.size() / 2),
                                        static_cast<std::uint32_t>(n.size())};
    words.insert(words.end(), units.begin(), units.end());
    words.insert(words.end(), procs.begin(), procs.end());
    words.insert(words.end(), lines.begin(), lines.end());
    std::vector<std::uint8_t> b(words.size() * 4);
    for (std::size_t i = 0; i < words.size(); ++i) Put32(b, 4 * i, words[i]);
    b.insert(b.end(), n.begin(), n.end());
    return b;
  }
};

// Two units: "A" [0x100,0x200) and "B" [0x300,0x380).
Blob TwoUnits() {
  Blob b;
  b.names = std::string("A\0a.pas\0B\0b.pas\0ProcA\0ProcB\0ProcB2\0", 35);
  b.units = {0x100, 0x200, 0, 2, 0x300, 0x380, 8, 10};
  b.procs = {0x100, 16, 0x300, 22, 0x340, 28};
  b.lines = {0x100, 1, 0x120, 2, 0x300, 7, 0x350, 9};
  return b;
}

bool Valid(const std::vector<std::uint8_t>& bytes) { return TDbgBinDebugScanner(bytes).ValidFormat(); }

// A copy of a generated DLL in `dir`, with the DBGINFO section renamed when `hideDbgInfo`.
std::string CopyModule(const TempDir& dir, const std::string& source, const std::string& name, bool hideDbgInfo) {
  auto bytes = ReadBytes(DataFile(source));
  if (hideDbgInfo) {
    const PeOffsets o = FindOffsets(bytes);
    for (int i = 0; i < o.sectionCount; ++i)
      if (std::memcmp(bytes.data() + o.sectionTable + 40 * i, "DBGINFO", 7) == 0)
        bytes[o.sectionTable + 40 * i] = 'X';
  }
  WriteBytes(dir.File(name), bytes);
  return dir.File(name);
}

Cardinal ExportRva(const std::string& module, const std::string& name) {
  TDbgPeImage img(module);
  return img.ExportList().ItemFromName(name)->Address();
}

}  // namespace

TEST(BinDebugScanner, LookupsByAddress) {
  TDbgBinDebugScanner s(TwoUnits().Bytes());
  ASSERT_TRUE(s.ValidFormat());
  EXPECT_EQ(s.ModuleNameFromAddr(0x1FF), "A");
  EXPECT_EQ(s.ModuleNameFromAddr(0x200), "") << "end is exclusive";
  EXPECT_EQ(s.ModuleNameFromAddr(0x0FF), "");
  Cardinal start = 0;
  ASSERT_TRUE(s.ModuleStartFromAddr(0x37F, &start));
  EXPECT_EQ(start, 0x300u);

  Cardinal offset = 0;
  EXPECT_EQ(s.ProcNameFromAddr(0x150, &offset), "ProcA");
  EXPECT_EQ(offset, 0x50u);
  EXPECT_EQ(s.ProcNameFromAddr(0x345, &offset), "ProcB2");
  EXPECT_EQ(offset, 5u);
  EXPECT_EQ(s.ProcNameFromAddr(0x250), "") << "between units";

  EXPECT_EQ(s.LineNumberFromAddr(0x121, &offset), 2);
  EXPECT_EQ(offset, 1u);
  EXPECT_EQ(s.LineNumberFromAddr(0x300), 7);
  EXPECT_EQ(s.SourceNameFromAddr(0x310), "b.pas");
}

TEST(BinDebugScanner, EveryMalformationIsInvalid) {
  const auto good = TwoUnits().Bytes();
  ASSERT_TRUE(Valid(good));
  EXPECT_FALSE(Valid({}));
  EXPECT_FALSE(Valid(std::vector<std::uint8_t>(good.begin(), good.end() - 4))) << "one word short";
  auto odd = good;
  odd.push_back(0);
  EXPECT_FALSE(Valid(odd)) << "not a multiple of 4";
  auto magic = good;
  magic[0] = 'X';
  EXPECT_FALSE(Valid(magic));
  auto version = good;
  Put32(version, 4, 2);
  EXPECT_FALSE(Valid(version));
  auto count = good;
  Put32(count, 8, 0x10000000);  // counts that the size does not hold
  EXPECT_FALSE(Valid(count));
  auto wrap = good;
  Put32(wrap, 12, 0xFFFFFFFF);
  Put32(wrap, 16, 0xFFFFFFFF);
  EXPECT_FALSE(Valid(wrap));

  Blob b = TwoUnits();
  b.units[2] = 200;  // name offset past the names
  EXPECT_FALSE(Valid(b.Bytes()));
  b = TwoUnits();
  b.names = std::string("A\0a.pas\0B\0b.pas\0ProcA\0ProcB\0ProcB2", 34);
  b.names += "xx";  // 36 bytes, the last name unterminated
  EXPECT_FALSE(Valid(b.Bytes()));
  b = TwoUnits();
  b.units[4] = 0x1F0;  // overlaps unit A
  EXPECT_FALSE(Valid(b.Bytes()));
  b = TwoUnits();
  b.units[1] = 0x100;  // empty unit
  EXPECT_FALSE(Valid(b.Bytes()));
  b = TwoUnits();
  std::swap(b.procs[0], b.procs[2]);  // out of order
  EXPECT_FALSE(Valid(b.Bytes()));
  b = TwoUnits();
  std::swap(b.lines[2], b.lines[4]);
  EXPECT_FALSE(Valid(b.Bytes()));

  TDbgBinDebugScanner invalid(magic);
  EXPECT_EQ(invalid.ProcNameFromAddr(0x150), "");
  EXPECT_TRUE(invalid.Units().empty());
}

class DebugSources : public ::testing::Test {
 protected:
  void SetUp() override { DBG_REQUIRE_PE_FILES(); }
  TempDir dir_;
};

TEST_F(DebugSources, BinaryFromTheDbgInfoSection) {
  TDbgDebugInfoBinary source(DataFile("sample32.dll"));
  ASSERT_TRUE(source.InitializeSource());
  TDbgLocationInfo info;
  ASSERT_TRUE(source.GetLocationInfo(0x1045, info));
  EXPECT_EQ(info.UnitName, "Sample");
  EXPECT_EQ(info.ProcedureName, "qm_beta");
  EXPECT_EQ(info.OffsetFromProcName, 5u);
  EXPECT_EQ(info.LineNumber, 20);
  EXPECT_EQ(info.SourceName, "sample.c");
  EXPECT_EQ(info.SymbolName(), "Sample.qm_beta");
  ASSERT_TRUE(source.GetLocationInfo(0x100A, info));
  EXPECT_EQ(info.LineNumber, 11);
  EXPECT_EQ(info.OffsetFromLineNumber, 2u);
  EXPECT_FALSE(source.GetLocationInfo(0x1100, info));
}

TEST_F(DebugSources, BinaryFromADbgiFileBesideTheModule) {
  const std::string module = CopyModule(dir_, "sample64.dll", "plain.dll", true);
  TDbgDebugInfoBinary none(module);
  EXPECT_FALSE(none.InitializeSource()) << "no section, no file";

  WriteBytes(dir_.File("plain.dbgi"), TwoUnits().Bytes());
  TDbgDebugInfoBinary source(module);
  ASSERT_TRUE(source.InitializeSource());
  TDbgLocationInfo info;
  ASSERT_TRUE(source.GetLocationInfo(0x310, info));
  EXPECT_EQ(info.SymbolName(), "B.ProcB");

  auto broken = TwoUnits().Bytes();
  broken.pop_back();
  WriteBytes(dir_.File("plain.dbgi"), broken);
  TDbgDebugInfoBinary invalid(module);
  EXPECT_FALSE(invalid.InitializeSource());
}

TEST_F(DebugSources, ExportsAsTheLastResort) {
  const std::string module = CopyModule(dir_, "sample32.dll", "bare.dll", true);
  TDbgDebugInfoExports source(module);
  ASSERT_TRUE(source.InitializeSource());
  const Cardinal gamma = ExportRva(module, "qm_gamma");
  TDbgLocationInfo info;
  ASSERT_TRUE(source.GetLocationInfo(gamma + 1, info));
  EXPECT_EQ(info.ProcedureName, "qm_gamma");
  EXPECT_EQ(info.OffsetFromProcName, 1u);
  EXPECT_EQ(info.UnitName, "");
  TDbgPeImage img(module);
  const Cardinal rdata = img.ImageSectionHeaderByName(".rdata").VirtualAddress;
  EXPECT_FALSE(source.GetLocationInfo(rdata + 4, info)) << "not in the exports' section";
}

TEST_F(DebugSources, ListPicksMapThenBinaryThenExports) {
  TDbgDebugInfoList list;
  TDbgDebugInfoSource* withMap = list.ItemFromModule(DataFile("sample32.dll"));
  ASSERT_NE(withMap, nullptr);
  EXPECT_EQ(withMap->ClassName(), "TDbgDebugInfoMap");
  EXPECT_EQ(list.ItemFromModule(DataFile("sample32.dll")), withMap) << "created once";

  const std::string binary = CopyModule(dir_, "sample32.dll", "binary.dll", false);
  EXPECT_EQ(list.ItemFromModule(binary)->ClassName(), "TDbgDebugInfoBinary");
  const std::string exports = CopyModule(dir_, "sample32.dll", "exports.dll", true);
  EXPECT_EQ(list.ItemFromModule(exports)->ClassName(), "TDbgDebugInfoExports");

  WriteBytes(dir_.File("junk.dll"), std::vector<std::uint8_t>(300, 0xCC));
  EXPECT_EQ(list.ItemFromModule(dir_.File("junk.dll")), nullptr);
  EXPECT_EQ(list.Count(), 3);

  TDbgLocationInfo info;
  ASSERT_TRUE(list.GetLocationInfo(binary, 0x1012, info));
  EXPECT_EQ(info.SymbolName(), "Sample.qm_alpha");
  EXPECT_FALSE(list.GetLocationInfo(dir_.File("junk.dll"), 0x1012, info));
}
