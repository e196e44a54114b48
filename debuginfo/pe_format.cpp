#include "debuginfo/pe_format.h"

#include <algorithm>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"

namespace dbg {

namespace {

[[noreturn]] void FailNotPe() { RaisePeError(RsNotPeFormat); }

constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kSectionHeaderSize = 40;

}  // namespace

ByteView PeView(std::span<const std::uint8_t> bytes) { return ByteView(bytes, FailNotPe); }

bool IsPeImage(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kDosHeaderSize) return false;
  ByteView v(bytes, FailNotPe);
  if (v.U16(0) != IMAGE_DOS_SIGNATURE) return false;
  Cardinal lfanew = v.U32(kNewHeaderOffsetField);
  if (lfanew == 0 || !v.Fits(lfanew, 4)) return false;
  return v.U32(lfanew) == IMAGE_NT_SIGNATURE;
}

PeLayout ReadPeLayout(std::span<const std::uint8_t> file) {
  if (!IsPeImage(file)) FailNotPe();
  ByteView v = PeView(file);
  PeLayout out;
  TDbgPeHeaders& h = out.Headers;
  h.NtHeadersOffset = v.U32(kNewHeaderOffsetField);
  const std::uint64_t fh = std::uint64_t{h.NtHeadersOffset} + 4;
  h.Machine = v.U16(fh + 0);
  h.NumberOfSections = v.U16(fh + 2);
  h.TimeDateStamp = v.U32(fh + 4);
  h.SizeOfOptionalHeader = v.U16(fh + 16);
  h.Characteristics = v.U16(fh + 18);

  const std::uint64_t oh = fh + kFileHeaderSize;
  // Every field is read from inside the optional header as its size declares it.
  ByteView opt = v.View(oh, h.SizeOfOptionalHeader);
  h.Magic = opt.U16(0);
  std::uint64_t dirOffset = 0;
  if (h.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    out.Target = TDbgPeTarget::taWin32;
    h.ImageBase = opt.U32(28);
    dirOffset = 96;
  } else if (h.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    out.Target = TDbgPeTarget::taWin64;
    h.ImageBase = opt.U64(24);
    dirOffset = 112;
  } else {
    FailNotPe();
  }
  h.MajorLinkerVersion = opt.U8(2);
  h.MinorLinkerVersion = opt.U8(3);
  h.SizeOfCode = opt.U32(4);
  h.AddressOfEntryPoint = opt.U32(16);
  h.BaseOfCode = opt.U32(20);
  h.SectionAlignment = opt.U32(32);
  h.FileAlignment = opt.U32(36);
  h.MajorOperatingSystemVersion = opt.U16(40);
  h.MinorOperatingSystemVersion = opt.U16(42);
  h.MajorImageVersion = opt.U16(44);
  h.MinorImageVersion = opt.U16(46);
  h.MajorSubsystemVersion = opt.U16(48);
  h.MinorSubsystemVersion = opt.U16(50);
  h.SizeOfImage = opt.U32(56);
  h.SizeOfHeaders = opt.U32(60);
  h.CheckSum = opt.U32(64);
  h.Subsystem = opt.U16(68);
  h.DllCharacteristics = opt.U16(70);
  h.NumberOfRvaAndSizes = opt.U32(dirOffset - 4);
  const Cardinal dirs = std::min<Cardinal>(h.NumberOfRvaAndSizes, IMAGE_NUMBEROF_DIRECTORY_ENTRIES);
  for (Cardinal i = 0; i < dirs; ++i) {
    h.DataDirectory[i].VirtualAddress = opt.U32(dirOffset + 8 * i);
    h.DataDirectory[i].Size = opt.U32(dirOffset + 8 * i + 4);
  }

  const std::uint64_t st = oh + h.SizeOfOptionalHeader;
  v.Require(st, kSectionHeaderSize * h.NumberOfSections);  // before anything is allocated
  out.Sections.reserve(h.NumberOfSections);
  for (Word i = 0; i < h.NumberOfSections; ++i) {
    const std::uint64_t s = st + kSectionHeaderSize * i;
    TDbgPeSectionHeader sec;
    auto name = v.Sub(s, 8);
    auto end = std::find(name.begin(), name.end(), 0);
    sec.Name.assign(name.begin(), end);
    sec.VirtualSize = v.U32(s + 8);
    sec.VirtualAddress = v.U32(s + 12);
    sec.SizeOfRawData = v.U32(s + 16);
    sec.PointerToRawData = v.U32(s + 20);
    sec.Characteristics = v.U32(s + 36);
    out.Sections.push_back(std::move(sec));
  }
  return out;
}

std::optional<std::uint64_t> PeAddressMap::FileOffset(Cardinal rva, Cardinal size) const {
  const std::uint64_t end = std::uint64_t{rva} + size;
  const std::uint64_t headers = std::min<std::uint64_t>(layout_->Headers.SizeOfHeaders, file_.size());
  if (end <= headers) return rva;
  for (const auto& s : layout_->Sections) {
    if (rva < s.VirtualAddress) continue;
    const std::uint64_t delta = rva - s.VirtualAddress;
    if (end - s.VirtualAddress > s.SizeOfRawData) continue;
    const std::uint64_t offset = std::uint64_t{s.PointerToRawData} + delta;
    if (offset + size > file_.size()) return std::nullopt;
    return offset;
  }
  return std::nullopt;
}

std::span<const std::uint8_t> PeAddressMap::Data(Cardinal rva, Cardinal size) const {
  auto offset = FileOffset(rva, size);
  if (!offset) FailNotPe();
  return file_.subspan(*offset, size);
}

ByteView PeAddressMap::Tail(Cardinal rva) const {
  const std::uint64_t headers = std::min<std::uint64_t>(layout_->Headers.SizeOfHeaders, file_.size());
  if (rva < headers) return PeView(file_.subspan(rva, headers - rva));
  for (const auto& s : layout_->Sections) {
    if (rva < s.VirtualAddress || rva - s.VirtualAddress >= s.SizeOfRawData) continue;
    const std::uint64_t offset = std::uint64_t{s.PointerToRawData} + (rva - s.VirtualAddress);
    if (offset >= file_.size()) FailNotPe();
    const std::uint64_t rawEnd = std::min<std::uint64_t>(std::uint64_t{s.PointerToRawData} + s.SizeOfRawData, file_.size());
    return PeView(file_.subspan(offset, rawEnd - offset));
  }
  FailNotPe();
}

std::string PeAddressMap::CString(Cardinal rva) const { return Tail(rva).CString(0); }

int PeAddressMap::SectionIndexOfRva(Cardinal rva) const {
  const auto& secs = layout_->Sections;
  for (std::size_t i = 0; i < secs.size(); ++i) {
    const Cardinal span = std::max(secs[i].VirtualSize, secs[i].SizeOfRawData);
    if (rva >= secs[i].VirtualAddress && rva - secs[i].VirtualAddress < span) return static_cast<int>(i);
  }
  return -1;
}

std::span<const std::uint8_t> SectionBytes(std::span<const std::uint8_t> file, const TDbgPeSectionHeader& s) {
  const Cardinal size = std::min(s.SizeOfRawData, s.VirtualSize);
  return PeView(file).Sub(s.PointerToRawData, size);
}

}  // namespace dbg
