#pragma once
// A PE image of a module built by this compiler family, which also carries the
// "PACKAGEINFO", "PACKAGEOPTIONS" and "DVCLAL" resources (all RCDATA).
//
// PACKAGEINFO, little-endian:
//   Cardinal flags; Integer requires count;
//     per required package: Byte hash code, zero-terminated name;
//   Integer contains count;
//     per contained unit: Byte flags, Byte hash code, zero-terminated name.
// A record that does not fit its resource raises EDbgPeImageError
// "This is not a PE format".
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "debuginfo/pe_image.h"

struct TDbgPackageUnit {
  std::string Name;
  Byte Flags = 0;
  Byte HashCode = 0;
};

struct TDbgPackageInfo {
  Cardinal Flags = 0;
  std::vector<std::string> Requires;
  std::vector<TDbgPackageUnit> Contains;
};

namespace dbg {
TDbgPackageInfo ParsePackageInfo(std::span<const std::uint8_t> data);
}

class TDbgPeBorImage : public TDbgPeImage {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgPeBorImage() = default;
  explicit TDbgPeBorImage(const std::string& fileName) { SetFileName(fileName); }

  // A package carries PACKAGEINFO.
  bool IsPackage();
  // The package information; empty for an image without it.
  const TDbgPackageInfo& PackageInfo();
  // The raw PACKAGEOPTIONS and DVCLAL resources; empty when absent.
  std::span<const std::uint8_t> PackageOptions();
  std::span<const std::uint8_t> DvclAl();

 protected:
  void ClearCached() override { packageInfo_.reset(); }

 private:
  std::span<const std::uint8_t> RcData(const char* name);

  std::optional<TDbgPackageInfo> packageInfo_;
};
