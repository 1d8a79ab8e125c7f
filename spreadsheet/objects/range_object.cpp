// The Range object, and the creation functions that hand ranges out.
#include "spreadsheet/objects/range_object.h"

#include <array>
#include <cmath>
#include <limits>

#include "platform/bstr.h"
#include "spreadsheet/calc/number_format.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/areas_object.h"
#include "spreadsheet/objects/borders_object.h"
#include "spreadsheet/objects/font_object.h"
#include "spreadsheet/objects/interior_object.h"
#include "spreadsheet/objects/range_address.h"
#include "spreadsheet/objects/range_cell_scan.h"
#include "spreadsheet/objects/range_content.h"
#include "spreadsheet/objects/range_format_editor.h"
#include "spreadsheet/objects/range_geometry.h"
#include "spreadsheet/objects/range_navigation.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kDefault = DISPID_VALUE,
  kValue = 1,
  kValue2,
  kFormula,
  kFormulaLocal,
  kFormulaArray,
  kText,
  kHasFormula,
  kHasArray,
  kCurrentArray,
  kMergeCells,
  kMergeArea,
  kAddress,
  kAddressLocal,
  kRow,
  kColumn,
  kRows,
  kColumns,
  kCount,
  kCells,
  kItem,
  kResize,
  kOffset,
  kEnd,
  kEntireRow,
  kEntireColumn,
  kWorksheet,
  kParent,
  kApplication,
  kSelect,
  kActivate,
  kClear,
  kClearContents,
  kClearFormats,
  kShowPrecedents,
  kShowDependents,
  kInterior,
  kFont,
  kBorders,
  kStyle,
  kNumberFormat,
  kLocked,
  kColumnWidth,
  kRowHeight,
  kHeight,
  kWidth,
  kLeft,
  kTop,
  kAreas,
};

constexpr std::array<Member, 49> kMembers = {{
    {L"_Default", kDefault, MemberKind::Property},
    {L"Value", kValue, MemberKind::Property},
    {L"Value2", kValue2, MemberKind::Property},
    {L"Formula", kFormula, MemberKind::Property},
    {L"FormulaLocal", kFormulaLocal, MemberKind::Property},
    {L"FormulaArray", kFormulaArray, MemberKind::Property},
    {L"Text", kText, MemberKind::ReadOnlyProperty},
    {L"HasFormula", kHasFormula, MemberKind::ReadOnlyProperty},
    {L"HasArray", kHasArray, MemberKind::ReadOnlyProperty},
    {L"CurrentArray", kCurrentArray, MemberKind::ReadOnlyProperty},
    {L"MergeCells", kMergeCells, MemberKind::ReadOnlyProperty},
    {L"MergeArea", kMergeArea, MemberKind::ReadOnlyProperty},
    {L"Address", kAddress, MemberKind::ReadOnlyProperty},
    {L"AddressLocal", kAddressLocal, MemberKind::ReadOnlyProperty},
    {L"Row", kRow, MemberKind::ReadOnlyProperty},
    {L"Column", kColumn, MemberKind::ReadOnlyProperty},
    {L"Rows", kRows, MemberKind::ReadOnlyProperty},
    {L"Columns", kColumns, MemberKind::ReadOnlyProperty},
    {L"Count", kCount, MemberKind::ReadOnlyProperty},
    {L"Cells", kCells, MemberKind::Property},
    {L"Item", kItem, MemberKind::Property},
    {L"Resize", kResize, MemberKind::ReadOnlyProperty},
    {L"Offset", kOffset, MemberKind::ReadOnlyProperty},
    {L"End", kEnd, MemberKind::ReadOnlyProperty},
    {L"EntireRow", kEntireRow, MemberKind::ReadOnlyProperty},
    {L"EntireColumn", kEntireColumn, MemberKind::ReadOnlyProperty},
    {L"Worksheet", kWorksheet, MemberKind::ReadOnlyProperty},
    {L"Parent", kParent, MemberKind::ReadOnlyProperty},
    {L"Application", kApplication, MemberKind::ReadOnlyProperty},
    {L"Select", kSelect, MemberKind::Method},
    {L"Activate", kActivate, MemberKind::Method},
    {L"Clear", kClear, MemberKind::Method},
    {L"ClearContents", kClearContents, MemberKind::Method},
    {L"ClearFormats", kClearFormats, MemberKind::Method},
    {L"ShowPrecedents", kShowPrecedents, MemberKind::Method},
    {L"ShowDependents", kShowDependents, MemberKind::Method},
    {L"Interior", kInterior, MemberKind::ReadOnlyProperty},
    {L"Font", kFont, MemberKind::ReadOnlyProperty},
    {L"Borders", kBorders, MemberKind::ReadOnlyProperty},
    {L"Style", kStyle, MemberKind::Property},
    {L"NumberFormat", kNumberFormat, MemberKind::Property},
    {L"Locked", kLocked, MemberKind::Property},
    {L"ColumnWidth", kColumnWidth, MemberKind::Property},
    {L"RowHeight", kRowHeight, MemberKind::Property},
    {L"Height", kHeight, MemberKind::ReadOnlyProperty},
    {L"Width", kWidth, MemberKind::ReadOnlyProperty},
    {L"Left", kLeft, MemberKind::ReadOnlyProperty},
    {L"Top", kTop, MemberKind::ReadOnlyProperty},
    {L"Areas", kAreas, MemberKind::ReadOnlyProperty},
}};

