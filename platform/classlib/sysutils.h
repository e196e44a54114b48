#pragma once
// String and conversion helpers of the class library's runtime. Strings are single-byte
// (code page 1252); positions are 1-based as the class library counts them.
#include <string>
#include <string_view>

#include "platform/classlib/types.h"

// Remove characters <= ' ' (spaces and control characters) from the ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII letters only.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Code page 1252 letters too (accented letters, S/Z caron, OE ligature, Y diaeresis).
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// Ordinal comparisons returning the difference of the first differing bytes (or of
// the lengths): < 0, 0 or > 0. CompareText folds ASCII letters to upper case first.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Comparisons in the user's collation, giving -1, 0 or 1: letters of code page 1252
// compare case-insensitively as their lower-case forms, so that '_' and digits sort
// before letters. AnsiCompareStr breaks ties by case, lower case first.
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);

// 'text' with inner quotes doubled.
std::string QuotedStr(std::string_view s);
std::string AnsiQuotedStr(std::string_view s, char quote);
// Reads a quoted string starting at s[pos] (which must be the quote): doubled quotes
// become one, pos moves past the closing quote. An unterminated string takes the rest
// of the text. Returns "" and leaves pos alone when s[pos] is not the quote.
std::string AnsiExtractQuotedStr(std::string_view s, std::size_t& pos, char quote);
// The dequoted text of s when s starts with a terminated quoted string, else s itself.
std::string AnsiDequotedStr(std::string_view s, char quote);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
// Replaces the first (or every, with rfReplaceAll) occurrence of oldPattern; matching
// ignores case (code page 1252) with rfIgnoreCase. An empty pattern replaces nothing.
std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags);

// 1-based position of sub in s, 0 when absent or when sub is empty.
Integer Pos(std::string_view sub, std::string_view s);
// Up to count characters from the 1-based index; index < 1 counts as 1, a count past
// the end stops at the end, a negative count gives "".
std::string Copy(std::string_view s, Integer index, Integer count);

std::string IntToStr(Int64 value);
// Upper-case hexadecimal, at least `digits` digits. Negative 32-bit values show their
// 32-bit two's complement, negative 64-bit ones their 64-bit one.
std::string IntToHex(Integer value, Integer digits);
std::string IntToHex(Cardinal value, Integer digits);
std::string IntToHex(Int64 value, Integer digits);

// Decimal with optional sign, or hexadecimal after "$", "0x" or "x" (hexadecimal may use
// all 32 bits: "$FFFFFFFF" is -1). Leading blanks are skipped; anything else, an empty
// text or a value outside 32 bits raises EConvertError "'%s' is not a valid integer value".
Integer StrToInt(std::string_view s);
Integer StrToIntDef(std::string_view s, Integer def);
bool TryStrToInt(std::string_view s, Integer& value);

// [sign] digits [. digits] [E [sign] digits] with '.' as the decimal separator,
// surrounding blanks ignored. Anything else, or a value beyond the range of a Double,
// raises EConvertError "'%s' is not a valid floating point value".
Double StrToFloat(std::string_view s);
Double StrToFloatDef(std::string_view s, Double def);
bool TryStrToFloat(std::string_view s, Double& value);
