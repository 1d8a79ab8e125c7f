// Date cells (t="d", ISO 8601 text, as Strict files and some writers store them) as the serial
// numbers the rest of the spreadsheet holds dates as.
#pragma once

#include <optional>
#include <string_view>

namespace spreadsheet {

// "2024-02-29", "2024-02-29T13:45:00", "13:45:00.5" (a time alone) to a serial number of the
// 1900 date system (with its phantom 29 February 1900) or of the 1904 one; nothing for other
// text or dates before the system's start.
std::optional<double> ParseIsoDateTime(std::string_view text, bool date1904);

}  // namespace spreadsheet
