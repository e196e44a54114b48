#include "platform/classlib/sysutils.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/classlib/exceptions.h"

namespace {

unsigned char U8(char c) { return static_cast<unsigned char>(c); }

// Code page 1252 case tables, built once.
struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  CaseTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c) {
      if (c != 0xD7) pair(c, c + 32);  // 0xD7 and 0xF7 are the multiplication and division signs
    }
    pair(0x8A, 0x9A);  // S caron
    pair(0x8C, 0x9C);  // OE ligature
    pair(0x8E, 0x9E);  // Z caron
    pair(0x9F, 0xFF);  // Y diaeresis
  }
};

const CaseTables& Tables() {
  static const CaseTables tables;
  return tables;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
unsigned char AnsiLowerByte(char c) { return Tables().lower[U8(c)]; }

int Sign(int v) { return (v > 0) - (v < 0); }

bool IsBlankOrControl(char c) { return U8(c) <= ' '; }

}  // namespace

std::string TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlankOrControl(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && IsBlankOrControl(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlankOrControl(s[b])) ++b;
  while (e > b && IsBlankOrControl(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiUpper(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiLower(c);
  return r;
}

std::string AnsiUpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(Tables().upper[U8(c)]);
  return r;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(Tables().lower[U8(c)]);
  return r;
}

int CompareStr(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return int(U8(a[i])) - int(U8(b[i]));
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = U8(AsciiUpper(a[i])), y = U8(AsciiUpper(b[i]));
    if (x != y) return int(x) - int(y);
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = AnsiLowerByte(a[i]), y = AnsiLowerByte(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return Sign(static_cast<int>(a.size()) - static_cast<int>(b.size()));
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
  int folded = AnsiCompareText(a, b);
  if (folded != 0) return folded;
  // Same letters: the first difference in case decides, lower case first.
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      bool aLower = AnsiLowerByte(a[i]) == U8(a[i]);
      return aLower ? -1 : 1;
    }
  }
  return 0;
}

std::string AnsiQuotedStr(std::string_view s, char quote) {
  std::string r;
  r.reserve(s.size() + 2);
  r += quote;
  for (char c : s) {
    r += c;
    if (c == quote) r += quote;
  }
  r += quote;
  return r;
}

std::string QuotedStr(std::string_view s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiExtractQuotedStr(std::string_view s, std::size_t& pos, char quote) {
  if (pos >= s.size() || s[pos] != quote) return std::string();
  std::string r;
  std::size_t i = pos + 1;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        r += quote;
        i += 2;
        continue;
      }
      pos = i + 1;
      return r;
    }
    r += s[i++];
  }
  pos = s.size();
  return r;
}

std::string AnsiDequotedStr(std::string_view s, char quote) {
  if (s.empty() || s[0] != quote) return std::string(s);
  // Find the closing quote the same way the extractor does; unterminated stays as is.
  std::size_t i = 1;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        i += 2;
        continue;
      }
      std::size_t pos = 0;
      return AnsiExtractQuotedStr(s, pos, quote);
    }
    ++i;
  }
  return std::string(s);
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags) {
  if (oldPattern.empty()) return std::string(s);
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  auto matchesAt = [&](std::size_t i) {
    if (i + oldPattern.size() > s.size()) return false;
    for (std::size_t k = 0; k < oldPattern.size(); ++k) {
      char a = s[i + k], b = oldPattern[k];
      if (ignoreCase ? AnsiLowerByte(a) != AnsiLowerByte(b) : a != b) return false;
    }
    return true;
  };
  std::string r;
  r.reserve(s.size());
  std::size_t i = 0;
  bool replaced = false;
  while (i < s.size()) {
    if ((!replaced || (flags & rfReplaceAll)) && matchesAt(i)) {
      r.append(newPattern);
      i += oldPattern.size();
      replaced = true;
    } else {
      r += s[i++];
    }
  }
  return r;
}

Integer Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  std::size_t p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<Integer>(p + 1);
}

