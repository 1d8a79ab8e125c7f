// The formula tokenizer and its word rule.
#include "formula/formula_tokenizer.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "formula/text_compare.h"
#include "platform/char_class.h"

namespace {

// "." is no separator: it belongs to function names (CHISQ.TEST, _xlfn.NORM.INV), defined names
// and sheet names; decimal points are read by the number rule.
constexpr std::wstring_view kWordSeparators = L" \n\r\t+-*/(){},;=&<>^:![%";
constexpr std::wstring_view kOperatorChars = L"%&*+-/<=>^@";
constexpr std::wstring_view kPunctuationChars = L"(),.:;{}";
constexpr wchar_t kDecimalSeparator = L'.';
// Inside the brackets of a table reference this character makes the next one literal.
constexpr wchar_t kTableEscape = L'\'';

// Excel's error values as formulas write them. "#N/A" and "#DIV/0!" hold separators, so the
// word rule alone would split them.
constexpr std::wstring_view kErrorLiterals[] = {
    L"#NULL!", L"#DIV/0!",   L"#VALUE!",    L"#REF!",    L"#NAME?",       L"#NUM!",
    L"#N/A",   L"#SPILL!",   L"#CALC!",     L"#FIELD!",  L"#BLOCKED!",    L"#UNKNOWN!",
    L"#BUSY!", L"#CONNECT!", L"#EXTERNAL!", L"#PYTHON!", L"#GETTING_DATA"};

// The character tests run for every character of every word and every token start, so they are
// tables over ASCII.
enum CharClass : uint8_t {
  kSeparatorChar = 1,
  kOperatorChar = 2,
  kPunctuationChar = 4,
};
struct CharClassTable {
  uint8_t ascii[128] = {};
  constexpr CharClassTable() {
    for (wchar_t c : kWordSeparators) ascii[static_cast<size_t>(c)] |= kSeparatorChar;
    for (wchar_t c : kOperatorChars) ascii[static_cast<size_t>(c)] |= kOperatorChar;
    for (wchar_t c : kPunctuationChars) ascii[static_cast<size_t>(c)] |= kPunctuationChar;
  }
};
constexpr CharClassTable kCharClasses;

bool HasClass(wchar_t c, CharClass charClass) {
  const auto code = static_cast<std::make_unsigned_t<wchar_t>>(c);
  return code < 128 && (kCharClasses.ascii[code] & charClass) != 0;
}

bool IsSeparator(wchar_t c) {
  return HasClass(c, kSeparatorChar);
}

// Blanks between a token that can end an operand and a character that can start one are the
// intersection operator; anywhere else (after "(" or ",", around operators) they are layout.
bool EndsOperand(const FormulaToken& token) {
  return token.type == TokWord || token.type == TokNumber || token.type == TokError ||
         token.Is(TokPunctuation, L')');
}
bool StartsOperand(wchar_t c) {
  const auto code = static_cast<std::make_unsigned_t<wchar_t>>(c);
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'$' ||
         c == L'\'' || c == L'(' || c == L'[' || c == L'_' || c == L'\\' || c == L'#' ||
         code >= 0x80;
}

// Whether a word that does not start with "#" still holds an error literal after a "!" outside
// quotes and brackets: "Sheet1!#REF!", left behind by a deleted range.
bool HoldsErrorAfterBang(std::wstring_view word) {
  bool hash = false;
  for (wchar_t c : word) hash = hash || c == L'#';
  if (!hash) return false;
  bool quoted = false;
  int brackets = 0;
  for (size_t i = 0; i + 1 < word.size(); ++i) {
    const wchar_t c = word[i];
    if (c == L'\'') {
      quoted = !quoted;
    } else if (!quoted && c == L'[') {
      ++brackets;
    } else if (!quoted && c == L']' && brackets > 0) {
      --brackets;
    } else if (!quoted && brackets == 0 && c == L'!' && word[i + 1] == L'#') {
      return true;
    }
  }
  return false;
}

}  // namespace

