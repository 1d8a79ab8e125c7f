// Sheet names Excel accepts, and the rewriting of references when a sheet is renamed.
#include "spreadsheet/objects/sheet_rename.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

struct RenameCase {
  const wchar_t* formula;
  const wchar_t* oldName;
  const wchar_t* newName;
  const wchar_t* expected;
};

class RenameInFormula : public testing::TestWithParam<RenameCase> {};

TEST_P(RenameInFormula, RewritesOnlyQualifiersOfTheRenamedSheet) {
  const RenameCase& c = GetParam();
  EXPECT_EQ(std::wstring(c.expected), RenameSheetInFormula(c.formula, c.oldName, c.newName));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenameInFormula,
    testing::Values(RenameCase{L"=Data!A1+1", L"Data", L"Sales", L"=Sales!A1+1"},
                    RenameCase{L"SUM(data!$A$1:$B$9)", L"Data", L"Sales", L"SUM(Sales!$A$1:$B$9)"},
                    RenameCase{L"'My Data'!A1*2", L"My Data", L"Plain", L"Plain!A1*2"},
                    RenameCase{L"Data!A1", L"Data", L"New Name", L"'New Name'!A1"},
                    RenameCase{L"Data!A1", L"Data", L"O'Brien", L"'O''Brien'!A1"},
                    RenameCase{L"'It''s'!A1", L"It's", L"Its", L"Its!A1"},
                    RenameCase{L"SUM(Data:Other!A1)", L"Data", L"Q", L"SUM(Q:Other!A1)"},
                    RenameCase{L"SUM(First:Data!A1)", L"Data", L"Last one",
                               L"SUM('First:Last one'!A1)"},
                    RenameCase{L"SUM('Data:Other'!A1)", L"Data", L"Q", L"SUM(Q:Other!A1)"},
                    // Text, other sheets, other workbooks and tables are not the renamed sheet.
                    RenameCase{L"\"Data!A1\"&Data!B1", L"Data", L"Sales", L"\"Data!A1\"&Sales!B1"},
                    RenameCase{L"MyData!A1+Data.Old!A1+DataX!A1", L"Data", L"Sales",
                               L"MyData!A1+Data.Old!A1+DataX!A1"},
                    RenameCase{L"[1]Data!A1+'[Book.xlsx]Data'!A1", L"Data", L"Sales",
                               L"[1]Data!A1+'[Book.xlsx]Data'!A1"},
                    RenameCase{L"Sales[[#This Row],[Data]]+Data", L"Data", L"Sales",
                               L"Sales[[#This Row],[Data]]+Data"},
                    RenameCase{L"'unclosed", L"unclosed", L"x", L"'unclosed"}));

TEST(SheetName, FollowsExcelsRules) {
  CWorkbook workbook;
  CWorksheet& first = workbook.AddSheet(L"First");
  workbook.AddSheet(L"Other");
  for (const wchar_t* refused :
       {L"", L"12345678901234567890123456789012", L"a:b", L"a/b", L"a\\b", L"a?", L"a*", L"[a]",
        L"'a", L"a'", L"history", L"OTHER", L"tab\there"}) {
    EXPECT_TRUE(SheetNameProblem(workbook, first, refused).has_value()) << refused;
  }
  for (const wchar_t* accepted :
       {L"FIRST", L"1234567890123456789012345678901", L"It's", L"Sales 2024", L"Résumé"}) {
    EXPECT_FALSE(SheetNameProblem(workbook, first, accepted).has_value()) << accepted;
  }
}

TEST(SheetName, RenamingRewritesFormulasAndNamesEverywhere) {
  CWorkbook workbook;
  CWorksheet& data = workbook.AddSheet(L"Data");
  CWorksheet& report = workbook.AddSheet(L"Report");
  report.SetFormula({1, 1}, L"=Data!A1*2", CellValue::Number(4));
  data.SetFormula({2, 1}, L"=A1+Report!A1");
  const std::uint32_t shared =
      report.AddFormulaRecord({FormulaRecord::Kind::Shared, L"Data!B1", {2, 1}, {{2, 1}, {3, 1}}});
  report.AttachFormula({2, 1}, shared);
  report.AttachFormula({3, 1}, shared);
  workbook.AddName({L"Total", L"=Data!$A$1:$A$9", 0, false});
  workbook.AddName({L"Local", L"=Report!$B$2", 1, false});

  RenameSheet(workbook, data, L"Sales 2024");

  EXPECT_EQ(L"Sales 2024", data.Name());
  EXPECT_EQ(L"='Sales 2024'!A1*2", report.Formula({1, 1}));
  EXPECT_EQ(CellValue::Number(4), report.Value({1, 1}));  // The cached value stays.
  EXPECT_EQ(L"=A1+Report!A1", data.Formula({2, 1}));
  EXPECT_EQ(L"='Sales 2024'!B2", report.Formula({3, 1}));
  EXPECT_EQ(L"='Sales 2024'!$A$1:$A$9", workbook.FindName(L"Total", 0)->refersTo);
  EXPECT_EQ(L"=Report!$B$2", workbook.FindName(L"Local", 1)->refersTo);
}

}  // namespace
}  // namespace spreadsheet
