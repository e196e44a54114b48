#include "panels/num_format.h"

#include "platform/classlib/float_format.h"
#include "platform/classlib/sysutils.h"

namespace {
// The class library formats and reads with '.'.
constexpr char kDecimalSeparator = '.';
}  // namespace

std::string FormatNumValue(double value, int precision, const std::string& unit) {
  std::string text = precision >= 0 ? FloatToStrF(value, ffFixed, 15, precision) : FloatToStrF(value, ffGeneral, 4, 0);
  if (!unit.empty()) text += " " + unit;
  return text;
}

std::string StripNumUnit(const std::string& text, const std::string& unit) {
  if (unit.empty()) return text;
  const Integer p = Pos(unit, text);
  if (p < 3) {
    const Integer blank = Pos(" ", text);
    if (blank > 1) return Copy(text, 1, blank - 1);
    return text;
  }
  return Trim(Copy(text, 1, p - 1));
}

double ParseNumValue(const std::string& text, const std::string& unit) {
  std::string s = StripNumUnit(text, unit);
  if (s.empty() || s == "-") return 0;
  for (std::size_t i = s.size(); i-- > 0;) {
    const char c = s[i];
    if (c == ' ')
      s.erase(i, 1);
    else if (!(c >= '0' && c <= '9') && c != '-' && c != kDecimalSeparator)
      s[i] = kDecimalSeparator;
  }
  if (!s.empty() && s.front() == kDecimalSeparator) s.insert(s.begin(), '0');
  if (!s.empty() && s.back() == kDecimalSeparator) s.push_back('0');
  return StrToFloat(s);
}
