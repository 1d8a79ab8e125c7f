// Worksheet functions: information about values, cells, sheets and the environment.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/char_class.h"
#include "spreadsheet/calc/format_code.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/model/column_letters.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {
namespace {

EvalValue IsBlank(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsEmpty());
}
EvalValue IsErr(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsError() && args[0].AsError() != ErrorCode::NA);
}
EvalValue IsError(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsError());
}
EvalValue IsNa(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsError() && args[0].AsError() == ErrorCode::NA);
}
EvalValue IsNumber(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsNumber());
}
EvalValue IsText(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsText());
}
EvalValue IsNonText(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(!args[0].IsText());
}
EvalValue IsLogical(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsBoolean());
}

// ISEVEN and ISODD take numbers and numeric text, but not Booleans; fractions are truncated.
std::optional<EvalValue> GetParity(const EvalValue& value, bool& odd) {
  if (value.IsBoolean()) return EvalValue::Error(ErrorCode::Value);
  double number = 0.0;
  if (auto error = GetNumber(value, number)) return error;
  odd = std::fmod(std::trunc(number), 2.0) != 0.0;
  return std::nullopt;
}

EvalValue IsEven(std::span<const EvalValue> args, CFunctionContext&) {
  bool odd = false;
  if (auto error = GetParity(args[0], odd)) return *error;
  return EvalValue::Boolean(!odd);
}

EvalValue IsOdd(std::span<const EvalValue> args, CFunctionContext&) {
  bool odd = false;
  if (auto error = GetParity(args[0], odd)) return *error;
  return EvalValue::Boolean(odd);
}

EvalValue IsRef(std::span<const EvalValue> args, CFunctionContext&) {
  return EvalValue::Boolean(args[0].IsReference());
}

// The top-left cell of a reference argument; a value that is no reference is #VALUE!.
std::optional<EvalValue> GetCell(const EvalValue& value, Area& area, CellCoord& cell) {
  if (value.IsError()) return value;
  if (!value.IsReference()) return EvalValue::Error(ErrorCode::Value);
  area = value.AsAreas().front();
  cell = area.rect.first;
  return std::nullopt;
}

EvalValue IsFormula(std::span<const EvalValue> args, CFunctionContext& context) {
  Area area;
  CellCoord cell;
  if (auto error = GetCell(args[0], area, cell)) return *error;
  return EvalValue::Boolean(context.FormulaAt(area, cell).has_value());
}

EvalValue FormulaText(std::span<const EvalValue> args, CFunctionContext& context) {
  Area area;
  CellCoord cell;
  if (auto error = GetCell(args[0], area, cell)) return *error;
  auto formula = context.FormulaAt(area, cell);
  if (!formula) return EvalValue::Error(ErrorCode::NA);
  return EvalValue::Text(std::move(*formula));
}

EvalValue ErrorType(std::span<const EvalValue> args, CFunctionContext&) {
  if (!args[0].IsError()) return EvalValue::Error(ErrorCode::NA);
  switch (args[0].AsError()) {
    case ErrorCode::Null:
      return EvalValue::Number(1);
    case ErrorCode::Div0:
      return EvalValue::Number(2);
    case ErrorCode::Value:
      return EvalValue::Number(3);
    case ErrorCode::Ref:
      return EvalValue::Number(4);
    case ErrorCode::Name:
      return EvalValue::Number(5);
    case ErrorCode::Num:
      return EvalValue::Number(6);
    case ErrorCode::NA:
      return EvalValue::Number(7);
    case ErrorCode::GettingData:
      return EvalValue::Number(8);
    case ErrorCode::Spill:
      return EvalValue::Number(9);
    case ErrorCode::Calc:
      return EvalValue::Number(14);
  }
  return EvalValue::Error(ErrorCode::NA);
}

