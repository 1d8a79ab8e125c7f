// ParseExpression: formula text (A1 style, as a file or Range.Formula holds it, without the
// leading "=") read into an Expression with Excel's grammar and operator precedence.
#pragma once

#include <string>
#include <string_view>

#include "spreadsheet/calc/expression.h"

namespace spreadsheet {

// Deeper nesting than any formula Excel accepts (64 levels of functions); refused past it so
// that evaluation, which walks the tree, has a bounded depth.
inline constexpr int kMaxExpressionDepth = 256;

struct ParseOutcome {
  ExpressionPtr expression;  // Null when the text is not a formula.
  std::wstring error;
};

ParseOutcome ParseExpression(std::wstring_view text);

}  // namespace spreadsheet
