// Creation of the spreadsheet's automation objects. Every object holds the application state and
// the workbook it belongs to, so a handle stays valid for as long as a caller holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/com_ptr.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/objects/spreadsheet_application.h"

namespace spreadsheet {

// Where an object sits. `sheet` is owned by `workbook` (sheets are never deleted while the
// workbook lives, so the pointer stays valid as long as the workbook does).
struct ObjectContext {
  std::shared_ptr<CSpreadsheetApplication> application;
  std::shared_ptr<CWorkbook> workbook;
  CWorksheet* sheet = nullptr;
};

CComPtr<IDispatch> CreateApplicationObject(std::shared_ptr<CSpreadsheetApplication> application);
CComPtr<IDispatch> CreateWorkbooksObject(const ObjectContext& context);
CComPtr<IDispatch> CreateWorkbookObject(const ObjectContext& context);
CComPtr<IDispatch> CreateWorksheetsObject(const ObjectContext& context);
CComPtr<IDispatch> CreateWorksheetObject(const ObjectContext& context);
// Names of the workbook (scope 0) or of one sheet (its index, from 1).
CComPtr<IDispatch> CreateNamesObject(const ObjectContext& context, std::int32_t scope);
CComPtr<IDispatch> CreateListObjectsObject(const ObjectContext& context);
CComPtr<IDispatch> CreateStylesObject(const ObjectContext& context);
CComPtr<IDispatch> CreateWindowsObject(const ObjectContext& context);
CComPtr<IDispatch> CreateWindowObject(const ObjectContext& context);

// A range on context.sheet.
CComPtr<IDispatch> CreateRangeObject(const ObjectContext& context, const CellRect& range);
// A range of one or more areas on context.sheet, a union such as "A1:A2,B1:C1"; null when there
// is no area or one lies off the sheet.
CComPtr<IDispatch> CreateAreasRangeObject(const ObjectContext& context,
                                          std::span<const CellRect> areas);
// The sheet and rectangle of a range object of this spreadsheet (the first area of a union);
// false for anything else.
bool ReadRangeObject(IDispatch* object, ObjectContext* context, CellRect* range);
// The same with every area of the range, in order.
bool ReadRangeAreas(IDispatch* object, ObjectContext* context, std::vector<CellRect>* areas);

}  // namespace spreadsheet
