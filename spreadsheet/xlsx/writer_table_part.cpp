// Table parts.
#include "spreadsheet/xlsx/writer_table_part.h"

#include <algorithm>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/writer_cell_reference.h"
#include "spreadsheet/xlsx/xml_writer.h"

namespace spreadsheet {
namespace {

bool Taken(const std::vector<std::wstring>& names, std::wstring_view name) {
  for (const std::wstring& known : names) {
    if (SameIdentifier(known, name)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::wstring> TableColumnNames(const Table& table) {
  const auto count = static_cast<std::size_t>(std::max(table.range.Columns(), 0));
  std::vector<std::wstring> names;
  names.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::wstring name = i < table.columns.size() ? table.columns[i] : std::wstring();
    if (name.empty() || Taken(names, name)) {
      const std::wstring stem = name.empty() ? L"Column" : name;
      for (std::size_t number = name.empty() ? i + 1 : 2;; ++number) {
        name = stem + std::to_wstring(number);
        if (!Taken(names, name)) break;
      }
    }
    names.push_back(std::move(name));
  }
  return names;
}

void RenderTablePart(const Table& table, std::int32_t id, std::string& out) {
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Start("table");
  xml.AttributeAscii("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
  xml.Attribute("id", std::int64_t{id});
  xml.Attribute("name", table.name);
  xml.Attribute("displayName", table.name);
  xml.AttributeAscii("ref", RangeReference(table.range));
  if (!table.hasHeaderRow) xml.Raw(" headerRowCount=\"0\"");
  if (table.hasTotalsRow) {
    xml.Raw(" totalsRowCount=\"1\"");
  } else {
    xml.Raw(" totalsRowShown=\"0\"");
  }
  xml.EndStart();
  if (table.hasHeaderRow) {
    // The filter covers the header and body rows, never the totals row.
    CellRect filtered = table.range;
    if (table.hasTotalsRow && filtered.Rows() > 1) --filtered.last.row;
    xml.Start("autoFilter");
    xml.AttributeAscii("ref", RangeReference(filtered));
    xml.EndEmpty();
  }
  const std::vector<std::wstring> names = TableColumnNames(table);
  xml.Start("tableColumns");
  xml.Attribute("count", static_cast<std::int64_t>(names.size()));
  xml.EndStart();
  for (std::size_t i = 0; i < names.size(); ++i) {
    xml.Start("tableColumn");
    xml.Attribute("id", static_cast<std::int64_t>(i + 1));
    xml.Attribute("name", names[i]);
    xml.EndEmpty();
  }
  xml.End("tableColumns");
  xml.Start("tableStyleInfo");
  if (!table.styleName.empty()) xml.Attribute("name", table.styleName);
  xml.Raw(
      " showFirstColumn=\"0\" showLastColumn=\"0\" showRowStripes=\"1\" "
      "showColumnStripes=\"0\"/>");
  xml.End("table");
}

}  // namespace spreadsheet
