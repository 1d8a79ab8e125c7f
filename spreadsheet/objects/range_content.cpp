// Values and formulas of a rectangle of cells.
#include "spreadsheet/objects/range_content.h"

#include <algorithm>
#include <map>
#include <new>
#include <utility>

#include "platform/bstr.h"
#include "spreadsheet/model/error_code.h"
#include "spreadsheet/objects/range_cell_scan.h"
#include "spreadsheet/calc/cell_entry.h"
#include "spreadsheet/objects/range_input.h"
#include "spreadsheet/objects/range_value_array.h"

namespace spreadsheet {
namespace {

constexpr std::uint32_t kTextNumberFormat = 49;  // "@"
constexpr wchar_t kOutOfMemoryError[] = L"Out of memory";

// Fills an empty VARIANT with a stored cell's value. Text is the one allocation.
void FillValue(const Cell* cell, const CStringPool& strings, VARIANT* out) {
  if (cell == nullptr) return;
  switch (cell->kind) {
    case ValueKind::Empty:
      return;
    case ValueKind::Number:
      out->vt = VT_R8;
      out->dblVal = cell->number;
      return;
    case ValueKind::Boolean:
      out->vt = VT_BOOL;
      out->boolVal = cell->number != 0.0 ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case ValueKind::Error:
      out->vt = VT_ERROR;
      out->scode = ErrorScode(cell->error);
      return;
    case ValueKind::Text: {
      const std::wstring& text = strings.At(cell->text);
      const BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (copy == nullptr) throw std::bad_alloc();
      out->vt = VT_BSTR;
      out->bstrVal = copy;
      return;
    }
  }
}

// What Range.Formula shows for a cell.
std::wstring FormulaText(const CWorksheet& sheet, CellCoord cell) {
  if (auto formula = sheet.Formula(cell)) return std::move(*formula);
  const CellValue value = sheet.Value(cell);
  switch (value.Kind()) {
    case ValueKind::Empty:
      return L"";
    case ValueKind::Text:
      return value.AsText();
    case ValueKind::Boolean:
      return value.AsBoolean() ? L"TRUE" : L"FALSE";
    case ValueKind::Error:
      return std::wstring(ErrorText(value.AsError()));
    case ValueKind::Number: {
      CVariant text;
      if (FAILED(CVariant(value.AsNumber()).ChangeType(VT_BSTR, &text))) return L"";
      return CBstr(text.Get()->bstrVal).ToWString();
    }
  }
  return L"";
}

// A two-dimensional array of VARIANTs, rows first, lower bounds 1, owned by `result`.
VARIANT* NewBlock(const CellRect& range, CVariant* result) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(range.Rows()), 1},
                              {static_cast<ULONG>(range.Columns()), 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (array == nullptr) throw std::bad_alloc();
  VARIANT* held = result->Receive();
  held->vt = VT_ARRAY | VT_VARIANT;
  held->parray = array;
  return static_cast<VARIANT*>(array->pvData);
}

// Element (row, column) of a block made by NewBlock, both 0-based: the first dimension varies
// fastest.
std::size_t BlockIndex(const CellRect& range, std::int32_t row, std::int32_t column) {
  return static_cast<std::size_t>(row) +
         static_cast<std::size_t>(column) * static_cast<std::size_t>(range.Rows());
}

bool IsTextFormatted(const CWorksheet& sheet, CellCoord cell) {
  const CFormatTable& formats = sheet.Workbook().Formats();
  return formats.FormatAt(sheet.FormatOf(cell)).numberFormat == kTextNumberFormat;
}

// Writes cell inputs and gives General cells the number format their entries imply, interning
// each (old format, number format) pair once.
class CInputWriter {
 public:
  explicit CInputWriter(CWorksheet& sheet) : sheet_(sheet) {}

  void Write(CellCoord cell, CellInput& input) {
    switch (input.kind) {
      case CellInput::Kind::Clear:
        sheet_.ClearContents(cell);
        return;
      case CellInput::Kind::Formula:
        sheet_.SetFormula(cell, std::move(input.formula));
        return;
      case CellInput::Kind::Value:
        sheet_.SetValue(cell, input.value);
        if (input.numberFormat != 0) ApplyNumberFormat(cell, input.numberFormat);
        return;
    }
  }