constexpr wchar_t kSelectFailed[] = L"Select method of Range class failed";
constexpr wchar_t kOverflowError[] = L"Overflow";

// Floor division, so that Item(0) and negative indexes step back a row as they do in Excel.
std::int64_t FloorDivide(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// A cell or rectangle moved and sized, or nothing when it leaves the sheet.
std::optional<CellRect> Place(std::int64_t row, std::int64_t column, std::int64_t rows,
                              std::int64_t columns) {
  const std::int64_t lastRow = row + rows - 1;
  const std::int64_t lastColumn = column + columns - 1;
  if (row < 1 || column < 1 || rows < 1 || columns < 1 || lastRow > kMaxRows ||
      lastColumn > kMaxColumns) {
    return std::nullopt;
  }
  return CellRect{{static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)},
                  {static_cast<std::int32_t>(lastRow), static_cast<std::int32_t>(lastColumn)}};
}

// A column argument: a number, or column letters as Cells(1, "B") takes them.
HRESULT ReadColumn(const CArguments& args, std::size_t index, std::int64_t* column) {
  std::int32_t number = 0;
  const HRESULT hr = args.GetLong(index, &number);
  if (SUCCEEDED(hr)) {
    *column = number;
    return S_OK;
  }
  const VARIANT* value = args.At(index);
  if (value == nullptr || value->vt != VT_BSTR) return hr;
  const std::wstring letters(value->bstrVal == nullptr ? L"" : value->bstrVal,
                             SysStringLen(value->bstrVal));
  const bool onlyLetters =
      !letters.empty() && letters.find_first_not_of(
                              L"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                              L"abcdefghijklmnopqrstuvwxyz") == std::wstring::npos;
  const auto parsed = onlyLetters ? ParseA1Range(letters + L"1") : std::nullopt;
  if (!parsed) return DISP_E_TYPEMISMATCH;
  *column = parsed->first.column;
  return S_OK;
}

void SetBool(std::optional<bool> value, CVariant* result) {
  if (value) {
    *result = CVariant(*value);
  } else {
    result->Clear();
    result->GetMutable()->vt = VT_NULL;
  }
}

// How many arguments each member takes at most; more fail as Excel fails them.
std::size_t MaxArguments(DISPID id) {
  switch (id) {
    case kAddress:
    case kAddressLocal:
      return 5;
    case kDefault:
    case kCells:
    case kItem:
    case kRows:
    case kColumns:
    case kResize:
    case kOffset:
      return 2;
    case kValue:
    case kValue2:
    case kEnd:
    case kBorders:
    case kShowPrecedents:
    case kShowDependents:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

std::span<const Member> CRangeObject::Members() const {
  return kMembers;
}

HRESULT CRangeObject::NewRange(const CellRect& range, RangeShape shape, CVariant* result) {
  if (!IsOnSheet(range)) return RuntimeError(kApplicationDefinedError);
  CComPtr<IDispatch> object;
  object.Attach(new CRangeObject(Context(), range, shape));
  *result = CVariant(object.Get());
  return S_OK;
}

std::vector<CellRect> CRangeObject::Areas() const {
  std::vector<CellRect> areas;
  areas.reserve(1 + otherAreas_.size());
  areas.push_back(Range());
  areas.insert(areas.end(), otherAreas_.begin(), otherAreas_.end());
  return areas;
}

template <class Write>
HRESULT CRangeObject::WriteEachArea(Write write) {
  if (HRESULT hr = Written(Range(), write(Range())); FAILED(hr)) return hr;
  for (const CellRect& area : otherAreas_) {
    if (HRESULT hr = Written(area, write(area)); FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CRangeObject::WriteValues(const VARIANT& value) {
  return WriteEachArea(
      [&](const CellRect& area) { return CRangeContent(Sheet(), area).WriteValues(value); });
}

HRESULT CRangeObject::Written(const CellRect& range, RangeOutcome outcome) {
  // Even a refused write may have written some cells before it stopped.
  CWorkbook& workbook = *Context().workbook;
  Context().application->CellsWritten(workbook, workbook.IndexOf(Sheet()), range);
  return Report(std::move(outcome));
}

HRESULT CRangeObject::CallMember(const Member& member, bool put, const CArguments& args,
                                 CVariant* result) {
  if (HRESULT hr = AllowArguments(args, MaxArguments(member.id)); FAILED(hr)) return hr;
  CRangeContent content(Sheet(), Range());
  const CellRect& range = Range();
  switch (member.id) {
    case kDefault:
      if (args.Count() > 0) return Item(args, put, shape_, result);
      [[fallthrough]];
    case kValue:
    case kValue2:
      if (HRESULT hr = AllowArguments(args, 1); FAILED(hr)) return hr;
      if (put) return WriteValues(*args.PutValue());
      return Report(content.ReadValues(result));
    case kFormula:
    case kFormulaLocal:
      if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
      if (put) return WriteValues(*args.PutValue());
      return Report(content.ReadFormulas(result));
    case kFormulaArray: {
      if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
      if (!put) return Report(content.ReadFormulaArray(result));
      std::wstring text;
      if (HRESULT hr = PutText(args, &text); FAILED(hr)) return hr;
      return Written(range, content.WriteFormulaArray(text));
    }
    case kText:
      return Text(result);
    case kHasFormula:
      SetBool(content.HasFormula(), result);
      return S_OK;
    case kHasArray:
      SetBool(content.HasArray(), result);
      return S_OK;
    case kMergeCells:
      SetBool(content.MergeCells(), result);
      return S_OK;
    case kCurrentArray:
      if (const auto array = content.CurrentArray())
        return NewRange(*array, RangeShape::Cells, result);
      return RuntimeError(L"No cell found.");
    case kMergeArea:
      return NewRange(content.MergeArea(), RangeShape::Cells, result);
    case kAddress:
    case kAddressLocal:
      return Address(args, result);
    case kAreas: {
      CComPtr<IDispatch> object;
      object.Attach(new CAreasObject(Context(), Areas()));
      return ObjectResult(object, result);
    }
    case kRow:
      *result = CVariant(static_cast<LONG>(range.first.row));
      return S_OK;
    case kColumn:
      *result = CVariant(static_cast<LONG>(range.first.column));
      return S_OK;
    case kRows:
    case kColumns: {
      const RangeShape shape = member.id == kRows ? RangeShape::Rows : RangeShape::Columns;
      if (args.Count() == 0) return NewRange(range, shape, result);
      return Item(args, false, shape, result);  // Rows(2) reads as Rows.Item(2).
    }
    case kCount:
      return Count(result);
    case kCells:
      if (args.Count() == 0 && !put) {
        return ObjectResult(CreateAreasRangeObject(Context(), Areas()), result);
      }
      return Item(args, put, shape_, result);
    case kItem:
      return Item(args, put, shape_, result);
    case kResize:
      return Resize(args, result);
    case kOffset:
      return Offset(args, result);
    case kEnd:
      return End(args, result);
    case kEntireRow:
      return NewRange({{range.first.row, 1}, {range.last.row, kMaxColumns}}, RangeShape::Rows,
                      result);
    case kEntireColumn:
      return NewRange({{1, range.first.column}, {kMaxRows, range.last.column}}, RangeShape::Columns,
                      result);
    case kWorksheet:
    case kParent:
      return WorksheetResult(result);
    case kApplication:
      return ApplicationResult(result);
    case kSelect:
    case kActivate:
      return Select(member.id == kActivate);
    case kClear:
      return WriteEachArea(
          [&](const CellRect& area) { return CRangeContent(Sheet(), area).Clear(); });
    case kClearContents:
      return WriteEachArea(
          [&](const CellRect& area) { return CRangeContent(Sheet(), area).ClearContents(); });
    case kClearFormats:
      for (const CellRect& area : Areas()) {
        if (HRESULT hr = Report(CRangeContent(Sheet(), area).ClearFormats()); FAILED(hr)) return hr;
      }
      return S_OK;
    case kShowPrecedents:
    case kShowDependents: {
      // Excel's window draws the arrows; here they are only remembered.
      if (const HRESULT hr = AllowArguments(args, 1); FAILED(hr)) return hr;
      for (const CellRect& area : Areas()) {
        Sheet().AddTracerArrows({area, member.id == kShowPrecedents});
      }
      return S_OK;
    }
    case kInterior: {
      CComPtr<IDispatch> object;
      object.Attach(new CInteriorObject(Context(), range));
      return ObjectResult(object, result);
    }
    case kFont: {
      CComPtr<IDispatch> object;
      object.Attach(new CFontObject(Context(), range));
      return ObjectResult(object, result);
    }
    case kBorders: {
      if (args.Count() > 0) {
        // Borders(xlEdgeTop) reads as Borders.Item(xlEdgeTop).
        CComPtr<IDispatch> edge;
        if (HRESULT hr = AllowArguments(args, 1); FAILED(hr)) return hr;
        if (RangeOutcome made = CBordersObject::EdgeObject(Context(), range, args, 0, &edge);
            !made.Succeeded()) {
          return Report(std::move(made));
        }
        return ObjectResult(edge, result);
      }
      CComPtr<IDispatch> object;
      object.Attach(new CBordersObject(Context(), range));
      return ObjectResult(object, result);
    }
    case kStyle:
      return Style(put, args, result);
    case kNumberFormat:
      return NumberFormat(put, args, result);
    case kLocked:
      return Locked(put, args, result);
    case kColumnWidth:
      return ColumnWidth(put, args, result);
    case kRowHeight:
      return RowHeight(put, args, result);
    case kHeight:
      *result = CVariant(RowsHeight(Sheet(), range.first.row, range.last.row));
      return S_OK;
    case kWidth:
      *result = CVariant(ColumnsWidth(Sheet(), range.first.column, range.last.column));
      return S_OK;
    case kLeft:
      *result = CVariant(ColumnsWidth(Sheet(), 1, range.first.column - 1));
      return S_OK;
    case kTop:
      *result = CVariant(RowsHeight(Sheet(), 1, range.first.row - 1));
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CRangeObject::ResolveItem(const CArguments& args, RangeShape countedAs, CellRect* item,
                                  RangeShape* shape) {
  if (HRESULT hr = AllowArguments(args, 2); FAILED(hr)) return hr;
  const CellRect& range = Range();
  std::int32_t first = 0;
  if (HRESULT hr = args.GetLong(0, &first); FAILED(hr)) return hr;
  std::optional<CellRect> placed;
  if (args.Count() == 2 && !args.IsMissing(1)) {
    std::int64_t column = 0;
    if (HRESULT hr = ReadColumn(args, 1, &column); FAILED(hr)) return hr;
    placed = Place(std::int64_t{range.first.row} + first - 1,
                   std::int64_t{range.first.column} + column - 1, 1, 1);
    *shape = RangeShape::Cells;
  } else if (countedAs == RangeShape::Rows) {
    placed =
        Place(std::int64_t{range.first.row} + first - 1, range.first.column, 1, range.Columns());
    *shape = RangeShape::Rows;
  } else if (countedAs == RangeShape::Columns) {
    placed = Place(range.first.row, std::int64_t{range.first.column} + first - 1, range.Rows(), 1);
    *shape = RangeShape::Columns;
  } else {
    // Row by row through the range's width, and on below it.
    const std::int64_t index = std::int64_t{first} - 1;
    const std::int64_t width = range.Columns();
    const std::int64_t row = FloorDivide(index, width);
    placed = Place(range.first.row + row, range.first.column + (index - row * width), 1, 1);
    *shape = RangeShape::Cells;
  }
  if (!placed) return RuntimeError(kApplicationDefinedError);
  *item = *placed;
  return S_OK;
}

HRESULT CRangeObject::Item(const CArguments& args, bool put, RangeShape countedAs,
                           CVariant* result) {
  if (args.Count() == 0) return DISP_E_PARAMNOTFOUND;
  CellRect item;
  RangeShape shape = RangeShape::Cells;
  if (HRESULT hr = ResolveItem(args, countedAs, &item, &shape); FAILED(hr)) return hr;
  // Cells(1, 1) = 5 writes the cell's value, as its default property.
  if (put) return Written(item, CRangeContent(Sheet(), item).WriteValues(*args.PutValue()));
  return NewRange(item, shape, result);
}

HRESULT CRangeObject::Count(CVariant* result) {
  const CellRect& range = Range();
  // A union counts every area's cells, those of overlapping areas twice, as Excel does.
  std::int64_t count = range.CellCount();
  for (const CellRect& area : otherAreas_) count += area.CellCount();
  if (shape_ == RangeShape::Rows) count = range.Rows();
  if (shape_ == RangeShape::Columns) count = range.Columns();
  // Excel's Count is a 32-bit long: a whole sheet overflows it.
  if (count > std::numeric_limits<LONG>::max()) return RuntimeError(kOverflowError);
  *result = CVariant(static_cast<LONG>(count));
  return S_OK;
}

HRESULT CRangeObject::Address(const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 5); FAILED(hr)) return hr;
  AddressStyle style;
  bool external = false;
  if (!args.IsMissing(0)) {
    if (HRESULT hr = args.GetBool(0, &style.rowAbsolute); FAILED(hr)) return hr;
  }
  if (!args.IsMissing(1)) {
    if (HRESULT hr = args.GetBool(1, &style.columnAbsolute); FAILED(hr)) return hr;
  }
  if (!args.IsMissing(2)) {
    std::int32_t referenceStyle = kReferenceStyleA1;
    if (HRESULT hr = args.GetLong(2, &referenceStyle); FAILED(hr)) return hr;
    if (referenceStyle != kReferenceStyleA1 && referenceStyle != kReferenceStyleR1C1) {
      return RuntimeError(L"Unable to get the Address property of the Range class");
    }
    style.r1c1 = referenceStyle == kReferenceStyleR1C1;
  }
  if (!args.IsMissing(3)) {
    if (HRESULT hr = args.GetBool(3, &external); FAILED(hr)) return hr;
  }
  if (!args.IsMissing(4)) {
    const VARIANT* relative = args.At(4);
    ObjectContext relativeContext;
    CellRect relativeRange;
    if (relative->vt != VT_DISPATCH ||
        !ReadRangeObject(relative->pdispVal, &relativeContext, &relativeRange)) {
      return DISP_E_TYPEMISMATCH;
    }
    style.relativeTo = relativeRange.first;
  }
  // A union's areas apart by commas; the external form names the sheet once, before them all.
  std::wstring text = FormatRangeAddress(Range(), style);
  for (const CellRect& area : otherAreas_) text += L',' + FormatRangeAddress(area, style);
  if (external) text = ExternalAddressPrefix(Workbook().Name(), Sheet().Name()) + text;
  *result = CVariant(std::wstring_view(text));
  return S_OK;
}

HRESULT CRangeObject::Resize(const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 2); FAILED(hr)) return hr;
  const CellRect& range = Range();
  std::int64_t sizes[2] = {range.Rows(), range.Columns()};
  for (std::size_t i = 0; i < 2; ++i) {
    if (args.IsMissing(i)) continue;
    std::int32_t size = 0;
    if (HRESULT hr = args.GetLong(i, &size); FAILED(hr)) return hr;
    // The system's callers write -1 for "keep this size", the missing argument's meaning.
    if (size == -1) continue;
    if (size < 1) return RuntimeError(kApplicationDefinedError);
    sizes[i] = size;
  }
  const auto placed = Place(range.first.row, range.first.column, sizes[0], sizes[1]);
  if (!placed) return RuntimeError(kApplicationDefinedError);
  return NewRange(*placed, shape_, result);
}

HRESULT CRangeObject::Offset(const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 2); FAILED(hr)) return hr;
  std::int32_t moves[2] = {0, 0};
  for (std::size_t i = 0; i < 2; ++i) {
    if (args.IsMissing(i)) continue;
    if (HRESULT hr = args.GetLong(i, &moves[i]); FAILED(hr)) return hr;
  }
  const CellRect& range = Range();
  const auto placed =
      Place(std::int64_t{range.first.row} + moves[0], std::int64_t{range.first.column} + moves[1],
            range.Rows(), range.Columns());
  if (!placed) return RuntimeError(kApplicationDefinedError);
  return NewRange(*placed, shape_, result);
}

HRESULT CRangeObject::End(const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 1); FAILED(hr)) return hr;
  std::int32_t value = 0;
  if (HRESULT hr = args.GetLong(0, &value); FAILED(hr)) return hr;
  const auto direction = DirectionOf(value);
  if (!direction) return RuntimeError(kApplicationDefinedError);
  return NewRange(CellRect::Of(EndOf(Sheet(), Range().first, *direction)), RangeShape::Cells,
                  result);
}