EvalValue N(std::span<const EvalValue> args, CFunctionContext&) {
  const EvalValue& value = args[0];
  if (value.IsError()) return value;
  if (value.IsNumber() || value.IsBoolean()) return EvalValue::Number(value.AsNumber());
  return EvalValue::Number(0.0);
}

EvalValue Na(std::span<const EvalValue>, CFunctionContext&) {
  return EvalValue::Error(ErrorCode::NA);
}

double TypeOf(const EvalValue& value) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Empty:
    case EvalValue::Kind::Number:
      return 1;
    case EvalValue::Kind::Text:
      return 2;
    case EvalValue::Kind::Boolean:
      return 4;
    case EvalValue::Kind::Error:
      return 16;
    case EvalValue::Kind::Reference:
    case EvalValue::Kind::Array:
      break;
  }
  return 64;
}

EvalValue Type(std::span<const EvalValue> args, CFunctionContext& context) {
  const EvalValue& value = args[0];
  if (!value.IsReference()) return EvalValue::Number(TypeOf(value));
  const std::vector<Area>& areas = value.AsAreas();
  if (areas.size() > 1) return EvalValue::Number(16);
  const Area& area = areas.front();
  if (!area.rect.IsSingleCell()) return EvalValue::Number(64);
  return EvalValue::Number(TypeOf(context.CellValueAt(area, area.rect.first)));
}

// ---------------------------------------------------------------------------------------------
// CELL

CWorkbook& WorkbookOf(const Area& area, CFunctionContext& context) {
  return area.workbook != nullptr ? *area.workbook : context.Workbook();
}

const CWorksheet* SheetOf(const Area& area, CFunctionContext& context) {
  const CWorkbook& workbook = WorkbookOf(area, context);
  if (area.sheet < 1 || area.sheet > workbook.SheetCount()) return nullptr;
  return &workbook.Sheet(area.sheet);
}

// The folder of a saved workbook with its closing separator; empty for one never saved, whose
// full name is its name alone.
std::wstring FolderOf(const CWorkbook& workbook) {
  const std::wstring& full = workbook.FullName();
  const std::size_t slash = full.find_last_of(L"/\\");
  if (slash == std::wstring::npos) return std::wstring();
  return full.substr(0, slash + 1);
}

bool NeedsQuotes(std::wstring_view name) {
  for (const wchar_t c : name) {
    const bool plain = IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c > 0x7F;
    if (!plain) return true;
  }
  return !name.empty() && IsAsciiDigit(name.front());
}

// "$B$3", or "[Book.xlsx]Sheet2!$B$3" for a cell on another sheet than the formula's.
std::wstring CellAddress(const Area& area, CellCoord cell, CFunctionContext& context) {
  std::wstring address = L"$" + ColumnLetters(cell.column) + L"$" + std::to_wstring(cell.row);
  const CWorkbook& workbook = WorkbookOf(area, context);
  if (&workbook == &context.Workbook() && area.sheet == context.Sheet()) return address;
  const CWorksheet* sheet = SheetOf(area, context);
  const std::wstring sheetName = sheet != nullptr ? sheet->Name() : std::wstring();
  std::wstring prefix = L"[" + workbook.Name() + L"]" + sheetName;
  if (NeedsQuotes(workbook.Name()) || NeedsQuotes(sheetName)) {
    std::wstring quoted = L"'";
    for (const wchar_t c : prefix) {
      quoted += c;
      if (c == L'\'') quoted += c;
    }
    prefix = quoted + L"'";
  }
  return prefix + L"!" + address;
}

// A format code split into its sections, with what CELL asks of each that the parsed code does
// not keep: a colour, and parentheses shown as text.
struct FormatCodeSection {
  bool colour = false;
  bool parentheses = false;
};

bool IsColourName(std::wstring_view inside) {
  static constexpr std::wstring_view kColours[] = {L"black",   L"blue", L"cyan",  L"green",
                                                   L"magenta", L"red",  L"white", L"yellow"};
  for (const std::wstring_view colour : kColours) {
    if (CompareTextIgnoringCase(inside, colour) == 0) return true;
  }
  return inside.size() > 5 && CompareTextIgnoringCase(inside.substr(0, 5), L"color") == 0;
}

