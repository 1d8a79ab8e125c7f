// Text read as a typed cell entry: what becomes a number (and which format it implies), a date,
// a time, a Boolean, an error, a formula, and what stays text.
#include "spreadsheet/calc/cell_entry.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

constexpr std::int32_t kYear = 2024;

struct EntryNumberCase {
  const wchar_t* text;
  double value;
  std::uint32_t format;
};

TEST(CellEntry, ReadsNumbersWithTheFormatTheyImply) {
  const EntryNumberCase cases[] = {
      {L"12", 12, 0},          {L" -3.5 ", -3.5, 0}, {L"+.5", 0.5, 0},          {L"1,234", 1234, 3},
      {L"1,234.5", 1234.5, 4}, {L"$1,000", 1000, 5}, {L"-$2.50", -2.5, 7},      {L"$-2", -2, 5},
      {L"(42)", -42, 0},       {L"50%", 0.5, 9},     {L"12.5%", 0.125, 10},     {L"1E3", 1000, 11},
      {L"2.5e-2", 0.025, 11},  {L"1 1/2", 1.5, 12},  {L"-2 3/16", -2.1875, 13},
  };
  for (const EntryNumberCase& c : cases) {
    const CellEntry entry = ParseCellEntry(c.text, false, kYear);
    ASSERT_EQ(ValueKind::Number, entry.value.Kind()) << c.text;
    EXPECT_DOUBLE_EQ(c.value, entry.value.AsNumber()) << c.text;
    EXPECT_EQ(c.format, entry.numberFormat) << c.text;
  }
}

TEST(CellEntry, ReadsDatesAndTimesAsSerials) {
  const EntryNumberCase cases[] = {
      {L"1/2/2020", 43832, 14},
      {L"2020-01-02", 43832, 14},
      {L"1-2-20", 43832, 14},
      {L"2/29/1900", 60, 14},  // Excel's own leap day.
      {L"3/1/1900", 61, 14},
      {L"2-Jan-2020", 43832, 15},
      {L"2 January 2020", 43832, 15},
      {L"Jan 2, 2020", 43832, 15},
      {L"1/2", 45293, 16},
      {L"2-jan", 45293, 16},
      {L"Jan-2020", 43831, 17},
      {L"1/2020", 43831, 17},
      {L"13:30", 0.5625, 20},
      {L"1:30 PM", 0.5625, 18},
      {L"12:00:30 AM", 30.0 / 86400, 19},
      {L"6 pm", 0.75, 18},
      {L"1/2/2020 6:00", 43832.25, 22},
      {L"0:01:02.5", 62.5 / 86400, 47},
  };
  for (const EntryNumberCase& c : cases) {
    const CellEntry entry = ParseCellEntry(c.text, false, kYear);
    ASSERT_EQ(ValueKind::Number, entry.value.Kind()) << c.text;
    EXPECT_NEAR(c.value, entry.value.AsNumber(), 1e-9) << c.text;
    EXPECT_EQ(c.format, entry.numberFormat) << c.text;
  }
  // Past the hour, parts run over their range and carry, up to four digits, as Excel reads them.
  EXPECT_NEAR((23 * 60 + 99) / 1440.0, ParseCellEntry(L"23:99", false, kYear).value.AsNumber(),
              1e-12);
  EXPECT_NEAR((59 * 60 + 9999.5) / 86400.0,
              ParseCellEntry(L"59:9999.5", false, kYear).value.AsNumber(), 1e-12);
  EXPECT_NEAR((23 * 60 + 59) / 1440.0, ParseCellEntry(L"23:59.", false, kYear).value.AsNumber(),
              1e-12);
  // The 1904 system counts from 1 January 1904.
  EXPECT_EQ(0.0, ParseCellEntry(L"1/1/1904", true, kYear).value.AsNumber());
}

TEST(CellEntry, KeepsTextThatReadsAsNoValue) {
  for (const wchar_t* text :
       {L"abc", L"1,00", L"12a", L"1..2", L"2/30/2020", L"13/1/2020", L"1/1/1899", L"25:00",
        L"23:10000", L"0:0:10000", L"(-5)", L"$", L"1E", L"&H10", L"1 2", L"Jan", L"5 foo", L"1/2/3/4", L"--1"}) {
    const CellEntry entry = ParseCellEntry(text, false, kYear);
    EXPECT_EQ(CellEntry::Kind::Constant, entry.kind) << text;
    EXPECT_EQ(CellValue::Text(text), entry.value) << text;
  }
}

TEST(CellEntry, ReadsFormulasBooleansErrorsAndQuotedText) {
  EXPECT_EQ(CellEntry::Kind::Formula, ParseCellEntry(L"=A1+1", false, kYear).kind);
  EXPECT_EQ(L"=A1+1", ParseCellEntry(L"=A1+1", false, kYear).formula);
  EXPECT_EQ(CellEntry::Kind::Invalid, ParseCellEntry(L"= ", false, kYear).kind);
  EXPECT_EQ(CellValue::Boolean(false), ParseCellEntry(L"false", false, kYear).value);
  EXPECT_EQ(CellValue::Error(ErrorCode::Div0), ParseCellEntry(L"#div/0!", false, kYear).value);
  EXPECT_EQ(CellValue::Text(L"=A1"), ParseCellEntry(L"'=A1", false, kYear).value);
  EXPECT_TRUE(ParseCellEntry(L"", false, kYear).value.IsEmpty());
}

}  // namespace
}  // namespace spreadsheet
