// Section choice, signs and column fitting of number formats.
#include "spreadsheet/calc/number_format.h"

#include <algorithm>
#include <cmath>

#include "spreadsheet/calc/date_section_renderer.h"
#include "spreadsheet/calc/general_format.h"
#include "spreadsheet/calc/number_format_cache.h"
#include "spreadsheet/calc/number_section_renderer.h"
#include "spreadsheet/model/error_code.h"

namespace spreadsheet {
namespace {

constexpr int kNoSection = -1;
constexpr int kGeneralSection = -2;
// Room for the text of nearly every cell, so that building it takes one allocation.
constexpr std::size_t kTypicalTextLength = 24;

// Without a condition of its own the first section takes everything when alone, numbers >= 0
// beside a second, and numbers > 0 beside a zero section; the second takes negative numbers.
bool SectionTakes(const std::vector<FormatSection>& sections, std::size_t index, double value) {
  if (sections[index].condition) return sections[index].condition->Matches(value);
  if (index == 1) return value < 0.0;
  if (sections.size() == 1) return true;
  return sections.size() == 2 ? value >= 0.0 : value > 0.0;
}

// The number and a sign before the section take at most kGeneralMaxChars, and less where the
// literals need the room.
bool AppendGeneralSection(const FormatSection& section, double magnitude, bool minus, int maxChars,
                          std::wstring& out) {
  int used = minus ? 1 : 0;
  for (const auto& token : section.tokens) {
    if (token.kind == FormatTokenKind::Literal) used += static_cast<int>(token.text.size());
  }
  const int room =
      std::min(kGeneralMaxChars - (minus ? 1 : 0), maxChars - std::min(maxChars, used));
  if (minus) out += L'-';
  for (const auto& token : section.tokens) {
    if (token.kind == FormatTokenKind::Literal) {
      out += token.text;
    } else if (token.kind == FormatTokenKind::General && !AppendGeneral(magnitude, room, out)) {
      return false;
    }
  }
  return true;
}

// One cache for the process. Never destroyed: a thread still formatting while the process
// exits must not find it gone.
CNumberFormatCache& SharedCache() {
  static auto* const cache = new CNumberFormatCache;
  return *cache;
}

// A column's width counts digits of the default font. Text is measured the same way: a digit,
// letter or sign is one, and the narrow punctuation of dates, times and numbers half of one, so
// "3/15/2023" fits a standard column as it does in Excel while "123456789" does not.
double TextWidth(std::wstring_view text) {
  int halves = 0;
  for (const wchar_t c : text) {
    switch (c) {
      case L' ':
      case L'.':
      case L',':
      case L':':
      case L';':
      case L'\'':
      case L'!':
      case L'|':
      case L'(':
      case L')':
      case L'[':
      case L']':
      case L'-':
      case L'/':
        halves += 1;
        break;
      default:
        halves += 2;
        break;
    }
  }
  return halves / 2.0;
}

// A hair of tolerance, so that a width stored as 8.9999999 still holds 9 digits.
constexpr double kWidthTolerance = 1e-9;

}  // namespace

CNumberFormat::CNumberFormat(std::wstring_view code) {
  auto parsed = ParseFormatCode(code);
  valid_ = parsed.has_value();
  if (parsed) {
    code_ = std::move(*parsed);
  } else {
    code_.isGeneral = true;
  }
}

int CNumberFormat::ChooseSection(double value) const {
  const auto& sections = code_.numberSections;
  if (code_.isGeneral || sections.empty()) return kGeneralSection;
  if (SectionTakes(sections, 0, value)) return 0;
  if (sections.size() >= 2 && SectionTakes(sections, 1, value)) return 1;
  if (sections.size() >= 3) return 2;
  // "[>=100]0.0;0": a second section without a condition takes what the first leaves.
  if (sections.size() == 2 && !sections[1].condition) return 1;
  return kNoSection;
}

std::optional<NumberText> CNumberFormat::Format(double value, bool date1904,
                                                int generalMaxChars) const {
  if (!std::isfinite(value)) return std::nullopt;
  if (value == 0.0) value = 0.0;  // -0 shows as 0.
  NumberText result;
  result.text.reserve(kTypicalTextLength);
  const int index = ChooseSection(value);
  if (index == kNoSection) return std::nullopt;
  if (index == kGeneralSection) {
    result.general = true;
    if (!AppendGeneral(value, std::min(kGeneralMaxChars, generalMaxChars), result.text)) {
      return std::nullopt;
    }
    return result;
  }

  const FormatSection& section = code_.numberSections[static_cast<std::size_t>(index)];
  // The second section shows negative numbers without a sign, writing its own if it wants one;
  // the others show Excel's "-" in front, even where the digits round to zero ("-0").
  const bool minus = value < 0.0 && index != 1 && !section.tokens.empty();
  const double magnitude = std::fabs(value);
  switch (section.kind) {
    case SectionKind::General:
      result.general = true;
      if (!AppendGeneralSection(section, magnitude, minus, generalMaxChars, result.text)) {
        return std::nullopt;
      }
      return result;
    case SectionKind::Date:
      // Only the 1904 system shows negative dates and times, as "-" and their magnitude; a
      // lone elapsed count ("[h]") shows negative in both.
      if (minus && !date1904 && !section.signedElapsed) return std::nullopt;
      if (minus) result.text += L'-';
      if (!RenderDateSection(section, magnitude, date1904, result.text)) return std::nullopt;
      return result;
    default:
      if (minus) result.text += L'-';
      RenderNumberSection(section, magnitude, result.text);
      return result;
  }
}

std::wstring CNumberFormat::FormatText(std::wstring_view text) const {
  if (!code_.textSection) return std::wstring(text);
  std::wstring out;
  for (const auto& token : code_.textSection->tokens) {
    if (token.kind == FormatTokenKind::TextValue) {
      out += text;
    } else {
      out += token.text;
    }
  }
  return out;
}

std::wstring FormatCellText(const CellValue& value, std::wstring_view formatCode, bool date1904,
                            double columnWidth) {
  switch (value.Kind()) {
    case ValueKind::Empty:
      return std::wstring();
    case ValueKind::Boolean:
      return value.AsBoolean() ? L"TRUE" : L"FALSE";
    case ValueKind::Error:
      return std::wstring(ErrorText(value.AsError()));
    case ValueKind::Text:
    case ValueKind::Number:
      break;
  }
  const auto format = SharedCache().Find(formatCode);
  if (value.Kind() == ValueKind::Text) return format->FormatText(value.AsText());

  const double number = value.AsNumber();
  // A cell cannot hold these; a damaged file or a bug could, and they must not pass as numbers.
  if (!std::isfinite(number)) return std::wstring(ErrorText(ErrorCode::Num));
  const double width = std::isnan(columnWidth) ? kStandardColumnWidth
                                               : std::clamp(columnWidth, 0.0, kMaxColumnWidth);
  const int digits = static_cast<int>(std::floor(width + kWidthTolerance));
  // General keeps its 11 characters from a standard column on and shrinks in narrower ones.
  const int generalMaxChars =
      width + kWidthTolerance >= kStandardColumnWidth ? kUnlimitedChars : digits;
  auto text = format->Format(number, date1904, generalMaxChars);
  if (!text || (!text->general && TextWidth(text->text) > width + kWidthTolerance)) {
    return std::wstring(static_cast<std::size_t>(digits), L'#');
  }
  return std::move(text->text);
}

std::optional<std::wstring> FormatNumber(double value, std::wstring_view code, bool date1904) {
  const auto format = SharedCache().Find(code);
  if (!format->IsValid()) return std::nullopt;
  auto text = format->Format(value, date1904, kUnlimitedChars);
  if (!text) return std::nullopt;
  return std::move(text->text);
}

}  // namespace spreadsheet
