// Fuzzes the formula tokenizer and parser: any text is parsed, its tree's text rebuilt and
// parsed again (which must give the same text), and the memo's replay of the same text must give
// the references the first parse gave.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_formula_book.h"
#include "fuzz/fuzz_text.h"

namespace {

// External references get a new id at every occurrence, so theirs are compared by text.
bool SameReferences(const std::vector<CellReference>& a, const std::vector<CellReference>& b,
                    const CExternalTable& externals) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].first != b[i].first || a[i].last != b[i].last || a[i].flags != b[i].flags ||
        a[i].nameId != b[i].nameId || (a[i].externalId == 0) != (b[i].externalId == 0) ||
        externals.Find(a[i].externalId) != externals.Find(b[i].externalId)) {
      return false;
    }
  }
  return true;
}

// A string, quoted name or "[" never closed runs to the end of the text, over the ")" that the
// rebuild adds to close open calls, so such a text gains ")" with every round: the one
// difference the comparison forgives.
std::wstring_view WithoutClosingBrackets(std::wstring_view text) {
  while (!text.empty() && text.back() == L')') text.remove_suffix(1);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static test_support::CFormulaWorkbook* book = [] {
    auto* made = new test_support::CFormulaWorkbook();
    fuzz_support::FillFormulaBook(*made, true);
    return made;
  }();
  std::wstring text = fuzz_support::WideText(fuzz_support::Bytes(data, size));
  if (text.empty() || text.front() != L'=') text.insert(0, L"=");
  const CellPos cell{1, 3, 5};
  CFormulaParser& parser = book->parser;
  parser.ClearMemo();
  book->eval.ClearCalls();
  book->externals.Clear();
  if (!parser.Parse(text, cell) || parser.GetRoot() == nullptr) return 0;
  const std::vector<CellReference> parsed = parser.GetReferences();
  const std::wstring rebuilt = parser.GetRoot()->GetText();

  // The memo holds the text now: the same cell replays it.
  if (!parser.Parse(text, cell)) fuzz_support::Fail("a second parse failed", text);
  if (!SameReferences(parsed, parser.GetReferences(), book->externals)) {
    fuzz_support::Fail("the memo's replay gave other references", text);
  }

  parser.ClearMemo();
  const std::wstring again = L"=" + rebuilt;
  if (!parser.Parse(again, cell) || parser.GetRoot() == nullptr) {
    if (rebuilt.empty()) return 0;
    fuzz_support::Fail("the rebuilt text did not parse", text + L"\n" + again);
  }
  if (WithoutClosingBrackets(parser.GetRoot()->GetText()) != WithoutClosingBrackets(rebuilt)) {
    fuzz_support::Fail("the rebuilt text parsed to another text",
                       text + L"\n" + rebuilt + L"\n" + parser.GetRoot()->GetText());
  }
  return 0;
}