  void ApplyNumberFormat(CellCoord cell, std::uint32_t numberFormat) {
    CFormatTable& formats = sheet_.Workbook().Formats();
    const std::uint32_t old = sheet_.FormatOf(cell);
    if (formats.FormatAt(old).numberFormat != 0) return;  // Only General cells take it.
    const auto key = std::make_pair(old, numberFormat);
    auto found = interned_.find(key);
    if (found == interned_.end()) {
      CellFormat changed = formats.FormatAt(old);
      changed.numberFormat = numberFormat;
      found = interned_.emplace(key, formats.InternFormat(changed)).first;
    }
    sheet_.SetFormat(cell, found->second);
  }

 private:
  CWorksheet& sheet_;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> interned_;
};

// The value written when the target is an object: its default property, read once (Excel
// reads Range("B1") written into a cell as that range's value). References are read through.
// Plain values are used where they are, so a large array is not copied.
HRESULT ResolveObject(const VARIANT& value, CVariant* holder, const VARIANT** resolved) {
  if ((value.vt & VT_BYREF) == 0 && value.vt != VT_DISPATCH) {
    *resolved = &value;
    return S_OK;
  }
  CVariant copy;
  if (FAILED(VariantCopyInd(copy.Receive(), const_cast<VARIANT*>(&value)))) {
    return DISP_E_TYPEMISMATCH;
  }
  if (copy.Kind() == VT_DISPATCH) {
    IDispatch* object = copy.Get()->pdispVal;
    if (object == nullptr) return DISP_E_TYPEMISMATCH;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr =
        object->Invoke(DISPID_VALUE, IID_NULL, kLocaleEnglishUS, DISPATCH_PROPERTYGET, &none,
                       holder->Receive(), nullptr, nullptr);
    if (FAILED(hr) || holder->Kind() == VT_DISPATCH) return DISP_E_TYPEMISMATCH;
  } else {
    *holder = std::move(copy);
  }
  if ((holder->Kind() & VT_BYREF) != 0) return DISP_E_TYPEMISMATCH;
  *resolved = holder->Get();
  return S_OK;
}

}  // namespace

// --- Reads --------------------------------------------------------------------------------------

RangeOutcome CRangeContent::ReadValues(CVariant* result) const {
  const CStringPool& strings = sheet_.Workbook().Strings();
  const std::vector<CellRect> merges = OverlappingMerges();
  if (range_.IsSingleCell()) {
    result->Clear();
    if (!IsHiddenByMerge(range_.first, merges)) {
      FillValue(sheet_.Find(range_.first), strings, result->GetMutable());
    }
    return RangeOutcome::Ok();
  }
  if (range_.CellCount() > kMaxBlockCells) return RangeOutcome::Runtime(kOutOfMemoryError);
  VARIANT* block = NewBlock(range_, result);
  // One lookup per cell, column by column so the block fills in memory order.
  for (std::int32_t column = 0; column < range_.Columns(); ++column) {
    for (std::int32_t row = 0; row < range_.Rows(); ++row) {
      const CellCoord cell{range_.first.row + row, range_.first.column + column};
      FillValue(sheet_.Find(cell), strings, &block[BlockIndex(range_, row, column)]);
    }
  }
  for (const CellRect& merge : merges) {
    const CellRect inside = merge.Intersection(range_);
    for (std::int32_t row = inside.first.row; row <= inside.last.row; ++row) {
      for (std::int32_t column = inside.first.column; column <= inside.last.column; ++column) {
        if (CellCoord{row, column} == merge.first) continue;
        VariantClear(
            &block[BlockIndex(range_, row - range_.first.row, column - range_.first.column)]);
      }
    }
  }
  return RangeOutcome::Ok();
}

RangeOutcome CRangeContent::ReadFormulas(CVariant* result) const {
  const std::vector<CellRect> merges = OverlappingMerges();
  auto text = [&](CellCoord cell) {
    return IsHiddenByMerge(cell, merges) ? std::wstring() : FormulaText(sheet_, cell);
  };
  if (range_.IsSingleCell()) {
    *result = CVariant(std::wstring_view(text(range_.first)));
    return RangeOutcome::Ok();
  }
  if (range_.CellCount() > kMaxBlockCells) return RangeOutcome::Runtime(kOutOfMemoryError);
  VARIANT* block = NewBlock(range_, result);
  for (std::int32_t column = 0; column < range_.Columns(); ++column) {
    for (std::int32_t row = 0; row < range_.Rows(); ++row) {
      VARIANT* slot = &block[BlockIndex(range_, row, column)];
      const std::wstring formula = text({range_.first.row + row, range_.first.column + column});
      slot->bstrVal = CBstr(formula).Detach();
      slot->vt = VT_BSTR;
    }
  }
  return RangeOutcome::Ok();
}

