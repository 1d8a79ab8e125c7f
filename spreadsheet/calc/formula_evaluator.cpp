// The evaluator walks the expression tree; the tree's depth is bounded by the parser, so the walk
// is too. Values of other cells come from the calculator through ICellReader.
#include "spreadsheet/calc/formula_evaluator.h"

#include <cmath>
#include <ctime>

#include "spreadsheet/calc/excel_date.h"
#include "spreadsheet/calc/expression_parser.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/calc/r1c1_reference.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {
namespace {

constexpr int kMaxNameDepth = 32;

// Excel treats results of + and - within a few units of the last of 15 digits from zero as
// zero, so that 0.3-0.2-0.1 shows 0.
double SnapToZero(double result, double a, double b) {
  const double scale = std::max(std::fabs(a), std::fabs(b));
  if (scale != 0.0 && std::fabs(result) <= scale * 1e-15) return 0.0;
  return result;
}

// Numbers compared to Excel's 15 significant digits.
int CompareNumbers(double a, double b) {
  if (a == b) return 0;
  const double scale = std::max(std::fabs(a), std::fabs(b));
  if (std::fabs(a - b) <= scale * 1e-15) return 0;
  return a < b ? -1 : 1;
}

const CWorksheet* SheetOf(const Area& area) {
  if (area.workbook == nullptr || area.sheet < 1 || area.sheet > area.workbook->SheetCount()) {
    return nullptr;
  }
  return &area.workbook->Sheet(area.sheet);
}

// An element of an operand spread over a result of rows x columns: single rows and columns
// repeat, other arrays too small give #N/A.
const EvalValue& ElementFor(const EvalValue& operand, std::int32_t row, std::int32_t column) {
  static const EvalValue kNotAvailable = EvalValue::Error(ErrorCode::NA);
  if (!operand.IsArray()) return operand;
  const ValueArray& array = operand.AsArray();
  const std::int32_t r = array.rows == 1 ? 0 : row;
  const std::int32_t c = array.columns == 1 ? 0 : column;
  if (r >= array.rows || c >= array.columns) return kNotAvailable;
  return array.At(r, c);
}

EvalValue FirstElement(const EvalValue& value) {
  if (!value.IsArray()) return value;
  const ValueArray& array = value.AsArray();
  return array.cells.empty() ? Error(ErrorCode::Value) : array.cells.front();
}

}  // namespace

EvalValue ApplyBinaryOperator(Operator op, const EvalValue& left, const EvalValue& right) {
  if (left.IsError()) return left;
  if (right.IsError()) return right;
  switch (op) {
    case Operator::Concatenate: {
      std::wstring a;
      std::wstring b;
      if (auto e = GetText(left, a)) return *e;
      if (auto e = GetText(right, b)) return *e;
      if (a.size() + b.size() > 32767) return Error(ErrorCode::Value);
      return EvalValue::Text(a + b);
    }
    case Operator::Equal:
    case Operator::NotEqual:
    case Operator::Less:
    case Operator::Greater:
    case Operator::LessEqual:
    case Operator::GreaterEqual: {
      int order = 0;
      const bool numeric =
          (left.IsNumber() || left.IsEmpty()) && (right.IsNumber() || right.IsEmpty());
      if (numeric) {
        order = CompareNumbers(left.AsNumber(), right.AsNumber());
      } else {
        order = CompareValues(left, right);
      }
      switch (op) {
        case Operator::Equal:
          return EvalValue::Boolean(order == 0);
        case Operator::NotEqual:
          return EvalValue::Boolean(order != 0);
        case Operator::Less:
          return EvalValue::Boolean(order < 0);
        case Operator::Greater:
          return EvalValue::Boolean(order > 0);
        case Operator::LessEqual:
          return EvalValue::Boolean(order <= 0);
        default:
          return EvalValue::Boolean(order >= 0);
      }
    }
    default:
      break;
  }
  // Numbers, Booleans and blanks directly: they are the bulk of arithmetic over whole columns.
  const auto numberOf = [](const EvalValue& value, double& out) -> std::optional<EvalValue> {
    if (value.IsNumber() || value.IsBoolean() || value.IsEmpty()) {
      out = value.AsNumber();
      return std::nullopt;
    }
    return GetNumber(value, out);
  };
  double a = 0.0;
  double b = 0.0;
  if (auto e = numberOf(left, a)) return *e;
  if (auto e = numberOf(right, b)) return *e;
  switch (op) {
    case Operator::Add:
      return NumberResult(SnapToZero(a + b, a, b));
    case Operator::Subtract:
      return NumberResult(SnapToZero(a - b, a, b));
    case Operator::Multiply:
      return NumberResult(a * b);
    case Operator::Divide:
      if (b == 0.0) return Error(ErrorCode::Div0);
      return NumberResult(a / b);
    case Operator::Power:
      if (a == 0.0 && b == 0.0) return Error(ErrorCode::Num);
      if (a == 0.0 && b < 0.0) return Error(ErrorCode::Div0);
      return NumberResult(std::pow(a, b));
    default:
      break;
  }
  return Error(ErrorCode::Value);
}

