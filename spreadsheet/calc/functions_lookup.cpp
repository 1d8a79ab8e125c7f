// Worksheet functions: lookup and reference. Functions that pick cells (INDEX, OFFSET, CHOOSE,
// INDIRECT, XLOOKUP) give references, so that their results can stand where ranges do.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/char_class.h"
#include "spreadsheet/calc/criteria.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/model/column_letters.h"

namespace spreadsheet {

namespace {

EvalValue Fail(ErrorCode code) {
  return EvalValue::Error(code);
}

// A rectangle of values to search or pick from: one area of a reference, read cell by cell and
// only where the sheet holds anything, or an array (a scalar is a one-by-one array).
class CGrid {
 public:
  std::optional<EvalValue> Load(const EvalValue& value, CFunctionContext& context) {
    context_ = &context;
    if (value.IsError()) return value;
    if (value.IsReference()) {
      const std::vector<Area>& areas = value.AsAreas();
      if (areas.size() != 1) return Fail(ErrorCode::Value);
      reference_ = true;
      area_ = areas.front();
      rows_ = area_.rect.Rows();
      columns_ = area_.rect.Columns();
      used_ = context.UsedPart(area_);
      return std::nullopt;
    }
    if (value.IsArray()) {
      holder_ = value;
    } else {
      holder_ = EvalValue::Array(ValueArray{1, 1, {value}});
    }
    rows_ = holder_.AsArray().rows;
    columns_ = holder_.AsArray().columns;
    return std::nullopt;
  }

  std::int32_t Rows() const { return rows_; }
  std::int32_t Columns() const { return columns_; }
  bool IsReference() const { return reference_; }
  const Area& GetArea() const { return area_; }
  // Rows and columns from these counts on hold only blanks.
  std::int32_t UsedRows() const {
    if (!reference_) return rows_;
    return used_ ? used_->last.row - area_.rect.first.row + 1 : 0;
  }
  std::int32_t UsedColumns() const {
    if (!reference_) return columns_;
    return used_ ? used_->last.column - area_.rect.first.column + 1 : 0;
  }

  EvalValue At(std::int32_t row, std::int32_t column) const {
    if (!reference_) return holder_.AsArray().At(row, column);
    const CellCoord cell{area_.rect.first.row + row, area_.rect.first.column + column};
    if (!used_ || !used_->Contains(cell)) return EvalValue();
    return context_->CellValueAt(area_, cell);
  }

  // A block of the grid: cells of the area as a reference, or a smaller array.
  EvalValue Part(std::int32_t row, std::int32_t column, std::int32_t rows,
                 std::int32_t columns) const {
    if (reference_) {
      Area part = area_;
      part.rect.first = {area_.rect.first.row + row, area_.rect.first.column + column};
      part.rect.last = {part.rect.first.row + rows - 1, part.rect.first.column + columns - 1};
      return EvalValue::Reference(part);
    }
    if (rows == 1 && columns == 1) return At(row, column);
    ValueArray out{rows, columns, {}};
    out.cells.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
    for (std::int32_t r = 0; r < rows; ++r) {
      for (std::int32_t c = 0; c < columns; ++c) out.cells.push_back(At(row + r, column + c));
    }
    return EvalValue::Array(std::move(out));
  }

 private:
  CFunctionContext* context_ = nullptr;
  bool reference_ = false;
  Area area_;
  std::optional<CellRect> used_;
  EvalValue holder_;
  std::int32_t rows_ = 0;
  std::int32_t columns_ = 0;
};

// One row (`across`) or column of a grid.
struct CLine {
  const CGrid* grid = nullptr;
  bool across = false;
  std::int32_t fixed = 0;

  std::int32_t Size() const { return across ? grid->Columns() : grid->Rows(); }
  std::int32_t UsedSize() const {
    return std::min(Size(), across ? grid->UsedColumns() : grid->UsedRows());
  }
  EvalValue At(std::int32_t i) const { return across ? grid->At(fixed, i) : grid->At(i, fixed); }
};

// Lookups compare numbers with numbers, text with text and Booleans with Booleans only; blanks
// and errors are stepped over.
int ClassOf(const EvalValue& value) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Number:
      return 0;
    case EvalValue::Kind::Text:
      return 1;
    case EvalValue::Kind::Boolean:
      return 2;
    default:
      return -1;
  }
}

// A blank looked up is 0.
EvalValue KeyOf(const EvalValue& value) {
  return value.IsEmpty() ? EvalValue::Number(0.0) : value;
}

int CompareSameClass(const EvalValue& a, const EvalValue& b) {
  if (a.IsText()) return CompareTextIgnoringCase(a.AsText(), b.AsText());
  const double x = a.AsNumber();
  const double y = b.AsNumber();
  return x < y ? -1 : (x > y ? 1 : 0);
}

// Equality for exact matches; text keys with ? * ~ are patterns when `wildcards`.
class CExactKey {
 public:
  CExactKey(const EvalValue& key, bool wildcards)
      : key_(KeyOf(key)), pattern_(wildcards && key_.IsText() && HasWildcards(key_.AsText())) {}
  bool Matches(const EvalValue& value) const {
    if (ClassOf(value) != ClassOf(key_)) return false;
    if (pattern_) return WildcardMatch(key_.AsText(), value.AsText());
    return CompareSameClass(value, key_) == 0;
  }

 private:
  EvalValue key_;
  bool pattern_;
};

std::optional<std::int32_t> FindExact(const CLine& line, const EvalValue& key, bool wildcards,
                                      bool lastFirst = false) {
  const CExactKey exact(key, wildcards);
  const std::int32_t used = line.UsedSize();
  for (std::int32_t step = 0; step < used; ++step) {
    const std::int32_t i = lastFirst ? used - 1 - step : step;
    if (exact.Matches(line.At(i))) return i;
  }
  return std::nullopt;
}

