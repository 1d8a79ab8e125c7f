// Text and scalar values as spreadsheet XML writes them: UTF-8 to wide text, the _xHHHH_
// escapes of ST_Xstring, numbers, Booleans and unsigned indexes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spreadsheet {

// Appends UTF-8 (as expat passes it, already checked) as wide text; a bad sequence becomes
// U+FFFD.
void AppendUtf8(std::wstring& out, std::string_view utf8);
std::wstring WideFromUtf8(std::string_view utf8);

// Decodes "_x000D_" and the like in place, as Excel does for cell text, shared strings and
// table column names: "_x005F_" stands for "_", so "_x005F_x000D_" reads as "_x000D_".
void DecodeXstringEscapes(std::wstring& text);

// A number as XML Schema writes a double ("1", "-2.5E-3"), spaces around it allowed; nothing for
// other text and for infinities and NaN, which no cell holds.
std::optional<double> ParseXmlNumber(std::string_view text);
// A decimal unsigned integer; nothing on overflow or stray characters.
std::optional<std::uint32_t> ParseXmlUnsigned(std::string_view text);
std::optional<std::int64_t> ParseXmlInteger(std::string_view text);
// xsd:boolean: "1" and "true", "0" and "false".
std::optional<bool> ParseXmlBoolean(std::string_view text);

}  // namespace spreadsheet