RangeOutcome CRangeContent::ReadFormulaArray(CVariant* result) const {
  if (const auto array = CurrentArray(); array && array->Contains(range_.last)) {
    *result = CVariant(std::wstring_view(*sheet_.Formula(range_.first)));
    return RangeOutcome::Ok();
  }
  if (range_.IsSingleCell()) return ReadFormulas(result);
  result->Clear();
  result->GetMutable()->vt = VT_NULL;
  return RangeOutcome::Ok();
}

std::optional<bool> CRangeContent::HasFormula() const {
  bool withFormula = false;
  bool without = false;
  VisitRangeCells(sheet_, range_, [&](CellCoord, const Cell* cell) {
    (cell != nullptr && cell->HasFormula() ? withFormula : without) = true;
    return !(withFormula && without);
  });
  if (withFormula && without) return std::nullopt;
  return withFormula;
}

std::optional<bool> CRangeContent::HasArray() const {
  bool inArray = false;
  bool outside = false;
  VisitRangeCells(sheet_, range_, [&](CellCoord cell, const Cell* stored) {
    const FormulaRecord* record =
        stored != nullptr && stored->HasFormula() ? sheet_.FormulaOf(cell) : nullptr;
    (record != nullptr && record->kind == FormulaRecord::Kind::Array ? inArray : outside) = true;
    return !(inArray && outside);
  });
  if (inArray && outside) return std::nullopt;
  return inArray;
}

std::optional<CellRect> CRangeContent::CurrentArray() const {
  const FormulaRecord* record = sheet_.FormulaOf(range_.first);
  if (record == nullptr || record->kind != FormulaRecord::Kind::Array) return std::nullopt;
  return record->range;
}

std::optional<bool> CRangeContent::MergeCells() const {
  std::int64_t merged = 0;
  for (const CellRect& merge : OverlappingMerges()) {
    merged += merge.Intersection(range_).CellCount();  // Merged areas never overlap.
  }
  if (merged == 0) return false;
  if (merged == range_.CellCount()) return true;
  return std::nullopt;
}

CellRect CRangeContent::MergeArea() const {
  for (const CellRect& merge : OverlappingMerges()) {
    if (merge.Contains(range_.first) && merge.Contains(range_.last)) return merge;
  }
  return range_;
}

// --- Writes -------------------------------------------------------------------------------------

RangeOutcome CRangeContent::WriteValues(const VARIANT& value) {
  CVariant holder;
  const VARIANT* source = nullptr;
  if (const HRESULT hr = ResolveObject(value, &holder, &source); FAILED(hr)) {
    return RangeOutcome::Failed(hr);
  }
  if (RangeOutcome checked = CheckWritable(false, false); !checked.Succeeded()) return checked;
  if ((source->vt & VT_ARRAY) == 0) return WriteScalar(*source);
  return WriteBlock(source->parray);
}

