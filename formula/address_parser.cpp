// Address text to rectangles and back.
#include "formula/address_parser.h"

#include <cstdint>
#include <type_traits>

#include "formula/text_compare.h"
#include "platform/char_class.h"

namespace {

// Limits of a corner. They are those of the file format's largest sheets, fixed so that a text
// reads the same whatever Excel runs.
constexpr int64_t kMaxColumn = 65536;
constexpr int64_t kMaxRow = 1048576;
// Whole-column and whole-row areas are written with these, whatever the sheet size.
constexpr int32_t kWholeColumnLastRow = 65536;
constexpr int32_t kWholeRowLastColumn = 256;
// A corner's number stops growing past this, so that long tokens cannot overflow (and cannot
// wrap round into the valid range).
constexpr int64_t kCornerOverflow = int64_t{1} << 40;
// A defined name used as a corner is read through its own text, which may name another name; a
// name that refers to itself (directly or round a cycle) must not recurse without end.
constexpr int kMaxNameNesting = 16;

uint32_t CodeOf(wchar_t c) {
  return static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
}

// Excel reads a sheet name without apostrophes only when it holds letters, digits, "_" and "."
// and does not start with a digit; anything else must be quoted to be read back.
bool NeedsQuotes(std::wstring_view sheet) {
  if (sheet.empty()) return false;
  if (IsAsciiDigit(sheet.front())) return true;
  for (wchar_t c : sheet) {
    const uint32_t code = CodeOf(c);
    if (code >= 0x80) continue;
    const bool plain = IsAsciiLetter(c) || IsAsciiDigit(c) ||
                       c == L'_' || c == L'.';
    if (!plain) return true;
  }
  return false;
}

// Appends the sheet part with its "!": quoted as a whole when either name needs it, with
// apostrophes inside doubled.
void AppendSheetPrefix(std::wstring& out, std::wstring_view sheet1, std::wstring_view sheet2) {
  const bool span = !sheet2.empty() && sheet2 != sheet1;
  const bool quote = NeedsQuotes(sheet1) || (span && NeedsQuotes(sheet2));
  auto append = [&](std::wstring_view name) {
    for (wchar_t c : name) {
      out.push_back(c);
      if (quote && c == L'\'') out.push_back(L'\'');
    }
  };
  if (quote) out.push_back(L'\'');
  append(sheet1);
  if (span) {
    out.push_back(L':');
    append(sheet2);
  }
  if (quote) out.push_back(L'\'');
  out.push_back(L'!');
}

void AppendCell(std::wstring& out, int32_t column, int32_t row) {
  out += CAddressParser::ColumnLetters(column);
  out += std::to_wstring(row);
}

}  // namespace

void CAddressParser::SetCurrentCell(const CellPos& cell) {
  firstSheet_ = lastSheet_ = cell.sheet;
  firstColumn_ = lastColumn_ = cell.column;
  firstRow_ = lastRow_ = cell.row;
}

bool CAddressParser::Parse(std::wstring_view text) {
  external_ = false;
  std::wstring_view current = text;
  // "[Book]Sheet!A1" and "'C:\dir\[Book]Sheet'!A1" name a workbook. A text naming this workbook
  // is read again without the workbook part; each round is strictly shorter.
  for (;;) {
    const size_t bang = current.find(L'!');
    const size_t apostrophe = current.find(L'\'');
    const size_t bracket =
        current.find(L'[', apostrophe == std::wstring_view::npos ? 0 : apostrophe + 1);
    if (bang == std::wstring_view::npos || bracket == std::wstring_view::npos || bracket > bang) {
      break;
    }
    const size_t close = current.find(L']', bracket + 1);
    if (close == std::wstring_view::npos) return false;
    if (!EqualsNoCase(current.substr(bracket + 1, close - bracket - 1), workbookName_)) {
      external_ = true;
      return true;
    }
    // "'C:\dir\[Book1.xlsx]Sheet 2'!A1" keeps the quote that opened before the workbook.
    const bool quoted = apostrophe != std::wstring_view::npos && apostrophe < bracket;
    std::wstring next;
    next.reserve(current.size() - close);
    if (quoted) next.push_back(L'\'');
    next.append(current.substr(close + 1));
    remainder_.swap(next);
    current = remainder_;
  }
  if (!Tokenize(current) || !ParseTokens()) return false;
  if (!secondCornerGiven_) {
    lastColumn_ = firstColumn_;
    lastRow_ = firstRow_;
  }
  return true;
}