// The binary search of sorted lookups: the last position whose value is not beyond the key
// (not greater for ascending data, not smaller for `descending`). On unsorted data it lands
// where Excel's does; a probe on a blank or a value of another kind moves down to the nearest
// comparable value.
std::optional<std::int32_t> FindSorted(const CLine& line, const EvalValue& rawKey,
                                       bool descending = false) {
  const EvalValue key = KeyOf(rawKey);
  const int keyClass = ClassOf(key);
  if (keyClass < 0) return std::nullopt;
  std::int32_t low = 0;
  std::int32_t high = line.UsedSize() - 1;
  std::optional<std::int32_t> found;
  while (low <= high) {
    const std::int32_t middle = low + (high - low) / 2;
    std::int32_t probe = middle;
    EvalValue value = line.At(probe);
    while (ClassOf(value) != keyClass && probe > low) value = line.At(--probe);
    if (ClassOf(value) != keyClass) {
      low = middle + 1;
      continue;
    }
    int comparison = CompareSameClass(value, key);
    if (descending) comparison = -comparison;
    if (comparison <= 0) {
      found = probe;
      low = middle + 1;
    } else {
      high = probe - 1;
    }
  }
  return found;
}

// MATCH's type -1 reads from the top: an equal value, or the last before the first smaller one.
std::optional<std::int32_t> FindDescending(const CLine& line, const EvalValue& rawKey) {
  const EvalValue key = KeyOf(rawKey);
  const int keyClass = ClassOf(key);
  if (keyClass < 0) return std::nullopt;
  std::optional<std::int32_t> found;
  const std::int32_t used = line.UsedSize();
  for (std::int32_t i = 0; i < used; ++i) {
    const EvalValue value = line.At(i);
    if (ClassOf(value) != keyClass) continue;
    const int comparison = CompareSameClass(value, key);
    if (comparison == 0) return i;
    if (comparison < 0) break;
    found = i;
  }
  return found;
}

// The next comparable position after `from`, for XMATCH's "next larger" on sorted data.
std::optional<std::int32_t> NextComparable(const CLine& line, std::int32_t from, int keyClass) {
  const std::int32_t used = line.UsedSize();
  for (std::int32_t i = from + 1; i < used; ++i) {
    if (ClassOf(line.At(i)) == keyClass) return i;
  }
  return std::nullopt;
}

// XMATCH and XLOOKUP: match mode 0 exact, -1 exact or next smaller, 1 exact or next larger,
// 2 wildcards; search mode 1 first to last, -1 last to first, 2 and -2 binary over ascending
// and descending data.
std::optional<std::int32_t> FindX(const CLine& line, const EvalValue& rawKey, int matchMode,
                                  int searchMode) {
  const EvalValue key = KeyOf(rawKey);
  const int keyClass = ClassOf(key);
  if (keyClass < 0) return std::nullopt;
  if (searchMode == 2 || searchMode == -2) {
    const bool descending = searchMode == -2;
    const std::optional<std::int32_t> at = FindSorted(line, key, descending);
    if (at && CompareSameClass(line.At(*at), key) == 0) return at;
    if (matchMode == 0 || matchMode == 2) return std::nullopt;
    // Ascending data has the next smaller value at `at` and the next larger after it;
    // descending data the other way round.
    const bool wantAt = (matchMode == -1) != descending;
    if (wantAt) return at;
    return NextComparable(line, at ? *at : -1, keyClass);
  }
  const CExactKey exact(key, matchMode == 2);
  const std::int32_t used = line.UsedSize();
  std::optional<std::int32_t> best;
  EvalValue bestValue;
  for (std::int32_t step = 0; step < used; ++step) {
    const std::int32_t i = searchMode == -1 ? used - 1 - step : step;
    const EvalValue value = line.At(i);
    if (exact.Matches(value)) return i;
    if (matchMode != -1 && matchMode != 1) continue;
    if (ClassOf(value) != keyClass) continue;
    const int comparison = CompareSameClass(value, key);
    if (comparison * matchMode <= 0) continue;
    if (!best || CompareSameClass(value, bestValue) * matchMode < 0) {
      best = i;
      bestValue = value;
    }
  }
  return best;
}

// ----- VLOOKUP, HLOOKUP, LOOKUP, MATCH, XMATCH, XLOOKUP ------------------------------------------

EvalValue TableLookup(std::span<const EvalValue> args, CFunctionContext& context, bool vertical) {
  if (args[0].IsError()) return args[0];
  CGrid table;
  if (auto error = table.Load(args[1], context)) return *error;
  std::int64_t index = 0;
  if (auto error = GetInteger(args[2], index)) return *error;
  bool sorted = true;
  if (args.size() > 3) {
    if (auto error = GetBoolean(args[3], sorted)) return *error;
  }
  if (index < 1) return Fail(ErrorCode::Value);
  if (index > (vertical ? table.Columns() : table.Rows())) return Fail(ErrorCode::Ref);
  const CLine keys{&table, !vertical, 0};
  const std::optional<std::int32_t> at =
      sorted ? FindSorted(keys, args[0]) : FindExact(keys, args[0], true);
  if (!at) return Fail(ErrorCode::NA);
  const auto pick = static_cast<std::int32_t>(index - 1);
  return vertical ? table.At(*at, pick) : table.At(pick, *at);
}

EvalValue Vlookup(std::span<const EvalValue> args, CFunctionContext& context) {
  return TableLookup(args, context, true);
}

EvalValue Hlookup(std::span<const EvalValue> args, CFunctionContext& context) {
  return TableLookup(args, context, false);
}

