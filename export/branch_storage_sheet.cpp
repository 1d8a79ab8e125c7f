// Writing saved branches to a new worksheet.
#include "export/branch_storage_sheet.h"

#include <algorithm>
#include <new>
#include <utility>

#include "excel/cell_range.h"
#include "export/branch_address.h"
#include "platform/automation.h"

namespace {

// Excel's xlWorksheet, the Type of Worksheets.Add.
constexpr LONG kSheetTypeWorksheet = -4167;
constexpr LONG kReportColumnWidth = 15;

// Excel takes text written to Value as typed: a leading apostrophe would be eaten as the text
// prefix, and a leading "=" read as a formula (a lone "=", the comparison operator of an
// evaluation tree, would fail the whole block). An apostrophe in front keeps the text as it is.
std::wstring AsTypedText(std::wstring text) {
  if (!text.empty() && (text.front() == L'\'' || text.front() == L'=')) {
    text.insert(text.begin(), L'\'');
  }
  return text;
}

// A rows x columns array of strings, rows first, lower bounds 1, as Range.Value takes a block.
CVariant MakeGrid(const std::vector<std::vector<std::wstring>>& grid, std::size_t width) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(grid.size()), 1}, {static_cast<ULONG>(width), 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (array == nullptr) throw std::bad_alloc();
  CVariant block;
  block.GetMutable()->vt = VT_ARRAY | VT_VARIANT;
  block.GetMutable()->parray = array;
  const CVariant empty(L"");
  for (std::size_t r = 0; r < grid.size(); ++r) {
    for (std::size_t c = 0; c < width; ++c) {
      LONG indices[2] = {static_cast<LONG>(r + 1), static_cast<LONG>(c + 1)};
      const std::vector<std::wstring>& row = grid[r];
      if (c < row.size()) {
        const CVariant text(row[c]);
        SafeArrayPutElement(array, indices, text.GetSource());
      } else {
        SafeArrayPutElement(array, indices, empty.GetSource());
      }
    }
  }
  return block;
}

}  // namespace

void CBranchStorageSheet::SetContainer(CDependencyContainer* container) {
  container_ = container;
  pause_.reset();
  if (container_ != nullptr) pause_.emplace(container_->Application());
}

bool CBranchStorageSheet::Open() {
  if (container_ == nullptr) return false;
  ExcelObject worksheets;
  LONG count = 0;
  ExcelObject last;
  if (!container_->Workbook().GetObject(L"Worksheets", &worksheets) ||
      !worksheets.GetLong(L"Count", &count) ||
      !worksheets.GetObject(L"Item", &last, {CVariant(count)})) {
    return false;
  }
  ExcelObject added;
  if (!worksheets.CallForObject(L"Add", &added,
                                {CVariant::Missing(), CVariant(last.Get()), CVariant(LONG{1}),
                                 CVariant(kSheetTypeWorksheet)})) {
    return false;
  }
  sheet_ = added;
  ExcelObject cells;
  if (sheet_.GetObject(L"Cells", &cells)) cells.PutLong(L"ColumnWidth", kReportColumnWidth);
  grid_.clear();
  row_ = kFirstRow;
  return true;
}

void CBranchStorageSheet::Put(std::size_t row, std::size_t column, std::wstring text) {
  if (grid_.size() <= row) grid_.resize(row + 1);
  std::vector<std::wstring>& line = grid_[row];
  if (line.size() <= column) line.resize(column + 1);
  line[column] = std::move(text);
}

void CBranchStorageSheet::WriteCell(const CellPos& position, const std::wstring& name,
                                    const std::wstring& formula, const std::wstring& value,
                                    std::uint32_t depth, bool expandedAbove) {
  if (sheet_.IsEmpty() || position.IsNoCell()) return;
  std::wstring label = BranchLabel(container_->Structure().SheetsByIndex(), position, position, name);
  if (expandedAbove) label += kExpandedAboveMark;
  PutCellLine(std::move(label), formula, value, depth);
}

void CBranchStorageSheet::WriteName(const std::wstring& name, const std::wstring& refersTo,
                                    std::uint32_t depth, bool expandedAbove) {
  if (sheet_.IsEmpty()) return;
  PutCellLine(expandedAbove ? name + kExpandedAboveMark : name, L"", refersTo, depth);
}

void CBranchStorageSheet::PutCellLine(std::wstring label, const std::wstring& formula,
                                      const std::wstring& value, std::uint32_t depth) {
  label = AsTypedText(std::move(label));
  if (!label.empty()) Put(row_, Column(depth, 2), std::move(label));
  if (!formula.empty()) {
    Put(row_, Column(depth, 3), formula.substr(1));
    Put(row_, Column(depth, 4), AsTypedText(value));
  } else {
    Put(row_, Column(depth, 3), AsTypedText(value));
  }
  ++row_;
}

void CBranchStorageSheet::WriteRange(const CellPos& first, const CellPos& last,
                                     const std::wstring& name, std::uint32_t depth,
                                     bool expandedAbove) {
  if (sheet_.IsEmpty() || first.IsNoCell() || last.IsNoCell()) return;
  // One empty row sets every rectangle off from the lines above it. Its first cell shares its
  // row, one column further right; a rectangle written earlier has no cells here, so the next
  // line takes a row of its own.
  ++row_;
  if (!expandedAbove) {
    Put(row_, Column(depth, 2), BranchLabel(container_->Structure().SheetsByIndex(), first, last, name));
    return;
  }
  Put(row_, Column(depth, 2),
      BranchLabel(container_->Structure().SheetsByIndex(), first, last, name) + kExpandedAboveMark);
  ++row_;
}

void CBranchStorageSheet::WriteExpression(const std::wstring& text, const std::wstring& value,
                                          std::uint32_t depth) {
  if (sheet_.IsEmpty()) return;
  Put(row_, Column(depth, 2), AsTypedText(text + L" = " + value));
  ++row_;
}

void CBranchStorageSheet::WriteText(const std::wstring& text, std::uint32_t depth) {
  if (sheet_.IsEmpty()) return;
  if (!text.empty()) Put(row_, Column(depth, 2), AsTypedText(text));
  ++row_;
}

void CBranchStorageSheet::Close() {
  if (sheet_.IsEmpty()) return;
  if (!grid_.empty()) {
    std::size_t width = 0;
    for (const std::vector<std::wstring>& line : grid_) width = std::max(width, line.size());
    ExcelObject target;
    const CellPos from{0, 1, 1};
    const CellPos to{0, static_cast<int32_t>(width), static_cast<int32_t>(grid_.size())};
    if (width > 0 && GetRangeOnSheet(sheet_, from, to, &target)) {
      target.PutValue(L"Value", MakeGrid(grid_, width));
    }
  }
  CVariant ignored;
  sheet_.CallMethod(L"Activate", &ignored);
  ExcelObject window;
  if (container_->Application().GetObject(L"ActiveWindow", &window)) {
    window.PutBool(L"DisplayGridlines", false);
  }
}
