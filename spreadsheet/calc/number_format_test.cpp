// What Excel shows for numbers, dates, text and other values through format codes.
#include "spreadsheet/calc/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/general_format.h"
#include "spreadsheet/calc/number_format_cache.h"
#include "spreadsheet/model/formats.h"

namespace spreadsheet {
namespace {

struct FormatCase {
  double value;
  const wchar_t* code;
  const wchar_t* expected;  // nullptr: no text (TEXT's #VALUE!).
};

void ExpectFormats(std::initializer_list<FormatCase> cases, bool date1904 = false) {
  for (const auto& c : cases) {
    const auto text = FormatNumber(c.value, c.code, date1904);
    EXPECT_EQ(text.value_or(L"<none>"), c.expected != nullptr ? c.expected : L"<none>")
        << "value " << c.value << " code " << WideToUtf8(c.code);
  }
}

TEST(NumberFormat, DigitPlaceholdersAndDecimals) {
  ExpectFormats({
      {1234.5, L"0", L"1235"},
      {0, L"0.00", L"0.00"},
      {0, L"#", L""},
      {0.5, L"#.00", L".50"},
      {1.5, L".00", L"1.50"},
      {1, L"0.#", L"1."},
      {1.25, L"0.0#", L"1.25"},
      {1.2, L"0.0#", L"1.2"},
      {1.2, L"0.0?", L"1.2 "},
      {5, L"???", L"  5"},
      {5, L"000", L"005"},
      {123456, L"0", L"123456"},
      {1e20, L"0", L"100000000000000000000"},
      {123456789012345678.0, L"0", L"123456789012346000"},
      // A '#' after the last significant decimal shows nothing, even before a '0'.
      {890123.456789, L"#.#####00#0", L"890123.45678900"},
  });
}

TEST(NumberFormat, RoundsTheShownDecimalHalfAwayFromZero) {
  ExpectFormats({
      {0.5, L"0", L"1"},
      {-0.5, L"0", L"-1"},
      {1.5, L"0", L"2"},
      {2.5, L"0", L"3"},
      {2.675, L"0.00", L"2.68"},
      {-2.675, L"0.00", L"-2.68"},
      {1.005, L"0.00", L"1.01"},
      {12.35, L"0.0", L"12.4"},
      {9.995, L"0.00", L"10.00"},
      {0.999, L"0.00", L"1.00"},
      // Excel keeps the sign of a negative number that rounds to zero.
      {-0.4, L"0", L"-0"},
      {-0.001, L"0.00", L"-0.00"},
  });
}

TEST(NumberFormat, ThousandsSeparatorsScalingAndPercent) {
  ExpectFormats({
      {1234567.891, L"#,##0.00", L"1,234,567.89"},
      {0, L"#,##0", L"0"},
      {999, L"#,##0", L"999"},
      {1000, L"#,##0", L"1,000"},
      {-1234, L"#,##0", L"-1,234"},
      {5, L"0,000", L"0,005"},
      {0, L"#,###", L""},
      {1234567, L"0,", L"1235"},
      {1234567, L"0.0,,", L"1.2"},
      {1234567, L"#,##0,", L"1,235"},
      {1500, L"0.0,\"K\"", L"1.5K"},
      {-1500, L"0.0,\"K\"", L"-1.5K"},
      {0.125, L"0%", L"13%"},
      {0.125, L"0.0%", L"12.5%"},
      {-0.05, L"0%", L"-5%"},
      {0.0115, L"0.0%", L"1.2%"},
  });
}

TEST(NumberFormat, CommasActOnlyRightAfterAPlaceholder) {
  // Excel's answers: a comma after text is text; one after a placeholder groups only when a
  // placeholder follows it straight away, and otherwise shows nothing.
  ExpectFormats({
      {890123.456789, L"#,#.##.##,#", L"890,123.45.679"},
      {890123.456789, L"0,x#.00.0", L"89012x3.45.7"},
      {890123.456789, L"#x,0x#.00.0", L"8901x,2x3.45.7"},
      {890123.456789, L"#x,0,#.00.0", L"890,1x,23.45.7"},
      {890123.456789, L"#.###,x##", L"890123.456x79"},
      {890123.456789, L"#.###,x,##", L"890123.456x,79"},
  });
}

TEST(NumberFormat, LiteralsSpacesFillsColoursAndLocales) {
  ExpectFormats({
      {5, L"\"$\"0.00", L"$5.00"},
      {-5, L"$0.00", L"-$5.00"},
      {1234, L"000-000", L"001-234"},
      {5, L"0\" units\"", L"5 units"},
      {5, L"\\$0", L"$5"},
      {5, L"(0)", L"(5)"},
      {5, L"0_)", L"5 "},
      {5, L"*x0", L"5"},
      {5, L"0 !^&'~{}<>=+:", L"5 !^&'~{}<>=+:"},
      {5, L"[Red]0", L"5"},
      {5, L"[Color10]0.0", L"5.0"},
      {5, L"[$\u20AC-2] #,##0.00", L"\u20AC 5.00"},
      {5, L"[$-409]0", L"5"},
      {5, L"\"General\"0", L"General5"},
  });
}

TEST(NumberFormat, SectionsByDefaultConditions) {
  ExpectFormats({
      {5, L"0;(0)", L"5"},
      {-5, L"0;(0)", L"(5)"},
      {-5, L"0;0", L"5"},  // The second section writes its own sign, or none.
      {0, L"0.0;-0.0", L"0.0"},
      {0, L"0;(0);\"zero\"", L"zero"},
      {-0.001, L"0.00;(0.00)", L"(0.00)"},
      {-5, L"0.00;;", L""},
      {5, L";;;", L""},
  });
}

TEST(NumberFormat, SectionsByConditions) {
  ExpectFormats({
      {150, L"[>=100]\"big\";0", L"big"},
      {50, L"[>=100]\"big\";0", L"50"},
      {-50, L"[>=100]\"big\";0", L"50"},
      {5, L"[<10]\"small\";[<100]\"mid\";\"large\"", L"small"},
      {50, L"[<10]\"small\";[<100]\"mid\";\"large\"", L"mid"},
      {500, L"[<10]\"small\";[<100]\"mid\";\"large\"", L"large"},
      {5, L"[Red][<=100]0;[Blue][>100]0.0", L"5"},
      {500, L"[Red][<=100]0;[Blue][>100]0.0", L"500.0"},
      {1, L"[=1]\"yes\";[=0]\"no\";0", L"yes"},
      {0, L"[=1]\"yes\";[=0]\"no\";0", L"no"},
      {7, L"[=1]\"yes\";[=0]\"no\";0", L"7"},
      {1500000, L"[>=1000000]0.0,,\"M\";[>=1000]0.0,\"K\";0", L"1.5M"},
      {1500, L"[>=1000000]0.0,,\"M\";[>=1000]0.0,\"K\";0", L"1.5K"},
      {-1500, L"[>=1000000]0.0,,\"M\";[>=1000]0.0,\"K\";0", L"-1500"},
      {50, L"[>100]0;[<-100]0", nullptr},
  });
}

TEST(NumberFormat, Scientific) {
  ExpectFormats({
      {12345, L"0.00E+00", L"1.23E+04"},
      {0.00012345, L"0.00E+00", L"1.23E-04"},
      {12345, L"0.00E-00", L"1.23E04"},
      {0.00012345, L"0.00E-00", L"1.23E-04"},
      {0, L"0.00E+00", L"0.00E+00"},
      {-12345, L"0.00E+00", L"-1.23E+04"},
      {99999, L"0.00E+00", L"1.00E+05"},
      {1e100, L"0.0E+00", L"1.0E+100"},
      {12345, L"0E+0", L"1E+4"},
      {1234.5, L"0.00e+00", L"1.23e+03"},
      {12345, L"00.0E+0", L"12.3E+3"},
      // Engineering: '#' among the integer placeholders makes the exponent a multiple of three.
      {12345, L"##0.0E+0", L"12.3E+3"},
      {123456, L"##0.0E+0", L"123.5E+3"},
      {1234567, L"##0.0E+0", L"1.2E+6"},
      {0.00012345, L"##0.0E+0", L"123.5E-6"},
  });
}

TEST(NumberFormat, Fractions) {
  ExpectFormats({
      {1.5, L"# ?/?", L"1 1/2"},
      {0.5, L"# ?/?", L" 1/2"},
      {-1.5, L"# ?/?", L"-1 1/2"},
      {0.333, L"# ?/?", L" 1/3"},
      {5, L"# ?/?", L"5    "},  // A whole number keeps the fraction's room.
      {0, L"# ?/?", L"0    "},
      {0.999, L"# ?/?", L"1    "},
      {3.14159, L"# ?\?/?\?", L"3 14/99"},
      {1.25, L"# ?\?/?\?", L"1  1/4 "},
      {1.5, L"?/?", L"3/2"},
      {0.75, L"# ?/4", L" 3/4"},
      {0.3, L"# ?/8", L" 2/8"},
      {2.96, L"# ?/8", L"3    "},
      {0.25, L"?/100", L"25/100"},
      // Whole numbers past 64 bits as improper fractions.
      {1e20, L"?/?", L"100000000000000000000/1"},
      {-1e20, L"##/?", L"-100000000000000000000/1"},
  });
  const auto largest = FormatNumber(1e308, L"##/?", false);
  ASSERT_TRUE(largest.has_value());
  EXPECT_EQ(largest->size(), 311u);
  EXPECT_EQ(largest->substr(0, 4), L"1000");
  EXPECT_EQ(largest->substr(309), L"/1");
}

TEST(NumberFormat, DatesAroundTheLeapDayOf1900) {
  ExpectFormats({
      {0, L"m/d/yyyy", L"1/0/1900"},
      {1, L"m/d/yyyy", L"1/1/1900"},
      {59, L"m/d/yyyy", L"2/28/1900"},
      {60, L"m/d/yyyy", L"2/29/1900"},
      {61, L"m/d/yyyy", L"3/1/1900"},
      {0, L"dddd", L"Saturday"},
      {2958465, L"m/d/yyyy", L"12/31/9999"},
      {2958466, L"m/d/yyyy", nullptr},
      {-1, L"m/d/yyyy", nullptr},
  });
}

TEST(NumberFormat, DateParts) {
  ExpectFormats({
      {45000, L"d-mmm-yy", L"15-Mar-23"},
      {45000, L"dddd, mmmm dd, yyyy", L"Wednesday, March 15, 2023"},
      {45000, L"mmmmm", L"M"},
      {45000, L"ddd y", L"Wed 23"},
      {45000, L"yyyy-mm-dd", L"2023-03-15"},
      {45000.5, L"yyyy-mm-dd hh:mm", L"2023-03-15 12:00"},
      {45000.75, L"h \"h\" m \"min\"", L"18 h 0 min"},
      {45000, L"[$-409]mmmm d, yyyy;@", L"March 15, 2023"},
      {45000, L"d \"of\" mmmm", L"15 of March"},
  });
}

TEST(NumberFormat, TimesRoundToTheShownSecond) {
  ExpectFormats({
      {0.5, L"h:mm", L"12:00"},
      {0.5, L"h:mm AM/PM", L"12:00 PM"},
      {0, L"h:mm AM/PM", L"12:00 AM"},
      {0.75, L"h:mm am/pm", L"6:00 pm"},
      {0.75, L"h:mm:ss A/P", L"6:00:00 P"},
      {0.25, L"hh:mm:ss", L"06:00:00"},
      {0.99999999, L"h:mm:ss", L"0:00:00"},
      {1.99999999, L"m/d/yyyy h:mm:ss", L"1/2/1900 0:00:00"},
      {0.99999999, L"h:mm:ss.000", L"23:59:59.999"},
      {0.99999999, L"h:mm:ss.0", L"0:00:00.0"},
      {(10 * 3600 + 30 * 60 + 59.6) / 86400, L"h:mm", L"10:31"},
      {1.5 / 86400, L"ss.00", L"01.50"},
      {1.5 / 1440, L"mm:ss", L"01:30"},
      {0.75, L"[$-F400]h:mm:ss\\ AM/PM", L"6:00:00 PM"},
  });
}

TEST(NumberFormat, ElapsedTimeBeyondADay) {
  ExpectFormats({
      {1.5, L"[h]:mm:ss", L"36:00:00"},
      {2.75, L"[h]:mm", L"66:00"},
      {0.0625, L"[mm]:ss", L"90:00"},
      {1.0 / 1440, L"[ss]", L"60"},
      {0.99999999, L"[h]", L"24"},
      // Durations need no calendar: past 9999 and, for a lone count, below zero.
      {71003160, L"[hh]", L"1704075840"},
      {2958466, L"[h]", L"71003184"},
      {2958466, L"yy", nullptr},
      {-1, L"[h]", L"-24"},
      {-1, L"[m]", L"-1440"},
      {-1, L"[s]", L"-86400"},
      {-1, L"[h]:m", nullptr},
      {-1, L"[s].000", nullptr},
      {0, L"[s].000", L"0.000"},
      {-1, L"h", nullptr},
  });
}

TEST(NumberFormat, The1904SystemShowsNegativeDatesAndTimes) {
  ExpectFormats(
      {
          {0, L"m/d/yyyy", L"1/1/1904"},
          {1462, L"m/d/yyyy", L"1/2/1908"},
          {2957003, L"m/d/yyyy", L"12/31/9999"},
          {2957004, L"m/d/yyyy", nullptr},
          {-1, L"m/d/yyyy", L"-1/2/1904"},
          {-0.25, L"h:mm", L"-6:00"},
          {-1.5, L"[h]:mm", L"-36:00"},
      },
      true);
}

TEST(NumberFormat, GeneralFitsElevenCharacters) {
  ExpectFormats({
      {0, L"General", L"0"},
      {-1, L"General", L"-1"},
      {12345678901, L"General", L"12345678901"},
      {99999999999, L"General", L"99999999999"},
      {1e11, L"General", L"1E+11"},
      {123456789012, L"General", L"1.23457E+11"},
      {99999999999.6, L"General", L"1E+11"},
      {12345678901.5, L"General", L"12345678902"},
      {-1234567890, L"General", L"-1234567890"},
      {-12345678901, L"General", L"-1.2346E+10"},
      {1.0 / 3, L"General", L"0.333333333"},
      {-1.0 / 3, L"General", L"-0.33333333"},
      {2.0 / 3, L"General", L"0.666666667"},
      {0.1 + 0.2, L"General", L"0.3"},
      {123456.7890123, L"General", L"123456.789"},
      {0.0001, L"General", L"0.0001"},
      {0.00001, L"General", L"1E-05"},
      {1.23456789e-5, L"General", L"1.23457E-05"},
      {1e-11, L"General", L"1E-11"},
      {1e100, L"General", L"1E+100"},
      {-1.5e-100, L"General", L"-1.5E-100"},
      {5, L"", L"5"},
      {5.5, L"@", L"5.5"},
      {5, L"General\" kg\"", L"5 kg"},
      {-5, L"General;(General)", L"(5)"},
      {-1.0 / 3, L"General\" m\"", L"-0.33333333 m"},
      {1.0 / 3, L"General\" m\"", L"0.333333333 m"},
  });
}

TEST(NumberFormat, BuiltinFormatsOfEnglishUnitedStates) {
  struct BuiltinCase {
    std::uint32_t id;
    double value;
    const wchar_t* expected;
  };
  const BuiltinCase cases[] = {
      {1, 1234.567, L"1235"},
      {2, 1234.567, L"1234.57"},
      {3, 1234.567, L"1,235"},
      {4, 1234.567, L"1,234.57"},
      {5, -1234.567, L"($1,235)"},
      {6, -1234.567, L"($1,235)"},
      {7, 1234.567, L"$1,234.57 "},
      {8, -1234.567, L"($1,234.57)"},
      {9, 0.5, L"50%"},
      {10, 0.5, L"50.00%"},
      {11, 1234.567, L"1.23E+03"},
      {12, 1.5, L"1 1/2"},
      {13, 1.25, L"1  1/4 "},
      {14, 45000, L"3/15/2023"},
      {15, 45000, L"15-Mar-23"},
      {16, 45000, L"15-Mar"},
      {17, 45000, L"Mar-23"},
      {18, 0.75, L"6:00 PM"},
      {19, 0.75, L"6:00:00 PM"},
      {20, 0.75, L"18:00"},
      {21, 0.75, L"18:00:00"},
      {22, 45000.75, L"3/15/2023 18:00"},
      {37, -1234, L"(1,234)"},
      {38, 1234, L"1,234 "},
      {39, -1234.5, L"(1,234.50)"},
      {41, 1234, L" 1,234 "},
      {41, -1234, L" (1,234)"},
      {41, 0, L" - "},
      {42, 1234, L" $1,234 "},
      {43, 0, L" -   "},
      {44, 1234.5, L" $1,234.50 "},
      {44, 0, L" $-   "},
      {45, 2.5 / 1440, L"02:30"},
      {46, 1.5, L"36:00:00"},
      {47, 2.5 / 1440, L"0230.0"},
      {48, 12345, L"12.3E+3"},
      {49, 5, L"5"},
  };
  for (const auto& c : cases) {
    const auto code = BuiltinNumberFormat(c.id);
    ASSERT_TRUE(code.has_value()) << c.id;
    EXPECT_EQ(FormatNumber(c.value, *code, false).value_or(L"<none>"), c.expected)
        << "format " << c.id << " value " << c.value;
  }
}

TEST(NumberFormat, UnreadableCodesGiveNoText) {
  const std::wstring tooLong(kMaxFormatCodeLength + 1, L'0');
  for (const std::wstring& code :
       {std::wstring(L"\"abc"), std::wstring(L"[Red"), std::wstring(L"0;0;0;0;0"),
        std::wstring(L"0\\"), std::wstring(L"[>abc]0"), std::wstring(L"[>]0"), tooLong,
        // Text beside numbers, text outside the last section, dates beside numbers.
        std::wstring(L"#,#\"ZZ\"#.0\"YY\"00@"), std::wstring(L";-  ##.0;\"ZERO\"@;\"X\""),
        std::wstring(L"@;0"), std::wstring(L"#,#\"ZZ\"#.0Y00"), std::wstring(L"#,#\"ZZ\"#.0y00")}) {
    EXPECT_FALSE(FormatNumber(5, code, false).has_value()) << WideToUtf8(code).substr(0, 20);
    EXPECT_FALSE(CNumberFormat(code).IsValid());
  }
  const std::wstring longest(kMaxFormatCodeLength, L'0');
  EXPECT_EQ(FormatNumber(5, longest, false)->size(), kMaxFormatCodeLength);
}

TEST(NumberFormat, ExtremeNumbersThroughEveryKindOfSection) {
  const double values[] = {
      0.0,   -0.0,   5e-324, -5e-324,       1e-308,
      1e308, -1e308, 4.5e15, 2958465.99999, std::numeric_limits<double>::max()};
  const wchar_t* codes[] = {L"General",   L"#,##0.00", L"0.00E+00",      L"##0.0E+0",
                            L"# ?\?/?\?", L"?/?",      L"0%%%%",         L"0,,,,",
                            L"[h]:mm:ss", L"m/d/yyyy", L"?/999999999999"};
  for (const double value : values) {
    for (const wchar_t* code : codes) {
      const auto text = FormatNumber(value, code, false);
      if (text) {
        EXPECT_LT(text->size(), 2000u) << value << " " << WideToUtf8(code);
      }
    }
  }
  EXPECT_EQ(FormatNumber(-0.0, L"0;(0);\"zero\"", false), L"zero");
  EXPECT_FALSE(FormatNumber(std::nan(""), L"0", false).has_value());
  EXPECT_EQ(FormatNumber(1e308, L"0.00E+00", false), L"1.00E+308");
}

CellValue Number(double value) {
  return CellValue::Number(value);
}

TEST(CellText, ValuesOtherThanNumbers) {
  EXPECT_EQ(FormatCellText(CellValue(), L"0.00", false, 8.43), L"");
  EXPECT_EQ(FormatCellText(CellValue::Boolean(true), L"0.00", false, 1), L"TRUE");
  EXPECT_EQ(FormatCellText(CellValue::Boolean(false), L"General", false, 8.43), L"FALSE");
  EXPECT_EQ(FormatCellText(CellValue::Error(ErrorCode::Div0), L"0", false, 8.43), L"#DIV/0!");
  EXPECT_EQ(FormatCellText(CellValue::Error(ErrorCode::NA), L"0", false, 1), L"#N/A");
  EXPECT_EQ(FormatCellText(Number(std::nan("")), L"0", false, 8.43), L"#NUM!");
}

TEST(CellText, TextThroughTheTextSection) {
  const auto text = CellValue::Text(L"abc");
  EXPECT_EQ(FormatCellText(text, L"0.00", false, 8.43), L"abc");
  EXPECT_EQ(FormatCellText(text, L"@", false, 8.43), L"abc");
  EXPECT_EQ(FormatCellText(text, L"0;0;0;\"[\"@\"]\"", false, 8.43), L"[abc]");
  EXPECT_EQ(FormatCellText(text, L"\"x\"@\"y\"", false, 8.43), L"xabcy");
  EXPECT_EQ(FormatCellText(text, L"0;@", false, 8.43), L"abc");
  EXPECT_EQ(FormatCellText(text, L";;;", false, 8.43), L"");
  // Text spills over its neighbours rather than turning into "####".
  EXPECT_EQ(FormatCellText(CellValue::Text(L"a long text"), L"General", false, 2), L"a long text");
}

TEST(CellText, NumbersTooWideForTheColumnShowHashes) {
  EXPECT_EQ(FormatCellText(Number(123456789), L"0", false, 8.43), L"########");
  EXPECT_EQ(FormatCellText(Number(12345678), L"0", false, 8.43), L"12345678");
  EXPECT_EQ(FormatCellText(Number(1234.5), L"#,##0.00", false, 8.43), L"1,234.50");
  EXPECT_EQ(FormatCellText(Number(123456.5), L"#,##0.00", false, 8.43), L"########");
  EXPECT_EQ(FormatCellText(Number(45000), L"m/d/yyyy", false, 8.43), L"3/15/2023");
  EXPECT_EQ(FormatCellText(Number(45000), L"m/d/yyyy", false, 5), L"#####");
  EXPECT_EQ(FormatCellText(Number(-1), L"m/d/yyyy", false, 8.43), L"########");
  EXPECT_EQ(FormatCellText(Number(5), L"0", false, 1.2), L"5");
  EXPECT_EQ(FormatCellText(Number(5), L"0", false, 0), L"");
  EXPECT_EQ(FormatCellText(Number(123456789), L"0", false, std::nan("")), L"########");
  EXPECT_EQ(FormatCellText(Number(50), L"[>100]0;[<-100]0", false, 4), L"####");
}

TEST(CellText, GeneralShrinksToTheColumn) {
  EXPECT_EQ(FormatCellText(Number(1.0 / 3), L"General", false, 8.43), L"0.333333333");
  EXPECT_EQ(FormatCellText(Number(1.0 / 3), L"General", false, 50), L"0.333333333");
  EXPECT_EQ(FormatCellText(Number(1.0 / 3), L"General", false, 4), L"0.33");
  EXPECT_EQ(FormatCellText(Number(12345678901), L"General", false, 8.43), L"12345678901");
  EXPECT_EQ(FormatCellText(Number(123456), L"General", false, 5), L"1E+05");
  EXPECT_EQ(FormatCellText(Number(0.0001234), L"General", false, 5), L"1E-04");
  EXPECT_EQ(FormatCellText(Number(123456), L"General", false, 3), L"###");
  EXPECT_EQ(FormatCellText(Number(1.0 / 3), L"General\" m\"", false, 6), L"0.33 m");
  EXPECT_EQ(FormatCellText(Number(5), L"\"abc", false, 8.43), L"5");  // Unreadable: General.
}

TEST(CellText, SeveralThreadsShareTheCache) {
  // Four threads at once, through more codes than the cache holds: conditions, fractions, dates.
  struct Job {
    double value;
    std::wstring code, expected;
  };
  std::vector<std::vector<Job>> jobs(4);
  for (std::size_t t = 0; t < jobs.size(); ++t) {
    for (int i = 0; i < 700; ++i) {
      const std::wstring tag = L"\"" + std::to_wstring(i) + L"\"";
      const std::wstring text = std::to_wstring(i);
      const double whole = static_cast<double>(t + 1);
      jobs[t].push_back({whole, L"[>=0]0.0" + tag + L";0", std::to_wstring(t + 1) + L".0" + text});
      jobs[t].push_back({whole + 0.5, L"# ?/?" + tag, std::to_wstring(t + 1) + L" 1/2" + text});
      jobs[t].push_back({45000 + whole, L"d-mmm" + tag, std::to_wstring(16 + t) + L"-Mar" + text});
    }
  }
  std::vector<int> failures(jobs.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < jobs.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int pass = 0; pass < 2; ++pass) {
        for (const auto& job : jobs[t]) {
          if (FormatCellText(Number(job.value), job.code, false, 255) != job.expected)
            ++failures[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(jobs.size(), 0));
}

TEST(NumberFormatCache, FindsParsedCodesAndStaysBounded) {
  CNumberFormatCache cache;
  const auto first = cache.Find(L"0.00");
  cache.Find(L"#,##0");
  EXPECT_EQ(cache.Find(L"0.00"), first);
  for (std::size_t i = 0; i < 3 * CNumberFormatCache::kMaxEntries; ++i) {
    cache.Find(L"0\"" + std::to_wstring(i) + L"\"");
    ASSERT_LE(cache.Size(), CNumberFormatCache::kMaxEntries);
  }
  EXPECT_EQ(cache.Find(L"0.00")->Format(2.5, false, kUnlimitedChars)->text, L"2.50");
  // A format handed out before the cache dropped it still works.
  EXPECT_EQ(first->Format(2.5, false, kUnlimitedChars)->text, L"2.50");
}

}  // namespace
}  // namespace spreadsheet
