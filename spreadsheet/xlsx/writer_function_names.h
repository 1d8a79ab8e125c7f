// The functions newer than the .xlsx format's first edition: a file stores their names with a
// prefix ("_xlfn.IFNA") so that older readers see an unknown function instead of a wrong one.
#pragma once

#include <string_view>

namespace spreadsheet {

// The prefix a file stores before the function `name` (any case): "_xlfn.", "_xlfn._xlws." for
// the two worksheet-only ones, or nothing for functions stored as they are written.
std::wstring_view FunctionPrefix(std::wstring_view name);

}  // namespace spreadsheet
