// The map parser on lld-link's own map, and on a map with the blocks that linker does
// not write (detailed segments, line numbers, publics by name).
#include <gtest/gtest.h>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/debug_info_sources.h"
#include "debuginfo/map_parser.h"
#include "debuginfo/pe_image.h"
#include "test_helpers.h"

using namespace dbgtest;

namespace {

const char* const kFullMap =
    "\r\n"
    " Start         Length     Name                   Class\r\n"
    " 0001:00401000 00000200H .text                   CODE\r\n"
    " 0002:00402000 00000100H .data                   DATA\r\n"
    "\r\n"
    "\r\n"
    "Detailed map of segments\r\n"
    "\r\n"
    " 0001:00000000 00000100 C=CODE     S=.text    G=(none)   M=System   ACBP=A9\r\n"
    " 0001:00000100 00000080 C=CODE     S=.text    G=(none)   M=Emitters ACBP=A9\r\n"
    " 0002:00000000 00000010 C=DATA     S=.data    G=DGROUP   M=System   ACBP=A9\r\n"
    "\r\n"
    "\r\n"
    "  Address         Publics by Name\r\n"
    "\r\n"
    " 0001:00000010       System.@HandleAnyException\r\n"
    " 0001:00000000       System.@HandleFinally\r\n"
    " 0001:00000100       Emitters.TEmitter.Step\r\n"
    "\r\n"
    "  Address         Publics by Value\r\n"
    "\r\n"
    " 0001:00000000       System.@HandleFinally\r\n"
    " 0001:00000010       System.@HandleAnyException\r\n"
    " 0001:00000100       Emitters.TEmitter.Step\r\n"
    " 0001:00000140       Emitters.TEmitter.Reset\r\n"
    "\r\n"
    "\r\n"
    "Line numbers for System(system.pas) segment .text\r\n"
    "\r\n"
    "   100 0001:00000000   101 0001:00000004   102 0001:00000010\r\n"
    "   103 0001:00000018\r\n"
    "\r\n"
    "Line numbers for Emitters(Emitters.pas) segment .text\r\n"
    "\r\n"
    "    40 0001:00000100    41 0001:00000108    55 0001:00000140\r\n"
    "\r\n"
    "Bound resource files\r\n"
    "\r\n"
    "Emitters.res\r\n";

TDbgMapAddress A(Word segment, Cardinal offset) { return TDbgMapAddress{segment, offset}; }

}  // namespace

TEST(MapScanner, AllBlocksOfAFullMap) {
  TDbgMapScanner map(TDbgAbstractMapParser::FromText{}, kFullMap);
  ASSERT_EQ(map.Segments().size(), 2u);
  EXPECT_EQ(map.Segments()[0].Start, A(1, 0x401000));
  EXPECT_EQ(map.Segments()[0].Length, 0x200u);
  EXPECT_EQ(map.Segments()[0].Name, ".text");
  EXPECT_EQ(map.Segments()[1].ClassName, "DATA");

  ASSERT_EQ(map.Units().size(), 3u);
  EXPECT_EQ(map.ModuleNameFromAddr(A(1, 0x0FF)), "System");
  EXPECT_EQ(map.ModuleNameFromAddr(A(1, 0x100)), "Emitters");
  EXPECT_EQ(map.ModuleNameFromAddr(A(1, 0x180)), "") << "past the last unit of the segment";
  EXPECT_EQ(map.ModuleNameFromAddr(A(2, 0x8)), "System");

  // Publics appear in both lists and are kept once, by address.
  ASSERT_EQ(map.Publics().size(), 4u);
  Cardinal offset = 0;
  EXPECT_EQ(map.ProcNameFromAddr(A(1, 0x14), &offset), "System.@HandleAnyException");
  EXPECT_EQ(offset, 4u);
  EXPECT_EQ(map.ProcNameFromAddr(A(1, 0x13F), &offset), "Emitters.TEmitter.Step");
  EXPECT_EQ(offset, 0x3Fu);
  EXPECT_EQ(map.ProcNameFromAddr(A(2, 0x4)), "") << "no public in the data segment";
  EXPECT_EQ(map.ProcNameFromAddr(A(1, 0x200)), "") << "outside every unit";

  ASSERT_EQ(map.LineNumbers().size(), 7u);
  EXPECT_EQ(map.LineNumberFromAddr(A(1, 0x12), &offset), 102);
  EXPECT_EQ(offset, 2u);
  EXPECT_EQ(map.LineNumberFromAddr(A(1, 0x0FF)), 103);
  EXPECT_EQ(map.LineNumberFromAddr(A(1, 0x104)), 40) << "a line of the unit, not the one before it";
  EXPECT_EQ(map.SourceNameFromAddr(A(1, 0x150)), "Emitters.pas");
  EXPECT_EQ(map.SourceNameFromAddr(A(1, 0x2)), "system.pas");
  EXPECT_EQ(map.SourceNameFromAddr(A(2, 0x2)), "system.pas") << "from the unit when no line is there";

  TDbgMapAddress a;
  ASSERT_TRUE(map.AddrFromProcName("Emitters.TEmitter.Reset", &a));
  EXPECT_EQ(a, A(1, 0x140));
  EXPECT_FALSE(map.AddrFromProcName("Emitters.TEmitter.Free", &a));
}

