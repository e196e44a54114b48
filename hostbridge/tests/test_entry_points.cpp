// The five exports, the descriptor bytes and TTsx's hand-over to the module state.
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

#include "bridge_test_support.h"
#include "hostbridge/bridge_classes.h"
#include "hostbridge/fpu_state.h"
#include "hostbridge/owner_form.h"
#include "hostbridge/tsx.h"
#include "hostbridge/tsx_exports.h"
#include "platform/classlib/class_registry.h"

namespace {

using Bytes = std::array<unsigned char, 100>;

Bytes FilledDescriptor(Integer pluginId) {
  tsxPluginDescriptor d;
  std::memset(&d, 0xCC, sizeof d);
  TsxGetData(&d, pluginId);
  Bytes b;
  std::memcpy(b.data(), &d, sizeof d);
  return b;
}

// A form stand-in with published handlers, as a form file would bind them.
class THandlerForm : public TComponent {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<THandlerForm>("THandlerForm", TComponent::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<THandlerForm>();
    p.Method("TsxLeftClick", &THandlerForm::TsxLeftClick);
    p.Method("TsxPlugInit", &THandlerForm::TsxPlugInit);
  }
  using TComponent::TComponent;

  Integer TsxLeftClick() { return ++clicks; }
  void TsxPlugInit() { ++inits; }
  int clicks = 0;
  int inits = 0;
};

bool EveryComponentIsAForm(const TComponent*) { return true; }

class EntryPointsTest : public BridgeTest {
 protected:
  void TearDown() override {
    SetIsFormPredicate(nullptr);
    BridgeTest::TearDown();
  }
};

}  // namespace