CFormulaEvaluator::CFormulaEvaluator(ICellReader& reader, const EvaluationSite& site)
    : reader_(reader), site_(site), arrayMode_(site.arrayFormula) {}

EvalValue CFormulaEvaluator::Evaluate(const Expression& expression) {
  if (expression.root < 0) return Error(ErrorCode::Name);
  return Eval(expression, expression.root);
}

EvalValue CFormulaEvaluator::EvaluateForCell(const Expression& expression,
                                             const std::optional<CellRect>& arrayRange) {
  EvalValue value = Evaluate(expression);
  if (value.IsReference()) value = Dereference(value, *this);
  if (value.IsArray()) {
    if (arrayRange) {
      value = ElementFor(value, site_.cell.row - arrayRange->first.row,
                         site_.cell.column - arrayRange->first.column);
    } else {
      value = FirstElement(value);
    }
  }
  if (value.IsEmpty()) return EvalValue::Number(0.0);
  return value;
}

std::vector<EvalValue> CFormulaEvaluator::EvaluateOverRange(const Expression& expression,
                                                            const CellRect& range) {
  EvalValue value = Evaluate(expression);
  if (value.IsReference()) value = Dereference(value, *this);
  std::vector<EvalValue> cells;
  cells.reserve(static_cast<std::size_t>(range.CellCount()));
  for (std::int32_t r = 0; r < range.Rows(); ++r) {
    for (std::int32_t c = 0; c < range.Columns(); ++c) {
      EvalValue element = ElementFor(value, r, c);
      if (element.IsEmpty()) element = EvalValue::Number(0.0);
      cells.push_back(std::move(element));
    }
  }
  return cells;
}

std::vector<Area> CFormulaEvaluator::ReferencedAreas(const Expression& expression, bool& complete) {
  std::vector<Area> areas;
  complete = !expression.isVolatile;
  CollectAreas(expression, areas, complete);
  return areas;
}