RangeOutcome CRangeContent::WriteScalar(const VARIANT& value) {
  const bool date1904 = sheet_.Workbook().Date1904();
  const std::int32_t year = CurrentYear();
  CellInput input;
  if (RangeOutcome converted = ConvertCellInput(value, false, date1904, year, &input);
      !converted.Succeeded() && converted.runtimeError.empty()) {
    return converted;  // A kind no cell takes, whatever its format.
  }
  // Clearing (whatever the cells' formats) touches only the stored cells; anything else
  // stores every cell.
  std::vector<CellCoord> targets;
  const bool clearing = value.vt == VT_EMPTY || value.vt == VT_NULL ||
                        (value.vt == VT_BSTR && SysStringLen(value.bstrVal) == 0);
  if (clearing) {
    VisitRangeCells(sheet_, range_, [&](CellCoord cell, const Cell* stored) {
      if (stored != nullptr) targets.push_back(cell);
      return true;
    });
  } else if (range_.CellCount() > kMaxWrittenCells) {
    return RangeOutcome::Runtime(kOutOfMemoryError);
  }
  auto each = [&](auto&& act) -> RangeOutcome {
    if (clearing) {
      for (const CellCoord cell : targets) {
        if (RangeOutcome done = act(cell); !done.Succeeded()) return done;
      }
      return RangeOutcome::Ok();
    }
    for (std::int32_t row = range_.first.row; row <= range_.last.row; ++row) {
      for (std::int32_t column = range_.first.column; column <= range_.last.column; ++column) {
        if (RangeOutcome done = act(CellCoord{row, column}); !done.Succeeded()) return done;
      }
    }
    return RangeOutcome::Ok();
  };
  // Cells formatted as text keep text as written, so each cell converts as its format says;
  // every conversion is checked before any cell is written.
  if (RangeOutcome checked = each([&](CellCoord cell) {
        return ConvertCellInput(value, IsTextFormatted(sheet_, cell), date1904, year, &input);
      });
      !checked.Succeeded()) {
    return checked;
  }
  // One formula written to many cells moves with each, as filling does: the cells share one
  // record whose references read as they do at the top-left cell.
  std::optional<std::uint32_t> shared;
  const std::vector<CellRect> merges = OverlappingMerges();
  CInputWriter writer(sheet_);
  return each([&](CellCoord cell) {
    if (IsHiddenByMerge(cell, merges)) return RangeOutcome::Ok();
    ConvertCellInput(value, IsTextFormatted(sheet_, cell), date1904, year, &input);
    if (input.kind == CellInput::Kind::Formula && !range_.IsSingleCell()) {
      if (!shared) {
        shared = sheet_.AddFormulaRecord(
            {FormulaRecord::Kind::Shared, input.formula.substr(1), range_.first, range_});
      }
      sheet_.AttachFormula(cell, *shared);
      sheet_.SetCachedValue(cell, CellValue());
    } else {
      writer.Write(cell, input);
    }
    return RangeOutcome::Ok();
  });
}

RangeOutcome CRangeContent::WriteBlock(SAFEARRAY* source) {
  if (range_.CellCount() > kMaxWrittenCells) return RangeOutcome::Runtime(kOutOfMemoryError);
  const CValueArray array(source);
  if (!array.IsValid()) return RangeOutcome::Failed(DISP_E_TYPEMISMATCH);
  const bool date1904 = sheet_.Workbook().Date1904();
  const std::int32_t year = CurrentYear();
  // A single row or column repeats; cells past a longer array's end get #N/A.
  const CVariant notAvailable = CVariant::Error(ErrorScode(ErrorCode::NA));
  auto each = [&](auto&& act) -> RangeOutcome {
    for (std::int32_t row = 0; row < range_.Rows(); ++row) {
      for (std::int32_t column = 0; column < range_.Columns(); ++column) {
        const std::int64_t r = array.Rows() == 1 ? 0 : row;
        const std::int64_t c = array.Columns() == 1 ? 0 : column;
        const VARIANT element =
            r < array.Rows() && c < array.Columns() ? array.At(r, c) : *notAvailable.Get();
        const CellCoord cell{range_.first.row + row, range_.first.column + column};
        if (RangeOutcome done = act(cell, element); !done.Succeeded()) return done;
      }
    }
    return RangeOutcome::Ok();
  };
  CellInput input;
  if (RangeOutcome checked = each([&](CellCoord cell, const VARIANT& element) {
        return ConvertCellInput(element, IsTextFormatted(sheet_, cell), date1904, year, &input);
      });
      !checked.Succeeded()) {
    return checked;
  }
  const std::vector<CellRect> merges = OverlappingMerges();
  CInputWriter writer(sheet_);
  return each([&](CellCoord cell, const VARIANT& element) {
    if (IsHiddenByMerge(cell, merges)) return RangeOutcome::Ok();
    ConvertCellInput(element, IsTextFormatted(sheet_, cell), date1904, year, &input);
    writer.Write(cell, input);
    return RangeOutcome::Ok();
  });
}

RangeOutcome CRangeContent::WriteFormulaArray(const std::wstring& text) {
  if (text.size() > kMaxCellTextLength) {
    return RangeOutcome::Runtime(L"Text values are limited to 32,767 characters per cell.");
  }
  const CellEntry entry = ParseCellEntry(text, sheet_.Workbook().Date1904(), CurrentYear());
  if (entry.kind != CellEntry::Kind::Formula || entry.formula.size() > kMaxFormulaLength) {
    return RangeOutcome::Runtime(L"Unable to set the FormulaArray property of the Range class");
  }
  if (RangeOutcome checked = CheckWritable(false, false); !checked.Succeeded()) return checked;
  if (range_.CellCount() > kMaxWrittenCells) return RangeOutcome::Runtime(kOutOfMemoryError);
  for (const CellRect& merge : OverlappingMerges()) {
    if (!merge.IsSingleCell()) {
      return RangeOutcome::Runtime(L"Array formulas are not valid in merged cells.");
    }
  }
  sheet_.SetArrayFormula(range_, entry.formula);
  for (std::int32_t row = range_.first.row; row <= range_.last.row; ++row) {
    for (std::int32_t column = range_.first.column; column <= range_.last.column; ++column) {
      sheet_.SetCachedValue({row, column}, CellValue());
    }
  }
  return RangeOutcome::Ok();
}