std::string Copy(std::string_view s, Integer index, Integer count) {
  if (count <= 0) return std::string();
  if (index < 1) index = 1;
  std::size_t start = static_cast<std::size_t>(index) - 1;
  if (start >= s.size()) return std::string();
  return std::string(s.substr(start, static_cast<std::size_t>(count)));
}

std::string IntToStr(Int64 value) { return std::to_string(value); }

namespace {
std::string Hex(std::uint64_t v, Integer digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string r;
  do {
    r.insert(r.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v != 0);
  if (digits > 0 && r.size() < static_cast<std::size_t>(digits)) {
    r.insert(0, static_cast<std::size_t>(digits) - r.size(), '0');
  }
  return r;
}
}  // namespace

std::string IntToHex(Integer value, Integer digits) { return Hex(static_cast<Cardinal>(value), digits); }
std::string IntToHex(Cardinal value, Integer digits) { return Hex(value, digits); }
std::string IntToHex(Int64 value, Integer digits) { return Hex(static_cast<std::uint64_t>(value), digits); }

bool TryStrToInt(std::string_view s, Integer& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      d = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      d = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    v = v * (hex ? 16 : 10) + d;
    if (v > 0xFFFFFFFFull) return false;  // stops the accumulator long before it can wrap
  }
  if (hex) {
    Cardinal bits = static_cast<Cardinal>(v);
    if (negative) bits = 0u - bits;
    value = static_cast<Integer>(bits);
    return true;
  }
  if (negative) {
    if (v > 2147483648ull) return false;
    value = static_cast<Integer>(-static_cast<Int64>(v));
  } else {
    if (v > 2147483647ull) return false;
    value = static_cast<Integer>(v);
  }
  return true;
}

Integer StrToInt(std::string_view s) {
  Integer v = 0;
  if (!TryStrToInt(s, v)) throw CreateFmt<EConvertError>(msg::InvalidInteger, std::string(s));
  return v;
}

Integer StrToIntDef(std::string_view s, Integer def) {
  Integer v = 0;
  return TryStrToInt(s, v) ? v : def;
}

namespace {
// Power of ten of the leading digit of a well-formed decimal text, saturated; used only
// to tell overflow from underflow.
Int64 DecimalMagnitude(std::string_view t) {
  Int64 intDigits = 0, firstNonZero = -1, index = 0;
  std::size_t i = 0;
  bool inFraction = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c == '.') {
      inFraction = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    if (!inFraction) ++intDigits;
    if (c != '0' && firstNonZero < 0) firstNonZero = index;
    ++index;
  }
  if (firstNonZero < 0) return std::numeric_limits<Int64>::min();
  Int64 exponent = 0;
  if (i < t.size()) {  // 'e' or 'E'
    ++i;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
    for (; i < t.size(); ++i) {
      if (exponent < 1000000000) exponent = exponent * 10 + (t[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return intDigits - firstNonZero - 1 + exponent;
}
}  // namespace

bool TryStrToFloat(std::string_view s, Double& value) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  std::string_view t = s.substr(b, e - b);

  // Check the shape ourselves: from_chars would also take "inf", "nan" and hex floats.
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  std::size_t numberStart = i;
  std::size_t mantissaDigits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++mantissaDigits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != t.size()) return false;

  double v = 0;
  auto res = std::from_chars(t.data() + numberStart, t.data() + t.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow is a zero; overflow has no Double to give.
    if (DecimalMagnitude(t.substr(numberStart)) > 0) return false;
    v = 0.0;
  } else if (res.ec != std::errc() || res.ptr != t.data() + t.size()) {
    return false;
  }
  if (std::isinf(v)) return false;
  value = negative ? -v : v;
  return true;
}

Double StrToFloat(std::string_view s) {
  Double v = 0;
  if (!TryStrToFloat(s, v)) throw CreateFmt<EConvertError>(msg::InvalidFloat, std::string(s));
  return v;
}

Double StrToFloatDef(std::string_view s, Double def) {
  Double v = 0;
  return TryStrToFloat(s, v) ? v : def;
}