HRESULT CRangeObject::Select(bool activate) {
  const auto& application = Context().application;
  if (!application) return RuntimeError(kSelectFailed);
  // As in Excel, only a range of the active sheet of the active workbook can be selected.
  const std::int32_t index = Workbook().IndexOf(Sheet());
  if (application->ActiveWorkbook() != Context().workbook || Workbook().ActiveSheet() != index ||
      Sheet().Visible() != Visibility::Visible) {
    return RuntimeError(kSelectFailed);
  }
  const Selection& current = application->CurrentSelection();
  // Activating a cell inside the selection keeps the selection (Excel moves its active cell).
  if (activate && current.workbook == Context().workbook && current.sheet == index &&
      current.range.Contains(Range().first) && current.range.Contains(Range().last)) {
    return S_OK;
  }
  application->Select({Context().workbook, index, Range()});
  return S_OK;
}

HRESULT CRangeObject::Text(CVariant* result) {
  const CWorkbook& workbook = Workbook();
  const CFormatTable& formats = workbook.Formats();
  auto textOf = [&](CellCoord cell, const Cell* stored) -> std::wstring {
    if (stored == nullptr || stored->kind == ValueKind::Empty) return std::wstring();
    const std::wstring code =
        formats.NumberFormatCode(formats.FormatAt(stored->format).numberFormat);
    return FormatCellText(Sheet().Value(cell), code, workbook.Date1904(),
                          Sheet().ColumnWidth(cell.column));
  };
  // A merged area shows its first cell's text; the other cells it covers show nothing.
  std::vector<CellRect> merges;
  for (const CellRect& merge : Sheet().Merges()) {
    if (merge.Intersects(Range())) merges.push_back(merge);
  }
  auto hidden = [&](CellCoord cell) {
    for (const CellRect& merge : merges) {
      if (merge.Contains(cell)) return !(merge.first == cell);
    }
    return false;
  };
  const bool wholeMerge = merges.size() == 1 && merges.front() == Range();
  const CellRect range = wholeMerge ? CellRect::Of(Range().first) : Range();
  if (range.IsSingleCell()) {
    const std::wstring text =
        hidden(range.first) ? std::wstring() : textOf(range.first, Sheet().Find(range.first));
    *result = CVariant(std::wstring_view(text));
    return S_OK;
  }
  // Every cell showing the same text gives that text; any difference gives null.
  std::optional<std::wstring> common;
  const bool same = VisitRangeCells(Sheet(), range, [&](CellCoord cell, const Cell* stored) {
    std::wstring text = stored != nullptr && hidden(cell) ? std::wstring() : textOf(cell, stored);
    if (!common) {
      common = std::move(text);
      return true;
    }
    return *common == text;
  });
  if (!same || !common) {
    SetNull(result);
    return S_OK;
  }
  *result = CVariant(std::wstring_view(*common));
  return S_OK;
}