TEST(MapScanner, MalformedEntriesEndTheirBlock) {
  const char* text =
      "  Address         Publics by Value\r\n"
      " 0001:00000010       Good.First\r\n"
      " 0001:123456789       Bad.NineDigits\r\n"
      " 0001:00000020       After.TheBadLine\r\n"
      "Line numbers for Unit1(Unit1.pas) segment .text\r\n"
      "   10 0001:00000010   11\r\n"
      "   12 0001:00000030\r\n"
      "Line numbers for Unit2(Unit2.pas) segment .text\r\n"
      "   99999999999 0001:00000040\r\n"
      "   20 0001:00000050\r\n";
  TDbgMapScanner map(TDbgAbstractMapParser::FromText{}, text);
  ASSERT_EQ(map.Publics().size(), 1u);
  EXPECT_EQ(map.Publics()[0].Name, "Good.First");
  // Neither a line with a dangling number nor one with an overflowing number is taken
  // in part, and nothing after them in their block.
  EXPECT_TRUE(map.LineNumbers().empty());
  ASSERT_EQ(map.LineNumberUnits().size(), 2u);
  EXPECT_EQ(map.LineNumberUnits()[1].UnitName, "Unit2");
  EXPECT_EQ(map.LineNumberUnits()[1].SegmentName, ".text");
}

TEST(MapScanner, MissingFileNamesIt) {
  try {
    TDbgMapScanner map("/nonexistent/dir/module.map");
    FAIL() << "no exception";
  } catch (const EDbgError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"/nonexistent/dir/module.map\"");
  }
}

TEST(MapScanner, LinkersOwnMap) {
  DBG_REQUIRE_PE_FILES();
  TDbgMapScanner map(DataFile("sample32.map"));
  ASSERT_GE(map.Segments().size(), 3u);
  EXPECT_EQ(map.Segments()[0].Name, ".text");
  EXPECT_EQ(map.Segments()[0].ClassName, "CODE");
  EXPECT_EQ(map.Segments()[0].Start, A(1, 0));
  bool dbginfo = false;
  for (const auto& s : map.Segments()) dbginfo |= s.Name == "DBGINFO" && s.Length == 116;
  EXPECT_TRUE(dbginfo);
  EXPECT_TRUE(map.Units().empty());
  EXPECT_TRUE(map.LineNumbers().empty());

  TDbgMapAddress alpha, beta, import;
  ASSERT_TRUE(map.AddrFromProcName("_qm_alpha", &alpha));
  ASSERT_TRUE(map.AddrFromProcName("_qm_beta", &beta));
  ASSERT_TRUE(map.AddrFromProcName("__imp__helper_add", &import));
  EXPECT_EQ(alpha.Segment, 1);
  EXPECT_EQ(import.Segment, 2);
  EXPECT_LT(alpha.Offset, beta.Offset);
  Cardinal offset = 0;
  EXPECT_EQ(map.ProcNameFromAddr(A(1, beta.Offset - 1), &offset), "_qm_alpha");
  EXPECT_EQ(offset, beta.Offset - 1 - alpha.Offset);
  // The block after "entry point at" (static symbols) is not part of the publics.
  TDbgMapAddress rsrc;
  EXPECT_FALSE(map.AddrFromProcName("$R000000", &rsrc));
}

TEST(DebugInfoMap, ResolvesModuleAddressesThroughTheSectionTable) {
  DBG_REQUIRE_PE_FILES();
  TDbgDebugInfoMap source(DataFile("sample64.dll"));
  ASSERT_TRUE(source.InitializeSource());
  TDbgPeImage img(DataFile("sample64.dll"));
  TDbgMapScanner map(DataFile("sample64.map"));
  TDbgMapAddress a;
  ASSERT_TRUE(map.AddrFromProcName("qm_beta", &a));
  const Cardinal rva = img.ImageSectionHeaders(a.Segment - 1).VirtualAddress + a.Offset;
  TDbgLocationInfo info;
  ASSERT_TRUE(source.GetLocationInfo(rva + 3, info));
  EXPECT_EQ(info.ProcedureName, "qm_beta");
  EXPECT_EQ(info.OffsetFromProcName, 3u);
  EXPECT_EQ(info.SymbolName(), "qm_beta");
  EXPECT_EQ(info.Address, rva + 3);
  EXPECT_FALSE(source.GetLocationInfo(0x7FFF0000, info)) << "not in any section";
}
