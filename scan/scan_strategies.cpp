// The strategies of the whole-workbook walk.
#include "scan/scan_strategies.h"

#include "scan/cell_collection.h"

namespace {

// Appends the cell to the list of its colour index, and keeps the colour of the first cell seen
// with that index.
void RecordColor(const ExcelObject& format, LONG index, const CellPos& position,
                 CColorTable& table) {
  const auto key = static_cast<int32_t>(index);
  table.AddCell(key, SingleCellEntry(position));
  if (table.HasColor(key)) return;
  LONG color = 0;
  if (!format.GetLong(L"Color", &color)) color = 0;
  table.SetColor(key, static_cast<int32_t>(color));
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

void CScanWorkbook_CollectData::ProcessRun(const CCellRun& run) {
  CollectRunFormulas(*container_, run);
}

void CScanWorkbook_CollectErrors::ProcessRun(const CCellRun& run) {
  for (int32_t index = 0; index < run.Size(); ++index) {
    if (run.Value(index).vt == VT_ERROR) {
      container_->Lists().AddErrorCell(SingleCellEntry(run.Position(index)));
    }
  }
}

void CScanWorkbook_CollectErrors::ProcessCell(const ExcelObject& cell, const CellPos& position) {
  CVariant value;
  if (cell.GetValue(L"Value", &value) && value.Kind() == VT_ERROR) {
    container_->Lists().AddErrorCell(SingleCellEntry(position));
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
    RecordColor(interior, fill, position, container_->Lists().FillColors());
  }
  LONG text = 0;
  if (font.GetLong(L"ColorIndex", &text) && text != kColorIndexAutomatic) {
    RecordColor(font, text, position, container_->Lists().FontColors());
  }
}