HRESULT CRangeObject::Style(bool put, const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  CRangeFormatEditor editor(Sheet(), Range());
  const CFormatTable& formats = Workbook().Formats();
  if (!put) {
    const auto style =
        editor.Uniform<std::uint32_t>([](const CellFormat& format) { return format.namedStyle; });
    if (!style || *style >= formats.NamedStyles().size()) {
      SetNull(result);
      return S_OK;
    }
    *result = CVariant(std::wstring_view(formats.NamedStyles()[*style].name));
    return S_OK;
  }
  std::wstring name;
  if (HRESULT hr = PutText(args, &name); FAILED(hr)) return hr;
  const auto style = formats.FindNamedStyle(name);
  if (!style) return RuntimeError(L"Unable to set the Style property of the Range class");
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  const CellFormat styleFormat = formats.NamedStyles()[*style].format;
  const bool applied = editor.Apply([&](CellFormat& format, CFormatTable&) {
    format = styleFormat;
    format.namedStyle = *style;
  });
  if (!applied) return RuntimeError(L"Out of memory");
  return S_OK;
}

HRESULT CRangeObject::NumberFormat(bool put, const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  CRangeFormatEditor editor(Sheet(), Range());
  CFormatTable& formats = Workbook().Formats();
  if (!put) {
    const auto id =
        editor.Uniform<std::uint32_t>([](const CellFormat& format) { return format.numberFormat; });
    if (!id) {
      SetNull(result);
      return S_OK;
    }
    *result = CVariant(std::wstring_view(formats.NumberFormatCode(*id)));
    return S_OK;
  }
  std::wstring code;
  if (HRESULT hr = PutText(args, &code); FAILED(hr)) return hr;
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  if (code.empty()) code = L"General";
  const bool applied = editor.Apply([&](CellFormat& format, CFormatTable& table) {
    format.numberFormat = table.InternNumberFormat(code);
  });
  if (!applied) return RuntimeError(L"Out of memory");
  return S_OK;
}

