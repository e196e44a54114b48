// Captured stacks, exception frames, the global stack list under threads, and the
// records of import-table hooks.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "debuginfo/pe_map_img_hooks.h"
#include "debuginfo/stack_lists.h"
#include "platform/win/system_info.h"

TEST(StackLists, CapturedListsBelongToTheirThread) {
  TDbgStackInfoList stack;
  EXPECT_EQ(stack.ThreadID(), win::GetCurrentThreadId());
  stack.AddCaller(0x401000);
  stack.AddCaller(0x402010);
  ASSERT_EQ(stack.Count(), 2);
  EXPECT_EQ(stack.Items(1)->CallerAddr(), 0x402010u);
  EXPECT_EQ(stack.Items(1)->Level(), 1);

  Cardinal other = 0;
  std::thread([&] { other = TDbgExceptFrameList().ThreadID(); }).join();
  EXPECT_NE(other, stack.ThreadID());
}

TEST(StackLists, ExceptFramesAreClassifiedByTheirHandler) {
  EXPECT_EQ(DbgExceptFrameKindOf("System", "@HandleAnyException"), efkAnyException);
  EXPECT_EQ(DbgExceptFrameKindOf("system", "@HandleOnException"), efkOnException);
  EXPECT_EQ(DbgExceptFrameKindOf("SYSTEM", "@HandleAutoException"), efkAutoException);
  EXPECT_EQ(DbgExceptFrameKindOf("System", "@HandleFinally"), efkFinally);
  EXPECT_EQ(DbgExceptFrameKindOf("SysUtils", "@HandleFinally"), efkUnknown);
  EXPECT_EQ(DbgExceptFrameKindOf("System", "@handlefinally"), efkUnknown);
  EXPECT_EQ(DbgExceptFrameKindOf("System", "@HandleFinallyX"), efkUnknown);

  TDbgExceptFrameList frames(7);
  frames.AddFrame(0x12FF00, 0x401234, efkFinally);
  ASSERT_EQ(frames.Count(), 1);
  EXPECT_EQ(frames.Items(0)->FrameKind(), efkFinally);
  EXPECT_EQ(frames.Items(0)->HandlerAddr(), 0x401234u);
}

TEST(GlobalStackList, KeepsTheLatestListOfEachKindPerThread) {
  TDbgGlobalStackList global;
  auto* first = new TDbgStackInfoList(1);
  global.AddObject(first);
  global.AddObject(new TDbgStackInfoList(2));
  auto* frames = new TDbgExceptFrameList(1);
  global.AddObject(frames);
  EXPECT_EQ(global.Count(), 3);
  EXPECT_EQ(global.FindStackInfo(1), first);
  EXPECT_EQ(global.FindExceptFrames(1), frames);
  EXPECT_EQ(global.FindExceptFrames(2), nullptr);

  auto* second = new TDbgStackInfoList(1);
  second->AddCaller(0x1234);
  global.AddObject(second);  // frees `first`
  EXPECT_EQ(global.Count(), 3);
  EXPECT_EQ(global.FindStackInfo(1), second);
  global.Clear();
  EXPECT_EQ(global.Count(), 0);
  EXPECT_EQ(global.FindStackInfo(1), nullptr);
}

TEST(GlobalStackList, ThreadsAddConcurrently) {
  TDbgGlobalStackList global;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&global] {
      for (int i = 0; i < 200; ++i) {
        auto* list = new TDbgStackInfoList();
        list->AddCaller(static_cast<std::uintptr_t>(i));
        global.AddObject(list);
        global.FindStackInfo(win::GetCurrentThreadId());
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(global.Count(), 8);
  TObjectList& locked = global.LockList();
  for (Integer i = 0; i < locked.Count(); ++i) {
    auto* list = static_cast<TDbgStackInfoList*>(locked.Items(i));
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Items(0)->CallerAddr(), 199u) << "the last capture of its thread";
  }
  global.UnlockList();
}

TEST(CriticalSection, ExcludesOtherThreadsAndReenters) {
  TDbgCriticalSection cs;
  cs.Enter();
  EXPECT_TRUE(cs.TryEnter()) << "the owner may enter again";
  bool other = true;
  std::thread([&] { other = cs.TryEnter(); }).join();
  EXPECT_FALSE(other);
  cs.Leave();
  cs.Leave();
  std::thread([&] {
    other = cs.TryEnter();
    if (other) cs.Leave();
  }).join();
  EXPECT_TRUE(other);
}

TEST(ImgHooks, RecordsOneHookPerOriginal) {
  TDbgPeMapImgHooks hooks;
  int original = 0, replacement = 0, another = 0;
  hooks.AddHook("kernel", "RaiseException", &original, &replacement);
  hooks.AddHook("kernel", "RaiseException", &original, &another);
  ASSERT_EQ(hooks.Count(), 1);
  EXPECT_EQ(hooks.ItemFromOriginalAddress(&original)->NewAddress(), &another);
  EXPECT_EQ(hooks.ItemFromNewAddress(&replacement), nullptr);
  EXPECT_EQ(hooks.ItemFromNewAddress(&another)->FunctionName(), "RaiseException");
  EXPECT_TRUE(hooks.RemoveHook(&original));
  EXPECT_FALSE(hooks.RemoveHook(&original));
  EXPECT_EQ(hooks.Count(), 0);
}

TEST(ImgHooks, OnlyTheLanguageExceptionIsCaptured) {
  EXPECT_TRUE(DbgIsLanguageExceptionRaise(0x0EEDFADE, 1, 7));
  EXPECT_FALSE(DbgIsLanguageExceptionRaise(0x0EEDFADE, 0, 7)) << "continuable";
  EXPECT_FALSE(DbgIsLanguageExceptionRaise(0x0EEDFADE, 1, 6));
  EXPECT_FALSE(DbgIsLanguageExceptionRaise(0xC0000005, 1, 7));
}
