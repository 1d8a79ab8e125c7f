// Sheet renaming and the rewriting of the references to a renamed sheet.
#include "spreadsheet/objects/sheet_rename.h"

#include <cwctype>
#include <vector>

#include "platform/char_class.h"
#include "spreadsheet/objects/a1_address.h"

namespace spreadsheet {
namespace {

bool IsWordChar(wchar_t c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c == L'\\' || c == L'?' ||
         (c > 0x7F && std::iswalnum(static_cast<wint_t>(c)));
}

std::size_t WordEnd(std::wstring_view text, std::size_t i) {
  while (i < text.size() && IsWordChar(text[i])) ++i;
  return i;
}

std::wstring Escaped(std::wstring_view name) {
  std::wstring out;
  for (const wchar_t c : name) {
    out += c;
    if (c == L'\'') out += L'\'';
  }
  return out;
}

// The qualifier of one sheet or of a 3-D pair, quoted when either name needs it.
std::wstring Qualifier(const std::vector<std::wstring>& parts) {
  bool quote = false;
  for (const auto& part : parts) quote = quote || QuoteSheetName(part) != part;
  std::wstring out = quote ? L"'" : L"";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += L':';
    out += quote ? Escaped(parts[i]) : parts[i];
  }
  return quote ? out + L"'" : out;
}

// Renames the parts that name the old sheet; false when none does.
bool RenameParts(std::vector<std::wstring>* parts, std::wstring_view oldName,
                 std::wstring_view newName) {
  bool changed = false;
  for (auto& part : *parts) {
    if (SameIdentifier(part, oldName)) {
      part = newName;
      changed = true;
    }
  }
  return changed;
}

}  // namespace

std::optional<std::wstring> SheetNameProblem(const CWorkbook& workbook, const CWorksheet& sheet,
                                             std::wstring_view name) {
  if (name.empty()) return L"A sheet name cannot be empty.";
  if (name.size() > kMaxSheetNameLength)
    return L"A sheet name cannot be longer than 31 characters.";
  for (const wchar_t c : name) {
    if (c < 0x20 || std::wstring_view(L":\\/?*[]").find(c) != std::wstring_view::npos) {
      return L"A sheet name cannot contain : \\ / ? * [ or ].";
    }
  }
  if (name.front() == L'\'' || name.back() == L'\'') {
    return L"A sheet name cannot begin or end with an apostrophe.";
  }
  if (SameIdentifier(name, L"History")) return L"History is a name Excel reserves.";
  const auto taken = workbook.FindSheet(name);
  if (taken && &workbook.Sheet(*taken) != &sheet) {
    return L"That name is already taken. Try a different one.";
  }
  return std::nullopt;
}

std::wstring RenameSheetInFormula(std::wstring_view formula, std::wstring_view oldName,
                                  std::wstring_view newName) {
  std::wstring out;
  out.reserve(formula.size());
  std::size_t i = 0;
  bool afterBracket = false;  // A word right after "]" belongs to another workbook.
  while (i < formula.size()) {
    const wchar_t c = formula[i];
    if (c == L'"') {
      std::size_t end = i + 1;
      while (end < formula.size()) {
        if (formula[end] == L'"') {
          if (end + 1 < formula.size() && formula[end + 1] == L'"') {
            end += 2;
            continue;
          }
          ++end;
          break;
        }
        ++end;
      }
      out.append(formula.substr(i, end - i));
      i = end;
      afterBracket = false;
    } else if (c == L'\'') {
      std::wstring content;
      std::size_t end = i + 1;
      bool closed = false;
      while (end < formula.size()) {
        if (formula[end] == L'\'') {
          if (end + 1 < formula.size() && formula[end + 1] == L'\'') {
            content += L'\'';
            end += 2;
            continue;
          }
          ++end;
          closed = true;
          break;
        }
        content += formula[end++];
      }
      const bool qualifier = closed && end < formula.size() && formula[end] == L'!';
      std::vector<std::wstring> parts;
      if (qualifier && content.find_first_of(L"[]") == std::wstring::npos) {
        for (std::size_t start = 0;;) {
          const std::size_t colon = content.find(L':', start);
          parts.push_back(content.substr(start, colon - start));
          if (colon == std::wstring::npos) break;
          start = colon + 1;
        }
      }
      if (!parts.empty() && RenameParts(&parts, oldName, newName)) {
        out += Qualifier(parts);
      } else {
        out.append(formula.substr(i, end - i));
      }
      i = end;
      afterBracket = false;
    } else if (c == L'[') {
      // Structured references and external-book indexes; "'" escapes the next character.
      std::size_t end = i;
      std::size_t depth = 0;
      while (end < formula.size()) {
        const wchar_t d = formula[end++];
        if (d == L'\'' && end < formula.size()) {
          ++end;
        } else if (d == L'[') {
          ++depth;
        } else if (d == L']' && --depth == 0) {
          break;
        }
      }
      out.append(formula.substr(i, end - i));
      i = end;
      afterBracket = true;
    } else if (IsWordChar(c)) {
      const std::size_t end = WordEnd(formula, i);
      std::vector<std::wstring> parts{std::wstring(formula.substr(i, end - i))};
      std::size_t after = end;
      if (after < formula.size() && formula[after] == L':' && after + 1 < formula.size() &&
          IsWordChar(formula[after + 1])) {
        const std::size_t secondEnd = WordEnd(formula, after + 1);
        if (secondEnd < formula.size() && formula[secondEnd] == L'!') {
          parts.emplace_back(formula.substr(after + 1, secondEnd - after - 1));
          after = secondEnd;
        }
      }
      const bool qualifier = !afterBracket && after < formula.size() && formula[after] == L'!';
      if (qualifier && RenameParts(&parts, oldName, newName)) {
        out += Qualifier(parts);
        i = after;
      } else {
        out.append(formula.substr(i, end - i));
        i = end;
      }
      afterBracket = false;
    } else {
      out += c;
      ++i;
      afterBracket = false;
    }
  }
  return out;
}

void RenameSheet(CWorkbook& workbook, CWorksheet& sheet, const std::wstring& newName) {
  const std::wstring oldName = sheet.Name();
  sheet.SetName(newName);
  if (oldName == newName) return;
  for (std::int32_t index = 1; index <= workbook.SheetCount(); ++index) {
    CWorksheet& each = workbook.Sheet(index);
    const auto& records = each.FormulaRecords();
    for (std::size_t record = 0; record < records.size(); ++record) {
      std::wstring text = RenameSheetInFormula(records[record].text, oldName, newName);
      if (text != records[record].text) {
        each.SetFormulaText(static_cast<std::uint32_t>(record), std::move(text));
      }
    }
  }
  std::vector<DefinedName> renamed;
  for (const DefinedName& name : workbook.Names()) {
    std::wstring text = RenameSheetInFormula(name.refersTo, oldName, newName);
    if (text != name.refersTo) {
      DefinedName copy = name;
      copy.refersTo = std::move(text);
      renamed.push_back(std::move(copy));
    }
  }
  for (DefinedName& name : renamed) workbook.AddName(std::move(name));
}

}  // namespace spreadsheet