std::vector<FormatCodeSection> ScanSections(std::wstring_view code) {
  std::vector<FormatCodeSection> sections(1);
  for (std::size_t i = 0; i < code.size(); ++i) {
    const wchar_t c = code[i];
    if (c == L';') {
      sections.emplace_back();
    } else if (c == L'"') {
      const std::size_t close = code.find(L'"', i + 1);
      const std::size_t end = close == std::wstring_view::npos ? code.size() : close;
      if (code.substr(i + 1, end - i - 1).find(L'(') != std::wstring_view::npos) {
        sections.back().parentheses = true;
      }
      i = end;
    } else if (c == L'[') {
      const std::size_t close = code.find(L']', i + 1);
      const std::size_t end = close == std::wstring_view::npos ? code.size() : close;
      if (IsColourName(code.substr(i + 1, end - i - 1))) sections.back().colour = true;
      i = end;
    } else if (c == L'_' || c == L'*') {
      ++i;  // A space as wide as the next character, or a fill: neither is shown as itself.
    } else if (c == L'\\') {
      if (i + 1 < code.size() && code[i + 1] == L'(') sections.back().parentheses = true;
      ++i;
    } else if (c == L'(') {
      sections.back().parentheses = true;
    }
  }
  return sections;
}

bool HasToken(const FormatSection& section, FormatTokenKind kind) {
  for (const FormatToken& token : section.tokens) {
    if (token.kind == kind) return true;
  }
  return false;
}

int TokenCount(const FormatSection& section, FormatTokenKind kind) {
  int count = 0;
  for (const FormatToken& token : section.tokens) {
    if (token.kind == kind) count = std::max(count, token.count);
  }
  return count;
}

bool ShowsCurrency(const FormatSection& section) {
  for (const FormatToken& token : section.tokens) {
    if (token.kind == FormatTokenKind::Literal &&
        token.text.find_first_of(L"$\u20AC\u00A3\u00A5") != std::wstring::npos) {
      return true;
    }
  }
  return false;
}

std::wstring DateFormatLetter(const FormatSection& section) {
  const bool year = HasToken(section, FormatTokenKind::Year);
  const int month = TokenCount(section, FormatTokenKind::Month);
  const bool day = HasToken(section, FormatTokenKind::Day);
  if (!year && month == 0 && !day) {
    const bool seconds = HasToken(section, FormatTokenKind::Second) ||
                         HasToken(section, FormatTokenKind::ElapsedSeconds);
    if (section.twelveHour) return seconds ? L"D6" : L"D7";
    return seconds ? L"D8" : L"D9";
  }
  if (month >= 3) {
    if (day && year) return L"D1";
    if (day) return L"D2";
    return L"D3";
  }
  if (!year && day) return L"D5";
  return L"D4";
}

// CELL("format"): Excel's letter for the kind of format and the decimals it shows ("F2", ",0",
// "C2", "P0", "S2", "D1"..."D9", "G"), "-" after it for colour on negative numbers and "()" for
// parentheses on positive ones.
std::wstring FormatLetters(std::wstring_view code) {
  const std::optional<FormatCode> parsed = ParseFormatCode(code);
  if (!parsed || parsed->isGeneral || parsed->numberSections.empty()) return L"G";
  const FormatSection& first = parsed->numberSections.front();
  std::wstring letters;
  const std::wstring decimals = std::to_wstring(first.fractionDigits);
  switch (first.kind) {
    case SectionKind::Date:
      letters = DateFormatLetter(first);
      break;
    case SectionKind::Scientific:
      letters = L"S" + decimals;
      break;
    case SectionKind::Number:
      if (HasToken(first, FormatTokenKind::Percent)) {
        letters = L"P" + decimals;
      } else if (ShowsCurrency(first)) {
        letters = L"C" + decimals;
      } else if (first.grouping) {
        letters = L"," + decimals;
      } else {
        letters = L"F" + decimals;
      }
      break;
    case SectionKind::Fraction:
    case SectionKind::Text:
    case SectionKind::General:
      return L"G";
  }
  const std::vector<FormatCodeSection> raw = ScanSections(code);
  if (raw.size() > 1 && raw[1].colour) letters += L"-";
  if (raw.front().parentheses) letters += L"()";
  return letters;
}