HRESULT CRangeObject::Locked(bool put, const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  CRangeFormatEditor editor(Sheet(), Range());
  if (!put) {
    SetBool(editor.Uniform<bool>([](const CellFormat& format) { return format.locked; }), result);
    return S_OK;
  }
  bool locked = true;
  if (HRESULT hr = PutBool(args, &locked); FAILED(hr)) return hr;
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  if (!editor.Apply([&](CellFormat& format, CFormatTable&) { format.locked = locked; })) {
    return RuntimeError(L"Out of memory");
  }
  return S_OK;
}

HRESULT CRangeObject::ColumnWidth(bool put, const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  const CellRect& range = Range();
  if (!put) {
    const auto width = UniformColumnWidth(Sheet(), range.first.column, range.last.column);
    if (width) {
      *result = CVariant(*width);
    } else {
      SetNull(result);
    }
    return S_OK;
  }
  double width = 0.0;
  if (HRESULT hr = PutDouble(args, &width); FAILED(hr)) return hr;
  if (!(width >= 0.0 && width <= kMaxColumnWidthCharacters)) {
    return RuntimeError(L"Unable to set the ColumnWidth property of the Range class");
  }
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  for (std::int32_t column = range.first.column; column <= range.last.column; ++column) {
    Sheet().SetColumnWidth(column, width);
  }
  return S_OK;
}

