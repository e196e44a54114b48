// Conversions and string helpers: the exact accept/refuse rules of the number parsers
// (they read user input and file text) and the code page 1252 case rules.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <limits>
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/sysutils.h"

namespace {

std::string ConvertErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "<no EConvertError>";
}

TEST(StrToIntTest, AcceptsDecimalAndHex) {
  const char* in[] = {"123", "  42", "+7", "-2147483648", "2147483647", "$ff", "0x1F", "x10", "$FFFFFFFF", "-$10"};
  const Integer out[] = {123, 42, 7, std::numeric_limits<Integer>::min(), 2147483647, 255, 31, 16, -1, -16};
  for (std::size_t i = 0; i < std::size(in); ++i) EXPECT_EQ(StrToInt(in[i]), out[i]) << in[i];
}

TEST(StrToIntTest, RefusesEverythingElse) {
  EXPECT_EQ(ConvertErrorOf([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
  EXPECT_EQ(ConvertErrorOf([] { StrToInt(""); }), "'' is not a valid integer value");
  for (const char* bad : {"2147483648", "-2147483649", "42 ", "$", "0x", "+", "1.5", "$100000000",
                          "99999999999999999999999", "\t1"}) {
    Integer v = 99;
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 99) << bad;  // untouched on failure
    EXPECT_EQ(StrToIntDef(bad, -5), -5) << bad;
  }
}

TEST(StrToFloatTest, AcceptsTheDecimalForms) {
  const char* in[] = {"1.5", " -2.5e3 ", ".5", "5.", "1E-3", "+7", "0.1", "1e-999", "1.7976931348623157e308"};
  const double out[] = {1.5, -2500.0, 0.5, 5.0, 0.001, 7.0, 0.1, 0.0, std::numeric_limits<double>::max()};
  for (std::size_t i = 0; i < std::size(in); ++i) EXPECT_EQ(StrToFloat(in[i]), out[i]) << in[i];
}

TEST(StrToFloatTest, RefusesEverythingElse) {
  EXPECT_EQ(ConvertErrorOf([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
  for (const char* bad : {"", " ", "1,5", ".", "-", "1e", "1e+", "e5", "inf", "nan", "0x10", "1e999", "-1e999",
                          "1.5.2", "1 5", "100000000000000000000e300"}) {
    double v = 9.0;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_EQ(v, 9.0) << bad;
    EXPECT_EQ(StrToFloatDef(bad, -1.0), -1.0) << bad;
  }
}

TEST(IntTextTest, IntToStrAndHex) {
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-1), 0), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0, 0), "0");
}

TEST(TrimAndCaseTest, ControlCharactersAndCodePage1252) {
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("\x01 x "), "x ");
  EXPECT_EQ(TrimRight(" x \x1f"), " x");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // a no-break space is above ' '

  EXPECT_EQ(UpperCase("abc \xE9z"), "ABC \xE9Z");  // ASCII only: e acute stays
  EXPECT_EQ(LowerCase("ABC \xC9Z"), "abc \xC9z");
  EXPECT_EQ(AnsiUpperCase("\xE9\xE0\xFE\xFF\x9A\x9C\x9E"), "\xC9\xC0\xDE\x9F\x8A\x8C\x8E");
  EXPECT_EQ(AnsiLowerCase("\xC9\xC0\xDE\x9F\x8A\x8C\x8E"), "\xE9\xE0\xFE\xFF\x9A\x9C\x9E");
  // Multiplication and division signs, sharp s and micro sign have no other case.
  EXPECT_EQ(AnsiUpperCase("\xF7\xDF\xB5"), "\xF7\xDF\xB5");
  EXPECT_EQ(AnsiLowerCase("\xD7"), "\xD7");
}

TEST(CompareTest, OrdinalAndCollated) {
  EXPECT_EQ(CompareText("abc", "ABD"), 'C' - 'D');
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_GT(CompareText("a_", "aB"), 0);  // '_' sorts after the upper-case letters
  EXPECT_EQ(CompareStr("a", "B"), 'a' - 'B');
  EXPECT_TRUE(SameText("Emitter", "EMITTER"));
  EXPECT_FALSE(SameText("\xE9", "\xC9"));  // ASCII folding only

  EXPECT_EQ(AnsiCompareText("a_", "aB"), -1);  // collated: punctuation before letters
  EXPECT_EQ(AnsiCompareText("\xE9t\xE9", "\xC9T\xC9"), 0);
  EXPECT_EQ(AnsiCompareText("a", "ab"), -1);
  EXPECT_EQ(AnsiCompareStr("a", "A"), -1);  // same letter: lower case first
  EXPECT_EQ(AnsiCompareStr("A", "b"), -1);  // letters decide before case
  EXPECT_EQ(AnsiCompareStr("aB", "Ab"), -1);
}

TEST(QuoteTest, QuotingAndDequoting) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(AnsiDequotedStr("'it''s'", '\''), "it's");
  EXPECT_EQ(AnsiDequotedStr("''", '\''), "");
  EXPECT_EQ(AnsiDequotedStr("abc", '\''), "abc");
  EXPECT_EQ(AnsiDequotedStr("'abc", '\''), "'abc");  // unterminated stays as it is
  EXPECT_EQ(AnsiDequotedStr("'ab'cd", '\''), "ab");
  std::size_t pos = 2;
  EXPECT_EQ(AnsiExtractQuotedStr("x,\"a\"\"b\",y", pos, '"'), "a\"b");
  EXPECT_EQ(pos, 8u);
}

TEST(StringReplaceTest, FirstAllAndIgnoringCase) {
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
  EXPECT_EQ(StringReplace("Ab ab AB", "ab", "x", rfReplaceAll), "Ab x AB");
  EXPECT_EQ(StringReplace("Ab ab AB", "ab", "x", rfReplaceAll | rfIgnoreCase), "x x x");
  EXPECT_EQ(StringReplace("\xC9t\xE9", "\xE9", "e", rfReplaceAll | rfIgnoreCase), "ete");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");  // no re-scan of the result
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
}

TEST(PosCopyTest, OneBasedAndClamped) {
  EXPECT_EQ(Pos("lo", "hello lo"), 4);
  EXPECT_EQ(Pos("z", "hello"), 0);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(Copy("hello", 2, 3), "ell");
  EXPECT_EQ(Copy("hello", 0, 2), "he");
  EXPECT_EQ(Copy("hello", 4, 100), "lo");
  EXPECT_EQ(Copy("hello", 6, 1), "");
  EXPECT_EQ(Copy("hello", 2, -1), "");
  EXPECT_EQ(Copy("hello", 2, std::numeric_limits<Integer>::max()), "ello");
}

}  // namespace
