// Formula text of a file as Excel's Range.Formula shows it. A file writes functions newer than
// Excel 2007 with prefixes (_xlfn.IFS, _xlfn._xlws.SORT, LAMBDA parameters as _xlpm.x) and
// external workbooks by their index ([1]Sheet1!A1); Excel shows neither: the prefixes go and
// the index becomes the linked workbook's file name ([Other.xlsx]Sheet1!A1), quoted as a sheet
// name is when the file name needs it ('[My Book.xlsx]Sheet1'!A1).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

// `externalBooks[n - 1]` is the file name of external workbook [n]; an index without a name
// (out of range, or a DDE or OLE link) stays as written. Text in strings is never changed.
std::wstring DisplayFormula(std::wstring_view text, const std::vector<std::wstring>& externalBooks);

// Whether DisplayFormula could change the UTF-8 text of a formula: it holds a prefix or "[".
bool FormulaMayNeedDisplayFix(std::string_view utf8);

}  // namespace spreadsheet
