#include "debuginfo/stack_walk.h"

#include <algorithm>

#include "debuginfo/pe_image.h"

namespace {

constexpr Cardinal kScnCntCode = 0x00000020;
constexpr Cardinal kScnMemExecute = 0x20000000;

// The length of an FF /2 call whose opcode byte is bytes[at], read from its ModRM and
// SIB bytes; 0 when it is no near call or runs past the bytes.
std::size_t IndirectCallLength(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (at + 2 > bytes.size() || bytes[at] != 0xFF) return 0;
  const std::uint8_t modrm = bytes[at + 1];
  const int mod = modrm >> 6, reg = (modrm >> 3) & 7, rm = modrm & 7;
  if (reg != 2) return 0;
  std::size_t length = 2;
  if (mod == 3) return length;
  if (rm == 4) {
    if (at + 3 > bytes.size()) return 0;
    const int base = bytes[at + 2] & 7;
    ++length;
    if (mod == 0 && base == 5) length += 4;
  } else if (mod == 0 && rm == 5) {
    length += 4;
  }
  if (mod == 1) length += 1;
  if (mod == 2) length += 4;
  return length;
}

}  // namespace

TDbgModuleCode::TDbgModuleCode(const TDbgPeImage& image, std::uint64_t base)
    : base_(base ? base : image.Headers().ImageBase), wordSize_(image.Target() == TDbgPeTarget::taWin64 ? 8 : 4) {
  for (Integer i = 0; i < image.ImageSectionCount(); ++i) {
    const TDbgPeSectionHeader& s = image.ImageSectionHeaders(i);
    if (!(s.Characteristics & (kScnCntCode | kScnMemExecute))) continue;
    // Only bytes the file holds are known.
    const std::span<const std::uint8_t> file = image.FileBytes();
    if (s.PointerToRawData >= file.size()) continue;
    const std::uint64_t size =
        std::min<std::uint64_t>({s.SizeOfRawData, s.VirtualSize ? s.VirtualSize : s.SizeOfRawData,
                                 file.size() - s.PointerToRawData});
    ranges_.push_back({base_ + s.VirtualAddress, file.subspan(s.PointerToRawData, static_cast<std::size_t>(size))});
  }
}

std::span<const std::uint8_t> TDbgModuleCode::Code(std::uint64_t address, std::uint64_t size) const {
  for (const Range& r : ranges_) {
    if (address < r.start) continue;
    const std::uint64_t offset = address - r.start;
    if (offset > r.bytes.size() || size > r.bytes.size() - offset) continue;
    return r.bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
  }
  return {};
}

bool DbgValidCallSite(const TDbgModuleCode& code, std::uint64_t returnAddr) {
  if (!code.IsCode(returnAddr)) return false;
  if (returnAddr >= 5) {
    const auto direct = code.Code(returnAddr - 5, 5);
    if (!direct.empty() && direct[0] == 0xE8) return true;
  }
  for (std::uint64_t length = 2; length <= 7; ++length) {
    if (returnAddr < length) break;
    const auto bytes = code.Code(returnAddr - length, length);
    if (bytes.empty()) continue;
    if (IndirectCallLength(bytes, 0) == length) return true;
    // A REX prefix (registers r8 to r15) before the opcode in 64-bit code.
    if (code.WordSize() == 8 && (bytes[0] & 0xF0) == 0x40 && IndirectCallLength(bytes, 1) + 1 == length)
      return true;
  }
  return false;
}

std::unique_ptr<TDbgStackInfoList> DbgWalkRawStack(const TDbgModuleCode& code, std::span<const std::uint8_t> stack,
                                                   std::uint64_t stackAddress, Cardinal threadId) {
  auto list = std::make_unique<TDbgStackInfoList>(threadId);
  const std::size_t word = static_cast<std::size_t>(code.WordSize());
  // Stack words sit at addresses that are multiples of the word size.
  const std::size_t first = static_cast<std::size_t>((word - stackAddress % word) % word);
  for (std::size_t at = first; at + word <= stack.size(); at += word) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < word; ++i) value |= std::uint64_t{stack[at + i]} << (8 * i);
    if (DbgValidCallSite(code, value)) list->AddCaller(static_cast<std::uintptr_t>(value));
  }
  return list;
}

bool DbgIsLanguageRaise(const TDbgRaise& raise) {
  return raise.Code == kDbgLanguageExceptionCode && raise.Flags == kDbgNonContinuable &&
         raise.ArgumentCount == kDbgLanguageExceptionArgs;
}

bool DbgCaptureRaiseStack(const TDbgRaise& raise, const TDbgModuleCode& code, std::span<const std::uint8_t> stack,
                          std::uint64_t stackAddress, Cardinal threadId, TDbgGlobalStackList& list,
                          TDbgCriticalSection& section) {
  if (!DbgIsLanguageRaise(raise)) return false;
  std::unique_ptr<TDbgStackInfoList> captured = DbgWalkRawStack(code, stack, stackAddress, threadId);
  section.Enter();
  try {
    list.AddObject(captured.get());
    captured.release();
  } catch (...) {
    section.Leave();
    throw;
  }
  section.Leave();
  return true;
}