void CFormulaEvaluator::CollectAreas(const Expression& e, std::vector<Area>& out, bool& complete) {
  for (const ExpressionNode& node : e.nodes) {
    EvalValue value;
    switch (node.kind) {
      case NodeKind::Cell:
      case NodeKind::Area:
        value = EvalReference(e, node);
        break;
      case NodeKind::Table:
        value = EvalTable(e, node);
        break;
      case NodeKind::Range: {
        const NodeKind a = e.Node(e.Child(node, 0)).kind;
        const NodeKind b = e.Node(e.Child(node, 1)).kind;
        const auto plain = [](NodeKind k) { return k == NodeKind::Cell || k == NodeKind::Area; };
        if (plain(a) && plain(b)) {
          value = EvalReferenceOperator(e, node);
        } else {
          complete = false;
        }
        break;
      }
      case NodeKind::Name: {
        const std::wstring& name = e.strings[static_cast<std::size_t>(node.text)];
        const DefinedName* found = nullptr;
        if (node.sheet < 0) {
          found = site_.workbook->FindName(name, site_.sheet);
          if (found == nullptr) found = site_.workbook->FindName(name, 0);
        }
        if (found == nullptr || nameDepth_ >= kMaxNameDepth) {
          if (node.sheet >= 0) complete = false;  // Another sheet's or workbook's name.
          break;
        }
        std::wstring_view text = found->refersTo;
        if (!text.empty() && text.front() == L'=') text.remove_prefix(1);
        const ExpressionPtr parsed = reader_.Parse(text);
        if (!parsed) break;
        if (parsed->isVolatile) complete = false;
        const EvaluationSite saved = site_;
        site_.origin = site_.cell;
        if (found->scope > 0) site_.sheet = found->scope;
        ++nameDepth_;
        CollectAreas(*parsed, out, complete);
        --nameDepth_;
        site_ = saved;
        break;
      }
      default:
        break;
    }
    if (value.IsReference()) {
      out.insert(out.end(), value.AsAreas().begin(), value.AsAreas().end());
    }
  }
}

EvalValue CFormulaEvaluator::Eval(const Expression& e, std::int32_t index) {
  const ExpressionNode& node = e.Node(index);
  switch (node.kind) {
    case NodeKind::Number:
      return EvalValue::Number(node.number);
    case NodeKind::Text:
      return EvalValue::Text(e.strings[static_cast<std::size_t>(node.text)]);
    case NodeKind::Boolean:
      return EvalValue::Boolean(node.number != 0.0);
    case NodeKind::Error:
      return Error(node.error);
    case NodeKind::Missing:
      return EvalValue();
    case NodeKind::Array:
      return EvalValue::Array(e.arrays[static_cast<std::size_t>(node.table)]);
    case NodeKind::Cell:
    case NodeKind::Area:
      return EvalReference(e, node);
    case NodeKind::Name:
      return EvalName(e, node);
    case NodeKind::Table:
      return EvalTable(e, node);
    case NodeKind::Function:
      return EvalFunction(e, node);
    case NodeKind::Unary:
    case NodeKind::Percent:
      return EvalUnary(e, node);
    case NodeKind::Binary:
      return EvalBinary(e, node);
    case NodeKind::Range:
    case NodeKind::Intersect:
    case NodeKind::Union:
      return EvalReferenceOperator(e, node);
  }
  return Error(ErrorCode::Value);
}

std::optional<std::int32_t> CFormulaEvaluator::Move(std::int32_t value, bool absolute,
                                                    std::int32_t delta, std::int32_t limit) const {
  if (absolute || delta == 0) return value;
  const std::int32_t moved = value + delta;
  if (moved < 1 || moved > limit) return std::nullopt;
  return moved;
}

bool CFormulaEvaluator::ResolveSheets(const Expression& e, std::int32_t prefixIndex,
                                      CWorkbook*& workbook, std::int32_t& firstSheet,
                                      std::int32_t& lastSheet) const {
  workbook = site_.workbook;
  firstSheet = lastSheet = site_.sheet;
  if (prefixIndex < 0) return true;
  const SheetPrefix& prefix = e.sheets[static_cast<std::size_t>(prefixIndex)];
  if (prefix.external != 0) {
    if (prefix.external < 0) return false;
    const auto& links = site_.workbook->ExternalLinks();
    if (static_cast<std::size_t>(prefix.external) > links.size()) return false;
    std::wstring_view file = links[static_cast<std::size_t>(prefix.external - 1)];
    const std::size_t slash = file.find_last_of(L"/\\");
    if (slash != std::wstring_view::npos) file = file.substr(slash + 1);
    workbook = reader_.FindOpenWorkbook(file);
    if (workbook == nullptr) return false;
    if (prefix.workbookOnly) return true;
  }
  const auto first = workbook->FindSheet(prefix.first);
  if (!first) return false;
  firstSheet = lastSheet = *first;
  if (!prefix.last.empty()) {
    const auto last = workbook->FindSheet(prefix.last);
    if (!last) return false;
    lastSheet = *last;
    if (lastSheet < firstSheet) std::swap(firstSheet, lastSheet);
  }
  return true;
}

