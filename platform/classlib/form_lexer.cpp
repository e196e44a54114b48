#include "platform/classlib/form_lexer.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace {

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr std::uint64_t kInt64Max = static_cast<std::uint64_t>(std::numeric_limits<Int64>::max());

}  // namespace

bool IsFormIdentChar(char c) { return IsAlpha(c) || IsDigit(c); }

void TFormLexer::Error(const std::string& message, int line) {
  throw CreateFmt<EParserError>("%s on line %d", message, line);
}

void TFormLexer::Advance() {
  if (AtEnd()) return;
  char c = text_[pos_++];
  // CR LF, LF and a lone CR each end one line.
  if (c == '\n' || (c == '\r' && Peek() != '\n')) ++line_;
}

void TFormLexer::SkipBlanks() {
  while (!AtEnd() && IsBlank(Peek())) Advance();
}

const TFormToken& TFormLexer::Next() {
  SkipBlanks();
  token_ = TFormToken();
  token_.Line = line_;
  if (AtEnd()) {
    token_.Kind = ftEOF;
    return token_;
  }
  char c = Peek();
  if (IsAlpha(c)) {
    ReadSymbol();
  } else if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
    ReadNumber();
  } else if (c == '\'' || c == '#') {
    ReadString();
  } else if (c == '{') {
    ReadBinary();
  } else if (std::string_view("=:.,[]()<>+").find(c) != std::string_view::npos) {
    token_.Kind = ftChar;
    token_.Text.assign(1, c);
    Advance();
  } else {
    Error(Format("Invalid character #%d", static_cast<int>(static_cast<unsigned char>(c))), line_);
  }
  return token_;
}

void TFormLexer::ReadSymbol() {
  std::size_t start = pos_;
  while (!AtEnd() && IsFormIdentChar(Peek())) Advance();
  token_.Kind = ftSymbol;
  token_.Text.assign(text_.substr(start, pos_ - start));
}

void TFormLexer::ReadNumber() {
  const std::size_t start = pos_;
  bool negative = false;
  if (Peek() == '-') {
    negative = true;
    Advance();
  }
  if (Peek() == '$') {
    Advance();
    std::uint64_t value = 0;
    int digits = 0;
    while (HexValue(Peek()) >= 0) {
      if (++digits > 16) Error("Number too large", line_);
      value = value * 16 + static_cast<std::uint64_t>(HexValue(Peek()));
      Advance();
    }
    if (digits == 0 || IsFormIdentChar(Peek())) Error("Invalid number", line_);
    token_.Kind = ftInteger;
    if (negative) {
      if (value > kInt64Max + 1) Error("Number too large", line_);
      token_.Integer = value == kInt64Max + 1 ? std::numeric_limits<Int64>::min() : -static_cast<Int64>(value);
    } else {
      // Sixteen hex digits are a bit pattern: $FFFFFFFFFFFFFFFF is -1.
      token_.Integer = static_cast<Int64>(value);
    }
    return;
  }

  bool isFloat = false;
  while (IsDigit(Peek())) Advance();
  if (Peek() == '.' && IsDigit(Peek(1))) {
    isFloat = true;
    Advance();
    while (IsDigit(Peek())) Advance();
  }
  if ((Peek() == 'E' || Peek() == 'e') &&
      (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
    isFloat = true;
    Advance();
    if (Peek() == '+' || Peek() == '-') Advance();
    while (IsDigit(Peek())) Advance();
  }
  const std::size_t end = pos_;
  char suffix = 0;
  if (Peek() == 's' || Peek() == 'S' || Peek() == 'c' || Peek() == 'C' || Peek() == 'd' || Peek() == 'D') {
    if (!IsFormIdentChar(Peek(1))) {
      suffix = static_cast<char>(Peek() | 0x20);
      isFloat = true;
      Advance();
    }
  }
  if (IsFormIdentChar(Peek())) Error("Invalid number", line_);

  std::string_view digits = text_.substr(start, end - start);
  if (isFloat) {
    double value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) Error("Invalid floating point number", line_);
    token_.Kind = ftFloat;
    token_.Float = value;
    token_.FloatSuffix = suffix;
    return;
  }
  std::uint64_t value = 0;
  for (char d : digits.substr(negative ? 1 : 0)) {
    std::uint64_t digit = static_cast<std::uint64_t>(d - '0');
    if (value > (kInt64Max + 1 - digit) / 10) Error("Number too large", line_);
    value = value * 10 + digit;
  }
  if (!negative && value > kInt64Max) Error("Number too large", line_);
  token_.Kind = ftInteger;
  token_.Integer = value == kInt64Max + 1 ? std::numeric_limits<Int64>::min()
                                          : (negative ? -static_cast<Int64>(value) : static_cast<Int64>(value));
}

void TFormLexer::ReadString() {
  std::string out;
  for (;;) {
    if (Peek() == '\'') {
      Advance();
      for (;;) {
        if (AtEnd() || Peek() == '\n' || Peek() == '\r') Error("Unterminated string", line_);
        if (Peek() == '\'') {
          if (Peek(1) != '\'') {
            Advance();
            break;
          }
          out += '\'';
          Advance();
          Advance();
        } else {
          out += Peek();
          Advance();
        }
      }
    } else if (Peek() == '#') {
      Advance();
      unsigned value = 0;
      int digits = 0;
      bool tooLarge = false;
      if (Peek() == '$') {
        Advance();
        while (HexValue(Peek()) >= 0) {
          value = value * 16 + static_cast<unsigned>(HexValue(Peek()));
          if (value > 255) tooLarge = true, value = 256;
          ++digits;
          Advance();
        }
      } else {
        while (IsDigit(Peek())) {
          value = value * 10 + static_cast<unsigned>(Peek() - '0');
          if (value > 255) tooLarge = true, value = 256;
          ++digits;
          Advance();
        }
      }
      if (digits == 0) Error("Invalid character code", line_);
      // Strings are single-byte; a wider code has no character here.
      if (tooLarge) Error("Character code out of range", line_);
      out += static_cast<char>(value);
    } else {
      break;
    }
  }
  token_.Kind = ftString;
  token_.Text = std::move(out);
}

void TFormLexer::ReadBinary() {
  Advance();  // '{'
  std::string bytes;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) Error("Unterminated binary value", line_);
    if (Peek() == '}') {
      Advance();
      break;
    }
    int hi = HexValue(Peek());
    int lo = HexValue(Peek(1));
    if (hi < 0 || lo < 0 || AtEnd(1)) Error("Invalid binary value", line_);
    bytes += static_cast<char>(hi * 16 + lo);
    Advance();
    Advance();
  }
  token_.Kind = ftBinary;
  token_.Text = std::move(bytes);
}
