// The evaluation and range helpers against objects that answer oddly: mixed HasFormula, error
// values, failing and missing members. Each step that cannot be had ends the operation quietly.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "excel/cell_content.h"
#include "excel/cell_range.h"
#include "excel/evaluation.h"
#include "excel/range_members.h"
#include "tests/support/scripted_dispatch.h"
#include "tests/support/value_object.h"

namespace {

using test_support::CScriptedDispatch;
using test_support::NullVariant;

// A scripted workbook: Worksheets.Item gives the sheet, Sheet.Range gives the cell, the cell's
// CurrentArray gives the array. Members set with Variable keep what is written to them.
class ScriptedWorkbook : public testing::Test {
 protected:
  void SetUp() override {
    Variable(app_, L"Calculation", CVariant(LONG{-4105}));
    Variable(app_, L"ScreenUpdating", CVariant(true));
    sheets_.Script(L"Item", CVariant(static_cast<IDispatch*>(&sheet_)));
    sheet_.Script(L"Range", CVariant(static_cast<IDispatch*>(&cell_)));
    sheet_.Script(L"Evaluate", CVariant());
    array_.Script(L"Address", CVariant(L"$C$3:$C$4"));
  }

  // The cell may have been given its sheet as Parent, which goes first.
  void TearDown() override { cell_.Script(L"Parent", CVariant()); }

  // `failWrites` makes every write fail (a protected sheet).
  void Variable(CScriptedDispatch& object, const std::wstring& member, CVariant initial,
                bool failWrites = false) {
    values_[&object][member] = std::move(initial);
    object.Script(member, [this, &object, member, failWrites](const CScriptedDispatch::Call& call,
                                                              CVariant* result) {
      if (call.flags != DISPATCH_PROPERTYPUT) {
        *result = values_[&object][member];
        return S_OK;
      }
      if (failWrites) return DISP_E_EXCEPTION;
      values_[&object][member] = call.rgvarg[0];
      writes_.push_back(member + L"=" + TextOf(call.rgvarg[0]));
      return S_OK;
    });
  }
  std::wstring ValueOf(CScriptedDispatch& object, const std::wstring& member) {
    return TextOf(values_[&object][member]);
  }
  static std::wstring TextOf(const CVariant& value) {
    if (value.Kind() == VT_BSTR) return value.Get()->bstrVal;
    if (value.Kind() == VT_BOOL) return value.Get()->boolVal != VARIANT_FALSE ? L"TRUE" : L"FALSE";
    if (value.Kind() == VT_I4) return std::to_wstring(value.Get()->lVal);
    return L"?";
  }
  size_t CallsTo(const CScriptedDispatch& object, const std::wstring& member) const {
    size_t count = 0;
    for (const auto& call : object.Calls()) count += call.member == member ? 1u : 0u;
    return count;
  }