EvalValue CFormulaEvaluator::EvalReference(const Expression& e, const ExpressionNode& node) {
  CWorkbook* workbook = nullptr;
  std::int32_t firstSheet = 0;
  std::int32_t lastSheet = 0;
  if (!ResolveSheets(e, node.sheet, workbook, firstSheet, lastSheet)) return Error(ErrorCode::Ref);
  const std::int32_t rowDelta = site_.cell.row - site_.origin.row;
  const std::int32_t columnDelta = site_.cell.column - site_.origin.column;
  CellRect rect;
  const ReferencePoint* points[2] = {&node.first, &node.last};
  CellCoord* corners[2] = {&rect.first, &rect.last};
  for (int i = 0; i < 2; ++i) {
    const ReferencePoint& p = *points[i];
    if (p.cell.row == 0) {
      corners[i]->row = i == 0 ? 1 : kMaxRows;
    } else {
      const auto row = Move(p.cell.row, p.rowAbsolute, rowDelta, kMaxRows);
      if (!row) return Error(ErrorCode::Ref);
      corners[i]->row = *row;
    }
    if (p.cell.column == 0) {
      corners[i]->column = i == 0 ? 1 : kMaxColumns;
    } else {
      const auto column = Move(p.cell.column, p.columnAbsolute, columnDelta, kMaxColumns);
      if (!column) return Error(ErrorCode::Ref);
      corners[i]->column = *column;
    }
  }
  if (rect.first.row > rect.last.row) std::swap(rect.first.row, rect.last.row);
  if (rect.first.column > rect.last.column) std::swap(rect.first.column, rect.last.column);
  if (firstSheet == lastSheet) return EvalValue::Reference(Area{workbook, firstSheet, rect});
  std::vector<Area> areas;
  for (std::int32_t sheet = firstSheet; sheet <= lastSheet; ++sheet) {
    areas.push_back(Area{workbook, sheet, rect});
  }
  return EvalValue::Reference(std::move(areas));
}

EvalValue CFormulaEvaluator::EvalName(const Expression& e, const ExpressionNode& node) {
  const std::wstring& name = e.strings[static_cast<std::size_t>(node.text)];
  CWorkbook* workbook = site_.workbook;
  const DefinedName* found = nullptr;
  if (node.sheet >= 0) {
    const SheetPrefix& prefix = e.sheets[static_cast<std::size_t>(node.sheet)];
    std::int32_t firstSheet = 0;
    std::int32_t lastSheet = 0;
    if (!ResolveSheets(e, node.sheet, workbook, firstSheet, lastSheet))
      return Error(ErrorCode::Ref);
    found =
        prefix.workbookOnly ? workbook->FindName(name, 0) : workbook->FindName(name, firstSheet);
    if (found == nullptr && prefix.workbookOnly) found = nullptr;
  } else {
    found = workbook->FindName(name, site_.sheet);
    if (found == nullptr) found = workbook->FindName(name, 0);
  }
  if (found == nullptr || nameDepth_ >= kMaxNameDepth) return Error(ErrorCode::Name);
  std::wstring_view text = found->refersTo;
  if (!text.empty() && text.front() == L'=') text.remove_prefix(1);
  const ExpressionPtr parsed = reader_.Parse(text);
  if (!parsed) return Error(ErrorCode::Name);
  // A name's references do not move with the cell that uses it.
  const EvaluationSite saved = site_;
  site_.workbook = workbook;
  site_.origin = site_.cell;
  if (found->scope > 0) site_.sheet = found->scope;
  ++nameDepth_;
  EvalValue value = Evaluate(*parsed);
  --nameDepth_;
  site_ = saved;
  return value;
}

