// Format, FormatFloat and FloatToStrF: the status lines, chart labels and percentages
// the user reads are produced here, so the texts are pinned exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/float_format.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/types.h"

namespace {

std::string ConvertErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "<no EConvertError>";
}

TEST(FormatTest, StatusLines) {
  EXPECT_EQ(Format(" %d p - %.1f fps - frame %03d", 1234, 29.96, 7), " 1234 p - 30.0 fps - frame 007");
  EXPECT_EQ(Format(" %d p - %.1f fps - frame %03d", 0, 30.25, 1234), " 0 p - 30.3 fps - frame 1234");
  EXPECT_EQ(Format(" Rendered %d particles in %.2d:%.2d", 5000, 1, 5), " Rendered 5000 particles in 01:05");
  EXPECT_EQ(Format(" %d parts in %.2d:%.2d", 7, 123, 59), " 7 parts in 123:59");
  EXPECT_EQ(Format("%d%%", 50), "50%");
}

TEST(FormatTest, WidthPrecisionIndexAndStars) {
  EXPECT_EQ(Format("[%5d|%-5d|%05d]", 42, 42, -42), "[   42|42   |-0042]");  // a leading 0 pads with zeros
  EXPECT_EQ(Format("[%-05d|%05s|%06.1f|%04x]", 42, "ab", -2.5, 255), "[42   |   ab|-002.5|00FF]");
  EXPECT_EQ(Format("[%.4d|%6.3d|%.1d]", -42, 7, 123), "[-0042|   007|123]");
  EXPECT_EQ(Format("%d", std::numeric_limits<Int64>::min()), "-9223372036854775808");
  EXPECT_EQ(Format("%u|%u", -1, 3000000000u), "4294967295|3000000000");
  EXPECT_EQ(Format("%x|%.4x|%x|%X", 255, 255, -1, Int64(0x123456789A)), "FF|00FF|FFFFFFFF|123456789A");
  EXPECT_EQ(Format("[%*d|%-*d|%.*f]", 5, 42, 5, 42, 3, 3.14159), "[   42|42   |3.142]");
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("%1:-4d|%D", 1, 2, 3), "2   |3");
  EXPECT_EQ(Format("[%6s|%-6s|%.2s|%4.2s]", "ab", "ab", "abcdef", "abcdef"), "[    ab|ab    |ab|  ab]");
  EXPECT_EQ(Format("%s\rof %s", std::string("12 %"), "b"), "12 %\rof b");
  EXPECT_EQ(Format("%p", static_cast<const void*>(reinterpret_cast<const char*>(0x1234))), "0000000000001234");
}

TEST(FormatTest, FixedRoundsTheDecimalTextHalfAwayFromZero) {
  EXPECT_EQ(Format("%f", 3.14159), "3.14");  // two decimals by default
  EXPECT_EQ(Format("%.0f|%.0f", 2.5, -2.5), "3|-3");
  EXPECT_EQ(Format("%.2f|%.1f", 0.125, 0.25), "0.13|0.3");
  EXPECT_EQ(Format("%.2f", 1.005), "1.00");  // the double is 1.00499999999999989...
  EXPECT_EQ(Format("%.1f", -0.04), "0.0");   // no sign on a zero
  EXPECT_EQ(Format("%.2f|%.1f", 999.996, 29.96f), "1000.00|30.0");
  EXPECT_EQ(Format("[%8.2f]", -3.14159), "[   -3.14]");
}

TEST(FormatTest, ExponentAndGeneral) {
  EXPECT_EQ(Format("%e", 1000.0), "1.00000000000000E+003");
  EXPECT_EQ(Format("%e", 0.0), "0.00000000000000E+000");
  EXPECT_EQ(Format("%.3e|%.3e|%.2e", -1234.5, 1235.0, 1.5e-10), "-1.23E+003|1.24E+003|1.5E-010");
  EXPECT_EQ(Format("%g|%g|%g|%.3g", 0.1, 1.0 / 3.0, 0.0001, 2.0 / 3.0), "0.1|0.333333333333333|0.0001|0.667");
  EXPECT_EQ(Format("%f|%f", std::nan(""), -std::numeric_limits<double>::infinity()), "NAN|-INF");
}