EvalValue Lookup(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  CGrid searched;
  if (auto error = searched.Load(args[1], context)) return *error;
  // A table wider than tall is searched along its first row, others down the first column.
  const bool across = searched.Columns() > searched.Rows();
  const std::optional<std::int32_t> at = FindSorted(CLine{&searched, across, 0}, args[0]);
  if (!at) return Fail(ErrorCode::NA);
  if (args.size() < 3) {
    return across ? searched.At(searched.Rows() - 1, *at)
                  : searched.At(*at, searched.Columns() - 1);
  }
  const EvalValue& result = args[2];
  if (result.IsError()) return result;
  if (result.IsReference()) {
    const std::vector<Area>& areas = result.AsAreas();
    if (areas.size() != 1) return Fail(ErrorCode::NA);
    const Area& area = areas.front();
    if (area.rect.Rows() > 1 && area.rect.Columns() > 1) return Fail(ErrorCode::NA);
    // A result vector shorter than the lookup vector reads on past its end, as Excel's does.
    const bool resultAcross = area.rect.Rows() == 1 && area.rect.Columns() > 1;
    CellCoord cell = area.rect.first;
    (resultAcross ? cell.column : cell.row) += *at;
    if (!IsOnSheet(cell)) return Fail(ErrorCode::Ref);
    return context.CellValueAt(area, cell);
  }
  CGrid values;
  if (auto error = values.Load(result, context)) return *error;
  if (values.Rows() > 1 && values.Columns() > 1) return Fail(ErrorCode::NA);
  const CLine line{&values, values.Rows() == 1, 0};
  if (*at >= line.Size()) return Fail(ErrorCode::NA);
  return line.At(*at);
}

EvalValue Match(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  CGrid searched;
  if (auto error = searched.Load(args[1], context)) return *error;
  double type = 1.0;
  if (args.size() > 2) {
    if (auto error = GetNumber(args[2], type)) return *error;
  }
  if (searched.Rows() > 1 && searched.Columns() > 1) return Fail(ErrorCode::NA);
  const CLine line{&searched, searched.Rows() == 1, 0};
  const std::optional<std::int32_t> at = type > 0.0   ? FindSorted(line, args[0])
                                         : type < 0.0 ? FindDescending(line, args[0])
                                                      : FindExact(line, args[0], true);
  if (!at) return Fail(ErrorCode::NA);
  return EvalValue::Number(*at + 1);
}

// XMATCH's and XLOOKUP's modes, checked.
std::optional<EvalValue> GetModes(std::span<const EvalValue> args, std::size_t first,
                                  int& matchMode, int& searchMode) {
  std::int64_t match = 0;
  std::int64_t search = 1;
  if (args.size() > first && !args[first].IsEmpty()) {
    if (auto error = GetInteger(args[first], match)) return error;
  }
  if (args.size() > first + 1 && !args[first + 1].IsEmpty()) {
    if (auto error = GetInteger(args[first + 1], search)) return error;
  }
  if (match < -1 || match > 2) return Fail(ErrorCode::Value);
  if (search != 1 && search != -1 && search != 2 && search != -2) return Fail(ErrorCode::Value);
  matchMode = static_cast<int>(match);
  searchMode = static_cast<int>(search);
  return std::nullopt;
}

EvalValue Xmatch(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  CGrid searched;
  if (auto error = searched.Load(args[1], context)) return *error;
  int matchMode = 0;
  int searchMode = 1;
  if (auto error = GetModes(args, 2, matchMode, searchMode)) return *error;
  if (searched.Rows() > 1 && searched.Columns() > 1) return Fail(ErrorCode::NA);
  const std::optional<std::int32_t> at =
      FindX(CLine{&searched, searched.Rows() == 1, 0}, args[0], matchMode, searchMode);
  if (!at) return Fail(ErrorCode::NA);
  return EvalValue::Number(*at + 1);
}

EvalValue Xlookup(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  CGrid searched;
  if (auto error = searched.Load(args[1], context)) return *error;
  CGrid results;
  if (auto error = results.Load(args[2], context)) return *error;
  int matchMode = 0;
  int searchMode = 1;
  if (auto error = GetModes(args, 4, matchMode, searchMode)) return *error;
  if (searched.Rows() > 1 && searched.Columns() > 1) return Fail(ErrorCode::Value);
  const bool across = searched.Rows() == 1 && searched.Columns() > 1;
  // The return array runs the same way as the lookup array and as far.
  if (across ? results.Columns() != searched.Columns() : results.Rows() != searched.Rows()) {
    return Fail(ErrorCode::Value);
  }
  const std::optional<std::int32_t> at =
      FindX(CLine{&searched, across, 0}, args[0], matchMode, searchMode);
  if (!at) {
    if (args.size() > 3 && !args[3].IsEmpty()) return args[3];
    return Fail(ErrorCode::NA);
  }
  return across ? results.Part(0, *at, results.Rows(), 1)
                : results.Part(*at, 0, 1, results.Columns());
}

// ----- INDEX, OFFSET, INDIRECT, CHOOSE
// ------------------------------------------------------------

