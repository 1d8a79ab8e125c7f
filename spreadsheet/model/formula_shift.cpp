// Moving relative references. A small scanner, not a parser: it only needs to know which words
// of a formula are A1 references and which are strings, names, functions or numbers.
#include "spreadsheet/model/formula_shift.h"

#include <cwctype>
#include <optional>

#include "platform/char_class.h"
#include "spreadsheet/model/column_letters.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/formula_text_scan.h"

namespace spreadsheet {
namespace {

bool IsWordChar(wchar_t c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c == L'$' || c == L'\\' ||
         (c > 0x7F && std::iswalnum(static_cast<wint_t>(c)));
}

// One part of a reference: a column, a row, or both, each possibly absolute.
struct Part {
  std::optional<std::int32_t> column;
  bool columnAbsolute = false;
  std::optional<std::int32_t> row;
  bool rowAbsolute = false;
};

// Reads "$A$1", "A1", "$A" or "$1" exactly (the whole of `word`).
std::optional<Part> ReadPart(std::wstring_view word, bool allowColumnOnly, bool allowRowOnly) {
  Part part;
  std::size_t i = 0;
  if (i < word.size() && word[i] == L'$' && i + 1 < word.size() && IsAsciiLetter(word[i + 1])) {
    part.columnAbsolute = true;
    ++i;
  }
  const std::size_t lettersStart = i;
  while (i < word.size() && IsAsciiLetter(word[i]) && i - lettersStart <= kMaxColumnLetters) ++i;
  if (i > lettersStart) {
    part.column = ColumnFromLetters(word.substr(lettersStart, i - lettersStart));
    if (!part.column) return std::nullopt;
  }
  if (i < word.size() && word[i] == L'$') {
    part.rowAbsolute = true;
    ++i;
  }
  std::int64_t row = 0;
  std::size_t digits = 0;
  while (i < word.size() && IsAsciiDigit(word[i]) && digits < 8) {
    row = row * 10 + (word[i] - L'0');
    ++i;
    ++digits;
  }
  if (i != word.size()) return std::nullopt;
  if (digits > 0) {
    if (row < 1 || row > kMaxRows) return std::nullopt;
    part.row = static_cast<std::int32_t>(row);
  } else if (part.rowAbsolute) {
    return std::nullopt;
  }
  if (part.column && part.row) return part;
  if (part.column && !part.row && allowColumnOnly) return part;
  if (!part.column && part.row && allowRowOnly && !part.columnAbsolute) return part;
  return std::nullopt;
}

// Moves a part; false when it leaves the sheet.
bool Move(Part& part, std::int32_t rows, std::int32_t columns) {
  if (part.column && !part.columnAbsolute) {
    *part.column += columns;
    if (*part.column < 1 || *part.column > kMaxColumns) return false;
  }
  if (part.row && !part.rowAbsolute) {
    *part.row += rows;
    if (*part.row < 1 || *part.row > kMaxRows) return false;
  }
  return true;
}

// Appends the part's text to `out`, without the temporaries of number formatting: a shared
// formula is written out this way for each of its cells.
void AppendPartText(const Part& part, std::wstring& out) {
  if (part.column) {
    if (part.columnAbsolute) out += L'$';
    wchar_t letters[8];
    std::size_t count = 0;
    for (std::int32_t column = *part.column; column > 0 && count < 8; column = (column - 1) / 26) {
      letters[count++] = static_cast<wchar_t>(L'A' + (column - 1) % 26);
    }
    while (count > 0) out += letters[--count];
  }
  if (part.row) {
    if (part.rowAbsolute) out += L'$';
    wchar_t digits[12];
    std::size_t count = 0;
    for (std::int32_t row = *part.row; count == 0 || row > 0; row /= 10) {
      digits[count++] = static_cast<wchar_t>(L'0' + row % 10);
    }
    while (count > 0) out += digits[--count];
  }
}

std::size_t WordEnd(std::wstring_view text, std::size_t i) {
  while (i < text.size() && IsWordChar(text[i])) ++i;
  return i;
}

}  // namespace

std::wstring ShiftFormula(std::wstring_view text, std::int32_t rows, std::int32_t columns) {
  std::wstring out;
  out.reserve(text.size() + 8);
  std::size_t i = 0;
  bool afterWord = false;  // The previous character ends a name, number or closing bracket.
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (c == L'"' || c == L'\'') {
      const std::size_t end = SkipQuoted(text, i, c);
      out.append(text.substr(i, end - i));
      i = end;
      afterWord = true;
      continue;
    }
    if (c == L'[') {
      const std::size_t end = SkipBrackets(text, i);
      out.append(text.substr(i, end - i));
      i = end;
      afterWord = true;
      continue;
    }
    if (!IsWordChar(c) || afterWord) {
      if (IsWordChar(c)) {
        const std::size_t end = WordEnd(text, i);
        out.append(text.substr(i, end - i));
        i = end;
        continue;
      }
      out += c;
      ++i;
      afterWord = false;
      continue;
    }

    // A word starts here. Numbers are copied whole, exponent sign included ("1E+20").
    if (IsAsciiDigit(c) || c == L'.') {
      std::size_t end = WordEnd(text, i);
      const bool rowRange = end < text.size() && text[end] == L':' && end + 1 < text.size() &&
                            (IsAsciiDigit(text[end + 1]) || text[end + 1] == L'$');
      if (!rowRange) {
        if (end < text.size() && (text[end] == L'+' || text[end] == L'-') &&
            (text[end - 1] == L'E' || text[end - 1] == L'e')) {
          end = WordEnd(text, end + 1);
        }
        out.append(text.substr(i, end - i));
        i = end;
        afterWord = true;
        continue;
      }
    }
    const std::size_t end = WordEnd(text, i);
    const std::wstring_view word = text.substr(i, end - i);
    const bool isFunctionOrSheet = end < text.size() && (text[end] == L'(' || text[end] == L'!');

    // A range "A1:B2", "A:C" or "1:3" moves as one, so that either corner leaving the sheet
    // turns the whole range into #REF!.
    std::optional<Part> first;
    std::optional<Part> second;
    std::size_t consumed = end;
    if (!isFunctionOrSheet && end < text.size() && text[end] == L':') {
      const std::size_t secondEnd = WordEnd(text, end + 1);
      const std::wstring_view secondWord = text.substr(end + 1, secondEnd - end - 1);
      first = ReadPart(word, true, true);
      second = ReadPart(secondWord, true, true);
      const bool sameShape = first && second && first->column.has_value() == second->column.has_value() &&
                             first->row.has_value() == second->row.has_value();
      const bool followedByCall = secondEnd < text.size() && text[secondEnd] == L'(';
      if (sameShape && !followedByCall) {
        consumed = secondEnd;
      } else {
        second.reset();
        first = ReadPart(word, false, false);
      }
    } else if (!isFunctionOrSheet) {
      first = ReadPart(word, false, false);
    }

    if (!first) {
      out.append(word);
      i = end;
      afterWord = true;
      continue;
    }
    const bool moved = Move(*first, rows, columns) && (!second || Move(*second, rows, columns));
    if (!moved) {
      out += L"#REF!";
    } else {
      AppendPartText(*first, out);
      if (second) {
        out += L':';
        AppendPartText(*second, out);
      }
    }
    i = consumed;
    afterWord = true;
  }
  return out;
}

}  // namespace spreadsheet
