// CSpreadsheetApplication: the state behind the Application object of the embedded spreadsheet:
// its open workbooks, the active workbook and selection, and the application-wide settings the
// object model reads and writes. Plain C++; the automation objects answer from it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "spreadsheet/calc/calculator.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {

// Excel's XlCalculation numbers.
constexpr std::int32_t kCalculationAutomatic = -4105;
constexpr std::int32_t kCalculationManual = -4135;
constexpr std::int32_t kCalculationSemiautomatic = 2;

// What a workbook window shows, per open workbook.
struct WindowState {
  std::int32_t scrollRow = 1;
  std::int32_t scrollColumn = 1;
  bool freezePanes = false;
  bool split = false;
  std::int32_t splitRow = 0;
  std::int32_t splitColumn = 0;
  double splitVertical = 0.0;
  double splitHorizontal = 0.0;
  bool displayHeadings = true;
  bool displayOutline = true;
  double zoom = 100.0;
  // The visible area in points; the object model derives VisibleRange from it.
  double usableWidth = 1000.0;
  double usableHeight = 600.0;
  // Split and frozen windows: the first row of the panes below the split and the first column
  // of the panes right of it (scrollRow and scrollColumn are those of the top-left pane), and
  // the active pane (1 to 4, counted as Excel counts panes).
  std::int32_t lowerScrollRow = 1;
  std::int32_t rightScrollColumn = 1;
  std::int32_t activePane = 1;
};

// The current selection: a rectangle on one sheet of one open workbook.
struct Selection {
  std::shared_ptr<CWorkbook> workbook;
  std::int32_t sheet = 1;
  CellRect range{{1, 1}, {1, 1}};
};

// What Worksheet.Evaluate answers for an expression: a reference to cells of the workbook (a
// Range object), one value, or an array of values.
struct EvaluationResult {
  enum class Kind : std::uint8_t { Value, Array, Reference };
  Kind kind = Kind::Value;
  std::vector<CellValue> values;  // Value: one; Array: rows * columns of them, row by row.
  std::int32_t rows = 1;
  std::int32_t columns = 1;
  std::int32_t sheet = 0;  // Reference: the sheet index (from 1) and the rectangle.
  CellRect range;
  // Reference: the areas after the first of a union ("(A1:A2,B1:C1)"), on the same sheet.
  std::vector<CellRect> otherAreas;
};

// Evaluates an expression on a sheet (index from 1) of a workbook. Nothing means the evaluator
// does not answer it, and Evaluate falls back to reading addresses and names itself.
using ExpressionEvaluator = std::function<std::optional<EvaluationResult>(
    CWorkbook& workbook, std::int32_t sheet, const std::wstring& expression)>;

// Opens a workbook file for Workbooks.Open; the command line and the tests provide it (the
// reader lives outside the object model). Returns the workbook, or nothing with `error` set.
using WorkbookOpener =
    std::function<std::unique_ptr<CWorkbook>(const std::wstring& path, std::wstring* error)>;

// Invariant: the active workbook, when there is one, is one of the open workbooks, and every
// open workbook has a window state.
class CSpreadsheetApplication {
 public:
  CSpreadsheetApplication();
  CSpreadsheetApplication(const CSpreadsheetApplication&) = delete;
  CSpreadsheetApplication& operator=(const CSpreadsheetApplication&) = delete;

  // Adds an open workbook and makes it active, with A1 of its active sheet selected.
  void AddWorkbook(std::shared_ptr<CWorkbook> workbook);
  void CloseWorkbook(const CWorkbook& workbook);
  const std::vector<std::shared_ptr<CWorkbook>>& Workbooks() const { return workbooks_; }
  std::shared_ptr<CWorkbook> ActiveWorkbook() const { return active_; }
  void Activate(const std::shared_ptr<CWorkbook>& workbook);
  WindowState& Window(const CWorkbook& workbook);

  const Selection& CurrentSelection() const { return selection_; }
  void Select(Selection selection);

  void SetOpener(WorkbookOpener opener) { opener_ = std::move(opener); }
  const WorkbookOpener& Opener() const { return opener_; }

  // Worksheet.Evaluate asks the evaluator first; by default it is the calculator's. Tests may
  // put another in its place.
  void SetEvaluator(ExpressionEvaluator evaluator) { evaluator_ = std::move(evaluator); }
  const ExpressionEvaluator& Evaluator() const { return evaluator_; }

  // Workbooks.Add names its workbooks Book1, Book2, ... counting over the application's life.
  std::int32_t NextNewWorkbookNumber() { return ++newWorkbooks_; }

  const std::wstring& Version() const { return version_; }
  void SetVersion(std::wstring version) { version_ = std::move(version); }
  std::int32_t Calculation() const { return calculation_; }
  // Back to automatic calculation, what waits is calculated.
  void SetCalculation(std::int32_t mode);
  bool CalculatesAutomatically() const { return calculation_ != kCalculationManual; }

  // The recalculation of the open workbooks' formulas.
  CCalculator& Calculator() { return calculator_; }
  // Cells of a sheet were written through the object model: what depends on them waits, and is
  // calculated at once unless calculation is manual.
  void CellsWritten(CWorkbook& workbook, std::int32_t sheet, const CellRect& range);
  // Sheets or defined names of a workbook changed: all its formulas are calculated again
  // (at once unless calculation is manual).
  void StructureChanged(CWorkbook& workbook);
  // Application.Calculate: what waits and the volatile formulas.
  void Calculate();
  bool ScreenUpdating() const { return screenUpdating_; }
  void SetScreenUpdating(bool on) { screenUpdating_ = on; }
  bool EnableEvents() const { return enableEvents_; }
  void SetEnableEvents(bool on) { enableEvents_ = on; }
  std::int32_t Hwnd() const { return 0; }  // No window off Windows.

 private:
  std::vector<std::shared_ptr<CWorkbook>> workbooks_;
  std::vector<std::pair<const CWorkbook*, WindowState>> windows_;
  std::shared_ptr<CWorkbook> active_;
  Selection selection_;
  WorkbookOpener opener_;
  ExpressionEvaluator evaluator_;
  CCalculator calculator_;
  std::int32_t newWorkbooks_ = 0;
  std::wstring version_ = L"16.0";
  std::int32_t calculation_ = kCalculationAutomatic;
  bool screenUpdating_ = true;
  bool enableEvents_ = true;
};

}  // namespace spreadsheet
