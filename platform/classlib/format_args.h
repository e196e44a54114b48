#pragma once
// Arguments of Format: the "array of const" of the class library, typed.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

struct FormatArg {
  std::variant<std::int64_t, double, std::string, const void*> value;

  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
  FormatArg(T v) : value(static_cast<std::int64_t>(v)) {}
  FormatArg(bool v) : value(static_cast<std::int64_t>(v ? 1 : 0)) {}
  FormatArg(float v) : value(static_cast<double>(v)) {}
  FormatArg(double v) : value(v) {}
  FormatArg(long double v) : value(static_cast<double>(v)) {}
  FormatArg(const char* v) : value(std::string(v ? v : "")) {}
  FormatArg(std::string_view v) : value(std::string(v)) {}
  FormatArg(const std::string& v) : value(v) {}
  FormatArg(const void* p) : value(p) {}
};

using FormatArgs = std::vector<FormatArg>;

// Formats like the class library: %d %u %s %x %f %e %g %p %%, with index ("%0:s"),
// left-justify '-', width and precision ('*' takes them from the arguments).
// A directive that does not fit its argument raises EConvertError.
std::string Format(const std::string& fmt, const FormatArgs& args);

template <class... A>
std::string Format(const std::string& fmt, const A&... args) {
  return Format(fmt, FormatArgs{FormatArg(args)...});
}
