// Version resources: the ones llvm-rc compiles into the test DLLs, a hand-built one in
// the 16-bit layout (no tool at hand writes it), and damaged copies.
#include <gtest/gtest.h>

#include <cstring>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/file_version_info.h"
#include "debuginfo/pe_image.h"
#include "debuginfo/pe_resource_list.h"
#include "test_helpers.h"

using namespace dbgtest;

namespace {

constexpr const char* kNoVersionInfo = "File contains no version information";

template <class F>
std::string VersionErrorOf(F&& f) {
  try {
    f();
  } catch (const EDbgFileVersionInfoError& e) {
    return e.Message();
  }
  return "(no EDbgFileVersionInfoError)";
}

std::vector<std::uint8_t> VersionResourceOf(const std::string& file) {
  TDbgPeImage img(file);
  auto data = img.ResourceList().FindFirstResource(DbgResTypeVersion)->RawData();
  return {data.begin(), data.end()};
}

std::string ParseError(const std::vector<std::uint8_t>& data) {
  return VersionErrorOf([&] { TDbgFileVersionInfo info(TDbgFileVersionInfo::FromData{}, data); });
}

// A block of the 16-bit layout: length, value length, single-byte key, padding,
// value, padding, children.
std::vector<std::uint8_t> Block16(const std::string& key, const std::vector<std::uint8_t>& value,
                                  const std::vector<std::vector<std::uint8_t>>& children = {}) {
  std::vector<std::uint8_t> b(4, 0);
  b.insert(b.end(), key.begin(), key.end());
  b.push_back(0);
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), value.begin(), value.end());
  for (const auto& child : children) {
    while (b.size() % 4) b.push_back(0);
    b.insert(b.end(), child.begin(), child.end());
  }
  Put16(b, 0, static_cast<std::uint16_t>(b.size()));
  Put16(b, 2, static_cast<std::uint16_t>(value.size()));
  return b;
}

std::vector<std::uint8_t> Text16(const std::string& s) {
  std::vector<std::uint8_t> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

std::vector<std::uint8_t> FixedInfo(std::uint32_t ms, std::uint32_t ls) {
  std::vector<std::uint8_t> v(52, 0);
  Put32(v, 0, 0xFEEF04BD);
  Put32(v, 8, ms);
  Put32(v, 12, ls);
  return v;
}

class VersionFiles : public ::testing::Test {
 protected:
  void SetUp() override { DBG_REQUIRE_PE_FILES(); }
};

}  // namespace

TEST_F(VersionFiles, StringsTablesAndTranslationsOfTheCompiledResource) {
  TDbgFileVersionInfo info(DataFile("sample32.dll"));
  EXPECT_TRUE(info.WideLayout());
  ASSERT_TRUE(info.HasFixedInfo());
  EXPECT_EQ(info.FixedInfo().dwFileVersionMS, 0x0004005Au);
  EXPECT_EQ(info.FixedInfo().dwFileVersionLS, (3000u << 16) | 1u);
  EXPECT_EQ(info.FixedInfo().dwFileOS, 0x40004u);
  EXPECT_EQ(info.BinFileVersion(), "4.90.3000.1");
  EXPECT_EQ(info.BinProductVersion(), "5.6.7.8");

  ASSERT_EQ(info.LanguageCount(), 2);
  EXPECT_EQ(info.LanguageKey(0), "040904E4");
  EXPECT_EQ(info.Languages(0), (TDbgLangIdRec{0x409, 1252}));
  EXPECT_EQ(info.Languages(1), (TDbgLangIdRec{0x407, 1200}));
  EXPECT_EQ(info.LanguageItems(0).Text(),
            "CompanyName=Quillmoth Tests\r\nFileDescription=Sample module\r\nFileVersion=4.90.3000.1\r\n");
  // The wide text is converted to code page 1252.
  EXPECT_EQ(info.LanguageItems(1).Strings(0), "FileDescription=Beispielmodul \xFC");
  EXPECT_EQ(info.KeyValue("FileDescription"), "Sample module");
  EXPECT_EQ(info.KeyValue("ProductName"), "");

  ASSERT_EQ(info.TranslationCount(), 2);
  EXPECT_EQ(info.Translations(0), (TDbgLangIdRec{0x409, 1252}));
  EXPECT_EQ(info.Translations(1), (TDbgLangIdRec{0x407, 1200}));
  EXPECT_THROW(info.Translations(2), EListError);
  EXPECT_THROW(info.LanguageItems(-1), EListError);

  TDbgFileVersionInfo info64(DataFile("sample64.dll"));
  EXPECT_EQ(info64.BinFileVersion(), "4.10.2222.0");
  EXPECT_EQ(info64.KeyValue("ProductName"), "Quillmoth Sample 64");
}

