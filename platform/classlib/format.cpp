// Format: the class library's printf. Directives are
//   % [index ':'] ['-'] [width] ['.' precision] type
// where index, width and precision may be '*' (taken from the next argument). Widths pad
// with spaces; a width written with a leading 0 ("%03d") pads numbers with zeros after the
// sign, as the status lines expect ("frame 007"); for d, u and x the precision is the
// minimum number of digits, padded with zeros; for s the maximum number of characters.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/float_format.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/sysutils.h"

namespace {

// Widths and precisions beyond this are clearly mistakes; saturating keeps a stray
// "%999999999d" from asking for a gigabyte.
constexpr int kMaxWidth = 1 << 20;

class Formatter {
 public:
  Formatter(const std::string& fmt, const FormatArgs& args) : fmt_(fmt), args_(args) {}

  std::string Run() {
    std::string out;
    std::size_t i = 0;
    while (i < fmt_.size()) {
      char c = fmt_[i++];
      if (c != '%') {
        out += c;
        continue;
      }
      if (i < fmt_.size() && fmt_[i] == '%') {
        out += '%';
        ++i;
        continue;
      }
      out += Directive(i);
    }
    return out;
  }

 private:
  [[noreturn]] void Fail(const char* message) const {
    // The message quotes the start of the format string, as the class library does.
    throw CreateFmt<EConvertError>(message, fmt_.substr(0, 31));
  }

  const FormatArg& NextArg() {
    if (argIndex_ >= args_.size()) Fail(msg::ArgumentMissing);
    return args_[argIndex_++];
  }

  // Digits or '*'; false when neither is there.
  bool ReadNumber(std::size_t& i, int& value) {
    if (i < fmt_.size() && fmt_[i] == '*') {
      ++i;
      const FormatArg& arg = NextArg();
      const auto* v = std::get_if<std::int64_t>(&arg.value);
      if (!v) Fail(msg::InvalidFormat);
      value = static_cast<int>(std::clamp<std::int64_t>(*v, -kMaxWidth, kMaxWidth));
      return true;
    }
    if (i >= fmt_.size() || fmt_[i] < '0' || fmt_[i] > '9') return false;
    value = 0;
    while (i < fmt_.size() && fmt_[i] >= '0' && fmt_[i] <= '9') {
      value = std::min(kMaxWidth, value * 10 + (fmt_[i] - '0'));
      ++i;
    }
    return true;
  }

  std::string Directive(std::size_t& i) {
    int number = 0;
    const bool leadingZero = i < fmt_.size() && fmt_[i] == '0';
    bool got = ReadNumber(i, number);
    if (got && i < fmt_.size() && fmt_[i] == ':') {
      ++i;
      if (number < 0) Fail(msg::InvalidFormat);
      argIndex_ = static_cast<std::size_t>(number);
      got = false;
    }
    bool left = false;
    bool zeros = false;
    if (!got) {
      if (i < fmt_.size() && fmt_[i] == '-') {
        left = true;
        ++i;
      }
      zeros = !left && i < fmt_.size() && fmt_[i] == '0';
      got = ReadNumber(i, number);
    } else {
      zeros = leadingZero;
    }
    int width = got ? std::max(number, 0) : 0;
    int precision = -1;
    if (i < fmt_.size() && fmt_[i] == '.') {
      ++i;
      if (!ReadNumber(i, precision)) precision = 0;
      if (precision < 0) precision = -1;
    }
    if (i >= fmt_.size()) Fail(msg::InvalidFormat);
    char type = fmt_[i++];
    if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 32);

    std::string text = Convert(type, precision);
    const bool numeric = type != 'S' && type != 'P';
    if (zeros && numeric && static_cast<int>(text.size()) < width) {
      const std::size_t sign = (!text.empty() && text[0] == '-') ? 1 : 0;
      text.insert(sign, static_cast<std::size_t>(width) - text.size(), '0');
    }
    if (static_cast<int>(text.size()) < width) {
      std::string pad(static_cast<std::size_t>(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  std::int64_t IntegerArg() {
    const FormatArg& arg = NextArg();
    const auto* v = std::get_if<std::int64_t>(&arg.value);
    if (!v) Fail(msg::InvalidFormat);
    return *v;
  }

  double FloatArg() {
    const FormatArg& arg = NextArg();
    const auto* v = std::get_if<double>(&arg.value);
    if (!v) Fail(msg::InvalidFormat);
    return *v;
  }

  // Negative 32-bit values show as their 32-bit two's complement, wider ones as 64-bit.
  static std::uint64_t AsUnsigned(std::int64_t v) {
    if (v < 0 && v >= std::numeric_limits<std::int32_t>::min()) return static_cast<std::uint32_t>(v);
    return static_cast<std::uint64_t>(v);
  }

  static std::string PadDigits(std::string digits, int precision) {
    if (precision > static_cast<int>(digits.size())) {
      digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    }
    return digits;
  }

  std::string Convert(char type, int precision) {
    switch (type) {
      case 'D': {
        std::int64_t v = IntegerArg();
        std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        std::string digits = PadDigits(std::to_string(magnitude), precision);
        return v < 0 ? "-" + digits : digits;
      }
      case 'U':
        return PadDigits(std::to_string(AsUnsigned(IntegerArg())), precision);
      case 'X': {
        std::uint64_t v = AsUnsigned(IntegerArg());
        return PadDigits(IntToHex(static_cast<Int64>(v), 1), precision);
      }
      case 'E':
        return FloatToStrF(FloatArg(), ffExponent, precision < 0 ? 15 : precision, 3);
      case 'F':
        return FloatToStrF(FloatArg(), ffFixed, 18, precision < 0 ? 2 : std::min(precision, 18));
      case 'G':
        return FloatToStrF(FloatArg(), ffGeneral, precision < 0 ? 15 : precision, 3);
      case 'S': {
        const FormatArg& arg = NextArg();
        const auto* s = std::get_if<std::string>(&arg.value);
        if (!s) Fail(msg::InvalidFormat);
        if (precision >= 0 && static_cast<std::size_t>(precision) < s->size()) {
          return s->substr(0, static_cast<std::size_t>(precision));
        }
        return *s;
      }
      case 'P': {
        const FormatArg& arg = NextArg();
        const auto* p = std::get_if<const void*>(&arg.value);
        if (!p) Fail(msg::InvalidFormat);
        return IntToHex(static_cast<Int64>(reinterpret_cast<std::uintptr_t>(*p)), 2 * sizeof(void*));
      }
      default:
        Fail(msg::InvalidFormat);
    }
  }

  const std::string& fmt_;
  const FormatArgs& args_;
  std::size_t argIndex_ = 0;
};

}  // namespace

std::string Format(const std::string& fmt, const FormatArgs& args) { return Formatter(fmt, args).Run(); }
