// The strategies of the whole-workbook walk.
#include "scan/scan_strategies.h"

#include <map>
#include <vector>

#include "scan/cell_collection.h"

namespace {

// Appends the cell to the list of its colour index, and keeps the colour of the first cell seen
// with that index.
void RecordColor(const ExcelObject& format, LONG index, const CellPos& position,
                 std::map<int32_t, std::vector<CellReference>>& cells,
                 std::map<int32_t, int32_t>& colors) {
  const auto key = static_cast<int32_t>(index);
  cells[key].push_back(SingleCellEntry(position));
  if (colors.contains(key)) return;
  LONG color = 0;
  if (!format.GetLong(L"Color", &color)) color = 0;
  colors.emplace(key, static_cast<int32_t>(color));
}

}  // namespace

CellReference SingleCellEntry(const CellPos& position) {
  CellReference entry;
  entry.first = position;
  entry.last = position;
  return entry;
}

void CScanWorkbook_CollectData::ProcessCell(const ExcelObject& cell, const CellPos& position) {
  CollectCellFormula(*container_, cell, position);
}

void CScanWorkbook_CollectErrors::ProcessCell(const ExcelObject& cell, const CellPos& position) {
  CVariant value;
  if (cell.GetValue(L"Value", &value) && value.Kind() == VT_ERROR) {
    container_->errorCellList_.push_back(SingleCellEntry(position));
  }
}

void CScanWorkbook_AnalyzeColors::ProcessCell(const ExcelObject& cell, const CellPos& position) {
  ExcelObject interior;
  ExcelObject font;
  LONG fill = 0;
  // Without a readable fill index the font is not looked at either.
  if (!cell.GetObject(L"Interior", &interior) || !cell.GetObject(L"Font", &font) ||
      !interior.GetLong(L"ColorIndex", &fill)) {
    return;
  }
  if (fill != kColorIndexNone) {
    RecordColor(interior, fill, position, container_->fillColorCells_,
                container_->fillColorValues_);
  }
  LONG text = 0;
  if (font.GetLong(L"ColorIndex", &text) && text != kColorIndexAutomatic) {
    RecordColor(font, text, position, container_->fontColorCells_, container_->fontColorValues_);
  }
}
