// A sheet's cells, formulas, merged ranges, sizes and tables.
#include "spreadsheet/model/worksheet.h"

#include <algorithm>
#include <stdexcept>

#include "spreadsheet/model/formula_shift.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {

const Cell* CWorksheet::Find(CellCoord cell) const {
  const auto found = cells_.find(Key(cell));
  return found == cells_.end() ? nullptr : &found->second;
}

Cell* CWorksheet::FindForCalculation(CellCoord cell) {
  const auto found = cells_.find(Key(cell));
  return found == cells_.end() ? nullptr : &found->second;
}

CellValue CWorksheet::Value(CellCoord cell) const {
  const Cell* stored = Find(cell);
  if (stored == nullptr) return CellValue();
  switch (stored->kind) {
    case ValueKind::Empty: return CellValue();
    case ValueKind::Number: return CellValue::Number(stored->number);
    case ValueKind::Boolean: return CellValue::Boolean(stored->number != 0.0);
    case ValueKind::Error: return CellValue::Error(stored->error);
    case ValueKind::Text: return CellValue::Text(workbook_->Strings().At(stored->text));
  }
  return CellValue();
}

bool CWorksheet::HasFormula(CellCoord cell) const {
  const Cell* stored = Find(cell);
  return stored != nullptr && stored->HasFormula();
}

const FormulaRecord* CWorksheet::FormulaOf(CellCoord cell) const {
  const Cell* stored = Find(cell);
  if (stored == nullptr || !stored->HasFormula()) return nullptr;
  return &formulas_[stored->formula - 1];
}

std::optional<std::wstring> CWorksheet::Formula(CellCoord cell) const {
  const FormulaRecord* record = FormulaOf(cell);
  if (record == nullptr) return std::nullopt;
  if (record->kind == FormulaRecord::Kind::Shared && !(cell == record->origin)) {
    return L"=" + ShiftFormula(record->text, cell.row - record->origin.row,
                               cell.column - record->origin.column);
  }
  return L"=" + record->text;
}

std::uint32_t CWorksheet::FormatOf(CellCoord cell) const {
  const Cell* stored = Find(cell);
  return stored == nullptr ? 0 : stored->format;
}

Cell& CWorksheet::Touch(CellCoord cell) {
  if (!IsOnSheet(cell)) throw std::out_of_range("cell is off the sheet");
  auto [where, added] = cells_.try_emplace(Key(cell));
  if (added) {
    auto& bottom = columnBottoms_[cell.column];
    bottom = std::max(bottom, cell.row);
    used_ = used_ ? used_->Union(CellRect::Of(cell)) : CellRect::Of(cell);
  }
  return where->second;
}

void CWorksheet::DropIfBlank(CellCoord cell) {
  const auto found = cells_.find(Key(cell));
  if (found != cells_.end() && found->second.IsBlank() && found->second.format == 0) {
    cells_.erase(found);
  }
}

void CWorksheet::StoreValue(Cell& cell, const CellValue& value) {
  cell.kind = value.Kind();
  cell.number = 0.0;
  cell.text = 0;
  switch (value.Kind()) {
    case ValueKind::Number: cell.number = value.AsNumber(); break;
    case ValueKind::Boolean: cell.number = value.AsBoolean() ? 1.0 : 0.0; break;
    case ValueKind::Error: cell.error = value.AsError(); break;
    case ValueKind::Text: cell.text = workbook_->Strings().Intern(value.AsText()); break;
    case ValueKind::Empty: break;
  }
}

void CWorksheet::SetValue(CellCoord cell, const CellValue& value) {
  Cell& stored = Touch(cell);
  stored.formula = 0;
  StoreValue(stored, value);
  DropIfBlank(cell);
}

void CWorksheet::SetFormula(CellCoord cell, std::wstring text, const CellValue& cached) {
  if (!text.empty() && text.front() == L'=') text.erase(0, 1);
  const std::uint32_t record =
      AddFormulaRecord({FormulaRecord::Kind::Single, std::move(text), cell, CellRect::Of(cell)});
  AttachFormula(cell, record);
  SetCachedValue(cell, cached);
}

