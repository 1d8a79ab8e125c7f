// A dependency container attached to a test session's workbook, as the add-in attaches one to
// the workbook Excel has open.
#pragma once

#include <memory>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "tests/support/spreadsheet_session.h"

namespace test_support {

// Through `application` when given (a counting or scripted stand-in), else the session's own.
inline std::unique_ptr<CDependencyContainer> AttachContainer(const CSpreadsheetSession& session,
                                                             IDispatch* application = nullptr) {
  auto container = std::make_unique<CDependencyContainer>();
  container->SetWorkbookName(session.book->Name());
  const ExcelObject app(application != nullptr ? application : session.application.Get());
  ExcelObject workbook;
  app.GetObject(L"ActiveWorkbook", &workbook);
  container->AttachWorkbook(app, workbook);
  return container;
}

}  // namespace test_support
