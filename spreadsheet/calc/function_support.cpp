// Argument conversions, reference reading and the order of values shared by the functions.
#include "spreadsheet/calc/function_support.h"

#include <cmath>
#include <cstdio>
#include <cwctype>

#include "platform/char_class.h"
#include "platform/text_case.h"
#include "spreadsheet/calc/cell_entry.h"

namespace spreadsheet {

std::optional<EvalValue> GetNumber(const EvalValue& value, double& out) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Number:
    case EvalValue::Kind::Boolean:
      out = value.AsNumber();
      return std::nullopt;
    case EvalValue::Kind::Empty:
      out = 0.0;
      return std::nullopt;
    case EvalValue::Kind::Error:
      return value;
    case EvalValue::Kind::Text: {
      const std::wstring& text = value.AsText();
      if (text.empty() || text.front() == L'=') break;
      // The year only matters for dates typed without one; today's is Excel's choice too.
      static const std::int32_t year = CurrentYear();
      const CellEntry entry = ParseCellEntry(text, false, year);
      if (entry.kind == CellEntry::Kind::Constant && entry.value.Kind() == ValueKind::Number) {
        out = entry.value.AsNumber();
        return std::nullopt;
      }
      break;
    }
    case EvalValue::Kind::Reference:
    case EvalValue::Kind::Array:
      break;
  }
  return EvalValue::Error(ErrorCode::Value);
}

std::optional<EvalValue> GetInteger(const EvalValue& value, std::int64_t& out) {
  double number = 0.0;
  if (auto error = GetNumber(value, number)) return error;
  number = std::trunc(number);
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) {
    return EvalValue::Error(ErrorCode::Num);
  }
  out = static_cast<std::int64_t>(number);
  return std::nullopt;
}

std::optional<EvalValue> GetText(const EvalValue& value, std::wstring& out) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Text:
      out = value.AsText();
      return std::nullopt;
    case EvalValue::Kind::Number:
      out = NumberToText(value.AsNumber());
      return std::nullopt;
    case EvalValue::Kind::Boolean:
      out = value.AsBoolean() ? L"TRUE" : L"FALSE";
      return std::nullopt;
    case EvalValue::Kind::Empty:
      out.clear();
      return std::nullopt;
    case EvalValue::Kind::Error:
      return value;
    case EvalValue::Kind::Reference:
    case EvalValue::Kind::Array:
      break;
  }
  return EvalValue::Error(ErrorCode::Value);
}

std::optional<EvalValue> GetBoolean(const EvalValue& value, bool& out) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Number:
    case EvalValue::Kind::Boolean:
      out = value.AsNumber() != 0.0;
      return std::nullopt;
    case EvalValue::Kind::Empty:
      out = false;
      return std::nullopt;
    case EvalValue::Kind::Error:
      return value;
    case EvalValue::Kind::Text:
      if (CompareTextIgnoringCase(value.AsText(), L"TRUE") == 0) {
        out = true;
        return std::nullopt;
      }
      if (CompareTextIgnoringCase(value.AsText(), L"FALSE") == 0) {
        out = false;
        return std::nullopt;
      }
      break;
    case EvalValue::Kind::Reference:
    case EvalValue::Kind::Array:
      break;
  }
  return EvalValue::Error(ErrorCode::Value);
}

std::wstring NumberToText(double value) {
  if (value == 0.0) return L"0";
  char buffer[40];
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e15 || magnitude < 1e-9) {
    std::snprintf(buffer, sizeof buffer, "%.14E", value);
    // "1.50000000000000E-10" -> "1.5E-10".
    std::string text = buffer;
    const std::size_t e = text.find('E');
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    const char sign = exponent.front();
    std::string digits = exponent.substr(1);
    while (digits.size() > 2 && digits.front() == '0') digits.erase(0, 1);
    text = mantissa + "E" + sign + digits;
    return std::wstring(text.begin(), text.end());
  }
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  if (text.find('E') != std::string::npos) {
    // %G chose scientific for a number we show in decimals; write it out fully.
    std::snprintf(buffer, sizeof buffer, "%.15f", value);
    text = buffer;
    // Keep 15 significant digits.
    std::size_t significant = 0;
    std::size_t i = 0;
    bool started = false;
    for (; i < text.size(); ++i) {
      if (IsAsciiDigit(text[i])) {
        if (text[i] != '0') started = true;
        if (started && ++significant > 15) break;
      }
    }
    text.resize(i);
    if (text.find('.') != std::string::npos) {
      while (!text.empty() && text.back() == '0') text.pop_back();
      if (!text.empty() && text.back() == '.') text.pop_back();
    }
  }
  return std::wstring(text.begin(), text.end());
}

EvalValue NumberResult(double value) {
  if (!std::isfinite(value)) return EvalValue::Error(ErrorCode::Num);
  return EvalValue::Number(value == 0.0 ? 0.0 : value);
}

const EvalValue* FirstError(std::span<const EvalValue> args) {
  for (const EvalValue& arg : args) {
    if (arg.IsError()) return &arg;
  }
  return nullptr;
}

