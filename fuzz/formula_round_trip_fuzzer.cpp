// Fuzzes the formula tokenizer and parser: any text is parsed, its tree's text rebuilt and
// parsed again (the rebuild must settle: see below), and the memo's replay of the same text
// must give the references the first parse gave.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

// Whether the text holds a character outside printable ASCII. Such characters (lone surrogates
// above all, which no file can hold) the tokenizer may take apart differently from round to
// round; the references stay checked, the rebuild's stability is judged on the rest.
bool HasCharacterBeyondAscii(std::wstring_view text) {
  for (const wchar_t c : text) {
    if (c < 0x20 || c > 0x7E) return true;
  }
  return false;
}

// Whether a string or a quoted name is left open at the end. It then takes in the ")" that each
// rebuild adds to close the calls around it, and the calls change from round to round: no
// stable text exists, so the rebuild is not judged.
bool LeavesQuoteOpen(std::wstring_view text) {
  wchar_t open = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (open == 0) {
      if (c == L'"' || c == L'\'') open = c;
    } else if (c == open) {
      if (i + 1 < text.size() && text[i + 1] == open) {
        ++i;
      } else {
        open = 0;
      }
    }
  }
  return open != 0;
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

  // Every formula Excel writes rebuilds to itself at once (TRELVANE_FUZZ_STRICT_REBUILD=1 holds
  // every input to that). Garbage is rewritten in steps instead: the tolerant parser drops what
  // it cannot place, and its lenient corners ("C4:M" as C4:M65536, "M:M" written without its
  // sheet) regroup a chain of ranges over a round or two. By default the rebuild must settle,
  // reaching a text that parses to itself within a few rounds: text that keeps changing is the
  // finding.
  if (HasCharacterBeyondAscii(text) || LeavesQuoteOpen(text) || LeavesQuoteOpen(rebuilt)) {
    return 0;
  }
  static const bool strict = [] {
    const char* value = std::getenv("TRELVANE_FUZZ_STRICT_REBUILD");
    return value != nullptr && std::string_view(value) == "1";
  }();
  constexpr int kRoundsToSettle = 4;
  std::wstring rounds = text + L"\n" + rebuilt;
  std::wstring expected = rebuilt;
  for (int round = 0; round < (strict ? 1 : kRoundsToSettle); ++round) {
    parser.ClearMemo();
    const std::wstring again = L"=" + expected;
    if (!parser.Parse(again, cell) || parser.GetRoot() == nullptr) {
      if (expected.empty()) return 0;
      fuzz_support::Fail("the rebuilt text did not parse", rounds);
    }
    std::wstring next = parser.GetRoot()->GetText();
    rounds += L"\n" + next;
    if (WithoutClosingBrackets(next) == WithoutClosingBrackets(expected)) return 0;
    expected = std::move(next);
  }
  fuzz_support::Fail("the rebuilt text did not settle", rounds);
}