  // Referenced objects first: the scripts of the later ones hold them until the end.
  CScriptedDispatch array_;
  CScriptedDispatch cell_;
  CScriptedDispatch sheet_;
  CScriptedDispatch sheets_;
  CScriptedDispatch app_;
  ExcelObject application_{&app_};
  ExcelObject worksheets_{&sheets_};
  std::map<const CScriptedDispatch*, std::map<std::wstring, CVariant>> values_;
  std::vector<std::wstring> writes_;
};

TEST_F(ScriptedWorkbook, NoCellPositionsAndSplitRectanglesNeverReachExcel) {
  ExcelObject range;
  CVariant value(LONG{4});
  for (const CellPos& none : {CellPos{0, 0, 0}, CellPos{-1, -1, -1}}) {
    EXPECT_FALSE(GetCellRange(worksheets_, none, &range));
    EXPECT_FALSE(GetRectangleRange(worksheets_, {1, 1, 1}, none, &range));
    EXPECT_FALSE(excel::CellValue(worksheets_, none.sheet, none.column, none.row, value));
    EXPECT_EQ(L"", excel::EvaluateInCell(application_, worksheets_, L"1", none));
    excel::WriteCellContent(worksheets_, none, L"1");
  }
  EXPECT_FALSE(GetRectangleRange(worksheets_, {1, 1, 1}, {2, 3, 3}, &range));
  EXPECT_TRUE(range.IsEmpty());
  EXPECT_EQ(4, value.Get()->lVal);
  EXPECT_TRUE(sheets_.Calls().empty());
  EXPECT_TRUE(app_.Calls().empty());
}

struct WriteCase {
  const char* what;
  std::optional<CVariant> hasFormula;  // Not answered at all when empty.
  HRESULT hasFormulaResult;
  std::optional<CVariant> hasArray;
  bool arrayAnswers;
  std::vector<std::wstring> cellWrites;
  std::vector<std::wstring> arrayWrites;
};

TEST(WriteCellContentOdd, WritesOnlyWhatItCouldTellApart) {
  const WriteCase cases[] = {
      {"constant", CVariant(false), S_OK, std::nullopt, true, {L"Value=x"}, {}},
      {"mixed HasFormula reads as no formula",
       NullVariant(),
       S_OK,
       std::nullopt,
       true,
       {L"Value=x"},
       {}},
      {"formula", CVariant(true), S_OK, CVariant(false), true, {L"FormulaLocal=x"}, {}},
      {"array", CVariant(true), S_OK, CVariant(true), true, {}, {L"FormulaArray=x"}},
      {"failing HasFormula", CVariant(), DISP_E_EXCEPTION, std::nullopt, true, {}, {}},
      {"missing HasFormula", std::nullopt, S_OK, std::nullopt, true, {}, {}},
      {"missing HasArray", CVariant(true), S_OK, std::nullopt, true, {}, {}},
      {"array without CurrentArray", CVariant(true), S_OK, CVariant(true), false, {}, {}},
  };
  for (const WriteCase& c : cases) {
    CScriptedDispatch array;
    CScriptedDispatch cell;
    CScriptedDispatch sheets;
    std::vector<std::wstring> cellWrites;
    std::vector<std::wstring> arrayWrites;
    auto recordInto = [](std::vector<std::wstring>& writes, std::wstring member) {
      return [&writes, member](const CScriptedDispatch::Call& call, CVariant*) {
        writes.push_back(member + L"=" + call.rgvarg[0].Get()->bstrVal);
        return S_OK;
      };
    };
    for (const wchar_t* member : {L"Value", L"FormulaLocal", L"Formula", L"FormulaArray"}) {
      cell.Script(member, recordInto(cellWrites, member));
      array.Script(member, recordInto(arrayWrites, member));
    }
    if (c.hasFormula) cell.Script(L"HasFormula", *c.hasFormula, c.hasFormulaResult);
    if (c.hasArray) cell.Script(L"HasArray", *c.hasArray);
    if (c.arrayAnswers) cell.Script(L"CurrentArray", CVariant(static_cast<IDispatch*>(&array)));
    // Worksheets.Item answers the sheet, here the same object, whose Range is the cell.
    sheets.Script(L"Item", CVariant(static_cast<IDispatch*>(&sheets)));
    sheets.Script(L"Range", CVariant(static_cast<IDispatch*>(&cell)));
    excel::WriteCellContent(ExcelObject(&sheets), {1, 2, 2}, L"x");
    EXPECT_EQ(c.cellWrites, cellWrites) << c.what;
    EXPECT_EQ(c.arrayWrites, arrayWrites) << c.what;
    sheets.Script(L"Item", CVariant());  // Drops the script's reference to itself.
  }
}

TEST_F(ScriptedWorkbook, EvaluateInCellPutsTheFormulaBackAndReadsErrorsAsOneText) {
  Variable(cell_, L"Formula", CVariant(L"=B1"));
  cell_.Script(L"HasArray", CVariant(false));
  cell_.Script(L"Address", CVariant(L"$C$3"));
  cell_.Script(L"Value", CVariant::Error(static_cast<SCODE>(0x800A07E7u)));
  EXPECT_EQ(L"#ERROR!", excel::EvaluateInCell(application_, worksheets_, L"NA()", {1, 3, 3}));
  EXPECT_EQ(
      (std::vector<std::wstring>{L"Calculation=-4135", L"ScreenUpdating=FALSE", L"Formula==NA()",
                                 L"Formula==B1", L"Calculation=-4105", L"ScreenUpdating=TRUE"}),
      writes_);
  ASSERT_EQ(1u, CallsTo(sheet_, L"Evaluate"));
  EXPECT_EQ(std::wstring(L"$C$3"), sheet_.Calls().back().rgvarg[0].Get()->bstrVal);
}

TEST_F(ScriptedWorkbook, EvaluateInCellOnAnArrayWorksOnTheWholeArray) {
  Variable(array_, L"FormulaArray", CVariant(L"=A1:A2*2"));
  cell_.Script(L"HasArray", CVariant(true));
  cell_.Script(L"CurrentArray", CVariant(static_cast<IDispatch*>(&array_)));
  cell_.Script(L"Value", CVariant(true));
  EXPECT_EQ(L"TRUE", excel::EvaluateInCell(application_, worksheets_, L"A1:A2>0", {1, 3, 4}));
  EXPECT_EQ(L"=A1:A2*2", ValueOf(array_, L"FormulaArray"));
  EXPECT_EQ(std::wstring(L"$C$3:$C$4"), sheet_.Calls().back().rgvarg[0].Get()->bstrVal);
}

TEST_F(ScriptedWorkbook, EvaluateInCellGivesUpQuietlyWhereAStepFails) {
  struct Case {
    const char* what;
    bool formulaReadable;
    bool formulaWritable;
    bool addressAnswers;
    bool valueAnswers;
    HRESULT hasArrayResult;
    bool guardTaken;
    std::vector<std::wstring> formulaWrites;
  };
  const Case cases[] = {
      {"formula cannot be read", false, true, true, true, S_OK, false, {}},
      {"HasArray fails", true, true, true, true, DISP_E_EXCEPTION, false, {}},
      {"protected: formula cannot be written", true, false, true, true, S_OK, true, {}},
      {"no address", true, true, false, true, S_OK, true, {L"Formula==1+1", L"Formula=7"}},
      {"value fails", true, true, true, false, S_OK, true, {L"Formula==1+1", L"Formula=7"}},
  };
  for (const Case& c : cases) {
    writes_.clear();
    cell_.Script(L"HasArray", CVariant(false), c.hasArrayResult);
    if (c.formulaReadable) {
      Variable(cell_, L"Formula", CVariant(L"7"), !c.formulaWritable);
    } else {
      cell_.Script(L"Formula", CVariant(), DISP_E_EXCEPTION);
    }
    cell_.Script(L"Address", CVariant(L"$B$2"), c.addressAnswers ? S_OK : DISP_E_EXCEPTION);
    cell_.Script(L"Value", CVariant(2.0), c.valueAnswers ? S_OK : DISP_E_EXCEPTION);
    EXPECT_EQ(L"", excel::EvaluateInCell(application_, worksheets_, L"1+1", {1, 2, 2})) << c.what;
    std::vector<std::wstring> formulaWrites;
    for (const auto& write : writes_) {
      if (write.starts_with(L"Formula")) formulaWrites.push_back(write);
    }
    EXPECT_EQ(c.formulaWrites, formulaWrites) << c.what;
    EXPECT_EQ(c.guardTaken ? 4u : 0u, writes_.size() - formulaWrites.size()) << c.what;
    EXPECT_EQ(L"-4105", ValueOf(app_, L"Calculation")) << c.what;
    EXPECT_EQ(L"TRUE", ValueOf(app_, L"ScreenUpdating")) << c.what;
  }
}

TEST_F(ScriptedWorkbook, RangeResultsReadAsSheetAndAddress) {
  sheet_.Script(L"Name", CVariant(L"My Data"));
  cell_.Script(L"Address", CVariant(L"$B$2:$C$3"));
  const CVariant range(static_cast<IDispatch*>(&cell_));
  EXPECT_EQ(L"$B$2:$C$3", excel::ResultText(range));  // No Parent: the address alone.
  cell_.Script(L"Parent", CVariant(static_cast<IDispatch*>(&sheet_)));
  EXPECT_EQ(L"'My Data'!$B$2:$C$3", excel::ResultText(range));
}

TEST_F(ScriptedWorkbook, PositionsOfARangeNeedItsSheetAndAddress) {
  CAddressParser parser(nullptr, nullptr);
  CellPos first{9, 9, 9};
  CellPos last{9, 9, 9};
  cell_.Script(L"Address", CVariant(L"$B$2:$D$5"));
  EXPECT_FALSE(GetRangePosition(ExcelObject(&cell_), parser, &first, &last));  // No Parent.
  cell_.Script(L"Parent", CVariant(static_cast<IDispatch*>(&sheet_)));
  sheet_.Script(L"Index", CVariant(L"3"));  // Converted as any long is.
  cell_.Script(L"Address", CVariant(L"#REF!"));
  EXPECT_FALSE(GetRangePosition(ExcelObject(&cell_), parser, &first, &last));
  EXPECT_EQ((CellPos{9, 9, 9}), first);
  cell_.Script(L"Address", CVariant(L"$B$2:$D$5"));
  ASSERT_TRUE(GetRangePosition(ExcelObject(&cell_), parser, &first, &last));
  EXPECT_EQ((CellPos{3, 2, 2}), first);
  EXPECT_EQ((CellPos{3, 4, 5}), last);
}

TEST_F(ScriptedWorkbook, IntersectOfOneObjectWithItselfCallsNothing) {
  app_.Script(L"Intersect", CVariant(static_cast<IDispatch*>(&array_)));
  const ExcelObject cell(&cell_);
  ExcelObject common;
  ASSERT_TRUE(IntersectRanges(application_, cell, cell, &common));
  EXPECT_EQ(&cell_, common.Get());
  EXPECT_EQ(0u, CallsTo(app_, L"Intersect"));
  ASSERT_TRUE(IntersectRanges(application_, cell, ExcelObject(&sheet_), &common));
  EXPECT_EQ(&array_, common.Get());
  ASSERT_EQ(1u, CallsTo(app_, L"Intersect"));
  const auto& call = app_.Calls().back();
  ASSERT_EQ(2u, call.rgvarg.size());
  EXPECT_EQ(&sheet_, call.rgvarg[0].Get()->pdispVal);  // Last argument first.
  EXPECT_FALSE(IntersectRanges(application_, cell, ExcelObject(), &common));
}

TEST_F(ScriptedWorkbook, ResizePassesMissingForAKeptSize) {
  cell_.Script(L"Resize", CVariant(static_cast<IDispatch*>(&array_)));
  const ExcelObject cell(&cell_);
  ExcelObject resized;
  ASSERT_TRUE(ResizeRange(cell, -1, -1, &resized));
  ASSERT_TRUE(ResizeRange(cell, 4, -1, &resized));
  const auto& both = cell_.Calls()[0].rgvarg;
  const auto& rowsOnly = cell_.Calls()[1].rgvarg;
  for (const CVariant& argument : both) {
    EXPECT_EQ(VT_ERROR, argument.Kind());
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, argument.Get()->scode);
  }
  EXPECT_EQ(VT_ERROR, rowsOnly[0].Kind());
  EXPECT_EQ(4, rowsOnly[1].Get()->lVal);
}

}  // namespace
