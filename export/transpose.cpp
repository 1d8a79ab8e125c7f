#include "export/transpose.h"

#include "excel/cell_range.h"
#include "excel/scope_guards.h"

namespace {

// What moves with a cell. A member that cannot be read keeps its default, and the default is
// written like any read value.
struct CellSnapshot {
  std::wstring formula;  // Empty when the content is taken as a value.
  CVariant value;
  std::wstring fontName;
  LONG fontSize = 0;
  bool bold = false;
  bool italic = false;
  LONG underline = 0;
  LONG fontColor = 0;
  LONG fillColor = 0;
};

CellSnapshot TakeSnapshot(const ExcelObject& cell) {
  CellSnapshot snapshot;
  if (cell.HasAnyFormula()) {
    cell.GetText(L"Formula", &snapshot.formula);
  } else {
    cell.GetValue(L"Value", &snapshot.value);
  }
  ExcelObject interior;
  if (cell.GetObject(L"Interior", &interior)) interior.GetLong(L"Color", &snapshot.fillColor);
  ExcelObject font;
  if (cell.GetObject(L"Font", &font)) {
    font.GetText(L"Name", &snapshot.fontName);
    font.GetLong(L"Size", &snapshot.fontSize);
    font.GetBool(L"Bold", &snapshot.bold);
    font.GetBool(L"Italic", &snapshot.italic);
    font.GetLong(L"Underline", &snapshot.underline);
    font.GetLong(L"Color", &snapshot.fontColor);
  }
  return snapshot;
}

// Writes that fail are skipped: the rest of the cell still gets what it can take.
void WriteSnapshot(const ExcelObject& cell, const CellSnapshot& snapshot) {
  if (!snapshot.formula.empty()) {
    cell.PutText(L"Formula", snapshot.formula);
  } else {
    cell.PutValue(L"Value", snapshot.value);
  }
  ExcelObject interior;
  if (cell.GetObject(L"Interior", &interior)) interior.PutLong(L"Color", snapshot.fillColor);
  ExcelObject font;
  if (cell.GetObject(L"Font", &font)) {
    font.PutText(L"Name", snapshot.fontName);
    font.PutLong(L"Size", snapshot.fontSize);
    font.PutBool(L"Bold", snapshot.bold);
    font.PutBool(L"Italic", snapshot.italic);
    font.PutLong(L"Underline", snapshot.underline);
    font.PutLong(L"Color", snapshot.fontColor);
  }
}

// A cell relative to the selection, from (1, 1); positions past its edges reach the cells beyond.
bool CellAt(const ExcelObject& cells, LONG row, LONG column, ExcelObject* cell) {
  return cells.GetObject(L"Item", cell, {CVariant(row), CVariant(column)});
}

// One pair of mirror cells. `inside` tells whether `b` lies in the selection (the two swap) or
// beyond it (`a` moves there and is cleared). Returns false when the pair holds an array formula
// and was left alone.
bool TransposePair(const ExcelObject& cells, LONG aRow, LONG aColumn, bool inside) {
  ExcelObject a;
  ExcelObject b;
  if (!CellAt(cells, aRow, aColumn, &a) || !CellAt(cells, aColumn, aRow, &b)) return true;
  if (a.IsTrue(L"HasArray") || b.IsTrue(L"HasArray")) return false;
  const CellSnapshot fromA = TakeSnapshot(a);
  if (inside) {
    const CellSnapshot fromB = TakeSnapshot(b);
    WriteSnapshot(b, fromA);
    WriteSnapshot(a, fromB);
  } else {
    WriteSnapshot(b, fromA);
    CVariant ignored;
    a.CallMethod(L"Clear", &ignored);
  }
  return true;
}

// Selects the transposed rectangle: `height` columns wide and `width` rows tall from the first
// cell of the selection.
void SelectTransposed(const ExcelObject& selection, LONG firstColumn, LONG firstRow, LONG height,
                      LONG width) {
  ExcelObject sheet;
  if (!selection.GetObject(L"Parent", &sheet)) return;
  const CellPos first{0, firstColumn, firstRow};
  const CellPos last{0, firstColumn + height - 1, firstRow + width - 1};
  ExcelObject range;
  if (!sheet.GetObject(L"Range", &range, {CVariant(RelativeA1Text(first, last))})) return;
  CVariant ignored;
  range.CallMethod(L"Select", &ignored);
}

}  // namespace

void TransposeSelection(const ExcelObject& application, IMessageSink& messages) {
  const EventsGuard events(application);
  const ScreenUpdatingGuard screen(application);
  const CalculationGuard calculation(application);

  ExcelObject selection;
  if (!application.GetObject(L"Selection", &selection)) return;
  LONG firstColumn = 0;
  LONG firstRow = 0;
  selection.GetLong(L"Column", &firstColumn);
  selection.GetLong(L"Row", &firstRow);
  ExcelObject rows;
  ExcelObject columns;
  if (!selection.GetObject(L"Rows", &rows) || !selection.GetObject(L"Columns", &columns)) return;
  LONG height = 0;
  LONG width = 0;
  rows.GetLong(L"Count", &height);
  columns.GetLong(L"Count", &width);
  if (height < 1 || width < 1 || (height == 1 && width == 1)) return;
  ExcelObject cells;
  if (!selection.GetObject(L"Cells", &cells)) return;

  // Pairs run along the longer edge; past the shorter one the mirror cell lies outside.
  bool arraysLeft = false;
  const bool wide = height < width;
  const LONG shortSide = wide ? height : width;
  const LONG longSide = wide ? width : height;
  for (LONG i = 1; i <= shortSide; ++i) {
    for (LONG j = i + 1; j <= longSide; ++j) {
      const bool inside = j <= shortSide;
      const bool done =
          wide ? TransposePair(cells, i, j, inside) : TransposePair(cells, j, i, inside);
      if (!done) arraysLeft = true;
    }
  }

  SelectTransposed(selection, firstColumn, firstRow, height, width);
  if (arraysLeft) messages.ShowMessage(kArrayFormulasNotTransposed);
}