EvalValue CellInfo(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  std::wstring type;
  if (auto error = GetText(args[0], type)) return *error;
  // Without a reference Excel answers for the cell last changed; the formula's own cell is the
  // nearest stand-in there is here.
  Area area{&context.Workbook(), context.Sheet(), CellRect::Of(context.Cell())};
  CellCoord cell = context.Cell();
  if (args.size() > 1) {
    if (auto error = GetCell(args[1], area, cell)) return *error;
  }
  const auto is = [&type](std::wstring_view name) {
    return CompareTextIgnoringCase(type, name) == 0;
  };
  if (is(L"address")) return EvalValue::Text(CellAddress(area, cell, context));
  if (is(L"col")) return EvalValue::Number(cell.column);
  if (is(L"row")) return EvalValue::Number(cell.row);
  if (is(L"contents")) return context.CellValueAt(area, cell);
  if (is(L"type")) {
    const EvalValue value = context.CellValueAt(area, cell);
    if (value.IsEmpty()) return EvalValue::Text(L"b");
    return EvalValue::Text(value.IsText() ? L"l" : L"v");
  }
  if (is(L"prefix")) {
    // Cells carry no alignment here, so text shows as General aligns it: to the left.
    return EvalValue::Text(context.CellValueAt(area, cell).IsText() ? L"'" : L"");
  }
  if (is(L"format")) return EvalValue::Text(FormatLetters(context.NumberFormatAt(area, cell)));
  if (is(L"color")) {
    const std::vector<FormatCodeSection> raw = ScanSections(context.NumberFormatAt(area, cell));
    return EvalValue::Number(raw.size() > 1 && raw[1].colour ? 1 : 0);
  }
  if (is(L"parentheses")) {
    const std::vector<FormatCodeSection> raw = ScanSections(context.NumberFormatAt(area, cell));
    return EvalValue::Number(raw.front().parentheses ? 1 : 0);
  }
  if (is(L"filename")) {
    const CWorkbook& workbook = WorkbookOf(area, context);
    const CWorksheet* sheet = SheetOf(area, context);
    const std::wstring folder = FolderOf(workbook);
    if (folder.empty() || sheet == nullptr) return EvalValue::Text(L"");
    return EvalValue::Text(folder + L"[" + workbook.Name() + L"]" + sheet->Name());
  }
  if (is(L"width")) {
    const CWorksheet* sheet = SheetOf(area, context);
    const double width =
        sheet != nullptr ? sheet->ColumnWidth(cell.column) : CWorksheet::kDefaultColumnWidth;
    return EvalValue::Number(std::trunc(width));
  }
  if (is(L"protect")) {
    const CWorksheet* sheet = SheetOf(area, context);
    if (sheet == nullptr) return EvalValue::Number(1);
    const CFormatTable& formats = WorkbookOf(area, context).Formats();
    return EvalValue::Number(formats.FormatAt(sheet->FormatOf(cell)).locked ? 1 : 0);
  }
  return EvalValue::Error(ErrorCode::Value);
}