EvalValue Index(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  std::int64_t row = 0;
  std::int64_t column = 0;
  std::int64_t areaNumber = 1;
  if (args.size() > 1) {
    if (auto error = GetInteger(args[1], row)) return *error;
  }
  const bool columnGiven = args.size() > 2 && !args[2].IsEmpty();
  if (columnGiven) {
    if (auto error = GetInteger(args[2], column)) return *error;
  }
  if (args.size() > 3 && !args[3].IsEmpty()) {
    if (auto error = GetInteger(args[3], areaNumber)) return *error;
  }
  if (row < 0 || column < 0) return Fail(ErrorCode::Value);
  CGrid grid;
  if (args[0].IsReference()) {
    const std::vector<Area>& areas = args[0].AsAreas();
    if (areaNumber < 1 || areaNumber > static_cast<std::int64_t>(areas.size())) {
      return Fail(ErrorCode::Ref);
    }
    if (auto error = grid.Load(
            EvalValue::Reference(areas[static_cast<std::size_t>(areaNumber - 1)]), context)) {
      return *error;
    }
  } else {
    if (areaNumber != 1) return Fail(ErrorCode::Ref);
    if (auto error = grid.Load(args[0], context)) return *error;
  }
  // One index into a single row picks a column.
  if (!columnGiven && grid.Rows() == 1) std::swap(row, column);
  if (row > grid.Rows() || column > grid.Columns()) return Fail(ErrorCode::Ref);
  const auto r = static_cast<std::int32_t>(row);
  const auto c = static_cast<std::int32_t>(column);
  return grid.Part(r == 0 ? 0 : r - 1, c == 0 ? 0 : c - 1, r == 0 ? grid.Rows() : 1,
                   c == 0 ? grid.Columns() : 1);
}

EvalValue Offset(std::span<const EvalValue> args, CFunctionContext&) {
  if (args[0].IsError()) return args[0];
  if (!args[0].IsReference() || args[0].AsAreas().size() != 1) return Fail(ErrorCode::Value);
  const Area& base = args[0].AsAreas().front();
  std::int64_t rows = 0;
  std::int64_t columns = 0;
  std::int64_t height = base.rect.Rows();
  std::int64_t width = base.rect.Columns();
  if (auto error = GetInteger(args[1], rows)) return *error;
  if (auto error = GetInteger(args[2], columns)) return *error;
  if (args.size() > 3 && !args[3].IsEmpty()) {
    if (auto error = GetInteger(args[3], height)) return *error;
  }
  if (args.size() > 4 && !args[4].IsEmpty()) {
    if (auto error = GetInteger(args[4], width)) return *error;
  }
  if (height == 0 || width == 0) return Fail(ErrorCode::Ref);
  // A negative height or width reaches up or left from the moved corner.
  const std::int64_t top = base.rect.first.row + rows;
  const std::int64_t left = base.rect.first.column + columns;
  const std::int64_t firstRow = height > 0 ? top : top + height + 1;
  const std::int64_t lastRow = height > 0 ? top + height - 1 : top;
  const std::int64_t firstColumn = width > 0 ? left : left + width + 1;
  const std::int64_t lastColumn = width > 0 ? left + width - 1 : left;
  if (firstRow < 1 || lastRow > kMaxRows || firstColumn < 1 || lastColumn > kMaxColumns) {
    return Fail(ErrorCode::Ref);
  }
  Area moved = base;
  moved.rect = {{static_cast<std::int32_t>(firstRow), static_cast<std::int32_t>(firstColumn)},
                {static_cast<std::int32_t>(lastRow), static_cast<std::int32_t>(lastColumn)}};
  return EvalValue::Reference(moved);
}

EvalValue Indirect(std::span<const EvalValue> args, CFunctionContext& context) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  bool a1 = true;
  if (args.size() > 1) {
    if (auto error = GetBoolean(args[1], a1)) return *error;
  }
  return context.ReferenceFromText(text, a1);
}

EvalValue Choose(std::span<const EvalValue> args, CFunctionContext&) {
  std::int64_t index = 0;
  if (auto error = GetInteger(args[0], index)) return *error;
  if (index < 1 || index >= static_cast<std::int64_t>(args.size())) return Fail(ErrorCode::Value);
  return args[static_cast<std::size_t>(index)];
}

// ----- ROW, COLUMN, ROWS, COLUMNS, AREAS
// ----------------------------------------------------------

EvalValue RowOrColumn(std::span<const EvalValue> args, CFunctionContext& context, bool row) {
  if (args.empty() || args[0].IsEmpty()) {
    return EvalValue::Number(row ? context.Cell().row : context.Cell().column);
  }
  if (args[0].IsError()) return args[0];
  if (!args[0].IsReference()) return Fail(ErrorCode::Value);
  if (args[0].AsAreas().size() != 1) return Fail(ErrorCode::Ref);
  const CellRect& rect = args[0].AsAreas().front().rect;
  const std::int32_t first = row ? rect.first.row : rect.first.column;
  const std::int32_t count = row ? rect.Rows() : rect.Columns();
  if (count == 1 || !context.ArrayMode()) return EvalValue::Number(first);
  ValueArray numbers{row ? count : 1, row ? 1 : count, {}};
  numbers.cells.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) numbers.cells.push_back(EvalValue::Number(first + i));
  return EvalValue::Array(std::move(numbers));
}

EvalValue Row(std::span<const EvalValue> args, CFunctionContext& context) {
  return RowOrColumn(args, context, true);
}

EvalValue Column(std::span<const EvalValue> args, CFunctionContext& context) {
  return RowOrColumn(args, context, false);
}

EvalValue RowsOrColumns(const EvalValue& arg, bool rows) {
  if (arg.IsError()) return arg;
  if (arg.IsReference()) {
    if (arg.AsAreas().size() != 1) return Fail(ErrorCode::Ref);
    const CellRect& rect = arg.AsAreas().front().rect;
    return EvalValue::Number(rows ? rect.Rows() : rect.Columns());
  }
  if (arg.IsArray()) return EvalValue::Number(rows ? arg.AsArray().rows : arg.AsArray().columns);
  return EvalValue::Number(1.0);
}

EvalValue Rows(std::span<const EvalValue> args, CFunctionContext&) {
  return RowsOrColumns(args[0], true);
}