EvalValue CFormulaEvaluator::EvalTable(const Expression& e, const ExpressionNode& node) {
  const TableReference& ref = e.tables[static_cast<std::size_t>(node.table)];
  CWorkbook& workbook = *site_.workbook;
  const Table* table = nullptr;
  std::int32_t sheet = 0;
  for (std::int32_t s = 1; s <= workbook.SheetCount() && table == nullptr; ++s) {
    for (const Table& candidate : workbook.Sheet(s).Tables()) {
      const bool match = ref.table.empty()
                             ? (s == site_.sheet && candidate.range.Contains(site_.cell))
                             : SameIdentifier(candidate.name, ref.table);
      if (match) {
        table = &candidate;
        sheet = s;
        break;
      }
    }
  }
  if (table == nullptr) return Error(ErrorCode::Ref);
  const CellRect& range = table->range;
  const std::int32_t headerRow = table->hasHeaderRow ? range.first.row : 0;
  const std::int32_t totalsRow = table->hasTotalsRow ? range.last.row : 0;
  const std::int32_t dataFirst = range.first.row + (table->hasHeaderRow ? 1 : 0);
  const std::int32_t dataLast = range.last.row - (table->hasTotalsRow ? 1 : 0);
  std::int32_t top = 0;
  std::int32_t bottom = -1;
  auto include = [&](std::int32_t first, std::int32_t last) {
    if (first == 0 || last < first) return;
    if (bottom < top) {
      top = first;
      bottom = last;
    } else {
      top = std::min(top, first);
      bottom = std::max(bottom, last);
    }
  };
  if (ref.all) {
    include(range.first.row, range.last.row);
  } else if (ref.thisRow) {
    if (site_.cell.row < dataFirst || site_.cell.row > dataLast) return Error(ErrorCode::Value);
    include(site_.cell.row, site_.cell.row);
  } else {
    const bool anyItem = ref.data || ref.headers || ref.totals;
    if (ref.headers) include(headerRow, headerRow);
    if (ref.data || !anyItem) include(dataFirst, dataLast);
    if (ref.totals) include(totalsRow, totalsRow);
  }
  if (bottom < top) return Error(ErrorCode::Ref);
  std::int32_t left = range.first.column;
  std::int32_t right = range.last.column;
  if (!ref.firstColumn.empty()) {
    auto columnOf = [&](const std::wstring& name) -> std::int32_t {
      for (std::size_t i = 0; i < table->columns.size(); ++i) {
        if (SameIdentifier(table->columns[i], name)) {
          return range.first.column + static_cast<std::int32_t>(i);
        }
      }
      return 0;
    };
    left = columnOf(ref.firstColumn);
    right = columnOf(ref.lastColumn);
    if (left == 0 || right == 0) return Error(ErrorCode::Ref);
    if (right < left) std::swap(left, right);
  }
  return EvalValue::Reference(Area{&workbook, sheet, {{top, left}, {bottom, right}}});
}

EvalValue CFormulaEvaluator::EvalArgument(const Expression& e, std::int32_t index, bool asArray) {
  if (!asArray || arrayMode_) return Eval(e, index);
  arrayMode_ = true;
  EvalValue value = Eval(e, index);
  arrayMode_ = false;
  return value;
}

bool CFormulaEvaluator::ReserveArrayCells(std::int64_t cells) {
  if (cells > kMaxArrayCells || cells > reader_.ArrayCellBudget() - arrayCells_) return false;
  arrayCells_ += cells;
  return true;
}