bool CFormulaTokenizer::Tokenize(std::wstring_view text, const CDefinedNames* names, int32_t sheet,
                                 std::vector<FormulaToken>& tokens) {
  tokens.clear();
  text_ = text.substr(0, std::min(text.size(), kMaxFormulaLength));
  names_ = names;
  sheet_ = sheet;
  scanned_.clear();
  sortedScans_ = 0;
  firstLive_ = 0;

  const size_t n = text_.size();
  size_t pos = 0;
  for (;;) {
    const size_t blanksFrom = pos;
    while (pos < n && IsFormulaBlank(text_[pos])) ++pos;
    if (pos >= n) break;
    if (pos > blanksFrom && !tokens.empty() && EndsOperand(tokens.back()) &&
        StartsOperand(text_[pos])) {
      for (size_t space = blanksFrom; space < pos; ++space) {
        if (text_[space] != L' ') continue;
        tokens.push_back({text_.substr(space, 1), TokIntersection});
        break;
      }
    }
    const wchar_t c = text_[pos];
    size_t end = pos + 1;
    FormulaTokenType type = TokWord;
    if (c == L'"') {
      // Two quotation marks stand for one inside the string; an unterminated string runs on.
      for (size_t from = pos + 1;;) {
        const size_t quote = FindOrEnd(L'"', from);
        if (quote + 1 < n && text_[quote + 1] == L'"') {
          from = quote + 2;
          continue;
        }
        end = std::min(quote + 1, n);
        break;
      }
      type = TokString;
    } else if (HasClass(c, kOperatorChar)) {
      const wchar_t next = pos + 1 < n ? text_[pos + 1] : L'\0';
      if ((c == L'>' && next == L'=') || (c == L'<' && (next == L'=' || next == L'>'))) {
        end = pos + 2;
        type = TokComparison;
      } else {
        type = (c == L'<' || c == L'>' || c == L'=') ? TokComparison : TokOperator;
      }
    } else if (HasClass(c, kPunctuationChar)) {
      type = TokPunctuation;
    } else if (IsAsciiDigit(c)) {
      end = ScanNumber(pos);
      type = TokNumber;
    } else if (c == L'#') {
      // An error literal, or what a deleted reference leaves ("#REF!A1:B2"), read as a word.
      const size_t literal = ErrorLiteralLength(pos);
      const bool goesOn = literal > 0 && text_[pos + literal - 1] == L'!' && pos + literal < n &&
                          !IsSeparator(text_[pos + literal]) &&
                          !IsFormulaBlank(text_[pos + literal]);
      end = literal > 0 && !goesOn ? pos + literal : std::max(ScanWord(pos), pos + 1);
      type = TokError;
    } else {
      end = std::max(ScanWord(pos), pos + 1);
      const std::wstring_view word = text_.substr(pos, end - pos);
      if (EqualsNoCase(word, L"TRUE")) {
        type = TokTrue;
      } else if (EqualsNoCase(word, L"FALSE")) {
        type = TokFalse;
      } else if (HoldsErrorAfterBang(word)) {
        type = TokError;
      }
    }
    tokens.push_back({text_.substr(pos, end - pos), type});
    pos = end;
  }
  return !tokens.empty();
}

size_t CFormulaTokenizer::FindOrEnd(wchar_t c, size_t from) const {
  const size_t found = text_.find(c, from);
  return found == std::wstring_view::npos ? text_.size() : found;
}

// Digits, a decimal part, an exponent ("1.5E-3"; only when digits follow the "E") and one "%".
size_t CFormulaTokenizer::ScanNumber(size_t pos) const {
  const size_t n = text_.size();
  size_t end = pos;
  while (end < n && IsAsciiDigit(text_[end])) ++end;
  if (end < n && text_[end] == kDecimalSeparator) {
    ++end;
    while (end < n && IsAsciiDigit(text_[end])) ++end;
  }
  if (end < n && (text_[end] == L'E' || text_[end] == L'e')) {
    size_t exponent = end + 1;
    if (exponent < n && (text_[exponent] == L'+' || text_[exponent] == L'-')) ++exponent;
    if (exponent < n && IsAsciiDigit(text_[exponent])) {
      while (exponent < n && IsAsciiDigit(text_[exponent])) ++exponent;
      end = exponent;
    }
  }
  if (end < n && text_[end] == L'%') ++end;
  return end;
}

size_t CFormulaTokenizer::ErrorLiteralLength(size_t pos) const {
  const std::wstring_view rest = text_.substr(pos);
  for (const std::wstring_view literal : kErrorLiterals) {
    if (rest.size() >= literal.size() && EqualsNoCase(rest.substr(0, literal.size()), literal)) {
      return literal.size();
    }
  }
  return 0;
}

// The "]" that closes the "[" at `open`, counting nested pairs, or the end of the text. Inside,
// an apostrophe makes the next character literal, as table references escape "[", "]", "#"
// and "'" in column names.
size_t CFormulaTokenizer::MatchBracket(size_t open) const {
  const size_t n = text_.size();
  size_t depth = 0;
  for (size_t i = open; i < n; ++i) {
    const wchar_t c = text_[i];
    if (c == kTableEscape) {
      ++i;
    } else if (c == L'[') {
      ++depth;
    } else if (c == L']' && --depth == 0) {
      return i;
    }
  }
  return n;
}

size_t CFormulaTokenizer::ToSeparator(size_t pos) const {
  while (pos < text_.size() && !IsSeparator(text_[pos])) ++pos;
  return pos;
}

size_t CFormulaTokenizer::SkipQuoted(size_t pos) const {
  while (pos < text_.size() && text_[pos] == L'\'') {
    pos = std::min(FindOrEnd(L'\'', pos + 1) + 1, text_.size());
  }
  return pos;
}

// Up to a separator; a "[...]" inside the word is taken whole with the brackets nested in it,
// and so is a following "C[...]", which keeps "R[1]C[-2]", "Table1[Column]" and
// "Table1[[#This Row],[Column]]" together.
size_t CFormulaTokenizer::SimpleScan(size_t pos) const {
  const size_t n = text_.size();
  if (pos < n && text_[pos] == L'[') pos = MatchBracket(pos);
  pos = ToSeparator(pos);
  if (pos >= n || text_[pos] != L'[') return pos;
  pos = MatchBracket(pos);
  if (pos >= n) return n;
  ++pos;
  if (pos >= n || text_[pos] != L'C') return pos;
  pos = ToSeparator(pos);
  if (pos < n && text_[pos] == L'[') pos = std::min(FindOrEnd(L']', pos + 1) + 1, n);
  return pos;
}

