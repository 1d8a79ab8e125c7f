// Prefixes and external workbook indexes of file formulas, as Range.Formula shows them.
#include "spreadsheet/xlsx/reader_formula_text.h"

#include <cwctype>

#include "platform/char_class.h"
#include "spreadsheet/model/formula_text_scan.h"

namespace spreadsheet {
namespace {

bool IsWordChar(wchar_t c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c == L'$' || c == L'\\' ||
         c == L'?' || (c > 0x7F && std::iswalnum(static_cast<wint_t>(c)));
}

// A workbook name that a formula must quote: anything beyond letters, digits, "_" and ".".
bool NeedsQuotes(std::wstring_view name) {
  for (const wchar_t c : name) {
    if (!(IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' ||
          (c > 0x7F && std::iswalnum(static_cast<wint_t>(c))))) {
      return true;
    }
  }
  return false;
}

std::wstring DoubledQuotes(std::wstring_view text) {
  std::wstring out;
  for (const wchar_t c : text) {
    out += c;
    if (c == L'\'') out += L'\'';
  }
  return out;
}

// "[n]" at `i`: the book's file name and the index just past "]", or nothing.
const std::wstring* ExternalBookAt(std::wstring_view text, std::size_t i,
                                   const std::vector<std::wstring>& books, std::size_t& after) {
  std::size_t j = i + 1;
  std::size_t index = 0;
  while (j < text.size() && IsAsciiDigit(text[j]) && j - i < 8) {
    index = index * 10 + static_cast<std::size_t>(text[j] - L'0');
    ++j;
  }
  if (j == i + 1 || j >= text.size() || text[j] != L']') return nullptr;
  if (index < 1 || index > books.size() || books[index - 1].empty()) return nullptr;
  after = j + 1;
  return &books[index - 1];
}

bool StartsWithPrefix(std::wstring_view text, std::size_t i) {
  if (i + 6 > text.size() || text[i] != L'_' || text[i + 5] != L'.') return false;
  const auto lower = [&](std::size_t k) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i + k])));
  };
  if (lower(1) != L'x' || lower(2) != L'l') return false;
  const wchar_t a = lower(3);
  const wchar_t b = lower(4);
  return (a == L'f' && b == L'n') || (a == L'w' && b == L's') || (a == L'p' && b == L'm');
}

}  // namespace

bool FormulaMayNeedDisplayFix(std::string_view utf8) {
  return utf8.find('[') != std::string_view::npos || utf8.find("_xl") != std::string_view::npos ||
         utf8.find("_XL") != std::string_view::npos;
}

std::wstring DisplayFormula(std::wstring_view text, const std::vector<std::wstring>& books) {
  std::wstring out;
  out.reserve(text.size() + 16);
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    const bool tokenStart = i == 0 || !IsWordChar(text[i - 1]);
    if (c == L'"') {
      const std::size_t end = SkipQuoted(text, i, c);
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (c == L'\'') {
      const std::size_t end = SkipQuoted(text, i, c);
      std::size_t after = 0;
      const std::wstring* book =
          i + 1 < text.size() && text[i + 1] == L'[' ? ExternalBookAt(text, i + 1, books, after)
                                                     : nullptr;
      if (book != nullptr && after < end) {
        out += L"'[" + DoubledQuotes(*book) + L"]";
        out.append(text.substr(after, end - after));
      } else {
        out.append(text.substr(i, end - i));
      }
      i = end;
      continue;
    }
    if (c == L'[') {
      std::size_t after = 0;
      const std::wstring* book =
          tokenStart && (out.empty() || out.back() != L']') ? ExternalBookAt(text, i, books, after)
                                                            : nullptr;
      if (book != nullptr && after < text.size() && text[after] == L'!') {
        // An external defined name: [1]!Rate shows as Other.xlsx!Rate.
        out += NeedsQuotes(*book) ? L"'" + DoubledQuotes(*book) + L"'" : *book;
        i = after;
        continue;
      }
      if (book != nullptr) {
        std::size_t bang = after;
        while (bang < text.size() && (IsWordChar(text[bang]) || text[bang] == L':')) ++bang;
        if (bang > after && bang < text.size() && text[bang] == L'!') {
          const std::wstring_view sheet = text.substr(after, bang - after);
          if (NeedsQuotes(*book)) {
            out += L"'[" + DoubledQuotes(*book) + L"]";
            out.append(sheet);
            out += L'\'';
          } else {
            out += L"[" + *book + L"]";
            out.append(sheet);
          }
          i = bang;
          continue;
        }
      }
      const std::size_t end = SkipBrackets(text, i);
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (tokenStart && IsWordChar(c)) {
      while (StartsWithPrefix(text, i)) i += 6;
      std::size_t end = i;
      while (end < text.size() && IsWordChar(text[end])) {
        // A prefix can follow another inside one word: _xlfn._xlws.SORT.
        if (end > i && text[end - 1] == L'.' && StartsWithPrefix(text, end)) break;
        ++end;
      }
      if (end == i) continue;  // The word was prefixes only; what follows is read next.
      out.append(text.substr(i, end - i));
      i = end;
      while (StartsWithPrefix(text, i)) i += 6;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace spreadsheet
