// CFormulaEvaluator: computes an Expression in the setting of one cell, as Excel does: references,
// names and tables resolved on the formula's workbook, operators with implicit intersection or
// array arithmetic, functions with their arguments prepared by kind.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/calc/expression.h"
#include "spreadsheet/calc/function_context.h"

namespace spreadsheet {

class CWorkbook;

// The calculator's side of evaluation: the cells' current values (a cell still to be calculated
// may make Read throw; the calculator catches it), other open workbooks, and parsed text.
// The cells one evaluation may build into arrays, operands and results together: each array is
// bounded by kMaxArrayCells, yet a formula can chain many ("1:256+1:256+..."). Enough for
// arithmetic over a few whole columns; past it arrays are #NUM!, in bounded time and memory.
inline constexpr std::int64_t kMaxArrayCellsPerEvaluation = 4 * kMaxArrayCells;

class ICellReader {
 public:
  virtual ~ICellReader() = default;
  virtual EvalValue Read(CWorkbook& workbook, std::int32_t sheet, CellCoord cell) = 0;
  // An open workbook by file name ("Book.xlsx"), for external references; null when not open.
  virtual CWorkbook* FindOpenWorkbook(std::wstring_view name) = 0;
  // A parsed formula for text without "=" (names' definitions, INDIRECT); null when malformed.
  virtual ExpressionPtr Parse(std::wstring_view text) = 0;
  // The cells one evaluation may build into arrays (CFormulaEvaluator::ReserveArrayCells).
  virtual std::int64_t ArrayCellBudget() const { return kMaxArrayCellsPerEvaluation; }
};

// Where a formula is evaluated. `origin` is the cell its references were written for: a shared
// formula's first cell; its relative references move by cell - origin.
struct EvaluationSite {
  CWorkbook* workbook = nullptr;
  std::int32_t sheet = 1;
  CellCoord cell{1, 1};
  CellCoord origin{1, 1};
  bool arrayFormula = false;
};

class CFormulaEvaluator final : public CFunctionContext {
 public:
  static constexpr std::int64_t kMaxArrayCellsPerEvaluation = spreadsheet::kMaxArrayCellsPerEvaluation;

  CFormulaEvaluator(ICellReader& reader, const EvaluationSite& site);

  // The expression's value as it is: perhaps a reference or an array.
  EvalValue Evaluate(const Expression& expression);
  // What a cell holding the formula shows: a scalar (blank references read as 0); for an
  // array formula, the element for the site's cell of the array's range `arrayRange`.
  EvalValue EvaluateForCell(const Expression& expression,
                            const std::optional<CellRect>& arrayRange = std::nullopt);
  // The values of an array formula's cells over its range, row by row.
  std::vector<EvalValue> EvaluateOverRange(const Expression& expression, const CellRect& range);
  // The areas the expression's references, names and table references stand for here. What
  // only a function's run finds (OFFSET, INDIRECT) is not among them; `complete` turns false
  // when the expression may reach cells beyond them (a ":" between computed references).
  std::vector<Area> ReferencedAreas(const Expression& expression, bool& complete);
  // Counts an array of `cells` about to be built for this evaluation; false (build nothing, give
  // #NUM!) when it would pass kMaxArrayCells or the evaluation's budget.
  bool ReserveArrayCells(std::int64_t cells) override;
  // Cells of the arrays built so far: from references, by operators and by functions.
  std::int64_t ArrayCellsBuilt() const { return arrayCells_; }

  // CFunctionContext.
  CWorkbook& Workbook() const override { return *site_.workbook; }
  std::int32_t Sheet() const override { return site_.sheet; }
  CellCoord Cell() const override { return site_.cell; }
  bool ArrayMode() const override { return arrayMode_; }
  EvalValue CellValueAt(const Area& area, CellCoord cell) override;
  std::optional<CellRect> UsedPart(const Area& area) const override;
  EvalValue ReferenceFromText(std::wstring_view text, bool a1) override;
  std::optional<std::wstring> FormulaAt(const Area& area, CellCoord cell) const override;
  std::wstring NumberFormatAt(const Area& area, CellCoord cell) const override;
  double Now() override;
  double Random() override;
  bool Date1904() const override;

 private:
  EvalValue Eval(const Expression& e, std::int32_t index);
  EvalValue EvalReference(const Expression& e, const ExpressionNode& node);
  EvalValue EvalName(const Expression& e, const ExpressionNode& node);
  EvalValue EvalTable(const Expression& e, const ExpressionNode& node);
  EvalValue EvalFunction(const Expression& e, const ExpressionNode& node);
  std::optional<EvalValue> EvalLazily(const Expression& e, const ExpressionNode& node);
  EvalValue EvalBinary(const Expression& e, const ExpressionNode& node);
  EvalValue EvalUnary(const Expression& e, const ExpressionNode& node);
  EvalValue EvalReferenceOperator(const Expression& e, const ExpressionNode& node);
  void CollectAreas(const Expression& e, std::vector<Area>& out, bool& complete);
  EvalValue EvalArgument(const Expression& e, std::int32_t index, bool asArray);
  // The sheets a prefix names (3-D references name several); nothing for #REF!.
  bool ResolveSheets(const Expression& e, std::int32_t prefix, CWorkbook*& workbook,
                     std::int32_t& firstSheet, std::int32_t& lastSheet) const;
  std::optional<std::int32_t> Move(std::int32_t value, bool absolute, std::int32_t delta,
                                   std::int32_t limit) const;

  ICellReader& reader_;
  EvaluationSite site_;
  bool arrayMode_ = false;
  int nameDepth_ = 0;
  std::int64_t arrayCells_ = 0;
  std::optional<double> now_;
};

// The value of a scalar operator applied to two scalars (arithmetic, "&", comparisons).
EvalValue ApplyBinaryOperator(Operator op, const EvalValue& left, const EvalValue& right);

}  // namespace spreadsheet