HRESULT CRangeObject::RowHeight(bool put, const CArguments& args, CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  const CellRect& range = Range();
  if (!put) {
    const auto height = UniformRowHeight(Sheet(), range.first.row, range.last.row);
    if (height) {
      *result = CVariant(*height);
    } else {
      SetNull(result);
    }
    return S_OK;
  }
  double height = 0.0;
  if (HRESULT hr = PutDouble(args, &height); FAILED(hr)) return hr;
  if (!(height >= 0.0 && height <= kMaxRowHeightPoints)) {
    return RuntimeError(L"Unable to set the RowHeight property of the Range class");
  }
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  for (std::int32_t row = range.first.row; row <= range.last.row; ++row) {
    Sheet().SetRowHeight(row, height);
  }
  return S_OK;
}

// --- Creation -----------------------------------------------------------------------------------

CComPtr<IDispatch> CreateRangeObject(const ObjectContext& context, const CellRect& range) {
  if (context.sheet == nullptr || !context.workbook || !IsOnSheet(range)) return nullptr;
  CComPtr<IDispatch> object;
  object.Attach(new CRangeObject(context, range));
  return object;
}

CComPtr<IDispatch> CreateAreasRangeObject(const ObjectContext& context,
                                          std::span<const CellRect> areas) {
  if (context.sheet == nullptr || !context.workbook || areas.empty()) return nullptr;
  for (const CellRect& area : areas) {
    if (!IsOnSheet(area)) return nullptr;
  }
  CComPtr<IDispatch> object;
  object.Attach(new CRangeObject(context, areas.front(), RangeShape::Cells,
                                 std::vector<CellRect>(areas.begin() + 1, areas.end())));
  return object;
}

bool ReadRangeAreas(IDispatch* object, ObjectContext* context, std::vector<CellRect>* areas) {
  const CRangeObject* ours = CDispatchObject::As<CRangeObject>(object);
  if (ours == nullptr) return false;
  if (context != nullptr) *context = ours->Context();
  if (areas != nullptr) *areas = ours->Areas();
  return true;
}

bool ReadRangeObject(IDispatch* object, ObjectContext* context, CellRect* range) {
  const CRangeObject* ours = CDispatchObject::As<CRangeObject>(object);
  if (ours == nullptr) return false;
  if (context != nullptr) *context = ours->Context();
  if (range != nullptr) *range = ours->Range();
  return true;
}

}  // namespace spreadsheet