EvalValue Info(std::span<const EvalValue> args, CFunctionContext& context) {
  std::wstring type;
  if (auto error = GetText(args[0], type)) return *error;
  const auto is = [&type](std::wstring_view name) {
    return CompareTextIgnoringCase(type, name) == 0;
  };
  // The answers of the Excel this spreadsheet stands in for, on the Windows it runs on.
  if (is(L"directory")) return EvalValue::Text(FolderOf(context.Workbook()));
  if (is(L"numfile")) return EvalValue::Number(context.Workbook().SheetCount());
  if (is(L"origin")) return EvalValue::Text(L"$A:$A$1");
  if (is(L"osversion")) return EvalValue::Text(L"Windows (64-bit) NT 10.00");
  if (is(L"recalc")) return EvalValue::Text(L"Automatic");
  if (is(L"release")) return EvalValue::Text(L"16.0");
  if (is(L"system")) return EvalValue::Text(L"pcdos");
  return EvalValue::Error(ErrorCode::Value);
}

EvalValue SheetNumber(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args.empty()) return EvalValue::Number(context.Sheet());
  const EvalValue& value = args[0];
  if (value.IsReference()) return EvalValue::Number(value.AsAreas().front().sheet);
  if (value.IsArray()) return EvalValue::Error(ErrorCode::NA);
  std::wstring name;
  if (auto error = GetText(value, name)) return *error;
  const std::optional<std::int32_t> index = context.Workbook().FindSheet(name);
  if (!index) return EvalValue::Error(ErrorCode::NA);
  return EvalValue::Number(*index);
}

EvalValue SheetsIn(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args.empty()) return EvalValue::Number(context.Workbook().SheetCount());
  const EvalValue& value = args[0];
  if (value.IsError()) return value;
  if (!value.IsReference()) return EvalValue::Error(ErrorCode::Value);
  // A 3-D reference arrives as one area per sheet.
  std::vector<std::pair<const CWorkbook*, std::int32_t>> seen;
  for (const Area& area : value.AsAreas()) {
    const std::pair<const CWorkbook*, std::int32_t> key{area.workbook, area.sheet};
    if (std::find(seen.begin(), seen.end(), key) == seen.end()) seen.push_back(key);
  }
  return EvalValue::Number(static_cast<double>(seen.size()));
}

}  // namespace

void RegisterInformationFunctions(CFunctionTable& table) {
  AddFunction(table, {L"ISBLANK", 1, 1, "v", IsBlank});
  AddFunction(table, {L"ISERR", 1, 1, "v", IsErr});
  AddFunction(table, {L"ISERROR", 1, 1, "v", IsError});
  AddFunction(table, {L"ISNA", 1, 1, "v", IsNa});
  AddFunction(table, {L"ISNUMBER", 1, 1, "v", IsNumber});
  AddFunction(table, {L"ISTEXT", 1, 1, "v", IsText});
  AddFunction(table, {L"ISNONTEXT", 1, 1, "v", IsNonText});
  AddFunction(table, {L"ISLOGICAL", 1, 1, "v", IsLogical});
  AddFunction(table, {L"ISEVEN", 1, 1, "v", IsEven});
  AddFunction(table, {L"ISODD", 1, 1, "v", IsOdd});
  AddFunction(table, {L"ISREF", 1, 1, "r", IsRef});
  AddFunction(table, {L"ISFORMULA", 1, 1, "r", IsFormula});
  AddFunction(table, {L"FORMULATEXT", 1, 1, "r", FormulaText});
  AddFunction(table, {L"ERROR.TYPE", 1, 1, "v", ErrorType});
  AddFunction(table, {L"N", 1, 1, "v", N});
  AddFunction(table, {L"NA", 0, 0, "v", Na});
  AddFunction(table, {L"TYPE", 1, 1, "r", Type});
  AddFunction(table, {L"CELL", 1, 2, "vr", CellInfo, kVolatile});
  AddFunction(table, {L"INFO", 1, 1, "v", Info});
  AddFunction(table, {L"SHEET", 0, 1, "r", SheetNumber});
  AddFunction(table, {L"SHEETS", 0, 1, "r", SheetsIn});
}

}  // namespace spreadsheet
