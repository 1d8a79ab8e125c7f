// Running a recent item again: its workbook found or opened, its sheet activated and its range
// selected, as the user would, before its command runs on the selection.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "addin/recent_items.h"
#include "excel/excel_object.h"
#include "platform/message_sink.h"

// A recent item's address cut at the "!" after its sheet: the sheet's name as it is (a quoted
// one unquoted, doubled apostrophes single again) and the cells after the "!".
struct RecentItemPlace {
  std::wstring sheet;
  std::wstring cells;
};

// Nothing when the address holds no "!".
std::optional<RecentItemPlace> SplitRecentItemAddress(std::wstring_view address);

// Finds the item's workbook among the open ones (by FullName or Name, ignoring case) or opens it,
// activates it and the item's sheet, and selects the item's range. A missing file, sheet or an
// address that is not valid is said through `messages`; other failures stop silently. True when
// the range is selected and the item's command can run.
bool SelectRecentItemRange(const ExcelObject& application, const CMruItem& item,
                           IMessageSink& messages);
