// Sheets, defined names and tables, read through the object model.
#include "container/structure_reader.h"

#include <string>
#include <utility>

#include "excel/cell_range.h"
#include "formula/name_record.h"
#include "formula/table_record.h"

namespace {

// The corners of a range; `rect` is left as it was when they cannot be read.
bool ReadRangeRect(CDependencyContainer& container, const ExcelObject& range, CellRect* rect) {
  return GetRangePosition(range, container.AddressParser(), &rect->first, &rect->last);
}

// Count of a collection; 0 when it cannot be read, so that nothing is visited.
LONG CountOf(const ExcelObject& collection) {
  LONG count = 0;
  if (!collection.GetLong(L"Count", &count) || count < 0) return 0;
  return count;
}

bool ItemOf(const ExcelObject& collection, LONG index, ExcelObject* item) {
  return collection.GetObject(L"Item", item, {CVariant(index)});
}

// A rectangle member of a table; stays as preset when the range cannot be had or read.
bool ReadMemberRect(CDependencyContainer& container, const ExcelObject& owner,
                    std::wstring_view member, CellRect* rect) {
  ExcelObject range;
  return owner.GetObject(member, &range) && ReadRangeRect(container, range, rect);
}

void ReadColumns(CDependencyContainer& container, const ExcelObject& table, TableRecord& record) {
  ExcelObject columns;
  if (!table.GetObject(L"ListColumns", &columns)) return;
  const LONG count = CountOf(columns);
  for (LONG j = 1; j <= count; ++j) {
    TableColumnRecord column;
    ExcelObject item;
    if (ItemOf(columns, j, &item)) {
      item.GetText(L"Name", &column.name);
      ReadMemberRect(container, item, L"DataBodyRange", &column.dataBody);
    }
    record.columns.push_back(std::move(column));
  }
}

}  // namespace

void BuildSheetIndex(CDependencyContainer& container) {
  const ExcelObject& workbook = container.Workbook();
  ExcelObject worksheets;
  if (!workbook.GetObject(L"Worksheets", &worksheets)) return;
  container.SetWorksheets(worksheets);

  ExcelObject names;
  if (workbook.GetObject(L"Names", &names)) ReadDefinedNames(container, names, kWorkbookScope);

  CWorkbookStructure& structure = container.Structure();
  const LONG count = CountOf(worksheets);
  for (LONG i = 1; i <= count; ++i) {
    const auto index = static_cast<int32_t>(i);
    structure.AddSheetIndex(index);
    ExcelObject sheet;
    if (!ItemOf(worksheets, i, &sheet)) continue;
    std::wstring name;
    if (sheet.GetText(L"Name", &name)) structure.AddSheet(index, name);
    ExcelObject sheetNames;
    if (sheet.GetObject(L"Names", &sheetNames)) ReadDefinedNames(container, sheetNames, index);
    ReadTables(container, sheet);
  }
}

void ReadDefinedNames(CDependencyContainer& container, const ExcelObject& names, int32_t scope) {
  CWorkbookStructure& structure = container.Structure();
  const LONG count = CountOf(names);
  for (LONG k = 1; k <= count; ++k) {
    ExcelObject item;
    if (!ItemOf(names, k, &item)) continue;
    NameRecord record;
    // A name without its text could never be looked up.
    if (!item.GetText(L"Name", &record.name)) continue;
    item.GetText(L"RefersTo", &record.refersTo);

    ExcelObject range;
    if (item.GetObject(L"RefersToRange", &range)) {
      CellRect rect;
      if (ReadRangeRect(container, range, &rect)) {
        record.first = rect.first;
        record.last = rect.last;
        structure.NameRectangle(rect.first, rect.last, record.name);
      }
    } else {
      record.notRange = 1;
    }

    const int32_t id = structure.NextNameId();
    if (scope == kWorkbookScope) {
      structure.Names().AddWorkbookName(record.name, id);
    } else {
      structure.Names().AddSheetName(scope, record.name, id);
    }
    structure.Names().SetRecord(id, std::move(record));
  }
}

void ReadTables(CDependencyContainer& container, const ExcelObject& worksheet) {
  ExcelObject tables;
  if (!worksheet.GetObject(L"ListObjects", &tables)) return;
  const LONG count = CountOf(tables);
  for (LONG i = 1; i <= count; ++i) {
    ExcelObject table;
    if (!ItemOf(tables, i, &table)) continue;
    TableRecord record;
    table.GetText(L"Name", &record.name);
    ReadMemberRect(container, table, L"Range", &record.whole);
    // A table without a header or totals row stands for itself in [#Headers] and [#Totals].
    if (!ReadMemberRect(container, table, L"HeaderRowRange", &record.headerRow)) {
      record.headerRow = record.whole;
    }
    ReadMemberRect(container, table, L"DataBodyRange", &record.dataBody);
    if (!ReadMemberRect(container, table, L"TotalsRowRange", &record.totalsRow)) {
      record.totalsRow = record.whole;
    }
    ReadColumns(container, table, record);
    container.Structure().Tables().Add(std::move(record));
  }
}