std::optional<EvalValue> CFormulaEvaluator::EvalLazily(const Expression& e,
                                                       const ExpressionNode& node) {
  // IF, IFERROR and IFNA evaluate only the branch they take, which matters for long chains
  // of conditions; with an array condition they fall back to the general path.
  const std::wstring& name = e.strings[static_cast<std::size_t>(node.text)];
  const std::int32_t n = node.childCount;
  // A branch written empty ("IF(A1,,2)", "IF(A1,1,)") gives 0; one left out gives FALSE.
  const auto branch = [&](std::int32_t child) {
    const std::int32_t index = e.Child(node, child);
    return e.Node(index).kind == NodeKind::Missing ? EvalValue::Number(0.0) : Eval(e, index);
  };
  if (name == L"IF" && n >= 2 && n <= 3) {
    const EvalValue condition = Dereference(Eval(e, e.Child(node, 0)), *this);
    if (condition.IsArray()) return std::nullopt;
    bool truth = false;
    if (auto error = GetBoolean(condition, truth)) return *error;
    if (truth) return branch(1);
    if (n == 3) return branch(2);
    return EvalValue::Boolean(false);
  }
  if ((name == L"IFERROR" || name == L"IFNA") && n == 2) {
    EvalValue value = Eval(e, e.Child(node, 0));
    const EvalValue scalar = Dereference(value, *this);
    if (scalar.IsArray()) return std::nullopt;
    const bool replace =
        scalar.IsError() && (name == L"IFERROR" || scalar.AsError() == ErrorCode::NA);
    if (!replace) return scalar.IsEmpty() ? EvalValue::Number(0.0) : scalar;
    return branch(1);
  }
  return std::nullopt;
}

EvalValue CFormulaEvaluator::EvalFunction(const Expression& e, const ExpressionNode& node) {
  const FunctionEntry* entry = node.function;
  if (entry == nullptr) return Error(ErrorCode::Name);
  if (node.childCount < entry->minArgs || node.childCount > entry->maxArgs) {
    return Error(ErrorCode::Value);
  }
  if (auto lazy = EvalLazily(e, node)) return std::move(*lazy);
  std::vector<EvalValue> args;
  args.reserve(static_cast<std::size_t>(node.childCount));
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  for (std::int32_t i = 0; i < node.childCount; ++i) {
    const ParamKind kind = entry->KindOf(static_cast<std::size_t>(i));
    EvalValue arg = EvalArgument(e, e.Child(node, i), kind == ParamKind::Array);
    if (kind == ParamKind::Value) {
      arg = Dereference(arg, *this);
      if (arg.IsArray()) {
        rows = std::max(rows, arg.AsArray().rows);
        columns = std::max(columns, arg.AsArray().columns);
      }
    }
    args.push_back(std::move(arg));
  }
  if (rows == 0) {
    EvalValue value = entry->body(args, *this);
    // Counted once built: the function bounds each array it makes by kMaxArrayCells.
    if (value.IsArray() &&
        !ReserveArrayCells(static_cast<std::int64_t>(value.AsArray().cells.size()))) {
      return Error(ErrorCode::Num);
    }
    return value;
  }
  const bool spreadsAll = (entry->flags & kSpreadsEveryArgument) != 0;
  if (spreadsAll) {
    const bool saved = arrayMode_;
    arrayMode_ = true;
    for (EvalValue& arg : args) {
      arg = Dereference(arg, *this);
      if (arg.IsArray()) {
        rows = std::max(rows, arg.AsArray().rows);
        columns = std::max(columns, arg.AsArray().columns);
      }
    }
    arrayMode_ = saved;
  }
  // An array where a scalar is wanted: one call per element, giving an array.
  if (!ReserveArrayCells(std::int64_t{rows} * columns)) return Error(ErrorCode::Num);
  ValueArray result;
  result.rows = rows;
  result.columns = columns;
  result.cells.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  std::vector<EvalValue> scalars(args.size());
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      for (std::size_t i = 0; i < args.size(); ++i) {
        const bool spread = spreadsAll || entry->KindOf(i) == ParamKind::Value;
        scalars[i] = spread ? ElementFor(args[i], r, c) : args[i];
      }
      EvalValue element = entry->body(scalars, *this);
      if (element.IsReference()) {
        // Only the first element is kept: read that cell rather than building the array.
        const std::vector<Area>& areas = element.AsAreas();
        element = arrayMode_ && areas.size() == 1
                      ? CellValueAt(areas.front(), areas.front().rect.first)
                      : Dereference(element, *this);
      }
      element = FirstElement(element);
      result.cells.push_back(std::move(element));
    }
  }
  return EvalValue::Array(std::move(result));
}

