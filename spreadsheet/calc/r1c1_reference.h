// R1C1 reference text, as INDIRECT takes it with its second argument FALSE, turned into A1 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// "R2C3", "R[-1]C", "RC[2]", "R1:R3", "C2", "Sheet1!R1C1:R2C2", "'My Sheet'!R[1]C[1]": relative
// parts count from `base`. Nothing when the text is not such a reference or leaves the sheet.
std::optional<std::wstring> R1C1ToA1(std::wstring_view text, CellCoord base);

}  // namespace spreadsheet