TEST_F(VersionFiles, FilesWithoutVersionInformation) {
  EXPECT_TRUE(TDbgFileVersionInfo::VersionResourceAvailable(DataFile("sample32.dll")));
  EXPECT_FALSE(TDbgFileVersionInfo::VersionResourceAvailable(DataFile("sample32.map")));
  EXPECT_EQ(VersionErrorOf([] { TDbgFileVersionInfo i(DataFile("sample32.map")); }), kNoVersionInfo);
  EXPECT_EQ(VersionErrorOf([] { TDbgFileVersionInfo i(DataFile("no-such-file.dll")); }), kNoVersionInfo);

  // The same image with its version resource renumbered to another type.
  auto bytes = ReadBytes(DataFile("sample32.dll"));
  const PeOffsets o = FindOffsets(bytes);
  const std::size_t root = FileOffsetOf(bytes, Get32(bytes, o.dataDirectory + 16));
  ASSERT_EQ(Get32(bytes, root + 16 + 8), 16u) << "the second type is RT_VERSION";
  Put32(bytes, root + 16 + 8, 17);
  TempDir dir;
  WriteBytes(dir.File("noversion.dll"), bytes);
  EXPECT_EQ(VersionErrorOf([&] { TDbgFileVersionInfo i(dir.File("noversion.dll")); }), kNoVersionInfo);
}

TEST(VersionInfo16, SingleByteLayoutReads) {
  auto data = Block16("VS_VERSION_INFO", FixedInfo(0x00030001, 0x00020007),
                      {Block16("StringFileInfo", {},
                               {Block16("040904E4", {},
                                        {Block16("CompanyName", Text16("Old Co")),
                                         Block16("ProductName", Text16("Old Product"))})}),
                       Block16("VarFileInfo", {}, {Block16("Translation", {0x09, 0x04, 0xE4, 0x04})})});
  TDbgFileVersionInfo info(TDbgFileVersionInfo::FromData{}, data);
  EXPECT_FALSE(info.WideLayout());
  EXPECT_EQ(info.BinFileVersion(), "3.1.2.7");
  ASSERT_EQ(info.LanguageCount(), 1);
  EXPECT_EQ(info.Languages(0), (TDbgLangIdRec{0x409, 1252}));
  EXPECT_EQ(info.LanguageItems(0).Text(), "CompanyName=Old Co\r\nProductName=Old Product\r\n");
  ASSERT_EQ(info.TranslationCount(), 1);
  EXPECT_EQ(info.Translations(0), (TDbgLangIdRec{0x409, 1252}));

  // Hostile variants of the same layout.
  auto zeroChild = data;
  Put16(zeroChild, 4 + 16 + 52, 0);  // StringFileInfo right after the fixed information
  EXPECT_EQ(ParseError(zeroChild), kNoVersionInfo);
  auto badKey = Block16("VS_VERSION_INFO", {}, {Block16("StringFileInfo", {}, {Block16("04090XE4", {})})});
  EXPECT_EQ(ParseError(badKey), kNoVersionInfo) << "table keys are 8 hexadecimal digits";
  auto noFixed = Block16("VS_VERSION_INFO", {1, 2, 3, 4});
  EXPECT_EQ(ParseError(noFixed), kNoVersionInfo) << "a value too short for the fixed information";
}

TEST_F(VersionFiles, DamagedBlocksFailInsteadOfLooping) {
  const auto good = VersionResourceOf(DataFile("sample32.dll"));
  ASSERT_EQ(ParseError(good), "(no EDbgFileVersionInfoError)");
  // Root: 6-byte header, "VS_VERSION_INFO" (32 bytes), padding to 40, 52 bytes of
  // fixed information: the first child starts at 92.
  constexpr std::size_t kFirstChild = 92;
  ASSERT_EQ(Get16(good, kFirstChild + 6), 'S');

  auto zeroRoot = good;
  Put16(zeroRoot, 0, 0);
  EXPECT_EQ(ParseError(zeroRoot), kNoVersionInfo);
  auto zeroChild = good;
  Put16(zeroChild, kFirstChild, 0);
  EXPECT_EQ(ParseError(zeroChild), kNoVersionInfo);
  auto tinyChild = good;
  Put16(tinyChild, kFirstChild, 2);  // shorter than its own header
  EXPECT_EQ(ParseError(tinyChild), kNoVersionInfo);
  auto longChild = good;
  Put16(longChild, kFirstChild, static_cast<std::uint16_t>(Get16(good, 0) - kFirstChild + 4));
  EXPECT_EQ(ParseError(longChild), kNoVersionInfo) << "a child past its parent's end";
  auto longRoot = good;
  Put16(longRoot, 0, static_cast<std::uint16_t>(good.size() + 4));
  EXPECT_EQ(ParseError(longRoot), kNoVersionInfo) << "a root past the data";
  auto signature = good;
  signature[40] ^= 0xFF;
  EXPECT_EQ(ParseError(signature), kNoVersionInfo);
  auto rootKey = good;
  rootKey[6] = 'X';
  EXPECT_EQ(ParseError(rootKey), kNoVersionInfo);
  // A key whose terminator lies beyond its block.
  std::vector<std::uint8_t> unterminated(good.begin(), good.begin() + 20);
  Put16(unterminated, 0, 20);
  EXPECT_EQ(ParseError(unterminated), kNoVersionInfo);
  EXPECT_EQ(ParseError({0x00, 0x00}), kNoVersionInfo);
  EXPECT_EQ(ParseError({}), kNoVersionInfo);
}
