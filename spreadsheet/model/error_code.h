// Excel's error values, numbered as Excel numbers them (xlErrDiv0 is 2007).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace spreadsheet {

enum class ErrorCode : std::int16_t {
  Null = 2000,
  Div0 = 2007,
  Value = 2015,
  Ref = 2023,
  Name = 2029,
  Num = 2036,
  NA = 2042,
  GettingData = 2043,
  Spill = 2045,
  Calc = 2050,
};

// "#DIV/0!" and the like.
std::wstring_view ErrorText(ErrorCode code);
// The code of an error literal, matched without regard to case; nothing for other text.
std::optional<ErrorCode> ParseErrorText(std::wstring_view text);

// The SCODE an error value travels as in a VT_ERROR: 0x800A0000 plus the code.
inline std::int32_t ErrorScode(ErrorCode code) {
  return static_cast<std::int32_t>(0x800A0000u | static_cast<std::uint32_t>(code));
}
std::optional<ErrorCode> ErrorFromScode(std::int32_t scode);

}  // namespace spreadsheet
