// The formula tokenizer and its word rule.
#include "formula/formula_tokenizer.h"

#include <algorithm>
#include <type_traits>

#include "formula/text_compare.h"

namespace {

constexpr std::wstring_view kWordSeparators = L" \n\r\t+-*/(){},.;=&<>^:![%";
constexpr std::wstring_view kOperatorChars = L"%&*+-/<=>^";
constexpr std::wstring_view kPunctuationChars = L"(),.:;{}";
constexpr wchar_t kDecimalSeparator = L'.';

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}
bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\n' || c == L'\r' || c == L'\t';
}
bool IsOneOf(wchar_t c, std::wstring_view set) {
  return set.find(c) != std::wstring_view::npos;
}

// The separator test runs for every character of every word, so it is a table.
struct SeparatorTable {
  bool ascii[128] = {};
  constexpr SeparatorTable() {
    for (wchar_t c : kWordSeparators) ascii[static_cast<size_t>(c)] = true;
  }
};
constexpr SeparatorTable kSeparators;

bool IsSeparator(wchar_t c) {
  const auto code = static_cast<std::make_unsigned_t<wchar_t>>(c);
  return code < 128 && kSeparators.ascii[code];
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
    while (pos < n && IsBlank(text_[pos])) ++pos;
    if (pos >= n) break;
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
    } else if (IsOneOf(c, kOperatorChars)) {
      const wchar_t next = pos + 1 < n ? text_[pos + 1] : L'\0';
      if ((c == L'>' && next == L'=') || (c == L'<' && (next == L'=' || next == L'>'))) {
        end = pos + 2;
        type = TokComparison;
      } else {
        type = (c == L'<' || c == L'>' || c == L'=') ? TokComparison : TokOperator;
      }
    } else if (IsOneOf(c, kPunctuationChars)) {
      type = TokPunctuation;
    } else if (IsDigit(c)) {
      while (end < n && IsDigit(text_[end])) ++end;
      if (end < n && text_[end] == kDecimalSeparator) {
        ++end;
        while (end < n && IsDigit(text_[end])) ++end;
      }
      if (end < n && text_[end] == L'%') ++end;
      type = TokNumber;
    } else {
      end = std::max(ScanWord(pos), pos + 1);
      const std::wstring_view word = text_.substr(pos, end - pos);
      if (EqualsNoCase(word, L"TRUE")) {
        type = TokTrue;
      } else if (EqualsNoCase(word, L"FALSE")) {
        type = TokFalse;
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

// Up to a separator; a "[...]" inside the word is taken whole, and so is a following
// "C[...]", which keeps "R[1]C[-2]" and "Table1[Column]" together.
size_t CFormulaTokenizer::SimpleScan(size_t pos) const {
  const size_t n = text_.size();
  if (pos < n && text_[pos] == L'[') pos = FindOrEnd(L']', pos + 1);
  pos = ToSeparator(pos);
  if (pos >= n || text_[pos] != L'[') return pos;
  pos = FindOrEnd(L']', pos + 1);
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
    while (i < n && IsDigit(part[i])) ++i;
  }
  if (i + 1 < n && (part[i] == L'C' || part[i] == L'c') && part[i + 1] == L'[') return true;
  if (n >= 4 && part[0] == L'R') {
    size_t j = 1;
    while (j < n && IsDigit(part[j])) ++j;
    if (j > 1 && j < n && part[j] == L'C') {
      const size_t columnStart = ++j;
      while (j < n && IsDigit(part[j])) ++j;
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
      end = SimpleScan(stop + 1);
      if (end < n && text_[end] == L':') {
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
