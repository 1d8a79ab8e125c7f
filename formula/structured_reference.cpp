// Splitting table references and resolving their bracket parts.
#include "formula/structured_reference.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "formula/text_compare.h"
#include "platform/char_class.h"

namespace {

// Inside a table reference this character makes the next one literal ("'#", "'[", "']", "''").
constexpr wchar_t kEscape = L'\'';

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsFormulaBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsFormulaBlank(text.back())) text.remove_suffix(1);
  return text;
}

size_t SkipBlanks(std::wstring_view text, size_t i) {
  while (i < text.size() && IsFormulaBlank(text[i])) ++i;
  return i;
}

// The "]" closing the "[" at `open`, nested pairs counted and escapes skipped; the text's size
// when it is not closed.
size_t ClosingBracket(std::wstring_view text, size_t open) {
  size_t depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    if (text[i] == kEscape) {
      ++i;
    } else if (text[i] == L'[') {
      ++depth;
    } else if (text[i] == L']' && --depth == 0) {
      return i;
    }
  }
  return text.size();
}

std::wstring Unescape(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kEscape && ++i >= text.size()) break;
    out.push_back(text[i]);
  }
  return out;
}

// The index of the column named by the written (escaped) text, or -1.
int FindColumn(const TableRecord& table, std::wstring_view written) {
  const std::wstring name = Unescape(written);
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (EqualsNoCase(table.columns[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

// What a bracket part selects: parts of the table's rows across a span of its columns.
enum RowPart : unsigned {
  kRowsAll = 1,
  kRowsData = 2,
  kRowsHeaders = 4,
  kRowsTotals = 8,
  kRowsThisRow = 16,
};

struct Selection {
  unsigned rows = 0;
  int firstColumn = -1;  // indexes into the table's columns; -1 for all of them
  int lastColumn = -1;
  bool failed = false;

  void AddSpecial(std::wstring_view item) {
    item = Trim(item);
    if (EqualsNoCase(item, L"#Data")) {
      rows |= kRowsData;
    } else if (EqualsNoCase(item, L"#Headers")) {
      rows |= kRowsHeaders;
    } else if (EqualsNoCase(item, L"#Totals")) {
      rows |= kRowsTotals;
    } else if (EqualsNoCase(item, L"#This Row")) {
      rows |= kRowsThisRow;
    } else {
      rows |= kRowsAll;  // "#All", and any other special item, as a single one reads
    }
  }
  void AddColumns(int from, int to) {
    if (from < 0 || to < 0) {
      failed = true;
      return;
    }
    const int low = std::min(from, to);
    const int high = std::max(from, to);
    firstColumn = firstColumn < 0 ? low : std::min(firstColumn, low);
    lastColumn = std::max(lastColumn, high);
  }
};

// "[#This Row], [Amount]", "[Item]:[Date]": bracketed items separated by "," (and ":" between
// the two ends of a column range), blanks allowed around them. Reading stops at anything else.
void ReadItemList(const TableRecord& table, std::wstring_view text, Selection& selection) {
  size_t i = 0;
  int rangeFrom = -1;
  bool inRange = false;
  for (;;) {
    i = SkipBlanks(text, i);
    if (i >= text.size() || text[i] != L'[') break;
    const size_t close = ClosingBracket(text, i);
    const std::wstring_view item = text.substr(i + 1, close - i - 1);
    i = SkipBlanks(text, close + 1);
    if (!Trim(item).empty() && Trim(item).front() == L'#') {
      selection.AddSpecial(item);
    } else {
      const int column = FindColumn(table, item);
      if (inRange) {
        selection.AddColumns(rangeFrom, column);
        inRange = false;
      } else if (i < text.size() && text[i] == L':') {
        rangeFrom = column;
        inRange = true;
        ++i;
        continue;
      } else {
        selection.AddColumns(column, column);
      }
    }
    if (i >= text.size() || text[i] != L',') break;
    ++i;
  }
  if (inRange) selection.AddColumns(rangeFrom, rangeFrom);
}

int32_t ColumnNumber(const TableRecord& table, int index) {
  const CellRect& body = table.columns[static_cast<size_t>(index)].dataBody;
  return body.first.column != 0 ? body.first.column : table.whole.first.column + index;
}

std::optional<CellRect> Rectangle(const TableRecord& table, Selection selection,
                                  const CellPos& currentCell) {
  if (selection.failed) return std::nullopt;
  if (selection.rows == 0) selection.rows = kRowsData;
  const bool allColumns = selection.firstColumn < 0;
  // The forms of one part keep the rectangles exactly as the table gave them.
  if (allColumns && selection.rows != kRowsThisRow &&
      (selection.rows & (selection.rows - 1)) == 0) {
    const unsigned rows = selection.rows;
    const CellRect& area = rows == kRowsAll       ? table.whole
                           : rows == kRowsData    ? table.dataBody
                           : rows == kRowsHeaders ? table.headerRow
                                                  : table.totalsRow;
    return area;
  }
  if (!allColumns && selection.firstColumn == selection.lastColumn && selection.rows == kRowsData) {
    return table.columns[static_cast<size_t>(selection.firstColumn)].dataBody;
  }
  const CellRect& whole = table.whole;
  if (whole == CellRect{}) return std::nullopt;
  int32_t firstRow = INT32_MAX;
  int32_t lastRow = INT32_MIN;
  const auto take = [&](const CellRect& area) {
    if (area == CellRect{}) return false;
    firstRow = std::min(firstRow, area.first.row);
    lastRow = std::max(lastRow, area.last.row);
    return true;
  };
  if ((selection.rows & kRowsAll) != 0 && !take(whole)) return std::nullopt;
  if ((selection.rows & kRowsData) != 0 && !take(table.dataBody)) return std::nullopt;
  if ((selection.rows & kRowsHeaders) != 0 && !take(table.headerRow)) return std::nullopt;
  if ((selection.rows & kRowsTotals) != 0 && !take(table.totalsRow)) return std::nullopt;
  if ((selection.rows & kRowsThisRow) != 0) {
    if (currentCell.row < whole.first.row || currentCell.row > whole.last.row) return std::nullopt;
    firstRow = std::min(firstRow, currentCell.row);
    lastRow = std::max(lastRow, currentCell.row);
  }
  const int32_t sheet = whole.last.sheet;
  const int32_t firstColumn =
      allColumns ? whole.first.column : ColumnNumber(table, selection.firstColumn);
  const int32_t lastColumn =
      allColumns ? whole.last.column : ColumnNumber(table, selection.lastColumn);
  return CellRect{{sheet, firstColumn, firstRow}, {sheet, lastColumn, lastRow}};
}

}  // namespace

TableReferenceParts SplitTableReference(std::wstring_view word) {
  const size_t bracket = word.find(L'[');
  if (bracket == std::wstring_view::npos) return {word, {}};
  const size_t start = bracket + 1;
  // "Sales[" has nothing between its "[" and its last character.
  const size_t end = word.size() - 1;
  return {word.substr(0, bracket),
          start < end ? word.substr(start, end - start) : std::wstring_view()};
}

bool IsBareTableReference(std::wstring_view word) {
  return word.size() >= 2 && word.front() == L'[' && ClosingBracket(word, 0) == word.size() - 1;
}

std::optional<CellRect> ResolveTableItem(const TableRecord& table, std::wstring_view item,
                                         const CellPos& currentCell) {
  if (item.empty()) return std::nullopt;
  if (item.front() != L'#' && item != L"@") {
    for (const TableColumnRecord& column : table.columns) {
      if (EqualsNoCase(column.name, item)) return column.dataBody;
    }
    return std::nullopt;
  }
  if (EqualsNoCase(item, L"#Data")) return table.dataBody;
  if (EqualsNoCase(item, L"#Headers")) return table.headerRow;
  if (EqualsNoCase(item, L"#Totals")) return table.totalsRow;
  if (EqualsNoCase(item, L"#This Row") || item == L"@") {
    const CellRect& whole = table.whole;
    if (currentCell.row < whole.first.row || currentCell.row > whole.last.row) return std::nullopt;
    const int32_t sheet = whole.last.sheet;
    return CellRect{{sheet, whole.first.column, currentCell.row},
                    {sheet, whole.last.column, currentCell.row}};
  }
  return table.whole;
}

std::optional<CellRect> ResolveTableSpecifier(const TableRecord& table,
                                              std::wstring_view bracketPart,
                                              const CellPos& currentCell) {
  const std::wstring_view part = Trim(bracketPart);
  if (part.empty()) return table.dataBody;
  if (part.front() == L'#') return ResolveTableItem(table, part, currentCell);
  Selection selection;
  if (part.front() == L'[') {
    ReadItemList(table, part, selection);
  } else if (part.front() == L'@') {
    selection.rows = kRowsThisRow;
    const std::wstring_view columns = Trim(part.substr(1));
    if (!columns.empty() && columns.front() == L'[') {
      ReadItemList(table, columns, selection);
    } else if (!columns.empty()) {
      const int column = FindColumn(table, columns);
      selection.AddColumns(column, column);
    }
  } else {
    // One column as written; blanks at its ends belong to the name when a column has them.
    int column = FindColumn(table, bracketPart);
    if (column < 0) column = FindColumn(table, part);
    if (column < 0) return std::nullopt;
    return table.columns[static_cast<size_t>(column)].dataBody;
  }
  return Rectangle(table, selection, currentCell);
}
