// Fuzzes the pipeline behind `trelvane chain` on what the reader accepts: the file opened in the
// embedded spreadsheet, a dependency container attached to it, its formulas collected and put
// in calculation order. The chain must list every formula cell once at most.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>

#include "engine/calculation_chain.h"
#include "excel/excel_object.h"
#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_text.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/spreadsheet_application.h"
#include "spreadsheet/xlsx/xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz_support::CMemoryFile file;
  spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(file.Write(data, size));
  if (!read.Ok()) return 0;
  auto app = std::make_shared<spreadsheet::CSpreadsheetApplication>();
  auto book = std::shared_ptr<spreadsheet::CWorkbook>(std::move(read.workbook));
  app->AddWorkbook(book);
  const CComPtr<IDispatch> application = spreadsheet::CreateApplicationObject(app);

  CDependencyContainer container;
  container.SetWorkbookName(book->Name());
  const ExcelObject appObject(application.Get());
  ExcelObject workbook;
  appObject.GetObject(L"ActiveWorkbook", &workbook);
  container.AttachWorkbook(appObject, workbook);
  const SharedReferenceList chain = BuildCalculationChain(container);
  if (chain == nullptr) return 0;
  std::set<CellPos, CellPosOrder> seen;
  for (const CellReference& cell : *chain) {
    if (!seen.insert(cell.first).second) fuzz_support::Fail("a cell is twice in the chain");
  }
  return 0;
}