// Title in bytes 0-31 (31 characters and a zero), author in 32-95 (63 and a zero), then
// the bitmap and string ids as 16-bit values; short fields are padded with zeros.
TEST_F(EntryPointsTest, DescriptorCutsAndPadsItsFields) {
  struct Case {
    std::string title, author;
    Integer bmp, str;
    std::string titleBytes, authorBytes;
    Byte ids[4];
  };
  const Case cases[] = {
      {"Quillmoth", "", 100, 0, "Quillmoth", "", {100, 0, 0, 0}},
      {"Quill" + std::string(35, 'T'), std::string(70, 'a'), 0x12345, -1, "Quill" + std::string(26, 'T'),
       std::string(63, 'a'), {0x45, 0x23, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    ResetAll();
    auto* tsx = new TTsx(&root_);
    tsx->SetTitle(c.title);
    tsx->SetAuthor(c.author);
    tsx->SetResBmpId(c.bmp);
    tsx->SetResStringId(c.str);
    tsx->Loaded();
    Bytes expected{};
    std::memcpy(expected.data(), c.titleBytes.data(), c.titleBytes.size());
    std::memcpy(expected.data() + 32, c.authorBytes.data(), c.authorBytes.size());
    std::memcpy(expected.data() + 96, c.ids, 4);
    EXPECT_EQ(FilledDescriptor(1), expected);
  }
}

TEST_F(EntryPointsTest, PlugInitRunsWithTheIdStoredBeforeTheDescriptorIsFilled) {
  auto* tsx = new TTsx(&root_);
  tsx->SetTitle("Quillmoth");
  tsx->SetApiVersionNeeded(512);
  tsx->Loaded();
  EXPECT_EQ(tsx->PluginId(), -1);

  tsxPluginDescriptor d;
  std::memset(&d, 0xCC, sizeof d);
  int seenId = 0;
  unsigned char seenFirstByte = 0;
  TsxModule().PlugInit = [&] {
    seenId = tsx->PluginId();
    seenFirstByte = static_cast<unsigned char>(d.title[0]);
  };
  TsxGetData(&d, 42);
  EXPECT_EQ(seenId, 42);
  EXPECT_EQ(seenFirstByte, 0xCC);
  EXPECT_STREQ(d.title, "Quillmoth");
  EXPECT_EQ(TsxGetVersion(), 512);
}

TEST_F(EntryPointsTest, LeftClickAnswersZeroWithoutAHandlerElseTheHandlersResult) {
  EXPECT_EQ(TsxOnLeftClick(), 0);
  auto* tsx = new TTsx(&root_);
  tsx->OnLeftClick = [] { return 77; };
  EXPECT_EQ(TsxOnLeftClick(), 0) << "handlers reach the module only when the TTsx is loaded";
  tsx->Loaded();
  EXPECT_EQ(TsxOnLeftClick(), 77);
}

TEST_F(EntryPointsTest, RightClickAndDeactivateRaiseTheirHandlers) {
  auto* tsx = new TTsx(&root_);
  int right = 0, deactivated = 0;
  tsx->OnRightClick = [&] { ++right; };
  tsx->OnDeactivate = [&] { ++deactivated; };
  tsx->Loaded();
  TsxOnRightClick();
  TsxDeactivate();
  TsxDeactivate();
  EXPECT_EQ(right, 1);
  EXPECT_EQ(deactivated, 2);
}

TEST_F(EntryPointsTest, DeactivateAfterFinalisationRaisesNothing) {
  auto* tsx = new TTsx(&root_);
  tsx->SetTitle("Quillmoth");
  int deactivated = 0;
  tsx->OnDeactivate = [&] { ++deactivated; };
  tsx->Loaded();
  FinalizeTsxModule();
  TsxDeactivate();
  EXPECT_EQ(deactivated, 0);
  EXPECT_EQ(TsxModule().Title, "");
}

TEST_F(EntryPointsTest, NoExceptionLeavesAnExport) {
  auto* tsx = new TTsx(&root_);
  tsx->SetTitle("Quillmoth");
  tsx->OnPlugInit = [] { throw std::runtime_error("init"); };
  tsx->OnLeftClick = []() -> Integer { throw Exception("click"); };
  tsx->OnRightClick = [] { throw 5; };
  tsx->OnDeactivate = [] { throw EListError("deactivate"); };
  tsx->Loaded();

  tsxPluginDescriptor d{};
  EXPECT_NO_THROW(TsxGetData(&d, 4));
  EXPECT_STREQ(d.title, "Quillmoth") << "a failing init handler still leaves a filled descriptor";
  EXPECT_EQ(TsxModule().PluginId, 4);
  EXPECT_EQ(TsxOnLeftClick(), 0);
  EXPECT_NO_THROW(TsxOnRightClick());
  EXPECT_NO_THROW(TsxDeactivate());
  EXPECT_NO_THROW(TsxGetData(nullptr, 5));
}

TEST_F(EntryPointsTest, CreationClearsPlugInitAndTakesTheTrapHandlers) {
  TsxModule().PlugInit = [] {};
  auto* first = new TTsx(&root_);
  EXPECT_FALSE(TsxModule().PlugInit);
  EXPECT_EQ(TsxModule().TrapHandlers, first);
  auto* second = new TTsx(&root_);
  EXPECT_EQ(TsxModule().TrapHandlers, second);
  delete second;
  EXPECT_EQ(TsxModule().TrapHandlers, nullptr) << "a freed TTsx must not stay bound";
  delete first;
}

TEST_F(EntryPointsTest, CreationBindsTheHostFunctionsByName) {
  new TTsx(&root_);
  const TTsxModuleState& s = TsxModule();
  ASSERT_NE(s.GetMainViewHwnd, nullptr);
  EXPECT_NE(s.ForceLeftClick, nullptr);
  EXPECT_NE(s.GetTsVersionNbrs, nullptr);
  EXPECT_EQ(MainViewHwnd(), tsxGetMainViewHwnd());
  EXPECT_NE(MainViewHwnd(), nullptr);
  host::SetMainViewClosed(true);
  EXPECT_EQ(MainViewHwnd(), nullptr);

  // A host without the main-view call: later needs neither look up nor ask the version.
  static int versionCalls = 0;
  TsxModule().GetMainViewHwnd = nullptr;
  TsxModule().GetTsVersionNbrs = [](int*, int*) { ++versionCalls; };
  for (int i = 0; i < 3; ++i) EXPECT_EQ(MainViewHwnd(), nullptr);
  EXPECT_EQ(TsxModule().GetMainViewHwnd, nullptr);
  EXPECT_EQ(versionCalls, 0);
}

TEST_F(EntryPointsTest, DesignTimeCopiesTheModuleStateAndLoadedLeavesItAlone) {
  TsxModule().Title = "Earlier";
  TsxModule().ResBmpId = 55;
  TComponent designer(nullptr);
  designer.SetDesigning(true);
  auto* tsx = new TTsx(&designer);
  EXPECT_EQ(tsx->Title(), "Earlier");
  EXPECT_EQ(tsx->ResBmpId(), 55);
  EXPECT_EQ(TsxModule().GetMainViewHwnd, nullptr) << "no host at design time";
  tsx->SetTitle("Changed");
  tsx->OnLeftClick = [] { return 1; };
  tsx->Loaded();
  EXPECT_EQ(TsxModule().Title, "Earlier");
  EXPECT_EQ(TsxOnLeftClick(), 0);
}

TEST_F(EntryPointsTest, OwnerIsRememberedOnlyWhenItIsAForm) {
  auto* plain = new TTsx(&root_);
  EXPECT_EQ(plain->OwnerForm(), nullptr);
  SetIsFormPredicate(&EveryComponentIsAForm);
  auto* owned = new TTsx(&root_);
  EXPECT_EQ(owned->OwnerForm(), &root_);
}

TEST_F(EntryPointsTest, FormFilesSetPropertiesAndBindEventsByName) {
  RegisterHostBridgeClasses();
  THandlerForm form(nullptr);
  TComponent* c = CreateComponent("TTsx", &form);
  ASSERT_TRUE(c->Is<TTsx>());
  SetStrProp(c, "Title", "From a form");
  SetOrdProp(c, "ResBmpId", 100);
  SetOrdProp(c, "ResStringId", 0);
  SetOrdProp(c, "ApiVersionNeeded", 430);
  SetMethodProp(c, "OnLeftClick", &form, "TsxLeftClick");
  SetMethodProp(c, "OnPlugInit", &form, "TsxPlugInit");
  EXPECT_EQ(TsxModule().ResBmpId, 100) << "the writer sets the module state at once";
  c->Loaded();

  tsxPluginDescriptor d{};
  TsxGetData(&d, 2);
  EXPECT_EQ(form.inits, 1);
  EXPECT_STREQ(d.title, "From a form");
  EXPECT_EQ(d.bitmapResourceId, 100);
  EXPECT_EQ(d.stringResourceId, 0);
  EXPECT_EQ(TsxOnLeftClick(), 1);
  EXPECT_EQ(TsxOnLeftClick(), 2);
  EXPECT_EQ(GetOrdProp(c, "PluginId"), 2);
  EXPECT_THROW(SetOrdProp(c, "PluginId", 5), EPropertyError);
}

TEST(FpuStateTest, SafeTruncTruncatesTowardZeroAndNeverInvokesUndefinedBehaviour) {
  const Int64 indefinite = std::numeric_limits<Int64>::min();
  const std::pair<float, Int64> cases[] = {
      {2.9f, 2}, {-2.9f, -2}, {-0.5f, 0}, {16777216.0f, 16777216},
      {-9.0e18f, -9000000202358128640},  // the float nearest -9e18, exactly
      {std::nanf(""), indefinite}, {1e30f, indefinite}, {-1e30f, indefinite},
      {std::numeric_limits<float>::infinity(), indefinite},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(SafeTrunc(in), out) << in;
}

TEST(FpuStateTest, ClearFpuStateClearsPendingFlags) {
  for (int flags : {FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW, FE_INEXACT, FE_UNDERFLOW, FE_ALL_EXCEPT}) {
    std::feraiseexcept(flags);
    ASSERT_NE(std::fetestexcept(FE_ALL_EXCEPT), 0);
    ClearFpuState();
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0) << flags;
  }
  ClearFpuState();  // nothing pending: nothing to do
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
}

#if defined(__x86_64__) || defined(__i386__)
TEST(FpuStateTest, ClearFpuStateClearsTheDenormalOperandFlag) {
  // A denormal operand in an x87 load and in an SSE add raises the flag in both units.
  volatile double denormal = 4.9e-324;
  double in = denormal;
  __asm__ volatile("fldl %0\n\tfstp %%st(0)" : : "m"(in));
  volatile double sum = denormal + 1.0;
  (void)sum;
  unsigned short x87 = 0;
  __asm__ volatile("fnstsw %0" : "=am"(x87));
  ASSERT_EQ(x87 & 0x02, 0x02);
  ASSERT_EQ(_mm_getcsr() & 0x02, 0x02u);
  ClearFpuState();
  __asm__ volatile("fnstsw %0" : "=am"(x87));
  EXPECT_EQ(x87 & 0xFF, 0) << "x87 status word";
  EXPECT_EQ(_mm_getcsr() & 0x3F, 0u) << "MXCSR";
}
#endif
