// A generated workbook for the engine's and the scans' benchmarks: column A holds numbers and
// columns B to F formulas filled down as shared formulas, kRows rows of each, calculated; and a
// dependency container attached to it through the object model.
#pragma once

#include <cstdint>
#include <memory>

#include "container/dependency_container.h"
#include "tests/support/spreadsheet_session.h"

namespace test_support {

struct FilledDownWorkbook {
  static constexpr std::int32_t kRows = 100000;
  static constexpr std::int32_t kFormulaColumns = 5;
  static constexpr std::int64_t kFormulaCells = std::int64_t{kRows} * kFormulaColumns;
  static constexpr std::int64_t kCells = std::int64_t{kRows} * (kFormulaColumns + 1);

  // Built once per process.
  static CSpreadsheetSession& Session() {
    static CSpreadsheetSession* session = [] {
      const wchar_t* const formulas[kFormulaColumns] = {L"A1*2", L"B1+A1", L"IF(C1>10,C1,0)",
                                                        L"ROUND(D1/3,2)", L"SUM(A1:E1)"};
      auto* made = new CSpreadsheetSession;
      spreadsheet::CWorksheet& sheet = made->book->Sheet(1);
      for (std::int32_t row = 1; row <= kRows; ++row) {
        sheet.SetValue({row, 1}, spreadsheet::CellValue::Number(row % 97));
      }
      for (std::int32_t column = 2; column <= kFormulaColumns + 1; ++column) {
        const std::uint32_t record =
            sheet.AddFormulaRecord({spreadsheet::FormulaRecord::Kind::Shared,
                                    formulas[column - 2],
                                    {1, column},
                                    {{1, column}, {kRows, column}}});
        for (std::int32_t row = 1; row <= kRows; ++row) sheet.AttachFormula({row, column}, record);
      }
      made->app->Calculator().InvalidateAll(*made->book);
      made->app->Calculator().Calculate(false);
      return made;
    }();
    return *session;
  }

  static std::unique_ptr<CDependencyContainer> AttachedContainer() {
    CSpreadsheetSession& session = Session();
    auto container = std::make_unique<CDependencyContainer>();
    container->SetWorkbookName(session.book->Name());
    container->AttachWorkbook(ExcelObject(session.application.Get()),
                              ExcelObject(session.Workbook().Get()));
    return container;
  }
};

}  // namespace test_support
