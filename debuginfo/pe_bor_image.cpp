#include "debuginfo/pe_bor_image.h"

#include "debuginfo/byte_view.h"
#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"
#include "debuginfo/pe_resource_list.h"

namespace dbg {

namespace {
[[noreturn]] void FailNotPe() { RaisePeError(RsNotPeFormat); }
}  // namespace

TDbgPackageInfo ParsePackageInfo(std::span<const std::uint8_t> data) {
  ByteView v(data, FailNotPe);
  TDbgPackageInfo info;
  info.Flags = v.U32(0);
  std::uint64_t at = 8;
  const Integer requireCount = static_cast<Integer>(v.U32(4));
  // Each entry takes at least two bytes: a count beyond the bytes left is a lie.
  if (requireCount < 0 || std::uint64_t(requireCount) * 2 > v.Size() - at) FailNotPe();
  info.Requires.reserve(static_cast<std::size_t>(requireCount));
  for (Integer i = 0; i < requireCount; ++i) {
    v.U8(at);  // hash code
    std::string name = v.CString(at + 1);
    at += 2 + name.size();
    info.Requires.push_back(std::move(name));
  }
  const Integer containCount = static_cast<Integer>(v.U32(at));
  at += 4;
  if (containCount < 0 || std::uint64_t(containCount) * 3 > v.Size() - at) FailNotPe();
  info.Contains.reserve(static_cast<std::size_t>(containCount));
  for (Integer i = 0; i < containCount; ++i) {
    TDbgPackageUnit unit;
    unit.Flags = v.U8(at);
    unit.HashCode = v.U8(at + 1);
    unit.Name = v.CString(at + 2);
    at += 3 + unit.Name.size();
    info.Contains.push_back(std::move(unit));
  }
  return info;
}

}  // namespace dbg

const TClass& TDbgPeBorImage::StaticClass() {
  static const TClass cls = TClass::Of<TDbgPeBorImage>("TDbgPeBorImage", TDbgPeImage::StaticClass());
  return cls;
}

std::span<const std::uint8_t> TDbgPeBorImage::RcData(const char* name) {
  TDbgPeResourceItem* item = ResourceList().FindResource(DbgResTypeRcData, name);
  return item ? item->RawData() : std::span<const std::uint8_t>();
}

bool TDbgPeBorImage::IsPackage() { return ResourceList().FindResource(DbgResTypeRcData, "PACKAGEINFO") != nullptr; }

const TDbgPackageInfo& TDbgPeBorImage::PackageInfo() {
  if (!packageInfo_) {
    auto data = RcData("PACKAGEINFO");
    packageInfo_ = data.empty() ? TDbgPackageInfo() : dbg::ParsePackageInfo(data);
  }
  return *packageInfo_;
}

std::span<const std::uint8_t> TDbgPeBorImage::PackageOptions() { return RcData("PACKAGEOPTIONS"); }

std::span<const std::uint8_t> TDbgPeBorImage::DvclAl() { return RcData("DVCLAL"); }