TEST(FormatTest, BadFormatsAndArgumentsRaise) {
  EXPECT_EQ(ConvertErrorOf([] { Format("%d", "x"); }), "Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(ConvertErrorOf([] { Format("%f", 1); }), "Format '%f' invalid or incompatible with argument");
  EXPECT_EQ(ConvertErrorOf([] { Format("%d %d", 1); }), "No argument for format '%d %d'");
  EXPECT_EQ(ConvertErrorOf([] { Format("%5:d", 1); }), "No argument for format '%5:d'");
  for (auto bad : {+[] { Format("%s", 1.5); }, +[] { Format("%p", 1); }, +[] { Format("%*d", "x", 1); },
                   +[] { Format("abc %"); }, +[] { Format("%z", 1); }}) {
    EXPECT_THROW(bad(), EConvertError);
  }
  // The message quotes at most the first 31 characters of the format.
  EXPECT_EQ(ConvertErrorOf([] { Format("0123456789012345678901234567890123456789 %d"); }),
            "No argument for format '0123456789012345678901234567890'");
}

TEST(FormatFloatTest, ChartValueAndPercentFormats) {
  const char* value = "#,##0.###";
  EXPECT_EQ(FormatFloat(value, 1234.5678), "1,234.568");
  EXPECT_EQ(FormatFloat(value, 0), "0");
  EXPECT_EQ(FormatFloat(value, 1234567.1), "1,234,567.1");
  EXPECT_EQ(FormatFloat(value, -1234.5), "-1,234.5");
  EXPECT_EQ(FormatFloat(value, 0.0004), "0");
  EXPECT_EQ(FormatFloat(value, 0.0005), "0.001");
  EXPECT_EQ(FormatFloat(value, 999.9996), "1,000");
  const char* percent = "##0.## %";
  EXPECT_EQ(FormatFloat(percent, 12.5), "12.5 %");
  EXPECT_EQ(FormatFloat(percent, 100), "100 %");
  EXPECT_EQ(FormatFloat(percent, 33.3333), "33.33 %");
  EXPECT_EQ(FormatFloat(percent, 0.004), "0 %");
  EXPECT_EQ(FormatFloat(percent, 1234.5), "1234.5 %");  // extra digits go before the first placeholder
}

TEST(FormatFloatTest, PlaceholdersLiteralsAndSections) {
  EXPECT_EQ(FormatFloat("0.00", 1.005), "1.00");  // the double is 1.00499999999999989...
  EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13");  // an exact half goes away from zero
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("#", 0), "");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("0.#", 3) + "|" + FormatFloat("0.0#", 3), "3|3.0");
  EXPECT_EQ(FormatFloat("0.0", -0.04), "0.0");
  EXPECT_EQ(FormatFloat("$#,##0.00", -1234.5), "-$1,234.50");
  EXPECT_EQ(FormatFloat("'#'0", 5), "#5");
  EXPECT_EQ(FormatFloat("0 'x;y'", 5), "5 x;y");
  EXPECT_EQ(FormatFloat("0-0", 123), "12-3");
  EXPECT_EQ(FormatFloat("", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("0.00", std::nan("")), "NAN");

  const char* f = "0.0;(0.0);zero";
  EXPECT_EQ(FormatFloat(f, 2), "2.0");
  EXPECT_EQ(FormatFloat(f, -3.14), "(3.1)");
  EXPECT_EQ(FormatFloat(f, 0), "zero");
  EXPECT_EQ(FormatFloat(f, -0.01), "zero");  // zero once rounded
  EXPECT_EQ(FormatFloat("0.0;;zero", -3), "-3.0");  // empty negative section: the first, signed
  EXPECT_EQ(FormatFloat("\"v=\"0;\"n=\"0", -5), "n=5");
}

TEST(FormatFloatTest, Scientific) {
  EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1.23E+03");
  EXPECT_EQ(FormatFloat("0.00E-00", 1234.5), "1.23E03");
  EXPECT_EQ(FormatFloat("0.00e-00", 0.000123), "1.23e-04");
  EXPECT_EQ(FormatFloat("0.00E+0", -0.5), "-5.00E-1");
  EXPECT_EQ(FormatFloat("##0.0E+0", 12345), "123.5E+2");
  EXPECT_EQ(FormatFloat("0.###E+000", 1e100), "1E+100");
}

TEST(FloatToStrFTest, FormatsAndGeneralDefault) {
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(-0.5, ffFixed, 15, 0), "-1");
  EXPECT_EQ(FloatToStrF(1234567, ffNumber, 15, 0), "1,234,567");
  EXPECT_EQ(FloatToStrF(-123, ffNumber, 15, 1), "-123.0");
  EXPECT_EQ(FloatToStrF(1234.5678, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(0.5, ffExponent, 3, 0), "5.00E-1");
  EXPECT_EQ(FloatToStrF(1234567, ffGeneral, 4, 0), "1.235E6");
  EXPECT_EQ(FloatToStrF(0.0001234, ffGeneral, 15, 0), "0.0001234");
  EXPECT_EQ(FloatToStrF(0.00001234, ffGeneral, 15, 0), "1.234E-5");

  EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(0.1f), "0.100000001490116");
  EXPECT_EQ(FloatToStr(1.005), "1.005");
  EXPECT_EQ(FloatToStr(9.999999999999998), "10");  // 10 - 2^-49 rounds up at 15 digits
}

TEST(FloatToDecimalTest, CarryAndLimits) {
  TFloatRec r = FloatToDecimal(9.96, 18, 1);
  EXPECT_EQ(r.Digits + "/" + std::to_string(r.Exponent), "1/2");
  r = FloatToDecimal(0.0004, 18, 3);  // rounds to nothing
  EXPECT_EQ(r.Digits + "/" + std::to_string(r.Exponent), "/0");
  r = FloatToDecimal(-0.0006, 18, 3);
  EXPECT_EQ(r.Digits + "/" + std::to_string(r.Exponent), "1/-2");
  EXPECT_TRUE(r.Negative);
  EXPECT_EQ(FloatToDecimal(0.1, 18, 9999).Digits, "100000000000000006");  // the binary value shows
}

}  // namespace