EvalValue Columns(std::span<const EvalValue> args, CFunctionContext&) {
  return RowsOrColumns(args[0], false);
}

EvalValue Areas(std::span<const EvalValue> args, CFunctionContext&) {
  if (args[0].IsError()) return args[0];
  if (!args[0].IsReference()) return Fail(ErrorCode::Value);
  return EvalValue::Number(static_cast<double>(args[0].AsAreas().size()));
}

// ----- ADDRESS, HYPERLINK
// -------------------------------------------------------------------------

// Names that read as a cell ("A1", "XFD7", "R1C1", "RC", "R", "C") must be quoted.
bool LooksLikeCell(std::wstring_view name) {
  std::size_t letters = 0;
  while (letters < name.size() && IsAsciiLetter(name[letters])) ++letters;
  std::size_t digits = letters;
  while (digits < name.size() && IsAsciiDigit(name[digits])) ++digits;
  if (letters >= 1 && letters <= 3 && digits > letters && digits == name.size()) return true;
  const std::wstring upper = ToUpper(name);
  std::size_t i = 0;
  if (i < upper.size() && upper[i] == L'R') {
    ++i;
    while (i < upper.size() && IsAsciiDigit(upper[i])) ++i;
  }
  if (i < upper.size() && upper[i] == L'C') {
    ++i;
    while (i < upper.size() && IsAsciiDigit(upper[i])) ++i;
  }
  return i > 0 && i == upper.size();
}

std::wstring SheetPrefixText(std::wstring_view sheet) {
  // A workbook part "[Book.xlsx]" is kept as written; the sheet after it decides the quotes.
  std::wstring_view name = sheet;
  if (!name.empty() && name.front() == L'[') {
    const std::size_t close = name.find(L']');
    if (close != std::wstring_view::npos) name.remove_prefix(close + 1);
  }
  bool plain = !name.empty() && !IsAsciiDigit(name.front()) && !LooksLikeCell(name);
  for (const wchar_t c : name) {
    if (!(IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c > 0x7F)) plain = false;
  }
  if (plain || sheet.empty()) return std::wstring(sheet) + L"!";
  std::wstring quoted = L"'";
  for (const wchar_t c : sheet) {
    quoted += c;
    if (c == L'\'') quoted += L'\'';
  }
  return quoted + L"'!";
}

EvalValue Address(std::span<const EvalValue> args, CFunctionContext&) {
  std::int64_t row = 0;
  std::int64_t column = 0;
  std::int64_t kind = 1;
  bool a1 = true;
  if (auto error = GetInteger(args[0], row)) return *error;
  if (auto error = GetInteger(args[1], column)) return *error;
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (auto error = GetInteger(args[2], kind)) return *error;
  }
  if (args.size() > 3) {
    if (auto error = GetBoolean(args[3], a1)) return *error;
  }
  std::wstring sheet;
  const bool hasSheet = args.size() > 4;
  if (hasSheet) {
    if (auto error = GetText(args[4], sheet)) return *error;
  }
  if (kind < 1 || kind > 4) return Fail(ErrorCode::Value);
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
    return Fail(ErrorCode::Value);
  }
  const bool absoluteRow = kind == 1 || kind == 2;
  const bool absoluteColumn = kind == 1 || kind == 3;
  std::wstring text = hasSheet ? SheetPrefixText(sheet) : std::wstring();
  if (a1) {
    if (absoluteColumn) text += L'$';
    text += ColumnLetters(static_cast<std::int32_t>(column));
    if (absoluteRow) text += L'$';
    text += std::to_wstring(row);
  } else {
    text += absoluteRow ? L"R" + std::to_wstring(row) : L"R[" + std::to_wstring(row) + L"]";
    text +=
        absoluteColumn ? L"C" + std::to_wstring(column) : L"C[" + std::to_wstring(column) + L"]";
  }
  return EvalValue::Text(std::move(text));
}

EvalValue Hyperlink(std::span<const EvalValue> args, CFunctionContext&) {
  if (args[0].IsError()) return args[0];
  return args.size() > 1 ? args[1] : args[0];
}

// ----- Arrays: TRANSPOSE and the dynamic-array functions -----------------------------------------

EvalValue ArrayResult(std::int32_t rows, std::int32_t columns, std::vector<EvalValue> cells) {
  return EvalValue::Array(ValueArray{rows, columns, std::move(cells)});
}

std::optional<EvalValue> LoadArray(const EvalValue& value, CFunctionContext& context,
                                   ValueArray& out) {
  if (value.IsError()) return value;
  return GetArray(value, context, out);
}

EvalValue Transpose(std::span<const EvalValue> args, CFunctionContext& context) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  std::vector<EvalValue> cells;
  cells.reserve(in.cells.size());
  for (std::int32_t c = 0; c < in.columns; ++c) {
    for (std::int32_t r = 0; r < in.rows; ++r) cells.push_back(in.At(r, c));
  }
  return ArrayResult(in.columns, in.rows, std::move(cells));
}

// Rows (or, transposed, columns) of an array as lists of values, for functions that treat
// either the same way.
std::vector<std::vector<EvalValue>> Lines(const ValueArray& in, bool byColumn) {
  const std::int32_t count = byColumn ? in.columns : in.rows;
  const std::int32_t length = byColumn ? in.rows : in.columns;
  std::vector<std::vector<EvalValue>> lines(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    auto& line = lines[static_cast<std::size_t>(i)];
    line.reserve(static_cast<std::size_t>(length));
    for (std::int32_t j = 0; j < length; ++j) line.push_back(byColumn ? in.At(j, i) : in.At(i, j));
  }
  return lines;
}

