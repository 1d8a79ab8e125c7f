// Criteria as COUNTIF, SUMIFS and the database functions read them: a value, or text with a
// comparison operator ("<>5", ">=1/1/2020", "=", "a*"), tested against cell values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "spreadsheet/calc/eval_value.h"

namespace spreadsheet {

// True when `text` has an unescaped ? or *, or a ~ escape: it then needs WildcardMatch.
bool HasWildcards(std::wstring_view text);
// The whole of `text` against `pattern`, without regard to case: ? is any one character, * any
// run of them, ~ takes the next character literally.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text);

class CCriterion {
 public:
  // `textIsPrefix` is the database functions' rule: text without an operator matches the cells
  // that begin with it.
  explicit CCriterion(const EvalValue& criterion, bool textIsPrefix = false);

  bool Matches(const EvalValue& value) const;

 private:
  enum class Op : std::uint8_t { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
  enum class Operand : std::uint8_t {
    Nothing,    // "=" or "<>" alone: blank cells, or the others.
    EmptyText,  // "": blank cells and empty text.
    Number,
    Text,
    Boolean,
    Error,
  };

  bool Holds(int comparison) const;
  bool MatchesText(const std::wstring& text) const;

  Op op_ = Op::Equal;
  Operand operand_ = Operand::Number;
  double number_ = 0.0;
  std::wstring text_;
  bool wildcards_ = false;
  ErrorCode error_ = ErrorCode::Value;
};

}  // namespace spreadsheet
