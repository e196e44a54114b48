#pragma once
// The spin edit's text: a number with an optional unit after a blank, and the lenient
// reading of what the user typed.
#include <string>

// Precision 0..6: fixed notation with that many decimals (15 significant digits);
// -1: general notation with 4 significant digits. A unit follows after a blank.
std::string FormatNumValue(double value, int precision, const std::string& unit);

// The number part of a text: with a unit found at position 3 or later (1-based), the
// trimmed text before it; otherwise the text up to its first blank when that blank is
// after the first character, else the whole text.
std::string StripNumUnit(const std::string& text, const std::string& unit);

// The number in a text: blanks are dropped, any character other than a digit, '-' or
// the decimal separator becomes the separator, a separator at either end gets a 0 next
// to it. Empty text or "-" is 0. What is then still no number raises EConvertError.
double ParseNumValue(const std::string& text, const std::string& unit);
