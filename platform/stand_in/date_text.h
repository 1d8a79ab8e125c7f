// Automation dates (days since 30 December 1899, the time of day as the fraction) and their
// text in English (United States) conventions: "12/9/2026 3:04:05 PM".
#pragma once

#include <string>
#include <string_view>

#include "platform/stand_in/oleauto.h"

namespace stand_in {

// The range automation dates may take: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.0;

// Out-of-range days are refused before conversion, so formatting always succeeds.
bool IsDateInRange(double value);

// Date alone when the time is midnight, time alone on 30 December 1899, otherwise both.
std::wstring FormatDateText(DATE value);

// S_OK or DISP_E_TYPEMISMATCH. Accepts month/day/year and year-month-day orders, month names,
// two-digit years (00-29 are 2000-2029), and times with or without seconds and AM/PM.
HRESULT ParseDateText(std::wstring_view text, DATE* value);

}  // namespace stand_in
