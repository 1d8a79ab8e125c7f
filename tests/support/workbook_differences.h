// WorkbookDifferences: what differs between two workbook models, for tests that save a
// workbook and read it back (or read a file twice) and expect the same contents.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace spreadsheet {
class CWorkbook;
}

namespace test_support {

// Compared: sheets (name, order, visibility, protection, grid lines), the active sheet, every
// cell's value, formula (as Range.Formula shows it), array range and format contents (number
// format code, font, fill, border, lock, named style), merged ranges, column widths and row
// heights (to 0.01), tables, defined names, external books, named styles and the date system.
// Format indexes and formula record layout may differ. One line per difference, at most
// `limit` of them.
std::vector<std::string> WorkbookDifferences(const spreadsheet::CWorkbook& expected,
                                             const spreadsheet::CWorkbook& actual,
                                             std::size_t limit = 20);

}  // namespace test_support
