// CSpreadsheetSession: an embedded-spreadsheet application with one open workbook, built with
// the model's own interface, and its Application object, for tests that call the objects
// through IDispatch as the system does.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/com_ptr.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/spreadsheet_application.h"
#include "tests/support/workbook_dispatch.h"

namespace test_support {

// The sheet (by name) and cells a Range object stands for.
struct RangeSeen {
  std::wstring sheet;
  spreadsheet::CellRect range;
  friend bool operator==(const RangeSeen&, const RangeSeen&) = default;
};

inline std::optional<RangeSeen> SeeRange(IDispatch* object) {
  spreadsheet::ObjectContext context;
  spreadsheet::CellRect range;
  if (object == nullptr || !spreadsheet::ReadRangeObject(object, &context, &range)) {
    return std::nullopt;
  }
  return RangeSeen{context.sheet->Name(), range};
}
inline std::optional<RangeSeen> SeeRange(const DispatchAnswer& answer) {
  return SeeRange(answer.Object().Get());
}

// The references an object has: what AddRef counts, less the one it just added.
inline ULONG ReferencesOf(IDispatch* object) {
  object->AddRef();
  return object->Release();
}

class CSpreadsheetSession {
 public:
  explicit CSpreadsheetSession(const std::wstring& name = L"Book1.xlsx")
      : app(std::make_shared<spreadsheet::CSpreadsheetApplication>()),
        book(std::make_shared<spreadsheet::CWorkbook>(name)) {
    book->AddSheet(L"Sheet1");
    app->AddWorkbook(book);
    application = spreadsheet::CreateApplicationObject(app);
  }

  CComPtr<IDispatch> Workbook() const { return GetObjectOf(application.Get(), L"ActiveWorkbook"); }
  CComPtr<IDispatch> Sheets() const { return GetObjectOf(Workbook().Get(), L"Worksheets"); }
  CComPtr<IDispatch> Sheet(int index) const {
    return GetObjectOf(Sheets().Get(), L"Item", {Arg(index)});
  }

  std::shared_ptr<spreadsheet::CSpreadsheetApplication> app;
  std::shared_ptr<spreadsheet::CWorkbook> book;
  CComPtr<IDispatch> application;
};

}  // namespace test_support