bool CAddressParser::Tokenize(std::wstring_view text) {
  cursor_ = 0;
  bangCount_ = 0;
  secondCornerGiven_ = false;
  tokens_.clear();
  buffer_.clear();
  if (!text.empty() && text.front() == L'=') text.remove_prefix(1);
  size_t gathered = 0;
  // Inside apostrophes a sheet name is taken as written ("'Cost$ & 1!'!A1"), a doubled
  // apostrophe standing for one ("'O''Brien'!A1"); only ":" (between the sheets of a 3-D
  // reference) still delimits there.
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\'') {
      if (quoted && i + 1 < text.size() && text[i + 1] == L'\'') {
        buffer_.push_back(c);
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    if (c == L'$' && !quoted) continue;
    if (c == L':' || (c == L'!' && !quoted)) {
      tokens_.push_back({gathered, buffer_.size() - gathered});
      tokens_.push_back({buffer_.size(), 1});
      buffer_.push_back(c);
      gathered = buffer_.size();
      if (c == L'!') ++bangCount_;
    } else {
      buffer_.push_back(c);
    }
  }
  if (buffer_.size() > gathered) tokens_.push_back({gathered, buffer_.size() - gathered});
  return !tokens_.empty();
}

std::wstring_view CAddressParser::TokenAt(size_t index) const {
  const TokenSpan& span = tokens_[index];
  return std::wstring_view(buffer_).substr(span.offset, span.length);
}

bool CAddressParser::TakeToken(std::wstring_view& token) {
  if (cursor_ >= tokens_.size()) return false;
  token = TokenAt(cursor_++);
  return true;
}

int32_t CAddressParser::FindSheet(std::wstring_view name) const {
  return sheets_ != nullptr ? sheets_->Find(name) : 0;
}

bool CAddressParser::TakeSheet(int32_t& sheet) {
  std::wstring_view token;
  if (!TakeToken(token)) return false;
  sheet = FindSheet(token);
  return sheet != 0;
}

bool CAddressParser::ParseTokens() {
  if (tokens_.size() == 1) return ParseCorner(false, false);
  if (tokens_.size() == 3) {
    const std::wstring_view head = TokenAt(0);
    if (FindSheet(head) == 0) {
      const NameLookupResult name = LookupName(head, firstSheet_);
      if (name.IsFound() && !name.record->refersTo.empty()) {
        // "Name:E5": the name's area widened to the second corner; the ":" is not checked.
        if (!ParseCorner(false, true)) return false;
        ++cursor_;
        return ParseCorner(true, true);
      }
    }
  }
  return ParseQualified();
}

bool CAddressParser::ParseQualified() {
  if (bangCount_ > 0) {
    int32_t sheet = 0;
    if (!TakeSheet(sheet)) return false;
    firstSheet_ = lastSheet_ = sheet;
    std::wstring_view token;
    if (!TakeToken(token)) return false;
    if (token == L":") {
      if (!TakeSheet(sheet)) return false;
      lastSheet_ = sheet;
      if (!TakeToken(token)) return false;  // the "!"
    }
  }
  if (!ParseCorner(false, true)) return false;
  if (cursor_ >= tokens_.size()) return true;
  ++cursor_;  // the ":"
  if (bangCount_ >= 2) {
    int32_t sheet = 0;
    if (!TakeSheet(sheet)) return false;
    lastSheet_ = sheet;
    std::wstring_view token;
    if (!TakeToken(token)) return false;  // the "!"
  }
  return ParseCorner(true, true);
}

