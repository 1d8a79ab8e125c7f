// Error values and their text.
#include "spreadsheet/model/error_code.h"

#include <array>
#include <cwctype>
#include <utility>

namespace spreadsheet {
namespace {

constexpr std::array<std::pair<ErrorCode, std::wstring_view>, 10> kErrors = {{
    {ErrorCode::Null, L"#NULL!"},
    {ErrorCode::Div0, L"#DIV/0!"},
    {ErrorCode::Value, L"#VALUE!"},
    {ErrorCode::Ref, L"#REF!"},
    {ErrorCode::Name, L"#NAME?"},
    {ErrorCode::Num, L"#NUM!"},
    {ErrorCode::NA, L"#N/A"},
    {ErrorCode::GettingData, L"#GETTING_DATA"},
    {ErrorCode::Spill, L"#SPILL!"},
    {ErrorCode::Calc, L"#CALC!"},
}};

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::wstring_view ErrorText(ErrorCode code) {
  for (const auto& [known, text] : kErrors) {
    if (known == code) return text;
  }
  return L"#VALUE!";
}

std::optional<ErrorCode> ParseErrorText(std::wstring_view text) {
  for (const auto& [code, known] : kErrors) {
    if (EqualsIgnoringCase(text, known)) return code;
  }
  return std::nullopt;
}

std::optional<ErrorCode> ErrorFromScode(std::int32_t scode) {
  const auto bits = static_cast<std::uint32_t>(scode);
  if ((bits & 0xFFFF0000u) != 0x800A0000u) return std::nullopt;
  const auto number = static_cast<std::int16_t>(bits & 0xFFFFu);
  for (const auto& [code, text] : kErrors) {
    if (static_cast<std::int16_t>(code) == number) return code;
  }
  return std::nullopt;
}

}  // namespace spreadsheet