EvalValue CFormulaEvaluator::EvalUnary(const Expression& e, const ExpressionNode& node) {
  const EvalValue operand = Dereference(Eval(e, e.Child(node, 0)), *this);
  auto apply = [&](const EvalValue& value) -> EvalValue {
    if (value.IsError()) return value;
    if (node.kind == NodeKind::Unary && node.op == Operator::Plus) return value;
    double number = 0.0;
    if (auto error = GetNumber(value, number)) return *error;
    if (node.kind == NodeKind::Percent) return NumberResult(number / 100.0);
    return NumberResult(-number);
  };
  if (!operand.IsArray()) return apply(operand);
  if (!ReserveArrayCells(static_cast<std::int64_t>(operand.AsArray().cells.size()))) {
    return Error(ErrorCode::Num);
  }
  ValueArray result = operand.AsArray();
  for (EvalValue& cell : result.cells) cell = apply(cell);
  return EvalValue::Array(std::move(result));
}

EvalValue CFormulaEvaluator::EvalBinary(const Expression& e, const ExpressionNode& node) {
  const EvalValue left = Dereference(Eval(e, e.Child(node, 0)), *this);
  const EvalValue right = Dereference(Eval(e, e.Child(node, 1)), *this);
  if (!left.IsArray() && !right.IsArray()) return ApplyBinaryOperator(node.op, left, right);
  const auto dims = [](const EvalValue& v, bool rowsWanted) {
    if (!v.IsArray()) return 1;
    return rowsWanted ? v.AsArray().rows : v.AsArray().columns;
  };
  ValueArray result;
  result.rows = std::max(dims(left, true), dims(right, true));
  result.columns = std::max(dims(left, false), dims(right, false));
  if (!ReserveArrayCells(std::int64_t{result.rows} * result.columns)) return Error(ErrorCode::Num);
  result.cells.reserve(static_cast<std::size_t>(result.rows) *
                       static_cast<std::size_t>(result.columns));
  for (std::int32_t r = 0; r < result.rows; ++r) {
    for (std::int32_t c = 0; c < result.columns; ++c) {
      result.cells.push_back(
          ApplyBinaryOperator(node.op, ElementFor(left, r, c), ElementFor(right, r, c)));
    }
  }
  return EvalValue::Array(std::move(result));
}

EvalValue CFormulaEvaluator::EvalReferenceOperator(const Expression& e,
                                                   const ExpressionNode& node) {
  std::vector<EvalValue> operands;
  for (std::int32_t i = 0; i < node.childCount; ++i) {
    EvalValue operand = Eval(e, e.Child(node, i));
    if (operand.IsError()) return operand;
    if (!operand.IsReference()) return Error(ErrorCode::Value);
    operands.push_back(std::move(operand));
  }
  if (node.kind == NodeKind::Union) {
    std::vector<Area> areas;
    for (const EvalValue& operand : operands) {
      areas.insert(areas.end(), operand.AsAreas().begin(), operand.AsAreas().end());
    }
    return EvalValue::Reference(std::move(areas));
  }
  const std::vector<Area>& a = operands[0].AsAreas();
  const std::vector<Area>& b = operands[1].AsAreas();
  if (node.kind == NodeKind::Range) {
    // The smallest rectangle holding both, on one sheet.
    Area bound = a.front();
    for (const auto* list : {&a, &b}) {
      for (const Area& area : *list) {
        if (area.workbook != bound.workbook || area.sheet != bound.sheet) {
          return Error(ErrorCode::Value);
        }
        bound.rect = bound.rect.Union(area.rect);
      }
    }
    return EvalValue::Reference(bound);
  }
  std::vector<Area> common;
  for (const Area& x : a) {
    for (const Area& y : b) {
      if (x.workbook == y.workbook && x.sheet == y.sheet && x.rect.Intersects(y.rect)) {
        common.push_back(Area{x.workbook, x.sheet, x.rect.Intersection(y.rect)});
      }
    }
  }
  if (common.empty()) return Error(ErrorCode::Null);
  return EvalValue::Reference(std::move(common));
}

