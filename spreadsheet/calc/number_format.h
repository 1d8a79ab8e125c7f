// CNumberFormat: a number format code, and the text Excel shows for a value through it (what
// Range.Text returns), en-US.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "spreadsheet/calc/format_code.h"
#include "spreadsheet/model/cell_value.h"

namespace spreadsheet {

// A standard column is 8.43 characters of the default font wide; General numbers there show in
// at most kGeneralMaxChars characters.
inline constexpr double kStandardColumnWidth = 8.43;
// Excel's widest column.
inline constexpr double kMaxColumnWidth = 255.0;
// No limit on the characters of a General section beyond the number's own kGeneralMaxChars.
inline constexpr int kUnlimitedChars = 1 << 30;

// The text of a number through a format: General text may be shortened to fit a column, other
// text is shown whole or not at all.
struct NumberText {
  std::wstring text;
  bool general = false;
};

// Invariant: immutable once built, so one instance serves any number of cells. A code that
// cannot be read formats as General and reports !IsValid().
class CNumberFormat {
 public:
  explicit CNumberFormat(std::wstring_view code);

  bool IsValid() const { return valid_; }
  // Nothing when the number has no text: not finite, a date before the first day or past
  // 31 December 9999, or no section for it among conditional ones. A General section takes at
  // most generalMaxChars characters with its literals and its number at most kGeneralMaxChars;
  // nothing when even the number's scientific form is longer.
  std::optional<NumberText> Format(double value, bool date1904, int generalMaxChars) const;
  // Text through the text section, or as it is when there is none.
  std::wstring FormatText(std::wstring_view text) const;

 private:
  // The index of the number's section; negative for none, or for General when the code has
  // no number section ("@").
  int ChooseSection(double value) const;

  FormatCode code_;
  bool valid_ = false;
};

// What a cell shows for a value (Range.Text) in a column columnWidth digits of the default font
// wide (NaN: a standard column). Numbers too wide for the column show as '#' repeated to its
// width, except General, which shrinks to fit; booleans, errors and text show whole. Text is
// measured one digit per character, half for narrow punctuation (". , : / - ( )" and space).
// An unreadable code shows numbers as General. Parsed codes are kept in a cache; safe to call
// from several threads.
std::wstring FormatCellText(const CellValue& value, std::wstring_view formatCode, bool date1904,
                            double columnWidth);

// A number through a format code without a column, as the TEXT function shows it (General
// numbers in kGeneralMaxChars). Nothing for an unreadable code or a number the code cannot show,
// which TEXT reports as #VALUE!.
std::optional<std::wstring> FormatNumber(double value, std::wstring_view code, bool date1904);

}  // namespace spreadsheet