EvalValue FromLines(const std::vector<std::vector<EvalValue>>& lines, bool byColumn) {
  if (lines.empty()) return Fail(ErrorCode::Calc);
  const auto count = static_cast<std::int32_t>(lines.size());
  const auto length = static_cast<std::int32_t>(lines.front().size());
  std::vector<EvalValue> cells(lines.size() * lines.front().size());
  for (std::int32_t i = 0; i < count; ++i) {
    for (std::int32_t j = 0; j < length; ++j) {
      const std::int32_t r = byColumn ? j : i;
      const std::int32_t c = byColumn ? i : j;
      const std::int32_t columns = byColumn ? count : length;
      cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
            static_cast<std::size_t>(c)] =
          lines[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }
  }
  return byColumn ? ArrayResult(length, count, std::move(cells))
                  : ArrayResult(count, length, std::move(cells));
}

std::optional<EvalValue> OptionalBoolean(std::span<const EvalValue> args, std::size_t index,
                                         bool& out) {
  out = false;
  if (args.size() <= index) return std::nullopt;
  return GetBoolean(args[index], out);
}

// A key for equality of rows as UNIQUE sees it: text without regard to case.
std::wstring LineKey(const std::vector<EvalValue>& line) {
  std::wstring key;
  for (const EvalValue& value : line) {
    switch (value.GetKind()) {
      case EvalValue::Kind::Number: {
        double number = value.AsNumber();
        if (number == 0.0) number = 0.0;  // -0 is 0.
        std::uint64_t bits = 0;
        std::memcpy(&bits, &number, sizeof number);
        key += L'n';
        key += std::to_wstring(bits);
        break;
      }
      case EvalValue::Kind::Text:
        key += L't';
        key += std::to_wstring(value.AsText().size());
        key += L':';
        key += ToUpper(value.AsText());
        break;
      case EvalValue::Kind::Boolean:
        key += value.AsBoolean() ? L"T" : L"F";
        break;
      case EvalValue::Kind::Error:
        key += L'e';
        key += std::to_wstring(static_cast<int>(value.AsError()));
        break;
      default:
        key += L'_';
        break;
    }
    key += L'|';
  }
  return key;
}

EvalValue Unique(std::span<const EvalValue> args, CFunctionContext& context) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  bool byColumn = false;
  bool exactlyOnce = false;
  if (auto error = OptionalBoolean(args, 1, byColumn)) return *error;
  if (auto error = OptionalBoolean(args, 2, exactlyOnce)) return *error;
  const std::vector<std::vector<EvalValue>> lines = Lines(in, byColumn);
  std::unordered_map<std::wstring, std::size_t> counts;
  std::vector<std::size_t> firsts;
  std::vector<std::wstring> keys;
  keys.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    keys.push_back(LineKey(lines[i]));
    if (counts[keys.back()]++ == 0) firsts.push_back(i);
  }
  std::vector<std::vector<EvalValue>> kept;
  for (const std::size_t i : firsts) {
    if (!exactlyOnce || counts[keys[i]] == 1) kept.push_back(lines[i]);
  }
  return FromLines(kept, byColumn);
}

// SORT's order of values: numbers, text, FALSE, TRUE, errors; blanks last either way.
int SortRank(const EvalValue& value) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Number:
      return 0;
    case EvalValue::Kind::Text:
      return 1;
    case EvalValue::Kind::Boolean:
      return 2;
    case EvalValue::Kind::Error:
      return 3;
    default:
      return 4;
  }
}

int SortCompare(const EvalValue& a, const EvalValue& b, bool descending) {
  const int ra = SortRank(a);
  const int rb = SortRank(b);
  if (ra == 4 || rb == 4) return ra == rb ? 0 : (ra < rb ? -1 : 1);
  int comparison = 0;
  if (ra != rb) {
    comparison = ra < rb ? -1 : 1;
  } else if (ra == 0 || ra == 1 || ra == 2) {
    comparison = CompareSameClass(a, b);
  }
  return descending ? -comparison : comparison;
}

struct SortKey {
  std::vector<EvalValue> values;  // One per line being sorted.
  bool descending = false;
};

std::vector<std::vector<EvalValue>> SortLines(std::vector<std::vector<EvalValue>> lines,
                                              const std::vector<SortKey>& keys) {
  std::vector<std::size_t> order(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    for (const SortKey& key : keys) {
      const int comparison = SortCompare(key.values[x], key.values[y], key.descending);
      if (comparison != 0) return comparison < 0;
    }
    return false;
  });
  std::vector<std::vector<EvalValue>> sorted;
  sorted.reserve(lines.size());
  for (const std::size_t i : order) sorted.push_back(std::move(lines[i]));
  return sorted;
}

// Integers given as a scalar or an array (SORT's indexes, CHOOSEROWS' numbers).
std::optional<EvalValue> GetIntegers(const EvalValue& value, CFunctionContext& context,
                                     std::vector<std::int64_t>& out) {
  ValueArray values;
  if (auto error = LoadArray(value, context, values)) return error;
  for (const EvalValue& element : values.cells) {
    std::int64_t number = 0;
    if (auto error = GetInteger(element, number)) return error;
    out.push_back(number);
  }
  return std::nullopt;
}

std::optional<EvalValue> GetOrder(const EvalValue& value, bool& descending) {
  std::int64_t order = 1;
  if (!value.IsEmpty()) {
    if (auto error = GetInteger(value, order)) return error;
  }
  if (order != 1 && order != -1) return Fail(ErrorCode::Value);
  descending = order == -1;
  return std::nullopt;
}

