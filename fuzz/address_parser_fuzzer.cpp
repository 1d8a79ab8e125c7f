// Fuzzes CAddressParser::Parse on any text, in a workbook with sheets and names and in one
// without: it must finish, and a local address it accepts must lie on the grid.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_formula_book.h"
#include "fuzz/fuzz_text.h"

namespace {

bool OnGrid(const CellPos& cell) {
  return cell.column >= 0 && cell.column <= 65536 && cell.row >= 0 && cell.row <= 1048576;
}

void ParseIn(CAddressParser& parser, const std::wstring& text) {
  parser.SetCurrentCell({1, 2, 3});
  if (!parser.Parse(text) || parser.IsExternal()) return;
  if (!OnGrid(parser.First()) || !OnGrid(parser.Last())) {
    fuzz_support::Fail("an accepted address lies off the grid", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static test_support::CFormulaWorkbook* named = [] {
    auto* book = new test_support::CFormulaWorkbook();
    fuzz_support::FillFormulaBook(*book, true);
    return book;
  }();
  static test_support::CFormulaWorkbook bare;
  const std::wstring text = fuzz_support::WideText(fuzz_support::Bytes(data, size));
  ParseIn(named->addressParser, text);
  ParseIn(bare.addressParser, text);
  return 0;
}