bool CAddressParser::ParseNameCorner(const std::wstring& refersTo, bool second) {
  if (nameDepth_ >= kMaxNameNesting) return false;
  CAddressParser inner(sheets_, names_, nameDepth_ + 1);
  inner.SetCurrentCell({});
  if (!inner.Parse(refersTo)) return false;
  if (!second) {
    firstSheet_ = inner.firstSheet_;
    lastSheet_ = inner.lastSheet_;
    firstColumn_ = inner.firstColumn_;
    lastColumn_ = inner.lastColumn_;
    firstRow_ = inner.firstRow_;
    secondCornerGiven_ = true;
  } else {
    lastSheet_ = inner.lastSheet_;
    lastColumn_ = inner.lastColumn_;
  }
  lastRow_ = inner.lastRow_;
  return true;
}

// A partial corner may give only a column (a whole column) or only a row (a whole row).
bool CAddressParser::ParseCorner(bool second, bool partial) {
  if (second) secondCornerGiven_ = true;
  std::wstring_view token;
  if (!TakeToken(token)) return false;
  const NameLookupResult name = LookupName(token, firstSheet_);
  if (name.IsFound() && !name.record->refersTo.empty()) {
    return ParseNameCorner(name.record->refersTo, second);
  }

  // Letters and digits may interleave and nothing else is checked: every non-digit counts as a
  // column letter by its code.
  int64_t column = 0;
  int64_t row = 0;
  bool digits = false;
  bool nonDigits = false;
  for (wchar_t c : token) {
    if (IsAsciiDigit(c)) {
      digits = true;
      row = row * 10 + (c - L'0');
    } else {
      nonDigits = true;
      column = column * 26 + (static_cast<int64_t>(CodeOf(FoldCase(c))) - 64);
    }
    if (row > kCornerOverflow || column > kCornerOverflow || column < -kCornerOverflow) {
      return false;
    }
  }
  if (!digits) {
    if (!partial) return false;
    row = second ? kWholeColumnLastRow : 1;
  }
  if (!nonDigits) {
    if (!partial) return false;
    column = second ? kWholeRowLastColumn : 1;
  }
  if (column < 0 || column > kMaxColumn || row < 0 || row > kMaxRow) return false;
  if (second) {
    lastColumn_ = static_cast<int32_t>(column);
    lastRow_ = static_cast<int32_t>(row);
  } else {
    firstColumn_ = static_cast<int32_t>(column);
    firstRow_ = static_cast<int32_t>(row);
  }
  return true;
}

std::wstring CAddressParser::ColumnLetters(int32_t column) {
  std::wstring letters;
  for (int32_t n = column; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<wchar_t>(L'A' + (n - 1) % 26));
  }
  return letters;
}

std::wstring CAddressParser::FormatCellAddress(std::wstring_view sheet, int32_t column,
                                               int32_t row) {
  std::wstring out;
  if (!sheet.empty()) AppendSheetPrefix(out, sheet, {});
  AppendCell(out, column, row);
  return out;
}

std::wstring CAddressParser::FormatRangeAddress(std::wstring_view sheet1, std::wstring_view sheet2,
                                                int32_t column1, int32_t column2, int32_t row1,
                                                int32_t row2) {
  std::wstring out;
  if (!sheet1.empty()) AppendSheetPrefix(out, sheet1, sheet2);
  AppendCell(out, column1, row1);
  if (column1 != column2 || row1 != row2) {
    out.push_back(L':');
    AppendCell(out, column2, row2);
  }
  return out;
}

std::wstring CAddressParser::FormatAddress(const CellPos& first, const CellPos& last,
                                           std::wstring_view sheet) {
  if (first == last) return FormatCellAddress(sheet, first.column, first.row);
  if (first.row == 1 && last.row == kWholeColumnLastRow) {
    return ColumnLetters(first.column) + L':' + ColumnLetters(last.column);
  }
  if (first.column == 1 && last.column == kWholeRowLastColumn) {
    return L'$' + std::to_wstring(first.row) + L":$" + std::to_wstring(last.row);
  }
  return FormatRangeAddress(sheet, sheet, first.column, last.column, first.row, last.row);
}
