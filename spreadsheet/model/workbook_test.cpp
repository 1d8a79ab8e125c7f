// The workbook model: sheets, cells, shared and array formulas, names.
#include <gtest/gtest.h>

#include "spreadsheet/model/workbook.h"

namespace spreadsheet {
namespace {

class WorkbookModel : public testing::Test {
 protected:
  CWorkbook workbook_{L"Book.xlsx"};
  CWorksheet& sheet_ = workbook_.AddSheet(L"Data");
};

TEST_F(WorkbookModel, StoresValuesOfEveryKind) {
  sheet_.SetValue({1, 1}, CellValue::Number(2.5));
  sheet_.SetValue({2, 1}, CellValue::Text(L"text"));
  sheet_.SetValue({3, 1}, CellValue::Boolean(true));
  sheet_.SetValue({4, 1}, CellValue::Error(ErrorCode::NA));
  EXPECT_EQ(CellValue::Number(2.5), sheet_.Value({1, 1}));
  EXPECT_EQ(CellValue::Text(L"text"), sheet_.Value({2, 1}));
  EXPECT_EQ(CellValue::Boolean(true), sheet_.Value({3, 1}));
  EXPECT_EQ(CellValue::Error(ErrorCode::NA), sheet_.Value({4, 1}));
  EXPECT_TRUE(sheet_.Value({5, 1}).IsEmpty());
  sheet_.SetValue({1, 1}, CellValue());
  EXPECT_EQ(nullptr, sheet_.Find({1, 1}));  // Blank cells without a format are not kept.
  EXPECT_THROW(sheet_.SetValue({0, 1}, CellValue::Number(1)), std::out_of_range);
}

TEST_F(WorkbookModel, ReadsSharedFormulasMovedToEachCell) {
  const std::uint32_t record = sheet_.AddFormulaRecord(
      {FormulaRecord::Kind::Shared, L"A1*$B$1", {1, 3}, {{1, 3}, {3, 3}}});
  for (std::int32_t row = 1; row <= 3; ++row) sheet_.AttachFormula({row, 3}, record);
  EXPECT_EQ(L"=A1*$B$1", sheet_.Formula({1, 3}));
  EXPECT_EQ(L"=A3*$B$1", sheet_.Formula({3, 3}));
  EXPECT_THROW(sheet_.AttachFormula({4, 3}, record), std::out_of_range);
  sheet_.SetValue({2, 3}, CellValue::Number(7));  // A constant replaces the formula.
  EXPECT_FALSE(sheet_.HasFormula({2, 3}));
}

TEST_F(WorkbookModel, GivesEveryArrayMemberTheArrayFormula) {
  sheet_.SetArrayFormula({{1, 1}, {2, 2}}, L"=A5:B6*2");
  EXPECT_EQ(L"=A5:B6*2", sheet_.Formula({2, 2}));
  ASSERT_NE(nullptr, sheet_.FormulaOf({2, 1}));
  EXPECT_EQ(FormulaRecord::Kind::Array, sheet_.FormulaOf({2, 1})->kind);
  EXPECT_EQ((CellRect{{1, 1}, {2, 2}}), sheet_.FormulaOf({2, 1})->range);
}

TEST_F(WorkbookModel, TracksUsedRangeAndColumnWalks) {
  EXPECT_FALSE(sheet_.UsedRange().has_value());
  sheet_.SetValue({3, 2}, CellValue::Number(1));
  sheet_.SetValue({10, 2}, CellValue::Number(2));
  sheet_.SetValue({5, 7}, CellValue::Text(L"x"));
  EXPECT_EQ((CellRect{{3, 2}, {10, 7}}), sheet_.UsedRange());
  EXPECT_EQ((CellCoord{10, 2}), sheet_.NextNonBlankBelow({3, 2}));
  EXPECT_FALSE(sheet_.NextNonBlankBelow({10, 2}).has_value());
  std::vector<CellCoord> order;
  sheet_.ForEachCell([&](CellCoord cell, const Cell&) { order.push_back(cell); });
  EXPECT_EQ((std::vector<CellCoord>{{3, 2}, {5, 7}, {10, 2}}), order);
}

TEST_F(WorkbookModel, RefusesOverlappingMerges) {
  sheet_.AddMerge({{1, 1}, {2, 2}});
  EXPECT_THROW(sheet_.AddMerge({{2, 2}, {3, 3}}), std::invalid_argument);
  EXPECT_EQ((CellRect{{1, 1}, {2, 2}}), sheet_.MergeAreaOf({2, 1}));
  EXPECT_FALSE(sheet_.MergeAreaOf({3, 3}).has_value());
}

TEST_F(WorkbookModel, KeepsSheetScopedNamesWithTheirSheetWhenOneIsInserted) {
  workbook_.AddName({L"Local", L"=Data!$A$1", 1, false});
  workbook_.AddName({L"Global", L"=Data!$B$1", 0, false});
  workbook_.AddSheet(L"First", 1);
  EXPECT_EQ(2, workbook_.FindSheet(L"DATA"));
  ASSERT_NE(nullptr, workbook_.FindName(L"local", 2));
  EXPECT_EQ(nullptr, workbook_.FindName(L"local", 1));
  EXPECT_NE(nullptr, workbook_.FindName(L"GLOBAL", 0));
  EXPECT_THROW(workbook_.AddSheet(L"first"), std::invalid_argument);
  EXPECT_EQ(L"Sheet1", workbook_.NextSheetName());
}

TEST_F(WorkbookModel, TakesItsNameFromThePath) {
  workbook_.SetPath(L"/tmp/reports/Q3.xlsx");
  EXPECT_EQ(L"Q3.xlsx", workbook_.Name());
  EXPECT_EQ(L"/tmp/reports/Q3.xlsx", workbook_.FullName());
}

}  // namespace
}  // namespace spreadsheet
