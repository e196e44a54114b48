#pragma once
// Floating-point to text as the class library does it: the value is first turned into
// up to 18 significant decimal digits, and that decimal text is then rounded half away
// from zero to the digits asked for (so 0.125 with two decimals gives "0.13").
// Decimal separator '.', thousands separator ','.
#include <string>
#include <string_view>

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };

// The decimal form of a value: value = 0.Digits x 10^Exponent. Digits carries no
// trailing zeros; an empty Digits is zero (Exponent 0).
struct TFloatRec {
  int Exponent = 0;
  bool Negative = false;
  std::string Digits;
};

// Rounds to at most `precision` significant digits (1..18) and to at most `decimals`
// digits after the decimal point, halves away from zero. NaN and infinities are not
// decimal; callers test for them first.
TFloatRec FloatToDecimal(double value, int precision, int decimals);

// ffGeneral: shortest of fixed or scientific with `precision` significant digits
//   (scientific when the integer part has more than `precision` digits or the value is
//   below 0.0001; exponent without '+', at least `digits` (0..4) exponent digits).
// ffExponent: "-d.ddd...E+ddd": `precision` significant digits, exponent sign always,
//   at least `digits` (0..4) exponent digits.
// ffFixed: "-ddd.ddd" with `digits` (0..18) decimals; ffNumber adds thousands separators.
//   Both fall back to ffGeneral when the integer part has more than `precision` digits.
// NaN gives "NAN", infinities "INF" and "-INF".
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// FloatToStrF(value, ffGeneral, 15, 0).
std::string FloatToStr(double value);

// Formats by a picture: '0' digit, '#' optional digit, '.' decimal point, ',' thousands
// separators, "E+"/"E-" (or "e+"/"e-") with following zeros for scientific notation,
// '...' and "..." literal text, anything else (including '%') literal.
// Up to three sections separated by ';': positive, negative (shown without a sign) and
// zero; an empty negative or zero section falls back to the first; an empty picture gives
// the general format. Significant digits are limited to 15.
std::string FormatFloat(std::string_view format, double value);
