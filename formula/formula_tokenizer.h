// CFormulaTokenizer: splits a formula text into tokens; never fails on any input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "formula/defined_names.h"
#include "formula/formula_token.h"

// Formulas longer than this are read only up to it: Excel's own formulas never are, and a text
// that long from a damaged file must not cost more than a legitimate one. The rest is ignored
// as tokens left over after the expression are.
constexpr size_t kMaxFormulaLength = 8192;

// Tokens point into the text given to Tokenize. A word keeps sheet-qualified and external
// addresses ("'My Sheet'!A1", "[Book1.xlsx]Sheet1!A1:B2"), dotted function names
// ("CHISQ.TEST"), table references with their nested brackets ("Table1[[#This Row],[Column]]")
// and relative R1C1 forms ("R[1]C[-2]") in one token. A range "A1:B2" stays three tokens (the
// parser joins them) unless its right part is an R1C1 cell or a defined name, which only the
// tokenizer can tell. Error literals ("#N/A", "#DIV/0!") and references left holding one
// ("#REF!A1", "Sheet1!#REF!") are error tokens. Numbers take an exponent ("1.5E-3"). A blank
// run between two operands ("A1:B3 B2:C2", ") A1") becomes an intersection token; other
// blanks are dropped. "@" is an operator token (implicit intersection).
//
// Invalid UTF-16 is read unit by unit like any other text. Work is linear in the text length:
// the right parts of ":" are scanned once, from an explicit stack, and remembered for the words
// that start there.
class CFormulaTokenizer {
 public:
  // `names` (may be null) and `sheet` decide whether the right part of ":" is a defined name.
  // Returns false when the text holds no token at all.
  bool Tokenize(std::wstring_view text, const CDefinedNames* names, int32_t sheet,
                std::vector<FormulaToken>& tokens);

 private:
  struct Level {
    size_t start;  // where this level's word scan began
    size_t colon;  // the ":" whose right part the level below is scanning
  };

  size_t ScanWord(size_t start);
  size_t ScanNumber(size_t pos) const;
  // The length of the error literal at `pos`, or 0.
  size_t ErrorLiteralLength(size_t pos) const;
  size_t MatchBracket(size_t open) const;
  size_t SimpleScan(size_t pos) const;
  size_t SkipQuoted(size_t pos) const;
  size_t FindOrEnd(wchar_t c, size_t from) const;
  size_t ToSeparator(size_t pos) const;
  bool IsJoinableRightPart(size_t start, size_t end) const;
  const size_t* FindScanned(size_t start) const;
  void RememberScans(size_t position);

  std::wstring_view text_;
  const CDefinedNames* names_ = nullptr;
  int32_t sheet_ = 0;
  std::vector<Level> levels_;
  // (start, end) of the right-part scans made in this text, sorted by start up to sortedScans_;
  // those before firstLive_ start behind the tokenizer.
  std::vector<std::pair<size_t, size_t>> scanned_;
  size_t sortedScans_ = 0;
  size_t firstLive_ = 0;
};