// --- CFunctionContext ----------------------------------------------------------------------------

EvalValue CFormulaEvaluator::CellValueAt(const Area& area, CellCoord cell) {
  if (area.workbook == nullptr) return EvalValue();
  return reader_.Read(*area.workbook, area.sheet, cell);
}

std::optional<CellRect> CFormulaEvaluator::UsedPart(const Area& area) const {
  const CWorksheet* sheet = SheetOf(area);
  if (sheet == nullptr) return std::nullopt;
  const auto used = sheet->UsedRange();
  if (!used || !used->Intersects(area.rect)) return std::nullopt;
  return used->Intersection(area.rect);
}

EvalValue CFormulaEvaluator::ReferenceFromText(std::wstring_view text, bool a1) {
  std::wstring converted;
  if (!a1) {
    auto a1Text = R1C1ToA1(text, site_.cell);
    if (!a1Text) return Error(ErrorCode::Ref);
    converted = std::move(*a1Text);
    text = converted;
  }
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  if (!text.empty() && text.front() == L'=') text.remove_prefix(1);
  const ExpressionPtr parsed = reader_.Parse(text);
  if (!parsed || nameDepth_ >= kMaxNameDepth) return Error(ErrorCode::Ref);
  const NodeKind kind = parsed->Node(parsed->root).kind;
  if (kind != NodeKind::Cell && kind != NodeKind::Area && kind != NodeKind::Name &&
      kind != NodeKind::Table && kind != NodeKind::Range && kind != NodeKind::Union &&
      kind != NodeKind::Intersect) {
    return Error(ErrorCode::Ref);
  }
  const EvaluationSite saved = site_;
  site_.origin = site_.cell;  // The text's references are meant as written.
  ++nameDepth_;
  EvalValue value = Evaluate(*parsed);
  --nameDepth_;
  site_ = saved;
  return value.IsReference() ? value : Error(ErrorCode::Ref);
}

std::optional<std::wstring> CFormulaEvaluator::FormulaAt(const Area& area, CellCoord cell) const {
  const CWorksheet* sheet = SheetOf(area);
  if (sheet == nullptr) return std::nullopt;
  return sheet->Formula(cell);
}

std::wstring CFormulaEvaluator::NumberFormatAt(const Area& area, CellCoord cell) const {
  const CWorksheet* sheet = SheetOf(area);
  if (sheet == nullptr) return L"General";
  const CFormatTable& formats = area.workbook->Formats();
  return formats.NumberFormatCode(formats.FormatAt(sheet->FormatOf(cell)).numberFormat);
}

double CFormulaEvaluator::Now() {
  if (!now_) {
    // One moment per evaluation, so that NOW()-NOW() is 0; local time, as Excel shows it.
    const std::time_t clock = std::time(nullptr);
    const std::tm local = *std::localtime(&clock);
    const auto day =
        DateToSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, Date1904());
    now_ = day.value_or(0.0) + TimeToSerial(local.tm_hour, local.tm_min, local.tm_sec);
  }
  return *now_;
}

double CFormulaEvaluator::Random() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

bool CFormulaEvaluator::Date1904() const {
  return site_.workbook->Date1904();
}

}  // namespace spreadsheet
