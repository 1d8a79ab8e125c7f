// The two ways an automation value becomes text: as a property read (Range.Text, Name.RefersTo
// and the like) and as the result of an evaluation. Neither tells Excel's error values apart;
// callers that want the displayed error read Range.Text, which Excel formats itself.
#pragma once

#include <string>
#include <string_view>

#include "platform/variant.h"

// The text every error value reads as.
inline constexpr std::wstring_view kErrorText = L"#ERROR!";

// A property read: an error value gives "#ERROR!", null and arrays empty text, a string itself,
// anything else the platform's conversion in English. False when that conversion fails;
// `text` is then left as it was.
bool PropertyText(const CVariant& value, std::wstring* text);

// An evaluation result: an error value gives "#ERROR!", a Boolean "TRUE" or "FALSE", a string
// itself, an array of values as Excel's Evaluate Formula shows one ("{1,\"a\";TRUE,#ERROR!}",
// elements converted as single values are, cut short with "...}" past 32767 characters),
// anything else the platform's conversion in the user's locale; a value that does not convert
// (null, objects without a default value, arrays of anything but values) gives "#ERROR!".
std::wstring EvaluationText(const CVariant& value);
