// Real workbooks through the whole embedded spreadsheet: opened with Workbooks.Open (the .xlsx
// reader behind it) and read back through IDispatch as the system reads Excel. Every formula
// cell's Formula and Value must answer what the file holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/workbook_dispatch.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Call;
using test_support::Get;
using test_support::GetObjectOf;

const std::filesystem::path kSpreadsheetCorpus =
    std::filesystem::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";

std::shared_ptr<CSpreadsheetApplication> MakeApplication() {
  auto application = std::make_shared<CSpreadsheetApplication>();
  application->SetOpener([](const std::wstring& path, std::wstring* error) {
    XlsxReadResult read = ReadXlsxFile(path);
    if (!read.Ok()) *error = read.error;
    return std::move(read.workbook);
  });
  return application;
}

// What a cached value must look like through IDispatch.
void ExpectValue(const CellValue& expected, const CVariant& actual, const std::wstring& where) {
  const VARIANT* v = actual.Get();
  switch (expected.Kind()) {
    case ValueKind::Empty: EXPECT_EQ(VT_EMPTY, v->vt) << where; break;
    case ValueKind::Number:
      ASSERT_EQ(VT_R8, v->vt) << where;
      EXPECT_EQ(expected.AsNumber(), v->dblVal) << where;
      break;
    case ValueKind::Text:
      ASSERT_EQ(VT_BSTR, v->vt) << where;
      EXPECT_EQ(expected.AsText(), std::wstring(v->bstrVal, SysStringLen(v->bstrVal))) << where;
      break;
    case ValueKind::Boolean:
      ASSERT_EQ(VT_BOOL, v->vt) << where;
      EXPECT_EQ(expected.AsBoolean(), v->boolVal != VARIANT_FALSE) << where;
      break;
    case ValueKind::Error:
      ASSERT_EQ(VT_ERROR, v->vt) << where;
      EXPECT_EQ(ErrorScode(expected.AsError()), v->scode) << where;
      break;
  }
}

TEST(SpreadsheetCorpus, AnswersEveryFormulaCellThroughTheObjectModel) {
  if (!std::filesystem::is_directory(kSpreadsheetCorpus))
    GTEST_SKIP() << "no corpus at " << kSpreadsheetCorpus;
  int files = 0;
  int formulas = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSpreadsheetCorpus)) {
    if (entry.path().extension() != ".xlsx") continue;
    ++files;
    const XlsxReadResult expected = ReadXlsxFile(entry.path());
    ASSERT_TRUE(expected.Ok()) << entry.path() << ": " << std::string(expected.error.begin(), expected.error.end());

    auto application = MakeApplication();
    CComPtr<IDispatch> app = CreateApplicationObject(application);
    CComPtr<IDispatch> workbooks = GetObjectOf(app.Get(), L"Workbooks");
    const auto opened = Call(workbooks.Get(), L"Open", {Arg(entry.path().wstring().c_str())});
    ASSERT_TRUE(opened.Succeeded()) << entry.path();
    CComPtr<IDispatch> workbook = opened.Object();
    CComPtr<IDispatch> sheets = GetObjectOf(workbook.Get(), L"Worksheets");
    ASSERT_EQ(expected.workbook->SheetCount(), Get(sheets.Get(), L"Count").Long());

    for (std::int32_t index = 1; index <= expected.workbook->SheetCount(); ++index) {
      const CWorksheet& model = expected.workbook->Sheet(index);
      CComPtr<IDispatch> sheet = GetObjectOf(sheets.Get(), L"Item", {Arg(index)});
      ASSERT_EQ(model.Name(), Get(sheet.Get(), L"Name").Text());
      model.ForEachCell([&](CellCoord cell, const Cell& stored) {
        if (!stored.HasFormula()) return;
        ++formulas;
        const std::wstring address = FormatRelativeA1(CellRect::Of(cell));
        const std::wstring where = entry.path().filename().wstring() + L" " + model.Name() + L"!" + address;
        CComPtr<IDispatch> range = GetObjectOf(sheet.Get(), L"Range", {Arg(address.c_str())});
        ASSERT_TRUE(range) << std::string(where.begin(), where.end());
        EXPECT_EQ(1, Get(range.Get(), L"HasFormula").Bool());
        EXPECT_EQ(*model.Formula(cell), Get(range.Get(), L"Formula").Text());
        ExpectValue(model.Value(cell), Get(range.Get(), L"Value").value, where);
      });
    }
  }
  EXPECT_GT(files, 10);
  EXPECT_GT(formulas, 3000);
}

TEST(SpreadsheetCorpus, RefusesAFileThatIsNotAWorkbook) {
  const auto path = std::filesystem::temp_directory_path() / "trelvane-not-a-workbook.xlsx";
  { std::FILE* file = std::fopen(path.string().c_str(), "wb"); std::fputs("plain text", file); std::fclose(file); }
  auto application = MakeApplication();
  CComPtr<IDispatch> app = CreateApplicationObject(application);
  CComPtr<IDispatch> workbooks = GetObjectOf(app.Get(), L"Workbooks");
  const auto opened = Call(workbooks.Get(), L"Open", {Arg(path.wstring().c_str())});
  EXPECT_EQ(DISP_E_EXCEPTION, opened.hr);
  EXPECT_NE(std::wstring::npos, opened.error.find(L"trelvane-not-a-workbook.xlsx"));
  EXPECT_EQ(0, Get(workbooks.Get(), L"Count").Long());
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace spreadsheet