EvalValue Sort(std::span<const EvalValue> args, CFunctionContext& context) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  bool byColumn = false;
  if (auto error = OptionalBoolean(args, 3, byColumn)) return *error;
  std::vector<std::int64_t> indexes;
  if (args.size() > 1 && !args[1].IsEmpty()) {
    if (auto error = GetIntegers(args[1], context, indexes)) return *error;
  } else {
    indexes.push_back(1);
  }
  std::vector<std::int64_t> orders;
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (auto error = GetIntegers(args[2], context, orders)) return *error;
  }
  const std::vector<std::vector<EvalValue>> lines = Lines(in, byColumn);
  const std::int64_t length = byColumn ? in.rows : in.columns;
  std::vector<SortKey> keys;
  for (std::size_t k = 0; k < indexes.size(); ++k) {
    if (indexes[k] < 1 || indexes[k] > length) return Fail(ErrorCode::Value);
    SortKey key;
    const std::int64_t order = orders.empty() ? 1 : orders[std::min(k, orders.size() - 1)];
    if (auto error = GetOrder(EvalValue::Number(static_cast<double>(order)), key.descending)) {
      return *error;
    }
    for (const auto& line : lines)
      key.values.push_back(line[static_cast<std::size_t>(indexes[k] - 1)]);
    keys.push_back(std::move(key));
  }
  return FromLines(SortLines(lines, keys), byColumn);
}

EvalValue SortBy(std::span<const EvalValue> args, CFunctionContext& context) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  std::vector<SortKey> keys;
  std::optional<bool> byColumn;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    ValueArray by;
    if (auto error = LoadArray(args[i], context, by)) return *error;
    SortKey key;
    if (i + 1 < args.size()) {
      if (auto error = GetOrder(Dereference(args[i + 1], context), key.descending)) return *error;
    }
    // A column of keys sorts rows, a row of keys sorts columns; all alike and of the array's size.
    const bool columnKeys = by.columns == 1 && by.rows == in.rows;
    const bool rowKeys = by.rows == 1 && by.columns == in.columns && !columnKeys;
    if (!columnKeys && !rowKeys) return Fail(ErrorCode::Value);
    if (byColumn && *byColumn != rowKeys) return Fail(ErrorCode::Value);
    byColumn = rowKeys;
    key.values = by.cells;
    keys.push_back(std::move(key));
  }
  const bool columns = byColumn.value_or(false);
  return FromLines(SortLines(Lines(in, columns), keys), columns);
}

EvalValue Filter(std::span<const EvalValue> args, CFunctionContext& context) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  ValueArray include;
  if (auto error = LoadArray(args[1], context, include)) return *error;
  const bool rows = include.columns == 1 && include.rows == in.rows;
  const bool columns = !rows && include.rows == 1 && include.columns == in.columns;
  if (!rows && !columns) return Fail(ErrorCode::Value);
  const std::vector<std::vector<EvalValue>> lines = Lines(in, columns);
  std::vector<std::vector<EvalValue>> kept;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const EvalValue& flag = include.cells[i];
    if (flag.IsError()) return flag;
    if (flag.IsText()) return Fail(ErrorCode::Value);
    if (flag.AsNumber() != 0.0) kept.push_back(lines[i]);
  }
  if (kept.empty()) {
    if (args.size() > 2) return args[2];
    return Fail(ErrorCode::Calc);
  }
  return FromLines(kept, columns);
}

// TAKE's and DROP's counts: from the start when positive, from the end when negative.
std::optional<EvalValue> GetCount(std::span<const EvalValue> args, std::size_t index,
                                  std::int64_t whole, std::int64_t& out) {
  out = whole;
  if (args.size() <= index || args[index].IsEmpty()) return std::nullopt;
  return GetInteger(args[index], out);
}

EvalValue TakeOrDrop(std::span<const EvalValue> args, CFunctionContext& context, bool take) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  std::int64_t rows = 0;
  std::int64_t columns = 0;
  if (auto error = GetCount(args, 1, take ? in.rows : 0, rows)) return *error;
  if (auto error = GetCount(args, 2, take ? in.columns : 0, columns)) return *error;
  // Rows [first, last) and columns [left, right) survive.
  auto keep = [take](std::int64_t count, std::int64_t whole, std::int64_t& first,
                     std::int64_t& last) {
    const std::int64_t n = std::min(std::abs(count), whole);
    if (take) {
      first = count >= 0 ? 0 : whole - n;
      last = count >= 0 ? n : whole;
    } else {
      first = count >= 0 ? n : 0;
      last = count >= 0 ? whole : whole - n;
    }
  };
  std::int64_t top = 0;
  std::int64_t bottom = 0;
  std::int64_t left = 0;
  std::int64_t right = 0;
  keep(rows, in.rows, top, bottom);
  keep(columns, in.columns, left, right);
  if (bottom <= top || right <= left) return Fail(ErrorCode::Calc);
  std::vector<EvalValue> cells;
  for (std::int64_t r = top; r < bottom; ++r) {
    for (std::int64_t c = left; c < right; ++c) {
      cells.push_back(in.At(static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)));
    }
  }
  return ArrayResult(static_cast<std::int32_t>(bottom - top),
                     static_cast<std::int32_t>(right - left), std::move(cells));
}

EvalValue Take(std::span<const EvalValue> args, CFunctionContext& context) {
  return TakeOrDrop(args, context, true);
}

EvalValue Drop(std::span<const EvalValue> args, CFunctionContext& context) {
  return TakeOrDrop(args, context, false);
}

EvalValue ChooseLines(std::span<const EvalValue> args, CFunctionContext& context, bool byColumn) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  const std::vector<std::vector<EvalValue>> lines = Lines(in, byColumn);
  const auto count = static_cast<std::int64_t>(lines.size());
  std::vector<std::vector<EvalValue>> chosen;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::vector<std::int64_t> numbers;
    if (auto error = GetIntegers(args[i], context, numbers)) return *error;
    for (const std::int64_t number : numbers) {
      if (number == 0 || number > count || number < -count) return Fail(ErrorCode::Value);
      chosen.push_back(lines[static_cast<std::size_t>(number > 0 ? number - 1 : count + number)]);
    }
  }
  return FromLines(chosen, byColumn);
}

