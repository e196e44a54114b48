// The PE reader on files made by clang and lld-link, and on damaged copies of them.
#include <gtest/gtest.h>

#include <cstring>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/map_parser.h"
#include "debuginfo/pe_bor_image.h"
#include "debuginfo/pe_export_list.h"
#include "debuginfo/pe_image.h"
#include "debuginfo/pe_import_list.h"
#include "debuginfo/pe_resource_list.h"
#include "debuginfo/pe_section_stream.h"
#include "test_helpers.h"

using namespace dbgtest;

namespace {

constexpr const char* kNotPe = "This is not a PE format";
constexpr const char* kNotResDir = "Not a resource directory";

template <class F>
std::string PeErrorOf(F&& f) {
  try {
    f();
  } catch (const EDbgPeImageError& e) {
    return e.Message();
  }
  return "(no EDbgPeImageError)";
}

class PeFiles : public ::testing::Test {
 protected:
  void SetUp() override { DBG_REQUIRE_PE_FILES(); }
};

// Loads a damaged copy of a generated file.
std::string LoadError(const std::vector<std::uint8_t>& bytes) {
  return PeErrorOf([&] {
    TDbgPeImage img;
    img.LoadFromBytes(bytes);
  });
}

}  // namespace

TEST_F(PeFiles, HeadersAndSectionsOfPe32AndPe32Plus) {
  TDbgPeImage img32(DataFile("sample32.dll"));
  EXPECT_EQ(img32.Target(), TDbgPeTarget::taWin32);
  EXPECT_EQ(img32.Headers().Machine, 0x14C);
  EXPECT_EQ(img32.Headers().Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  EXPECT_EQ(img32.Headers().ImageBase, 0x10000000u);
  EXPECT_NE(img32.Headers().Characteristics & 0x2000, 0) << "a DLL";
  EXPECT_EQ(img32.Headers().NumberOfRvaAndSizes, 16u);
  EXPECT_EQ(img32.Headers().SizeOfOptionalHeader, 224);

  TDbgPeImage img64(DataFile("sample64.dll"));
  EXPECT_EQ(img64.Target(), TDbgPeTarget::taWin64);
  EXPECT_EQ(img64.Headers().Machine, 0x8664);
  EXPECT_EQ(img64.Headers().Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  EXPECT_EQ(img64.Headers().ImageBase, 0x180000000ull);
  EXPECT_EQ(img64.Headers().SizeOfOptionalHeader, 240);

  for (TDbgPeImage* img : {&img32, &img64}) {
    EXPECT_GE(img->ImageSectionIndexFromName(".text"), 0);
    EXPECT_GE(img->ImageSectionIndexFromName(".rsrc"), 0);
    // The DBGINFO section is exactly the structure the source put there.
    auto dbgi = img->SectionData("DBGINFO");
    ASSERT_EQ(dbgi.size(), 116u);
    EXPECT_EQ(std::memcmp(dbgi.data(), "DBGI\x01\0\0\0", 8), 0);
    EXPECT_EQ(img->ImageSectionIndexFromName("missing"), -1);
    EXPECT_EQ(PeErrorOf([&] { img->ImageSectionHeaderByName("missing"); }), "Section \"missing\" not found");
    EXPECT_THROW(img->ImageSectionHeaders(img->ImageSectionCount()), EListError);
  }
}

TEST_F(PeFiles, ExportsMatchTheLinkersMap) {
  for (const char* bits : {"32", "64"}) {
    SCOPED_TRACE(bits);
    TDbgPeImage img(DataFile(std::string("sample") + bits + ".dll"));
    TDbgMapScanner map(DataFile(std::string("sample") + bits + ".map"));
    TDbgPeExportFuncList& exports = img.ExportList();
    EXPECT_EQ(exports.DllName(), std::string("sample") + bits + ".dll");
    ASSERT_EQ(exports.Count(), 3);
    const char* names[] = {"qm_alpha", "qm_beta", "qm_gamma"};
    for (int i = 0; i < 3; ++i) {
      TDbgPeExportFuncItem* item = exports.ItemFromName(names[i]);
      ASSERT_NE(item, nullptr) << names[i];
      EXPECT_EQ(item->Ordinal(), static_cast<Cardinal>(exports.Base() + i + 1));
      EXPECT_FALSE(item->IsForwarded());
      // The 32-bit map decorates C names with an underscore.
      TDbgMapAddress a;
      ASSERT_TRUE(map.AddrFromProcName(std::string(bits) == "32" ? std::string("_") + names[i] : names[i], &a));
      EXPECT_EQ(item->Address(), img.ImageSectionHeaders(a.Segment - 1).VirtualAddress + a.Offset);
      EXPECT_EQ(exports.ItemFromAddress(item->Address()), item);
      EXPECT_EQ(exports.ItemAtOrBelow(item->Address() + 1), item);
    }
    EXPECT_EQ(exports.ItemFromName("qm_delta"), nullptr);
  }
}

TEST_F(PeFiles, ImportsByNameAndByOrdinal) {
  for (const char* file : {"sample32.dll", "sample64.dll"}) {
    SCOPED_TRACE(file);
    TDbgPeImage img(DataFile(file));
    TDbgPeImportList& imports = img.ImportList();
    ASSERT_EQ(imports.Count(), 1);
    TDbgPeImportLibItem* lib = imports.ItemFromName("HELPER.DLL");
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(lib->Name(), "helper.dll");
    ASSERT_EQ(lib->Functions().size(), 2u);
    EXPECT_EQ(lib->Functions()[0].Name, "helper_add");
    EXPECT_EQ(lib->Functions()[1].Name, "");
    EXPECT_EQ(lib->Functions()[1].Ordinal, 7);
  }
}

TEST_F(PeFiles, ResourceTreeOfTypesNamesAndLanguages) {
  TDbgPeImage img(DataFile("sample32.dll"));
  TDbgPeRootResourceList& root = img.ResourceList();
  ASSERT_EQ(root.Count(), 2);
  EXPECT_EQ(root.Items(0)->ResourceName(), "#10");
  EXPECT_EQ(root.Items(1)->ResourceName(), "#16");
  TDbgPeResourceList& rcdata = root.Items(0)->List();
  ASSERT_EQ(rcdata.Count(), 3);
  // Named entries come sorted by name.
  EXPECT_EQ(rcdata.Items(0)->ResourceName(), "DVCLAL");
  EXPECT_EQ(rcdata.Items(1)->ResourceName(), "PACKAGEINFO");
  EXPECT_EQ(rcdata.Items(2)->ResourceName(), "PACKAGEOPTIONS");

  TDbgPeResourceItem* dvclal = root.FindResource("#10", "dvclal");
  ASSERT_NE(dvclal, nullptr);
  EXPECT_EQ(dvclal->Level(), 2);
  EXPECT_EQ(dvclal->Id(), 1033);
  EXPECT_FALSE(dvclal->IsDirectory());
  auto data = dvclal->RawData();
  const std::uint8_t expected[16] = {0x11, 0x11, 0x11, 0x11, 0x22, 0x22, 0x22, 0x22,
                                     0x33, 0x33, 0x33, 0x33, 0x44, 0x44, 0x44, 0x44};
  ASSERT_EQ(data.size(), 16u);
  EXPECT_EQ(std::memcmp(data.data(), expected, 16), 0);
  // A data entry is no directory.
  EXPECT_EQ(PeErrorOf([&] { dvclal->List(); }), kNotResDir);
  EXPECT_EQ(PeErrorOf([&] { root.Items(0)->RawData(); }), kNotResDir);
  EXPECT_EQ(root.FindResource("#10", "NOPE"), nullptr);
  EXPECT_EQ(root.FindResource("#3", "DVCLAL"), nullptr);
}

TEST_F(PeFiles, PackageResourcesOfTheCompilerFamilyImage) {
  TDbgPeBorImage img(DataFile("sample32.dll"));
  ASSERT_TRUE(img.IsPackage());
  const TDbgPackageInfo& info = img.PackageInfo();
  EXPECT_EQ(info.Flags, 0x10u);
  EXPECT_EQ(info.Requires, (std::vector<std::string>{"rtl", "vcl"}));
  ASSERT_EQ(info.Contains.size(), 1u);
  EXPECT_EQ(info.Contains[0].Name, "Sample");
  EXPECT_EQ(info.Contains[0].Flags, 1);
  EXPECT_EQ(info.Contains[0].HashCode, 9);
  auto options = img.PackageOptions();
  ASSERT_EQ(options.size(), 4u);
  EXPECT_EQ(options[0], 3);
  EXPECT_EQ(img.DvclAl().size(), 16u);

  // Loading another image drops what was read from the first.
  img.SetFileName(DataFile("sample64.dll"));
  EXPECT_FALSE(img.IsPackage());
  EXPECT_TRUE(img.PackageInfo().Requires.empty());
  EXPECT_TRUE(img.DvclAl().empty());
}

TEST(PackageInfo, CountsBeyondTheDataAreRefused) {
  // flags, requires count 1, one entry, contains count 0
  std::vector<std::uint8_t> ok = {0, 0, 0, 0, 1, 0, 0, 0, 5, 'r', 't', 'l', 0, 0, 0, 0, 0};
  EXPECT_EQ(dbg::ParsePackageInfo(ok).Requires, std::vector<std::string>{"rtl"});
  auto huge = ok;
  huge[7] = 0x10;  // 0x10000001 required packages in 17 bytes
  EXPECT_THROW(dbg::ParsePackageInfo(huge), EDbgPeImageError);
  auto unterminated = ok;
  unterminated.resize(12);  // the name runs to the end
  EXPECT_THROW(dbg::ParsePackageInfo(unterminated), EDbgPeImageError);
  auto negative = ok;
  negative[16] = 0;
  Put32(negative, 13, 0xFFFFFFFF);
  EXPECT_THROW(dbg::ParsePackageInfo(negative), EDbgPeImageError);
}

TEST_F(PeFiles, SectionStreamOverTheModuleInMemory) {
  for (const char* file : {"sample32.dll", "sample64.dll"}) {
    SCOPED_TRACE(file);
    const auto module = ImageLayout(ReadBytes(DataFile(file)));
    ASSERT_TRUE(DbgIsPeImageInMemory(module));
    TDbgPeSectionStream stream(module, "DBGINFO");
    ASSERT_EQ(stream.Size(), 116);
    std::uint8_t head[8];
    stream.ReadBuffer(head, 8);
    EXPECT_EQ(std::memcmp(head, "DBGI\x01\0\0\0", 8), 0);
    EXPECT_THROW(stream.Write(head, 1), EDbgPeImageError);
    EXPECT_EQ(PeErrorOf([&] { TDbgPeSectionStream s(module, ".bss"); }), "Section \".bss\" not found");
    // A module cut short of its section's end.
    std::vector<std::uint8_t> cut(module.begin(), module.begin() + stream.SectionHeader().VirtualAddress + 8);
    EXPECT_EQ(PeErrorOf([&] { TDbgPeSectionStream s(cut, "DBGINFO"); }), kNotPe);
  }
  std::vector<std::uint8_t> notPe(4096, 0);
  EXPECT_EQ(PeErrorOf([&] { TDbgPeSectionStream s(notPe, "DBGINFO"); }), kNotPe);
}

TEST(PeInMemory, NeedsDosHeaderOffsetAndSignatureInside) {
  std::vector<std::uint8_t> b(0x48, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  std::memcpy(b.data() + 0x40, "PE\0\0", 4);
  EXPECT_TRUE(DbgIsPeImageInMemory(b));
  EXPECT_FALSE(DbgIsPeImageInMemory(std::span(b).first(63))) << "fewer than 64 bytes";
  auto zero = b;
  Put32(zero, 0x3C, 0);
  EXPECT_FALSE(DbgIsPeImageInMemory(zero)) << "no new header";
  auto outside = b;
  Put32(outside, 0x3C, 0x46);
  EXPECT_FALSE(DbgIsPeImageInMemory(outside)) << "signature past the end";
  auto wrong = b;
  wrong[0x41] = 'X';
  EXPECT_FALSE(DbgIsPeImageInMemory(wrong));
  auto noMz = b;
  noMz[0] = 'Z';
  EXPECT_FALSE(DbgIsPeImageInMemory(noMz));
}

TEST_F(PeFiles, DamagedHeadersAreNotPe) {
  const auto good = ReadBytes(DataFile("sample32.dll"));
  const PeOffsets o = FindOffsets(good);
  EXPECT_EQ(LoadError(good), "(no EDbgPeImageError)");

  EXPECT_EQ(LoadError({good.begin(), good.begin() + 0x3F}), kNotPe) << "inside the DOS header";
  EXPECT_EQ(LoadError({good.begin(), good.begin() + o.nt + 10}), kNotPe) << "inside the file header";
  EXPECT_EQ(LoadError({good.begin(), good.begin() + o.optional + 100}), kNotPe) << "inside the optional header";
  EXPECT_EQ(LoadError({good.begin(), good.begin() + o.sectionTable + 60}), kNotPe) << "inside the section table";

  auto sig = good;
  sig[o.nt + 1] = 'X';
  EXPECT_EQ(LoadError(sig), kNotPe);
  auto magic = good;
  Put16(magic, o.optional, 0x107);
  EXPECT_EQ(LoadError(magic), kNotPe);
  auto sections = good;
  Put16(sections, o.nt + 6, 0xFFFF);  // 65535 section headers cannot fit
  EXPECT_EQ(LoadError(sections), kNotPe);
  auto optSize = good;
  Put16(optSize, o.nt + 20, 40);  // too short for the fields it must hold
  EXPECT_EQ(LoadError(optSize), kNotPe);
}

TEST_F(PeFiles, FailedLoadKeepsThePreviousImage) {
  TDbgPeImage img(DataFile("sample32.dll"));
  std::vector<std::uint8_t> junk(200, 0x90);
  EXPECT_THROW(img.LoadFromBytes(junk, "junk"), EDbgPeImageError);
  EXPECT_THROW(img.SetFileName(DataFile("sample32.map")), EDbgPeImageError);
  EXPECT_EQ(img.FileName(), DataFile("sample32.dll"));
  EXPECT_EQ(img.ExportList().Count(), 3);
}

TEST_F(PeFiles, SectionDataOutsideTheFileIsRefused) {
  auto bytes = ReadBytes(DataFile("sample32.dll"));
  TDbgPeImage probe;
  probe.LoadFromBytes(bytes);
  const auto& dbgi = probe.ImageSectionHeaderByName("DBGINFO");
  // Cut the file inside DBGINFO's raw data: headers still read, the section does not.
  bytes.resize(dbgi.PointerToRawData + 16);
  TDbgPeImage img;
  img.LoadFromBytes(bytes);
  EXPECT_EQ(PeErrorOf([&] { img.SectionData("DBGINFO"); }), kNotPe);
}

TEST_F(PeFiles, ExportDirectoryFieldsAreChecked) {
  const auto good = ReadBytes(DataFile("sample32.dll"));
  const PeOffsets o = FindOffsets(good);
  const std::size_t dir = FileOffsetOf(good, Get32(good, o.dataDirectory));

  auto exportsOf = [](const std::vector<std::uint8_t>& b) {
    return PeErrorOf([&] {
      TDbgPeImage img;
      img.LoadFromBytes(b);
      img.ExportList();
    });
  };
  auto rva = good;
  Put32(rva, o.dataDirectory, 0x7FFFFF00);
  EXPECT_EQ(exportsOf(rva), kNotPe) << "directory outside every section";
  auto count = good;
  Put32(count, dir + 20, 0x40000000);
  EXPECT_EQ(exportsOf(count), kNotPe) << "function count beyond the file";
  auto table = good;
  Put32(table, dir + 28, 0x00FFFFF0);
  EXPECT_EQ(exportsOf(table), kNotPe) << "address table outside";
  auto ordinal = good;
  Put16(ordinal, FileOffsetOf(good, Get32(good, dir + 36)), 200);
  EXPECT_EQ(exportsOf(ordinal), kNotPe) << "name ordinal past the function table";
  auto name = good;
  Put32(name, FileOffsetOf(good, Get32(good, dir + 32)), 0x0FFFFFFF);
  EXPECT_EQ(exportsOf(name), kNotPe) << "name outside";
}

TEST_F(PeFiles, ImportDirectoryFieldsAreChecked) {
  const auto good = ReadBytes(DataFile("sample64.dll"));
  const PeOffsets o = FindOffsets(good);
  const std::size_t desc = FileOffsetOf(good, Get32(good, o.dataDirectory + 8));
  auto importsOf = [](const std::vector<std::uint8_t>& b) {
    return PeErrorOf([&] {
      TDbgPeImage img;
      img.LoadFromBytes(b);
      img.ImportList();
    });
  };
  auto libName = good;
  Put32(libName, desc + 12, 0x7FFFFFF0);
  EXPECT_EQ(importsOf(libName), kNotPe);
  auto thunks = good;
  Put32(thunks, desc + 0, 0x7FFFFFF0);
  EXPECT_EQ(importsOf(thunks), kNotPe);
  // A 64-bit name thunk with bits above 31 set (but not the ordinal flag).
  auto wide = good;
  const std::size_t lookup = FileOffsetOf(good, Get32(good, desc + 0));
  wide[lookup + 5] = 0x01;
  EXPECT_EQ(importsOf(wide), kNotPe);
}

TEST_F(PeFiles, ResourceTreeLoopsAndShapesAreRefused) {
  const auto good = ReadBytes(DataFile("sample32.dll"));
  const PeOffsets o = FindOffsets(good);
  const std::size_t root = FileOffsetOf(good, Get32(good, o.dataDirectory + 16));
  const std::size_t firstEntry = root + 16;
  auto treeOf = [](const std::vector<std::uint8_t>& b) {
    return PeErrorOf([&] {
      TDbgPeImage img;
      img.LoadFromBytes(b);
      img.ResourceList();
    });
  };
  EXPECT_EQ(treeOf(good), "(no EDbgPeImageError)");

  auto loop = good;
  Put32(loop, firstEntry + 4, 0x80000000);  // the RCDATA directory is the root again
  EXPECT_EQ(treeOf(loop), kNotResDir);
  auto typeIsData = good;
  Put32(typeIsData, firstEntry + 4, Get32(good, firstEntry + 4) & 0x7FFFFFFF);
  EXPECT_EQ(treeOf(typeIsData), kNotResDir);
  auto outside = good;
  Put32(outside, firstEntry + 4, 0x80FFFF00);
  EXPECT_EQ(treeOf(outside), kNotResDir);
  auto count = good;
  Put16(count, root + 14, 0xFFFF);
  EXPECT_EQ(treeOf(count), kNotResDir);
  // The name directory of RCDATA points at itself.
  auto self = good;
  const std::size_t rcdata = root + (Get32(good, firstEntry + 4) & 0x7FFFFFFF);
  Put32(self, rcdata + 16 + 4, Get32(good, firstEntry + 4));
  EXPECT_EQ(treeOf(self), kNotResDir);
  // A data entry whose data lies outside the file reads as a tree, but not as data.
  auto badData = good;
  // The first language entry of DVCLAL: root -> RCDATA -> DVCLAL -> language.
  const std::size_t nameDir = root + (Get32(good, rcdata + 16 + 4) & 0x7FFFFFFF);
  const std::size_t dataEntryOffset = root + Get32(good, nameDir + 16 + 4);
  Put32(badData, dataEntryOffset, 0x7FFFFF00);
  TDbgPeImage bad;
  bad.LoadFromBytes(badData);
  TDbgPeResourceItem* item = bad.ResourceList().FindResource("#10", "DVCLAL");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(PeErrorOf([&] { item->RawData(); }), kNotPe);
}
