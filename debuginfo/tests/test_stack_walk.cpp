// The raw stack walk over a made-up stack whose words point after the call sites of a
// module made by clang and lld-link (direct and indirect calls of every length), and
// between them at things that are no return addresses; and the capture of a language
// exception raise into the global stack list.
#include <cstdint>
#include <string>
#include <vector>

#include "debuginfo/pe_export_list.h"
#include "debuginfo/pe_image.h"
#include "debuginfo/stack_walk.h"
#include "test_helpers.h"

using namespace dbgtest;

namespace {

struct WalkCase {
  const char* file;
  std::uint64_t base;  // where the module is placed
  // Offsets from qm_sites of the address after each call, as the assembler laid them.
  std::vector<std::uint64_t> returns;
  std::uint64_t afterRet;  // just past the final ret
};

const WalkCase kCases[] = {
    {"callsites32.dll", 0x00400000, {5, 7, 9, 12, 15, 19, 25, 32, 38}, 39},
    {"callsites64.dll", 0x7FF600000000, {5, 7, 9, 12, 15, 19, 25, 32, 35, 42, 48}, 49},
};

std::uint64_t ExportAddress(TDbgPeImage& image, std::uint64_t base, const char* name) {
  TDbgPeExportFuncItem* item = image.ExportList().ItemFromName(name);
  EXPECT_NE(item, nullptr) << name;
  return item ? base + item->Address() : 0;
}

std::vector<std::uint8_t> Words(const std::vector<std::uint64_t>& words, int size, std::size_t lead) {
  std::vector<std::uint8_t> bytes(lead, 0xAA);
  for (std::uint64_t w : words)
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
  bytes.push_back(0x11);  // a tail shorter than a word
  return bytes;
}

class StackWalk : public ::testing::Test {
 protected:
  void SetUp() override { DBG_REQUIRE_PE_FILES(); }
};

TEST_F(StackWalk, ReturnAddressesAfterEveryCallFormAndNothingElse) {
  for (const WalkCase& c : kCases) {
    SCOPED_TRACE(c.file);
    TDbgPeImage image(DataFile(c.file));
    const TDbgModuleCode code(image, c.base);
    const std::uint64_t sites = ExportAddress(image, c.base, "qm_sites");
    const std::uint64_t fake = ExportAddress(image, c.base, "qm_fake_call");

    std::vector<std::uint64_t> stack, expected;
    for (std::uint64_t r : c.returns) {
      stack.push_back(r == c.returns[2] ? sites + r + 1 : 0x1234);  // in code, after no call
      stack.push_back(sites + r);
      expected.push_back(sites + r);
    }
    for (std::uint64_t junk : {std::uint64_t{0}, sites, sites + 1, sites + c.afterRet, fake + 5, c.base - 3,
                               c.base + 0x1000 - 1, std::uint64_t{0xFFFFFFFF}})
      stack.push_back(junk);

    // The stack starts two bytes before a word boundary.
    const std::uint64_t stackAddress = 0x0012FE00 - 2;
    auto list = DbgWalkRawStack(code, Words(stack, code.WordSize(), 2), stackAddress, 77);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ThreadID(), 77u);
    std::vector<std::uint64_t> found;
    for (Integer i = 0; i < list->Count(); ++i) {
      EXPECT_EQ(list->Items(i)->Level(), i);
      found.push_back(list->Items(i)->CallerAddr());
    }
    EXPECT_EQ(found, expected);

    // The same module at its preferred base: the same offsets.
    const TDbgModuleCode preferred(image);
    EXPECT_TRUE(DbgValidCallSite(preferred, image.Headers().ImageBase + (sites - c.base) + c.returns.back()));
    EXPECT_FALSE(DbgValidCallSite(preferred, sites + c.returns.back()));
  }
}

TEST_F(StackWalk, OnlyALanguageRaiseCapturesItsThreadsStackUnderTheLock) {
  const WalkCase& c = kCases[0];
  TDbgPeImage image(DataFile(c.file));
  const TDbgModuleCode code(image, c.base);
  const std::uint64_t sites = ExportAddress(image, c.base, "qm_sites");
  const auto stack = Words({sites + 5, 0, sites + 7}, 4, 0);
  TDbgGlobalStackList list;
  TDbgCriticalSection section;

  struct RaiseCase {
    TDbgRaise raise;
    bool captures;
  };
  const RaiseCase raises[] = {
      {{0x0EEDFADE, 1, 7}, true},  {{0x0EEDFADE, 0, 7}, false}, {{0x0EEDFADE, 1, 6}, false},
      {{0xC0000005, 1, 7}, false}, {{0x0EEDFADF, 1, 7}, false},
  };
  Cardinal thread = 1;
  for (const RaiseCase& r : raises) {
    SCOPED_TRACE(testing::Message() << std::hex << r.raise.Code << " " << r.raise.Flags << " " << r.raise.ArgumentCount);
    EXPECT_EQ(DbgCaptureRaiseStack(r.raise, code, stack, 0x12FE00, thread, list, section), r.captures);
    TDbgStackInfoList* captured = list.FindStackInfo(thread);
    ASSERT_EQ(captured != nullptr, r.captures);
    if (captured) {
      ASSERT_EQ(captured->Count(), 2);
      EXPECT_EQ(captured->Items(1)->CallerAddr(), sites + 7);
    }
    ++thread;
  }
  // A second raise on a thread replaces its capture; the lock is free afterwards.
  EXPECT_TRUE(DbgCaptureRaiseStack({0x0EEDFADE, 1, 7}, code, Words({sites + 9}, 4, 0), 0x12FE00, 1, list, section));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FindStackInfo(1)->Items(0)->CallerAddr(), sites + 9);
  EXPECT_TRUE(section.TryEnter());
  section.Leave();
}

}  // namespace