RangeOutcome CRangeContent::ClearContents() {
  if (RangeOutcome checked = CheckWritable(false, true); !checked.Succeeded()) return checked;
  std::vector<CellCoord> stored;
  VisitRangeCells(sheet_, range_, [&](CellCoord cell, const Cell* content) {
    if (content != nullptr) stored.push_back(cell);
    return true;
  });
  for (const CellCoord cell : stored) sheet_.ClearContents(cell);
  return RangeOutcome::Ok();
}

RangeOutcome CRangeContent::Clear() {
  if (RangeOutcome checked = CheckWritable(true, true); !checked.Succeeded()) return checked;
  std::vector<CellCoord> stored;
  VisitRangeCells(sheet_, range_, [&](CellCoord cell, const Cell* content) {
    if (content != nullptr) stored.push_back(cell);
    return true;
  });
  for (const CellCoord cell : stored) sheet_.Clear(cell);
  return RangeOutcome::Ok();
}

RangeOutcome CRangeContent::ClearFormats() {
  if (sheet_.IsProtected()) return RangeOutcome::Runtime(kProtectedSheetError);
  std::vector<CellCoord> formatted;
  VisitRangeCells(sheet_, range_, [&](CellCoord cell, const Cell* content) {
    if (content != nullptr && content->format != 0) formatted.push_back(cell);
    return true;
  });
  for (const CellCoord cell : formatted) sheet_.SetFormat(cell, 0);
  return RangeOutcome::Ok();
}

// --- Checks -------------------------------------------------------------------------------------

std::vector<CellRect> CRangeContent::LiveArrays() const {
  std::vector<CellRect> arrays;
  const std::vector<FormulaRecord>& records = sheet_.FormulaRecords();
  for (const FormulaRecord& record : records) {
    if (record.kind != FormulaRecord::Kind::Array || !record.range.Intersects(range_)) continue;
    // An array whose first cell no longer refers to it was replaced as a whole.
    if (sheet_.FormulaOf(record.origin) == &record) arrays.push_back(record.range);
  }
  return arrays;
}

std::vector<CellRect> CRangeContent::OverlappingMerges() const {
  std::vector<CellRect> merges;
  for (const CellRect& merge : sheet_.Merges()) {
    if (merge.Intersects(range_)) merges.push_back(merge);
  }
  return merges;
}

bool CRangeContent::AnyLockedCell() const {
  const CFormatTable& formats = sheet_.Workbook().Formats();
  bool locked = false;
  VisitRangeCells(sheet_, range_, [&](CellCoord, const Cell* cell) {
    locked = formats.FormatAt(cell == nullptr ? 0 : cell->format).locked;
    return !locked;
  });
  return locked;
}

RangeOutcome CRangeContent::CheckWritable(bool formatsChange, bool wholeMerges) const {
  if (sheet_.IsProtected() && (formatsChange || AnyLockedCell())) {
    return RangeOutcome::Runtime(kProtectedSheetError);
  }
  auto inside = [&](const CellRect& area) {
    return range_.Contains(area.first) && range_.Contains(area.last);
  };
  for (const CellRect& array : LiveArrays()) {
    if (!inside(array)) return RangeOutcome::Runtime(kPartOfArrayError);
  }
  if (wholeMerges) {
    for (const CellRect& merge : OverlappingMerges()) {
      if (!inside(merge)) return RangeOutcome::Runtime(kPartOfMergedCellError);
    }
  }
  return RangeOutcome::Ok();
}

bool CRangeContent::IsHiddenByMerge(CellCoord cell, const std::vector<CellRect>& merges) const {
  for (const CellRect& merge : merges) {
    if (merge.Contains(cell)) return !(cell == merge.first);
  }
  return false;
}

}  // namespace spreadsheet
