// Criteria parsing and matching, and Excel's wildcard patterns.
#include "spreadsheet/calc/criteria.h"

#include <cwctype>
#include <optional>
#include <vector>

#include "spreadsheet/calc/cell_entry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {

namespace {

wint_t Fold(wchar_t c) {
  return std::towlower(static_cast<wint_t>(c));
}

// A pattern element: a literal character, or ? (any one) or * (any run).
struct PatternItem {
  wchar_t character = 0;
  enum class Kind : std::uint8_t { Literal, One, Run } kind = Kind::Literal;
};

std::vector<PatternItem> ReadPattern(std::wstring_view pattern) {
  std::vector<PatternItem> items;
  items.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t c = pattern[i];
    if (c == L'~' && i + 1 < pattern.size() &&
        (pattern[i + 1] == L'*' || pattern[i + 1] == L'?' || pattern[i + 1] == L'~')) {
      items.push_back({pattern[++i], PatternItem::Kind::Literal});
    } else if (c == L'*') {
      items.push_back({c, PatternItem::Kind::Run});
    } else if (c == L'?') {
      items.push_back({c, PatternItem::Kind::One});
    } else {
      items.push_back({c, PatternItem::Kind::Literal});
    }
  }
  return items;
}

// The number a cell's text stands for, as criteria compare numbers stored as text.
std::optional<double> NumberInText(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  static const std::int32_t year = CurrentYear();
  const CellEntry entry = ParseCellEntry(text, false, year);
  if (entry.kind == CellEntry::Kind::Constant && entry.value.Kind() == ValueKind::Number) {
    return entry.value.AsNumber();
  }
  return std::nullopt;
}

int Compare(double a, double b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

bool HasWildcards(std::wstring_view text) {
  return text.find_first_of(L"*?~") != std::wstring_view::npos;
}

bool WildcardMatch(std::wstring_view pattern, std::wstring_view text) {
  const std::vector<PatternItem> items = ReadPattern(pattern);
  // Greedy matching that returns to the last * on a mismatch: linear in memory, no recursion.
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starItem = items.size();
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < items.size() && items[p].kind == PatternItem::Kind::Run) {
      starItem = p++;
      starText = t;
    } else if (p < items.size() && (items[p].kind == PatternItem::Kind::One ||
                                    Fold(items[p].character) == Fold(text[t]))) {
      ++p;
      ++t;
    } else if (starItem != items.size()) {
      p = starItem + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < items.size() && items[p].kind == PatternItem::Kind::Run) ++p;
  return p == items.size();
}

CCriterion::CCriterion(const EvalValue& criterion, bool textIsPrefix) {
  switch (criterion.GetKind()) {
    case EvalValue::Kind::Number:
      number_ = criterion.AsNumber();
      return;
    case EvalValue::Kind::Boolean:
      operand_ = Operand::Boolean;
      number_ = criterion.AsNumber();
      return;
    case EvalValue::Kind::Error:
      operand_ = Operand::Error;
      error_ = criterion.AsError();
      return;
    case EvalValue::Kind::Text:
      break;
    default:
      // A blank criterion is 0, as a blank is wherever a value is wanted.
      return;
  }
  std::wstring_view text = criterion.AsText();
  bool hasOperator = true;
  if (text.starts_with(L"<=")) {
    op_ = Op::LessEqual;
  } else if (text.starts_with(L">=")) {
    op_ = Op::GreaterEqual;
  } else if (text.starts_with(L"<>")) {
    op_ = Op::NotEqual;
  } else if (text.starts_with(L"<")) {
    op_ = Op::Less;
  } else if (text.starts_with(L">")) {
    op_ = Op::Greater;
  } else if (text.starts_with(L"=")) {
    op_ = Op::Equal;
  } else {
    hasOperator = false;
  }
  if (hasOperator)
    text.remove_prefix(op_ == Op::Equal || op_ == Op::Less || op_ == Op::Greater ? 1 : 2);

  if (text.empty()) {
    operand_ = hasOperator && (op_ == Op::Equal || op_ == Op::NotEqual) ? Operand::Nothing
               : hasOperator                                            ? Operand::Text
                                                                        : Operand::EmptyText;
    return;
  }
  static const std::int32_t year = CurrentYear();
  const CellEntry entry = ParseCellEntry(text, false, year);
  if (entry.kind == CellEntry::Kind::Constant) {
    switch (entry.value.Kind()) {
      case ValueKind::Number:
        number_ = entry.value.AsNumber();
        return;
      case ValueKind::Boolean:
        operand_ = Operand::Boolean;
        number_ = entry.value.AsNumber();
        return;
      case ValueKind::Error:
        operand_ = Operand::Error;
        error_ = entry.value.AsError();
        return;
      default:
        break;
    }
  }
  operand_ = Operand::Text;
  text_ = std::wstring(text);
  if (textIsPrefix && !hasOperator) text_ += L'*';
  wildcards_ = (op_ == Op::Equal || op_ == Op::NotEqual) && HasWildcards(text_);
}

bool CCriterion::Holds(int comparison) const {
  switch (op_) {
    case Op::Equal:
      return comparison == 0;
    case Op::NotEqual:
      return comparison != 0;
    case Op::Less:
      return comparison < 0;
    case Op::LessEqual:
      return comparison <= 0;
    case Op::Greater:
      return comparison > 0;
    case Op::GreaterEqual:
      return comparison >= 0;
  }
  return false;
}

bool CCriterion::MatchesText(const std::wstring& text) const {
  if (wildcards_) {
    const bool equal = WildcardMatch(text_, text);
    return op_ == Op::Equal ? equal : !equal;
  }
  return Holds(CompareTextIgnoringCase(text, text_));
}

bool CCriterion::Matches(const EvalValue& value) const {
  // Values of another kind than the operand are unequal, and neither smaller nor larger.
  const bool otherKind = op_ == Op::NotEqual;
  switch (operand_) {
    case Operand::Nothing:
      return value.IsEmpty() == (op_ == Op::Equal);
    case Operand::EmptyText:
      return value.IsEmpty() || (value.IsText() && value.AsText().empty());
    case Operand::Number:
      if (value.IsNumber()) return Holds(Compare(value.AsNumber(), number_));
      if (value.IsText() && (op_ == Op::Equal || op_ == Op::NotEqual)) {
        if (const std::optional<double> number = NumberInText(value.AsText())) {
          return Holds(Compare(*number, number_));
        }
      }
      return otherKind;
    case Operand::Text:
      if (value.IsText()) return MatchesText(value.AsText());
      return otherKind;
    case Operand::Boolean:
      if (value.IsBoolean()) return Holds(Compare(value.AsNumber(), number_));
      return otherKind;
    case Operand::Error:
      if (value.IsError()) {
        const bool same = value.AsError() == error_;
        if (op_ == Op::Equal) return same;
        if (op_ == Op::NotEqual) return !same;
        return false;
      }
      return otherKind;
  }
  return false;
}

}  // namespace spreadsheet