EvalValue Dereference(const EvalValue& value, CFunctionContext& context) {
  if (!value.IsReference()) return value;
  const std::vector<Area>& areas = value.AsAreas();
  if (areas.size() != 1) return EvalValue::Error(ErrorCode::Value);
  const Area& area = areas.front();
  if (area.rect.IsSingleCell()) return context.CellValueAt(area, area.rect.first);
  if (context.ArrayMode()) {
    ValueArray array;
    if (auto error = GetArray(value, context, array)) return *error;
    return EvalValue::Array(std::move(array));
  }
  // Implicit intersection with the formula's own row or column, on its own sheet.
  const CellCoord at = context.Cell();
  if (area.sheet != context.Sheet() || area.workbook != &context.Workbook()) {
    return EvalValue::Error(ErrorCode::Value);
  }
  if (area.rect.Columns() == 1 && at.row >= area.rect.first.row && at.row <= area.rect.last.row) {
    return context.CellValueAt(area, {at.row, area.rect.first.column});
  }
  if (area.rect.Rows() == 1 && at.column >= area.rect.first.column &&
      at.column <= area.rect.last.column) {
    return context.CellValueAt(area, {area.rect.first.row, at.column});
  }
  return EvalValue::Error(ErrorCode::Value);
}

std::optional<EvalValue> GetArray(const EvalValue& value, CFunctionContext& context,
                                  ValueArray& out) {
  if (value.IsArray()) {
    out = value.AsArray();
    return std::nullopt;
  }
  if (!value.IsReference()) {
    out.rows = 1;
    out.columns = 1;
    out.cells.assign(1, value);
    return std::nullopt;
  }
  const std::vector<Area>& areas = value.AsAreas();
  if (areas.size() != 1) return EvalValue::Error(ErrorCode::Value);
  const Area& area = areas.front();
  // Whole rows and columns are millions of cells: refuse arrays past the bound all arrays keep.
  if (area.rect.CellCount() > kMaxArrayCells) return EvalValue::Error(ErrorCode::Num);
  // The evaluator keeps one budget for every array of an evaluation, functions' included.
  if (!context.ReserveArrayCells(area.rect.CellCount())) return EvalValue::Error(ErrorCode::Num);
  out.rows = area.rect.Rows();
  out.columns = area.rect.Columns();
  // Blank to begin with; only the sheet's used part is read, so a reference far past it costs
  // no lookup per cell.
  out.cells.clear();
  out.cells.resize(static_cast<std::size_t>(area.rect.CellCount()));
  const std::optional<CellRect> used = context.UsedPart(area);
  if (!used) return std::nullopt;
  for (std::int32_t row = used->first.row; row <= used->last.row; ++row) {
    for (std::int32_t column = used->first.column; column <= used->last.column; ++column) {
      const std::size_t index = static_cast<std::size_t>(row - area.rect.first.row) *
                                    static_cast<std::size_t>(out.columns) +
                                static_cast<std::size_t>(column - area.rect.first.column);
      out.cells[index] = context.CellValueAt(area, {row, column});
    }
  }
  return std::nullopt;
}

std::optional<EvalValue> CollectNumbers(std::span<const EvalValue> args, CFunctionContext& context,
                                        std::vector<double>& out, bool alsoLogicalAndText) {
  std::optional<EvalValue> error;
  for (const EvalValue& arg : args) {
    ForEachValue(arg, context, [&](const EvalValue& value, ValueSource source) {
      if (value.IsError()) {
        error = value;
        return false;
      }
      if (source == ValueSource::Direct) {
        double number = 0.0;
        if (auto bad = GetNumber(value, number)) {
          error = *bad;
          return false;
        }
        out.push_back(number);
        return true;
      }
      if (value.IsNumber()) {
        out.push_back(value.AsNumber());
      } else if (alsoLogicalAndText) {
        if (value.IsBoolean()) out.push_back(value.AsNumber());
        if (value.IsText()) out.push_back(0.0);
      }
      return true;
    });
    if (error) return error;
  }
  return std::nullopt;
}

int CompareTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    const wchar_t x = LowerCaseOf(a[i]);
    const wchar_t y = LowerCaseOf(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::wstring ToUpper(std::wstring_view text) {
  return UpperCase(text);
}

namespace {

int TypeRank(const EvalValue& value) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Empty:
    case EvalValue::Kind::Number:
      return 0;
    case EvalValue::Kind::Text:
      return 1;
    case EvalValue::Kind::Boolean:
      return 2;
    default:
      return 3;
  }
}

}  // namespace

int CompareValues(const EvalValue& a, const EvalValue& b) {
  // A blank against text compares as empty text, against a Boolean as FALSE.
  if (a.IsEmpty() && b.IsText()) return b.AsText().empty() ? 0 : -1;
  if (b.IsEmpty() && a.IsText()) return a.AsText().empty() ? 0 : 1;
  if (a.IsEmpty() && b.IsBoolean()) return b.AsBoolean() ? -1 : 0;
  if (b.IsEmpty() && a.IsBoolean()) return a.AsBoolean() ? 1 : 0;
  const int ra = TypeRank(a);
  const int rb = TypeRank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  if (ra == 1) return CompareTextIgnoringCase(a.AsText(), b.AsText());
  const double x = a.AsNumber();
  const double y = b.AsNumber();
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace spreadsheet
