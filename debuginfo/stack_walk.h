#pragma once
// The raw stack walk and the stack capture of a language exception raise, as pure
// functions over a module image placed in memory and a stack given as bytes.
//
// A word of the stack is taken as a return address when it points into the code of the
// module and the bytes before it are a call instruction ending exactly there: a direct
// call (E8 and a 32-bit displacement, 5 bytes) or an indirect call through a register
// or memory (FF /2 with its ModRM, SIB and displacement, 2 to 7 bytes, and in a 64-bit
// module optionally a REX prefix).
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "debuginfo/stack_lists.h"

class TDbgPeImage;

// The executable sections of a PE image as they lie when the module is loaded at Base:
// each at Base plus its virtual address, as long as its raw data (no longer than its
// virtual size).
class TDbgModuleCode {
 public:
  // Base 0 takes the image's preferred base. The image must stay alive.
  explicit TDbgModuleCode(const TDbgPeImage& image, std::uint64_t base = 0);

  std::uint64_t Base() const { return base_; }
  // 4 for a 32-bit module, 8 for a 64-bit one: the size of a stack word.
  int WordSize() const { return wordSize_; }
  // The `size` bytes at `address` when they all lie in one code section; empty otherwise.
  std::span<const std::uint8_t> Code(std::uint64_t address, std::uint64_t size) const;
  bool IsCode(std::uint64_t address) const { return !Code(address, 1).empty(); }

 private:
  struct Range {
    std::uint64_t start;
    std::span<const std::uint8_t> bytes;
  };
  std::uint64_t base_;
  int wordSize_;
  std::vector<Range> ranges_;
};

// Whether the bytes before `returnAddr` are one of the call instructions above.
bool DbgValidCallSite(const TDbgModuleCode& code, std::uint64_t returnAddr);

// Every stack word that is a return address, innermost (lowest address) first.
// stack[0] lies at `stackAddress`; words are read at the addresses that are multiples
// of the word size, and a tail shorter than a word is ignored.
std::unique_ptr<TDbgStackInfoList> DbgWalkRawStack(const TDbgModuleCode& code, std::span<const std::uint8_t> stack,
                                                   std::uint64_t stackAddress, Cardinal threadId);

// A raise of the window system: its code, flags and number of arguments.
struct TDbgRaise {
  Cardinal Code = 0;
  Cardinal Flags = 0;
  Cardinal ArgumentCount = 0;
};
// The compiler's language exception: code 0x0EEDFADE, non-continuable, 7 arguments.
inline constexpr Cardinal kDbgLanguageExceptionCode = 0x0EEDFADE;
inline constexpr Cardinal kDbgNonContinuable = 1;
inline constexpr Cardinal kDbgLanguageExceptionArgs = 7;
bool DbgIsLanguageRaise(const TDbgRaise& raise);

// What the exception hook does before passing a raise on: for a language raise, the
// raw walk of the raising thread's stack goes into `list` (replacing that thread's
// earlier capture) under `section`; any other raise is left alone. True when captured.
bool DbgCaptureRaiseStack(const TDbgRaise& raise, const TDbgModuleCode& code, std::span<const std::uint8_t> stack,
                          std::uint64_t stackAddress, Cardinal threadId, TDbgGlobalStackList& list,
                          TDbgCriticalSection& section);
