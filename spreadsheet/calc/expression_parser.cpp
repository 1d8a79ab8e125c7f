// A recursive-descent reader of Excel's formula grammar. Precedence, tightest first:
//   reference operators  :  (range)   space (intersection)   , (union, inside parentheses)
//   prefix - +           (so -2^2 is 4)
//   %                    postfix
//   ^                    left-associative
//   * /    + -    &    = <> < > <= >=
// Depth is counted and bounded (kMaxExpressionDepth), so the reader's own stack is bounded.
#include "spreadsheet/calc/expression_parser.h"

#include <cwctype>
#include <optional>
#include <utility>

#include "platform/char_class.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/model/column_letters.h"
#include "spreadsheet/model/error_code.h"

namespace spreadsheet {
namespace {

// Beyond ASCII every character may stand in a name, as in Excel.
bool IsLetter(wchar_t c) {
  return c >= 128 || IsAsciiLetter(c);
}
bool IsNameChar(wchar_t c) {
  return IsLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c == L'\\' || c == L'?';
}
wchar_t Upper(wchar_t c) {
  return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

std::wstring ToUpperText(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = Upper(c);
  return out;
}

class CParser {
 public:
  explicit CParser(std::wstring_view text) : text_(text) {}

  ParseOutcome Run() {
    auto expression = std::make_shared<Expression>();
    out_ = expression.get();
    SkipSpaces();
    const std::int32_t root = ParseComparison();
    SkipSpaces();
    if (error_.empty() && pos_ < text_.size()) Fail(L"unexpected text");
    if (!error_.empty()) return {nullptr, error_};
    out_->root = root;
    return {std::move(expression), {}};
  }

 private:
  // --- scaffolding -----------------------------------------------------------------------------
  bool AtEnd() const { return pos_ >= text_.size(); }
  wchar_t Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0';
  }
  bool SkipSpaces() {
    const std::size_t start = pos_;
    while (!AtEnd() && (Peek() == L' ' || Peek() == L'\n' || Peek() == L'\r' || Peek() == L'\t')) {
      ++pos_;
    }
    return pos_ != start;
  }
  bool Accept(wchar_t c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  std::int32_t Fail(std::wstring message) {
    if (error_.empty()) error_ = std::move(message) + L" at " + std::to_wstring(pos_ + 1);
    return -1;
  }
  bool Failed() const { return !error_.empty(); }

  std::int32_t Add(ExpressionNode node) {
    out_->nodes.push_back(std::move(node));
    return static_cast<std::int32_t>(out_->nodes.size() - 1);
  }
  std::int32_t AddWithChildren(ExpressionNode node, const std::vector<std::int32_t>& children) {
    node.firstChild = static_cast<std::int32_t>(out_->children.size());
    node.childCount = static_cast<std::int32_t>(children.size());
    out_->children.insert(out_->children.end(), children.begin(), children.end());
    return Add(std::move(node));
  }
  std::int32_t AddString(std::wstring text) {
    out_->strings.push_back(std::move(text));
    return static_cast<std::int32_t>(out_->strings.size() - 1);
  }

  class CDepth {
   public:
    explicit CDepth(CParser& parser) : parser_(parser) { ++parser_.depth_; }
    ~CDepth() { --parser_.depth_; }
    CDepth(const CDepth&) = delete;
    CDepth& operator=(const CDepth&) = delete;
    bool TooDeep() const { return parser_.depth_ > kMaxExpressionDepth; }

   private:
    CParser& parser_;
  };

  std::int32_t Binary(Operator op, std::int32_t left, std::int32_t right) {
    if (left < 0 || right < 0) return -1;
    ExpressionNode node;
    node.kind = NodeKind::Binary;
    node.op = op;
    return AddWithChildren(node, {left, right});
  }

  // --- operator levels -------------------------------------------------------------------------
  std::int32_t ParseComparison() {
    CDepth depth(*this);
    if (depth.TooDeep()) return Fail(L"formula nested too deeply");
    std::int32_t left = ParseConcatenation();
    while (!Failed()) {
      SkipSpaces();
      Operator op = Operator::None;
      if (Peek() == L'=') {
        op = Operator::Equal;
        ++pos_;
      } else if (Peek() == L'<' && Peek(1) == L'>') {
        op = Operator::NotEqual;
        pos_ += 2;
      } else if (Peek() == L'<' && Peek(1) == L'=') {
        op = Operator::LessEqual;
        pos_ += 2;
      } else if (Peek() == L'>' && Peek(1) == L'=') {
        op = Operator::GreaterEqual;
        pos_ += 2;
      } else if (Peek() == L'<') {
        op = Operator::Less;
        ++pos_;
      } else if (Peek() == L'>') {
        op = Operator::Greater;
        ++pos_;
      } else {
        break;
      }
      left = Binary(op, left, ParseConcatenation());
    }
    return left;
  }

  // One left-associative level: operands of the next level joined by this level's operators.
  struct LevelOperator {
    wchar_t symbol;
    Operator op;
  };
  template <std::size_t N>
  std::int32_t ParseLevel(std::int32_t (CParser::*operand)(), const LevelOperator (&ops)[N]) {
    std::int32_t left = (this->*operand)();
    while (!Failed()) {
      SkipSpaces();
      const LevelOperator* found = nullptr;
      for (const LevelOperator& candidate : ops) {
        if (Peek() == candidate.symbol) found = &candidate;
      }
      if (found == nullptr) break;
      ++pos_;
      left = Binary(found->op, left, (this->*operand)());
    }
    return left;
  }

  std::int32_t ParseConcatenation() {
    static constexpr LevelOperator kOps[] = {{L'&', Operator::Concatenate}};
    return ParseLevel(&CParser::ParseAdditive, kOps);
  }
  std::int32_t ParseAdditive() {
    static constexpr LevelOperator kOps[] = {{L'+', Operator::Add}, {L'-', Operator::Subtract}};
    return ParseLevel(&CParser::ParseMultiplicative, kOps);
  }
  std::int32_t ParseMultiplicative() {
    static constexpr LevelOperator kOps[] = {{L'*', Operator::Multiply},
                                             {L'/', Operator::Divide}};
    return ParseLevel(&CParser::ParsePower, kOps);
  }
  std::int32_t ParsePower() {
    static constexpr LevelOperator kOps[] = {{L'^', Operator::Power}};
    return ParseLevel(&CParser::ParsePercent, kOps);
  }

  std::int32_t ParsePercent() {
    std::int32_t operand = ParsePrefix();
    while (!Failed()) {
      const std::size_t save = pos_;
      SkipSpaces();
      if (!Accept(L'%')) {
        pos_ = save;
        break;
      }
      ExpressionNode node;
      node.kind = NodeKind::Percent;
      operand = AddWithChildren(node, {operand});
    }
    return operand;
  }

  std::int32_t ParsePrefix() {
    SkipSpaces();
    if (Peek() == L'-' || Peek() == L'+') {
      CDepth depth(*this);
      if (depth.TooDeep()) return Fail(L"formula nested too deeply");
      const Operator op = Peek() == L'-' ? Operator::Negate : Operator::Plus;
      ++pos_;
      const std::int32_t operand = ParsePrefix();
      if (operand < 0) return -1;
      ExpressionNode node;
      node.kind = NodeKind::Unary;
      node.op = op;
      return AddWithChildren(node, {operand});
    }
    return ParseIntersection();
  }

  bool StartsOperand() const {
    const wchar_t c = Peek();
    return IsLetter(c) || c == L'$' || c == L'\'' || c == L'(' || c == L'_' || c == L'\\' ||
           c == L'[' || IsAsciiDigit(c);
  }

  std::int32_t ParseIntersection() {
    std::int32_t left = ParseRange();
    while (!Failed()) {
      const std::size_t save = pos_;
      if (!SkipSpaces() || !StartsOperand()) {
        pos_ = save;
        break;
      }
      const std::int32_t right = ParseRange();
      if (right < 0) return -1;
      ExpressionNode node;
      node.kind = NodeKind::Intersect;
      left = AddWithChildren(node, {left, right});
    }
    return left;
  }

  std::int32_t ParseRange() {
    std::int32_t left = ParsePrimary();
    while (!Failed() && Peek() == L':') {
      ++pos_;
      const std::int32_t right = ParsePrimary();
      if (right < 0) return -1;
      ExpressionNode node;
      node.kind = NodeKind::Range;
      left = AddWithChildren(node, {left, right});
    }
    return left;
  }

  // --- operands --------------------------------------------------------------------------------
  std::int32_t ParsePrimary() {
    SkipSpaces();
    if (AtEnd()) return Fail(L"an operand is missing");
    const wchar_t c = Peek();
    if (c == L'(') return ParseParenthesised();
    if (c == L'"') return ParseString();
    if (c == L'{') return ParseArray();
    if (c == L'#') return ParseErrorLiteral();
    if (IsAsciiDigit(c) || c == L'.') {
      if (const auto rows = TryRowRange(-1)) return *rows;
      return ParseNumber();
    }
    return ParseReferenceOrName();
  }

  std::int32_t ParseParenthesised() {
    ++pos_;
    std::vector<std::int32_t> items;
    for (;;) {
      const std::int32_t item = ParseComparison();
      if (item < 0) return -1;
      items.push_back(item);
      SkipSpaces();
      if (Accept(L',')) continue;
      if (Accept(L')')) break;
      return Fail(L"a closing parenthesis is missing");
    }
    if (items.size() == 1) return items.front();
    ExpressionNode node;
    node.kind = NodeKind::Union;
    return AddWithChildren(node, items);
  }

  std::optional<std::wstring> ReadQuoted(wchar_t quote) {
    ++pos_;
    std::wstring text;
    for (;;) {
      if (AtEnd()) return std::nullopt;
      const wchar_t c = text_[pos_++];
      if (c == quote) {
        if (Peek() == quote) {
          text.push_back(quote);
          ++pos_;
          continue;
        }
        return text;
      }
      text.push_back(c);
    }
  }

  std::int32_t ParseString() {
    auto text = ReadQuoted(L'"');
    if (!text) return Fail(L"a closing quotation mark is missing");
    ExpressionNode node;
    node.kind = NodeKind::Text;
    node.text = AddString(std::move(*text));
    return Add(node);
  }

  std::optional<double> ReadNumber() {
    const std::size_t start = pos_;
    while (IsAsciiDigit(Peek())) ++pos_;
    if (Peek() == L'.') {
      ++pos_;
      while (IsAsciiDigit(Peek())) ++pos_;
    }
    if (pos_ == start || (pos_ == start + 1 && text_[start] == L'.')) {
      pos_ = start;
      return std::nullopt;
    }
    if ((Peek() == L'E' || Peek() == L'e') &&
        (IsAsciiDigit(Peek(1)) || ((Peek(1) == L'+' || Peek(1) == L'-') && IsAsciiDigit(Peek(2))))) {
      pos_ += 2;
      while (IsAsciiDigit(Peek())) ++pos_;
    }
    const std::string digits(text_.begin() + static_cast<std::ptrdiff_t>(start),
                             text_.begin() + static_cast<std::ptrdiff_t>(pos_));
    try {
      return std::stod(digits);
    } catch (...) {
      return std::nullopt;  // Out of range: not a number Excel could hold either.
    }
  }

  std::int32_t ParseNumber() {
    const auto number = ReadNumber();
    if (!number) return Fail(L"a number is malformed");
    ExpressionNode node;
    node.kind = NodeKind::Number;
    node.number = *number;
    return Add(node);
  }

  std::optional<ErrorCode> ReadErrorLiteral() {
    static constexpr std::wstring_view kErrors[] = {
        L"#NULL!", L"#DIV/0!", L"#VALUE!",       L"#REF!",   L"#NAME?",
        L"#NUM!",  L"#N/A",    L"#GETTING_DATA", L"#SPILL!", L"#CALC!"};
    for (const std::wstring_view error : kErrors) {
      if (text_.size() - pos_ >= error.size() &&
          ToUpperText(text_.substr(pos_, error.size())) == error) {
        pos_ += error.size();
        return ParseErrorText(error);
      }
    }
    return std::nullopt;
  }

  std::int32_t ParseErrorLiteral() {
    const auto code = ReadErrorLiteral();
    if (!code) return Fail(L"an error value is malformed");
    ExpressionNode node;
    node.kind = NodeKind::Error;
    node.error = *code;
    return Add(node);
  }

  std::int32_t ParseArray() {
    ++pos_;
    ValueArray array;
    std::vector<EvalValue> row;
    for (;;) {
      SkipSpaces();
      EvalValue element;
      bool negative = false;
      while (Peek() == L'-' || Peek() == L'+') negative ^= text_[pos_++] == L'-';
      if (Peek() == L'"') {
        auto text = ReadQuoted(L'"');
        if (!text) return Fail(L"a closing quotation mark is missing");
        element = EvalValue::Text(std::move(*text));
      } else if (Peek() == L'#') {
        const auto code = ReadErrorLiteral();
        if (!code) return Fail(L"an error value is malformed");
        element = EvalValue::Error(*code);
      } else if (auto number = ReadNumber()) {
        element = EvalValue::Number(negative ? -*number : *number);
      } else {
        const std::size_t start = pos_;
        while (IsLetter(Peek())) ++pos_;
        const std::wstring word = ToUpperText(text_.substr(start, pos_ - start));
        if (word == L"TRUE" || word == L"FALSE") {
          element = EvalValue::Boolean(word == L"TRUE");
        } else {
          return Fail(L"an array constant holds what it cannot");
        }
      }
      row.push_back(std::move(element));
      SkipSpaces();
      if (Accept(L',')) continue;
      const bool endOfRow = Peek() == L';';
      const bool end = Peek() == L'}';
      if (!endOfRow && !end) return Fail(L"an array constant is malformed");
      ++pos_;
      if (array.columns == 0) array.columns = static_cast<std::int32_t>(row.size());
      if (static_cast<std::int32_t>(row.size()) != array.columns) {
        return Fail(L"the rows of an array constant differ in length");
      }
      for (auto& value : row) array.cells.push_back(std::move(value));
      row.clear();
      ++array.rows;
      if (end) break;
    }
    out_->arrays.push_back(std::move(array));
    ExpressionNode node;
    node.kind = NodeKind::Array;
    node.table = static_cast<std::int32_t>(out_->arrays.size() - 1);
    return Add(node);
  }

  // "$A$1", "b7": a cell reference ending where no name character follows.
  std::optional<ReferencePoint> TryCell() {
    const std::size_t start = pos_;
    ReferencePoint point;
    point.columnAbsolute = Accept(L'$');
    const std::size_t letters = pos_;
    while (pos_ - letters < kMaxColumnLetters && IsAsciiLetter(Peek())) ++pos_;
    const auto column = ColumnFromLetters(text_.substr(letters, pos_ - letters));
    point.rowAbsolute = Accept(L'$');
    const std::size_t digits = pos_;
    std::int64_t row = 0;
    while (IsAsciiDigit(Peek()) && pos_ - digits < 8) row = row * 10 + (text_[pos_++] - L'0');
    if (!column || pos_ == digits || row < 1 || row > kMaxRows || IsNameChar(Peek()) ||
        Peek() == L'(' || Peek() == L'[') {
      pos_ = start;
      return std::nullopt;
    }
    point.cell = {static_cast<std::int32_t>(row), *column};
    return point;
  }

  // "$A", "XFD": a column end of a whole-column reference.
  std::optional<ReferencePoint> TryColumn() {
    const std::size_t start = pos_;
    ReferencePoint point;
    point.columnAbsolute = Accept(L'$');
    const std::size_t letters = pos_;
    while (pos_ - letters < kMaxColumnLetters && IsAsciiLetter(Peek())) ++pos_;
    const auto column = ColumnFromLetters(text_.substr(letters, pos_ - letters));
    if (!column || IsNameChar(Peek()) || Peek() == L'(') {
      pos_ = start;
      return std::nullopt;
    }
    point.cell = {0, *column};
    return point;
  }

  std::optional<ReferencePoint> TryRow() {
    const std::size_t start = pos_;
    ReferencePoint point;
    point.rowAbsolute = Accept(L'$');
    const std::size_t digits = pos_;
    std::int64_t row = 0;
    while (IsAsciiDigit(Peek()) && pos_ - digits < 8) row = row * 10 + (text_[pos_++] - L'0');
    if (pos_ == digits || row < 1 || row > kMaxRows || IsNameChar(Peek())) {
      pos_ = start;
      return std::nullopt;
    }
    point.cell = {static_cast<std::int32_t>(row), 0};
    return point;
  }

  std::int32_t AddReference(NodeKind kind, const ReferencePoint& first, const ReferencePoint& last,
                            std::int32_t sheet) {
    ExpressionNode node;
    node.kind = kind;
    node.first = first;
    node.last = last;
    node.sheet = sheet;
    return Add(node);
  }

  std::optional<std::int32_t> TryRowRange(std::int32_t sheet) {
    const std::size_t start = pos_;
    const auto first = TryRow();
    if (first && Accept(L':')) {
      if (const auto last = TryRow()) return AddReference(NodeKind::Area, *first, *last, sheet);
    }
    pos_ = start;
    return std::nullopt;
  }

  // A cell, an area of cells, whole columns or whole rows, after any sheet prefix.
  std::optional<std::int32_t> TryReference(std::int32_t sheet) {
    const std::size_t start = pos_;
    if (const auto cell = TryCell()) {
      const std::size_t afterCell = pos_;
      if (Accept(L':')) {
        if (const auto last = TryCell()) return AddReference(NodeKind::Area, *cell, *last, sheet);
      }
      pos_ = afterCell;
      return AddReference(NodeKind::Cell, *cell, *cell, sheet);
    }
    if (const auto column = TryColumn()) {
      if (Accept(L':')) {
        if (const auto last = TryColumn()) {
          return AddReference(NodeKind::Area, *column, *last, sheet);
        }
      }
      pos_ = start;
    }
    return TryRowRange(sheet);
  }

  // "Sheet1!", "'My Sheet'!", "Jan:Mar!", "[1]Sheet1!", "'[1]Sheet 1'!", "[1]!". Moves past the
  // "!" and gives the prefix's index, or leaves the position as it was.
  std::optional<std::int32_t> TrySheetPrefix() {
    const std::size_t start = pos_;
    SheetPrefix prefix;
    std::wstring body;
    if (Peek() == L'\'') {
      auto quoted = ReadQuoted(L'\'');
      if (!quoted || Peek() != L'!') {
        pos_ = start;
        return std::nullopt;
      }
      body = std::move(*quoted);
    } else {
      while (IsNameChar(Peek()) || Peek() == L'[' || Peek() == L']' || Peek() == L':' ||
             Peek() == L'$') {
        if (Peek() == L'$' && body.empty()) break;
        body.push_back(text_[pos_++]);
      }
      if (Peek() != L'!' || body.empty()) {
        pos_ = start;
        return std::nullopt;
      }
    }
    ++pos_;  // The "!".
    std::wstring_view rest = body;
    if (!rest.empty() && rest.front() == L'[') {
      const std::size_t close = rest.find(L']');
      if (close == std::wstring_view::npos) {
        pos_ = start;
        return std::nullopt;
      }
      const std::wstring_view number = rest.substr(1, close - 1);
      std::int32_t external = 0;
      for (const wchar_t d : number) {
        if (!IsAsciiDigit(d) || external > 100000) {
          external = -1;
          break;
        }
        external = external * 10 + (d - L'0');
      }
      // A workbook named in full rather than by link number cannot be resolved: it is
      // refused at evaluation as an external workbook that is not open.
      prefix.external = external > 0 ? external : -1;
      if (external <= 0) prefix.first = std::wstring(number);
      rest = rest.substr(close + 1);
      if (rest.empty()) prefix.workbookOnly = true;
    }
    const std::size_t colon = rest.find(L':');
    if (colon == std::wstring_view::npos) {
      if (!prefix.workbookOnly) prefix.first = std::wstring(rest);
    } else {
      prefix.first = std::wstring(rest.substr(0, colon));
      prefix.last = std::wstring(rest.substr(colon + 1));
    }
    out_->sheets.push_back(std::move(prefix));
    return static_cast<std::int32_t>(out_->sheets.size() - 1);
  }

  std::int32_t ParseReferenceOrName() {
    const std::size_t start = pos_;
    if (Peek() == L'[') {
      // "[1]Sheet1!A1" or "[1]!Name" against a structured reference to the formula's table.
      if (const auto sheet = TrySheetPrefix()) return ParseAfterPrefix(*sheet);
      return ParseTableReference(std::wstring());
    }
    if (const auto sheet = TrySheetPrefix()) return ParseAfterPrefix(*sheet);
    if (const auto reference = TryReference(-1)) return *reference;
    pos_ = start;
    std::wstring word;
    while (IsNameChar(Peek())) word.push_back(text_[pos_++]);
    if (word.empty()) return Fail(L"unexpected character");
    if (Peek() == L'(') return ParseFunction(word);
    if (Peek() == L'[') return ParseTableReference(word);
    const std::wstring upper = ToUpperText(word);
    if (upper == L"TRUE" || upper == L"FALSE") {
      ExpressionNode node;
      node.kind = NodeKind::Boolean;
      node.number = upper == L"TRUE" ? 1.0 : 0.0;
      return Add(node);
    }
    ExpressionNode node;
    node.kind = NodeKind::Name;
    node.text = AddString(std::move(word));
    return Add(node);
  }

  std::int32_t ParseAfterPrefix(std::int32_t sheet) {
    if (Peek() == L'#') {
      // "Sheet1!#REF!": a reference Excel lost.
      const auto code = ReadErrorLiteral();
      if (!code) return Fail(L"an error value is malformed");
      ExpressionNode node;
      node.kind = NodeKind::Error;
      node.error = *code;
      return Add(node);
    }
    if (const auto reference = TryReference(sheet)) return *reference;
    std::wstring word;
    while (IsNameChar(Peek())) word.push_back(text_[pos_++]);
    if (word.empty()) return Fail(L"a reference is missing after a sheet name");
    ExpressionNode node;
    node.kind = NodeKind::Name;
    node.text = AddString(std::move(word));
    node.sheet = sheet;
    return Add(node);
  }

  std::int32_t ParseFunction(std::wstring name) {
    std::wstring upper = ToUpperText(name);
    for (bool stripped = true; stripped;) {
      stripped = false;
      for (const std::wstring_view prefix : {L"_XLFN.", L"_XLWS.", L"_XLL."}) {
        if (upper.starts_with(prefix)) {
          upper.erase(0, prefix.size());
          stripped = true;
        }
      }
    }
    ++pos_;  // "(".
    std::vector<std::int32_t> args;
    SkipSpaces();
    if (!Accept(L')')) {
      for (;;) {
        SkipSpaces();
        if (Peek() == L',' || Peek() == L')') {
          ExpressionNode missing;
          missing.kind = NodeKind::Missing;
          args.push_back(Add(missing));
        } else {
          const std::int32_t arg = ParseComparison();
          if (arg < 0) return -1;
          args.push_back(arg);
        }
        SkipSpaces();
        if (Accept(L',')) continue;
        if (Accept(L')')) break;
        return Fail(L"a function's closing parenthesis is missing");
      }
    }
    ExpressionNode node;
    node.kind = NodeKind::Function;
    node.function = FindFunction(upper);
    node.text = AddString(std::move(upper));
    if (node.function != nullptr && (node.function->flags & kVolatile) != 0) {
      out_->isVolatile = true;
    }
    return AddWithChildren(node, args);
  }

  // One bracketed item of a structured reference, its escapes ("'" before [ ] # ') undone.
  std::optional<std::wstring> ReadBracketItem() {
    if (!Accept(L'[')) return std::nullopt;
    std::wstring item;
    for (;;) {
      if (AtEnd()) return std::nullopt;
      const wchar_t c = text_[pos_++];
      if (c == L'\'') {
        if (AtEnd()) return std::nullopt;
        item.push_back(text_[pos_++]);
        continue;
      }
      if (c == L']') return item;
      if (c == L'[') return std::nullopt;
      item.push_back(c);
    }
  }

  bool ApplyTableItem(TableReference& ref, std::wstring_view item) {
    const std::wstring upper = ToUpperText(item);
    if (upper == L"#ALL") {
      ref.all = true;
    } else if (upper == L"#DATA") {
      ref.data = true;
    } else if (upper == L"#HEADERS") {
      ref.headers = true;
    } else if (upper == L"#TOTALS") {
      ref.totals = true;
    } else if (upper == L"#THIS ROW" || upper == L"@") {
      ref.thisRow = true;
    } else if (!item.empty() && item.front() == L'#') {
      return false;
    } else if (ref.firstColumn.empty()) {
      ref.firstColumn = std::wstring(item);
      ref.lastColumn = ref.firstColumn;
    } else {
      return false;
    }
    return true;
  }

  std::int32_t ParseTableReference(std::wstring table) {
    TableReference ref;
    ref.table = std::move(table);
    if (!Accept(L'[')) return Fail(L"a table reference is malformed");
    SkipSpaces();
    if (Peek() == L'[' || Peek() == L'@') {
      if (Accept(L'@')) {
        ref.thisRow = true;
        if (Peek() != L'[' && Peek() != L']') {
          std::wstring column;
          while (!AtEnd() && Peek() != L']') {
            if (Peek() == L'\'') ++pos_;
            if (!AtEnd()) column.push_back(text_[pos_++]);
          }
          ref.firstColumn = ref.lastColumn = column;
        }
      }
      while (Peek() == L'[') {
        auto item = ReadBracketItem();
        if (!item) return Fail(L"a table reference is malformed");
        SkipSpaces();
        if (Accept(L':')) {
          SkipSpaces();
          auto last = ReadBracketItem();
          if (!last) return Fail(L"a table reference is malformed");
          ref.firstColumn = std::move(*item);
          ref.lastColumn = std::move(*last);
        } else if (!ApplyTableItem(ref, *item)) {
          return Fail(L"a table reference is malformed");
        }
        SkipSpaces();
        if (!Accept(L',')) break;
        SkipSpaces();
      }
      if (!Accept(L']')) return Fail(L"a table reference is malformed");
    } else {
      std::wstring item;
      while (!AtEnd() && Peek() != L']') {
        if (Peek() == L'\'') ++pos_;
        if (!AtEnd()) item.push_back(text_[pos_++]);
      }
      if (!Accept(L']')) return Fail(L"a table reference is malformed");
      if (!item.empty() && !ApplyTableItem(ref, item)) {
        return Fail(L"a table reference is malformed");
      }
    }
    out_->tables.push_back(std::move(ref));
    ExpressionNode node;
    node.kind = NodeKind::Table;
    node.table = static_cast<std::int32_t>(out_->tables.size() - 1);
    return Add(node);
  }

  std::wstring_view text_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::wstring error_;
  Expression* out_ = nullptr;
};

}  // namespace

ParseOutcome ParseExpression(std::wstring_view text) {
  return CParser(text).Run();
}

}  // namespace spreadsheet