std::uint32_t CWorksheet::AddFormulaRecord(FormulaRecord record) {
  formulas_.push_back(std::move(record));
  return static_cast<std::uint32_t>(formulas_.size() - 1);
}

void CWorksheet::AttachFormula(CellCoord cell, std::uint32_t record) {
  if (record >= formulas_.size() || !formulas_[record].range.Contains(cell)) {
    throw std::out_of_range("formula record does not cover the cell");
  }
  Touch(cell).formula = record + 1;
}

void CWorksheet::SetArrayFormula(const CellRect& range, std::wstring text) {
  if (!text.empty() && text.front() == L'=') text.erase(0, 1);
  const std::uint32_t record =
      AddFormulaRecord({FormulaRecord::Kind::Array, std::move(text), range.first, range});
  for (std::int32_t row = range.first.row; row <= range.last.row; ++row) {
    for (std::int32_t column = range.first.column; column <= range.last.column; ++column) {
      AttachFormula({row, column}, record);
    }
  }
}

void CWorksheet::SetCachedValue(CellCoord cell, const CellValue& value) {
  StoreValue(Touch(cell), value);
  DropIfBlank(cell);
}

void CWorksheet::SetFormat(CellCoord cell, std::uint32_t format) {
  if (format >= workbook_->Formats().Formats().size()) {
    throw std::out_of_range("cell format index out of range");
  }
  Touch(cell).format = format;
  DropIfBlank(cell);
}

void CWorksheet::ClearContents(CellCoord cell) {
  const auto found = cells_.find(Key(cell));
  if (found == cells_.end()) return;
  found->second.formula = 0;
  StoreValue(found->second, CellValue());
  DropIfBlank(cell);
}

void CWorksheet::Clear(CellCoord cell) { cells_.erase(Key(cell)); }

std::optional<CellRect> CWorksheet::UsedRange() const { return used_; }

void CWorksheet::ForEachCell(const std::function<void(CellCoord, const Cell&)>& visit) const {
  std::vector<std::uint64_t> keys;
  keys.reserve(cells_.size());
  for (const auto& entry : cells_) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());  // Row-major, as the key puts the row first.
  for (const std::uint64_t key : keys) visit(CoordOf(key), cells_.at(key));
}

void CWorksheet::ForEachCellForCalculation(const std::function<void(CellCoord, Cell&)>& visit) {
  for (auto& [key, cell] : cells_) visit(CoordOf(key), cell);
}

std::optional<CellCoord> CWorksheet::NextNonBlankBelow(CellCoord cell) const {
  const auto bottom = columnBottoms_.find(cell.column);
  if (bottom == columnBottoms_.end()) return std::nullopt;
  for (std::int32_t row = cell.row + 1; row <= bottom->second; ++row) {
    const Cell* stored = Find({row, cell.column});
    if (stored != nullptr && !stored->IsBlank()) return CellCoord{row, cell.column};
  }
  return std::nullopt;
}

void CWorksheet::AddMerge(const CellRect& range) {
  for (const CellRect& existing : merges_) {
    if (existing.Intersects(range)) throw std::invalid_argument("merged ranges overlap");
  }
  merges_.push_back(range);
}

std::optional<CellRect> CWorksheet::MergeAreaOf(CellCoord cell) const {
  for (const CellRect& range : merges_) {
    if (range.Contains(cell)) return range;
  }
  return std::nullopt;
}

double CWorksheet::ColumnWidth(std::int32_t column) const {
  const auto found = columnWidths_.find(column);
  return found == columnWidths_.end() ? kDefaultColumnWidth : found->second;
}

double CWorksheet::RowHeight(std::int32_t row) const {
  const auto found = rowHeights_.find(row);
  return found == rowHeights_.end() ? kDefaultRowHeight : found->second;
}

}  // namespace spreadsheet
