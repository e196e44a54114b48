#include "controlkit/kit_general.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "controlkit/kit_strings.h"
#include "controlkit/kit_sysinfo.h"
#include "platform/classlib/file_paths.h"

namespace {

// Texts the system hands out are at most this long.
constexpr std::size_t kMaxPath = 260;

std::string CutToMaxPath(std::string s) {
  if (s.size() > kMaxPath) s.resize(kMaxPath);
  return s;
}

// Round to nearest, halves to even (the default rounding mode).
Integer RoundEven(long double v) { return static_cast<Integer>(std::nearbyint(v)); }

template <class T>
T PickFromRange(std::span<const T> values, Integer high, bool largest) {
  if (values.empty()) return T{};
  const std::size_t last = high < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(high), values.size() - 1);
  T result = values[0];
  for (std::size_t i = 1; i <= last; ++i)
    if (largest ? values[i] > result : values[i] < result) result = values[i];
  return result;
}

}  // namespace

void RectSize(const TRect& R, Integer& Width, Integer& Height) {
  Width = R.right - R.left;
  Height = R.bottom - R.top;
}

void FitRect(const TRect& Source, const TRect& Dest, TRect& Result) {
  Integer sw, sh, dw, dh;
  RectSize(Source, sw, sh);
  RectSize(Dest, dw, dh);
  Result = Rect(Dest.left, Dest.top, Dest.left, Dest.top);
  // An empty source has no aspect ratio to keep.
  if (sw == 0 || sh == 0) return;
  const long double rx = static_cast<long double>(dw) / sw;
  const long double ry = static_cast<long double>(dh) / sh;
  const long double r = std::min(rx, ry);
  Result.right = Dest.left + RoundEven(sw * r);
  Result.bottom = Dest.top + RoundEven(sh * r);
}

void RotatedBounds(TRect& R, Integer Angle) {
  if (Angle == 0) return;
  const Integer w = (R.right - R.left) / 2;
  const Integer h = (R.bottom - R.top) / 2;
  const long double a = Angle * 0.017453292519943295L;
  const long double s = std::sin(a);
  const long double c = std::cos(a);
  const Integer dx1 = RoundEven(w * c - h * s);
  const Integer dx2 = RoundEven(w * c + h * s);
  const Integer dy1 = RoundEven(w * s - h * c);
  const Integer dy2 = RoundEven(w * s + h * c);
  const Integer cx = R.left + w;
  const Integer cy = R.top + h;
  const Integer xs[4] = {cx - dx1, cx - dx2, cx + dx2, cx + dx1};
  const Integer ys[4] = {cy + dy1, cy + dy2, cy - dy2, cy - dy1};
  const Integer left = *std::min_element(xs, xs + 4);
  const Integer right = *std::max_element(xs, xs + 4);
  const Integer top = *std::min_element(ys, ys + 4);
  const Integer bottom = *std::max_element(ys, ys + 4);
  R = Rect(0, 0, right - left, bottom - top);
}

Integer MaxIntArray(std::span<const Integer> Values, Integer High) { return PickFromRange(Values, High, true); }
Integer MinIntArray(std::span<const Integer> Values, Integer High) { return PickFromRange(Values, High, false); }
double MinExtArray(std::span<const double> Values, Integer High) { return PickFromRange(Values, High, false); }

std::string GetWindowsDir() { return CutToMaxPath(KitSystemInfo().WindowsDir()); }
std::string GetSystemDir() { return CutToMaxPath(KitSystemInfo().SystemDir()); }

std::string GetProgramPath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return std::string();
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string GetProgramDir() { return ExtractFilePath(GetProgramPath()); }

const TEnumInfo& KitPathPrefixInfo() {
  static const TEnumInfo info("TKitPathPrefix", {"ppWindows", "ppSystem", "ppProgram", "ppFixed"});
  return info;
}

std::string GetDirectory(TKitPathPrefix Prefix, bool WithBackslash) {
  std::string dir;
  switch (Prefix) {
    case ppWindows: dir = GetWindowsDir(); break;
    case ppSystem: dir = GetSystemDir(); break;
    case ppProgram: dir = GetProgramDir(); break;
    default: return std::string();
  }
  return WithBackslash ? AddBackslash(dir) : RemoveBackslash(dir);
}
