// Expression: a formula parsed for evaluation, as a flat tree of nodes. References keep the
// coordinates they were written with; relative parts move with the cell a shared formula is
// evaluated in (the offset from `origin`).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

struct FunctionEntry;

enum class NodeKind : std::uint8_t {
  Number,
  Text,
  Boolean,
  Error,
  Missing,  // An argument left out: SUM(1,,2).
  Array,    // {1,2;3,4}
  Cell,     // A1, Sheet1!$A$1
  Area,     // A1:B2, A:A, 1:3, Sheet1:Sheet3!A1:B2
  Name,     // A defined name, perhaps with a sheet prefix.
  Table,    // A structured reference.
  Function,
  Unary,    // - +
  Percent,  // x%
  Binary,   // ^ * / + - & = <> < > <= >=
  Range,    // x:y between references that are not both plain cells.
  Intersect,
  Union,
};

enum class Operator : std::uint8_t {
  None,
  Negate,
  Plus,
  Power,
  Multiply,
  Divide,
  Add,
  Subtract,
  Concatenate,
  Equal,
  NotEqual,
  Less,
  Greater,
  LessEqual,
  GreaterEqual,
};

// One end of a reference: the coordinates as written and which of them are fixed with "$".
// A whole column has no row (0), a whole row no column (0).
struct ReferencePoint {
  CellCoord cell;
  bool rowAbsolute = false;
  bool columnAbsolute = false;
};

// The sheet part of a reference: none (the formula's sheet), one sheet, or a 3-D span, perhaps
// of an external workbook ([n], from 1, as the file numbers its external links).
struct SheetPrefix {
  std::int32_t external = 0;
  std::wstring first;
  std::wstring last;          // Empty unless 3-D.
  bool workbookOnly = false;  // [1]!Name: a name of the external workbook itself.
};

// The parts of a structured reference: Table[[#Headers],[Col1]:[Col2]].
struct TableReference {
  std::wstring table;  // Empty for a reference to the formula's own table ([@Col]).
  bool all = false;
  bool data = false;
  bool headers = false;
  bool totals = false;
  bool thisRow = false;
  std::wstring firstColumn;  // Empty for every column.
  std::wstring lastColumn;   // Equal to firstColumn for one column.
};

struct ExpressionNode {
  NodeKind kind = NodeKind::Number;
  Operator op = Operator::None;
  ErrorCode error = ErrorCode::Value;
  double number = 0.0;
  std::int32_t text = -1;   // Text, Name: index into Expression::strings.
  std::int32_t sheet = -1;  // Cell, Area, Name: index into Expression::sheets; -1 for none.
  std::int32_t table = -1;  // Table: index into Expression::tables; Array: into arrays.
  ReferencePoint first;
  ReferencePoint last;
  const FunctionEntry* function = nullptr;  // Function; null when unknown (#NAME?).
  std::int32_t firstChild = 0;             // Children: children[firstChild .. + childCount).
  std::int32_t childCount = 0;
};

struct Expression {
  std::vector<ExpressionNode> nodes;
  std::vector<std::int32_t> children;
  std::vector<std::wstring> strings;
  std::vector<SheetPrefix> sheets;
  std::vector<TableReference> tables;
  std::vector<ValueArray> arrays;
  std::int32_t root = -1;
  // Calculated again on every recalculation: a volatile function, or one whose references are
  // found only when it runs (OFFSET, INDIRECT).
  bool isVolatile = false;

  const ExpressionNode& Node(std::int32_t index) const {
    return nodes[static_cast<std::size_t>(index)];
  }
  std::int32_t Child(const ExpressionNode& node, std::int32_t i) const {
    return children[static_cast<std::size_t>(node.firstChild + i)];
  }
};

using ExpressionPtr = std::shared_ptr<const Expression>;

}  // namespace spreadsheet