EvalValue ChooseRows(std::span<const EvalValue> args, CFunctionContext& context) {
  return ChooseLines(args, context, false);
}

EvalValue ChooseCols(std::span<const EvalValue> args, CFunctionContext& context) {
  return ChooseLines(args, context, true);
}

// VSTACK and HSTACK: arrays one after another, the short ones padded with #N/A.
EvalValue Stack(std::span<const EvalValue> args, CFunctionContext& context, bool byColumn) {
  std::vector<std::vector<EvalValue>> lines;
  std::size_t length = 0;
  for (const EvalValue& arg : args) {
    ValueArray in;
    if (auto error = LoadArray(arg, context, in)) return *error;
    for (auto& line : Lines(in, byColumn)) {
      length = std::max(length, line.size());
      lines.push_back(std::move(line));
    }
  }
  for (auto& line : lines) line.resize(length, Fail(ErrorCode::NA));
  return FromLines(lines, byColumn);
}

EvalValue Vstack(std::span<const EvalValue> args, CFunctionContext& context) {
  return Stack(args, context, false);
}

EvalValue Hstack(std::span<const EvalValue> args, CFunctionContext& context) {
  return Stack(args, context, true);
}

EvalValue Flatten(std::span<const EvalValue> args, CFunctionContext& context, bool toColumn) {
  ValueArray in;
  if (auto error = LoadArray(args[0], context, in)) return *error;
  std::int64_t ignore = 0;
  if (args.size() > 1 && !args[1].IsEmpty()) {
    if (auto error = GetInteger(args[1], ignore)) return *error;
  }
  bool byColumn = false;
  if (auto error = OptionalBoolean(args, 2, byColumn)) return *error;
  if (ignore < 0 || ignore > 3) return Fail(ErrorCode::Value);
  std::vector<EvalValue> cells;
  for (const auto& line : Lines(in, byColumn)) {
    for (const EvalValue& value : line) {
      if ((ignore & 1) != 0 && value.IsEmpty()) continue;
      if ((ignore & 2) != 0 && value.IsError()) continue;
      cells.push_back(value);
    }
  }
  if (cells.empty()) return Fail(ErrorCode::Calc);
  const auto count = static_cast<std::int32_t>(cells.size());
  return toColumn ? ArrayResult(count, 1, std::move(cells))
                  : ArrayResult(1, count, std::move(cells));
}

EvalValue ToCol(std::span<const EvalValue> args, CFunctionContext& context) {
  return Flatten(args, context, true);
}

EvalValue ToRow(std::span<const EvalValue> args, CFunctionContext& context) {
  return Flatten(args, context, false);
}

}  // namespace

void RegisterLookupFunctions(CFunctionTable& table) {
  AddFunction(table, {L"VLOOKUP", 3, 4, "vrvv", Vlookup});
  AddFunction(table, {L"HLOOKUP", 3, 4, "vrvv", Hlookup});
  AddFunction(table, {L"LOOKUP", 2, 3, "vrr", Lookup});
  AddFunction(table, {L"MATCH", 2, 3, "vrv", Match});
  AddFunction(table, {L"XMATCH", 2, 4, "vav", Xmatch});
  AddFunction(table, {L"XLOOKUP", 3, 6, "vaarv", Xlookup});
  AddFunction(table, {L"INDEX", 2, 4, "av", Index});
  AddFunction(table, {L"OFFSET", 3, 5, "rvvvv", Offset, kVolatile});
  AddFunction(table, {L"INDIRECT", 1, 2, "v", Indirect, kVolatile});
  AddFunction(table, {L"CHOOSE", 2, kManyArgs, "vr", Choose, kSpreadsEveryArgument});
  AddFunction(table, {L"ROW", 0, 1, "r", Row});
  AddFunction(table, {L"COLUMN", 0, 1, "r", Column});
  AddFunction(table, {L"ROWS", 1, 1, "a", Rows});
  AddFunction(table, {L"COLUMNS", 1, 1, "a", Columns});
  AddFunction(table, {L"AREAS", 1, 1, "r", Areas});
  AddFunction(table, {L"ADDRESS", 2, 5, "v", Address});
  AddFunction(table, {L"HYPERLINK", 1, 2, "v", Hyperlink});
  AddFunction(table, {L"TRANSPOSE", 1, 1, "a", Transpose});
  AddFunction(table, {L"UNIQUE", 1, 3, "av", Unique});
  AddFunction(table, {L"SORT", 1, 4, "aaav", Sort});
  AddFunction(table, {L"SORTBY", 2, kManyArgs, "aa", SortBy});
  AddFunction(table, {L"FILTER", 2, 3, "aar", Filter});
  AddFunction(table, {L"TAKE", 2, 3, "av", Take});
  AddFunction(table, {L"DROP", 2, 3, "av", Drop});
  AddFunction(table, {L"CHOOSEROWS", 2, kManyArgs, "aa", ChooseRows});
  AddFunction(table, {L"CHOOSECOLS", 2, kManyArgs, "aa", ChooseCols});
  AddFunction(table, {L"VSTACK", 1, kManyArgs, "a", Vstack});
  AddFunction(table, {L"HSTACK", 1, kManyArgs, "a", Hstack});
  AddFunction(table, {L"TOCOL", 1, 3, "av", ToCol});
  AddFunction(table, {L"TOROW", 1, 3, "av", ToRow});
}

}  // namespace spreadsheet