// Whether the text after a ":" belongs to the word: an R1C1 cell ("R[1]C[2]", "RC[1]",
// "R2C[3]", "C[1]", "R2C3") or a defined name. An A1 cell does not; the parser joins those.
bool CFormulaTokenizer::IsJoinableRightPart(size_t start, size_t end) const {
  const std::wstring_view part = text_.substr(start, end - start);
  const size_t n = part.size();
  if (n >= 2 && (part[0] == L'R' || part[0] == L'r') && part[1] == L'[') return true;
  size_t i = 0;
  if (n > 0 && (part[0] == L'R' || part[0] == L'r')) {
    i = 1;
    while (i < n && IsAsciiDigit(part[i])) ++i;
  }
  if (i + 1 < n && (part[i] == L'C' || part[i] == L'c') && part[i + 1] == L'[') return true;
  if (n >= 4 && part[0] == L'R') {
    size_t j = 1;
    while (j < n && IsAsciiDigit(part[j])) ++j;
    if (j > 1 && j < n && part[j] == L'C') {
      const size_t columnStart = ++j;
      while (j < n && IsAsciiDigit(part[j])) ++j;
      if (j > columnStart && j == n) return true;
    }
  }
  if (names_ == nullptr || n == 0) return false;
  const NameLookupResult name = names_->DefinedNameLookup(part, sheet_);
  return name.IsFound() && !name.record->refersTo.empty();
}

const size_t* CFormulaTokenizer::FindScanned(size_t start) const {
  const auto begin = scanned_.begin() + static_cast<std::ptrdiff_t>(firstLive_);
  const auto end = scanned_.begin() + static_cast<std::ptrdiff_t>(sortedScans_);
  const auto found = std::lower_bound(begin, end, std::make_pair(start, size_t{0}));
  return (found != end && found->first == start) ? &found->second : nullptr;
}

// Keeps scanned_ sorted; scans that start before the tokenizer's position can no longer be
// asked for, so they are skipped and now and then dropped.
void CFormulaTokenizer::RememberScans(size_t position) {
  while (firstLive_ < sortedScans_ && scanned_[firstLive_].first < position) ++firstLive_;
  const auto live = scanned_.begin() + static_cast<std::ptrdiff_t>(firstLive_);
  const auto middle = scanned_.begin() + static_cast<std::ptrdiff_t>(sortedScans_);
  std::sort(middle, scanned_.end());
  std::inplace_merge(live, middle, scanned_.end());
  if (firstLive_ > scanned_.size() / 2) {
    scanned_.erase(scanned_.begin(), live);
    firstLive_ = 0;
  }
  sortedScans_ = scanned_.size();
}

// A word: quoted sheet names, a simple scan, the right part of a ":" when it belongs to the word,
// and the part after a "!" (with its own ":" continuation). The right part of a ":" is a word
// scan of its own; the nesting is kept on levels_ rather than on the call stack, since a text
// can chain any number of ":".
size_t CFormulaTokenizer::ScanWord(size_t start) {
  if (const size_t* known = FindScanned(start)) return *known;
  const size_t n = text_.size();
  levels_.clear();
  size_t levelStart = start;
  size_t pos = start;
  size_t stop = start;
  size_t result = start;
  bool scan = true;
  for (;;) {
    if (scan) {
      pos = SkipQuoted(pos);
      stop = SimpleScan(pos);
      if (stop < n && text_[stop] == L':') {
        if (const size_t* known = FindScanned(stop + 1)) {
          if (IsJoinableRightPart(stop + 1, *known)) stop = *known;
        } else {
          levels_.push_back({levelStart, stop});
          levelStart = pos = stop + 1;
          continue;
        }
      }
    }
    scan = true;
    size_t end = stop;
    if (stop < n && text_[stop] == L'!') {
      // "Sheet1!#REF!": the error literal is taken whole.
      const size_t literal =
          stop + 1 < n && text_[stop + 1] == L'#' ? ErrorLiteralLength(stop + 1) : 0;
      end = literal > 0 ? stop + 1 + literal : SimpleScan(stop + 1);
      // "Sheet1!C1:(": a ":" with nothing of a word after it is the range operator, not part of
      // the word, as after "C1" without a sheet.
      if (end < n && text_[end] == L':' && SimpleScan(SkipQuoted(end + 1)) > end + 1) {
        pos = end + 1;
        continue;
      }
    }
    if (levels_.empty()) {
      result = end;
      break;
    }
    scanned_.emplace_back(levelStart, end);
    const Level parent = levels_.back();
    levels_.pop_back();
    levelStart = parent.start;
    stop = IsJoinableRightPart(parent.colon + 1, end) ? end : parent.colon;
    scan = false;
  }
  if (scanned_.size() > sortedScans_) RememberScans(start);
  return result;
}
