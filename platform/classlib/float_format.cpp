#include "platform/classlib/float_format.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kMaxDigits = 18;

// Increments the decimal digit string; returns true when it carried out of the front.
bool IncrementDigits(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

void StripTrailingZeros(std::string& digits) {
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

std::string Zeros(int n) { return n > 0 ? std::string(static_cast<std::size_t>(n), '0') : std::string(); }

std::string ExponentText(int exponent, bool alwaysSign, int minDigits) {
  std::string r;
  if (exponent < 0) {
    r += '-';
  } else if (alwaysSign) {
    r += '+';
  }
  std::string d = std::to_string(std::abs(exponent));
  if (static_cast<int>(d.size()) < minDigits) d.insert(0, static_cast<std::size_t>(minDigits) - d.size(), '0');
  return r + d;
}

// Digit q of the record, '0' outside the stored digits.
char DigitAt(const TFloatRec& rec, int q) {
  if (q < 0 || q >= static_cast<int>(rec.Digits.size())) return '0';
  return rec.Digits[static_cast<std::size_t>(q)];
}

std::string IntegerDigits(const TFloatRec& rec) {
  std::string r;
  for (int q = 0; q < rec.Exponent; ++q) r += DigitAt(rec, q);
  return r;
}

std::string GroupThousands(const std::string& intText) {
  std::string r;
  const std::size_t n = intText.size();
  for (std::size_t i = 0; i < n; ++i) {
    r += intText[i];
    std::size_t right = n - 1 - i;
    if (right > 0 && right % 3 == 0) r += ',';
  }
  return r;
}

std::string SpecialValue(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

std::string General(double value, int precision, int digits) {
  TFloatRec rec = FloatToDecimal(value, precision, 9999);
  if (rec.Digits.empty()) return "0";
  std::string r = rec.Negative ? "-" : "";
  if (rec.Exponent > precision || rec.Exponent < -3) {
    r += rec.Digits[0];
    if (rec.Digits.size() > 1) r += "." + rec.Digits.substr(1);
    r += 'E';
    r += ExponentText(rec.Exponent - 1, false, digits);
    return r;
  }
  if (rec.Exponent <= 0) {
    r += "0." + Zeros(-rec.Exponent) + rec.Digits;
    return r;
  }
  r += IntegerDigits(rec);
  if (static_cast<int>(rec.Digits.size()) > rec.Exponent) {
    r += "." + rec.Digits.substr(static_cast<std::size_t>(rec.Exponent));
  }
  return r;
}

std::string Exponential(double value, int precision, int digits) {
  TFloatRec rec = FloatToDecimal(value, precision, 9999);
  std::string mantissa = rec.Digits;
  mantissa.resize(static_cast<std::size_t>(precision), '0');
  int exponent = rec.Digits.empty() ? 0 : rec.Exponent - 1;
  std::string r = (rec.Negative && !rec.Digits.empty()) ? "-" : "";
  r += mantissa[0];
  if (precision > 1) r += "." + mantissa.substr(1);
  r += 'E';
  r += ExponentText(exponent, true, digits);
  return r;
}

std::string Fixed(double value, int precision, int decimals, bool thousands) {
  TFloatRec rec = FloatToDecimal(value, precision, decimals);
  if (rec.Exponent > precision) return General(value, precision, 0);
  std::string intText = rec.Exponent > 0 ? IntegerDigits(rec) : "0";
  if (thousands) intText = GroupThousands(intText);
  std::string r = (rec.Negative && !rec.Digits.empty()) ? "-" : "";
  r += intText;
  if (decimals > 0) {
    r += '.';
    for (int j = 0; j < decimals; ++j) r += DigitAt(rec, rec.Exponent + j);
  }
  return r;
}

}  // namespace

TFloatRec FloatToDecimal(double value, int precision, int decimals) {
  TFloatRec rec;
  if (value == 0 || !std::isfinite(value)) return rec;
  rec.Negative = value < 0;
  precision = std::clamp(precision, 1, kMaxDigits);

  // Correctly rounded 18 significant digits of the binary value: "d.ddd...de+XX".
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", kMaxDigits - 1, std::fabs(value));
  std::string digits;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  int exponent = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;

  long long keep = std::min<long long>(precision, static_cast<long long>(exponent) + decimals);
  if (keep < static_cast<long long>(digits.size())) {
    if (keep < 0) {
      digits.clear();
    } else {
      bool roundUp = digits[static_cast<std::size_t>(keep)] >= '5';
      digits.resize(static_cast<std::size_t>(keep));
      if (roundUp) {
        if (digits.empty() || IncrementDigits(digits)) {
          digits.insert(digits.begin(), '1');
          if (digits.size() > 1) digits.pop_back();  // the carry's trailing digit is a zero
          ++exponent;
        }
      }
    }
  }
  StripTrailingZeros(digits);
  if (digits.empty()) {
    rec.Exponent = 0;
    return rec;
  }
  rec.Digits = std::move(digits);
  rec.Exponent = exponent;
  return rec;
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (!std::isfinite(value)) return SpecialValue(value);
  precision = std::clamp(precision, 1, kMaxDigits);
  switch (format) {
    case ffGeneral:
      return General(value, precision, std::clamp(digits, 0, 4));
    case ffExponent:
      return Exponential(value, precision, std::clamp(digits, 0, 4));
    case ffFixed:
      return Fixed(value, precision, std::clamp(digits, 0, kMaxDigits), false);
    case ffNumber:
      return Fixed(value, precision, std::clamp(digits, 0, kMaxDigits), true);
  }
  return General(value, precision, 0);
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

// ---------------------------------------------------------------------------------------
// FormatFloat

namespace {

constexpr int kPictureDigits = 15;

bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Splits at ';' outside quotes; at most three sections count.
std::vector<std::string_view> SplitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (IsQuote(c)) {
      quote = c;
    } else if (c == ';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
      if (sections.size() == 3) return sections;
    }
  }
  sections.push_back(format.substr(start));
  return sections;
}

bool IsScientificAt(std::string_view s, std::size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

struct Picture {
  int digitCount = 0;     // '0' and '#' placeholders
  int decimalIndex = -1;  // placeholders before the decimal point
  int firstZero = INT_MAX;
  int lastZero = 0;  // placeholders up to and including the last '0'
  bool thousands = false;
  bool scientific = false;
};

Picture ScanPicture(std::string_view s) {
  Picture pic;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (IsQuote(c)) {
      std::size_t close = s.find(c, i + 1);
      i = close == std::string_view::npos ? s.size() : close;
    } else if (c == '#') {
      ++pic.digitCount;
    } else if (c == '0') {
      pic.firstZero = std::min(pic.firstZero, pic.digitCount);
      ++pic.digitCount;
      pic.lastZero = pic.digitCount;
    } else if (c == '.') {
      if (pic.decimalIndex < 0) pic.decimalIndex = pic.digitCount;
    } else if (c == ',') {
      pic.thousands = true;
    } else if (!pic.scientific && IsScientificAt(s, i)) {
      pic.scientific = true;
      i += 2;
      while (i < s.size() && s[i] == '0') ++i;  // exponent width, not digit placeholders
      --i;
    }
  }
  if (pic.decimalIndex < 0) pic.decimalIndex = pic.digitCount;
  return pic;
}

// The digits a picture will place: integer text (extra digits included), fraction text
// and, in scientific form, the exponent.
struct Placed {
  std::string intText;
  std::string fracText;
  int exponent = 0;
  bool zero = true;
};

Placed PlaceDigits(const Picture& pic, double magnitude) {
  Placed out;
  int minInt = pic.firstZero < pic.decimalIndex ? pic.decimalIndex - pic.firstZero : 0;
  int minFrac = std::max(0, pic.lastZero - pic.decimalIndex);
  TFloatRec rec;
  if (pic.scientific) {
    rec = FloatToDecimal(magnitude, std::clamp(pic.digitCount, 1, kPictureDigits), 9999);
    out.zero = rec.Digits.empty();
    if (!out.zero) {
      out.exponent = rec.Exponent - pic.decimalIndex;
      for (int q = 0; q < pic.decimalIndex; ++q) out.intText += DigitAt(rec, q);
      if (static_cast<int>(rec.Digits.size()) > pic.decimalIndex) {
        out.fracText = rec.Digits.substr(static_cast<std::size_t>(pic.decimalIndex));
      }
    }
  } else {
    int decimals = pic.digitCount - pic.decimalIndex;
    rec = FloatToDecimal(magnitude, kPictureDigits, decimals);
    out.zero = rec.Digits.empty();
    if (rec.Exponent > 0) out.intText = IntegerDigits(rec);
    for (int j = 0; j < decimals; ++j) out.fracText += DigitAt(rec, rec.Exponent + j);
    StripTrailingZeros(out.fracText);
  }
  if (static_cast<int>(out.intText.size()) < minInt) {
    out.intText.insert(0, static_cast<std::size_t>(minInt) - out.intText.size(), '0');
  }
  if (static_cast<int>(out.fracText.size()) < minFrac) {
    out.fracText.resize(static_cast<std::size_t>(minFrac), '0');
  }
  return out;
}

std::string ApplyPicture(std::string_view s, const Picture& pic, const Placed& placed, bool minus) {
  std::string r = minus ? "-" : "";
  const int intLen = static_cast<int>(placed.intText.size());
  const int padLen = std::max(intLen, pic.decimalIndex);
  const int blanks = padLen - intLen;
  const int extras = padLen - pic.decimalIndex;  // digits beyond the integer placeholders
  const bool group = pic.thousands && !pic.scientific;
  bool intEmitted = false;
  bool pointSeen = false;
  bool exponentDone = false;
  int placeholder = 0;

  auto emitIntPosition = [&](int p) {
    if (p < blanks) return;
    r += placed.intText[static_cast<std::size_t>(p - blanks)];
    int right = padLen - 1 - p;
    if (group && right > 0 && right % 3 == 0) r += ',';
  };
  auto emitExtras = [&] {
    if (intEmitted) return;
    intEmitted = true;
    for (int p = 0; p < extras; ++p) emitIntPosition(p);
  };

  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (IsQuote(c)) {
      std::size_t close = s.find(c, i + 1);
      if (close == std::string_view::npos) close = s.size();
      r.append(s.substr(i + 1, close - i - 1));
      i = close;
    } else if (c == '0' || c == '#') {
      if (placeholder < pic.decimalIndex) {
        emitExtras();
        emitIntPosition(placeholder + extras);
      } else {
        int j = placeholder - pic.decimalIndex;
        if (j < static_cast<int>(placed.fracText.size())) r += placed.fracText[static_cast<std::size_t>(j)];
      }
      ++placeholder;
    } else if (c == '.') {
      if (!pointSeen) {
        pointSeen = true;
        emitExtras();
        if (!placed.fracText.empty()) r += '.';
      }
    } else if (c == ',') {
      // only switches grouping on
    } else if (!exponentDone && pic.scientific && IsScientificAt(s, i)) {
      exponentDone = true;
      r += c;
      bool alwaysSign = s[i + 1] == '+';
      i += 2;
      int width = 0;
      while (i < s.size() && s[i] == '0') ++i, ++width;
      --i;
      r += ExponentText(placed.exponent, alwaysSign, std::min(width, 4));
    } else {
      r += c;
    }
  }
  return r;
}

}  // namespace

std::string FormatFloat(std::string_view format, double value) {
  if (!std::isfinite(value)) return SpecialValue(value);
  std::vector<std::string_view> sections = SplitSections(format);
  auto nonEmpty = [&](std::size_t k) { return k < sections.size() && !sections[k].empty(); };

  std::size_t index = 0;
  if (value < 0 && nonEmpty(1)) {
    index = 1;
  } else if (value == 0 && nonEmpty(2)) {
    index = 2;
  }
  if (sections[index].empty()) return FloatToStrF(value, ffGeneral, kPictureDigits, 0);

  Picture pic = ScanPicture(sections[index]);
  Placed placed = PlaceDigits(pic, std::fabs(value));
  if (placed.zero && index != 2 && nonEmpty(2)) {
    // Rounded to zero by the picture: the zero section speaks.
    index = 2;
    pic = ScanPicture(sections[index]);
    placed = PlaceDigits(pic, 0.0);
  }
  // A value rounded to zero shows no minus sign.
  bool minus = value < 0 && index == 0 && !placed.zero;
  return ApplyPicture(sections[index], pic, placed, minus);
}
